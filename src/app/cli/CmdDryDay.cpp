// "dryday": the data files of days without rain or without a chart, as the dry-day dialog writes them.

#include "CliCommand.h"

#include "common/Utils.h"
#include "tools/uDayList.h"
#include "tools/uDryDays.h"

#include <map>

namespace rs::cli {
namespace {

const char* kUsage = "Uso: rainscribe-cli dryday --code CÓDIGO --name NOME --year ANO --month MÊS --days \"2 6 14-19\" "
                     "--kind 1|2 [--hour 7|8|9] [--axis normal|curvo] [--data-folder PASTA] "
                     "[--overwrite|--skip-existing]";

int RunDryDay(const TArgs& args)
{
    std::map<std::string, std::string> opt;
    bool overwrite = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--overwrite")
            overwrite = true;
        else if (a == "--skip-existing")
            overwrite = false;
        else if (a.rfind("--", 0) == 0 && i + 1 < args.size())
            opt[a.substr(2)] = args[++i];
        else {
            WriteErr(kUsage);
            return 1;
        }
    }
    for (const char* k : {"code", "name", "year", "month", "days", "kind"})
        if (!opt.count(k)) {
            WriteErr(kUsage);
            return 1;
        }
    const std::string kind = opt["kind"], hour = opt.count("hour") ? opt["hour"] : "7",
                      axis = opt.count("axis") ? opt["axis"] : "normal";
    if ((kind != "1" && kind != "2") || (hour != "7" && hour != "8" && hour != "9") ||
        (axis != "normal" && axis != "curvo")) {
        WriteErr(kUsage);
        return 1;
    }
    TDryDayInput in{Utf8ToCp1252(opt["code"]), opt["year"], opt["month"], opt["days"]};
    TDoubleArray dates;
    TDryDayCheck check;
    if (!CheckDryDayInput(in, CurrentYear(), dates, check)) {
        std::string msg = check.Message;
        if (check.Caret >= 0)
            msg += " (posição " + std::to_string(check.Caret + 1) + ")";
        WriteErr(msg);
        return 1;
    }
    TRChartInfo record;
    record.Kind = std::uint8_t(kind[0] - '0');
    record.StName = Utf8ToCp1252(opt["name"]);
    record.StCode = in.StCode;
    record.Hour = std::uint8_t(hour[0] - '0');
    record.Linear = axis == "normal";
    SetDataFolder(opt.count("data-folder") ? opt["data-folder"] : std::string(".") + kPathDelim);
    const TDryDaysResult res = CreateDryDayFiles(record, dates, [&](int, int, const std::string& path) {
        if (overwrite)
            return TOverwriteAnswer::Yes;
        WriteErr("Arquivo existente mantido: " + path);
        return TOverwriteAnswer::No;
    });
    if (!res.Error.empty()) {
        WriteErr(res.Error);
        WriteOut(DryDaysCountText(record.Kind, res.Written) + "\n");
        return 1;
    }
    WriteOut(DryDaysCountText(record.Kind, res.Written) + "\n");
    return 0;
}

TRegister regDryDay("dryday", "dryday --code ... --days \"2 6 14-19\" --kind 1|2  cria os arquivos de dias sem chuva/sem dados",
                    RunDryDay);

} // namespace
} // namespace rs::cli
