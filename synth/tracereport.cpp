// tracereport: the automatic trace's accuracy and speed over generated charts.
// Each chart is generated with its truth, traced by `rainscribe-cli trace` as a
// child process (wall time, processor time, peak memory), its .pvd loaded with
// the domain library and compared with the truth on a one-minute grid.

#include "ChartSynth.h"
#include "ChildRun.h"

#include "document/uRChart.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <numeric>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using nlohmann::json;

namespace {

// Targets of the automatic trace.
constexpr double kShareTarget = 0.90;      // of the charts meeting the accuracy targets
constexpr double kSumAbs = 0.2, kSumRel = 0.01;
constexpr double kMaxErrTarget = 0.25;     // mm, accumulated rainfall
constexpr double kRmsTarget = 0.08;        // mm
constexpr double kMedianSeconds = 1.0;     // at 300 dpi
constexpr double kMaxSeconds = 3.0;        // at 300 dpi
constexpr double kMaxMb = 300.0;           // at 300 dpi

struct TCase
{
    std::uint64_t Seed;
    const char* Kind;
    const char* Format;
};

// Every kind of chart the trace must read; 300 dpi unless the kind says otherwise.
const TCase kCases[] = {
    {101, "plain", "png"},         {102, "plain+curved", "png"},    {103, "curved", "png"},
    {104, "curved+storm", "png"},  {105, "red", "png"},             {106, "orange", "png"},
    {107, "grey-grid", "png"},     {108, "violet", "png"},          {109, "purple", "png"},
    {110, "black-ink", "png"},     {111, "grey-scan", "png"},       {112, "bw", "png"},
    {113, "bw+curved", "png"},     {114, "jpeg", "jpg"},            {115, "jpeg+curved", "jpg"},
    {116, "faint", "png"},         {117, "faint+broken", "png"},    {118, "broken", "png"},
    {119, "failure", "png"},       {120, "failure+curved", "png"},  {121, "dry", "png"},
    {122, "on-grid", "png"},       {123, "storm", "png"},           {124, "rotated", "png"},
    {125, "rotated+curved", "png"}, {126, "shrunk", "png"},         {127, "busy", "tif"},
    {128, "random", "png"},        {129, "random", "jpg"},          {130, "random", "png"},
    {131, "dpi100", "png"},        {132, "dpi100+curved", "png"},   {133, "dpi200", "png"},
    {134, "dpi200+bw", "png"},     {135, "dpi600", "png"},
};

struct TRow
{
    std::string Name;
    double Dpi = 0;
    bool Ran = false;        // the trace ended with a chart
    std::string Problem;     // why not
    int TrueSiphons = 0, Siphons = -1;
    double TrueSum = 0, Sum = 0;
    double MaxErr = 0, Rms = 0;
    double MaxAt = 0; // chart hour of the largest error
    double True30 = 0, Got30 = 0;
    double Confidence = 0;
    int Unsure = 0;
    double Wall = 0, Cpu = 0, Mb = 0;
    // --auto-scale: error of the control points found (pixels, minutes, mm); < 0 when none given.
    double CtlPx = -1, CtlMin = -1, CtlMm = -1;
    double RegSeconds = -1; // --auto-scale: the grid registration alone

