// Rainfall analysis: cumulative curve, fixed-interval series, maximum
// intensities against analytical answers and a brute-force search, quality,
// CSV tables and the annual maxima of a folder.

#include "document/uRainAnalysis.h"
#include "document/uRainAnnual.h"
#include "document/uRainCsv.h"

#include "common/Utils.h"
#include "document/uRChart.h"
#include "support/TestCharts.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <random>
#include <sstream>

using namespace rs;

namespace {

struct P
{
    double t, p;
    int mark = 0;
};

// A chart of kind 0 dated 8 May 1976, placed at hour, with the given pen readings
// (marks 2 set as given), accumulated the way the program does.
void MakeChart(TRChart& c, const std::vector<P>& pts, int hour = 7)
{
    c.Info.Kind = 0;
    c.Info.Hour = std::uint8_t(hour);
    c.Info.Date = EncodeDate(1976, 5, 8);
    c.Info.StCode = "12345678";
    c.Curve().SetEditing(false);
    for (const P& q : pts)
        ASSERT_TRUE(c.Curve().AddPoint(q.t, q.p, true)) << q.t;
    for (std::size_t i = 0; i < pts.size(); ++i)
        if (pts[i].mark == 2) c.Curve().Items(int(i))->SetMark(2);
    c.Curve().Recalc();
}

TCumulativeRain Rain(const std::vector<P>& pts, int hour = 7)
{
    TRChart c;
    MakeChart(c, pts, hour);
    return TCumulativeRain::FromChart(c);
}

const TMaxIntensity& Find(const std::vector<TMaxIntensity>& v, int minutes)
{
    for (const auto& m : v)
        if (m.Minutes == minutes) return m;
    throw std::logic_error("duration not found");
}

constexpr double kEps = 1e-9;

} // namespace

TEST(RainAnalysis, ConstantRateOverThreeHours)
{
    // 3 mm/h from 10:00 to 13:00, dry before and after, recorded over the whole day.
    const auto rain = Rain({{7, 0}, {10, 0}, {10.5, 1.5}, {11, 3}, {12, 6}, {13, 9}, {31, 9}});
    const auto maxima = MaximumIntensities(rain);
    ASSERT_EQ(maxima.size(), 12u);
    for (const auto& m : maxima) {
        ASSERT_TRUE(m.Valid) << m.Minutes;
        if (m.Minutes <= 180) {
            EXPECT_NEAR(m.Intensity, 3.0, kEps) << m.Minutes;
            EXPECT_NEAR(m.Depth, 3.0 * m.Minutes / 60, kEps) << m.Minutes;
            EXPECT_NEAR(m.Start, 10.0, kEps) << m.Minutes; // the earliest of the equal windows
        } else {
            EXPECT_NEAR(m.Depth, 9.0, kEps) << m.Minutes;
            EXPECT_NEAR(m.Intensity, 9.0 / (m.Minutes / 60.0), kEps) << m.Minutes;
            EXPECT_LT(m.Intensity, 3.0);
            EXPECT_NEAR(m.Start, 7.0, kEps) << m.Minutes; // the window must still hold 10-13
        }
    }
    const auto s = FixedIntervalSeries(rain, 60);
    ASSERT_EQ(s.Intervals.size(), 24u);
    EXPECT_TRUE(s.Complete());
    for (const auto& i : s.Intervals)
        EXPECT_NEAR(i.Depth, (i.Start >= 10 - kEps && i.End <= 13 + kEps) ? 3.0 : 0.0, kEps) << i.Start;
    EXPECT_NEAR(s.Total(), 9.0, kEps);
}

