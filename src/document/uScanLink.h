#pragma once
// Which scan a chart was read from, kept beside the chart without touching the
// ".pvd" format: for ".../STATION/NAME.pvd" the file ".../STATION/NAME.scan.json"
// (UTF-8 JSON). It holds the scan's path (relative to the chart's folder when the
// scan lies under it), the page, and for a traced chart the trace's confidence,
// its unsure stretches and whether an operator has reviewed it; plus the size and
// FNV-1a 64 hash of the ".pvd" bytes it was written with, so that a later tool
// can tell whether the chart was saved again since.
//
// A missing or damaged link is simply absent: it never blocks opening a chart.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace rs {

struct TScanUnsure
{
    double Start = 0, End = 0; // hours on the chart's clock
    std::string Reason;        // Windows-1252
};

struct TScanLink
{
    std::string Scan;  // full path of the scan (native bytes); empty: no scan
    int Page = 0;      // 0-based page of a multi-page picture
    bool Traced = false;
    double Confidence = 0;
    std::vector<TScanUnsure> Unsure;
    bool Reviewed = false;
    // Of the chart file when the link was written (filled by WriteScanLink).
    std::uint64_t ChartSize = 0;
    std::uint64_t ChartHash = 0;

    bool Empty() const { return Scan.empty(); }
    // Forgets the trace (a scan marked again by hand).
    void ClearTrace();
};

std::uint64_t Fnv1a64(std::string_view bytes);

// ".../NAME.pvd" -> ".../NAME.scan.json" (any extension is replaced; none: appended).
std::string ScanLinkFileName(const std::string& chartFile);

// The JSON text of a link whose chart file lies in chartFolder, and back. Parse
// returns false (link untouched) for text that is not a sound link.
std::string ScanLinkToJson(const TScanLink& link, const std::string& chartFolder);
bool ScanLinkFromJson(std::string_view text, const std::string& chartFolder, TScanLink& link);

// Reads the link beside chartFile; false when there is none or it is damaged.
bool ReadScanLink(const std::string& chartFile, TScanLink& link);
// Writes the link beside chartFile (atomically), with the size and hash of the
// chart file's bytes as they are on the disk now. False, with the operator's
// message (UTF-8), when the chart file cannot be read or the link not written.
bool WriteScanLink(const std::string& chartFile, TScanLink& link, std::string* error = nullptr);
// Whether the chart file still has the bytes the link was written with.
bool ScanLinkMatchesChart(const std::string& chartFile, const TScanLink& link);

} // namespace rs
