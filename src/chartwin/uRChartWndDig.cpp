// The chart window's "&Digitalização" commands and the tablet buttons while
// the curve is digitized.

#include "chartwin/uRChartWnd.h"

#include "chartwin/DrawBox.h"
#include "chartwin/SnapCursor.h"
#include "chartwin/uRChartWndServices.h"
#include "chartwin/uResultFrm.h"
#include "common/Utils.h"
#include "common/uGlobal.h"
#include "shell/uOptions.h"

#include <QLabel>
#include <QScrollArea>

namespace rs {

namespace {

const QString kFailureError = QStringLiteral(
    "Não foi possível sinalizar uma falha, devido a uma das causas:\r\n"
    "1) O ponto é o primeiro ou o segundo da lista.\r\n"
    "2) O ponto anterior sinaliza uma falha.\r\n"
    "3) O ponto anterior ao anterior sinaliza uma falha, o que isolaria o anterior.\r\n"
    "4) O ponto posterior sinaliza uma falha.\r\n"
    "5) O ponto posterior ao posterior sinaliza uma falha, o que isolaria o posterior.\r\n");

const QString kEmptyingQuestion = QStringLiteral(
    "O último ponto marca %1 mm, abaixo dos 5 mm de um transbordamento do sifão.\r\n\r\n"
    "O pluviógrafo foi esvaziado pelo observador neste ponto? Se sim, o esvaziamento será registrado "
    "como um transbordamento: a precipitação acumulada até aqui continua somada aos pontos seguintes.");

} // namespace

void TRChartFrm::DigButtonClick(int button, int x, int y)
{
    const TOptions& o = Options();
    if (button == o.InsertButton()) {
        // Shift and Ctrl as they are held at the moment of the click.
        bool added = false;
        RunStep(steps::kInsertPoint, [&] { added = FDoc->AddPointAt(x, y, wnd::ShiftDown(), wnd::CtrlDown()); });
        if (added)
            FtabCursor->raise();
    } else if (button == o.DeleteButton())
        mnUndoLastClick();
    else if (button == o.OverflowButton())
        mnSpillClick();
    // The tool bar's buttons follow the curve at once, not only when a menu opens.
    UpdateActions();
}

void TRChartFrm::ScrollPointIntoView(const TDigPoint* point)
{
    if (!point)
        return;
    const TPoint c = point->Centre();
    FSBox->ensureVisible(c.x, c.y, 32, 32);
}

void TRChartFrm::CurveMarksChanged()
{
    // A mark set by hand runs no recalculation of its own: bring the values up to date.
    FDoc->Curve().Recalc();
    FBox->update();
    if (TToolWindow* r = ToolWindows().Results)
        if (r->ToolVisible())
            r->ReloadTool();
    UpdateActions();
}

void TRChartFrm::mnDigCurveClick()
{
    switch (FDoc->State()) {
    case Idle:
        if (!FDoc->Scale().Concluded) {
            wnd::ShowInfo(QStringLiteral(
                "Você deve associar uma escala ao pluviograma\r\nantes de iniciar a digitalização."));
            return;
        }
        SetShowCtrlPt(false);
        FDoc->Scale().SetVisible(false);
        FDoc->BeginDigitizing();
        if (ToolWindows().Results)
            ToolWindows().Results->SetToolVisible(true);
        break;
    case DefiningScale:
        wnd::ShowInfo(QStringLiteral("Você está definindo uma escala! Marque os pontos de controle e conclua a "
                                     "escala para iniciar a digitalização."));
        break;
    default: break;
    }
    UpdateActions();
}

void TRChartFrm::mnSpillClick()
{
    bool done = false;
    if (FDoc->State() == Digitizing) {
        if (FDoc->CanAddSpill())
            RunStep(steps::kOverflow, [&] { done = FDoc->AddSpill(); });
        else if (const TDigPoint* last = FDoc->Curve().Last(); last && FDoc->CanAddEmptying()) {
            // Below the siphon's level the drop can only be the observer emptying the gauge.
            const QString text = kEmptyingQuestion.arg(QString::fromStdString(FormatNum("%.1f", last->Prec())));
            if (wnd::Message(text, wnd::TMsgKind::Confirmation, wnd::TMsgButtons::YesNo) == wnd::TMsgAnswer::Yes)
                RunStep(steps::kOverflow, [&] { done = FDoc->AddSpill(true); });
            else
                done = true; // declined: nothing to complain about
        }
    }
    if (!done)
        wnd::Beep();
    UpdateActions();
}

void TRChartFrm::mnAddFailClick()
{
    TCurve& c = FDoc->Curve();
    TDigPoint* target = c.Last();
    if (!target || !c.CanMarkFailure(target)) {
        wnd::ShowError(kFailureError);
        return;
    }
    RunStep(steps::kFailure, [&] {
        target->SetMark(2);
        c.SetModified(true);
        CurveMarksChanged();
    });
}

void TRChartFrm::mnEndDigitClick()
{
    FDoc->EndDigitizing();
    UpdateActions();
}

void TRChartFrm::mnShowValuesClick()
{
    if (FDoc->State() == DefiningScale)
        return;
    TToolWindow* r = ToolWindows().Results;
    if (!r)
        return;
    const bool show = !r->ToolVisible();
    mnShowValues->setChecked(show);
    r->SetToolVisible(show);
}

void TRChartFrm::mnAddToEndClick()
{
    DigOptions().ChronologicalOrder = !DigOptions().ChronologicalOrder;
    UpdateActions();
}

void TRChartFrm::mnRoundToZeroClick()
{
    DigOptions().RoundToZero = !DigOptions().RoundToZero;
    UpdateActions();
}

void TRChartFrm::mnSelNextClick()
{
    TCurve& c = FDoc->Curve();
    const int next = c.SelectedIndex() + 1; // no selection: the first point
    if (next >= c.Count())
        return;
    c.SelectIndex(next);
    ScrollPointIntoView(c.Selected());
    UpdateActions();
}

void TRChartFrm::mnSelPrevClick()
{
    TCurve& c = FDoc->Curve();
    const int prev = c.SelectedIndex() - 1;
    if (prev < 0)
        return;
    c.SelectIndex(prev);
    ScrollPointIntoView(c.Selected());
    UpdateActions();
}

void TRChartFrm::mnUndoLastClick()
{
    if (FDoc->State() != Digitizing)
        return;
    RunStep(steps::kUndoLastPoint, [&] { FDoc->Curve().UndoLast(); });
    UpdateActions();
}

void TRChartFrm::mnDelSelPtClick()
{
    if (TDigPoint* p = FDoc->Curve().Selected())
        RunStep(steps::kDeletePoint, [&] { FDoc->Curve().DeletePoint(p); });
    UpdateActions();
}

} // namespace rs
