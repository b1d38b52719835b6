// The chart's time × reading grid and its place on the scan, through the scale.

#include "trace/TraceEngine.h"

#include "scale/uScale.h"

#include <opencv2/imgproc.hpp>

#include <cmath>

namespace rs::trace {

double TScanFrame::AreaHeight() const { return double(std::lround(Height * 1000.0 / DpiY)); }

TChartSpace MakeChartSpace(const TScale& scale, int startHour, const TScanFrame& frame, const cv::Size& scan,
                           const TTraceParams& prm)
{
    TChartSpace cs;
    cs.T0 = startHour;
    cs.Dt = prm.ColumnMinutes / 60.0;
    cs.Cols = int(std::lround(24.0 / cs.Dt)) + 1;
    cs.P0 = prm.TopMm + prm.MarginMm;
    cs.Dp = prm.RowMm;
    cs.Rows = int(std::lround((prm.TopMm + 2 * prm.MarginMm) / prm.RowMm)) + 1;
    cs.MapX.create(cs.Rows, cs.Cols, CV_32F);
    cs.MapY.create(cs.Rows, cs.Cols, CV_32F);
    long inside = 0, chart = 0;
    for (int r = 0; r < cs.Rows; ++r) {
        const double p = cs.Prec(r);
        const bool onChart = p >= 0 && p <= prm.TopMm;
        auto* mx = cs.MapX.ptr<float>(r);
        auto* my = cs.MapY.ptr<float>(r);
        for (int c = 0; c < cs.Cols; ++c) {
            double x = 0, y = 0;
            if (!scale.ValueToCounts(cs.Time(c), p, x, y)) {
                mx[c] = my[c] = -1e6f;
                continue;
            }
            // Positions are continuous (pixel i spans i..i+1); OpenCV samples pixel i at i.
            const double px = frame.PixelX(x) - 0.5, py = frame.PixelY(y) - 0.5;
            mx[c] = float(px);
            my[c] = float(py);
            if (onChart) {
                ++chart;
                if (px >= 0 && py >= 0 && px <= scan.width - 1 && py <= scan.height - 1)
                    ++inside;
            }
        }
    }
    cs.Inside = chart ? double(inside) / double(chart) : 0;
    return cs;
}

cv::Mat Rectify(const cv::Mat& scanBgr, const TChartSpace& cs)
{
    cv::Mat out;
    // Outside the scan is plain paper: no ink there.
    cv::remap(scanBgr, out, cs.MapX, cs.MapY, cv::INTER_LINEAR, cv::BORDER_CONSTANT, cv::Scalar(255, 255, 255));
    return out;
}

} // namespace rs::trace
