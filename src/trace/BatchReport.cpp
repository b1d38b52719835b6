#include "trace/BatchReport.h"

#include "common/Utils.h"
#include "common/uAtomicFile.h"
#include "common/uNativePaths.h"
#include "document/uCsv.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

namespace rs::trace {

namespace {

namespace fs = std::filesystem;

const char* const kHeader[] = {"linha",     "imagem",     "grafico",   "situacao",          "confianca",
                               "picos",     "falhas",     "soma",      "pluviometro",       "diferenca",
                               "trechos_duvidosos", "segundos", "mensagem"};
constexpr int kColumns = 13;

std::string Html(std::string_view s)
{
    std::string r;
    for (char c : s) {
        switch (c) {
        case '&': r += "&amp;"; break;
        case '<': r += "&lt;"; break;
        case '>': r += "&gt;"; break;
        case '"': r += "&quot;"; break;
        default: r += c;
        }
    }
    return r;
}

// A path as a link: every byte but the safe ones percent-encoded.
std::string Url(std::string_view path)
{
    std::string r;
    for (unsigned char c : path) {
        if (std::isalnum(c) || c == '/' || c == '.' || c == '-' || c == '_')
            r += char(c);
        else
            r += Format("%%%02X", c);
    }
    return r;
}

bool ReadText(const std::string& path, std::string& text)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    std::ostringstream ss;
    ss << in.rdbuf();
    text = ss.str();
    return true;
}

void SortByLine(std::vector<TBatchRow>& rows)
{
    std::stable_sort(rows.begin(), rows.end(), [](const TBatchRow& a, const TBatchRow& b) { return a.Line < b.Line; });
}

bool WriteBoth(const std::string& folder, const std::vector<TBatchRow>& rows, const TPictureFolder& pictures,
               bool interrupted, std::string& error)
{
    const std::string dir = IncludeTrailingDelim(folder);
    if (!ForceDirectories(dir)) {
        error = "N\xC3\xA3o foi poss\xC3\xADvel criar a pasta do relat\xC3\xB3rio " + folder + ".";
        return false;
    }
    TWriteError e;
    if (!WriteFileAtomically(dir + kReportCsv, ReportCsv(rows), &e) ||
        !WriteFileAtomically(dir + kReportHtml, ReportHtml(rows, pictures, interrupted), &e)) {
        error = e.Message;
        return false;
    }
    return true;
}

} // namespace

std::string ReportCsv(const std::vector<TBatchRow>& rows)
{
    // Fixed ',' and '.': the report is read back by programs, whatever the locale.
    TCsvWriter w(TCsvFormat{',', '.', "\n"});
    for (const char* h : kHeader)
        w.Cell(h);
    w.EndRow();
    for (const TBatchRow& r : rows) {
        w.Integer(r.Line).Cell(r.Image).Cell(r.Chart).Cell(BatchStatusText(r.Status));
        if (r.Confidence >= 0)
            w.Number(r.Confidence, 3);
        else
            w.Empty();
        if (r.HasCurve())
            w.Integer(r.Picos).Integer(r.Failures).Number(r.Sum, 2);
        else
            w.Empty().Empty().Empty();
        if (r.HasPTot)
            w.Number(r.PTot, 2);
        else
            w.Empty();
        if (r.HasPTot && r.HasCurve())
            w.Number(r.Difference(), 2);
        else
            w.Empty();
        w.Cell(r.Unsure).Number(r.Seconds, 3).Cell(r.Message);
        w.EndRow();
    }
    return w.Take();
}

