#pragma once
// Synthetic scanned pluviograms with a known truth, for measuring the automatic
// trace: a daily chart drawn as the paper is printed, a known pen curve drawn on
// it, then "scanned" (resolution, rotation, paper shrink, blur, noise, JPEG,
// 1-bit). Everything is drawn through one affine paper -> image transform, so
// the true image position of any (time, reading) is known exactly.
//
// Paper coordinates are millimetres from the paper's top-left corner, y down.
// Chart coordinates are hours on the chart's clock (H to H+25 for a chart placed
// at H) and millimetres of rain (0 to 10). Deterministic for a given seed.

#include <opencv2/core.hpp>

#include <cstdint>
#include <string>
#include <vector>

namespace synth {

enum class TGridColour { Green, Red, Orange, Grey };
enum class TInkColour { Blue, Violet, Purple, Black };
enum class TScanMode { Colour, Grey, BlackWhite };

const char* Name(TGridColour c);
const char* Name(TInkColour c);
const char* Name(TScanMode m);

struct TSynthOptions
{
    std::uint64_t Seed = 1;
    int Hour = 7;            // placement hour: 7, 8 or 9
    bool Curved = false;     // time lines are arcs of the pen
    double Dpi = 300;

    // Print and ink.
    TGridColour Grid = TGridColour::Green;
    TInkColour Ink = TInkColour::Blue;
    double GridStrength = 1.0; // 1 = as printed; lower = paler print
    double PenWidthMm = 0.4;
    double InkStrength = 1.0;  // opacity of the pen's ink; ~0.3 is faint
    bool InkPressure = true;   // opacity wanders along the trace

    // The pen curve.
    int RainEvents = 3;
    double RainTotal = 14;     // mm over the day (siphons follow from it)
    double StartLevel = -1;    // reading at the start; < 0 = chosen from the seed
    bool DryOnGridLine = false; // flat stretches exactly on a printed line, no evaporation
    bool Failure = false;      // a missing record of an hour or more
    int ShortGaps = 0;         // breaks of the ink of a few minutes

    // Things on the paper besides the pen curve.
    bool Handwriting = true;
    bool Stamp = false;
    bool TimeMarks = true;     // the pen's small ticks
    bool PunchHoles = true;

    // The scan.
    TScanMode Mode = TScanMode::Colour;
    double RotationDeg = 0;
    double ShrinkX = 1.0, ShrinkY = 1.0; // paper shrink, applied before the scan
    double BlurPx = 0.6;       // Gaussian sigma in image pixels
    double Noise = 3;          // sigma in grey levels
    int JpegQuality = 0;       // > 0: JPEG artefacts of this quality in the pixels
};

// Options drawn from the seed within realistic ranges, then the kind's features
// forced. Kinds: see KindNames(); "random" forces nothing.
TSynthOptions OptionsFor(const std::string& kind, std::uint64_t seed);
const std::vector<std::string>& KindNames();

// A point of the true pen curve; Mark as the program's curve points: 0 none,
// 1 siphon peak (the return point follows 0.001 h later), 2 the last point
// before a missing record.
struct TPenPoint
{
    double T = 0;
    double P = 0;
    int Mark = 0;
};

// A control point an operator would mark: pixel position (origin top-left,
// y down) and the chart values of the printed intersection.
struct TControlPoint
{
    double X = 0, Y = 0;
    double T = 0, P = 0;
};

// The printed layout of the paper (millimetres).
struct TPaperLayout
{
    static constexpr double kHourMm = 16.0;   // one hour along the paper
    static constexpr double kReadingMm = 8.0; // one millimetre of rain across it
    static constexpr double kLeft = 14.0;     // paper x of the placement hour's line at 5 mm
    static constexpr double kTop = 14.0;      // paper y of the 10 mm line
    static constexpr double kHours = 25.0;    // printed hours
    static constexpr double kWidth = 432.0;
    static constexpr double kHeight = 104.0;
};

// The pen's arc: a reading p at time t lies at the paper abscissa of t + ArcShift(p).
double ArcShift(double p, bool curved);

struct TSynthChart
{
    TSynthOptions Options;
    cv::Mat Image;              // CV_8UC3 (BGR) or CV_8UC1
    cv::Matx23d PaperToImage;   // paper mm -> image pixel (continuous, pixel centres at .5)
    std::vector<TPenPoint> Pen; // the true curve (what the ink records, failures marked)
    std::vector<std::pair<double, double>> InkBreaks; // short gaps of the ink (times)
    std::vector<std::pair<double, double>> Missing;   // missing records (times)
    std::vector<TControlPoint> Controls;
    int Siphons = 0;
    int Failures = 0;
    double Sum = 0;             // the day's sum by the program's rules
    double Seconds = 0;         // time taken to generate

    cv::Point2d PaperPos(double t, double p) const;
    cv::Point2d ImagePos(double t, double p) const;
    // The chart values (time, reading) at an image position: ImagePos inverted.
    cv::Point2d ChartAt(cv::Point2d image) const;
};

TSynthChart Generate(const TSynthOptions& options);
// The same chart's truth (pen, transform, control points) without drawing the image.
TSynthChart GenerateTruth(const TSynthOptions& options);

// Writes the image by the file's extension (.png, .jpg/.jpeg, .tif/.tiff) with
// its resolution in the file; a 1-bit chart as a bilevel PNG. backPage adds a
// second TIFF page (the back of the chart). False with a message on failure.
bool WriteImage(const TSynthChart& chart, const std::string& path, std::string& error, bool backPage = false);

// The truth as one JSON document (UTF-8): geometry, transform, control points,
// the pen curve, siphons, failures, the day's sum, the printed intersections.
std::string TruthJson(const TSynthChart& chart, const std::string& imageFile);

// The running total of rainfall by the program's rules (drops of more than
// 5.0 mm and marked peaks carried forward, a failure restarts the sum and keeps
// what was gathered before it), linearly between points. Times before the first
// point hold its value, after the last the last value; inside a missing record
// the value before it holds and known[i] is 0.
struct TRunningTotal
{
    std::vector<double> Value;
    std::vector<char> Known;
    int Peaks = 0;
    int Failures = 0;
    double Sum = 0;
};
TRunningTotal RunningTotal(const std::vector<TPenPoint>& points, const std::vector<double>& times);

// Minutes (as chart hours) from the first whole minute at or after `from` to `to`.
std::vector<double> MinuteGrid(double from, double to);

// The largest rainfall within `window` hours on a minute grid, over windows
// that lie wholly where known is set.
double LargestRain(const TRunningTotal& r, const std::vector<char>& known, int windowMinutes);

} // namespace synth
