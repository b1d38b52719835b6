#include "tools/uDryDays.h"
#include "tools/uExplorerScan.h"

#include "support/RecordingCanvas.h"
#include "support/TestCharts.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using namespace rs;

namespace {

struct Folder : ::testing::Test
{
    std::string dir = test::TempDir(::testing::UnitTest::GetInstance()->current_test_info()->name());
    void TearDown() override
    {
        std::filesystem::remove_all(dir);
        SetDataFolder("");
    }
    // Dry-day files of a station for the given days of March 1999.
    void Days(const std::string& code, std::initializer_list<int> days, int kind = 1)
    {
        SetDataFolder(dir);
        TRChartInfo r;
        r.Kind = std::uint8_t(kind);
        r.StCode = code;
        r.StName = "Esta\xE7\xE3o " + code.substr(0, 2);
        TDoubleArray dates;
        for (int d : days)
            dates.Add(EncodeDate(1999, 3, d));
        ASSERT_EQ(CreateDryDayFiles(r, dates, {}).Written, int(days.size()));
    }
};

} // namespace

TEST_F(Folder, FalhasCountsMissingDaysPerStation)
{
    Days("22222222", {1, 2, 5});
    Days("11111111", {10, 20}, 2);
    const auto rows = ScanFolder(dir);
    ASSERT_EQ(rows.size(), 5u);
    // Sorted by station code, then date.
    EXPECT_EQ(rows[0].Info.StCode, "11111111");
    EXPECT_EQ(rows[0].Cells[3], "");
    EXPECT_EQ(rows[1].Cells[3], "9 dias");
    EXPECT_EQ(rows[1].Cells[2], "?");
    EXPECT_EQ(rows[2].Cells[3], "");
    EXPECT_EQ(rows[3].Cells[3], "");
    EXPECT_EQ(rows[4].Cells[3], "2 dias");
    EXPECT_EQ(rows[4].Cells[2], "-");
    EXPECT_EQ(rows[4].Cells[0], "22222222-19990305.pvd");
    EXPECT_EQ(rows[4].Cells[1], "05/03/1999");
    EXPECT_EQ(rows[4].Cells[4], "Esta\xE7\xE3o 22 - 22222222");
    EXPECT_EQ(rows[4].Cells[5], DateToStr(Now()));
}

TEST_F(Folder, UnreadableForeignAndHiddenFilesAreSkipped)
{
    Days("12345678", {1, 2});
    std::ofstream(dir + "foreign.pvd") << "hello";
    std::ofstream(dir + "empty.pvd");
    {
        // A header that passes the quick check with an impossible string length.
        std::string d(110, '\0');
        d[0] = 'R';
        d[1] = 'S';
        d[2] = 70;
        d[6] = 110;
        d[70 + 27] = char(0xFF);
        std::ofstream(dir + "truncated.pvd", std::ios::binary) << d;
    }
    std::filesystem::create_directories(dir + ".hidden");
    std::filesystem::copy_file(dir + "12345678/12345678-19990301.pvd", dir + ".hidden/x.pvd");
    std::filesystem::copy_file(dir + "12345678/12345678-19990301.pvd", dir + "12345678/.y.pvd");
    int progress = 0;
    const auto rows = ScanFolder(dir, [&](int n, const std::string&) {
        progress = n;
        return true;
    });
    EXPECT_EQ(rows.size(), 2u);
    EXPECT_EQ(progress, 5);
}

TEST_F(Folder, StoppedScanKeepsWhatWasRead)
{
    Days("12345678", {1, 2, 3, 4, 5, 6});
    const auto rows = ScanFolder(dir, [](int n, const std::string&) { return n < 3; });
    EXPECT_EQ(rows.size(), 3u);
    EXPECT_TRUE(ScanFolder(dir + "missing").empty());
}

TEST_F(Folder, FilesOfAFolderComeBeforeItsSubfolders)
{
    for (const char* sub : {"", "b/", "a/", "a/deeper/"}) {
        std::filesystem::create_directories(dir + sub);
        std::ofstream(dir + sub + "z.pvd") << "x";
        std::ofstream(dir + sub + "m.pvd") << "x";
    }
    const auto files = CollectDataFiles(dir);
    ASSERT_EQ(files.size(), 8u);
    EXPECT_EQ(files[0], dir + "m.pvd");
    EXPECT_EQ(files[1], dir + "z.pvd");
    EXPECT_EQ(files[2], dir + "a/m.pvd");
    EXPECT_EQ(files[4], dir + "a/deeper/m.pvd");
    EXPECT_EQ(files[6], dir + "b/m.pvd");
}

TEST_F(Folder, ListingTextAndSelection)
{
    Days("12345678", {1, 3});
    const auto rows = ScanFolder(dir);
    const std::string all = ListingText(rows);
    EXPECT_EQ(all.substr(0, all.find("\r\n")), "Arquivo\tData\tPrecip.\tFalhas\tEsta\xE7\xE3o\tAlterado");
    EXPECT_NE(all.find("12345678-19990303.pvd\t03/03/1999\t-\t1 dias\t"), std::string::npos);
    const std::vector<int> second{1};
    const std::string sel = ListingText(rows, &second);
    EXPECT_EQ(std::count(sel.begin(), sel.end(), '\n'), 2);
    EXPECT_EQ(sel.substr(sel.size() - 2), "\r\n");
}

