#pragma once
// The scan with the traced curve drawn on it, for a person to check the trace
// against the ink: the curve in red, siphon peaks ringed in magenta, failures
// left open, and the unsure stretches thick in orange between two orange time lines.

#include "trace/TraceEngine.h"

namespace rs::trace {

// A copy of the scan (8-bit BGR) with the result drawn over it.
cv::Mat DrawOverlay(const cv::Mat& scanBgr, const TScanFrame& frame, const TScale& scale,
                    const TTraceResult& result);

} // namespace rs::trace
