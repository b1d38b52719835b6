// Grid registration on small generated charts of every kind, non-charts refused, and the model file.

#include "ChartSynth.h"

#include "trace/ChartModel.h"
#include "trace/GridRegistration.h"

#include <gtest/gtest.h>
#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>
#include <string>

using namespace rs::trace;

namespace {

synth::TSynthChart Chart(const std::string& kind, std::uint64_t seed)
{
    synth::TSynthOptions o = synth::OptionsFor("dpi100+" + kind, seed);
    // A print pale enough to vanish from a 1-bit scan has no grid left to find.
    o.GridStrength = std::max(o.GridStrength, 0.9);
    if (o.Mode == synth::TScanMode::BlackWhite)
        o.Grid = synth::TGridColour::Grey;
    return synth::Generate(o);
}

} // namespace

class GridKinds : public ::testing::TestWithParam<const char*> {};

TEST_P(GridKinds, ControlPointsOnThePrintedIntersections)
{
    const synth::TSynthChart c = Chart(GetParam(), 11);
    const TChartModel& model = DefaultChartModel(c.Options.Hour, c.Options.Curved);
    const TGridResult g = RegisterGrid(c.Image, model);
    ASSERT_TRUE(g.Found) << g.Error;
    ASSERT_GE(g.Controls.size(), 7u);
    double early = 1e9, late = -1e9;
    bool bottom = false, middle = false, top = false;
    for (const TGridControl& p : g.Controls) {
        const cv::Point2d truth = c.ImagePos(p.T, p.P);
        EXPECT_LT(std::hypot(p.X - truth.x, p.Y - truth.y), 0.6) << p.T << " h " << p.P << " mm";
        early = std::min(early, p.T);
        late = std::max(late, p.T);
        bottom |= p.P == 0;
        middle |= p.P == 5;
        top |= p.P == 10;
    }
    EXPECT_LE(early, c.Options.Hour + 2);
    EXPECT_GE(late, c.Options.Hour + 22);
    EXPECT_TRUE(bottom && middle && top);
    EXPECT_LT(g.MaxTimeResidual * 60, 1.0);
    EXPECT_LT(g.MaxPrecResidual, 0.02);

    // A click a few pixels off an intersection snaps onto it; halfway between lines does not.
    const cv::Point2d q = c.ImagePos(c.Options.Hour + 3, 4);
    TGridControl s;
    ASSERT_TRUE(SnapToGrid(g, q.x + 1.5, q.y - 1.0, 3, s));
    EXPECT_NEAR(s.T, c.Options.Hour + 3, 1e-9);
    EXPECT_NEAR(s.P, 4, 1e-9);
    EXPECT_LT(std::hypot(s.X - q.x, s.Y - q.y), 0.6);
    const cv::Point2d between = c.ImagePos(c.Options.Hour + 3 + 1 / 12.0, 4.1);
    EXPECT_FALSE(SnapToGrid(g, between.x, between.y, 3, s));
}

INSTANTIATE_TEST_SUITE_P(Registration, GridKinds,
                         ::testing::Values("straight+clean", "curved", "rotated", "rotated+curved", "bw+dpi200",
                                           "shrunk+red+busy", "grey-scan+grey-grid+busy"));

TEST(GridRegistration, WhatIsNotAChartOfTheModelIsRefused)
{
    const synth::TSynthChart c = Chart("straight+clean", 5);
    const TChartModel& model = DefaultChartModel(c.Options.Hour, false);
    cv::Mat noise(400, 1600, CV_8UC3);
    cv::randu(noise, 0, 255);
    cv::GaussianBlur(noise, noise, cv::Size(0, 0), 6); // a photograph's smooth shapes
    cv::Mat blank(400, 1600, CV_8UC3, cv::Scalar(235, 240, 240));
    const cv::Mat half = c.Image(cv::Rect(0, 0, c.Image.cols / 2, c.Image.rows)).clone();
    TChartModel other = model;
    other.Hours = 24;
    TChartModel fewerMm = model;
    fewerMm.MaxMm = 5;
    struct TCase { const char* Name; cv::Mat Image; TChartModel Model; };
    for (const TCase& k : {TCase{"photograph", noise, model}, TCase{"blank", blank, model},
                           TCase{"cut in half", half, model}, TCase{"24 h model", c.Image, other},
                           TCase{"5 mm model", c.Image, fewerMm}}) {
        const TGridResult g = RegisterGrid(k.Image, k.Model);
        EXPECT_FALSE(g.Found) << k.Name;
        EXPECT_TRUE(g.Controls.empty()) << k.Name;
        EXPECT_EQ(g.Error.rfind("Grade n\xE3o encontrada: ", 0), 0u) << k.Name << ": " << g.Error;
    }
}

