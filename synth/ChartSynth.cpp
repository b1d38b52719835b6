#include "ChartSynth.h"

#include "SynthRandom.h"
#include "SynthRender.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <sstream>
#include <stdexcept>

namespace synth {
namespace {

// Streams of random numbers, one per purpose.
enum : std::uint64_t { kStreamOptions = 1, kStreamPen = 2, kStreamControls = 3 };

constexpr double kSiphonReturn = 0.001; // h: the return point after a peak, as the overflow command makes it
constexpr double kOverflowThreshold = 5.0; // mm: a larger drop is a siphon overflow

void ApplyKind(TSynthOptions& o, const std::string& kind, TRandom& r)
{
    if (kind == "random" || kind.empty())
        return;
    if (kind == "plain") {
        o.Curved = false;
        o.Grid = TGridColour::Green;
        o.Ink = TInkColour::Blue;
        o.Mode = TScanMode::Colour;
        o.InkStrength = std::max(o.InkStrength, 0.8);
        o.Failure = false;
        o.ShortGaps = 0;
        o.Stamp = false;
        o.JpegQuality = 0;
        o.RotationDeg = r.U(-0.3, 0.3);
    } else if (kind == "straight") {
        o.Curved = false;
    } else if (kind == "curved") {
        o.Curved = true;
    } else if (kind == "green") {
        o.Grid = TGridColour::Green;
    } else if (kind == "red") {
        o.Grid = TGridColour::Red;
    } else if (kind == "orange") {
        o.Grid = TGridColour::Orange;
    } else if (kind == "grey-grid") {
        o.Grid = TGridColour::Grey;
    } else if (kind == "blue") {
        o.Ink = TInkColour::Blue;
    } else if (kind == "violet") {
        o.Ink = TInkColour::Violet;
    } else if (kind == "purple") {
        o.Ink = TInkColour::Purple;
    } else if (kind == "black-ink") {
        o.Ink = TInkColour::Black;
    } else if (kind == "colour") {
        o.Mode = TScanMode::Colour;
    } else if (kind == "grey-scan") {
        o.Mode = TScanMode::Grey;
    } else if (kind == "bw") {
        o.Mode = TScanMode::BlackWhite;
    } else if (kind == "jpeg") {
        o.JpegQuality = r.I(45, 75);
    } else if (kind == "faint") {
        if (o.Mode == TScanMode::BlackWhite)
            o.Mode = TScanMode::Colour;
        o.InkStrength = r.U(0.22, 0.4);
        o.PenWidthMm = r.U(0.25, 0.35);
        o.InkPressure = true;
    } else if (kind == "broken") {
        o.ShortGaps = r.I(3, 6);
    } else if (kind == "failure") {
        o.Failure = true;
    } else if (kind == "dry") {
        o.RainEvents = 0;
        o.DryOnGridLine = true;
    } else if (kind == "on-grid") {
        o.DryOnGridLine = true;
        o.RainEvents = std::max(o.RainEvents, 2);
    } else if (kind == "storm") {
        o.RainEvents = r.I(4, 7);
        o.RainTotal = r.U(35, 60);
    } else if (kind == "rotated") {
        o.RotationDeg = (r.B(0.5) ? 1 : -1) * r.U(1.3, 2.0);
    } else if (kind == "shrunk") {
        o.ShrinkX = r.U(0.965, 0.98);
        o.ShrinkY = r.U(0.985, 1.0);
    } else if (kind == "busy") {
        o.Handwriting = o.Stamp = o.TimeMarks = o.PunchHoles = true;
    } else if (kind == "clean") {
        o.Handwriting = o.Stamp = o.TimeMarks = o.PunchHoles = false;
        o.ShortGaps = 0;
        o.InkPressure = false;
    } else if (kind == "dpi100") {
        o.Dpi = 100;
    } else if (kind == "dpi200") {
        o.Dpi = 200;
    } else if (kind == "dpi300") {
        o.Dpi = 300;
    } else if (kind == "dpi600") {
        o.Dpi = 600;
    } else {
        throw std::invalid_argument("unknown chart kind \"" + kind + "\"");
    }
}

double Interpolate(const std::vector<TPenPoint>& pen, double t)
{
    if (pen.empty())
        return 0;
    if (t <= pen.front().T)
        return pen.front().P;
    for (std::size_t i = 1; i < pen.size(); ++i)
        if (t <= pen[i].T) {
            const TPenPoint& a = pen[i - 1];
            const TPenPoint& b = pen[i];
            return b.T > a.T ? a.P + (b.P - a.P) * (t - a.T) / (b.T - a.T) : b.P;
        }
    return pen.back().P;
}

// A level on a printed line: a whole millimetre or a fifth of one.
double GridLevel(TRandom& r)
{
    return r.B(0.6) ? double(r.I(0, 3)) : 0.2 * r.I(1, 15);
}

// The pen's record over the day, before any missing record is cut out of it.
std::vector<TPenPoint> MakePen(const TSynthOptions& o, TRandom& r)
{
    const double h = o.Hour;
    const double t0 = h + r.U(0.1, 0.5);
    const double tEnd = h + 24 + r.U(-0.2, 0.25);
    double p = o.StartLevel >= 0 ? o.StartLevel
               : o.DryOnGridLine ? GridLevel(r)
               : r.B(0.6)        ? r.U(0.0, 0.4)
                                 : r.U(0.5, 6.0);
    std::vector<TPenPoint> pen{{t0, p, 0}};

    // Rain events: share of the day's amount, a duration that keeps the rate believable
    // (mostly under ~25 mm/h), and dry stretches of random length between them.
    struct TEvent { double Start, End, Amount; };
    std::vector<TEvent> events;
    const int n = std::max(0, o.RainEvents);
    double weights = 0, busy = 0;
    for (int i = 0; i < n; ++i) {
        const double w = std::exp(r.U(-1.5, 1.5));
        weights += w;
        events.push_back({0, 0, w});
    }
    std::vector<double> lengths, gaps;
    for (TEvent& e : events) {
        e.Amount *= o.RainTotal / weights;
        lengths.push_back(std::max(r.U(0.15, 3.5), e.Amount / r.U(8.0, 25.0)));
        busy += lengths.back();
    }
    const double span = tEnd - t0 - 0.5 - 0.15 * n;
    const double squeeze = busy > 0.7 * span ? 0.7 * span / busy : 1.0;
    double gapWeights = 0;
    for (int i = 0; i <= n; ++i) {
        gaps.push_back(r.U(0.2, 1.0));
        gapWeights += gaps.back();
    }
    double at = t0 + 0.3;
    for (int i = 0; i < n; ++i) {
        at += 0.15 + gaps[std::size_t(i)] / gapWeights * (span - busy * squeeze);
        events[std::size_t(i)].Start = at;
        at += lengths[std::size_t(i)] * squeeze;
        events[std::size_t(i)].End = at;
    }

    double t = t0;
    auto dry = [&](double until) {
        // A long dry stretch may lose a little to evaporation.
        if (!o.DryOnGridLine && until - t > 2.0 && r.B(0.5)) {
            const double d = std::min(p, r.U(0.03, 0.15));
            const double bend = t + r.U(0.1, 0.4) * (until - t);
            pen.push_back({bend, p, 0});
            p -= d;
        }
        pen.push_back({until, p, 0});
        t = until;
    };
    for (const TEvent& e : events) {
        dry(e.Start);
        // Intensity changes within the event: a few stretches of constant rate.
        const int k = r.I(2, 6);
        std::vector<double> cuts{e.Start, e.End}, shares;
        for (int j = 1; j < k; ++j)
            cuts.push_back(r.U(e.Start, e.End));
        std::sort(cuts.begin(), cuts.end());
        double total = 0;
        for (int j = 0; j < k; ++j) {
            shares.push_back(std::exp(r.U(-1.2, 1.2)) * (cuts[std::size_t(j) + 1] - cuts[std::size_t(j)]));
            total += shares.back();
        }
        for (int j = 0; j < k; ++j) {
            const double b = cuts[std::size_t(j) + 1];
            double amount = total > 0 ? e.Amount * shares[std::size_t(j)] / total : 0;
            if (b - t < 1e-3 || amount < 1e-4)
                continue;
            const double rate = amount / (b - t);
            // The float reaches the siphon's level: the pen drops to near zero in seconds.
            while (true) {
                const double level = std::max(r.U(9.9, 10.05), p);
                if (p + amount < level)
                    break;
                const double ts = std::max(t + (level - p) / rate, t + 0.002);
                if (ts + kSiphonReturn >= b - 1e-4)
                    break; // the drop would not fit: this stretch ends just below the top
                pen.push_back({ts, level, 1});
                amount -= level - p;
                t = ts + kSiphonReturn;
                p = r.U(0.0, 0.2);
                pen.push_back({t, p, 0});
            }
            p = std::min(p + amount, 10.05);
            pen.push_back({b, p, 0});
            t = b;
        }
    }
    dry(tEnd);
    // Two points at the same time would be one vertical step: keep the curve a function.
    std::vector<TPenPoint> out;
    for (const TPenPoint& q : pen)
        if (out.empty() || q.T > out.back().T + 1e-6)
            out.push_back(q);
    return out;
}

bool NearSiphon(const std::vector<TPenPoint>& pen, double a, double b)
{
    for (const TPenPoint& q : pen)
        if (q.Mark == 1 && q.T > a - 0.02 && q.T < b + 0.02)
            return true;
    return false;
}

// Cuts a missing record out of the pen's record: the last point before it is
// marked as a failure and the record resumes at its end.
void CutMissing(TSynthChart& c, TRandom& r)
{
    const std::vector<TPenPoint>& pen = c.Pen;
    const double t0 = pen.front().T, t1 = pen.back().T;
    for (int attempt = 0; attempt < 40; ++attempt) {
        const double len = r.U(1.0, 3.0);
        const double a = r.U(t0 + 2.0, t1 - len - 2.0);
        const double b = a + len;
        if (NearSiphon(pen, a, b))
            continue;
        std::vector<TPenPoint> out;
        for (const TPenPoint& q : pen)
            if (q.T < a - 1e-3)
                out.push_back(q);
        out.push_back({a, Interpolate(pen, a), 2});
        out.push_back({b, Interpolate(pen, b), 0});
        for (const TPenPoint& q : pen)
            if (q.T > b + 1e-3)
                out.push_back(q);
        c.Pen = out;
        c.Missing.push_back({a, b});
        return;
    }
}

void ChooseInkBreaks(TSynthChart& c, int count, TRandom& r)
{
    const double t0 = c.Pen.front().T, t1 = c.Pen.back().T;
    for (int i = 0, attempts = 0; i < count && attempts < 50; ++attempts) {
        const double len = r.U(2.0, 6.0) / 60.0;
        const double a = r.U(t0 + 0.5, t1 - 0.5 - len);
        bool clash = NearSiphon(c.Pen, a, a + len);
        for (const auto& m : c.Missing)
            clash = clash || (a < m.second + 0.2 && a + len > m.first - 0.2);
        for (const auto& g : c.InkBreaks)
            clash = clash || (a < g.second + 0.2 && a + len > g.first - 0.2);
        if (clash)
            continue;
        c.InkBreaks.push_back({a, a + len});
        ++i;
    }
    std::sort(c.InkBreaks.begin(), c.InkBreaks.end());
}

cv::Matx23d MakeTransform(const TSynthOptions& o, cv::Size& size, TRandom& r)
{
    const double s = o.Dpi / 25.4;
    const double th = o.RotationDeg * CV_PI / 180.0;
    const double cs = std::cos(th), sn = std::sin(th);
    // Shrink, then the scanner's rotation and resolution.
    const cv::Matx22d a(s * cs * o.ShrinkX, -s * sn * o.ShrinkY, s * sn * o.ShrinkX, s * cs * o.ShrinkY);
    double minX = 1e300, minY = 1e300, maxX = -1e300, maxY = -1e300;
    for (double x : {0.0, TPaperLayout::kWidth})
        for (double y : {0.0, TPaperLayout::kHeight}) {
            const cv::Vec2d q = a * cv::Vec2d(x, y);
            minX = std::min(minX, q[0]);
            maxX = std::max(maxX, q[0]);
            minY = std::min(minY, q[1]);
            maxY = std::max(maxY, q[1]);
        }
    const double margin = r.U(0.5, 3.0) * s;
    size = cv::Size(int(std::ceil(maxX - minX + 2 * margin)), int(std::ceil(maxY - minY + 2 * margin)));
    return cv::Matx23d(a(0, 0), a(0, 1), margin - minX, a(1, 0), a(1, 1), margin - minY);
}

void MarkControls(TSynthChart& c, TRandom& r)
{
    const int h = c.Options.Hour;
    for (int hour : {h + r.I(1, 2), h + r.I(11, 13), h + r.I(22, 23)})
        for (double p : {0.0, 5.0, 10.0}) {
            const cv::Point2d q = c.ImagePos(hour, p);
            c.Controls.push_back({q.x + 0.2 * r.N(), q.y + 0.2 * r.N(), double(hour), p});
        }
}

TSynthChart MakeTruth(const TSynthOptions& options, cv::Size& size);

} // namespace

const char* Name(TGridColour c)
{
    switch (c) {
    case TGridColour::Green: return "green";
    case TGridColour::Red: return "red";
    case TGridColour::Orange: return "orange";
    case TGridColour::Grey: return "grey";
    }
    return "?";
}

const char* Name(TInkColour c)
{
    switch (c) {
    case TInkColour::Blue: return "blue";
    case TInkColour::Violet: return "violet";
    case TInkColour::Purple: return "purple";
    case TInkColour::Black: return "black";
    }
    return "?";
}

const char* Name(TScanMode m)
{
    switch (m) {
    case TScanMode::Colour: return "colour";
    case TScanMode::Grey: return "grey";
    case TScanMode::BlackWhite: return "1-bit";
    }
    return "?";
}

const std::vector<std::string>& KindNames()
{
    static const std::vector<std::string> names{
        "random", "plain", "straight", "curved", "green", "red", "orange", "grey-grid", "blue", "violet",
        "purple", "black-ink", "colour", "grey-scan", "bw", "jpeg", "faint", "broken", "failure", "dry",
        "on-grid", "storm", "rotated", "shrunk", "busy", "clean", "dpi100", "dpi200", "dpi300", "dpi600"};
    return names;
}

TSynthOptions OptionsFor(const std::string& kind, std::uint64_t seed)
{
    TRandom r(seed, kStreamOptions);
    TSynthOptions o;
    o.Seed = seed;
    o.Hour = r.I(7, 9);
    o.Curved = r.B(0.35);
    const double g = r.U();
    o.Grid = g < 0.45 ? TGridColour::Green : g < 0.7 ? TGridColour::Red : g < 0.85 ? TGridColour::Orange : TGridColour::Grey;
    o.Ink = TInkColour(r.I(0, 3));
    o.GridStrength = r.U(0.55, 1.05);
    o.PenWidthMm = r.U(0.3, 0.5);
    o.InkStrength = r.U(0.55, 1.0);
    o.RainEvents = r.I(0, 6);
    o.RainTotal = std::exp(r.U(std::log(0.5), std::log(40.0)));
    o.DryOnGridLine = r.B(0.2);
    o.Failure = r.B(0.1);
    o.ShortGaps = r.I(0, 2);
    o.Handwriting = r.B(0.8);
    o.Stamp = r.B(0.25);
    o.TimeMarks = r.B(0.5);
    o.PunchHoles = r.B(0.6);
    const double m = r.U();
    o.Mode = m < 0.8 ? TScanMode::Colour : m < 0.9 ? TScanMode::Grey : TScanMode::BlackWhite;
    o.RotationDeg = r.U(-1.5, 1.5);
    o.ShrinkX = r.U(0.985, 1.0);
    o.ShrinkY = r.U(0.985, 1.0);
    o.BlurPx = r.U(0.3, 1.0);
    o.Noise = r.U(1.5, 6.0);
    o.JpegQuality = o.Mode != TScanMode::BlackWhite && r.B(0.3) ? r.I(55, 90) : 0;
    // "a+b": every named feature, in order.
    std::stringstream ss(kind);
    std::string part;
    while (std::getline(ss, part, '+'))
        ApplyKind(o, part, r);
    // A 1-bit scan keeps only ink dark enough to pass the threshold; faint ink would leave no record at all.
    if (o.Mode == TScanMode::BlackWhite) {
        o.InkStrength = std::max(o.InkStrength, 0.85);
        o.InkPressure = false;
        o.JpegQuality = 0;
    }
    return o;
}

double ArcShift(double p, bool curved)
{
    return curved ? (p - 5.0) * (p - 5.0) / 72.0 : 0.0;
}

cv::Point2d TSynthChart::PaperPos(double t, double p) const
{
    return {TPaperLayout::kLeft + (t - Options.Hour + ArcShift(p, Options.Curved)) * TPaperLayout::kHourMm,
            TPaperLayout::kTop + (10.0 - p) * TPaperLayout::kReadingMm};
}

cv::Point2d TSynthChart::ImagePos(double t, double p) const
{
    const cv::Point2d q = PaperPos(t, p);
    const cv::Matx23d& m = PaperToImage;
    return {m(0, 0) * q.x + m(0, 1) * q.y + m(0, 2), m(1, 0) * q.x + m(1, 1) * q.y + m(1, 2)};
}

cv::Point2d TSynthChart::ChartAt(cv::Point2d image) const
{
    const cv::Matx23d& m = PaperToImage;
    const double det = m(0, 0) * m(1, 1) - m(0, 1) * m(1, 0);
    const double dx = image.x - m(0, 2), dy = image.y - m(1, 2);
    const double x = (m(1, 1) * dx - m(0, 1) * dy) / det, y = (-m(1, 0) * dx + m(0, 0) * dy) / det;
    const double p = 10.0 - (y - TPaperLayout::kTop) / TPaperLayout::kReadingMm;
    return {Options.Hour + (x - TPaperLayout::kLeft) / TPaperLayout::kHourMm - ArcShift(p, Options.Curved), p};
}

TSynthChart Generate(const TSynthOptions& options)
{
    const auto started = std::chrono::steady_clock::now();
    cv::Size size;
    TSynthChart c = MakeTruth(options, size);
    RenderChart(c, size);
    c.Seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    return c;
}

TSynthChart GenerateTruth(const TSynthOptions& options)
{
    cv::Size size;
    return MakeTruth(options, size);
}

namespace {
// Everything but the image: the pen, the record's gaps, the transform, the control points.
TSynthChart MakeTruth(const TSynthOptions& options, cv::Size& size)
{
    if (options.Hour < 7 || options.Hour > 9 || !(options.Dpi >= 50 && options.Dpi <= 1200))
        throw std::invalid_argument("hour must be 7, 8 or 9 and dpi between 50 and 1200");
    TSynthChart c;
    c.Options = options;
    TRandom pen(options.Seed, kStreamPen);
    c.Pen = MakePen(options, pen);
    if (options.Failure)
        CutMissing(c, pen);
    ChooseInkBreaks(c, options.ShortGaps, pen);

    TRandom controls(options.Seed, kStreamControls);
    c.PaperToImage = MakeTransform(options, size, controls);
    MarkControls(c, controls);

    const std::vector<double> none;
    const TRunningTotal total = RunningTotal(c.Pen, none);
    c.Siphons = total.Peaks;
    c.Failures = total.Failures;
    c.Sum = total.Sum;
    return c;
}
} // namespace

TRunningTotal RunningTotal(const std::vector<TPenPoint>& points, const std::vector<double>& times)
{
    TRunningTotal r;
    r.Value.assign(times.size(), 0.0);
    r.Known.assign(times.size(), 1);
    const std::size_t n = points.size();
    if (n == 0)
        return r;
    // The program's accumulation, point by point (its marks settle as it goes).
    std::vector<int> mark(n);
    for (std::size_t i = 0; i < n; ++i)
        mark[i] = points[i].Mark;
    std::vector<double> acc(n), before(n); // accumulated; what earlier failures kept
    double carry = 0, kept = 0;
    acc[0] = points[0].P;
    for (std::size_t i = 1; i < n; ++i) {
        if (mark[i - 1] == 1 && mark[i] == 1)
            mark[i - 1] = 0;
        if (mark[i - 1] == 0 || mark[i - 1] == 1) {
            if (points[i - 1].P - points[i].P > kOverflowThreshold || mark[i - 1] == 1) {
                carry += points[i - 1].P;
                ++r.Peaks;
                if (mark[i] == 0)
                    mark[i - 1] = 1;
            }
        }
        if (mark[i - 1] == 2) {
            ++r.Failures;
            kept += acc[i - 1];
            carry = 0;
        }
        before[i] = kept;
        acc[i] = points[i].P + carry;
    }
    if (mark[n - 1] == 2)
        ++r.Failures;
    r.Sum = kept + acc[n - 1];

    // The running total at each time: linear between points, held across a missing record.
    std::size_t k = 0;
    for (std::size_t j = 0; j < times.size(); ++j) {
        const double t = times[j];
        if (t <= points[0].T) {
            r.Value[j] = acc[0];
            continue;
        }
        if (t >= points[n - 1].T) {
            r.Value[j] = before[n - 1] + acc[n - 1];
            continue;
        }
        if (k > 0 && points[k].T > t)
            k = 0; // times not ascending: search again
        while (k + 1 < n && points[k + 1].T < t)
            ++k;
        const TPenPoint& a = points[k];
        const TPenPoint& b = points[k + 1];
        const double va = before[k] + acc[k];
        if (mark[k] == 2) {
            r.Value[j] = va;
            r.Known[j] = 0;
            continue;
        }
        const double vb = before[k + 1] + acc[k + 1];
        r.Value[j] = b.T > a.T ? va + (vb - va) * (t - a.T) / (b.T - a.T) : vb;
    }
    return r;
}

std::vector<double> MinuteGrid(double from, double to)
{
    std::vector<double> out;
    for (long long m = (long long)std::ceil(from * 60.0 - 1e-9); m <= (long long)std::floor(to * 60.0 + 1e-9); ++m)
        out.push_back(double(m) / 60.0);
    return out;
}

double LargestRain(const TRunningTotal& r, const std::vector<char>& known, int windowMinutes)
{
    double best = 0;
    const std::size_t w = std::size_t(std::max(1, windowMinutes));
    std::size_t unknownInWindow = 0;
    for (std::size_t j = 0; j < r.Value.size(); ++j) {
        unknownInWindow += known[j] ? 0 : 1;
        if (j >= w + 1)
            unknownInWindow -= known[j - w - 1] ? 0 : 1;
        if (j >= w && unknownInWindow == 0)
            best = std::max(best, r.Value[j] - r.Value[j - w]);
    }
    return best;
}

} // namespace synth
