// The cheapest reading per column through the ink score (dynamic programming).

#include "trace/TraceEngine.h"

#include <algorithm>
#include <cmath>
#include <deque>
#include <limits>

namespace rs::trace {
namespace {

// Below the floor a score is print or noise; above it faint ink is still far better
// than none, so the cost falls steeply with the first real traces of ink.
constexpr float kFloor = 0.2f;
constexpr float kDropInk = 0.1f;
inline float Cost(float s) { return 1.f - std::sqrt(std::max(0.f, (s - kFloor) / (1.f - kFloor))); }

// On a steep rise a column holds a long run of the line and its centre is a poor
// reading; each row holds a short one, whose centre tells the time well. Steep stretches
// are read row by row, and each column's reading is where the line crosses it.
void ReadSteepByRows(const cv::Mat& score, const TChartSpace& cs, const TTraceParams& prm, TPath& path)
{
    const int C = int(path.Row.size());
    const double steep = prm.SteepReadMm / cs.Dp; // rows per column
    const int half = std::max(2, int(std::lround(prm.SteepWindowMinutes / prm.ColumnMinutes)));
    // A siphon's line is ink in every row: a row's window stops short of it.
    const int clear = std::max(2, int(std::lround(1.0 / prm.ColumnMinutes)));
    std::vector<char> nearDrop(std::size_t(C), 0);
    std::vector<int> lo(std::size_t(C), 0), hi(std::size_t(C), C - 1);
    for (int d : path.DropBefore) {
        for (int k = std::max(0, d - clear); k <= std::min(C - 1, d + clear); ++k)
            nearDrop[std::size_t(k)] = 1;
        for (int k = d; k < C; ++k)
            lo[std::size_t(k)] = std::max(lo[std::size_t(k)], d + clear);
        for (int k = 0; k < d; ++k)
            hi[std::size_t(k)] = std::min(hi[std::size_t(k)], d - 1 - clear);
    }
    std::vector<double> t;
    for (int c = 1; c < C; ++c) {
        if (path.Row[std::size_t(c - 1)] - path.Row[std::size_t(c)] <= steep)
            continue;
        int a = c - 1, b = c;
        // The stretch goes on while the line keeps climbing fast, and one column further.
        while (b + 1 < C && path.Row[std::size_t(b)] - path.Row[std::size_t(b + 1)] > steep / 2)
            ++b;
        b = std::min(C - 1, b + 1);
        c = b;
        bool skip = false;
        for (int k = a; k <= b && !skip; ++k)
            skip = nearDrop[std::size_t(k)];
        if (skip || b - a < 1)
            continue;
        // Rows from the foot (a) up to the top (b); the path's own crossing as the first guess.
        const int r0 = int(std::floor(path.Row[std::size_t(a)])), r1 = int(std::ceil(path.Row[std::size_t(b)]));
        if (r0 - r1 < 2)
            continue;
        t.assign(std::size_t(r0 - r1 + 1), 0.0);
        int k = a;
        for (int r = r0; r >= r1; --r) {
            while (k + 1 < b && path.Row[std::size_t(k + 1)] > r)
                ++k;
            const double ra = path.Row[std::size_t(k)], rb = path.Row[std::size_t(k + 1)];
            const double guess = ra > rb ? k + std::clamp((ra - r) / (ra - rb), 0.0, 1.0) : k;
            double sw = 0, swc = 0;
            const int g = int(std::lround(guess));
            const int gc = std::clamp(g, 0, C - 1);
            for (int q = std::max(lo[std::size_t(gc)], g - half); q <= std::min(hi[std::size_t(gc)], g + half); ++q) {
                const double v = score.at<float>(r, q);
                if (v < prm.WeakInk * 0.5)
                    continue;
                sw += v;
                swc += v * q;
            }
            t[std::size_t(r0 - r)] = sw > 0 ? swc / sw : guess;
        }
        // The line only goes forward in time as it climbs: pool what runs backwards.
        std::vector<std::pair<double, int>> pool; // mean, count
        for (double v : t) {
            pool.push_back({v, 1});
            while (pool.size() > 1 && pool[pool.size() - 2].first > pool.back().first) {
                auto [m2, n2] = pool.back();
                pool.pop_back();
                auto& [m1, n1] = pool.back();
                m1 = (m1 * n1 + m2 * n2) / (n1 + n2);
                n1 += n2;
            }
        }
        std::size_t i = 0;
        for (const auto& [m, n] : pool)
            for (int j = 0; j < n; ++j)
                t[i++] = m;
        // Each column inside the stretch: the row where the line crosses it.
        for (int q = a + 1; q < b; ++q) {
            std::size_t j = 0;
            while (j + 1 < t.size() && t[j + 1] <= q)
                ++j;
            // The whole climb lies before this column (or after it): it is at the top (the foot).
            if (t.front() > q) {
                path.Row[std::size_t(q)] = float(r0);
                continue;
            }
            if (j + 1 >= t.size()) {
                path.Row[std::size_t(q)] = float(r1);
                continue;
            }
            const double f = t[j + 1] > t[j] ? (q - t[j]) / (t[j + 1] - t[j]) : 0.0;
            path.Row[std::size_t(q)] = float(r0 - (double(j) + f));
        }
    }
}

} // namespace

TPath FindPath(const cv::Mat& score, const TChartSpace& cs, const TTraceParams& prm, const std::vector<char>* noDrop)
{
    const int R = score.rows, C = score.cols;
    TPath path;
    if (R == 0 || C == 0)
        return path;
    // Rows grow downwards: a rising reading is a smaller row.
    const float rise = float(prm.RiseCostPerMm * cs.Dp), decline = float(prm.DeclineCostPerMm * cs.Dp);
    const int topRow = std::clamp(int(std::floor(cs.Row(prm.SiphonTopMm))), 0, R - 1);
    const int bottomRow = std::clamp(int(std::ceil(cs.Row(prm.SiphonBottomMm))), 0, R - 1);
    const float siphon = float(prm.SiphonCost);
    const float blankRise = float(prm.BlankRiseCostPerMm * cs.Dp);
    const int steepRows = std::max(1, int(std::lround(prm.SteepRiseMm / cs.Dp)));
    const double steep = prm.SteepRiseCostPerMm * cs.Dp;
    std::vector<double> S(std::size_t(R) + 1), F(static_cast<std::size_t>(R));

    // from[c][r]: the row of column c−1 the best path to (c, r) comes from; −1−row for a siphon drop.
    std::vector<int> from(std::size_t(R) * std::size_t(C));
    std::vector<float> D(static_cast<std::size_t>(R)), A(static_cast<std::size_t>(R)), B(static_cast<std::size_t>(R));
    std::vector<int> argA(static_cast<std::size_t>(R)), argB(static_cast<std::size_t>(R));
    for (int r = 0; r < R; ++r)
        D[std::size_t(r)] = Cost(score.at<float>(r, 0));
    for (int c = 1; c < C; ++c) {
        // Rising: A[r] = min over q ≥ r of D[q] + cost(q → r). Climbing through rows
        // without ink costs more (rain draws its rise; a leap to handwriting higher up
        // draws nothing in between: a steep thin line's ink may lie a column aside, so
        // the neighbours' ink counts for half), and so does a climb steeper than rain draws in one
        // column (a stroke of handwriting, a stamp's edge, the frame). With S the prefix
        // sums of the column's score, cost(q → r) = F-terms of q less G-terms of r, so the
        // minimum is a sliding window (up to the steep limit) and a suffix minimum (beyond).
        {
            const double a = double(rise) + double(blankRise);
            S[0] = 0;
            for (int r = 0; r < R; ++r)
                S[std::size_t(r + 1)] =
                    S[std::size_t(r)] + std::max(score.at<float>(r, c),
                                                 0.5f * std::max(score.at<float>(r, c - 1), score.at<float>(r, std::min(C - 1, c + 1))));
            for (int q = 0; q < R; ++q)
                F[std::size_t(q)] = D[std::size_t(q)] + a * q - double(blankRise) * S[std::size_t(q)];
            // Suffix minimum of F[q] + steep·q, for q beyond the steep limit.
            double best = std::numeric_limits<double>::infinity();
            int bestQ = R - 1;
            std::deque<int> win; // rows q in [r, r + steepRows], F increasing
            for (int r = R - 1; r >= 0; --r) {
                const int far = r + steepRows + 1;
                if (far < R && F[std::size_t(far)] + steep * far < best) {
                    best = F[std::size_t(far)] + steep * far;
                    bestQ = far;
                }
                while (!win.empty() && F[std::size_t(win.back())] >= F[std::size_t(r)])
                    win.pop_back();
                win.push_back(r);
                while (win.front() > r + steepRows)
                    win.pop_front();
                const double g = a * r - double(blankRise) * S[std::size_t(r)];
                double v = F[std::size_t(win.front())] - g;
                int arg = win.front();
                if (far < R) {
                    const double w = best - g - steep * (r + steepRows);
                    if (w < v) {
                        v = w;
                        arg = bestQ;
                    }
                }
                A[std::size_t(r)] = float(v);
                argA[std::size_t(r)] = arg;
            }
        }
        // Small declines of the pen: B[r] = min over q ≤ r of D[q] + decline·(r − q).
        B[0] = D[0];
        argB[0] = 0;
        for (int r = 1; r < R; ++r) {
            const float down = B[std::size_t(r - 1)] + decline;
            if (down < D[std::size_t(r)]) {
                B[std::size_t(r)] = down;
                argB[std::size_t(r)] = argB[std::size_t(r - 1)];
            } else {
                B[std::size_t(r)] = D[std::size_t(r)];
                argB[std::size_t(r)] = r;
            }
        }
        // A siphon: from anywhere near the top straight down to near zero.
        int top = 0;
        for (int r = 1; r <= topRow; ++r)
            if (D[std::size_t(r)] < D[std::size_t(top)])
                top = r;
        // A siphon leaves ink down its time line, however pale: a drop through blank
        // paper is a leap (to handwriting, across a stopped record), not a siphon.
        int inkRows = 0;
        for (int r = topRow; r <= bottomRow; ++r) {
            float v = 0;
            for (int k = std::max(0, c - 2); k <= std::min(C - 1, c + 1); ++k)
                v = std::max(v, score.at<float>(r, k));
            inkRows += v >= kDropInk;
        }
        const float blankDrop = 1.f - float(inkRows) / float(std::max(1, bottomRow - topRow + 1));
        const float viaSiphon = D[std::size_t(top)] + siphon + float(prm.BlankSiphonCost) * blankDrop;
        int* f = &from[std::size_t(c) * std::size_t(R)];
        for (int r = 0; r < R; ++r) {
            float best = A[std::size_t(r)];
            int src = argA[std::size_t(r)];
            if (B[std::size_t(r)] < best) {
                best = B[std::size_t(r)];
                src = argB[std::size_t(r)];
            }
            if (r >= bottomRow && viaSiphon < best && !(noDrop && (*noDrop)[std::size_t(c)])) {
                best = viaSiphon;
                src = -1 - top;
            }
            f[r] = src;
            A[std::size_t(r)] = best; // reused as the new column
        }
        for (int r = 0; r < R; ++r)
            D[std::size_t(r)] = A[std::size_t(r)] + Cost(score.at<float>(r, c));
    }
    std::vector<int> rows(static_cast<std::size_t>(C));
    int r = int(std::min_element(D.begin(), D.end()) - D.begin());
    for (int c = C - 1; c >= 0; --c) {
        rows[std::size_t(c)] = r;
        if (c == 0)
            break;
        const int src = from[std::size_t(c) * std::size_t(R) + std::size_t(r)];
        if (src < 0) {
            path.DropBefore.push_back(c);
            r = -1 - src;
        } else {
            r = src;
        }
    }
    std::reverse(path.DropBefore.begin(), path.DropBefore.end());

    // The ink's centre around the chosen row: the path keeps to an edge of a thick line,
    // and on a steep rise a column's ink spans many rows, anywhere of which the path may
    // pass. The centre of the run of ink that holds the chosen row is the pen's reading.
    const int win = std::max(1, int(std::lround(prm.RefineMm / cs.Dp)));
    const int runCap = std::max(win, int(std::lround(prm.RefineRunMm / cs.Dp)));
    const int near = std::max(1, int(std::lround(0.05 / cs.Dp)));
    path.Row.resize(std::size_t(C));
    path.Support.resize(std::size_t(C));
    for (int c = 0; c < C; ++c) {
        const int r0 = rows[std::size_t(c)];
        // A column's ink spans the pen's width and what the line climbs across the column;
        // more is a printed line or a stroke that the path only touches.
        const int cl = std::max(0, c - 3), cr = std::min(C - 1, c + 3);
        const double slope = cr > cl ? std::abs(rows[std::size_t(cr)] - rows[std::size_t(cl)]) / double(cr - cl) : 0.0;
        const int runMax = std::min(runCap, win + int(std::ceil(5 * slope)));
        float peak = 0;
        int at = r0;
        for (int q = std::max(0, r0 - win); q <= std::min(R - 1, r0 + win); ++q)
            if (score.at<float>(q, c) > peak)
                peak = score.at<float>(q, c), at = q;
        double rr = r0;
        if (peak >= prm.WeakInk * 0.5) {
            const float edge = std::max(float(prm.WeakInk) * 0.5f, 0.35f * peak);
            int lo = at, hi = at;
            while (lo > 0 && at - lo < runMax && score.at<float>(lo - 1, c) >= edge)
                --lo;
            while (hi < R - 1 && hi - at < runMax && score.at<float>(hi + 1, c) >= edge)
                ++hi;
            double sw = 0, swr = 0;
            for (int q = lo; q <= hi; ++q) {
                const double v = score.at<float>(q, c);
                sw += v;
                swr += v * q;
            }
            rr = swr / sw;
        }
        path.Row[std::size_t(c)] = float(rr);
        float sup = 0;
        const int rc = int(std::lround(rr));
        for (int q = std::max(0, rc - near); q <= std::min(R - 1, rc + near); ++q)
            sup = std::max(sup, score.at<float>(q, c));
        path.Support[std::size_t(c)] = sup;
    }
    ReadSteepByRows(score, cs, prm, path);
    return path;
}

} // namespace rs::trace
