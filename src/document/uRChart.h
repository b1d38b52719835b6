#pragma once
// The pluviogram document: header record, operating state, scale and curve,
// the data file and the drawing of the chart frame, grid and curve.

#include "common/Canvas.h"
#include "document/uCurve.h"
#include "scale/uScale.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace rs {

class TRChart;

enum TChartState : std::uint8_t { Idle = 0, AwaitingScale = 1, DefiningScale = 2, Digitizing = 3 };
const char* StateText(int state); // the chart window's status text (UTF-8)

// Header record: a value type copied and compared as a whole. Strings are Windows-1252.
struct TRChartInfo
{
    std::uint8_t Kind = 0;   // 0 with precipitation, 1 without, 2 chart absent
    double Date = 0;         // day number
    std::uint8_t Hour = 7;   // 7, 8 or 9
    double PTot = 0;         // rain-gauge reading, mm; 0 = not given
    double Total = 0;        // accumulated value of the curve's last point
    bool Linear = false;     // straight (true) or curved precipitation axis
    double Dh = 0;           // curve offset, mm
    std::string StName, StCode, PModel, OpName, Notes;
    std::string FileName;    // full path, empty for a new chart
    double FileDate = 0;     // file modification time (ReadSummary only)
    TRChart* Owner = nullptr;
};

bool InfoEquals(const TRChartInfo& a, const TRChartInfo& b);

// A chart's sum for the day as the results window gives it: the accumulated
// value of each stretch's last point, added; approximate when the curve has failures.
struct TDaySum
{
    double Sum = 0;
    bool Approximate = false;
};
// Exactly eight decimal digits: the only station codes that may become part of a path.
bool IsValidStationCode(const std::string& code);

// The folder under which new data files are made; always ends with the path delimiter.
const std::string& DataFolder();
void SetDataFolder(const std::string& folder);

class TRChart
{
public:
    using TEvent = std::function<void(TRChart*)>;
    static constexpr std::size_t kHeaderSize = 70;

    explicit TRChart(TDrawSurface* surface = nullptr);
    ~TRChart();
    TRChart(const TRChart&) = delete;
    TRChart& operator=(const TRChart&) = delete;

    TRChartInfo Info;
    TScale& Scale() { return *FScale; }
    const TScale& Scale() const { return *FScale; }
    TCurve& Curve() { return *FCurve; }
    const TCurve& Curve() const { return *FCurve; }
    bool Modified = false;
    std::string LastFile;

    TEvent OnChange, OnStateChange, OnInfoChange;

    std::uint8_t ViewFlags(int index) const { return FViewFlags[std::size_t(index & 3)]; }
    void SetViewFlags(int index, std::uint8_t value);
    int State() const { return FViewFlags[3]; }
    int PrevState() const { return FViewFlags[2]; }
    void SetState(int state);

    void SetInfo(const TRChartInfo& info);
    void SetKind(int kind);
    void SetDh(double d);
    static std::string MakeFileName(const TRChartInfo& info);

    bool BeginScale();
    bool ConcludeScale();
    void CancelScale();
    bool BeginDigitizing();
    void EndDigitizing();

    // shiftDown/ctrlDown: the keyboard state at the moment of the click.
    bool AddPointAt(int x, int y, bool shiftDown, bool ctrlDown);
    // The overflow command on the curve's last point: a siphon overflow from 5 mm
    // up; below that, after the operator confirms it, the gauge emptied by hand,
    // recorded and carried forward like an overflow. Never on a failure mark.
    bool CanAddSpill() const;
    bool CanAddEmptying() const;
    bool AddSpill(bool allowEmptying = false);

    // Data file. SaveToFile throws std::runtime_error (UTF-8 message) and leaves
    // any previous file intact; LoadFromFile returns false on a read error.
    void SaveToFile(const std::string& path);
    std::string SaveToBuffer(); // the file's bytes, without touching the disk or the flags
    bool LoadFromFile(const std::string& path);
    bool LoadFromBuffer(const std::string& data, const std::string& path);
    static bool IsDataFile(const std::string& path);
    static bool IsDataBuffer(const char* data, std::size_t size, std::uint64_t actualSize);
    // The header record alone; with day, also the day's sum, which after a failure
    // mark is more than Total (read from the curve's marks when it has failures).
    static bool ReadSummary(const std::string& path, TRChartInfo& info,
                            TDaySum* day = nullptr); // throws EReadError on short reads
    bool IsModified() const;

    double Zoom() const { return FScale->Zoom(); }
    void SetZoom(double z);

    void DrawChart(TCanvas& canvas) const;
    void DrawGrid(TCanvas& canvas) const;

    // The results table's cell texts (UTF-8/ASCII): date, "hh:mm", reading, accumulated.
    std::string CellText(int index, int column) const;

private:
    friend class TChartSnapshot;
    void Fire(const TEvent& e)
    {
        if (e)
            e(this);
    }
    void SeedFlatCurve();
    std::unique_ptr<TScale> FScale;
    std::unique_ptr<TCurve> FCurve;
    std::array<std::uint8_t, 4> FViewFlags{1, 1, 1, 1};
};

// Results window status texts.
std::string PeaksText(int peaks);                // "%d pico" / "%d picos" / ""
std::string SumText(double sum, int failures);   // " P = %.1f mm" / " P = ±%.1f mm" (UTF-8)

} // namespace rs
