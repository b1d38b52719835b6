// "info" and "table": a chart as JSON, and its results table as the results window copies it.

#include "CliCommand.h"

#include "common/Utils.h"
#include "document/uRChart.h"

#include <nlohmann/json.hpp>

using nlohmann::json;

namespace rs::cli {
namespace {

json ListJson(const TPointList& list)
{
    json items = json::array();
    for (int i = 0; i < list.Count(); ++i) {
        const TDigPoint* p = list.Items(i);
        items.push_back({{"x", p->X}, {"y", p->Y}, {"t", p->Time()}, {"p", p->Prec()},
                         {"acc", p->Accumulated}, {"mark", p->Mark()}});
    }
    return {{"name", Cp1252ToUtf8(list.Name)}, {"editing", list.Editing()}, {"visible", list.Visible()},
            {"selected", list.SelectedIndex()}, {"items", items}};
}

json ChartJson(const std::string& file, const TRChart& c)
{
    const TRChartInfo& i = c.Info;
    const TScale& s = c.Scale();
    json header = {{"kind", i.Kind},
                   {"date", i.Date},
                   {"date_text", DateToStr(i.Date)},
                   {"hour", i.Hour},
                   {"ptot", i.PTot},
                   {"total", i.Total},
                   {"linear", i.Linear},
                   {"dh", i.Dh},
                   {"st_name", Cp1252ToUtf8(i.StName)},
                   {"st_code", Cp1252ToUtf8(i.StCode)},
                   {"p_model", Cp1252ToUtf8(i.PModel)},
                   {"op_name", Cp1252ToUtf8(i.OpName)},
                   {"notes", Cp1252ToUtf8(i.Notes)}};
    json residuals = nullptr;
    TResiduals r;
    if (s.MaxResiduals(r))
        residuals = {{"time", r.Time}, {"time_index", r.TimeIndex}, {"prec", r.Prec}, {"prec_index", r.PrecIndex}};
    // The second block exists only while a predefined set is being marked.
    json predefined = nullptr;
    if (s.Editing() && s.CoordMode == 0)
        predefined = ListJson(s.Predefined());
    json scale = {{"coord_mode", s.CoordMode},
                  {"valid", s.Valid},
                  {"concluded", s.Concluded},
                  {"time", {s.TimeA, s.TimeB, s.TimeC, s.TimeR2}},
                  {"prec", {s.PrecA, s.PrecB, s.PrecC, s.PrecR2}},
                  {"points", ListJson(s)},
                  {"predefined", predefined},
                  {"max_residuals", residuals}};
    const TCurve& cv = c.Curve();
    return {{"file", file},     {"header", header},         {"state", c.State()},       {"scale", scale},
            {"curve", ListJson(cv)}, {"peaks", cv.Peaks}, {"failures", cv.Failures}, {"sum", cv.Sum}};
}

// Loads one file for a command; returns 0, 2 (not recognised) or 3 (failed to load).
int LoadChart(const std::string& file, TRChart& chart)
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

int RunInfo(const TArgs& args)
{
    if (args.empty()) {
        WriteErr("Uso: rainscribe-cli info ARQUIVO...");
        return 1;
    }
    int status = 0;
    for (const auto& file : args) {
        TRChart chart;
        const int rc = LoadChart(file, chart);
        if (rc == 0)
            WriteOut(ChartJson(file, chart).dump(-1, ' ', false, json::error_handler_t::replace) + "\n");
        status = std::max(status, rc);
    }
    return status;
}

int RunTable(const TArgs& args)
{
    if (args.size() != 1) {
        WriteErr("Uso: rainscribe-cli table ARQUIVO");
        return 1;
    }
    TRChart chart;
    if (int rc = LoadChart(args[0], chart))
        return rc;
    std::string out = "Dia\tHora\tPrec\tTotal\r\n";
    for (int i = 0; i < chart.Curve().Count(); ++i)
        out += chart.CellText(i, 0) + "\t" + chart.CellText(i, 1) + "\t" + chart.CellText(i, 2) + "\t" +
               chart.CellText(i, 3) + "\r\n";
    WriteOut(out);
    return 0;
}

TRegister regInfo("info", "info ARQUIVO...        descreve cada arquivo .pvd em JSON (uma linha por arquivo)", RunInfo);
TRegister regTable("table", "table ARQUIVO          lista os pontos digitalizados como a planilha de valores",
                   RunTable);

} // namespace
} // namespace rs::cli
