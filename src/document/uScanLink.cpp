#include "document/uScanLink.h"

#include "common/Utils.h"
#include "common/uAtomicFile.h"
#include "common/uNativePaths.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace rs {

namespace {

using nlohmann::json;
namespace fs = std::filesystem;

constexpr int kVersion = 1;
// A link is a few kilobytes; anything far larger is not one.
constexpr std::uintmax_t kMaxLinkBytes = 1 << 20;
// A scan this many folders up from the chart is kept by its full path.
constexpr int kMaxUpLevels = 2;

bool ReadBytes(const std::string& path, std::string& bytes, std::uintmax_t limit)
{
    std::error_code ec;
    const std::uintmax_t size = fs::file_size(FsPath(path), ec);
    if (ec || size > limit)
        return false;
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

// Native path bytes as JSON text: UTF-8 as it is, anything else read as Windows-1252.
json PathToJson(const std::string& path, bool& cp1252)
{
    cp1252 = !IsValidUtf8(path);
    return cp1252 ? Cp1252ToUtf8(path) : path;
}

std::string StoredPath(const std::string& scan, const std::string& chartFolder)
{
    std::string folder = chartFolder;
    while (folder.size() > 1 && (folder.back() == '/' || folder.back() == '\\'))
        folder.pop_back();
    if (folder.empty())
        return scan;
    const fs::path s = FsPath(scan).lexically_normal();
    const fs::path f = FsPath(folder).lexically_normal();
    if (!s.is_absolute() || !f.is_absolute() || s.root_name() != f.root_name())
        return scan;
    const fs::path rel = s.lexically_relative(f);
    if (rel.empty())
        return scan;
    int up = 0;
    for (const fs::path& part : rel)
        if (part == "..")
            ++up;
    if (up > kMaxUpLevels)
        return scan;
    std::string stored = NativeString(rel);
    std::replace(stored.begin(), stored.end(), '\\', '/'); // stored the same on every system
    return stored;
}

std::string FullPath(const std::string& stored, const std::string& chartFolder)
{
    const fs::path p = FsPath(stored);
    if (p.is_absolute() || chartFolder.empty())
        return stored;
    return NativeString((FsPath(chartFolder) / p).lexically_normal());
}

// The chart's folder as a full path: a chart named relative to the working folder
// still gets its scan relative to itself.
std::string ChartFolder(const std::string& chartFile)
{
    std::error_code ec;
    const fs::path full = fs::absolute(FsPath(chartFile), ec);
    return ec ? ExtractFilePath(chartFile) : NativeString(full.parent_path());
}

double Rounded(double v, double unit) { return std::round(v / unit) * unit; }

} // namespace

void TScanLink::ClearTrace()
{
    Traced = false;
    Confidence = 0;
    Unsure.clear();
    Reviewed = false;
}

std::uint64_t Fnv1a64(std::string_view bytes)
{
    std::uint64_t h = 0xcbf29ce484222325ull;
    for (const char c : bytes) {
        h ^= std::uint8_t(c);
        h *= 0x100000001b3ull;
    }
    return h;
}

std::string ScanLinkFileName(const std::string& chartFile)
{
    const std::string folder = ExtractFilePath(chartFile);
    std::string name = ExtractFileName(chartFile);
    if (const std::size_t dot = name.rfind('.'); dot != std::string::npos && dot > 0)
        name.resize(dot);
    return folder + name + ".scan.json";
}

std::string ScanLinkToJson(const TScanLink& link, const std::string& chartFolder)
{
    bool cp1252 = false;
    json j;
    j["version"] = kVersion;
    j["scan"] = PathToJson(StoredPath(link.Scan, chartFolder), cp1252);
    if (cp1252)
        j["scan_cp1252"] = true;
    j["page"] = link.Page + 1;
    if (link.Traced) {
        json t;
        t["confidence"] = Rounded(link.Confidence, 0.001);
        t["reviewed"] = link.Reviewed;
        t["unsure"] = json::array();
        for (const TScanUnsure& u : link.Unsure)
            t["unsure"].push_back(
                {{"start", Rounded(u.Start, 1e-4)}, {"end", Rounded(u.End, 1e-4)}, {"reason", Cp1252ToUtf8(u.Reason)}});
        j["trace"] = t;
    }
    // The hash as text: JSON readers of other languages lose 64-bit integers.
    j["chart"] = {{"size", link.ChartSize}, {"fnv1a64", Format("%016llx", (unsigned long long)link.ChartHash)}};
    return j.dump(2) + "\n";
}

bool ScanLinkFromJson(std::string_view text, const std::string& chartFolder, TScanLink& link)
{
    try {
        const json j = json::parse(text);
        if (!j.is_object() || !j.contains("scan") || !j["scan"].is_string())
            return false;
        TScanLink r;
        std::string scan = j["scan"].get<std::string>();
        if (scan.empty())
            return false;
        if (j.value("scan_cp1252", false))
            scan = Utf8ToCp1252(scan);
        r.Scan = FullPath(scan, chartFolder);
        const int page = j.value("page", 1);
        if (page < 1 || page > 10000)
            return false;
        r.Page = page - 1;
        if (j.contains("trace")) {
            const json& t = j["trace"];
            if (!t.is_object())
                return false;
            r.Traced = true;
            r.Confidence = t.value("confidence", 0.0);
            if (!std::isfinite(r.Confidence) || r.Confidence < 0 || r.Confidence > 1)
                return false;
            r.Reviewed = t.value("reviewed", false);
            if (t.contains("unsure")) {
                for (const json& u : t["unsure"]) {
                    TScanUnsure s;
                    s.Start = u.at("start").get<double>();
                    s.End = u.at("end").get<double>();
                    s.Reason = Utf8ToCp1252(u.value("reason", std::string()));
                    if (!std::isfinite(s.Start) || !std::isfinite(s.End) || s.End < s.Start)
                        return false;
                    r.Unsure.push_back(std::move(s));
                }
            }
        }
        if (j.contains("chart")) {
            const json& c = j["chart"];
            if (!c.is_object() || (c.contains("size") && !c["size"].is_number_unsigned()))
                return false;
            r.ChartSize = c.value("size", std::uint64_t(0));
            const std::string hash = c.value("fnv1a64", std::string());
            if (hash.size() != 16 || hash.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
                return false;
            r.ChartHash = std::stoull(hash, nullptr, 16);
        }
        link = std::move(r);
        return true;
    } catch (const std::exception&) {
        // json's parse, type and range errors: a damaged link is no link.
        return false;
    }
}

bool ReadScanLink(const std::string& chartFile, TScanLink& link)
{
    std::string text;
    if (!ReadBytes(ScanLinkFileName(chartFile), text, kMaxLinkBytes))
        return false;
    return ScanLinkFromJson(text, ChartFolder(chartFile), link);
}

bool WriteScanLink(const std::string& chartFile, TScanLink& link, std::string* error)
{
    std::string bytes;
    if (!ReadBytes(chartFile, bytes, std::uintmax_t(1) << 31)) {
        if (error)
            *error = "N\xC3\xA3o foi poss\xC3\xADvel ler o arquivo " + chartFile + ".";
        return false;
    }
    link.ChartSize = bytes.size();
    link.ChartHash = Fnv1a64(bytes);
    TWriteError e;
    if (!WriteFileAtomically(ScanLinkFileName(chartFile), ScanLinkToJson(link, ChartFolder(chartFile)), &e)) {
        if (error)
            *error = e.Message;
        return false;
    }
    return true;
}

bool ScanLinkMatchesChart(const std::string& chartFile, const TScanLink& link)
{
    std::string bytes;
    return ReadBytes(chartFile, bytes, std::uintmax_t(1) << 31) && bytes.size() == link.ChartSize &&
           Fnv1a64(bytes) == link.ChartHash;
}

} // namespace rs
