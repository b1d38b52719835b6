// Tool-bar and menu icons (16 x 16, with 32 x 32 twins) and the program icon.
// Every icon is drawn on a 16-unit grid; 1-unit lines sit on half units so that
// both sizes come out crisp.

#include "Art.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainterPath>
#include <QRadialGradient>

#include <cmath>
#include <functional>

namespace rs::art {

namespace {

const QColor kLine(64, 68, 78);
const QColor kPageEdge(116, 122, 134);
const QColor kBlue(36, 104, 208);
const QColor kBlueLight(120, 172, 240);
const QColor kGreen(36, 150, 60);
const QColor kRed(206, 36, 36);
const QColor kYellow(250, 204, 84);
const QColor kYellowEdge(184, 132, 28);

using TDraw = std::function<void(QPainter&)>;

QPen Pen(QColor c, double w = 1.0) { return QPen(c, w, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin); }

void Page(QPainter& p, QRectF r, double fold = 3.0)
{
    QPainterPath path;
    path.moveTo(r.left(), r.top());
    path.lineTo(r.right() - fold, r.top());
    path.lineTo(r.right(), r.top() + fold);
    path.lineTo(r.right(), r.bottom());
    path.lineTo(r.left(), r.bottom());
    path.closeSubpath();
    QLinearGradient g(r.topLeft(), r.bottomRight());
    g.setColorAt(0, Qt::white);
    g.setColorAt(1, QColor(232, 236, 242));
    p.setPen(Pen(kPageEdge));
    p.setBrush(g);
    p.drawPath(path);
    QPainterPath ear;
    ear.moveTo(r.right() - fold, r.top());
    ear.lineTo(r.right() - fold, r.top() + fold);
    ear.lineTo(r.right(), r.top() + fold);
    p.setBrush(QColor(214, 220, 228));
    p.drawPath(ear);
}

void TextLines(QPainter& p, double x1, double x2, double y, int n, double step = 2.0)
{
    p.setPen(Pen(QColor(160, 168, 180)));
    for (int i = 0; i < n; ++i)
        p.drawLine(QPointF(x1, y + i * step), QPointF(x2 - (i % 2) * 1.5, y + i * step));
}

void Badge(QPainter& p, QPointF c, double r, QColor fill)
{
    p.setPen(Pen(fill.darker(140)));
    p.setBrush(fill);
    p.drawEllipse(c, r, r);
}

void BadgePlus(QPainter& p, QPointF c)
{
    Badge(p, c, 3.5, kGreen);
    p.setPen(Pen(Qt::white, 1.2));
    p.drawLine(QPointF(c.x() - 1.8, c.y()), QPointF(c.x() + 1.8, c.y()));
    p.drawLine(QPointF(c.x(), c.y() - 1.8), QPointF(c.x(), c.y() + 1.8));
}

void BadgeCross(QPainter& p, QPointF c)
{
    Badge(p, c, 3.5, kRed);
    p.setPen(Pen(Qt::white, 1.2));
    p.drawLine(QPointF(c.x() - 1.4, c.y() - 1.4), QPointF(c.x() + 1.4, c.y() + 1.4));
    p.drawLine(QPointF(c.x() + 1.4, c.y() - 1.4), QPointF(c.x() - 1.4, c.y() + 1.4));
}

void BadgeTick(QPainter& p, QPointF c)
{
    Badge(p, c, 3.5, kGreen);
    p.setPen(Pen(Qt::white, 1.2));
    QPainterPath t;
    t.moveTo(c.x() - 1.8, c.y() + 0.1);
    t.lineTo(c.x() - 0.5, c.y() + 1.5);
    t.lineTo(c.x() + 1.9, c.y() - 1.4);
    p.setBrush(Qt::NoBrush);
    p.drawPath(t);
}

void Folder(QPainter& p, bool open)
{
    QPainterPath back;
    back.moveTo(1.5, 3.5);
    back.lineTo(5.5, 3.5);
    back.lineTo(7, 5);
    back.lineTo(13.5, 5);
    back.lineTo(13.5, 13.5);
    back.lineTo(1.5, 13.5);
    back.closeSubpath();
    p.setPen(Pen(kYellowEdge));
    p.setBrush(QColor(236, 180, 60));
    p.drawPath(back);
    QLinearGradient g(0, 6, 0, 14);
    g.setColorAt(0, QColor(255, 226, 128));
    g.setColorAt(1, kYellow);
    p.setBrush(g);
    if (open) {
        QPainterPath front;
        front.moveTo(3.5, 7.5);
        front.lineTo(15.5, 7.5);
        front.lineTo(13.5, 13.5);
        front.lineTo(1.5, 13.5);
        front.closeSubpath();
        p.drawPath(front);
    } else {
        p.drawRect(QRectF(1.5, 6.5, 12, 7));
    }
}

void Drop(QPainter& p, QPointF tip, double size, QColor c = kBlue)
{
    QPainterPath d;
    d.moveTo(tip);
    d.cubicTo(tip.x() + size * 0.2, tip.y() + size * 0.35, tip.x() + size * 0.5, tip.y() + size * 0.55,
              tip.x() + size * 0.5, tip.y() + size * 0.75);
    d.arcTo(QRectF(tip.x() - size * 0.5, tip.y() + size * 0.5, size, size * 0.5), 0, -180);
    d.cubicTo(tip.x() - size * 0.5, tip.y() + size * 0.55, tip.x() - size * 0.2, tip.y() + size * 0.35,
              tip.x(), tip.y());
    QLinearGradient g(tip, QPointF(tip.x(), tip.y() + size));
    g.setColorAt(0, c.lighter(150));
    g.setColorAt(1, c);
    p.setPen(Pen(c.darker(140), 0.8));
    p.setBrush(g);
    p.drawPath(d);
}

void Magnifier(QPainter& p)
{
    p.setPen(QPen(kLine, 2.4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(10.2, 10.2), QPointF(14, 14));
    QRadialGradient g(QPointF(5, 5), 6);
    g.setColorAt(0, Qt::white);
    g.setColorAt(1, QColor(200, 224, 248));
    p.setPen(Pen(kLine, 1.2));
    p.setBrush(g);
    p.drawEllipse(QPointF(6.5, 6.5), 4.8, 4.8);
}

// Chart axes with the printed grid colour, used by the scale commands.
void Axes(QPainter& p)
{
    p.setPen(Pen(pal::GridMajor));
    for (double x : {6.5, 10.5})
        p.drawLine(QPointF(x, 2.5), QPointF(x, 13.5));
    for (double y : {5.5, 9.5})
        p.drawLine(QPointF(2.5, y), QPointF(13.5, y));
    p.setPen(Pen(kLine));
    p.drawLine(QPointF(2.5, 1.5), QPointF(2.5, 13.5));
    p.drawLine(QPointF(2.5, 13.5), QPointF(14.5, 13.5));
}

void Target(QPainter& p, QPointF c, QColor col = kRed)
{
    p.setPen(Pen(col, 1.0));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(c, 1.6, 1.6);
    p.drawLine(QPointF(c.x() - 2.6, c.y()), QPointF(c.x() + 2.6, c.y()));
    p.drawLine(QPointF(c.x(), c.y() - 2.6), QPointF(c.x(), c.y() + 2.6));
}

void Arrow(QPainter& p, QPointF from, QPointF to, QColor c, double w = 1.6)
{
    p.setPen(Pen(c, w));
    p.drawLine(from, to);
    const double a = std::atan2(to.y() - from.y(), to.x() - from.x());
    const double l = 3.0;
    QPainterPath head;
    head.moveTo(to.x() + std::cos(a) * 0.8, to.y() + std::sin(a) * 0.8);
    head.lineTo(to.x() - l * std::cos(a - 0.6), to.y() - l * std::sin(a - 0.6));
    head.lineTo(to.x() - l * std::cos(a + 0.6), to.y() - l * std::sin(a + 0.6));
    head.closeSubpath();
    p.setPen(Pen(c, 0.8));
    p.setBrush(c);
    p.drawPath(head);
}

// Circular arrow from startDeg sweeping sweepDeg (counter-clockwise positive) around c.
void CurvedArrow(QPainter& p, QPointF c, double r, double startDeg, double sweepDeg, QColor col)
{
    p.setPen(Pen(col, 1.6));
    p.setBrush(Qt::NoBrush);
    const QRectF box(c.x() - r, c.y() - r, 2 * r, 2 * r);
    p.drawArc(box, int(startDeg * 16), int(sweepDeg * 16));
    const double end = (startDeg + sweepDeg) * M_PI / 180;
    const QPointF tip(c.x() + r * std::cos(end), c.y() - r * std::sin(end));
    // tangent direction of travel
    const double dir = sweepDeg > 0 ? end + M_PI / 2 : end - M_PI / 2;
    const QPointF d(std::cos(dir), -std::sin(dir));
    const QPointF n(-d.y(), d.x());
    QPainterPath head;
    head.moveTo(tip + d * 2.6);
    head.lineTo(tip + n * 2.4);
    head.lineTo(tip - n * 2.4);
    head.closeSubpath();
    p.setPen(Pen(col, 0.6));
    p.setBrush(col);
    p.drawPath(head);
}

void Curve(QPainter& p, const std::vector<QPointF>& pts, QColor c, double w = 1.4)
{
    QPainterPath path;
    path.moveTo(pts.front());
    for (size_t i = 1; i < pts.size(); ++i)
        path.lineTo(pts[i]);
    p.setPen(Pen(c, w));
    p.setBrush(Qt::NoBrush);
    p.drawPath(path);
}

void Pencil(QPainter& p, QPointF tip, double len)
{
    // a pencil lying at 45 degrees, tip at the bottom left
    p.save();
    p.translate(tip);
    p.rotate(-45);
    QPainterPath body;
    body.moveTo(0, 0);
    body.lineTo(3, -1.6);
    body.lineTo(len, -1.6);
    body.lineTo(len, 1.6);
    body.lineTo(3, 1.6);
    body.closeSubpath();
    p.setPen(Pen(QColor(120, 80, 20), 0.8));
    p.setBrush(kYellow);
    p.drawPath(body);
    QPainterPath wood;
    wood.moveTo(0, 0);
    wood.lineTo(3, -1.6);
    wood.lineTo(3, 1.6);
    wood.closeSubpath();
    p.setBrush(QColor(244, 214, 170));
    p.drawPath(wood);
    p.setPen(Qt::NoPen);
    p.setBrush(kLine);
    p.drawEllipse(QPointF(0.6, 0), 0.7, 0.6);
    p.setBrush(QColor(236, 120, 140));
    p.drawRect(QRectF(len - 1.8, -1.6, 1.8, 3.2));
    p.restore();
}

void TextGlyph(QPainter& p, QRectF r, const QString& text, QColor c, double px, bool bold = true)
{
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(int(std::lround(px * p.transform().m11())));
    f.setBold(bold);
    p.save();
    const double s = p.transform().m11();
    p.resetTransform();
    p.setFont(f);
    p.setPen(c);
    p.drawText(QRectF(r.x() * s, r.y() * s, r.width() * s, r.height() * s), Qt::AlignCenter, text);
    p.restore();
}

void Gear(QPainter& p)
{
    QPainterPath gear;
    const QPointF c(8, 8);
    const int teeth = 8;
    for (int i = 0; i < teeth * 2; ++i) {
        const double a0 = (i - 0.5) * M_PI / teeth, a1 = (i + 0.5) * M_PI / teeth;
        const double r = i % 2 == 0 ? 7.0 : 5.2;
        const QPointF p0(c.x() + r * std::cos(a0), c.y() + r * std::sin(a0));
        const QPointF p1(c.x() + r * std::cos(a1), c.y() + r * std::sin(a1));
        if (i == 0)
            gear.moveTo(p0);
        else
            gear.lineTo(p0);
        gear.lineTo(p1);
    }
    gear.closeSubpath();
    gear.addEllipse(c, 2.2, 2.2);
    gear.setFillRule(Qt::OddEvenFill);
    QLinearGradient g(0, 1, 0, 15);
    g.setColorAt(0, QColor(176, 184, 198));
    g.setColorAt(1, QColor(104, 112, 128));
    p.setPen(Pen(kLine, 0.9));
    p.setBrush(g);
    p.drawPath(gear);
}

void Table(QPainter& p, QRectF r, int cols, int rows)
{
    p.setPen(Pen(kPageEdge));
    p.setBrush(Qt::white);
    p.drawRect(r);
    const double rh = r.height() / rows;
    p.setPen(Qt::NoPen);
    p.setBrush(kBlueLight);
    p.drawRect(QRectF(r.left() + 0.5, r.top() + 0.5, r.width() - 1, rh - 0.5));
    p.setPen(Pen(QColor(150, 158, 172), 1.0));
    for (int i = 1; i < rows; ++i)
        p.drawLine(QPointF(r.left(), r.top() + i * rh), QPointF(r.right(), r.top() + i * rh));
    for (int j = 1; j < cols; ++j) {
        const double x = std::floor(r.left() + j * r.width() / cols) + 0.5;
        p.drawLine(QPointF(x, r.top()), QPointF(x, r.bottom()));
    }
    p.setPen(Pen(kPageEdge));
    p.setBrush(Qt::NoBrush);
    p.drawRect(r);
}

struct TIcon
{
    const char* Name;
    TDraw Draw;
};

const std::vector<TIcon>& Icons()
{
    static const std::vector<TIcon> icons = {
        {"New",
         [](QPainter& p) {
             Page(p, QRectF(2.5, 1.5, 10, 13));
             Curve(p, {{4.5, 11}, {6.5, 9}, {8, 9.5}, {10.5, 5}}, pal::Ink, 1.1);
             BadgePlus(p, QPointF(12, 12));
         }},
        {"Open",
         [](QPainter& p) { Folder(p, true); }},
        {"Save",
         [](QPainter& p) {
             QLinearGradient g(0, 1, 0, 15);
             g.setColorAt(0, QColor(70, 130, 220));
             g.setColorAt(1, QColor(30, 80, 170));
             p.setPen(Pen(QColor(20, 50, 120)));
             p.setBrush(g);
             p.drawRoundedRect(QRectF(1.5, 1.5, 13, 13), 1.5, 1.5);
             p.setPen(Pen(QColor(150, 160, 180), 0.8));
             p.setBrush(Qt::white);
             p.drawRect(QRectF(4, 1.5, 8, 5.5));
             p.setPen(Qt::NoPen);
             p.setBrush(QColor(70, 76, 90));
             p.drawRect(QRectF(9.3, 2.4, 1.6, 3.6));
             p.setBrush(QColor(228, 232, 240));
             p.drawRect(QRectF(4, 9.5, 8, 5));
         }},
        {"Close",
         [](QPainter& p) {
             Page(p, QRectF(2.5, 1.5, 10, 13));
             TextLines(p, 4.5, 10.5, 5.5, 3);
             BadgeCross(p, QPointF(12, 12));
         }},
        {"DryDays",
         [](QPainter& p) {
             p.setPen(Pen(QColor(236, 150, 20), 1.3));
             for (int i = 0; i < 8; ++i) {
                 const double a = i * M_PI / 4;
                 p.drawLine(QPointF(8 + 4.8 * std::cos(a), 8 + 4.8 * std::sin(a)),
                            QPointF(8 + 6.8 * std::cos(a), 8 + 6.8 * std::sin(a)));
             }
             QRadialGradient g(QPointF(7, 7), 4);
             g.setColorAt(0, QColor(255, 244, 150));
             g.setColorAt(1, QColor(250, 190, 40));
             p.setPen(Pen(QColor(220, 140, 10)));
             p.setBrush(g);
             p.drawEllipse(QPointF(8, 8), 3.6, 3.6);
         }},
        {"DataFolder",
         [](QPainter& p) {
             Folder(p, false);
             Drop(p, QPointF(11.5, 7), 6.5);
         }},
        {"Convert",
         [](QPainter& p) {
             Page(p, QRectF(1.5, 1.5, 7, 9), 2.0);
             Page(p, QRectF(7.5, 5.5, 7, 9), 2.0);
             Curve(p, {{9, 12.5}, {10.5, 10.5}, {11.5, 11}, {13, 8.5}}, pal::Ink, 1.0);
             Arrow(p, QPointF(3.5, 13), QPointF(6.2, 13), kGreen, 1.4);
         }},
        {"Explorer",
         [](QPainter& p) {
             for (int i = 0; i < 4; ++i) {
                 const double x = 1.5 + (i % 2) * 7, y = 1.5 + (i / 2) * 7;
                 p.setPen(Pen(pal::GridFrame));
                 p.setBrush(pal::PaperTint);
                 p.drawRect(QRectF(x, y, 6, 6));
                 const double h = 1.0 + i * 0.8;
                 Curve(p, {{x + 1, y + 5}, {x + 2.5, y + 5 - h * 0.5}, {x + 3.5, y + 5 - h}, {x + 5, y + 5 - h * 1.1}},
                       pal::Ink, 0.9);
             }
         }},
        {"Properties",
         [](QPainter& p) {
             Page(p, QRectF(2.5, 1.5, 10, 13));
             TextLines(p, 4.5, 10.5, 5.5, 3);
             Badge(p, QPointF(12, 12), 3.5, kBlue);
             p.setPen(Pen(Qt::white, 1.3));
             p.drawLine(QPointF(12, 11.3), QPointF(12, 14));
             p.drawPoint(QPointF(12, 9.7));
         }},
        {"Options", [](QPainter& p) { Gear(p); }},
        {"Exit",
         [](QPainter& p) {
             p.setPen(Pen(QColor(110, 70, 30)));
             p.setBrush(QColor(178, 122, 66));
             p.drawRect(QRectF(2.5, 1.5, 7, 13));
             p.setBrush(QColor(232, 204, 120));
             p.setPen(Qt::NoPen);
             p.drawEllipse(QPointF(8, 8.5), 0.8, 0.8);
             Arrow(p, QPointF(7, 8.5), QPointF(13.5, 8.5), kGreen, 1.8);
         }},
        {"TabletTest",
         [](QPainter& p) {
             p.setPen(Pen(kLine));
             p.setBrush(QColor(96, 102, 116));
             p.drawRoundedRect(QRectF(0.5, 4.5, 15, 10), 1.5, 1.5);
             p.setPen(Pen(QColor(150, 156, 170), 0.8));
             p.setBrush(QColor(196, 214, 232));
             p.drawRect(QRectF(2.5, 6.5, 11, 6));
             Pencil(p, QPointF(7, 10), 9);
         }},
        {"AbsMode",
         [](QPainter& p) {
             p.setPen(Pen(kLine));
             p.setBrush(QColor(214, 232, 244));
             p.drawEllipse(QPointF(8, 8), 6, 6);
             Target(p, QPointF(8, 8), QColor(0, 128, 0));
             p.setPen(Pen(QColor(0, 128, 0), 1.0));
             p.drawLine(QPointF(8, 1.5), QPointF(8, 4.5));
             p.drawLine(QPointF(8, 11.5), QPointF(8, 14.5));
             p.drawLine(QPointF(1.5, 8), QPointF(4.5, 8));
             p.drawLine(QPointF(11.5, 8), QPointF(14.5, 8));
         }},
        {"RelMode",
         [](QPainter& p) {
             QLinearGradient g(3, 0, 13, 0);
             g.setColorAt(0, Qt::white);
             g.setColorAt(1, QColor(186, 192, 206));
             p.setPen(Pen(kLine));
             p.setBrush(g);
             p.drawRoundedRect(QRectF(3.5, 1.5, 9, 13), 4.5, 4.5);
             p.drawLine(QPointF(8, 1.5), QPointF(8, 6.5));
             p.drawLine(QPointF(3.5, 6.5), QPointF(12.5, 6.5));
         }},
        {"SwapMode",
         [](QPainter& p) {
             CurvedArrow(p, QPointF(8, 8), 5.5, 200, -160, kBlue);
             CurvedArrow(p, QPointF(8, 8), 5.5, 20, -160, kGreen);
         }},
        {"Support",
         [](QPainter& p) {
             p.setPen(Pen(kPageEdge));
             p.setBrush(Qt::white);
             p.drawRect(QRectF(1.5, 3.5, 13, 9));
             p.setBrush(Qt::NoBrush);
             QPainterPath flap;
             flap.moveTo(1.5, 3.5);
             flap.lineTo(8, 9);
             flap.lineTo(14.5, 3.5);
             p.drawPath(flap);
             p.setPen(Pen(QColor(196, 200, 210), 0.8));
             p.drawLine(QPointF(1.8, 12.2), QPointF(6, 8));
             p.drawLine(QPointF(14.2, 12.2), QPointF(10, 8));
         }},
        {"About",
         [](QPainter& p) {
             QRadialGradient g(QPointF(6, 5), 9);
             g.setColorAt(0, kBlueLight);
             g.setColorAt(1, kBlue);
             p.setPen(Pen(kBlue.darker(140)));
             p.setBrush(g);
             p.drawEllipse(QPointF(8, 8), 6.5, 6.5);
             p.setPen(Pen(Qt::white, 1.8));
             p.drawLine(QPointF(8, 7.2), QPointF(8, 11.6));
             p.drawPoint(QPointF(8, 4.6));
         }},
        {"DefScale",
         [](QPainter& p) {
             Axes(p);
             Target(p, QPointF(6.5, 9.5));
             Target(p, QPointF(10.5, 5.5));
         }},
        {"FinishScale",
         [](QPainter& p) {
             Axes(p);
             Target(p, QPointF(6.5, 9.5));
             BadgeTick(p, QPointF(11.5, 5));
         }},
        {"CancelScale",
         [](QPainter& p) {
             Axes(p);
             Target(p, QPointF(6.5, 9.5));
             BadgeCross(p, QPointF(11.5, 5));
         }},
        {"Statistics",
         [](QPainter& p) {
             const QColor cols[3] = {kBlue, kGreen, QColor(236, 140, 30)};
             const double h[3] = {6, 10, 4};
             for (int i = 0; i < 3; ++i) {
                 p.setPen(Pen(cols[i].darker(140), 0.8));
                 p.setBrush(cols[i]);
                 p.drawRect(QRectF(2.5 + i * 4, 13.5 - h[i], 3, h[i]));
             }
             p.setPen(Pen(kLine));
             p.drawLine(QPointF(1, 13.5), QPointF(15, 13.5));
         }},
        {"Undo",
         [](QPainter& p) { CurvedArrow(p, QPointF(8.5, 9), 5, -60, 220, kBlue); }},
        {"Delete",
         [](QPainter& p) {
             p.setPen(QPen(kRed.darker(130), 3.4, Qt::SolidLine, Qt::RoundCap));
             p.drawLine(QPointF(3.5, 3.5), QPointF(12.5, 12.5));
             p.drawLine(QPointF(12.5, 3.5), QPointF(3.5, 12.5));
             p.setPen(QPen(kRed, 2.2, Qt::SolidLine, Qt::RoundCap));
             p.drawLine(QPointF(3.5, 3.5), QPointF(12.5, 12.5));
             p.drawLine(QPointF(12.5, 3.5), QPointF(3.5, 12.5));
         }},
        {"Digitize",
         [](QPainter& p) {
             Curve(p, {{1.5, 14}, {3.5, 13}, {5, 10.5}, {6.5, 10}, {8.5, 8}}, pal::Ink, 1.4);
             p.setPen(Qt::NoPen);
             p.setBrush(pal::Navy);
             for (QPointF c : {QPointF(3.5, 13), QPointF(6.5, 10)})
                 p.drawRect(QRectF(c.x() - 1, c.y() - 1, 2, 2));
             Pencil(p, QPointF(8.5, 8), 9);
         }},
        {"Overflow",
         [](QPainter& p) {
             Curve(p, {{1.5, 13.5}, {4, 9}, {7, 2.5}}, pal::Ink, 1.4);
             Arrow(p, QPointF(7.5, 2.5), QPointF(7.5, 12), kRed, 1.4);
             Curve(p, {{8.5, 13.5}, {11, 10}, {14.5, 7}}, pal::Ink, 1.4);
             p.setPen(Pen(kLine));
             p.drawLine(QPointF(0.5, 14.5), QPointF(15.5, 14.5));
         }},
        {"Failure",
         [](QPainter& p) {
             Curve(p, {{1, 12.5}, {3.5, 10.5}, {5.5, 9.5}}, pal::Ink, 1.4);
             Curve(p, {{10.5, 6.5}, {12.5, 5}, {15, 3.5}}, pal::Ink, 1.4);
             QPen dash(QColor(150, 150, 160), 1.0, Qt::DotLine);
             p.setPen(dash);
             p.drawLine(QPointF(5.5, 9.5), QPointF(10.5, 6.5));
             p.setPen(Pen(QColor(140, 0, 150), 1.8));
             p.drawLine(QPointF(6, 5.5), QPointF(10, 10.5));
             p.drawLine(QPointF(10, 5.5), QPointF(6, 10.5));
         }},
        {"FinishDigit",
         [](QPainter& p) {
             p.setPen(Pen(kLine, 1.2));
             p.drawLine(QPointF(3, 1.5), QPointF(3, 15));
             p.setPen(Pen(kLine, 0.8));
             p.setBrush(Qt::white);
             p.drawRect(QRectF(3.5, 2, 10, 7));
             p.setPen(Qt::NoPen);
             p.setBrush(QColor(40, 44, 52));
             for (int r = 0; r < 3; ++r)
                 for (int c = 0; c < 4; ++c)
                     if ((r + c) % 2 == 0)
                         p.drawRect(QRectF(3.5 + c * 2.5, 2 + r * 7.0 / 3, 2.5, 7.0 / 3));
         }},
        {"Results", [](QPainter& p) { Table(p, QRectF(1.5, 2.5, 13, 11), 3, 4); }},
        {"Chrono",
         [](QPainter& p) {
             QRadialGradient g(QPointF(6, 6), 8);
             g.setColorAt(0, Qt::white);
             g.setColorAt(1, QColor(220, 228, 240));
             p.setPen(Pen(kLine, 1.1));
             p.setBrush(g);
             p.drawEllipse(QPointF(8, 8), 6.5, 6.5);
             p.setPen(Pen(kLine, 1.2));
             p.drawLine(QPointF(8, 8), QPointF(8, 4));
             p.drawLine(QPointF(8, 8), QPointF(11, 9.5));
             p.setPen(Pen(kRed, 1.0));
             p.drawPoint(QPointF(8, 8));
         }},
        {"RoundZero",
         [](QPainter& p) {
             TextGlyph(p, QRectF(5, 1, 11, 14), QStringLiteral("0"), kBlue, 12);
             Arrow(p, QPointF(3, 2.5), QPointF(3, 12), kLine, 1.4);
             p.setPen(Pen(kLine));
             p.drawLine(QPointF(0.5, 14.5), QPointF(15.5, 14.5));
         }},
        {"SelNext",
         [](QPainter& p) {
             Curve(p, {{0.5, 11.5}, {4.5, 9.5}, {9, 5.5}}, QColor(130, 136, 180), 1.2);
             p.setPen(Pen(Qt::white, 0.8));
             p.setBrush(pal::Navy);
             p.drawRect(QRectF(2.5, 7.5, 4, 4));
             Arrow(p, QPointF(7, 11.5), QPointF(14, 11.5), kGreen, 1.8);
         }},
        {"SelPrev",
         [](QPainter& p) {
             Curve(p, {{7, 5.5}, {11.5, 9.5}, {15.5, 11.5}}, QColor(130, 136, 180), 1.2);
             p.setPen(Pen(Qt::white, 0.8));
             p.setBrush(pal::Navy);
             p.drawRect(QRectF(9.5, 7.5, 4, 4));
             Arrow(p, QPointF(9, 11.5), QPointF(2, 11.5), kGreen, 1.8);
         }},
        {"Refresh",
         [](QPainter& p) {
             CurvedArrow(p, QPointF(8, 8), 5.5, 100, -150, kGreen);
             CurvedArrow(p, QPointF(8, 8), 5.5, 280, -150, kGreen);
         }},
        {"GridAll",
         [](QPainter& p) {
             p.setPen(Pen(pal::GridMinor));
             for (double v : {4.5, 7.5, 10.5}) {
                 p.drawLine(QPointF(v, 1.5), QPointF(v, 13.5));
                 p.drawLine(QPointF(1.5, v), QPointF(13.5, v));
             }
             p.setPen(Pen(pal::GridFrame));
             p.setBrush(Qt::NoBrush);
             p.drawRect(QRectF(1.5, 1.5, 12, 12));
         }},
        {"GridNone",
         [](QPainter& p) {
             p.setPen(Pen(pal::GridFrame));
             p.setBrush(pal::PaperTint);
             p.drawRect(QRectF(1.5, 1.5, 12, 12));
             p.setPen(Pen(kRed, 1.4));
             p.drawLine(QPointF(3.5, 11.5), QPointF(11.5, 3.5));
         }},
        {"ZoomIn",
         [](QPainter& p) {
             Magnifier(p);
             p.setPen(Pen(kLine, 1.4));
             p.drawLine(QPointF(4.3, 6.5), QPointF(8.7, 6.5));
             p.drawLine(QPointF(6.5, 4.3), QPointF(6.5, 8.7));
         }},
        {"ZoomOut",
         [](QPainter& p) {
             Magnifier(p);
             p.setPen(Pen(kLine, 1.4));
             p.drawLine(QPointF(4.3, 6.5), QPointF(8.7, 6.5));
         }},
        {"Zoom100",
         [](QPainter& p) {
             Magnifier(p);
             TextGlyph(p, QRectF(2, 2, 9, 9), QStringLiteral("1"), kLine, 7);
         }},
        {"Copy",
         [](QPainter& p) {
             Page(p, QRectF(1.5, 1.5, 8, 10), 2.0);
             Page(p, QRectF(6.5, 4.5, 8, 10), 2.0);
             TextLines(p, 8, 13, 8.5, 3);
         }},
        {"SelectAll",
         [](QPainter& p) {
             Table(p, QRectF(1.5, 2.5, 13, 11), 3, 4);
             p.setPen(Qt::NoPen);
             p.setBrush(QColor(36, 104, 208, 70));
             p.drawRect(QRectF(1.5, 2.5, 13, 11));
         }},
    };
    return icons;
}

QImage Render(const TDraw& draw, int size)
{
    QImage img = NewImage(size, size);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.scale(size / 16.0, size / 16.0);
    draw(p);
    return img;
}

// Program icon: a rain cloud over a strip of chart paper with its trace.
QImage DrawAppIcon(int size)
{
    QImage img = NewImage(size, size);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const double s = size / 64.0;
    p.scale(s, s);

    QLinearGradient sky(0, 0, 0, 64);
    sky.setColorAt(0, QColor(34, 78, 150));
    sky.setColorAt(1, QColor(14, 36, 84));
    p.setPen(Qt::NoPen);
    p.setBrush(sky);
    p.drawRoundedRect(QRectF(2, 2, 60, 60), 12, 12);

    // the paper
    const QRectF paper(9, 26, 46, 30);
    p.setBrush(pal::PaperTint);
    p.setPen(QPen(pal::GridFrame, size >= 32 ? 1.2 : 2.0));
    p.drawRoundedRect(paper, 2, 2);
    if (size >= 32) {
        p.setPen(QPen(pal::GridMinor, 1.0));
        for (double x = paper.left() + 6; x < paper.right() - 1; x += 6)
            p.drawLine(QPointF(x, paper.top() + 1), QPointF(x, paper.bottom() - 1));
        for (double y = paper.top() + 6; y < paper.bottom() - 1; y += 6)
            p.drawLine(QPointF(paper.left() + 1, y), QPointF(paper.right() - 1, y));
    }
    // the trace: it climbs while it rains and drops back at the siphon's overflow
    QPainterPath trace;
    trace.moveTo(11, 52);
    trace.lineTo(17, 51);
    trace.cubicTo(22, 49, 25, 40, 30, 31);
    trace.lineTo(30, 52);
    trace.cubicTo(35, 50, 40, 44, 46, 42);
    trace.lineTo(53, 41);
    p.setPen(QPen(QColor(70, 30, 160), size >= 32 ? 2.4 : 3.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(trace);

    // cloud and drops
    QPainterPath cloud;
    cloud.addEllipse(QRectF(14, 9, 16, 13));
    cloud.addEllipse(QRectF(22, 4, 18, 17));
    cloud.addEllipse(QRectF(34, 9, 16, 13));
    cloud.addRoundedRect(QRectF(14, 14, 36, 8), 4, 4);
    cloud.setFillRule(Qt::WindingFill);
    QLinearGradient cg(0, 4, 0, 22);
    cg.setColorAt(0, Qt::white);
    cg.setColorAt(1, QColor(196, 212, 232));
    p.setPen(Qt::NoPen);
    p.setBrush(cg);
    p.drawPath(cloud.simplified());
    if (size >= 32) {
        p.setPen(QPen(QColor(130, 190, 255), 1.8, Qt::SolidLine, Qt::RoundCap));
        for (double x : {20.0, 32.0, 44.0})
            p.drawLine(QPointF(x, 23.5), QPointF(x - 1.5, 27));
    }
    return img;
}

} // namespace

void MakeIcons()
{
    for (const TIcon& icon : Icons()) {
        const QString name = QString::fromLatin1(icon.Name);
        Save(Render(icon.Draw, 16), QStringLiteral("icons/") + name, QStringLiteral("icons/%1.png").arg(name));
        Save(Render(icon.Draw, 32), QStringLiteral("icons/%1@2x").arg(name),
             QStringLiteral("icons/%1@2x.png").arg(name));
    }
    for (int size : {16, 32, 48, 256})
        Save(DrawAppIcon(size), QStringLiteral("app/Icon%1").arg(size), QStringLiteral("app/Icon%1.png").arg(size));
}

} // namespace rs::art
