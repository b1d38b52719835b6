#include "support/TestCharts.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <array>
#include <cstring>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sys/wait.h>

using namespace rs;
using nlohmann::json;

namespace {

struct Result
{
    int status = -1;
    std::string out;
};

Result RunCli(const std::string& args, const std::string& env = "LC_ALL=C")
{
    Result r;
    const std::string cmd = env + " " + RS_CLI_PATH + " " + args + " 2>/dev/null";
    std::FILE* p = popen(cmd.c_str(), "r");
    if (!p)
        return r;
    std::array<char, 4096> buf;
    std::size_t n;
    while ((n = std::fread(buf.data(), 1, buf.size(), p)) > 0)
        r.out.append(buf.data(), n);
    const int st = pclose(p);
    r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    return r;
}

struct Cli : ::testing::Test
{
    std::string dir = test::TempDir("cli");
    void TearDown() override { std::filesystem::remove_all(dir); }
};

} // namespace

TEST_F(Cli, InfoDescribesTheLoadedDocument)
{
    TRChart c;
    test::MakeDigitizedChart(c);
    const std::string path = dir + "a.pvd";
    c.SaveToFile(path);
    Result r = RunCli("info " + path);
    ASSERT_EQ(r.status, 0);
    json j = json::parse(r.out);
    EXPECT_EQ(j["file"], path);
    EXPECT_EQ(j["header"]["date"], 27888.0);
    EXPECT_EQ(j["header"]["date_text"], "08/05/1976");
    EXPECT_EQ(j["header"]["st_name"], "Estação Teste");
    EXPECT_EQ(j["header"]["notes"], "line1\r\nline2");
    EXPECT_EQ(j["header"]["dh"], 0.0);
    EXPECT_EQ(j["state"], 0);
    EXPECT_EQ(j["scale"]["concluded"], true);
    EXPECT_TRUE(j["scale"]["predefined"].is_null());
    EXPECT_EQ(j["scale"]["points"]["items"].size(), 8u);
    EXPECT_TRUE(j["scale"]["max_residuals"].is_object());
    EXPECT_EQ(j["curve"]["items"].size(), 4u);
    EXPECT_EQ(j["curve"]["items"][1]["mark"], 1);
    EXPECT_EQ(j["peaks"], 1);
    EXPECT_NEAR(j["sum"].get<double>(), 13.0, 1e-9);
    // Floats read back to the same double.
    EXPECT_EQ(j["scale"]["time"][0].get<double>(), c.Scale().TimeA);
}

TEST_F(Cli, InfoStatusForUnknownAndBrokenFiles)
{
    TRChart c;
    test::MakeDigitizedChart(c);
    const std::string good = dir + "good.pvd";
    c.SaveToFile(good);
    std::ofstream(dir + "foreign.pvd") << "not a chart";
    Result r = RunCli("info " + dir + "foreign.pvd " + good);
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 1); // the good file still printed
    // A recognised header with a body that cannot be read.
    std::string data = c.SaveToBuffer().substr(0, 120);
    const std::uint32_t sz = std::uint32_t(data.size());
    std::memcpy(data.data() + 6, &sz, 4);
    std::ofstream(dir + "broken.pvd", std::ios::binary) << data;
    EXPECT_EQ(RunCli("info " + dir + "broken.pvd").status, 3);
}

TEST_F(Cli, TableUsesTheLocaleSeparatorAndCrLf)
{
    TRChart c;
    test::MakeDigitizedChart(c);
    c.Curve().SetEditing(false);
    c.Curve().AddPoint(31.0, 3.2, true);
    c.Curve().Recalc();
    const std::string path = dir + "t.pvd";
    c.SaveToFile(path);
    Result r = RunCli("table " + path);
    ASSERT_EQ(r.status, 0);
    EXPECT_EQ(r.out.substr(0, 21), "Dia\tHora\tPrec\tTotal\r\n");
    EXPECT_NE(r.out.find("08/05/1976\t09:00\t9.80\t9.80\r\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("09/05/1976\t07:00\t3.20\t13.00\r\n"), std::string::npos) << r.out;
}

TEST_F(Cli, DryDayWritesFilesAndScanListsThem)
{
    const std::string base = "dryday --code 12345678 --name 'Santa Luz' --year 2024 --month 2 --kind 1 --data-folder " + dir;
    Result r = RunCli(base + " --days '27-30'");
    EXPECT_EQ(r.status, 1); // 2024 February has 29 days
    EXPECT_TRUE(r.out.empty());
    r = RunCli(base + " --days '1 3 28-29'");
    ASSERT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "Foram criados 4 arquivos, para os respectivos pluviogramas com precipitação nula.\n");
    r = RunCli(base + " --days '1 2'"); // day 1 exists: skipped without --overwrite
    EXPECT_EQ(r.out, "Foram criados 1 arquivos, para os respectivos pluviogramas com precipitação nula.\n");
    r = RunCli(base + " --days '1' --overwrite");
    EXPECT_EQ(r.out, "Foram criados 1 arquivos, para os respectivos pluviogramas com precipitação nula.\n");
    r = RunCli("scan " + dir);
    ASSERT_EQ(r.status, 0);
    EXPECT_EQ(r.out.substr(0, r.out.find("\r\n")), "Arquivo\tData\tPrecip.\tFalhas\tEstação\tAlterado");
    EXPECT_NE(r.out.find("12345678-20240228.pvd\t28/02/2024\t-\t24 dias\tSanta Luz - 12345678\t"), std::string::npos)
        << r.out;
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 6);
    EXPECT_EQ(RunCli("scan " + dir + "nowhere").status, 1);
}

TEST_F(Cli, ScanGivesTheDaySumOfAChartWithAFailure)
{
    TRChart c;
    test::MakeDigitizedChart(c); // 13 mm with an overflow, then a failure and 2 mm more
    c.Curve().Last()->SetMark(2);
    c.Curve().AddPoint(14, 1, true);
    c.Curve().AddPoint(20, 3, true);
    c.Curve().Recalc();
    c.SaveToFile(dir + "f.pvd");
    const Result r = RunCli("scan " + dir);
    ASSERT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("f.pvd\t" + DateToStr(c.Info.Date) + "\t\xC2\xB1" "16.0\t"), std::string::npos) << r.out;
}
