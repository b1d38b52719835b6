#include "scale/uScale.h"

#include "support/TestCharts.h"

#include <gtest/gtest.h>

#include <random>

using namespace rs;
using namespace rs::test;

namespace {

struct CountingSurface : TDrawSurface
{
    int changes = 0;
    void InvalidateRect(const TRect&) override {}
    void MarkersChanged(TPointList*) override { ++changes; }
};

struct ScaleFixture : ::testing::Test
{
    TRChart chart;
    TScale& scale = chart.Scale();
    void Start(bool linear, int hour = 7)
    {
        chart.SetInfo(SampleInfo(linear, hour));
        scale.SetGridRect({20, 311, 620, 111});
        scale.SetZoom(1);
        scale.SetCoordMode(1);
        chart.BeginScale();
    }
    // A control point with explicit tablet position and provided values.
    bool AddAt(int x, int y, double t, double p)
    {
        auto* pt = new TDigPoint;
        pt->X = x;
        pt->Y = y;
        pt->SetValue(t, p);
        if (!scale.AcceptPoint(pt) || scale.Append(pt) < 0) {
            delete pt;
            return false;
        }
        return true;
    }
};

} // namespace

TEST_F(ScaleFixture, EnoughPointsByAxisKind)
{
    Start(true);
    const double v[][2] = {{8, 0}, {12, 8}, {16, 2}, {20, 10}, {24, 5}, {28, 6}, {30, 1}};
    for (int i = 0; i < 4; ++i)
        AddControlPoint(chart, v[i][0], v[i][1]);
    EXPECT_FALSE(scale.Valid);
    AddControlPoint(chart, v[4][0], v[4][1]);
    EXPECT_TRUE(scale.Valid);
    EXPECT_NEAR(scale.PrecR2, 1.0, 1e-12);

    TRChart curved;
    curved.SetInfo(SampleInfo(false));
    curved.BeginScale();
    for (int i = 0; i < 6; ++i)
        AddControlPoint(curved, v[i][0], v[i][1]);
    EXPECT_FALSE(curved.Scale().Valid);
    AddControlPoint(curved, v[6][0], v[6][1]);
    EXPECT_TRUE(curved.Scale().Valid);
}

TEST_F(ScaleFixture, SingularSystemStaysInvalid)
{
    Start(true);
    for (int i = 0; i < 5; ++i)
        ASSERT_TRUE(AddAt(1000, 1000 + 300 * i, 8 + i, i));
    EXPECT_FALSE(scale.Valid);
    EXPECT_EQ(scale.PrecA, 0);
    double a = 7, b = 7, c = 7, r2 = 7;
    EXPECT_FALSE(FitPlane({1, 1, 1}, {1, 2, 3}, {1, 2, 3}, a, b, c, r2));
    EXPECT_EQ(a, 7);
    EXPECT_FALSE(FitPlane({1, 2}, {1, 2}, {1, 2}, a, b, c, r2));
}

TEST(FitPlane, RecoversAnExactPlaneAndFlatData)
{
    std::vector<double> x{0, 10, 0, 10, 5}, y{0, 0, 10, 10, 3}, z;
    for (std::size_t i = 0; i < x.size(); ++i)
        z.push_back(0.5 * x[i] - 2 * y[i] + 3);
    double a, b, c, r2;
    ASSERT_TRUE(FitPlane(x, y, z, a, b, c, r2));
    EXPECT_NEAR(a, 0.5, 1e-12);
    EXPECT_NEAR(b, -2, 1e-12);
    EXPECT_NEAR(c, 3, 1e-12);
    EXPECT_NEAR(r2, 1, 1e-12);
    // All provided values equal: determined plane, no abort.
    ASSERT_TRUE(FitPlane(x, y, {4, 4, 4, 4, 4}, a, b, c, r2));
    EXPECT_NEAR(c, 4, 1e-12);
    EXPECT_TRUE(std::isfinite(r2));
}

