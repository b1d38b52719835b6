#include "scale/uCoordsList.h"

#include "common/Utils.h"
#include "common/uAtomicFile.h"
#include "common/uNativePaths.h"
#include "document/uPoints.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>

namespace fs = std::filesystem;

namespace rs {

const char* const kTemporarySetName = "Pontos Tempor\xE1rios";

namespace {

// Larger files are not sets of control points; reading them would only stall the start.
constexpr std::uintmax_t kMaxFileSize = 16u << 20;

std::string Quoted(std::string_view cp1252) { return "\"" + Cp1252ToUtf8(cp1252) + "\""; }

// "%*.1f" without the C library's locale: the file always uses a point.
void AppendFixed(std::string& out, double v, int width)
{
    char buf[400];
    auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, 1);
    std::string_view s = r.ec == std::errc() ? std::string_view(buf, std::size_t(r.ptr - buf)) : "0.0";
    if (int(s.size()) < width)
        out.append(std::size_t(width) - s.size(), ' ');
    out += s;
}

void AppendInt(std::string& out, int v, int width)
{
    std::string s = std::to_string(v);
    if (int(s.size()) < width)
        out.append(std::size_t(width) - s.size(), ' ');
    out += s;
}

// A real in free format, as a text file's Read takes it: optional sign, digits,
// point, exponent; nothing else.
bool ParseReal(std::string_view tok, double& v)
{
    if (!tok.empty() && tok[0] == '+')
        tok.remove_prefix(1);
    if (tok.empty())
        return false;
    for (char c : tok)
        if (!((c >= '0' && c <= '9') || c == '.' || c == '-' || c == 'e' || c == 'E' || c == '+'))
            return false;
    auto r = std::from_chars(tok.data(), tok.data() + tok.size(), v);
    return r.ec == std::errc() && r.ptr == tok.data() + tok.size() && std::isfinite(v);
}

// Sequential reader with the line and number semantics of a Pascal text file.
class TTextReader
{
public:
    explicit TTextReader(std::string_view text) : FText(text) {}

    bool Eof() const { return FPos >= FText.size(); }
    std::size_t Pos() const { return FPos; }

    std::string_view ReadLine()
    {
        std::size_t b = FPos;
        while (FPos < FText.size() && FText[FPos] != '\r' && FText[FPos] != '\n')
            ++FPos;
        std::string_view line = FText.substr(b, FPos - b);
        SkipLineEnd();
        return line;
    }

    void SkipLine()
    {
        while (FPos < FText.size() && FText[FPos] != '\r' && FText[FPos] != '\n')
            ++FPos;
        SkipLineEnd();
    }

    // Skips blanks and line ends, then reads one token. At the end of the text
    // the value is 0 and the token empty.
    bool ReadReal(double& v, std::string_view& token, std::size_t& tokenPos)
    {
        while (FPos < FText.size() && static_cast<unsigned char>(FText[FPos]) <= ' ')
            ++FPos;
        tokenPos = FPos;
        std::size_t b = FPos;
        while (FPos < FText.size() && static_cast<unsigned char>(FText[FPos]) > ' ')
            ++FPos;
        token = FText.substr(b, FPos - b);
        if (token.empty()) {
            v = 0;
            return true;
        }
        return ParseReal(token, v);
    }

    int LineOf(std::size_t pos) const
    {
        int line = 1;
        for (std::size_t i = 0; i < pos && i < FText.size(); ++i)
            if (FText[i] == '\n' || (FText[i] == '\r' && (i + 1 >= FText.size() || FText[i + 1] != '\n')))
                ++line;
        return line;
    }

private:
    void SkipLineEnd()
    {
        if (FPos < FText.size() && FText[FPos] == '\r')
            ++FPos;
        if (FPos < FText.size() && FText[FPos] == '\n')
            ++FPos;
    }

    std::string_view FText;
    std::size_t FPos = 0;
};

} // namespace

bool CoordInRange(double time, double prec, int startHour)
{
    return time >= startHour && time <= startHour + 24 && prec >= kCoordMinPrec && prec <= kCoordMaxPrec;
}

// --- TCoordSet -----------------------------------------------------------

bool TCoordSet::IsValidPoint(int i, int startHour) const
{
    if (i < 0 || i >= Count())
        return false;
    const TCoordPoint& p = Points[std::size_t(i)];
    return p.Complete() && CoordInRange(p.Time, p.Prec, startHour);
}

int TCoordSet::ValidCount(int startHour) const
{
    int n = 0;
    for (int i = 0; i < Count(); ++i)
        n += IsValidPoint(i, startHour);
    return n;
}

bool TCoordSet::SameAs(const TCoordSet& other) const
{
    if (Name != other.Name || Points.size() != other.Points.size())
        return false;
    for (std::size_t i = 0; i < Points.size(); ++i)
        if (Points[i].Time != other.Points[i].Time || Points[i].Prec != other.Points[i].Prec)
            return false;
    return true;
}

bool TCoordSet::IsTemporary() const { return IsTemporarySetName(Name); }

void TCoordSet::CopyTo(TPointList& list) const
{
    list.Clear();
    list.Name = Name;
    for (const TCoordPoint& cp : Points) {
        auto* p = new TDigPoint;
        p->SetValue(cp.Time, cp.Prec);
        p->SetMark(-1);
        if (list.Append(p) < 0)
            delete p;
    }
}

bool IsTemporarySetName(std::string_view name) { return CompareTextCI(name, kTemporarySetName) == 0; }

int MinSetPoints(bool linear) { return linear ? 4 : 6; }

std::string MinSetPointsMessage(bool linear)
{
    return Format("São necessários pelo menos %d pontos", MinSetPoints(linear));
}

int MinScalePoints(bool linear) { return linear ? 5 : 7; }

