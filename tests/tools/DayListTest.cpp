#include "tools/uDayList.h"

#include <gtest/gtest.h>

#include <vector>

using namespace rs;

namespace {

std::vector<int> Days(const TDoubleArray& a)
{
    std::vector<int> v;
    for (int i = 0; i < a.Count(); ++i)
        v.push_back(int(a.Items(i)));
    return v;
}

struct ParseCase
{
    const char* text;
    int n;
    std::string message; // empty: accepted
    int pos;
};

} // namespace

TEST(DayList, AcceptedLists)
{
    TDoubleArray d;
    TDayListError e;
    ASSERT_TRUE(ParseDayList("2 6 14-19 21 25-27 30", 30, d, e)) << e.Message;
    EXPECT_EQ(Days(d), (std::vector<int>{2, 6, 14, 15, 16, 17, 18, 19, 21, 25, 26, 27, 30}));
    ASSERT_TRUE(ParseDayList("5 - 8", 30, d, e));
    EXPECT_EQ(Days(d), (std::vector<int>{5, 6, 7, 8}));
    ASSERT_TRUE(ParseDayList("3 3 1-4", 30, d, e));
    EXPECT_EQ(Days(d), (std::vector<int>{1, 2, 3, 4}));
    ASSERT_TRUE(ParseDayList("\t9\r\n1  ", 30, d, e)); // control characters separate like blanks
    EXPECT_EQ(Days(d), (std::vector<int>{1, 9}));
    ASSERT_TRUE(ParseDayList("7-7 007", 31, d, e));
    EXPECT_EQ(Days(d), (std::vector<int>{7}));
    ASSERT_TRUE(ParseDayList("29", 29, d, e));
}

TEST(DayList, EveryMessageWithItsCaret)
{
    const std::string dash = kDayMsgDash, odd = kDayMsgInconsistent;
    const ParseCase cases[] = {
        {"-5", 30, dash, 0},
        {"5--8", 30, dash, 2},
        {"1 2-3-4", 30, dash, 5},
        {"5-", 30, kDayMsgMissingEnd, 1},
        {"1 5 -  ", 30, kDayMsgMissingEnd, 4},
        {"8-5", 30, ReversedPeriodMessage(5, 8), 2},
        {"2 31", 30, DayOutOfRangeMessage(30), 2},
        {"0", 30, DayOutOfRangeMessage(30), 0},
        {"1-99999999999999999999", 31, DayOutOfRangeMessage(31), 2},
        {"3,4", 30, odd, 1},
        {"1 a", 30, odd, 2},
        {"1\xE7", 30, odd, 1},
        {"", 30, kDayMsgNone, 0},
        {"  \t ", 30, kDayMsgNone, 0},
    };
    for (const ParseCase& c : cases) {
        TDoubleArray d;
        TDayListError e;
        EXPECT_FALSE(ParseDayList(c.text, c.n, d, e)) << c.text;
        EXPECT_EQ(e.Message, c.message) << c.text;
        EXPECT_EQ(e.Pos, c.pos) << c.text;
    }
    EXPECT_EQ(ReversedPeriodMessage(5, 8),
              "O final do período (5) é anterior ao início do período (8). Basta invertê-los");
    EXPECT_EQ(DayOutOfRangeMessage(28), "O dia deve estar entre 1 e 28");
    EXPECT_EQ(dash, "O delimitador \"-\" deve estar entre os dias inicial e final do período (Ex.: 5-8)");
}

TEST(DayList, TypedKeys)
{
    for (char c : std::string("0123456789 -\b\r"))
        EXPECT_TRUE(IsDayListKey(c)) << int(c);
    for (char c : std::string(",.a;\t/"))
        EXPECT_FALSE(IsDayListKey(c)) << c;
}

TEST(DryDayYear, FiftyYearWindow)
{
    EXPECT_EQ(ExpandYear(77, 2026), 1977);
    EXPECT_EQ(ExpandYear(76, 2026), 2076);
    EXPECT_EQ(ExpandYear(0, 2026), 2000);
    EXPECT_EQ(ExpandYear(99, 2026), 1999);
    EXPECT_EQ(ExpandYear(1976, 2026), 1976);
    EXPECT_EQ(ExpandYear(99, 2049), 2099);
    EXPECT_EQ(ExpandYear(0, 2050), 2100); // 2000 is exactly 50 years back: outside
    // Later on the window keeps sliding instead of falling back a century.
    EXPECT_EQ(ExpandYear(50, 2080), 2050);
    EXPECT_EQ(ExpandYear(30, 2080), 2130);
    EXPECT_EQ(ExpandYear(31, 2080), 2031);
    EXPECT_EQ(ExpandYear(ExpandYear(5, CurrentYear()) % 100, CurrentYear()), ExpandTwoDigitYear(5));

    EXPECT_EQ(ExpandYearText("77", 2026), "1977");
    EXPECT_EQ(ExpandYearText(" 5", 2026), "2005");
    EXPECT_EQ(ExpandYearText("1977", 2026), "1977");
    EXPECT_EQ(ExpandYearText("x", 2026), "x");
    EXPECT_EQ(ExpandYearText("-5", 2026), "-5");
}

