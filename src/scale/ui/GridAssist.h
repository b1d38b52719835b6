#pragma once
// The printed grid of the scan shown in "Mesa Virtual", for the scale: control
// points placed automatically at its intersections, and clicks that snap to an
// intersection while control points are marked by hand on the scan.

#include "trace/GridRegistration.h"

#include <QPoint>

#include <optional>
#include <string>

namespace rs {

class TRChart;
class TTabletSurface;

class TGridAssist
{
public:
    static TGridAssist& Instance();

    // A scanned chart is shown in "Mesa Virtual".
    bool HasScan() const;
    // The grid of the model on that scan (registered once per picture and model).
    const trace::TGridResult& Register(const trace::TChartModel& model);

    // The model of a chart of this hour and kind: the operator's own in "ModelosGrafico.txt"
    // when one is there (the last that fits), the program's otherwise. Bad lines of the file
    // are named in `warning` (UTF-8) when given.
    static trace::TChartModel ModelFor(int hour, bool curved, std::string* warning = nullptr);

    // Places the control points found on the scan into doc's scale being defined, as if
    // marked by hand. Returns the reason (UTF-8) when the grid is not found; empty on success.
    std::string PlaceControlPoints(TRChart& doc, std::string* warning = nullptr);

    // Snapping is on while control points of a chart of this hour and kind are marked.
    void SetMarking(bool on, int hour = 7, bool curved = false);
    bool Marking() const { return FMarking; }
    // The printed intersection within kSnapRadius widget pixels of a tablet position
    // of the surface, in counts; nothing when none is that near or snapping is off.
    std::optional<QPoint> Snap(const TTabletSurface& surface, QPoint counts);
    static constexpr double kSnapRadius = 6.0;

private:
    TGridAssist();
    bool FMarking = false;
    int FHour = 7;
    bool FCurved = false;
    qint64 FImageKey = 0;
    std::string FModelName;
    trace::TChartModel FModel; // of the chart whose control points are marked
    trace::TGridResult FGrid;
};

} // namespace rs
