#pragma once
// The folder summaries' rows: every ".pvd" file of a folder tree read through
// its header record only, with the "Falhas" count of missing days, sorted by
// station and date; the copied listing; the miniature drawing of a chart.

#include "common/Canvas.h"
#include "document/uRChart.h"

#include <functional>
#include <string>
#include <vector>

namespace rs {

struct TExplorerRow
{
    TRChartInfo Info;            // as ReadSummary returned it
    double Sum = 0;              // the day's sum, mm (kind 0)
    bool Approximate = false;    // the curve has failure marks: the sum is an estimate ("±")
    std::string Cells[6];        // Arquivo, Data, Precip., Falhas, Estação, Alterado (Windows-1252)
    // A chart read from a scan by the automatic trace (its scan link says so).
    bool Traced = false;
    double Confidence = 0;
    bool Reviewed = false;       // marked reviewed, or saved by an operator since it was traced
    std::string Unsure;          // the unsure stretches, one a line (UTF-8)
    std::string TraceCells[2];   // Confiança, Revisado (UTF-8; empty for a chart not traced)
};

extern const char* const kExplorerColumns[6]; // captions (UTF-8)
extern const int kExplorerColumnWidths[6];
extern const char* const kExplorerTraceColumns[2]; // "Confiança", "Revisado" (UTF-8)
extern const int kExplorerTraceColumnWidths[2];

// Called after each file read; return false to stop the scan (the rows so far are kept).
using TScanProgress = std::function<bool(int filesRead, const std::string& path)>;

// Files of folder and its subfolders, hidden ones skipped; within each folder in
// name order, the folder's files before its subfolders.
std::vector<std::string> CollectDataFiles(const std::string& folder, const std::string& mask = "*.pvd");
// Reads every file's summary (unreadable files are left out) and sorts the rows.
std::vector<TExplorerRow> ScanFolder(const std::string& folder, const TScanProgress& progress = {});
// The rows of files in the given order, "Falhas" counted against the file before; the
// day's sum taken from the header's Total.
std::vector<TExplorerRow> MakeRows(const std::vector<TRChartInfo>& infos);
void SortRows(std::vector<TExplorerRow>& rows);
// Fills the rows' trace columns from the scan links beside their files; links:
// the link files present (full paths), so that a chart without one costs nothing.
void ReadTraceLinks(std::vector<TExplorerRow>& rows, const std::vector<std::string>& links);
// The traced charts not yet reviewed, lowest confidence first (indices into rows).
std::vector<int> ReviewOrder(const std::vector<TExplorerRow>& rows);
// Tab-separated lines with CR LF, captions first (Windows-1252, as the clipboard text of the window).
std::string ListingText(const std::vector<TExplorerRow>& rows, const std::vector<int>* only = nullptr);

// Status panel texts for a loaded chart (UTF-8): points, chart sum or state, gauge reading.
void SummaryPanels(const TRChart& chart, std::string panels[3]);
// The miniature of a chart's curve in a box of w × h pixels.
void DrawMiniature(TCanvas& canvas, const TRChart& chart, int w, int h, TColor buttonFace);

} // namespace rs
