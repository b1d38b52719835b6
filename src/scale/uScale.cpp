#include "scale/uScale.h"

#include "common/Utils.h"
#include "common/uTimeHelpers.h"
#include "document/uRChart.h"

#include <climits>
#include <cmath>

namespace rs {

int RoundEven(double v)
{
    if (!std::isfinite(v))
        return 0;
    double r = std::nearbyint(v); // the default rounding mode is to nearest, ties to even
    if (r >= double(INT_MAX))
        return INT_MAX;
    if (r <= double(INT_MIN))
        return INT_MIN;
    return int(r);
}

namespace {
// The determinant of the normal equations against the size of its terms below
// which the system counts as singular: some hundreds of times the rounding of a
// double (2.2e-16), which points on one line never exceed, and far below what
// control points spread over a chart give (1e-9 and more on tablet counts).
constexpr double kSingularRatio = 1e-13;
} // namespace

bool FitPlane(const std::vector<double>& x, const std::vector<double>& y, const std::vector<double>& z,
              double& a, double& b, double& c, double& r2)
{
    const std::size_t n = x.size();
    if (n < 3 || y.size() != n || z.size() != n)
        return false;
    double Sxx = 0, Sxy = 0, Sx = 0, Syy = 0, Sy = 0, N = 0, Sxz = 0, Syz = 0, Sz = 0;
    for (std::size_t i = 0; i < n; ++i) {
        Sxx += x[i] * x[i];
        Sxy += x[i] * y[i];
        Sx += x[i];
        Syy += y[i] * y[i];
        Sy += y[i];
        N += 1;
        Sxz += x[i] * z[i];
        Syz += y[i] * z[i];
        Sz += z[i];
    }
    const double det = (Syy * N - Sy * Sy) * Sxx + (Sy * Sx - Sxy * N) * Sxy + (Sxy * Sy - Syy * Sx) * Sx;
    // Points on one line give a determinant that is only the rounding of its terms
    // (tablet counts make them near 1e19): anything within that rounding is singular.
    const double terms = (Syy * N + Sy * Sy) * Sxx +
                         (std::fabs(Sy * Sx) + std::fabs(Sxy * N)) * std::fabs(Sxy) +
                         (std::fabs(Sxy * Sy) + std::fabs(Syy * Sx)) * std::fabs(Sx);
    if (!std::isfinite(det) || !std::isfinite(terms) || std::fabs(det) <= kSingularRatio * terms)
        return false;
    const double d = 1 / det;
    const double na = ((Sy * Sz - N * Syz) * Sxy + (Sy * Syz - Syy * Sz) * Sx + (Syy * N - Sy * Sy) * Sxz) * d;
    const double nb = ((N * Syz - Sy * Sz) * Sxx + (Sxy * Sz - Sx * Syz) * Sx - (Sxy * N - Sy * Sx) * Sxz) * d;
    const double nc = ((Syy * Sz - Sy * Syz) * Sxx + (Sx * Syz - Sxy * Sz) * Sxy + (Sxy * Sy - Syy * Sx) * Sxz) * d;
    double sse = 0, sz = 0, sz2 = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const double e = na * x[i] + nb * y[i] + nc - z[i];
        sse += e * e;
        sz += z[i];
        sz2 += z[i] * z[i];
    }
    const double den = sz2 - sz * sz / double(n);
    a = na;
    b = nb;
    c = nc;
    // All provided values equal: the plane is still determined; report a perfect fit.
    r2 = den > 0 ? 1 - sse / den : 1.0;
    return true;
}

TScale::TScale(TRChart* owner, TDrawSurface* parent)
    : TPointList(owner, parent), FPredefined(std::make_unique<TPointList>(owner, nullptr))
{
}

TScale::~TScale() = default;

bool TScale::IsLinear() const { return Owner() ? Owner()->Info.Linear : true; }

int TScale::StartHour() const { return Owner() ? Owner()->Info.Hour : 7; }

bool TScale::HasEnoughPoints() const { return IsLinear() ? Count() > 4 : Count() > 6; }

double TScale::PrecAt(double x, double y) const { return PrecA * x + PrecB * y + PrecC; }

double TScale::TimeAt(double x, double y) const
{
    const double t = TimeA * x + TimeB * y + TimeC;
    if (IsLinear())
        return t;
    const double p = PrecAt(x, y) - kArcCentre;
    return t - p * p * kArcCoefficient;
}

bool TScale::ValueToCounts(double t, double p, double& x, double& y) const
{
    // Both planes are linear in (x, y); the arc only shifts the time plane's value.
    double u = t;
    if (!IsLinear()) {
        const double d = p - kArcCentre;
        u += d * d * kArcCoefficient;
    }
    const double det = TimeA * PrecB - TimeB * PrecA;
    if (det == 0 || !std::isfinite(det))
        return false;
    const double bu = u - TimeC, bp = p - PrecC;
    x = (bu * PrecB - TimeB * bp) / det;
    y = (TimeA * bp - bu * PrecA) / det;
    return std::isfinite(x) && std::isfinite(y);
}

