#include "document/uRChart.h"

#include "support/RecordingCanvas.h"
#include "support/TestCharts.h"

#include <gtest/gtest.h>

using namespace rs;
using namespace rs::test;

TEST(Chart, NewDocumentDefaults)
{
    TRChart c;
    EXPECT_EQ(c.State(), AwaitingScale);
    EXPECT_EQ(c.Info.Hour, 7);
    EXPECT_EQ(c.ViewFlags(0), 1);
    EXPECT_EQ(c.ViewFlags(1), 1);
    EXPECT_EQ(c.Info.Owner, &c);
    EXPECT_FALSE(c.IsModified());
    EXPECT_TRUE(c.Curve().Visible());
    EXPECT_FALSE(c.Scale().Visible()); // shown once its definition begins
    EXPECT_TRUE(c.BeginScale());
    EXPECT_TRUE(c.Scale().Visible());
    EXPECT_STREQ(StateText(DefiningScale), "Definindo Escala");
}

TEST(Chart, EqualHeaderChangesNothing)
{
    TRChart c;
    int infoChanges = 0;
    c.OnInfoChange = [&](TRChart*) { ++infoChanges; };
    TRChartInfo same = c.Info;
    same.FileName = "/elsewhere/x.pvd";
    same.FileDate = 12;
    same.Owner = nullptr;
    c.SetInfo(same);
    EXPECT_FALSE(c.Modified);
    EXPECT_EQ(infoChanges, 0);
    TRChartInfo other = same;
    other.Notes = "x";
    c.SetInfo(other);
    EXPECT_TRUE(c.Modified);
    EXPECT_EQ(infoChanges, 1);
    EXPECT_EQ(c.Info.Owner, &c);
}

TEST(Chart, KindChangesSeedOrClearTheCurve)
{
    TRChart c;
    MakeDigitizedChart(c);
    ASSERT_EQ(c.Curve().Count(), 4);
    TRChartInfo dry = c.Info;
    dry.Kind = 1;
    c.SetInfo(dry);
    ASSERT_EQ(c.Curve().Count(), 2);
    EXPECT_DOUBLE_EQ(c.Curve().Items(0)->Time(), 7.0);
    EXPECT_DOUBLE_EQ(c.Curve().Items(1)->Time(), 31.0);
    EXPECT_DOUBLE_EQ(c.Curve().Items(1)->Prec(), 0.0);
    EXPECT_EQ(c.State(), Idle);
    c.SetKind(0);
    EXPECT_TRUE(c.Curve().IsEmpty());
    EXPECT_EQ(c.State(), Idle); // its scale stays concluded
}

TEST(Chart, BackToPrecipitationTheChartCanGoOn)
{
    // With a concluded scale: straight on to digitizing.
    TRChart c;
    MakeDigitizedChart(c);
    c.SetKind(1);
    c.SetKind(0);
    EXPECT_TRUE(c.Scale().Concluded);
    EXPECT_EQ(c.State(), Idle);
    EXPECT_TRUE(c.BeginDigitizing());
    // Without one: waiting for its definition.
    TRChart fresh;
    fresh.SetInfo(SampleInfo());
    fresh.SetKind(2);
    fresh.SetKind(0);
    EXPECT_EQ(fresh.State(), AwaitingScale);
    EXPECT_TRUE(fresh.BeginScale());
}

