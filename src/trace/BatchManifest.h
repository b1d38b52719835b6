#pragma once
// The batch manifest: a CSV (comma or semicolon, UTF-8 with or without a BOM)
// whose header names the columns, one scan per line. Columns in any order:
// image, station, date, hour, and optionally curved, model, name, ptot,
// operator, notes, page; others are ignored. Bad lines are kept with their
// line number and message so that a run can report them and go on.

#include <string>
#include <string_view>
#include <vector>

namespace rs::trace {

// One CSV record: its fields (UTF-8) and the line it starts on (1-based).
struct TCsvRecord
{
    int Line = 0;
    std::vector<std::string> Fields;
};
// Splits CSV text into records (quotes doubled inside quoted fields, line
// breaks inside quotes kept); blank lines give no record.
std::vector<TCsvRecord> SplitCsv(std::string_view text, char separator);

struct TManifestEntry
{
    int Line = 0;        // line of the manifest (the header is line 1)
    int Ordinal = 0;     // 0-based among the manifest's records: what shards share out
    std::string Image;   // as written in the manifest (UTF-8)
    std::string Path;    // the image's path: relative ones taken from the manifest's folder
    std::string Station; // 8 digits
    double Date = 0;
    int Hour = 7;
    bool Curved = false;
    std::string Model;   // UTF-8; empty: the default model of hour and kind
    std::string Name, Operator, Notes; // Windows-1252, as the chart file holds them
    double PTot = 0;     // gauge reading, mm; 0 when not given
    bool HasPTot = false;
    int Page = 1;
    std::string Error;   // UTF-8; not empty: a bad line, skipped
    bool Ok() const { return Error.empty(); }
};

struct TManifest
{
    std::vector<TManifestEntry> Entries; // every record, bad ones included, in manifest order
    std::string Error;                   // UTF-8; not empty: not a manifest at all
    bool Ok() const { return Error.empty(); }
};

// folder: the manifest's folder (relative image paths start there).
TManifest ParseManifest(std::string_view text, const std::string& folder);
// Reads and parses a manifest file; Error says why it could not be read.
TManifest LoadManifest(const std::string& path);

// "--shard I/N": every N-th record starting at record I.
struct TShard
{
    int Index = 0, Count = 1;
    bool Takes(int ordinal) const { return ordinal % Count == Index; }
};
bool ParseShard(std::string_view text, TShard& shard);

} // namespace rs::trace
