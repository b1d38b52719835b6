#include "SynthRender.h"

#include "SynthRandom.h"

#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>
#include <functional>

namespace synth {
namespace {

enum : std::uint64_t { kStreamPaper = 11, kStreamInk = 12, kStreamHand = 13, kStreamNoise = 14, kStreamBack = 15 };

struct TRgb
{
    double R, G, B;
};

// Full-strength print and ink colours; lighter shades come from partial coverage.
TRgb GridRgb(TGridColour c)
{
    switch (c) {
    case TGridColour::Green: return {95, 190, 50};
    case TGridColour::Red: return {215, 55, 60};
    case TGridColour::Orange: return {240, 135, 35};
    case TGridColour::Grey: return {110, 110, 110};
    }
    return {0, 0, 0};
}

TRgb InkRgb(TInkColour c)
{
    switch (c) {
    case TInkColour::Blue: return {35, 55, 175};
    case TInkColour::Violet: return {105, 50, 170};
    case TInkColour::Purple: return {135, 30, 110};
    case TInkColour::Black: return {30, 30, 35};
    }
    return {0, 0, 0};
}

// Draws through the chart's paper -> image transform into coverage masks (0..255).
class TPainter
{
public:
    TPainter(const TSynthChart& c, cv::Size size) : FChart(c), FSize(size), FScale(c.Options.Dpi / 25.4)
    {
        const cv::Matx23d& m = c.PaperToImage;
        FAngle = std::atan2(m(1, 0), m(0, 0));
    }

    double Scale() const { return FScale; }
    cv::Point2d Image(cv::Point2d paper) const
    {
        const cv::Matx23d& m = FChart.PaperToImage;
        return {m(0, 0) * paper.x + m(0, 1) * paper.y + m(0, 2), m(1, 0) * paper.x + m(1, 1) * paper.y + m(1, 2)};
    }
    // OpenCV's fixed point (4 fractional bits) has pixel centres on whole numbers.
    static cv::Point Fix(cv::Point2d q) { return {cvRound((q.x - 0.5) * 16.0), cvRound((q.y - 0.5) * 16.0)}; }

    // A polyline of image points, widthMm wide on paper, of the given opacity (0..1).
    void Line(cv::Mat& mask, const std::vector<cv::Point2d>& pts, double widthMm, double opacity) const
    {
        if (pts.size() < 2 || opacity <= 0)
            return;
        const double w = widthMm * FScale;
        const int thickness = w < 1.5 ? 1 : int(std::lround(w));
        // Lines thinner than a pixel come out paler, but never vanish.
        const double v = 255.0 * std::min(1.0, opacity) * (w < 1.0 ? std::max(w, 0.6) : 1.0);
        std::vector<cv::Point> fixed;
        fixed.reserve(pts.size());
        for (const cv::Point2d& q : pts)
            fixed.push_back(Fix(q));
        cv::polylines(mask, fixed, false, cv::Scalar(v), thickness, cv::LINE_AA, 4);
    }

    void Disc(cv::Mat& mask, cv::Point2d paperCentre, double radiusMm, double opacity) const
    {
        cv::circle(mask, Fix(Image(paperCentre)), int(std::lround(radiusMm * FScale * 16.0)),
                   cv::Scalar(255.0 * opacity), cv::FILLED, cv::LINE_AA, 4);
    }

