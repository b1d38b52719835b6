#include "document/uRainAnnual.h"

#include "common/Utils.h"
#include "document/uRChart.h"

#include <algorithm>
#include <cmath>
#include <exception>

namespace rs {

TAnnualMaximaBuilder::TAnnualMaximaBuilder(std::vector<int> durations)
{
    FResult.Durations = std::move(durations);
}

void TAnnualMaximaBuilder::Add(const TRChart& chart, const std::string& file)
{
    const TRChartInfo& info = chart.Info;
    const long long day = std::llround(std::floor(info.Date));
    auto [seen, fresh] = FSeen.emplace(std::make_pair(info.StCode, day), file);
    if (!fresh) {
        Skip(file, "O arquivo \"" + file + "\" repete a estação e a data de \"" + seen->second +
                       "\" e foi ignorado.");
        return;
    }
    int year, month, dayOfMonth;
    DecodeDate(info.Date, year, month, dayOfMonth);
    auto [it, created] = FRows.try_emplace({info.StCode, year});
    TStationYear& row = it->second;
    if (created) {
        row.StCode = info.StCode;
        row.Year = year;
        row.Maxima.resize(FResult.Durations.size());
        for (std::size_t i = 0; i < row.Maxima.size(); ++i)
            row.Maxima[i].Minutes = FResult.Durations[i];
    }
    if (row.StName.empty()) row.StName = info.StName;
    ++row.Charts;
    ++FResult.ChartsRead;
    const TCumulativeRain rain = TCumulativeRain::FromChart(chart);
    for (TAnnualMaximum& best : row.Maxima) {
        const TMaxIntensity m = MaximumIntensity(rain, best.Minutes);
        if (!m.Valid) continue;
        ++best.Usable;
        // Equal depths: the chart met first keeps the place.
        if (!best.Valid || m.Depth > best.Depth) {
            best.Valid = true;
            best.Depth = m.Depth;
            best.Intensity = m.Intensity;
            best.Date = info.Date;
            best.Start = m.Start;
            best.LowerBound = m.LowerBound;
            best.File = file;
        }
    }
    FDirty = true;
}

void TAnnualMaximaBuilder::Skip(const std::string& file, const std::string& message)
{
    FResult.Problems.push_back({file, message});
}

const TAnnualMaxima& TAnnualMaximaBuilder::Result()
{
    if (FDirty) {
        FResult.Rows.clear();
        FResult.Rows.reserve(FRows.size());
        for (const auto& [key, row] : FRows)
            FResult.Rows.push_back(row);
        FDirty = false;
    }
    return FResult;
}

TAnnualMaxima AnnualMaxima(const std::string& folder, const std::vector<int>& durations)
{
    TAnnualMaximaBuilder builder(durations);
    std::vector<std::string> files;
    FindFiles(folder, "*.pvd", files, true, true);
    std::sort(files.begin(), files.end());
    const std::string base = IncludeTrailingDelim(folder);
    for (const std::string& path : files) {
        const std::string name = path.compare(0, base.size(), base) == 0 ? path.substr(base.size()) : path;
        try {
            if (!TRChart::IsDataFile(path)) {
                builder.Skip(name, "O arquivo \"" + name + "\" não foi reconhecido pelo programa.");
                continue;
            }
            TRChart chart;
            if (!chart.LoadFromFile(path)) {
                builder.Skip(name, "O arquivo \"" + name + "\" não pode ser aberto: erro de leitura.");
                continue;
            }
            builder.Add(chart, name);
        } catch (const std::exception& e) {
            builder.Skip(name, "O arquivo \"" + name + "\" não pode ser aberto: " + e.what());
        }
    }
    return builder.Result();
}

} // namespace rs
