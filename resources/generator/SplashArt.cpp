// The splash and about pictures (360 x 270, JPEG): a rainy sky above a strip of
// chart paper whose trace climbs with the rain and drops at each overflow.
// The windows draw "Versão 1.02" over the pictures at (134, 165) (splash) and
// (134, 163) (about, in picture coordinates), so that band is left plain white.

#include "Art.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainterPath>
#include <QRadialGradient>

#include <cmath>

namespace rs::art {

namespace {

constexpr int kW = 360;
constexpr int kH = 270;

QFont Font(int px, bool bold, const char* family = "DejaVu Sans")
{
    QFont f(QString::fromLatin1(family));
    f.setPixelSize(px);
    f.setBold(bold);
    f.setHintingPreference(QFont::PreferNoHinting);
    return f;
}

void Sky(QPainter& p, double bottom, std::uint32_t seed)
{
    QLinearGradient g(0, 0, 0, bottom);
    g.setColorAt(0, pal::SkyTop);
    g.setColorAt(1, pal::SkyBottom);
    p.fillRect(QRectF(0, 0, kW, bottom), g);

    TRandom rnd(seed);
    // soft clouds
    for (int i = 0; i < 14; ++i) {
        const QPointF c(rnd.Range(-20, kW + 20), rnd.Range(-10, bottom * 0.45));
        const double r = rnd.Range(26, 60);
        QRadialGradient cg(c, r);
        cg.setColorAt(0, QColor(255, 255, 255, 46));
        cg.setColorAt(1, QColor(255, 255, 255, 0));
        p.setPen(Qt::NoPen);
        p.setBrush(cg);
        p.drawEllipse(c, r * 1.6, r);
    }
    // rain
    for (int i = 0; i < 170; ++i) {
        const double x = rnd.Range(-20, kW + 10);
        const double y = rnd.Range(-10, bottom);
        const double len = rnd.Range(5, 12);
        const int alpha = int(rnd.Range(40, 110));
        p.setPen(QPen(QColor(200, 225, 255, alpha), rnd.Range(0.6, 1.2), Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(x, y), QPointF(x - len * 0.25, y + len));
    }
}

// The paper's edge: a gentle wave with a soft shadow beneath the sky.
void PaperEdge(QPainter& p, double y0)
{
    QPainterPath paper;
    paper.moveTo(0, y0);
    paper.cubicTo(kW * 0.3, y0 - 12, kW * 0.65, y0 + 10, kW, y0 - 4);
    paper.lineTo(kW, kH);
    paper.lineTo(0, kH);
    paper.closeSubpath();
    for (int i = 4; i >= 1; --i) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0, 0, 30, 14));
        p.drawPath(paper.translated(0, -i));
    }
    p.setBrush(Qt::white);
    p.drawPath(paper);
}

void Title(QPainter& p, QRectF r, int px, QColor color, bool shadow)
{
    const QString text = QStringLiteral("Rain Scribe");
    p.setFont(Font(px, true));
    if (shadow) {
        p.setPen(QColor(0, 0, 20, 110));
        p.drawText(r.translated(1.5, 2), Qt::AlignCenter, text);
    }
    p.setPen(color);
    p.drawText(r, Qt::AlignCenter, text);
}

// A strip of chart paper with its grid, hour ticks and an ink trace.
void ChartStrip(QPainter& p, QRectF r, std::uint32_t seed)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    p.fillRect(r, pal::PaperTint);
    const double dx = 10, dy = r.height() / 10;
    for (int i = 0; i * dx <= r.width() + 0.1; ++i) {
        const double x = r.left() + i * dx;
        p.setPen(QPen(i % 6 == 0 ? pal::GridMajor : pal::GridMinor, 1));
        p.drawLine(QPointF(x, r.top()), QPointF(x, r.bottom()));
    }
    for (int j = 0; j <= 10; ++j) {
        const double y = r.top() + j * dy;
        p.setPen(QPen(j == 5 ? pal::GridMajor : pal::GridMinor, 1));
        p.drawLine(QPointF(r.left(), y), QPointF(r.right(), y));
    }
    p.setPen(QPen(pal::GridFrame, 1.5));
    p.setBrush(Qt::NoBrush);
    p.drawRect(r);
    p.restore();

    // The trace: flat while dry, rising with the showers, vertical drops at the overflows.
    TRandom rnd(seed);
    QPainterPath trace;
    double level = 0.4; // in tenths of the strip height
    double x = r.left();
    trace.moveTo(x, r.bottom() - level * dy);
    while (x < r.right() - 2) {
        const bool raining = rnd.Next() < 0.62;
        const double step = rnd.Range(4, 11);
        const double nx = std::min(r.right() - 1, x + step);
        if (raining)
            level += rnd.Range(0.4, 2.6) * (nx - x) / 8;
        if (level >= 9.6) {
            // siphon: back to zero within seconds
            trace.lineTo(x, r.bottom() - 9.6 * dy);
            level = rnd.Range(0.05, 0.4);
            trace.lineTo(x + 0.6, r.bottom() - level * dy);
        }
        trace.lineTo(nx, r.bottom() - level * dy);
        x = nx;
    }
    p.setPen(QPen(pal::Ink, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(trace);
}

QImage DrawSplash()
{
    QImage img = NewImage(kW, kH, Qt::white);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    Sky(p, 130, 20240601);
    PaperEdge(p, 122);
    Title(p, QRectF(0, 36, kW, 60), 44, Qt::white, true);

    p.setFont(Font(13, false));
    p.setPen(QColor(70, 84, 110));
    p.drawText(QRectF(0, 134, kW, 22), Qt::AlignCenter, QStringLiteral("Digitalização de Pluviogramas"));

    ChartStrip(p, QRectF(20.5, 196.5, 320, 56), 7);

    // The splash window has no border of its own.
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QColor(40, 64, 110));
    p.setBrush(Qt::NoBrush);
    p.drawRect(0, 0, kW - 1, kH - 1);
    return img;
}

QImage DrawAbout()
{
    QImage img = NewImage(kW, kH, Qt::white);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    Sky(p, 78, 1102);
    PaperEdge(p, 70);
    Title(p, QRectF(0, 82, kW, 46), 34, pal::SkyTop, false);

    p.setFont(Font(12, false));
    p.setPen(QColor(70, 84, 110));
    p.drawText(QRectF(0, 128, kW, 20), Qt::AlignCenter, QStringLiteral("Digitalização de Pluviogramas"));

    ChartStrip(p, QRectF(30.5, 194.5, 300, 50), 31);
    return img;
}

} // namespace

void MakeSplash()
{
    Save(DrawSplash(), "app/Splash", "app/Splash.jpg", "JPG", 92);
    Save(DrawAbout(), "app/About", "app/About.jpg", "JPG", 92);
}

} // namespace rs::art