TEST(RainAnalysis, OverflowInTheMiddleOfAStormChangesNothing)
{
    // 6 mm/h from 8:00 to 11:00; the siphon empties at 9.6 mm, the pen going on from
    // what fell during the 0.001 h of the return.
    TRChart c;
    MakeChart(c, {{7, 0}, {8, 0}, {9, 6}, {9.6, 9.6}, {9.601, 0.006}, {10, 2.4}, {11, 8.4}, {31, 8.4}});
    EXPECT_EQ(c.Curve().Peaks, 1);
    EXPECT_EQ(c.Curve().Items(3)->Mark(), 1);
    const auto rain = TCumulativeRain::FromChart(c);
    for (double t = 7; t <= 31; t += 0.0137)
        EXPECT_NEAR(rain.DepthAt(t), std::clamp(6 * (t - 8), 0.0, 18.0), 1e-9) << t;
    EXPECT_NEAR(rain.Total(), 18.0, kEps);
    EXPECT_DOUBLE_EQ(rain.Declines(), 0);
    for (int d : {5, 30, 60, 180}) {
        const auto m = MaximumIntensity(rain, d);
        EXPECT_NEAR(m.Intensity, 6.0, 1e-9) << d;
    }
    const auto s = FixedIntervalSeries(rain, 5);
    EXPECT_TRUE(s.Complete());
    EXPECT_NEAR(s.Total(), c.Curve().Sum, 1e-9);

    // The overflow command's return at 0 mm: 3.6 s without rain, nothing lost or doubled.
    TRChart d;
    MakeChart(d, {{7, 0}, {8, 0}, {9.6, 9.6}, {9.601, 0}, {11, 8.394}, {31, 8.394}});
    const auto r2 = TCumulativeRain::FromChart(d);
    EXPECT_NEAR(r2.DepthAt(9.6), r2.DepthAt(9.601), kEps);
    EXPECT_NEAR(r2.Total(), d.Curve().Sum, kEps);
    EXPECT_NEAR(FixedIntervalSeries(r2, 15).Total(), d.Curve().Sum, 1e-9);
}

TEST(RainAnalysis, WindowsOverAFailureJoinBothSidesAsALowerBound)
{
    // 3 mm in 10-11, failure from 11 to 13 (the accumulation restarts at 5 mm), 3 mm in 13-14.
    TRChart c;
    MakeChart(c, {{7, 0}, {10, 0}, {11, 3, 2}, {13, 5}, {14, 8}, {31, 8}});
    EXPECT_EQ(c.Curve().Failures, 1);
    EXPECT_NEAR(c.Curve().Sum, 11.0, kEps);
    const auto rain = TCumulativeRain::FromChart(c);
    ASSERT_EQ(rain.Stretches().size(), 2u);
    EXPECT_DOUBLE_EQ(rain.Stretches()[0].End, 11);
    EXPECT_DOUBLE_EQ(rain.Stretches()[1].Start, 13);
    EXPECT_NEAR(rain.Total(), 6.0, kEps); // the 5 mm of the restart fell at no known time
    const auto m = MaximumIntensities(rain);
    EXPECT_NEAR(Find(m, 60).Depth, 3.0, kEps);
    EXPECT_NEAR(Find(m, 60).Start, 10.0, kEps);
    EXPECT_FALSE(Find(m, 60).LowerBound); // lies wholly in the record
    EXPECT_NEAR(Find(m, 120).Start, 9.0, kEps); // [9, 11] holds all of the first burst
    EXPECT_FALSE(Find(m, 120).LowerBound);
    // 4 h over the failure hold both bursts: at least 6 mm, the failure's rain unknown.
    const auto m4h = MaximumIntensity(rain, 240);
    EXPECT_NEAR(m4h.Depth, 6.0, kEps);
    EXPECT_NEAR(m4h.Start, 10.0, kEps);
    EXPECT_TRUE(m4h.LowerBound);
    for (int d : {360, 720, 1440}) {
        ASSERT_TRUE(Find(m, d).Valid) << d;
        EXPECT_NEAR(Find(m, d).Depth, 6.0, kEps) << d;
        EXPECT_TRUE(Find(m, d).LowerBound) << d;
    }
    EXPECT_NEAR(Find(m, 360).Start, 8.0, kEps);

    // A failure on the last stretch has no record beyond it: nothing to join.
    const auto tail = Rain({{7, 0}, {10, 3}, {11, 4, 2}, {31, 0}});
    EXPECT_FALSE(MaximumIntensity(tail, 1440).Valid);
    EXPECT_FALSE(MaximumIntensity(tail, 240).LowerBound);

    const auto s = FixedIntervalSeries(rain, 5);
    EXPECT_FALSE(s.Complete());
    for (const auto& i : s.Intervals) {
        const bool overlapsFailure = i.End > 11 + kEps && i.Start < 13 - kEps;
        EXPECT_EQ(i.Valid, !overlapsFailure) << i.Start;
    }
    EXPECT_NEAR(s.Total(), 6.0, 1e-9);
}

