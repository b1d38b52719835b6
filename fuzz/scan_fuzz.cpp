// Arbitrary bytes as a scanned chart: the header reader, the size limits and the decoder.

#include "trace/ScanImage.h"

#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    rs::trace::TImageHeader h;
    std::string reason;
    rs::trace::ReadImageHeader(bytes, 1, h, reason);
    // Pictures within the limits but large would only test the decoder's memory, not our checks.
    if (rs::trace::ReadImageHeader(bytes, 0, h, reason) && std::int64_t(h.Width) * h.Height > 4'000'000)
        return 0;
    const rs::trace::TScan s = rs::trace::DecodeScan(bytes, "fuzz");
    // A picture that passed holds what its header declared.
    if (s.Ok() && (s.Image.cols != s.Header.Width || s.Image.rows != s.Header.Height || s.Image.type() != CV_8UC3))
        __builtin_trap();
    return 0;
}
