#pragma once
// The frame a scan file gets on the virtual tablet: the resolution its header
// declares, else the tablet's 300 dpi. Control points marked in "Mesa Virtual"
// and those given to rainscribe-cli trace land on the same tablet counts, so a
// chart made on either side lines up with its scan on the other.

#include "trace/TraceEngine.h"

#include <string>

namespace rs::trace {

inline constexpr double kScanDefaultDpi = 300.0;

// rows: the picture's height in pixels.
TScanFrame ScanFrameOf(const std::string& scanFile, int rows);

} // namespace rs::trace
