#include "scale/ui/uScaleTools.h"

#include "chartwin/uRChartWnd.h"
#include "scale/ui/uMsgPt.h"
#include "scale/ui/uReadCtrlPt.h"
#include "scale/ui/uScaleStat.h"

#include <QApplication>
#include <QMainWindow>
#include <QMdiArea>
#include <QPointer>

namespace rs {

namespace {
QPointer<TMsgPt> gPrompt;
QPointer<TScaleStatFrm> gStat;
QPointer<TCtrlPtCoord> gCoord;
} // namespace

void RegisterScaleToolWindows()
{
    TToolWindows& tools = ToolWindows();
    tools.CtrlPrompt = MsgPt();
    tools.ScaleStat = ScaleStatFrm();
}

TMsgPt* MsgPt()
{
    if (!gPrompt) {
        gPrompt = new TMsgPt;
        // The registry must not keep a window Qt has freed.
        QObject::connect(gPrompt.data(), &QObject::destroyed, [] {
            if (ToolWindows().CtrlPrompt && !gPrompt)
                ToolWindows().CtrlPrompt = nullptr;
        });
    }
    return gPrompt;
}

TScaleStatFrm* ScaleStatFrm()
{
    if (!gStat) {
        gStat = new TScaleStatFrm;
        QObject::connect(gStat.data(), &QObject::destroyed, [] {
            if (ToolWindows().ScaleStat && !gStat)
                ToolWindows().ScaleStat = nullptr;
        });
    }
    return gStat;
}

TCtrlPtCoord* CtrlPtCoord()
{
    if (!gCoord)
        gCoord = new TCtrlPtCoord;
    return gCoord;
}

QRect MainWindowFrame()
{
    if (TChartHost* host = ChartHost())
        if (QMdiArea* area = host->ChartArea())
            if (QWidget* w = area->window())
                return w->frameGeometry();
    for (QWidget* w : QApplication::topLevelWidgets())
        if (qobject_cast<QMainWindow*>(w) && w->isVisible())
            return w->frameGeometry();
    return {};
}

} // namespace rs
