// The synthetic chart generator: deterministic, its truth where the ink is, its
// accumulation the program's, its files declaring their resolution.

#include "ChartSynth.h"

#include "document/uRChart.h"
#include "tablet/ImageResolution.h"

#include <gtest/gtest.h>
#include <opencv2/imgproc.hpp>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

synth::TSynthOptions Small(const std::string& kind, std::uint64_t seed)
{
    synth::TSynthOptions o = synth::OptionsFor(kind, seed);
    o.Dpi = 100;
    return o;
}

TEST(Synth, SameSeedSameChartOtherSeedOtherChart)
{
    const synth::TSynthChart a = synth::Generate(Small("random+busy+jpeg", 7));
    const synth::TSynthChart b = synth::Generate(Small("random+busy+jpeg", 7));
    const synth::TSynthChart c = synth::Generate(Small("random+busy+jpeg", 8));
    ASSERT_EQ(a.Image.size(), b.Image.size());
    EXPECT_EQ(cv::norm(a.Image, b.Image, cv::NORM_INF), 0.0);
    ASSERT_EQ(a.Pen.size(), b.Pen.size());
    for (std::size_t i = 0; i < a.Pen.size(); ++i)
        EXPECT_TRUE(a.Pen[i].T == b.Pen[i].T && a.Pen[i].P == b.Pen[i].P && a.Pen[i].Mark == b.Pen[i].Mark);
    EXPECT_TRUE(a.Image.size() != c.Image.size() || cv::norm(a.Image, c.Image, cv::NORM_INF) > 0);
}

struct TInkCase
{
    const char* Kind;
    double Dpi;
};

class SynthInk : public testing::TestWithParam<TInkCase>
{
};

// Along the true curve the clean image holds ink; the control points and the
// printed intersections lie on the print; ChartAt undoes ImagePos.
TEST_P(SynthInk, TruthLiesOnTheInk)
{
    synth::TSynthOptions o = synth::OptionsFor(std::string(GetParam().Kind) + "+clean", 21);
    o.RainEvents = 3;
    o.RainTotal = 25;
    o.Dpi = GetParam().Dpi;
    o.Ink = synth::TInkColour::Black;
    o.InkStrength = 1.0;
    o.PenWidthMm = 0.4;
    o.Mode = synth::TScanMode::Colour;
    o.Noise = 0;
    o.BlurPx = 0.3;
    o.JpegQuality = 0;
    o.Failure = true;
    const synth::TSynthChart c = synth::Generate(o);
    cv::Mat grey;
    cv::cvtColor(c.Image, grey, cv::COLOR_BGR2GRAY);
    const auto at = [&](cv::Point2d q) { return int(grey.at<std::uint8_t>(int(q.y), int(q.x))); };
    ASSERT_EQ(c.Missing.size(), 1u);
    int checked = 0;
    for (std::size_t i = 0; i + 1 < c.Pen.size(); ++i) {
        if (c.Pen[i].Mark == 2)
            continue; // the missing record has no ink
        for (double f : {0.0, 0.5}) {
            const double t = c.Pen[i].T + f * (c.Pen[i + 1].T - c.Pen[i].T);
            const double p = c.Pen[i].P + f * (c.Pen[i + 1].P - c.Pen[i].P);
            // A siphon drop is swept in seconds: paler ink.
            EXPECT_LT(at(c.ImagePos(t, p)), c.Pen[i].Mark == 1 ? 170 : 110) << "t=" << t << " p=" << p;
            const cv::Point2d back = c.ChartAt(c.ImagePos(t, p));
            EXPECT_NEAR(back.x, t, 1e-9);
            EXPECT_NEAR(back.y, p, 1e-9);
            ++checked;
        }
    }
    EXPECT_GT(checked, 10);
    // The middle of the missing record is bare paper or print, no ink.
    const double mid = (c.Missing[0].first + c.Missing[0].second) / 2;
    EXPECT_GT(at(c.ImagePos(mid, (c.Pen.front().P + c.Pen.back().P) / 2 + 0.1)), 60);
    ASSERT_GE(c.Controls.size(), 7u);
    for (const synth::TControlPoint& k : c.Controls) {
        EXPECT_LT(std::hypot(k.X - c.ImagePos(k.T, k.P).x, k.Y - c.ImagePos(k.T, k.P).y), 1.5);
        EXPECT_LT(at({k.X, k.Y}), 225) << "control at " << k.T << " h, " << k.P << " mm";
    }
}

