#include "shell/uDataFolder.h"

#include "common/Utils.h"
#include "common/uAppFiles.h"
#include "common/uNativePaths.h"
#include "shell/uOptions.h"

#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace rs {

namespace {

std::function<TFolderTest(const std::string&)>& FolderTestHook()
{
    static std::function<TFolderTest(const std::string&)> hook;
    return hook;
}

// Folder names compare as the platform's file system does: ignoring case.
// Windows-1252 letters fold on Windows; elsewhere names are UTF-8 and only
// ASCII letters fold, so no byte of a multi-byte character is mistaken.
bool SameFolderName(std::string_view a, std::string_view b)
{
#ifdef _WIN32
    return SameTextLatin1(a, b);
#else
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
        if (x >= 'A' && x <= 'Z')
            x = static_cast<unsigned char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z')
            y = static_cast<unsigned char>(y - 'A' + 'a');
        if (x != y)
            return false;
    }
    return true;
#endif
}

TFolderTest RealFolderTest(const std::string& folder)
{
    if (Trim(folder).empty())
        return TFolderTest::CannotCreate;
    if (DirectoryExists(folder))
        return IsFolderWritable(folder) ? TFolderTest::Writable : TFolderTest::NotWritable;

    // The levels that do not exist yet, deepest first: they are removed again
    // after the creation, so the test leaves nothing behind.
    std::error_code ec;
    std::vector<fs::path> missing;
    fs::path p = FsPath(ExcludeTrailingDelim(folder));
    while (!p.empty()) {
        if (fs::exists(p, ec))
            break;
        missing.push_back(p);
        const fs::path parent = p.parent_path();
        if (parent == p)
            break;
        p = parent;
    }
    // A file standing where a folder is needed.
    if (!p.empty() && fs::exists(p, ec) && !fs::is_directory(p, ec))
        return TFolderTest::CannotCreate;

    const bool created = ForceDirectories(folder) && DirectoryExists(folder);
    for (const fs::path& level : missing)
        fs::remove(level, ec); // only empty folders go; anything else stays untouched
    return created ? TFolderTest::Writable : TFolderTest::CannotCreate;
}

} // namespace

std::string ExcludeTrailingDelim(std::string_view folder)
{
    std::string s(folder);
    // A root keeps its separator: "/" and "C:\" stay as they are.
    while (s.size() > 1 && (s.back() == '/' || s.back() == '\\') && s[s.size() - 2] != ':')
        s.pop_back();
    return s;
}

int TDataFolderList::IndexOf(std::string_view folder) const
{
    const std::string key = ExcludeTrailingDelim(folder);
    for (int i = 0; i < Count(); ++i)
        if (SameFolderName(ExcludeTrailingDelim(FItems[std::size_t(i)]), key))
            return i;
    return -1;
}

void TDataFolderList::Choose(std::string_view folder)
{
    const std::string t = ExcludeTrailingDelim(folder);
    const int i = IndexOf(t);
    if (i >= 0) {
        std::swap(FItems[0], FItems[std::size_t(i)]);
        return;
    }
    while (Count() >= kMaxRecentDataFolders)
        FItems.pop_back();
    FItems.insert(FItems.begin(), t);
}

void TDataFolderList::Load(const TIniFile& ini)
{
    FItems.clear();
    for (const std::string& v : ini.ReadSectionValues(ini::kSecRecentDataFolders)) {
        if (Trim(v).empty())
            continue;
        if (Count() >= kMaxRecentDataFolders)
            break;
        FItems.push_back(v);
    }
}

bool TDataFolderList::Save(TIniFile& ini) const { return ini.WriteList(ini::kSecRecentDataFolders, FItems); }

std::string TDataFolderList::StartupFolder(const std::string& appFolder) const
{
    std::string folder = appFolder;
    for (const std::string& f : FItems)
        if (!f.empty() && DirectoryExists(f)) {
            folder = f;
            break;
        }
    return IncludeTrailingDelim(folder);
}

TFolderTest TestFolder(const std::string& folder)
{
    if (const auto& hook = FolderTestHook())
        return hook(folder);
    return RealFolderTest(folder);
}

std::string FolderTestMessage(TFolderTest result)
{
    switch (result) {
    case TFolderTest::Writable: return {};
    case TFolderTest::NotWritable: return kMsgFolderNotWritable;
    case TFolderTest::CannotCreate: return kMsgFolderNotCreated;
    }
    return {};
}

void SetFolderTestForTesting(std::function<TFolderTest(const std::string&)> test)
{
    FolderTestHook() = std::move(test);
}

} // namespace rs
