#pragma once
// A small scanned chart drawn for the trace tests: a green grid and a blue pen
// curve at 100 dpi, through a known mapping from chart values to pixels, with
// the control points an operator would mark on it.

#include "document/uRChart.h"
#include "trace/TraceEngine.h"

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include <cmath>
#include <vector>

namespace rs::test {

struct TDrawnChart
{
    int Hour = 7;
    bool Curved = false;
    double Dpi = 100;
    // Pen: (time, reading) in order; a drop of more than 5 mm between two points 0.001 h apart is a siphon.
    std::vector<std::pair<double, double>> Pen;
    // Stretches (hours) where the pen left no ink.
    std::vector<std::pair<double, double>> Blank;
    int HeavyPx = 2; // the whole-mm and hour lines; the pen is 2 px

    double X(double t, double p) const
    {
        const double u = Curved ? t + (p - 5) * (p - 5) / 72.0 : t;
        return 40 + (u - Hour) * 63.0;
    }
    double Y(double, double p) const { return 345 - p * 31.5; }
    cv::Size Size() const { return {int(std::lround(X(Hour + 25, 0))) + 40, 370}; }

    cv::Mat Draw() const
    {
        cv::Mat img(Size(), CV_8UC3, cv::Scalar(235, 245, 245));
        const cv::Scalar green(120, 200, 120), blue(170, 60, 30);
        auto pt = [&](double t, double p) { return cv::Point(int(std::lround(X(t, p) * 16)), int(std::lround(Y(t, p) * 16))); };
        auto line = [&](double t0, double p0, double t1, double p1, const cv::Scalar& c, int w) {
            // Short pieces along time and along the reading: on a curved chart a siphon drop,
            // like every line of constant time, is an arc on the paper.
            const int n = std::max(1, int(std::ceil(std::max(std::fabs(t1 - t0) * 20, std::fabs(p1 - p0) * 2))));
            for (int i = 0; i < n; ++i) {
                const double a = double(i) / n, b = double(i + 1) / n;
                cv::line(img, pt(t0 + (t1 - t0) * a, p0 + (p1 - p0) * a), pt(t0 + (t1 - t0) * b, p0 + (p1 - p0) * b), c,
                         w, cv::LINE_AA, 4);
            }
        };
        for (int m = 0; m <= 50; ++m) // fifths of a millimetre, whole mm heavier
            line(Hour, m * 0.2, Hour + 25, m * 0.2, green, m % 5 == 0 ? HeavyPx : 1);
        for (int k = 0; k <= 25 * 6; ++k) { // 10-minute lines along the arc
            const double t = Hour + k / 6.0;
            for (int m = 0; m < 50; ++m)
                line(t, m * 0.2, t, (m + 1) * 0.2, green, k % 6 == 0 ? HeavyPx : 1);
        }
        auto blank = [&](double t) {
            for (auto& b : Blank)
                if (t > b.first && t < b.second)
                    return true;
            return false;
        };
        for (std::size_t i = 0; i + 1 < Pen.size(); ++i) {
            auto [t0, p0] = Pen[i];
            auto [t1, p1] = Pen[i + 1];
            const int n = std::max(1, int(std::ceil((t1 - t0) * 60)));
            for (int k = 0; k < n; ++k) {
                const double a = double(k) / n, b = double(k + 1) / n;
                const double ta = t0 + (t1 - t0) * a, tb = t0 + (t1 - t0) * b;
                if (blank((ta + tb) / 2))
                    continue;
                line(ta, p0 + (p1 - p0) * a, tb, p0 + (p1 - p0) * b, blue, 2);
            }
        }
        return img;
    }

    // The control points (pixel x, y, time, reading) an operator would mark. Positions are
    // continuous (pixel i spans i..i+1): OpenCV draws at X, Y the pixel whose centre is X + 0.5.
    std::vector<std::array<double, 4>> Controls() const
    {
        std::vector<std::array<double, 4>> c;
        auto at = [&](double t, double p) { c.push_back({X(t, p) + 0.5, Y(t, p) + 0.5, t, p}); };
        for (double dt : {1.0, 9.0, 17.0, 23.0})
            for (double p : {0.0, 10.0})
                at(Hour + dt, p);
        at(Hour + 5.0, 5);
        return c;
    }

    trace::TScanFrame Frame() const { return {Dpi, Dpi, Size().height}; }

    // A chart of kind 0 with the scale of these control points concluded.
    void PrepareChart(TRChart& chart) const
    {
        TRChartInfo info;
        info.Hour = std::uint8_t(Hour);
        info.Linear = !Curved;
        info.StCode = "12345678";
        chart.SetInfo(info);
        chart.Scale().SetCoordMode(1);
        chart.BeginScale();
        const trace::TScanFrame f = Frame();
        for (auto& c : Controls()) {
            auto* p = new TDigPoint;
            p->X = std::int32_t(std::lround(f.CountsX(c[0])));
            p->Y = std::int32_t(std::lround(f.CountsY(c[1])));
            p->SetValue(c[2], c[3]);
            chart.Scale().Append(p);
        }
        chart.ConcludeScale();
    }

    // The true accumulated rainfall at time t (siphons carried, as the program counts them).
    double Accumulated(double t) const
    {
        double carry = 0;
        for (std::size_t i = 0; i + 1 < Pen.size(); ++i) {
            auto [t0, p0] = Pen[i];
            auto [t1, p1] = Pen[i + 1];
            if (p0 - p1 > 5) { // a siphon: the peak is carried from its return on
                if (t <= t1)
                    return carry + p0;
                carry += p0;
                continue;
            }
            if (t <= t1)
                return carry + (t <= t0 ? p0 : p0 + (p1 - p0) * (t - t0) / (t1 - t0));
        }
        return Pen.empty() ? 0 : carry + Pen.back().second;
    }
};

} // namespace rs::test
