#include "trace/BatchManifest.h"

#include "common/Utils.h"
#include "common/uNativePaths.h"
#include "document/uRChart.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

namespace rs::trace {

namespace {

namespace fs = std::filesystem;

// A manifest of a million scans stays well below this.
constexpr std::uintmax_t kMaxManifestBytes = std::uintmax_t(1) << 30;

std::string Lower(std::string_view s)
{
    std::string r(s);
    for (char& c : r)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return r;
}

// The separator of the header line: the one of ';' and ',' it holds more of (outside quotes).
char DetectSeparator(std::string_view text)
{
    int semi = 0, comma = 0;
    bool quoted = false;
    for (char c : text) {
        if (c == '\n')
            break;
        if (c == '"')
            quoted = !quoted;
        else if (!quoted && c == ';')
            ++semi;
        else if (!quoted && c == ',')
            ++comma;
    }
    return semi > comma ? ';' : ',';
}

enum TColumn { cImage, cStation, cDate, cHour, cCurved, cModel, cName, cPTot, cOperator, cNotes, cPage, cCount };
const char* const kColumnNames[cCount] = {"image", "station", "date",     "hour",  "curved", "model",
                                          "name",  "ptot",    "operator", "notes", "page"};

std::string CheckImage(const std::string& image, const std::string& folder, std::string& path)
{
    if (image.empty())
        return "falta a imagem";
    fs::path p = FsPath(image);
    if (p.is_relative() && !folder.empty())
        p = FsPath(folder) / p;
    path = NativeString(p.lexically_normal());
    std::error_code ec;
    if (!fs::is_regular_file(p, ec))
        return "imagem n\xC3\xA3o encontrada: " + image;
    return {};
}

void ParseEntry(const std::vector<std::string>& f, const int (&col)[cCount], char separator,
                const std::string& folder, TManifestEntry& e)
{
    auto field = [&](TColumn c) -> std::string {
        const int i = col[c];
        return i >= 0 && std::size_t(i) < f.size() ? Trim(f[std::size_t(i)]) : std::string();
    };
    e.Image = field(cImage);
    if ((e.Error = CheckImage(e.Image, folder, e.Path)).size())
        return;
    e.Station = Utf8ToCp1252(field(cStation));
    if (!IsValidStationCode(e.Station)) {
        e.Error = "o c\xC3\xB3" "digo da esta\xC3\xA7\xC3\xA3o deve ter 8 d\xC3\xADgitos: \"" + field(cStation) + "\"";
        return;
    }
    const std::string date = field(cDate);
    if (!TryStrToDate(date, e.Date)) {
        e.Error = "data inexistente ou inv\xC3\xA1lida (use dd/mm/aaaa): \"" + date + "\"";
        return;
    }
    const std::string hour = field(cHour);
    if (!TryStrToInt(hour, e.Hour) || e.Hour < 7 || e.Hour > 9) {
        e.Error = "a hora de coloca\xC3\xA7\xC3\xA3o deve ser 7, 8 ou 9: \"" + hour + "\"";
        return;
    }
    const std::string curved = Lower(field(cCurved));
    if (curved == "1" || curved == "sim")
        e.Curved = true;
    else if (!curved.empty() && curved != "0" && curved != "n\xC3\xA3o" && curved != "nao") {
        e.Error = "a coluna curved deve ser 0 ou 1: \"" + field(cCurved) + "\"";
        return;
    }
    std::string ptot = field(cPTot);
    if (!ptot.empty()) {
        // A semicolon manifest comes from a spreadsheet with a decimal comma.
        if (separator == ';')
            std::replace(ptot.begin(), ptot.end(), ',', '.');
        if (!TryStrToFloat(ptot, e.PTot) || !(e.PTot >= 0) || e.PTot > 1000) {
            e.Error = "leitura do pluvi\xC3\xB4metro inv\xC3\xA1lida: \"" + field(cPTot) + "\"";
            return;
        }
        e.HasPTot = true;
    }
    const std::string page = field(cPage);
    if (!page.empty() && (!TryStrToInt(page, e.Page) || e.Page < 1 || e.Page > 10000)) {
        e.Error = "a p\xC3\xA1gina deve ser 1 ou mais: \"" + page + "\"";
        return;
    }
    e.Model = field(cModel);
    e.Name = Utf8ToCp1252(field(cName));
    e.Operator = Utf8ToCp1252(field(cOperator));
    e.Notes = Utf8ToCp1252(field(cNotes));
}

} // namespace

std::vector<TCsvRecord> SplitCsv(std::string_view text, char separator)
{
    std::vector<TCsvRecord> out;
    TCsvRecord rec;
    std::string cell;
    bool quoted = false, any = false;
    int line = 1;
    rec.Line = 1;
    auto endRecord = [&]() {
        rec.Fields.push_back(std::move(cell));
        cell.clear();
        const bool blank = rec.Fields.size() == 1 && Trim(rec.Fields[0]).empty() && !any;
        if (!blank)
            out.push_back(std::move(rec));
        rec = {};
        any = false;
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            if (c == '"') {
                if (i + 1 < text.size() && text[i + 1] == '"') {
                    cell += '"';
                    ++i;
                } else
                    quoted = false;
            } else {
                if (c == '\n')
                    ++line;
                cell += c;
            }
        } else if (c == '"') {
            quoted = true;
            any = true;
        } else if (c == separator) {
            rec.Fields.push_back(std::move(cell));
            cell.clear();
            any = true;
        } else if (c == '\n' || c == '\r') {
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            endRecord();
            rec.Line = ++line;
        } else
            cell += c;
    }
    if (!cell.empty() || any || !rec.Fields.empty())
        endRecord();
    return out;
}