TEST(Chart, DryAndAbsentChartsSpanTheirOwnDayAtZero)
{
    for (int kind : {1, 2}) {
        TRChart c;
        TRChartInfo i = SampleInfo();
        i.Kind = std::uint8_t(kind);
        c.SetInfo(i);
        i.Hour = 8;
        i.Dh = 0.5;
        c.SetInfo(i);
        ASSERT_EQ(c.Curve().Count(), 2);
        EXPECT_EQ(c.Curve().Items(0)->Time(), 8.0) << kind;
        EXPECT_EQ(c.Curve().Items(1)->Time(), 32.0) << kind;
        EXPECT_EQ(c.Curve().Items(0)->Mark(), kind == 1 ? 0 : 2);
        for (int k = 0; k < 2; ++k) {
            EXPECT_EQ(c.Curve().Items(k)->Prec(), 0.0) << kind;
            EXPECT_EQ(c.Curve().Items(k)->Accumulated, 0.0) << kind;
        }
        EXPECT_EQ(c.Info.Dh, 0.5);
        c.SaveToBuffer();
        EXPECT_EQ(c.Info.Total, 0.0) << kind;
    }
}

TEST(Chart, EmptiedCurveHasNoResults)
{
    TRChart c;
    MakeDigitizedChart(c);
    c.BeginDigitizing();
    while (!c.Curve().IsEmpty())
        c.Curve().UndoLast();
    EXPECT_EQ(c.Curve().Peaks, 0);
    EXPECT_EQ(c.Curve().Failures, 0);
    EXPECT_EQ(c.Curve().Sum, 0.0);
    EXPECT_EQ(SumText(c.Curve().Sum, c.Curve().Failures), " P = 0.0 mm");
    c.Info.Total = 13;
    c.SaveToBuffer();
    EXPECT_EQ(c.Info.Total, 0.0);
}

TEST(Chart, KindChangeDuringDefinitionResetsScale)
{
    TRChart c;
    c.SetInfo(SampleInfo());
    PrepareScale(c);
    ASSERT_TRUE(c.Scale().Editing());
    c.SetKind(2);
    EXPECT_FALSE(c.Scale().Editing());
    EXPECT_TRUE(c.Scale().IsEmpty());
    EXPECT_EQ(c.State(), Idle);
}

TEST(Chart, StateCommandsFollowTheirPreconditions)
{
    TRChart c;
    c.SetInfo(SampleInfo());
    EXPECT_FALSE(c.ConcludeScale());
    EXPECT_FALSE(c.BeginDigitizing());
    EXPECT_TRUE(c.BeginScale());
    EXPECT_FALSE(c.BeginScale());
    EXPECT_EQ(c.State(), DefiningScale);
    c.CancelScale();
    EXPECT_EQ(c.State(), AwaitingScale);
    EXPECT_EQ(c.PrevState(), DefiningScale);
    PrepareScale(c);
    EXPECT_TRUE(c.Scale().Valid);
    EXPECT_TRUE(c.ConcludeScale());
    EXPECT_EQ(c.State(), Idle);
    EXPECT_FALSE(c.Scale().Visible());
    EXPECT_TRUE(c.BeginDigitizing());
    EXPECT_EQ(c.State(), Digitizing);
    c.EndDigitizing();
    EXPECT_EQ(c.State(), Idle);
}

TEST(Chart, RoundingToZeroWithShift)
{
    TRChart c;
    c.SetInfo(SampleInfo());
    PrepareScale(c);
    c.ConcludeScale();
    c.BeginDigitizing();
    // 0.4 mm is rounded (option on, Shift up); 0.41 mm is not.
    DigitizeValue(c, 8, 0.4);
    EXPECT_EQ(c.Curve().Last()->Prec(), 0.0);
    DigitizeValue(c, 9, 1.0 + 0.41 - 1.0);
    EXPECT_NEAR(c.Curve().Last()->Prec(), 0.41, 1e-9);
    // Shift held inverts the option.
    DigitizeValue(c, 10, 0.2, /*shift*/ true);
    EXPECT_NEAR(c.Curve().Last()->Prec(), 0.2, 1e-9);
    DigOptions().RoundToZero = false;
    DigitizeValue(c, 11, 0.2, true);
    EXPECT_EQ(c.Curve().Last()->Prec(), 0.0);
    DigitizeValue(c, 12, 0.2, false);
    EXPECT_NEAR(c.Curve().Last()->Prec(), 0.2, 1e-9);
    DigOptions().RoundToZero = true;
    // Ctrl suspends the chronological order for one point.
    DigitizeValue(c, 9.5, 3, false, true);
    EXPECT_NEAR(c.Curve().Items(2)->Time(), 9.5, 1e-9);
    DigitizeValue(c, 9.7, 3);
    EXPECT_NEAR(c.Curve().Last()->Time(), 12, 1e-9);
}

