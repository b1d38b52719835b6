#include "document/uPoints.h"

#include <algorithm>

namespace rs {

// --- TDigPoint -----------------------------------------------------------

TDigPoint::~TDigPoint()
{
    if (FList)
        FList->Detach(this);
}

void TDigPoint::SetValue(const TPointValue& v)
{
    if (v.Time != FValue.Time || v.Prec != FValue.Prec)
        FValue = v;
}

void TDigPoint::SetMark(int mark)
{
    if (mark == FMark)
        return;
    FMark = mark;
    if (FList)
        FList->UpdateGlyph(this);
}

void TDigPoint::SetImageIndex(int index)
{
    if (index == FImageIndex)
        return;
    TPoint c = Centre();
    FImageIndex = index;
    int w = kDefaultSize, h = kDefaultSize;
    if (FList && index >= 0 && index < FList->GlyphCount()) {
        w = FList->FGlyphs[std::size_t(index)].first;
        h = FList->FGlyphs[std::size_t(index)].second;
    }
    FBounds = {0, 0, w, h};
    SetCentre(c);
    if (FList)
        FList->Changed();
}

void TDigPoint::SetCentre(TPoint c)
{
    int w = FBounds.Width(), h = FBounds.Height();
    FBounds.left = c.x - w / 2;
    FBounds.top = c.y - h / 2;
    FBounds.right = FBounds.left + w;
    FBounds.bottom = FBounds.top + h;
}

void TDigPoint::SetSelected(bool selected)
{
    if (!FList)
        return;
    if (selected)
        FList->Select(this);
    else if (FList->Selected() == this)
        FList->Select(nullptr);
}

bool TDigPoint::IsSelected() const { return FList && FList->Selected() == this; }

TDigPoint* TDigPoint::Next() const { return FList ? FList->Items(FIndex + 1) : nullptr; }

// --- TPointList ----------------------------------------------------------

TPointList::TPointList(TRChart* owner, TDrawSurface* parent) : FOwner(owner), FParent(parent) {}

TPointList::~TPointList()
{
    FSelected = nullptr;
    for (int i = Count() - 1; i >= 0; --i) {
        TDigPoint* p = FItems[i];
        p->FList = nullptr;
        delete p;
    }
    FItems.Clear();
}

void TPointList::Changed()
{
    if (FParent && !FQuiet)
        FParent->MarkersChanged(this);
}

void TPointList::SetVisible(bool v)
{
    if (v == FVisible)
        return;
    FVisible = v;
    Changed();
}

void TPointList::Renumber(int from)
{
    for (int i = from; i < Count(); ++i)
        FItems[i]->FIndex = i;
}

int TPointList::Insert(int index, TDigPoint* point)
{
    if (FEditing && OnBeforeInsert) {
        bool accept = true;
        OnBeforeInsert(this, index, accept, point);
        if (!accept)
            return -1;
    }
    if (index < 0)
        index = 0;
    if (index > Count())
        index = Count();
    FItems.Insert(index, point);
    point->FList = this;
    // A click while digitizing repaints a few pixels, not the whole chart.
    const bool local = FParent && RepaintsInsertions();
    FQuiet = local;
    point->SetImageIndex(0);
    FQuiet = false;
    Renumber(index);
    if (FEditing)
        FModified = true;
    Notify(index, point, TListAction::Inserted);
    if (local) {
        const TRect& b = point->Bounds();
        FParent->InvalidateRect({b.left - 4, b.top - 4, b.right + 4, b.bottom + 4}); // with its handles
    } else
        Changed();
    return index;
}

TDigPoint* TPointList::AddNew()
{
    auto* p = new TDigPoint;
    if (Append(p) < 0) {
        // Refused: the caller still gets the point and owns it.
        return p;
    }
    return p;
}

void TPointList::Remove(int index)
{
    TDigPoint* point = Items(index);
    if (!point)
        return;
    if (FSelected == point)
        Select(nullptr);
    Notify(index, point, TListAction::Removing);
    point->FList = nullptr;
    FItems.Delete(index);
    Renumber(index);
    Notify(index, point, TListAction::Removed);
    if (FEditing)
        FModified = true;
    Changed();
}

void TPointList::Detach(TDigPoint* point)
{
    int i = FItems.Remove(point) ; // identity search from the end
    if (i < 0)
        return;
    // Put it back so Remove runs the full removal with its notifications.
    FItems.Insert(i, point);
    Remove(i);
}

void TPointList::Clear()
{
    Select(nullptr);
    for (int i = Count() - 1; i >= 0; --i) {
        TDigPoint* p = FItems[i];
        p->FList = nullptr;
        delete p;
    }
    FItems.Clear();
    Changed();
}

void TPointList::Splice(int index, int count, const std::vector<TDigPoint*>& points)
{
    index = std::clamp(index, 0, Count());
    count = std::clamp(count, 0, Count() - index);
    std::vector<TDigPoint*> gone(FItems.begin() + index, FItems.begin() + index + count);
    FItems.Replace(index, count, points);
    for (TDigPoint* p : gone) {
        if (FSelected == p)
            FSelected = nullptr;
        p->FList = nullptr;
        delete p;
    }
    FQuiet = true;
    for (TDigPoint* p : points) {
        p->FList = this;
        p->FImageIndex = -1;
        p->SetImageIndex(0);
        UpdateGlyph(p);
        p->SetCentre(PointToPixel(p));
    }
    FQuiet = false;
    Renumber(index);
    Changed();
}

void TPointList::Assign(const TPointList& other)
{
    Name = other.Name;
    Clear();
    for (int i = 0; i < other.Count(); ++i) {
        const TDigPoint* src = other.Items(i);
        auto* p = new TDigPoint;
        p->X = src->X;
        p->Y = src->Y;
        p->SetValue(src->Value());
        if (Append(p) < 0)
            delete p;
    }
}

TDigPoint* TPointList::FindByValue(double time, double prec) const
{
    for (TDigPoint* p : FItems)
        if (p->Time() == time && p->Prec() == prec)
            return p;
    return nullptr;
}

void TPointList::Select(TDigPoint* point)
{
    if (point == FSelected)
        return;
    FSelected = point;
    Changed();
    if (FEditing && point && OnSelect)
        OnSelect(this);
    if (OnSelectionChange)
        OnSelectionChange(this);
}

std::vector<TRect> TPointList::HandleRects() const
{
    std::vector<TRect> r;
    if (!FSelected || !FVisible)
        return r;
    const TRect& b = FSelected->Bounds();
    // Centred 3 pixels outside the box's corners and the middles of its sides.
    const int xs[3] = {b.left - 3, (b.left + b.right) / 2, b.right - 1 + 3};
    const int ys[3] = {b.top - 3, (b.top + b.bottom) / 2, b.bottom - 1 + 3};
    for (int iy = 0; iy < 3; ++iy)
        for (int ix = 0; ix < 3; ++ix) {
            if (ix == 1 && iy == 1)
                continue;
            r.push_back({xs[ix] - 1, ys[iy] - 1, xs[ix] + 2, ys[iy] + 2});
        }
    return r;
}

void TPointList::PointClicked(TDigPoint* point)
{
    if (FEditing && point && point->List() == this && point->Clickable())
        Select(point);
}

void TPointList::Reposition()
{
    for (TDigPoint* p : FItems)
        p->SetCentre(PointToPixel(p));
    Changed();
}

int TPointList::AddGlyph(int width, int height)
{
    FGlyphs.emplace_back(width, height);
    return int(FGlyphs.size()) - 1;
}

void TPointList::Notify(int, TDigPoint* point, TListAction action)
{
    if (!FEditing || action == TListAction::Removing)
        return;
    FModified = true;
    if (action == TListAction::Inserted) {
        if (OnAdded)
            OnAdded(this, point);
    } else if (OnRemoved)
        OnRemoved(this, point);
}

void TPointList::UpdateGlyph(TDigPoint*) {}

TPoint TPointList::PointToPixel(const TDigPoint*) const { return {-1, -1}; }

void WritePointRecord(TByteWriter& w, const TDigPoint& p)
{
    w.WriteI32(p.X);
    w.WriteI32(p.Y);
    w.WriteF64(p.Time());
    w.WriteF64(p.Prec());
    w.WriteF64(p.Accumulated);
    w.WriteI32(p.Mark());
}

void ReadPointRecord(TByteReader& r, TDigPoint& p)
{
    r.ReadValue(p.X);
    r.ReadValue(p.Y);
    TPointValue v = p.Value();
    r.ReadValue(v.Time);
    r.ReadValue(v.Prec);
    p.SetValue(v);
    r.ReadValue(p.Accumulated);
    std::int32_t mark = p.Mark();
    r.ReadValue(mark);
    p.SetMark(mark);
}

void TPointList::SaveToStream(TByteWriter& w)
{
    w.WriteString(Name);
    w.WriteU8(FEditing ? 1 : 0);
    w.WriteU8(FVisible ? 1 : 0);
    w.WriteI32(SelectedIndex());
    w.WriteI32(Count());
    WrittenOffset = std::uint32_t(w.Position());
    WrittenCount = std::uint32_t(Count());
    WrittenRecordSize = kRecordSize;
    for (const TDigPoint* p : FItems)
        WritePointRecord(w, *p);
}

void TPointList::LoadFromStream(TByteReader& r)
{
    Clear();
    FEditing = false;
    Name = r.ReadString();
    std::uint8_t editing = 0, visible = FVisible ? 1 : 0;
    std::int32_t selected = -1, count = 0;
    r.ReadValue(editing);
    r.ReadValue(visible);
    r.ReadValue(selected);
    r.ReadValue(count);
    if (count < 0 || std::uint64_t(count) * kRecordSize > r.Remaining())
        throw EReadError("Erro de leitura: número de pontos inválido.");
    SetVisible(visible != 0);
    FItems.Reserve(count);
    for (int i = 0; i < count; ++i) {
        auto* p = new TDigPoint;
        Append(p);
        ReadPointRecord(r, *p);
    }
    SelectIndex(selected);
    FEditing = editing != 0;
    Reposition();
}

} // namespace rs
