// "trace": a scanned chart traced automatically into a chart file, for scripts and batch work.
//
// rainscribe-cli trace IMAGE -o OUT.pvd --station CODE --date DD/MM/YYYY [--hour 7|8|9] [--curved]
//                --control X,Y,T,P [--control X,Y,T,P ...] [--name NAME] [--page N] [--overlay PNG]
//
// Exit status: 0 done; 2 image unreadable; 3 bad arguments; 4 scale outside the tolerances;
// 5 no trace found. Nothing is written unless the trace succeeds.

#include "CliCommand.h"
#include "TraceAutoScale.h"

#include "common/Utils.h"
#include "common/uAtomicFile.h"
#include "document/uRChart.h"
#include "tablet/ImageResolution.h"
#include "trace/ScanImage.h"
#include "trace/TraceEngine.h"
#include "trace/ScanFrame.h"
#include "trace/TraceLink.h"
#include "trace/TraceOverlay.h"

#include <nlohmann/json.hpp>
#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

#include <chrono>
#include <cstdio>
#include <cmath>
#include <optional>

namespace rs::cli {
namespace {

using nlohmann::json;

constexpr int kExitImage = 2, kExitArgs = 3, kExitScale = 4, kExitNoTrace = 5;
// The virtual tablet's resolution for a picture that declares none.
constexpr double kDefaultDpi = 300.0;

struct TControl
{
    double X, Y, T, P;
};

struct TOptions
{
    std::string Image, Out, Station, Name, Overlay, Stages;
    double Date = 0;
    int Hour = 7;
    bool Curved = false;
    int Page = 1;
    std::vector<TControl> Controls;
    bool AutoScale = false; // control points found on the printed grid
    std::string Model;
};

const char* const kUsage =
    "Uso: rainscribe-cli trace IMAGEM -o SAIDA.pvd --station CODIGO --date DD/MM/AAAA [--hour 7|8|9] [--curved]\n"
    "       (--control X,Y,T,P [--control X,Y,T,P ...] | --auto-scale [--model NOME]) [--name NOME] [--page N]\n"
    "       [--overlay FIGURA.png]";

bool ParseControl(const std::string& text, TControl& c)
{
    std::vector<std::string> f;
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = text.find(',', start);
        f.push_back(text.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
        if (comma == std::string::npos)
            break;
        start = comma + 1;
    }
    double v[4];
    if (f.size() != 4)
        return false;
    for (int i = 0; i < 4; ++i)
        if (!TryStrToFloat(Trim(f[std::size_t(i)]), v[i]) || !std::isfinite(v[i]))
            return false;
    c = {v[0], v[1], v[2], v[3]};
    return true;
}

// Returns the error message, empty when the arguments are sound.
std::string ParseArgs(const TArgs& args, TOptions& o)
{
    bool haveDate = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= args.size())
                return false;
            out = args[++i];
            return true;
        };
        std::string v;
        if (a == "--curved") {
            o.Curved = true;
        } else if (a == "-o" || a == "--output") {
            if (!value(o.Out))
                return "Falta o arquivo de sa\xC3\xAD" "da depois de " + a + ".";
        } else if (a == "--station") {
            if (!value(o.Station) || !IsValidStationCode(o.Station))
                return "O c\xC3\xB3" "digo da esta\xC3\xA7\xC3\xA3o deve ter exatamente 8 d\xC3\xADgitos.";
        } else if (a == "--name") {
            if (!value(o.Name))
                return "Falta o nome da esta\xC3\xA7\xC3\xA3o depois de --name.";
        } else if (a == "--date") {
            if (!value(v) || !TryStrToDate(v, o.Date))
                return "Data inv\xC3\xA1lida: use DD/MM/AAAA.";
            haveDate = true;
        } else if (a == "--hour") {
            if (!value(v) || !TryStrToInt(v, o.Hour) || o.Hour < 7 || o.Hour > 9)
                return "A hora de coloca\xC3\xA7\xC3\xA3o deve ser 7, 8 ou 9.";
        } else if (a == "--page") {
            if (!value(v) || !TryStrToInt(v, o.Page) || o.Page < 1 || o.Page > 10000)
                return "O n\xC3\xBAmero da p\xC3\xA1gina deve ser 1 ou mais.";
        } else if (a == "--overlay") {
            if (!value(o.Overlay))
                return "Falta o arquivo da figura depois de --overlay.";
        } else if (a == "--stages") {
            // What the stages saw, as pictures in a folder: for finding out why a chart went wrong.
            if (!value(o.Stages))
                return "Falta a pasta depois de --stages.";
        } else if (a == "--auto-scale") {
            o.AutoScale = true;
        } else if (a == "--model") {
            if (!value(o.Model))
                return "Falta o nome do modelo depois de --model.";
        } else if (a == "--control") {
            TControl c;
            if (!value(v) || !ParseControl(v, c))
                return "Ponto de controle inv\xC3\xA1lido: use --control X,Y,T,P (pixels, horas, mm).";
            o.Controls.push_back(c);
        } else if (!a.empty() && a[0] == '-') {
            return "Op\xC3\xA7\xC3\xA3o desconhecida: " + a + ".";
        } else if (o.Image.empty()) {
            o.Image = a;
        } else {
            return "Mais de uma imagem: " + a + ".";
        }
    }
    if (o.Image.empty())
        return "Falta a imagem.";
    if (o.Out.empty())
        return "Falta o arquivo de sa\xC3\xAD" "da (-o SAIDA.pvd).";
    if (o.Station.empty())
        return "Falta o c\xC3\xB3" "digo da esta\xC3\xA7\xC3\xA3o (--station).";
    if (!haveDate)
        return "Falta a data (--date DD/MM/AAAA).";
    if (o.AutoScale && !o.Controls.empty())
        return "Use --control ou --auto-scale, n\xC3\xA3o os dois.";
    if (!o.AutoScale && !o.Model.empty())
        return "--model s\xC3\xB3 vale com --auto-scale.";
    const std::size_t need = o.Curved ? 7 : 5;
    if (!o.AutoScale && o.Controls.size() < need)
        return Format("S\xC3\xA3o necess\xC3\xA1rios pelo menos %d pontos de controle num gr\xC3\xA1" "fico %s.", int(need),
                      o.Curved ? "curvo" : "reto");
    if (o.Controls.size() > std::size_t(TScale::kMaxPoints))
        return Format("S\xC3\xA3o aceitos no m\xC3\xA1ximo %d pontos de controle.", TScale::kMaxPoints);
    for (const TControl& c : o.Controls)
        if (c.T < o.Hour - 1 || c.T > o.Hour + 25 || c.P < -1 || c.P > 11)
            return Format("O ponto de controle (%g h; %g mm) fica fora do gr\xC3\xA1" "fico.", c.T, c.P);
    return {};
}

