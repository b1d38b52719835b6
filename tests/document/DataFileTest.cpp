#include "document/uRChart.h"

#include "common/uAtomicFile.h"
#include "support/TestCharts.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

using namespace rs;
using namespace rs::test;

namespace {

std::string ReadAll(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    std::stringstream ss;
    ss << f.rdbuf();
    return ss.str();
}
void WriteAll(const std::string& path, const std::string& data)
{
    std::ofstream(path, std::ios::binary) << data;
}
std::uint32_t U32(const std::string& d, std::size_t off)
{
    std::uint32_t v;
    std::memcpy(&v, d.data() + off, 4);
    return v;
}

struct DataFile : ::testing::Test
{
    std::string dir = TempDir(::testing::UnitTest::GetInstance()->current_test_info()->name());
    void TearDown() override { std::filesystem::remove_all(dir); }
};

} // namespace

TEST_F(DataFile, EmptyNewChartLayout)
{
    TRChart c;
    c.Info.StCode = "12345678";
    const std::string path = dir + "a.pvd";
    c.SaveToFile(path);
    const std::string d = ReadAll(path);
    ASSERT_GE(d.size(), 70u);
    EXPECT_EQ(d.substr(0, 2), "RS");
    EXPECT_EQ(U32(d, 2), 70u);
    EXPECT_EQ(U32(d, 6), d.size());
    EXPECT_EQ(U32(d, 10), 1u);
    // Body: record (1+8+1+1+8+8 + five strings), state, scale (3 + 64), list header.
    const std::size_t record = 27 + 4 * 5 + 8;
    const std::size_t scaleList = 70 + record + 1 + 3 + 64 + 4 + 1 + 1 + 4 + 4;
    EXPECT_EQ(U32(d, 14), scaleList);
    EXPECT_EQ(U32(d, 18), 0u);
    EXPECT_EQ(U32(d, 22), 36u);
    EXPECT_EQ(U32(d, 26), scaleList + 4 + 1 + 1 + 4 + 4);
    EXPECT_EQ(U32(d, 30), 0u);
    EXPECT_EQ(d.size(), U32(d, 26));
    EXPECT_TRUE(TRChart::IsDataFile(path));
    EXPECT_EQ(std::string(d.data() + 42, 28), std::string(28, '\0'));
}

TEST_F(DataFile, RoundTripIsByteIdentical)
{
    TRChart c;
    MakeDigitizedChart(c, false);
    TRChartInfo i = c.Info;
    i.Dh = 0.1;
    c.SetInfo(i);
    c.Curve().SelectIndex(2);
    const std::string path = dir + "b.pvd";
    c.SaveToFile(path);
    EXPECT_FALSE(c.IsModified());
    TRChart back;
    ASSERT_TRUE(back.LoadFromFile(path));
    EXPECT_TRUE(InfoEquals(back.Info, c.Info) || back.Info.Dh == double(float(0.1)));
    EXPECT_EQ(back.Info.Dh, double(0.1f));
    EXPECT_EQ(back.Curve().Count(), 4);
    EXPECT_EQ(back.Curve().SelectedIndex(), 2);
    EXPECT_EQ(back.Scale().Count(), c.Scale().Count());
    EXPECT_TRUE(back.Scale().Concluded);
    EXPECT_FALSE(back.IsModified());
    EXPECT_EQ(back.Info.FileName, path);
    EXPECT_EQ(back.LastFile, path);
    const std::string first = ReadAll(path);
    back.SaveToFile(path);
    EXPECT_EQ(ReadAll(path), first);
}

