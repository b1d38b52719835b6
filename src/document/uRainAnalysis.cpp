#include "document/uRainAnalysis.h"

#include "common/Utils.h"
#include "document/uRChart.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace rs {

// --- the cumulative curve -------------------------------------------------

TCumulativeRain::TCumulativeRain(double start, double end, const std::vector<TRainReading>& readings)
    : FStart(start), FEnd(end)
{
    double total = 0;
    bool open = false;     // the last breakpoint ends a range the next segment may continue
    bool inGap = false;    // ... and that range ends in a failure
    bool recorded = false; // ... and the last segment was recorded (a stretch may go on)
    // A range that ends in a failure has nothing on the far side of it: drop the gap.
    auto close = [&] {
        if (inGap) {
            FTimes.pop_back();
            FDepths.pop_back();
            --FRanges.back().second;
            FGaps.pop_back();
        }
        open = inGap = recorded = false;
    };
    for (std::size_t i = 0; i + 1 < readings.size(); ++i) {
        const TRainReading& p = readings[i];
        const TRainReading& q = readings[i + 1];
        const bool finite = std::isfinite(p.Time) && std::isfinite(q.Time) && std::isfinite(p.Accumulated) &&
                            std::isfinite(q.Accumulated);
        if (!finite || q.Time < p.Time) {
            close();
            continue;
        }
        const double a = std::max(p.Time, start), b = std::min(q.Time, end);
        const double len = q.Time - p.Time;
        if (a > b || (len > 0 && a == b)) continue; // outside the period, or touching it at one instant
        if (!FTimes.empty() && a < FTimes.back()) {
            close(); // never let the breakpoints run backwards
            continue;
        }
        const bool contiguous = open && FTimes.back() == a;
        if (p.FailureAfter) {
            // Unknown rain, counted as none: the range goes on flat across it, so
            // that a window over the failure joins the stretches on both sides.
            if (contiguous && len > 0) {
                Append(b, total);
                FGaps.push_back({a, b});
                inGap = true;
                recorded = false;
            } else
                close();
            continue;
        }
        const double frac = len > 0 ? (b - a) / len : 1.0;
        // A decline of the pen lowers the curve as it lowers the accumulation, so
        // that the series and the maxima add up to what the day's sum counts.
        const double rise = (q.Accumulated - p.Accumulated) * frac;
        if (rise < 0)
            FDeclines -= rise;
        if (len == 0 && rise == 0) continue; // a repeated reading
        if (!contiguous) {
            close();
            FRanges.push_back({int(FTimes.size()), int(FTimes.size())});
            FTimes.push_back(a);
            FDepths.push_back(total);
        }
        if (recorded && FStretches.back().End == a)
            FStretches.back().End = b;
        else
            FStretches.push_back({a, b});
        total += rise;
        Append(b, total);
        open = recorded = true;
        inGap = false;
    }
    close();
}

void TCumulativeRain::Append(double t, double depth)
{
    FTimes.push_back(t);
    FDepths.push_back(depth);
    FRanges.back().second = int(FTimes.size()) - 1;
}

TCumulativeRain TCumulativeRain::FromChart(const TRChart& chart)
{
    const double start = chart.Info.Hour, end = start + 24.0;
    std::vector<TRainReading> readings;
    if (chart.Info.Kind == 1) {
        // A dry day: whatever points the file holds, the day is recorded and without rain.
        readings = {{start, 0, false}, {end, 0, false}};
    } else if (chart.Info.Kind == 0) {
        const TCurve& c = chart.Curve();
        readings.reserve(std::size_t(c.Count()));
        for (int i = 0; i < c.Count(); ++i) {
            const TDigPoint* p = c.Items(i);
            readings.push_back({p->Time(), p->Accumulated, p->Mark() == 2});
        }
    }
    return TCumulativeRain(start, end, readings);
}

double TCumulativeRain::RecordedHours() const
{
    double h = 0;
    for (const TTimeSpan& s : FStretches)
        h += s.Hours();
    return h;
}

double TCumulativeRain::LongestStretch() const
{
    double h = 0;
    for (const TTimeSpan& s : FStretches)
        h = std::max(h, s.Hours());
    return h;
}

