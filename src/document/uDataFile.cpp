// The ".pvd" data file: a 70-byte header followed by the header record, the
// state, the scale block and the curve block, all little-endian.

#include "document/uRChart.h"

#include "common/ByteStream.h"
#include "common/uAtomicFile.h"
#include "common/Utils.h"
#include "common/uNativePaths.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <vector>
#include <sys/stat.h>
#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace rs {

namespace {

constexpr char kMagic[2] = {'R', 'S'};
// Real charts are well under a megabyte; anything this large is not one of ours.
constexpr std::uint64_t kMaxFileSize = 256ull << 20;

// Whether two names reach one file as the file system sees them (case on
// Windows, links, ".."); in doubt they do, so a save never deletes what it wrote.
bool SameFile(const std::string& a, const std::string& b)
{
    if (a == b)
        return true;
    std::error_code ec;
    const bool same = fs::equivalent(FsPath(a), FsPath(b), ec);
    return same || ec;
}

std::uint32_t GetU32(const char* p)
{
    std::uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}

void WriteHeader(TByteWriter& w, std::uint32_t fileSize, const TPointList& ctrl, const TPointList& curve, float dh)
{
    char h[TRChart::kHeaderSize] = {};
    std::memcpy(h, kMagic, 2);
    const std::uint32_t vals[] = {70, fileSize, 1, ctrl.WrittenOffset, ctrl.WrittenCount, ctrl.WrittenRecordSize,
                                  curve.WrittenOffset, curve.WrittenCount, curve.WrittenRecordSize};
    std::memcpy(h + 2, vals, sizeof vals);
    std::memcpy(h + 38, &dh, 4);
    w.Seek(0);
    w.Write(h, sizeof h);
}

struct TFileCloser
{
    void operator()(std::FILE* f) const
    {
        if (f)
            std::fclose(f);
    }
};
using TFilePtr = std::unique_ptr<std::FILE, TFileCloser>;

TFilePtr OpenRead(const std::string& path) { return TFilePtr(std::fopen(path.c_str(), "rb")); }

bool FileSizeOf(std::FILE* f, std::uint64_t& size, std::int64_t* mtime = nullptr)
{
#ifdef _WIN32
    struct _stat64 st;
    if (_fstat64(_fileno(f), &st) != 0)
        return false;
#else
    struct stat st;
    if (fstat(fileno(f), &st) != 0)
        return false;
#endif
    if (!S_ISREG(st.st_mode) && !(st.st_mode & S_IFREG))
        return false;
    size = std::uint64_t(st.st_size);
    if (mtime)
        *mtime = std::int64_t(st.st_mtime);
    return true;
}

std::string Utf8Path(const std::string& p) { return p; }

} // namespace

std::string TRChart::SaveToBuffer()
{
    TByteWriter w;
    char zero[kHeaderSize] = {};
    w.Write(zero, sizeof zero);
    // An empty curve has accumulated nothing, whatever it held before.
    Info.Total = FCurve->IsEmpty() ? 0 : FCurve->Last()->Accumulated;
    w.WriteU8(Info.Kind);
    w.WriteF64(Info.Date);
    w.WriteU8(Info.Hour);
    w.WriteU8(Info.Linear ? 1 : 0);
    w.WriteF64(Info.PTot);
    w.WriteF64(Info.Total);
    for (const std::string* s : {&Info.StName, &Info.StCode, &Info.PModel, &Info.OpName, &Info.Notes})
        w.WriteString(*s);
    w.WriteU8(std::uint8_t(State()));
    FScale->SaveToStream(w);
    FCurve->SaveToStream(w);
    WriteHeader(w, std::uint32_t(w.Size()), *FScale, *FCurve, float(Info.Dh));
    return w.Data();
}

void TRChart::SaveToFile(const std::string& path)
{
    // A code with separators or ".." would write outside the data folder.
    if (!IsValidStationCode(Info.StCode))
        throw std::runtime_error("O código da estação \"" + Cp1252ToUtf8(Info.StCode) +
                                 "\" é inválido: deve ter exatamente 8 dígitos. O arquivo não foi gravado.");
    const std::string folder = ExtractFilePath(path);
    // The folders this save makes, deepest first, to take away again if it fails.
    std::vector<fs::path> made;
    std::error_code ec;
    for (fs::path p = FsPath(folder).parent_path(); !p.empty() && !fs::exists(p, ec) && p != p.parent_path();
         p = p.parent_path())
        made.push_back(p);
    if (!folder.empty() && !ForceDirectories(folder))
        throw std::runtime_error("Não foi possível criar a pasta \"" + Utf8Path(folder) + "\".");
    const std::string data = SaveToBuffer();
    TWriteError error;
    if (!WriteFileAtomically(path, data, &error)) {
        for (const fs::path& p : made)
            fs::remove(p, ec); // only while empty
        throw std::runtime_error(error.Message);
    }
    Info.FileName = path;
    // Only once the new file is complete does the file this document came from go
    // (LastFile is only ever the file it was read from or written to).
    if (!LastFile.empty() && FileExists(LastFile) && !SameFile(LastFile, path))
        DeleteFile(LastFile);
    LastFile = path;
    Modified = false;
    FScale->SetModified(false);
    FCurve->SetModified(false);
}

bool TRChart::IsDataBuffer(const char* data, std::size_t size, std::uint64_t actualSize)
{
    return size >= kHeaderSize && std::memcmp(data, kMagic, 2) == 0 && GetU32(data + 2) == kHeaderSize &&
           GetU32(data + 6) == actualSize;
}

