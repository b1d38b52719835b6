#include "tools/uDpbFile.h"

#include "common/ByteStream.h"
#include "common/Utils.h"
#include "common/uNativePaths.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace rs {

namespace {

constexpr std::size_t kRecordFixed = 1 + 8 + 1 + 1 + 8 + 8;

// Length of the header record plus the state byte at the reader's position; throws when it does not fit.
void SkipRecord(TByteReader& r)
{
    char fixed[kRecordFixed];
    r.ReadExact(fixed, sizeof fixed);
    for (int i = 0; i < 5; ++i)
        r.ReadString();
    char state;
    r.ReadExact(&state, 1);
}

// Checks one point-list block and steps over it; returns its editing flag.
bool SkipList(TByteReader& r)
{
    r.ReadString();
    std::uint8_t editing, visible;
    std::int32_t selected, count;
    r.ReadExact(&editing, 1);
    r.ReadExact(&visible, 1);
    r.ReadExact(&selected, 4);
    r.ReadExact(&count, 4);
    if (count < 0 || std::uint64_t(count) * 36 > r.Remaining() || editing > 1 || visible > 1)
        throw EReadError("lista de pontos inválida");
    r.Seek(r.Position() + std::size_t(count) * 36);
    return editing != 0;
}

} // namespace

bool ReadDpb(const std::string& data, TRChart& chart)
{
    try {
        TByteReader r(data);
        SkipRecord(r);
        const std::size_t scaleAt = r.Position();
        std::uint8_t flags[3];
        r.ReadExact(flags, 3);
        float planes[8];
        r.ReadExact(planes, sizeof planes);
        const std::size_t listsAt = r.Position();
        const bool editing = SkipList(r);
        if (editing && flags[0] == 0)
            SkipList(r);
        SkipList(r);
        if (r.Remaining() != 0 || flags[0] > 1 || flags[1] > 1 || flags[2] > 1)
            return false;
        std::uint8_t kind = std::uint8_t(data[0]), hour = std::uint8_t(data[9]), state = std::uint8_t(data[scaleAt - 1]);
        if (kind > 2 || hour < 7 || hour > 9 || state > 3)
            return false;
        // The current layout: header, the same record and lists, planes widened to double.
        TByteWriter w;
        char header[TRChart::kHeaderSize] = {'R', 'S'};
        w.Write(header, sizeof header);
        w.Write(data.data(), scaleAt + 3);
        for (float f : planes)
            w.WriteF64(double(f));
        w.Write(data.data() + listsAt, data.size() - listsAt);
        std::string pvd = w.Data();
        const std::uint32_t hs = 70, size = std::uint32_t(pvd.size()), one = 1;
        std::memcpy(pvd.data() + 2, &hs, 4);
        std::memcpy(pvd.data() + 6, &size, 4);
        std::memcpy(pvd.data() + 10, &one, 4);
        return chart.LoadFromBuffer(pvd, "");
    } catch (const std::exception&) {
        return false;
    }
}

std::string WriteDpb(TRChart& chart)
{
    const std::string pvd = chart.SaveToBuffer();
    TByteReader r(pvd);
    r.Seek(TRChart::kHeaderSize);
    SkipRecord(r);
    const std::size_t scaleAt = r.Position();
    std::string out = pvd.substr(TRChart::kHeaderSize, scaleAt + 3 - TRChart::kHeaderSize);
    for (int i = 0; i < 8; ++i) {
        double d;
        std::memcpy(&d, pvd.data() + scaleAt + 3 + 8 * i, 8);
        const float f = float(d);
        out.append(reinterpret_cast<const char*>(&f), 4);
    }
    out += pvd.substr(scaleAt + 3 + 64);
    return out;
}

int ConvertDpbFile(const std::string& path)
{
    const std::string name = ExtractFileName(path);
    if (name.size() < 5 || !MatchesMask(name, "*.dpb"))
        return -1;
    const std::string base = path.substr(0, path.size() - 4);
    const std::string pvd = base + ".pvd", pv0 = base + ".pv0";
    if (FileExists(pvd) || FileExists(pv0))
        return 1;
    std::error_code ec;
    const auto size = fs::file_size(FsPath(path), ec);
    if (ec || size > (64u << 20))
        return -1;
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    if (!in)
        return -1;
    TRChart chart;
    if (!ReadDpb(ss.str(), chart))
        return -1;
    TScale& s = chart.Scale();
    const bool hadFit = s.Valid || s.Concluded;
    if (!s.IsEmpty()) {
        // The single-precision planes are refitted; a scale that no longer holds must be redone.
        s.Rebuild();
        if (hadFit && (!s.Valid || !s.WithinTolerance()))
            return 2;
    }
    try {
        chart.SaveToFile(pvd);
    } catch (const std::exception&) {
        return -1;
    }
    fs::rename(FsPath(path), FsPath(pv0), ec); // the old file is of no further use
    return 0;
}

} // namespace rs