double TCumulativeRain::Upper(double t, int i0, int i1) const
{
    const auto first = FTimes.begin() + i0, last = FTimes.begin() + i1 + 1;
    const int k = int(std::upper_bound(first, last, t) - FTimes.begin()) - 1; // last breakpoint <= t
    if (k < i0) return FDepths[std::size_t(i0)];
    if (k >= i1 || FTimes[std::size_t(k)] == t) return FDepths[std::size_t(k)];
    const double t0 = FTimes[std::size_t(k)], t1 = FTimes[std::size_t(k + 1)];
    const double c0 = FDepths[std::size_t(k)], c1 = FDepths[std::size_t(k + 1)];
    return c0 + (c1 - c0) * (t - t0) / (t1 - t0);
}

double TCumulativeRain::DepthAt(double t) const
{
    if (FTimes.empty()) return 0;
    return Upper(t, 0, int(FTimes.size()) - 1);
}

bool TCumulativeRain::Covers(double a, double b) const
{
    for (const TTimeSpan& s : FStretches)
        if (a >= s.Start - kRainTimeEps && b <= s.End + kRainTimeEps) return true;
    return false;
}

// The rain over [a, a + d] is linear in a between the starts at which one end
// of the window crosses a breakpoint, so its maximum is reached with the start
// or the end on a breakpoint: those candidates are all that need checking.
// They are visited in ascending order (a merge of the breakpoints and the
// breakpoints less d), so both ends are found by cursors that only advance.
bool TCumulativeRain::MaxWindow(double hours, double& depth, double& start, bool* lowerBound) const
{
    constexpr double kTie = 1e-12; // mm; equal rain: the earlier window wins
    bool found = false;
    depth = 0;
    start = 0;
    if (lowerBound) *lowerBound = false;
    if (!(hours > 0)) return false;
    const double* T = FTimes.data();
    const double* C = FDepths.data();
    for (const auto& [i0, i1] : FRanges) {
        const double s = T[i0], e = T[i1];
        if (e - s < hours - kRainTimeEps) continue;
        const double latest = std::max(s, e - hours);
        int ia = i0, ib = i0; // next breakpoint as a start, and as an end
        int ks = i0;          // first breakpoint >= the start
        int ke = i0;          // last breakpoint <= the end
        while (ia <= i1 || ib <= i1) {
            double a;
            if (ib > i1 || (ia <= i1 && T[ia] <= T[ib] - hours))
                a = T[ia++];
            else
                a = T[ib++] - hours;
            if (a < s - kRainTimeEps || a > latest + kRainTimeEps) continue;
            a = std::clamp(a, s, latest);
            const double b = std::min(a + hours, e);
            while (ks < i1 && T[ks] < a)
                ++ks;
            while (ke < i1 && T[ke + 1] <= b)
                ++ke;
            // Just before the start and just after the end, so a jump at either end counts.
            const double ca = (ks == i0 || T[ks] == a)
                                  ? C[ks]
                                  : C[ks - 1] + (C[ks] - C[ks - 1]) * (a - T[ks - 1]) / (T[ks] - T[ks - 1]);
            const double cb = (ke == i1 || T[ke] == b)
                                  ? C[ke]
                                  : C[ke] + (C[ke + 1] - C[ke]) * (b - T[ke]) / (T[ke + 1] - T[ke]);
            const double v = cb - ca;
            if (!found || v > depth + kTie) {
                depth = v;
                start = a;
                found = true;
            } else if (v > depth) {
                depth = v; // equal within rounding: keep the earlier start
            }
        }
    }
    if (found && lowerBound) *lowerBound = CrossesFailure(start, start + hours);
    return found;
}

bool TCumulativeRain::CrossesFailure(double a, double b) const
{
    for (const TTimeSpan& g : FGaps)
        if (g.Start < b - kRainTimeEps && g.End > a + kRainTimeEps) return true;
    return false;
}

// --- fixed-interval series ------------------------------------------------

bool TRainSeries::Complete() const
{
    return !Intervals.empty() &&
           std::all_of(Intervals.begin(), Intervals.end(), [](const TRainInterval& i) { return i.Valid; });
}

double TRainSeries::Total() const
{
    double s = 0;
    for (const TRainInterval& i : Intervals)
        if (i.Valid) s += i.Depth;
    return s;
}

const std::vector<int>& SeriesSteps()
{
    static const std::vector<int> steps{5, 10, 15, 30, 60};
    return steps;
}

