#include "tools/uExplorerScan.h"

#include "common/Utils.h"
#include "common/uNativePaths.h"
#include "common/uGlobal.h"
#include "document/uScanLink.h"
#include "scale/uScale.h"

#include <algorithm>
#include <filesystem>

namespace fs = std::filesystem;

namespace rs {

const char* const kExplorerColumns[6] = {"Arquivo", "Data", "Precip.", "Falhas", "Estação", "Alterado"};
const int kExplorerColumnWidths[6] = {152, 80, 55, 55, 175, 80};
const char* const kExplorerTraceColumns[2] = {"Confiança", "Revisado"};
const int kExplorerTraceColumnWidths[2] = {70, 65};

namespace {

constexpr const char* kLinkMask = "*.scan.json";

void Collect(const fs::path& folder, const std::string& mask, std::vector<std::string>& out,
             std::vector<std::string>* links = nullptr)
{
    std::error_code ec;
    std::vector<std::string> files, dirs;
    fs::directory_iterator it(folder, fs::directory_options::skip_permission_denied, ec);
    if (ec)
        return;
    for (; it != fs::directory_iterator(); it.increment(ec)) {
        if (ec)
            break;
        if (IsHiddenEntry(it->path()))
            continue;
        const std::string name = NativeString(it->path().filename());
        std::error_code e2;
        if (it->is_directory(e2)) {
            if (!it->is_symlink(e2))
                dirs.push_back(name);
        } else if (it->is_regular_file(e2)) {
            if (MatchesMask(name, mask))
                files.push_back(name);
            else if (links && MatchesMask(name, kLinkMask))
                links->push_back(IncludeTrailingDelim(NativeString(folder)) + name);
        }
    }
    // Name order puts a station's files in date order, which "Falhas" relies on.
    std::sort(files.begin(), files.end());
    std::sort(dirs.begin(), dirs.end());
    const std::string base = IncludeTrailingDelim(NativeString(folder));
    for (const auto& f : files)
        out.push_back(base + f);
    for (const auto& d : dirs)
        Collect(folder / FsPath(d), mask, out, links);
}

} // namespace

std::vector<std::string> CollectDataFiles(const std::string& folder, const std::string& mask)
{
    std::vector<std::string> out;
    if (!folder.empty())
        Collect(FsPath(folder), mask, out);
    return out;
}

namespace {
// The cells of rows whose Info, Sum and Approximate are set.
void FillCells(std::vector<TExplorerRow>& rows)
{
    double prevDate = -1;
    std::string prevStation;
    for (TExplorerRow& r : rows) {
        r.Info.Owner = nullptr;
        const TRChartInfo& i = r.Info;
        r.Cells[0] = ExtractFileName(i.FileName);
        r.Cells[1] = DateToStr(i.Date);
        // The day's sum as the results window gives it, "±" (Windows-1252) after a failure.
        r.Cells[2] = i.Kind == 0   ? (r.Approximate ? "\xB1" : "") + FormatNum("%.1f", r.Sum)
                     : i.Kind == 1 ? "-"
                                   : "?";
        r.Cells[3].clear();
        if (i.StCode == prevStation) {
            const double d = i.Date - prevDate;
            if (d > 1)
                r.Cells[3] = FormatNum("%.0f", d - 1) + " dias";
        }
        prevDate = i.Date;
        prevStation = i.StCode;
        r.Cells[4] = i.StName + " - " + i.StCode;
        r.Cells[5] = DateToStr(i.FileDate);
    }
}
} // namespace

std::vector<TExplorerRow> MakeRows(const std::vector<TRChartInfo>& infos)
{
    std::vector<TExplorerRow> rows(infos.size());
    for (std::size_t k = 0; k < infos.size(); ++k) {
        rows[k].Info = infos[k];
        rows[k].Sum = infos[k].Total;
    }
    FillCells(rows);
    return rows;
}

void SortRows(std::vector<TExplorerRow>& rows)
{
    // Sort an index and move each row once: rows are large.
    std::vector<std::size_t> order(rows.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&rows](std::size_t x, std::size_t y) {
        const TRChartInfo& a = rows[x].Info;
        const TRChartInfo& b = rows[y].Info;
        if (a.StCode != b.StCode)
            return a.StCode < b.StCode; // byte-wise, a prefix first
        return a.Date < b.Date;
    });
    std::vector<TExplorerRow> sorted;
    sorted.reserve(rows.size());
    for (std::size_t i : order)
        sorted.push_back(std::move(rows[i]));
    rows = std::move(sorted);
}

std::vector<TExplorerRow> ScanFolder(const std::string& folder, const TScanProgress& progress)
{
    std::vector<TExplorerRow> rows;
    int read = 0;
    std::vector<std::string> files, links;
    if (!folder.empty())
        Collect(FsPath(folder), "*.pvd", files, &links);
    for (const std::string& path : files) {
        TExplorerRow row;
        TDaySum day;
        try {
            if (TRChart::ReadSummary(path, row.Info, &day)) {
                row.Sum = day.Sum;
                row.Approximate = day.Approximate;
                rows.push_back(std::move(row));
            }
        } catch (const std::exception&) {
            // A file whose header cannot be read is simply not listed.
        }
        ++read;
        if (progress && !progress(read, path))
            break;
    }
    FillCells(rows);
    SortRows(rows);
    ReadTraceLinks(rows, links);
    return rows;
}

