// The scale and digitizing commands of the chart window and its tablet
// clicks. The menu items, their shortcuts and enabling rules are in
// uRChartWndMenus.cpp; each command's body lives here.

#include "chartwin/uRChartWnd.h"

#include "chartwin/uRChartWndServices.h"

namespace rs {

void TRChartFrm::CtrlPointCheck(TDigPoint* point, bool& accept)
{
    accept = FDoc->Scale().AcceptPoint(point);
    if (!accept)
        wnd::ShowError(
            QStringLiteral("O ponto de controle foi rejeitado porque já existe um outro nas proximidades."));
}

void TRChartFrm::SetShowCtrlPt(bool v)
{
    if (v == FShowCtrlPt)
        return;
    FShowCtrlPt = v;
    FDoc->Scale().SetVisible(v || FDoc->Scale().InDefinition());
    if (ToolWindows().ScaleStat)
        ToolWindows().ScaleStat->ReloadTool();
}

// --- tablet clicks -------------------------------------------------------------

void TRChartFrm::TabletConfirmClick(const TPoint& down, const TPoint& up, bool& confirm)
{
    if (FDoc->State() == DefiningScale)
        ScaleConfirmClick(down, up, confirm);
}

void TRChartFrm::TabletButtonClick(int button, int x, int y)
{
    if (FEntryLock)
        return;
    if (FDoc->State() == DefiningScale)
        ScaleButtonClick(button, x, y);
    else if (FDoc->State() == Digitizing)
        DigButtonClick(button, x, y);
}

// The "&Escala" commands are in uRChartWndScale.cpp.

// The "&Digitalização" commands are in uRChartWndDig.cpp.

} // namespace rs
