#include "tools/uDryDays.h"

#include "common/uAtomicFile.h"
#include "support/TestCharts.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

using namespace rs;
namespace fs = std::filesystem;

namespace {

std::string Read(const std::string& p)
{
    std::ifstream f(p, std::ios::binary);
    std::stringstream ss;
    ss << f.rdbuf();
    return ss.str();
}

} // namespace

// The disk fills up while the second of three dry-day files replaces a chart:
// the run stops there and says why, the chart on disk is the one that was there,
// and nothing half written or temporary is left.
TEST(DryDays, DiskFullStopsTheRunAndKeepsTheFileItWasReplacing)
{
    const std::string dir = test::TempDir("DryDaysDiskFull");
    SetDataFolder(dir);
    TRChartInfo info = test::SampleInfo();
    info.FileName.clear();
    info.Kind = 1;
    TDoubleArray dates;
    for (int d : {1, 2, 3})
        dates.Add(EncodeDate(2020, 3, d));
    info.Date = dates.Items(1);
    const std::string second = TRChart::MakeFileName(info);
    {
        TRChart c;
        test::MakeDigitizedChart(c);
        c.Info.StCode = info.StCode;
        c.SaveToFile(second);
    }
    const std::string before = Read(second);
    TDryDaysResult r;
    {
        TWriteFaultScope full({TWriteStep::Write, 30, 0, ExtractFileName(second)});
        r = CreateDryDayFiles(info, dates, [](int, int, const std::string&) { return TOverwriteAnswer::Yes; });
        EXPECT_EQ(full.Hits(), 1);
    }
    EXPECT_EQ(r.Written, 1);
    EXPECT_FALSE(r.Cancelled);
    EXPECT_EQ(r.Error, "Erro ao gravar o arquivo \"" + second +
                           "\": não há espaço livre no disco. O arquivo anterior foi preservado.");
    EXPECT_EQ(Read(second), before);
    int files = 0, temps = 0;
    for (auto& e : fs::recursive_directory_iterator(dir)) {
        files += e.is_regular_file();
        temps += e.path().extension() == ".tmp";
    }
    EXPECT_EQ(files, 2); // the first day's new file and the kept chart
    EXPECT_EQ(temps, 0);
    SetDataFolder("");
    fs::remove_all(dir);
}

// A dry-day file holds a hidden scale list, like any chart before its scale is
// defined; the files written earlier with a visible one still open.
TEST(DryDays, FilesKeepTheScaleListHidden)
{
    const std::string dir = test::TempDir("DryDaysHidden");
    SetDataFolder(dir);
    TRChartInfo info = test::SampleInfo();
    info.Kind = 1;
    info.Hour = 8;
    TDoubleArray dates;
    dates.Add(EncodeDate(2020, 3, 1));
    ASSERT_EQ(CreateDryDayFiles(info, dates, {}).Written, 1);
    info.Date = dates.Items(0);
    TRChart written;
    ASSERT_TRUE(written.LoadFromFile(TRChart::MakeFileName(info)));
    EXPECT_FALSE(written.Scale().Visible());
    EXPECT_TRUE(written.Curve().Visible());
    EXPECT_EQ(written.Curve().Items(0)->Time(), 8.0);

    written.Scale().SetVisible(true);
    const std::string old = dir + "old.pvd";
    written.SaveToFile(old);
    TRChart back;
    ASSERT_TRUE(back.LoadFromFile(old));
    EXPECT_EQ(back.Info.Kind, 1);
    EXPECT_EQ(back.Curve().Count(), 2);
    SetDataFolder("");
    fs::remove_all(dir);
}
