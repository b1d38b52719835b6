#pragma once
// The analysis tables as CSV (see uCsv.h for the format): one header line,
// missing values as empty cells. Shared by rainscribe-cli and the results
// window's export.

#include "document/uCsv.h"
#include "document/uRainAnalysis.h"
#include "document/uRainAnnual.h"

#include <string>
#include <vector>

namespace rs {

// "Início;Fim;Precipitação (mm)", one line per interval; date: the chart's date.
std::string SeriesCsv(const TRainSeries& series, double date, const TCsvFormat& format = DefaultCsvFormat());

// "Duração (min);Altura (mm);Intensidade (mm/h);Início;Limite inferior", one line per
// duration; "Limite inferior" is "sim" when the window crosses a failure of the record.
std::string MaximaCsv(const std::vector<TMaxIntensity>& maxima, double date,
                      const TCsvFormat& format = DefaultCsvFormat());

// The maxima of several charts in one table, each line led by its chart's file.
struct TChartMaxima
{
    std::string File; // UTF-8
    double Date = 0;
    std::vector<TMaxIntensity> Maxima;
};
std::string MaximaTableCsv(const std::vector<TChartMaxima>& charts,
                           const TCsvFormat& format = DefaultCsvFormat());

// One line per station, year and duration.
std::string AnnualMaximaCsv(const TAnnualMaxima& table, const TCsvFormat& format = DefaultCsvFormat());

} // namespace rs
