#include "common/uTimeHelpers.h"

#include "common/Utils.h"

#include <cmath>

namespace rs {

double HourOfDay(double t) { return t >= 24 ? t - 24 : t; }

double ToChartTime(double t, int startHour) { return t < startHour ? t + 24 : t; }

bool InChartRange(double prec, double time, int startHour)
{
    return time >= startHour && time <= startHour + 24 && prec >= -1 && prec <= 11;
}

namespace {
std::string DayFractionToHM(double h)
{
    if (!std::isfinite(h))
        return "00:00";
    double ms = std::round(std::fabs(h) / 24.0 * 86400000.0);
    if (!std::isfinite(ms))
        return "00:00"; // a value no chart holds (a damaged file)
    ms = std::fmod(ms, 86400000.0); // only the time of day
    long long m = (long long)ms / 60000;
    return Format("%02lld:%02lld", m / 60, m % 60);
}
} // namespace

std::string HoursToHM(double h)
{
    if (h > 24)
        h -= 24;
    return DayFractionToHM(h);
}

std::string TimeOfDayText(double t) { return DayFractionToHM(HourOfDay(t)); }

} // namespace rs