TEST(DryDayYear, FieldsAndTheirEnabling)
{
    int y = 0, m = 0;
    EXPECT_TRUE(ReadYear("76", y, 2026));
    EXPECT_EQ(y, 2076);
    EXPECT_FALSE(ReadYear("-5", y, 2026));
    EXPECT_FALSE(ReadYear("10000", y, 2026));
    EXPECT_FALSE(ReadYear("19a7", y, 2026));
    EXPECT_TRUE(ReadMonth("12", m));
    EXPECT_FALSE(ReadMonth("13", m));
    EXPECT_FALSE(ReadMonth("0", m));
    EXPECT_TRUE(MonthFieldEnabled("77"));
    EXPECT_FALSE(MonthFieldEnabled(""));
    EXPECT_TRUE(DaysFieldEnabled("2000", "2"));
    EXPECT_FALSE(DaysFieldEnabled("2000", "13"));
    EXPECT_FALSE(DaysFieldEnabled("", "2"));
}

TEST(DryDayInput, ChecksInOrder)
{
    TDoubleArray dates;
    TDryDayCheck c;
    auto check = [&](TDryDayInput in) { return CheckDryDayInput(in, 2026, dates, c); };

    EXPECT_FALSE(check({"1234567", "x", "x", ""}));
    EXPECT_EQ(c.Field, TDryDayField::StCode);
    EXPECT_EQ(c.Message, kDryMsgStCode);
    EXPECT_FALSE(check({"123456789", "1977", "5", "1"}));
    EXPECT_EQ(c.Field, TDryDayField::StCode);
    EXPECT_FALSE(check({"00000001", "", "x", ""}));
    EXPECT_EQ(c.Field, TDryDayField::Year);
    EXPECT_EQ(c.Message, "O ano não foi informado corretamente!");
    EXPECT_FALSE(check({"00000001", "1977", "13", ""}));
    EXPECT_EQ(c.Field, TDryDayField::Month);
    EXPECT_EQ(c.Message, "O mês não foi informado corretamente!");
    EXPECT_FALSE(check({"00000001", "1977", "4", "   "}));
    EXPECT_EQ(c.Field, TDryDayField::Days);
    EXPECT_EQ(c.Message, "Os dias não foram informados corretamente!");
    EXPECT_EQ(c.Caret, -1);
    EXPECT_FALSE(check({"00000001", "1977", "4", "1 31"}));
    EXPECT_EQ(c.Field, TDryDayField::Days);
    EXPECT_EQ(c.Message, "O dia deve estar entre 1 e 30");
    EXPECT_EQ(c.Caret, 2);
    EXPECT_EQ(dates.Count(), 0);
}

TEST(DryDayInput, DatesOfTheMonth)
{
    TDoubleArray dates;
    TDryDayCheck c;
    ASSERT_TRUE(CheckDryDayInput({"12345678", "1976", "5", "8 1-2"}, 2026, dates, c)) << c.Message;
    ASSERT_EQ(dates.Count(), 3);
    EXPECT_EQ(dates.Items(0), EncodeDate(1976, 5, 1));
    EXPECT_EQ(dates.Items(2), EncodeDate(1976, 5, 8));

    // February: 29 days in 2000, 28 in 1900.
    EXPECT_TRUE(CheckDryDayInput({"12345678", "2000", "2", "29"}, 2026, dates, c));
    EXPECT_FALSE(CheckDryDayInput({"12345678", "1900", "2", "29"}, 2026, dates, c));
    EXPECT_EQ(c.Message, "O dia deve estar entre 1 e 28");

    // A two-digit year gives the same dates as the four digits the field shows after it is left.
    TDoubleArray twoDigits;
    ASSERT_TRUE(CheckDryDayInput({"12345678", "77", "3", "2 4"}, 2026, twoDigits, c));
    EXPECT_EQ(c.Year, 1977);
    ASSERT_TRUE(CheckDryDayInput({"12345678", ExpandYearText("77", 2026), "3", "2 4"}, 2026, dates, c));
    ASSERT_EQ(dates.Count(), 2);
    EXPECT_EQ(twoDigits.Items(1), dates.Items(1));
    EXPECT_EQ(dates.Items(1), EncodeDate(1977, 3, 4));
    ASSERT_TRUE(CheckDryDayInput({"12345678", "76", "2", "29"}, 2026, dates, c)); // 2076 is a leap year
    EXPECT_EQ(dates.Items(0), EncodeDate(2076, 2, 29));
}
