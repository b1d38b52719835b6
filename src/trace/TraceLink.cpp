#include "trace/TraceLink.h"

#include "common/uNativePaths.h"

#include <filesystem>

namespace rs::trace {

TScanLink MakeTraceLink(const std::string& scanFile, int page, const TTraceResult& result)
{
    TScanLink link;
    std::error_code ec;
    // A path given relative to the working folder means nothing beside the chart.
    const std::filesystem::path full = std::filesystem::absolute(FsPath(scanFile), ec);
    link.Scan = ec ? scanFile : NativeString(full.lexically_normal());
    link.Page = page;
    link.Traced = true;
    link.Confidence = result.Confidence;
    for (const TUnsure& u : result.Unsure)
        link.Unsure.push_back({u.Start, u.End, UnsureText(u.Kind)});
    return link;
}

bool WriteTraceLink(const std::string& chartFile, const std::string& scanFile, int page, const TTraceResult& result)
{
    TScanLink link = MakeTraceLink(scanFile, page, result);
    return WriteScanLink(chartFile, link);
}

} // namespace rs::trace
