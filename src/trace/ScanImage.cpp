#include "trace/ScanImage.h"

#include "common/Utils.h"

#include <opencv2/imgcodecs.hpp>

#include <cstring>
#include <fstream>

namespace rs::trace {
namespace {

// A file larger than this is no scanned chart.
constexpr std::uint64_t kMaxFileBytes = 512ull << 20;

std::uint32_t Be16(const unsigned char* p) { return std::uint32_t(p[0]) << 8 | p[1]; }
std::uint32_t Be32(const unsigned char* p) { return Be16(p) << 16 | Be16(p + 2); }
std::uint32_t Le16(const unsigned char* p) { return std::uint32_t(p[1]) << 8 | p[0]; }
std::uint32_t Le32(const unsigned char* p) { return Le16(p + 2) << 16 | Le16(p); }

bool ReadPng(std::string_view b, TImageHeader& h)
{
    const auto* p = reinterpret_cast<const unsigned char*>(b.data());
    if (b.size() < 24 || std::memcmp(p + 12, "IHDR", 4) != 0)
        return false;
    h.Width = int(std::min<std::uint32_t>(Be32(p + 16), 0x7fffffff));
    h.Height = int(std::min<std::uint32_t>(Be32(p + 20), 0x7fffffff));
    return true;
}

bool ReadJpeg(std::string_view b, TImageHeader& h)
{
    const auto* p = reinterpret_cast<const unsigned char*>(b.data());
    std::size_t i = 2;
    while (i + 4 <= b.size()) {
        if (p[i] != 0xFF)
            return false;
        const unsigned m = p[i + 1];
        if (m == 0xFF) { // fill byte
            ++i;
            continue;
        }
        if (m == 0xD8 || m == 0x01 || (m >= 0xD0 && m <= 0xD7)) {
            i += 2;
            continue;
        }
        const std::size_t len = Be16(p + i + 2);
        if (len < 2)
            return false;
        const bool sof = m >= 0xC0 && m <= 0xCF && m != 0xC4 && m != 0xC8 && m != 0xCC;
        if (sof) {
            if (i + 9 > b.size())
                return false;
            h.Height = int(Be16(p + i + 5));
            h.Width = int(Be16(p + i + 7));
            return true;
        }
        i += 2 + len;
    }
    return false;
}

bool ReadTiff(std::string_view b, int page, TImageHeader& h)
{
    const auto* p = reinterpret_cast<const unsigned char*>(b.data());
    if (b.size() < 8)
        return false;
    const bool le = p[0] == 'I';
    auto u16 = [&](std::size_t o) { return le ? Le16(p + o) : Be16(p + o); };
    auto u32 = [&](std::size_t o) { return le ? Le32(p + o) : Be32(p + o); };
    if (u16(2) != 42) // BigTIFF and anything else
        return false;
    std::uint64_t ifd = u32(4);
    int pages = 0;
    bool found = false;
    // Each page's directory links to the next; a loop or a bad offset ends the walk.
    while (ifd != 0 && pages < 10000) {
        if (ifd + 2 > b.size() || ifd < 8)
            break;
        const std::uint32_t n = u16(std::size_t(ifd));
        if (ifd + 2 + std::uint64_t(n) * 12 + 4 > b.size())
            break;
        if (pages == page) {
            std::int64_t w = -1, hgt = -1;
            for (std::uint32_t k = 0; k < n; ++k) {
                const std::size_t e = std::size_t(ifd + 2 + k * 12);
                const std::uint32_t tag = u16(e), type = u16(e + 2);
                const std::uint32_t v = type == 3 ? u16(e + 8) : u32(e + 8);
                if (tag == 256)
                    w = v;
                else if (tag == 257)
                    hgt = v;
            }
            if (w < 0 || hgt < 0)
                return false;
            h.Width = int(std::min<std::int64_t>(w, 0x7fffffff));
            h.Height = int(std::min<std::int64_t>(hgt, 0x7fffffff));
            found = true;
        }
        ++pages;
        const std::uint64_t next = u32(std::size_t(ifd + 2 + std::uint64_t(n) * 12));
        if (next <= ifd) // directories only move forward here: no loops
            break;
        ifd = next;
    }
    h.Pages = std::max(pages, 1);
    return found || page >= pages;
}

bool ReadBmp(std::string_view b, TImageHeader& h)
{
    const auto* p = reinterpret_cast<const unsigned char*>(b.data());
    if (b.size() < 26)
        return false;
    const std::uint32_t size = Le32(p + 14);
    if (size == 12) {
        h.Width = int(Le16(p + 18));
        h.Height = int(Le16(p + 20));
    } else {
        const auto w = std::int32_t(Le32(p + 18)), hh = std::int32_t(Le32(p + 22));
        h.Width = w == INT32_MIN ? 0x7fffffff : std::abs(w);
        h.Height = hh == INT32_MIN ? 0x7fffffff : std::abs(hh);
    }
    return true;
}

std::string Quote(const std::string& name) { return "\"" + name + "\""; }

TScan Refuse(TScan s, const std::string& name, const std::string& reason)
{
    s.Image.release();
    s.Error = "N\xE3o foi poss\xEDvel ler a imagem " + Quote(name) + ": " + reason + ".";
    return s;
}

// Empty, too small or of one colour: nothing on it to trace.
std::string CheckContents(const cv::Mat& img)
{
    if (img.empty())
        return "a imagem est\xE1 vazia";
    if (img.cols < kMinSide || img.rows < kMinSide)
        return "a imagem \xE9 pequena demais para um pluviograma";
    cv::Scalar mean, dev;
    cv::meanStdDev(img, mean, dev);
    if (dev[0] < 0.5 && dev[1] < 0.5 && dev[2] < 0.5) {
        double lo, hi;
        cv::minMaxLoc(img.reshape(1), &lo, &hi);
        if (hi - lo < 1)
            return "a imagem tem uma s\xF3 cor";
    }
    return {};
}

TScan Decode(std::string_view bytes, const std::string& name, int page, const std::string& path)
{
    TScan s;
    std::string reason;
    if (!ReadImageHeader(bytes, page, s.Header, reason))
        return Refuse(std::move(s), name, reason);
    if (page >= s.Header.Pages)
        return Refuse(std::move(s), name,
                      Format("a imagem tem %d p\xE1gina(s); n\xE3o h\xE1 p\xE1gina %d", s.Header.Pages, page + 1));
    const auto& h = s.Header;
    if (h.Width <= 0 || h.Height <= 0)
        return Refuse(std::move(s), name, "a imagem est\xE1 vazia");
    if (h.Width > kMaxSide || h.Height > kMaxSide)
        return Refuse(std::move(s), name,
                      Format("a imagem \xE9 grande demais (%d \xD7 %d pixels; o limite \xE9 20000 pixels por lado)",
                             h.Width, h.Height));
    if (std::int64_t(h.Width) * h.Height > kMaxPixels)
        return Refuse(std::move(s), name,
                      Format("a imagem descompactada ocuparia mem\xF3ria demais (%d \xD7 %d pixels)", h.Width,
                             h.Height));
    try {
        if (page == 0) {
            cv::Mat raw(1, int(bytes.size()), CV_8UC1, const_cast<char*>(bytes.data()));
            s.Image = cv::imdecode(raw, cv::IMREAD_COLOR);
        } else {
            std::vector<cv::Mat> pages;
            if (cv::imreadmulti(path, pages, page, 1, cv::IMREAD_COLOR) && !pages.empty())
                s.Image = pages.front();
        }
    } catch (const cv::Exception&) {
        s.Image.release();
    }
    if (s.Image.empty())
        return Refuse(std::move(s), name, "o arquivo est\xE1 danificado ou num formato n\xE3o suportado");
    if (s.Image.cols != h.Width || s.Image.rows != h.Height)
        return Refuse(std::move(s), name, "o tamanho decodificado difere do declarado no arquivo");
    const std::string bad = CheckContents(s.Image);
    if (!bad.empty())
        return Refuse(std::move(s), name, bad);
    return s;
}

} // namespace

bool ReadImageHeader(std::string_view b, int page, TImageHeader& h, std::string& reason)
{
    h = {};
    const auto* p = reinterpret_cast<const unsigned char*>(b.data());
    bool ok = false;
    if (b.size() >= 8 && std::memcmp(p, "\x89PNG\r\n\x1A\n", 8) == 0) {
        h.Format = "PNG";
        ok = page == 0 && ReadPng(b, h);
    } else if (b.size() >= 3 && p[0] == 0xFF && p[1] == 0xD8 && p[2] == 0xFF) {
        h.Format = "JPEG";
        ok = page == 0 && ReadJpeg(b, h);
    } else if (b.size() >= 4 && (std::memcmp(p, "II*\0", 4) == 0 || std::memcmp(p, "MM\0*", 4) == 0)) {
        h.Format = "TIFF";
        ok = ReadTiff(b, page, h);
    } else if (b.size() >= 2 && p[0] == 'B' && p[1] == 'M') {
        h.Format = "BMP";
        ok = page == 0 && ReadBmp(b, h);
    } else {
        reason = "o formato n\xE3o \xE9 PNG, JPEG, TIFF nem BMP";
        return false;
    }
    if (!ok && page > 0 && h.Format != "TIFF") {
        h.Pages = 1;
        return true; // the caller reports the missing page
    }
    if (!ok)
        reason = "o cabe\xE7" "alho do arquivo " + h.Format + " est\xE1 danificado";
    return ok;
}

TScan LoadScan(const std::string& path, int page)
{
    TScan s;
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return Refuse(std::move(s), path, "o arquivo n\xE3o existe ou n\xE3o pode ser aberto");
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    if (size < 0)
        return Refuse(std::move(s), path, "o arquivo n\xE3o pode ser lido");
    if (std::uint64_t(size) > kMaxFileBytes)
        return Refuse(std::move(s), path, "o arquivo \xE9 grande demais");
    std::string bytes(std::size_t(size), '\0');
    in.seekg(0);
    if (size > 0 && !in.read(bytes.data(), size))
        return Refuse(std::move(s), path, "o arquivo n\xE3o pode ser lido");
    if (bytes.empty())
        return Refuse(std::move(s), path, "o arquivo est\xE1 vazio");
    return Decode(bytes, path, std::max(page, 0), path);
}

TScan DecodeScan(std::string_view bytes, const std::string& name)
{
    if (bytes.empty())
        return Refuse(TScan{}, name, "o arquivo est\xE1 vazio");
    return Decode(bytes, name, 0, {});
}

} // namespace rs::trace
