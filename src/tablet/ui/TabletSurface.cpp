#include "tablet/ui/TabletSurface.h"

#include "tablet/ui/InkView.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace rs {

namespace {

QCursor FineCrossCursor()
{
    // 1-pixel lines with a gap at the centre, so the pixel marked stays visible.
    constexpr int n = 31, c = n / 2, gap = 3;
    QPixmap pm(n, n);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setPen(QColor(255, 255, 255, 160));
    p.drawLine(c + 1, 0, c + 1, c - gap);
    p.drawLine(c + 1, c + gap, c + 1, n - 1);
    p.drawLine(0, c + 1, c - gap, c + 1);
    p.drawLine(c + gap, c + 1, n - 1, c + 1);
    p.setPen(Qt::black);
    p.drawLine(c, 0, c, c - gap);
    p.drawLine(c, c + gap, c, n - 1);
    p.drawLine(0, c, c - gap, c);
    p.drawLine(c + gap, c, n - 1, c);
    p.end();
    return QCursor(pm, c, c);
}

} // namespace

TTabletSurface::TTabletSurface(TEmulatedTabletDriver& driver, QWidget* parent)
    : QWidget(parent), FDriver(driver)
{
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(200, 150);
    RefreshMode();
}

// ---- Area

namespace {
const TTabletSurface* gScanSurface = nullptr;
}

const TTabletSurface* TTabletSurface::ScanSurface() { return gScanSurface; }

TTabletSurface::~TTabletSurface()
{
    if (gScanSurface == this)
        gScanSurface = nullptr;
}

TTabletSurface::TSnapFn& TTabletSurface::SnapHook()
{
    static TSnapFn hook;
    return hook;
}

void TTabletSurface::SetImage(const QImage& image, double dpiX, double dpiY)
{
    FImage = image;
    if (!image.isNull())
        gScanSurface = this;
    else if (gScanSurface == this)
        gScanSurface = nullptr;
    FReduced = QImage();
    FInkImage = FInkView ? MakeInkView(image, FInkContrast) : QImage();
    if (image.isNull()) {
        FDpiX = FDpiY = kDefaultDpi;
        FDriver.SetArea(kBlankWidth, kBlankHeight);
    } else {
        FDpiX = dpiX > 0 ? dpiX : kDefaultDpi;
        FDpiY = dpiY > 0 ? dpiY : kDefaultDpi;
        const int w = std::max(1, int(std::lround(image.width() * kCountsPerInch / FDpiX)));
        const int h = std::max(1, int(std::lround(image.height() * kCountsPerInch / FDpiY)));
        FDriver.SetArea(w, h);
    }
    FitToWindow();
}

void TTabletSurface::SetInkView(bool on, double contrast)
{
    if (on == FInkView && contrast == FInkContrast)
        return;
    FInkView = on;
    FInkContrast = contrast;
    FInkImage = on ? MakeInkView(FImage, contrast) : QImage();
    FReduced = QImage();
    update();
    emit viewChanged();
}

void TTabletSurface::SetOverlay(TOverlay overlay)
{
    FOverlay = std::move(overlay);
    update();
    emit viewChanged();
}

void TTabletSurface::SetDragHook(TDragHook hook)
{
    if (FDragging && FDragHook)
        OfferDrag(TDragPhase::Release);
    FDragging = false;
    FDragHook = std::move(hook);
}

bool TTabletSurface::OfferDrag(TDragPhase phase)
{
    if (!FDragHook)
        return false;
    // Off the area the position is held at its edge, as for a held button's packets.
    QPoint at;
    if (FPointer) {
        at = FSnapped ? *FSnapped : *FPointer;
    } else {
        const QPointF c = WidgetToCounts(FPointerWidget + QPointF(0.5, 0.5));
        at = QPoint(std::clamp(int(std::floor(c.x())), 0, AreaWidth() - 1),
                    std::clamp(int(std::floor(c.y())), 0, AreaHeight() - 1));
    }
    return FDragHook(*this, phase, FPointerWidget, at);
}