std::string MinScalePointsMessage(bool linear)
{
    return Format("Deverão ser marcados pelo menos %d pontos", MinScalePoints(linear));
}

// --- TCoordsList ---------------------------------------------------------

std::vector<std::string> TCoordsList::NameList() const
{
    std::vector<std::string> names;
    names.reserve(FSets.size());
    for (const TCoordSet& s : FSets)
        names.push_back(s.Name);
    return names;
}

TCoordSet& TCoordsList::Add(const std::string& name)
{
    FSets.push_back(TCoordSet{name, {}});
    return FSets.back();
}

int TCoordsList::Append(const TCoordSet& set)
{
    FSets.push_back(set);
    return Count() - 1;
}

void TCoordsList::Delete(int i)
{
    if (i >= 0 && i < Count())
        FSets.erase(FSets.begin() + i);
}

void TCoordsList::Clear() { FSets.clear(); }

int TCoordsList::RemoveTemporary()
{
    std::size_t before = FSets.size();
    std::erase_if(FSets, [](const TCoordSet& s) { return s.IsTemporary(); });
    return int(before - FSets.size());
}

void TCoordsList::SetStartHour(int hour)
{
    const int delta = hour - FStartHour;
    if (delta == 0)
        return;
    for (TCoordSet& s : FSets)
        for (TCoordPoint& p : s.Points)
            p.Time += delta;
    FStartHour = hour;
}

std::string TCoordsList::LoadFromText(std::string_view text, const std::string& fileName)
{
    Clear();
    FStartHour = kCoordsFileHour;
    FUnreadText.clear();
    TTextReader r(text);
    while (!r.Eof()) {
        const std::size_t nameStart = r.Pos();
        std::string name;
        while (!r.Eof()) {
            name = Trim(r.ReadLine());
            if (!name.empty())
                break;
        }
        // A name on the last line has no pairs to read.
        if (r.Eof())
            break;
        TCoordSet set{name, {}};
        for (;;) {
            double t = 0, p = 0;
            std::string_view tok;
            std::size_t tokPos = 0;
            bool ok = r.ReadReal(t, tok, tokPos);
            if (ok)
                ok = r.ReadReal(p, tok, tokPos);
            if (!ok) {
                // Keep what came before; the rest stays in the file untouched.
                FUnreadText = std::string(text.substr(nameStart));
                std::string shown(tok.substr(0, 24));
                return "O arquivo " + Quoted(fileName) + " contém um valor inválido na linha " +
                       std::to_string(r.LineOf(tokPos)) + " (" + Quoted(shown) + "), no conjunto " +
                       Quoted(name) + ". Os conjuntos a partir deste não foram carregados; " +
                       "essa parte do arquivo será mantida como está.";
            }
            r.SkipLine();
            if (t == -1)
                break;
            if (r.Eof())
                break; // the pair on the last line is not taken
            set.Points.push_back(TCoordPoint{t, p, kCoordComplete});
        }
        FSets.push_back(std::move(set));
    }
    return {};
}

std::string TCoordsList::LoadFromFile(const std::string& path)
{
    Clear();
    FStartHour = kCoordsFileHour;
    FUnreadText.clear();
    FProtectedPath.clear();
    std::error_code ec;
    const fs::path p = FsPath(path);
    const fs::file_status st = fs::status(p, ec);
    if (!fs::exists(st))
        return {};
    std::string why;
    std::string data;
    if (!fs::is_regular_file(st))
        why = "não é um arquivo comum";
    else if (std::uintmax_t size = fs::file_size(p, ec); ec)
        why = ec.message();
    else if (size > kMaxFileSize)
        why = "o arquivo é grande demais para ser um arquivo de pontos";
    else if (std::FILE* f = std::fopen(path.c_str(), "rb"); !f)
        why = std::strerror(errno);
    else {
        data.resize(std::size_t(size));
        std::size_t n = std::fread(data.data(), 1, data.size(), f);
        const bool failed = std::ferror(f) != 0;
        const int err = errno;
        std::fclose(f);
        if (failed)
            why = std::strerror(err);
        data.resize(n);
    }
    if (!why.empty()) {
        FProtectedPath = path;
        return "Não foi possível ler o arquivo \"" + path + "\" (" + why +
               "). Os conjuntos de pontos predefinidos não foram carregados, e o arquivo não será regravado.";
    }
    return LoadFromText(data, path);
}

std::string TCoordsList::SaveToText() const
{
    std::string out;
    const double shift = FStartHour - kCoordsFileHour;
    for (const TCoordSet& s : FSets) {
        // The name must stay one non-blank line, or the next read would take a pair for it.
        std::string name = s.Name;
        for (char& c : name)
            if (c == '\r' || c == '\n')
                c = ' ';
        if (Trim(name).empty())
            name = "(sem nome)";
        out += name;
        out += "\r\n";
        for (const TCoordPoint& p : s.Points) {
            AppendFixed(out, p.Time - shift, 4);
            AppendFixed(out, p.Prec, 6);
            out += "\r\n";
        }
        AppendInt(out, -1, 4);
        AppendInt(out, -1, 6);
        out += "\r\n\r\n";
    }
    out += FUnreadText;
    return out;
}

bool TCoordsList::SaveToFile(const std::string& path, std::string* error) const
{
    std::string msg;
    bool ok;
    if (!FProtectedPath.empty() && FProtectedPath == path) {
        msg = "O arquivo \"" + path +
              "\" não foi regravado, pois não pôde ser lido quando o programa foi iniciado.";
        ok = false;
    } else {
        TWriteError e;
        ok = WriteFileAtomically(path, SaveToText(), &e);
        msg = e.Message;
    }
    if (!ok && error)
        *error = msg;
    return ok;
}

} // namespace rs
