#pragma once
// Chart-time helpers: chart times are hours from midnight of the chart's date
// and run from the start hour to the start hour + 24.

#include <string>

namespace rs {

double HourOfDay(double t);                     // t - 24 when t >= 24 (once)
double ToChartTime(double t, int startHour);    // t + 24 when t < startHour
bool InChartRange(double prec, double time, int startHour);
// "hh:mm" of a time, reduced once below 24 when above it; negatives show their
// magnitude; seconds are dropped after rounding to the millisecond.
std::string HoursToHM(double h);
// "hh:mm" of the time of day of a chart time (the results table's column).
std::string TimeOfDayText(double t);

} // namespace rs
