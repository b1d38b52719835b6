#pragma once
// The resolution a picture file declares, read from its header: PNG (pHYs),
// JPEG (JFIF density, else the Exif resolution), TIFF (XResolution,
// YResolution, ResolutionUnit) and BMP (pixels per metre). The virtual tablet
// sizes a scanned chart by it.

#include <string_view>

namespace rs {

struct TImageResolution
{
    double DpiX = 0;
    double DpiY = 0;
};

// False when the format is not one of these, the file is damaged, or it
// declares no usable resolution (an aspect ratio only, zero, or absurd values).
bool ReadImageResolution(std::string_view file, TImageResolution& res);

} // namespace rs
