#include "common/uIniFile.h"

#include "common/uAtomicFile.h"
#include "common/uNativePaths.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

namespace fs = std::filesystem;

namespace rs {

namespace {

unsigned char FoldLatin1(unsigned char c)
{
    if (c >= 'A' && c <= 'Z')
        return static_cast<unsigned char>(c + 32);
    // Latin-1 capitals 0xC0..0xDE (except the multiplication sign 0xD7).
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7)
        return static_cast<unsigned char>(c + 32);
    return c;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view TrimView(std::string_view s)
{
    std::size_t b = 0, e = s.size();
    while (b < e && IsBlank(s[b]))
        ++b;
    while (e > b && IsBlank(s[e - 1]))
        --e;
    return s.substr(b, e - b);
}

bool HasLineBreakOrNul(std::string_view s)
{
    for (char c : s)
        if (c == '\r' || c == '\n' || c == '\0')
            return true;
    return false;
}

std::string Quoted(const std::string& name) { return "\"" + name + "\""; }


} // namespace

bool SameTextLatin1(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (FoldLatin1(static_cast<unsigned char>(a[i])) != FoldLatin1(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

bool TryParseIniInteger(std::string_view text, int& value)
{
    std::string_view s = TrimView(text);
    std::size_t i = 0;
    bool neg = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        neg = s[i] == '-';
        ++i;
    }
    bool hex = false;
    if (i < s.size() && s[i] == '$') {
        hex = true;
        ++i;
    } else if (i + 1 < s.size() && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
        hex = true;
        i += 2;
    }
    if (i >= s.size())
        return false;
    if (hex) {
        std::uint32_t v = 0;
        int digits = 0;
        for (; i < s.size(); ++i) {
            char c = s[i];
            unsigned d;
            if (c >= '0' && c <= '9')
                d = unsigned(c - '0');
            else if (c >= 'a' && c <= 'f')
                d = unsigned(c - 'a' + 10);
            else if (c >= 'A' && c <= 'F')
                d = unsigned(c - 'A' + 10);
            else
                return false;
            if (v != 0 || d != 0)
                ++digits;
            if (digits > 8)
                return false;
            v = (v << 4) | d;
        }
        if (neg)
            v = 0u - v;
        value = static_cast<int>(v);
        return true;
    }
    std::int64_t v = 0;
    for (; i < s.size(); ++i) {
        char c = s[i];
        if (c < '0' || c > '9')
            return false;
        v = v * 10 + (c - '0');
        if (v > 2147483648LL)
            return false;
    }
    if (neg)
        v = -v;
    if (v > 2147483647LL)
        return false;
    value = static_cast<int>(v);
    return true;
}

// --- TIniDocument ----------------------------------------------------------

void TIniDocument::Parse(std::string_view text)
{
    FLines.clear();
    FBom = text.size() >= 3 && text.substr(0, 3) == "\xEF\xBB\xBF";
    if (FBom)
        text.remove_prefix(3);
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t nl = text.find('\n', pos);
        std::string_view raw = text.substr(pos, nl == std::string_view::npos ? std::string_view::npos : nl - pos);
        pos = nl == std::string_view::npos ? text.size() : nl + 1;
        if (!raw.empty() && raw.back() == '\r')
            raw.remove_suffix(1);
        TLine line;
        line.Text = std::string(raw);
        std::string_view t = TrimView(raw);
        if (!t.empty() && t.front() == '[') {
            std::size_t close = t.find(']');
            line.Kind = TLine::Section;
            line.Name = std::string(TrimView(t.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1)));
        } else if (std::size_t eq = t.find('='); eq != std::string_view::npos && eq > 0 && t.front() != ';') {
            std::string_view key = TrimView(t.substr(0, eq));
            if (!key.empty()) {
                line.Kind = TLine::Entry;
                line.Name = std::string(key);
                line.Value = std::string(TrimView(t.substr(eq + 1)));
            }
        }
        FLines.push_back(std::move(line));
    }
}

std::string TIniDocument::Text() const
{
    std::string out;
    if (FBom)
        out = "\xEF\xBB\xBF";
    for (const auto& l : FLines) {
        out += l.Text;
        out += "\r\n";
    }
    return out;
}

int TIniDocument::SectionIndex(std::string_view section) const
{
    std::string_view name = TrimView(section);
    for (std::size_t i = 0; i < FLines.size(); ++i)
        if (FLines[i].Kind == TLine::Section && SameTextLatin1(FLines[i].Name, name))
            return int(i);
    return -1;
}

int TIniDocument::SectionEnd(int header) const
{
    int i = header + 1;
    while (i < int(FLines.size()) && FLines[i].Kind != TLine::Section)
        ++i;
    return i;
}

int TIniDocument::EntryIndex(int header, std::string_view key) const
{
    std::string_view name = TrimView(key);
    int end = SectionEnd(header);
    for (int i = header + 1; i < end; ++i)
        if (FLines[i].Kind == TLine::Entry && SameTextLatin1(FLines[i].Name, name))
            return i;
    return -1;
}

bool TIniDocument::SectionExists(std::string_view section) const { return SectionIndex(section) >= 0; }

bool TIniDocument::ValueExists(std::string_view section, std::string_view key) const
{
    int h = SectionIndex(section);
    return h >= 0 && EntryIndex(h, key) >= 0;
}

bool TIniDocument::Find(std::string_view section, std::string_view key, std::string& value) const
{
    int h = SectionIndex(section);
    if (h < 0)
        return false;
    int e = EntryIndex(h, key);
    if (e < 0)
        return false;
    value = FLines[e].Value;
    return true;
}

std::vector<std::string> TIniDocument::Keys(std::string_view section) const
{
    std::vector<std::string> keys;
    int h = SectionIndex(section);
    if (h < 0)
        return keys;
    for (int i = h + 1, end = SectionEnd(h); i < end; ++i)
        if (FLines[i].Kind == TLine::Entry)
            keys.push_back(FLines[i].Name);
    return keys;
}

std::vector<std::string> TIniDocument::Values(std::string_view section) const
{
    std::vector<std::string> values;
    int h = SectionIndex(section);
    if (h < 0)
        return values;
    for (int i = h + 1, end = SectionEnd(h); i < end; ++i)
        if (FLines[i].Kind == TLine::Entry)
            values.push_back(FLines[i].Value);
    return values;
}

bool TIniDocument::ValidSectionName(std::string_view section)
{
    std::string_view t = TrimView(section);
    return !t.empty() && t.find(']') == std::string_view::npos && !HasLineBreakOrNul(section);
}

bool TIniDocument::ValidKeyName(std::string_view key)
{
    std::string_view t = TrimView(key);
    return !t.empty() && t.front() != '[' && t.front() != ';' && t.find('=') == std::string_view::npos &&
           !HasLineBreakOrNul(key);
}

bool TIniDocument::ValidValue(std::string_view value) { return !HasLineBreakOrNul(value); }

bool TIniDocument::Set(std::string_view section, std::string_view key, std::string_view value)
{
    if (!ValidSectionName(section) || !ValidKeyName(key) || !ValidValue(value))
        return false;
    TLine entry;
    entry.Kind = TLine::Entry;
    entry.Value = std::string(TrimView(value));
    int h = SectionIndex(section);
    if (h < 0) {
        TLine header;
        header.Kind = TLine::Section;
        header.Name = std::string(TrimView(section));
        header.Text = "[" + header.Name + "]";
        FLines.push_back(std::move(header));
        entry.Name = std::string(TrimView(key));
        entry.Text = entry.Name + "=" + std::string(value);
        FLines.push_back(std::move(entry));
        return true;
    }
    int e = EntryIndex(h, key);
    if (e >= 0) {
        // Keep the key as the file spells it.
        entry.Name = FLines[e].Name;
        entry.Text = entry.Name + "=" + std::string(value);
        FLines[e] = std::move(entry);
        return true;
    }
    int at = h + 1;
    for (int i = h + 1, end = SectionEnd(h); i < end; ++i)
        if (FLines[i].Kind == TLine::Entry)
            at = i + 1;
    entry.Name = std::string(TrimView(key));
    entry.Text = entry.Name + "=" + std::string(value);
    FLines.insert(FLines.begin() + at, std::move(entry));
    return true;
}

bool TIniDocument::DeleteKey(std::string_view section, std::string_view key)
{
    int h = SectionIndex(section);
    if (h < 0)
        return false;
    int e = EntryIndex(h, key);
    if (e < 0)
        return false;
    FLines.erase(FLines.begin() + e);
    return true;
}

void TIniDocument::EraseSection(std::string_view section)
{
    for (int h = SectionIndex(section); h >= 0; h = SectionIndex(section))
        FLines.erase(FLines.begin() + h, FLines.begin() + SectionEnd(h));
}

// --- TIniFile --------------------------------------------------------------

TIniFile::TIniFile(std::string fileName) : FFileName(std::move(fileName)) {}


TIniFile::TLoad TIniFile::Load(TIniDocument& doc) const
{
    doc = TIniDocument();
    if (FFileName.empty())
        return TLoad::Missing;
    std::error_code ec;
    fs::path path = FsPath(FFileName);
    fs::file_status st = fs::status(path, ec);
    if (st.type() == fs::file_type::not_found)
        return TLoad::Missing;
    if (ec || !fs::is_regular_file(st))
        return TLoad::Failed;
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return TLoad::Failed;
    std::ostringstream buf;
    buf << in.rdbuf();
    if (in.bad())
        return TLoad::Failed;
    doc.Parse(buf.str());
    return TLoad::Ok;
}

std::string TIniFile::ReadString(std::string_view section, std::string_view key, std::string_view def) const
{
    TIniDocument doc;
    std::string value;
    if (Load(doc) == TLoad::Ok && doc.Find(section, key, value))
        return value;
    return std::string(def);
}

int TIniFile::ReadInteger(std::string_view section, std::string_view key, int def) const
{
    int v = 0;
    return TryParseIniInteger(ReadString(section, key, ""), v) ? v : def;
}

bool TIniFile::ReadBool(std::string_view section, std::string_view key, bool def) const
{
    return ReadInteger(section, key, def ? 1 : 0) != 0;
}

std::vector<std::string> TIniFile::ReadSection(std::string_view section) const
{
    TIniDocument doc;
    Load(doc);
    return doc.Keys(section);
}

std::vector<std::string> TIniFile::ReadSectionValues(std::string_view section) const
{
    TIniDocument doc;
    Load(doc);
    return doc.Values(section);
}

bool TIniFile::SectionExists(std::string_view section) const
{
    TIniDocument doc;
    Load(doc);
    return doc.SectionExists(section);
}

bool TIniFile::ValueExists(std::string_view section, std::string_view key) const
{
    TIniDocument doc;
    Load(doc);
    return doc.ValueExists(section, key);
}

bool TIniFile::ReadAll(TIniDocument& doc) const { return Load(doc) == TLoad::Ok; }

bool TIniFile::Update(const std::function<bool(TIniDocument&)>& editor)
{
    FLastError.clear();
    if (FFileName.empty()) {
        FLastError = "O nome do arquivo de configurações está vazio.";
        return false;
    }
    TIniDocument doc;
    if (Load(doc) == TLoad::Failed) {
        // Writing now would replace contents that could not be read.
        FLastError = "Não foi possível ler o arquivo de configurações " + Quoted(FFileName) +
                     "; ele não foi alterado.";
        return false;
    }
    const std::string before = doc.Text();
    if (!editor(doc)) {
        FLastError = "Nome ou valor inválido para o arquivo de configurações " + Quoted(FFileName) + ".";
        return false;
    }
    // Nothing changed: leave the file (or its absence) alone.
    if (doc.Text() == before)
        return true;
    return Store(doc);
}

bool TIniFile::WriteString(std::string_view section, std::string_view key, std::string_view value)
{
    return Update([&](TIniDocument& doc) { return doc.Set(section, key, value); });
}

bool TIniFile::WriteInteger(std::string_view section, std::string_view key, int value)
{
    return WriteString(section, key, std::to_string(value));
}

bool TIniFile::WriteBool(std::string_view section, std::string_view key, bool value)
{
    return WriteString(section, key, value ? "1" : "0");
}

bool TIniFile::DeleteKey(std::string_view section, std::string_view key)
{
    return Update([&](TIniDocument& doc) {
        doc.DeleteKey(section, key);
        return true;
    });
}

bool TIniFile::EraseSection(std::string_view section)
{
    return Update([&](TIniDocument& doc) {
        doc.EraseSection(section);
        return true;
    });
}

bool TIniFile::WriteList(std::string_view section, const std::vector<std::string>& items)
{
    return Update([&](TIniDocument& doc) {
        if (!TIniDocument::ValidSectionName(section))
            return false;
        for (const auto& item : items)
            if (!TIniDocument::ValidValue(item))
                return false;
        doc.EraseSection(section);
        for (std::size_t i = 0; i < items.size(); ++i)
            doc.Set(section, std::to_string(i + 1), items[i]);
        return true;
    });
}

bool TIniFile::Store(const TIniDocument& doc)
{
    TWriteError e;
    if (WriteFileAtomically(FFileName, doc.Text(), &e))
        return true;
    FLastError = "Não foi possível gravar o arquivo de configurações " + Quoted(FFileName) + ": " + e.Reason + ".";
    return false;
}

} // namespace rs
