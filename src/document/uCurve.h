#pragma once
// The precipitation curve: points kept in ascending time, the insertion rules,
// overflow and failure marks, undo of the last inserted point, the
// accumulation and the drawing of the polyline.

#include "common/Canvas.h"
#include "document/uPoints.h"

#include <vector>

namespace rs {

class TScale;

// A point as the accumulation sees it: its reading and mark in, its accumulated value out.
struct TAccumPoint
{
    double Prec = 0;
    int Mark = 0;
    double Accumulated = 0;
};

struct TAccumResult
{
    int Peaks = 0;
    int Failures = 0;
    double Sum = 0; // the day's sum: each stretch's last accumulated value, added
};

// The accumulation over points in time order: a peak (mark 1, or a drop of more
// than the overflow threshold) carries its reading into the later points, a
// failure (mark 2) restarts the sum. Overflow marks are set and cleared as the
// rules say, so the file and the chart window show what was counted.
TAccumResult Accumulate(std::vector<TAccumPoint>& points);

// A drop of the pen larger than this that carries no mark is worth a warning (mm).
inline constexpr double kUnmarkedDropLimit = 0.5;

class TCurve : public TPointList
{
public:
    TCurve(TRChart* owner, TDrawSurface* parent);
    ~TCurve() override;

    TScale* Scale = nullptr;
    int Peaks = 0;
    int Failures = 0;
    double Sum = 0;

    // Points in the order they were inserted while editing.
    TExList<TDigPoint> History() const;

    // chronological: the program-wide option, suspended for one point by Ctrl.
    bool AddPoint(double time, double prec, bool chronological);
    bool CanMarkFailure(const TDigPoint* point) const;
    // Moves a point of the curve to (time, prec), its time kept strictly between
    // its neighbours'; the accumulation runs again. False when nothing moved.
    bool MovePoint(TDigPoint* point, double time, double prec);
    void UndoLast();
    // Frees every point; the insertion history goes with them and the results are those of no points.
    void Clear() override;
    void Recalc();
    // Points after which the pen drops more than limit without a mark: neither an
    // overflow nor a failure, so the drop lowers the accumulated total.
    std::vector<int> UnmarkedDrops(double limit = kUnmarkedDropLimit) const;
    // The accumulation of Recalc over marks it has already settled, leaving
    // them as they are: the same values, for a curve put back by an undo.
    void Accumulate();
    void Draw(TCanvas& canvas) const;

    // Frees a point of the curve (its removal runs every notification).
    void DeletePoint(TDigPoint* point) { delete point; }

    void Notify(int index, TDigPoint* point, TListAction action) override;
    void UpdateGlyph(TDigPoint* point) override;
    TPoint PointToPixel(const TDigPoint* point) const override;

    static int CompareTime(const TDigPoint* a, const TDigPoint* b);

protected:
    // While digitizing, Notify repaints the stretch around a new point.
    bool RepaintsInsertions() const override { return Editing(); }

private:
    // The accumulation over the points; settleMarks lets it mark or unmark peaks.
    void Run(bool settleMarks);
    std::uint32_t FNextSeq = 0;
};

} // namespace rs