bool ParseReportCsv(std::string_view text, std::vector<TBatchRow>& rows, std::string& error)
{
    const std::vector<TCsvRecord> recs = SplitCsv(text, ',');
    if (recs.empty() || recs[0].Fields.size() != std::size_t(kColumns) || recs[0].Fields[0] != kHeader[0]) {
        error = "n\xC3\xA3o \xC3\xA9 um relat\xC3\xB3rio de lote";
        return false;
    }
    for (std::size_t i = 1; i < recs.size(); ++i) {
        const std::vector<std::string>& f = recs[i].Fields;
        TBatchRow r;
        double v = 0;
        bool ok = f.size() == std::size_t(kColumns) && TryStrToInt(f[0], r.Line) &&
                  BatchStatusFromText(f[3], r.Status);
        auto num = [&](const std::string& s, double& out) {
            if (s.empty())
                return false;
            if (!TryStrToFloat(s, out))
                ok = false;
            return true;
        };
        if (ok) {
            r.Image = f[1];
            r.Chart = f[2];
            if (num(f[4], v))
                r.Confidence = v;
            if (num(f[5], v))
                r.Picos = int(v);
            if (num(f[6], v))
                r.Failures = int(v);
            num(f[7], r.Sum);
            r.HasPTot = num(f[8], r.PTot);
            r.Unsure = f[10];
            num(f[11], r.Seconds);
            r.Message = f[12];
        }
        if (!ok) {
            error = Format("linha %d do relat\xC3\xB3rio inv\xC3\xA1lida", recs[i].Line);
            return false;
        }
        rows.push_back(std::move(r));
    }
    return true;
}

std::string ReportHtml(const std::vector<TBatchRow>& rows, const TPictureFolder& pictures, bool interrupted)
{
    std::vector<const TBatchRow*> review;
    int counts[5] = {};
    for (const TBatchRow& r : rows) {
        ++counts[int(r.Status)];
        if (NeedsReview(r))
            review.push_back(&r);
    }
    std::stable_sort(review.begin(), review.end(), [](const TBatchRow* a, const TBatchRow* b) {
        const double pa = ReviewPriority(*a), pb = ReviewPriority(*b);
        return pa != pb ? pa < pb : a->Line < b->Line;
    });
    std::string h;
    h += "<!DOCTYPE html>\n<html lang=\"pt-BR\"><head><meta charset=\"utf-8\"><title>Gr\xC3\xA1" "ficos a revisar</title>\n"
         "<style>body{font-family:sans-serif}table{border-collapse:collapse}td,th{border:1px solid #bbb;"
         "padding:3px 6px;vertical-align:top}td.n{text-align:right}img{display:block}</style></head><body>\n";
    h += "<h1>Gr\xC3\xA1" "ficos a revisar</h1>\n";
    if (interrupted)
        h += "<p><b>O lote foi interrompido antes do fim: rode-o de novo para completar.</b></p>\n";
    h += Format("<p>%d gr\xC3\xA1" "ficos no relat\xC3\xB3rio", int(rows.size()));
    for (int s = 0; s < 5; ++s)
        if (counts[s])
            h += Format(", %d ", counts[s]) + BatchStatusText(TBatchStatus(s));
    const std::size_t curves = std::size_t(counts[int(TBatchStatus::Traced)] + counts[int(TBatchStatus::Kept)]);
    h += Format(". A revisar: %d", int(review.size()));
    if (!rows.empty())
        h += Format(" (%.1f %%)", 100.0 * double(review.size()) / double(rows.size()));
    h += Format("; gr\xC3\xA1" "ficos com curva: %d.</p>\n", int(curves));
    h += "<table><tr><th>Figura</th><th>Linha</th><th>Imagem</th><th>Gr\xC3\xA1" "fico</th><th>Situa\xC3\xA7\xC3\xA3o</th>"
         "<th>Confian\xC3\xA7" "a</th><th>Soma (mm)</th><th>Pluvi\xC3\xB4metro (mm)</th><th>Diferen\xC3\xA7" "a</th>"
         "<th>Picos</th><th>Falhas</th><th>Trechos duvidosos / mensagem</th></tr>\n";
    for (const TBatchRow* r : review) {
        h += "<tr><td>";
        const std::string base = pictures ? pictures(r->Line) : std::string();
        if (!base.empty())
            h += "<a href=\"" + Url(base + OverlayName(r->Line)) + "\"><img src=\"" + Url(base + ThumbnailName(r->Line)) +
                 "\" alt=\"linha " + std::to_string(r->Line) + "\" width=\"" + std::to_string(kThumbnailWidth) +
                 "\"></a>";
        h += "</td><td class=n>" + std::to_string(r->Line) + "</td><td>" + Html(r->Image) + "</td><td>" +
             Html(r->Chart) + "</td><td>" + BatchStatusText(r->Status) + "</td><td class=n>";
        if (r->Confidence >= 0)
            h += Format("%.2f", r->Confidence);
        h += "</td><td class=n>";
        if (r->HasCurve())
            h += Format("%.1f", r->Sum);
        h += "</td><td class=n>";
        if (r->HasPTot)
            h += Format("%.1f", r->PTot);
        h += "</td><td class=n>";
        if (r->HasPTot && r->HasCurve())
            h += Format("%+.1f", r->Difference());
        h += "</td><td class=n>";
        if (r->HasCurve())
            h += std::to_string(r->Picos) + "</td><td class=n>" + std::to_string(r->Failures);
        else
            h += "</td><td class=n>";
        h += "</td><td>" + Html(r->Unsure);
        if (!r->Message.empty())
            h += (r->Unsure.empty() ? "" : "<br>") + Html(r->Message);
        h += "</td></tr>\n";
    }
    h += "</table>\n</body></html>\n";
    return h;
}

