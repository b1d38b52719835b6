// Small pictures of the chart window and its tool windows: the point glyphs of
// the full-size chart, the residual legend, the tablet mode icons and the
// tablet cursor sprite. All are transparent where they show no ink.

#include "Art.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainterPath>
#include <QRadialGradient>

namespace rs::art {

namespace {

const QColor kHalo(255, 255, 255, 225);

QPainter* Begin(QPainter& p)
{
    p.setRenderHint(QPainter::Antialiasing);
    return &p;
}

// Control point: a red target with a white halo so that it stands out on the grid.
QImage DrawCtrlPt()
{
    QImage img = NewImage(11, 11);
    QPainter p(&img);
    Begin(p);
    const QPointF c(5.5, 5.5);
    for (int pass = 0; pass < 2; ++pass) {
        p.setPen(pass == 0 ? QPen(kHalo, 2.6) : QPen(QColor(200, 0, 0), 1.0));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(c, 3.4, 3.4);
        p.drawLine(QPointF(5.5, 0.5), QPointF(5.5, 3.0));
        p.drawLine(QPointF(5.5, 8.0), QPointF(5.5, 10.5));
        p.drawLine(QPointF(0.5, 5.5), QPointF(3.0, 5.5));
        p.drawLine(QPointF(8.0, 5.5), QPointF(10.5, 5.5));
    }
    p.end();
    img.setPixelColor(5, 5, QColor(200, 0, 0));
    return img;
}

// Ordinary curve point: a navy square edged in white.
QImage DrawDataPt()
{
    QImage img = NewImage(7, 7);
    QPainter p(&img);
    p.fillRect(0, 0, 7, 7, kHalo);
    p.fillRect(1, 1, 5, 5, pal::Navy);
    p.fillRect(2, 2, 3, 3, QColor(40, 72, 200));
    return img;
}

// Overflow peak: a red triangle pointing up.
QImage DrawPeakPt()
{
    QImage img = NewImage(9, 9);
    QPainter p(&img);
    Begin(p);
    QPainterPath tri;
    tri.moveTo(4.5, 0.9);
    tri.lineTo(8.2, 7.9);
    tri.lineTo(0.8, 7.9);
    tri.closeSubpath();
    p.setPen(QPen(kHalo, 1.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(tri);
    p.setPen(QPen(QColor(150, 0, 0), 0.9, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(QColor(230, 40, 30));
    p.drawPath(tri);
    return img;
}

// Failure point: a purple cross.
QImage DrawFailPt()
{
    QImage img = NewImage(9, 9);
    QPainter p(&img);
    Begin(p);
    for (int pass = 0; pass < 2; ++pass) {
        p.setPen(pass == 0 ? QPen(kHalo, 4.0, Qt::SolidLine, Qt::RoundCap)
                           : QPen(QColor(140, 0, 150), 2.0, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(2, 2), QPointF(7, 7));
        p.drawLine(QPointF(7, 2), QPointF(2, 7));
    }
    return img;
}

// Legend discs: a green tick or a red cross on a shaded disc.
QImage DrawLegend(bool ok)
{
    QImage img = NewImage(16, 16);
    QPainter p(&img);
    Begin(p);
    const QColor light = ok ? QColor(96, 200, 96) : QColor(240, 96, 84);
    const QColor dark = ok ? QColor(24, 128, 40) : QColor(180, 24, 24);
    QRadialGradient g(QPointF(6, 5), 10);
    g.setColorAt(0, light);
    g.setColorAt(1, dark);
    p.setPen(QPen(dark.darker(130), 1.0));
    p.setBrush(g);
    p.drawEllipse(QRectF(0.5, 0.5, 15, 15));
    p.setPen(QPen(Qt::white, 2.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    if (ok) {
        QPainterPath tick;
        tick.moveTo(4.2, 8.2);
        tick.lineTo(6.8, 10.8);
        tick.lineTo(11.8, 5.2);
        p.setBrush(Qt::NoBrush);
        p.drawPath(tick);
    } else {
        p.drawLine(QPointF(5.2, 5.2), QPointF(10.8, 10.8));
        p.drawLine(QPointF(10.8, 5.2), QPointF(5.2, 10.8));
    }
    return img;
}

void DrawModeCaption(QPainter& p, const QString& text, QColor color)
{
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(10);
    f.setBold(true);
    p.setFont(f);
    p.setPen(color);
    p.drawText(QRectF(0, 41, 31, 12), Qt::AlignCenter, text);
}

// Absolute mode: the tablet's puck, lens with cross-hair on top, four buttons below.
QImage DrawModeAbs()
{
    QImage img = NewImage(31, 53);
    QPainter p(&img);
    Begin(p);
    // cable
    p.setPen(QPen(QColor(70, 74, 84), 1.6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(15.5, 36), QPointF(15.5, 39.5));
    // body
    QPainterPath body;
    body.addRoundedRect(QRectF(4.5, 9.5, 22, 27), 5, 5);
    QLinearGradient bg(0, 9, 0, 37);
    bg.setColorAt(0, QColor(108, 114, 126));
    bg.setColorAt(1, QColor(58, 62, 72));
    p.setPen(QPen(QColor(36, 38, 44), 1.0));
    p.setBrush(bg);
    p.drawPath(body);
    // lens
    p.setPen(QPen(QColor(36, 38, 44), 1.0));
    p.setBrush(QColor(214, 232, 244, 235));
    p.drawEllipse(QPointF(15.5, 10.5), 9, 9);
    p.setPen(QPen(QColor(200, 0, 0), 1.0));
    p.drawLine(QPointF(15.5, 3), QPointF(15.5, 18));
    p.drawLine(QPointF(8, 10.5), QPointF(23, 10.5));
    p.setPen(QPen(QColor(255, 255, 255, 180), 1.0));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(9.5, 4.5, 12, 12), 100 * 16, 60 * 16);
    // buttons
    const QColor btn[4] = {QColor(250, 214, 60), QColor(236, 236, 236), QColor(70, 140, 240),
                           QColor(70, 190, 90)};
    for (int i = 0; i < 4; ++i) {
        const QRectF r(8.5 + (i % 2) * 8, 23.5 + (i / 2) * 6, 6, 4);
        p.setPen(QPen(QColor(30, 30, 34), 0.8));
        p.setBrush(btn[i]);
        p.drawRoundedRect(r, 1.2, 1.2);
    }
    DrawModeCaption(p, QStringLiteral("ABS"), QColor(0, 128, 0));
    return img;
}

// Relative mode: a mouse, cable on top.
QImage DrawModeRel()
{
    QImage img = NewImage(31, 53);
    QPainter p(&img);
    Begin(p);
    p.setPen(QPen(QColor(70, 74, 84), 1.6, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    QPainterPath cable;
    cable.moveTo(15.5, 7);
    cable.cubicTo(15.5, 3, 20, 4, 21, 0.8);
    p.drawPath(cable);

    QPainterPath body;
    body.addRoundedRect(QRectF(5.5, 6.5, 20, 32), 10, 11);
    QLinearGradient bg(5, 0, 26, 0);
    bg.setColorAt(0, QColor(250, 250, 252));
    bg.setColorAt(1, QColor(188, 194, 206));
    p.setPen(QPen(QColor(60, 64, 76), 1.0));
    p.setBrush(bg);
    p.drawPath(body);
    // button split and wheel
    p.setPen(QPen(QColor(96, 100, 112), 0.9));
    p.drawLine(QPointF(15.5, 7), QPointF(15.5, 19));
    p.drawLine(QPointF(6, 19.5), QPointF(25, 19.5));
    p.setPen(QPen(QColor(60, 64, 76), 0.8));
    p.setBrush(QColor(90, 96, 110));
    p.drawRoundedRect(QRectF(14, 10, 3, 6), 1.4, 1.4);
    DrawModeCaption(p, QStringLiteral("REL"), Qt::black);
    return img;
}

// Tablet cursor sprite: cross-hair with an open centre and a ring, drawn in
// black over a white halo so that it shows on any background.
QImage DrawTabCursor()
{
    QImage img = NewImage(21, 21);
    QPainter p(&img);
    Begin(p);
    const QPointF c(10.5, 10.5);
    for (int pass = 0; pass < 2; ++pass) {
        const bool halo = pass == 0;
        p.setPen(halo ? QPen(kHalo, 3.0, Qt::SolidLine, Qt::FlatCap) : QPen(Qt::black, 1.0, Qt::SolidLine, Qt::FlatCap));
        p.setBrush(Qt::NoBrush);
        p.drawLine(QPointF(10.5, halo ? 0.5 : 0), QPointF(10.5, 8));
        p.drawLine(QPointF(10.5, 13), QPointF(10.5, halo ? 20.5 : 21));
        p.drawLine(QPointF(halo ? 0.5 : 0, 10.5), QPointF(8, 10.5));
        p.drawLine(QPointF(13, 10.5), QPointF(halo ? 20.5 : 21, 10.5));
        p.drawEllipse(c, 5.5, 5.5);
    }
    p.end();
    // The hot spot itself, a single pixel that reads as the exact position.
    img.setPixelColor(10, 10, QColor(220, 0, 0));
    return img;
}

} // namespace

void MakePoints()
{
    Save(DrawCtrlPt(), "points/CtrlPt2", "points/CtrlPt2.png");
    Save(DrawDataPt(), "points/DataPt2", "points/DataPt2.png");
    Save(DrawPeakPt(), "points/DataPt2b", "points/DataPt2b.png");
    Save(DrawFailPt(), "points/DataPt2c", "points/DataPt2c.png");
    Save(DrawLegend(true), "legend/Ok", "legend/Ok.png");
    Save(DrawLegend(false), "legend/noOk", "legend/noOk.png");
    Save(DrawModeAbs(), "mode/Abs", "mode/ModeAbs.png");
    Save(DrawModeRel(), "mode/Rel", "mode/ModeRel.png");
    Save(DrawTabCursor(), "cursor/TabCursor", "cursor/TabCursor.png");
}

} // namespace rs::art
