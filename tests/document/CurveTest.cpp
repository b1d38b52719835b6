#include "document/uCurve.h"
#include "document/uRChart.h"

#include "support/RecordingCanvas.h"
#include "support/TestCharts.h"

#include <gtest/gtest.h>

using namespace rs;

namespace {

struct Item
{
    int key;
};
int CompareItems(const Item* a, const Item* b) { return a->key < b->key ? -1 : a->key > b->key ? 1 : 0; }

// A curve being digitized, with points given directly by value.
struct CurveFixture : ::testing::Test
{
    TRChart chart;
    TCurve& curve = chart.Curve();
    void SetUp() override { curve.SetEditing(true); }
    void Add(double t, double p, bool chrono = true) { curve.AddPoint(t, p, chrono); }
    std::vector<double> Times() const
    {
        std::vector<double> v;
        for (int i = 0; i < curve.Count(); ++i)
            v.push_back(curve.Items(i)->Time());
        return v;
    }
};

} // namespace

TEST(ExList, LeftmostBinarySearchAndSorting)
{
    Item a{1}, b{3}, c{3}, d{5}, probe{3};
    TExList<Item> l;
    l.Add(&d);
    l.Add(&b);
    l.Add(&a);
    EXPECT_THROW(l.SetSorted(true), std::logic_error);
    try {
        l.SetSorted(true);
    } catch (const std::logic_error& e) {
        EXPECT_STREQ(e.what(), "Undefined Compare Method.");
    }
    l.SetCompare(&CompareItems);
    l.SetSorted(true);
    EXPECT_EQ(l[0], &a);
    EXPECT_EQ(l.Add(&c), 1); // before the equal one: leftmost insertion position
    int index = -1;
    EXPECT_TRUE(l.Find(&probe, index));
    EXPECT_EQ(index, 1);
    EXPECT_EQ(l.IndexOf(&b), 2); // equal keys: the item itself is found
    EXPECT_EQ(l.IndexOf(nullptr), -1);
    EXPECT_EQ(l.Remove(&a), 0);
    EXPECT_EQ(l.Remove(&a), -1);
}

TEST_F(CurveFixture, ChronologicalOrderRefusesEarlierOrEqualTimes)
{
    Add(9.0, 1);
    Add(10.0, 2);
    Add(10.0, 3);
    Add(9.5, 3);
    EXPECT_EQ(Times(), (std::vector<double>{9.0, 10.0}));
    Add(10.01, 3);
    EXPECT_EQ(curve.Count(), 3);
}

TEST_F(CurveFixture, FreeOrderInsertsBetweenButNeverAtSameTime)
{
    Add(9.0, 1);
    Add(10.0, 2);
    Add(9.5, 1.5, false);
    Add(10.0, 7, false);
    EXPECT_EQ(Times(), (std::vector<double>{9.0, 9.5, 10.0}));
    // Undo removes the point inserted last, not the last by time.
    curve.UndoLast();
    EXPECT_EQ(Times(), (std::vector<double>{9.0, 10.0}));
    curve.UndoLast();
    curve.UndoLast();
    EXPECT_TRUE(curve.IsEmpty());
    curve.UndoLast(); // nothing left: no effect
}

TEST_F(CurveFixture, UndoWithoutHistoryTakesTheLastPoint)
{
    curve.SetEditing(false);
    Add(7, 0);
    Add(8, 1);
    curve.SetEditing(true);
    EXPECT_TRUE(curve.History().Count() == 0);
    curve.UndoLast();
    EXPECT_EQ(Times(), (std::vector<double>{7}));
}