TEST(Explorer, PanelsAndMiniature)
{
    TRChart c;
    test::MakeDigitizedChart(c);
    std::string p[3];
    SetDecimalSeparator('.');
    SummaryPanels(c, p);
    EXPECT_EQ(p[0], "Pontos Dig. : 4");
    EXPECT_EQ(p[1], "Pluviograma: 13.0 mm");
    EXPECT_EQ(p[2], "Pluviômetro: 0.0 mm");
    c.Curve().Items(2)->SetMark(2);
    c.Curve().Recalc();
    SummaryPanels(c, p);
    EXPECT_EQ(p[1].rfind("Pluviograma: ±", 0), 0u);
    test::RecordingCanvas canvas;
    DrawMiniature(canvas, c, 188, 68, RGB(240, 240, 240));
    ASSERT_EQ(canvas.polylines.size(), 1u);
    EXPECT_EQ(canvas.polylines[0].points[0], (TPoint{4, RoundEven(11.0 / 12 * 60) + 4}));
    EXPECT_EQ(canvas.lines.size(), 1u); // the failure gap
    EXPECT_EQ(canvas.frames.size(), 1u);

    TRChart absent;
    absent.SetKind(2);
    SummaryPanels(absent, p);
    EXPECT_EQ(p[1], "Dia sem pluviograma");
    EXPECT_EQ(p[2], "");
    test::RecordingCanvas crossed;
    DrawMiniature(crossed, absent, 188, 68, RGB(240, 240, 240));
    EXPECT_EQ(crossed.lines.size(), 3u); // gap and two diagonals

    TRChart defining;
    defining.BeginScale();
    SummaryPanels(defining, p);
    EXPECT_EQ(p[1], "Definindo Escala");
    test::RecordingCanvas text;
    DrawMiniature(text, defining, 188, 68, 0);
    ASSERT_EQ(text.texts.size(), 1u);
    EXPECT_EQ(text.texts[0].text, "Digitaliza\xE7\xE3o Incompleta");
}

TEST_F(Folder, DryDaysAskBeforeOverwriting)
{
    Days("12345678", {2});
    SetDataFolder(dir);
    TRChartInfo r;
    r.Kind = 2;
    r.Hour = 8;
    r.StCode = "12345678";
    TDoubleArray dates;
    for (int d : {1, 2, 3})
        dates.Add(EncodeDate(1999, 3, d));
    std::vector<std::string> asked;
    auto res = CreateDryDayFiles(r, dates, [&](int i, int n, const std::string& path) {
        asked.push_back(OverwriteQuestionText(i, n, path));
        return TOverwriteAnswer::No;
    });
    EXPECT_EQ(res.Written, 2);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0], "O arquivo 2/3 (" + dir + "12345678/12345678-19990302.pvd) já existe.\r\n"
                        "Sobregrava o arquivo existente?");
    TRChart back;
    ASSERT_TRUE(back.LoadFromFile(dir + "12345678/12345678-19990303.pvd"));
    EXPECT_EQ(back.Info.Kind, 2);
    EXPECT_EQ(back.Curve().Items(0)->Mark(), 2);
    EXPECT_DOUBLE_EQ(back.Curve().Items(1)->Time(), 32.0);
    res = CreateDryDayFiles(r, dates, [](int, int, const std::string&) { return TOverwriteAnswer::Cancel; });
    EXPECT_TRUE(res.Cancelled);
    EXPECT_EQ(res.Written, 0);
    EXPECT_EQ(DryDaysCountText(1, 3), "Foram criados 3 arquivos, para os respectivos pluviogramas com precipitação nula.");
    r.StCode = "1234567/";
    res = CreateDryDayFiles(r, dates, {});
    EXPECT_FALSE(res.Error.empty());
}

TEST_F(Folder, PrecipShowsTheDaySumWithItsFailureSign)
{
    // One chart with an overflow and a failure: 13 mm, then 2 mm after the failure.
    TRChart c;
    test::MakeDigitizedChart(c);
    c.Curve().Last()->SetMark(2);
    c.Curve().AddPoint(14, 1, true);
    c.Curve().AddPoint(20, 3, true);
    c.Curve().Recalc();
    c.SaveToFile(dir + "a.pvd");
    TRChart plain;
    test::MakeDigitizedChart(plain);
    plain.Info.Date += 1;
    plain.SaveToFile(dir + "b.pvd");
    const auto rows = ScanFolder(dir);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].Cells[2], "\xB1" + FormatNum("%.1f", 16.0)); // not the 3.0 of the header's Total
    EXPECT_TRUE(rows[0].Approximate);
    EXPECT_EQ(rows[1].Cells[2], FormatNum("%.1f", 13.0));
    EXPECT_NE(ListingText(rows).find("\t\xB1" + FormatNum("%.1f", 16.0) + "\t"), std::string::npos);
}
