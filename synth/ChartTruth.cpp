// Writing a synthetic chart: the image with its resolution in the file, and the truth as JSON.

#include "ChartSynth.h"

#include "SynthRender.h"

#include <nlohmann/json.hpp>
#include <opencv2/imgcodecs.hpp>
#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>

namespace synth {
namespace {

void PutBe32(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v)
{
    b[at] = std::uint8_t(v >> 24);
    b[at + 1] = std::uint8_t(v >> 16);
    b[at + 2] = std::uint8_t(v >> 8);
    b[at + 3] = std::uint8_t(v);
}

// OpenCV writes no resolution into a PNG: a pHYs chunk goes right after IHDR.
bool AddPngResolution(std::vector<std::uint8_t>& png, double dpi)
{
    constexpr std::size_t kAfterIhdr = 8 + 25;
    if (png.size() < kAfterIhdr || std::string(png.begin() + 12, png.begin() + 16) != "IHDR")
        return false;
    std::vector<std::uint8_t> chunk(4 + 4 + 9 + 4);
    PutBe32(chunk, 0, 9);
    std::copy_n("pHYs", 4, chunk.begin() + 4);
    const auto ppm = std::uint32_t(std::lround(dpi / 0.0254));
    PutBe32(chunk, 8, ppm);
    PutBe32(chunk, 12, ppm);
    chunk[16] = 1; // metre
    PutBe32(chunk, 17, std::uint32_t(crc32(crc32(0, nullptr, 0), chunk.data() + 4, 13)));
    png.insert(png.begin() + kAfterIhdr, chunk.begin(), chunk.end());
    return true;
}

// The JFIF header OpenCV writes says "aspect ratio 1:1": make it dots per inch.
bool AddJpegResolution(std::vector<std::uint8_t>& jpg, double dpi)
{
    if (jpg.size() < 20 || jpg[2] != 0xFF || jpg[3] != 0xE0 || std::string(jpg.begin() + 6, jpg.begin() + 11) != std::string("JFIF\0", 5))
        return false;
    const auto d = std::uint16_t(std::lround(dpi));
    jpg[13] = 1;
    jpg[14] = std::uint8_t(d >> 8);
    jpg[15] = std::uint8_t(d);
    jpg[16] = std::uint8_t(d >> 8);
    jpg[17] = std::uint8_t(d);
    return true;
}

std::string Lower(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char ch) { return char(std::tolower(ch)); });
    return s;
}

bool WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes, std::string& error)
{
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    f.close();
    if (!f) {
        error = "cannot write " + path;
        return false;
    }
    return true;
}

std::string ControlArg(const TControlPoint& c)
{
    char buf[96];
    std::snprintf(buf, sizeof buf, "%.3f,%.3f,%g,%g", c.X, c.Y, c.T, c.P);
    return buf;
}

} // namespace

bool WriteImage(const TSynthChart& chart, const std::string& path, std::string& error, bool backPage)
{
    const std::size_t dot = path.find_last_of('.');
    const std::string ext = dot == std::string::npos ? "" : Lower(path.substr(dot));
    const double dpi = chart.Options.Dpi;
    try {
        std::vector<std::uint8_t> bytes;
        if (ext == ".png") {
            std::vector<int> params;
            if (chart.Options.Mode == TScanMode::BlackWhite)
                params = {cv::IMWRITE_PNG_BILEVEL, 1};
            if (!cv::imencode(".png", chart.Image, bytes, params) || !AddPngResolution(bytes, dpi)) {
                error = "PNG encoding failed";
                return false;
            }
            return WriteBytes(path, bytes, error);
        }
        if (ext == ".jpg" || ext == ".jpeg") {
            const int q = chart.Options.JpegQuality > 0 ? chart.Options.JpegQuality : 92;
            if (!cv::imencode(".jpg", chart.Image, bytes, {cv::IMWRITE_JPEG_QUALITY, q}) ||
                !AddJpegResolution(bytes, dpi)) {
                error = "JPEG encoding failed";
                return false;
            }
            return WriteBytes(path, bytes, error);
        }
        if (ext == ".tif" || ext == ".tiff") {
            const int d = int(std::lround(dpi));
            const std::vector<int> params{cv::IMWRITE_TIFF_RESUNIT, 2, cv::IMWRITE_TIFF_XDPI, d,
                                          cv::IMWRITE_TIFF_YDPI, d};
            const bool ok = backPage ? cv::imwritemulti(path, std::vector<cv::Mat>{chart.Image, RenderBack(chart)}, params)
                                     : cv::imwrite(path, chart.Image, params);
            if (!ok)
                error = "cannot write " + path;
            return ok;
        }
    } catch (const cv::Exception& e) {
        error = e.what();
        return false;
    }
    error = "unknown image format \"" + ext + "\" (png, jpg, tif)";
    return false;
}

