#pragma once
// Program-wide constants and the options shared by every chart window.

#include <cstdint>

namespace rs {

inline constexpr double kOverflowThreshold = 5.0; // mm: a larger drop is a siphon overflow
inline constexpr double kRoundToZeroLimit = 0.4;  // mm: readings up to this become 0
inline constexpr int kMaxControlPoints = 15;

// Colours are 0x00BBGGRR, red in the low byte.
using TColor = std::uint32_t;
constexpr TColor RGB(int r, int g, int b)
{
    return TColor(r & 0xFF) | (TColor(g & 0xFF) << 8) | (TColor(b & 0xFF) << 16);
}
constexpr int GetRValue(TColor c) { return int(c & 0xFF); }
constexpr int GetGValue(TColor c) { return int((c >> 8) & 0xFF); }
constexpr int GetBValue(TColor c) { return int((c >> 16) & 0xFF); }

// Digitizing options: on at every start, toggled from the chart window's menu, never saved.
struct TDigOptions
{
    bool ChronologicalOrder = true;
    bool RoundToZero = true;
};
TDigOptions& DigOptions();

// The preference values the drawing reads (defaults until the settings are loaded).
struct TChartColors
{
    TColor Background = RGB(255, 255, 255);
    TColor Grid = RGB(255, 176, 64);
    TColor Curve = RGB(0, 0, 128);
};
TChartColors& ChartColors();

} // namespace rs