TEST(RainAnalysis, WindowExactlyOnBreakpoints)
{
    // 1 mm in 9:00-9:30, 4 mm in 9:30-9:40, 2 mm in 9:40-10:30.
    const double t2 = 9.5 + 10.0 / 60;
    const auto rain = Rain({{7, 0}, {9, 0}, {9.5, 1}, {t2, 5}, {10.5, 7}, {31, 7}});
    const auto m10 = MaximumIntensity(rain, 10);
    EXPECT_NEAR(m10.Depth, 4.0, kEps);
    EXPECT_NEAR(m10.Intensity, 24.0, 1e-8);
    EXPECT_NEAR(m10.Start, 9.5, kEps);
    // An hour: the rain rises faster at the window's end than at its start until 9:30,
    // then the start runs into the burst: 6 mm over [9:30, 10:30].
    const auto m60 = MaximumIntensity(rain, 60);
    EXPECT_NEAR(m60.Depth, 6.0, kEps);
    EXPECT_NEAR(m60.Start, 9.5, kEps);
    const auto m20 = MaximumIntensity(rain, 20); // the burst and 10 min at 2.4 mm/h after it
    EXPECT_NEAR(m20.Depth, 4.4, kEps);
    EXPECT_NEAR(m20.Start, 9.5, kEps);
    EXPECT_NEAR(m20.End(), 9.5 + 20.0 / 60, kEps);
}

TEST(RainAnalysis, ChartsWithoutPrecipitationAndAbsentCharts)
{
    TRChart dry;
    dry.Info.Hour = 8;
    dry.SetKind(1);
    const auto a = AnalyseChart(dry);
    EXPECT_EQ(a.Series.Intervals.size(), 288u);
    EXPECT_TRUE(a.Series.Complete());
    EXPECT_DOUBLE_EQ(a.Series.Total(), 0);
    EXPECT_DOUBLE_EQ(a.Series.Intervals.front().Start, 8);
    EXPECT_NEAR(a.Series.Intervals.back().End, 32, kEps);
    for (const auto& m : a.Maxima) {
        EXPECT_TRUE(m.Valid) << m.Minutes;
        EXPECT_DOUBLE_EQ(m.Depth, 0);
        EXPECT_DOUBLE_EQ(m.Intensity, 0);
    }

    TRChart absent;
    absent.Info.Hour = 9;
    absent.SetKind(2);
    const auto b = AnalyseChart(absent, 10);
    EXPECT_EQ(b.Series.Intervals.size(), 144u);
    for (const auto& i : b.Series.Intervals)
        EXPECT_FALSE(i.Valid);
    for (const auto& m : b.Maxima)
        EXPECT_FALSE(m.Valid) << m.Minutes;
    EXPECT_FALSE(b.Quality.Comparable);

    // Curves that are no record at all: nothing is invented, nothing breaks.
    for (const auto& pts : {std::vector<P>{}, std::vector<P>{{10, 2}}}) {
        const auto r = Rain(pts);
        EXPECT_TRUE(r.Stretches().empty());
        EXPECT_FALSE(MaximumIntensity(r, 5).Valid);
        EXPECT_FALSE(FixedIntervalSeries(r).Intervals.front().Valid);
    }
    const TCumulativeRain bad(7, 31, {{8, 0}, {NAN, 1}, {9, 1}, {10, 2}, {11, INFINITY}});
    ASSERT_EQ(bad.Stretches().size(), 1u);
    EXPECT_DOUBLE_EQ(bad.Stretches()[0].Start, 9);
    EXPECT_DOUBLE_EQ(bad.Stretches()[0].End, 10);
}

TEST(RainAnalysis, SeriesSumEqualsTheChartSum)
{
    std::mt19937 rng(20240);
    std::uniform_real_distribution<double> u(0, 1);
    for (int round = 0; round < 20; ++round) {
        std::vector<P> pts{{7, 0}};
        double t = 7, pen = 0;
        while (t < 30.5) {
            t = std::min(31.0, t + 0.01 + u(rng) * 0.7);
            pen += u(rng) < 0.5 ? 0 : u(rng) * 3;
            if (pen > 9.5) {
                pts.push_back({t, 9.5});
                t += 0.001;
                pen -= 9.5;
            }
            pts.push_back({t, pen});
        }
        if (pts.back().t < 31) pts.push_back({31, pen});
        TRChart c;
        MakeChart(c, pts);
        const auto rain = TCumulativeRain::FromChart(c);
        for (int step : SeriesSteps()) {
            const auto s = FixedIntervalSeries(rain, step);
            ASSERT_EQ(int(s.Intervals.size()), 1440 / step);
            ASSERT_TRUE(s.Complete()) << round << " " << step;
            EXPECT_NEAR(s.Total(), c.Curve().Sum, 1e-9) << round << " " << step;
        }
    }
    EXPECT_THROW(FixedIntervalSeries(TCumulativeRain(), 7), std::invalid_argument);
    EXPECT_TRUE(IsSeriesStep(30));
    EXPECT_FALSE(IsSeriesStep(0));
}

