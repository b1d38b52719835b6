#include "common/Utils.h"

#include "common/uNativePaths.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cerrno>
#include <clocale>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace rs {

bool IsPathDelim(char c)
{
#ifdef _WIN32
    return c == '\\' || c == '/' || c == ':';
#else
    return c == '/' || c == '\\';
#endif
}

// --- numbers -------------------------------------------------------------

namespace {
char gDecimalSeparator = 0;
}

char DecimalSeparator()
{
    if (!gDecimalSeparator) {
        const lconv* lc = std::localeconv();
        gDecimalSeparator = (lc && lc->decimal_point && lc->decimal_point[0]) ? lc->decimal_point[0] : '.';
    }
    return gDecimalSeparator;
}

void SetDecimalSeparator(char c) { gDecimalSeparator = c; }

bool TryStrToInt(std::string_view text, int& value)
{
    std::string s = Trim(text);
    if (s.empty() || s.size() > 32)
        return false;
    std::size_t i = 0;
    bool neg = false;
    if (s[0] == '+' || s[0] == '-') {
        neg = s[0] == '-';
        i = 1;
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
    long long v = 0;
    for (; i < s.size(); ++i) {
        int d;
        char c = s[i];
        if (c >= '0' && c <= '9')
            d = c - '0';
        else if (hex && c >= 'a' && c <= 'f')
            d = c - 'a' + 10;
        else if (hex && c >= 'A' && c <= 'F')
            d = c - 'A' + 10;
        else
            return false;
        v = v * (hex ? 16 : 10) + d;
        if (v > 0x1FFFFFFFFLL)
            return false;
    }
    if (hex) {
        // Hexadecimal literals are 32-bit patterns.
        if (v > 0xFFFFFFFFLL)
            return false;
        std::int32_t bits = std::int32_t(std::uint32_t(v));
        value = neg ? -bits : bits;
        return true;
    }
    if (neg)
        v = -v;
    if (v < INT32_MIN || v > INT32_MAX)
        return false;
    value = int(v);
    return true;
}

bool IsInteger(std::string_view text)
{
    int v;
    return TryStrToInt(text, v);
}

bool TryStrToFloat(std::string_view text, double& value)
{
    std::string s = Trim(text);
    if (s.empty() || s.size() > 400)
        return false;
    char sep = DecimalSeparator();
    if (sep != '.') {
        auto pos = s.find(sep);
        if (pos != std::string::npos)
            s[pos] = '.';
    }
    // Only digits, sign, point and exponent: strtod would also take "inf", "nan" and hex.
    for (char c : s)
        if (!(std::isdigit(static_cast<unsigned char>(c)) || c == '+' || c == '-' || c == '.' || c == 'e' ||
              c == 'E'))
            return false;
    // strtod follows LC_NUMERIC; parse in a locale-free way by trying both spellings.
    const char* begin = s.c_str();
    char* end = nullptr;
    errno = 0;
    double v = std::strtod(begin, &end);
    if (end != begin + s.size()) {
        // The C library's locale may use ',' as decimal point.
        const lconv* lc = std::localeconv();
        if (lc && lc->decimal_point && lc->decimal_point[0] != '.') {
            std::string t = s;
            std::replace(t.begin(), t.end(), '.', lc->decimal_point[0]);
            end = nullptr;
            v = std::strtod(t.c_str(), &end);
            if (end != t.c_str() + t.size())
                return false;
        } else
            return false;
    }
    if (!std::isfinite(v))
        return false;
    value = v;
    return true;
}

bool IsFloat(std::string_view text)
{
    double v;
    return TryStrToFloat(text, v);
}

std::string FormatNum(const char* fmt, double value)
{
    std::string s = Format(fmt, value);
    // The C library may already use the locale's separator; normalise to ours.
    const lconv* lc = std::localeconv();
    char libSep = (lc && lc->decimal_point && lc->decimal_point[0]) ? lc->decimal_point[0] : '.';
    char sep = DecimalSeparator();
    if (libSep != sep)
        for (char& c : s)
            if (c == libSep)
                c = sep;
    return s;
}

std::string Format(const char* fmt, ...)
{
    char buf[512];
    va_list ap;
    va_start(ap, fmt);
    int n = std::vsnprintf(buf, sizeof buf, fmt, ap);
    va_end(ap);
    if (n < 0)
        return {};
    if (std::size_t(n) < sizeof buf)
        return std::string(buf, std::size_t(n));
    std::string out(std::size_t(n) + 1, '\0');
    va_start(ap, fmt);
    std::vsnprintf(out.data(), out.size(), fmt, ap);
    va_end(ap);
    out.resize(std::size_t(n));
    return out;
}

// --- dates ---------------------------------------------------------------

namespace {
// Days from 1970-01-01 for a proleptic Gregorian date (H. Hinnant's algorithm).
long long DaysFromCivil(long long y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = unsigned(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + (long long)doe - 719468;
}
void CivilFromDays(long long z, int& y, int& m, int& d)
{
    z += 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = unsigned(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    long long yy = (long long)yoe + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = int(doy - (153 * mp + 2) / 5 + 1);
    m = int(mp < 10 ? mp + 3 : mp - 9);
    y = int(yy + (m <= 2));
}
constexpr long long kEpochShift = 25569; // day number of 1970-01-01
} // namespace

bool IsValidDate(int year, int month, int day)
{
    return year >= 1 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 && day <= DaysInMonth(year, month);
}

int DaysInMonth(int year, int month)
{
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12)
        return 0;
    bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return days[month - 1] + (month == 2 && leap ? 1 : 0);
}

bool TryEncodeDate(int year, int month, int day, double& date)
{
    if (!IsValidDate(year, month, day))
        return false;
    date = double(DaysFromCivil(year, unsigned(month), unsigned(day)) + kEpochShift);
    return true;
}

double EncodeDate(int year, int month, int day)
{
    double d = 0;
    TryEncodeDate(year, month, day, d);
    return d;
}

void DecodeDate(double date, int& year, int& month, int& day)
{
    if (!std::isfinite(date) || std::fabs(date) > 3.0e6) {
        year = month = day = 0;
        return;
    }
    long long days = (long long)std::floor(date + 1e-9);
    CivilFromDays(days - kEpochShift, year, month, day);
}

std::string DateToStr(double date)
{
    int y, m, d;
    DecodeDate(date, y, m, d);
    if (y < 0 || y > 9999)
        return Format("%02d/%02d/%04d", d, m, y);
    // Folder summaries format two dates per file: no printf here.
    char s[10] = {char('0' + d / 10), char('0' + d % 10), '/', char('0' + m / 10), char('0' + m % 10), '/',
                  char('0' + y / 1000), char('0' + y / 100 % 10), char('0' + y / 10 % 10), char('0' + y % 10)};
    return std::string(s, 10);
}

int CurrentYear()
{
    std::time_t t = std::time(nullptr);
    std::tm tm{};
#ifdef _WIN32
    localtime_s(&tm, &t);
#else
    localtime_r(&t, &tm);
#endif
    return tm.tm_year + 1900;
}

int ExpandTwoDigitYear(int yy)
{
    // 50-year window: the century that puts the year within 50 years of now.
    int now = CurrentYear();
    int year = now / 100 * 100 + yy;
    if (year > now + 50)
        year -= 100;
    else if (year <= now - 50)
        year += 100;
    return year;
}

bool TryStrToDate(std::string_view text, double& date)
{
    std::string s = Trim(text);
    int parts[3] = {0, 0, 0};
    int digits[3] = {0, 0, 0};
    int n = 0;
    for (std::size_t i = 0; i < s.size(); ++i) {
        char c = s[i];
        if (c >= '0' && c <= '9') {
            if (digits[n] >= 4)
                return false;
            parts[n] = parts[n] * 10 + (c - '0');
            ++digits[n];
        } else if (c == '/' || c == '-' || c == '.') {
            if (digits[n] == 0 || n == 2)
                return false;
            ++n;
        } else
            return false;
    }
    if (n != 2 || digits[2] == 0 || digits[0] > 2 || digits[1] > 2)
        return false;
    int year = parts[2];
    if (digits[2] <= 2)
        year = ExpandTwoDigitYear(year);
    else if (digits[2] != 4)
        return false;
    return TryEncodeDate(year, parts[1], parts[0], date);
}

double FileTimeToDate(std::int64_t unixSeconds)
{
    std::time_t t = std::time_t(unixSeconds);
    std::tm tm{};
#ifdef _WIN32
    localtime_s(&tm, &t);
#else
    if (!localtime_r(&t, &tm))
        return 0;
#endif
    double d = EncodeDate(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday);
    return d + (tm.tm_hour * 3600.0 + tm.tm_min * 60.0 + tm.tm_sec) / 86400.0;
}

double Now()
{
    auto secs = std::chrono::duration_cast<std::chrono::seconds>(
                    std::chrono::system_clock::now().time_since_epoch())
                    .count();
    return FileTimeToDate(secs);
}

// --- strings -------------------------------------------------------------

std::string Trim(std::string_view s)
{
    std::size_t b = 0, e = s.size();
    while (b < e && (unsigned char)s[b] <= ' ')
        ++b;
    while (e > b && (unsigned char)s[e - 1] <= ' ')
        --e;
    return std::string(s.substr(b, e - b));
}

void Split(std::string_view text, char separator, std::vector<std::string>& list)
{
    std::size_t start = 0;
    for (;;) {
        std::size_t pos = text.find(separator, start);
        if (pos == std::string_view::npos) {
            list.emplace_back(text.substr(start));
            return;
        }
        list.emplace_back(text.substr(start, pos - start));
        start = pos + 1;
    }
}

namespace {
// Windows-1252 letters folded to their base letter, upper case, for comparison.
unsigned char FoldCp1252(unsigned char c)
{
    if (c >= 'a' && c <= 'z')
        return c - 32;
    switch (c) {
    case 0xC0: case 0xC1: case 0xC2: case 0xC3: case 0xC4: case 0xC5:
    case 0xE0: case 0xE1: case 0xE2: case 0xE3: case 0xE4: case 0xE5: return 'A';
    case 0xC7: case 0xE7: return 'C';
    case 0xC8: case 0xC9: case 0xCA: case 0xCB:
    case 0xE8: case 0xE9: case 0xEA: case 0xEB: return 'E';
    case 0xCC: case 0xCD: case 0xCE: case 0xCF:
    case 0xEC: case 0xED: case 0xEE: case 0xEF: return 'I';
    case 0xD1: case 0xF1: return 'N';
    case 0xD2: case 0xD3: case 0xD4: case 0xD5: case 0xD6:
    case 0xF2: case 0xF3: case 0xF4: case 0xF5: case 0xF6: return 'O';
    case 0xD9: case 0xDA: case 0xDB: case 0xDC:
    case 0xF9: case 0xFA: case 0xFB: case 0xFC: return 'U';
    case 0xDD: case 0xFD: case 0xFF: return 'Y';
    default: return c;
    }
}
} // namespace

int CompareTextCI(std::string_view a, std::string_view b)
{
    // First by folded letters, then accents break ties so the order is total.
    std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        unsigned char x = FoldCp1252((unsigned char)a[i]), y = FoldCp1252((unsigned char)b[i]);
        if (x != y)
            return x < y ? -1 : 1;
    }
    if (a.size() != b.size())
        return a.size() < b.size() ? -1 : 1;
    return 0;
}

bool FindSorted(const std::vector<std::string>& list, std::string_view text, int& index)
{
    int lo = 0, hi = int(list.size()) - 1;
    bool found = false;
    while (lo <= hi) {
        int mid = (lo + hi) / 2;
        int c = CompareTextCI(list[std::size_t(mid)], text);
        if (c < 0)
            lo = mid + 1;
        else {
            hi = mid - 1;
            if (c == 0)
                found = true;
        }
    }
    index = lo;
    return found;
}

namespace {
// Code points of 0x80..0x9F in Windows-1252 (0 = undefined).
const char16_t kCp1252High[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                  0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                  0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                  0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};


// Decodes one UTF-8 sequence at s[i]; returns its length, 0 when invalid.
int DecodeUtf8(std::string_view s, std::size_t i, std::uint32_t& cp)
{
    unsigned char c = (unsigned char)s[i];
    int len;
    if (c < 0x80) {
        cp = c;
        return 1;
    } else if ((c & 0xE0) == 0xC0) {
        cp = c & 0x1F;
        len = 2;
    } else if ((c & 0xF0) == 0xE0) {
        cp = c & 0x0F;
        len = 3;
    } else if ((c & 0xF8) == 0xF0) {
        cp = c & 0x07;
        len = 4;
    } else
        return 0;
    if (i + std::size_t(len) > s.size())
        return 0;
    for (int k = 1; k < len; ++k) {
        unsigned char cc = (unsigned char)s[i + std::size_t(k)];
        if ((cc & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (cc & 0x3F);
    }
    static const std::uint32_t minimum[] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < minimum[len] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    return len;
}
} // namespace

void AppendUtf8(std::string& out, std::uint32_t cp)
{
    if (cp < 0x80)
        out += char(cp);
    else if (cp < 0x800) {
        out += char(0xC0 | (cp >> 6));
        out += char(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += char(0xE0 | (cp >> 12));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    } else {
        out += char(0xF0 | (cp >> 18));
        out += char(0x80 | ((cp >> 12) & 0x3F));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    }
}

std::string Cp1252ToUtf8(std::string_view s)
{
    std::string out;
    out.reserve(s.size() + s.size() / 4);
    for (unsigned char c : s) {
        if (c >= 0x80 && c < 0xA0) {
            char16_t cp = kCp1252High[c - 0x80];
            AppendUtf8(out, cp ? cp : c); // undefined bytes map to the C1 control
        } else
            AppendUtf8(out, c);
    }
    return out;
}

std::string Utf8ToCp1252(std::string_view s)
{
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size();) {
        std::uint32_t cp;
        int len = DecodeUtf8(s, i, cp);
        if (len == 0) {
            out += '?';
            ++i;
            continue;
        }
        i += std::size_t(len);
        if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) {
            out += char(cp);
            continue;
        }
        char mapped = '?';
        for (int k = 0; k < 32; ++k)
            if (kCp1252High[k] == cp) {
                mapped = char(0x80 + k);
                break;
            }
        if (mapped == '?' && cp >= 0x80 && cp < 0xA0)
            mapped = char(cp);
        out += mapped;
    }
    return out;
}

bool IsValidUtf8(std::string_view s)
{
    for (std::size_t i = 0; i < s.size();) {
        std::uint32_t cp;
        int len = DecodeUtf8(s, i, cp);
        if (len == 0)
            return false;
        i += std::size_t(len);
    }
    return true;
}

// --- paths ---------------------------------------------------------------

std::string ExtractFilePath(std::string_view path)
{
    for (std::size_t i = path.size(); i > 0; --i)
        if (IsPathDelim(path[i - 1]))
            return std::string(path.substr(0, i));
    return {};
}

std::string ExtractFileName(std::string_view path)
{
    for (std::size_t i = path.size(); i > 0; --i)
        if (IsPathDelim(path[i - 1]))
            return std::string(path.substr(i));
    return std::string(path);
}

std::string IncludeTrailingDelim(std::string_view folder)
{
    std::string s(folder);
    if (s.empty() || !IsPathDelim(s.back()))
        s += kPathDelim;
    return s;
}

std::string SameFolderAs(std::string_view a, std::string_view b) { return ExtractFilePath(a) + ExtractFileName(b); }

std::string JoinPath(std::string_view folder, std::string_view name)
{
    if (!folder.empty() && !IsPathDelim(folder.back()))
        return std::string(folder) + kPathDelim + std::string(name);
    return std::string(folder) + std::string(name);
}

bool MatchesMask(std::string_view name, std::string_view mask)
{
    if (mask == "*" || mask == "*.*")
        return true;
    // Iterative wildcard match with backtracking on the last '*'.
    std::size_t n = 0, m = 0, starM = std::string_view::npos, starN = 0;
    auto eq = [](char a, char b) { return std::tolower((unsigned char)a) == std::tolower((unsigned char)b); };
    while (n < name.size()) {
        if (m < mask.size() && (mask[m] == '?' || eq(mask[m], name[n]))) {
            ++n;
            ++m;
        } else if (m < mask.size() && mask[m] == '*') {
            starM = m++;
            starN = n;
        } else if (starM != std::string_view::npos) {
            m = starM + 1;
            n = ++starN;
        } else
            return false;
    }
    while (m < mask.size() && mask[m] == '*')
        ++m;
    return m == mask.size();
}

void FindFiles(const std::string& folder, const std::string& mask, std::vector<std::string>& list, bool recursive,
               bool skipHidden)
{
    std::error_code ec;
    fs::directory_iterator it(FsPath(folder), fs::directory_options::skip_permission_denied, ec);
    if (ec)
        return;
    std::vector<std::string> dirs;
    const std::string base = IncludeTrailingDelim(folder);
    for (; it != fs::directory_iterator(); it.increment(ec)) {
        if (ec)
            break;
        std::string name = NativeString(it->path().filename());
        if (name == "." || name == "..")
            continue;
        if (skipHidden && IsHiddenEntry(it->path()))
            continue;
        std::error_code ec2;
        if (it->is_directory(ec2)) {
            if (recursive && !it->is_symlink(ec2))
                dirs.push_back(base + name);
        } else if (it->is_regular_file(ec2) && MatchesMask(name, mask))
            list.push_back(base + name);
    }
    for (const auto& d : dirs)
        FindFiles(d, mask, list, recursive, skipHidden);
}

bool FileExists(const std::string& path)
{
    std::error_code ec;
    return !path.empty() && fs::is_regular_file(FsPath(path), ec);
}

bool DirectoryExists(const std::string& path)
{
    std::error_code ec;
    return !path.empty() && fs::is_directory(FsPath(path), ec);
}

bool ForceDirectories(const std::string& path)
{
    if (path.empty())
        return true;
    std::error_code ec;
    const fs::path p = FsPath(path);
    if (fs::is_directory(p, ec))
        return true;
    fs::create_directories(p, ec);
    return fs::is_directory(p, ec);
}

bool DeleteFile(const std::string& path)
{
    std::error_code ec;
    return fs::remove(FsPath(path), ec);
}

// --- sorted date array ---------------------------------------------------

int TDoubleArray::Add(double value)
{
    auto it = std::lower_bound(FItems.begin(), FItems.end(), value);
    int pos = int(it - FItems.begin());
    if (it != FItems.end() && std::fabs(*it - value) <= 1e-100)
        return pos;
    if (it != FItems.begin() && std::fabs(*(it - 1) - value) <= 1e-100)
        return pos - 1;
    FItems.insert(it, value);
    return pos;
}

double TDoubleArray::Items(int i) const
{
    if (i < 0 || i >= Count())
        return 0;
    return FItems[std::size_t(i)];
}

} // namespace rs