    bool SiphonsOk() const { return Ran && Siphons == TrueSiphons; }
    bool SumOk() const { return Ran && std::abs(Sum - TrueSum) <= std::max(kSumAbs, kSumRel * TrueSum); }
    bool MaxOk() const { return Ran && MaxErr <= kMaxErrTarget; }
    bool RmsOk() const { return Ran && Rms <= kRmsTarget; }
    bool Hit() const { return SiphonsOk() && SumOk() && MaxOk() && RmsOk(); }
};

struct TSettings
{
    std::string Cli;
    fs::path Work;
    bool AutoScale = false;
    bool Keep = false;
    double Timeout = 60;
    std::string Only; // run only the cases whose name contains this
};

std::string CaseName(const TCase& c)
{
    return std::to_string(c.Seed) + "-" + c.Kind;
}

std::vector<synth::TPenPoint> EnginePoints(const rs::TRChart& chart)
{
    std::vector<synth::TPenPoint> pts;
    const rs::TCurve& cv = chart.Curve();
    for (int i = 0; i < cv.Count(); ++i) {
        const rs::TDigPoint* p = cv.Items(i);
        pts.push_back({p->Time(), p->Prec(), p->Mark()});
    }
    return pts;
}

// Where the found control points lie against the printed intersections they name.
void ControlErrors(const json& line, const synth::TSynthChart& chart, TRow& row)
{
    if (!line.contains("controls") || !line["controls"].is_array() || line["controls"].empty())
        return;
    row.CtlPx = row.CtlMin = row.CtlMm = 0;
    row.RegSeconds = line.value("registration_seconds", -1.0);
    for (const json& c : line["controls"]) {
        const cv::Point2d found(c.value("x", 0.0), c.value("y", 0.0));
        const double t = c.value("t", 0.0), p = c.value("p", 0.0);
        const cv::Point2d truth = chart.ImagePos(t, p);
        const cv::Point2d at = chart.ChartAt(found);
        row.CtlPx = std::max(row.CtlPx, std::hypot(found.x - truth.x, found.y - truth.y));
        row.CtlMin = std::max(row.CtlMin, std::abs(at.x - t) * 60.0);
        row.CtlMm = std::max(row.CtlMm, std::abs(at.y - p));
    }
}

void Compare(const synth::TSynthChart& truth, const rs::TRChart& chart, TRow& row)
{
    const std::vector<synth::TPenPoint> got = EnginePoints(chart);
    const std::vector<double> grid = synth::MinuteGrid(truth.Pen.front().T, truth.Pen.back().T);
    const synth::TRunningTotal t = synth::RunningTotal(truth.Pen, grid);
    const synth::TRunningTotal g = synth::RunningTotal(got, grid);
    double sq = 0;
    int n = 0;
    for (std::size_t i = 0; i < grid.size(); ++i) {
        if (!t.Known[i])
            continue;
        const double e = g.Value[i] - t.Value[i];
        if (std::abs(e) > row.MaxErr) {
            row.MaxErr = std::abs(e);
            row.MaxAt = grid[i];
        }
        sq += e * e;
        ++n;
    }
    row.Rms = n ? std::sqrt(sq / n) : 0;
    row.True30 = synth::LargestRain(t, t.Known, 30);
    row.Got30 = synth::LargestRain(g, t.Known, 30);
    row.Siphons = chart.Curve().Peaks;
    row.Sum = chart.Curve().Sum;
    if (g.Peaks != chart.Curve().Peaks || std::abs(g.Sum - chart.Curve().Sum) > 1e-6)
        row.Problem = "the report's accumulation differs from the program's";
}

TRow RunCase(const TCase& c, const TSettings& s)
{
    TRow row;
    row.Name = CaseName(c);
    const synth::TSynthChart truth = synth::Generate(synth::OptionsFor(c.Kind, c.Seed));
    row.Dpi = truth.Options.Dpi;
    row.TrueSiphons = truth.Siphons;
    row.TrueSum = truth.Sum;
    const fs::path image = s.Work / (row.Name + "." + c.Format), pvd = s.Work / (row.Name + ".pvd");
    std::string error;
    if (!synth::WriteImage(truth, image.string(), error, std::string(c.Format) == "tif")) {
        row.Problem = error;
        return row;
    }
    std::ofstream(s.Work / (row.Name + ".json")) << synth::TruthJson(truth, image.string()) << "\n";
    std::error_code ec;
    fs::remove(pvd, ec);

    std::vector<std::string> args{s.Cli, "trace", image.string(), "-o", pvd.string(), "--station", "12345678",
                                  "--date", "06/03/2014", "--hour", std::to_string(truth.Options.Hour)};
    if (truth.Options.Curved)
        args.push_back("--curved");
    if (s.AutoScale) {
        args.push_back("--auto-scale");
    } else {
        for (const synth::TControlPoint& p : truth.Controls) {
            char buf[96];
            std::snprintf(buf, sizeof buf, "%.3f,%.3f,%g,%g", p.X, p.Y, p.T, p.P);
            args.insert(args.end(), {"--control", buf});
        }
    }
    const synth::TChildResult r = synth::RunChild(args, s.Timeout);
    row.Wall = r.WallSeconds;
    row.Cpu = r.CpuSeconds;
    row.Mb = r.PeakMb;
    if (!r.Failure.empty() || r.TimedOut || r.ExitCode != 0) {
        std::string why = r.TimedOut ? "timed out" : !r.Failure.empty() ? r.Failure : "exit " + std::to_string(r.ExitCode);
        const std::string first = r.Err.substr(0, r.Err.find('\n'));
        row.Problem = first.empty() ? why : why + ": " + first;
        return row;
    }
    json line;
    try {
        line = json::parse(r.Out.substr(0, r.Out.find('\n')));
        row.Confidence = line.at("confidence").get<double>();
        row.Unsure = line.contains("unsure") && line["unsure"].is_array() ? int(line["unsure"].size()) : 0;
    } catch (const std::exception& e) {
        row.Problem = std::string("unreadable JSON line: ") + e.what();
        return row;
    }
    ControlErrors(line, truth, row);
    rs::TRChart chart;
    if (!chart.LoadFromFile(pvd.string())) {
        row.Problem = "the .pvd does not load";
        return row;
    }
    if (chart.Info.Kind != 0 || chart.State() != rs::Idle || !chart.Scale().Concluded ||
        chart.Info.Linear == truth.Options.Curved)
        row.Problem = "the .pvd's header, state or scale is not as expected";
    row.Ran = true;
    Compare(truth, chart, row);
    if (!s.Keep) {
        fs::remove(image, ec);
        fs::remove(pvd, ec);
    }
    return row;
}

double Median(std::vector<double> v)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// Spearman's rank correlation (average ranks for ties).
double RankCorrelation(const std::vector<double>& a, const std::vector<double>& b)
{
    const auto ranks = [](const std::vector<double>& v) {
        std::vector<std::size_t> idx(v.size());
        std::iota(idx.begin(), idx.end(), 0);
        std::sort(idx.begin(), idx.end(), [&](std::size_t i, std::size_t j) { return v[i] < v[j]; });
        std::vector<double> r(v.size());
        for (std::size_t i = 0; i < idx.size();) {
            std::size_t j = i;
            while (j + 1 < idx.size() && v[idx[j + 1]] == v[idx[i]])
                ++j;
            for (std::size_t k = i; k <= j; ++k)
                r[idx[k]] = (double(i) + double(j)) / 2.0;
            i = j + 1;
        }
        return r;
    };
    const std::vector<double> ra = ranks(a), rb = ranks(b);
    const double n = double(a.size());
    if (n < 3)
        return 0;
    const double ma = std::accumulate(ra.begin(), ra.end(), 0.0) / n, mb = std::accumulate(rb.begin(), rb.end(), 0.0) / n;
    double sab = 0, saa = 0, sbb = 0;
    for (std::size_t i = 0; i < ra.size(); ++i) {
        sab += (ra[i] - ma) * (rb[i] - mb);
        saa += (ra[i] - ma) * (ra[i] - ma);
        sbb += (rb[i] - mb) * (rb[i] - mb);
    }
    return saa > 0 && sbb > 0 ? sab / std::sqrt(saa * sbb) : 0;
}

void PrintRow(const TRow& r, bool autoScale)
{
    if (!r.Ran) {
        std::printf("%-20s %4.0f  %2d/ -  %6.2f/  -      -      -      -            -      -  %5.2f %5.2f %5.0f  MISS  %s\n",
                    r.Name.c_str(), r.Dpi, r.TrueSiphons, r.TrueSum, r.Wall, r.Cpu, r.Mb, r.Problem.c_str());
        return;
    }
    std::printf("%-20s %4.0f  %2d/%2d %6.2f/%6.2f %+6.2f %6.3f %6.3f %5.2f/%5.2f %5.2f %2d %5.2f %5.2f %5.0f  %s",
                r.Name.c_str(), r.Dpi, r.TrueSiphons, r.Siphons, r.TrueSum, r.Sum, r.Sum - r.TrueSum, r.MaxErr, r.Rms,
                r.True30, r.Got30, r.Confidence, r.Unsure, r.Wall, r.Cpu, r.Mb, r.Hit() ? "ok  " : "MISS");
    if (!r.Hit())
        std::printf(" %s%s%s%s largest at %.2f h", r.SiphonsOk() ? "" : "[siphons]", r.SumOk() ? "" : "[sum]",
                    r.MaxOk() ? "" : "[max]", r.RmsOk() ? "" : "[rms]", r.MaxAt);
    if (autoScale && r.CtlPx >= 0)
        std::printf("  controls: %.2f px %.2f min %.3f mm", r.CtlPx, r.CtlMin, r.CtlMm);
    if (!r.Problem.empty())
        std::printf("  (%s)", r.Problem.c_str());
    std::printf("\n");
}

// The totals and the verdict; true when every target is met.
bool Summary(const std::vector<TRow>& rows, bool autoScale)
{
    const double n = double(rows.size());
    const auto share = [&](bool (TRow::*ok)() const) {
        return double(std::count_if(rows.begin(), rows.end(), [&](const TRow& r) { return (r.*ok)(); })) / n;
    };
    std::vector<double> wall300, cpu300, mb300, conf, err;
    double maxWall = 0, maxMb = 0, sumErr = 0, sumSq = 0;
    int ran = 0;
    for (const TRow& r : rows) {
        if (r.Dpi == 300) {
            wall300.push_back(r.Wall);
            cpu300.push_back(r.Cpu);
            mb300.push_back(r.Mb);
        }
        maxWall = std::max(maxWall, r.Wall);
        maxMb = std::max(maxMb, r.Mb);
        conf.push_back(r.Ran ? r.Confidence : 0.0);
        err.push_back(r.Ran ? r.MaxErr : 1e9);
        if (r.Ran) {
            ++ran;
            sumErr += r.MaxErr;
            sumSq += r.Rms * r.Rms;
        }
    }
    const double hits = share(&TRow::Hit);
    const double med300 = Median(wall300);
    const double max300 = wall300.empty() ? 0 : *std::max_element(wall300.begin(), wall300.end());
    const double mbMax300 = mb300.empty() ? 0 : *std::max_element(mb300.begin(), mb300.end());
    // Low confidence must mean something: every miss below the median confidence.
    const double medConf = Median(conf);
    int misses = 0, missesBelow = 0;
    for (const TRow& r : rows)
        if (!r.Hit()) {
            ++misses;
            missesBelow += (r.Ran ? r.Confidence : 0.0) < medConf ? 1 : 0;
        }
    const double rho = RankCorrelation(conf, err);
    const bool okShare = hits >= kShareTarget, okMed = med300 < kMedianSeconds, okMax = max300 <= kMaxSeconds,
               okMb = mbMax300 < kMaxMb, okConf = missesBelow == misses;

    std::printf("\ncharts: %zu (%d traced); at 300 dpi: %zu\n", rows.size(), ran, wall300.size());
    std::printf("siphon count exact          %5.1f %%\n", 100 * share(&TRow::SiphonsOk));
    std::printf("day's sum within max(%.1f mm, %.0f %%) %5.1f %%\n", kSumAbs, 100 * kSumRel, 100 * share(&TRow::SumOk));
    std::printf("largest error <= %.2f mm    %5.1f %%\n", kMaxErrTarget, 100 * share(&TRow::MaxOk));
    std::printf("RMS error <= %.2f mm        %5.1f %%\n", kRmsTarget, 100 * share(&TRow::RmsOk));
    std::printf("mean largest error %.3f mm, overall RMS %.3f mm (traced charts)\n", ran ? sumErr / ran : 0.0,
                ran ? std::sqrt(sumSq / ran) : 0.0);
    std::printf("\n%-52s %-14s %s\n", "target", "measured", "");
    std::printf("%-52s %6.1f %%       %s\n", "charts meeting all accuracy targets >= 90 %", 100 * hits, okShare ? "ok" : "FAIL");
    std::printf("%-52s %6.2f s       %s (processor time %.2f s)\n", "median time per chart at 300 dpi < 1 s", med300,
                okMed ? "ok" : "FAIL", Median(cpu300));
    std::printf("%-52s %6.2f s       %s\n", "largest time at 300 dpi <= 3 s", max300, okMax ? "ok" : "FAIL");
    std::printf("%-52s %6.0f MB      %s\n", "peak memory at 300 dpi < 300 MB", mbMax300, okMb ? "ok" : "FAIL");
    std::printf("%-52s %d of %d     %s\n", "misses below the median confidence", missesBelow, misses, okConf ? "ok" : "FAIL");
    std::printf("(all charts: largest time %.2f s, peak memory %.0f MB; median confidence %.2f; rank correlation of "
                "confidence with the largest error %+.2f, negative is right)\n",
                maxWall, maxMb, medConf, rho);
    if (autoScale) {
        double px = 0, mins = 0, mm = 0;
        int found = 0;
        for (const TRow& r : rows)
            if (r.CtlPx >= 0) {
                ++found;
                px = std::max(px, r.CtlPx);
                mins = std::max(mins, r.CtlMin);
                mm = std::max(mm, r.CtlMm);
            }
        std::printf("control points found on %d charts; largest error %.2f px, %.2f min, %.3f mm\n", found, px, mins, mm);
        std::vector<double> reg;
        for (const TRow& r : rows)
            if (r.RegSeconds >= 0 && r.Dpi == 300)
                reg.push_back(r.RegSeconds);
        std::sort(reg.begin(), reg.end());
        const double regMax = reg.empty() ? 0 : reg.back();
        std::printf("%-52s %6.2f s       %s  (median %.2f s over %zu charts)\n", "registration alone at 300 dpi < 1 s",
                    regMax, regMax < 1.0 ? "ok" : "FAIL", reg.empty() ? 0.0 : reg[reg.size() / 2], reg.size());
    }
    return okShare && okMed && okMax && okMb && okConf;
}

const char* kHelp = R"(tracereport - accuracy and speed of the automatic trace over generated charts

usage: tracereport --cli PATH [--work DIR] [--auto-scale] [--only TEXT] [--keep] [--timeout S]

