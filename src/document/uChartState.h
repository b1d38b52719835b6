#pragma once
// The document's state as values, for the edit history: the header with the
// operating state, the scale, the curve's points and the view of both lists
// (selection, visibility), captured from a chart and put back into it.
// A chart with precipitation gets its accumulated values and totals computed
// again from the points and their settled marks; any other kind gets them back
// as captured. Either way a state put back is byte for byte the one captured.

#include "document/uRChart.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace rs {

// One curve point. No padding: compared byte for byte, so that -0.0 and NaN
// compare as the file would store them.
struct TPointRec
{
    std::int32_t X = 0, Y = 0;
    double Time = 0, Prec = 0, Accumulated = 0;
    std::int32_t Mark = 0;
    std::uint32_t Seq = 0;
};
bool operator==(const TPointRec& a, const TPointRec& b);
// The same point apart from its accumulated value, which follows from the others.
bool SamePoint(const TPointRec& a, const TPointRec& b);

// The header record, the file name to save under and the operating state.
struct THeaderState
{
    TRChartInfo Info;  // Owner and FileDate are not part of the state
    std::string CurveName;
    std::uint8_t State = 0, PrevState = 0;
    bool ScaleEditing = false, CurveEditing = false;
};
bool operator==(const THeaderState& a, const THeaderState& b);

struct TCtrlRec
{
    std::int32_t X = 0, Y = 0;
    double Time = 0, Prec = 0;
    std::int32_t Mark = 0;
    bool Clickable = true;
};
bool operator==(const TCtrlRec& a, const TCtrlRec& b);

struct TScaleState
{
    std::uint8_t CoordMode = 0;
    bool Valid = false, Concluded = false;
    double Coef[8] = {}; // TimeA, B, C, R2, PrecA, B, C, R2
    std::string Name, PredefinedName;
    std::vector<TCtrlRec> Points, Predefined;
};
bool operator==(const TScaleState& a, const TScaleState& b);

struct TCurveStats
{
    int Peaks = 0, Failures = 0;
    double Sum = 0;
};
bool operator==(const TCurveStats& a, const TCurveStats& b);

// What the operator sees of the lists; put back, never a change of its own.
struct TViewState
{
    std::int32_t CurveSelected = -1, ScaleSelected = -1;
    bool CurveVisible = true, ScaleVisible = true;
};

struct TDocState
{
    std::shared_ptr<const THeaderState> Header;
    std::shared_ptr<const TScaleState> Scale;
    std::vector<TPointRec> Curve;
    TCurveStats Stats;
    TViewState View;
};

// Reads and writes the document's parts. A restore runs no insertion rule and
// no refit; TRChart::OnChange, OnStateChange and OnInfoChange follow once.
class TChartSnapshot
{
public:
    static TDocState Capture(const TRChart& doc);
    static std::shared_ptr<const THeaderState> CaptureHeader(const TRChart& doc);
    static std::shared_ptr<const TScaleState> CaptureScale(const TRChart& doc);
    static void CaptureCurve(const TRChart& doc, std::vector<TPointRec>& out);
    static TCurveStats CaptureStats(const TRChart& doc);
    static TViewState CaptureView(const TRChart& doc);

    // What a restore puts back; a null part stays as it is.
    struct TRestore
    {
        const THeaderState* Header = nullptr;
        const TScaleState* Scale = nullptr;
        bool Curve = false; // replace CurveCount points from CurveStart with CurvePoints
        int CurveStart = 0, CurveCount = 0;
        const std::vector<TPointRec>* CurvePoints = nullptr;
        const TCurveStats* Stats = nullptr;
        const TViewState* View = nullptr;
        bool Quiet = false; // no events: the caller announces once after several
    };
    // The whole of state, with only the changed stretch of the curve touched.
    static void Restore(TRChart& doc, const TDocState& state);
    // Returns whether the operating state changed.
    static bool Apply(TRChart& doc, const TRestore& r);
    // Tells the document's listeners that it changed as a whole.
    static void Announce(TRChart& doc, bool stateChanged);
};

} // namespace rs
