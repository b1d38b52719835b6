#include "shell/uLastFiles.h"

#include "common/Utils.h"
#include "common/uIniFile.h"
#include "shell/uOptions.h"

#include <exception>

namespace rs {

TLastFiles::TLastFiles(std::string iniFileName, bool hasParentMenu)
    : FIniFileName(std::move(iniFileName)), FSection(ini::kSecRecentFiles), FHasParentMenu(hasParentMenu)
{
}

std::string TLastFiles::MakeCaption(int index, std::string_view fileName)
{
    // A '&' of the file name must show as itself, not as an access key.
    std::string name;
    for (char c : ExtractFileName(fileName)) {
        name += c;
        if (c == '&')
            name += '&';
    }
    return "&" + std::to_string(index + 1) + " " + name;
}

std::string TLastFiles::MakeHint(std::string_view fileName) { return "Reabre o arquivo: " + std::string(fileName); }

void TLastFiles::RebuildCaptions()
{
    for (std::size_t i = 0; i < FEntries.size(); ++i)
        FEntries[i].Caption = MakeCaption(int(i), FEntries[i].FileName);
}

void TLastFiles::Changed()
{
    if (FUpdating == 0 && OnChange)
        OnChange(*this);
}

void TLastFiles::RemoveAt(int index)
{
    FEntries.erase(FEntries.begin() + index);
    if (FEntries.empty())
        FSeparator = false;
}

int TLastFiles::IndexOf(std::string_view fileName) const
{
    for (std::size_t i = 0; i < FEntries.size(); ++i)
        if (SameTextLatin1(FEntries[i].FileName, fileName))
            return int(i);
    return -1;
}

bool TLastFiles::Add(const std::string& fileName)
{
    if (!FHasParentMenu)
        return false;
    FSeparator = true;
    int p = IndexOf(fileName);
    if (p < 0) {
        FEntries.insert(FEntries.begin(), TLastFileEntry{fileName, {}, MakeHint(fileName)});
        if (int(FEntries.size()) > FLimit)
            RemoveAt(int(FEntries.size()) - 1);
    } else if (p > 0) {
        TLastFileEntry e = std::move(FEntries[std::size_t(p)]);
        FEntries.erase(FEntries.begin() + p);
        FEntries.insert(FEntries.begin(), std::move(e));
    }
    RebuildCaptions();
    Changed();
    return true;
}

bool TLastFiles::Rename(const std::string& oldName, const std::string& newName)
{
    if (SameTextLatin1(oldName, newName) || IndexOf(oldName) < 0)
        return false;
    for (int i = Count() - 1; i >= 0; --i)
        if (SameTextLatin1(FEntries[std::size_t(i)].FileName, newName))
            RemoveAt(i);
    int p = IndexOf(oldName);
    FEntries[std::size_t(p)].FileName = newName;
    // The hint names the file the entry now reopens.
    FEntries[std::size_t(p)].Hint = MakeHint(newName);
    RebuildCaptions();
    Changed();
    return true;
}

void TLastFiles::SetLimit(int n)
{
    if (n == FLimit || n < 1 || n > 9)
        return;
    bool removed = false;
    while (Count() > n) {
        RemoveAt(Count() - 1);
        removed = true;
    }
    FLimit = n;
    if (removed) {
        RebuildCaptions();
        Changed();
    }
}

void TLastFiles::Clear()
{
    bool had = !FEntries.empty() || FSeparator;
    FEntries.clear();
    FSeparator = false;
    if (had)
        Changed();
}

bool TLastFiles::Load()
{
    if (FIniFileName.empty())
        return false;
    bool ok = true;
    ++FUpdating;
    try {
        FEntries.clear();
        FSeparator = false;
        TIniDocument doc;
        TIniFile(FIniFileName).ReadAll(doc);
        const int n = int(doc.Keys(FSection).size());
        for (int k = n; k >= 1 && ok; --k) {
            std::string name;
            doc.Find(FSection, std::to_string(k), name);
            ok = Add(name);
        }
    } catch (const std::exception&) {
        ok = false;
    }
    --FUpdating;
    Changed();
    return ok;
}

bool TLastFiles::Save()
{
    FLastError.clear();
    if (FIniFileName.empty())
        return false;
    std::vector<std::string> names;
    names.reserve(FEntries.size());
    for (const auto& e : FEntries)
        names.push_back(e.FileName);
    TIniFile ini(FIniFileName);
    if (!ini.WriteList(FSection, names)) {
        FLastError = ini.LastError();
        return false;
    }
    return true;
}

void TLastFiles::Choose(int index)
{
    if (index < 0 || index >= Count() || !OnOpenFile)
        return;
    // Copy: the handler may change the list.
    const std::string name = FEntries[std::size_t(index)].FileName;
    OnOpenFile(index, name);
}

} // namespace rs