TEST(FitPlane, PointsOnOneLineNeverFitAndSpreadOnesAlways)
{
    // Seven control points on one line, at tablet counts: the normal equations are
    // singular, though their rounding rarely leaves a determinant of exactly zero.
    std::mt19937 rng(15);
    std::uniform_int_distribution<int> at(0, 40000), step(-3000, 3000), slot(0, 12);
    double a, b, c, r2;
    for (int k = 0; k < 1000; ++k) {
        const int x0 = at(rng), y0 = at(rng), dx = step(rng), dy = step(rng) | 1;
        std::vector<double> x, y, z;
        for (int i = 0; i < 7; ++i) {
            const int s = slot(rng);
            x.push_back(x0 + dx * s);
            y.push_back(y0 + dy * s);
            z.push_back(i);
        }
        EXPECT_FALSE(FitPlane(x, y, z, a, b, c, r2)) << "set " << k;
    }
    // Control points spread over a real chart (1000 counts per inch: about 420 per
    // hour and 300 per mm), anywhere on a large tablet, a little askew, ±2 counts of noise.
    std::uniform_real_distribution<double> unit(0, 1);
    std::uniform_int_distribution<int> noise(-2, 2);
    const double v[][2] = {{7.5, 0}, {12, 10}, {16, 0}, {20, 10}, {24, 5}, {30, 0}, {30.5, 10}};
    for (int k = 0; k < 1000; ++k) {
        const double ox = 1000 + unit(rng) * 30000, oy = 1000 + unit(rng) * 30000;
        const double turn = (unit(rng) - 0.5) * 0.1;
        std::vector<double> x, y, t;
        for (auto& p : v) {
            const double cx = (p[0] - 7) * 420, cy = p[1] * 300;
            x.push_back(std::round(ox + cx * std::cos(turn) - cy * std::sin(turn)) + noise(rng));
            y.push_back(std::round(oy + cx * std::sin(turn) + cy * std::cos(turn)) + noise(rng));
            t.push_back(p[0]);
        }
        ASSERT_TRUE(FitPlane(x, y, t, a, b, c, r2)) << "set " << k;
        EXPECT_GT(r2, 0.9999);
    }
}

TEST_F(ScaleFixture, ConclusionTolerances)
{
    Start(true);
    // Five exact points and a sixth whose provided time is off by exactly 1/12 h
    // less its share of the fit; check the tolerance rule itself on residuals.
    for (auto& v : std::vector<std::array<double, 2>>{{8, 0}, {12, 8}, {16, 2}, {20, 10}, {24, 5}})
        AddControlPoint(chart, v[0], v[1]);
    ASSERT_TRUE(scale.WithinTolerance());
    TResiduals r;
    ASSERT_TRUE(scale.MaxResiduals(r));
    // Shift one provided value so that its residual is known after a refit.
    TRChart c2;
    c2.SetInfo(SampleInfo(true));
    c2.BeginScale();
    for (auto& v : std::vector<std::array<double, 2>>{{8, 0}, {12, 8}, {16, 2}, {20, 10}, {24, 5}, {28, 3}})
        AddControlPoint(c2, v[0], v[1]);
    c2.Scale().Items(5)->SetValue(28 + 0.5, 3); // off by half an hour
    c2.Scale().Fit();
    EXPECT_TRUE(c2.Scale().Valid);
    EXPECT_FALSE(c2.Scale().WithinTolerance());
    EXPECT_FALSE(c2.ConcludeScale() && c2.Scale().WithinTolerance());
}

TEST(ScaleTolerance, BoundsAreInclusiveForTimeStrictForPrecipitation)
{
    // Residuals built directly: planes that read exactly the provided values plus an offset.
    TRChart c;
    c.SetInfo(SampleInfo(true));
    TScale& s = c.Scale();
    auto* p = new TDigPoint;
    p->X = 0;
    p->Y = 0;
    p->SetValue(0, 0);
    s.Append(p);
    s.TimeC = 1.0 / 12;
    s.PrecC = 0.0999;
    EXPECT_TRUE(s.WithinTolerance());
    s.PrecC = 0.1;
    EXPECT_FALSE(s.WithinTolerance());
}

TEST(ScaleResiduals, TiesKeepTheEarlierPoint)
{
    TRChart c;
    c.SetInfo(SampleInfo(true));
    TScale& s = c.Scale();
    for (int i = 0; i < 2; ++i) {
        auto* p = new TDigPoint;
        p->X = i;
        s.Append(p);
    }
    // TimeAt(x) = x * -0.08 + 0.04: residuals +0.04 and -0.04.
    s.TimeA = -0.08;
    s.TimeC = 0.04;
    TResiduals r;
    ASSERT_TRUE(s.MaxResiduals(r));
    EXPECT_NEAR(r.Time, 0.04, 1e-12);
    EXPECT_EQ(r.TimeIndex, 0);
    TScale empty(nullptr, nullptr);
    EXPECT_FALSE(empty.MaxResiduals(r));
}

