#pragma once
// The coordinate dialog's text: "time delimiter precipitation" for a control
// point typed by the operator ("15 8", "15/8", "15;8", "3,5 7.2").

#include <string>
#include <string_view>

namespace rs {

struct TCoordText
{
    bool Ok = false;  // the text has two numbers around a delimiter
    double Time = 0;  // chart time: below the start hour means the next day (+24)
    double Prec = 0;  // mm
};

// Trims the text; the delimiter is the first blank, else the first tab, else
// the first ";", else the first "/". Numbers take a decimal comma or point.
TCoordText ParseCoordText(std::string_view text, int startHour);

// Parsed and within [startHour, startHour + 24] h and [-1, 11] mm: "OK" may be pressed.
bool IsValidCoordText(std::string_view text, int startHour, double* time = nullptr, double* prec = nullptr);

// The whole text is one number: Enter then becomes the delimiter blank.
bool IsSingleNumber(std::string_view text);

// The field's text for a click on the picture: "%d %d" with the time and the
// precipitation, each rounded; the rounded time is given as the time of day
// (reduced by 24) when that reads back as the same time on a chart starting at startHour.
std::string CoordTextFor(double time, double prec, int startHour);

} // namespace rs