TEST(RainAnalysis, TimeOutsideTheRecordIsMissing)
{
    // The trace starts at 7:32 and ends at 30:00; a point before the chart's hours is ignored.
    const auto rain = Rain({{6.5, 0}, {7 + 32.0 / 60, 1}, {12, 4}, {30, 4}});
    const auto s = FixedIntervalSeries(rain, 15);
    EXPECT_NEAR(rain.Stretches().front().Start, 7.0, kEps); // clipped to the chart's start
    for (const auto& i : s.Intervals)
        EXPECT_EQ(i.Valid, i.End <= 30 + kEps) << i.Start;
    // 1 mm fell between 6:30 and 7:32: 32/62 of it within the chart.
    EXPECT_NEAR(rain.DepthAt(7 + 32.0 / 60), 32.0 / 62, 1e-9);
    EXPECT_FALSE(MaximumIntensity(rain, 1440).Valid);
    EXPECT_TRUE(MaximumIntensity(rain, 720).Valid);

    const auto late = Rain({{7.5, 0}, {9, 3}, {31, 3}});
    const auto s2 = FixedIntervalSeries(late, 30);
    EXPECT_FALSE(s2.Intervals[0].Valid);
    EXPECT_TRUE(s2.Intervals[1].Valid);
    EXPECT_NEAR(s2.Intervals[1].Depth, 1.0, kEps);
}

TEST(RainAnalysis, DeclinesCountAsTheAccumulationCountsThem)
{
    // The pen sinks 0.2 mm between 9 and 12: the day's sum is 3 mm, and so are the series.
    TRChart c;
    MakeChart(c, {{7, 0}, {9, 2}, {12, 1.8}, {13, 3}, {31, 3}});
    ASSERT_NEAR(c.Curve().Sum, 3.0, kEps);
    const auto rain = TCumulativeRain::FromChart(c);
    EXPECT_NEAR(rain.Declines(), 0.2, kEps);
    EXPECT_NEAR(rain.Total(), 3.0, kEps);
    EXPECT_NEAR(rain.Depth(9, 12), -0.2, kEps);
    for (int step : SeriesSteps())
        EXPECT_NEAR(FixedIntervalSeries(rain, step).Total(), c.Curve().Sum, 1e-9) << step;
    EXPECT_NEAR(MaximumIntensity(rain, 360).Depth, 3.0, kEps); // [7, 13], the decline within it
    EXPECT_NEAR(MaximumIntensity(rain, 60).Depth, 1.2, kEps);
}

TEST(RainAnalysis, JumpAtOneInstantCountsOnceAndInEveryWindowHoldingIt)
{
    // Two readings at 10:00 (a file written elsewhere): 2 mm at one instant.
    const TCumulativeRain rain(7, 31, {{7, 0}, {10, 0}, {10, 2}, {31, 2}});
    EXPECT_NEAR(rain.Total(), 2.0, kEps);
    const auto m = MaximumIntensity(rain, 5);
    EXPECT_NEAR(m.Depth, 2.0, kEps);
    EXPECT_NEAR(m.Start, 10 - 5.0 / 60, kEps); // the earliest window that still ends on it
    const auto s = FixedIntervalSeries(rain, 5);
    EXPECT_NEAR(s.Total(), 2.0, kEps);
    EXPECT_NEAR(s.Intervals[35].Depth, 2.0, kEps); // 9:55-10:00 takes it, 10:00-10:05 does not
    EXPECT_NEAR(s.Intervals[36].Depth, 0.0, kEps);
}

