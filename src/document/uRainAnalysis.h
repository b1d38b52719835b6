#pragma once
// Rainfall analysis of one chart: the cumulative rainfall as a function of
// time, the depths over fixed intervals and the maximum depths and
// intensities over sliding windows (the values an intensity-duration study
// starts from), and a check of the chart's sum against the rain gauge.
//
// The cumulative curve is built from the accumulated values of the curve's
// points, as the last Recalc left them (overflows already carried), linear
// between consecutive points. It is a running total of the rise of each
// recorded segment, starting at 0, so:
// - a segment that starts at a point marked 2 (failure) is not recorded and
//   adds nothing: intervals that overlap it are left out, and a window over
//   it joins the stretches on both sides, its rain a lower bound (the rain
//   during the failure is unknown and counted as none);
// - the reading at which the accumulation restarts after a failure is not
//   rain of a known time (it fell during the failure), so it is not added;
// - a drop of the accumulated values that is not an overflow (evaporation,
//   a point digitized a little low) lowers the curve as it lowers the day's
//   sum, so that the series add up to the sum the accumulation gives (an
//   interval can then hold a small negative depth); Declines reports them;
// - only the chart's 24 hours, from its start hour, are analysed; before the
//   first point and after the last there is no record, so that time is
//   missing too (a chart whose trace starts at 7:10 says nothing of 7:00-7:10).
// A chart without precipitation (kind 1) is a complete record of zero rain;
// an absent chart (kind 2) has no record at all.

#include <string>
#include <utility>
#include <vector>

namespace rs {

class TRChart;
struct TRChartInfo;

// Times closer than this (hours, about 4 microseconds) are the same instant.
inline constexpr double kRainTimeEps = 1e-9;

// One reading of the accumulated precipitation.
struct TRainReading
{
    double Time = 0;           // chart time, hours
    double Accumulated = 0;    // mm
    bool FailureAfter = false; // the record fails from this reading to the next (mark 2)
};

struct TTimeSpan
{
    double Start = 0, End = 0; // chart time, hours
    double Hours() const { return End - Start; }
};

class TCumulativeRain
{
  public:
    TCumulativeRain() = default;
    // start..end: the analysed period (a chart's 24 hours); readings in time order.
    TCumulativeRain(double start, double end, const std::vector<TRainReading>& readings);
    static TCumulativeRain FromChart(const TRChart& chart);

    double Start() const { return FStart; }
    double End() const { return FEnd; }
    // Breakpoints of the curve, in time order (equal times only where the record jumps).
    const std::vector<double>& Times() const { return FTimes; }
    const std::vector<double>& Depths() const { return FDepths; }
    // The recorded stretches, in time order, without overlap.
    const std::vector<TTimeSpan>& Stretches() const { return FStretches; }
    double RecordedHours() const;
    double LongestStretch() const;

    // Cumulative depth at t (mm from the start of the record; constant across gaps).
    double DepthAt(double t) const;
    // Whether [a, b] lies inside one recorded stretch.
    bool Covers(double a, double b) const;
    // Rain between a and b (meaningful when Covers(a, b)).
    double Depth(double a, double b) const { return DepthAt(b) - DepthAt(a); }
    // Rain whose timing the record gives: the curve's total rise.
    double Total() const { return FDepths.empty() ? 0 : FDepths.back(); }
    // Drops of the accumulated values that are not overflows (mm), counted as declines.
    double Declines() const { return FDeclines; }
    // The failures between recorded stretches, in time order.
    const std::vector<TTimeSpan>& Failures() const { return FGaps; }
    bool CrossesFailure(double a, double b) const;

    // The largest rain over a window of the given length (hours) lying inside the
    // record, failures counted as no rain, and the earliest start at which it is
    // reached. False when the record is nowhere that long. lowerBound: the window
    // crosses a failure, so its rain is at least depth.
    bool MaxWindow(double hours, double& depth, double& start, bool* lowerBound = nullptr) const;

  private:
    double Upper(double t, int i0, int i1) const; // value just after t (takes a jump at t)
    void Append(double t, double depth);

    double FStart = 0, FEnd = 0;
    std::vector<double> FTimes, FDepths;
    // First and last breakpoint of each stretch of record, failures bridged (flat).
    std::vector<std::pair<int, int>> FRanges;
    std::vector<TTimeSpan> FStretches;
    std::vector<TTimeSpan> FGaps;
    double FDeclines = 0;
};

// --- fixed-interval series ------------------------------------------------

struct TRainInterval
{
    double Start = 0, End = 0; // chart time, hours
    double Depth = 0;          // mm
    bool Valid = false;        // false: the interval is not wholly recorded
};

struct TRainSeries
{
    int StepMinutes = 0;
    std::vector<TRainInterval> Intervals;
    bool Complete() const; // every interval valid
    double Total() const;  // sum of the valid intervals
};

const std::vector<int>& SeriesSteps(); // 5, 10, 15, 30, 60
bool IsSeriesStep(int minutes);
// Intervals over the 24 hours from rain.Start(). An interval that overlaps a failure
// or time outside the record is not valid. Throws std::invalid_argument for a step
// not in SeriesSteps().
TRainSeries FixedIntervalSeries(const TCumulativeRain& rain, int stepMinutes = 5);

// --- maximum intensities --------------------------------------------------

struct TMaxIntensity
{
    int Minutes = 0;      // duration of the window
    double Depth = 0;     // mm
    double Intensity = 0; // mm/h
    double Start = 0;     // chart time of the window's start, hours
    bool Valid = false;   // false: the record is nowhere that long
    bool LowerBound = false; // the window crosses a failure: the rain was at least Depth ("≥")
    double End() const { return Start + Minutes / 60.0; }
};

// 5, 10, 15, 20, 30, 45, 60, 120, 180 minutes, 6, 12 and 24 hours.
const std::vector<int>& StandardDurations();
TMaxIntensity MaximumIntensity(const TCumulativeRain& rain, int minutes);
std::vector<TMaxIntensity> MaximumIntensities(const TCumulativeRain& rain,
                                              const std::vector<int>& durations = StandardDurations());

// --- quality --------------------------------------------------------------

struct TRainQuality
{
    double Sum = 0;           // the chart's total, as the results window shows it (mm)
    bool Approximate = false; // the chart has failures: its total is an estimate ("±")
    double Recorded = 0;      // rain of known timing (the cumulative curve's rise), mm
    double Declines = 0;      // drops of the record not counted as rain, mm
    double RecordedHours = 0;
    bool Comparable = false;      // the gauge reading was given and the chart is present
    double Gauge = 0;             // rain gauge reading (PTot), mm
    double Difference = 0;        // Sum - Gauge, mm
    double DifferencePercent = 0; // Difference as a percentage of Gauge
};

TRainQuality RainQuality(const TRChart& chart, const TCumulativeRain& rain);

// --- everything for one chart ---------------------------------------------

struct TRainAnalysis
{
    TCumulativeRain Rain;
    TRainSeries Series;
    std::vector<TMaxIntensity> Maxima;
    TRainQuality Quality;
};

TRainAnalysis AnalyseChart(const TRChart& chart, int stepMinutes = 5);

// "dd/mm/yyyy hh:mm" (or with ":ss") of a chart time of the chart dated date,
// the date moving on a day for times of 24 h and more.
std::string ChartTimeText(double date, double hours, bool seconds = false);

} // namespace rs
