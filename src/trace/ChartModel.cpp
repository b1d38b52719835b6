// Chart models: the shipped defaults and the operator's "ModelosGrafico.txt".

#include "trace/ChartModel.h"

#include "common/Utils.h"

#include <cctype>
#include <cmath>
#include <fstream>
#include <sstream>

namespace rs::trace {
namespace {

std::vector<TChartModel> MakeDefaults()
{
    std::vector<TChartModel> out;
    for (bool curved : {false, true})
        for (int hour : {7, 8, 9}) {
            TChartModel m;
            m.Name = std::string(curved ? "Curvo " : "Reto ") + std::to_string(hour) + "h";
            m.Hour = hour;
            m.Curved = curved;
            out.push_back(m);
        }
    return out;
}

std::vector<std::string> SplitFields(std::string_view line)
{
    std::vector<std::string> f;
    std::size_t start = 0;
    for (;;) {
        const std::size_t semi = line.find(';', start);
        f.push_back(Trim(line.substr(start, semi == std::string_view::npos ? std::string_view::npos : semi - start)));
        if (semi == std::string_view::npos)
            return f;
        start = semi + 1;
    }
}

bool SameAscii(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

// Empty when the line is a sound model; otherwise what is wrong with it (Windows-1252).
std::string ParseLine(std::string_view line, TChartModel& m)
{
    const std::vector<std::string> f = SplitFields(line);
    if (f.size() != 8 && f.size() != 10)
        return "s\xE3o esperados 8 ou 10 campos separados por \";\"";
    m = {};
    m.Name = f[0];
    if (m.Name.empty())
        return "falta o nome do modelo";
    double minMm = 0, maxMm = 0;
    if (!TryStrToInt(f[1], m.Hour) || m.Hour < 0 || m.Hour > 23)
        return "a hora de coloca\xE7\xE3o deve ser de 0 a 23";
    if (!TryStrToInt(f[2], m.Hours) || m.Hours < 3 || m.Hours > 48)
        return "o n\xFAmero de horas deve ser de 3 a 48";
    if (!TryStrToFloat(f[3], minMm) || !TryStrToFloat(f[4], maxMm) || !std::isfinite(minMm) ||
        !std::isfinite(maxMm) || minMm < -1 || maxMm > 100 || maxMm - minMm < 1 ||
        std::abs((maxMm - minMm) - std::round(maxMm - minMm)) > 1e-6)
        return "a faixa de mm deve ir de um valor a outro maior, um n\xFAmero inteiro de mm acima";
    m.MinMm = minMm;
    m.MaxMm = maxMm;
    if (!TryStrToInt(f[5], m.HourDivisions) || m.HourDivisions < 1 || m.HourDivisions > 12)
        return "as linhas por hora devem ser de 1 a 12";
    if (!TryStrToInt(f[6], m.MmDivisions) || m.MmDivisions < 1 || m.MmDivisions > 10)
        return "as linhas por mm devem ser de 1 a 10";
    if (SameAscii(f[7], "reto"))
        m.Curved = false;
    else if (SameAscii(f[7], "curvo"))
        m.Curved = true;
    else
        return "o tipo deve ser \"reto\" ou \"curvo\"";
    if (f.size() == 10) {
        if (!TryStrToFloat(f[8], m.HourPaperMm) || !TryStrToFloat(f[9], m.MmPaperMm) ||
            !(m.HourPaperMm >= 2 && m.HourPaperMm <= 100) || !(m.MmPaperMm >= 1 && m.MmPaperMm <= 100))
            return "os mm de papel por hora e por mm devem ser de 2 a 100 e de 1 a 100";
    }
    return {};
}

} // namespace

const std::vector<TChartModel>& DefaultChartModels()
{
    static const std::vector<TChartModel> models = MakeDefaults();
    return models;
}

const TChartModel& DefaultChartModel(int hour, bool curved)
{
    const auto& d = DefaultChartModels();
    const int h = hour < 7 || hour > 9 ? 7 : hour;
    return d[std::size_t((curved ? 3 : 0) + h - 7)];
}

TModelFileResult ParseChartModels(std::string_view text)
{
    TModelFileResult r;
    int number = 0;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(start, end - start);
        start = end + 1;
        ++number;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        const std::string trimmed = Trim(line);
        if (trimmed.empty() || trimmed[0] == ';' || trimmed[0] == '#')
            continue;
        TChartModel m;
        const std::string bad = ParseLine(trimmed, m);
        if (!bad.empty()) {
            r.Errors.push_back(Format("O arquivo \"%s\" cont\xE9m um modelo inv\xE1lido na linha %d: %s.",
                                      kChartModelsFile, number, bad.c_str()));
            continue;
        }
        bool replaced = false;
        for (TChartModel& old : r.Models)
            if (SameAscii(old.Name, m.Name)) {
                old = m;
                replaced = true;
            }
        if (!replaced)
            r.Models.push_back(m);
        if (end == text.size())
            break;
    }
    return r;
}

std::vector<TChartModel> LoadChartModels(const std::string& path, std::vector<std::string>* errors)
{
    std::vector<TChartModel> out = DefaultChartModels();
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return out;
    std::ostringstream ss;
    ss << in.rdbuf();
    const TModelFileResult r = ParseChartModels(ss.str());
    for (const TChartModel& m : r.Models) {
        bool replaced = false;
        for (TChartModel& d : out)
            if (SameAscii(d.Name, m.Name)) {
                d = m;
                replaced = true;
            }
        if (!replaced)
            out.push_back(m);
    }
    if (errors)
        errors->insert(errors->end(), r.Errors.begin(), r.Errors.end());
    return out;
}

const TChartModel* FindChartModel(const std::vector<TChartModel>& models, std::string_view name)
{
    for (const TChartModel& m : models)
        if (SameAscii(m.Name, name))
            return &m;
    return nullptr;
}

} // namespace rs::trace
