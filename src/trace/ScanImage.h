#pragma once
// Loading a scanned chart: the picture's header is read first, so that an image
// far too large (or a small file claiming to be one) is refused before any
// pixel is decoded; then the chosen page is decoded into 8-bit BGR.

#include <opencv2/core.hpp>

#include <cstdint>
#include <string>
#include <string_view>

namespace rs::trace {

// Limits: a side of more than 20,000 pixels, or more pixels than a 600 dpi
// chart could ever have, is refused.
inline constexpr int kMaxSide = 20000;
inline constexpr std::int64_t kMaxPixels = 60'000'000;
inline constexpr int kMinSide = 16;

struct TImageHeader
{
    std::string Format; // "PNG", "JPEG", "TIFF", "BMP"
    int Width = 0;
    int Height = 0;
    int Pages = 1;
};

// Reads the dimensions of page `page` (0-based) from a PNG, JPEG, TIFF or BMP
// header. On failure returns false with the reason (Windows-1252, lower case).
bool ReadImageHeader(std::string_view bytes, int page, TImageHeader& header, std::string& reason);

struct TScan
{
    cv::Mat Image;     // 8-bit BGR
    TImageHeader Header;
    std::string Error; // Windows-1252 sentence for the operator; empty on success
    bool Ok() const { return Error.empty(); }
};

// The file's page `page` (0-based: the first page of a multi-page TIFF by default).
TScan LoadScan(const std::string& path, int page = 0);
// The first page of a picture held in memory (the file's bytes). `name` only names it in messages.
TScan DecodeScan(std::string_view bytes, const std::string& name);

} // namespace rs::trace
