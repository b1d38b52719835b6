#pragma once
// A small scanned chart drawn for the window tests: a straight chart on paper with
// a green printed grid and a blue pen curve, at 100 dpi, laid out in the tablet
// counts the tests click in (400 counts per hour from 500, 300 per mm from 1000):
// a picture pixel is 10 counts, so a scale marked at those counts fits the ink.

#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include <utility>
#include <vector>

namespace rs::test {

struct TTestScan
{
    static constexpr int kWidth = 1100, kHeight = 460, kDpi = 100;
    int Hour = 7;

    // Tablet counts of a chart value (straight chart), and the picture pixel there.
    QPointF Counts(double t, double p) const { return {(t - Hour) * 400 + 500, p * 300 + 1000}; }
    QPointF Pixel(double t, double p) const
    {
        const QPointF c = Counts(t, p);
        return {c.x() * kDpi / 1000.0, kHeight - c.y() * kDpi / 1000.0};
    }

    // The chart with the pen curve through the points (time, mm); a drop is drawn along its time line.
    QImage Draw(const std::vector<std::pair<double, double>>& curve) const
    {
        QImage img(kWidth, kHeight, QImage::Format_RGB32);
        img.fill(QColor(250, 248, 240));
        img.setDotsPerMeterX(int(kDpi / 0.0254 + 0.5));
        img.setDotsPerMeterY(int(kDpi / 0.0254 + 0.5));
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing);
        for (int m = 0; m <= 24 * 6; ++m) { // time lines every 10 minutes
            const double t = Hour + m / 6.0;
            p.setPen(QPen(m % 6 == 0 ? QColor(70, 170, 100) : QColor(170, 215, 180), 1));
            p.drawLine(Pixel(t, 0), Pixel(t, 10));
        }
        for (int k = 0; k <= 50; ++k) { // reading lines every 0.2 mm
            const double mm = k / 5.0;
            p.setPen(QPen(k % 5 == 0 ? QColor(70, 170, 100) : QColor(170, 215, 180), 1));
            p.drawLine(Pixel(Hour, mm), Pixel(Hour + 24, mm));
        }
        QPainterPath pen;
        for (std::size_t i = 0; i < curve.size(); ++i) {
            const QPointF at = Pixel(curve[i].first, curve[i].second);
            if (i == 0)
                pen.moveTo(at);
            else
                pen.lineTo(at);
        }
        p.setPen(QPen(QColor(40, 60, 200), 1.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPath(pen);
        p.end();
        return img;
    }
};

// A day with one siphon: from 0.4 mm up to 9.8 mm, the siphon, 2.8 mm after it (12.6 mm in all).
inline std::vector<std::pair<double, double>> OneSiphonDay()
{
    return {{7, 0.4}, {9, 0.4}, {12, 6.0}, {14, 6.2}, {16, 9.8}, {16.0, 0.0}, {20, 2.6}, {24, 2.8}, {31, 2.8}};
}

} // namespace rs::test
