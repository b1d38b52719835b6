#include "common/Utils.h"
#include "common/uTimeHelpers.h"

#include <gtest/gtest.h>

#include <fstream>

using namespace rs;

namespace {
struct SeparatorGuard
{
    explicit SeparatorGuard(char c) : old(DecimalSeparator()) { SetDecimalSeparator(c); }
    ~SeparatorGuard() { SetDecimalSeparator(old); }
    char old;
};
} // namespace

TEST(Numbers, FloatAcceptsBothSeparatorsUnderComma)
{
    SeparatorGuard g(',');
    double v = 0;
    EXPECT_TRUE(TryStrToFloat("1,5", v));
    EXPECT_DOUBLE_EQ(v, 1.5);
    EXPECT_TRUE(TryStrToFloat("1.5", v));
    EXPECT_DOUBLE_EQ(v, 1.5);
    EXPECT_FALSE(TryStrToFloat("1,5,3", v));
    EXPECT_FALSE(TryStrToFloat("", v));
    EXPECT_TRUE(TryStrToFloat("-2", v));
    EXPECT_DOUBLE_EQ(v, -2);
    EXPECT_TRUE(TryStrToFloat("2,5e1", v));
    EXPECT_DOUBLE_EQ(v, 25);
    EXPECT_EQ(FormatNum("%.2f", 3.256), "3,26");
}

TEST(Numbers, FloatUnderPointRefusesComma)
{
    SeparatorGuard g('.');
    double v = 0;
    EXPECT_FALSE(TryStrToFloat("1,5", v));
    EXPECT_FALSE(TryStrToFloat("nan", v));
    EXPECT_FALSE(TryStrToFloat("inf", v));
    EXPECT_FALSE(TryStrToFloat("0x10", v));
    EXPECT_FALSE(TryStrToFloat("1e999", v));
    EXPECT_FALSE(TryStrToFloat("1.5abc", v));
    EXPECT_EQ(FormatNum("%.1f", 13.04), "13.0");
}

TEST(Numbers, Integers)
{
    int v = 0;
    EXPECT_TRUE(TryStrToInt("-2147483648", v));
    EXPECT_EQ(v, INT32_MIN);
    EXPECT_FALSE(TryStrToInt("2147483648", v));
    EXPECT_FALSE(TryStrToInt("12a", v));
    EXPECT_FALSE(TryStrToInt("", v));
    EXPECT_TRUE(TryStrToInt("$FFFFFF", v));
    EXPECT_EQ(v, 0xFFFFFF);
    EXPECT_TRUE(IsInteger(" 42 "));
}

TEST(Dates, DayNumbersAndText)
{
    EXPECT_DOUBLE_EQ(EncodeDate(1899, 12, 30), 0);
    EXPECT_DOUBLE_EQ(EncodeDate(1976, 5, 8), 27888);
    int y, m, d;
    DecodeDate(27888.75, y, m, d);
    EXPECT_EQ(y * 10000 + m * 100 + d, 19760508);
    EXPECT_EQ(DateToStr(27889), "09/05/1976");
    double date = 0;
    EXPECT_TRUE(TryStrToDate("08/05/1976", date));
    EXPECT_DOUBLE_EQ(date, 27888);
    EXPECT_FALSE(TryStrToDate("31/02/1976", date));
    EXPECT_FALSE(TryStrToDate("8/5", date));
    EXPECT_FALSE(TryStrToDate("08/05/19760", date));
    EXPECT_TRUE(TryStrToDate("29/02/2000", date));
    EXPECT_FALSE(TryStrToDate("29/02/1900", date));
    // Two-digit years fall within 50 years of now.
    EXPECT_TRUE(TryStrToDate("01/01/76", date));
    DecodeDate(date, y, m, d);
    EXPECT_LE(std::abs(y - CurrentYear()), 50);
}

TEST(Strings, SplitKeepsEmptyPieces)
{
    std::vector<std::string> l;
    Split("a;;b;", ';', l);
    EXPECT_EQ(l, (std::vector<std::string>{"a", "", "b", ""}));
}

