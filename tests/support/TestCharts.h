#pragma once
// Charts built in code for the tests: a synthetic tablet whose counts map
// exactly onto chart values, so fitted scales are known in advance.

#include "common/Utils.h"
#include "document/uRChart.h"

#include <gtest/gtest.h>
#include <unistd.h>
#include "document/uRChart.h"

#include <cmath>
#include <string>
#include <utility>

namespace rs::test {

// Tablet counts of a chart value: 400 counts per hour, 300 per mm; on a curved
// chart the pen's arc shifts X by the time correction.
inline std::pair<int, int> ToTablet(double t, double p, bool linear, int hour = 7)
{
    const double u = linear ? t : t + (p - 5) * (p - 5) / 72.0;
    return {int(std::lround((u - hour) * 400 + 500)), int(std::lround(p * 300 + 1000))};
}

inline TRChartInfo SampleInfo(bool linear = true, int hour = 7)
{
    TRChartInfo i;
    i.Date = EncodeDate(1976, 5, 8);
    i.Hour = std::uint8_t(hour);
    i.Linear = linear;
    i.StName = "Esta\xE7\xE3o Teste"; // "Estação Teste" in Windows-1252
    i.StCode = "12345678";
    i.PModel = "IH";
    i.OpName = "Jo\xE3o";
    i.Notes = "line1\r\nline2";
    return i;
}

// Adds a control point at chart value (t, p) the way the chart window does.
inline bool AddControlPoint(TRChart& c, double t, double p)
{
    auto [x, y] = ToTablet(t, p, c.Info.Linear, c.Info.Hour);
    auto* pt = new TDigPoint;
    pt->X = x;
    pt->Y = y;
    pt->SetValue(t, p);
    if (!c.Scale().AcceptPoint(pt) || c.Scale().Append(pt) < 0) {
        delete pt;
        return false;
    }
    return true;
}

// A chart with a concluded scale, ready for digitizing.
inline void PrepareScale(TRChart& c)
{
    c.Scale().SetGridRect({20, 311, 620, 111});
    c.Scale().SetZoom(1.0);
    c.Scale().SetCoordMode(1);
    c.BeginScale();
    const int h = c.Info.Hour;
    const double pts[][2] = {{h + 1.0, 0}, {h + 6.0, 8}, {h + 12.0, 2}, {h + 18.0, 10}, {h + 23.0, 5},
                             {h + 3.0, 6}, {h + 9.0, 1}, {h + 15.0, 9}};
    for (auto& v : pts)
        AddControlPoint(c, v[0], v[1]);
}

inline void DigitizeValue(TRChart& c, double t, double p, bool shift = false, bool ctrl = false)
{
    auto [x, y] = ToTablet(t, p, c.Info.Linear, c.Info.Hour);
    c.AddPointAt(x, y, shift, ctrl);
}

// The example of the accumulation: one overflow, 13 mm.
inline void MakeDigitizedChart(TRChart& c, bool linear = true)
{
    c.SetInfo(SampleInfo(linear));
    PrepareScale(c);
    c.ConcludeScale();
    c.BeginDigitizing();
    DigitizeValue(c, 7.0, 0);
    DigitizeValue(c, 9.0, 9.8);
    c.AddSpill();
    DigitizeValue(c, 12.0, 3.2);
    c.EndDigitizing();
}

inline std::string TempDir(const std::string& name)
{
    std::string d = std::string(::testing::TempDir()) + "rs_" + name + "_" + std::to_string(::getpid()) + "/";
    ForceDirectories(d);
    return d;
}

} // namespace rs::test
