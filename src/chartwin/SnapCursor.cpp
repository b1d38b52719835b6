#include "chartwin/SnapCursor.h"

#include <QPainter>

namespace rs {

TSnapCursor::TSnapCursor(QWidget* parent) : QWidget(parent)
{
    // Let the surface below handle the mouse, at the same position.
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    resize(kDefaultSize, kDefaultSize);
}

void TSnapCursor::SetBitMap(const QImage& picture)
{
    FBitMap = picture.copy();
    if (!FBitMap.isNull())
        resize(FBitMap.size());
    Prepare();
    update();
}

void TSnapCursor::SetPos(const QPoint& p)
{
    if (p == Pos())
        return;
    move(p.x() - FHotSpotX, p.y() - FHotSpotY);
}

void TSnapCursor::SetHotSpot(const QPoint& h)
{
    if (h == QPoint(FHotSpotX, FHotSpotY))
        return;
    const QPoint pos = Pos();
    FHotSpotX = h.x();
    FHotSpotY = h.y();
    move(pos.x() - FHotSpotX, pos.y() - FHotSpotY);
}

void TSnapCursor::SetTransparent(bool transparent)
{
    if (transparent == FTransparent)
        return;
    FTransparent = transparent;
    Prepare();
    update();
}

void TSnapCursor::Prepare()
{
    if (FBitMap.isNull()) {
        FShown = QPixmap();
        return;
    }
    QImage img;
    if (FTransparent) {
        img = FBitMap.convertToFormat(QImage::Format_ARGB32);
        if (!FBitMap.hasAlphaChannel()) {
            // An opaque picture: its bottom-left colour is the background.
            const QRgb key = img.pixel(0, img.height() - 1);
            for (int y = 0; y < img.height(); ++y) {
                auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
                for (int x = 0; x < img.width(); ++x)
                    if (line[x] == key)
                        line[x] = 0;
            }
        }
    } else {
        // Opaque: transparent parts show white, as the picture's paper.
        img = QImage(FBitMap.size(), QImage::Format_RGB32);
        img.fill(Qt::white);
        QPainter p(&img);
        p.drawImage(0, 0, FBitMap);
    }
    FShown = QPixmap::fromImage(img);
}

void TSnapCursor::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    if (FShown.isNull()) {
        p.setPen(palette().color(QPalette::WindowText));
        p.drawLine(0, 0, width() - 1, height() - 1);
        p.drawLine(width() - 1, 0, 0, height() - 1);
        return;
    }
    p.drawPixmap(0, 0, FShown);
}

} // namespace rs
