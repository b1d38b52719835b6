#include "document/uRainCsv.h"

#include "common/Utils.h"

#include <cmath>

namespace rs {

namespace {

constexpr int kDecimals = 2; // as the results table shows precipitation
// "sim": the window crosses a failure, and the rain was at least the depth given.
constexpr const char* kLowerBoundColumn = "Limite inferior";

void Header(TCsvWriter& w, std::initializer_list<const char*> names)
{
    for (const char* n : names)
        w.Cell(n);
    w.EndRow();
}

// Depth, intensity, start and lower-bound flag of a maximum; empty cells when it is missing.
void MaximumCells(TCsvWriter& w, bool valid, double depth, double intensity, double date, double start,
                  bool lowerBound)
{
    if (valid) {
        w.Number(depth, kDecimals).Number(intensity, kDecimals).Cell(ChartTimeText(date, start, true));
        w.Cell(lowerBound ? "sim" : "não");
    } else
        w.Empty().Empty().Empty().Empty();
}

} // namespace

std::string SeriesCsv(const TRainSeries& series, double date, const TCsvFormat& format)
{
    TCsvWriter w(format);
    Header(w, {"Início", "Fim", "Precipitação (mm)"});
    // Each depth is written as the step of the rounded running total, so the
    // written values add up to the series' total: 288 five-minute depths
    // rounded one by one could be off by more than a millimetre.
    const double unit = std::pow(10.0, kDecimals);
    double running = 0, written = 0;
    for (const TRainInterval& i : series.Intervals) {
        w.Cell(ChartTimeText(date, i.Start)).Cell(ChartTimeText(date, i.End));
        if (i.Valid) {
            running += i.Depth;
            const double upTo = std::round(running * unit) / unit;
            w.Number(upTo - written, kDecimals);
            written = upTo;
        } else
            w.Empty();
        w.EndRow();
    }
    return w.Take();
}

std::string MaximaCsv(const std::vector<TMaxIntensity>& maxima, double date, const TCsvFormat& format)
{
    TCsvWriter w(format);
    Header(w, {"Duração (min)", "Altura (mm)", "Intensidade (mm/h)", "Início", kLowerBoundColumn});
    for (const TMaxIntensity& m : maxima) {
        w.Integer(m.Minutes);
        MaximumCells(w, m.Valid, m.Depth, m.Intensity, date, m.Start, m.LowerBound);
        w.EndRow();
    }
    return w.Take();
}

std::string MaximaTableCsv(const std::vector<TChartMaxima>& charts, const TCsvFormat& format)
{
    TCsvWriter w(format);
    Header(w, {"Arquivo", "Duração (min)", "Altura (mm)", "Intensidade (mm/h)", "Início", kLowerBoundColumn});
    for (const TChartMaxima& c : charts)
        for (const TMaxIntensity& m : c.Maxima) {
            w.Cell(c.File).Integer(m.Minutes);
            MaximumCells(w, m.Valid, m.Depth, m.Intensity, c.Date, m.Start, m.LowerBound);
            w.EndRow();
        }
    return w.Take();
}

std::string AnnualMaximaCsv(const TAnnualMaxima& table, const TCsvFormat& format)
{
    TCsvWriter w(format);
    Header(w, {"Código", "Estação", "Ano", "Duração (min)", "Altura (mm)", "Intensidade (mm/h)", "Início",
               kLowerBoundColumn, "Pluviograma", "Pluviogramas utilizados", "Pluviogramas do ano"});
    for (const TStationYear& row : table.Rows)
        for (const TAnnualMaximum& m : row.Maxima) {
            w.Cell(Cp1252ToUtf8(row.StCode))
                .Cell(Cp1252ToUtf8(row.StName))
                .Integer(row.Year)
                .Integer(m.Minutes);
            MaximumCells(w, m.Valid, m.Depth, m.Intensity, m.Date, m.Start, m.LowerBound);
            if (m.Valid)
                w.Cell(m.File);
            else
                w.Empty();
            w.Integer(m.Usable).Integer(row.Charts);
            w.EndRow();
        }
    return w.Take();
}

} // namespace rs