TEST_F(DataFile, StateAndDefinitionInProgressSurvive)
{
    TRChart c;
    c.SetInfo(SampleInfo(false));
    c.Scale().SetGridRect({20, 311, 620, 111});
    c.Scale().SetZoom(1);
    // A predefined set of seven points, three of them marked.
    TPointList& set = c.Scale().Predefined();
    const double v[][2] = {{8, 0}, {10, 8}, {13, 2}, {16, 10}, {20, 5}, {24, 6}, {28, 1}};
    for (auto& p : v)
        set.AddNew()->SetValue(p[0], p[1]);
    for (int k = 0; k < set.Count(); ++k)
        set.Items(k)->SetMark(-1);
    c.BeginScale();
    for (int k = 0; k < 3; ++k)
        AddControlPoint(c, v[k][0], v[k][1]);
    EXPECT_EQ(c.Scale().NextToMark(), 3);
    const std::string path = dir + "d.pvd";
    c.SaveToFile(path);
    TRChart back;
    ASSERT_TRUE(back.LoadFromFile(path));
    EXPECT_EQ(back.State(), DefiningScale);
    EXPECT_TRUE(back.Scale().Editing());
    EXPECT_TRUE(back.Scale().MarkingPredefined());
    EXPECT_EQ(back.Scale().Predefined().Count(), 7);
    EXPECT_EQ(back.Scale().Predefined().Items(2)->Mark(), 1);
    EXPECT_EQ(back.Scale().Predefined().Items(3)->Mark(), -1);
    EXPECT_EQ(back.Scale().NextToMark(), 3);
}

TEST_F(DataFile, DigitizingStateReopensEditable)
{
    TRChart c;
    MakeDigitizedChart(c);
    c.BeginDigitizing();
    c.Curve().SelectIndex(1);
    const std::string path = dir + "e.pvd";
    c.SaveToFile(path);
    TRChart back;
    ASSERT_TRUE(back.LoadFromFile(path));
    EXPECT_EQ(back.State(), Digitizing);
    EXPECT_TRUE(back.Curve().Editing());
    EXPECT_EQ(back.Curve().SelectedIndex(), 1);
    EXPECT_NEAR(back.Curve().Sum, 13.0, 1e-9);
    EXPECT_EQ(back.Curve().Peaks, 1);
}

TEST_F(DataFile, ChartStuckBetweenScaleAndDigitizingOpensReady)
{
    // As written before: back to precipitation with a concluded scale, yet waiting for a scale.
    TRChart c;
    MakeDigitizedChart(c);
    c.SetKind(1);
    c.SetKind(0);
    c.SetState(AwaitingScale);
    const std::string path = dir + "g.pvd";
    c.SaveToFile(path);
    TRChart back;
    ASSERT_TRUE(back.LoadFromFile(path));
    EXPECT_EQ(back.State(), Idle);
    EXPECT_FALSE(back.IsModified());
    EXPECT_TRUE(back.BeginDigitizing());
}

TEST_F(DataFile, KindOneKeepsStoredAccumulation)
{
    TRChart c;
    c.Info.StCode = "12345678";
    c.SetKind(1);
    c.Curve().Items(1)->Accumulated = 3.5; // as another program may have stored it
    const std::string path = dir + "f.pvd";
    c.SaveToFile(path);
    TRChart back;
    ASSERT_TRUE(back.LoadFromFile(path));
    EXPECT_EQ(back.Curve().Items(1)->Accumulated, 3.5);
    EXPECT_EQ(back.Info.Total, 3.5);
}

TEST_F(DataFile, RenamedChartRemovesItsOldFileOnlyAfterTheNewOne)
{
    TRChart c;
    MakeDigitizedChart(c);
    SetDataFolder(dir);
    const std::string oldPath = TRChart::MakeFileName(c.Info);
    c.SaveToFile(oldPath);
    c.SaveToFile(oldPath); // same path: nothing removed
    EXPECT_TRUE(FileExists(oldPath));
    TRChartInfo i = c.Info;
    i.StCode = "87654321";
    c.SetInfo(i);
    const std::string newPath = TRChart::MakeFileName(c.Info);
    EXPECT_EQ(newPath, dir + "87654321/87654321-19760508.pvd");
    c.SaveToFile(newPath);
    EXPECT_TRUE(FileExists(newPath));
    EXPECT_FALSE(FileExists(oldPath));
    SetDataFolder("");
}