void WriteStages(const std::string& dir, const trace::TTraceResult& r)
{
    ForceDirectories(IncludeTrailingDelim(dir));
    const std::string d = IncludeTrailingDelim(dir);
    cv::imwrite(d + "rectified.png", r.Rectified);
    cv::Mat score, path;
    r.Score.convertTo(score, CV_8U, 255);
    cv::cvtColor(255 - score, path, cv::COLOR_GRAY2BGR);
    for (std::size_t c = 0; c < r.Path.Row.size(); ++c) {
        const int row = int(std::lround(r.Path.Row[c]));
        if (row >= 0 && row < path.rows)
            path.at<cv::Vec3b>(row, int(c)) = {0, 0, 255};
    }
    // The curve as traced, siphon peaks and failures ringed, for comparing with the ink.
    std::vector<cv::Point> line;
    auto at = [&](const trace::TTracePoint& tp) {
        return cv::Point(int(std::lround((tp.Time - r.Space.T0) / r.Space.Dt)), int(std::lround(r.Space.Row(tp.Prec))));
    };
    for (const trace::TTracePoint& tp : r.Points) {
        line.push_back(at(tp));
        if (tp.Mark != 0)
            cv::circle(path, at(tp), 6, tp.Mark == 1 ? cv::Scalar(255, 0, 0) : cv::Scalar(0, 160, 255), 2);
    }
    cv::polylines(path, line, false, cv::Scalar(0, 0, 255), 1, cv::LINE_AA);
    cv::imwrite(d + "score.png", path);
    if (std::FILE* f = std::fopen((d + "ink.txt").c_str(), "w")) {
        const trace::TInkModel& m = r.Ink;
        std::fprintf(f, "paper %.1f %.1f %.1f\ngrid %s hue %.2f %.2f darkness %.2f\ncolour scan %d\n"
                        "pen %s hue %.2f %.2f chroma %.1f\n",
                     m.Paper[0], m.Paper[1], m.Paper[2], m.GreyGrid ? "grey" : "coloured", m.GridHue[0], m.GridHue[1],
                     m.GridDarkness, int(m.ColourScan), m.PenColoured ? "coloured" : "dark", m.PenHue[0], m.PenHue[1],
                     m.PenChroma);
        std::fclose(f);
    }
    if (std::FILE* f = std::fopen((d + "path.csv").c_str(), "w")) {
        std::fprintf(f, "time,prec,support\n");
        for (std::size_t c = 0; c < r.Path.Row.size(); ++c)
            std::fprintf(f, "%.5f,%.4f,%.3f\n", r.Space.Time(double(c)), r.Space.Prec(r.Path.Row[c]), r.Path.Support[c]);
        std::fclose(f);
    }
    if (std::FILE* f = std::fopen((d + "curve.csv").c_str(), "w")) {
        std::fprintf(f, "time,prec,mark\n");
        for (const trace::TTracePoint& tp : r.Points)
            std::fprintf(f, "%.5f,%.4f,%d\n", tp.Time, tp.Prec, tp.Mark);
        std::fclose(f);
    }
}

