// The small chart picture's art: the blank charts with straight and curved
// precipitation axes, the hour strips and the coloured markers.
//
// The grid is set pixel by pixel from the same formulas TChartImage uses to
// place markers, so every hour line and millimetre line lies exactly where a
// marker of that time or precipitation is centred:
//   y = 82 - round(7 p)
//   straight: x = 20 + round(10 h)
//   curved:   x = 14 + round(173 (cos a + 1) + 10 h), a = ((p + 1) 2.5 + 165) degrees
// with h the hours after the chart's start. The printed grid covers 0 to 10 mm
// and 24 hours; the margins leave room for markers down to -1 and up to 11 mm.

#include "Art.h"

#include <algorithm>
#include <functional>

namespace rs::art {

namespace {

constexpr int kTop = 12;    // y of 10 mm
constexpr int kBottom = 82; // y of 0 mm

double PrecAtRow(int y) { return (82.0 - y) / 7.0; }

void Put(QImage& img, int x, int y, QColor c)
{
    if (img.rect().contains(x, y))
        img.setPixelColor(x, y, c);
}

// Line colour for hour k (0..24) and millimetre m (0..10).
QColor HourColor(int k)
{
    if (k == 0 || k == 24)
        return pal::GridFrame;
    return k % 6 == 0 ? pal::GridMajor : pal::GridMinor;
}
QColor MmColor(int m)
{
    if (m == 0 || m == 10)
        return pal::GridFrame;
    return m == 5 ? pal::GridMajor : pal::GridMinor;
}

// Draws one blank chart; hourX(k, y) gives the x of hour line k on row y.
QImage DrawChart(const std::function<int(int k, int y)>& hourX)
{
    QImage img = NewImage(kChartWidth, kChartHeight, pal::Paper);

    // The printed area, between the first and the last hour line.
    for (int y = kTop; y <= kBottom; ++y)
        for (int x = hourX(0, y); x <= hourX(24, y); ++x)
            Put(img, x, y, pal::PaperTint);

    // Lines from the faintest to the frame, so that stronger lines win at crossings.
    for (int pass = 0; pass < 3; ++pass) {
        const QColor want = pass == 0 ? pal::GridMinor : pass == 1 ? pal::GridMajor : pal::GridFrame;
        for (int m = 0; m <= 10; ++m) {
            if (MmColor(m) != want)
                continue;
            const int y = ChartY(m);
            for (int x = hourX(0, y); x <= hourX(24, y); ++x)
                Put(img, x, y, want);
        }
        for (int k = 0; k <= 24; ++k) {
            if (HourColor(k) != want)
                continue;
            for (int y = kTop; y <= kBottom; ++y)
                Put(img, hourX(k, y), y, want);
        }
    }

    // Hour ticks below the grid, continuing each hour line towards the strip.
    for (int k = 0; k <= 24; ++k)
        for (int y = kBottom + 1; y <= kBottom + 3; ++y)
            Put(img, hourX(k, y), y, k % 6 == 0 ? pal::GridFrame : pal::GridMajor);

    // Millimetre labels on both sides, every 2 mm.
    for (int m = 0; m <= 10; m += 2) {
        const int y = ChartY(m);
        const int w = PixelNumberWidth(m);
        DrawPixelNumber(img, hourX(0, y) - 4 - w, y - 2, m, pal::Label);
        DrawPixelNumber(img, hourX(24, y) + 4, y - 2, m, pal::Label);
    }
    return img;
}

QImage DrawStrip(int startHour)
{
    QImage img = NewImage(kChartWidth, kStripHeight, pal::Paper);
    for (int i = 0; i <= 24; ++i) {
        const int hour = (startHour + i) % 24;
        const int x = ChartXLinear(i);
        DrawPixelNumber(img, x - PixelNumberWidth(hour) / 2, 2, hour, pal::Label);
    }
    return img;
}

QImage DrawMarker(QColor fill, QColor edge)
{
    QImage img = NewImage(7, 7);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(edge, 1.0));
    p.setBrush(fill);
    p.drawEllipse(QRectF(0.5, 0.5, 6, 6));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 150));
    p.drawEllipse(QRectF(1.9, 1.9, 1.7, 1.7));
    return img;
}

} // namespace

void MakeCharts()
{
    Save(DrawChart([](int k, int) { return ChartXLinear(k); }), "charts/PluvL", "charts/PluvL.png");
    Save(DrawChart([](int k, int y) { return ChartXCurved(PrecAtRow(y), k); }), "charts/PluvNL",
         "charts/PluvNL.png");
    for (int h = 7; h <= 9; ++h)
        Save(DrawStrip(h), QStringLiteral("charts/T%1h").arg(h), QStringLiteral("charts/T%1h.png").arg(h));

    Save(DrawMarker(QColor(226, 36, 36), QColor(128, 0, 0)), "markers/ptRed", "markers/ptRed.png");
    Save(DrawMarker(QColor(32, 168, 56), QColor(0, 88, 16)), "markers/ptGreen", "markers/ptGreen.png");
    Save(DrawMarker(QColor(40, 96, 232), QColor(0, 32, 140)), "markers/ptBlue", "markers/ptBlue.png");
}

} // namespace rs::art
