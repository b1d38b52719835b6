#pragma once
// Grid registration: the printed grid of a chart model found on a scan, and
// control points placed at the intersections of its printed lines, so that a
// scale can be fitted without a click.
//
//   1. darkness (any colour of print, grey or 1-bit), reduced to about 100 dpi
//   2. the mm lines' angle, from the sharpness of row profiles of vertical strips
//   3. the mm lines: a comb of the model's lines (and nothing just outside it)
//   4. the hour lines across the mm lines' band, arcs followed on a curved chart;
//      their spacing is expected from the mm lines' and the paper's proportions,
//      and the comb of all the model's hours names the placement hour: the
//      first of them, with no printed hour line before it or after the last
//   5. each control point refined at full resolution where its two printed
//      lines cross, their darkness profiles taken across them (medians along the
//      lines, so the pen, writing and stamps crossing them do not pull them)
//   6. planes fitted as the scale fits them; outside the tolerances nothing is given

#include "trace/ChartModel.h"

#include <opencv2/core.hpp>

#include <string>
#include <vector>

namespace rs::trace {

struct TGridControl
{
    double X = 0, Y = 0; // scan pixel (origin top-left, y down, continuous)
    double T = 0, P = 0; // chart hours and mm of the printed intersection
};

struct TGridResult
{
    bool Found = false;
    std::string Error; // Windows-1252, "Grade não encontrada: ..." when not found
    std::vector<TGridControl> Controls;
    // Chart value -> scan pixel: x = Ax·(t + arc(p)) + Bx·p + Cx, likewise y (arc 0 on a straight chart).
    double Ax = 0, Bx = 0, Cx = 0, Ay = 0, By = 0, Cy = 0;
    double MaxTimeResidual = 0; // hours
    double MaxPrecResidual = 0; // mm
    double AngleDeg = 0;        // the mm lines' angle on the scan
    double Seconds = 0;
    TChartModel Model;

    cv::Point2d Pixel(double t, double p) const;
    // The chart values at a scan pixel; false when the grid was not found.
    bool Value(double x, double y, double& t, double& p) const;
};

TGridResult RegisterGrid(const cv::Mat& scan, const TChartModel& model);

// The printed intersection nearest to a scan pixel, within `radius` pixels:
// lines of the model's divisions (10 minutes, 0.2 mm by default). False when
// none is that near or the grid was not found.
bool SnapToGrid(const TGridResult& grid, double x, double y, double radius, TGridControl& snapped);

// The arc's shift of a reading on a curved chart (hours), as the scale models it.
double ArcShift(double p, bool curved);

} // namespace rs::trace

namespace rs::trace {
// The grid found drawn over a picture of the scan (BGR, same size): every hour line and mm
// line of the model as the registration placed them, the control points ringed.
void DrawGrid(cv::Mat& picture, const TGridResult& grid);
} // namespace rs::trace
