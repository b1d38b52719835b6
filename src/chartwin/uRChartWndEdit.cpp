// The chart window's "&Editar" menu: undo, redo and the history window over
// the document's edit history, and moving the selected curve point in place
// with the mouse or the keyboard while digitizing.

#include "chartwin/uRChartWnd.h"

#include "chartwin/DrawBox.h"
#include "chartwin/Pictures.h"
#include "chartwin/uHistoryFrm.h"
#include "chartwin/uRChartWndServices.h"
#include "document/uEditHistory.h"

#include <QAction>
#include <QKeyEvent>
#include <QMenu>

namespace rs {

void TRChartFrm::BuildEditMenu()
{
    mnEdit = new QMenu(QStringLiteral("&Editar"), this);
    cmdUndo = new QAction(QStringLiteral("&Desfazer"), mnEdit);
    cmdUndo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    cmdUndo->setIcon(PicIcon(kIcoUndo));
    wnd::SetHint(cmdUndo, QStringLiteral("Desfaz|Desfaz a última alteração do pluviograma"));
    cmdRedo = new QAction(QStringLiteral("&Refazer"), mnEdit);
    cmdRedo->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    cmdRedo->setIcon(PicIconMirrored(kIcoUndo));
    wnd::SetHint(cmdRedo, QStringLiteral("Refaz|Refaz a alteração desfeita por último"));
    mnHistory = new QAction(QStringLiteral("&Histórico de Alterações..."), mnEdit);
    wnd::SetHint(mnHistory, QStringLiteral("Histórico|Lista as alterações do pluviograma; um clique volta a qualquer "
                                           "uma delas"));
    mnEdit->addAction(cmdUndo);
    mnEdit->addAction(cmdRedo);
    mnEdit->addSeparator();
    mnEdit->addAction(mnHistory);
    connect(cmdUndo, &QAction::triggered, this, &TRChartFrm::cmdUndoClick);
    connect(cmdRedo, &QAction::triggered, this, &TRChartFrm::cmdRedoClick);
    connect(mnHistory, &QAction::triggered, this, &TRChartFrm::mnHistoryClick);

    // A curve point dragged with the mouse.
    connect(FBox, &TDrawBox::MouseDown, this,
            [this](Qt::MouseButton button, Qt::KeyboardModifiers, QPoint pos) { DragPress(button, pos); });
    connect(FBox, &TDrawBox::MouseMove, this, [this](Qt::MouseButtons buttons, Qt::KeyboardModifiers, QPoint pos) {
        if (buttons & Qt::LeftButton)
            DragMove(pos);
    });
    connect(FBox, &TDrawBox::MouseUp, this, [this](Qt::MouseButton button, Qt::KeyboardModifiers, QPoint) {
        if (button == Qt::LeftButton)
            DragRelease();
    });
}

void TRChartFrm::UpdateEditActions()
{
    if (!cmdUndo || !FHistory)
        return;
    const TEditHistory& h = *FHistory;
    const bool free = !FEntryLock && !h.InStep();
    cmdUndo->setEnabled(free && h.CanUndo());
    cmdUndo->setText(h.CanUndo() ? QStringLiteral("&Desfazer %1").arg(QString::fromStdString(h.UndoText()))
                                 : QStringLiteral("&Desfazer"));
    cmdRedo->setEnabled(free && h.CanRedo());
    cmdRedo->setText(h.CanRedo() ? QStringLiteral("&Refazer %1").arg(QString::fromStdString(h.RedoText()))
                                 : QStringLiteral("&Refazer"));
}

bool TRChartFrm::RunStep(const char* text, const std::function<void()>& edit)
{
    const bool changed = FHistory->Run(text, edit);
    if (!FHistory->InStep()) {
        UpdateEditActions();
        if (FHistoryFrm)
            FHistoryFrm->Refresh();
    }
    return changed;
}

void TRChartFrm::ResetHistory(bool saved)
{
    FHistory->Reset(saved);
    UpdateEditActions();
    if (FHistoryFrm)
        FHistoryFrm->Refresh();
}

void TRChartFrm::HistoryMoved()
{
    // The document told its listeners; what is the window's own follows here.
    if (!FDoc->Scale().Visible())
        FShowCtrlPt = false;
    if (TToolWindow* r = ToolWindows().Results)
        if (r->ToolVisible())
            r->ReloadTool();
    FBox->update();
    UpdateActions();
    if (FHistoryFrm)
        FHistoryFrm->Refresh();
}

void TRChartFrm::JumpToStep(int position)
{
    if (FEntryLock || FHistory->InStep())
        return;
    if (FHistory->JumpTo(position))
        HistoryMoved();
}

void TRChartFrm::cmdUndoClick()
{
    if (FEntryLock || !FHistory->CanUndo())
        return;
    if (FHistory->Undo())
        HistoryMoved();
}

void TRChartFrm::cmdRedoClick()
{
    if (FEntryLock || !FHistory->CanRedo())
        return;
    if (FHistory->Redo())
        HistoryMoved();
}

void TRChartFrm::mnHistoryClick()
{
    if (!FHistoryFrm)
        FHistoryFrm = new THistoryFrm(this);
    FHistoryFrm->Refresh();
    FHistoryFrm->show();
    FHistoryFrm->raise();
}

// --- moving a point in place ---------------------------------------------------

bool TRChartFrm::MoveSelectedTo(double time, double prec)
{
    TCurve& c = FDoc->Curve();
    return c.Selected() && c.MovePoint(c.Selected(), time, prec);
}

void TRChartFrm::PointMoved()
{
    if (TToolWindow* r = ToolWindows().Results)
        if (r->ToolVisible())
            r->ReloadTool();
    UpdateActions();
}

bool TRChartFrm::DragPress(Qt::MouseButton button, QPoint pos)
{
    if (button != Qt::LeftButton || FEntryLock || FDragPoint || FDoc->State() != Digitizing)
        return false;
    TCurve& c = FDoc->Curve();
    TDigPoint* p = FBox->MarkerAt(pos);
    if (!p || p->List() != &c)
        return false;
    c.Select(p);
    FDragPoint = p;
    FDragMoved = false;
    FHistory->Begin(steps::kMovePoint);
    return true;
}

bool TRChartFrm::DragMove(QPoint pos)
{
    // A point deleted meanwhile (the tablet's button) ends the drag.
    if (!FDragPoint || FDoc->Curve().Selected() != FDragPoint)
        return false;
    const TScale& s = FDoc->Scale();
    if (!MoveSelectedTo(s.XToTime(pos.x()), s.YToPrec(pos.y())))
        return false;
    FDragMoved = true;
    return true;
}

void TRChartFrm::DragRelease()
{
    if (!FDragPoint)
        return;
    FDragPoint = nullptr;
    FHistory->End();
    if (FDragMoved)
        PointMoved();
    UpdateEditActions();
    if (FHistoryFrm)
        FHistoryFrm->Refresh();
}

bool TRChartFrm::NudgeKey(QKeyEvent* e)
{
    if (FDoc->State() != Digitizing || !FDoc->Curve().Selected() || FDragPoint)
        return false;
    int dx = 0, dy = 0;
    switch (e->key()) {
    case Qt::Key_Left: dx = -1; break;
    case Qt::Key_Right: dx = 1; break;
    case Qt::Key_Up: dy = -1; break;
    case Qt::Key_Down: dy = 1; break;
    default: return false;
    }
    // One pixel of the drawing at the present zoom.
    const TScale& s = FDoc->Scale();
    const TDigPoint* p = FDoc->Curve().Selected();
    const double time = p->Time() + dx * (s.XToTime(1) - s.XToTime(0));
    const double prec = p->Prec() + dy * (s.YToPrec(1) - s.YToPrec(0));
    if (RunStep(steps::kMovePoint, [&] { MoveSelectedTo(time, prec); })) {
        ScrollPointIntoView(p);
        PointMoved();
    }
    return true;
}

} // namespace rs
