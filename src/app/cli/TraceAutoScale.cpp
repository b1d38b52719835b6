#include "TraceAutoScale.h"

#include "common/Utils.h"
#include "common/uAppFiles.h"

#include "CliCommand.h"

namespace rs::cli {

bool ChooseChartModel(const std::string& name, int hour, bool curved, trace::TChartModel& model, std::string& error)
{
    if (name.empty()) {
        model = trace::DefaultChartModel(hour, curved);
        return true;
    }
    std::vector<std::string> errors;
    const std::vector<trace::TChartModel> models =
        trace::LoadChartModels(ReadableAppFile(trace::kChartModelsFile), &errors);
    const std::string wanted = Utf8ToCp1252(name);
    if (const trace::TChartModel* m = trace::FindChartModel(models, wanted)) {
        model = *m;
        // The good models are used; the bad lines are named all the same.
        for (const std::string& e : errors)
            WriteErr(Cp1252ToUtf8(e));
        return true;
    }
    error = "Modelo de gr\xC3\xA1" "fico desconhecido: " + name + ". Modelos:";
    for (const trace::TChartModel& m : models)
        error += " \"" + Cp1252ToUtf8(m.Name) + "\"";
    error += ".";
    for (const std::string& e : errors)
        error += "\n" + Cp1252ToUtf8(e);
    return false;
}

trace::TGridResult AutoScale(const cv::Mat& scan, const trace::TChartModel& model)
{
    return trace::RegisterGrid(scan, model);
}

} // namespace rs::cli
