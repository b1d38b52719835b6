#include "document/uRChart.h"

#include "common/Utils.h"
#include "common/uGlobal.h"
#include "common/uTimeHelpers.h"

#include <algorithm>
#include <cmath>

namespace rs {

const char* StateText(int state)
{
    switch (state) {
    case AwaitingScale: return "Aguardando Definição de Escala";
    case DefiningScale: return "Definindo Escala";
    case Digitizing: return "Digitalizando";
    default: return "";
    }
}

bool InfoEquals(const TRChartInfo& a, const TRChartInfo& b)
{
    return a.Kind == b.Kind && a.Date == b.Date && a.Hour == b.Hour && a.PTot == b.PTot && a.Total == b.Total &&
           a.Linear == b.Linear && a.Dh == b.Dh && a.StName == b.StName && a.StCode == b.StCode &&
           a.PModel == b.PModel && a.OpName == b.OpName && a.Notes == b.Notes;
}

bool IsValidStationCode(const std::string& code)
{
    return code.size() == 8 && std::all_of(code.begin(), code.end(), [](char c) { return c >= '0' && c <= '9'; });
}

namespace {
std::string& DataFolderRef()
{
    static std::string folder;
    return folder;
}
} // namespace

const std::string& DataFolder() { return DataFolderRef(); }

void SetDataFolder(const std::string& folder)
{
    DataFolderRef() = folder.empty() ? std::string() : IncludeTrailingDelim(folder);
}

TRChart::TRChart(TDrawSurface* surface)
    : FScale(std::make_unique<TScale>(this, surface)), FCurve(std::make_unique<TCurve>(this, surface))
{
    Info.Owner = this;
    FCurve->Scale = FScale.get();
    // Only the curve is shown from the start; the control points appear with the scale's definition.
    FScale->SetVisible(false);
    FCurve->SetVisible(true);
}

TRChart::~TRChart()
{
    // The curve refers to the scale for its pixels: free it first.
    FCurve.reset();
    FScale.reset();
}

void TRChart::SetViewFlags(int index, std::uint8_t value)
{
    auto& v = FViewFlags[std::size_t(index & 3)];
    if (v == value)
        return;
    v = value;
    Fire(OnChange);
}

void TRChart::SetState(int state)
{
    if (state == FViewFlags[3])
        return;
    FViewFlags[2] = FViewFlags[3];
    FViewFlags[3] = std::uint8_t(state);
    Modified = true;
    Fire(OnStateChange);
}

void TRChart::SetKind(int kind)
{
    if (kind == Info.Kind)
        return;
    Info.Kind = std::uint8_t(kind);
    if (kind == 0) {
        FCurve->Clear();
        // A scale concluded before stays good for this chart: it goes on to digitizing.
        SetState(FScale->Concluded ? Idle : AwaitingScale);
    } else {
        if (FScale->Editing())
            FScale->Reset();
        // Such a chart is not digitized: the curve stops taking points (state 0).
        FCurve->SetEditing(false);
        SeedFlatCurve();
        SetState(Idle);
    }
    Fire(OnChange);
}

// A dry day is a flat line at zero; an absent chart one failure over the whole day.
// Either spans the chart's own day from its start hour, whatever the offset.
void TRChart::SeedFlatCurve()
{
    FCurve->Clear();
    auto* first = new TDigPoint;
    first->SetValue(Info.Hour, 0);
    FCurve->Append(first);
    first->SetMark(Info.Kind == 1 ? 0 : 2);
    auto* last = new TDigPoint;
    last->SetValue(Info.Hour + 24.0, 0);
    FCurve->Append(last);
    last->SetMark(0);
    FCurve->Recalc();
    FCurve->Reposition();
}

void TRChart::SetDh(double d)
{
    if (d == Info.Dh)
        return;
    if (Info.Kind != 0) {
        // The flat line of a chart without readings stays at zero.
        Info.Dh = d;
        return;
    }
    // Stored readings are the scale's reading minus Dh: a new offset moves every point by old - new.
    const double shift = Info.Dh - d;
    for (int i = 0; i < FCurve->Count(); ++i) {
        TDigPoint* p = FCurve->Items(i);
        p->SetValue(p->Time(), p->Prec() + shift);
    }
    Info.Dh = d;
    FCurve->Reposition();
    if (!FCurve->IsEmpty()) {
        FCurve->Recalc();
        Fire(OnChange);
    }
}

void TRChart::SetInfo(const TRChartInfo& info)
{
    if (InfoEquals(info, Info))
        return;
    Modified = true;
    // LastFile stays the file read or written last: a name the header only
    // passed through was never this document's file.
    const bool rebuild = info.Kind == 0 && (info.Linear != Info.Linear || info.Hour != Info.Hour);
    // A chart without readings keeps its flat line on its own day: a new start hour moves it.
    const bool reseed = info.Kind != 0 && info.Kind == Info.Kind && info.Hour != Info.Hour;
    SetDh(info.Dh);
    const std::uint8_t kind = Info.Kind;
    Info = info;
    Info.Kind = kind;
    Info.Owner = this;
    SetKind(info.Kind);
    if (rebuild)
        FScale->Rebuild();
    if (reseed) {
        SeedFlatCurve();
        Fire(OnChange);
    }
    Fire(OnInfoChange);
}

std::string TRChart::MakeFileName(const TRChartInfo& info)
{
    std::string base;
    if (!info.FileName.empty())
        base = ExtractFilePath(info.FileName);
    if (!base.empty()) {
        // A file that already lies in a station subfolder keeps its data tree:
        // the base is the folder above that subfolder, never a nested level.
        std::string folder = base.substr(0, base.size() - 1);
        std::string last = ExtractFileName(folder);
        if (IsValidStationCode(last))
            base = ExtractFilePath(folder);
    } else
        base = DataFolder();
    int y, m, d;
    DecodeDate(info.Date, y, m, d);
    return base + info.StCode + kPathDelim + info.StCode + "-" + Format("%04d%02d%02d", y, m, d) + ".pvd";
}

bool TRChart::BeginScale()
{
    if (Info.Kind != 0 || FScale->Editing())
        return false;
    FScale->SetVisible(true);
    FScale->SetEditing(true);
    SetState(DefiningScale);
    return true;
}

bool TRChart::ConcludeScale()
{
    if (!FScale->Valid || FScale->Concluded)
        return false;
    FScale->Conclude();
    if (FScale->Concluded)
        SetState(Idle);
    return true;
}

void TRChart::CancelScale()
{
    if (State() != DefiningScale)
        return;
    FScale->Reset();
    SetState(AwaitingScale);
    Fire(OnChange);
}

bool TRChart::BeginDigitizing()
{
    if (!FScale->Concluded || FCurve->Editing())
        return false;
    FCurve->SetEditing(true);
    SetState(Digitizing);
    return true;
}

void TRChart::EndDigitizing()
{
    if (!FCurve->Editing())
        return;
    FCurve->SetEditing(false);
    FCurve->Select(nullptr);
    SetState(Idle);
}

bool TRChart::AddPointAt(int x, int y, bool shiftDown, bool ctrlDown)
{
    const double t = FScale->TimeAt(x, y);
    double p = FScale->PrecAt(x, y) - Info.Dh;
    const TDigOptions& o = DigOptions();
    if (o.RoundToZero != shiftDown && p <= kRoundToZeroLimit)
        p = 0;
    return FCurve->AddPoint(t, p, o.ChronologicalOrder && !ctrlDown);
}

namespace {
// A last point the overflow command may act on: the record goes on after it
// and it is not a failure, whose restart the command must never turn into a peak.
const TDigPoint* SpillTarget(const TCurve& curve, double chartHour)
{
    const TDigPoint* last = curve.Last();
    return last && last->Mark() != 2 && last->Time() < chartHour + 24.0 ? last : nullptr;
}
} // namespace

bool TRChart::CanAddSpill() const
{
    const TDigPoint* last = SpillTarget(*FCurve, Info.Hour);
    // A reading taken on the 5 mm line comes back from the scale's fit a hair
    // below it: allow for the rounding of that fit.
    return last && last->Prec() >= kOverflowThreshold - 1e-6;
}

bool TRChart::CanAddEmptying() const
{
    const TDigPoint* last = SpillTarget(*FCurve, Info.Hour);
    return last && last->Prec() > 0 && !CanAddSpill();
}

bool TRChart::AddSpill(bool allowEmptying)
{
    if (!CanAddSpill() && !(allowEmptying && CanAddEmptying()))
        return false;
    TDigPoint* last = FCurve->Last();
    // The operator signalled this overflow: mark the peak so that the accumulation
    // counts it even when the drop is exactly the threshold (a strict comparison
    // alone would lose a 5.0 mm siphon) or below it (a gauge emptied by hand). The
    // format's own overflow mark, so that every reader of the file sees a peak.
    const int oldMark = last->Mark();
    last->SetMark(1);
    // The return to zero goes straight after the last point, whatever the order option.
    const int before = FCurve->Count();
    FCurve->AddPoint(last->Time() + 0.001, 0, true);
    if (FCurve->Count() > before)
        return true;
    last->SetMark(oldMark);
    return false;
}

bool TRChart::IsModified() const { return Modified || FScale->Modified() || FCurve->Modified(); }

void TRChart::SetZoom(double z)
{
    if (z == FScale->Zoom())
        return;
    FScale->SetZoom(z);
    FCurve->Reposition();
}

void TRChart::DrawChart(TCanvas& canvas) const
{
    if (Info.Kind == 0 && !FScale->Valid)
        return;
    const TScale& s = *FScale;
    const double h = Info.Hour;
    TRect frame{s.TimeToX(h - 0.65), s.PrecToY(11.5), s.TimeToX(h + 24.25), s.PrecToY(-2.2)};
    canvas.SetPen(RGB(0, 0, 0), 1);
    canvas.FrameRect(frame);
    const TColor grey = RGB(128, 128, 128);
    canvas.FillRect({frame.left + 3, frame.bottom, frame.right + 3, frame.bottom + 3}, grey);
    canvas.FillRect({frame.right, frame.top + 3, frame.right + 3, frame.bottom + 3}, grey);
    DrawGrid(canvas);
    FCurve->Draw(canvas);
}

void TRChart::DrawGrid(TCanvas& canvas) const
{
    const TScale& s = *FScale;
    const TColor grid = ChartColors().Grid;
    const int h = Info.Hour;
    const double z = s.Zoom();
    const TRect clip = canvas.ClipRect();
    canvas.SetPen(grid, 1);

    if (FViewFlags[0] & 1) {
        double ta = s.XToTime(clip.left), tb = s.XToTime(clip.right);
        if (ta > tb)
            std::swap(ta, tb);
        long long i0 = (long long)std::floor(std::clamp(ta, -1e6, 1e6) * 6);
        long long i1 = (long long)std::ceil(std::clamp(tb, -1e6, 1e6) * 6);
        i0 = std::max<long long>(i0, h * 6 + 1);
        i1 = std::min<long long>(i1, (h + 24) * 6 - 1);
        const int y0 = s.PrecToY(11), y1 = s.PrecToY(-1);
        for (long long i = i0; i <= i1; ++i)
            if (i % 6 == 0 || (FViewFlags[0] & 2)) {
                const int x = s.TimeToX(double(i) / 6);
                canvas.Line(x, y0, x, y1);
            }
    }
    if (FViewFlags[1] & 1) {
        double pa = s.YToPrec(clip.top), pb = s.YToPrec(clip.bottom);
        if (pa > pb)
            std::swap(pa, pb);
        long long i0 = (long long)std::floor(std::clamp(pa, -1e6, 1e6) * 6);
        long long i1 = (long long)std::ceil(std::clamp(pb, -1e6, 1e6) * 6);
        i0 = std::max<long long>(i0, -6 + 1);
        i1 = std::min<long long>(i1, 66 - 1);
        const int x0 = s.TimeToX(h), x1 = s.TimeToX(h + 24.0);
        for (long long i = i0; i <= i1; ++i)
            if (i % 6 == 0 || (FViewFlags[1] & 2)) {
                const int y = s.PrecToY(double(i) / 6);
                canvas.Line(x0, y, x1, y);
            }
    }

    canvas.SetFont("Arial", RoundEven(6 * z), grid);
    const int below = s.PrecToY(-1) + RoundEven(z);
    for (int i = 0; i <= 24; ++i) {
        const std::string text = std::to_string((h + i) % 24);
        canvas.TextOut(s.TimeToX(h + i) - canvas.TextWidth(text) / 2, below, text);
    }
    const int right = s.TimeToX(h) - RoundEven(2 * z);
    for (int i = 0; i <= 10; ++i) {
        const std::string text = std::to_string(i);
        canvas.TextOut(right - canvas.TextWidth(text), s.PrecToY(i) - canvas.TextHeight(text) / 2, text);
    }

    canvas.SetPen(grid, 3);
    canvas.FrameRect({s.TimeToX(h), s.PrecToY(11), s.TimeToX(h + 24.0), s.PrecToY(-1)});
    canvas.SetPen(RGB(0, 0, 0), 3);
}

std::string TRChart::CellText(int index, int column) const
{
    const TDigPoint* p = FCurve->Items(index);
    if (!p)
        return {};
    switch (column) {
    case 0: return DateToStr(Info.Date + (p->Time() >= 24 ? 1 : 0));
    case 1: return TimeOfDayText(p->Time());
    case 2: return FormatNum("%.2f", p->Prec());
    case 3: return FormatNum("%.2f", p->Accumulated);
    default: return {};
    }
}

std::string PeaksText(int peaks)
{
    if (peaks == 1)
        return "1 pico";
    if (peaks >= 2)
        return std::to_string(peaks) + " picos";
    return {};
}

std::string SumText(double sum, int failures)
{
    return failures == 0 ? " P = " + FormatNum("%.1f", sum) + " mm" : " P = ±" + FormatNum("%.1f", sum) + " mm";
}

} // namespace rs
