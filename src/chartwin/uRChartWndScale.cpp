// The chart window's scale commands: define, conclude and cancel a scale,
// show its control points, and mark, undo and delete control points with the
// tablet while the scale is defined (state 2).

#include "chartwin/uRChartWnd.h"

#include "chartwin/DrawBox.h"
#include "chartwin/SnapCursor.h"
#include "chartwin/uRChartWndServices.h"
#include "scale/ui/GridAssist.h"
#include "scale/ui/uMsgPt.h"
#include "scale/ui/uReadCtrlPt.h"
#include "scale/ui/uScaleDlg.h"
#include "scale/ui/uScaleStat.h"
#include "scale/ui/uScaleTools.h"
#include "shell/uOptions.h"

#include <QLabel>
#include <QScrollArea>

namespace rs {

namespace {

// While defining a scale, a click counts only when the pen stayed this steady.
constexpr long long kSteadyDistance2 = 50;

// The entry lock covers the whole run of the coordinate dialog, whatever happens in it.
class TEntryLockGuard
{
public:
    explicit TEntryLockGuard(TRChartFrm* w) : FWindow(w) { FWindow->SetEntryLock(true); }
    ~TEntryLockGuard() { FWindow->SetEntryLock(false); }

private:
    TRChartFrm* FWindow;
};

} // namespace

// --- tablet clicks in state 2 ------------------------------------------------------

void TRChartFrm::ScaleConfirmClick(const TPoint& down, const TPoint& up, bool& confirm)
{
    if (FEntryLock) {
        confirm = false;
        return;
    }
    const long long dx = (long long)up.x - down.x, dy = (long long)up.y - down.y;
    confirm = dx * dx + dy * dy < kSteadyDistance2;
    if (!confirm)
        wnd::Beep();
}

void TRChartFrm::ScaleButtonClick(int button, int x, int y)
{
    if (FEntryLock || FDoc->State() != DefiningScale)
        return;
    if (button == Options().InsertButton()) {
        if (AddCtrlPoint(x, y) && FDoc->Scale().Last())
            FDoc->Scale().Select(FDoc->Scale().Last());
    } else if (button == Options().DeleteButton()) {
        mnUndoLastPtClick();
    }
    UpdateActions();
}

bool TRChartFrm::AddCtrlPoint(int x, int y)
{
    TScale& s = FDoc->Scale();
    if (FDoc->State() != DefiningScale || FEntryLock || s.Count() >= TScale::kMaxPoints)
        return false;
    auto makePoint = [&](double time, double prec) {
        auto* p = new TDigPoint;
        p->X = x;
        p->Y = y;
        p->SetValue(time, prec);
        p->SetCentre(s.TabletToPixel(x, y));
        return p;
    };
    const int next = s.NextToMark();
    if (s.MarkingPredefined() && next >= 0) {
        const TDigPoint* pre = s.Predefined().Items(next);
        TDigPoint* p = makePoint(pre->Time(), pre->Prec());
        if (s.Insert(next, p) < 0) {
            delete p;
            return false;
        }
        FSBox->ensureWidgetVisible(FtabCursor);
        FtabCursor->raise();
        PromptNextCtrlPoint();
        return true;
    }
    double time = -1, prec = -1;
    bool ok;
    {
        TEntryLockGuard lock(this);
        FSBox->ensureWidgetVisible(FtabCursor);
        const QPoint cursor = FtabCursor->mapToGlobal(QPoint(FtabCursor->HotSpotX(), FtabCursor->HotSpotY()));
        ok = CtrlPtCoord()->Execute(*FDoc, cursor, time, prec);
    }
    if (!ok || FDoc->State() != DefiningScale)
        return false;
    TDigPoint* p = makePoint(time, prec);
    if (s.Append(p) < 0) {
        delete p;
        return false;
    }
    FtabCursor->raise();
    return true;
}

void TRChartFrm::RemoveCtrlPoint(int index)
{
    TScale& s = FDoc->Scale();
    TDigPoint* p = s.Items(index);
    if (!p)
        return;
    s.Remove(index);
    delete p;
    PromptNextCtrlPoint();
    FBox->update();
    UpdateActions();
}

void TRChartFrm::PromptNextCtrlPoint()
{
    TScale& s = FDoc->Scale();
    if (s.CoordMode != 0 || !s.InDefinition())
        return;
    TMsgPt* prompt = MsgPt();
    if (prompt->Doc() == FDoc.get())
        prompt->SetCurrent(s.NextToMark());
    else if (s.NextToMark() < 0)
        s.SetCoordMode(1); // the set is exhausted: further points get typed coordinates
}

// --- "&Escala" -------------------------------------------------------------------

void TRChartFrm::mnDefScaleClick()
{
    RegisterScaleToolWindows();
    if (!ScaleDlg()->Execute(*FDoc))
        return;
    if (FDoc->BeginScale()) {
        if (FShowCtrlPt)
            ScaleStatFrm()->Refresh();
        else
            SetShowCtrlPt(true);
        MsgPt()->Start();
        if (ScaleDlg()->AutoPlace()) {
            std::string bad;
            const std::string why = TGridAssist::Instance().PlaceControlPoints(*FDoc, &bad);
            if (!bad.empty())
                wnd::ShowWarning(QString::fromStdString(bad));
            if (!why.empty())
                wnd::ShowWarning(QString::fromStdString(why) +
                                 QStringLiteral("\nMarque os pontos de controle na imagem."));
            ScaleStatFrm()->Refresh();
            FBox->update();
        }
    }
    UpdateActions();
}

void TRChartFrm::mnFinishScaleClick()
{
    TScale& s = FDoc->Scale();
    if (!s.Valid || s.Concluded)
        return;
    if (!s.WithinTolerance()) {
        wnd::ShowWarning(QStringLiteral(
            "A escala não pode ser concluída, porque os erros associados à definição da mesma superam os erros "
            "máximos tolerados. Verifique se os pontos de controle estão corretamente definidos."));
        return;
    }
    FDoc->ConcludeScale();
    if (s.Concluded) {
        SetShowCtrlPt(false);
        MsgPt()->Start();
        ScaleStatFrm()->Refresh();
    }
    FBox->update();
    UpdateActions();
}

void TRChartFrm::mnCancelScaleClick()
{
    if (wnd::Message(QStringLiteral("Deseja mesmo cancelar a definição de escala?"), wnd::TMsgKind::Confirmation,
                     wnd::TMsgButtons::YesNo) != wnd::TMsgAnswer::Yes)
        return;
    FDoc->CancelScale();
    SetShowCtrlPt(false);
    MsgPt()->SetToolVisible(false);
    ScaleStatFrm()->Refresh();
    FBox->update();
    UpdateActions();
}

void TRChartFrm::mnShowCtrlPtClick()
{
    RegisterScaleToolWindows();
    SetShowCtrlPt(!FShowCtrlPt);
    FBox->update();
    UpdateActions();
}

void TRChartFrm::mnUndoLastPtClick()
{
    const TScale& s = FDoc->Scale();
    if (FDoc->State() != DefiningScale || s.IsEmpty())
        return;
    RemoveCtrlPoint(s.Count() - 1);
}

void TRChartFrm::mnDelPtClick()
{
    TScale& s = FDoc->Scale();
    const int i = s.SelectedIndex();
    if (FDoc->State() != DefiningScale || i < 0)
        return;
    s.Select(s.Items(i - 1));
    RemoveCtrlPoint(i);
}

} // namespace rs
