#include "document/uEditHistory.h"

#include "support/TestCharts.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>

using namespace rs;
using namespace rs::test;

namespace {

// A chart being digitized: a concluded scale and six points, one of them an overflow.
void MakeDigitizing(TRChart& c)
{
    c.SetInfo(SampleInfo(false));
    PrepareScale(c);
    c.ConcludeScale();
    c.BeginDigitizing();
    for (double t : {7.5, 8.0, 9.0, 10.5})
        DigitizeValue(c, t, (t - 7) * 2.5);
    c.AddSpill();
    DigitizeValue(c, 12.0, 1.0);
    c.Info.FileName = "/data/12345678/12345678-19760508.pvd";
    c.LastFile = c.Info.FileName;
}

// A chart whose scale is being defined, five control points marked.
void MakeDefining(TRChart& c)
{
    c.SetInfo(SampleInfo(true));
    c.Scale().SetGridRect({20, 311, 620, 111});
    c.Scale().SetZoom(1.0);
    c.Scale().SetCoordMode(1);
    c.BeginScale();
    const int h = c.Info.Hour;
    for (auto [t, p] : {std::pair{h + 1.0, 0.0}, {h + 6.0, 8.0}, {h + 12.0, 2.0}, {h + 18.0, 10.0}, {h + 23.0, 5.0}})
        AddControlPoint(c, t, p);
}

void RemoveCtrl(TRChart& c, int i) { delete c.Scale().Items(i); }

struct StepCase
{
    const char* name;
    bool defining;
    std::function<void(TRChart&)> edit;
};

const StepCase kCases[] = {
    {"insert at the end", false, [](TRChart& c) { DigitizeValue(c, 13.0, 2.0); }},
    {"insert between (Ctrl)", false, [](TRChart& c) { DigitizeValue(c, 8.5, 3.0, false, true); }},
    {"delete the selected point", false,
     [](TRChart& c) {
         c.Curve().SelectIndex(2);
         c.Curve().DeletePoint(c.Curve().Selected());
     }},
    {"move a point", false, [](TRChart& c) { c.Curve().MovePoint(c.Curve().Items(2), 8.7, 6.0); }},
    {"overflow", false,
     [](TRChart& c) {
         DigitizeValue(c, 14.0, 9.6);
         c.AddSpill();
     }},
    {"failure", false,
     [](TRChart& c) {
         c.Curve().Last()->SetMark(2);
         c.Curve().Recalc();
     }},
    {"undo last point", false, [](TRChart& c) { c.Curve().UndoLast(); }},
    {"properties: notes, offset, station", false,
     [](TRChart& c) {
         TRChartInfo i = c.Info;
         i.Notes = "nova";
         i.Dh = 0.3;
         i.StCode = "87654321";
         i.FileName = TRChart::MakeFileName(i);
         c.SetInfo(i);
     }},
    {"properties: dry day", false,
     [](TRChart& c) {
         TRChartInfo i = c.Info;
         i.Kind = 1;
         c.SetInfo(i);
     }},
    {"properties: start hour", false,
     [](TRChart& c) {
         TRChartInfo i = c.Info;
         i.Hour = 8;
         c.SetInfo(i);
     }},
    {"control point added", true, [](TRChart& c) { AddControlPoint(c, c.Info.Hour + 3.0, 6.0); }},
    {"control point removed", true, [](TRChart& c) { RemoveCtrl(c, 1); }},
    {"scale concluded", true, [](TRChart& c) { c.ConcludeScale(); }},
    {"scale cancelled", true, [](TRChart& c) { c.CancelScale(); }},
};

} // namespace

TEST(EditHistory, EveryKindOfStepUndoesAndRedoesToTheSameBytes)
{
    for (const StepCase& k : kCases) {
        SCOPED_TRACE(k.name);
        TRChart c;
        k.defining ? MakeDefining(c) : MakeDigitizing(c);
        TEditHistory h(c);
        h.Reset(true);
        c.Modified = false;
        const std::string before = c.SaveToBuffer();
        ASSERT_TRUE(h.Run("passo", [&] { k.edit(c); }));
        const std::string after = c.SaveToBuffer();
        ASSERT_NE(before, after);
        EXPECT_TRUE(c.IsModified());
        EXPECT_EQ(h.UndoText(), "passo");
        for (int round = 0; round < 2; ++round) {
            ASSERT_TRUE(h.Undo());
            EXPECT_EQ(c.SaveToBuffer(), before);
            EXPECT_FALSE(c.IsModified());
            ASSERT_TRUE(h.Redo());
            EXPECT_EQ(c.SaveToBuffer(), after);
            EXPECT_TRUE(c.IsModified());
        }
        EXPECT_EQ(c.LastFile, k.defining ? "" : "/data/12345678/12345678-19760508.pvd");
    }
}

