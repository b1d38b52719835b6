#include "chartwin/QtCanvas.h"

#include "common/Utils.h"

#include <QPen>
#include <QPolygon>

#include <algorithm>
#include <cmath>

namespace rs {

QColor QtColorOf(TColor c) { return QColor(GetRValue(c), GetGValue(c), GetBValue(c)); }

TColor TColorOf(const QColor& c) { return RGB(c.red(), c.green(), c.blue()); }

int PointsToPixels(int pointSize) { return int(std::lround(pointSize * 96.0 / 72.0)); }

namespace {

QString ToQString(const std::string& text)
{
    const bool ascii = std::all_of(text.begin(), text.end(), [](char c) { return (unsigned char)c < 0x80; });
    if (ascii)
        return QString::fromLatin1(text.data(), qsizetype(text.size()));
    const std::string u = Cp1252ToUtf8(text);
    return QString::fromUtf8(u.data(), qsizetype(u.size()));
}

} // namespace

TQtCanvas::TQtCanvas(QPainter& painter, const TRect& clip) : FPainter(painter), FClip(clip)
{
    FFont.setFamily(QStringLiteral("Arial"));
    FFont.setPixelSize(PointsToPixels(8));
    SetPen(0, 1);
}

void TQtCanvas::SetPen(TColor color, int width)
{
    FPenColor = color;
    FPenWidth = std::max(1, width);
    QPen pen(QtColorOf(color));
    pen.setWidth(FPenWidth);
    // GDI lines leave out their last pixel and have no caps.
    pen.setCapStyle(Qt::FlatCap);
    pen.setJoinStyle(Qt::MiterJoin);
    FPainter.setPen(pen);
}

void TQtCanvas::Line(int x1, int y1, int x2, int y2) { FPainter.drawLine(x1, y1, x2, y2); }

void TQtCanvas::Polyline(const std::vector<TPoint>& points)
{
    if (points.size() < 2)
        return;
    QPolygon poly(qsizetype(points.size()));
    for (std::size_t i = 0; i < points.size(); ++i)
        poly.setPoint(int(i), points[i].x, points[i].y);
    FPainter.drawPolyline(poly);
}

void TQtCanvas::FrameRect(const TRect& r)
{
    if (r.IsEmpty())
        return;
    FPainter.save();
    FPainter.setBrush(Qt::NoBrush);
    // Right and bottom are exclusive: the outline runs through the last pixels inside.
    FPainter.drawRect(QRect(r.left, r.top, r.Width() - 1, r.Height() - 1));
    FPainter.restore();
}

void TQtCanvas::FillRect(const TRect& r, TColor color)
{
    if (!r.IsEmpty())
        FPainter.fillRect(QRect(r.left, r.top, r.Width(), r.Height()), QtColorOf(color));
}

void TQtCanvas::SetFont(const std::string& family, int pointSize, TColor color)
{
    FFont.setFamily(QString::fromStdString(family));
    // A zero size is the smallest readable one rather than no text at all.
    FFont.setPixelSize(std::max(1, PointsToPixels(pointSize)));
    FFontColor = QtColorOf(color);
    FMetrics.reset();
}

QFontMetrics& TQtCanvas::Metrics()
{
    if (!FMetrics)
        FMetrics.emplace(FFont, FPainter.device());
    return *FMetrics;
}

int TQtCanvas::TextWidth(const std::string& text) { return Metrics().horizontalAdvance(ToQString(text)); }

int TQtCanvas::TextHeight(const std::string&) { return Metrics().height(); }

void TQtCanvas::TextOut(int x, int y, const std::string& text)
{
    const QPen pen = FPainter.pen();
    FPainter.setFont(FFont);
    FPainter.setPen(FFontColor);
    FPainter.drawText(x, y + Metrics().ascent(), ToQString(text));
    FPainter.setPen(pen);
}

} // namespace rs
