#pragma once
// The station list "CodigoEstacoes.txt": one station per line, code "=" name.
// The properties dialog and the dry-day dialog show its codes and names in two
// sorted lists; an entry of one list knows the entry of the other that came
// from the same line, so choosing a code fills in its name and vice versa.
// Texts are Windows-1252; a file in UTF-8 (or UTF-16 with a byte-order mark)
// is converted on reading.

#include <string>
#include <string_view>
#include <vector>

namespace rs {

class TStationList
{
public:
    static constexpr const char* kFileName = "CodigoEstacoes.txt";

    // False when the file is absent or unreadable; the lists are then empty.
    bool LoadFromFile(const std::string& path);
    void LoadFromText(std::string_view text);
    void Clear();

    int Count() const { return int(FCodes.size()); }
    bool IsEmpty() const { return FCodes.empty(); }

    // Both sorted with CompareTextCI (accents folded, case ignored); equal
    // entries keep their file order.
    const std::vector<std::string>& Codes() const { return FCodes; }
    const std::vector<std::string>& Names() const { return FNames; }
    const std::string& Code(int i) const { return FCodes.at(std::size_t(i)); }
    const std::string& Name(int i) const { return FNames.at(std::size_t(i)); }

    // The partner from the same line: index into the other list (-1 for a bad index).
    int NameOfCode(int codeIndex) const;
    int CodeOfName(int nameIndex) const;
    // Line of the file (from 0) each entry came from.
    int CodeLine(int codeIndex) const;
    int NameLine(int nameIndex) const;

    // Index of an entry equal to the text (case-insensitive), or -1.
    int FindCode(std::string_view code) const;
    int FindName(std::string_view name) const;
    // Type-ahead: the first entry not less than the trimmed text, when it begins
    // with that text (case-insensitive); -1 otherwise or for a blank text.
    int MatchCode(std::string_view typed) const;
    int MatchName(std::string_view typed) const;

    // The name paired with a code (the first such line), empty when unknown.
    std::string NameForCode(std::string_view code) const;
    std::string CodeForName(std::string_view name) const;

private:
    std::vector<std::string> FCodes, FNames;
    std::vector<int> FCodeLine, FNameLine;
    std::vector<int> FCodePartner, FNamePartner;
};

// A text file's bytes as Windows-1252: UTF-8 (with or without a byte-order
// mark) and UTF-16 with a byte-order mark are converted, anything else is kept.
std::string TextFileToCp1252(std::string_view bytes);

} // namespace rs
