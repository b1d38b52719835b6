#include "trace/BatchJob.h"

#include "common/Utils.h"
#include "common/uAtomicFile.h"
#include "document/uRChart.h"
#include "document/uScanLink.h"
#include "scale/uScale.h"
#include "tablet/ImageResolution.h"
#include "trace/GridRegistration.h"
#include "trace/ScanImage.h"
#include "trace/TraceLink.h"
#include "trace/TraceEngine.h"
#include "trace/TraceOverlay.h"

#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace rs::trace {

namespace {

namespace fs = std::filesystem;

constexpr double kDefaultDpi = 300.0; // the virtual tablet's, for a picture that declares none

const char* const kStatusTexts[] = {"tra\xC3\xA7" "ado", "mantido", "do operador", "falha",
                                    "linha inv\xC3\xA1lida"};

// A failure of the disk or the folder that every following chart would meet too.
bool IsFatalWrite(int code)
{
#ifdef EDQUOT
    if (code == EDQUOT)
        return true;
#endif
    return code == ENOSPC || code == EROFS || code == EACCES || code == EPERM || code == EIO;
}

std::string ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

std::string UnsureText(const std::vector<TScanUnsure>& unsure)
{
    std::string s;
    for (const TScanUnsure& u : unsure) {
        if (!s.empty())
            s += "; ";
        s += Format("%.2f-%.2f ", u.Start, u.End) + Cp1252ToUtf8(u.Reason);
    }
    return s;
}

// The figures of a chart already on the disk, for the report.
void ReadExisting(const std::string& path, const TScanLink* link, TBatchRow& row)
{
    TRChart chart;
    if (chart.LoadFromFile(path)) {
        row.Picos = chart.Curve().Peaks;
        row.Failures = chart.Curve().Failures;
        row.Sum = chart.Curve().Sum;
        if (!row.HasPTot && chart.Info.PTot > 0) {
            row.PTot = chart.Info.PTot;
            row.HasPTot = true;
        }
    }
    if (link && link->Traced) {
        row.Confidence = link->Confidence;
        row.Unsure = UnsureText(link->Unsure);
    }
}

bool WritePicture(const std::string& path, const cv::Mat& pic)
{
    std::vector<uchar> png;
    // The full-size overlay of a scan's noise is several megabytes as PNG; a tenth as JPEG.
    const bool jpeg = path.size() > 4 && path.compare(path.size() - 4, 4, ".jpg") == 0;
    const std::vector<int> params = jpeg ? std::vector<int>{cv::IMWRITE_JPEG_QUALITY, 85} : std::vector<int>{};
    if (!cv::imencode(jpeg ? ".jpg" : ".png", pic, png, params))
        return false;
    ForceDirectories(ExtractFilePath(path));
    return WriteFileAtomically(path, std::string_view(reinterpret_cast<const char*>(png.data()), png.size()));
}

void Trace(const TManifestEntry& e, const TBatchOptions& o, const std::string& path, const std::string* oldLink,
           TBatchRow& row)
{
    const TScan scan = LoadScan(e.Path, e.Page - 1);
    if (!scan.Ok()) {
        row.Message = Cp1252ToUtf8(scan.Error);
        return;
    }
    TImageResolution res;
    TScanFrame frame{kDefaultDpi, kDefaultDpi, scan.Image.rows};
    if (ReadImageResolution(e.Path, res))
        frame = {res.DpiX, res.DpiY, scan.Image.rows};

    TChartModel model = DefaultChartModel(e.Hour, e.Curved);
    int hour = e.Hour;
    bool curved = e.Curved;
    if (!e.Model.empty()) {
        const TChartModel* m = FindChartModel(o.Models, Utf8ToCp1252(e.Model));
        if (!m) {
            row.Message = "modelo de gr\xC3\xA1" "fico desconhecido: " + e.Model;
            return;
        }
        model = *m;
        if (model.Hour >= 7 && model.Hour <= 9)
            hour = model.Hour;
        curved = model.Curved;
    }
    const TGridResult grid = RegisterGrid(scan.Image, model);
    if (!grid.Found) {
        row.Message = Cp1252ToUtf8(grid.Error);
        return;
    }

    TRChart chart;
    TRChartInfo info;
    info.Kind = 0;
    info.Date = e.Date;
    info.Hour = std::uint8_t(hour);
    info.Linear = !curved;
    info.StCode = e.Station;
    info.StName = e.Name;
    info.OpName = e.Operator;
    info.Notes = e.Notes;
    info.PModel = model.Name;
    info.PTot = e.HasPTot ? e.PTot : 0;
    chart.SetInfo(info);
    chart.Scale().SetCoordMode(1);
    chart.BeginScale();
    for (const TGridControl& c : grid.Controls) {
        auto* pt = new TDigPoint;
        pt->X = std::int32_t(std::lround(frame.CountsX(c.X)));
        pt->Y = std::int32_t(std::lround(frame.CountsY(c.Y)));
        pt->SetValue(c.T, c.P);
        if (!chart.Scale().AcceptPoint(pt) || chart.Scale().Append(pt) < 0)
            delete pt;
    }
    TScale& scale = chart.Scale();
    if (!scale.Valid || !scale.WithinTolerance()) {
        row.Message = "a escala achada na grade supera os erros tolerados (5 min e 0,1 mm)";
        return;
    }
    chart.ConcludeScale();
    const TTraceResult result = trace::Trace(scan.Image, frame, scale, hour);
    if (!result.Error.empty()) {
        row.Message = Cp1252ToUtf8(result.Error);
        return;
    }
    FillCurve(chart, result);

    const std::string bytes = chart.SaveToBuffer();
    TScanLink link = MakeTraceLink(e.Path, e.Page - 1, result);
    link.ChartSize = bytes.size();
    link.ChartHash = Fnv1a64(bytes);

    row.Confidence = result.Confidence;
    row.Picos = chart.Curve().Peaks;
    row.Failures = chart.Curve().Failures;
    row.Sum = chart.Curve().Sum;
    row.Unsure = UnsureText(link.Unsure);

    // The link goes first, naming the bytes the chart is about to have: a stop between the
    // two writes leaves a link without its chart (the next run traces it again), never a
    // batch chart that looks like the operator's.
    const std::string folder = ExtractFilePath(path);
    if (!ForceDirectories(folder)) {
        row.Message = "n\xC3\xA3o foi poss\xC3\xADvel criar a pasta " + folder;
        row.Fatal = true;
        return;
    }
    const std::string linkFile = ScanLinkFileName(path);
    TWriteError we;
    if (!WriteFileAtomically(linkFile, ScanLinkToJson(link, folder), &we)) {
        row.Message = we.Message;
        row.Fatal = IsFatalWrite(we.Code);
        return;
    }
    if (!WriteFileAtomically(path, bytes, &we)) {
        row.Message = we.Message;
        row.Fatal = IsFatalWrite(we.Code);
        if (oldLink)
            WriteFileAtomically(linkFile, *oldLink);
        else
            DeleteFile(linkFile);
        return;
    }
    row.Status = TBatchStatus::Traced;

    if (!o.ReportFolder.empty() && NeedsReview(row)) {
        cv::Mat pic = DrawOverlay(scan.Image, frame, scale, result);
        DrawGrid(pic, grid);
        const std::string report = IncludeTrailingDelim(o.ReportFolder);
        cv::Mat small;
        const double f = std::min(1.0, double(kThumbnailWidth) / std::max(1, pic.cols));
        cv::resize(pic, small, cv::Size(), f, f, cv::INTER_AREA);
        // A picture that cannot be written costs the report its figure, not the chart.
        WritePicture(report + OverlayName(e.Line), pic);
        WritePicture(report + ThumbnailName(e.Line), small);
    }
}

} // namespace

