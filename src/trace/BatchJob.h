#pragma once
// One chart of a batch: the scan's grid registered, its curve traced, the
// chart saved where the program saves it (the station's subfolder of the data
// folder) with its scan link beside it. A chart an operator has made or saved
// is never replaced; a batch chart only with "overwrite".

#include "trace/BatchManifest.h"
#include "trace/ChartModel.h"

#include <atomic>
#include <string>
#include <vector>

namespace rs::trace {

enum class TBatchStatus { Traced, Kept, Operator, Failed, BadLine };
const char* BatchStatusText(TBatchStatus s); // UTF-8, as the report shows it
bool BatchStatusFromText(std::string_view text, TBatchStatus& s);

// One row of the report.
struct TBatchRow
{
    int Line = 0;
    std::string Image;   // as in the manifest (UTF-8)
    std::string Chart;   // relative to the data folder, "/" separated
    TBatchStatus Status = TBatchStatus::Failed;
    double Confidence = -1; // -1: unknown
    int Picos = 0, Failures = 0;
    double Sum = 0;
    double PTot = 0;
    bool HasPTot = false;
    std::string Unsure;  // "hh.hh-hh.hh reason; ..." (UTF-8)
    double Seconds = 0;
    std::string Message; // UTF-8: why it failed or was left alone
    bool Fatal = false;  // a write failure that the following charts would meet too (not in the report)

    bool HasCurve() const { return Status == TBatchStatus::Traced || Status == TBatchStatus::Kept; }
    double Difference() const { return Sum - PTot; }
};

// Below this confidence a traced chart goes to the review list (on generated charts, nearly
// every chart traced wrong is below it or far from its gauge reading).
inline constexpr double kReviewConfidence = 0.6;
// A chart whose day sum is further than this from the gauge reading (mm, or this share of it) is reviewed.
inline constexpr double kReviewGaugeMm = 0.5, kReviewGaugeShare = 0.1;
// Whether the chart belongs on the review list, and its place there (lower first).
bool NeedsReview(const TBatchRow& row);
double ReviewPriority(const TBatchRow& row);

struct TBatchOptions
{
    std::string DataFolder;   // ends with the path delimiter
    bool Overwrite = false;
    std::string ReportFolder; // empty: no overlays are drawn
    std::vector<TChartModel> Models; // default models and the operator's
};

// Reads one manifest line into its chart. Never throws.
TBatchRow RunBatchChart(const TManifestEntry& e, const TBatchOptions& o);

// The report folder's pictures of a line: the full-size overlay and its thumbnail.
std::string OverlayName(int line);   // "sobreposicoes/linha-000012.jpg"
std::string ThumbnailName(int line); // "miniaturas/linha-000012.png"
inline constexpr int kThumbnailWidth = 480;

} // namespace rs::trace