TEST(ChartModels, DefaultsAndTheOperatorsFileLineByLine)
{
    ASSERT_EQ(DefaultChartModels().size(), 6u);
    EXPECT_EQ(DefaultChartModel(8, true).Name, "Curvo 8h");
    EXPECT_EQ(DefaultChartModel(9, false).Hours, 25);

    const std::string text = "; modelos do operador\r\n"
                             "Semanal;8;168;0;10;2;5;reto;2;8\r\n"
                             "Negativo;7;-25;0;10;6;5;reto\r\n"
                             "Sem linhas;7;25;0;10;0;5;curvo\r\n"
                             "Faixa;7;25;10;0;6;5;reto\r\n"
                             "Curto;7;25;0;10;6;5\r\n"
                             "Tipo;7;25;0;10;6;5;torto\r\n"
                             "\r\n"
                             "Curvo 7h;7;24;0;10;6;5;curvo\r\n"
                             "Pequeno;7;12;0;5;6;2;curvo;20;10";
    const TModelFileResult r = ParseChartModels(text);
    ASSERT_EQ(r.Models.size(), 2u); // "Semanal" (168 h is more than the 48 allowed) refused too
    EXPECT_EQ(r.Models[0].Name, "Curvo 7h");
    EXPECT_EQ(r.Models[0].Hours, 24);
    EXPECT_TRUE(r.Models[1].Curved);
    EXPECT_EQ(r.Models[1].MmSpans(), 5);
    EXPECT_DOUBLE_EQ(r.Models[1].HourPaperMm, 20);
    ASSERT_EQ(r.Errors.size(), 6u);
    for (int i = 0; i < 6; ++i)
        EXPECT_NE(r.Errors[std::size_t(i)].find("linha " + std::to_string(i + 2) + ":"), std::string::npos)
            << r.Errors[std::size_t(i)];
}

#include "trace/ScanImage.h"

#include <filesystem>

TEST(GridRegistration, RealScanPlacementHourAtTheLeftEnd)
{
    std::string path;
    for (const char* up : {"/../shared", "/../../shared"}) // the repository, or a worktree beside it
        if (std::filesystem::exists(std::string(RS_SOURCE_DIR) + up + "/scans/m162-2014-03-06.tif"))
            path = std::string(RS_SOURCE_DIR) + up + "/scans/m162-2014-03-06.tif";
    if (path.empty())
        GTEST_SKIP() << "no real scan beside the repository";
    const TScan scan = LoadScan(path, 0);
    ASSERT_TRUE(scan.Ok()) << scan.Error;
    const TGridResult g = RegisterGrid(scan.Image, DefaultChartModel(7, false));
    ASSERT_TRUE(g.Found) << g.Error;
    // Printed on this paper: the 7 h line under its "7" near the left end, the 8 h line of the next day
    // near the right end, 10 mm at the top of the grid and 0 mm at its bottom.
    const cv::Point2d first = g.Pixel(7, 5), last = g.Pixel(32, 5);
    EXPECT_NEAR(first.x, 57, 4);
    EXPECT_NEAR(last.x, 1641, 6);
    EXPECT_NEAR(g.Pixel(7, 10).y, 31, 3);
    EXPECT_NEAR(g.Pixel(7, 0).y, 346, 3);
    EXPECT_LT(g.MaxTimeResidual * 60, 3.0);
    EXPECT_LT(g.MaxPrecResidual, 0.05);
}
