#pragma once
// The precipitation curve: points kept in ascending time, the insertion rules,
// overflow and failure marks, undo of the last inserted point, the
// accumulation and the drawing of the polyline.

#include "common/Canvas.h"
#include "document/uPoints.h"

namespace rs {

class TScale;

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
    void Recalc();
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
    std::uint32_t FNextSeq = 0;
};

} // namespace rs