INSTANTIATE_TEST_SUITE_P(Kinds, SynthInk,
                         testing::Values(TInkCase{"straight", 100}, TInkCase{"curved", 150},
                                         TInkCase{"rotated+shrunk", 200}, TInkCase{"curved+rotated", 300}));

// The truth's accumulation is the program's: peaks, failures and sum as TCurve::Recalc.
TEST(Synth, RunningTotalFollowsTheProgramsRules)
{
    for (const char* kind : {"storm", "failure+storm", "curved+failure", "dry", "random"}) {
        for (std::uint64_t seed : {3u, 4u, 5u}) {
            const synth::TSynthChart c = synth::GenerateTruth(synth::OptionsFor(kind, seed));
            rs::TRChart chart;
            rs::TCurve& curve = chart.Curve();
            for (const synth::TPenPoint& p : c.Pen)
                ASSERT_TRUE(curve.AddPoint(p.T, p.P, true));
            for (std::size_t i = 0; i < c.Pen.size(); ++i)
                curve.Items(int(i))->SetMark(c.Pen[i].Mark);
            curve.Recalc();
            EXPECT_EQ(c.Siphons, curve.Peaks) << kind << " " << seed;
            EXPECT_EQ(c.Failures, curve.Failures) << kind << " " << seed;
            EXPECT_NEAR(c.Sum, curve.Sum, 1e-9) << kind << " " << seed;
        }
    }
}

TEST(Synth, RunningTotalCarriesSiphonsAndRestartsAfterAFailure)
{
    // 0.5 mm, a siphon at 10 back to 0.1, up to 2, a missing record from 14 h to 16 h, then 3 to 4.
    const std::vector<synth::TPenPoint> pen{{8, 0.5, 0},  {10, 10, 1},   {10.001, 0.1, 0},
                                            {12, 2, 0},  {14, 2, 2},    {16, 3, 0}, {18, 4, 0}};
    const std::vector<double> times{7, 9, 10.0005, 11.0005, 15, 17, 19};
    const synth::TRunningTotal r = synth::RunningTotal(pen, times);
    EXPECT_EQ(r.Peaks, 1);
    EXPECT_EQ(r.Failures, 1);
    EXPECT_NEAR(r.Sum, 12.0 + 4.0, 1e-9);
    const double expected[] = {0.5, 5.25, 10.05, 11.05, 12.0, 15.5, 16.0};
    for (std::size_t i = 0; i < times.size(); ++i)
        EXPECT_NEAR(r.Value[i], expected[i], 1e-9) << times[i];
    EXPECT_FALSE(r.Known[4]);
    EXPECT_TRUE(r.Known[5]);
    EXPECT_NEAR(synth::LargestRain(r, r.Known, 1), 10.05 - 5.25, 1e-9); // windows across the missing record left out
}

TEST(Synth, WrittenImagesDeclareTheirResolution)
{
    const synth::TSynthChart c = synth::Generate(Small("random", 11));
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "rs-synth-test";
    std::filesystem::create_directories(dir);
    for (const char* ext : {".png", ".jpg", ".tif"}) {
        const std::string file = (dir / (std::string("chart") + ext)).string();
        std::string error;
        ASSERT_TRUE(synth::WriteImage(c, file, error, std::string(ext) == ".tif")) << error;
        std::ifstream in(file, std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        rs::TImageResolution res;
        ASSERT_TRUE(rs::ReadImageResolution(bytes, res)) << ext;
        EXPECT_NEAR(res.DpiX, c.Options.Dpi, 0.05) << ext;
        EXPECT_NEAR(res.DpiY, c.Options.Dpi, 0.05) << ext;
    }
    std::string error;
    EXPECT_FALSE(synth::WriteImage(c, (dir / "chart.xyz").string(), error));
    EXPECT_FALSE(error.empty());
    std::filesystem::remove_all(dir);
}

} // namespace