bool IsSeriesStep(int minutes)
{
    const auto& s = SeriesSteps();
    return std::find(s.begin(), s.end(), minutes) != s.end();
}

TRainSeries FixedIntervalSeries(const TCumulativeRain& rain, int stepMinutes)
{
    if (!IsSeriesStep(stepMinutes))
        throw std::invalid_argument("Intervalo inválido: use 5, 10, 15, 30 ou 60 minutos.");
    TRainSeries s;
    s.StepMinutes = stepMinutes;
    const long periodMinutes = std::lround((rain.End() - rain.Start()) * 60.0);
    const long n = std::max(0L, periodMinutes / stepMinutes);
    s.Intervals.reserve(std::size_t(n));
    // Each boundary from whole minutes, so that consecutive intervals share it exactly.
    auto at = [&](long i) { return rain.Start() + double(i * stepMinutes) / 60.0; };
    for (long i = 0; i < n; ++i) {
        TRainInterval iv;
        iv.Start = at(i);
        iv.End = at(i + 1);
        iv.Valid = rain.Covers(iv.Start, iv.End);
        if (iv.Valid) iv.Depth = rain.Depth(iv.Start, iv.End);
        s.Intervals.push_back(iv);
    }
    return s;
}

// --- maximum intensities --------------------------------------------------

const std::vector<int>& StandardDurations()
{
    static const std::vector<int> d{5, 10, 15, 20, 30, 45, 60, 120, 180, 360, 720, 1440};
    return d;
}

TMaxIntensity MaximumIntensity(const TCumulativeRain& rain, int minutes)
{
    TMaxIntensity m;
    m.Minutes = minutes;
    if (minutes <= 0) return m;
    const double hours = minutes / 60.0;
    m.Valid = rain.MaxWindow(hours, m.Depth, m.Start, &m.LowerBound);
    if (m.Valid) m.Intensity = m.Depth / hours;
    return m;
}

std::vector<TMaxIntensity> MaximumIntensities(const TCumulativeRain& rain, const std::vector<int>& durations)
{
    std::vector<TMaxIntensity> out;
    out.reserve(durations.size());
    for (int d : durations)
        out.push_back(MaximumIntensity(rain, d));
    return out;
}

// --- quality --------------------------------------------------------------

TRainQuality RainQuality(const TRChart& chart, const TCumulativeRain& rain)
{
    TRainQuality q;
    q.Recorded = rain.Total();
    q.Declines = rain.Declines();
    q.RecordedHours = rain.RecordedHours();
    const int kind = chart.Info.Kind;
    if (kind == 0) {
        q.Sum = chart.Curve().Sum;
        q.Approximate = chart.Curve().Failures > 0;
    }
    q.Gauge = chart.Info.PTot;
    // A reading of 0 means none was given; an absent chart has nothing to compare.
    q.Comparable = (kind == 0 || kind == 1) && std::isfinite(q.Gauge) && q.Gauge > 0 && std::isfinite(q.Sum);
    if (q.Comparable) {
        q.Difference = q.Sum - q.Gauge;
        q.DifferencePercent = 100.0 * q.Difference / q.Gauge;
    }
    return q;
}

TRainAnalysis AnalyseChart(const TRChart& chart, int stepMinutes)
{
    TRainAnalysis a;
    a.Rain = TCumulativeRain::FromChart(chart);
    a.Series = FixedIntervalSeries(a.Rain, stepMinutes);
    a.Maxima = MaximumIntensities(a.Rain);
    a.Quality = RainQuality(chart, a.Rain);
    return a;
}

std::string ChartTimeText(double date, double hours, bool seconds)
{
    if (!std::isfinite(date) || !std::isfinite(hours)) return {};
    long long secs = std::llround(hours * 3600.0);
    if (!seconds)
        secs = (secs >= 0 ? secs : secs - 59) / 60 * 60; // drop the seconds, as the results table does
    long long days = secs / 86400;
    long long rem = secs % 86400;
    if (rem < 0) {
        rem += 86400;
        --days;
    }
    std::string s = DateToStr(std::floor(date) + double(days));
    const int h = int(rem / 3600), m = int(rem / 60 % 60), sec = int(rem % 60);
    s += seconds ? Format(" %02d:%02d:%02d", h, m, sec) : Format(" %02d:%02d", h, m);
    return s;
}

} // namespace rs
