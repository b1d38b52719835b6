#pragma once
// Chart models: what is printed on a kind of pluviogram paper, so that the grid
// can be looked for on a scan. The program ships straight and curved models for
// charts placed at 7, 8 and 9 h; an operator describes other papers in
// "ModelosGrafico.txt" beside "PontosDef.txt" (Windows-1252):
//
//   ; comment
//   Nome; hora; horas; mm mínimo; mm máximo; linhas por hora; linhas por mm; reto|curvo[; mm por hora; mm por mm]
//
// e.g. "Reto 7h;7;25;0;10;6;5;reto;16;8": 25 hours from 7 h, a printed line an
// hour and 6 spaces an hour (lighter lines every 10 minutes), 0 to 10 mm with 5
// spaces a mm, 16 mm of paper an hour and 8 mm of paper a mm of rain.

#include <string>
#include <string_view>
#include <vector>

namespace rs::trace {

struct TChartModel
{
    std::string Name;  // Windows-1252
    int Hour = 7;      // placement hour: the first hour line
    int Hours = 25;    // hour spaces printed from the placement hour
    double MinMm = 0, MaxMm = 10;
    int HourDivisions = 6; // spaces between two hour lines (6: a lighter line every 10 minutes)
    int MmDivisions = 5;   // spaces between two mm lines
    bool Curved = false;   // time lines are arcs of the pen: time = lin - (p - 5)^2 / 72
    double HourPaperMm = 16; // paper length of an hour
    double MmPaperMm = 8;    // paper length of a mm of rain
    int MmSpans() const { return int(MaxMm - MinMm + 0.5); }
};

// "Reto 7h", "Curvo 7h", ... "Curvo 9h".
const std::vector<TChartModel>& DefaultChartModels();

inline constexpr const char* kChartModelsFile = "ModelosGrafico.txt";

// Reads an operator's model file (Windows-1252). Good lines are kept; each bad
// line adds a message (Windows-1252) naming it. A name of a default model
// replaces it.
struct TModelFileResult
{
    std::vector<TChartModel> Models;
    std::vector<std::string> Errors;
};
TModelFileResult ParseChartModels(std::string_view text);

// The defaults followed by the operator's models of "ModelosGrafico.txt" (when
// present); messages of bad lines are appended to `errors` when given.
std::vector<TChartModel> LoadChartModels(const std::string& path, std::vector<std::string>* errors = nullptr);

// By name (case-insensitive for ASCII), or null.
const TChartModel* FindChartModel(const std::vector<TChartModel>& models, std::string_view name);
// The default model of a placement hour and kind.
const TChartModel& DefaultChartModel(int hour, bool curved);

} // namespace rs::trace
