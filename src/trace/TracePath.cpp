// The cheapest reading per column through the ink score (dynamic programming).

#include "trace/TraceEngine.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace rs::trace {
namespace {

// Below the floor a score is print or noise; above it faint ink is still far better
// than none, so the cost falls steeply with the first real traces of ink.
constexpr float kFloor = 0.2f;
inline float Cost(float s) { return 1.f - std::sqrt(std::max(0.f, (s - kFloor) / (1.f - kFloor))); }

} // namespace

TPath FindPath(const cv::Mat& score, const TChartSpace& cs, const TTraceParams& prm)
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

    // from[c][r]: the row of column c−1 the best path to (c, r) comes from; −1−row for a siphon drop.
    std::vector<int> from(std::size_t(R) * std::size_t(C));
    std::vector<float> D(static_cast<std::size_t>(R)), A(static_cast<std::size_t>(R)), B(static_cast<std::size_t>(R));
    std::vector<int> argA(static_cast<std::size_t>(R)), argB(static_cast<std::size_t>(R));
    for (int r = 0; r < R; ++r)
        D[std::size_t(r)] = Cost(score.at<float>(r, 0));
    for (int c = 1; c < C; ++c) {
        // Rising: A[r] = min over q ≥ r of D[q] + rise·(q − r).
        // Climbing through rows without ink costs more: rain draws its rise, a leap to
        // handwriting higher up draws nothing in between.
        A[std::size_t(R - 1)] = D[std::size_t(R - 1)];
        argA[std::size_t(R - 1)] = R - 1;
        for (int r = R - 2; r >= 0; --r) {
            const float up = A[std::size_t(r + 1)] + rise + blankRise * (1.f - score.at<float>(r, c));
            if (up < D[std::size_t(r)]) {
                A[std::size_t(r)] = up;
                argA[std::size_t(r)] = argA[std::size_t(r + 1)];
            } else {
                A[std::size_t(r)] = D[std::size_t(r)];
                argA[std::size_t(r)] = r;
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
        const float viaSiphon = D[std::size_t(top)] + siphon;
        int* f = &from[std::size_t(c) * std::size_t(R)];
        for (int r = 0; r < R; ++r) {
            float best = A[std::size_t(r)];
            int src = argA[std::size_t(r)];
            if (B[std::size_t(r)] < best) {
                best = B[std::size_t(r)];
                src = argB[std::size_t(r)];
            }
            if (r >= bottomRow && viaSiphon < best) {
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

    // The ink's centre around the chosen row: the path keeps to an edge of a thick line.
    const int win = std::max(1, int(std::lround(prm.RefineMm / cs.Dp)));
    const int near = std::max(1, int(std::lround(0.05 / cs.Dp)));
    path.Row.resize(std::size_t(C));
    path.Support.resize(std::size_t(C));
    for (int c = 0; c < C; ++c) {
        const int r0 = rows[std::size_t(c)];
        double sw = 0, swr = 0;
        for (int q = std::max(0, r0 - win); q <= std::min(R - 1, r0 + win); ++q) {
            const double v = score.at<float>(q, c);
            if (v < prm.WeakInk * 0.5)
                continue;
            sw += v * v;
            swr += v * v * q;
        }
        const double rr = sw > 0 ? swr / sw : r0;
        path.Row[std::size_t(c)] = float(rr);
        float sup = 0;
        const int rc = int(std::lround(rr));
        for (int q = std::max(0, rc - near); q <= std::min(R - 1, rc + near); ++q)
            sup = std::max(sup, score.at<float>(q, c));
        path.Support[std::size_t(c)] = sup;
    }
    return path;
}

} // namespace rs::trace
