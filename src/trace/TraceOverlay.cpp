#include "trace/TraceOverlay.h"

#include "scale/uScale.h"

#include <opencv2/imgproc.hpp>

#include <cmath>

namespace rs::trace {
namespace {

constexpr int kShift = 4; // sub-pixel bits for the drawing calls
// A segment is drawn in pieces of at most this many hours, so that on a curved chart it follows the arc.
constexpr double kPieceHours = 2.0 / 60.0;

struct TMapper
{
    const TScanFrame& Frame;
    const TScale& Scale;
    bool At(double t, double p, cv::Point& out) const
    {
        double x, y;
        if (!Scale.ValueToCounts(t, p, x, y))
            return false;
        const double px = Frame.PixelX(x) - 0.5, py = Frame.PixelY(y) - 0.5; // OpenCV draws pixel i at i
        if (!std::isfinite(px) || !std::isfinite(py) || std::fabs(px) > 1e6 || std::fabs(py) > 1e6)
            return false;
        out = {int(std::lround(px * (1 << kShift))), int(std::lround(py * (1 << kShift)))};
        return true;
    }
};

void Segment(const TMapper& m, const TTracePoint& a, const TTracePoint& b, cv::Mat& img, const cv::Scalar& colour,
             int width)
{
    const int n = std::max(1, int(std::ceil((b.Time - a.Time) / kPieceHours)));
    cv::Point prev;
    if (!m.At(a.Time, a.Prec, prev))
        return;
    for (int i = 1; i <= n; ++i) {
        const double f = double(i) / n;
        cv::Point q;
        if (!m.At(a.Time + (b.Time - a.Time) * f, a.Prec + (b.Prec - a.Prec) * f, q))
            return;
        cv::line(img, prev, q, colour, width, cv::LINE_AA, kShift);
        prev = q;
    }
}

} // namespace

cv::Mat DrawOverlay(const cv::Mat& scanBgr, const TScanFrame& frame, const TScale& scale,
                    const TTraceResult& result)
{
    cv::Mat img = scanBgr.clone();
    if (img.empty())
        return img;
    const TMapper m{frame, scale};
    const int w = std::max(1, int(std::lround(frame.DpiX / 150.0)));
    const cv::Scalar red(0, 0, 230), orange(0, 140, 255), magenta(200, 0, 200);
    const auto& pts = result.Points;
    // Unsure stretches under the curve: their time lines and the curve thick.
    for (const TUnsure& u : result.Unsure) {
        for (double t : {u.Start, u.End})
            Segment(m, {t, 0, 0}, {t + 1e-9, 10, 0}, img, orange, w);
        for (std::size_t i = 0; i + 1 < pts.size(); ++i) {
            if (pts[i].Mark == 2 || pts[i + 1].Time < u.Start || pts[i].Time > u.End)
                continue;
            Segment(m, pts[i], pts[i + 1], img, orange, 4 * w);
        }
    }
    for (std::size_t i = 0; i + 1 < pts.size(); ++i)
        if (pts[i].Mark != 2) // a failure leaves the record open up to the next point
            Segment(m, pts[i], pts[i + 1], img, red, w);
    for (const TTracePoint& p : pts) {
        cv::Point c;
        if (!m.At(p.Time, p.Prec, c))
            continue;
        if (p.Mark == 1)
            cv::circle(img, c, (6 * w) << kShift, magenta, w, cv::LINE_AA, kShift);
        else if (p.Mark == 2)
            cv::drawMarker(img, cv::Point(c.x >> kShift, c.y >> kShift), orange, cv::MARKER_TILTED_CROSS, 10 * w, w);
        else
            cv::circle(img, c, (w + 1) << kShift, red, cv::FILLED, cv::LINE_AA, kShift);
    }
    return img;
}

} // namespace rs::trace