void ReadTraceLinks(std::vector<TExplorerRow>& rows, const std::vector<std::string>& links)
{
    if (links.empty())
        return;
    std::vector<std::string> sorted(links);
    std::sort(sorted.begin(), sorted.end());
    for (TExplorerRow& r : rows) {
        const std::string name = ScanLinkFileName(r.Info.FileName);
        if (!std::binary_search(sorted.begin(), sorted.end(), name))
            continue;
        TScanLink link;
        if (!ReadScanLink(r.Info.FileName, link) || !link.Traced)
            continue;
        r.Traced = true;
        r.Confidence = link.Confidence;
        // A chart saved since the trace has been through an operator's hands.
        r.Reviewed = link.Reviewed || !ScanLinkMatchesChart(r.Info.FileName, link);
        r.Unsure.clear();
        for (const TScanUnsure& u : link.Unsure) {
            const int h0 = int(u.Start * 60 + 0.5), h1 = int(u.End * 60 + 0.5);
            r.Unsure += Format("%02d:%02d-%02d:%02d ", h0 / 60 % 24, h0 % 60, h1 / 60 % 24, h1 % 60) +
                        Cp1252ToUtf8(u.Reason) + "\n";
        }
        r.TraceCells[0] = FormatNum("%.2f", r.Confidence);
        r.TraceCells[1] = r.Reviewed ? "sim" : "n\xC3\xA3o";
    }
}

std::vector<int> ReviewOrder(const std::vector<TExplorerRow>& rows)
{
    std::vector<int> order;
    for (std::size_t i = 0; i < rows.size(); ++i)
        if (rows[i].Traced && !rows[i].Reviewed)
            order.push_back(int(i));
    std::stable_sort(order.begin(), order.end(),
                     [&rows](int a, int b) { return rows[std::size_t(a)].Confidence < rows[std::size_t(b)].Confidence; });
    return order;
}

std::string ListingText(const std::vector<TExplorerRow>& rows, const std::vector<int>* only)
{
    std::string out;
    for (int c = 0; c < 6; ++c) {
        if (c)
            out += '\t';
        out += Utf8ToCp1252(kExplorerColumns[c]);
    }
    out += "\r\n";
    auto add = [&](const TExplorerRow& r) {
        out += r.Cells[0];
        for (int c = 1; c < 6; ++c)
            out.append("\t").append(r.Cells[c]);
        out += "\r\n";
    };
    if (only) {
        for (int i : *only)
            if (i >= 0 && std::size_t(i) < rows.size())
                add(rows[std::size_t(i)]);
    } else
        for (const auto& r : rows)
            add(r);
    return out;
}

void SummaryPanels(const TRChart& chart, std::string panels[3])
{
    const TCurve& c = chart.Curve();
    panels[0] = "Pontos Dig. : " + std::to_string(c.Count());
    panels[1].clear();
    panels[2].clear();
    switch (chart.Info.Kind) {
    case 0: {
        bool failure = false;
        for (int i = 0; i < c.Count(); ++i)
            failure = failure || c.Items(i)->Mark() == 2;
        if (!c.IsEmpty())
            panels[1] = (failure ? "Pluviograma: ±" : "Pluviograma: ") + FormatNum("%.1f", c.Sum) + " mm";
        else if (chart.Scale().Editing())
            panels[1] = "Definindo Escala";
        panels[2] = "Pluviômetro: " + FormatNum("%.1f", chart.Info.PTot) + " mm";
        break;
    }
    case 1: panels[1] = "Dia sem chuva"; break;
    default: panels[1] = "Dia sem pluviograma"; break;
    }
}

void DrawMiniature(TCanvas& canvas, const TRChart& chart, int w, int h, TColor buttonFace)
{
    const TCurve& c = chart.Curve();
    if (c.IsEmpty()) {
        if (chart.Scale().Editing()) {
            const std::string text = "Digitaliza\xE7\xE3o Incompleta";
            canvas.SetFont("Arial", 8, RGB(0, 0, 0));
            canvas.TextOut((w - canvas.TextWidth(text)) / 2, (h - canvas.TextHeight(text)) / 2, text);
        }
        return;
    }
    std::vector<TPoint> pts;
    pts.reserve(std::size_t(c.Count()));
    for (int i = 0; i < c.Count(); ++i) {
        const TDigPoint* p = c.Items(i);
        pts.push_back({RoundEven((p->Time() - chart.Info.Hour) / 24 * (w - 8)) + 4,
                       RoundEven((p->Prec() - 11) / -12 * (h - 8)) + 4});
    }
    canvas.SetPen(ChartColors().Curve, 1);
    canvas.Polyline(pts);
    canvas.SetPen(RGB(255, 255, 255), 1);
    for (int i = 0; i + 1 < c.Count(); ++i)
        if (c.Items(i)->Mark() == 2)
            canvas.Line(pts[std::size_t(i)].x, pts[std::size_t(i)].y, pts[std::size_t(i) + 1].x,
                        pts[std::size_t(i) + 1].y);
    canvas.SetPen(buttonFace, 1);
    if (chart.Info.Kind == 2) {
        canvas.Line(4, 4, w - 4, h - 4);
        canvas.Line(4, h - 4, w - 4, 4);
    }
    canvas.FrameRect({4, 4, w - 4, h - 4});
}

} // namespace rs