TEST(EditHistory, ModifiedFollowsTheSavedStep)
{
    TRChart c;
    MakeDigitizing(c);
    TEditHistory h(c);
    h.Reset(false); // a new chart: modified at every step
    EXPECT_TRUE(h.Run("a", [&] { DigitizeValue(c, 13, 1); }));
    EXPECT_FALSE(h.Run("nothing", [] {}));
    EXPECT_EQ(h.Count(), 1);
    h.Undo();
    EXPECT_TRUE(c.IsModified());
    h.Redo();
    h.MarkSaved();
    c.Modified = false;
    h.Run("b", [&] { DigitizeValue(c, 14, 1); });
    EXPECT_TRUE(c.IsModified());
    h.Undo();
    EXPECT_FALSE(c.IsModified());
    h.Undo();
    EXPECT_TRUE(c.IsModified());
    // A new step after undoing past the save: the saved state cannot come back.
    h.Run("c", [&] { DigitizeValue(c, 15, 1); });
    EXPECT_EQ(h.SavedPosition(), -1);
    EXPECT_EQ(h.Count(), 1);
    h.Undo();
    EXPECT_TRUE(c.IsModified());
}

TEST(EditHistory, NestedStepsAndChangesOutsideAStep)
{
    TRChart c;
    MakeDigitizing(c);
    TEditHistory h(c);
    h.Reset(true);
    const std::string start = c.SaveToBuffer();
    h.Run("Traçado automático", [&] {
        for (int i = 0; i < 5; ++i)
            h.Run("Inserir ponto", [&] { DigitizeValue(c, 13.0 + i, 1.0 + i); });
    });
    EXPECT_EQ(h.Count(), 1);
    EXPECT_EQ(h.UndoText(), "Traçado automático");
    // A point put in without a step: the history records it before anything else.
    DigitizeValue(c, 20, 2);
    const std::string end = c.SaveToBuffer();
    h.Undo();
    EXPECT_EQ(h.Count(), 2);
    EXPECT_EQ(h.RedoText(), TEditHistory::kOutsideText);
    h.JumpTo(0);
    EXPECT_EQ(c.SaveToBuffer(), start);
    h.JumpTo(2);
    EXPECT_EQ(c.SaveToBuffer(), end);
}

TEST(EditHistory, LongRandomSequenceUndoneGivesBackEveryState)
{
    TRChart c;
    MakeDigitizing(c);
    TEditHistory h(c);
    h.Reset(true);
    std::mt19937 rng(18);
    std::vector<std::string> states{c.SaveToBuffer()};
    auto pick = [&](int n) { return int(rng() % unsigned(n)); };
    for (int i = 0; i < 400; ++i) {
        TCurve& k = c.Curve();
        const bool recorded = h.Run("passo", [&] {
            switch (pick(7)) {
            case 0: DigitizeValue(c, 7 + pick(2400) / 100.0, pick(100) / 10.0, pick(2), pick(2)); break;
            case 1:
                if (!k.IsEmpty()) {
                    k.SelectIndex(pick(k.Count()));
                    k.DeletePoint(k.Selected());
                }
                break;
            case 2:
                if (!k.IsEmpty())
                    k.MovePoint(k.Items(pick(k.Count())), 7 + pick(2400) / 100.0, pick(100) / 10.0);
                break;
            case 3: c.AddSpill(); break;
            case 4:
                if (k.CanMarkFailure(k.Last())) {
                    k.Last()->SetMark(2);
                    k.Recalc();
                }
                break;
            case 5: k.UndoLast(); break;
            default: {
                TRChartInfo info = c.Info;
                info.Dh = pick(5) / 10.0;
                info.Notes = std::to_string(pick(3));
                c.SetInfo(info);
            }
            }
        });
        if (recorded)
            states.push_back(c.SaveToBuffer());
        ASSERT_EQ(int(states.size()) - 1, h.Count());
    }
    ASSERT_GT(h.Count(), 150);
    for (int p = h.Count() - 1; p >= 0; p -= 37) {
        h.JumpTo(p);
        ASSERT_EQ(c.SaveToBuffer(), states[std::size_t(p)]) << "position " << p;
    }
    while (h.Undo())
        ;
    EXPECT_EQ(c.SaveToBuffer(), states.front());
    EXPECT_FALSE(c.IsModified());
    h.JumpTo(h.Count());
    EXPECT_EQ(c.SaveToBuffer(), states.back());
}

TEST(Curve, MovedPointKeepsItsPlaceBetweenItsNeighbours)
{
    TRChart c;
    MakeDigitizing(c);
    TCurve& k = c.Curve();
    TDigPoint* p = k.Items(2);
    const double prev = k.Items(1)->Time(), next = k.Items(3)->Time();
    EXPECT_TRUE(k.MovePoint(p, 11.0, 4.0));
    EXPECT_DOUBLE_EQ(p->Time(), next - 0.001);
    EXPECT_TRUE(k.MovePoint(p, 6.0, 4.0));
    EXPECT_DOUBLE_EQ(p->Time(), prev + 0.001);
    EXPECT_EQ(p->Index(), 2);
    EXPECT_DOUBLE_EQ(p->Accumulated, 4.0);
    EXPECT_FALSE(k.MovePoint(p, p->Time(), 4.0));
    EXPECT_FALSE(k.MovePoint(p, std::nan(""), 4.0));
}