TEST_F(DataFile, FailedSaveKeepsThePreviousFile)
{
    TRChart c;
    MakeDigitizedChart(c);
    const std::string path = dir + "g.pvd";
    c.SaveToFile(path);
    const std::string before = ReadAll(path);
    // The target turned into a folder: the rename cannot replace it.
    const std::string blocked = dir + "blocked.pvd";
    std::filesystem::create_directories(blocked + "/inside");
    EXPECT_THROW(c.SaveToFile(blocked), std::runtime_error);
    // A folder that cannot be created.
    WriteAll(dir + "plainfile", "x");
    EXPECT_THROW(c.SaveToFile(dir + "plainfile/sub/x.pvd"), std::runtime_error);
    EXPECT_EQ(ReadAll(path), before);
    int leftovers = 0;
    for (auto& e : std::filesystem::directory_iterator(dir))
        leftovers += e.path().extension() == ".tmp";
    EXPECT_EQ(leftovers, 0);
    EXPECT_TRUE(c.IsModified() == false); // the flags stay from the last good save
}

TEST_F(DataFile, InvalidStationCodeIsNeverSaved)
{
    TRChart c;
    c.Info.StCode = "../../x";
    EXPECT_THROW(c.SaveToFile(dir + "h.pvd"), std::runtime_error);
    EXPECT_FALSE(FileExists(dir + "h.pvd"));
}

TEST_F(DataFile, HeaderChecks)
{
    TRChart c;
    c.Info.StCode = "12345678";
    const std::string path = dir + "i.pvd";
    c.SaveToFile(path);
    std::string d = ReadAll(path);
    WriteAll(path, d + "x"); // stored size differs by one byte
    EXPECT_FALSE(TRChart::IsDataFile(path));
    WriteAll(path, d.substr(0, 69)); // too short to hold a header: simply not a data file
    EXPECT_FALSE(TRChart::IsDataFile(path));
    TRChartInfo info;
    EXPECT_FALSE(TRChart::ReadSummary(path, info));
    WriteAll(path, "");
    EXPECT_FALSE(TRChart::IsDataFile(path));
    EXPECT_FALSE(TRChart::IsDataFile(dir + "missing.pvd"));
    EXPECT_FALSE(TRChart::IsDataFile(dir)); // a folder
}

TEST_F(DataFile, SummaryReadsTheRecordOnly)
{
    TRChart c;
    MakeDigitizedChart(c);
    const std::string path = dir + "j.pvd";
    c.SaveToFile(path);
    TRChartInfo info;
    ASSERT_TRUE(TRChart::ReadSummary(path, info));
    EXPECT_EQ(info.StName, c.Info.StName);
    EXPECT_EQ(info.Notes, "line1\r\nline2");
    EXPECT_NEAR(info.Total, 13.0, 1e-9);
    EXPECT_EQ(info.FileName, path);
    EXPECT_NEAR(info.FileDate, Now(), 0.01);
    // A long station name crossing the first read still comes back whole.
    TRChartInfo big = c.Info;
    big.Notes = std::string(10000, 'n');
    c.SetInfo(big);
    c.SaveToFile(path);
    ASSERT_TRUE(TRChart::ReadSummary(path, info));
    EXPECT_EQ(info.Notes.size(), 10000u);
}

