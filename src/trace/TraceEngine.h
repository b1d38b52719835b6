#pragma once
// The automatic trace: from a scanned chart and a concluded scale whose control
// points were marked on that scan, the pen curve as the program's own curve
// points. A pipeline of small stages, each usable alone:
//
//   ChartSpace  the chart's time × reading grid and where each cell lies on the scan
//   Rectify     the scan resampled into chart space (time lines vertical, mm lines horizontal)
//   FindInk     the pen's colour, found on the chart itself
//   ScoreInk    each cell's likeness to pen ink against paper and printed grid (0..1)
//   FindPath    the cheapest reading per column: the float only rises, but for
//               small declines and a siphon drop from near the top to near zero
//   Curve       siphons, gaps and failures, simplification, unsure stretches, confidence
//
// Trace() runs them all; its result keeps what each stage saw for debugging and the overlay.

#include "trace/TraceParams.h"

#include <opencv2/core.hpp>

#include <array>
#include <string>
#include <vector>

namespace rs {
class TScale;
class TRChart;
}

namespace rs::trace {

// How the scan's pixels relate to the scale's tablet counts: the virtual tablet's frame
// (1000 counts per inch, y upwards from the bottom of the picture).
struct TScanFrame
{
    double DpiX = 300, DpiY = 300;
    int Height = 0; // pixels
    double AreaHeight() const;
    double CountsX(double px) const { return px * 1000.0 / DpiX; }
    double CountsY(double py) const { return AreaHeight() - py * 1000.0 / DpiY; }
    double PixelX(double x) const { return x * DpiX / 1000.0; }
    double PixelY(double y) const { return (AreaHeight() - y) * DpiY / 1000.0; }
};

// Chart space: column c is time T0 + c·dt (hours), row r is reading P0 − r·dp (mm, top row highest).
struct TChartSpace
{
    double T0 = 0, Dt = 0, P0 = 0, Dp = 0;
    int Cols = 0, Rows = 0;
    cv::Mat MapX, MapY; // CV_32F scan pixel of each cell
    double Inside = 0;  // share of the chart's 0..10 mm area that lies on the scan
    double Time(double c) const { return T0 + c * Dt; }
    double Prec(double r) const { return P0 - r * Dp; }
    double Row(double p) const { return (P0 - p) / Dp; }
};

TChartSpace MakeChartSpace(const TScale& scale, int startHour, const TScanFrame& frame, const cv::Size& scan,
                           const TTraceParams& prm);
cv::Mat Rectify(const cv::Mat& scanBgr, const TChartSpace& cs);

// What tells the pen from the printed chart. A coloured grid darkens the paper in
// proportion to its colour; whatever darkness its colour does not explain, and any
// colour off the grid's hue, is the pen's. A grey grid (and a 1-bit scan) has no
// colour to go by: its lines are found by their regularity instead.
struct TInkModel
{
    cv::Vec3f Paper;         // Lab (L 0..100, a, b)
    cv::Vec2f GridHue{0, 0}; // unit (a, b) direction of the printed grid's colour
    float GridDarkness = 0;  // L lost per unit of the grid's colour
    bool GreyGrid = true;
    // The pen's own colour, when it has one: its hue (unit (a, b) direction, the grid's
    // tint removed) and its typical chroma. Marks of other colours (a red stamp on a
    // violet trace, grey handwriting on a blue one) are not the pen.
    bool PenColoured = false;
    cv::Vec2f PenHue{0, 0};
    float PenChroma = 0;
    bool ColourScan = false; // the scan has colour at all
    std::string Name;        // the ink as seen: "azul", "violeta", "roxa", "escura" (Windows-1252)
};
TInkModel FindInk(const cv::Mat& rectifiedBgr);
// CV_32F 0..1; the printed lines of a grey or 1-bit chart are found by their regularity and removed.
cv::Mat ScoreInk(const cv::Mat& rectifiedBgr, const TInkModel& ink, const TChartSpace& cs, const TTraceParams& prm);

// Evidence (0..1) of faint lines climbing at a rain's slope, where no falling strokes lie
// beside them (writing and printed figures have both).
cv::Mat FindRisingLines(const cv::Mat& rectifiedBgr, const TInkModel& ink, const TTraceParams& prm);

struct TPath
{
    std::vector<float> Row;      // refined row per column (fractional)
    std::vector<float> Support;  // ink under the path per column (0..1)
    std::vector<int> DropBefore; // columns c where the path drops as a siphon between c−1 and c
};
// noDrop, when given, marks the columns where no siphon drop may end (one flag per column).
TPath FindPath(const cv::Mat& score, const TChartSpace& cs, const TTraceParams& prm,
               const std::vector<char>* noDrop = nullptr);

struct TTracePoint
{
    double Time = 0; // hours on the chart's clock
    double Prec = 0; // mm
    int Mark = 0;    // 0 none, 1 overflow peak, 2 failure
};

enum class TUnsureKind { WeakInk, Gap, Failure, TwoLines, DoubtfulDrop };
struct TUnsure
{
    double Start = 0, End = 0; // hours
    TUnsureKind Kind = TUnsureKind::WeakInk;
};
const char* UnsureText(TUnsureKind kind); // Windows-1252

struct TTraceResult
{
    std::vector<TTracePoint> Points;
    std::vector<TUnsure> Unsure;
    double Confidence = 0;
    int Siphons = 0;
    int Failures = 0;
    std::string Error; // Windows-1252; empty when a trace was found
    // What the stages saw.
    TChartSpace Space;
    TInkModel Ink;
    // Rows of the printed frame lines at the top and at 0 mm (first, last; −1 when not
    // found). On a grey chart their print is removed, and with it whatever pen lies there.
    std::array<int, 2> FrameTop{-1, -1}, FrameBottom{-1, -1};
    cv::Mat Rectified, Score;
    TPath Path;
};

// The curve from the path: siphon peaks and their return points, failures, bends only.
void MakeCurve(const TPath& path, const cv::Mat& score, const TChartSpace& cs, const TTraceParams& prm,
               TTraceResult& out);

// The curve of another path on the same chart: what the stages saw is kept but the
// rectified chart and the score, which the caller moves over when it takes the result.
TTraceResult Remade(const TTraceResult& from, TPath path, const cv::Mat& score, const TTraceParams& prm);

// A later record drawn over a long flat stretch (a chart left on the drum a second day):
// traced without the flat line's ink, and kept, with the stretch reported, when it climbs
// on ink. True when the result changed.
bool TraceLaterRecord(TTraceResult& out, const TTraceParams& prm);

// The whole pipeline. `scale` must be valid (Valid) and of the chart whose start hour is given.
TTraceResult Trace(const cv::Mat& scanBgr, const TScanFrame& frame, const TScale& scale, int startHour,
                   const TTraceParams& prm = {});

// Replaces the chart's curve by the traced points, marks included, and recomputes the accumulation.
void FillCurve(TRChart& chart, const TTraceResult& result);

} // namespace rs::trace
