#include "tools/uDayList.h"

#include "document/uRChart.h"

namespace rs {

const char* const kDayMsgDash =
    "O delimitador \"-\" deve estar entre os dias inicial e final do período (Ex.: 5-8)";
const char* const kDayMsgInconsistent = "Há uma inconsistência na posição do cursor";
const char* const kDayMsgMissingEnd = "Está faltando o dia final do período";
const char* const kDayMsgNone = "Nenhum dia foi definido";

const char* const kDryMsgStCode = "O código da estação deve ser um número inteiro de 8 dígitos";
const char* const kDryMsgYear = "O ano não foi informado corretamente!";
const char* const kDryMsgMonth = "O mês não foi informado corretamente!";
const char* const kDryMsgDays = "Os dias não foram informados corretamente!";

std::string DayOutOfRangeMessage(int daysInMonth) { return Format("O dia deve estar entre 1 e %d", daysInMonth); }

std::string ReversedPeriodMessage(int endDay, int startDay)
{
    return Format("O final do período (%d) é anterior ao início do período (%d). Basta invertê-los", endDay,
                  startDay);
}

bool ParseDayList(std::string_view text, int n, TDoubleArray& days, TDayListError& error)
{
    days.Clear();
    error = {};
    int pending = 0; // 0: no day pending
    bool range = false;
    int rangePos = 0;
    std::size_t i = 0;
    auto fail = [&](std::string msg, std::size_t pos) {
        error.Message = std::move(msg);
        error.Pos = int(pos);
        return false;
    };
    for (;;) {
        while (i < text.size() && static_cast<unsigned char>(text[i]) >= 1 &&
               static_cast<unsigned char>(text[i]) <= 32)
            ++i;
        if (i >= text.size())
            break; // trailing blanks end the list like its end does
        const std::size_t tokenPos = i;
        const char c = text[i];
        if (c == '-') {
            if (pending == 0 || range)
                return fail(kDayMsgDash, tokenPos);
            range = true;
            rangePos = int(tokenPos);
            ++i;
            continue;
        }
        if (c < '0' || c > '9')
            return fail(kDayMsgInconsistent, tokenPos);
        long long v = 0;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
            if (v <= n)
                v = v * 10 + (text[i] - '0'); // stops growing once out of range
            ++i;
        }
        if (v < 1 || v > n)
            return fail(DayOutOfRangeMessage(n), tokenPos);
        const int day = int(v);
        if (pending == 0)
            pending = day;
        else if (!range) {
            days.Add(pending);
            pending = day;
        } else {
            if (day < pending)
                return fail(ReversedPeriodMessage(day, pending), tokenPos);
            for (int d = pending; d <= day; ++d)
                days.Add(d);
            pending = 0;
            range = false;
        }
    }
    if (range)
        return fail(kDayMsgMissingEnd, std::size_t(rangePos));
    if (pending != 0)
        days.Add(pending);
    if (days.Count() == 0)
        return fail(kDayMsgNone, 0);
    return true;
}

bool IsDayListKey(char c) { return (c >= '0' && c <= '9') || c == ' ' || c == '-' || c == '\b' || c == '\r'; }

int ExpandYear(int year, int currentYear)
{
    if (year < 0 || year >= 100)
        return year;
    const int base = currentYear - 50;
    const int pivot = ((base % 100) + 100) % 100;
    const int century = base - pivot; // century of currentYear - 50
    return year > pivot ? century + year : century + 100 + year;
}

std::string ExpandYearText(std::string_view text, int currentYear)
{
    int y;
    if (!TryStrToInt(text, y) || y < 0 || y >= 100)
        return std::string(text);
    return std::to_string(ExpandYear(y, currentYear));
}

bool ReadYear(std::string_view text, int& year, int currentYear)
{
    int y;
    if (!TryStrToInt(text, y))
        return false;
    y = ExpandYear(y, currentYear);
    // Beyond these the day numbers of the files could not be formed.
    if (y < 1 || y > 9999)
        return false;
    year = y;
    return true;
}

bool ReadMonth(std::string_view text, int& month)
{
    int m;
    if (!TryStrToInt(text, m) || m < 1 || m > 12)
        return false;
    month = m;
    return true;
}

bool MonthFieldEnabled(std::string_view yearText) { return IsInteger(yearText); }

bool DaysFieldEnabled(std::string_view yearText, std::string_view monthText)
{
    int m;
    return MonthFieldEnabled(yearText) && ReadMonth(monthText, m);
}

bool CheckDryDayInput(const TDryDayInput& in, int currentYear, TDoubleArray& dates, TDryDayCheck& check)
{
    check = {};
    dates.Clear();
    auto fail = [&](TDryDayField field, std::string msg) {
        check.Field = field;
        check.Message = std::move(msg);
        return false;
    };
    if (!IsValidStationCode(in.StCode))
        return fail(TDryDayField::StCode, kDryMsgStCode);
    if (!ReadYear(in.Year, check.Year, currentYear))
        return fail(TDryDayField::Year, kDryMsgYear);
    if (!ReadMonth(in.Month, check.Month))
        return fail(TDryDayField::Month, kDryMsgMonth);
    if (Trim(in.Days).empty())
        return fail(TDryDayField::Days, kDryMsgDays);
    TDoubleArray days;
    TDayListError err;
    if (!ParseDayList(in.Days, DaysInMonth(check.Year, check.Month), days, err)) {
        check.Caret = err.Pos;
        return fail(TDryDayField::Days, err.Message);
    }
    for (int i = 0; i < days.Count(); ++i)
        dates.Add(EncodeDate(check.Year, check.Month, int(days.Items(i))));
    return true;
}

} // namespace rs
