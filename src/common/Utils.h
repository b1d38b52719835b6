#pragma once
// Shared routines: tolerant number and date parsing, formatting with the
// process's decimal separator, paths and file search, sorted string search.
// Strings are Windows-1252 byte strings unless a name says UTF-8.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace rs {

#ifdef _WIN32
inline constexpr char kPathDelim = '\\';
#else
inline constexpr char kPathDelim = '/';
#endif
bool IsPathDelim(char c); // '/' or '\\' (and ':' on Windows)

// --- numbers -------------------------------------------------------------
// The decimal separator used for showing numbers; taken from the C locale's
// LC_NUMERIC on first use, overridable (tests, the GUI's locale).
char DecimalSeparator();
void SetDecimalSeparator(char c);

bool TryStrToInt(std::string_view text, int& value);
bool IsInteger(std::string_view text);
// Accepts "." and the system separator (its first occurrence); must consume the whole text.
bool TryStrToFloat(std::string_view text, double& value);
bool IsFloat(std::string_view text);

// printf-style formatting in the C locale, then '.' turned into DecimalSeparator().
std::string FormatNum(const char* fmt, double value);
// Plain printf into a std::string (C locale, no separator change).
std::string Format(const char* fmt, ...) __attribute__((format(printf, 1, 2)));

// --- dates ---------------------------------------------------------------
// Day numbers: day 0 = 30 December 1899, the fraction being the time of day.
double EncodeDate(int year, int month, int day);
bool TryEncodeDate(int year, int month, int day, double& date);
void DecodeDate(double date, int& year, int& month, int& day);
bool IsValidDate(int year, int month, int day);
int DaysInMonth(int year, int month);
// The short date format is dd/mm/yyyy for the whole program.
std::string DateToStr(double date);
// Day, month and year separated by '/', '-' or '.'; a two-digit year goes
// through the 50-year window around the current year.
bool TryStrToDate(std::string_view text, double& date);
int CurrentYear();
double Now();                     // local date and time as a day number
double FileTimeToDate(std::int64_t unixSeconds); // local time
int ExpandTwoDigitYear(int yy);   // 50-year window around CurrentYear()

// --- strings -------------------------------------------------------------
std::string Trim(std::string_view s);
void Split(std::string_view text, char separator, std::vector<std::string>& list);
// Case-insensitive comparison of Windows-1252 texts, accents folded the way
// a Portuguese collation orders them ("são" sorts with "sao").
int CompareTextCI(std::string_view a, std::string_view b);
// Binary search in a list sorted with CompareTextCI: index of the first entry not
// less than text; true when an equal entry exists.
bool FindSorted(const std::vector<std::string>& list, std::string_view text, int& index);

// Appends the UTF-8 bytes of one code point.
void AppendUtf8(std::string& out, std::uint32_t cp);
// Windows-1252 <-> UTF-8 (the UI and JSON edges).
std::string Cp1252ToUtf8(std::string_view s);
std::string Utf8ToCp1252(std::string_view s); // unmappable characters become '?'
bool IsValidUtf8(std::string_view s);

// --- paths ---------------------------------------------------------------
std::string ExtractFilePath(std::string_view path); // up to and including the last delimiter
std::string ExtractFileName(std::string_view path);
std::string IncludeTrailingDelim(std::string_view folder);
std::string SameFolderAs(std::string_view a, std::string_view b);
std::string JoinPath(std::string_view folder, std::string_view name);
// Adds the full path of every ordinary file of folder matching mask ("*.pvd",
// "*", "*.*"); files first, then subfolders when recursive. Hidden entries
// (see uNativePaths.h) are skipped when skipHidden.
void FindFiles(const std::string& folder, const std::string& mask, std::vector<std::string>& list,
               bool recursive, bool skipHidden = false);
bool MatchesMask(std::string_view name, std::string_view mask); // case-insensitive, '*' and '?'
bool FileExists(const std::string& path);
bool DirectoryExists(const std::string& path);
bool ForceDirectories(const std::string& path);
bool DeleteFile(const std::string& path);

// --- sorted date array ---------------------------------------------------
class TDoubleArray
{
public:
    int Add(double value); // position of the value (existing one when already present)
    int Count() const { return int(FItems.size()); }
    double Items(int i) const;
    void Clear() { FItems.clear(); }

private:
    std::vector<double> FItems;
};

} // namespace rs