// ---- View

double TTabletSurface::MinScale() const
{
    const double fit =
        std::min(double(std::max(width(), 1)) / AreaWidth(), double(std::max(height(), 1)) / AreaHeight());
    return fit / 4;
}

double TTabletSurface::MaxScale() const
{
    // 24 screen pixels for a pixel of the picture (at 300 dpi without one).
    return 24.0 * std::max(FDpiX, FDpiY) / kCountsPerInch;
}

void TTabletSurface::SetView(double scale, QPointF offset)
{
    FScale = std::clamp(scale, std::min(MinScale(), MaxScale()), MaxScale());
    FOffset = offset;
    FFitted = false;
    ClampView();
    ViewMoved();
}

void TTabletSurface::ViewMoved()
{
    // The pointer now lies over another point of the paper.
    if (FInside) FPointer = PositionAt(FPointerWidget);
    update();
    emit viewChanged();
    emit pointerChanged();
}

void TTabletSurface::ClampView()
{
    // Some of the area always stays in sight.
    const double margin = 40;
    const double w = AreaWidth() * FScale, h = AreaHeight() * FScale;
    FOffset.setX(std::clamp(FOffset.x(), std::min(margin - w, width() - margin),
                            std::max(margin - w, width() - margin)));
    FOffset.setY(std::clamp(FOffset.y(), std::min(margin - h, height() - margin),
                            std::max(margin - h, height() - margin)));
}

void TTabletSurface::ZoomAt(QPointF anchor, double factor)
{
    const QPointF c = WidgetToCounts(anchor);
    const double s = std::clamp(FScale * factor, std::min(MinScale(), MaxScale()), MaxScale());
    SetView(s, QPointF(anchor.x() - c.x() * s, anchor.y() - (AreaHeight() - c.y()) * s));
}

void TTabletSurface::Pan(QPointF delta)
{
    SetView(FScale, FOffset + delta);
}

void TTabletSurface::FitToWindow()
{
    const double margin = 4;
    const double sx = std::max(1.0, width() - 2 * margin) / AreaWidth();
    const double sy = std::max(1.0, height() - 2 * margin) / AreaHeight();
    FScale = std::min(sx, sy);
    FOffset = QPointF((width() - AreaWidth() * FScale) / 2, (height() - AreaHeight() * FScale) / 2);
    FFitted = true;
    ViewMoved();
}

void TTabletSurface::CentreOn(QPointF counts, double minScale)
{
    const double s = std::max(FScale, minScale);
    SetView(s, QPointF(width() / 2.0 - counts.x() * s, height() / 2.0 - (AreaHeight() - counts.y()) * s));
}

QPointF TTabletSurface::WidgetToCounts(QPointF w) const
{
    return {(w.x() - FOffset.x()) / FScale, AreaHeight() - (w.y() - FOffset.y()) / FScale};
}

QPointF TTabletSurface::CountsToWidget(QPointF c) const
{
    return {FOffset.x() + c.x() * FScale, FOffset.y() + (AreaHeight() - c.y()) * FScale};
}

std::optional<QPoint> TTabletSurface::PositionAt(QPointF widgetPos) const
{
    const QPointF c = WidgetToCounts(widgetPos + QPointF(0.5, 0.5));
    if (c.x() < 0 || c.y() < 0 || c.x() > AreaWidth() || c.y() > AreaHeight()) return std::nullopt;
    return QPoint(std::min(int(std::floor(c.x())), AreaWidth() - 1),
                  std::min(int(std::floor(c.y())), AreaHeight() - 1));
}

// ---- Cursor

bool TTabletSurface::Digitizing() const
{
    const TTabletContext target = FDriver.TargetContext();
    return target != 0 && !FDriver.IsRelative(target);
}

void TTabletSurface::RefreshMode()
{
    if (Digitizing())
        setCursor(FineCrossCursor());
    else
        setCursor(FPanning ? Qt::ClosedHandCursor : Qt::OpenHandCursor);
}