// The exact maxima never fall below a search over every second and never exceed it
// by more than one second of the heaviest rain.
TEST(RainAnalysis, RandomCurvesAgainstBruteForceOnOneSecondGrid)
{
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> u(0, 1);
    int compared = 0;
    for (int round = 0; round < 24; ++round) {
        std::vector<P> pts;
        double t = 7 + (round % 3 == 0 ? 0 : u(rng) * 0.5), pen = 0;
        pts.push_back({t, 0});
        const double end = 31 - (round % 4 == 1 ? u(rng) * 2 : 0);
        while (true) {
            t += 0.002 + u(rng) * u(rng) * 1.5;
            if (t >= end) break;
            const double r = u(rng);
            pen += r < 0.4 ? 0 : r < 0.9 ? u(rng) * 2.5 : -u(rng) * 0.3;
            pen = std::max(pen, 0.0);
            if (pen > 9.8) {
                pts.push_back({t, 9.8});
                t += 0.001;
                pen -= 9.8;
            }
            pts.push_back({t, pen});
        }
        pts.push_back({end, pen});
        const int failures = round % 3;
        for (int f = 0; f < failures && pts.size() > 6; ++f)
            pts[2 + std::size_t(u(rng) * double(pts.size() - 4))].mark = 2;
        TRChart c;
        MakeChart(c, pts);
        const TCurve& cv = c.Curve();
        const int n = cv.Count();

        // Reference: change of each recorded segment, taken linearly; stretches from the marks.
        std::vector<TTimeSpan> stretches, failed;
        double maxRate = 0;
        for (int i = 0; i + 1 < n; ++i) {
            const TDigPoint *a = cv.Items(i), *b = cv.Items(i + 1);
            if (a->Mark() == 2) {
                failed.push_back({a->Time(), b->Time()});
                continue;
            }
            maxRate = std::max(maxRate, std::fabs(b->Accumulated - a->Accumulated) / (b->Time() - a->Time()));
            if (!stretches.empty() && stretches.back().End == a->Time())
                stretches.back().End = b->Time();
            else
                stretches.push_back({a->Time(), b->Time()});
        }
        const int grid = 24 * 3600;
        std::vector<double> ref(grid + 1, 0.0);
        for (int j = 0; j <= grid; ++j) {
            const double g = 7 + j / 3600.0;
            double sum = 0;
            for (int i = 0; i + 1 < n; ++i) {
                const TDigPoint *a = cv.Items(i), *b = cv.Items(i + 1);
                if (a->Mark() == 2) continue;
                const double f = std::clamp((g - a->Time()) / (b->Time() - a->Time()), 0.0, 1.0);
                sum += (b->Accumulated - a->Accumulated) * f;
            }
            ref[std::size_t(j)] = sum;
        }
        auto inside = [&](double a, double b, double tol = 0) {
            for (const auto& s : stretches)
                if (a >= s.Start - tol && b <= s.End + tol) return true;
            return false;
        };
        // Windows may cross the failures between the first stretch and the last.
        auto inRecord = [&](double a, double b, double tol = 0) {
            return !stretches.empty() && a >= stretches.front().Start - tol && b <= stretches.back().End + tol;
        };
        auto crosses = [&](double a, double b) {
            for (const auto& f : failed)
                if (f.Start < b - kEps && f.End > a + kEps) return true;
            return false;
        };
        const double longest = stretches.empty() ? 0 : stretches.back().End - stretches.front().Start;

        const auto rain = TCumulativeRain::FromChart(c);
        for (const auto& m : MaximumIntensities(rain)) {
            const int w = m.Minutes * 60;
            bool found = false;
            double brute = 0;
            for (int j = 0; j + w <= grid; ++j)
                if (inRecord(7 + j / 3600.0, 7 + (j + w) / 3600.0)) {
                    const double v = ref[std::size_t(j + w)] - ref[std::size_t(j)];
                    if (!found || v > brute) brute = v;
                    found = true;
                }
            SCOPED_TRACE(testing::Message() << "round " << round << ", " << m.Minutes << " min");
            if (found) {
                ASSERT_TRUE(m.Valid);
                EXPECT_GE(m.Depth, brute - 1e-9);
                EXPECT_LE(m.Depth, brute + 2 * maxRate / 3600 + 1e-9);
                ++compared;
            } else if (m.Valid) {
                EXPECT_LT(longest, m.Minutes / 60.0 + 2.0 / 3600);
            }
            if (m.Valid) {
                // The window reported holds the rain reported, lies in the record and
                // is a lower bound exactly when it crosses a failure.
                EXPECT_TRUE(inRecord(m.Start, m.End(), kEps));
                EXPECT_EQ(m.LowerBound, crosses(m.Start, m.End()));
                EXPECT_NEAR(rain.Depth(m.Start, m.End()), m.Depth, 1e-9);
                EXPECT_NEAR(m.Intensity, m.Depth * 60 / m.Minutes, 1e-9);
            } else
                EXPECT_LT(longest, m.Minutes / 60.0 + kEps);
        }
        // The series agrees with the reference wherever the grid meets its boundaries.
        for (const auto& i : FixedIntervalSeries(rain, 5).Intervals) {
            const int ja = int(std::lround((i.Start - 7) * 3600)), jb = int(std::lround((i.End - 7) * 3600));
            EXPECT_EQ(i.Valid, inside(i.Start + kEps, i.End - kEps)) << i.Start;
            if (i.Valid) {
                EXPECT_NEAR(i.Depth, ref[std::size_t(jb)] - ref[std::size_t(ja)], 1e-9) << i.Start;
            }
        }
    }
    EXPECT_GT(compared, 200); // most durations of most curves had a window to compare
}