TPointValue TScale::PointValues(int i) const
{
    const TDigPoint* p = Items(i);
    if (!p)
        return {};
    return {TimeAt(p->X, p->Y), PrecAt(p->X, p->Y)};
}

TPointValue TScale::PointResiduals(int i) const
{
    const TDigPoint* p = Items(i);
    if (!p)
        return {};
    TPointValue v = PointValues(i);
    return {v.Time - p->Time(), v.Prec - p->Prec()};
}

bool TScale::MaxResiduals(TResiduals& r) const
{
    if (IsEmpty())
        return false;
    TPointValue first = PointResiduals(0);
    r = {first.Time, first.Prec, 0, 0};
    for (int i = 1; i < Count(); ++i) {
        TPointValue v = PointResiduals(i);
        if (std::fabs(v.Time) > std::fabs(r.Time)) {
            r.Time = v.Time;
            r.TimeIndex = i;
        }
        if (std::fabs(v.Prec) > std::fabs(r.Prec)) {
            r.Prec = v.Prec;
            r.PrecIndex = i;
        }
    }
    return true;
}

bool TScale::WithinTolerance() const
{
    TResiduals r;
    if (!MaxResiduals(r))
        return false;
    return std::fabs(r.Time) <= kTimeTolerance && std::fabs(r.Prec) < kPrecTolerance;
}

int TScale::NextToMark() const
{
    if (!Editing() || CoordMode == 1 || Count() >= FPredefined->Count())
        return -1;
    for (int i = 0; i < FPredefined->Count(); ++i)
        if (FPredefined->Items(i)->Mark() == -1)
            return i;
    return -1;
}

bool TScale::MarkingPredefined() const { return Editing() && CoordMode == 0 && !FPredefined->IsEmpty(); }

int TScale::TimeToX(double t) const
{
    const double t0 = StartHour(), t1 = t0 + 24;
    return RoundEven(((t - t0) / (t1 - t0) * (FGridRect.right - FGridRect.left) + FGridRect.left) * FZoom);
}

int TScale::PrecToY(double p) const
{
    const double p0 = -1, p1 = 11;
    return RoundEven(((p - p0) / (p1 - p0) * (FGridRect.bottom - FGridRect.top) + FGridRect.top) * FZoom);
}

double TScale::XToTime(double x) const
{
    const double t0 = StartHour(), t1 = t0 + 24;
    const int w = FGridRect.right - FGridRect.left;
    if (w == 0 || FZoom == 0)
        return t0;
    return (x / FZoom - FGridRect.left) / w * (t1 - t0) + t0;
}

double TScale::YToPrec(double y) const
{
    const double p0 = -1, p1 = 11;
    const int h = FGridRect.bottom - FGridRect.top;
    if (h == 0 || FZoom == 0)
        return p0;
    return (y / FZoom - FGridRect.top) / h * (p1 - p0) + p0;
}

TPoint TScale::TabletToPixel(int x, int y) const
{
    double px, py;
    const TRect& T = TabletRect;
    const TRect& B = BoxRect;
    px = T.right != T.left ? double(B.right - B.left) * FZoom * (double(x) - T.left) / double(T.right - T.left) : 0;
    py = T.bottom != T.top ? double(B.bottom - B.top) * FZoom * (double(y) - T.top) / double(T.bottom - T.top) : 0;
    return {B.left + RoundEven(px), B.top + RoundEven(py)};
}

void TScale::CursorPixel(int x, int y, double& px, double& py) const
{
    if (Valid) {
        px = TimeToX(TimeAt(x, y));
        py = PrecToY(PrecAt(x, y));
        return;
    }
    const TRect& T = TabletRect;
    const TRect& B = BoxRect;
    px = B.left + (T.right != T.left ? double(B.right - B.left) * FZoom * (double(x) - T.left) / double(T.right - T.left) : 0);
    py = B.top + (T.bottom != T.top ? double(B.bottom - B.top) * FZoom * (double(y) - T.top) / double(T.bottom - T.top) : 0);
}

TPoint TScale::PointToPixel(const TDigPoint* point) const
{
    if (Valid) {
        const TPointValue v{TimeAt(point->X, point->Y), PrecAt(point->X, point->Y)};
        return ValueToPixel(v.Time, v.Prec);
    }
    return TabletToPixel(point->X, point->Y);
}

void TScale::SetGridRect(const TRect& r)
{
    if (r == FGridRect)
        return;
    FGridRect = r;
    Reposition();
}

void TScale::SetZoom(double z)
{
    if (z == FZoom)
        return;
    FZoom = z;
    Reposition();
}