TEST_F(ScaleFixture, NearPointsAreRejected)
{
    Start(true);
    ASSERT_TRUE(AddAt(1000, 1000, 10, 2));
    EXPECT_FALSE(AddAt(1199, 1000, 20, 8));          // 199 counts away
    EXPECT_TRUE(AddAt(1200, 1000, 10.5, 2));          // exactly 200 counts, 0.5 h apart
    EXPECT_FALSE(AddAt(5000, 5000, 10.4, 2.3));       // close in value anywhere on the tablet
    EXPECT_TRUE(AddAt(9000, 9000, 11.0, 2.3));        // 0.5 h from the second point
    TRChart dry;
    dry.SetKind(1);
    TDigPoint p;
    EXPECT_FALSE(dry.Scale().AcceptPoint(&p));
}

TEST_F(ScaleFixture, CurvedChartArcCorrection)
{
    Start(false);
    const double v[][2] = {{8, 0}, {12, 8}, {16, 2}, {20, 10}, {24, 5}, {28, 6}, {30, 1}, {10, 9}};
    for (auto& p : v)
        AddControlPoint(chart, p[0], p[1]);
    ASSERT_TRUE(scale.Valid);
    auto plane = [&](int x, int y) { return scale.TimeA * x + scale.TimeB * y + scale.TimeC; };
    auto [x5, y5] = ToTablet(15, 5, false);
    EXPECT_NEAR(scale.PrecAt(x5, y5), 5, 1e-9);
    EXPECT_NEAR(scale.TimeAt(x5, y5), plane(x5, y5) - std::pow(scale.PrecAt(x5, y5) - 5, 2) / 72, 1e-12);
    EXPECT_NEAR(scale.TimeAt(x5, y5), 15, 2e-3);
    auto [x0, y0] = ToTablet(15, 0, false);
    EXPECT_NEAR(plane(x0, y0) - scale.TimeAt(x0, y0), 25.0 / 72, 1e-9);
    auto [x10, y10] = ToTablet(15, 10, false);
    EXPECT_NEAR(plane(x10, y10) - scale.TimeAt(x10, y10), 25.0 / 72, 1e-9);
}

TEST_F(ScaleFixture, AccuracyWithTabletNoise)
{
    // Seven points on a curved chart, ±2 counts of noise: within a minute and 0.02 mm everywhere.
    Start(false);
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> noise(-2, 2);
    const double v[][2] = {{7.5, 0}, {12, 10}, {16, 0}, {20, 10}, {24, 5}, {30, 0}, {30.5, 10}};
    for (auto& p : v) {
        auto [x, y] = ToTablet(p[0], p[1], false);
        ASSERT_TRUE(AddAt(x + noise(rng), y + noise(rng), p[0], p[1]));
    }
    ASSERT_TRUE(scale.Valid);
    for (double t = 7; t <= 31; t += 0.5)
        for (double p = -1; p <= 11; p += 0.5) {
            auto [x, y] = ToTablet(t, p, false);
            EXPECT_NEAR(scale.TimeAt(x, y), t, 1.0 / 60) << t << " " << p;
            EXPECT_NEAR(scale.PrecAt(x, y), p, 0.02) << t << " " << p;
        }
}

TEST_F(ScaleFixture, PixelConversions)
{
    Start(true, 8);
    EXPECT_EQ(scale.TimeToX(8), 20);
    EXPECT_EQ(scale.TimeToX(32), 620);
    EXPECT_EQ(scale.PrecToY(-1), 311);
    EXPECT_EQ(scale.PrecToY(11), 111);
    EXPECT_DOUBLE_EQ(scale.XToTime(scale.TimeToX(20)), 20);
    EXPECT_NEAR(scale.YToPrec(scale.PrecToY(5)), 5, 1e-9);
    chart.SetZoom(2);
    EXPECT_EQ(scale.TimeToX(8), 40);
    EXPECT_NEAR(scale.XToTime(40), 8, 1e-12);
    // Halves round to even.
    chart.SetZoom(1);
    scale.SetGridRect({0, 0, 1, 1});
    EXPECT_EQ(scale.TimeToX(8 + 12), 0);     // 0.5 -> 0
    EXPECT_EQ(scale.TimeToX(8 + 36), 2);     // 1.5 -> 2
    EXPECT_EQ(RoundEven(2.5), 2);
    EXPECT_EQ(RoundEven(-1.5), -2);
    EXPECT_EQ(RoundEven(1e300), INT_MAX);
    scale.TabletRect = {0, 18000, 24000, 0}; // top is the larger Y
    scale.BoxRect = {0, 0, 633, 422};
    EXPECT_EQ(scale.TabletToPixel(24000, 0), (TPoint{633, 422}));
    EXPECT_EQ(scale.TabletToPixel(0, 18000), (TPoint{0, 0}));
    double px, py;
    scale.CursorPixel(12000, 9000, px, py);
    EXPECT_DOUBLE_EQ(px, 316.5);
    EXPECT_DOUBLE_EQ(py, 211);
}