TEST(Chart, SpillNeedsAHighLastPointInsideTheDay)
{
    TRChart c;
    c.SetInfo(SampleInfo());
    PrepareScale(c);
    c.ConcludeScale();
    c.BeginDigitizing();
    EXPECT_FALSE(c.CanAddSpill());
    DigitizeValue(c, 8, 4.9);
    EXPECT_FALSE(c.CanAddSpill());
    DigitizeValue(c, 9, 5.2);
    ASSERT_TRUE(c.CanAddSpill());
    EXPECT_TRUE(c.AddSpill());
    EXPECT_NEAR(c.Curve().Last()->Time(), c.Curve().Items(1)->Time() + 0.001, 1e-12);
    EXPECT_EQ(c.Curve().Last()->Prec(), 0.0);
    c.Curve().SetEditing(false);
    c.Curve().AddPoint(12, 1, true);
    c.Curve().SetEditing(true);
    c.Curve().AddPoint(31.0, 6, true);
    EXPECT_FALSE(c.CanAddSpill());
}

TEST(Chart, SignalledOverflowOfExactlyTheThresholdCounts)
{
    TRChart c;
    c.SetInfo(SampleInfo());
    PrepareScale(c);
    c.ConcludeScale();
    c.BeginDigitizing();
    c.Curve().AddPoint(8, 0, true);
    c.Curve().AddPoint(10, 5.0, true);
    ASSERT_TRUE(c.AddSpill());
    c.Curve().AddPoint(12, 2.0, true);
    EXPECT_EQ(c.Curve().Peaks, 1);
    EXPECT_EQ(c.Curve().Items(1)->Mark(), 1);
    EXPECT_DOUBLE_EQ(c.Curve().Items(2)->Accumulated, 5.0);
    EXPECT_DOUBLE_EQ(c.Curve().Sum, 7.0);
    // Undoing the point after the return and the return itself leaves the peak unmarked.
    c.Curve().UndoLast();
    c.Curve().UndoLast();
    EXPECT_EQ(c.Curve().Items(1)->Mark(), 0);
    EXPECT_EQ(c.Curve().Peaks, 0);
}

TEST(Chart, OffsetMovesEveryPointTheSameWayAsDigitizing)
{
    TRChart c;
    c.SetInfo(SampleInfo());
    PrepareScale(c);
    c.ConcludeScale();
    c.BeginDigitizing();
    DigitizeValue(c, 8, 3.0);
    TRChartInfo i = c.Info;
    i.Dh = 0.5;
    c.SetInfo(i);
    DigitizeValue(c, 9, 3.0);
    // Both readings at the same pen height end up equal: reading minus Dh.
    EXPECT_NEAR(c.Curve().Items(0)->Prec(), 2.5, 1e-9);
    EXPECT_NEAR(c.Curve().Items(1)->Prec(), 2.5, 1e-9);
    c.SetDh(-0.5);
    EXPECT_NEAR(c.Curve().Items(0)->Prec(), 3.5, 1e-9);
    EXPECT_NEAR(c.Curve().Items(1)->Accumulated, 3.5, 1e-9);
}

