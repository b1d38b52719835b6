#pragma once
// The scan link (document/uScanLink.h) of a traced chart: the scan, its page and
// what the trace was unsure of, for the file beside the chart.

#include "document/uScanLink.h"
#include "trace/TraceEngine.h"

namespace rs::trace {

TScanLink MakeTraceLink(const std::string& scanFile, int page, const TTraceResult& result);
// Writes the traced chart's link beside chartFile; false (nothing else changes) when it cannot.
bool WriteTraceLink(const std::string& chartFile, const std::string& scanFile, int page, const TTraceResult& result);

} // namespace rs::trace
