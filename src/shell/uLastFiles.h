#pragma once
// The recent-files list shown at the end of the "&Arquivo" menu.
//
// A model without widgets: it keeps the menu's entries (caption, hint and
// full file name, most recent first) and whether the separator line before
// them exists, and calls OnChange whenever the menu must be rebuilt from
// Entries(). The menu binding calls Choose(i) when entry i is picked; the list
// then calls OnOpenFile. Stored in the settings file, section
// "Arquivos Recentes", keys "1" (most recent) to "n".

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace rs {

struct TLastFileEntry
{
    std::string FileName; // full name, as added
    std::string Caption;  // "&1 name.pvd": the position's digit is the access key
    std::string Hint;     // "Reabre o arquivo: " and the full name
};

class TLastFiles
{
public:
    // An empty settings file name disables Load and Save. Without a parent
    // menu (hasParentMenu false) Add refuses every name.
    explicit TLastFiles(std::string iniFileName, bool hasParentMenu = true);

    // Puts the name first (moving it there when listed, names compared
    // ignoring case); the oldest entry beyond the limit is dropped.
    bool Add(const std::string& fileName);
    // Gives the entry of oldName the name newName, in its place; other entries
    // equal to newName go. False when oldName is not listed or the two names
    // differ only in case.
    bool Rename(const std::string& oldName, const std::string& newName);
    int IndexOf(std::string_view fileName) const; // -1 when absent
    // n outside 1 ... 9 (0 included) is ignored; a smaller limit drops the oldest entries.
    void SetLimit(int n);
    int Limit() const { return FLimit; }

    // Replaces the entries with the section's keys, from the highest number
    // down to "1", so that "1" ends up first; a key missing below the highest
    // gives an empty entry. False when nothing could be loaded.
    bool Load();
    // Erases the section and writes the entries as keys "1" ... "n". False
    // when the file could not be written (see LastError()).
    bool Save();
    // Removes every entry and the separator.
    void Clear();

    // The menu entry i was chosen.
    void Choose(int index);

    int Count() const { return int(FEntries.size()); }
    const std::vector<TLastFileEntry>& Entries() const { return FEntries; }
    const std::string& FileName(int index) const { return FEntries.at(std::size_t(index)).FileName; }
    // The separator line before the entries; it exists exactly while there are entries.
    bool HasSeparator() const { return FSeparator; }
    const std::string& IniFileName() const { return FIniFileName; }
    const std::string& Section() const { return FSection; }
    const std::string& LastError() const { return FLastError; }

    static std::string MakeCaption(int index, std::string_view fileName);
    static std::string MakeHint(std::string_view fileName);

    std::function<void(const TLastFiles& sender)> OnChange;
    std::function<void(int index, const std::string& fileName)> OnOpenFile;

private:
    void RebuildCaptions();
    void Changed();
    void RemoveAt(int index);

    std::vector<TLastFileEntry> FEntries;
    int FLimit = 6;
    std::string FIniFileName;
    std::string FSection;
    bool FHasParentMenu;
    bool FSeparator = false;
    int FUpdating = 0;
    std::string FLastError;
};

} // namespace rs
