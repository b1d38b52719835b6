#include "document/uCurve.h"

#include "common/uGlobal.h"
#include "scale/uScale.h"

#include <algorithm>
#include <cmath>

namespace rs {

int TCurve::CompareTime(const TDigPoint* a, const TDigPoint* b)
{
    if (a->Time() > b->Time())
        return 1;
    if (a->Time() < b->Time())
        return -1;
    return 0;
}

TCurve::TCurve(TRChart* owner, TDrawSurface* parent) : TPointList(owner, parent)
{
    FItems.SetCompare(&CompareTime);
    FItems.SetSorted(true);
    // Two points at the same time would make the curve vertical: refuse the second.
    OnBeforeInsert = [](TPointList* list, int& index, bool& accept, TDigPoint* p) {
        if (index > 0 && list->Items(index - 1) && list->Items(index - 1)->Time() == p->Time())
            accept = false;
    };
}

TCurve::~TCurve() = default;

bool TCurve::AddPoint(double time, double prec, bool chronological)
{
    auto* p = new TDigPoint;
    p->SetValue(time, prec);
    p->SetCentre(Scale ? Scale->ValueToPixel(time, prec) : TPoint{-1, -1});
    p->SetMark(0);
    const int before = Count();
    if (chronological) {
        if (!IsEmpty() && Last()->Time() >= time) {
            delete p;
            return false;
        }
        if (Insert(Count(), p) < 0)
            delete p;
    } else {
        int index;
        if (FItems.Find(p, index)) {
            delete p;
            return false;
        }
        if (Insert(index, p) < 0)
            delete p;
    }
    return Count() > before;
}

bool TCurve::CanMarkFailure(const TDigPoint* point) const
{
    if (!point || point->List() != this)
        return false;
    const int i = point->Index();
    if (i < 2)
        return false;
    for (int k : {i - 2, i - 1, i + 1, i + 2}) {
        const TDigPoint* q = Items(k);
        if (q && q->Mark() == 2)
            return false;
    }
    return true;
}

TExList<TDigPoint> TCurve::History() const
{
    std::vector<TDigPoint*> v;
    for (TDigPoint* p : FItems)
        if (p->Seq)
            v.push_back(p);
    std::sort(v.begin(), v.end(), [](const TDigPoint* a, const TDigPoint* b) { return a->Seq < b->Seq; });
    TExList<TDigPoint> h;
    for (TDigPoint* p : v)
        h.Add(p);
    return h;
}

void TCurve::UndoLast()
{
    // The order of insertion lives in the points themselves, so it survives
    // whatever removes points or puts them back.
    TDigPoint* last = nullptr;
    for (TDigPoint* p : FItems)
        if (p->Seq && (!last || p->Seq > last->Seq))
            last = p;
    if (!last)
        last = Last();
    delete last;
}

bool TCurve::MovePoint(TDigPoint* point, double time, double prec)
{
    if (!point || point->List() != this || !std::isfinite(time) || !std::isfinite(prec))
        return false;
    const int i = point->Index();
    // A point keeps its place in time: never on or past a neighbour.
    constexpr double kGap = 0.001;
    const TDigPoint* prev = Items(i - 1);
    const TDigPoint* next = Items(i + 1);
    double lo = prev ? prev->Time() + kGap : -1e9, hi = next ? next->Time() - kGap : 1e9;
    if (lo > hi)
        time = point->Time();
    else
        time = std::clamp(time, lo, hi);
    if (time == point->Time() && prec == point->Prec())
        return false;
    const TRect before = point->Bounds();
    point->SetValue(time, prec);
    point->SetCentre(PointToPixel(point));
    SetModified(true);
    Recalc();
    if (Parent()) {
        // The two stretches to the neighbours, where the point was and where it is.
        TRect r = before;
        for (const TDigPoint* q : {prev, static_cast<const TDigPoint*>(point), next})
            if (q) {
                const TRect& b = q->Bounds();
                r = {std::min(r.left, b.left), std::min(r.top, b.top), std::max(r.right, b.right),
                     std::max(r.bottom, b.bottom)};
            }
        Parent()->InvalidateRect({r.left - 4, r.top - 4, r.right + 4, r.bottom + 4});
        Changed();
    }
    return true;
}

void TCurve::Recalc()
{
    const int n = Count();
    if (n == 0)
        return;
    double carry = 0;
    TDigPoint* p = FItems[0];
    p->Accumulated = p->Prec();
    Peaks = 0;
    Failures = 0;
    Sum = 0;
    for (int i = 1; i < n; ++i) {
        TDigPoint* prev = FItems[i - 1];
        p = FItems[i];
        // Of two consecutive overflow marks only the later one stays.
        if (prev->Mark() == 1 && p->Mark() == 1)
            prev->SetMark(0);
        if (prev->Mark() == 0 || prev->Mark() == 1) {
            if (prev->Prec() - p->Prec() > kOverflowThreshold || prev->Mark() == 1) {
                carry += prev->Prec();
                ++Peaks;
                if (p->Mark() == 0)
                    prev->SetMark(1);
            }
        }
        if (prev->Mark() == 2) {
            ++Failures;
            Sum += prev->Accumulated;
            carry = 0;
        }
        p->Accumulated = p->Prec() + carry;
    }
    TDigPoint* last = FItems[n - 1];
    if (last->Mark() == 2)
        ++Failures;
    Sum += last->Accumulated;
    if (last->Mark() == 1)
        last->SetMark(0);
}

void TCurve::Accumulate()
{
    const int n = Count();
    Peaks = 0;
    Failures = 0;
    Sum = 0;
    if (n == 0)
        return;
    double carry = 0;
    FItems[0]->Accumulated = FItems[0]->Prec();
    for (int i = 1; i < n; ++i) {
        TDigPoint* prev = FItems[i - 1];
        TDigPoint* p = FItems[i];
        if ((prev->Mark() == 0 || prev->Mark() == 1) &&
            (prev->Prec() - p->Prec() > kOverflowThreshold || prev->Mark() == 1)) {
            carry += prev->Prec();
            ++Peaks;
        }
        if (prev->Mark() == 2) {
            ++Failures;
            Sum += prev->Accumulated;
            carry = 0;
        }
        p->Accumulated = p->Prec() + carry;
    }
    if (FItems[n - 1]->Mark() == 2)
        ++Failures;
    Sum += FItems[n - 1]->Accumulated;
}

void TCurve::Draw(TCanvas& canvas) const
{
    if (Count() < 2)
        return;
    // Only the stretches that cross the area being painted: a click repaints a
    // few pixels, and stroking the whole curve for them grows with its length.
    const TRect clip = canvas.ClipRect();
    auto crosses = [&clip](TPoint a, TPoint b) {
        constexpr long long m = 2; // the pen's reach
        return std::max(a.x, b.x) + m >= clip.left && std::min(a.x, b.x) - m < clip.right &&
               std::max(a.y, b.y) + m >= clip.top && std::min(a.y, b.y) - m < clip.bottom;
    };
    canvas.SetPen(ChartColors().Curve, 1);
    std::vector<TPoint> run;
    for (int i = 0; i + 1 < Count(); ++i) {
        const TPoint a = FItems[i]->Centre(), b = FItems[i + 1]->Centre();
        if (crosses(a, b)) {
            if (run.empty())
                run.push_back(a);
            run.push_back(b);
        } else if (!run.empty()) {
            canvas.Polyline(run);
            run.clear();
        }
    }
    if (!run.empty())
        canvas.Polyline(run);
    canvas.SetPen(RGB(255, 255, 255), 1);
    for (int i = 0; i + 1 < Count(); ++i)
        if (FItems[i]->Mark() == 2) {
            const TPoint a = FItems[i]->Centre(), b = FItems[i + 1]->Centre();
            if (crosses(a, b))
                canvas.Line(a.x, a.y, b.x, b.y);
        }
}

void TCurve::Notify(int index, TDigPoint* point, TListAction action)
{
    if (Editing()) {
        if (action == TListAction::Inserted)
            point->Seq = ++FNextSeq;
        if (action != TListAction::Removing)
            Recalc();
        if (action != TListAction::Removed && Count() >= 2 && Parent()) {
            // Repaint the stretch between the point's two neighbours.
            const TDigPoint* a = Items(index - 1);
            const TDigPoint* b = Items(index + 1);
            TPoint c = point->Centre();
            TPoint ca = a ? a->Centre() : c, cb = b ? b->Centre() : c;
            TRect r{std::min({c.x, ca.x, cb.x}), std::min({c.y, ca.y, cb.y}), std::max({c.x, ca.x, cb.x}) + 1,
                    std::max({c.y, ca.y, cb.y}) + 1};
            Parent()->InvalidateRect(r);
        }
    }
    TPointList::Notify(index, point, action);
}

void TCurve::UpdateGlyph(TDigPoint* point)
{
    if (point->Mark() >= 0 && point->Mark() <= 2)
        point->SetImageIndex(point->Mark());
}

TPoint TCurve::PointToPixel(const TDigPoint* point) const
{
    return Scale ? Scale->ValueToPixel(point->Time(), point->Prec()) : TPoint{-1, -1};
}

} // namespace rs