TEST(Chart, FileNamesStayInTheirDataTree)
{
    SetDataFolder("/dados");
    TRChartInfo i = SampleInfo();
    EXPECT_EQ(TRChart::MakeFileName(i), "/dados/12345678/12345678-19760508.pvd");
    i.FileName = "/dados/12345678/12345678-19760508.pvd";
    i.StCode = "87654321";
    EXPECT_EQ(TRChart::MakeFileName(i), "/dados/87654321/87654321-19760508.pvd");
    i.FileName = "/outra/pasta/x.pvd";
    EXPECT_EQ(TRChart::MakeFileName(i), "/outra/pasta/87654321/87654321-19760508.pvd");
    EXPECT_TRUE(IsValidStationCode("00000000"));
    EXPECT_FALSE(IsValidStationCode("../../etc"));
    EXPECT_FALSE(IsValidStationCode("1234567"));
    SetDataFolder("");
}

TEST(Chart, ResultsCellTexts)
{
    SetDecimalSeparator(',');
    TRChart c;
    c.Info.Date = EncodeDate(1976, 5, 8);
    c.Curve().AddPoint(31.0, 2.345, true);
    c.Curve().Items(0)->Accumulated = 12.5;
    EXPECT_EQ(c.CellText(0, 0), "09/05/1976");
    EXPECT_EQ(c.CellText(0, 1), "07:00");
    EXPECT_EQ(c.CellText(0, 2), "2,35");
    EXPECT_EQ(c.CellText(0, 3), "12,50");
    EXPECT_EQ(c.CellText(0, 4), "");
    EXPECT_EQ(c.CellText(1, 0), "");
    SetDecimalSeparator('.');
}

TEST(ChartDraw, FrameGridLabelsAndBorder)
{
    TRChart c;
    c.SetInfo(SampleInfo());
    RecordingCanvas nothing;
    c.DrawChart(nothing); // ordinary chart without a valid scale draws nothing
    EXPECT_TRUE(nothing.frames.empty());
    PrepareScale(c);
    RecordingCanvas canvas;
    c.DrawChart(canvas);
    ASSERT_GE(canvas.frames.size(), 2u);
    const TScale& s = c.Scale();
    EXPECT_EQ(canvas.frames[0].r, (TRect{s.TimeToX(6.35), s.PrecToY(11.5), s.TimeToX(31.25), s.PrecToY(-2.2)}));
    EXPECT_EQ(canvas.fills.size(), 2u); // the shadow
    // Main grid only: 23 inner hour lines and 11 inner millimetre lines.
    int vertical = 0, horizontal = 0;
    for (auto& l : canvas.lines)
        (l.x1 == l.x2 ? vertical : horizontal)++;
    EXPECT_EQ(vertical, 23);
    EXPECT_EQ(horizontal, 11);
    EXPECT_EQ(canvas.texts.size(), 25u + 11u);
    EXPECT_EQ(canvas.texts[17].text, "0"); // 7 + 17 = 24 h shows as 0
    EXPECT_EQ(canvas.texts[0].size, 6);
    const auto& border = canvas.frames.back();
    EXPECT_EQ(border.width, 3);
    EXPECT_EQ(border.color, ChartColors().Grid);
    EXPECT_EQ(canvas.pen, RGB(0, 0, 0));

    c.SetViewFlags(0, 3);
    c.SetViewFlags(1, 0);
    RecordingCanvas fine;
    fine.clip = {s.TimeToX(10), 0, s.TimeToX(11), 400}; // only the exposed hour
    c.DrawGrid(fine);
    int v = 0;
    for (auto& l : fine.lines)
        v += l.x1 == l.x2;
    EXPECT_EQ(v, 7); // 10:00 to 11:00 every ten minutes
}

TEST(Chart, OverflowCommandLeavesAFailureMarkAlone)
{
    TRChart c;
    c.SetInfo(SampleInfo());
    PrepareScale(c);
    c.ConcludeScale();
    c.BeginDigitizing();
    for (auto [t, p] : {std::pair{8.0, 0.0}, {9.0, 3.0}, {10.0, 6.0}})
        c.Curve().AddPoint(t, p, true);
    c.Curve().Last()->SetMark(2);
    c.Curve().Recalc();
    EXPECT_FALSE(c.CanAddSpill());
    EXPECT_FALSE(c.CanAddEmptying());
    EXPECT_FALSE(c.AddSpill(true));
    EXPECT_EQ(c.Curve().Count(), 3);
    EXPECT_EQ(c.Curve().Last()->Mark(), 2);
    EXPECT_EQ(c.Curve().Peaks, 0);
    EXPECT_EQ(c.Curve().Failures, 1);
}