int Fail(int code, const std::string& utf8)
{
    WriteErr(utf8);
    return code;
}

int RunTrace(const TArgs& args)
{
    const auto started = std::chrono::steady_clock::now();
    TOptions o;
    if (const std::string bad = ParseArgs(args, o); !bad.empty())
        return Fail(kExitArgs, bad + "\n" + kUsage);

    trace::TScan scan = trace::LoadScan(o.Image, o.Page - 1);
    if (!scan.Ok())
        return Fail(kExitImage, Cp1252ToUtf8(scan.Error));
    const trace::TScanFrame frame = trace::ScanFrameOf(o.Image, scan.Image.rows); // as "Mesa Virtual" shows it

    trace::TGridResult grid;
    if (o.AutoScale) {
        trace::TChartModel model;
        std::string bad;
        if (!ChooseChartModel(o.Model, o.Hour, o.Curved, model, bad))
            return Fail(kExitArgs, bad);
        if (!o.Model.empty()) {
            if (model.Hour < 7 || model.Hour > 9)
                return Fail(kExitArgs, "A hora de coloca\xC3\xA7\xC3\xA3o do modelo deve ser 7, 8 ou 9.");
            o.Hour = model.Hour;
            o.Curved = model.Curved;
        }
        grid = AutoScale(scan.Image, model);
        if (!grid.Found) {
            json j;
            j["error"] = "grid";
            j["reason"] = Cp1252ToUtf8(grid.Error);
            j["registration_seconds"] = std::round(grid.Seconds * 1000) / 1000;
            WriteOut(j.dump() + "\n");
            return Fail(kExitScale, Cp1252ToUtf8(grid.Error));
        }
        for (const trace::TGridControl& c : grid.Controls)
            o.Controls.push_back({c.X, c.Y, c.T, c.P});
    }

    TRChart chart;
    TRChartInfo info;
    info.Kind = 0;
    info.Date = o.Date;
    info.Hour = std::uint8_t(o.Hour);
    info.Linear = !o.Curved;
    info.StCode = o.Station;
    info.StName = Utf8ToCp1252(o.Name);
    chart.SetInfo(info);
    chart.Scale().SetCoordMode(1);
    chart.BeginScale();
    for (std::size_t i = 0; i < o.Controls.size(); ++i) {
        const TControl& c = o.Controls[i];
        if (c.X < 0 || c.Y < 0 || c.X > scan.Image.cols || c.Y > scan.Image.rows)
            return Fail(kExitArgs, Format("O ponto de controle %d (%g, %g) fica fora da imagem (%d \xC3\x97 %d).",
                                          int(i + 1), c.X, c.Y, scan.Image.cols, scan.Image.rows));
        auto* pt = new TDigPoint;
        pt->X = std::int32_t(std::lround(frame.CountsX(c.X)));
        pt->Y = std::int32_t(std::lround(frame.CountsY(c.Y)));
        pt->SetValue(c.T, c.P);
        if (!chart.Scale().AcceptPoint(pt) || chart.Scale().Append(pt) < 0) {
            delete pt;
            return Fail(kExitArgs, Format("O ponto de controle %d foi rejeitado porque j\xC3\xA1 existe um outro "
                                          "nas proximidades.",
                                          int(i + 1)));
        }
    }
    TScale& scale = chart.Scale();
    if (!scale.Valid)
        return Fail(kExitScale, "Os pontos de controle n\xC3\xA3o definem uma escala (est\xC3\xA3o alinhados?).");
    if (!scale.WithinTolerance()) {
        json j;
        j["error"] = "scale";
        j["residuals"] = json::array();
        std::string text = "A escala n\xC3\xA3o pode ser conclu\xC3\xAD" "da: os erros superam os m\xC3\xA1ximos "
                           "tolerados (5 min e 0,1 mm).";
        for (int i = 0; i < scale.Count(); ++i) {
            const TPointValue r = scale.PointResiduals(i);
            j["residuals"].push_back({{"point", i + 1}, {"time_min", r.Time * 60}, {"prec_mm", r.Prec}});
            text += Format("\n  ponto %d: %+.2f min, %+.3f mm", i + 1, r.Time * 60, r.Prec);
        }
        WriteOut(j.dump() + "\n");
        return Fail(kExitScale, text);
    }
    chart.ConcludeScale();

    const trace::TTraceResult result = trace::Trace(scan.Image, frame, scale, o.Hour);
    if (!result.Error.empty()) {
        const bool offChart = result.Points.empty() && result.Space.Inside < 0.6;
        return Fail(offChart ? kExitArgs : kExitNoTrace, Cp1252ToUtf8(result.Error));
    }
    trace::FillCurve(chart, result);
    if (!o.Stages.empty())
        WriteStages(o.Stages, result);

    std::vector<uchar> png;
    if (!o.Overlay.empty()) {
        cv::Mat pic = trace::DrawOverlay(scan.Image, frame, scale, result);
        if (o.AutoScale)
            trace::DrawGrid(pic, grid);
        if (!cv::imencode(".png", pic, png))
            return Fail(1, "N\xC3\xA3o foi poss\xC3\xADvel gerar a figura do tra\xC3\xA7" "ado.");
    }
    chart.SaveToFile(o.Out); // throws with the operator's message; the old file stays
    trace::WriteTraceLink(o.Out, o.Image, o.Page - 1, result); // the scan beside the chart; optional
    if (!o.Overlay.empty())
        WriteFileAtomicallyOrThrow(o.Overlay, std::string_view(reinterpret_cast<const char*>(png.data()), png.size()));

    const TCurve& curve = chart.Curve();
    json j;
    j["file"] = o.Out;
    j["points"] = curve.Count();
    j["picos"] = curve.Peaks;
    j["failures"] = curve.Failures;
    j["sum"] = std::round(curve.Sum * 1000) / 1000;
    j["confidence"] = std::round(result.Confidence * 1000) / 1000;
    j["ink"] = Cp1252ToUtf8(result.Ink.Name);
    if (o.AutoScale) {
        j["controls"] = json::array();
        for (const TControl& c : o.Controls)
            j["controls"].push_back({{"x", std::round(c.X * 1000) / 1000}, {"y", std::round(c.Y * 1000) / 1000},
                                     {"t", c.T}, {"p", c.P}});
        TResiduals worst;
        scale.MaxResiduals(worst);
        j["residuals"] = {{"time_min", std::round(worst.Time * 60 * 1000) / 1000},
                          {"prec_mm", std::round(worst.Prec * 10000) / 10000}};
        j["registration_seconds"] = std::round(grid.Seconds * 1000) / 1000;
    }
    j["unsure"] = json::array();
    for (const trace::TUnsure& u : result.Unsure)
        j["unsure"].push_back({{"start", std::round(u.Start * 1e4) / 1e4},
                               {"end", std::round(u.End * 1e4) / 1e4},
                               {"reason", Cp1252ToUtf8(trace::UnsureText(u.Kind))}});
    j["seconds"] =
        std::round(std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count() * 1000) / 1000;
    WriteOut(j.dump() + "\n");
    return 0;
}

TRegister regTrace("trace",
                   "trace IMAGEM -o SAIDA.pvd --station CODIGO --date DD/MM/AAAA --control X,Y,T,P ...  "
                   "tra\xC3\xA7" "a automaticamente um gr\xC3\xA1" "fico escaneado",
                   RunTrace);

} // namespace
} // namespace rs::cli
