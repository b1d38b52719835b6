// "batch" and "batch-report": a manifest of scans read into chart files, on one
// machine or shared out among the jobs of a cluster, and the merged report.
//
// rainscribe-cli batch MANIFEST.csv --data-folder DIR [--jobs N] [--shard I/N] [--report DIR] [--overwrite]
// rainscribe-cli batch-report DIR... [-o DIR]
//
// Exit status of batch: 0 every line done (traced, or kept as it was); 1 some
// lines failed or were invalid, the rest done; 2 stopped by a signal before the
// end; 3 bad arguments or a manifest that is not one; 4 the data folder or the
// report cannot be written, or a write failed mid-run (disk full): the charts
// written so far stay and are listed. Run again to do what is left.

#include "CliCommand.h"

#include "common/Utils.h"
#include "common/uAppFiles.h"
#include "common/uNativePaths.h"
#include "trace/ChartModel.h"
#include "trace/BatchReport.h"
#include "trace/BatchRun.h"

#include <nlohmann/json.hpp>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include <atomic>
#include <chrono>
#include <csignal>
#include <cmath>
#include <filesystem>
#include <thread>

namespace rs::cli {
namespace {

using nlohmann::json;

constexpr int kExitSome = 1, kExitStopped = 2, kExitArgs = 3, kExitWrite = 4;

std::atomic<bool> gStop{false};

extern "C" void OnStopSignal(int sig)
{
    gStop = true;
    // A second Ctrl+C ends the program at once.
    std::signal(sig, SIG_DFL);
}

const char* const kUsage =
    "Uso: rainscribe-cli batch MANIFESTO.csv --data-folder PASTA [--jobs N] [--shard I/N] [--report PASTA] "
    "[--overwrite]";
const char* const kReportUsage = "Uso: rainscribe-cli batch-report PASTA... [-o PASTA]";

int Fail(int code, const std::string& utf8)
{
    WriteErr(utf8);
    return code;
}

std::string Duration(double s)
{
    if (!std::isfinite(s) || s < 0)
        return "?";
    const long t = std::lround(s);
    if (t >= 3600)
        return Format("%ld h %02ld min", t / 3600, t / 60 % 60);
    return Format("%ld min %02ld s", t / 60, t % 60);
}

// The progress: a bar redrawn in place on a terminal, one line per chart in a log.
class TProgress
{
public:
    explicit TProgress(bool terminal) : FTerminal(terminal), FStart(std::chrono::steady_clock::now()) {}

    void Chart(const trace::TBatchRow& r, int done, int total)
    {
        const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - FStart).count();
        const double perMin = elapsed > 0 ? done * 60.0 / elapsed : 0;
        if (!FTerminal) {
            std::string line = Format("[%d/%d] linha %d: ", done, total, r.Line) + trace::BatchStatusText(r.Status);
            if (!r.Chart.empty())
                line += " " + r.Chart;
            if (r.Confidence >= 0)
                line += Format(", confian\xC3\xA7" "a %.2f", r.Confidence);
            if (r.Status == trace::TBatchStatus::Traced)
                line += Format(", %.1f s", r.Seconds);
            if (!r.Message.empty())
                line += " (" + r.Message + ")";
            WriteErr(line);
            return;
        }
        if (r.Status == trace::TBatchStatus::Failed || r.Status == trace::TBatchStatus::BadLine)
            std::fprintf(stderr, "\r\033[K  linha %d: %s\n", r.Line, r.Message.c_str());
        constexpr int kWidth = 30;
        const int fill = total > 0 ? done * kWidth / total : kWidth;
        const double left = perMin > 0 ? (total - done) * 60.0 / perMin : -1;
        std::fprintf(stderr, "\r\033[K[%s%s] %d/%d  %.1f gr\xC3\xA1" "ficos/min  faltam %s", std::string(fill, '#').c_str(),
                     std::string(kWidth - fill, '.').c_str(), done, total, perMin, Duration(left).c_str());
        if (done == total)
            std::fputc('\n', stderr);
        std::fflush(stderr);
    }

