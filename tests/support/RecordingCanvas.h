#pragma once
// A canvas that records what is drawn on it.

#include "common/Canvas.h"

#include <string>
#include <vector>

namespace rs::test {

struct RecordingCanvas : TCanvas
{
    struct Line { int x1, y1, x2, y2; TColor color; int width; };
    struct Poly { std::vector<TPoint> points; TColor color; };
    struct Rect { TRect r; TColor color; int width; };
    struct Text { int x, y; std::string text; int size; TColor color; };

    TColor pen = 0;
    int penWidth = 1;
    int fontSize = 0;
    TColor fontColor = 0;
    TRect clip{-100000, -100000, 100000, 100000};
    std::vector<Line> lines;
    std::vector<Poly> polylines;
    std::vector<Rect> frames, fills;
    std::vector<Text> texts;

    void SetPen(TColor c, int w) override { pen = c; penWidth = w; }
    TColor PenColor() const override { return pen; }
    void Line(int x1, int y1, int x2, int y2) override { lines.push_back({x1, y1, x2, y2, pen, penWidth}); }
    void Polyline(const std::vector<TPoint>& p) override { polylines.push_back({p, pen}); }
    void FrameRect(const TRect& r) override { frames.push_back({r, pen, penWidth}); }
    void FillRect(const TRect& r, TColor c) override { fills.push_back({r, c, 0}); }
    void SetFont(const std::string&, int size, TColor c) override { fontSize = size; fontColor = c; }
    int TextWidth(const std::string& t) override { return int(t.size()) * 4; }
    int TextHeight(const std::string&) override { return 8; }
    void TextOut(int x, int y, const std::string& t) override { texts.push_back({x, y, t, fontSize, fontColor}); }
    TRect ClipRect() const override { return clip; }
};

} // namespace rs::test
