#pragma once
// Digitized points and the owned point list shared by the curve and the scale.
// A point is also a small marker on the chart's drawing surface: the domain
// keeps its box, glyph index, hint and selection, and tells the surface when
// something must be repainted; the surface draws and hit-tests the markers.

#include "common/ByteStream.h"
#include "common/Geometry.h"
#include "document/ExList.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace rs {

class TRChart;
class TPointList;

// The drawing surface the markers live on.
class TDrawSurface
{
public:
    virtual ~TDrawSurface() = default;
    virtual void InvalidateRect(const TRect& r) = 0;
    // Markers of a list were moved, shown, hidden, added, removed or reselected.
    virtual void MarkersChanged(TPointList* list) = 0;
};

struct TPointValue
{
    double Time = 0; // hours from midnight of the chart's date
    double Prec = 0; // mm
};

class TDigPoint
{
public:
    static constexpr int kDefaultSize = 7;

    TDigPoint() = default;
    ~TDigPoint(); // deselects itself and leaves its list
    TDigPoint(const TDigPoint&) = delete;
    TDigPoint& operator=(const TDigPoint&) = delete;

    std::int32_t X = 0, Y = 0;  // tablet position (control points)
    double Accumulated = 0;      // mm, computed by the accumulation
    std::uint32_t Seq = 0;       // order of insertion while editing; 0 when not inserted so

    const TPointValue& Value() const { return FValue; }
    double Time() const { return FValue.Time; }
    double Prec() const { return FValue.Prec; }
    void SetValue(const TPointValue& v);
    void SetValue(double time, double prec) { SetValue(TPointValue{time, prec}); }

    int Mark() const { return FMark; }
    void SetMark(int mark);
    int Index() const { return FIndex; }
    int ImageIndex() const { return FImageIndex; }
    void SetImageIndex(int index);
    TPointList* List() const { return FList; }

    // Marker box on the surface.
    const TRect& Bounds() const { return FBounds; }
    TPoint Centre() const { return {FBounds.left + FBounds.Width() / 2, FBounds.top + FBounds.Height() / 2}; }
    void SetCentre(TPoint c);

    const std::string& Hint() const { return FHint; }
    void SetHint(const std::string& hint) { FHint = hint; }
    bool ShowHint() const { return FShowHint; }
    void SetShowHint(bool v) { FShowHint = v; }
    // Markers of a concluded scale no longer react to clicks.
    bool Clickable() const { return FClickable; }
    void SetClickable(bool v) { FClickable = v; }

    void SetSelected(bool selected);
    bool IsSelected() const;
    TDigPoint* Next() const;

private:
    friend class TPointList;
    TPointValue FValue;
    int FMark = -1;
    int FIndex = -1;
    int FImageIndex = -1;
    TPointList* FList = nullptr;
    TRect FBounds{0, 0, kDefaultSize, kDefaultSize};
    std::string FHint;
    bool FShowHint = false;
    bool FClickable = true;
};

enum class TListAction { Inserted = 1, Removing = 2, Removed = 3 };

class TPointList
{
public:
    using TListEvent = std::function<void(TPointList*)>;
    using TPointEvent = std::function<void(TPointList*, TDigPoint*)>;
    using TBeforeInsertEvent = std::function<void(TPointList*, int& index, bool& accept, TDigPoint*)>;

    TPointList(TRChart* owner, TDrawSurface* parent);
    virtual ~TPointList();
    TPointList(const TPointList&) = delete;
    TPointList& operator=(const TPointList&) = delete;

    std::string Name;
    TRChart* Owner() const { return FOwner; }
    TDrawSurface* Parent() const { return FParent; }
    void SetParent(TDrawSurface* parent) { FParent = parent; }

    int Count() const { return FItems.Count(); }
    TDigPoint* Items(int i) const { return FItems.Items(i); }
    TDigPoint* Last() const { return FItems.Items(Count() - 1); }
    bool IsEmpty() const { return Count() == 0; }
    const TExList<TDigPoint>& ItemList() const { return FItems; }

    bool Editing() const { return FEditing; }
    void SetEditing(bool v) { FEditing = v; }
    bool Modified() const { return FModified; }
    void SetModified(bool v) { FModified = v; }
    bool Visible() const { return FVisible; }
    void SetVisible(bool v);

    // Returns the index, or -1 when an OnBeforeInsert refused the point (it is then not taken).
    int Insert(int index, TDigPoint* point);
    TDigPoint* AddNew();
    int Append(TDigPoint* point) { return Insert(Count(), point); }
    void Remove(int index);
    virtual void Clear();
    // Replaces count points from index with points (taken over), without the
    // insertion rules or notifications: the document's restore, which tells
    // its listeners once at the end. Removed points are freed.
    void Splice(int index, int count, const std::vector<TDigPoint*>& points);
    void Assign(const TPointList& other);
    TDigPoint* FindByValue(double time, double prec) const;

    TDigPoint* Selected() const { return FSelected; }
    void Select(TDigPoint* point);
    void SelectIndex(int i) { Select(Items(i)); }
    int SelectedIndex() const { return FSelected ? FSelected->Index() : -1; }
    // The eight selection handles (3 × 3) around the selected point; empty when none or hidden.
    std::vector<TRect> HandleRects() const;
    // A click on a marker: selects it while editing.
    void PointClicked(TDigPoint* point);

    void Reposition();

    // Glyph sizes: a point whose ImageIndex is below the count takes that size.
    int AddGlyph(int width, int height);
    int GlyphCount() const { return int(FGlyphs.size()); }

    // Noted while writing (file offset of the first record, count, record size).
    std::uint32_t WrittenOffset = 0, WrittenCount = 0, WrittenRecordSize = 0;

    // While editing, a point was selected (the tool windows follow it to its row).
    TListEvent OnSelect;
    // The selection changed in any way, a point chosen or none left: the owner's
    // commands on the selected point follow at once.
    TListEvent OnSelectionChange;
    TBeforeInsertEvent OnBeforeInsert;
    TPointEvent OnAdded;
    TPointEvent OnRemoved;

    virtual void Notify(int index, TDigPoint* point, TListAction action);
    virtual void UpdateGlyph(TDigPoint* point);
    virtual TPoint PointToPixel(const TDigPoint* point) const;
    virtual void SaveToStream(TByteWriter& w);
    virtual void LoadFromStream(TByteReader& r);

    static constexpr std::uint32_t kRecordSize = 36;

protected:
    TExList<TDigPoint> FItems;
    void Changed(); // tells the surface the markers changed
    // True when the list's Notify repaints what an insertion changes besides
    // the new marker, which alone is then repainted instead of the surface.
    virtual bool RepaintsInsertions() const { return false; }

private:
    friend class TDigPoint;
    void Renumber(int from);
    void Detach(TDigPoint* point); // a point being freed leaves the list
    TRChart* FOwner;
    TDrawSurface* FParent;
    bool FEditing = false;
    bool FModified = false;
    bool FVisible = true;
    bool FQuiet = false; // Changed() holds back while an insertion sets up its point
    TDigPoint* FSelected = nullptr;
    std::vector<std::pair<int, int>> FGlyphs;
};

void WritePointRecord(TByteWriter& w, const TDigPoint& p);
void ReadPointRecord(TByteReader& r, TDigPoint& p);

} // namespace rs
