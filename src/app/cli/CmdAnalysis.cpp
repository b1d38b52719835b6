// "series" and "maxima": the rainfall of charts at fixed intervals, their
// maximum depths and intensities, and the annual maxima of a data folder, as CSV.

#include "CliCommand.h"

#include "common/Utils.h"
#include "document/uRChart.h"
#include "document/uRainCsv.h"

#include <algorithm>

namespace rs::cli {
namespace {

// 0 when loaded, 2 when the file is not a data file, 3 when it cannot be read.
int LoadForAnalysis(const std::string& file, TRChart& chart)
{
    if (!TRChart::IsDataFile(file)) {
        WriteErr("O arquivo \"" + file + "\" não foi reconhecido pelo programa.");
        return 2;
    }
    if (!chart.LoadFromFile(file)) {
        WriteErr("O arquivo \"" + file + "\" não pode ser aberto: erro de leitura.");
        return 3;
    }
    return 0;
}

int RunSeries(const TArgs& args)
{
    static const char* kUsage = "Uso: rainscribe-cli series ARQUIVO [--step MIN]";
    std::string file, stepText = "5";
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--step") {
            if (i + 1 >= args.size()) {
                WriteErr(kUsage);
                return 1;
            }
            stepText = args[++i];
        } else if (a.rfind("--step=", 0) == 0)
            stepText = a.substr(7);
        else if (file.empty() && !(a.size() > 1 && a[0] == '-'))
            file = a;
        else {
            WriteErr(kUsage);
            return 1;
        }
    }
    if (file.empty()) {
        WriteErr(kUsage);
        return 1;
    }
    int step = 0;
    if (!TryStrToInt(stepText, step) || !IsSeriesStep(step)) {
        WriteErr("Intervalo inválido: \"" + stepText + "\". Use 5, 10, 15, 30 ou 60 minutos.");
        return 1;
    }
    TRChart chart;
    if (int rc = LoadForAnalysis(file, chart)) return rc;
    const TRainSeries series = FixedIntervalSeries(TCumulativeRain::FromChart(chart), step);
    WriteOut(SeriesCsv(series, chart.Info.Date));
    return 0;
}

int RunAnnual(const std::string& folder)
{
    if (!DirectoryExists(folder)) {
        WriteErr("A pasta \"" + folder + "\" não existe.");
        return 2;
    }
    const TAnnualMaxima table = AnnualMaxima(folder);
    for (const TAnnualProblem& p : table.Problems)
        WriteErr(p.Message);
    WriteOut(AnnualMaximaCsv(table));
    return 0;
}

int RunMaxima(const TArgs& args)
{
    static const char* kUsage =
        "Uso: rainscribe-cli maxima ARQUIVO...  |  rainscribe-cli maxima --annual PASTA";
    if (!args.empty() && args[0] == "--annual") {
        if (args.size() != 2) {
            WriteErr(kUsage);
            return 1;
        }
        return RunAnnual(args[1]);
    }
    if (args.empty() || std::find(args.begin(), args.end(), "--annual") != args.end()) {
        WriteErr(kUsage);
        return 1;
    }
    int status = 0;
    std::vector<TChartMaxima> charts;
    for (const std::string& file : args) {
        TRChart chart;
        if (int rc = LoadForAnalysis(file, chart)) {
            status = std::max(status, rc);
            continue;
        }
        charts.push_back({file, chart.Info.Date, MaximumIntensities(TCumulativeRain::FromChart(chart))});
    }
    WriteOut(MaximaTableCsv(charts));
    return status;
}

TRegister
    regSeries("series",
              "series ARQUIVO [--step MIN]  precipitação em intervalos fixos (5, 10, 15, 30 ou 60 min), CSV",
              RunSeries);
TRegister
    regMaxima("maxima",
              "maxima ARQUIVO...      alturas e intensidades máximas por duração, CSV\n"
              "  maxima --annual PASTA  máximas anuais por estação e ano de todos os .pvd da pasta, CSV",
              RunMaxima);

} // namespace
} // namespace rs::cli
