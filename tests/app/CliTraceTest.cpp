#include "support/DrawnChart.h"
#include "support/TestCharts.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <opencv2/imgcodecs.hpp>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sys/wait.h>

using namespace rs;
using nlohmann::json;

namespace {

struct TRun
{
    int Status = -1;
    std::string Out;
};

TRun Cli(const std::string& args)
{
    TRun r;
    const std::string cmd = std::string("LC_ALL=C ") + RS_CLI_PATH + " trace " + args + " 2>/dev/null";
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

std::string ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

struct CliTrace : ::testing::Test
{
    std::string dir = test::TempDir("clitrace");
    std::string image = dir + "chart.png";
    rs::test::TDrawnChart chart;

    void SetUp() override
    {
        chart.Pen = {{7.2, 0.6}, {10.0, 0.6}, {12.5, 9.9}, {12.501, 0.05}, {15.0, 3.0}, {30.5, 3.0}};
        ASSERT_TRUE(cv::imwrite(image, chart.Draw()));
    }
    void TearDown() override { std::filesystem::remove_all(dir); }

    std::string Controls(double shiftHours = 0) const
    {
        std::string s;
        bool first = true;
        for (auto& c : chart.Controls()) {
            s += Format(" --control %.3f,%.3f,%.4f,%.3f", c[0], c[1], c[2] + (first ? shiftHours : 0), c[3]);
            first = false;
        }
        return s;
    }
    std::string Args(const std::string& out) const
    {
        return image + " -o " + out + " --station 12345678 --date 06/03/2014" + Controls();
    }
};

} // namespace

TEST_F(CliTrace, WritesTheTracedChartAndItsOverlay)
{
    const std::string out = dir + "t.pvd", pic = dir + "t.png";
    const TRun r = Cli(Args(out) + " --name Esta\xC3\xA7\xC3\xA3o --overlay " + pic);
    ASSERT_EQ(r.Status, 0) << r.Out;
    const json j = json::parse(r.Out);
    for (const char* k : {"file", "points", "picos", "failures", "sum", "confidence", "unsure", "seconds"})
        EXPECT_TRUE(j.contains(k)) << k;
    EXPECT_EQ(j["picos"], 1);
    EXPECT_EQ(j["failures"], 0);
    EXPECT_NEAR(j["sum"].get<double>(), 12.9, 0.3);

    TRChart c;
    ASSERT_TRUE(c.LoadFromFile(out));
    EXPECT_EQ(c.Info.Kind, 0);
    EXPECT_EQ(c.State(), Idle);
    EXPECT_TRUE(c.Info.Linear);
    EXPECT_EQ(c.Info.StName, "Esta\xE7\xE3o");
    EXPECT_TRUE(c.Scale().Concluded);
    EXPECT_EQ(c.Scale().Count(), int(chart.Controls().size()));
    EXPECT_EQ(c.Curve().Count(), j["points"].get<int>());
    EXPECT_EQ(c.Curve().Peaks, 1);
    EXPECT_FALSE(cv::imread(pic).empty());
}

TEST_F(CliTrace, FailuresWriteNothingAndKeepTheOldChart)
{
    const std::string out = dir + "old.pvd";
    {
        std::ofstream(out) << "old contents";
    }
    const std::string base = image + " -o " + out + " --station 12345678 --date 06/03/2014";
    const struct
    {
        std::string Args;
        int Status;
    } rows[] = {
        {base, 3},                                                          // no control points
        {image + " -o " + out + " --station 12345678" + Controls(), 3},     // no date
        {base + Controls() + " --hour 10", 3},                              // bad hour
        {base + Controls() + " --control 1,2,3", 3},                        // malformed point
        {base + Controls() + " --control 99999,10,20,5", 3},                // outside the picture
        {dir + "missing.png -o " + out + " --station 12345678 --date 06/03/2014" + Controls(), 2},
        {base + Controls(1.0), 4},                                          // the scale does not close
    };
    for (const auto& row : rows) {
        const TRun r = Cli(row.Args);
        EXPECT_EQ(r.Status, row.Status) << row.Args;
        EXPECT_EQ(ReadAll(out), "old contents") << row.Args;
    }
    const TRun r = Cli(base + Controls(1.0));
    const json j = json::parse(r.Out);
    EXPECT_EQ(j["residuals"].size(), chart.Controls().size());
}
