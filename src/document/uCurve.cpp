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

TAccumResult Accumulate(std::vector<TAccumPoint>& points)
{
    TAccumResult r;
    const std::size_t n = points.size();
    if (n == 0)
        return r;
    double carry = 0;
    points[0].Accumulated = points[0].Prec;
    for (std::size_t i = 1; i < n; ++i) {
        TAccumPoint& prev = points[i - 1];
        TAccumPoint& p = points[i];
        // Of two consecutive overflow marks only the later one stays.
        if (prev.Mark == 1 && p.Mark == 1)
            prev.Mark = 0;
        if (prev.Mark == 0 || prev.Mark == 1) {
            if (prev.Prec - p.Prec > kOverflowThreshold || prev.Mark == 1) {
                carry += prev.Prec;
                ++r.Peaks;
                if (p.Mark == 0)
                    prev.Mark = 1;
            }
        }
        if (prev.Mark == 2) {
            ++r.Failures;
            r.Sum += prev.Accumulated;
            carry = 0;
        }
        p.Accumulated = p.Prec + carry;
    }
    TAccumPoint& last = points[n - 1];
    if (last.Mark == 2)
        ++r.Failures;
    r.Sum += last.Accumulated;
    if (last.Mark == 1)
        last.Mark = 0;
    return r;
}

void TCurve::Clear()
{
    TPointList::Clear();
    Recalc();
}

void TCurve::Recalc() { Run(true); }

void TCurve::Run(bool settleMarks)
{
    Peaks = 0;
    Failures = 0;
    Sum = 0;
    const int n = Count();
    if (n == 0)
        return;
    std::vector<TAccumPoint> pts(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i)
        pts[std::size_t(i)] = {FItems[i]->Prec(), FItems[i]->Mark(), 0};
    const TAccumResult r = rs::Accumulate(pts);
    for (int i = 0; i < n; ++i) {
        TDigPoint* p = FItems[i];
        p->Accumulated = pts[std::size_t(i)].Accumulated;
        if (settleMarks && p->Mark() != pts[std::size_t(i)].Mark)
            p->SetMark(pts[std::size_t(i)].Mark);
    }
    Peaks = r.Peaks;
    Failures = r.Failures;
    Sum = r.Sum;
}

std::vector<int> TCurve::UnmarkedDrops(double limit) const
{
    std::vector<int> out;
    for (int i = 0; i + 1 < Count(); ++i) {
        const double drop = FItems[i]->Prec() - FItems[i + 1]->Prec();
        // Larger drops are overflows the accumulation carries by itself.
        if (FItems[i]->Mark() == 0 && drop > limit && drop <= kOverflowThreshold)
            out.push_back(i);
    }
    return out;
}

// The marks were settled when the curve was made: only the values are taken.
void TCurve::Accumulate() { Run(false); }

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
        // A return point going takes its peak's mark with it, as undoing it does:
        // a mark left behind would carry the peak's reading into every later point.
        // The accumulation marks the peak again if the drop alone makes it one.
        if (action == TListAction::Removing && index > 0 && Items(index - 1)->Mark() == 1)
            Items(index - 1)->SetMark(0);
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