std::uint32_t TTabletSurface::ButtonBitOf(Qt::MouseButton b)
{
    switch (b) {
    case Qt::LeftButton:
        return 1u << 0;
    case Qt::RightButton:
        return 1u << 1;
    case Qt::MiddleButton:
        return 1u << 2;
    case Qt::BackButton:
        return 1u << 3;
    case Qt::ForwardButton:
        return 1u << 4;
    default:
        return 0;
    }
}

void TTabletSurface::TrackPointer(QPointF widgetPos)
{
    FPointerWidget = widgetPos;
    FInside = true;
    FPointer = PositionAt(widgetPos);
    const std::optional<QPoint> was = FSnapped;
    FSnapped.reset();
    if (FPointer && SnapHook() && !(FModifiers & Qt::AltModifier))
        FSnapped = SnapHook()(*this, *FPointer);
    if (FSnapped || was)
        update();
    emit pointerChanged();
}

void TTabletSurface::SendPacket(bool release)
{
    const std::uint32_t buttons = Buttons();
    QPoint at;
    if (FPointer) {
        at = FSnapped ? *FSnapped : *FPointer;
    } else if (buttons != 0 || release) {
        // Off the area with a button held: the edge position, so that the
        // release still arrives.
        const QPointF c = WidgetToCounts(FPointerWidget + QPointF(0.5, 0.5));
        at = QPoint(std::clamp(int(std::floor(c.x())), 0, AreaWidth() - 1),
                    std::clamp(int(std::floor(c.y())), 0, AreaHeight() - 1));
    } else {
        return;
    }
    FDriver.Deliver(buttons, at.x(), at.y());
}

bool TTabletSurface::HandleKey(int key, bool press, bool autoRepeat)
{
    if (key == Qt::Key_Space && FInside) {
        // Held down: the mouse pans the picture instead of moving the cursor.
        if (!autoRepeat && press != FSpacePan) {
            FSpacePan = press;
            FPanFrom = FPointerWidget;
            setCursor(press ? Qt::ClosedHandCursor : Qt::ArrowCursor);
            if (!press)
                RefreshMode();
        }
        return true;
    }
    if (key == Qt::Key_Space && !press && FSpacePan) {
        FSpacePan = false;
        RefreshMode();
        return true;
    }
    if (key < Qt::Key_1 || key > Qt::Key_9) return false;
    const std::uint32_t bit = 1u << (key - Qt::Key_1);
    if (press) {
        if (!FInside || !FPointer) return false;
        if (autoRepeat || (FKeyButtons & bit)) return true;
        FKeyButtons |= bit;
        SendPacket();
        return true;
    }
    if (!(FKeyButtons & bit)) return false;
    if (!autoRepeat) {
        FKeyButtons &= ~bit;
        SendPacket(true);
    }
    return true;
}

// ---- Events

void TTabletSurface::mouseMoveEvent(QMouseEvent* e)
{
    FModifiers = e->modifiers();
    const QPointF pos = e->position();
    if (FPanning || FSpacePan) {
        const QPointF delta = pos - FPanFrom;
        FPanFrom = pos;
        Pan(delta);
    }
    TrackPointer(pos);
    if (FSpacePan) return;
    if (FDragging) {
        OfferDrag(TDragPhase::Move);
        return;
    }
    if (Digitizing() && (FPointer || Buttons() != 0)) SendPacket();
}

void TTabletSurface::mousePressEvent(QMouseEvent* e)
{
    FModifiers = e->modifiers();
    setFocus(Qt::MouseFocusReason);
    TrackPointer(e->position());
    const std::uint32_t bit = ButtonBitOf(e->button());
    if (Digitizing()) {
        if (FDragging)
            return;
        if (e->button() == Qt::LeftButton && FPointer && !(FMouseButtons & bit) &&
            OfferDrag(TDragPhase::Press)) {
            FDragging = true;
            return;
        }
        if (bit && FPointer && !(FMouseButtons & bit)) {
            FMouseButtons |= bit;
            SendPacket();
        }
        return;
    }
    if (e->button() == Qt::LeftButton || e->button() == Qt::MiddleButton) {
        FPanning = true;
        FPanFrom = e->position();
        RefreshMode();
    }
}