TEST(RainAnalysis, QualityAgainstTheRainGauge)
{
    TRChart c;
    test::MakeDigitizedChart(c); // 13.0 mm with one overflow
    c.Info.PTot = 12.0;
    const auto q = RainQuality(c, TCumulativeRain::FromChart(c));
    EXPECT_TRUE(q.Comparable);
    EXPECT_FALSE(q.Approximate);
    EXPECT_NEAR(q.Sum, 13.0, 1e-6);
    EXPECT_NEAR(q.Difference, 1.0, 1e-6);
    EXPECT_NEAR(q.DifferencePercent, 100.0 / 12, 1e-5);
    EXPECT_NEAR(q.RecordedHours, 5.0, 1e-6); // the trace ends at 12:00

    c.Info.PTot = 0; // not given
    EXPECT_FALSE(RainQuality(c, TCumulativeRain::FromChart(c)).Comparable);

    TRChart f;
    MakeChart(f, {{7, 0}, {10, 2, 2}, {12, 1}, {31, 1}});
    f.Info.PTot = 3;
    const auto qf = RainQuality(f, TCumulativeRain::FromChart(f));
    EXPECT_TRUE(qf.Approximate);
    EXPECT_NEAR(qf.Sum, 3.0, kEps);
    EXPECT_NEAR(qf.Recorded, 2.0, kEps);
    EXPECT_NEAR(qf.Difference, 0.0, kEps);

    TRChart dry;
    dry.SetKind(1);
    dry.Info.PTot = 0.8; // the gauge caught rain the chart did not show
    const auto qd = RainQuality(dry, TCumulativeRain::FromChart(dry));
    EXPECT_TRUE(qd.Comparable);
    EXPECT_NEAR(qd.Difference, -0.8, kEps);
    EXPECT_NEAR(qd.DifferencePercent, -100, kEps);
}

TEST(RainCsv, WriterQuotesAndFormatsNumbers)
{
    TCsvWriter w(TCsvFormat::ForDecimal(','));
    w.Cell("a;b").Cell("x\"y").Cell("plain").Number(-0.001, 2).Number(1234.5678, 2).Number(NAN, 2).Empty();
    w.EndRow();
    w.Integer(-5);
    w.EndRow();
    EXPECT_EQ(w.Text(), "\"a;b\";\"x\"\"y\";plain;0,00;1234,57;;\r\n-5\r\n");
    TCsvWriter p(TCsvFormat::ForDecimal('.'));
    p.Cell("a;b").Cell("c,d").Number(2.5, 1);
    p.EndRow();
    EXPECT_EQ(p.Text(), "a;b,\"c,d\",2.5\r\n");
    EXPECT_EQ(FixedNumber(0.125, 2, '.'), "0.12"); // binary 0.125 rounds to even
    EXPECT_EQ(FixedNumber(-3.14159, 3, ','), "-3,142");
}

