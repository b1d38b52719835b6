#include "tablet/ui/TabletSprite.h"

#include <QPainter>

namespace rs {

namespace {

// The program's cursor picture when the resources have it; otherwise the same
// kind of cross-hair drawn here.
QPixmap SpritePicture()
{
    QPixmap pm(QStringLiteral(":/cursor/TabCursor"));
    if (!pm.isNull() && pm.width() == TTabletSprite::kSize && pm.height() == TTabletSprite::kSize) return pm;
    pm = QPixmap(TTabletSprite::kSize, TTabletSprite::kSize);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    const int c = TTabletSprite::kHotSpot;
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(QPen(QColor(0, 0, 160), 1.2));
    p.drawEllipse(QRectF(c - 6.5, c - 6.5, 14, 14));
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QColor(200, 0, 0));
    p.drawLine(c, 0, c, c - 2);
    p.drawLine(c, c + 2, c, TTabletSprite::kSize - 1);
    p.drawLine(0, c, c - 2, c);
    p.drawLine(c + 2, c, TTabletSprite::kSize - 1, c);
    p.drawPoint(c, c);
    return pm;
}

} // namespace

TTabletSprite::TTabletSprite(QWidget* parent) : QWidget(parent), FPicture(SpritePicture())
{
    setFixedSize(kSize, kSize);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
}

void TTabletSprite::SetPos(QPoint hotSpot)
{
    const QPoint topLeft = hotSpot - QPoint(kHotSpot, kHotSpot);
    if (topLeft != pos()) move(topLeft);
}

void TTabletSprite::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.drawPixmap(0, 0, FPicture);
}

} // namespace rs
