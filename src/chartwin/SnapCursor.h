#pragma once
// TSnapCursor: a small sprite placed on a surface by its hot spot, the tablet
// cursor of the chart window and of the tablet test dialog. The sprite never
// takes the mouse: presses, moves, releases and clicks reach the surface under
// it at the same place.

#include <QImage>
#include <QPixmap>
#include <QWidget>

namespace rs {

class TSnapCursor : public QWidget
{
    Q_OBJECT

public:
    static constexpr int kDefaultSize = 23; // until a picture is assigned

    explicit TSnapCursor(QWidget* parent = nullptr);

    // The sprite picture; a copy is kept and the control takes its size.
    const QImage& BitMap() const { return FBitMap; }
    void SetBitMap(const QImage& picture);

    // Position of the hot spot on the parent: left + HotSpotX, top + HotSpotY.
    int PosX() const { return x() + FHotSpotX; }
    int PosY() const { return y() + FHotSpotY; }
    void SetPosX(int x) { SetPos(QPoint(x, PosY())); }
    void SetPosY(int y) { SetPos(QPoint(PosX(), y)); }
    QPoint Pos() const { return QPoint(PosX(), PosY()); }
    void SetPos(const QPoint& p);

    // The point of the picture that marks the position; changing it keeps the position.
    int HotSpotX() const { return FHotSpotX; }
    int HotSpotY() const { return FHotSpotY; }
    void SetHotSpotX(int x) { SetHotSpot(QPoint(x, FHotSpotY)); }
    void SetHotSpotY(int y) { SetHotSpot(QPoint(FHotSpotX, y)); }
    void SetHotSpot(const QPoint& h);

    // Transparent: the picture's background is not drawn. The background is
    // the picture's alpha, or for an opaque picture its bottom-left pixel's colour.
    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool transparent);

    QSize sizeHint() const override { return size(); }

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    void Prepare();

    QImage FBitMap;
    QPixmap FShown; // the picture as drawn with the current transparency
    int FHotSpotX = 0;
    int FHotSpotY = 0;
    bool FTransparent = false;
};

} // namespace rs
