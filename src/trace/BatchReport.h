#pragma once
// The batch report folder: "relatorio.csv" (one row per chart, in manifest
// order) and "revisar.html" (the charts to review first, each with a small
// picture of its scan and traced curve linking to the full-size overlay).
// Reports of shards are merged into one equal to a single run's.

#include "trace/BatchJob.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace rs::trace {

inline constexpr const char* kReportCsv = "relatorio.csv";
inline constexpr const char* kReportHtml = "revisar.html";

std::string ReportCsv(const std::vector<TBatchRow>& rows);
// False with the reason (UTF-8) for text that is not such a report.
bool ParseReportCsv(std::string_view text, std::vector<TBatchRow>& rows, std::string& error);

// Where the pictures of a line are, relative to the page; empty: none.
using TPictureFolder = std::function<std::string(int line)>;
// interrupted: the run stopped before its end (said on the page).
std::string ReportHtml(const std::vector<TBatchRow>& rows, const TPictureFolder& pictures, bool interrupted);

// Writes both files of rows (sorted by line) into folder. False with the operator's message.
bool WriteReport(const std::string& folder, std::vector<TBatchRow> rows, bool interrupted, std::string& error);
// Reads the reports of the folders and writes their union into outFolder, the
// pictures linked where they lie. False with the operator's message.
bool MergeReports(const std::vector<std::string>& folders, const std::string& outFolder, std::string& error);

} // namespace rs::trace
