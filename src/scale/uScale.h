#pragma once
// The scale: control points fitted by least squares into a time plane and a
// precipitation plane that turn tablet positions into chart values, plus the
// conversions between chart values and pixels of the drawing.

#include "common/Geometry.h"
#include "document/uPoints.h"

#include <functional>
#include <memory>
#include <vector>

namespace rs {

struct TResiduals
{
    double Time = 0;
    double Prec = 0;
    int TimeIndex = 0;
    int PrecIndex = 0;
};

// Least-squares plane z = a·x + b·y + c through the normal equations (Cramer's rule).
// Fails for fewer than three points or a system singular to working precision (points
// on one line); then a, b, c, r2 are untouched.
bool FitPlane(const std::vector<double>& x, const std::vector<double>& y, const std::vector<double>& z,
              double& a, double& b, double& c, double& r2);

class TScale : public TPointList
{
public:
    static constexpr double kArcCentre = 5.0;
    static constexpr double kArcCoefficient = 1.0 / 72.0;
    static constexpr double kTimeTolerance = 1.0 / 12.0;
    static constexpr double kPrecTolerance = 0.1;
    static constexpr double kNearTime = 0.5;
    static constexpr double kNearPrec = 0.5;
    static constexpr long long kNearDistance2 = 40000;
    static constexpr int kMaxPoints = 15;

    TScale(TRChart* owner, TDrawSurface* parent);
    ~TScale() override;

    std::uint8_t CoordMode = 0;
    bool Valid = false;
    bool Concluded = false;
    double TimeA = 0, TimeB = 0, TimeC = 0, TimeR2 = 0;
    double PrecA = 0, PrecB = 0, PrecC = 0, PrecR2 = 0;

    TPointList& Predefined() { return *FPredefined; }
    const TPointList& Predefined() const { return *FPredefined; }

    const TRect& GridRect() const { return FGridRect; }
    void SetGridRect(const TRect& r);
    TRect TabletRect{0, 0, 0, 0};
    TRect BoxRect{0, 0, 0, 0};
    double Zoom() const { return FZoom; }
    void SetZoom(double z);

    // Fit notification: called at the end of every run of Fit.
    std::function<void(TScale*)> OnFit;

    bool IsLinear() const;
    int StartHour() const;
    bool HasEnoughPoints() const;
    double TimeAt(double x, double y) const;
    double PrecAt(double x, double y) const;
    // The inverse of TimeAt/PrecAt: the tablet position (counts, not rounded) whose
    // chart value is (t, p); false while the planes are singular.
    bool ValueToCounts(double t, double p, double& x, double& y) const;
    TPointValue PointValues(int i) const;
    TPointValue PointResiduals(int i) const;
    bool MaxResiduals(TResiduals& r) const; // false without control points
    // Residuals within the tolerances of a conclusion (time inclusive, precipitation strict).
    bool WithinTolerance() const;
    int NextToMark() const;
    bool MarkingPredefined() const;
    bool InDefinition() const { return Editing(); }

    int TimeToX(double t) const;
    int PrecToY(double p) const;
    double XToTime(double x) const;
    double YToPrec(double y) const;
    TPoint ValueToPixel(double t, double p) const { return {TimeToX(t), PrecToY(p)}; }
    TPoint TabletToPixel(int x, int y) const;
    void CursorPixel(int x, int y, double& px, double& py) const;

    void Fit();
    // After the chart's axis or start hour changed: refit whatever the state, then hints and markers.
    void Rebuild();
    bool AcceptPoint(const TDigPoint* point) const;
    void Conclude();
    void Reset();
    void SetCoordMode(std::uint8_t m);
    void RefreshHints();

    void Notify(int index, TDigPoint* point, TListAction action) override;
    TPoint PointToPixel(const TDigPoint* point) const override;
    void SaveToStream(TByteWriter& w) override;
    void LoadFromStream(TByteReader& r) override;

private:
    void DoFit();
    std::unique_ptr<TPointList> FPredefined;
    TRect FGridRect{0, 0, 0, 0};
    double FZoom = 0;
};

// Round to the nearest integer, halves to even, clamped to the int range.
int RoundEven(double v);

} // namespace rs
