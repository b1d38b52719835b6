#include "tablet/ImageResolution.h"

#include <gtest/gtest.h>

#include <string>

namespace rs::test {
namespace {

void BE32(std::string& s, std::uint32_t v)
{
    for (int i = 3; i >= 0; --i)
        s += char((v >> (8 * i)) & 0xFF);
}
void BE16(std::string& s, std::uint32_t v)
{
    s += char((v >> 8) & 0xFF);
    s += char(v & 0xFF);
}
void LE16(std::string& s, std::uint32_t v)
{
    s += char(v & 0xFF);
    s += char((v >> 8) & 0xFF);
}
void LE32(std::string& s, std::uint32_t v)
{
    LE16(s, v & 0xFFFF);
    LE16(s, v >> 16);
}

std::string Chunk(const std::string& type, const std::string& data)
{
    std::string s;
    BE32(s, std::uint32_t(data.size()));
    s += type + data;
    BE32(s, 0); // the CRC is not checked
    return s;
}

std::string Png(int ppmX, int ppmY, int unit, bool physBeforeData = true)
{
    std::string s("\x89PNG\r\n\x1a\n", 8);
    s += Chunk("IHDR", std::string(13, '\0'));
    std::string phys;
    BE32(phys, ppmX);
    BE32(phys, ppmY);
    phys += char(unit);
    if (physBeforeData) s += Chunk("pHYs", phys);
    s += Chunk("IDAT", "xx");
    if (!physBeforeData) s += Chunk("pHYs", phys);
    s += Chunk("IEND", "");
    return s;
}

// A little-endian TIFF header and IFD with X/Y resolution and a unit.
std::string Tiff(std::uint32_t xNum, std::uint32_t xDen, std::uint32_t yNum, std::uint32_t unit,
                 bool bigEndian = false)
{
    std::string s;
    auto u16 = [&](std::uint32_t v) { bigEndian ? BE16(s, v) : LE16(s, v); };
    auto u32 = [&](std::uint32_t v) { bigEndian ? BE32(s, v) : LE32(s, v); };
    s += bigEndian ? "MM" : "II";
    u16(42);
    u32(8);
    const std::uint32_t values = 8 + 2 + 3 * 12 + 4;
    u16(3);
    u16(282), u16(5), u32(1), u32(values);
    u16(283), u16(5), u32(1), u32(values + 8);
    u16(296), u16(3), u32(1), u16(unit), u16(0);
    u32(0);
    u32(xNum), u32(xDen), u32(yNum), u32(1);
    return s;
}

TEST(ImageResolution, PngPhysInMetres)
{
    TImageResolution r;
    ASSERT_TRUE(ReadImageResolution(Png(11811, 23622, 1), r)); // 300 x 600 dpi
    EXPECT_NEAR(r.DpiX, 300, 0.01);
    EXPECT_NEAR(r.DpiY, 600, 0.01);
    EXPECT_FALSE(ReadImageResolution(Png(11811, 11811, 0), r));        // aspect ratio only
    EXPECT_FALSE(ReadImageResolution(Png(11811, 11811, 1, false), r)); // after the data: ignored
    EXPECT_FALSE(ReadImageResolution(Png(0, 0, 1), r));
}

TEST(ImageResolution, JpegJfifAndExif)
{
    auto jfif = [](int units, int x, int y) {
        std::string s("\xFF\xD8", 2);
        s += "\xFF\xE0";
        BE16(s, 16);
        s += std::string("JFIF\0", 5);
        s += "\x01\x02";
        s += char(units);
        BE16(s, x);
        BE16(s, y);
        s += std::string(2, '\0');
        s += "\xFF\xDA";
        return s;
    };
    TImageResolution r;
    ASSERT_TRUE(ReadImageResolution(jfif(1, 300, 300), r));
    EXPECT_DOUBLE_EQ(r.DpiX, 300);
    ASSERT_TRUE(ReadImageResolution(jfif(2, 100, 200), r)); // dots per cm
    EXPECT_DOUBLE_EQ(r.DpiX, 254);
    EXPECT_DOUBLE_EQ(r.DpiY, 508);
    EXPECT_FALSE(ReadImageResolution(jfif(0, 1, 1), r));

    std::string exif("\xFF\xD8", 2);
    const std::string tiff = Tiff(400, 1, 400, 2, true);
    exif += "\xFF\xE1";
    BE16(exif, std::uint32_t(2 + 6 + tiff.size()));
    exif += std::string("Exif\0\0", 6) + tiff + "\xFF\xDA";
    ASSERT_TRUE(ReadImageResolution(exif, r));
    EXPECT_DOUBLE_EQ(r.DpiY, 400);
}

TEST(ImageResolution, TiffBothByteOrdersAndUnits)
{
    TImageResolution r;
    ASSERT_TRUE(ReadImageResolution(Tiff(600, 2, 300, 2), r));
    EXPECT_DOUBLE_EQ(r.DpiX, 300);
    ASSERT_TRUE(ReadImageResolution(Tiff(300, 1, 300, 2, true), r));
    EXPECT_DOUBLE_EQ(r.DpiX, 300);
    ASSERT_TRUE(ReadImageResolution(Tiff(100, 1, 100, 3), r)); // per cm
    EXPECT_DOUBLE_EQ(r.DpiX, 254);
    EXPECT_FALSE(ReadImageResolution(Tiff(300, 1, 300, 1), r)); // no unit
    EXPECT_FALSE(ReadImageResolution(Tiff(300, 0, 300, 2), r)); // zero denominator
}

TEST(ImageResolution, BmpPixelsPerMetre)
{
    std::string s = "BM";
    s += std::string(12, '\0');
    LE32(s, 40);
    s += std::string(20, '\0');
    LE32(s, 7874); // 200 dpi
    LE32(s, 7874);
    TImageResolution r;
    ASSERT_TRUE(ReadImageResolution(s, r));
    EXPECT_NEAR(r.DpiX, 200, 0.01);
    s.replace(38, 4, std::string(4, '\0'));
    EXPECT_FALSE(ReadImageResolution(s, r));
}

TEST(ImageResolution, DamagedOrUnknownFilesDeclareNothing)
{
    TImageResolution r;
    EXPECT_FALSE(ReadImageResolution("", r));
    EXPECT_FALSE(ReadImageResolution("GIF89a", r));
    const std::string png = Png(11811, 11811, 1);
    for (std::size_t n = 0; n < 40; ++n)
        EXPECT_FALSE(ReadImageResolution(png.substr(0, n), r)) << n;
    // Cut anywhere before the X resolution's end (a missing Y takes X's value).
    const std::string tiff = Tiff(300, 1, 300, 2);
    for (std::size_t n = 0; n < 58; ++n)
        EXPECT_FALSE(ReadImageResolution(tiff.substr(0, n), r)) << n;
    // An IFD offset far beyond the end.
    std::string bad = tiff;
    bad[4] = '\xFF', bad[5] = '\xFF', bad[6] = '\xFF', bad[7] = '\x7F';
    EXPECT_FALSE(ReadImageResolution(bad, r));
}

} // namespace
} // namespace rs::test