bool WriteReport(const std::string& folder, std::vector<TBatchRow> rows, bool interrupted, std::string& error)
{
    SortByLine(rows);
    const std::string dir = IncludeTrailingDelim(folder);
    // Pictures lie in the report's own folder: a link relative to the page, when one was drawn.
    const TPictureFolder own = [&dir](int line) { return FileExists(dir + ThumbnailName(line)) ? "./" : ""; };
    return WriteBoth(folder, rows, own, interrupted, error);
}

bool MergeReports(const std::vector<std::string>& folders, const std::string& outFolder, std::string& error)
{
    std::vector<TBatchRow> rows;
    std::map<int, std::string> pictureDir; // line -> folder of its pictures
    std::map<int, std::string> lineFolder;
    bool interrupted = false;
    for (const std::string& folder : folders) {
        const std::string dir = IncludeTrailingDelim(folder);
        std::string text, why;
        if (!ReadText(dir + kReportCsv, text)) {
            error = "N\xC3\xA3o foi poss\xC3\xADvel ler " + dir + kReportCsv + ".";
            return false;
        }
        std::vector<TBatchRow> part;
        if (!ParseReportCsv(text, part, why)) {
            error = dir + kReportCsv + ": " + why + ".";
            return false;
        }
        std::string html;
        if (ReadText(dir + kReportHtml, html) && html.find("interrompido") != std::string::npos)
            interrupted = true;
        for (TBatchRow& r : part) {
            if (auto it = lineFolder.find(r.Line); it != lineFolder.end()) {
                error = Format("A linha %d do manifesto est\xC3\xA1 em dois relat\xC3\xB3rios (", r.Line) + it->second +
                        " e " + folder + "): s\xC3\xA3o de fra\xC3\xA7\xC3\xB5" "es sobrepostas ou do mesmo lote?";
                return false;
            }
            lineFolder[r.Line] = folder;
            if (FileExists(dir + ThumbnailName(r.Line)))
                pictureDir[r.Line] = dir;
            rows.push_back(std::move(r));
        }
    }
    SortByLine(rows);
    std::error_code ec;
    fs::create_directories(FsPath(outFolder), ec);
    const fs::path outAbs = fs::absolute(FsPath(outFolder), ec);
    const TPictureFolder pictures = [&](int line) -> std::string {
        auto it = pictureDir.find(line);
        if (it == pictureDir.end())
            return {};
        std::error_code e2;
        const fs::path rel = fs::absolute(FsPath(it->second), e2).lexically_normal().lexically_relative(
            outAbs.lexically_normal());
        const std::string s = rel.generic_string();
        return s.empty() || s == "." ? "./" : IncludeTrailingDelim(s);
    };
    return WriteBoth(outFolder, rows, pictures, interrupted, error);
}

} // namespace rs::trace
