#include "trace/ScanFrame.h"

#include "tablet/ImageResolution.h"

#include <fstream>
#include <iterator>

namespace rs::trace {

namespace {

// The resolution lies in the first few kilobytes of every format read, but a
// TIFF may keep its directory at the end: the whole file is read, as the tablet does.
std::string ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

} // namespace

TScanFrame ScanFrameOf(const std::string& scanFile, int rows)
{
    TImageResolution res;
    if (ReadImageResolution(ReadAll(scanFile), res))
        return {res.DpiX, res.DpiY, rows};
    return {kScanDefaultDpi, kScanDefaultDpi, rows};
}

} // namespace rs::trace
