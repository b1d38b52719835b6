// Zoom, scrolling keys and the cursor read-out of the chart window.

#include "chartwin/uRChartWnd.h"

#include "chartwin/DrawBox.h"
#include "chartwin/SnapCursor.h"
#include "common/Utils.h"
#include "common/uTimeHelpers.h"

#include <QKeyEvent>
#include <QLabel>
#include <QScrollArea>
#include <QScrollBar>

#include <cmath>

namespace rs {

namespace {
// Beyond this the drawing would outgrow what a window can hold.
constexpr double kMaxZoom = 100.0;
} // namespace

void TRChartFrm::SetZoom(double z)
{
    if (z == FZoom || !(z > 0) || z > kMaxZoom)
        return;
    // Keep the point at the middle of the view where it is.
    QScrollBar* h = FSBox->horizontalScrollBar();
    QScrollBar* v = FSBox->verticalScrollBar();
    const QSize view = FSBox->viewport()->size();
    const double old = FZoom;
    const double cx = old > 0 ? (h->value() + view.width() / 2.0) / old : 0;
    const double cy = old > 0 ? (v->value() + view.height() / 2.0) / old : 0;

    FBox->resize(int(std::lround(kBaseWidth * z)), int(std::lround(kBaseHeight * z)));
    FDoc->SetZoom(z);
    FZoom = z;
    if (old > 0) {
        h->setValue(int(std::lround(cx * z - view.width() / 2.0)));
        v->setValue(int(std::lround(cy * z - view.height() / 2.0)));
    }
    FBox->update();
    if (ChartHost())
        ChartHost()->ZoomIndicator(z);
}

void TRChartFrm::ZoomIn()
{
    if (FZoom < 10)
        SetZoom(FZoom + 0.25);
}

void TRChartFrm::ZoomOut()
{
    if (FZoom > 1)
        SetZoom(FZoom - 0.25);
}

void TRChartFrm::ScrollBy(int dx, int dy)
{
    QScrollBar* h = FSBox->horizontalScrollBar();
    QScrollBar* v = FSBox->verticalScrollBar();
    h->setValue(h->value() + dx);
    v->setValue(v->value() + dy);
}

bool TRChartFrm::HandleKey(QKeyEvent* e)
{
    const Qt::KeyboardModifiers mods = e->modifiers() & ~Qt::KeypadModifier;
    const bool keypad = e->modifiers() & Qt::KeypadModifier;
    const QSize view = FSBox->viewport()->size();
    QScrollBar* h = FSBox->horizontalScrollBar();
    QScrollBar* v = FSBox->verticalScrollBar();
    // Shift with an arrow moves the selected curve point while digitizing.
    if (mods == Qt::ShiftModifier && NudgeKey(e))
        return true;
    if (mods == Qt::NoModifier) {
        switch (e->key()) {
        case Qt::Key_Left: ScrollBy(-32, 0); return true;
        case Qt::Key_Right: ScrollBy(32, 0); return true;
        case Qt::Key_Up: ScrollBy(0, -32); return true;
        case Qt::Key_Down: ScrollBy(0, 32); return true;
        case Qt::Key_PageUp: ScrollBy(0, -(view.height() - 32)); return true;
        case Qt::Key_PageDown: ScrollBy(0, view.height() - 32); return true;
        case Qt::Key_Home: ScrollBy(-(view.width() - 32), 0); return true;
        case Qt::Key_End: ScrollBy(view.width() - 32, 0); return true;
        case Qt::Key_Plus:
            if (!keypad)
                return false;
            SetZoom(FZoom + 0.25);
            return true;
        case Qt::Key_Minus:
            if (!keypad)
                return false;
            SetZoom(FZoom - 0.25);
            return true;
        default: return false;
        }
    }
    if (mods == Qt::ControlModifier) {
        switch (e->key()) {
        case Qt::Key_Left: ScrollBy(-96, 0); return true;
        case Qt::Key_Right: ScrollBy(96, 0); return true;
        case Qt::Key_Up: ScrollBy(0, -96); return true;
        case Qt::Key_Down: ScrollBy(0, 96); return true;
        case Qt::Key_PageUp: v->setValue(v->minimum()); return true;
        case Qt::Key_PageDown: v->setValue(v->maximum()); return true;
        case Qt::Key_Home: h->setValue(h->minimum()); return true;
        case Qt::Key_End: h->setValue(h->maximum()); return true;
        default: return false;
        }
    }
    return false;
}

bool TRChartFrm::eventFilter(QObject* watched, QEvent* e)
{
    if (e->type() == QEvent::KeyPress &&
        (watched == FSBox || watched == FSBox->viewport() || watched == FBox || watched == this))
        return HandleKey(static_cast<QKeyEvent*>(e));
    if (e->type() == QEvent::MouseButtonDblClick && (watched == FimgCursor || watched == FimgMouse)) {
        SwapTabletMode();
        return true;
    }
    return QMdiSubWindow::eventFilter(watched, e);
}

void TRChartFrm::CursorReadout(double t, double p, const char* mmFormat)
{
    TChartHost* host = ChartHost();
    if (!host)
        return;
    const int hour = FDoc->Info.Hour;
    if (t >= hour && t <= hour + 24.0 && p >= -1 && p <= 11) {
        const bool nextDay = t >= 24;
        const std::string date = DateToStr(FDoc->Info.Date + (nextDay ? 1 : 0));
        const std::string time = HoursToHM(nextDay ? t - 24 : t);
        host->StatusPanel(QString::fromStdString(date + "  " + time), 0);
        host->StatusPanel(QString::fromStdString(FormatNum(mmFormat, p)), 1);
    } else
        ClearCursorReadout();
}

void TRChartFrm::ClearCursorReadout()
{
    if (TChartHost* host = ChartHost()) {
        host->StatusPanel(QString(), 0);
        host->StatusPanel(QString(), 1);
    }
}

void TRChartFrm::BoxMouseMove(QPoint pos)
{
    const TScale& s = FDoc->Scale();
    if (!s.Valid) {
        ClearCursorReadout();
        return;
    }
    CursorReadout(s.XToTime(pos.x()), s.YToPrec(pos.y()), "%.2fmm");
}

void TRChartFrm::MoveTabletCursor(int x, int y)
{
    FtabCursor->SetPos(QPoint(x, y));
}

void TRChartFrm::TabletSwapped()
{
    const bool absolute = TabletMode() == 0;
    FtabCursor->setVisible(absolute);
    FimgCursor->setVisible(absolute);
    FimgMouse->setVisible(!absolute);
    if (absolute)
        FtabCursor->raise();
}

} // namespace rs