TEST(Chart, DeletingAReturnPointClearsItsPeak)
{
    TRChart c;
    c.SetInfo(SampleInfo());
    PrepareScale(c);
    c.ConcludeScale();
    c.BeginDigitizing();
    TCurve& cv = c.Curve();
    cv.AddPoint(8, 0, true);
    cv.AddPoint(10, 6.0, true);
    ASSERT_TRUE(c.AddSpill());
    cv.AddPoint(12, 7.0, true); // the pen went on rising: no overflow after all
    cv.AddPoint(14, 8.0, true);
    cv.DeletePoint(cv.Items(2));
    EXPECT_EQ(cv.Items(1)->Mark(), 0);
    EXPECT_EQ(cv.Peaks, 0);
    EXPECT_DOUBLE_EQ(cv.Items(2)->Accumulated, 7.0);
    EXPECT_DOUBLE_EQ(cv.Sum, 8.0);
    // A drop that is an overflow by itself stays one.
    cv.AddPoint(15, 9.8, true);
    ASSERT_TRUE(c.AddSpill());
    cv.AddPoint(16, 1.0, true);
    cv.DeletePoint(cv.Items(5)); // the return at 0 goes; 9.8 -> 1.0 is still a siphon
    EXPECT_EQ(cv.Items(4)->Mark(), 1);
    EXPECT_DOUBLE_EQ(cv.Sum, 10.8);
}

TEST(Chart, GaugeEmptiedByHandIsCarriedLikeAnOverflow)
{
    TRChart c;
    c.SetInfo(SampleInfo());
    PrepareScale(c);
    c.ConcludeScale();
    c.BeginDigitizing();
    TCurve& cv = c.Curve();
    cv.AddPoint(8, 0, true);
    EXPECT_FALSE(c.CanAddEmptying()); // nothing to empty
    cv.AddPoint(18.5, 2.2, true);
    EXPECT_FALSE(c.CanAddSpill());
    ASSERT_TRUE(c.CanAddEmptying());
    EXPECT_FALSE(c.AddSpill()); // not without the operator's word
    ASSERT_TRUE(c.AddSpill(true));
    cv.AddPoint(20, 1.0, true);
    EXPECT_EQ(cv.Items(1)->Mark(), 1); // the format's own peak mark
    EXPECT_EQ(cv.Peaks, 1);
    EXPECT_EQ(cv.Failures, 0);
    EXPECT_DOUBLE_EQ(cv.Sum, 3.2);
    EXPECT_TRUE(cv.UnmarkedDrops().empty());
    // Saved and read back, the peak and the sum stay.
    TRChart back;
    ASSERT_TRUE(back.LoadFromBuffer(c.SaveToBuffer(), ""));
    EXPECT_EQ(back.Curve().Items(1)->Mark(), 1);
    EXPECT_DOUBLE_EQ(back.Curve().Sum, 3.2);

    // The same drop digitized without the command lowers the total, and is pointed out.
    TRChart d;
    d.Curve().AddPoint(8, 0, true);
    d.Curve().AddPoint(18.5, 2.2, true);
    d.Curve().AddPoint(18.6, 0, true);
    d.Curve().AddPoint(20, 0.3, true); // 0.3 mm: small declines go unremarked
    d.Curve().AddPoint(21, 0.1, true);
    d.Curve().Recalc();
    EXPECT_EQ(d.Curve().UnmarkedDrops(), std::vector<int>{1});
}