const char* BatchStatusText(TBatchStatus s)
{
    return kStatusTexts[int(s)];
}

bool BatchStatusFromText(std::string_view text, TBatchStatus& s)
{
    for (int i = 0; i < 5; ++i)
        if (text == kStatusTexts[i]) {
            s = TBatchStatus(i);
            return true;
        }
    return false;
}

bool NeedsReview(const TBatchRow& row)
{
    if (row.Status == TBatchStatus::Failed || row.Status == TBatchStatus::BadLine)
        return true;
    if (!row.HasCurve())
        return false;
    // A record failure is the record's own, not a doubt of the trace: it only ranks the chart higher.
    if (row.Confidence >= 0 && row.Confidence < kReviewConfidence)
        return true;
    return row.HasPTot && row.PTot > 0 &&
           std::fabs(row.Difference()) > std::max(kReviewGaugeMm, kReviewGaugeShare * row.PTot);
}

double ReviewPriority(const TBatchRow& row)
{
    if (row.Status == TBatchStatus::BadLine)
        return -3;
    if (row.Status == TBatchStatus::Failed)
        return -2;
    double p = row.Confidence < 0 ? 0.5 : row.Confidence;
    if (row.HasPTot && row.PTot > 0)
        p -= std::min(1.0, std::fabs(row.Difference()) / std::max(1.0, row.PTot));
    if (row.Failures > 0)
        p -= 0.2;
    return p;
}