TEST_F(DataFile, SummaryGivesTheDaySumAfterAFailure)
{
    // 13 mm with one overflow, then a failure, then 2 mm more: the header's Total is the
    // last stretch only; the day's sum is what the results window shows.
    const std::string path = dir + "f.pvd";
    for (int extra : {0, 300}) { // the second curve does not fit the summary's first read
        TRChart c;
        MakeDigitizedChart(c);
        TCurve& cv = c.Curve();
        cv.Last()->SetMark(2);
        for (int i = 0; i <= extra; ++i)
            cv.AddPoint(14 + 10.0 * i / (extra + 1), 1 + i * 2.0 / (extra + 1), true);
        cv.AddPoint(25, 3, true);
        cv.Recalc();
        ASSERT_EQ(cv.Failures, 1);
        c.SaveToFile(path);
        TRChartInfo info;
        TDaySum day;
        ASSERT_TRUE(TRChart::ReadSummary(path, info, &day));
        EXPECT_NEAR(info.Total, 3.0, 1e-9) << extra;
        EXPECT_NEAR(day.Sum, cv.Sum, 1e-9) << extra;
        EXPECT_NEAR(day.Sum, 16.0, 1e-6) << extra;
        EXPECT_TRUE(day.Approximate);
    }
    TRChart plain;
    MakeDigitizedChart(plain);
    plain.SaveToFile(path);
    TRChartInfo info;
    TDaySum day;
    ASSERT_TRUE(TRChart::ReadSummary(path, info, &day));
    EXPECT_NEAR(day.Sum, 13.0, 1e-6);
    EXPECT_FALSE(day.Approximate);
}

TEST_F(DataFile, ImpossibleLengthsAreRefusedBeforeAllocation)
{
    TRChart c;
    MakeDigitizedChart(c);
    const std::string path = dir + "k.pvd";
    c.SaveToFile(path);
    std::string d = ReadAll(path);
    // The station name's length, just after the fixed fields of the record.
    std::string bad = d;
    const std::uint32_t huge = 0xFFFFFFF0u;
    std::memcpy(bad.data() + 70 + 27, &huge, 4);
    WriteAll(path, bad);
    TRChartInfo info;
    EXPECT_TRUE(TRChart::IsDataFile(path));
    EXPECT_THROW(TRChart::ReadSummary(path, info), EReadError);
    TRChart back;
    EXPECT_FALSE(back.LoadFromFile(path));
    // A curve count that cannot fit in the rest of the file.
    bad = d;
    const std::uint32_t curveCountOffset = U32(d, 26) - 4;
    std::memcpy(bad.data() + curveCountOffset, &huge, 4);
    WriteAll(path, bad);
    TRChart back2;
    EXPECT_FALSE(back2.LoadFromFile(path));
    // Truncated body with a matching size field: the load fails, nothing crashes.
    bad = d.substr(0, d.size() - 50);
    const std::uint32_t sz = std::uint32_t(bad.size());
    std::memcpy(bad.data() + 6, &sz, 4);
    WriteAll(path, bad);
    TRChart back3;
    EXPECT_TRUE(TRChart::IsDataFile(path));
    EXPECT_FALSE(back3.LoadFromFile(path));
}

// A disk that fills up or fails part way through a save: the operator reads what
// happened, the file on disk is the previous one to the byte, and the chart still
// counts as unsaved under its old name.
TEST_F(DataFile, DiskFaultDuringSaveChangesNothing)
{
    TRChart c;
    MakeDigitizedChart(c);
    SetDataFolder(dir);
    const std::string path = TRChart::MakeFileName(c.Info);
    c.SaveToFile(path);
    const std::string before = ReadAll(path);
    c.Modified = true;
    TRChartInfo renamed = c.Info;
    renamed.StCode = "87654321";
    c.SetInfo(renamed);
    const std::string newPath = TRChart::MakeFileName(c.Info);
    const std::string data = c.SaveToBuffer();
    struct Case
    {
        TWriteFault Fault;
        const char* Text;
    };
    const Case cases[] = {
        {{TWriteStep::Write, 0, 0, {}}, "não há espaço livre no disco"},
        {{TWriteStep::Write, data.size() / 2, 0, {}}, "não há espaço livre no disco"},
        {{TWriteStep::Write, 100, EIO, {}}, "erro de leitura ou gravação no dispositivo"},
        {{TWriteStep::Flush, 0, 0, {}}, "erro de leitura ou gravação no dispositivo"},
        {{TWriteStep::Rename, 0, 0, {}}, "acesso negado"},
    };
    for (const std::string& target : {path, newPath}) {
        for (const Case& k : cases) {
            SCOPED_TRACE(target + " " + k.Text);
            TWriteFaultScope fault(k.Fault);
            try {
                c.SaveToFile(target);
                ADD_FAILURE() << "saved despite the fault";
            } catch (const std::runtime_error& e) {
                EXPECT_NE(std::string(e.what()).find(target), std::string::npos) << e.what();
                EXPECT_NE(std::string(e.what()).find(k.Text), std::string::npos) << e.what();
            }
            EXPECT_EQ(fault.Hits(), 1);
            EXPECT_EQ(ReadAll(path), before);
            EXPECT_FALSE(FileExists(newPath));
            EXPECT_TRUE(c.IsModified());
            EXPECT_EQ(c.Info.FileName, path);
            EXPECT_EQ(c.LastFile, path);
            int others = 0; // no temporary file, nor the new station's folder
            for (auto& e : std::filesystem::recursive_directory_iterator(dir))
                others += e.path() != path && e.path() != std::filesystem::path(path).parent_path();
            EXPECT_EQ(others, 0);
        }
    }
    // Once the disk is back the same chart saves completely.
    c.SaveToFile(newPath);
    EXPECT_EQ(ReadAll(newPath), data);
    EXPECT_FALSE(FileExists(path));
    EXPECT_FALSE(c.IsModified());
    SetDataFolder("");
}