  --cli PATH     the rainscribe-cli to measure
  --work DIR     where the charts are written (default: a folder under the system's temporary folder)
  --auto-scale   trace with --auto-scale instead of the operator's control points, and report
                 the error of the control points found against the truth
  --only TEXT    only the charts whose name contains TEXT
  --keep         keep the images and .pvd files (the truth .json are always kept)
  --timeout S    seconds a trace may take before it is stopped (default 60)

Exit status 0 when every target is met, 1 when one is missed, 2 on bad arguments.
)";

} // namespace

int main(int argc, char** argv)
{
    TSettings s;
    s.Work = fs::temp_directory_path() / "rainscribe-trace-report";
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const auto value = [&]() -> std::string {
            if (i + 1 >= argc) {
                std::cerr << "tracereport: " << a << " needs a value\n";
                std::exit(2);
            }
            return argv[++i];
        };
        if (a == "-h" || a == "--help") {
            std::cout << kHelp;
            return 0;
        } else if (a == "--cli") {
            s.Cli = value();
        } else if (a == "--work") {
            s.Work = value();
        } else if (a == "--auto-scale") {
            s.AutoScale = true;
        } else if (a == "--only") {
            s.Only = value();
        } else if (a == "--keep") {
            s.Keep = true;
        } else if (a == "--timeout") {
            s.Timeout = std::atof(value().c_str());
        } else {
            std::cerr << "tracereport: unknown option \"" << a << "\" (see --help)\n";
            return 2;
        }
    }
    if (s.Cli.empty() || !fs::exists(s.Cli)) {
        std::cerr << "tracereport: no rainscribe-cli given or found (--cli PATH)\n";
        return 2;
    }
    std::error_code ec;
    fs::create_directories(s.Work, ec);
    double load = 0;
    std::ifstream("/proc/loadavg") >> load;
    std::printf("automatic trace with %s; charts in %s; load average at start %.2f\n",
                s.AutoScale ? "--auto-scale" : "the operator's control points", s.Work.c_str(), load);
    std::printf("%-20s %4s  %5s %13s %6s %6s %6s %11s %5s %2s %5s %5s %5s\n", "chart", "dpi", "siph", "sum true/got",
                "dsum", "max", "rms", "30min t/got", "conf", "un", "wall", "cpu", "MB");
    std::vector<TRow> rows;
    for (const TCase& c : kCases) {
        if (!s.Only.empty() && CaseName(c).find(s.Only) == std::string::npos)
            continue;
        rows.push_back(RunCase(c, s));
        PrintRow(rows.back(), s.AutoScale);
        std::fflush(stdout);
    }
    if (rows.empty()) {
        std::cerr << "tracereport: no chart matches \"" << s.Only << "\"\n";
        return 2;
    }
    return Summary(rows, s.AutoScale) ? 0 : 1;
}
