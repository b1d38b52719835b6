// Faint climbs found by their length: a pen line too pale to tell from the print cell by
// cell still runs on, at a rain's slope, across rows and columns that the print crosses
// alike on both sides of it.

#include "trace/TraceEngine.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>

namespace rs::trace {
namespace {

// Sums of `src` along lines rising k rows per column (k >= 1), 2h + 1 rows long: the
// rows are sheared so that such lines stand upright, summed by a box filter, sheared back.
cv::Mat SumAlongSteep(const cv::Mat& src, double k, int h)
{
    const int R = src.rows, C = src.cols;
    const int extra = int(std::ceil(R / k)) + 1;
    cv::Mat sheared = cv::Mat::zeros(R, C + extra, CV_32F);
    for (int r = 0; r < R; ++r) {
        const int o = int(std::lround(r / k));
        src.row(r).copyTo(sheared.row(r).colRange(o, o + C));
    }
    cv::Mat box;
    cv::boxFilter(sheared, box, CV_32F, {1, 2 * h + 1}, {-1, -1}, false, cv::BORDER_CONSTANT);
    cv::Mat out(R, C, CV_32F);
    for (int r = 0; r < R; ++r) {
        const int o = int(std::lround(r / k));
        box.row(r).colRange(o, o + C).copyTo(out.row(r));
    }
    return out;
}

// The strongest line response over the slopes, as a z-score against the whole chart:
// the darkness along the line less that along parallel lines to each side, no more than
// twice what the lighter side leaves (an edge is not a line).
cv::Mat LineResponse(const cv::Mat& dark, const std::vector<double>& slopes, int h, int side)
{
    const cv::Mat darkT = dark.t();
    cv::Mat best(dark.size(), CV_32F, cv::Scalar(-1e9));
    const double n = 2 * h + 1;
    for (double k : slopes) {
        // Shallow lines stand upright in the transposed chart.
        const cv::Mat on = k >= 1 ? SumAlongSteep(dark, k, h) : cv::Mat(SumAlongSteep(darkT, 1.0 / k, h).t());
        const int dc = k >= 1 ? side : 0, dr = k >= 1 ? 0 : side;
        cv::Mat padded;
        cv::copyMakeBorder(on, padded, side, side, side, side, cv::BORDER_REPLICATE);
        const cv::Mat before = padded(cv::Rect(side - dc, side - dr, dark.cols, dark.rows));
        const cv::Mat after = padded(cv::Rect(side + dc, side + dr, dark.cols, dark.rows));
        const cv::Mat toBefore = on - before, toAfter = on - after;
        const cv::Mat lighter = cv::min(toBefore, toAfter) * (2.0 / n);
        const cv::Mat centre = (toBefore + toAfter) * (0.5 / n);
        cv::max(best, cv::min(centre, lighter), best);
    }
    std::vector<float> v(best.begin<float>(), best.end<float>());
    auto pct = [&](double p) {
        const auto k = std::size_t(p * double(v.size() - 1));
        std::nth_element(v.begin(), v.begin() + std::ptrdiff_t(k), v.end());
        return v[k];
    };
    const float median = pct(0.5), spread = std::max(1e-3f, pct(0.84) - median);
    return (best - median) / spread;
}

} // namespace

cv::Mat FindRisingLines(const cv::Mat& rectBgr, const TInkModel& ink, const TTraceParams& prm)
{
    if (rectBgr.empty())
        return {};
    cv::Mat grey, f;
    rectBgr.convertTo(f, CV_32F, 1.0 / 255.0);
    cv::Mat lab;
    cv::cvtColor(f, lab, cv::COLOR_BGR2Lab);
    cv::extractChannel(lab, grey, 0);
    cv::Mat dark = ink.Paper[0] - grey;
    // Half the resolution: the lines looked for are long, and the search must stay fast.
    constexpr int kScale = 2;
    cv::Mat small;
    cv::resize(dark, small, {std::max(1, dark.cols / kScale), std::max(1, dark.rows / kScale)}, 0, 0, cv::INTER_AREA);
    const int h = std::max(2, int(std::lround(prm.LineHalfMm / prm.RowMm / kScale)));
    const int side = std::max(1, int(std::lround(prm.LineSideMinutes / prm.ColumnMinutes / kScale)));
    // The rains whose climbs are looked for, as rows per column (the same at half resolution).
    std::vector<double> slopes;
    const double perRate = prm.ColumnMinutes / 60.0 / prm.RowMm;
    for (double rate = prm.LineMinRate; rate <= prm.LineMaxRate * 1.001; rate *= 1.45)
        slopes.push_back(rate * perRate);
    const cv::Mat rising = LineResponse(small, slopes, h, side);
    // The pen only climbs: where lines fall as well, it is writing or printed figures.
    cv::Mat flipped;
    cv::flip(small, flipped, 0);
    cv::Mat falling = LineResponse(flipped, slopes, h, side);
    cv::flip(falling, falling, 0);
    cv::dilate(falling, falling, cv::getStructuringElement(cv::MORPH_RECT, {2 * side + 1, 2 * side + 1}));
    const double z = prm.LineZ, span = prm.LineSpanZ;
    const cv::Mat keep = cv::min(cv::max(1.0 - (falling - z) / span, 0.0), 1.0);
    const cv::Mat found = cv::min(cv::max((rising - z) / span, 0.0), 1.0);
    cv::Mat evidence = found.mul(keep);
    // The pen crosses a time once; printed figures and lines of writing stand one above the
    // other: where a column holds several separate pieces, none of them is the pen.
    {
        cv::Mat wide;
        cv::dilate(evidence, wide, cv::getStructuringElement(cv::MORPH_RECT, {2 * side + 1, 1}));
        const int gap = std::max(2, int(std::lround(0.3 / prm.RowMm / kScale)));
        for (int c = 0; c < wide.cols; ++c) {
            int pieces = 0, since = gap;
            for (int r = 0; r < wide.rows; ++r) {
                const bool on = wide.at<float>(r, c) >= 0.5f;
                pieces += on && since >= gap;
                since = on ? 0 : since + 1;
            }
            if (pieces >= prm.LineStackPieces)
                evidence.col(c).setTo(0.f);
        }
    }
    cv::Mat out;
    cv::resize(evidence, out, dark.size(), 0, 0, cv::INTER_LINEAR);
    return out;
}

} // namespace rs::trace
