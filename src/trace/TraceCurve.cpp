// From the path to the program's curve points: record span, gaps and failures,
// siphons, simplification, unsure stretches and confidence; and the whole pipeline.

#include "trace/TraceEngine.h"

#include "document/uRChart.h"
#include "scale/uScale.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>

namespace rs::trace {
namespace {

// Douglas–Peucker on the readings of columns a..b: keeps a column where the
// curve leaves the chord between its neighbours by more than tol mm.
void Simplify(const std::vector<double>& p, int a, int b, double tol, std::vector<char>& keep)
{
    keep[std::size_t(a)] = keep[std::size_t(b)] = 1;
    std::vector<std::pair<int, int>> stack{{a, b}};
    while (!stack.empty()) {
        auto [i, j] = stack.back();
        stack.pop_back();
        if (j - i < 2)
            continue;
        double worst = -1;
        int at = -1;
        for (int k = i + 1; k < j; ++k) {
            const double chord = p[std::size_t(i)] + (p[std::size_t(j)] - p[std::size_t(i)]) * (k - i) / (j - i);
            const double d = std::fabs(p[std::size_t(k)] - chord);
            if (d > worst) {
                worst = d;
                at = k;
            }
        }
        if (worst > tol) {
            keep[std::size_t(at)] = 1;
            stack.push_back({i, at});
            stack.push_back({at, j});
        }
    }
}

struct TRun
{
    int First, Last; // columns, inclusive
};

std::vector<TRun> Runs(const std::vector<char>& on, int from, int to)
{
    std::vector<TRun> runs;
    for (int c = from; c <= to; ++c) {
        if (!on[std::size_t(c)])
            continue;
        int e = c;
        while (e + 1 <= to && on[std::size_t(e + 1)])
            ++e;
        runs.push_back({c, e});
        c = e;
    }
    return runs;
}

} // namespace

const char* UnsureText(TUnsureKind kind)
{
    switch (kind) {
    case TUnsureKind::WeakInk:
        return "tinta fraca";
    case TUnsureKind::Gap:
        return "interrup\xE7\xE3o do tra\xE7o";
    case TUnsureKind::Failure:
        return "falha no registro";
    case TUnsureKind::TwoLines:
        return "duas linhas candidatas";
    case TUnsureKind::DoubtfulDrop:
        return "queda que talvez n\xE3o seja sif\xE3o";
    }
    return "";
}

void MakeCurve(const TPath& path, const cv::Mat& score, const TChartSpace& cs, const TTraceParams& prm,
               TTraceResult& out)
{
    const int C = int(path.Row.size());
    const double colMin = prm.ColumnMinutes;
    auto minutes = [&](int n) { return n * colMin; };
    std::vector<char> inked(static_cast<std::size_t>(C));
    for (int c = 0; c < C; ++c)
        inked[std::size_t(c)] = path.Support[std::size_t(c)] >= (out.Ink.GreyGrid ? prm.GreyWeakInk : prm.WeakInk);
    // On a grey chart what is left of a frame line after its print is removed looks like
    // weak ink all along it: there only strong ink is the pen's.
    if (out.Ink.GreyGrid)
        for (const std::array<int, 2>& f : {out.FrameBottom, out.FrameTop}) {
            if (f[0] < 0)
                continue;
            for (int c = 0; c < C; ++c) {
                const double r = path.Row[std::size_t(c)];
                if (r >= f[0] - 2 && r <= f[1] + 2 && path.Support[std::size_t(c)] < prm.FrameInk)
                    inked[std::size_t(c)] = 0;
            }
        }
    // Weak ink under the path in a column that is ink down most of the chart is what is
    // left of a printed time line (a siphon's line is strong).
    for (int c = 0; c < C; ++c) {
        if (!inked[std::size_t(c)] || path.Support[std::size_t(c)] >= prm.FrameInk)
            continue;
        int on = 0;
        for (int r = 0; r < score.rows; ++r)
            on += score.at<float>(r, c) >= prm.EmptyInk;
        if (on >= 0.4 * score.rows)
            inked[std::size_t(c)] = 0;
    }
    // A column or two of "ink" alone in a long blank stretch is the path crossing a
    // printed time line, not the pen.
    {
        const int alone = 2, quiet = int(std::lround(3.0 / colMin));
        for (const TRun& r : Runs(inked, 0, C - 1)) {
            if (r.Last - r.First + 1 > alone)
                continue;
            bool blank = true;
            for (int k = std::max(0, r.First - quiet); k <= std::min(C - 1, r.Last + quiet) && blank; ++k)
                blank = k >= r.First && k <= r.Last ? true : !inked[std::size_t(k)];
            if (blank && r.First - quiet >= 0 && r.Last + quiet < C)
                for (int k = r.First; k <= r.Last; ++k)
                    inked[std::size_t(k)] = 0;
        }
    }

    // The record runs from the first to the last stretch of steady ink.
    const int run = std::max(1, int(std::lround(prm.StartRunMinutes / colMin)));
    int first = -1, last = -1;
    for (const TRun& r : Runs(inked, 0, C - 1))
        if (r.Last - r.First + 1 >= run) {
            if (first < 0)
                first = r.First;
            last = r.Last;
        }
    if (first < 0 || last - first < run) {
        out.Error = "Nenhum tra\xE7o de pena foi encontrado no gr\xE1" "fico.";
        return;
    }

    std::vector<double> p(static_cast<std::size_t>(C));
    for (int c = 0; c < C; ++c)
        p[std::size_t(c)] = cs.Prec(path.Row[std::size_t(c)]);
    std::vector<char> drop(std::size_t(C + 1), 0), failAfter(std::size_t(C), 0);
    // A siphon's time lies between columns: the centre of its line.
    std::vector<double> at(static_cast<std::size_t>(C));
    for (int c = 0; c < C; ++c)
        at[std::size_t(c)] = cs.Time(c);
    for (int c : path.DropBefore)
        if (c > first && c <= last)
            drop[std::size_t(c)] = 1;

    // Gaps in the ink: bridged when short or flat, a failure otherwise.
    std::vector<char> gap(static_cast<std::size_t>(C));
    for (int c = first; c <= last; ++c)
        gap[std::size_t(c)] = !inked[std::size_t(c)];
    for (const TRun& g : Runs(gap, first, last)) {
        const int a = g.First - 1, b = g.Last + 1; // inked columns around it
        const double len = minutes(b - a - 1);
        bool hasDrop = false;
        for (int c = a + 1; c <= b; ++c)
            hasDrop = hasDrop || drop[std::size_t(c)];
        const double rise = p[std::size_t(b)] - p[std::size_t(a)];
        // A coloured grid hides no pen line: a long stretch without any ink near the
        // level is a stopped record even when it resumes at the same reading. A grey
        // grid's printed rows may hide a flat pen line, but hardly all of it for hours:
        // the pen is wider than the print, and its edges stay.
        bool empty = false;
        const bool grey = out.Ink.GreyGrid;
        if (len >= (grey ? prm.GreyFailureMinutes : prm.FailureMinutes) && !hasDrop) {
            const int band = std::max(1, int(std::lround((grey ? 0.1 : 0.3) / cs.Dp)));
            int blank = 0;
            for (int c = a + 1; c < b; ++c) {
                const int rc = int(std::lround(path.Row[std::size_t(a)] +
                                               (path.Row[std::size_t(b)] - path.Row[std::size_t(a)]) * (c - a) /
                                                   double(b - a)));
                float v = 0;
                for (int r = std::max(0, rc - band); r <= std::min(score.rows - 1, rc + band); ++r)
                    v = std::max(v, score.at<float>(r, c));
                // Print left on a grey chart scores weakly; a pen hidden along a printed row
                // still shows its edges strongly.
                blank += v < (grey ? prm.FrameInk : prm.EmptyInk);
            }
            empty = blank >= 0.9 * (b - a - 1);
        }
        if (len > prm.BridgeMinutes && !hasDrop && (std::fabs(rise) > prm.FlatGapMm || empty)) {
            failAfter[std::size_t(a)] = 1;
            out.Unsure.push_back({cs.Time(a), cs.Time(b), TUnsureKind::Failure});
            continue;
        }
        if (!hasDrop)
            for (int c = a + 1; c < b; ++c)
                p[std::size_t(c)] = p[std::size_t(a)] + rise * (c - a) / double(b - a);
        if (len >= prm.UnsureGapMinutes && len <= prm.BridgeMinutes)
            out.Unsure.push_back({cs.Time(a), cs.Time(b), TUnsureKind::Gap});
    }

    // Around a drop the pen's line down its time line is ink in every row, so the path
    // wanders inside it: it leaves the rise early and climbs the next one late. The
    // drop's band of columns is found from the ink across the middle of the chart, the
    // peak and the return put at its centre at the ends of the drop's ink, and the
    // columns of the band read again as the rise into it and out of it.
    const int reach = int(std::lround(prm.DropReachMm / cs.Dp));
    const int midTop = std::clamp(int(std::lround(cs.Row(0.75 * prm.TopMm))), 0, score.rows - 1);
    const int midBottom = std::clamp(int(std::lround(cs.Row(0.25 * prm.TopMm))), midTop, score.rows - 1);
    auto dropShare = [&](int k) {
        int on = 0;
        for (int r = midTop; r <= midBottom; ++r)
            on += score.at<float>(r, k) >= prm.WeakInk;
        return double(on) / double(midBottom - midTop + 1);
    };
    auto inkAt = [&](int r, int c0, int c1) {
        float v = 0;
        for (int k = std::max(0, c0); k <= std::min(C - 1, c1); ++k)
            v = std::max(v, score.at<float>(r, k));
        return v >= prm.WeakInk;
    };
    const int bandReach = std::max(2, int(std::lround(3.0 / colMin)));
    for (int c = first + 1; c <= last; ++c) {
        if (!drop[std::size_t(c)])
            continue;
        // The band: the run of columns inked down the chart's middle that holds the drop.
        int b0 = c, b1 = c - 1;
        for (int k = c - 1; k >= std::max(first, c - bandReach) && dropShare(k) >= 0.5; --k)
            b0 = k;
        for (int k = c; k <= std::min(last, c + bandReach - 1) && dropShare(k) >= 0.5; ++k)
            b1 = k;
        int m = c - 1; // the peak's column
        double centre = m;
        if (b1 >= b0) {
            double sw = 0, swk = 0;
            for (int k = b0; k <= b1; ++k) {
                const double w = dropShare(k);
                sw += w;
                swk += w * k;
            }
            centre = swk / sw;
            m = std::clamp(int(std::floor(centre)), first, last - 1);
        } else {
            b0 = c - 1;
            b1 = c;
        }
        // Another drop inside the band: leave both as the path has them.
        bool crowded = false;
        for (int k = std::max(first + 1, b0 - 1); k <= std::min(last, b1 + 1); ++k)
            crowded = crowded || (k != c && drop[std::size_t(k)]);
        if (crowded || m + 1 > last)
            m = c - 1, b0 = c - 1, b1 = c, centre = m;
        // The return follows 0.001 h later and must stay before the next column.
        at[std::size_t(m)] = cs.Time(std::clamp(centre, double(m), m + 0.75));
        int top = int(std::lround(path.Row[std::size_t(std::min(c - 1, m))]));
        for (int r = top - 1, miss = 0; r >= 0 && r >= top - reach && miss < 2; --r)
            if (inkAt(r, std::min(b0, m - 1), std::max(b1, m)))
                top = r, miss = 0;
            else
                ++miss;
        int bottom = int(std::lround(path.Row[std::size_t(std::max(c, m + 1))]));
        for (int r = bottom + 1, miss = 0; r < score.rows && r <= bottom + reach && miss < 2; ++r)
            if (inkAt(r, std::min(b0, m), std::max(b1, m + 1) + 1))
                bottom = r, miss = 0;
            else
                ++miss;
        const double halfPen = prm.PenHalfWidthMm / cs.Dp;
        double peak = std::max(p[std::size_t(std::min(c - 1, m))], cs.Prec(top + halfPen));
        double ret = std::min(p[std::size_t(std::max(c, m + 1))], cs.Prec(bottom - halfPen));
        // The pen's end went on into a frame line removed with the print: it lies within it.
        if (out.Ink.GreyGrid && out.FrameTop[0] >= 0 && top <= out.FrameTop[1] + 2)
            peak = std::max(peak, cs.Prec(0.5 * (out.FrameTop[0] + out.FrameTop[1]) + halfPen));
        if (out.Ink.GreyGrid && out.FrameBottom[0] >= 0 && bottom >= out.FrameBottom[0] - 2)
            ret = std::min(ret, cs.Prec(0.5 * (out.FrameBottom[0] + out.FrameBottom[1]) - halfPen));
        drop[std::size_t(c)] = 0;
        drop[std::size_t(m + 1)] = 1;
        // The rise merges with the drop's line a little before the band: blur and the pen's width.
        const int in = std::max(first, std::min(b0, m) - 3), out = std::min(last, std::max(b1, m + 1) + 3);
        // The rise into the band, read straight to the peak; the climb out of it, from the return.
        for (int k = in + 1; k < m; ++k)
            p[std::size_t(k)] = p[std::size_t(in)] + (peak - p[std::size_t(in)]) * (k - in) / double(m - in);
        p[std::size_t(m)] = peak;
        p[std::size_t(m + 1)] = ret;
        for (int k = m + 2; k < out; ++k)
            p[std::size_t(k)] = ret + (p[std::size_t(out)] - ret) * (k - m - 1) / double(out - m - 1);
        c = std::max(c, m + 1);
    }

    // Siphon drops should leave ink along their time line.
    int doubtful = 0;
    for (int c = first + 1; c <= last; ++c) {
        if (!drop[std::size_t(c)])
            continue;
        const double hi = cs.Row(p[std::size_t(c - 1)]), lo = cs.Row(p[std::size_t(c)]);
        const int r0 = int(std::ceil(hi + (lo - hi) * 0.15)), r1 = int(std::floor(lo - (lo - hi) * 0.15));
        int n = 0, on = 0;
        for (int r = std::max(0, r0); r <= std::min(score.rows - 1, r1); ++r, ++n) {
            float v = 0;
            for (int k = std::max(0, c - 2); k <= std::min(C - 1, c + 1); ++k)
                v = std::max(v, score.at<float>(r, k));
            on += v >= prm.WeakInk;
        }
        if (n > 0 && double(on) / n < prm.DropInkShare) {
            ++doubtful;
            out.Unsure.push_back({cs.Time(c - 1), cs.Time(c), TUnsureKind::DoubtfulDrop});
        }
    }

    // A doubtful drop soon after the start is no siphon: the path began on something
    // else (a blot, the print) before the pen's own record.
    if (int d = int(std::find(drop.begin() + first + 1, drop.begin() + last + 1, 1) - drop.begin());
        d <= last && minutes(d - first) < prm.FalseStartMinutes && !out.Unsure.empty()) {
        const auto u = std::find_if(out.Unsure.begin(), out.Unsure.end(), [&](const TUnsure& x) {
            return x.Kind == TUnsureKind::DoubtfulDrop && std::fabs(x.End - cs.Time(d)) < 1e-9;
        });
        if (u != out.Unsure.end()) {
            out.Unsure.erase(u);
            --doubtful;
            drop[std::size_t(d)] = 0;
            first = d;
        }
    }

    // A second line as strong as the chosen one, well away from it, for a long stretch.
    const int away = int(std::lround(prm.AmbiguousAwayMm / cs.Dp));
    std::vector<char> amb(std::size_t(C), 0);
    for (int c = first; c <= last; ++c) {
        const int rc = int(std::lround(path.Row[std::size_t(c)]));
        float other = 0;
        for (int r = 0; r < score.rows; ++r)
            if (std::abs(r - rc) > away)
                other = std::max(other, score.at<float>(r, c));
        amb[std::size_t(c)] =
            other >= prm.AmbiguousRatio * std::max<float>(path.Support[std::size_t(c)], float(prm.WeakInk) * 2);
    }
    int ambCols = 0;
    for (const TRun& a : Runs(amb, first, last))
        if (minutes(a.Last - a.First + 1) >= prm.AmbiguousMinutes) {
            ambCols += a.Last - a.First + 1;
            out.Unsure.push_back({cs.Time(a.First), cs.Time(a.Last), TUnsureKind::TwoLines});
        }

    // The points: each stretch between siphons and failures keeps its bends.
    std::vector<char> keep(std::size_t(C), 0);
    int segStart = first;
    for (int c = first + 1; c <= last + 1; ++c) {
        const bool end = c > last || drop[std::size_t(c)] || failAfter[std::size_t(c - 1)];
        if (!end)
            continue;
        Simplify(p, segStart, c - 1, prm.SimplifyMm, keep);
        if (c <= last && failAfter[std::size_t(c - 1)]) {
            // The record resumes at the next inked column.
            int n = c;
            while (n <= last && !inked[std::size_t(n)])
                ++n;
            c = n;
        }
        segStart = c;
    }
    for (int c = first; c <= last; ++c) {
        if (!keep[std::size_t(c)])
            continue;
        const bool peak = c < last && drop[std::size_t(c + 1)];
        out.Points.push_back({peak ? at[std::size_t(c)] : cs.Time(c), p[std::size_t(c)],
                              peak ? 1 : failAfter[std::size_t(c)] ? 2 : 0});
        if (peak) {
            // As the overflow command makes it: the return 0.001 h after the peak.
            out.Points.push_back({at[std::size_t(c)] + 0.001, p[std::size_t(c + 1)], 0});
            ++out.Siphons;
        }
        out.Failures += failAfter[std::size_t(c)] ? 1 : 0;
    }

    // Confidence: how much of the record has ink under it, how strong, how unambiguous.
    const int n = last - first + 1;
    int covered = 0;
    double strength = 0;
    for (int c = first; c <= last; ++c)
        if (inked[std::size_t(c)]) {
            ++covered;
            strength += std::min(1.f, path.Support[std::size_t(c)]);
        }
    strength = covered ? strength / covered : 0;
    double conf = double(covered) / n * (0.4 + 0.6 * strength) * (1.0 - double(ambCols) / n);
    conf *= std::pow(0.8, doubtful) * std::pow(0.85, out.Failures);
    conf *= std::clamp(cs.Inside, 0.0, 1.0);
    out.Confidence = std::clamp(conf, 0.0, 1.0);
    std::sort(out.Unsure.begin(), out.Unsure.end(),
              [](const TUnsure& x, const TUnsure& y) { return x.Start < y.Start; });
}

namespace {

// The rows of the printed line at reading p: the darkest rows within a little of it
// along the whole chart, and their neighbours half as dark.
// rows: the mean grey of each row of the rectified chart.
void FindFrame(const cv::Mat& rows, const TChartSpace& cs, double p, std::array<int, 2>& band)
{
    const int reach = int(std::lround(0.15 / cs.Dp));
    const int centre = int(std::lround(cs.Row(p)));
    const int r0 = std::max(0, centre - reach), r1 = std::min(rows.rows - 1, centre + reach);
    if (r0 >= r1)
        return;
    float paper = 0, darkest = 255;
    int at = centre;
    for (int r = r0; r <= r1; ++r) {
        const float v = rows.at<float>(r);
        paper = std::max(paper, v);
        if (v < darkest)
            darkest = v, at = r;
    }
    if (paper - darkest < 8)
        return;
    const float half = 0.5f * (paper + darkest);
    int a = at, b = at;
    while (a > r0 && rows.at<float>(a - 1) <= half)
        --a;
    while (b < r1 && rows.at<float>(b + 1) <= half)
        ++b;
    band[0] = a;
    band[1] = b;
}

int DoubtfulDrops(const TTraceResult& r)
{
    return int(std::count_if(r.Unsure.begin(), r.Unsure.end(),
                             [](const TUnsure& u) { return u.Kind == TUnsureKind::DoubtfulDrop; }));
}

// Marks, for every doubtful drop, the stretch the path spent above the level it dropped
// to (back to where it climbed there) and some minutes around it. False when nothing new
// was marked.
bool ForbidExcursions(const TTraceResult& r, const TTraceParams& prm, std::vector<char>& noDrop)
{
    const TChartSpace& cs = r.Space;
    const int C = int(r.Path.Row.size());
    // After the drop the path would rather ride blank paper at the top for a while and
    // drop a little later: the ban reaches well past it, where the pen's line is.
    const int before = int(std::lround(10.0 / prm.ColumnMinutes)), after = int(std::lround(60.0 / prm.ColumnMinutes));
    bool marked = false;
    for (const TUnsure& u : r.Unsure) {
        if (u.Kind != TUnsureKind::DoubtfulDrop)
            continue;
        const int d = std::clamp(int(std::lround((u.End - cs.T0) / cs.Dt)), 1, C - 1);
        const double level = cs.Prec(r.Path.Row[std::size_t(d)]);
        int a = d - 1;
        while (a > 0 && cs.Prec(r.Path.Row[std::size_t(a - 1)]) > level + 1.0)
            --a;
        for (int k = std::max(0, a - before); k <= std::min(C - 1, d + after); ++k) {
            marked = marked || !noDrop[std::size_t(k)];
            noDrop[std::size_t(k)] = 1;
        }
    }
    return marked;
}

} // namespace

TTraceResult Trace(const cv::Mat& scanBgr, const TScanFrame& frame, const TScale& scale, int startHour,
                   const TTraceParams& prm)
{
    TTraceResult out;
    if (!scale.Valid || scanBgr.empty() || scanBgr.type() != CV_8UC3) {
        out.Error = "A escala do gr\xE1" "fico n\xE3o est\xE1 definida.";
        return out;
    }
    out.Space = MakeChartSpace(scale, startHour, frame, scanBgr.size(), prm);
    // The control points must have been marked on this scan: most of the chart lies on it.
    if (out.Space.Inside < 0.6) {
        out.Error = "A escala n\xE3o corresponde \xE0 imagem: a maior parte do gr\xE1" "fico fica fora dela.";
        return out;
    }
    out.Rectified = Rectify(scanBgr, out.Space);
    out.Ink = FindInk(out.Rectified);
    out.Score = ScoreInk(out.Rectified, out.Ink, out.Space, prm);
    {
        cv::Mat grey, rows;
        cv::cvtColor(out.Rectified, grey, cv::COLOR_BGR2GRAY);
        cv::reduce(grey, rows, 1, cv::REDUCE_AVG, CV_32F);
        FindFrame(rows, out.Space, prm.TopMm, out.FrameTop);
        FindFrame(rows, out.Space, 0.0, out.FrameBottom);
    }
    out.Path = FindPath(out.Score, out.Space, prm);
    MakeCurve(out.Path, out.Score, out.Space, prm, out);
    // A drop with no ink down its time line after a climb with none is the path's
    // excursion to something else on the paper (handwriting over a stopped record, a
    // stamp): trace again with no siphon allowed there, and keep the reading that
    // leaves fewer such drops.
    std::vector<char> noDrop(std::size_t(out.Space.Cols), 0);
    for (int attempt = 0; attempt < 2 && out.Error.empty(); ++attempt) {
        const int doubtful = DoubtfulDrops(out);
        if (doubtful == 0 || !ForbidExcursions(out, prm, noDrop))
            break;
        TTraceResult again = Remade(out, FindPath(out.Score, out.Space, prm, &noDrop), out.Score, prm);
        if (!again.Error.empty() || DoubtfulDrops(again) >= doubtful)
            break;
        again.Rectified = std::move(out.Rectified);
        again.Score = std::move(out.Score);
        out = std::move(again);
    }
    TraceLaterRecord(out, prm);
    return out;
}

TTraceResult Remade(const TTraceResult& from, TPath path, const cv::Mat& score, const TTraceParams& prm)
{
    TTraceResult again;
    again.Space = from.Space;
    again.Ink = from.Ink;
    again.FrameTop = from.FrameTop;
    again.FrameBottom = from.FrameBottom;
    again.Path = std::move(path);
    MakeCurve(again.Path, score, again.Space, prm, again);
    return again;
}

void FillCurve(TRChart& chart, const TTraceResult& result)
{
    TCurve& curve = chart.Curve();
    curve.Clear();
    // Stored as a click stores it: the pen's reading less the chart's curve offset.
    for (const TTracePoint& tp : result.Points)
        if (curve.AddPoint(tp.Time, tp.Prec - chart.Info.Dh, true))
            curve.Last()->SetMark(tp.Mark);
    curve.Recalc();
    curve.SetModified(true);
}

} // namespace rs::trace