TEST(RainCsv, TablesFollowTheDecimalSeparator)
{
    TRChart c;
    MakeChart(c, {{7, 0}, {10, 0}, {11, 3, 2}, {13, 5}, {14, 8}, {31, 8}});
    const auto a = AnalyseChart(c, 60);
    const char saved = DecimalSeparator();
    SetDecimalSeparator(',');
    const std::string series = SeriesCsv(a.Series, c.Info.Date);
    const std::string maxima = MaximaCsv(a.Maxima, c.Info.Date);
    SetDecimalSeparator('.');
    const std::string seriesDot = SeriesCsv(a.Series, c.Info.Date);
    SetDecimalSeparator(saved);

    EXPECT_EQ(series.substr(0, series.find("\r\n")), "In\xC3\xAD"
                                                     "cio;Fim;Precipita\xC3\xA7\xC3\xA3o (mm)");
    EXPECT_NE(series.find("\r\n08/05/1976 10:00;08/05/1976 11:00;3,00\r\n"), std::string::npos);
    EXPECT_NE(series.find("\r\n08/05/1976 11:00;08/05/1976 12:00;\r\n"), std::string::npos); // failure
    EXPECT_NE(series.find("\r\n09/05/1976 06:00;09/05/1976 07:00;0,00\r\n"), std::string::npos);
    EXPECT_EQ(std::count(series.begin(), series.end(), '\n'), 25);
    EXPECT_NE(seriesDot.find("\r\n08/05/1976 10:00,08/05/1976 11:00,3.00\r\n"), std::string::npos);

    EXPECT_EQ(maxima.substr(0, maxima.find("\r\n")),
              "Dura\xC3\xA7\xC3\xA3o (min);Altura (mm);Intensidade (mm/h);In\xC3\xAD"
              "cio;Limite inferior");
    EXPECT_NE(maxima.find("\r\n60;3,00;3,00;08/05/1976 10:00:00;n\xC3\xA3o\r\n"), std::string::npos);
    EXPECT_NE(maxima.find("\r\n1440;6,00;0,25;08/05/1976 07:00:00;sim\r\n"), std::string::npos);
    EXPECT_NE(MaximaCsv({TMaxIntensity{1440}}, c.Info.Date, TCsvFormat::ForDecimal(',')).find("\r\n1440;;;;\r\n"), std::string::npos);

    const std::string table =
        MaximaTableCsv({{"a;b.pvd", c.Info.Date, a.Maxima}}, TCsvFormat::ForDecimal(','));
    EXPECT_NE(table.find("\r\n\"a;b.pvd\";5;0,25;3,00;08/05/1976 10:00:00;n\xC3\xA3o\r\n"), std::string::npos);
}

TEST(RainCsv, WrittenSeriesAddsUpToItsTotal)
{
    // 0.5 mm an hour: each 5-minute depth is 0.041666..., 0.04 when rounded alone,
    // and 288 of them wrote 11.52 mm of a 12 mm day. A decline and a failure too.
    TRChart c;
    MakeChart(c, {{7, 0}, {19, 6}, {19.5, 5.9}, {20, 6.1, 2}, {21, 1}, {31, 6}});
    for (int step : {5, 10, 60}) {
        const auto a = AnalyseChart(c, step);
        double want = 0;
        for (const TRainInterval& i : a.Series.Intervals)
            if (i.Valid) want += i.Depth;
        std::istringstream in(SeriesCsv(a.Series, c.Info.Date, TCsvFormat::ForDecimal('.')));
        std::string line;
        std::getline(in, line);
        double written = 0;
        while (std::getline(in, line)) {
            const std::string cell = line.substr(line.rfind(',') + 1, line.find('\r') - line.rfind(',') - 1);
            if (!cell.empty()) written += std::stod(cell);
        }
        EXPECT_NEAR(written, want, 0.005 + kEps) << step;
        EXPECT_NEAR(want, 6.0 - 0.1 + 0.2 + 5.0, 0.02) << step; // the restart reading is not rain of a known time
    }
}

TEST(RainCsv, ChartTimeText)
{
    const double d = EncodeDate(1976, 5, 8);
    EXPECT_EQ(ChartTimeText(d, 7.0), "08/05/1976 07:00");
    EXPECT_EQ(ChartTimeText(d, 7 + 5.0 / 60), "08/05/1976 07:05"); // not 07:04 from rounding
    EXPECT_EQ(ChartTimeText(d, 31.0), "09/05/1976 07:00");
    EXPECT_EQ(ChartTimeText(d, 23 + 59.0 / 60 + 59.7 / 3600, true), "09/05/1976 00:00:00");
    EXPECT_EQ(ChartTimeText(d, 10.5 + 1.0 / 3600, true), "08/05/1976 10:30:01");
}