    void End()
    {
        if (FTerminal)
            std::fputc('\n', stderr);
    }

private:
    bool FTerminal;
    std::chrono::steady_clock::time_point FStart;
};

int RunBatchCmd(const TArgs& args)
{
    const auto started = std::chrono::steady_clock::now();
    std::string manifestPath, dataFolder, report;
    trace::TBatchRunOptions o;
    o.Jobs = int(std::max(1u, std::thread::hardware_concurrency()));
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= args.size())
                return false;
            out = args[++i];
            return true;
        };
        std::string v;
        if (a == "--data-folder") {
            if (!value(dataFolder) || dataFolder.empty())
                return Fail(kExitArgs, std::string("Falta a pasta de dados depois de --data-folder.\n") + kUsage);
        } else if (a == "--jobs") {
            if (!value(v) || !TryStrToInt(v, o.Jobs) || o.Jobs < 1 || o.Jobs > 256)
                return Fail(kExitArgs, "--jobs deve ser um n\xC3\xBAmero de 1 a 256.");
        } else if (a == "--shard") {
            if (!value(v) || !trace::ParseShard(v, o.Shard))
                return Fail(kExitArgs, "--shard deve ser I/N, com I de 0 a N \xE2\x88\x92 1 (por exemplo 0/4).");
        } else if (a == "--report") {
            if (!value(report) || report.empty())
                return Fail(kExitArgs, "Falta a pasta do relat\xC3\xB3rio depois de --report.");
        } else if (a == "--overwrite") {
            o.Chart.Overwrite = true;
        } else if (!a.empty() && a[0] == '-') {
            return Fail(kExitArgs, "Op\xC3\xA7\xC3\xA3o desconhecida: " + a + ".\n" + kUsage);
        } else if (manifestPath.empty()) {
            manifestPath = a;
        } else {
            return Fail(kExitArgs, "Mais de um manifesto: " + a + ".\n" + kUsage);
        }
    }
    if (manifestPath.empty())
        return Fail(kExitArgs, std::string("Falta o manifesto.\n") + kUsage);
    if (dataFolder.empty())
        return Fail(kExitArgs, std::string("Falta a pasta de dados (--data-folder).\n") + kUsage);

    const trace::TManifest manifest = trace::LoadManifest(manifestPath);
    if (!manifest.Ok())
        return Fail(kExitArgs, "Manifesto inv\xC3\xA1lido: " + manifest.Error + ".");
    std::string error;
    if (!trace::CheckWritableFolder(dataFolder, error))
        return Fail(kExitWrite, error);
    if (!report.empty() && !trace::CheckWritableFolder(report, error))
        return Fail(kExitWrite, error);
    std::error_code ec;
    const std::filesystem::path abs = std::filesystem::absolute(FsPath(dataFolder), ec);
    o.Chart.DataFolder = IncludeTrailingDelim(ec ? dataFolder : NativeString(abs.lexically_normal()));
    o.Chart.ReportFolder = report;
    o.Chart.Models = trace::LoadChartModels(ReadableAppFile(trace::kChartModelsFile));

#ifdef _WIN32
    TProgress progress(_isatty(_fileno(stderr)) != 0);
#else
    TProgress progress(isatty(STDERR_FILENO) != 0);