TEST(CurveHistory, ClearingTheCurveEmptiesItsHistory)
{
    TRChart c;
    test::MakeDigitizedChart(c); // digitized, then finished: the history stays for the next session
    ASSERT_EQ(c.Curve().History().Count(), 4);
    c.SetKind(1);
    EXPECT_EQ(c.Curve().History().Count(), 0);
    c.SetKind(0);
    EXPECT_TRUE(c.Curve().IsEmpty());
    // Undo once freed points would have been freed again here.
    ASSERT_TRUE(c.BeginDigitizing());
    c.Curve().UndoLast();
    test::DigitizeValue(c, 8, 1);
    c.EndDigitizing();
    // A point leaving while not editing leaves the history as well.
    c.Curve().DeletePoint(c.Curve().Last());
    EXPECT_EQ(c.Curve().History().Count(), 0);
}

TEST_F(CurveFixture, FailureMarkKeepsTwoPointsAway)
{
    for (int i = 0; i < 8; ++i)
        Add(7 + i, 1);
    EXPECT_FALSE(curve.CanMarkFailure(curve.Items(1)));
    EXPECT_TRUE(curve.CanMarkFailure(curve.Items(2)));
    curve.Items(2)->SetMark(2);
    EXPECT_FALSE(curve.CanMarkFailure(curve.Items(4)));
    EXPECT_TRUE(curve.CanMarkFailure(curve.Items(5)));
    EXPECT_FALSE(curve.CanMarkFailure(curve.Items(0)));
    EXPECT_FALSE(curve.CanMarkFailure(nullptr));
}

TEST_F(CurveFixture, AccumulationCarriesOverflows)
{
    Add(7.0, 0);
    Add(9.0, 9.8);
    Add(9.001, 0);
    Add(12.0, 3.2);
    EXPECT_DOUBLE_EQ(curve.Items(3)->Accumulated, 13.0);
    EXPECT_DOUBLE_EQ(curve.Items(2)->Accumulated, 9.8);
    EXPECT_EQ(curve.Items(1)->Mark(), 1);
    EXPECT_EQ(curve.Items(1)->ImageIndex(), 1);
    EXPECT_EQ(curve.Peaks, 1);
    EXPECT_DOUBLE_EQ(curve.Sum, 13.0);
    EXPECT_EQ(PeaksText(curve.Peaks), "1 pico");
}

TEST_F(CurveFixture, OverflowThresholdIsStrict)
{
    Add(7, 5.0);
    Add(8, 0.0); // a drop of exactly 5.0 mm
    EXPECT_EQ(curve.Peaks, 0);
    Add(9, 5.01);
    Add(10, 0.0);
    EXPECT_EQ(curve.Peaks, 1);
    EXPECT_NEAR(curve.Sum, 5.01, 1e-12);
}

TEST_F(CurveFixture, OverflowMarksConsecutiveAndLast)
{
    curve.SetEditing(false);
    for (double t : {7.0, 8.0, 9.0, 10.0, 11.0, 12.0})
        Add(t, 2);
    curve.Items(1)->SetMark(1); // of two consecutive marks only the later stays
    curve.Items(2)->SetMark(1); // counts even though the next reading is not lower
    curve.Items(5)->SetMark(1); // a mark on the last point is cleared
    curve.Recalc();
    EXPECT_EQ(curve.Items(1)->Mark(), 0);
    EXPECT_EQ(curve.Items(2)->Mark(), 1);
    EXPECT_EQ(curve.Items(5)->Mark(), 0);
    EXPECT_EQ(curve.Peaks, 1);
    EXPECT_DOUBLE_EQ(curve.Items(5)->Accumulated, 4);
    EXPECT_DOUBLE_EQ(curve.Sum, 4);
}

TEST_F(CurveFixture, FailureRestartsTheSum)
{
    curve.SetEditing(false);
    const double p[] = {0, 1, 2, 3, 4};
    for (int i = 0; i < 5; ++i)
        Add(7 + i, p[i]);
    curve.Items(2)->SetMark(2);
    curve.Recalc();
    EXPECT_EQ(curve.Failures, 1);
    EXPECT_DOUBLE_EQ(curve.Items(3)->Accumulated, 3);
    EXPECT_DOUBLE_EQ(curve.Sum, 2 + 4);
    EXPECT_EQ(SumText(curve.Sum, curve.Failures), " P = \xC2\xB1" "6.0 mm");
}

