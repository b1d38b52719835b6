#pragma once
// Copies of charts with unsaved changes, kept in the recovery folder so that a
// crash or a power cut loses at most the last few points.
//
// Each chart window owns one copy: "<chart>~<run>-<n>.pvd", a ".pvd" file like
// any other, with a note beside it ("<same>.ini") that remembers the chart's
// own file name, which the copy's name cannot hold. A copy without its note
// (the note's write was lost) still comes back, as a chart never saved. The
// run's part of the name and its lock (TRecoveryRun) keep the copies of a
// program running now apart from those a run that ended left. Paths are
// native byte strings.

#include <string>
#include <vector>

namespace rs {

class TRChart;

struct TRecoveryEntry
{
    std::string CopyFile; // the copy in the recovery folder
    std::string FileName; // the chart's own file name; empty for a chart never saved
    std::string LastFile; // the file the chart came from, when it differs (renamed by its header)
    bool HasNote = false;
};

class TRecoveryStore
{
public:
    explicit TRecoveryStore(std::string folder);
    const std::string& Folder() const { return FFolder; }

    // A copy name no other window, of this run or of another, uses.
    std::string NewCopyName(const std::string& chartFile) const;
    // Writes the note, then the copy, each atomically; creates the folder.
    // Throws std::runtime_error (UTF-8 message); a previous copy then stays.
    void Write(const std::string& copyFile, TRChart& chart) const;
    // The copies in the folder, by name, but those of programs running now.
    std::vector<TRecoveryEntry> List() const;
    // Loads the copy into chart under the chart's own names, marked modified;
    // false when the copy cannot be read back (chart is then not to be used).
    static bool Read(const TRecoveryEntry& entry, TRChart& chart);
    // Deletes the copy and its note; true when neither is left.
    bool Remove(const std::string& copyFile) const;
    // Moves a copy that cannot be read, with its note, into the "Danificados"
    // subfolder, under a name not taken there; the new name, empty on failure.
    std::string MoveAside(const TRecoveryEntry& entry) const;

    static std::string NoteFileOf(const std::string& copyFile);

private:
    std::string FFolder;
};

} // namespace rs
