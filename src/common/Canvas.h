#pragma once
// What the domain's drawing code needs from a canvas; the chart window gives
// it a QPainter behind this, tests a recorder.

#include "common/Geometry.h"
#include "common/uGlobal.h"

#include <string>
#include <vector>

namespace rs {

class TCanvas
{
public:
    virtual ~TCanvas() = default;
    virtual void SetPen(TColor color, int width) = 0;
    virtual TColor PenColor() const = 0;
    virtual void Line(int x1, int y1, int x2, int y2) = 0;
    virtual void Polyline(const std::vector<TPoint>& points) = 0;
    // Rectangle outline with the current pen, no fill (right/bottom exclusive as in GDI).
    virtual void FrameRect(const TRect& r) = 0;
    virtual void FillRect(const TRect& r, TColor color) = 0;
    // Size in points at 96 dots per inch, as the chart labels are specified.
    virtual void SetFont(const std::string& family, int pointSize, TColor color) = 0;
    virtual int TextWidth(const std::string& text) = 0;
    virtual int TextHeight(const std::string& text) = 0;
    // Draws text with its top-left corner at (x, y); text is Windows-1252.
    virtual void TextOut(int x, int y, const std::string& text) = 0;
    // The area that needs painting; drawing code may skip what lies outside.
    virtual TRect ClipRect() const = 0;
};

} // namespace rs
