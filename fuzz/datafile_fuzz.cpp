// Arbitrary bytes as a ".pvd" file: the quick check, the summary and the full load.

#include "document/uRChart.h"

#include <cstdio>
#include <string>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const std::string path = "/tmp/rs_fuzz_datafile_" + std::to_string(getpid()) + ".pvd";
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return 0;
    std::fwrite(data, 1, size, f);
    std::fclose(f);
    if (rs::TRChart::IsDataFile(path)) {
        rs::TRChartInfo info;
        try {
            rs::TRChart::ReadSummary(path, info);
        } catch (const rs::EReadError&) {
        }
        rs::TRChart chart;
        if (chart.LoadFromFile(path)) {
            // Whatever loaded must also draw its table and save again in memory.
            for (int i = 0; i < chart.Curve().Count(); ++i)
                chart.CellText(i, 1);
            chart.SaveToBuffer();
        }
    }
    return 0;
}