    // Something drawn upright in a local patch (image pixels, anchor at `anchor`),
    // then turned with the scan (plus extraDeg, sheared by slant) and laid at the
    // paper point; combined by maximum.
    void Patch(cv::Mat& mask, cv::Size patchSize, cv::Point2d anchor, cv::Point2d paperAt, double opacity,
               double extraDeg, double slant, const std::function<void(cv::Mat&)>& draw) const
    {
        cv::Mat patch(patchSize, CV_8U, cv::Scalar(0));
        draw(patch);
        const double a = FAngle + extraDeg * CV_PI / 180.0;
        const cv::Matx22d rot(std::cos(a), -std::sin(a), std::sin(a), std::cos(a));
        const cv::Matx22d r = rot * cv::Matx22d(1, -slant, 0, 1);
        const cv::Point2d at = Image(paperAt);
        const cv::Vec2d off = cv::Vec2d(at.x, at.y) - r * cv::Vec2d(anchor.x, anchor.y);
        double x0 = 1e300, y0 = 1e300, x1 = -1e300, y1 = -1e300;
        for (double x : {0.0, double(patchSize.width)})
            for (double y : {0.0, double(patchSize.height)}) {
                const cv::Vec2d q = r * cv::Vec2d(x, y) + off;
                x0 = std::min(x0, q[0]);
                x1 = std::max(x1, q[0]);
                y0 = std::min(y0, q[1]);
                y1 = std::max(y1, q[1]);
            }
        const cv::Rect roi = cv::Rect(cv::Point(int(std::floor(x0)), int(std::floor(y0))),
                                      cv::Point(int(std::ceil(x1)) + 1, int(std::ceil(y1)) + 1)) &
                             cv::Rect(0, 0, FSize.width, FSize.height);
        if (roi.empty())
            return;
        const cv::Matx23d m(r(0, 0), r(0, 1), off[0] - roi.x, r(1, 0), r(1, 1), off[1] - roi.y);
        cv::Mat warped;
        cv::warpAffine(patch, warped, m, roi.size(), cv::INTER_LINEAR, cv::BORDER_CONSTANT, cv::Scalar(0));
        if (opacity < 1.0)
            warped.convertTo(warped, -1, opacity);
        cv::Mat dst = mask(roi);
        cv::max(dst, warped, dst);
    }

