// Document core: save and load of a large chart, folder summaries against a
// plain read loop, the accumulation and the scale fit.

#include "common/Utils.h"
#include "document/uRChart.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <malloc.h>
#include <map>
#include <string>
#include <vector>

using namespace rs;

namespace {

std::string BenchDir()
{
    static std::string dir = [] {
        std::string d = (std::filesystem::temp_directory_path() / "rs_core_bench").string() + "/";
        std::filesystem::remove_all(d);
        std::filesystem::create_directories(d);
        return d;
    }();
    return dir;
}

// A chart with 15 control points and a curve of n points, saw-toothed with overflows.
void MakeBig(TRChart& c, int n)
{
    c.Info.StCode = "12345678";
    c.Info.Date = EncodeDate(2001, 3, 4);
    c.Info.Linear = true;
    c.Scale().SetGridRect({20, 311, 620, 111});
    c.Scale().SetZoom(1);
    c.Scale().SetCoordMode(1);
    c.BeginScale();
    for (int i = 0; i < 15; ++i) {
        auto* p = new TDigPoint;
        const double t = 7.5 + i * 1.5, pr = (i * 7) % 11;
        p->X = int(std::lround((t - 7) * 400 + 500)) + (i % 3);
        p->Y = int(std::lround(pr * 300 + 1000)) - (i % 2);
        p->SetValue(t, pr);
        c.Scale().Append(p);
    }
    c.ConcludeScale();
    c.Curve().SetEditing(false);
    for (int i = 0; i < n; ++i)
        c.Curve().AddPoint(7 + 24.0 * i / n, std::fmod(i * 0.013, 9.0), true);
    c.Curve().Recalc();
}

void BM_SaveToFile(benchmark::State& st)
{
    TRChart c;
    MakeBig(c, 10000);
    const std::string path = BenchDir() + "big.pvd";
    for (auto _ : st)
        c.SaveToFile(path);
}
BENCHMARK(BM_SaveToFile)->Unit(benchmark::kMillisecond);

void BM_LoadFromFile(benchmark::State& st)
{
    const std::string path = BenchDir() + "big_load.pvd";
    {
        TRChart c;
        MakeBig(c, 10000);
        c.SaveToFile(path);
    }
    std::size_t bytes = 0;
    for (auto _ : st) {
        const std::size_t before = mallinfo2().uordblks;
        TRChart c;
        c.LoadFromFile(path);
        bytes = mallinfo2().uordblks - before;
        benchmark::DoNotOptimize(c.Curve().Sum);
    }
    st.counters["doc_MB"] = double(bytes) / (1 << 20);
}
BENCHMARK(BM_LoadFromFile)->Unit(benchmark::kMillisecond);

const std::vector<std::string>& SummaryFiles()
{
    static std::vector<std::string> files = [] {
        std::vector<std::string> f;
        const std::string d = BenchDir() + "many/";
        std::filesystem::create_directories(d);
        TRChart c;
        c.Info.StCode = "12345678";
        c.SetKind(1);
        for (int i = 0; i < 10000; ++i) {
            c.Info.Date = EncodeDate(1980, 1, 1) + i;
            f.push_back(d + std::to_string(i) + ".pvd");
            c.LastFile.clear(); // each file is a chart of its own, not a rename
            c.SaveToFile(f.back());
        }
        return f;
    }();
    return files;
}

void BM_ReadSummary10k(benchmark::State& st)
{
    const auto& files = SummaryFiles();
    for (auto _ : st)
        for (const auto& f : files) {
            TRChartInfo info;
            benchmark::DoNotOptimize(TRChart::ReadSummary(f, info));
        }
}
BENCHMARK(BM_ReadSummary10k)->Unit(benchmark::kMillisecond);

void BM_PlainRead512x10k(benchmark::State& st)
{
    const auto& files = SummaryFiles();
    char buf[512];
    for (auto _ : st)
        for (const auto& f : files) {
            std::FILE* fp = std::fopen(f.c_str(), "rb");
            benchmark::DoNotOptimize(std::fread(buf, 1, sizeof buf, fp));
            std::fclose(fp);
        }
}
BENCHMARK(BM_PlainRead512x10k)->Unit(benchmark::kMillisecond);

void BM_Recalc10k(benchmark::State& st)
{
    TRChart c;
    MakeBig(c, 10000);
    for (auto _ : st)
        c.Curve().Recalc();
}
BENCHMARK(BM_Recalc10k)->Unit(benchmark::kMicrosecond);

void BM_Fit15(benchmark::State& st)
{
    TRChart c;
    MakeBig(c, 0);
    for (auto _ : st) {
        TResiduals r;
        std::vector<double> x, y, z;
        for (int i = 0; i < c.Scale().Count(); ++i) {
            x.push_back(c.Scale().Items(i)->X);
            y.push_back(c.Scale().Items(i)->Y);
            z.push_back(c.Scale().Items(i)->Prec());
        }
        double a, b, cc, r2;
        benchmark::DoNotOptimize(FitPlane(x, y, z, a, b, cc, r2));
        benchmark::DoNotOptimize(FitPlane(x, y, z, a, b, cc, r2));
        benchmark::DoNotOptimize(c.Scale().MaxResiduals(r));
    }
}
BENCHMARK(BM_Fit15)->Unit(benchmark::kMicrosecond);

// Prints the summaries' cost relative to the plain read loop measured in the same run.
class TRatioReporter : public benchmark::ConsoleReporter
{
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& r : runs)
            times[r.benchmark_name()] = r.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> times;
};

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    TRatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    auto& t = reporter.times;
    if (t.count("BM_ReadSummary10k") && t.count("BM_PlainRead512x10k"))
        std::printf("ReadSummary / plain 512-byte read: %.2f (target <= 1.50)\n",
                    t["BM_ReadSummary10k"] / t["BM_PlainRead512x10k"]);
    benchmark::Shutdown();
}
