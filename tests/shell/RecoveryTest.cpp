// Recovery copies: names, the note with the chart's own file name, reading
// back, removing, and copies that cannot be read.

#include "common/Utils.h"
#include "common/uAtomicFile.h"
#include "shell/uRecovery.h"
#include "shell/uRecoveryRun.h"
#include "support/TestCharts.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#ifndef _WIN32
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

using namespace rs;
namespace fs = std::filesystem;

namespace {

class RecoveryTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        base = test::TempDir("recovery");
        folder = base + "Recovery/";
        fs::remove_all(folder);
    }
    void TearDown() override { fs::remove_all(base); }

    // A chart with a scale and digitized points, named as a saved chart is.
    void MakeChart(TRChart& c, const std::string& name)
    {
        test::MakeDigitizedChart(c);
        c.Info.FileName = base + "dados/12345678/" + name;
        c.LastFile = c.Info.FileName;
    }

    static std::string Bytes(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    }
    static void Put(const std::string& path, const std::string& bytes)
    {
        std::ofstream out(path, std::ios::binary);
        out << bytes;
    }

    std::string base, folder;
};

} // namespace

TEST_F(RecoveryTest, NamesNeverCollideAndTellTheChart)
{
    TRecoveryStore store(base + "Recovery"); // the delimiter is added
    EXPECT_EQ(store.Folder(), folder);
    std::set<std::string> names;
    for (int i = 0; i < 50; ++i)
        names.insert(store.NewCopyName("/dados/12345678/12345678-20210405.pvd"));
    EXPECT_EQ(names.size(), 50u);
    const std::string one = *names.begin();
    EXPECT_EQ(ExtractFilePath(one), folder);
    EXPECT_EQ(ExtractFileName(one).rfind("12345678-20210405~", 0), 0u) << one;
    EXPECT_EQ(one.substr(one.size() - 4), ".pvd");
    EXPECT_EQ(TRecoveryStore::NoteFileOf(one), one.substr(0, one.size() - 4) + ".ini");

    // A chart never saved, and names with characters some file systems refuse.
    EXPECT_EQ(ExtractFileName(store.NewCopyName("")).rfind("novo~", 0), 0u);
    const std::string odd = ExtractFileName(store.NewCopyName("/x/Esta\xE7\xE3o: 1*2?.pvd"));
    EXPECT_EQ(odd.rfind("Esta__o__1_2_~", 0), 0u) << odd;
    EXPECT_LE(ExtractFileName(store.NewCopyName(std::string(300, 'a') + ".pvd")).size(), 80u);

    // A name whose copy or note exists is not handed out again.
    ForceDirectories(folder);
    Put(one, "x");
    for (int i = 0; i < 20; ++i)
        EXPECT_NE(store.NewCopyName("/dados/12345678/12345678-20210405.pvd"), one);
}

TEST_F(RecoveryTest, CopyComesBackUnderTheChartsOwnNamesModified)
{
    TRChart chart;
    MakeChart(chart, "12345678-20210405.pvd");
    chart.LastFile = base + "dados/12345678/12345678-20210404.pvd"; // renamed by its header
    const std::string saved = chart.SaveToBuffer();
    const TRecoveryStore store(folder);
    EXPECT_TRUE(store.List().empty()); // no folder yet
    const std::string copy = store.NewCopyName(chart.Info.FileName);
    store.Write(copy, chart);

    // The window's chart is left as it was: names, flags, no file of its own.
    EXPECT_EQ(chart.Info.FileName, base + "dados/12345678/12345678-20210405.pvd");
    EXPECT_FALSE(FileExists(chart.Info.FileName));
    EXPECT_EQ(Bytes(copy), saved); // the copy is the data file a save would write

    const std::vector<TRecoveryEntry> list = store.List();
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].CopyFile, copy);
    EXPECT_TRUE(list[0].HasNote);
    EXPECT_EQ(list[0].FileName, chart.Info.FileName);
    EXPECT_EQ(list[0].LastFile, chart.LastFile);

    TRChart back;
    ASSERT_TRUE(TRecoveryStore::Read(list[0], back));
    EXPECT_TRUE(back.IsModified());
    EXPECT_EQ(back.Info.FileName, chart.Info.FileName);
    EXPECT_EQ(back.LastFile, chart.LastFile);
    EXPECT_TRUE(back.Scale().Concluded);
    ASSERT_EQ(back.Curve().Count(), chart.Curve().Count());
    for (int i = 0; i < chart.Curve().Count(); ++i) {
        EXPECT_EQ(back.Curve().Items(i)->Time(), chart.Curve().Items(i)->Time());
        EXPECT_EQ(back.Curve().Items(i)->Prec(), chart.Curve().Items(i)->Prec());
    }
    EXPECT_EQ(back.SaveToBuffer(), saved);

    // A later copy replaces the earlier one under the same name.
    chart.BeginDigitizing();
    test::DigitizeValue(chart, 20.0, 4.0);
    store.Write(copy, chart);
    ASSERT_EQ(store.List().size(), 1u);
    TRChart again;
    ASSERT_TRUE(TRecoveryStore::Read(store.List()[0], again));
    EXPECT_EQ(again.Curve().Count(), chart.Curve().Count());
    EXPECT_GT(again.Curve().Count(), back.Curve().Count());

    // Saving the recovered chart goes to its own name, even when that file does not exist yet.
    back.SaveToFile(back.Info.FileName);
    EXPECT_TRUE(FileExists(back.Info.FileName));
    EXPECT_FALSE(back.IsModified());
}