TEST(Accumulation, DryAndAbsentCharts)
{
    TRChart dry, absent;
    dry.SetKind(1);
    absent.Info.Hour = 8;
    absent.SetKind(2);
    EXPECT_EQ(dry.Curve().Count(), 2);
    EXPECT_EQ(dry.Curve().Failures, 0);
    EXPECT_DOUBLE_EQ(dry.Curve().Sum, 0);
    EXPECT_EQ(absent.Curve().Failures, 1);
    EXPECT_EQ(absent.Curve().Items(0)->Mark(), 2);
    EXPECT_DOUBLE_EQ(absent.Curve().Items(0)->Time(), 8.0);
    EXPECT_DOUBLE_EQ(absent.Curve().Items(1)->Time(), 32.0);
    EXPECT_EQ(absent.Curve().Items(1)->Mark(), 0);
}

TEST(PointList, SelectionEventsAndAssign)
{
    TRChart chart;
    TPointList list(&chart, nullptr);
    int selects = 0, added = 0, removed = 0;
    list.OnSelect = [&](TPointList*) { ++selects; };
    list.OnAdded = [&](TPointList*, TDigPoint*) { ++added; };
    list.OnRemoved = [&](TPointList*, TDigPoint*) { ++removed; };
    list.AddNew(); // not editing: no events, not modified
    EXPECT_FALSE(list.Modified());
    list.SetEditing(true);
    TDigPoint* p = list.AddNew();
    p->SetValue(7.5, 2);
    EXPECT_EQ(added, 1);
    EXPECT_TRUE(list.Modified());
    list.SelectIndex(1);
    EXPECT_EQ(selects, 1);
    EXPECT_EQ(list.HandleRects().size(), 8u);
    list.SelectIndex(-1);
    EXPECT_EQ(list.Selected(), nullptr);
    EXPECT_TRUE(list.HandleRects().empty());
    EXPECT_EQ(list.FindByValue(7.5, 2), p);
    list.OnBeforeInsert = [](TPointList*, int&, bool& accept, TDigPoint*) { accept = false; };
    TDigPoint* refused = list.AddNew();
    EXPECT_EQ(refused->List(), nullptr);
    delete refused;
    list.OnBeforeInsert = nullptr;
    delete p; // freeing a point removes it with its notifications
    EXPECT_EQ(removed, 1);
    EXPECT_EQ(list.Count(), 1);
    EXPECT_EQ(list.Items(5), nullptr);

    TPointList copy(&chart, nullptr);
    list.Items(0)->X = 12;
    list.Items(0)->SetMark(1);
    list.Name = "set";
    copy.Assign(list);
    EXPECT_EQ(copy.Name, "set");
    EXPECT_EQ(copy.Items(0)->X, 12);
    EXPECT_EQ(copy.Items(0)->Mark(), -1); // marks are not copied
}

TEST(CurveDraw, FailureStretchesShowAsGaps)
{
    TRChart chart;
    TCurve& c = chart.Curve();
    for (int i = 0; i < 6; ++i)
        c.AddPoint(7 + i, 1, true);
    c.Items(3)->SetMark(2);
    test::RecordingCanvas canvas;
    c.Draw(canvas);
    ASSERT_EQ(canvas.polylines.size(), 1u);
    EXPECT_EQ(canvas.polylines[0].points.size(), 6u);
    ASSERT_EQ(canvas.lines.size(), 1u);
    EXPECT_EQ(canvas.lines[0].color, RGB(255, 255, 255));
    EXPECT_EQ(canvas.lines[0].x1, c.Items(3)->Centre().x);
    EXPECT_EQ(canvas.lines[0].x2, c.Items(4)->Centre().x);
}

