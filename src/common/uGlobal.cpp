#include "common/uGlobal.h"

namespace rs {

TDigOptions& DigOptions()
{
    static TDigOptions options;
    return options;
}

TChartColors& ChartColors()
{
    static TChartColors colors;
    return colors;
}

} // namespace rs
