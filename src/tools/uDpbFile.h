#pragma once
// The beta ".dpb" layout (docs/dpb-format.md): reading it into a document,
// writing it (for tests and tools), and converting one file.

#include "document/uRChart.h"

#include <string>

namespace rs {

// Parses a whole ".dpb" image; false when it does not match the layout exactly.
bool ReadDpb(const std::string& data, TRChart& chart);
// The ".dpb" image of a document (planes stored in single precision).
std::string WriteDpb(TRChart& chart);
// Converts one file as the conversion library does; returns its status (-1, 0, 1, 2).
int ConvertDpbFile(const std::string& path);

} // namespace rs
