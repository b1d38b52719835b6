#include "shell/uRecovery.h"

#include "common/Utils.h"
#include "common/uAtomicFile.h"
#include "common/uIniFile.h"
#include "common/uNativePaths.h"
#include "document/uRChart.h"
#include "shell/uRecoveryRun.h"

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <stdexcept>
#include <system_error>

namespace fs = std::filesystem;

namespace rs {

namespace {

constexpr const char* kNoteSection = "Pluviograma";
constexpr const char* kFileKey = "Arquivo";
constexpr const char* kLastKey = "Anterior";
constexpr const char* kAsideFolder = "Danificados";
constexpr std::size_t kMaxStem = 40;

// The chart's name without its extension, in characters every file system takes.
std::string Stem(const std::string& chartFile)
{
    std::string name = ExtractFileName(chartFile);
    if (std::size_t dot = name.rfind('.'); dot != std::string::npos && dot > 0)
        name.resize(dot);
    std::string stem;
    for (char c : name) {
        if (stem.size() >= kMaxStem)
            break;
        const bool plain = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '-' ||
                           c == '_';
        stem += plain ? c : '_';
    }
    return stem.empty() ? std::string("novo") : stem;
}

bool Rename(const std::string& from, const std::string& to)
{
    std::error_code ec;
    fs::rename(FsPath(from), FsPath(to), ec);
    return !ec;
}

} // namespace

TRecoveryStore::TRecoveryStore(std::string folder) : FFolder(IncludeTrailingDelim(folder)) {}

std::string TRecoveryStore::NoteFileOf(const std::string& copyFile)
{
    std::string note = copyFile;
    const std::string name = ExtractFileName(copyFile);
    if (std::size_t dot = name.rfind('.'); dot != std::string::npos && dot > 0)
        note.resize(note.size() - (name.size() - dot));
    return note + ".ini";
}

std::string TRecoveryStore::NewCopyName(const std::string& chartFile) const
{
    // The run's token tells runs apart, the counter the windows of one run.
    static std::atomic<unsigned> counter{0};
    const std::string stem = Stem(chartFile);
    for (;;) {
        const std::string name =
            FFolder + stem + "~" + TRecoveryRun::Token() + Format("-%u.pvd", counter.fetch_add(1) + 1);
        if (!FileExists(name) && !FileExists(NoteFileOf(name)))
            return name;
    }
}

void TRecoveryStore::Write(const std::string& copyFile, TRChart& chart) const
{
    if (!ForceDirectories(FFolder))
        throw std::runtime_error("Não foi possível criar a pasta \"" + FFolder + "\".");
    // Without the lock the copy is still worth writing; another run might then offer it.
    TRecoveryRun::Claim(FFolder);
    // The note first: a copy is never newer than the name it belongs to.
    TIniFile note(NoteFileOf(copyFile));
    const bool noted = note.Update([&](TIniDocument& doc) {
        return doc.Set(kNoteSection, kFileKey, chart.Info.FileName) && doc.Set(kNoteSection, kLastKey, chart.LastFile);
    });
    if (!noted)
        throw std::runtime_error(note.LastError().empty()
                                     ? "O nome do arquivo \"" + chart.Info.FileName + "\" não pôde ser anotado."
                                     : Cp1252ToUtf8(note.LastError()));
    WriteFileAtomicallyOrThrow(copyFile, chart.SaveToBuffer());
}

std::vector<TRecoveryEntry> TRecoveryStore::List() const
{
    std::vector<std::string> files, locks;
    if (DirectoryExists(FFolder)) {
        FindFiles(FFolder, "*.pvd", files, false, true);
        // Ended runs' locks go on the way, those of runs with copies or without.
        FindFiles(FFolder, "*.lock", locks, false, true);
        for (const std::string& l : locks) {
            std::string token = ExtractFileName(l);
            token.resize(token.size() - 5);
            TRecoveryRun::IsHeldElsewhere(FFolder, token);
        }
    }
    std::sort(files.begin(), files.end());
    std::vector<TRecoveryEntry> entries;
    for (const std::string& f : files) {
        if (TRecoveryRun::IsHeldElsewhere(FFolder, TRecoveryRun::TokenOf(f)))
            continue; // a window of a program running now keeps it up to date
        TRecoveryEntry e;
        e.CopyFile = f;
        TIniDocument doc;
        if (TIniFile(NoteFileOf(f)).ReadAll(doc) && doc.Find(kNoteSection, kFileKey, e.FileName)) {
            e.HasNote = true;
            doc.Find(kNoteSection, kLastKey, e.LastFile);
        }
        entries.push_back(std::move(e));
    }
    return entries;
}

bool TRecoveryStore::Read(const TRecoveryEntry& entry, TRChart& chart)
{
    try {
        if (!TRChart::IsDataFile(entry.CopyFile) || !chart.LoadFromFile(entry.CopyFile))
            return false;
    } catch (const std::exception&) {
        return false;
    }
    // Without its note the chart is a new one: saving it asks its header for a name.
    chart.Info.FileName = entry.HasNote ? entry.FileName : std::string();
    chart.LastFile = entry.HasNote ? entry.LastFile : std::string();
    chart.Modified = true;
    return true;
}

bool TRecoveryStore::Remove(const std::string& copyFile) const
{
    const std::string note = NoteFileOf(copyFile);
    for (const std::string& f : {copyFile, note})
        if (FileExists(f))
            DeleteFile(f);
    return !FileExists(copyFile) && !FileExists(note);
}

std::string TRecoveryStore::MoveAside(const TRecoveryEntry& entry) const
{
    const std::string folder = FFolder + kAsideFolder + kPathDelim;
    if (!ForceDirectories(folder))
        return {};
    const std::string name = ExtractFileName(entry.CopyFile);
    std::string target = folder + name;
    for (int n = 2; FileExists(target) || FileExists(NoteFileOf(target)); ++n)
        target = folder + Format("%d-", n) + name;
    if (!Rename(entry.CopyFile, target))
        return {};
    const std::string note = NoteFileOf(entry.CopyFile);
    if (FileExists(note))
        Rename(note, NoteFileOf(target));
    return target;
}

} // namespace rs