void TTabletSurface::mouseReleaseEvent(QMouseEvent* e)
{
    FModifiers = e->modifiers();
    TrackPointer(e->position());
    if (FDragging && e->button() == Qt::LeftButton) {
        FDragging = false;
        OfferDrag(TDragPhase::Release);
        return;
    }
    const std::uint32_t bit = ButtonBitOf(e->button());
    if (bit && (FMouseButtons & bit)) {
        FMouseButtons &= ~bit;
        SendPacket(true);
    }
    if (FPanning && !(e->buttons() & (Qt::LeftButton | Qt::MiddleButton))) {
        FPanning = false;
        RefreshMode();
    }
}

void TTabletSurface::mouseDoubleClickEvent(QMouseEvent* e)
{
    mousePressEvent(e);
}

void TTabletSurface::wheelEvent(QWheelEvent* e)
{
    const QPoint d = e->angleDelta();
    if (e->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier) || (d.x() != 0 && d.y() == 0)) {
        // Shift: sideways, Ctrl: up and down; a sideways wheel pans sideways.
        const double step = (d.y() != 0 ? d.y() : d.x()) / 120.0 * 60;
        if ((e->modifiers() & Qt::ControlModifier) && !(e->modifiers() & Qt::ShiftModifier))
            Pan(QPointF(0, step));
        else
            Pan(QPointF(step, 0));
    } else if (d.y() != 0) {
        ZoomAt(e->position(), std::pow(1.25, d.y() / 120.0));
    }
    TrackPointer(e->position());
    e->accept();
}

void TTabletSurface::keyPressEvent(QKeyEvent* e)
{
    if (HandleKey(e->key(), true, e->isAutoRepeat())) return;
    const double step = 60;
    switch (e->key()) {
    case Qt::Key_Left:
        Pan(QPointF(step, 0));
        break;
    case Qt::Key_Right:
        Pan(QPointF(-step, 0));
        break;
    case Qt::Key_Up:
        Pan(QPointF(0, step));
        break;
    case Qt::Key_Down:
        Pan(QPointF(0, -step));
        break;
    case Qt::Key_Plus:
    case Qt::Key_Equal:
        ZoomAt(FInside ? FPointerWidget : QPointF(width() / 2.0, height() / 2.0), 1.25);
        break;
    case Qt::Key_Minus:
        ZoomAt(FInside ? FPointerWidget : QPointF(width() / 2.0, height() / 2.0), 0.8);
        break;
    default:
        QWidget::keyPressEvent(e);
        break;
    }
}

void TTabletSurface::keyReleaseEvent(QKeyEvent* e)
{
    if (!HandleKey(e->key(), false, e->isAutoRepeat())) QWidget::keyReleaseEvent(e);
}

void TTabletSurface::enterEvent(QEnterEvent* e)
{
    TrackPointer(e->position());
    QWidget::enterEvent(e);
}

void TTabletSurface::leaveEvent(QEvent* e)
{
    FInside = false;
    if (FSpacePan) {
        FSpacePan = false;
        RefreshMode();
    }
    FPointer.reset();
    emit pointerChanged();
    QWidget::leaveEvent(e);
}

void TTabletSurface::ReleaseKeys()
{
    if (FKeyButtons == 0) return;
    FKeyButtons = 0;
    SendPacket(true);
}

void TTabletSurface::resizeEvent(QResizeEvent* e)
{
    QWidget::resizeEvent(e);
    if (FFitted)
        FitToWindow();
    else {
        ClampView();
        ViewMoved();
    }
}

// ---- Painting

