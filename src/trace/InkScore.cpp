// The pen's ink against paper and printed grid, scored in chart space.

#include "trace/TraceEngine.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>

namespace rs::trace {
namespace {

// Chroma offsets below this are noise, scanner fringes or JPEG ringing (Lab units).
constexpr float kChromaNoise = 8.0f;
// Darkness below this is paper texture (L units).
constexpr float kDarkNoise = 6.0f;
// The grid is coloured when most of the coloured pixels share its hue.
constexpr double kGridHueShare = 0.5;
// ... and when they are a good part of everything printed or drawn on the paper.
constexpr double kColouredMarks = 0.3;
// How much of a grid pixel's darkness its colour may explain, at most (percentile of the ratio).
constexpr double kGridDarknessPercentile = 98;

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

// The raw ink evidence of one Lab pixel (Lab units).
inline float RawInk(const cv::Vec3f& px, const TInkModel& m)
{
    const float dL = m.Paper[0] - px[0], da = px[1] - m.Paper[1], db = px[2] - m.Paper[2];
    if (m.GreyGrid)
        return std::max(0.f, dL - kDarkNoise) + std::max(0.f, std::hypot(da, db) - kChromaNoise);
    const float along = da * m.GridHue[0] + db * m.GridHue[1];
    const float across = std::fabs(da * m.GridHue[1] - db * m.GridHue[0]);
    const float dark = dL - m.GridDarkness * std::max(0.f, along) - kDarkNoise;
    const float colour = std::max(0.f, std::max(-along, across) - kChromaNoise);
    return std::max(0.f, dark) + colour;
}

// A pixel's colour off the paper, less the printed grid's tint (Lab a, b).
inline cv::Vec2f PenChroma(const cv::Vec3f& px, const TInkModel& m)
{
    cv::Vec2f d(px[1] - m.Paper[1], px[2] - m.Paper[2]);
    if (!m.GreyGrid) {
        const float along = d.dot(m.GridHue);
        if (along > 0)
            d -= along * m.GridHue;
    }
    return d;
}

// How much a pixel's colour lets it be the pen's (0..1).
inline float PenLikeness(const cv::Vec3f& px, const TInkModel& m)
{
    if (!m.ColourScan)
        return 1.f;
    const cv::Vec2f d = PenChroma(px, m);
    if (!m.PenColoured) {
        // A dark pen: strongly coloured marks are a stamp or coloured writing.
        const float c = std::hypot(d[0], d[1]);
        return std::clamp(1.f - (c - 20.f) / 25.f, 0.15f, 1.f);
    }
    const float proj = d.dot(m.PenHue);
    const float perp = std::fabs(d[0] * m.PenHue[1] - d[1] * m.PenHue[0]);
    if (proj <= 0)
        return 0.1f;
    const float w1 = std::min(1.f, proj / (0.3f * m.PenChroma));
    const float w2 = std::clamp(1.f - (perp / proj - 0.45f) / 0.45f, 0.f, 1.f);
    return std::max(0.1f, w1 * w2);
}

// The pen's colour: of the strong marks, the hue that runs across most of the day.
// Handwriting, stamps and printed text sit in a few places; the pen's record spans hours.
void FindPenColour(const cv::Mat& lab, int step, TInkModel& m)
{
    constexpr int kBins = 36, kBuckets = 240;
    constexpr float kColoured = 12.f, kDark = 15.f;
    struct TMark
    {
        float Ink;
        cv::Vec2f Chroma;
        int Bucket;
        float Dark; // L below the paper
    };
    std::vector<TMark> marks;
    std::vector<float> all;
    int chromatic = 0, sampled = 0;
    for (int r = 0; r < lab.rows; r += step)
        for (int c = 0; c < lab.cols; c += step) {
            const cv::Vec3f& v = lab.at<cv::Vec3f>(r, c);
            ++sampled;
            chromatic += std::hypot(v[1] - m.Paper[1], v[2] - m.Paper[2]) > kChromaNoise;
            if (float s = RawInk(v, m); s > 0) {
                marks.push_back({s, PenChroma(v, m), c * kBuckets / std::max(1, lab.cols), m.Paper[0] - v[0]});
                all.push_back(s);
            }
        }
    m.ColourScan = chromatic > sampled / 200;
    if (!m.ColourScan || all.empty())
        return;
    const float strong = std::max(6.f, 0.1f * Percentile(all, 99));
    std::vector<std::vector<char>> seen(kBins, std::vector<char>(kBuckets, 0));
    std::vector<char> dark(kBuckets, 0);
    auto bin = [](const cv::Vec2f& d) {
        return (int(std::floor((std::atan2(d[1], d[0]) + M_PI) / (2 * M_PI) * kBins)) % kBins + kBins) % kBins;
    };
    for (const TMark& k : marks) {
        if (k.Ink < strong)
            continue;
        const float c = std::hypot(k.Chroma[0], k.Chroma[1]);
        // Ink darkens the paper as it colours it; the scanner's colour fringes beside
        // printed lines colour it without darkening.
        if (c >= kColoured && k.Dark >= 0.4f * c)
            seen[std::size_t(bin(k.Chroma))][std::size_t(k.Bucket)] = 1;
        else if (k.Ink >= kDark)
            dark[std::size_t(k.Bucket)] = 1;
    }
    int best = -1, bestCover = 0;
    for (int b = 0; b < kBins; ++b) {
        int cover = 0;
        for (int k = 0; k < kBuckets; ++k)
            cover += seen[std::size_t((b + kBins - 1) % kBins)][std::size_t(k)] || seen[std::size_t(b)][std::size_t(k)] ||
                     seen[std::size_t((b + 1) % kBins)][std::size_t(k)];
        if (cover > bestCover)
            bestCover = cover, best = b;
    }
    const int darkCover = int(std::count(dark.begin(), dark.end(), 1));
    if (best < 0 || bestCover < kBuckets / 12 || bestCover < darkCover / 2)
        return;
    double sa = 0, sb = 0;
    std::vector<float> chroma;
    for (const TMark& k : marks) {
        const float c = std::hypot(k.Chroma[0], k.Chroma[1]);
        if (k.Ink < strong || c < kColoured)
            continue;
        const int d = std::abs(bin(k.Chroma) - best);
        if (std::min(d, kBins - d) > 1)
            continue;
        sa += k.Chroma[0] / c;
        sb += k.Chroma[1] / c;
        chroma.push_back(c);
    }
    const double n = std::hypot(sa, sb);
    if (n <= 0)
        return;
    m.PenColoured = true;
    m.PenHue = {float(sa / n), float(sb / n)};
    m.PenChroma = Percentile(chroma, 50);
}

} // namespace

TInkModel FindInk(const cv::Mat& rect)
{
    TInkModel m;
    const cv::Mat lab = ToLab(rect);
    const int step = std::max(1, int(std::sqrt(double(lab.total()) / 60000.0)));
    std::vector<cv::Vec3f> px;
    for (int r = 0; r < lab.rows; r += step)
        for (int c = 0; c < lab.cols; c += step)
            px.push_back(lab.at<cv::Vec3f>(r, c));
    std::vector<float> L;
    for (const auto& v : px)
        L.push_back(v[0]);
    // Paper: the light pixels (a dense grid may cover half the chart).
    const float paperL = Percentile(L, 92);
    std::vector<float> pa, pb;
    for (const auto& v : px)
        if (v[0] >= paperL - 1.0f) {
            pa.push_back(v[1]);
            pb.push_back(v[2]);
        }
    m.Paper = {paperL, Percentile(pa, 50), Percentile(pb, 50)};

    // The grid's hue: the commonest hue of the coloured pixels (most of them are printed
    // lines), refined by the mean direction of those near it, so that the pen's own
    // colour does not pull it aside.
    constexpr int kBins = 72;
    std::vector<double> hist(kBins, 0.0);
    auto bin = [](float da, float db) {
        return (int(std::floor((std::atan2(db, da) + M_PI) / (2 * M_PI) * kBins)) % kBins + kBins) % kBins;
    };
    for (const auto& v : px) {
        const float da = v[1] - m.Paper[1], db = v[2] - m.Paper[2];
        if (std::hypot(da, db) > kChromaNoise)
            hist[std::size_t(bin(da, db))] += 1;
    }
    const int peak = int(std::max_element(hist.begin(), hist.end()) - hist.begin());
    double sa = 0, sb = 0;
    int coloured = 0, marked = 0;
    for (const auto& v : px) {
        const float da = v[1] - m.Paper[1], db = v[2] - m.Paper[2], ch = std::hypot(da, db);
        marked += ch > kChromaNoise || m.Paper[0] - v[0] > kDarkNoise;
        if (ch <= kChromaNoise)
            continue;
        ++coloured;
        const int d = std::abs(bin(da, db) - peak);
        if (std::min(d, kBins - d) <= 4) {
            sa += da / ch;
            sb += db / ch;
        }
    }
    const double n = std::hypot(sa, sb);
    if (coloured > 0 && n > 0) {
        m.GridHue = {float(sa / n), float(sb / n)};
        int onHue = 0;
        std::vector<float> ratio;
        for (const auto& v : px) {
            const float da = v[1] - m.Paper[1], db = v[2] - m.Paper[2], ch = std::hypot(da, db);
            const float along = da * m.GridHue[0] + db * m.GridHue[1];
            if (ch > kChromaNoise && along > 0.8f * ch) {
                ++onHue;
                ratio.push_back(std::max(0.f, m.Paper[0] - v[0]) / along);
            }
        }
        // A grey grid with a coloured pen: the coloured pixels are the pen's, a few of the marks.
        m.GreyGrid = onHue < kGridHueShare * coloured || coloured < kColouredMarks * marked || ratio.size() < 100;
        m.GridDarkness = ratio.empty() ? 0.f : 1.25f * Percentile(ratio, kGridDarknessPercentile);
    }
    FindPenColour(lab, 1, m); // every cell: a thin pen line falls between sparse samples
    // The ink as seen: the hue of the strongest ink evidence.
    std::vector<std::pair<float, cv::Vec2f>> ink;
    for (const auto& v : px)
        if (float s = RawInk(v, m); s > 0)
            ink.push_back({s, {v[1] - m.Paper[1], v[2] - m.Paper[2]}});
    std::sort(ink.begin(), ink.end(), [](const auto& x, const auto& y) { return x.first > y.first; });
    ink.resize(std::min<std::size_t>(ink.size(), 200));
    std::vector<float> ia, ib;
    for (const auto& i : ink) {
        ia.push_back(i.second[0]);
        ib.push_back(i.second[1]);
    }
    float a = Percentile(ia, 50), b = Percentile(ib, 50);
    if (m.ColourScan) {
        // Named after the pen, not after the strongest mark (a stamp, dark writing).
        a = m.PenColoured ? m.PenHue[0] * m.PenChroma : 0.f;
        b = m.PenColoured ? m.PenHue[1] * m.PenChroma : 0.f;
    }
    if (std::hypot(a, b) < 1.5f * kChromaNoise || b > 0) {
        m.Name = "escura";
    } else {
        const double hue = std::atan2(b, a) * 180 / M_PI;
        m.Name = hue < -60 ? "azul" : hue < -35 ? "violeta" : "roxa";
    }
    return m;
}

cv::Mat ScoreInk(const cv::Mat& rect, const TInkModel& ink, const TChartSpace& cs, const TTraceParams& prm)
{
    const cv::Mat lab = ToLab(rect);
    cv::Mat s(lab.size(), CV_32F);
    for (int r = 0; r < lab.rows; ++r) {
        const auto* p = lab.ptr<cv::Vec3f>(r);
        auto* o = s.ptr<float>(r);
        for (int c = 0; c < lab.cols; ++c)
            o[c] = RawInk(p[c], ink) * PenLikeness(p[c], ink);
    }
    {
        // Printed lines run across the whole chart; the pen seldom does: remove what
        // stays high along most of a row or column. Time lines go on every chart (only
        // a siphon drop runs along one, and the path does not need its ink); the rows
        // only when the grid has no colour to tell it from a long dry stretch of the pen.
        const double pct = (1.0 - prm.PrintedLineShare) * 100.0;
        std::vector<float> rowP(std::size_t(s.rows)), colP(std::size_t(s.cols)), buf;
        for (int r = 0; r < s.rows && ink.GreyGrid; ++r) {
            buf.assign(s.ptr<float>(r), s.ptr<float>(r) + s.cols);
            rowP[std::size_t(r)] = Percentile(buf, pct);
        }
        if (ink.GreyGrid) {
            // A printed row is thin; the pen's all-day flat line, even lying on a printed
            // row, is a band thicker than any of them: what survives an opening of the row
            // profile a few rows tall is the pen, and stays.
            const int half = std::max(1, int(std::lround(0.5 * prm.PrintedRowMm / prm.RowMm)));
            std::vector<float> band(rowP.size());
            for (int r = 0; r < s.rows; ++r) {
                float m = rowP[std::size_t(r)];
                for (int q = std::max(0, r - half); q <= std::min(s.rows - 1, r + half); ++q)
                    m = std::min(m, rowP[std::size_t(q)]);
                band[std::size_t(r)] = m;
            }
            // The frame's 0 and 10 mm lines are thicker than the others: always print.
            const double frame = 0.15 / prm.RowMm;
            for (int r = 0; r < s.rows; ++r) {
                if (std::fabs(r - cs.Row(0.0)) < frame || std::fabs(r - cs.Row(prm.TopMm)) < frame)
                    continue;
                float m = band[std::size_t(r)];
                for (int q = std::max(0, r - half); q <= std::min(s.rows - 1, r + half); ++q)
                    m = std::max(m, band[std::size_t(q)]);
                rowP[std::size_t(r)] -= m;
            }
        }
        cv::Mat t = s.t();
        for (int c = 0; c < s.cols; ++c) {
            buf.assign(t.ptr<float>(c), t.ptr<float>(c) + t.cols);
            colP[std::size_t(c)] = Percentile(buf, pct);
        }
        // A siphon drop runs down one time line too, but printed lines recur at the grid's
        // spacing on both sides while drops do not: a column is print only as far as a
        // column as strong lies at the same distance before and after it.
        {
            const int d0 = std::max(2, int(std::lround(4.0 / prm.ColumnMinutes)));
            const int d1 = int(std::lround(62.0 / prm.ColumnMinutes));
            const int n = s.cols;
            auto around = [&](int c) {
                float v = 0;
                for (int k = std::max(0, c - 1); k <= std::min(n - 1, c + 1); ++k)
                    v = std::max(v, colP[std::size_t(k)]);
                return v;
            };
            std::vector<float> near(colP.size());
            for (int c = 0; c < n; ++c)
                near[std::size_t(c)] = around(c);
            std::vector<float> printed(colP.size(), 0.f);
            for (int c = 0; c < n; ++c) {
                const float v = colP[std::size_t(c)];
                if (v <= 0)
                    continue;
                float best = 0;
                for (int d = d0; d <= d1 && best < v; ++d) {
                    const bool hasL = c - d >= 0, hasR = c + d < n;
                    const float l = hasL ? near[std::size_t(c - d)] : 0.f;
                    const float r = hasR ? near[std::size_t(c + d)] : 0.f;
                    // At the chart's ends one side is enough.
                    const float both = hasL && hasR ? std::min(l, r) : std::max(l, r);
                    best = std::max(best, std::min(v, both));
                }
                printed[std::size_t(c)] = best;
            }
            colP.swap(printed);
        }
        const float gain = 1.5f;
        for (int r = 0; r < s.rows; ++r) {
            auto* o = s.ptr<float>(r);
            for (int c = 0; c < s.cols; ++c)
                o[c] = std::max(0.f, o[c] - gain * (rowP[std::size_t(r)] + colP[std::size_t(c)]));
        }
    }
    {
        const int kw = std::max(3, int(std::lround(prm.BlotMinutes / prm.ColumnMinutes)) | 1);
        const int kh = std::max(3, int(std::lround(prm.BlotMm / prm.RowMm)) | 1);
        cv::Mat blots;
        cv::morphologyEx(s, blots, cv::MORPH_OPEN, cv::getStructuringElement(cv::MORPH_RECT, {kw, kh}));
        s -= blots;
    }
    cv::GaussianBlur(s, s, cv::Size(3, 3), 0);
    // The reference ink: strong cells inside the printed area only (the scan's dark
    // border and the punch holes lie mostly outside it).
    const int r0 = std::clamp(int(std::lround(cs.Row(prm.TopMm))), 0, s.rows - 1);
    const int r1 = std::clamp(int(std::lround(cs.Row(0.0))), r0, s.rows - 1);
    std::vector<float> all;
    for (int r = r0; r <= r1; r += 2)
        for (int c = 0; c < s.cols; c += 2)
            all.push_back(s.at<float>(r, c));
    // Never below what a plain pen stroke scores: on a pale, sparse chart the percentile
    // falls to the print's specks.
    const float ref = std::max(Percentile(all, prm.InkReferencePercentile), float(prm.InkReferenceFloor));
    s.convertTo(s, CV_32F, 1.0 / ref);
    cv::min(s, 1.0, s);
    return s;
}

} // namespace rs::trace
