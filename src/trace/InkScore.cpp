// The pen's ink against paper and printed grid, scored in chart space.

#include "trace/TraceEngine.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>

namespace rs::trace {
namespace {

// Chroma offsets below this are noise, scanner fringes or JPEG ringing (Lab units).
constexpr float kChromaNoise = 9.0f;
// Darkness below this is paper texture (L units).
constexpr float kDarkNoise = 6.0f;
// A colour pen leaves coloured pixels in at least this share of the columns.
constexpr double kColourColumns = 0.2;

cv::Mat ToLab(const cv::Mat& bgr)
{
    cv::Mat f, lab;
    bgr.convertTo(f, CV_32F, 1.0 / 255.0);
    cv::cvtColor(f, lab, cv::COLOR_BGR2Lab);
    return lab;
}

float Percentile(std::vector<float>& v, double pct)
{
    if (v.empty())
        return 0;
    const auto k = std::size_t(std::clamp(pct / 100.0, 0.0, 1.0) * double(v.size() - 1));
    std::nth_element(v.begin(), v.begin() + std::ptrdiff_t(k), v.end());
    return v[k];
}

float MedianOf(std::vector<float> v) { return Percentile(v, 50); }

// Blue, violet and purple inks lie on the yellow–blue axis's blue side; the
// printed grids (green, red, orange) on its yellow side.
bool InkHue(float da, float db) { return db < -kChromaNoise && da > 1.5f * db; }

} // namespace

TInkModel FindInk(const cv::Mat& rect)
{
    TInkModel m;
    const cv::Mat lab = ToLab(rect);
    std::vector<float> L, A, B;
    const int step = std::max(1, int(std::sqrt(double(lab.total()) / 40000.0)));
    for (int r = 0; r < lab.rows; r += step)
        for (int c = 0; c < lab.cols; c += step) {
            const auto& v = lab.at<cv::Vec3f>(r, c);
            L.push_back(v[0]);
            A.push_back(v[1]);
            B.push_back(v[2]);
        }
    m.Paper = {Percentile(L, 80), MedianOf(A), MedianOf(B)};
    std::vector<float> iL, iA, iB;
    std::vector<char> column(std::size_t(lab.cols), 0);
    std::vector<float> darkL;
    for (int r = 0; r < lab.rows; ++r) {
        const auto* p = lab.ptr<cv::Vec3f>(r);
        for (int c = 0; c < lab.cols; ++c) {
            const float dL = m.Paper[0] - p[c][0], da = p[c][1] - m.Paper[1], db = p[c][2] - m.Paper[2];
            if (dL > kDarkNoise && InkHue(da, db)) {
                iL.push_back(p[c][0]);
                iA.push_back(da);
                iB.push_back(db);
                column[std::size_t(c)] = 1;
            }
            if (dL > kDarkNoise && std::hypot(da, db) < 2 * kChromaNoise)
                darkL.push_back(dL);
        }
    }
    const double cols = double(std::count(column.begin(), column.end(), 1)) / std::max(1, lab.cols);
    if (cols >= kColourColumns && iL.size() >= std::size_t(lab.cols) / 2) {
        m.Kind = TInkKind::Colour;
        // The strongest half of the candidates: the pen's own colour, not its blurred edges.
        std::vector<float> chroma(iA.size());
        for (std::size_t i = 0; i < iA.size(); ++i)
            chroma[i] = std::hypot(iA[i], iB[i]);
        std::vector<float> tmp = chroma;
        const float mid = MedianOf(tmp);
        std::vector<float> sL, sA, sB;
        for (std::size_t i = 0; i < iA.size(); ++i)
            if (chroma[i] >= mid) {
                sL.push_back(iL[i]);
                sA.push_back(iA[i]);
                sB.push_back(iB[i]);
            }
        m.Ink = {MedianOf(sL), MedianOf(sA) + m.Paper[1], MedianOf(sB) + m.Paper[2]};
        const double hue = std::atan2(MedianOf(sB), MedianOf(sA)) * 180 / M_PI;
        m.Name = hue < -60 ? "azul" : hue < -35 ? "violeta" : "roxa";
    } else {
        m.Kind = TInkKind::Dark;
        const float dl = darkL.empty() ? 40.f : Percentile(darkL, 90);
        m.Ink = {m.Paper[0] - std::max(dl, 2 * kDarkNoise), m.Paper[1], m.Paper[2]};
        m.Name = "preta";
    }
    return m;
}

cv::Mat ScoreInk(const cv::Mat& rect, const TInkModel& ink, const TTraceParams& prm)
{
    const cv::Mat lab = ToLab(rect);
    cv::Mat s(lab.size(), CV_32F);
    const float ia = ink.Ink[1] - ink.Paper[1], ib = ink.Ink[2] - ink.Paper[2];
    const float norm = std::max(std::hypot(ia, ib), kChromaNoise);
    const float ua = ia / norm, ub = ib / norm;
    const float inkDark = std::max(ink.Paper[0] - ink.Ink[0], kDarkNoise);
    for (int r = 0; r < lab.rows; ++r) {
        const auto* p = lab.ptr<cv::Vec3f>(r);
        auto* o = s.ptr<float>(r);
        for (int c = 0; c < lab.cols; ++c) {
            const float dL = ink.Paper[0] - p[c][0], da = p[c][1] - ink.Paper[1], db = p[c][2] - ink.Paper[2];
            float v;
            if (ink.Kind == TInkKind::Colour) {
                // Along the ink's hue, away from paper; colours off that hue (the grid) fade out.
                const float along = da * ua + db * ub, across = std::fabs(da * ub - db * ua);
                const float w = across / (0.6f * norm + kChromaNoise);
                v = std::max(0.f, along - 0.5f * kChromaNoise) / norm * std::exp(-w * w);
            } else {
                // Dark and without colour: a coloured grid drops out; a grey one is removed below.
                const float chroma = std::hypot(da, db) / (2 * kChromaNoise);
                v = std::max(0.f, dL - kDarkNoise) / inkDark * std::exp(-chroma * chroma);
            }
            o[c] = v;
        }
    }
    if (ink.Kind == TInkKind::Dark) {
        // Printed lines run across the whole chart; the pen seldom does: remove what
        // stays high along most of a row or column.
        const double pct = (1.0 - prm.PrintedLineShare) * 100.0;
        std::vector<float> rowP(std::size_t(s.rows)), colP(std::size_t(s.cols)), buf;
        for (int r = 0; r < s.rows; ++r) {
            buf.assign(s.ptr<float>(r), s.ptr<float>(r) + s.cols);
            rowP[std::size_t(r)] = Percentile(buf, pct);
        }
        for (int c = 0; c < s.cols; ++c) {
            buf.resize(std::size_t(s.rows));
            for (int r = 0; r < s.rows; ++r)
                buf[std::size_t(r)] = s.at<float>(r, c);
            colP[std::size_t(c)] = Percentile(buf, pct);
        }
        for (int r = 0; r < s.rows; ++r) {
            auto* o = s.ptr<float>(r);
            for (int c = 0; c < s.cols; ++c)
                o[c] = std::max(0.f, o[c] - 1.5f * (rowP[std::size_t(r)] + colP[std::size_t(c)]));
        }
    }
    cv::GaussianBlur(s, s, cv::Size(3, 3), 0);
    std::vector<float> all;
    all.reserve(s.total() / 4 + 1);
    for (int r = 0; r < s.rows; r += 2)
        for (int c = 0; c < s.cols; c += 2)
            all.push_back(s.at<float>(r, c));
    const float ref = std::max(Percentile(all, prm.InkReferencePercentile), 0.05f);
    s.convertTo(s, CV_32F, 1.0 / ref);
    cv::min(s, 1.0, s);
    return s;
}

} // namespace rs::trace
