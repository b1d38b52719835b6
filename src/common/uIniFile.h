#pragma once
// The settings file: an INI text file of sections ("[name]") and "key=value"
// lines. Names and values are single-byte Latin-1 strings kept byte for byte;
// sections and keys are looked up ignoring case (Latin-1 letters included),
// as the Windows profile functions do.
//
// TIniFile keeps nothing between calls: every read loads the file, every write
// loads it, changes it and writes it back whole. A write goes to a temporary
// file in the same folder that is flushed and then renamed over the old one,
// so a failed write leaves the old file as it was. Lines the program does not
// know (other sections, other keys, comments, blank lines) are kept.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace rs {

// Latin-1 case-insensitive equality (A-Z and the accented letters).
bool SameTextLatin1(std::string_view a, std::string_view b);

// Integer in the settings file's syntax: optional sign, then decimal digits or
// "$" / "0x" followed by up to eight hex digits (wrapping to 32 bits, as a
// colour value may). Surrounding blanks are allowed.
bool TryParseIniInteger(std::string_view text, int& value);

// A parsed settings file in memory. Lines keep their order and text; only the
// lines that are changed are rewritten.
class TIniDocument
{
public:
    TIniDocument() = default;

    // Accepts LF or CR LF line ends; a UTF-8 byte order mark is kept aside.
    void Parse(std::string_view text);
    // Every line ends with CR LF.
    std::string Text() const;

    bool SectionExists(std::string_view section) const;
    bool ValueExists(std::string_view section, std::string_view key) const;
    // The value of the first matching key of the first matching section.
    bool Find(std::string_view section, std::string_view key, std::string& value) const;
    // Key names of the section in file order.
    std::vector<std::string> Keys(std::string_view section) const;
    // The text after the first "=" of every key line of the section, in file order.
    std::vector<std::string> Values(std::string_view section) const;

    // Replaces the first matching key's value, or appends the key after the
    // section's last entry, or appends a new section at the end of the file.
    // Refuses (false) names and values that would break the line structure.
    bool Set(std::string_view section, std::string_view key, std::string_view value);
    bool DeleteKey(std::string_view section, std::string_view key);
    // Removes every section of that name with all its lines.
    void EraseSection(std::string_view section);

    static bool ValidSectionName(std::string_view section);
    static bool ValidKeyName(std::string_view key);
    static bool ValidValue(std::string_view value);

private:
    struct TLine
    {
        enum TKind { Other, Section, Entry } Kind = Other;
        std::string Text; // the line as read or written, without its line end
        std::string Name; // trimmed section or key name
        std::string Value;
    };
    // Index of the header line of the first section named so, -1 when absent.
    int SectionIndex(std::string_view section) const;
    int SectionEnd(int header) const; // index past the section's last line
    int EntryIndex(int header, std::string_view key) const;

    std::vector<TLine> FLines;
    bool FBom = false;
};

class TIniFile
{
public:
    explicit TIniFile(std::string fileName);

    const std::string& FileName() const { return FFileName; }

    // Missing file, section or key, or an unreadable file: the default.
    std::string ReadString(std::string_view section, std::string_view key, std::string_view def) const;
    // A value that is not an integer (see TryParseIniInteger) reads as the default.
    int ReadInteger(std::string_view section, std::string_view key, int def) const;
    // Any integer other than 0 is true.
    bool ReadBool(std::string_view section, std::string_view key, bool def) const;
    std::vector<std::string> ReadSection(std::string_view section) const; // key names
    std::vector<std::string> ReadSectionValues(std::string_view section) const;
    bool SectionExists(std::string_view section) const;
    bool ValueExists(std::string_view section, std::string_view key) const;
    // The whole file in one read, for readers of many keys; an empty document
    // (and false) when the file is missing or unreadable.
    bool ReadAll(TIniDocument& doc) const;

    // Writers return false and set LastError() when the file could not be
    // written (or its old contents could not be read, which would lose them).
    bool WriteString(std::string_view section, std::string_view key, std::string_view value);
    bool WriteInteger(std::string_view section, std::string_view key, int value);
    bool WriteBool(std::string_view section, std::string_view key, bool value);
    bool DeleteKey(std::string_view section, std::string_view key);
    bool EraseSection(std::string_view section);
    // Erases the section and writes one key per item, named "1", "2", ... in
    // list order, in one write of the file.
    bool WriteList(std::string_view section, const std::vector<std::string>& items);
    // Several changes in one write of the file; the editor returns false to
    // leave the file untouched.
    bool Update(const std::function<bool(TIniDocument&)>& editor);

    // The reason of the last failed write (a Portuguese sentence naming the file).
    const std::string& LastError() const { return FLastError; }

private:
    enum class TLoad { Ok, Missing, Failed };
    TLoad Load(TIniDocument& doc) const;
    bool Store(const TIniDocument& doc);

    std::string FFileName;
    std::string FLastError;
};

} // namespace rs