TEST(ScaleMarkers, RepositionOnlyWhenSomethingChanges)
{
    CountingSurface surface;
    TRChart c(&surface);
    c.Scale().SetGridRect({20, 311, 620, 111});
    c.Scale().SetZoom(1);
    const int before = surface.changes;
    c.Scale().SetZoom(1);
    c.Scale().SetGridRect({20, 311, 620, 111});
    EXPECT_EQ(surface.changes, before);
    c.Scale().SetZoom(1.5);
    EXPECT_GT(surface.changes, before);
}

TEST_F(ScaleFixture, HintsPredefinedMarksAndNextToMark)
{
    chart.SetInfo(SampleInfo(true));
    scale.SetGridRect({20, 311, 620, 111});
    scale.SetZoom(1);
    const double v[][2] = {{8, 0}, {12, 8}, {16, 2}, {20, 10}, {24, 5}};
    for (auto& p : v)
        scale.Predefined().AddNew()->SetValue(p[0], p[1]);
    for (int i = 0; i < 5; ++i)
        scale.Predefined().Items(i)->SetMark(-1);
    chart.BeginScale();
    EXPECT_TRUE(scale.MarkingPredefined());
    EXPECT_EQ(scale.NextToMark(), 0);
    AddControlPoint(chart, 8, 0);
    EXPECT_EQ(scale.Predefined().Items(0)->Mark(), 1);
    EXPECT_EQ(scale.NextToMark(), 1);
    EXPECT_EQ(scale.Items(0)->Hint(), "(08:00 h; 0 mm)");
    delete scale.Items(0);
    EXPECT_EQ(scale.Predefined().Items(0)->Mark(), -1);
    for (auto& p : v)
        AddControlPoint(chart, p[0], p[1]);
    ASSERT_TRUE(scale.Valid);
    EXPECT_EQ(scale.NextToMark(), -1);
    scale.Items(1)->SetValue(12.05, 8); // provided 3 minutes later than calculated
    scale.Fit();
    EXPECT_NE(scale.Items(1)->Hint().find("Tempo (h:m)\r\n-------------------\r\nCalc.: "), std::string::npos);
    EXPECT_NE(scale.Items(1)->Hint().find("Precip. (mm)"), std::string::npos);
    scale.SetCoordMode(1);
    EXPECT_TRUE(scale.Predefined().IsEmpty());
    EXPECT_FALSE(scale.MarkingPredefined());
}

TEST_F(ScaleFixture, ResetAndConclude)
{
    Start(true);
    for (auto& v : std::vector<std::array<double, 2>>{{8, 0}, {12, 8}, {16, 2}, {20, 10}, {24, 5}})
        AddControlPoint(chart, v[0], v[1]);
    TRChart other;
    other.SetInfo(SampleInfo(true));
    other.BeginScale();
    AddControlPoint(other, 8, 0);
    other.CancelScale();
    EXPECT_TRUE(other.Scale().IsEmpty());
    EXPECT_FALSE(other.Scale().Valid);
    EXPECT_EQ(other.Scale().CoordMode, 1);
    EXPECT_EQ(other.Scale().TimeC, 0);
    ASSERT_TRUE(chart.ConcludeScale());
    EXPECT_TRUE(scale.Concluded);
    EXPECT_FALSE(scale.Editing());
    EXPECT_FALSE(scale.Items(0)->Clickable());
    scale.Reset(); // only while defining
    EXPECT_EQ(scale.Count(), 5);
}