// A save removes the one file the document was read from or last written to, and
// nothing else: never another chart's file that a header change only passed
// through, and never the file it has just written under another spelling.
TEST_F(DataFile, SaveRemovesOnlyTheFileTheChartCameFrom)
{
    namespace fs = std::filesystem;
    SetDataFolder(dir + "data/");
    TRChart other;
    MakeDigitizedChart(other);
    TRChartInfo h = other.Info;
    h.Date = EncodeDate(1976, 5, 9);
    h.FileName.clear();
    const std::string taken = TRChart::MakeFileName(other.Info); // 12345678-19760508, another chart's
    const std::string mine = TRChart::MakeFileName(h);           // 12345678-19760509
    h.Date = EncodeDate(1976, 5, 10);
    const std::string third = TRChart::MakeFileName(h);          // 12345678-19760510
    fs::create_directory_symlink(dir + "data", dir + "alias");
    const std::string alias = dir + "alias/12345678/" + ExtractFileName(mine);

    struct Step
    {
        const char* Name;
        bool Opened;                         // loaded from `mine` (else a new chart)
        std::vector<std::string> Renames;    // header changes, each with the file name it makes
        std::string SaveTo;
        std::vector<std::string> Kept, Gone; // besides SaveTo, which must exist
    };
    const Step steps[] = {
        {"new chart on another's name, date corrected", false, {taken, mine}, mine, {taken}, {}},
        {"opened, renamed onto another's name, then a third", true, {taken, third}, third, {taken}, {mine}},
        {"opened, date changed, then only the station name", true, {third, third}, third, {taken}, {mine}},
        {"opened through another path to the same file", true, {alias}, alias, {mine, taken}, {}},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.Name);
        other.SaveToFile(taken);
        const std::string theirs = ReadAll(taken);
        TRChart c;
        MakeDigitizedChart(c);
        c.Info.Date = EncodeDate(1976, 5, 9);
        if (s.Opened) {
            c.SaveToFile(mine);
            ASSERT_TRUE(c.LoadFromFile(mine));
        }
        for (std::size_t k = 0; k < s.Renames.size(); ++k) {
            TRChartInfo i = c.Info;
            i.FileName = s.Renames[k];
            i.StName += char('a' + k);
            c.SetInfo(i);
        }
        c.SaveToFile(s.SaveTo);
        EXPECT_TRUE(FileExists(s.SaveTo));
        for (const std::string& f : s.Kept)
            EXPECT_TRUE(FileExists(f)) << f;
        for (const std::string& f : s.Gone)
            EXPECT_FALSE(FileExists(f)) << f;
        if (s.SaveTo != taken) {
            EXPECT_EQ(ReadAll(taken), theirs);
        }
        for (const std::string& f : {mine, third})
            fs::remove(f);
    }
    SetDataFolder("");
}
