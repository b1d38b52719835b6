// Batch digitizing: the manifest, shards, resume, refusal to overwrite, write
// failures, and the merge of shard reports.

#include "ChartSynth.h"

#include "common/Utils.h"
#include "common/uAtomicFile.h"
#include "document/uScanLink.h"
#include "trace/BatchReport.h"
#include "trace/BatchRun.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

using namespace rs;
using namespace rs::trace;
namespace fs = std::filesystem;

namespace {

struct TTempDir
{
    fs::path Dir;
    TTempDir()
    {
        std::random_device rd;
        Dir = fs::temp_directory_path() / ("rs-batch-" + std::to_string(rd()) + std::to_string(rd()));
        fs::create_directories(Dir);
    }
    ~TTempDir()
    {
        std::error_code ec;
        fs::remove_all(Dir, ec);
    }
    std::string operator/(const std::string& name) const { return (Dir / name).string(); }
};

void Put(const std::string& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

std::string Get(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

} // namespace

// --- manifest --------------------------------------------------------------

struct TManifestCase
{
    const char* Name;
    const char* Text;
    int Entries;      // records, bad ones included; -1: not a manifest
    int Good;
    const char* FirstError; // a part of the first bad line's message
};

class ManifestCases : public ::testing::TestWithParam<TManifestCase> {};

TEST_P(ManifestCases, ParsedOrRefusedWithTheLine)
{
    TTempDir t;
    Put(t / "a.png", "x");
    const TManifestCase& c = GetParam();
    const TManifest m = ParseManifest(c.Text, t.Dir.string());
    if (c.Entries < 0) {
        EXPECT_FALSE(m.Ok()) << c.Name;
        return;
    }
    ASSERT_TRUE(m.Ok()) << m.Error;
    ASSERT_EQ(int(m.Entries.size()), c.Entries);
    int good = 0;
    std::string first;
    for (const TManifestEntry& e : m.Entries) {
        good += e.Ok();
        if (!e.Ok() && first.empty())
            first = e.Error;
    }
    EXPECT_EQ(good, c.Good);
    if (c.FirstError)
        EXPECT_NE(first.find(c.FirstError), std::string::npos) << first;
}

INSTANTIATE_TEST_SUITE_P(
    Batch, ManifestCases,
    ::testing::Values(
        TManifestCase{"comma", "image,station,date,hour\na.png,12345678,06/03/2014,7\n", 1, 1, nullptr},
        TManifestCase{"semicolon, BOM, CR LF, any order, unknown column",
                      "\xEF\xBB\xBFhour;extra;Date;STATION;image;ptot\r\n8;zz;06/03/2014;12345678;a.png;12,5\r\n", 1, 1,
                      nullptr},
        TManifestCase{"blank lines skipped, quoted separator",
                      "image,station,date,hour,notes\n\na.png,12345678,06/03/2014,7,\"a, b\"\n\n", 1, 1, nullptr},
        TManifestCase{"missing image", "image,station,date,hour\nb.png,12345678,06/03/2014,7\n", 1, 0,
                      "imagem n\xC3\xA3o encontrada: b.png"},
        TManifestCase{"seven digits", "image,station,date,hour\na.png,1234567,06/03/2014,7\n", 1, 0, "8 d\xC3\xADgitos"},
        TManifestCase{"no such date", "image,station,date,hour\na.png,12345678,31/02/2014,7\n", 1, 0, "31/02/2014"},
        TManifestCase{"hour", "image,station,date,hour\na.png,12345678,06/03/2014,10\n", 1, 0, "7, 8 ou 9"},
        TManifestCase{"curved", "image,station,date,hour,curved\na.png,12345678,06/03/2014,7,2\n", 1, 0, "curved"},
        TManifestCase{"same chart twice",
                      "image,station,date,hour\na.png,12345678,06/03/2014,7\na.png,12345678,06/03/2014,8\n", 2, 1,
                      "linha 2"},
        TManifestCase{"a required column missing", "image,station,hour\na.png,12345678,7\n", -1, 0, nullptr},
        TManifestCase{"binary", "\x89PNG\r\n\x1a\n\0\0\0", -1, 0, nullptr},
        TManifestCase{"empty", "", -1, 0, nullptr}),
    [](const auto& info) { return std::to_string(info.index); });

TEST(BatchManifest, FieldsAndLineNumbers)
{
    TTempDir t;
    fs::create_directories(t.Dir / "sub");
    Put(t / "sub/b.tif", "x");
    const TManifest m = ParseManifest("image;station;date;hour;curved;name;ptot;page;model\n"
                                      "\"sub/b.tif\";00012345;6/3/2014;9;1;\"S\xC3\xA3o \"\"Jo\xC3\xA3o\"\"\";3,25;2;Curvo 9h\n",
                                      t.Dir.string());
    ASSERT_TRUE(m.Ok());
    ASSERT_EQ(m.Entries.size(), 1u);
    const TManifestEntry& e = m.Entries[0];
    ASSERT_TRUE(e.Ok()) << e.Error;
    EXPECT_EQ(e.Line, 2);
    EXPECT_EQ(e.Path, (t.Dir / "sub/b.tif").string());
    EXPECT_EQ(e.Station, "00012345");
    EXPECT_EQ(e.Date, EncodeDate(2014, 3, 6));
    EXPECT_EQ(e.Hour, 9);
    EXPECT_TRUE(e.Curved);
    EXPECT_EQ(e.Name, "S\xE3o \"Jo\xE3o\""); // Windows-1252, as the chart holds it
    EXPECT_DOUBLE_EQ(e.PTot, 3.25);
    EXPECT_EQ(e.Page, 2);
    EXPECT_EQ(e.Model, "Curvo 9h");
}

TEST(BatchManifest, ShardsShareEveryRecordOnce)
{
    TShard s;
    EXPECT_TRUE(ParseShard("1/3", s));
    EXPECT_EQ(s.Index, 1);
    EXPECT_EQ(s.Count, 3);
    for (const char* bad : {"3/3", "-1/2", "1/0", "1", "a/b", "1/2/3"})
        EXPECT_FALSE(ParseShard(bad, s)) << bad;
    for (int ordinal = 0; ordinal < 20; ++ordinal) {
        int takers = 0;
        for (int i = 0; i < 3; ++i)
            takers += TShard{i, 3}.Takes(ordinal);
        EXPECT_EQ(takers, 1);
    }
}

TEST(BatchRun, ADataFolderThatCannotBeMadeIsRefusedUpFront)
{
    TTempDir t;
    Put(t / "file", "x");
    std::string error;
    EXPECT_FALSE(CheckWritableFolder(t / "file/data", error));
    EXPECT_NE(error.find("file/data"), std::string::npos) << error;
    EXPECT_TRUE(CheckWritableFolder(t / "new/data", error)) << error;
    EXPECT_TRUE(fs::is_empty(t.Dir / "new/data"));
}

// --- report ----------------------------------------------------------------

namespace {
std::vector<TBatchRow> SomeRows()
{
    std::vector<TBatchRow> rows;
    for (int i = 0; i < 7; ++i) {
        TBatchRow r;
        r.Line = i + 2;
        r.Image = Format("scan, %d.png", i);
        r.Chart = Format("12345678/12345678-201403%02d.pvd", i + 1);
        r.Status = TBatchStatus(i % 5);
        r.Confidence = r.HasCurve() ? 0.3 + 0.1 * i : -1;
        r.Picos = i;
        r.Sum = 1.5 * i;
        r.HasPTot = i % 2 == 0;
        r.PTot = r.HasPTot ? 1.5 * i + (i == 4 ? 3 : 0) : 0;
        r.Unsure = i == 1 ? "9.00-9.50 duas linhas \"candidatas\"" : "";
        r.Seconds = 0.25 * i;
        r.Message = r.Status == TBatchStatus::Failed ? "Grade n\xC3\xA3o encontrada" : "";
        rows.push_back(r);
    }
    return rows;
}
} // namespace

TEST(BatchReport, CsvReadsBackAndShardsMergeIntoTheSingleRunsReport)
{
    TTempDir t;
    const std::vector<TBatchRow> rows = SomeRows();
    std::vector<TBatchRow> back;
    std::string error;
    ASSERT_TRUE(ParseReportCsv(ReportCsv(rows), back, error)) << error;
    EXPECT_EQ(ReportCsv(back), ReportCsv(rows));

    std::vector<TBatchRow> a, b;
    for (std::size_t i = 0; i < rows.size(); ++i)
        (i % 2 ? b : a).push_back(rows[i]);
    ASSERT_TRUE(WriteReport(t / "single", rows, false, error)) << error;
    ASSERT_TRUE(WriteReport(t / "s0", a, false, error)) << error;
    ASSERT_TRUE(WriteReport(t / "s1", b, false, error)) << error;
    ASSERT_TRUE(MergeReports({t / "s1", t / "s0"}, t / "merged", error)) << error;
    EXPECT_EQ(Get(t / "merged/relatorio.csv"), Get(t / "single/relatorio.csv"));
    EXPECT_EQ(Get(t / "merged/revisar.html"), Get(t / "single/revisar.html"));

    // One shard's report given twice is refused, not counted twice.
    EXPECT_FALSE(MergeReports({t / "s0", t / "s0"}, t / "twice", error));
    EXPECT_FALSE(FileExists(t / "twice/relatorio.csv"));
    Put(t / "s1/relatorio.csv", "not,a,report\n");
    EXPECT_FALSE(MergeReports({t / "s0", t / "s1"}, t / "bad", error));
}

TEST(BatchReport, ReviewListPutsFailuresAndDoubtFirst)
{
    TBatchRow sure;
    sure.Status = TBatchStatus::Traced;
    sure.Confidence = 0.95;
    sure.Sum = 10;
    sure.HasPTot = true;
    sure.PTot = 10.3;
    EXPECT_FALSE(NeedsReview(sure));
    TBatchRow gauge = sure;
    gauge.PTot = 14;
    TBatchRow doubt = sure;
    doubt.Confidence = 0.4;
    TBatchRow failed;
    failed.Status = TBatchStatus::Failed;
    TBatchRow reviewed = doubt;
    reviewed.Status = TBatchStatus::Operator;
    EXPECT_TRUE(NeedsReview(gauge));
    EXPECT_TRUE(NeedsReview(doubt));
    EXPECT_TRUE(NeedsReview(failed));
    EXPECT_FALSE(NeedsReview(reviewed));
    EXPECT_LT(ReviewPriority(failed), ReviewPriority(doubt));
    EXPECT_LT(ReviewPriority(doubt), ReviewPriority(sure));
    EXPECT_LT(ReviewPriority(gauge), ReviewPriority(sure));
    // A failure of the record is no doubt of the trace: listed only with another reason, but ranked higher.
    TBatchRow recordFailure = sure;
    recordFailure.Failures = 1;
    EXPECT_FALSE(NeedsReview(recordFailure));
    EXPECT_LT(ReviewPriority(recordFailure), ReviewPriority(sure));
}

// --- runs on generated charts ----------------------------------------------

class BatchRunTest : public ::testing::Test
{
protected:
    TTempDir T;
    TManifest M;
    TBatchRunOptions O;

    void SetUp() override
    {
        std::string manifest = "image,station,date,hour,ptot\n";
        for (int i = 0; i < 2; ++i) {
            synth::TSynthOptions so = synth::OptionsFor("dpi100+clean+straight+blue", 40 + std::uint64_t(i));
            so.GridStrength = 1;
            so.Hour = 7;
            const synth::TSynthChart c = synth::Generate(so);
            std::string error;
            ASSERT_TRUE(synth::WriteImage(c, T / Format("c%d.png", i), error)) << error;
            manifest += Format("c%d.png,1234567%d,0%d/03/2014,7,%.2f\n", i, i, i + 1, c.Sum);
        }
        Put(T / "notascan.png", "this is no picture");
        manifest += "notascan.png,12345679,09/03/2014,7,\n";
        M = ParseManifest(manifest, T.Dir.string());
        ASSERT_TRUE(M.Ok());
        O.Chart.DataFolder = IncludeTrailingDelim(T / "data");
        O.Chart.Models = DefaultChartModels();
        O.Jobs = 2;
    }
    std::string Chart(int i) const { return O.Chart.DataFolder + Format("1234567%d/1234567%d-201403%02d.pvd", i, i, i + 1); }
    static int Count(const TBatchOutcome& out, TBatchStatus s)
    {
        int n = 0;
        for (const TBatchRow& r : out.Rows)
            n += r.Status == s;
        return n;
    }
};

TEST_F(BatchRunTest, ResumesAfterAStopAndNeverReplacesAnOperatorsChart)
{
    // A run stopped after its first chart (as Ctrl+C would stop it).
    std::atomic<bool> stop{false};
    O.Jobs = 1;
    O.Stop = &stop;
    O.OnChart = [&](const TBatchRow&, int, int) { stop = true; };
    TBatchOutcome first = RunBatch(M, O);
    EXPECT_TRUE(first.Interrupted);
    ASSERT_EQ(first.Rows.size(), 1u);
    ASSERT_EQ(first.Rows[0].Status, TBatchStatus::Traced) << first.Rows[0].Message;
    const std::string firstBytes = Get(Chart(0));

    // Started again: the first chart kept as it was, the rest done; the non-picture fails and leaves nothing.
    O.Stop = nullptr;
    O.OnChart = nullptr;
    O.Jobs = 2;
    TBatchOutcome second = RunBatch(M, O);
    ASSERT_FALSE(second.Interrupted);
    ASSERT_EQ(second.Rows.size(), 3u);
    EXPECT_EQ(second.Rows[0].Status, TBatchStatus::Kept);
    EXPECT_NEAR(second.Rows[0].Confidence, first.Rows[0].Confidence, 1e-3);
    EXPECT_EQ(second.Rows[1].Status, TBatchStatus::Traced) << second.Rows[1].Message;
    EXPECT_EQ(second.Rows[2].Status, TBatchStatus::Failed);
    EXPECT_FALSE(FileExists(O.Chart.DataFolder + "12345679/12345679-20140309.pvd"));
    EXPECT_FALSE(DirectoryExists(O.Chart.DataFolder + "12345679"));
    EXPECT_EQ(Get(Chart(0)), firstBytes);

    // An operator saves chart 0 (the link no longer matches) and reviews chart 1: even
    // --overwrite leaves both alone.
    Put(Chart(0), firstBytes + "x");
    TScanLink link;
    ASSERT_TRUE(ReadScanLink(Chart(1), link));
    link.Reviewed = true;
    ASSERT_TRUE(WriteScanLink(Chart(1), link));
    const std::string reviewedBytes = Get(Chart(1));
    O.Chart.Overwrite = true;
    TBatchOutcome third = RunBatch(M, O);
    EXPECT_EQ(Count(third, TBatchStatus::Operator), 2);
    EXPECT_EQ(Get(Chart(0)), firstBytes + "x");
    EXPECT_EQ(Get(Chart(1)), reviewedBytes);

    // A chart the batch wrote and nobody touched is traced again with --overwrite.
    link.Reviewed = false;
    ASSERT_TRUE(WriteScanLink(Chart(1), link));
    TBatchOutcome fourth = RunBatch(M, O);
    EXPECT_EQ(fourth.Rows[1].Status, TBatchStatus::Traced);
}

TEST_F(BatchRunTest, AFullDiskStopsTheRunAndLeavesNoHalfChart)
{
    O.Jobs = 1;
    TBatchOutcome out;
    {
        TWriteFault fault;
        fault.Step = TWriteStep::Write;
        fault.AfterBytes = 10;
        fault.PathPart = ".pvd";
        TWriteFaultScope scope(fault);
        out = RunBatch(M, O);
    }
    EXPECT_TRUE(out.Interrupted);
    EXPECT_NE(out.Fatal.find("espa\xC3\xA7o"), std::string::npos) << out.Fatal;
    ASSERT_EQ(out.Rows.size(), 1u);
    EXPECT_FALSE(FileExists(Chart(0)));
    EXPECT_FALSE(FileExists(ScanLinkFileName(Chart(0))));
    // Room again: the next run does it all.
    TBatchOutcome again = RunBatch(M, O);
    EXPECT_FALSE(again.Interrupted);
    EXPECT_EQ(Count(again, TBatchStatus::Traced), 2);
}
