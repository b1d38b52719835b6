#pragma once
// Input of the dry-day tool: the list of days of one month ("2 6 14-19 21"),
// the two-digit year window and the checks that the dialog and the command
// line share. Messages are UTF-8, the texts the operator sees.

#include "common/Utils.h"

#include <string>
#include <string_view>

namespace rs {

// Messages of the day-list parser.
extern const char* const kDayMsgDash;         // misplaced "-"
extern const char* const kDayMsgInconsistent; // a character that is neither digit, blank nor "-"
extern const char* const kDayMsgMissingEnd;   // "5-" without the final day
extern const char* const kDayMsgNone;         // nothing but blanks
std::string DayOutOfRangeMessage(int daysInMonth);
std::string ReversedPeriodMessage(int endDay, int startDay);

// Messages of the dialog's checks, in the order they are made.
extern const char* const kDryMsgStCode;
extern const char* const kDryMsgYear;
extern const char* const kDryMsgMonth;
extern const char* const kDryMsgDays;

struct TDayListError
{
    std::string Message;
    int Pos = 0; // offset, from 0, of the token that failed (the caret goes there)
};

// Parses days separated by blanks, "a-b" being every day from a to b, each in
// 1 .. daysInMonth. The list is emptied first and receives the days (1 .. n)
// ascending, each once. On failure the days read so far stay in the list.
bool ParseDayList(std::string_view text, int daysInMonth, TDoubleArray& days, TDayListError& error);

// Characters the days field accepts from the keyboard (digits, blank, "-",
// backspace and Enter).
bool IsDayListKey(char c);

// A year below 100 (from 0) is taken within the 50 years around currentYear:
// with p = (currentYear - 50) mod 100, y > p means the century of
// currentYear - 50, otherwise the next one (in 2026: 77 -> 1977, 76 -> 2076).
int ExpandYear(int year, int currentYear);
// The year field's text after it is left: four digits for a two-digit year,
// otherwise unchanged.
std::string ExpandYearText(std::string_view text, int currentYear);
// An integer year, expanded, that can be a date (1 .. 9999).
bool ReadYear(std::string_view text, int& year, int currentYear);
bool ReadMonth(std::string_view text, int& month); // integer 1 .. 12

// Enabling of the dialog's fields: month while the year text is an integer,
// days while the month is also an integer 1 .. 12.
bool MonthFieldEnabled(std::string_view yearText);
bool DaysFieldEnabled(std::string_view yearText, std::string_view monthText);

enum class TDryDayField { None, StCode, Year, Month, Days };

struct TDryDayInput
{
    std::string StCode; // Windows-1252, as typed
    std::string Year, Month, Days;
};

struct TDryDayCheck
{
    TDryDayField Field = TDryDayField::None; // the field to focus on failure
    std::string Message;                     // empty when the input is good
    int Caret = -1;                          // in the days text, for a parse error
    int Year = 0, Month = 0;                 // as understood (the year expanded)
};

// The dialog's OK checks, in order: station code (8 digits), year, month, days
// not blank, the day list against the month's length. On success dates holds
// the day number of every chosen day, ascending.
bool CheckDryDayInput(const TDryDayInput& in, int currentYear, TDoubleArray& dates, TDryDayCheck& check);

} // namespace rs