namespace {

struct RepaintSurface : TDrawSurface
{
    std::vector<TRect> areas;
    int whole = 0;
    void InvalidateRect(const TRect& r) override { areas.push_back(r); }
    void MarkersChanged(TPointList*) override { ++whole; }
    bool Covers(TPoint p) const
    {
        for (const TRect& r : areas)
            if (r.Contains(p))
                return true;
        return false;
    }
};

} // namespace

TEST(CurveDraw, APointDigitizedRepaintsItsStretchOnly)
{
    RepaintSurface surface;
    TRChart chart(&surface);
    test::PrepareScale(chart);
    chart.ConcludeScale();
    chart.BeginDigitizing();
    TCurve& c = chart.Curve();
    for (int i = 0; i < 5; ++i)
        test::DigitizeValue(chart, 7 + i, 1);
    surface.areas.clear();
    surface.whole = 0;
    test::DigitizeValue(chart, 13, 4);
    ASSERT_EQ(c.Count(), 6);
    EXPECT_EQ(surface.whole, 0);
    const TRect& b = c.Last()->Bounds();
    EXPECT_TRUE(surface.Covers({b.left - 3, b.top - 3}) && surface.Covers({b.right + 2, b.bottom + 2}));
    const TPoint from = c.Items(4)->Centre(), to = c.Last()->Centre();
    EXPECT_TRUE(surface.Covers(from) && surface.Covers({(from.x + to.x) / 2, (from.y + to.y) / 2}));
    EXPECT_FALSE(surface.Covers(c.Items(1)->Centre()));

    // Points put in without digitizing (a file being read) repaint the whole surface.
    c.SetEditing(false);
    surface.whole = 0;
    c.AddPoint(14, 4, true);
    EXPECT_GT(surface.whole, 0);
}

TEST(CurveDraw, OnlyTheStretchesCrossingThePaintedArea)
{
    TRChart chart;
    test::PrepareScale(chart);
    chart.ConcludeScale();
    TCurve& c = chart.Curve();
    for (int i = 0; i < 12; ++i)
        c.AddPoint(7 + i, 1 + (i % 3), true);
    c.Reposition();
    c.Items(1)->SetMark(2); // its gap lies outside the painted area
    c.Items(5)->SetMark(2);
    test::RecordingCanvas canvas;
    // Between the middles of points 5 and 6 and of points 8 and 9.
    const TPoint p5 = c.Items(5)->Centre(), p6 = c.Items(6)->Centre();
    const TPoint p8 = c.Items(8)->Centre(), p9 = c.Items(9)->Centre();
    ASSERT_LT(p5.x + 4, p6.x);
    canvas.clip = {(p5.x + p6.x) / 2, -1000, (p8.x + p9.x) / 2, 1000};
    c.Draw(canvas);
    ASSERT_EQ(canvas.polylines.size(), 1u);
    const std::vector<TPoint> expected{p5, p6, c.Items(7)->Centre(), p8, p9};
    EXPECT_EQ(canvas.polylines[0].points, expected);
    ASSERT_EQ(canvas.lines.size(), 1u);
    EXPECT_EQ(canvas.lines[0].x1, p5.x);

    // A narrow area inside one stretch: that stretch alone.
    canvas.polylines.clear();
    canvas.lines.clear();
    const TPoint p2 = c.Items(2)->Centre(), p3 = c.Items(3)->Centre();
    canvas.clip = {p2.x + 3, -1000, p3.x - 3, 1000}; // beyond the pen's reach of both ends
    c.Draw(canvas);
    ASSERT_EQ(canvas.polylines.size(), 1u);
    EXPECT_EQ(canvas.polylines[0].points, (std::vector<TPoint>{p2, p3}));
    EXPECT_TRUE(canvas.lines.empty());
    canvas.clip = {-100000, -100000, 100000, 100000};
    canvas.polylines.clear();
    c.Draw(canvas);
    ASSERT_EQ(canvas.polylines.size(), 1u);
    EXPECT_EQ(canvas.polylines[0].points.size(), 12u);
}
