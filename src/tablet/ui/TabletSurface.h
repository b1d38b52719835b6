#pragma once
// The working surface of the virtual tablet: the tablet's input area in
// counts (1000 per inch of paper, Y upwards), blank with a light grid or
// covered by a scanned chart at the image's own resolution. While the context
// that receives the packets is absolute, the mouse is the tablet cursor: its
// moves and buttons (left 0, right 1, middle 2, back 3, forward 4) and the
// keys 1 to 9 (buttons 0 to 8) become packets. While it is relative the mouse
// pans (drag) and zooms (wheel) the picture; the keys still press buttons, so
// the swap button can bring the context back. Zoom and pan change only how
// the area is shown, never the counts of a point. While digitizing, the space
// bar held down turns mouse moves into panning, and the arrow keys pan.

#include "tablet/EmulatedTablet.h"

#include <QImage>
#include <QPointF>
#include <QWidget>

#include <functional>
#include <optional>

namespace rs {

class TTabletSurface : public QWidget
{
    Q_OBJECT
  public:
    static constexpr int kCountsPerInch = 1000;
    static constexpr double kDefaultDpi = 300.0;
    static constexpr int kBlankWidth = 24 * kCountsPerInch; // 24 x 18 inches
    static constexpr int kBlankHeight = 18 * kCountsPerInch;

    TTabletSurface(TEmulatedTabletDriver& driver, QWidget* parent = nullptr);

    // ---- The area
    // An image at dpiX x dpiY dots per inch; a null image gives the blank area.
    void SetImage(const QImage& image, double dpiX, double dpiY);
    bool HasImage() const { return !FImage.isNull(); }
    const QImage& Image() const { return FImage; }
    double DpiX() const { return FDpiX; }
    double DpiY() const { return FDpiY; }
    int AreaWidth() const { return FDriver.AreaWidth(); }
    int AreaHeight() const { return FDriver.AreaHeight(); }

    // The surface that last showed a scanned chart (null when none does).
    static const TTabletSurface* ScanSurface();
    ~TTabletSurface() override;

    // ---- Snapping: while set, a pointer position near a printed grid intersection is
    // moved onto it (the packets carry the intersection); Alt held turns it off.
    using TSnapFn = std::function<std::optional<QPoint>(const TTabletSurface&, QPoint counts)>;
    static TSnapFn& SnapHook();
    std::optional<QPoint> SnappedCounts() const { return FSnapped; }

    // ---- The ink view: the picture shown with its ink brought out (InkView.h);
    // Image() stays the scan as read.
    void SetInkView(bool on, double contrast);
    bool InkView() const { return FInkView; }
    double InkContrast() const { return FInkContrast; }

    // ---- Drawn over the area (the active chart's points): the painter, a
    // mapping from counts to the painter's coordinates and the painter's pixels per count.
    using TCountsToView = std::function<QPointF(double x, double y)>;
    using TOverlay = std::function<void(QPainter& p, const TCountsToView& toView, double scale)>;
    void SetOverlay(TOverlay overlay);

    // ---- Dragging what the overlay draws: while digitizing, a left press is
    // first offered to the hook (Press, true takes it); a press taken sends no
    // packet, and the moves and the release until the button is let go go to
    // the hook (Move, Release) instead of the tablet. counts: where a click
    // there would be (snapped when snapping), widgetPos: the pointer on the surface.
    enum class TDragPhase { Press, Move, Release };
    using TDragHook = std::function<bool(const TTabletSurface&, TDragPhase, QPointF widgetPos, QPoint counts)>;
    void SetDragHook(TDragHook hook);
    bool Dragging() const { return FDragging; }

    // ---- The view
    // Widget pixels per count.
    double Scale() const { return FScale; }
    // Widget position of the area's top-left corner (X 0, Y = height).
    QPointF Offset() const { return FOffset; }
    void SetView(double scale, QPointF offset);
    // Zooms by factor keeping the point under anchor (widget coordinates) in place.
    void ZoomAt(QPointF anchor, double factor);
    void Pan(QPointF delta);
    // Shows the whole area; kept on resizes until the user zooms or pans.
    void FitToWindow();
    // Brings the point (counts) to the middle of the view, zooming in to at
    // least minScale widget pixels per count.
    void CentreOn(QPointF counts, double minScale = 0);
    bool Fitted() const { return FFitted; }
    double MinScale() const;
    double MaxScale() const;

    // Counts (continuous) of a widget position, and back.
    QPointF WidgetToCounts(QPointF widgetPos) const;
    QPointF CountsToWidget(QPointF counts) const;
    // The tablet position of the pixel at widgetPos (its centre): integer
    // counts inside the area, nothing outside it.
    std::optional<QPoint> PositionAt(QPointF widgetPos) const;

    // ---- The cursor
    // Whether mouse and keys act as the tablet cursor now (the receiving
    // context is absolute).
    bool Digitizing() const;
    // The last position the pointer had over the area.
    std::optional<QPoint> PointerCounts() const { return FPointer; }
    QPointF PointerWidgetPos() const { return FPointerWidget; }
    bool PointerInside() const { return FInside; }
    std::uint32_t Buttons() const { return FMouseButtons | FKeyButtons; }
    // Keys 1 ... 9 press and release buttons 0 ... 8 while the pointer is
    // over the area; true when the key was one of them. Also used for keys
    // that reach the application while another window has the focus.
    bool HandleKey(int key, bool press, bool autoRepeat);
    // Lets go of buttons held by keys (their releases went to another program).
    void ReleaseKeys();
    // The receiving context or its mode changed: pointer shape and behaviour follow.
    void RefreshMode();

    // Paints the area (picture or grid) into the painter's current clip;
    // the loupe paints with it too.
    void PaintArea(QPainter& p, double scale, QPointF offset, const QRectF& target, bool smooth) const;

  signals:
    // The pointer moved or the view changed: the loupe follows.
    void pointerChanged();
    void viewChanged();

  protected:
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void keyReleaseEvent(QKeyEvent* e) override;
    void enterEvent(QEnterEvent* e) override;
    void leaveEvent(QEvent* e) override;

  private:
    static std::uint32_t ButtonBitOf(Qt::MouseButton b);
    void TrackPointer(QPointF widgetPos);
    // Sends the current buttons at the pointer's position (clamped into the
    // area while a button is held or released, so a release is never lost).
    void SendPacket(bool release = false);
    void ClampView();
    void ViewMoved();
    // Hands the pointer's position to the drag hook.
    bool OfferDrag(TDragPhase phase);

    TEmulatedTabletDriver& FDriver;
    QImage FImage;
    QImage FInkImage; // the ink view of FImage, while it is on
    bool FInkView = false;
    double FInkContrast = 1;
    TOverlay FOverlay;
    TDragHook FDragHook;
    bool FDragging = false;
    bool FSpacePan = false;
    mutable QImage FReduced; // the picture averaged down to the current zoom
    double FDpiX = kDefaultDpi, FDpiY = kDefaultDpi;
    double FScale = 0.02;
    QPointF FOffset{0, 0};
    bool FFitted = true;
    std::optional<QPoint> FPointer;
    QPointF FPointerWidget{-1, -1};
    bool FInside = false;
    std::uint32_t FMouseButtons = 0;
    std::uint32_t FKeyButtons = 0;
    bool FPanning = false;
    QPointF FPanFrom;
    Qt::KeyboardModifiers FModifiers;
    std::optional<QPoint> FSnapped;
};

} // namespace rs