std::string OverlayName(int line)
{
    return Format("sobreposicoes/linha-%06d.jpg", line);
}

std::string ThumbnailName(int line)
{
    return Format("miniaturas/linha-%06d.png", line);
}

TBatchRow RunBatchChart(const TManifestEntry& e, const TBatchOptions& o)
{
    const auto started = std::chrono::steady_clock::now();
    TBatchRow row;
    row.Line = e.Line;
    row.Image = e.Image;
    row.PTot = e.PTot;
    row.HasPTot = e.HasPTot;
    if (!e.Ok()) {
        row.Status = TBatchStatus::BadLine;
        row.Message = e.Error;
        return row;
    }
    try {
        TRChartInfo info;
        info.StCode = e.Station;
        info.Date = e.Date;
        // A name under the station's subfolder: MakeFileName keeps that data tree.
        info.FileName = o.DataFolder + e.Station + kPathDelim + "x.pvd";
        const std::string path = TRChart::MakeFileName(info);
        row.Chart = path.substr(o.DataFolder.size());
        std::replace(row.Chart.begin(), row.Chart.end(), '\\', '/');

        std::string oldLinkText;
        bool hadLink = false;
        if (FileExists(path)) {
            TScanLink link;
            const bool batchChart = ReadScanLink(path, link) && link.Traced && !link.Reviewed &&
                                    ScanLinkMatchesChart(path, link);
            if (!batchChart) {
                row.Status = TBatchStatus::Operator;
                row.Message = "gr\xC3\xA1" "fico feito ou salvo pelo operador: n\xC3\xA3o foi substitu\xC3\xAD" "do";
                ReadExisting(path, link.Traced ? &link : nullptr, row);
            } else if (!o.Overwrite) {
                row.Status = TBatchStatus::Kept;
                ReadExisting(path, &link, row);
            } else {
                oldLinkText = ReadAll(ScanLinkFileName(path));
                hadLink = true;
            }
            if (row.Status == TBatchStatus::Operator || row.Status == TBatchStatus::Kept) {
                row.Seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
                return row;
            }
        }
        Trace(e, o, path, hadLink ? &oldLinkText : nullptr, row);
    } catch (const std::exception& ex) {
        row.Status = TBatchStatus::Failed;
        row.Message = std::string("erro inesperado: ") + ex.what();
    }
    row.Seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    return row;
}

} // namespace rs::trace
