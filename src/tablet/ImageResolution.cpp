#include "tablet/ImageResolution.h"

#include <cstdint>

namespace rs {

namespace {

constexpr double kMinDpi = 10, kMaxDpi = 100000;

struct TBytes
{
    std::string_view s;
    bool Has(std::size_t at, std::size_t n) const { return at <= s.size() && n <= s.size() - at; }
    std::uint32_t U8(std::size_t at) const { return std::uint8_t(s[at]); }
    std::uint32_t BE16(std::size_t at) const { return U8(at) << 8 | U8(at + 1); }
    std::uint32_t LE16(std::size_t at) const { return U8(at) | U8(at + 1) << 8; }
    std::uint32_t BE32(std::size_t at) const { return BE16(at) << 16 | BE16(at + 2); }
    std::uint32_t LE32(std::size_t at) const { return LE16(at) | LE16(at + 2) << 16; }
};

bool Accept(double x, double y, TImageResolution& res)
{
    if (!(x >= kMinDpi && x <= kMaxDpi && y >= kMinDpi && y <= kMaxDpi)) return false;
    res.DpiX = x;
    res.DpiY = y;
    return true;
}

bool ReadPng(const TBytes& b, TImageResolution& res)
{
    std::size_t at = 8;
    while (b.Has(at, 8)) {
        const std::uint32_t len = b.BE32(at);
        const std::string_view type = b.s.substr(at + 4, 4);
        if (type == "IDAT" || type == "IEND") return false;
        if (!b.Has(at + 8, len)) return false;
        if (type == "pHYs" && len >= 9) {
            if (b.U8(at + 16) != 1) // unit: 1 = metre, 0 = aspect ratio only
                return false;
            return Accept(b.BE32(at + 8) * 0.0254, b.BE32(at + 12) * 0.0254, res);
        }
        at += 12 + std::size_t(len);
    }
    return false;
}

// A TIFF structure (a TIFF file, or the Exif block of a JPEG) starting at base.
bool ReadTiff(const TBytes& b, std::size_t base, TImageResolution& res)
{
    if (!b.Has(base, 8)) return false;
    const bool le = b.s.substr(base, 2) == "II";
    if (!le && b.s.substr(base, 2) != "MM") return false;
    auto u16 = [&](std::size_t at) { return le ? b.LE16(at) : b.BE16(at); };
    auto u32 = [&](std::size_t at) { return le ? b.LE32(at) : b.BE32(at); };
    if (u16(base + 2) != 42) return false;
    const std::size_t ifd = base + u32(base + 4);
    if (!b.Has(ifd, 2)) return false;
    const std::uint32_t n = u16(ifd);
    double rx = 0, ry = 0;
    std::uint32_t unit = 2; // inch unless told
    auto rational = [&](std::size_t entry) -> double {
        if (u16(entry + 2) != 5) // RATIONAL
            return 0;
        const std::size_t at = base + u32(entry + 8);
        if (!b.Has(at, 8)) return 0;
        const std::uint32_t num = u32(at), den = u32(at + 4);
        return den ? double(num) / den : 0;
    };
    for (std::uint32_t i = 0; i < n; ++i) {
        const std::size_t e = ifd + 2 + 12 * std::size_t(i);
        if (!b.Has(e, 12)) return false;
        switch (u16(e)) {
        case 282:
            rx = rational(e);
            break;
        case 283:
            ry = rational(e);
            break;
        case 296:
            unit = u16(e + 2) == 3 ? u16(e + 8) : u32(e + 8);
            break;
        default:
            break;
        }
    }
    if (ry == 0) ry = rx;
    if (unit == 3) {
        rx *= 2.54;
        ry *= 2.54;
    } else if (unit != 2) {
        return false; // no absolute unit
    }
    return Accept(rx, ry, res);
}

bool ReadJpeg(const TBytes& b, TImageResolution& res)
{
    std::size_t at = 2;
    bool haveExif = false;
    TImageResolution exif;
    while (b.Has(at, 4) && b.U8(at) == 0xFF) {
        const std::uint32_t marker = b.U8(at + 1);
        if (marker == 0xFF) { // fill byte
            ++at;
            continue;
        }
        if (marker == 0xDA || marker == 0xD9) // start of scan, end of image
            break;
        const std::uint32_t len = b.BE16(at + 2);
        if (len < 2 || !b.Has(at + 2, len)) break;
        const std::size_t data = at + 4;
        if (marker == 0xE0 && len >= 16 && b.s.substr(data, 5) == std::string_view("JFIF\0", 5)) {
            const std::uint32_t units = b.U8(data + 7);
            const double x = b.BE16(data + 8), y = b.BE16(data + 10);
            if (units == 1) return Accept(x, y, res);
            if (units == 2) return Accept(x * 2.54, y * 2.54, res);
        } else if (marker == 0xE1 && len >= 16 && b.s.substr(data, 6) == std::string_view("Exif\0\0", 6)) {
            // Only the segment itself, so offsets cannot reach past it.
            TBytes seg{b.s.substr(0, at + 2 + len)};
            haveExif = ReadTiff(seg, data + 6, exif);
        }
        at += 2 + len;
    }
    if (haveExif) res = exif;
    return haveExif;
}

bool ReadBmp(const TBytes& b, TImageResolution& res)
{
    if (!b.Has(14, 4) || b.LE32(14) < 40 || !b.Has(38, 8)) return false;
    const auto x = std::int32_t(b.LE32(38)), y = std::int32_t(b.LE32(42));
    return Accept(x * 0.0254, y * 0.0254, res);
}

} // namespace

bool ReadImageResolution(std::string_view file, TImageResolution& res)
{
    const TBytes b{file};
    if (file.substr(0, 8) == std::string_view("\x89PNG\r\n\x1a\n", 8)) return ReadPng(b, res);
    if (file.substr(0, 2) == "\xFF\xD8") return ReadJpeg(b, res);
    if (file.substr(0, 4) == std::string_view("II*\0", 4) ||
        file.substr(0, 4) == std::string_view("MM\0*", 4))
        return ReadTiff(b, 0, res);
    if (file.substr(0, 2) == "BM") return ReadBmp(b, res);
    return false;
}

} // namespace rs
