#include "document/uEditHistory.h"

#include <algorithm>

namespace rs {

const char* const TEditHistory::kOutsideText = "Alteração";

namespace {

template <class T> void ShareIfEqual(std::shared_ptr<const T>& mine, const std::shared_ptr<const T>& known)
{
    if (mine != known && *mine == *known)
        mine = known;
}

void Splice(std::vector<TPointRec>& v, int start, std::size_t count, const std::vector<TPointRec>& with)
{
    auto at = v.begin() + start;
    at = v.erase(at, at + std::ptrdiff_t(count));
    v.insert(at, with.begin(), with.end());
}

} // namespace

TEditHistory::TEditHistory(TRChart& doc) : FDoc(doc) { Reset(false); }

void TEditHistory::Reset(bool saved)
{
    FSteps.clear();
    FSteps.shrink_to_fit();
    FPos = 0;
    FSaved = saved ? 0 : -1;
    FDepth = 0;
    FCurrent = TChartSnapshot::Capture(FDoc);
}

void TEditHistory::Sync()
{
    TDocState live = TChartSnapshot::Capture(FDoc);
    // A curve changed outside any step would leave the recorded stretches
    // pointing at the wrong points: it becomes a step of its own.
    if (!std::equal(live.Curve.begin(), live.Curve.end(), FCurrent.Curve.begin(), FCurrent.Curve.end(), SamePoint)) {
        Record(kOutsideText, std::move(live));
        return;
    }
    // The header and the scale are recorded whole: taking them as they are is enough.
    ShareIfEqual(live.Header, FCurrent.Header);
    ShareIfEqual(live.Scale, FCurrent.Scale);
    FCurrent.Header = live.Header;
    FCurrent.Scale = live.Scale;
    FCurrent.View = live.View;
}

void TEditHistory::Begin(const std::string& text)
{
    if (FDepth++ > 0)
        return;
    Sync();
    FText = text;
}

bool TEditHistory::End()
{
    if (FDepth == 0 || --FDepth > 0)
        return false;
    return Record(FText, TChartSnapshot::Capture(FDoc));
}

bool TEditHistory::Run(const std::string& text, const std::function<void()>& edit)
{
    Begin(text);
    try {
        edit();
    } catch (...) {
        End();
        throw;
    }
    return End();
}

bool TEditHistory::Record(const std::string& text, TDocState&& after)
{
    TStep st;
    st.Text = text;
    bool changed = false;
    ShareIfEqual(after.Header, FCurrent.Header);
    if (after.Header != FCurrent.Header) {
        st.HeaderBefore = FCurrent.Header;
        st.HeaderAfter = after.Header;
        changed = true;
    }
    ShareIfEqual(after.Scale, FCurrent.Scale);
    if (after.Scale != FCurrent.Scale) {
        st.ScaleBefore = FCurrent.Scale;
        st.ScaleAfter = after.Scale;
        changed = true;
    }
    const std::vector<TPointRec>& a = FCurrent.Curve;
    const std::vector<TPointRec>& b = after.Curve;
    std::size_t head = 0;
    // Accumulated values left out: a new mark or peak changes them all the way
    // to the end, and they are computed again on the way back.
    while (head < a.size() && head < b.size() && SamePoint(a[head], b[head]))
        ++head;
    if (head < a.size() || head < b.size()) {
        std::size_t tail = 0;
        while (tail < a.size() - head && tail < b.size() - head &&
               SamePoint(a[a.size() - 1 - tail], b[b.size() - 1 - tail]))
            ++tail;
        st.CurveChanged = true;
        st.CurveStart = std::int32_t(head);
        st.CurveBefore.assign(a.begin() + std::ptrdiff_t(head), a.end() - std::ptrdiff_t(tail));
        st.CurveAfter.assign(b.begin() + std::ptrdiff_t(head), b.end() - std::ptrdiff_t(tail));
        changed = true;
    }
    st.StatsBefore = FCurrent.Stats;
    st.StatsAfter = after.Stats;
    changed = changed || !(st.StatsBefore == st.StatsAfter);
    st.ViewBefore = FCurrent.View;
    st.ViewAfter = after.View;
    FCurrent = std::move(after);
    if (!changed)
        return false; // a new selection alone is no step
    FSteps.erase(FSteps.begin() + FPos, FSteps.end());
    if (FSaved > FPos)
        FSaved = -1; // the saved state was among the steps just dropped
    FSteps.push_back(std::move(st));
    ++FPos;
    SyncModified();
    return true;
}

void TEditHistory::Apply(const TStep& st, bool forward, bool fire)
{
    TChartSnapshot::TRestore r;
    r.Quiet = !fire;
    if (st.HeaderAfter) {
        FCurrent.Header = forward ? st.HeaderAfter : st.HeaderBefore;
        r.Header = FCurrent.Header.get();
    }
    if (st.ScaleAfter) {
        FCurrent.Scale = forward ? st.ScaleAfter : st.ScaleBefore;
        r.Scale = FCurrent.Scale.get();
    }
    if (st.CurveChanged) {
        const std::vector<TPointRec>& from = forward ? st.CurveBefore : st.CurveAfter;
        const std::vector<TPointRec>& to = forward ? st.CurveAfter : st.CurveBefore;
        r.Curve = true;
        r.CurveStart = st.CurveStart;
        r.CurveCount = int(from.size());
        r.CurvePoints = &to;
        Splice(FCurrent.Curve, st.CurveStart, from.size(), to);
    }
    FCurrent.Stats = forward ? st.StatsAfter : st.StatsBefore;
    r.Stats = &FCurrent.Stats;
    // Of the view, only what the step itself changed goes back.
    TViewState v = TChartSnapshot::CaptureView(FDoc);
    const TViewState& from = forward ? st.ViewBefore : st.ViewAfter;
    const TViewState& to = forward ? st.ViewAfter : st.ViewBefore;
    if (from.CurveSelected != to.CurveSelected)
        v.CurveSelected = to.CurveSelected;
    if (from.ScaleSelected != to.ScaleSelected)
        v.ScaleSelected = to.ScaleSelected;
    if (from.CurveVisible != to.CurveVisible)
        v.CurveVisible = to.CurveVisible;
    if (from.ScaleVisible != to.ScaleVisible)
        v.ScaleVisible = to.ScaleVisible;
    r.View = &v;
    FCurrent.View = v;
    TChartSnapshot::Apply(FDoc, r);
}

bool TEditHistory::Undo()
{
    if (!CanUndo())
        return false;
    Sync(); // what changed outside a step is the first to go
    return JumpTo(FPos - 1);
}

bool TEditHistory::Redo()
{
    if (FDepth > 0)
        return false;
    Sync();
    return CanRedo() && JumpTo(FPos + 1);
}

bool TEditHistory::JumpTo(int position)
{
    if (FDepth > 0)
        return false;
    Sync();
    position = std::clamp(position, 0, Count());
    if (position == FPos)
        return false;
    const int stateBefore = FDoc.State();
    while (FPos > position)
        Apply(FSteps[std::size_t(--FPos)], false, false);
    while (FPos < position)
        Apply(FSteps[std::size_t(FPos++)], true, false);
    SyncModified();
    TChartSnapshot::Announce(FDoc, FDoc.State() != stateBefore);
    return true;
}

void TEditHistory::MarkSaved()
{
    Sync();
    FSaved = FPos;
    SyncModified();
}

void TEditHistory::SyncModified()
{
    if (FPos == FSaved) {
        FDoc.Modified = false;
        FDoc.Scale().SetModified(false);
        FDoc.Curve().SetModified(false);
    } else
        FDoc.Modified = true;
}

std::size_t TEditHistory::MemoryBytes() const
{
    auto header = [](const std::shared_ptr<const THeaderState>& h) {
        if (!h)
            return std::size_t(0);
        const TRChartInfo& i = h->Info;
        return sizeof(THeaderState) + i.StName.capacity() + i.StCode.capacity() + i.PModel.capacity() +
               i.OpName.capacity() + i.Notes.capacity() + i.FileName.capacity() + h->CurveName.capacity();
    };
    auto scale = [](const std::shared_ptr<const TScaleState>& s) {
        if (!s)
            return std::size_t(0);
        return sizeof(TScaleState) + (s->Points.capacity() + s->Predefined.capacity()) * sizeof(TCtrlRec);
    };
    std::size_t n = FSteps.capacity() * sizeof(TStep) + FCurrent.Curve.capacity() * sizeof(TPointRec) +
                    header(FCurrent.Header) + scale(FCurrent.Scale);
    for (const TStep& st : FSteps) {
        // Each part recorded is new with its step; the part before is the previous one's.
        n += st.Text.capacity() + header(st.HeaderAfter) + scale(st.ScaleAfter);
        n += (st.CurveBefore.capacity() + st.CurveAfter.capacity()) * sizeof(TPointRec);
    }
    return n;
}

} // namespace rs
