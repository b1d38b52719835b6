// The tablet cursor sprite: placement by its hot spot, its picture and
// transparency, and the mouse going through it to the surface below.

#include "chartwin/Pictures.h"
#include "chartwin/SnapCursor.h"

#include <QMouseEvent>
#include <QPainter>
#include <QtTest>

using rs::TSnapCursor;

namespace {

// A surface that records the mouse as it arrives.
class TSurface : public QWidget
{
public:
    TSurface()
    {
        setAutoFillBackground(true);
        QPalette pal = palette();
        pal.setColor(QPalette::Window, QColor(255, 0, 0));
        setPalette(pal);
        resize(300, 200);
    }
    QList<QPoint> Presses, Releases, DoubleClicks;

protected:
    void mousePressEvent(QMouseEvent* e) override { Presses << e->position().toPoint(); }
    void mouseReleaseEvent(QMouseEvent* e) override { Releases << e->position().toPoint(); }
    void mouseDoubleClickEvent(QMouseEvent* e) override { DoubleClicks << e->position().toPoint(); }
};

QImage Shot(QWidget& surface, const QRect& r)
{
    return surface.grab(r).toImage().convertToFormat(QImage::Format_RGB32);
}

} // namespace

class TstSnapCursor : public QObject
{
    Q_OBJECT

private slots:
    void placementByHotSpot();
    void pictureIsCopiedAndSizesTheSprite();
    void emptyPictureDrawsACross();
    void transparency();
    void mouseGoesThrough();
};

void TstSnapCursor::placementByHotSpot()
{
    TSurface surface;
    TSnapCursor c(&surface);
    QCOMPARE(c.size(), QSize(23, 23));
    c.SetHotSpot(QPoint(10, 10));
    c.SetPos(QPoint(100, 50));
    QCOMPARE(c.pos(), QPoint(90, 40));
    QCOMPARE(c.PosX(), 100);
    QCOMPARE(c.PosY(), 50);

    // Moving the hot spot keeps the position, moving the sprite.
    c.SetHotSpotX(4);
    QCOMPARE(c.Pos(), QPoint(100, 50));
    QCOMPARE(c.pos(), QPoint(96, 40));
    c.SetHotSpotY(0);
    QCOMPARE(c.pos(), QPoint(96, 50));

    c.SetPosX(-20); // off the surface is allowed (the chart window parks it there)
    QCOMPARE(c.pos(), QPoint(-24, 50));
    c.SetPosY(7);
    QCOMPARE(c.Pos(), QPoint(-20, 7));
}

void TstSnapCursor::pictureIsCopiedAndSizesTheSprite()
{
    TSnapCursor c;
    QImage pic(QString::fromLatin1(rs::kPicTabCursor));
    QVERIFY(!pic.isNull());
    c.SetBitMap(pic);
    QCOMPARE(c.size(), QSize(21, 21));
    pic.fill(Qt::green);
    QVERIFY(c.BitMap().pixelColor(0, 0) != QColor(Qt::green));

    c.SetBitMap(QImage()); // an empty picture keeps the size
    QVERIFY(c.BitMap().isNull());
    QCOMPARE(c.size(), QSize(21, 21));
}

void TstSnapCursor::emptyPictureDrawsACross()
{
    TSurface surface;
    TSnapCursor c(&surface);
    c.move(10, 10);
    const QImage img = Shot(surface, c.geometry());
    const QRgb red = qRgb(255, 0, 0);
    QVERIFY(img.pixel(0, 0) != red);
    QVERIFY(img.pixel(11, 11) != red);
    QVERIFY(img.pixel(22, 0) != red);
    QVERIFY(img.pixel(0, 22) != red);
    QCOMPARE(img.pixel(11, 0), red);
    QCOMPARE(img.pixel(0, 11), red);
}

void TstSnapCursor::transparency()
{
    TSurface surface;
    TSnapCursor c(&surface);
    c.SetBitMap(QImage(QString::fromLatin1(rs::kPicTabCursor)));
    c.move(20, 20);
    const QRgb red = qRgb(255, 0, 0);

    QVERIFY(!c.Transparent());
    QImage img = Shot(surface, c.geometry());
    QCOMPARE(img.pixel(1, 1), qRgb(255, 255, 255)); // background drawn
    c.SetTransparent(true);
    img = Shot(surface, c.geometry());
    QCOMPARE(img.pixel(1, 1), red); // surface shows through
    QCOMPARE(img.pixel(10, 10), qRgb(220, 0, 0));
    QVERIFY(img.pixel(10, 2) != red);

    // An opaque picture: its bottom-left colour is the one left out.
    QImage opaque(9, 9, QImage::Format_RGB32);
    opaque.fill(QColor(0, 200, 0));
    QPainter p(&opaque);
    p.fillRect(3, 3, 3, 3, Qt::black);
    p.end();
    c.SetBitMap(opaque);
    img = Shot(surface, c.geometry());
    QCOMPARE(img.pixel(0, 0), red);
    QCOMPARE(img.pixel(4, 4), qRgb(0, 0, 0));
    c.SetTransparent(false);
    img = Shot(surface, c.geometry());
    QCOMPARE(img.pixel(0, 0), qRgb(0, 200, 0));
}

void TstSnapCursor::mouseGoesThrough()
{
    TSurface surface;
    TSnapCursor c(&surface);
    c.SetBitMap(QImage(QString::fromLatin1(rs::kPicTabCursor)));
    c.SetHotSpot(QPoint(10, 10));
    c.SetPos(QPoint(100, 50));
    surface.show();
    QVERIFY(QTest::qWaitForWindowExposed(&surface));

    QWindow* win = surface.windowHandle();
    QTest::mouseClick(win, Qt::LeftButton, {}, QPoint(103, 52));
    QCOMPARE(surface.Presses, QList<QPoint>{QPoint(103, 52)});
    QCOMPARE(surface.Releases, QList<QPoint>{QPoint(103, 52)});
    QTest::mouseDClick(win, Qt::LeftButton, {}, QPoint(100, 50));
    QVERIFY(surface.DoubleClicks.contains(QPoint(100, 50)));
}

QTEST_MAIN(TstSnapCursor)
#include "tst_SnapCursor.moc"
