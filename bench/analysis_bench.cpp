// Rainfall analysis: the twelve maxima and the 5-minute series of a long
// chart, and the annual maxima of twenty years of one station's charts.

#include "common/Utils.h"
#include "document/uRChart.h"
#include "document/uRainAnalysis.h"
#include "document/uRainAnnual.h"
#include "document/uRainCsv.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>

using namespace rs;

namespace {

// A day of n points: showers of varying rate, overflows at 9.8 mm, two failures.
void MakeStormChart(TRChart& c, int n, std::mt19937& rng)
{
    std::uniform_real_distribution<double> u(0, 1);
    c.Info.Kind = 0;
    c.Info.Hour = 7;
    c.Curve().SetEditing(false);
    double pen = 0;
    for (int i = 0; i < n; ++i) {
        const double t = 7 + 24.0 * i / (n - 1);
        if (i > 0 && pen > 9.8) {
            pen -= 9.8;
            c.Curve().AddPoint(t - 0.2 * 24.0 / n, 9.8, true);
        }
        const double r = u(rng);
        pen += r < 0.5 ? 0 : r * r * 0.6;
        c.Curve().AddPoint(t, pen, true);
    }
    c.Curve().Items(c.Curve().Count() / 3)->SetMark(2);
    c.Curve().Items(2 * c.Curve().Count() / 3)->SetMark(2);
    c.Curve().Recalc();
}

void BM_TwelveMaxima2000(benchmark::State& st)
{
    std::mt19937 rng(1);
    TRChart c;
    MakeStormChart(c, 2000, rng);
    for (auto _ : st) {
        const TCumulativeRain rain = TCumulativeRain::FromChart(c);
        benchmark::DoNotOptimize(MaximumIntensities(rain));
    }
    st.counters["points"] = c.Curve().Count();
}
BENCHMARK(BM_TwelveMaxima2000)->Unit(benchmark::kMillisecond);

void BM_Series5min2000(benchmark::State& st)
{
    std::mt19937 rng(2);
    TRChart c;
    MakeStormChart(c, 2000, rng);
    for (auto _ : st) {
        const TCumulativeRain rain = TCumulativeRain::FromChart(c);
        benchmark::DoNotOptimize(SeriesCsv(FixedIntervalSeries(rain, 5), c.Info.Date));
    }
}
BENCHMARK(BM_Series5min2000)->Unit(benchmark::kMillisecond);

// Twenty years of one station: a third of the days dry, the rest digitized
// with about a hundred points. Written once, without the per-file flush of
// SaveToFile, and kept between runs.
const std::string& AnnualFolder()
{
    static const std::string dir = [] {
        const std::string root =
            (std::filesystem::temp_directory_path() / "rs_analysis_bench").string() + "/";
        const std::string station = root + "12345678/";
        const int days = 20 * 365;
        if (std::filesystem::exists(station + "done")) // a complete folder from an earlier run
            return root;
        std::filesystem::remove_all(root);
        std::filesystem::create_directories(station);
        std::mt19937 rng(3);
        for (int i = 0; i < days; ++i) {
            TRChart c;
            if (i % 3 == 0)
                c.SetKind(1);
            else
                MakeStormChart(c, 100, rng);
            c.Info.StCode = "12345678";
            c.Info.StName = "Esta\xE7\xE3o";
            c.Info.Date = EncodeDate(1990, 1, 1) + i;
            int y, m, d;
            DecodeDate(c.Info.Date, y, m, d);
            const std::string data = c.SaveToBuffer();
            const std::string path = station + Format("12345678-%04d%02d%02d.pvd", y, m, d);
            std::FILE* f = std::fopen(path.c_str(), "wb");
            std::fwrite(data.data(), 1, data.size(), f);
            std::fclose(f);
        }
        std::FILE* f = std::fopen((station + "done").c_str(), "wb");
        std::fclose(f);
        return root;
    }();
    return dir;
}

void BM_AnnualMaxima20Years(benchmark::State& st)
{
    const std::string& folder = AnnualFolder();
    int charts = 0;
    for (auto _ : st) {
        const TAnnualMaxima t = AnnualMaxima(folder);
        charts = t.ChartsRead;
        benchmark::DoNotOptimize(AnnualMaximaCsv(t));
    }
    st.counters["charts"] = charts;
}
BENCHMARK(BM_AnnualMaxima20Years)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

BENCHMARK_MAIN();