    // Text of the given height (mm); align 0 = starts at the point, 0.5 = centred on it.
    void Text(cv::Mat& mask, const std::string& text, cv::Point2d paperAt, double heightMm, int font, double strokeMm,
              double opacity, double align = 0, double extraDeg = 0, double slant = 0) const
    {
        int base = 0;
        const cv::Size unit = cv::getTextSize(text, font, 1.0, 1, &base);
        const double fontScale = heightMm * FScale / std::max(1, unit.height);
        const int thickness = std::max(1, int(std::lround(strokeMm * FScale)));
        const cv::Size sz = cv::getTextSize(text, font, fontScale, thickness, &base);
        const int pad = thickness + 2;
        const cv::Size patch(sz.width + 2 * pad, sz.height + base + 2 * pad);
        const cv::Point2d anchor(pad + align * sz.width, pad + sz.height);
        Patch(mask, patch, anchor, paperAt, opacity, extraDeg, slant, [&](cv::Mat& m) {
            cv::putText(m, text, cv::Point(pad, pad + sz.height), font, fontScale, cv::Scalar(255), thickness,
                        cv::LINE_AA);
        });
    }

private:
    const TSynthChart& FChart;
    cv::Size FSize;
    double FScale;
    double FAngle = 0;
};

std::string HourLabel(int t)
{
    return std::to_string(t <= 24 ? t : t - 24);
}

void DrawGrid(const TSynthChart& c, const TPainter& pt, cv::Mat& print)
{
    const TSynthOptions& o = c.Options;
    const double g = o.GridStrength;
    const double h = o.Hour;
    // Time lines: an hour's stronger, every 10 minutes lighter; arcs on a curved chart.
    std::vector<cv::Point2d> line;
    for (int k = 0; k <= 150; ++k) {
        const double t = h + k / 6.0;
        line.clear();
        const int steps = o.Curved ? 40 : 1;
        for (int i = 0; i <= steps; ++i)
            line.push_back(pt.Image(c.PaperPos(t, 10.0 * i / steps)));
        const bool hour = k % 6 == 0;
        pt.Line(print, line, hour ? 0.2 : 0.08, (hour ? 1.0 : 0.55) * g);
    }
    // Reading lines: every millimetre stronger, every fifth lighter; across the whole printed span.
    for (int j = 0; j <= 50; ++j) {
        const double p = j * 0.2;
        const bool mm = j % 5 == 0;
        const cv::Point2d a = c.PaperPos(h, p), b = c.PaperPos(h + TPaperLayout::kHours, p);
        const double from = std::min(a.x, c.PaperPos(h, 5.0).x), to = std::max(b.x, c.PaperPos(h + 25, 0.0).x);
        line = {pt.Image({from, a.y}), pt.Image({to, a.y})};
        pt.Line(print, line, mm ? (j == 0 || j == 50 ? 0.3 : 0.2) : 0.08, (mm ? 1.0 : 0.55) * g);
    }
    // Printed numbers: the hours above the grid, the millimetres in a few columns.
    for (int i = 0; i <= 25; ++i) {
        const cv::Point2d q = c.PaperPos(h + i, 10.0);
        pt.Text(print, HourLabel(int(h) + i), {q.x, q.y - 2.2}, 3.2, cv::FONT_HERSHEY_SIMPLEX, 0.35, g, 0.5);
    }
    for (int col : {2, 9, 16, 23})
        for (int p = 0; p <= 10; ++p) {
            const cv::Point2d q = c.PaperPos(h + col, p);
            pt.Text(print, std::to_string(p), {q.x - 1.0, q.y + 1.2}, 2.5, cv::FONT_HERSHEY_SIMPLEX, 0.3, g, 1.0);
        }
    const auto label = [&](const char* text, double hours, double p) {
        pt.Text(print, text, c.PaperPos(h + hours, p), 2.4, cv::FONT_HERSHEY_SIMPLEX, 0.25, g);
    };
    label("Colocado em:", 2.6, 9.3);
    label("Retirado em:", 2.6, 8.4);
    label("Estacao:", 17.6, 9.3);
    label("Pluviografo N.", 17.6, 8.4);
    label("mm de chuva", 23.3, 9.6);
}

double Pressure(double t, double strength, bool wander, double phase1, double phase2)
{
    if (!wander)
        return strength;
    const double f = 0.82 + 0.18 * std::sin(t * 0.9 + phase1) + 0.12 * std::sin(t * 4.1 + phase2);
    return strength * std::clamp(f, 0.6, 1.0);
}

bool InAny(const std::vector<std::pair<double, double>>& spans, double t)
{
    for (const auto& s : spans)
        if (t > s.first && t < s.second)
            return true;
    return false;
}

void DrawPen(const TSynthChart& c, const TPainter& pt, cv::Mat& ink)
{
    const TSynthOptions& o = c.Options;
    TRandom r(o.Seed, kStreamInk);
    const double ph1 = r.U(0, 6.3), ph2 = r.U(0, 6.3);
    // Dense samples along the true curve, cut where the ink breaks or the record is missing.
    struct TSample { double T; cv::Point2d Q; };
    std::vector<std::vector<TSample>> runs(1);
    for (std::size_t i = 0; i + 1 < c.Pen.size(); ++i) {
        const TPenPoint& a = c.Pen[i];
        const TPenPoint& b = c.Pen[i + 1];
        if (a.Mark == 2 || a.Mark == 1) { // a missing record; a siphon drop, drawn below
            runs.emplace_back();
            continue;
        }
        const int steps = std::max(1, int(std::ceil(std::max((b.T - a.T) * 30.0, std::abs(b.P - a.P) / 0.05))));
        // A run starts at the segment's first point; later segments share it with the one before.
        for (int s = runs.back().empty() ? 0 : 1; s <= steps; ++s) {
            const double f = double(s) / steps;
            const double t = a.T + (b.T - a.T) * f, p = a.P + (b.P - a.P) * f;
            if (InAny(c.InkBreaks, t)) {
                if (!runs.back().empty())
                    runs.emplace_back();
                continue;
            }
            runs.back().push_back({t, pt.Image(c.PaperPos(t, p))});
        }
    }
    std::vector<cv::Point2d> chunk;
    for (const auto& run : runs)
        for (std::size_t i = 0; i + 1 < run.size(); i += 16) {
            chunk.clear();
            for (std::size_t j = i; j < std::min(run.size(), i + 17); ++j)
                chunk.push_back(run[j].Q);
            pt.Line(ink, chunk, o.PenWidthMm, Pressure(run[i].T, o.InkStrength, o.InkPressure, ph1, ph2));
        }
    // The pen sweeps down a siphon drop in seconds: a thinner, paler line along the time line.
    std::vector<cv::Point2d> drop;
    for (std::size_t i = 0; i + 1 < c.Pen.size(); ++i) {
        const TPenPoint& a = c.Pen[i];
        const TPenPoint& b = c.Pen[i + 1];
        if (a.Mark != 1)
            continue;
        drop.clear();
        const int steps = std::max(1, int(std::ceil(std::abs(b.P - a.P) / 0.05)));
        for (int k = 0; k <= steps; ++k) {
            const double f = double(k) / steps;
            drop.push_back(pt.Image(c.PaperPos(a.T + (b.T - a.T) * f, a.P + (b.P - a.P) * f)));
        }
        pt.Line(ink, drop, o.PenWidthMm * 0.9, 0.7 * Pressure(a.T, o.InkStrength, o.InkPressure, ph1, ph2));
    }
    // The clock's time marks: short ticks off the trace.
    if (o.TimeMarks) {
        const double every = r.I(1, 3);
        for (double t = c.Pen.front().T + r.U(0.2, 1.0); t < c.Pen.back().T - 0.1; t += every) {
            bool nearSiphon = false;
            for (const TPenPoint& q : c.Pen)
                nearSiphon = nearSiphon || (q.Mark == 1 && std::abs(q.T - t) < 0.05);
            if (nearSiphon || InAny(c.Missing, t) || InAny(c.InkBreaks, t))
                continue;
            double p = c.Pen.front().P;
            for (std::size_t i = 1; i < c.Pen.size(); ++i)
                if (c.Pen[i].T >= t) {
                    const TPenPoint& a = c.Pen[i - 1];
                    const TPenPoint& b = c.Pen[i];
                    p = a.P + (b.P - a.P) * (t - a.T) / (b.T - a.T);
                    break;
                }
            const cv::Point2d q = c.PaperPos(t, p);
            pt.Line(ink, {pt.Image(q), pt.Image({q.x, q.y - 1.4})}, o.PenWidthMm * 0.8,
                    Pressure(t, o.InkStrength, o.InkPressure, ph1, ph2));
        }
    }
}

std::string Two(int v)
{
    return (v < 10 ? "0" : "") + std::to_string(v);
}

std::string HandDate(TRandom& r)
{
    const int d = r.I(1, 28), m = r.I(1, 12), y = r.I(1975, 2015);
    return r.B(0.5) ? Two(d) + "/" + Two(m) + "/" + std::to_string(y) : Two(d) + "." + Two(m) + "." + Two(y % 100);
}

void DrawHandwriting(const TSynthChart& c, const TPainter& pt, cv::Mat& hand, TRandom& r)
{
    const double h = c.Options.Hour;
    const int font = cv::FONT_HERSHEY_SCRIPT_SIMPLEX;
    const auto write = [&](const std::string& text, double hours, double p) {
        pt.Text(hand, text, c.PaperPos(h + hours, p), r.U(3.0, 4.2), font, r.U(0.25, 0.4), r.U(0.75, 1.0), 0,
                r.U(-3, 3), r.U(-0.05, 0.3));
    };
    write(HandDate(r) + "  " + std::to_string(int(h)) + "h" + Two(r.I(0, 30)), r.U(5.8, 6.6), 9.25);
    write(HandDate(r), r.U(5.8, 6.6), 8.35);
    write(std::to_string(r.I(100, 9999)), r.U(20.0, 21.0), 9.25);
    if (r.B(0.5))
        write(r.B(0.5) ? "ok" : std::string(1, char('A' + r.I(0, 25))) + "." + char('A' + r.I(0, 25)) + ".",
              r.U(8.0, 15.0), r.U(5.5, 7.5));
    // The operator's arrow at the start of the trace.
    const cv::Point2d s = c.PaperPos(c.Pen.front().T, c.Pen.front().P);
    const double dx = r.U(-1.0, 1.0);
    const double w = r.U(0.3, 0.45);
    pt.Line(hand, {pt.Image({s.x + dx, s.y - 11.0}), pt.Image({s.x + dx * 0.3, s.y - 2.5})}, w, 0.9);
    pt.Line(hand, {pt.Image({s.x + dx * 0.3 - 1.3, s.y - 4.3}), pt.Image({s.x + dx * 0.3, s.y - 2.5}),
                   pt.Image({s.x + dx * 0.3 + 1.3, s.y - 4.3})},
            w, 0.9);
}

void DrawStamp(const TSynthChart& c, const TPainter& pt, cv::Mat& stamp, TRandom& r)
{
    const double s = pt.Scale();
    const cv::Size size(int(40 * s), int(17 * s));
    const std::string date = HandDate(r);
    const cv::Point2d at = c.PaperPos(c.Options.Hour + r.U(5.0, 19.0), r.U(3.0, 7.5));
    pt.Patch(stamp, size, {size.width / 2.0, size.height / 2.0}, at, r.U(0.55, 0.85), r.U(-10, 10), 0,
             [&](cv::Mat& m) {
                 const int w = std::max(1, int(0.5 * s));
                 cv::rectangle(m, cv::Rect(w, w, m.cols - 2 * w, m.rows - 2 * w), cv::Scalar(255), w, cv::LINE_AA);
                 cv::rectangle(m, cv::Rect(int(1.5 * s), int(1.5 * s), m.cols - int(3 * s), m.rows - int(3 * s)),
                               cv::Scalar(255), std::max(1, w / 2), cv::LINE_AA);
                 int base = 0;
                 const double fs = 34.0 * s / cv::getTextSize("CONFERIDO", cv::FONT_HERSHEY_DUPLEX, 1.0, 1, &base).width;
                 cv::putText(m, "CONFERIDO", cv::Point(int(3 * s), int(8.5 * s)), cv::FONT_HERSHEY_DUPLEX, fs,
                             cv::Scalar(255), std::max(1, int(0.5 * s)), cv::LINE_AA);
                 cv::putText(m, date, cv::Point(int(8 * s), int(14 * s)), cv::FONT_HERSHEY_SIMPLEX, fs * 0.8,
                             cv::Scalar(255), std::max(1, int(0.4 * s)), cv::LINE_AA);
                 // A rubber stamp inks unevenly.
                 cv::Mat uneven(m.size(), CV_8U);
                 cv::RNG rng(r.Bits());
                 rng.fill(uneven, cv::RNG::UNIFORM, 140, 256);
                 cv::GaussianBlur(uneven, uneven, cv::Size(0, 0), std::max(0.5, 0.3 * s));
                 cv::multiply(m, uneven, m, 1.0 / 255.0);
             });
}

// The paper's light varies a little across the scan.
cv::Mat LightField(cv::Size size, TRandom& r)
{
    cv::Mat small(6, 24, CV_32F);
    for (int y = 0; y < small.rows; ++y)
        for (int x = 0; x < small.cols; ++x)
            small.at<float>(y, x) = float(1.0 + 0.006 * r.N());
    cv::Mat field;
    cv::resize(small, field, size, 0, 0, cv::INTER_CUBIC);
    return field;
}

struct TLayer
{
    const cv::Mat* Mask;
    double K[3]; // absorption per channel (B, G, R) at full coverage
    double Opacity;
};

TLayer MakeLayer(const cv::Mat& mask, TRgb c, double opacity)
{
    return {&mask, {1.0 - c.B / 255.0, 1.0 - c.G / 255.0, 1.0 - c.R / 255.0}, opacity};
}

// Inks absorb light: each layer multiplies what lies under it.
cv::Mat Composite(cv::Size size, const cv::Mat& paper, const cv::Mat& holes, const std::vector<TLayer>& layers,
                  const cv::Mat& field, const double paperBgr[3])
{
    const double lid[3] = {212, 214, 214}, hole[3] = {28, 28, 30};
    cv::Mat out(size, CV_8UC3);
    std::vector<const std::uint8_t*> rows(layers.size());
    for (int y = 0; y < size.height; ++y) {
        const std::uint8_t* pr = paper.ptr<std::uint8_t>(y);
        const std::uint8_t* hr = holes.empty() ? nullptr : holes.ptr<std::uint8_t>(y);
        const float* fr = field.ptr<float>(y);
        for (std::size_t l = 0; l < layers.size(); ++l)
            rows[l] = layers[l].Mask->ptr<std::uint8_t>(y);
        cv::Vec3b* o = out.ptr<cv::Vec3b>(y);
        for (int x = 0; x < size.width; ++x) {
            const double pw = pr[x] / 255.0;
            double v[3];
            for (int ch = 0; ch < 3; ++ch)
                v[ch] = lid[ch] * (1.0 - pw) + paperBgr[ch] * fr[x] * pw;
            for (std::size_t l = 0; l < layers.size(); ++l) {
                const std::uint8_t a8 = rows[l][x];
                if (!a8)
                    continue;
                const double a = std::min(1.0, a8 / 255.0 * layers[l].Opacity);
                for (int ch = 0; ch < 3; ++ch)
                    v[ch] *= 1.0 - a * layers[l].K[ch];
            }
            if (hr && hr[x]) {
                const double a = hr[x] / 255.0;
                for (int ch = 0; ch < 3; ++ch)
                    v[ch] = v[ch] * (1.0 - a) + hole[ch] * a;
            }
            o[x] = cv::Vec3b(cv::saturate_cast<std::uint8_t>(v[0]), cv::saturate_cast<std::uint8_t>(v[1]),
                             cv::saturate_cast<std::uint8_t>(v[2]));
        }
    }
    return out;
}

// The scanner's sensor noise, per channel: Gaussian values drawn once into a
// table, then picked by 16 random bits each (four picks per 64-bit draw).
void AddNoise(cv::Mat& img, double sigma, TRandom& r)
{
    if (sigma <= 0)
        return;
    std::vector<std::int16_t> table(65536);
    for (std::int16_t& v : table)
        v = std::int16_t(std::lround(std::clamp(sigma * r.N(), -127.0, 127.0)));
    std::uint64_t s = r.Bits() | 1;
    for (int y = 0; y < img.rows; ++y) {
        std::uint8_t* p = img.ptr<std::uint8_t>(y);
        const int n = img.cols * img.channels();
        for (int x = 0; x < n; x += 4) {
            s ^= s >> 12;
            s ^= s << 25;
            s ^= s >> 27;
            std::uint64_t b = s * 0x2545F4914F6CDD1Dull;
            for (int k = 0; k < 4 && x + k < n; ++k, b >>= 16)
                p[x + k] = cv::saturate_cast<std::uint8_t>(p[x + k] + table[b & 0xFFFF]);
        }
    }
}

void Scan(TSynthChart& c, cv::Mat& img, TRandom& r)
{
    const TSynthOptions& o = c.Options;
    if (o.BlurPx >= 0.2)
        cv::GaussianBlur(img, img, cv::Size(0, 0), o.BlurPx);
    AddNoise(img, o.Noise, r);
    if (o.Mode != TScanMode::Colour) {
        cv::Mat grey;
        cv::cvtColor(img, grey, cv::COLOR_BGR2GRAY);
        img = grey;
    }
    if (o.Mode == TScanMode::BlackWhite)
        cv::threshold(img, img, r.U(150, 195), 255, cv::THRESH_BINARY);
    if (o.JpegQuality > 0 && o.Mode != TScanMode::BlackWhite) {
        std::vector<std::uint8_t> bytes;
        cv::imencode(".jpg", img, bytes, {cv::IMWRITE_JPEG_QUALITY, o.JpegQuality});
        img = cv::imdecode(bytes, cv::IMREAD_UNCHANGED);
    }
}

} // namespace

void RenderChart(TSynthChart& c, cv::Size size)
{
    const TSynthOptions& o = c.Options;
    const TPainter pt(c, size);
    TRandom paperRandom(o.Seed, kStreamPaper), hr(o.Seed, kStreamHand), nr(o.Seed, kStreamNoise);

    cv::Mat paper(size, CV_8U, cv::Scalar(0));
    std::vector<cv::Point> corners;
    for (cv::Point2d q : {cv::Point2d(0, 0), cv::Point2d(TPaperLayout::kWidth, 0),
                          cv::Point2d(TPaperLayout::kWidth, TPaperLayout::kHeight), cv::Point2d(0, TPaperLayout::kHeight)})
        corners.push_back(TPainter::Fix(pt.Image(q)));
    cv::fillConvexPoly(paper, corners, cv::Scalar(255), cv::LINE_AA, 4);

    cv::Mat print(size, CV_8U, cv::Scalar(0)), ink(size, CV_8U, cv::Scalar(0)), hand, stamp, holes;
    DrawGrid(c, pt, print);
    DrawPen(c, pt, ink);
    std::vector<TLayer> layers{MakeLayer(print, GridRgb(o.Grid), 1.0), MakeLayer(ink, InkRgb(o.Ink), 1.0)};
    if (o.Handwriting) {
        hand = cv::Mat(size, CV_8U, cv::Scalar(0));
        DrawHandwriting(c, pt, hand, hr);
        layers.push_back(MakeLayer(hand, hr.B(0.6) ? TRgb{25, 45, 150} : TRgb{85, 85, 90}, 1.0));
    }
    if (o.Stamp) {
        stamp = cv::Mat(size, CV_8U, cv::Scalar(0));
        DrawStamp(c, pt, stamp, hr);
        layers.push_back(MakeLayer(stamp, hr.B(0.5) ? TRgb{195, 40, 60} : TRgb{95, 60, 175}, 1.0));
    }
    if (o.PunchHoles) {
        holes = cv::Mat(size, CV_8U, cv::Scalar(0));
        for (double y : {22.0, 82.0})
            pt.Disc(holes, {6.5, y}, 2.75, 1.0);
    }
    const double paperBgr[3] = {paperRandom.U(234, 248), paperRandom.U(246, 254), paperRandom.U(245, 254)};
    cv::Mat img = Composite(size, paper, holes, layers, LightField(size, paperRandom), paperBgr);
    Scan(c, img, nr);
    c.Image = img;
}

cv::Mat RenderBack(const TSynthChart& c)
{
    TRandom r(c.Options.Seed, kStreamBack);
    const cv::Size size = c.Image.size();
    const TPainter pt(c, size);
    cv::Mat paper(size, CV_8U, cv::Scalar(255)), hand(size, CV_8U, cv::Scalar(0));
    const int font = cv::FONT_HERSHEY_SCRIPT_SIMPLEX;
    const std::string lines[] = {"Colocado " + HandDate(r) + " " + std::to_string(c.Options.Hour) + "h",
                                 "Retirado " + HandDate(r), "Estacao " + std::to_string(r.I(100, 9999))};
    double y = 30;
    for (const std::string& s : lines) {
        pt.Text(hand, s, {r.U(40, 60), y}, 5.0, font, 0.4, 0.9, 0, r.U(-2, 2), 0.2);
        y += 14;
    }
    cv::Mat field = LightField(size, r);
    const double paperBgr[3] = {240, 247, 250};
    cv::Mat empty;
    cv::Mat img = Composite(size, paper, empty, {MakeLayer(hand, {25, 45, 150}, 1.0)}, field, paperBgr);
    AddNoise(img, c.Options.Noise, r);
    if (c.Image.channels() == 1) {
        cv::Mat grey;
        cv::cvtColor(img, grey, cv::COLOR_BGR2GRAY);
        img = grey;
    }
    return img;
}

} // namespace synth