TEST(Strings, FindSortedFoldsCaseAndAccents)
{
    const std::vector<std::string> list = {"Santos", "S\xE3o Paulo", "Sorocaba"};
    int index = -1;
    EXPECT_FALSE(FindSorted(list, "sao", index));
    EXPECT_EQ(index, 1); // "sao" sorts before "São Paulo"
    EXPECT_TRUE(FindSorted(list, "SANTOS", index));
    EXPECT_EQ(index, 0);
    EXPECT_FALSE(FindSorted(list, "Z", index));
    EXPECT_EQ(index, 3);
}

TEST(Strings, Cp1252RoundTrip)
{
    const std::string cp = "Esta\xE7\xE3o \x80 \x93x\x94";
    const std::string utf = Cp1252ToUtf8(cp);
    EXPECT_EQ(utf, "Estação € “x”");
    EXPECT_EQ(Utf8ToCp1252(utf), cp);
    EXPECT_TRUE(IsValidUtf8(utf));
    EXPECT_FALSE(IsValidUtf8(cp));
    EXPECT_EQ(Utf8ToCp1252("日"), "?");
    EXPECT_EQ(Utf8ToCp1252("\xC3"), "?"); // truncated sequence
}

TEST(Paths, JoinAndFolders)
{
    EXPECT_EQ(JoinPath("/dados/", "x.pvd"), "/dados/x.pvd");
    EXPECT_EQ(JoinPath("/dados", "x.pvd"), std::string("/dados") + kPathDelim + "x.pvd");
    EXPECT_EQ(JoinPath("", "x.pvd"), "x.pvd");
    EXPECT_EQ(SameFolderAs("/a/b/c.txt", "/x/y.ini"), "/a/b/y.ini");
    EXPECT_EQ(ExtractFilePath("noslash"), "");
    EXPECT_TRUE(MatchesMask("12345678-19760508.PVD", "*.pvd"));
    EXPECT_FALSE(MatchesMask("a.pvd.bak", "*.pvd"));
    EXPECT_TRUE(MatchesMask("abc", "a?c"));
}

TEST(Paths, FindFilesVisitsFilesThenFolders)
{
    const std::string root = ::testing::TempDir() + "rs_findfiles/";
    ForceDirectories(root + "sub/.hidden");
    for (const char* f : {"a.pvd", "b.txt", "sub/c.pvd", "sub/.hidden/d.pvd", ".e.pvd"})
        std::ofstream(root + f) << "x";
    std::vector<std::string> all, shallow;
    FindFiles(root, "*.pvd", all, true, true);
    FindFiles(root, "*.pvd", shallow, false);
    EXPECT_EQ(all.size(), 2u);
    EXPECT_EQ(shallow.size(), 2u); // a.pvd and .e.pvd: hidden files are kept unless asked
    EXPECT_NE(all.back().find("c.pvd"), std::string::npos);
}

TEST(DateArray, KeepsOrderWithoutDuplicates)
{
    TDoubleArray a;
    EXPECT_EQ(a.Add(5), 0);
    EXPECT_EQ(a.Add(3), 0);
    EXPECT_EQ(a.Add(9), 2);
    EXPECT_EQ(a.Add(5), 1);
    EXPECT_EQ(a.Count(), 3);
    EXPECT_EQ(a.Items(3), 0);
    EXPECT_EQ(a.Items(-1), 0);
}

TEST(TimeHelpers, ChartTimes)
{
    EXPECT_EQ(HoursToHM(7.5), "07:30");
    EXPECT_EQ(HoursToHM(24), "00:00");
    EXPECT_EQ(HoursToHM(31.25), "07:15");
    EXPECT_EQ(HoursToHM(-0.05), "00:03");
    EXPECT_EQ(TimeOfDayText(31.0), "07:00");
    // Times no chart holds (a damaged file) still give a text.
    EXPECT_EQ(TimeOfDayText(1e300).size(), 5u);
    EXPECT_EQ(HoursToHM(-1e308), "00:00");
    EXPECT_EQ(TimeOfDayText(7.0 + 59.0 / 60 + 59.9 / 3600), "07:59"); // seconds dropped
    EXPECT_DOUBLE_EQ(ToChartTime(3, 7), 27);
    EXPECT_DOUBLE_EQ(HourOfDay(30), 6);
    EXPECT_TRUE(InChartRange(11, 31, 7));
    EXPECT_FALSE(InChartRange(-1.01, 10, 7));
    EXPECT_FALSE(InChartRange(0, 6.99, 7));
}
