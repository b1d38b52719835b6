// A chart left on the drum a second day carries two records: the first turn's line and,
// drawn over it, the second's. Where the first is a flat dry line, it is unbroken and
// dark, while the second's rain climbs are often faint and its siphon drops leave no ink
// at all; the cheapest path keeps to the flat line. Rising lines above a long flat
// stretch are looked for, and the stretch is traced again without the flat line's ink;
// a record that climbs on ink there is the chart's rain, and the stretch is reported so
// that the operator looks at both.

#include "trace/TraceEngine.h"

#include <algorithm>
#include <cmath>

namespace rs::trace {
namespace {

struct TSpan
{
    int First = 0, Last = -1;
};

// Stretches where the path stays within FlatGapMm of where it began, at least minCols long.
std::vector<TSpan> FlatStretches(const TPath& path, const TChartSpace& cs, const TTraceParams& prm, int minCols)
{
    std::vector<TSpan> out;
    const int C = int(path.Row.size());
    const double tol = prm.FlatGapMm / cs.Dp;
    for (int a = 0; a < C;) {
        int b = a;
        while (b + 1 < C && std::fabs(path.Row[std::size_t(b + 1)] - path.Row[std::size_t(a)]) <= tol)
            ++b;
        if (b - a + 1 >= minCols)
            out.push_back({a, b});
        a = b + 1;
    }
    return out;
}

// Within a flat stretch, the runs of columns with a rising line above the flat line,
// runs closer than `reach` joined, at least minCols long.
std::vector<TSpan> ClimbsAbove(const cv::Mat& lines, const TPath& path, const TChartSpace& cs, const TTraceParams& prm,
                               const TSpan& flat, int reach, int minCols)
{
    const int top = std::clamp(int(std::lround(cs.Row(prm.TopMm))), 0, lines.rows - 1);
    const int above = int(std::lround(2 * prm.LaterBandMm / cs.Dp));
    std::vector<TSpan> runs;
    int lastOn = -1;
    for (int c = flat.First; c <= flat.Last; ++c) {
        const int r1 = std::min(lines.rows - 1, int(std::lround(path.Row[std::size_t(c)])) - above);
        bool on = false;
        for (int r = top; r <= r1 && !on; ++r)
            on = lines.at<float>(r, c) >= 0.5f;
        if (!on)
            continue;
        if (lastOn >= 0 && c - lastOn <= reach && !runs.empty())
            runs.back().Last = c;
        else
            runs.push_back({c, c});
        lastOn = c;
    }
    std::vector<TSpan> out;
    for (const TSpan& s : runs)
        if (s.Last - s.First + 1 >= minCols)
            out.push_back(s);
    return out;
}

// The path traced again from column s on with the flat line's ink weakened; kept when
// it leaves the flat line where the first record still lies and climbs on ink.
bool TryLater(const TPath& first, const cv::Mat& both, const TChartSpace& cs, const TTraceParams& prm, int s,
              TPath& later)
{
    const int C = int(first.Row.size());
    const int band = std::max(1, int(std::lround(prm.LaterBandMm / cs.Dp)));
    const int near = std::max(1, int(std::lround(0.05 / cs.Dp)));
    cv::Mat masked = both.clone();
    // The pen of a siphon gauge never goes above the top line: what lies there (the frame, the
    // printed words beside it) is not the later record either.
    const int above = std::clamp(int(std::lround(cs.Row(prm.TopMm))) - band, 0, masked.rows);
    masked(cv::Rect(s, 0, C - s, above)).setTo(0.f);
    for (int c = s; c < C; ++c) {
        const int r0 = int(std::lround(first.Row[std::size_t(c)]));
        for (int r = std::max(0, r0 - band); r <= std::min(masked.rows - 1, r0 + band); ++r)
            masked.at<float>(r, c) = std::min(masked.at<float>(r, c), float(prm.LaterBandInk));
    }
    TTraceParams relaxed = prm;
    relaxed.BlankSiphonCost = 0; // the drops of such a record leave no ink
    relaxed.BlankRiseCostPerMm = prm.LaterBlankRiseCostPerMm;
    later = FindPath(masked, cs, relaxed);
    if (int(later.Row.size()) != C || std::fabs(later.Row[std::size_t(s - 1)] - first.Row[std::size_t(s - 1)]) > 2 * band)
        return false;
    double rise = 0, inkedRise = 0;
    int inked = 0;
    for (int c = s; c < C; ++c) {
        // Riding the flat line is not the new record's ink.
        float sup = 0;
        const int rc = int(std::lround(later.Row[std::size_t(c)]));
        if (std::abs(rc - int(std::lround(first.Row[std::size_t(c)]))) > band)
            for (int r = std::max(0, rc - near); r <= std::min(both.rows - 1, rc + near); ++r)
                sup = std::max(sup, both.at<float>(r, c));
        const bool on = sup >= prm.WeakInk;
        inked += on;
        const double up = c > s ? cs.Prec(later.Row[std::size_t(c)]) - cs.Prec(later.Row[std::size_t(c - 1)]) : 0.0;
        if (up > 0) {
            rise += up;
            inkedRise += on ? up : 0.0;
        }
    }
    return rise >= prm.LaterRiseMm && inked >= prm.LaterInkShare * (C - s) && inkedRise >= prm.LaterInkShare * rise;
}

} // namespace

bool TraceLaterRecord(TTraceResult& out, const TTraceParams& prm)
{
    // Only a coloured grid leaves the pen's faint climbs apart from the print.
    if (!out.Error.empty() || !out.Ink.ColourScan || out.Ink.GreyGrid || out.Rectified.empty())
        return false;
    const TChartSpace& cs = out.Space;
    const int C = int(out.Path.Row.size());
    if (C < 2 || C != out.Score.cols)
        return false;
    auto cols = [&](double hours) { return int(std::lround(hours * 60.0 / prm.ColumnMinutes)); };
    // The second turn's record lies over the first's to the end of the chart: a flat stretch
    // that ends before it is followed by the chart's own record, and what lies above it is
    // writing, a stamp or print.
    const std::vector<TSpan> flats = FlatStretches(out.Path, cs, prm, cols(prm.LaterFlatHours));
    if (flats.empty() || flats.back().Last < C - 1 - cols(prm.LaterEndHours))
        return false;
    const TSpan& flat = flats.back();
    // The lines are looked for over the stretch, and a little before it for their length.
    const int from = std::max(0, flat.First - cols(1.0));
    cv::Mat lines = cv::Mat::zeros(out.Score.size(), CV_32F);
    FindRisingLines(out.Rectified.colRange(from, C), out.Ink, prm).copyTo(lines.colRange(from, C));
    cv::Mat both;
    cv::max(out.Score, lines, both);
    const std::vector<TSpan> climbs =
        ClimbsAbove(lines, out.Path, cs, prm, flat, cols(prm.LaterReachMinutes / 60.0), cols(prm.LaterClimbHours));
    for (const TSpan& climb : climbs) {
        const int s = std::max(flat.First + 1, climb.First - cols(5.0 / 60.0));
        TPath later;
        if (!TryLater(out.Path, both, cs, prm, s, later))
            continue;
        // The first record stands before the stretch; the later one from it on.
        TPath spliced = out.Path;
        std::copy(later.Row.begin() + s, later.Row.end(), spliced.Row.begin() + s);
        std::copy(later.Support.begin() + s, later.Support.end(), spliced.Support.begin() + s);
        std::erase_if(spliced.DropBefore, [&](int d) { return d >= s; });
        for (int d : later.DropBefore)
            if (d >= s)
                spliced.DropBefore.push_back(d);
        TTraceResult again = Remade(out, std::move(spliced), both, prm);
        if (!again.Error.empty())
            continue;
        // Two records over the stretch: the operator decides, and the confidence says so.
        again.Unsure.push_back({cs.Time(s), cs.Time(C - 1), TUnsureKind::TwoLines});
        std::sort(again.Unsure.begin(), again.Unsure.end(),
                  [](const TUnsure& x, const TUnsure& y) { return x.Start < y.Start; });
        again.Confidence *= 1.0 - 0.5 * double(C - s) / double(C);
        again.Rectified = std::move(out.Rectified);
        again.Score = both;
        out = std::move(again);
        return true;
    }
    return false;
}

} // namespace rs::trace
