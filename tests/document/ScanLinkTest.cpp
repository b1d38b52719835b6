#include "document/uScanLink.h"

#include "common/uAtomicFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

using namespace rs;
namespace fs = std::filesystem;

namespace {

struct ScanLink : ::testing::Test
{
    fs::path dir;
    std::string chart;
    void SetUp() override
    {
        std::random_device rd;
        dir = fs::temp_directory_path() / ("rs-scanlink-" + std::to_string(rd()) + std::to_string(rd()));
        fs::create_directories(dir / "data" / "02545001");
        chart = (dir / "data" / "02545001" / "02545001_06032014.pvd").string();
        Write(chart, std::string("PVD\0\1\2chart bytes", 18));
    }
    void TearDown() override
    {
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
    static void Write(const std::string& p, const std::string& s) { std::ofstream(p, std::ios::binary) << s; }
    static std::string Read(const std::string& p)
    {
        std::ifstream f(p, std::ios::binary);
        std::stringstream ss;
        ss << f.rdbuf();
        return ss.str();
    }
    TScanLink Traced(const std::string& scan) const
    {
        TScanLink l;
        l.Scan = scan;
        l.Page = 2;
        l.Traced = true;
        l.Confidence = 0.734;
        l.Unsure = {{23.5, 24.25, "tinta fraca"}, {29, 29.5, "dois tra\xE7os"}};
        return l;
    }
};

TEST_F(ScanLink, FileNameBesideTheChart)
{
    EXPECT_EQ(ScanLinkFileName("/a/ST/NAME.pvd"), "/a/ST/NAME.scan.json");
    EXPECT_EQ(ScanLinkFileName("/a/ST/NAME"), "/a/ST/NAME.scan.json");
    EXPECT_EQ(ScanLinkFileName("/a/x.y/NAME.PVD"), "/a/x.y/NAME.scan.json");
    EXPECT_EQ(Fnv1a64(""), 0xcbf29ce484222325ull);
    EXPECT_EQ(Fnv1a64("a"), 0xaf63dc4c8601ec8cull);
}

TEST_F(ScanLink, RoundTripKeepsTraceAndTellsWhetherTheChartChanged)
{
    // Scans under the chart's folder, in a sibling folder and far away.
    for (const fs::path& scan : {dir / "data" / "02545001" / "scans" / "m 1.tif", dir / "data" / "scans" / "m.tif",
                                 fs::path("/mnt/far/away/m.tif")}) {
        SCOPED_TRACE(scan.string());
        TScanLink w = Traced(scan.string());
        ASSERT_TRUE(WriteScanLink(chart, w));
        const std::string json = Read(ScanLinkFileName(chart));
        if (scan.string().rfind(dir.string(), 0) == 0)
            EXPECT_EQ(json.find(dir.string()), std::string::npos) << "a nearby scan is kept relative: " << json;
        else
            EXPECT_NE(json.find(scan.string()), std::string::npos) << "a far scan keeps its full path: " << json;
        TScanLink r;
        ASSERT_TRUE(ReadScanLink(chart, r));
        EXPECT_EQ(r.Scan, scan.lexically_normal().string());
        EXPECT_EQ(r.Page, 2);
        EXPECT_TRUE(r.Traced);
        EXPECT_FALSE(r.Reviewed);
        EXPECT_DOUBLE_EQ(r.Confidence, 0.734);
        ASSERT_EQ(r.Unsure.size(), 2u);
        EXPECT_EQ(r.Unsure[1].Reason, "dois tra\xE7os"); // Windows-1252 inside, UTF-8 in the file
        EXPECT_NE(json.find("dois tra\xC3\xA7os"), std::string::npos);
        EXPECT_DOUBLE_EQ(r.Unsure[0].End, 24.25);
        EXPECT_TRUE(ScanLinkMatchesChart(chart, r));
    }
    Write(chart, "saved again by an operator");
    TScanLink r;
    ASSERT_TRUE(ReadScanLink(chart, r));
    EXPECT_FALSE(ScanLinkMatchesChart(chart, r));
}

TEST_F(ScanLink, ChartNamedRelativeToTheWorkingFolder)
{
    // As "rainscribe-cli trace scan.tif -o NAME.pvd" names it from the chart's folder.
    const fs::path before = fs::current_path();
    fs::current_path(dir / "data" / "02545001");
    TScanLink w = Traced((dir / "data" / "02545001" / "scan.tif").string());
    const bool written = WriteScanLink("02545001_06032014.pvd", w);
    TScanLink r;
    const bool read = ReadScanLink("02545001_06032014.pvd", r);
    fs::current_path(before);
    ASSERT_TRUE(written && read);
    EXPECT_NE(Read(ScanLinkFileName(chart)).find("\"scan\": \"scan.tif\""), std::string::npos);
    EXPECT_EQ(r.Scan, (dir / "data" / "02545001" / "scan.tif").string());
}

TEST_F(ScanLink, DamagedOrMissingLinkIsNoLink)
{
    TScanLink r;
    EXPECT_FALSE(ReadScanLink(chart, r));
    const char* bad[] = {
        "",
        "not json at all",
        "[1, 2]",
        "{\"page\": 1}",
        "{\"scan\": \"\"}",
        "{\"scan\": 12}",
        "{\"scan\": \"a.tif\", \"page\": 0}",
        "{\"scan\": \"a.tif\", \"trace\": {\"confidence\": 3}}",
        "{\"scan\": \"a.tif\", \"trace\": {\"confidence\": 0.5, \"unsure\": [{\"start\": 9, \"end\": 8}]}}",
        "{\"scan\": \"a.tif\", \"trace\": {\"unsure\": [{\"start\": \"x\"}]}}",
        "{\"scan\": \"a.tif\", \"chart\": {\"size\": 1, \"fnv1a64\": \"zz\"}}",
        "{\"scan\": \"a.tif\", \"chart\": {\"size\": -4, \"fnv1a64\": \"0123456789abcdef\"}}",
        "{\"scan\": \"a.tif\", \"page\": 1",
    };
    for (const char* text : bad) {
        SCOPED_TRACE(text);
        Write(ScanLinkFileName(chart), text);
        TScanLink l;
        l.Scan = "kept";
        EXPECT_FALSE(ReadScanLink(chart, l));
        EXPECT_EQ(l.Scan, "kept");
    }
    Write(ScanLinkFileName(chart), "{\"scan\": \"a.tif\"}");
    ASSERT_TRUE(ReadScanLink(chart, r));
    EXPECT_EQ(r.Scan, (dir / "data" / "02545001" / "a.tif").string());
    EXPECT_FALSE(r.Traced);
}

TEST_F(ScanLink, FailedWriteKeepsTheOldLink)
{
    TScanLink w = Traced((dir / "a.tif").string());
    ASSERT_TRUE(WriteScanLink(chart, w));
    const std::string before = Read(ScanLinkFileName(chart));
    {
        TWriteFaultScope fault({TWriteStep::Write, 10, 0, ".scan.json"});
        w.Reviewed = true;
        std::string error;
        EXPECT_FALSE(WriteScanLink(chart, w, &error));
        EXPECT_FALSE(error.empty());
    }
    EXPECT_EQ(Read(ScanLinkFileName(chart)), before);
    std::string error;
    EXPECT_FALSE(WriteScanLink((dir / "missing.pvd").string(), w, &error));
    EXPECT_FALSE(fs::exists(dir / "missing.scan.json"));
}

} // namespace