TEST_F(RecoveryTest, ChartsNeverSavedAndCopiesWithoutANote)
{
    TRChart fresh;
    test::MakeDigitizedChart(fresh);
    ASSERT_TRUE(fresh.Info.FileName.empty());
    const TRecoveryStore store(folder);
    const std::string a = store.NewCopyName("");
    store.Write(a, fresh);
    TRChart named;
    MakeChart(named, "12345678-20210406.pvd");
    const std::string b = store.NewCopyName(named.Info.FileName);
    store.Write(b, named);
    ASSERT_TRUE(DeleteFile(TRecoveryStore::NoteFileOf(b))); // its note was lost

    std::vector<TRecoveryEntry> list = store.List();
    ASSERT_EQ(list.size(), 2u);
    for (const TRecoveryEntry& e : list) {
        TRChart back;
        ASSERT_TRUE(TRecoveryStore::Read(e, back));
        // Both come back as new charts: saving asks their header for a name.
        EXPECT_TRUE(back.Info.FileName.empty());
        EXPECT_TRUE(back.LastFile.empty());
        EXPECT_TRUE(back.IsModified());
        EXPECT_EQ(back.Curve().Count(), fresh.Curve().Count());
        EXPECT_EQ(e.HasNote, e.CopyFile == a);
    }

    // Removing takes the copy and its note; an absent copy is no error.
    EXPECT_TRUE(store.Remove(a));
    EXPECT_FALSE(FileExists(a));
    EXPECT_FALSE(FileExists(TRecoveryStore::NoteFileOf(a)));
    EXPECT_TRUE(store.Remove(a));
    ASSERT_EQ(store.List().size(), 1u);
    EXPECT_EQ(store.List()[0].CopyFile, b);
}

TEST_F(RecoveryTest, FailedWriteKeepsThePreviousCopy)
{
    TRChart chart;
    MakeChart(chart, "12345678-20210407.pvd");
    const TRecoveryStore store(folder);
    const std::string copy = store.NewCopyName(chart.Info.FileName);
    store.Write(copy, chart);
    const std::string before = Bytes(copy);
    chart.BeginDigitizing();
    test::DigitizeValue(chart, 21.0, 6.0);
    {
        TWriteFaultScope full({TWriteStep::Write, 10, 0, ".pvd"});
        EXPECT_THROW(store.Write(copy, chart), std::runtime_error);
    }
    EXPECT_EQ(Bytes(copy), before);
    std::vector<std::string> all;
    FindFiles(folder, "*.tmp", all, false);
    EXPECT_TRUE(all.empty()); // no temporary file left

    // A folder that cannot be made.
    Put(base + "blocked", "x");
    EXPECT_THROW(TRecoveryStore(base + "blocked/Recovery").Write(base + "blocked/Recovery/a.pvd", chart),
                 std::runtime_error);
}

TEST_F(RecoveryTest, UnreadableCopiesAreMovedAsideNotDeleted)
{
    const TRecoveryStore store(folder);
    ForceDirectories(folder);
    TRChart chart;
    MakeChart(chart, "12345678-20210408.pvd");
    const std::string good = store.NewCopyName(chart.Info.FileName);
    store.Write(good, chart);
    std::string data = Bytes(good);

    // Cut short, and not a chart at all.
    const std::string cut = folder + "cut~1-1-00000001.pvd";
    Put(cut, data.substr(0, data.size() - 30));
    Put(TRecoveryStore::NoteFileOf(cut), "[Pluviograma]\r\nArquivo=/x/12345678-20210409.pvd\r\n");
    const std::string junk = folder + "junk~1-1-00000002.pvd";
    Put(junk, "not a chart");
    Put(folder + "good.pvd.1234abcd.tmp", data); // an interrupted write: not a copy

    std::vector<TRecoveryEntry> list = store.List();
    ASSERT_EQ(list.size(), 3u);
    int unreadable = 0;
    for (const TRecoveryEntry& e : list) {
        TRChart back;
        if (TRecoveryStore::Read(e, back))
            continue;
        ++unreadable;
        const std::string bytes = Bytes(e.CopyFile);
        const std::string aside = store.MoveAside(e);
        ASSERT_FALSE(aside.empty());
        EXPECT_EQ(ExtractFilePath(aside), folder + "Danificados/");
        EXPECT_EQ(Bytes(aside), bytes);
        EXPECT_FALSE(FileExists(e.CopyFile));
        EXPECT_EQ(FileExists(TRecoveryStore::NoteFileOf(aside)), e.HasNote);
    }
    EXPECT_EQ(unreadable, 2);
    ASSERT_EQ(store.List().size(), 1u);
    EXPECT_EQ(store.List()[0].CopyFile, good);

    // A second damaged copy of the same name does not overwrite the first one set aside.
    Put(junk, "other junk");
    const std::string second = store.MoveAside({junk, "", "", false});
    ASSERT_FALSE(second.empty());
    EXPECT_NE(second, folder + "Danificados/" + ExtractFileName(junk));
    EXPECT_EQ(Bytes(second), "other junk");
    EXPECT_EQ(Bytes(folder + "Danificados/" + ExtractFileName(junk)), "not a chart");
}