void TTabletSurface::PaintArea(QPainter& p, double scale, QPointF offset, const QRectF& target,
                               bool smooth) const
{
    const double aw = AreaWidth() * scale, ah = AreaHeight() * scale;
    const QRectF area(offset, QSizeF(aw, ah));
    p.fillRect(target, QColor(150, 150, 150));
    const QRectF visible = area.intersected(target);
    if (visible.isEmpty()) return;
    p.fillRect(visible, Qt::white);
    const QImage& image = FInkView && !FInkImage.isNull() ? FInkImage : FImage;
    if (!image.isNull()) {
        // Only the pixels in sight are drawn.
        const double px = kCountsPerInch / FDpiX * scale; // widget pixels per picture pixel
        const double py = kCountsPerInch / FDpiY * scale;
        const int u0 = std::max(0, int(std::floor((visible.left() - offset.x()) / px)));
        const int v0 = std::max(0, int(std::floor((visible.top() - offset.y()) / py)));
        const int u1 = std::min(image.width(), int(std::ceil((visible.right() - offset.x()) / px)));
        const int v1 = std::min(image.height(), int(std::ceil((visible.bottom() - offset.y()) / py)));
        if (smooth && px < 0.75 && py < 0.75) {
            // Reduced pictures are averaged once per zoom level: thin chart
            // lines would break up if pixels were merely skipped.
            const QSize size(std::max(1, int(std::lround(image.width() * px))),
                             std::max(1, int(std::lround(image.height() * py))));
            if (FReduced.size() != size)
                FReduced = image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
            p.save();
            p.setClipRect(visible);
            p.drawImage(QPointF(std::round(offset.x()), std::round(offset.y())), FReduced);
            p.restore();
        } else if (u1 > u0 && v1 > v0) {
            const QRectF src(u0, v0, u1 - u0, v1 - v0);
            const QRectF dst(offset.x() + u0 * px, offset.y() + v0 * py, (u1 - u0) * px, (v1 - v0) * py);
            p.save();
            p.setClipRect(visible);
            p.setRenderHint(QPainter::SmoothPixmapTransform, smooth && px < 1);
            p.drawImage(dst, image, src);
            p.restore();
        }
    } else {
        // A light grid: every inch, darker every five.
        p.save();
        p.setClipRect(visible);
        const double step = kCountsPerInch * scale;
        const int every = step >= 6 ? 1 : 5;
        for (int i = 0; i * kCountsPerInch <= AreaWidth(); i += every) {
            p.setPen(i % 5 == 0 ? QColor(190, 205, 225) : QColor(225, 233, 243));
            const double x = offset.x() + i * step;
            p.drawLine(QPointF(x, area.top()), QPointF(x, area.bottom()));
        }
        for (int j = 0; j * kCountsPerInch <= AreaHeight(); j += every) {
            p.setPen(j % 5 == 0 ? QColor(190, 205, 225) : QColor(225, 233, 243));
            const double y = offset.y() + ah - j * step; // Y grows upwards from the bottom edge
            p.drawLine(QPointF(area.left(), y), QPointF(area.right(), y));
        }
        p.restore();
    }
    if (FOverlay) {
        p.save();
        p.setClipRect(visible);
        p.setRenderHint(QPainter::Antialiasing);
        const double areaHeight = AreaHeight();
        FOverlay(p, [&](double x, double y) { return QPointF(offset.x() + x * scale, offset.y() + (areaHeight - y) * scale); },
                 scale);
        p.restore();
    }
    p.setPen(QColor(90, 90, 90));
    p.setBrush(Qt::NoBrush);
    p.drawRect(area);
}

void TTabletSurface::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    PaintArea(p, FScale, FOffset, QRectF(rect()), true);
    if (FSnapped && FInside) {
        // Where a click goes: the printed intersection under the pointer.
        const QPointF c = CountsToWidget(QPointF(FSnapped->x() + 0.5, FSnapped->y() + 0.5));
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(QColor(230, 40, 40), 1.5));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(c, 5.0, 5.0);
    }
}

} // namespace rs