TEST(RainAnnual, FolderOfTwoStations)
{
    const std::string dir = test::TempDir("annual");
    auto save = [&](const std::string& code, int y, int m, int day, int kind, const std::vector<P>& pts,
                    const std::string& sub = "") {
        TRChart c;
        if (kind == 0)
            MakeChart(c, pts);
        else
            c.SetKind(kind);
        c.Info.StCode = code;
        c.Info.StName = "Esta\xE7\xE3o " + code;
        c.Info.Date = EncodeDate(y, m, day);
        c.SaveToFile(dir + (sub.empty() ? code : sub) + "/" + code + Format("-%04d%02d%02d.pvd", y, m, day));
    };
    save("11111111", 2001, 1, 10, 0, {{7, 0}, {10, 0}, {10.5, 4}, {31, 4}}); // 8 mm/h over 30 min
    save("11111111", 2001, 3, 2, 0, {{7, 0}, {14, 0}, {14 + 1.0 / 12, 1.5}, {20, 6}, {31, 6}});
    save("11111111", 2001, 3, 3, 1, {});
    save("11111111", 2001, 3, 4, 2, {});
    save("11111111", 2001, 3, 5, 0, {{7, 0}, {8, 0}, {9, 2, 2}, {12, 3}, {13, 8}, {31, 8}});
    save("11111111", 2001, 3, 2, 1, {}, "copia"); // same station and date, another folder
    save("11111111", 2002, 6, 1, 0, {{7, 0}, {9, 1}, {31, 1}});
    save("22222222", 2001, 7, 7, 1, {});
    {
        std::ofstream(dir + "11111111/lixo.pvd") << "not a chart";
    }
    {
        std::ofstream(dir + "11111111/.oculto.pvd") << "hidden";
    }

    const TAnnualMaxima t = AnnualMaxima(dir);
    ASSERT_EQ(t.Rows.size(), 3u);
    EXPECT_EQ(t.ChartsRead, 7);
    ASSERT_EQ(t.Problems.size(), 2u); // the copy and the junk file; the hidden one is never seen
    const TStationYear& r = t.Rows[0];
    EXPECT_EQ(r.StCode, "11111111");
    EXPECT_EQ(r.Year, 2001);
    EXPECT_EQ(r.Charts, 5);
    ASSERT_EQ(r.Maxima.size(), 12u);
    const TAnnualMaximum& m5 = r.Maxima[0];
    EXPECT_EQ(m5.Minutes, 5);
    EXPECT_NEAR(m5.Depth, 1.5, 1e-9); // 18 mm/h at 14:00 on 2 March
    EXPECT_NEAR(m5.Intensity, 18.0, 1e-9);
    EXPECT_EQ(m5.File, "11111111/11111111-20010302.pvd");
    EXPECT_EQ(m5.Usable, 4); // the absent chart is usable for nothing
    const TAnnualMaximum& m30 = r.Maxima[4];
    EXPECT_NEAR(m30.Depth, 4.0, 1e-9);
    EXPECT_EQ(m30.File, "11111111/11111111-20010110.pvd");
    EXPECT_NEAR(m30.Start, 10.0, 1e-9);
    EXPECT_NEAR(r.Maxima[6].Depth, 5.0, 1e-9); // 12-13 h on 5 March, after its failure
    EXPECT_FALSE(r.Maxima[6].LowerBound);
    // A day over its failure: at least 7 mm, more than the 6 mm of 2 March, and flagged so.
    const TAnnualMaximum& m24h = r.Maxima[11];
    EXPECT_NEAR(m24h.Depth, 7.0, 1e-9);
    EXPECT_TRUE(m24h.LowerBound);
    EXPECT_EQ(m24h.File, "11111111/11111111-20010305.pvd");
    EXPECT_EQ(m24h.Usable, 4);
    EXPECT_EQ(t.Rows[1].Year, 2002);
    EXPECT_EQ(t.Rows[2].StCode, "22222222");
    EXPECT_TRUE(t.Rows[2].Maxima[11].Valid);
    EXPECT_DOUBLE_EQ(t.Rows[2].Maxima[11].Depth, 0);

    const std::string csv = AnnualMaximaCsv(t, TCsvFormat::ForDecimal(','));
    EXPECT_EQ(csv.substr(0, csv.find("\r\n")),
              "C\xC3\xB3"
              "digo;Esta\xC3\xA7\xC3\xA3o;Ano;Dura\xC3\xA7\xC3\xA3o (min);Altura (mm);Intensidade "
              "(mm/h);In\xC3\xAD"
              "cio;Limite inferior;Pluviograma;Pluviogramas utilizados;Pluviogramas do ano");
    EXPECT_NE(csv.find("\r\n11111111;Esta\xC3\xA7\xC3\xA3o 11111111;2001;30;4,00;8,00;10/01/2001 "
                       "10:00:00;n\xC3\xA3o;11111111/11111111-20010110.pvd;4;5\r\n"),
              std::string::npos);
    EXPECT_NE(csv.find("\r\n11111111;Esta\xC3\xA7\xC3\xA3o 11111111;2001;1440;7,00;0,29;05/03/2001 "
                       "07:00:00;sim;11111111/11111111-20010305.pvd;4;5\r\n"),
              std::string::npos);
    EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 1 + 3 * 12);

    // A folder that is not there gives an empty table, not an error of its own.
    EXPECT_TRUE(AnnualMaxima(dir + "nada").Rows.empty());
}