TEST_F(RecoveryTest, CopiesOfAProgramRunningNowAreLeftAlone)
{
    const std::string token = TRecoveryRun::Token();
    EXPECT_EQ(TRecoveryRun::TokenOf("/r/12345678-20210405~" + token + "-12.pvd"), token);
    EXPECT_EQ(TRecoveryRun::TokenOf("/r/a~b~51e7-0badf00d-3.pvd"), "51e7-0badf00d");
    for (const char* none : {"/r/12345678-20210405.pvd", "/r/x~-3.pvd", "/r/x~3.pvd", "/r/x~zz-1-2.pvd"})
        EXPECT_EQ(TRecoveryRun::TokenOf(none), "") << none;

    const TRecoveryStore store(folder);
    TRChart chart;
    MakeChart(chart, "12345678-20210410.pvd");
    const std::string own = store.NewCopyName(chart.Info.FileName);
    EXPECT_EQ(TRecoveryRun::TokenOf(own), token);
    store.Write(own, chart);
    const std::string ownLock = folder + token + ".lock";
    EXPECT_TRUE(FileExists(ownLock)); // taken with the first copy
    EXPECT_FALSE(TRecoveryRun::IsHeldElsewhere(folder, token));

    // Another run's copy, its lock held, then let go as a crash would.
    const std::string other = folder + "12345678-20210411~abc-12345678-1.pvd";
    store.Write(other, chart);
    const std::string lock = folder + "abc-12345678.lock";
#ifndef _WIN32
    const int ownProbe = ::open(ownLock.c_str(), O_RDWR);
    ASSERT_GE(ownProbe, 0);
    EXPECT_NE(::flock(ownProbe, LOCK_EX | LOCK_NB), 0); // this run holds its own
    ::close(ownProbe);
    const int fd = ::open(lock.c_str(), O_RDWR | O_CREAT, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::flock(fd, LOCK_EX | LOCK_NB), 0);
    EXPECT_TRUE(TRecoveryRun::IsHeldElsewhere(folder, "abc-12345678"));
    ASSERT_EQ(store.List().size(), 1u);
    EXPECT_EQ(store.List()[0].CopyFile, own);
    ::close(fd);
#else
    Put(lock, "");
#endif
    // The lock of an ended run: its copies are offered and the lock file goes,
    // as does the lock of an ended run that left no copy.
    Put(folder + "dead-00000001.lock", "");
    EXPECT_EQ(store.List().size(), 2u);
    EXPECT_FALSE(FileExists(lock));
    EXPECT_FALSE(FileExists(folder + "dead-00000001.lock"));
    EXPECT_TRUE(FileExists(ownLock));
}

// The chart scripts/recovery-smoke.sh digitizes: a scale and 34 points, not
// digitizing. Built here the way it was made, so it follows the data file.
TEST(RecoverySmokeChart, IsTheSampleChartWithThirtyMorePoints)
{
    TRChart c;
    test::MakeDigitizedChart(c);
    TRChartInfo i = c.Info;
    i.Date = EncodeDate(2022, 6, 10);
    c.SetInfo(i);
    c.BeginDigitizing();
    for (int k = 0; k < 30; ++k)
        test::DigitizeValue(c, 12.5 + k * 0.25, 3.5 + (k % 6) * 0.25);
    c.EndDigitizing();
    ASSERT_EQ(c.Curve().Count(), 34);

    const std::string file = std::string(RS_TEST_DATA) + "/recovery/12345678-20220610.pvd";
    std::ifstream in(file, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(bytes, c.SaveToBuffer()) << file;
    TRChart back;
    ASSERT_TRUE(back.LoadFromFile(file));
    EXPECT_EQ(back.State(), int(Idle));
    EXPECT_TRUE(back.Scale().Concluded);
    EXPECT_EQ(ExtractFileName(TRChart::MakeFileName(back.Info)), "12345678-20220610.pvd");
}
