#include "document/uStations.h"

#include "common/Utils.h"
#include "common/uNativePaths.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <numeric>

namespace fs = std::filesystem;

namespace rs {

namespace {

// A station list is a few thousand lines; anything far larger is not one.
constexpr std::uintmax_t kMaxFileSize = 32u << 20;


std::string Utf16ToUtf8(std::string_view b, bool bigEndian)
{
    std::string out;
    auto unit = [&](std::size_t i) -> std::uint32_t {
        auto hi = std::uint8_t(b[bigEndian ? i : i + 1]), lo = std::uint8_t(b[bigEndian ? i + 1 : i]);
        return std::uint32_t(hi) << 8 | lo;
    };
    for (std::size_t i = 0; i + 1 < b.size(); i += 2) {
        std::uint32_t u = unit(i);
        if (u >= 0xD800 && u < 0xDC00 && i + 3 < b.size()) {
            std::uint32_t v = unit(i + 2);
            if (v >= 0xDC00 && v < 0xE000) {
                AppendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (v - 0xDC00));
                i += 2;
                continue;
            }
        }
        AppendUtf8(out, (u >= 0xD800 && u < 0xE000) ? '?' : u);
    }
    return out;
}

std::vector<int> SortedOrder(const std::vector<std::string>& items)
{
    std::vector<int> order(items.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        return CompareTextCI(items[std::size_t(a)], items[std::size_t(b)]) < 0;
    });
    return order;
}

int FindEqual(const std::vector<std::string>& list, std::string_view text)
{
    int i;
    return FindSorted(list, text, i) ? i : -1;
}

int MatchPrefix(const std::vector<std::string>& list, std::string_view typed)
{
    const std::string t = Trim(typed);
    if (t.empty())
        return -1;
    int i;
    FindSorted(list, t, i);
    if (i >= int(list.size()))
        return -1;
    const std::string& e = list[std::size_t(i)];
    if (e.size() < t.size() || CompareTextCI(std::string_view(e).substr(0, t.size()), t) != 0)
        return -1;
    return i;
}

} // namespace

std::string TextFileToCp1252(std::string_view b)
{
    if (b.size() >= 2 && std::uint8_t(b[0]) == 0xFF && std::uint8_t(b[1]) == 0xFE)
        return Utf8ToCp1252(Utf16ToUtf8(b.substr(2), false));
    if (b.size() >= 2 && std::uint8_t(b[0]) == 0xFE && std::uint8_t(b[1]) == 0xFF)
        return Utf8ToCp1252(Utf16ToUtf8(b.substr(2), true));
    const bool bom = b.size() >= 3 && b.substr(0, 3) == "\xEF\xBB\xBF";
    if (bom)
        b.remove_prefix(3);
    // Pure ASCII reads the same either way; Windows-1252 text with accents is
    // practically never valid UTF-8.
    const bool highBytes = std::any_of(b.begin(), b.end(), [](char c) { return std::uint8_t(c) >= 0x80; });
    if (highBytes && (bom || IsValidUtf8(b)))
        return Utf8ToCp1252(b);
    return std::string(b);
}

void TStationList::Clear()
{
    FCodes.clear();
    FNames.clear();
    FCodeLine.clear();
    FNameLine.clear();
    FCodePartner.clear();
    FNamePartner.clear();
}

void TStationList::LoadFromText(std::string_view text)
{
    Clear();
    std::vector<std::string> codes, names;
    std::vector<int> lines;
    int line = 0;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = pos;
        while (end < text.size() && text[end] != '\r' && text[end] != '\n')
            ++end;
        std::string_view s = text.substr(pos, end - pos);
        auto eq = s.find('=');
        if (eq != std::string_view::npos) {
            std::string code = Trim(s.substr(0, eq)), name = Trim(s.substr(eq + 1));
            // A bare "=" would only put blank rows at the top of both lists.
            if (!code.empty() || !name.empty()) {
                codes.push_back(std::move(code));
                names.push_back(std::move(name));
                lines.push_back(line);
            }
        }
        pos = end;
        if (pos < text.size() && text[pos] == '\r')
            ++pos;
        if (pos < text.size() && text[pos] == '\n')
            ++pos;
        ++line;
    }
    const std::vector<int> byCode = SortedOrder(codes), byName = SortedOrder(names);
    const std::size_t n = codes.size();
    std::vector<int> codeRank(n), nameRank(n);
    for (std::size_t k = 0; k < n; ++k) {
        codeRank[std::size_t(byCode[k])] = int(k);
        nameRank[std::size_t(byName[k])] = int(k);
    }
    FCodes.resize(n);
    FNames.resize(n);
    FCodeLine.resize(n);
    FNameLine.resize(n);
    FCodePartner.resize(n);
    FNamePartner.resize(n);
    for (std::size_t k = 0; k < n; ++k) {
        const auto c = std::size_t(byCode[k]), m = std::size_t(byName[k]);
        FCodes[k] = std::move(codes[c]);
        FCodeLine[k] = lines[c];
        FCodePartner[k] = nameRank[c];
        FNames[k] = std::move(names[m]);
        FNameLine[k] = lines[m];
        FNamePartner[k] = codeRank[m];
    }
}

bool TStationList::LoadFromFile(const std::string& path)
{
    Clear();
    std::error_code ec;
    const fs::path p = FsPath(path);
    if (!fs::is_regular_file(p, ec))
        return false;
    const std::uintmax_t size = fs::file_size(p, ec);
    if (ec || size > kMaxFileSize)
        return false;
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f)
        return false;
    std::string data(std::size_t(size), '\0');
    data.resize(std::fread(data.data(), 1, data.size(), f));
    const bool failed = std::ferror(f) != 0;
    std::fclose(f);
    if (failed)
        return false;
    LoadFromText(TextFileToCp1252(data));
    return true;
}

int TStationList::NameOfCode(int i) const
{
    return i >= 0 && i < Count() ? FCodePartner[std::size_t(i)] : -1;
}

int TStationList::CodeOfName(int i) const
{
    return i >= 0 && i < Count() ? FNamePartner[std::size_t(i)] : -1;
}

int TStationList::CodeLine(int i) const { return i >= 0 && i < Count() ? FCodeLine[std::size_t(i)] : -1; }
int TStationList::NameLine(int i) const { return i >= 0 && i < Count() ? FNameLine[std::size_t(i)] : -1; }

int TStationList::FindCode(std::string_view code) const { return FindEqual(FCodes, code); }
int TStationList::FindName(std::string_view name) const { return FindEqual(FNames, name); }
int TStationList::MatchCode(std::string_view typed) const { return MatchPrefix(FCodes, typed); }
int TStationList::MatchName(std::string_view typed) const { return MatchPrefix(FNames, typed); }

std::string TStationList::NameForCode(std::string_view code) const
{
    int i = FindCode(Trim(code));
    return i < 0 ? std::string() : FNames[std::size_t(NameOfCode(i))];
}

std::string TStationList::CodeForName(std::string_view name) const
{
    int i = FindName(Trim(name));
    return i < 0 ? std::string() : FCodes[std::size_t(CodeOfName(i))];
}

} // namespace rs
