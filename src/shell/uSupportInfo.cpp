#include "shell/uSupportInfo.h"

#include "common/Utils.h"
#include "common/uAppFiles.h"
#include "common/uNativePaths.h"
#include "document/uStations.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>

namespace rs {

namespace {
// A contact is a few short lines; anything larger is not a support file.
constexpr std::uintmax_t kMaxFileSize = 16 * 1024;
constexpr std::size_t kMaxBlockLines = 8;
constexpr std::size_t kMaxLineLength = 100;
} // namespace

bool IsMailAddress(const std::string& s)
{
    if (s.size() < 5 || s.size() > kMaxLineLength)
        return false;
    const std::size_t at = s.find('@');
    if (at == std::string::npos || at == 0 || s.find('@', at + 1) != std::string::npos)
        return false;
    for (unsigned char c : s)
        if (c <= ' ' || c >= 0x7F || c == '"' || c == '<' || c == '>' || c == ',' || c == ';' || c == '?' ||
            c == '&')
            return false;
    const std::string domain = s.substr(at + 1);
    const std::size_t dot = domain.rfind('.');
    return dot != std::string::npos && dot > 0 && dot + 1 < domain.size() && domain.front() != '.';
}

TSupportInfo ParseSupportInfo(const std::string& bytes)
{
    TSupportInfo info;
    const std::string text = TextFileToCp1252(bytes);
    if (text.find('\0') != std::string::npos)
        return info; // binary, not text
    std::vector<std::string> lines;
    Split(text, '\n', lines);
    bool first = true;
    for (std::string line : lines) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        const std::string t = Trim(line);
        if (t.empty() ? first : t[0] == ';')
            continue;
        for (char& c : line)
            if (static_cast<unsigned char>(c) < ' ')
                c = ' ';
        if (first) {
            first = false;
            if (IsMailAddress(t)) {
                info.Address = t;
                continue;
            }
        }
        if (info.Block.size() < kMaxBlockLines)
            info.Block.push_back(line.substr(0, kMaxLineLength));
    }
    while (!info.Block.empty() && Trim(info.Block.back()).empty())
        info.Block.pop_back();
    return info;
}

TSupportInfo ReadSupportInfo(const std::string& fileName)
{
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path p = FsPath(fileName);
    if (!fs::is_regular_file(p, ec))
        return {};
    const std::uintmax_t size = fs::file_size(p, ec);
    if (ec || size > kMaxFileSize)
        return {};
    std::FILE* f = std::fopen(fileName.c_str(), "rb");
    if (!f)
        return {};
    std::string data(std::size_t(size), '\0');
    data.resize(std::fread(data.data(), 1, data.size(), f));
    const bool failed = std::ferror(f) != 0;
    std::fclose(f);
    return failed ? TSupportInfo{} : ParseSupportInfo(data);
}

std::string SupportFileName() { return ReadableAppFile(kSupportFile); }

} // namespace rs
