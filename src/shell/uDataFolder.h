#pragma once
// The data folder and the list of recently used data folders.
//
// The data folder is where new pluviogram files are made (one subfolder per
// station below it). At start-up it is the first recent folder that still
// exists, or the program's own folder; the data folder dialog changes it. The
// recent folders live in the settings file, section "Pasta de Dados Recentes",
// keys "1" (the current folder) to "6".
//
// Paths are native byte strings, as the file-system routines of Utils take them.

#include "common/uIniFile.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace rs {

inline constexpr int kMaxRecentDataFolders = 6;

inline constexpr const char* kMsgFolderNotWritable =
    "Arquivos n\xE3" "o podem ser gravados na pasta escolhida.";
inline constexpr const char* kMsgFolderNotCreated = "A pasta escolhida n\xE3" "o pode ser criada.";

// The folder without its trailing path separators (a root such as "/" or "C:\" keeps its own).
std::string ExcludeTrailingDelim(std::string_view folder);

class TDataFolderList
{
public:
    TDataFolderList() = default;
    explicit TDataFolderList(std::vector<std::string> items) : FItems(std::move(items)) {}

    const std::vector<std::string>& Items() const { return FItems; }
    int Count() const { return int(FItems.size()); }
    // Position of the folder, compared ignoring case and trailing separators; -1 when absent.
    int IndexOf(std::string_view folder) const;

    // The folder chosen with OK (already tested): when listed it changes places
    // with the first entry; otherwise it goes first and the list is cut so it
    // never holds more than six folders. Stored without a trailing separator.
    void Choose(std::string_view folder);

    // Every value of the section in file order; a missing file gives none.
    // Empty values are skipped and the list is cut at six entries.
    void Load(const TIniFile& ini);
    // Erases the section and writes keys "1" ... "n"; false when the file
    // could not be written (ini.LastError() says why).
    bool Save(TIniFile& ini) const;

    // The data folder at start-up: the first listed folder that exists, else
    // appFolder; always ending in the path separator.
    std::string StartupFolder(const std::string& appFolder) const;

private:
    std::vector<std::string> FItems;
};

// The outcome of trying to write in a folder.
enum class TFolderTest {
    Writable,    // files can be made there (or it could be created)
    NotWritable, // an existing folder in which nothing can be written
    CannotCreate // no such folder, and it cannot be created
};

// Tries whether data files can be written in folder. An existing folder gets
// a probe file that is removed at once; a missing one is created with its
// missing parents and everything created is removed again, so the test leaves
// nothing behind either way. An empty text cannot be created.
TFolderTest TestFolder(const std::string& folder);
inline bool FolderWritable(const std::string& folder) { return TestFolder(folder) == TFolderTest::Writable; }
// The warning for a failed test, empty for Writable.
std::string FolderTestMessage(TFolderTest result);

// Tests: replaces the test with a function (an empty one restores the real test).
void SetFolderTestForTesting(std::function<TFolderTest(const std::string&)> test);

} // namespace rs