bool TRChart::IsDataFile(const std::string& path)
{
    TFilePtr f = OpenRead(path);
    if (!f)
        return false;
    std::uint64_t size;
    if (!FileSizeOf(f.get(), size) || size < kHeaderSize)
        return false; // too short to hold the header: not a data file
    char h[kHeaderSize];
    if (std::fread(h, 1, kHeaderSize, f.get()) != kHeaderSize)
        return false;
    return IsDataBuffer(h, kHeaderSize, size);
}

bool TRChart::LoadFromBuffer(const std::string& data, const std::string& path)
{
    TByteReader r(data);
    bool ok = true;
    try {
        char h[kHeaderSize] = {};
        r.Read(h, kHeaderSize);
        r.ReadValue(Info.Kind);
        r.ReadValue(Info.Date);
        r.ReadValue(Info.Hour);
        std::uint8_t linear = Info.Linear;
        r.ReadValue(linear);
        Info.Linear = linear != 0;
        r.ReadValue(Info.PTot);
        r.ReadValue(Info.Total);
        for (std::string* s : {&Info.StName, &Info.StCode, &Info.PModel, &Info.OpName, &Info.Notes})
            *s = r.ReadString();
        std::uint8_t state = std::uint8_t(State());
        r.ReadValue(state);
        float dh;
        std::memcpy(&dh, h + 38, 4);
        // Values no chart can hold would confuse every window that shows the document.
        if (Info.Kind > 2 || state > 3 || Info.Hour > 23 || !std::isfinite(dh) || !std::isfinite(Info.Date) ||
            std::fabs(Info.Date) > 3e6)
            throw EReadError("Erro de leitura: cabeçalho inválido.");
        FScale->LoadFromStream(r);
        FCurve->LoadFromStream(r);
        SetState(state);
        // A chart with precipitation waiting for a scale it already has concluded (or
        // idle without one) could go neither way: it is put where it can go on.
        if (Info.Kind == 0 && (state == Idle || state == AwaitingScale))
            SetState(FScale->Concluded ? Idle : AwaitingScale);
        Modified = false;
        Info.Dh = double(dh);
        Info.FileName = path;
        LastFile = path;
    } catch (const std::exception&) {
        ok = false;
    }
    if (ok)
        Fire(OnInfoChange);
    if (Info.Kind == 0)
        FCurve->Recalc();
    return ok;
}

bool TRChart::LoadFromFile(const std::string& path)
{
    TFilePtr f = OpenRead(path);
    if (!f)
        return false;
    std::uint64_t size;
    if (!FileSizeOf(f.get(), size) || size > kMaxFileSize)
        return false;
    std::string data(std::size_t(size), '\0');
    const std::size_t n = std::fread(data.data(), 1, data.size(), f.get());
    data.resize(n);
    f.reset();
    return LoadFromBuffer(data, path);
}

bool TRChart::ReadSummary(const std::string& path, TRChartInfo& info, TDaySum* day)
{
    TFilePtr f = OpenRead(path);
    if (!f)
        return false;
    std::uint64_t size;
    std::int64_t mtime = 0;
    if (!FileSizeOf(f.get(), size, &mtime) || size < kHeaderSize)
        return false;
    // One read covers the header and the record of nearly every file.
    std::string data(4096, '\0');
    data.resize(std::fread(data.data(), 1, data.size(), f.get()));
    if (!IsDataBuffer(data.data(), data.size(), size))
        return false;
    auto need = [&](std::uint64_t upto) {
        if (upto <= data.size())
            return;
        if (upto > size)
            throw EReadError("Erro de leitura: fim do arquivo inesperado.");
        const std::size_t had = data.size();
        data.resize(std::size_t(upto));
        if (std::fread(data.data() + had, 1, data.size() - had, f.get()) != data.size() - had)
            throw EReadError("Erro de leitura: fim do arquivo inesperado.");
    };
    std::size_t pos = kHeaderSize;
    auto take = [&](void* dest, std::size_t k) {
        need(pos + k);
        std::memcpy(dest, data.data() + pos, k);
        pos += k;
    };
    auto takeString = [&](std::string& s) {
        std::uint32_t len;
        take(&len, 4);
        if (len > size - pos)
            throw EReadError("Erro de leitura: comprimento de texto inválido.");
        need(pos + std::uint64_t(len));
        s.assign(data.data() + pos, len);
        pos += len;
    };
    take(&info.Kind, 1);
    take(&info.Date, 8);
    take(&info.Hour, 1);
    std::uint8_t linear;
    take(&linear, 1);
    info.Linear = linear != 0;
    take(&info.PTot, 8);
    take(&info.Total, 8);
    takeString(info.StName);
    takeString(info.StCode);
    takeString(info.PModel);
    takeString(info.OpName);
    takeString(info.Notes);
    info.FileName = path;
    info.FileDate = FileTimeToDate(mtime);
    if (day) {
        *day = {info.Total, false};
        // The header locates the curve's records: their readings and marks run through
        // the accumulation as loading the chart would. A header that does not match
        // its block leaves the Total.
        const std::uint64_t offset = GetU32(data.data() + 26), count = GetU32(data.data() + 30),
                            record = GetU32(data.data() + 34);
        if (info.Kind == 0 && size <= kMaxFileSize && record >= TPointList::kRecordSize && offset >= pos + 4 &&
            offset + count * record <= size) {
            need(offset + count * record);
            if (GetU32(data.data() + offset - 4) == count) {
                std::vector<TAccumPoint> points(count);
                for (std::uint64_t k = 0; k < count; ++k) {
                    const char* r = data.data() + offset + k * record;
                    std::int32_t mark;
                    std::memcpy(&points[k].Prec, r + 16, 8);
                    std::memcpy(&mark, r + 32, 4);
                    points[k].Mark = mark;
                }
                const TAccumResult a = Accumulate(points);
                *day = {a.Sum, a.Failures > 0};
            }
        }
    }
    return true;
}

} // namespace rs
