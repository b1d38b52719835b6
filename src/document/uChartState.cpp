#include "document/uChartState.h"

#include <cstddef>
#include <cstring>

namespace rs {

static_assert(sizeof(TPointRec) == 40, "TPointRec is compared byte for byte: no padding");

bool operator==(const TPointRec& a, const TPointRec& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

bool SamePoint(const TPointRec& a, const TPointRec& b)
{
    return std::memcmp(&a, &b, offsetof(TPointRec, Accumulated)) == 0 &&
           std::memcmp(&a.Mark, &b.Mark, sizeof a - offsetof(TPointRec, Mark)) == 0;
}

namespace {

bool SameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

bool SameInfo(const TRChartInfo& a, const TRChartInfo& b)
{
    return a.Kind == b.Kind && SameBits(a.Date, b.Date) && a.Hour == b.Hour && SameBits(a.PTot, b.PTot) &&
           SameBits(a.Total, b.Total) && a.Linear == b.Linear && SameBits(a.Dh, b.Dh) && a.StName == b.StName &&
           a.StCode == b.StCode && a.PModel == b.PModel && a.OpName == b.OpName && a.Notes == b.Notes &&
           a.FileName == b.FileName;
}

TCtrlRec CtrlRecOf(const TDigPoint& p) { return {p.X, p.Y, p.Time(), p.Prec(), p.Mark(), p.Clickable()}; }

void FillList(TPointList& list, const std::vector<TCtrlRec>& recs)
{
    for (const TCtrlRec& r : recs) {
        auto* p = new TDigPoint;
        p->X = r.X;
        p->Y = r.Y;
        p->SetValue(r.Time, r.Prec);
        if (list.Append(p) < 0) {
            delete p;
            continue;
        }
        p->SetMark(r.Mark);
        p->SetClickable(r.Clickable);
    }
}

} // namespace

bool operator==(const TCtrlRec& a, const TCtrlRec& b)
{
    return a.X == b.X && a.Y == b.Y && SameBits(a.Time, b.Time) && SameBits(a.Prec, b.Prec) && a.Mark == b.Mark &&
           a.Clickable == b.Clickable;
}

bool operator==(const THeaderState& a, const THeaderState& b)
{
    return SameInfo(a.Info, b.Info) && a.CurveName == b.CurveName && a.State == b.State &&
           a.PrevState == b.PrevState && a.ScaleEditing == b.ScaleEditing && a.CurveEditing == b.CurveEditing;
}

bool operator==(const TScaleState& a, const TScaleState& b)
{
    for (int i = 0; i < 8; ++i)
        if (!SameBits(a.Coef[i], b.Coef[i]))
            return false;
    return a.CoordMode == b.CoordMode && a.Valid == b.Valid && a.Concluded == b.Concluded && a.Name == b.Name &&
           a.PredefinedName == b.PredefinedName && a.Points == b.Points && a.Predefined == b.Predefined;
}

bool operator==(const TCurveStats& a, const TCurveStats& b)
{
    return a.Peaks == b.Peaks && a.Failures == b.Failures && SameBits(a.Sum, b.Sum);
}

std::shared_ptr<const THeaderState> TChartSnapshot::CaptureHeader(const TRChart& doc)
{
    auto h = std::make_shared<THeaderState>();
    h->Info = doc.Info;
    h->Info.Owner = nullptr;
    h->Info.FileDate = 0;
    // The total as the file gets it: saving takes it from the curve's last point.
    if (!doc.Curve().IsEmpty())
        h->Info.Total = doc.Curve().Last()->Accumulated;
    h->CurveName = doc.Curve().Name;
    h->State = doc.FViewFlags[3];
    h->PrevState = doc.FViewFlags[2];
    h->ScaleEditing = doc.Scale().Editing();
    h->CurveEditing = doc.Curve().Editing();
    return h;
}

std::shared_ptr<const TScaleState> TChartSnapshot::CaptureScale(const TRChart& doc)
{
    const TScale& s = doc.Scale();
    auto st = std::make_shared<TScaleState>();
    st->CoordMode = s.CoordMode;
    st->Valid = s.Valid;
    st->Concluded = s.Concluded;
    const double coef[8] = {s.TimeA, s.TimeB, s.TimeC, s.TimeR2, s.PrecA, s.PrecB, s.PrecC, s.PrecR2};
    std::memcpy(st->Coef, coef, sizeof coef);
    st->Name = s.Name;
    st->PredefinedName = s.Predefined().Name;
    st->Points.reserve(std::size_t(s.Count()));
    for (const TDigPoint* p : s.ItemList())
        st->Points.push_back(CtrlRecOf(*p));
    for (const TDigPoint* p : s.Predefined().ItemList())
        st->Predefined.push_back(CtrlRecOf(*p));
    return st;
}

void TChartSnapshot::CaptureCurve(const TRChart& doc, std::vector<TPointRec>& out)
{
    const TCurve& c = doc.Curve();
    out.resize(std::size_t(c.Count()));
    std::size_t i = 0;
    for (const TDigPoint* p : c.ItemList()) {
        TPointRec& r = out[i++];
        r.X = p->X;
        r.Y = p->Y;
        r.Time = p->Time();
        r.Prec = p->Prec();
        r.Accumulated = p->Accumulated;
        r.Mark = p->Mark();
        r.Seq = p->Seq;
    }
}

TCurveStats TChartSnapshot::CaptureStats(const TRChart& doc)
{
    const TCurve& c = doc.Curve();
    return {c.Peaks, c.Failures, c.Sum};
}

TViewState TChartSnapshot::CaptureView(const TRChart& doc)
{
    return {doc.Curve().SelectedIndex(), doc.Scale().SelectedIndex(), doc.Curve().Visible(), doc.Scale().Visible()};
}

TDocState TChartSnapshot::Capture(const TRChart& doc)
{
    TDocState s;
    s.Header = CaptureHeader(doc);
    s.Scale = CaptureScale(doc);
    CaptureCurve(doc, s.Curve);
    s.Stats = CaptureStats(doc);
    s.View = CaptureView(doc);
    return s;
}

void TChartSnapshot::Restore(TRChart& doc, const TDocState& state)
{
    std::vector<TPointRec> live;
    CaptureCurve(doc, live);
    const std::vector<TPointRec>& want = state.Curve;
    std::size_t head = 0;
    while (head < live.size() && head < want.size() && SamePoint(live[head], want[head]))
        ++head;
    std::size_t tail = 0;
    while (tail < live.size() - head && tail < want.size() - head &&
           SamePoint(live[live.size() - 1 - tail], want[want.size() - 1 - tail]))
        ++tail;
    const std::vector<TPointRec> middle(want.begin() + std::ptrdiff_t(head), want.end() - std::ptrdiff_t(tail));
    TRestore r;
    r.Header = state.Header.get();
    r.Scale = state.Scale.get();
    r.Curve = true;
    r.CurveStart = int(head);
    r.CurveCount = int(live.size() - head - tail);
    r.CurvePoints = &middle;
    r.Stats = &state.Stats;
    r.View = &state.View;
    Apply(doc, r);
}

bool TChartSnapshot::Apply(TRChart& doc, const TRestore& r)
{
    TScale& s = doc.Scale();
    TCurve& c = doc.Curve();
    bool scaleEditing = s.Editing(), curveEditing = c.Editing();
    bool stateChanged = false;
    if (r.Header) {
        const THeaderState& h = *r.Header;
        const double fileDate = doc.Info.FileDate;
        doc.Info = h.Info;
        doc.Info.Owner = &doc;
        doc.Info.FileDate = fileDate;
        c.Name = h.CurveName;
        stateChanged = doc.FViewFlags[3] != h.State || doc.FViewFlags[2] != h.PrevState;
        doc.FViewFlags[2] = h.PrevState;
        doc.FViewFlags[3] = h.State;
        scaleEditing = h.ScaleEditing;
        curveEditing = h.CurveEditing;
    }
    if (r.Scale) {
        const TScaleState& st = *r.Scale;
        // Rebuilt without the acceptance rules and fits of a definition.
        s.SetEditing(false);
        s.Clear();
        s.Predefined().Clear();
        s.CoordMode = st.CoordMode;
        s.Valid = st.Valid;
        s.Concluded = st.Concluded;
        double* coef[8] = {&s.TimeA, &s.TimeB, &s.TimeC, &s.TimeR2, &s.PrecA, &s.PrecB, &s.PrecC, &s.PrecR2};
        for (int i = 0; i < 8; ++i)
            *coef[i] = st.Coef[i];
        s.Name = st.Name;
        s.Predefined().Name = st.PredefinedName;
        FillList(s, st.Points);
        FillList(s.Predefined(), st.Predefined);
    }
    s.SetEditing(scaleEditing);
    if (r.Curve && r.CurvePoints) {
        std::vector<TDigPoint*> points;
        points.reserve(r.CurvePoints->size());
        for (const TPointRec& rec : *r.CurvePoints) {
            auto* p = new TDigPoint;
            p->X = rec.X;
            p->Y = rec.Y;
            p->SetValue(rec.Time, rec.Prec);
            p->Accumulated = rec.Accumulated;
            p->SetMark(rec.Mark);
            p->Seq = rec.Seq;
            points.push_back(p);
        }
        c.Splice(r.CurveStart, r.CurveCount, points);
    }
    c.SetEditing(curveEditing);
    if (doc.Info.Kind == 0 && r.Curve)
        c.Accumulate();
    else if (r.Stats) {
        c.Peaks = r.Stats->Peaks;
        c.Failures = r.Stats->Failures;
        c.Sum = r.Stats->Sum;
    }
    if (r.View) {
        c.SetVisible(r.View->CurveVisible);
        s.SetVisible(r.View->ScaleVisible);
        c.SelectIndex(r.View->CurveSelected);
        s.SelectIndex(r.View->ScaleSelected);
    }
    if (r.Header || r.Scale) {
        // The start hour and the axis place every marker.
        s.RefreshHints();
        s.Reposition();
        c.Reposition();
    }
    if (!r.Quiet)
        Announce(doc, stateChanged);
    return stateChanged;
}

void TChartSnapshot::Announce(TRChart& doc, bool stateChanged)
{
    doc.Fire(doc.OnChange);
    if (stateChanged)
        doc.Fire(doc.OnStateChange);
    doc.Fire(doc.OnInfoChange);
}

} // namespace rs