std::string TruthJson(const TSynthChart& c, const std::string& imageFile)
{
    using nlohmann::json;
    const TSynthOptions& o = c.Options;
    json controls = json::array(), args = json::array(), pen = json::array(), grid = json::array();
    for (const TControlPoint& p : c.Controls) {
        controls.push_back({{"x", p.X}, {"y", p.Y}, {"t", p.T}, {"p", p.P}});
        args.push_back(ControlArg(p));
    }
    for (const TPenPoint& p : c.Pen)
        pen.push_back({p.T, p.P, p.Mark});
    for (int i = 0; i <= 25; ++i)
        for (int p = 0; p <= 10; ++p) {
            const cv::Point2d q = c.ImagePos(o.Hour + i, p);
            grid.push_back({{"t", o.Hour + i}, {"p", p}, {"x", q.x}, {"y", q.y}});
        }
    const auto spans = [](const std::vector<std::pair<double, double>>& v) {
        json a = json::array();
        for (const auto& s : v)
            a.push_back({s.first, s.second});
        return a;
    };
    const cv::Matx23d& m = c.PaperToImage;
    json truth = {
        {"image", {{"file", imageFile}, {"width", c.Image.cols}, {"height", c.Image.rows},
                   {"channels", c.Image.channels()}, {"dpi", o.Dpi}}},
        {"pixel_origin", "pixel (i, j) covers [i, i+1) x [j, j+1); y grows downwards"},
        {"seed", o.Seed},
        {"hour", o.Hour},
        {"curved", o.Curved},
        {"options",
         {{"grid", Name(o.Grid)}, {"ink", Name(o.Ink)}, {"mode", Name(o.Mode)}, {"grid_strength", o.GridStrength},
          {"pen_width_mm", o.PenWidthMm}, {"ink_strength", o.InkStrength}, {"ink_pressure", o.InkPressure},
          {"rain_events", o.RainEvents}, {"rain_total", o.RainTotal}, {"dry_on_grid_line", o.DryOnGridLine},
          {"failure", o.Failure}, {"short_gaps", o.ShortGaps}, {"handwriting", o.Handwriting},
          {"stamp", o.Stamp}, {"time_marks", o.TimeMarks}, {"punch_holes", o.PunchHoles},
          {"rotation_deg", o.RotationDeg}, {"shrink_x", o.ShrinkX}, {"shrink_y", o.ShrinkY},
          {"blur_px", o.BlurPx}, {"noise", o.Noise}, {"jpeg_quality", o.JpegQuality}}},
        // paper x = left + (t - hour + arc) * hour_mm, y = top + (10 - p) * reading_mm,
        // arc = curved ? (p - 5)^2 / 72 : 0; image = paper_to_image * (x, y, 1).
        {"paper", {{"left", TPaperLayout::kLeft}, {"top", TPaperLayout::kTop}, {"hour_mm", TPaperLayout::kHourMm},
                   {"reading_mm", TPaperLayout::kReadingMm}, {"hours", TPaperLayout::kHours},
                   {"width", TPaperLayout::kWidth}, {"height", TPaperLayout::kHeight}}},
        {"paper_to_image", {{m(0, 0), m(0, 1), m(0, 2)}, {m(1, 0), m(1, 1), m(1, 2)}}},
        {"controls", controls},
        {"control_args", args},
        {"pen", pen},
        {"ink_breaks", spans(c.InkBreaks)},
        {"missing", spans(c.Missing)},
        {"siphons", c.Siphons},
        {"failures", c.Failures},
        {"sum", c.Sum},
        {"intersections", grid},
    };
    return truth.dump(1);
}

} // namespace synth
