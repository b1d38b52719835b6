// rainscribe-cli trace --auto-scale: the grid's control points in the JSON line, and the refusals.

#include "ChartSynth.h"

#include "support/TestCharts.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <opencv2/imgcodecs.hpp>

#include <array>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <sys/wait.h>

using nlohmann::json;

namespace {

struct TRun
{
    int Status = -1;
    std::string Out;
};

TRun RunCli(const std::string& args)
{
    TRun r;
    const std::string cmd = std::string("LC_ALL=C ") + RS_CLI_PATH + " " + args + " 2>/dev/null";
    std::FILE* p = popen(cmd.c_str(), "r");
    if (!p)
        return r;
    std::array<char, 4096> buf;
    std::size_t n;
    while ((n = std::fread(buf.data(), 1, buf.size(), p)) > 0)
        r.Out.append(buf.data(), n);
    const int st = pclose(p);
    r.Status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    return r;
}

struct CliAutoScale : ::testing::Test
{
    std::string Dir = rs::test::TempDir("cliauto");
    void TearDown() override { std::filesystem::remove_all(Dir); }
};

} // namespace

TEST_F(CliAutoScale, ControlPointsFoundOnTheGridOrTheReasonWhyNot)
{
    synth::TSynthOptions o = synth::OptionsFor("plain+curved+clean+dpi100", 7);
    o.Hour = 8;
    const synth::TSynthChart chart = synth::Generate(o);
    std::string err;
    ASSERT_TRUE(synth::WriteImage(chart, Dir + "c.png", err)) << err;
    const std::string common = " -o " + Dir + "c.pvd --station 12345678 --date 06/03/2014 --hour 8 --curved ";

    TRun r = RunCli("trace " + Dir + "c.png" + common + "--auto-scale");
    ASSERT_EQ(r.Status, 0) << r.Out;
    const json j = json::parse(r.Out);
    ASSERT_GE(j["controls"].size(), 7u);
    for (const json& c : j["controls"]) {
        const cv::Point2d truth = chart.ImagePos(c["t"].get<double>(), c["p"].get<double>());
        EXPECT_LT(std::hypot(c["x"].get<double>() - truth.x, c["y"].get<double>() - truth.y), 0.6);
    }
    EXPECT_LT(std::abs(j["residuals"]["time_min"].get<double>()), 1.0);
    EXPECT_LT(std::abs(j["residuals"]["prec_mm"].get<double>()), 0.02);
    EXPECT_TRUE(std::filesystem::exists(Dir + "c.pvd"));

    // A scan without a chart: exit 4, the reason, and no file.
    cv::Mat noise(400, 1700, CV_8UC3);
    cv::randu(noise, 0, 255);
    ASSERT_TRUE(cv::imwrite(Dir + "n.png", noise));
    r = RunCli("trace " + Dir + "n.png -o " + Dir + "n.pvd --station 12345678 --date 06/03/2014 --auto-scale");
    EXPECT_EQ(r.Status, 4);
    EXPECT_EQ(json::parse(r.Out)["error"], "grid");
    EXPECT_FALSE(std::filesystem::exists(Dir + "n.pvd"));

    // Both ways of giving control points, or an unknown model: bad arguments.
    EXPECT_EQ(RunCli("trace " + Dir + "c.png" + common + "--auto-scale --control 1,2,9,0").Status, 3);
    EXPECT_EQ(RunCli("trace " + Dir + "c.png" + common + "--auto-scale --model Inexistente").Status, 3);
    EXPECT_EQ(RunCli("trace " + Dir + "c.png" + common + "--model \"Curvo 8h\"").Status, 3);
}
