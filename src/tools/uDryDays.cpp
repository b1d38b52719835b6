#include "tools/uDryDays.h"

#include <exception>

namespace rs {

TDryDaysResult CreateDryDayFiles(const TRChartInfo& record, const TDoubleArray& dates, const TOverwriteQuestion& ask)
{
    TDryDaysResult result;
    TRChartInfo info = record;
    info.Owner = nullptr;
    const int n = dates.Count();
    for (int i = 0; i < n; ++i) {
        info.Date = dates.Items(i);
        const std::string path = TRChart::MakeFileName(info);
        if (FileExists(path)) {
            const TOverwriteAnswer a = ask ? ask(i + 1, n, path) : TOverwriteAnswer::No;
            if (a == TOverwriteAnswer::Cancel) {
                result.Cancelled = true;
                break;
            }
            if (a == TOverwriteAnswer::No)
                continue;
        }
        try {
            TRChart chart;
            chart.SetInfo(info);
            chart.SaveToFile(path);
            ++result.Written;
        } catch (const std::exception& e) {
            result.Error = e.what();
            break;
        }
    }
    return result;
}

std::string OverwriteQuestionText(int i, int n, const std::string& path)
{
    return "O arquivo " + std::to_string(i) + "/" + std::to_string(n) + " (" + path +
           ") já existe.\r\nSobregrava o arquivo existente?";
}

std::string DryDaysCountText(int kind, int count)
{
    return "Foram criados " + std::to_string(count) +
           (kind == 1 ? " arquivos, para os respectivos pluviogramas com precipitação nula."
                      : " arquivos, para os respectivos pluviogramas inexistentes.");
}

} // namespace rs
