#include "scale/uCoordParse.h"

#include "common/Utils.h"
#include "scale/uScale.h"

#include <gtest/gtest.h>

using namespace rs;

namespace {
struct Sep
{
    explicit Sep(char c) : old(DecimalSeparator()) { SetDecimalSeparator(c); }
    ~Sep() { SetDecimalSeparator(old); }
    char old;
};
} // namespace

TEST(CoordParse, EveryDelimiterGivesTheSamePoint)
{
    for (const char* text : {"15 8", "15/8", "15;8", "15\t8", "  15   8  ", "15 / 8x"}) {
        TCoordText r = ParseCoordText(text, 7);
        if (std::string(text) == "15 / 8x") {
            EXPECT_FALSE(r.Ok); // the first blank delimits: "/ 8x" is not a number
            continue;
        }
        EXPECT_TRUE(r.Ok) << text;
        EXPECT_DOUBLE_EQ(r.Time, 15) << text;
        EXPECT_DOUBLE_EQ(r.Prec, 8) << text;
    }
}

TEST(CoordParse, DelimiterPriorityIsBlankTabSemicolonSlash)
{
    // A blank wins over an earlier ";": the time "15;8" is then not a number.
    EXPECT_FALSE(ParseCoordText("15;8 2", 7).Ok);
    TCoordText r = ParseCoordText("15/2;8", 7); // ";" before "/": time "15/2"
    EXPECT_FALSE(r.Ok);
    r = ParseCoordText("15\t8 ", 7); // trailing blank trimmed first, so the tab delimits
    EXPECT_TRUE(r.Ok);
}

TEST(CoordParse, RefusesWhatIsNotTwoNumbers)
{
    for (const char* text : {"", "   ", "15", "15 ", "a 8", "15 b", "15 8 9", "15;;8", "/8", "15/"})
        EXPECT_FALSE(ParseCoordText(text, 7).Ok) << '"' << text << '"';
    EXPECT_FALSE(IsValidCoordText("15", 7));
}

TEST(CoordParse, DecimalCommaOrPoint)
{
    for (char sep : {'.', ','}) {
        Sep g(sep);
        TCoordText r = ParseCoordText("15,5 8.25", 7);
        ASSERT_TRUE(r.Ok) << sep;
        EXPECT_DOUBLE_EQ(r.Time, 15.5);
        EXPECT_DOUBLE_EQ(r.Prec, 8.25);
        EXPECT_FALSE(ParseCoordText("1,5,3 2", 7).Ok);
    }
}

TEST(CoordParse, EarlyHoursBelongToTheNextDay)
{
    double t = 0, p = 0;
    EXPECT_TRUE(IsValidCoordText("3 5", 7, &t, &p));
    EXPECT_DOUBLE_EQ(t, 27);
    EXPECT_DOUBLE_EQ(p, 5);
    EXPECT_TRUE(IsValidCoordText("6.5 5", 7, &t, &p));
    EXPECT_DOUBLE_EQ(t, 30.5);
    EXPECT_TRUE(IsValidCoordText("7 0", 7, &t, &p));
    EXPECT_DOUBLE_EQ(t, 7);
    // A chart starting at 9 h: 8 h is the end of the next day.
    EXPECT_TRUE(IsValidCoordText("8 0", 9, &t, &p));
    EXPECT_DOUBLE_EQ(t, 32);
}

TEST(CoordParse, ValidRanges)
{
    EXPECT_FALSE(IsValidCoordText("7 12", 7)); // above 11 mm
    EXPECT_TRUE(IsValidCoordText("7 11", 7));
    EXPECT_TRUE(IsValidCoordText("7 -1", 7));
    EXPECT_FALSE(IsValidCoordText("7 -1.1", 7));
    EXPECT_TRUE(IsValidCoordText("31 0", 7));
    EXPECT_FALSE(IsValidCoordText("31.1 0", 7)); // past the end of the chart
    double t = 0, p = 0;
    EXPECT_FALSE(IsValidCoordText("7 12", 7, &t, &p));
    EXPECT_EQ(t, 0); // untouched when refused
}

TEST(CoordParse, EnterTurnsIntoABlankAfterOneNumber)
{
    EXPECT_TRUE(IsSingleNumber("15"));
    EXPECT_TRUE(IsSingleNumber(" 15,5 "));
    EXPECT_FALSE(IsSingleNumber("15 8"));
    EXPECT_FALSE(IsSingleNumber(""));
    EXPECT_FALSE(IsSingleNumber("x"));
}

TEST(CoordParse, TextForAClickOnThePicture)
{
    EXPECT_EQ(CoordTextFor(15.4, 7.6, 7), "15 8");
    EXPECT_EQ(CoordTextFor(27.2, 0.2, 7), "3 0");
    EXPECT_EQ(CoordTextFor(24, -0.6, 7), "24 -1");
    EXPECT_EQ(CoordTextFor(30.7, 2, 7), "31 2"); // the chart's last half hour, not its first hour
    // Every click on the chart's day reads back as its own rounded hour.
    for (int hour : {7, 8, 9})
        for (double t = hour; t <= hour + 24.0; t += 0.05) {
            const TCoordText r = ParseCoordText(CoordTextFor(t, 5, hour), hour);
            ASSERT_TRUE(r.Ok);
            EXPECT_DOUBLE_EQ(r.Time, RoundEven(t)) << hour << " h chart, click at " << t;
        }
}