#endif
    o.OnChart = [&](const trace::TBatchRow& r, int done, int total) { progress.Chart(r, done, total); };
    o.Stop = &gStop;
    gStop = false;
    auto oldInt = std::signal(SIGINT, OnStopSignal);
    auto oldTerm = std::signal(SIGTERM, OnStopSignal);
    const trace::TBatchOutcome out = trace::RunBatch(manifest, o);
    std::signal(SIGINT, oldInt);
    std::signal(SIGTERM, oldTerm);
    if (out.Interrupted)
        progress.End();

    int counts[5] = {}, review = 0;
    for (const trace::TBatchRow& r : out.Rows) {
        ++counts[int(r.Status)];
        review += trace::NeedsReview(r) ? 1 : 0;
    }
    std::string reportError;
    const bool reportOk = report.empty() || trace::WriteReport(report, out.Rows, out.Interrupted, reportError);

    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    json j;
    j["lines"] = out.Total;
    j["done"] = out.Rows.size();
    j["traced"] = counts[int(trace::TBatchStatus::Traced)];
    j["kept"] = counts[int(trace::TBatchStatus::Kept)];
    j["operator"] = counts[int(trace::TBatchStatus::Operator)];
    j["failed"] = counts[int(trace::TBatchStatus::Failed)];
    j["bad_lines"] = counts[int(trace::TBatchStatus::BadLine)];
    j["review"] = review;
    j["interrupted"] = out.Interrupted;
    j["seconds"] = std::round(seconds * 1000) / 1000;
    j["charts_per_minute"] =
        seconds > 0 ? std::round(counts[int(trace::TBatchStatus::Traced)] * 60 / seconds * 10) / 10 : 0.0;
    if (!report.empty())
        j["report"] = report;
    WriteOut(j.dump() + "\n");

    if (!reportOk)
        WriteErr("O relat\xC3\xB3rio n\xC3\xA3o foi gravado: " + reportError);
    if (!out.Fatal.empty())
        return Fail(kExitWrite, "O lote parou: " + out.Fatal +
                                    "\nOs gr\xC3\xA1" "ficos j\xC3\xA1 gravados ficam; rode o lote de novo para continuar.");
    if (!reportOk)
        return kExitWrite;
    if (out.Interrupted)
        return Fail(kExitStopped, Format("Lote interrompido: %d de %d linhas feitas; rode-o de novo para continuar.",
                                         int(out.Rows.size()), out.Total));
    const int failed = counts[int(trace::TBatchStatus::Failed)], bad = counts[int(trace::TBatchStatus::BadLine)];
    if (failed || bad) {
        std::string text;
        if (failed)
            text = failed == 1 ? "1 gr\xC3\xA1" "fico falhou" : Format("%d gr\xC3\xA1" "ficos falharam", failed);
        if (bad)
            text += (failed ? " e " : "") + (bad == 1 ? std::string("1 linha do manifesto \xC3\xA9 inv\xC3\xA1lida")
                                                     : Format("%d linhas do manifesto s\xC3\xA3o inv\xC3\xA1lidas", bad));
        return Fail(kExitSome, text + "; os demais foram feitos.");
    }
    return 0;
}

int RunBatchReport(const TArgs& args)
{
    std::vector<std::string> folders;
    std::string out = ".";
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "-o" || args[i] == "--output") {
            if (i + 1 >= args.size())
                return Fail(kExitArgs, std::string("Falta a pasta depois de -o.\n") + kReportUsage);
            out = args[++i];
        } else if (!args[i].empty() && args[i][0] == '-') {
            return Fail(kExitArgs, "Op\xC3\xA7\xC3\xA3o desconhecida: " + args[i] + ".\n" + kReportUsage);
        } else
            folders.push_back(args[i]);
    }
    if (folders.empty())
        return Fail(kExitArgs, std::string("Faltam as pastas dos relat\xC3\xB3rios.\n") + kReportUsage);
    std::error_code ec;
    for (const std::string& f : folders)
        if (std::filesystem::equivalent(FsPath(f), FsPath(out), ec))
            return Fail(kExitArgs, "A pasta de sa\xC3\xAD" "da \xC3\xA9 uma das dos relat\xC3\xB3rios: " + f + ".");
    std::string error;
    if (!trace::MergeReports(folders, out, error))
        return Fail(kExitWrite, error);
    return 0;
}

TRegister regBatch("batch",
                   "batch MANIFESTO.csv --data-folder PASTA [--jobs N] [--shard I/N] [--report PASTA] [--overwrite]  "
                   "l\xC3\xAA um arquivo de gr\xC3\xA1" "ficos escaneados",
                   RunBatchCmd);
TRegister regBatchReport("batch-report",
                         "batch-report PASTA... [-o PASTA]  junta os relat\xC3\xB3rios das fra\xC3\xA7\xC3\xB5" "es de um lote",
                         RunBatchReport);

} // namespace
} // namespace rs::cli
