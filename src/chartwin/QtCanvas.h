#pragma once
// The domain's canvas on top of a QPainter: the chart window draws the
// document through it. Font sizes are points at 96 dpi, turned into pixels so
// the drawing is the same on every screen; texts arrive in Windows-1252.

#include "common/Canvas.h"

#include <QColor>
#include <QFont>
#include <QFontMetrics>
#include <QPainter>

#include <optional>

namespace rs {

QColor QtColorOf(TColor c);
TColor TColorOf(const QColor& c);
int PointsToPixels(int pointSize); // at 96 dpi

class TQtCanvas : public TCanvas
{
public:
    TQtCanvas(QPainter& painter, const TRect& clip);

    void SetPen(TColor color, int width) override;
    TColor PenColor() const override { return FPenColor; }
    void Line(int x1, int y1, int x2, int y2) override;
    void Polyline(const std::vector<TPoint>& points) override;
    void FrameRect(const TRect& r) override;
    void FillRect(const TRect& r, TColor color) override;
    void SetFont(const std::string& family, int pointSize, TColor color) override;
    int TextWidth(const std::string& text) override;
    int TextHeight(const std::string& text) override;
    void TextOut(int x, int y, const std::string& text) override;
    TRect ClipRect() const override { return FClip; }

    QPainter& Painter() { return FPainter; }

private:
    QFontMetrics& Metrics();

    QPainter& FPainter;
    TRect FClip;
    TColor FPenColor = 0;
    int FPenWidth = 1;
    QFont FFont;
    QColor FFontColor{Qt::black};
    std::optional<QFontMetrics> FMetrics;
};

} // namespace rs
