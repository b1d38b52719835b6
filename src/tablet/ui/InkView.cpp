#include "tablet/ui/InkView.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

namespace rs {

namespace {

// Percentiles of the ink value: the paper (most of the picture) and the strongest ink.
constexpr double kPaperShare = 0.5;
constexpr double kInkShare = 0.997;
// Colour of full-strength ink in the view: a dark blue on white.
constexpr int kInkR = 10, kInkG = 20, kInkB = 120;

inline int InkValue(QRgb c)
{
    const int r = qRed(c), g = qGreen(c), b = qBlue(c);
    const int bright = std::max(r, g);
    // Bluer than its brighter channel counts for ink, less blue (a green, red or orange grid) against it.
    return std::clamp(255 - bright + (b - bright) / 2, 0, 255);
}

int Percentile(const std::array<std::int64_t, 256>& hist, std::int64_t total, double share)
{
    const auto want = std::int64_t(std::ceil(total * share));
    std::int64_t seen = 0;
    for (int v = 0; v < 256; ++v) {
        seen += hist[std::size_t(v)];
        if (seen >= want)
            return v;
    }
    return 255;
}

} // namespace

QImage MakeInkView(const QImage& scan, double contrast)
{
    if (scan.isNull())
        return {};
    const QImage src = scan.convertToFormat(QImage::Format_RGB32);
    const int w = src.width(), h = src.height();
    std::vector<std::uint8_t> ink(std::size_t(w) * std::size_t(h));
    std::array<std::int64_t, 256> hist{};
    for (int y = 0; y < h; ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(src.constScanLine(y));
        std::uint8_t* out = ink.data() + std::size_t(y) * std::size_t(w);
        for (int x = 0; x < w; ++x) {
            out[x] = std::uint8_t(InkValue(line[x]));
            ++hist[out[x]];
        }
    }
    const std::int64_t total = std::int64_t(w) * h;
    const int paper = Percentile(hist, total, kPaperShare);
    const int strong = std::max(paper + 8, Percentile(hist, total, kInkShare));
    const double gain = std::clamp(contrast, 0.25, 8.0) / double(strong - paper);
    // One table for the 256 ink values.
    std::array<QRgb, 256> colour{};
    for (int v = 0; v < 256; ++v) {
        const double k = std::clamp((v - paper) * gain, 0.0, 1.0);
        auto mix = [k](int ink) { return int(std::lround(255 + (ink - 255) * k)); };
        colour[std::size_t(v)] = qRgb(mix(kInkR), mix(kInkG), mix(kInkB));
    }
    QImage view(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y) {
        auto* line = reinterpret_cast<QRgb*>(view.scanLine(y));
        const std::uint8_t* in = ink.data() + std::size_t(y) * std::size_t(w);
        for (int x = 0; x < w; ++x)
            line[x] = colour[in[x]];
    }
    view.setDotsPerMeterX(scan.dotsPerMeterX());
    view.setDotsPerMeterY(scan.dotsPerMeterY());
    return view;
}

} // namespace rs
