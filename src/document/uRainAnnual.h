#pragma once
// Annual maxima of a data folder: per station and year, the largest depth and
// intensity of every duration over that year's charts, with the chart it came
// from and how many charts of the year could be used for it.
//
// A chart belongs to the year of its date (the day it was placed). Windows do
// not cross from one chart into the next. Kind 1 charts count as usable dry
// days; absent charts (kind 2) are read but usable for no duration. Of two
// files with the same station and date only the first (in path order) counts.

#include "document/uRainAnalysis.h"

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace rs {

struct TAnnualMaximum
{
    int Minutes = 0;
    bool Valid = false;   // some chart of the year was usable for this duration
    double Depth = 0;     // mm
    double Intensity = 0; // mm/h
    double Date = 0;      // date of the chart it came from
    double Start = 0;     // chart time of the window's start, hours
    bool LowerBound = false; // the window crosses a failure of its chart: at least Depth
    std::string File;     // the chart it came from, as the caller named it (a path: UTF-8)
    int Usable = 0;       // charts of the year usable for this duration
};

struct TStationYear
{
    std::string StCode, StName; // Windows-1252
    int Year = 0;
    int Charts = 0;                     // charts of the station and year that were read
    std::vector<TAnnualMaximum> Maxima; // one per duration, in the table's order
};

// A file left out of the table.
struct TAnnualProblem
{
    std::string File;
    std::string Message; // UTF-8, a whole sentence
};

struct TAnnualMaxima
{
    std::vector<int> Durations;
    std::vector<TStationYear> Rows;       // by station code, then year
    std::vector<TAnnualProblem> Problems; // in the order met
    int ChartsRead = 0;
};

class TAnnualMaximaBuilder
{
  public:
    explicit TAnnualMaximaBuilder(std::vector<int> durations = StandardDurations());

    // file: the name the table shows for the chart.
    void Add(const TRChart& chart, const std::string& file);
    void Skip(const std::string& file, const std::string& message);
    const TAnnualMaxima& Result();

  private:
    TAnnualMaxima FResult;
    std::map<std::pair<std::string, int>, TStationYear> FRows;
    std::map<std::pair<std::string, long long>, std::string> FSeen; // station and day -> file
    bool FDirty = false;
};

// Walks folder and its subfolders (hidden entries skipped) for "*.pvd" files in
// path order; a file that cannot be read is listed in Problems and the walk goes
// on. Charts are named by their path relative to folder.
TAnnualMaxima AnnualMaxima(const std::string& folder,
                           const std::vector<int>& durations = StandardDurations());

} // namespace rs