TManifest ParseManifest(std::string_view text, const std::string& folder)
{
    TManifest m;
    if (text.size() >= 3 && text.substr(0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix(3);
    const char* const notCsv = "o manifesto n\xC3\xA3o \xC3\xA9 um CSV com as colunas image, station, date e hour";
    if (text.find('\0') != std::string_view::npos) {
        m.Error = notCsv;
        return m;
    }
    // A spreadsheet saved in Windows-1252 rather than UTF-8 is still read.
    std::string owned;
    if (!IsValidUtf8(text)) {
        owned = Cp1252ToUtf8(text);
        text = owned;
    }
    const char sep = DetectSeparator(text);
    std::vector<TCsvRecord> recs = SplitCsv(text, sep);
    if (recs.empty()) {
        m.Error = notCsv;
        return m;
    }
    int col[cCount];
    std::fill(std::begin(col), std::end(col), -1);
    const std::vector<std::string>& head = recs[0].Fields;
    for (std::size_t i = 0; i < head.size(); ++i) {
        const std::string name = Lower(Trim(head[i]));
        for (int c = 0; c < cCount; ++c)
            if (name == kColumnNames[c] && col[c] < 0)
                col[c] = int(i);
    }
    if (col[cImage] < 0 || col[cStation] < 0 || col[cDate] < 0 || col[cHour] < 0) {
        m.Error = notCsv;
        return m;
    }
    std::map<std::pair<std::string, double>, int> seen; // chart -> line
    for (std::size_t r = 1; r < recs.size(); ++r) {
        TManifestEntry e;
        e.Line = recs[r].Line;
        e.Ordinal = int(r - 1);
        ParseEntry(recs[r].Fields, col, sep, folder, e);
        if (e.Ok()) {
            // Two lines of one chart would write the same file.
            auto [it, fresh] = seen.emplace(std::make_pair(e.Station, e.Date), e.Line);
            if (!fresh)
                e.Error = Format("o mesmo gr\xC3\xA1" "fico (esta\xC3\xA7\xC3\xA3o e data) j\xC3\xA1 est\xC3\xA1 na linha %d",
                                 it->second);
        }
        m.Entries.push_back(std::move(e));
    }
    return m;
}

TManifest LoadManifest(const std::string& path)
{
    TManifest m;
    std::error_code ec;
    const std::uintmax_t size = fs::file_size(FsPath(path), ec);
    if (ec || !fs::is_regular_file(FsPath(path), ec)) {
        m.Error = "n\xC3\xA3o foi poss\xC3\xADvel ler o manifesto " + path;
        return m;
    }
    if (size > kMaxManifestBytes) {
        m.Error = "o manifesto " + path + " \xC3\xA9 grande demais";
        return m;
    }
    std::ifstream in(path, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    if (!in.good() && !in.eof()) {
        m.Error = "n\xC3\xA3o foi poss\xC3\xADvel ler o manifesto " + path;
        return m;
    }
    std::string folder = NativeString(FsPath(path).parent_path());
    return ParseManifest(ss.str(), folder);
}

bool ParseShard(std::string_view text, TShard& shard)
{
    const std::size_t slash = text.find('/');
    if (slash == std::string_view::npos)
        return false;
    int i = 0, n = 0;
    if (!TryStrToInt(text.substr(0, slash), i) || !TryStrToInt(text.substr(slash + 1), n))
        return false;
    if (n < 1 || n > 1000000 || i < 0 || i >= n)
        return false;
    shard = {i, n};
    return true;
}

} // namespace rs::trace