void TScale::DoFit()
{
    if (!HasEnoughPoints()) {
        Valid = false;
    } else {
        const double k = IsLinear() ? 0.0 : kArcCoefficient;
        const std::size_t n = std::size_t(Count());
        std::vector<double> x(n), y(n), p(n), u(n);
        for (std::size_t i = 0; i < n; ++i) {
            const TDigPoint* pt = Items(int(i));
            x[i] = pt->X;
            y[i] = pt->Y;
            p[i] = pt->Prec();
            const double d = pt->Prec() - kArcCentre;
            u[i] = pt->Time() + k * d * d;
        }
        bool ok = FitPlane(x, y, p, PrecA, PrecB, PrecC, PrecR2);
        if (ok)
            ok = FitPlane(x, y, u, TimeA, TimeB, TimeC, TimeR2);
        Valid = ok;
    }
    RefreshHints();
    Reposition();
    if (OnFit)
        OnFit(this);
}

void TScale::Fit()
{
    if (Editing())
        DoFit();
}

void TScale::Rebuild()
{
    if (IsEmpty()) {
        RefreshHints();
        Reposition();
        return;
    }
    DoFit();
}

bool TScale::AcceptPoint(const TDigPoint* point) const
{
    if (Owner() && Owner()->Info.Kind != 0)
        return false;
    for (const TDigPoint* p : FItems) {
        if (std::fabs(p->Time() - point->Time()) < kNearTime && std::fabs(p->Prec() - point->Prec()) < kNearPrec)
            return false;
        const long long dx = (long long)p->X - point->X, dy = (long long)p->Y - point->Y;
        if (dx * dx + dy * dy < kNearDistance2)
            return false;
    }
    return true;
}

void TScale::Conclude()
{
    if (!Valid || Concluded)
        return;
    SetVisible(false);
    for (TDigPoint* p : FItems)
        p->SetClickable(false);
    Concluded = true;
    SetEditing(false);
}

void TScale::Reset()
{
    if (!Editing())
        return;
    SetEditing(false);
    Valid = false;
    SetCoordMode(1);
    Clear();
    SetVisible(false);
    TimeA = TimeB = TimeC = TimeR2 = 0;
    PrecA = PrecB = PrecC = PrecR2 = 0;
}

void TScale::SetCoordMode(std::uint8_t m)
{
    if (m == CoordMode)
        return;
    CoordMode = m;
    SetModified(true);
    if (m == 1)
        FPredefined->Clear();
}

void TScale::RefreshHints()
{
    for (int i = 0; i < Count(); ++i) {
        TDigPoint* p = Items(i);
        // Appended piece by piece: one long chain of operator+ trips a false -Wrestrict in GCC 12.
        std::string h;
        if (Valid) {
            const TPointValue v = PointValues(i);
            const TPointValue r = PointResiduals(i);
            h.append("Tempo (h:m)\r\n-------------------\r\nCalc.: ").append(HoursToHM(v.Time));
            h.append("\r\nForn.: ").append(HoursToHM(p->Time()));
            h.append("\r\nResi.: ").append(HoursToHM(r.Time));
            h.append("\r\n\r\nPrecip. (mm)\r\n-------------------\r\nCalc.: ").append(FormatNum("%.2f", v.Prec));
            h.append("\r\nForn.: ").append(FormatNum("%.2f", p->Prec()));
            h.append("\r\nResi.: ").append(FormatNum("%.2f", r.Prec));
        } else {
            h.append("(").append(HoursToHM(p->Time())).append(" h; ");
            h.append(FormatNum("%.5g", p->Prec())).append(" mm)");
        }
        p->SetShowHint(true);
        p->SetHint(h);
    }
}

void TScale::Notify(int index, TDigPoint* point, TListAction action)
{
    if (Editing() && action != TListAction::Removing) {
        if (CoordMode == 0) {
            TDigPoint* d = FPredefined->FindByValue(point->Time(), point->Prec());
            if (d)
                d->SetMark(action == TListAction::Inserted ? 1 : -1);
        }
        TPointList::Notify(index, point, action);
        Fit();
        return;
    }
    TPointList::Notify(index, point, action);
}

void TScale::SaveToStream(TByteWriter& w)
{
    w.WriteU8(CoordMode);
    w.WriteU8(Valid ? 1 : 0);
    w.WriteU8(Concluded ? 1 : 0);
    for (double v : {TimeA, TimeB, TimeC, TimeR2, PrecA, PrecB, PrecC, PrecR2})
        w.WriteF64(v);
    TPointList::SaveToStream(w);
    if (Editing() && CoordMode == 0)
        FPredefined->SaveToStream(w);
}

void TScale::LoadFromStream(TByteReader& r)
{
    std::uint8_t valid = Valid, concluded = Concluded;
    r.ReadValue(CoordMode);
    r.ReadValue(valid);
    r.ReadValue(concluded);
    Valid = valid != 0;
    Concluded = concluded != 0;
    for (double* v : {&TimeA, &TimeB, &TimeC, &TimeR2, &PrecA, &PrecB, &PrecC, &PrecR2})
        r.ReadValue(*v);
    TPointList::LoadFromStream(r);
    if (Editing() && CoordMode == 0)
        FPredefined->LoadFromStream(r);
    else
        FPredefined->Clear();
    if (Concluded)
        for (TDigPoint* p : FItems)
            p->SetClickable(false);
    RefreshHints();
}

} // namespace rs
