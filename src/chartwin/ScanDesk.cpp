#include "chartwin/ScanDesk.h"

#include "chartwin/UnsureList.h"
#include "chartwin/uRChartWnd.h"
#include "chartwin/uRChartWndServices.h"
#include "document/uCurve.h"
#include "scale/uScale.h"
#include "tablet/ui/TabletSurface.h"
#include "tablet/ui/VirtualTablet.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>

#include <algorithm>
#include <cmath>

namespace rs {

namespace {

QPointer<TVirtualTablet> gTablet;

QString NativePath(const std::string& path)
{
    return QDir::toNativeSeparators(QFile::decodeName(QByteArray::fromStdString(path)));
}

bool SameFile(const QString& a, const QString& b)
{
    if (a.isEmpty() || b.isEmpty())
        return false;
    const QFileInfo fa(a), fb(b);
    const QString ca = fa.canonicalFilePath(), cb = fb.canonicalFilePath();
    if (!ca.isEmpty() && !cb.isEmpty())
        return ca == cb;
    return QDir::cleanPath(fa.absoluteFilePath()) == QDir::cleanPath(fb.absoluteFilePath());
}

// A stretch of the chart between two values, sampled finely enough that a long
// drop follows the pen's arc on a curved chart.
void AddStretch(QPainterPath& path, const TScale& s, const TTabletSurface::TCountsToView& to, TPointValue a, TPointValue b, bool move)
{
    const int steps = std::clamp(int(std::ceil(std::abs(b.Prec - a.Prec) / 0.5)), 1, 24);
    for (int i = move ? 0 : 1; i <= steps; ++i) {
        const double k = double(i) / steps;
        double x = 0, y = 0;
        if (!s.ValueToCounts(a.Time + (b.Time - a.Time) * k, a.Prec + (b.Prec - a.Prec) * k, x, y))
            continue;
        const QPointF p = to(x, y);
        if (i == 0)
            path.moveTo(p);
        else
            path.lineTo(p);
    }
}

// The active chart over the scan: control points, the curve, siphon peaks, failures and unsure stretches.
void PaintChartOverScan(QPainter& p, const TTabletSurface::TCountsToView& to, double)
{
    const TRChartFrm* w = ActiveChartWindow();
    if (!w || !ScanFitsChart(w->ScanLink()))
        return;
    const TRChart& doc = w->Doc();
    const TScale& s = doc.Scale();
    // Control points: a ring with a cross, numbered.
    QFont font = p.font();
    font.setPixelSize(11);
    p.setFont(font);
    for (int i = 0; i < s.Count(); ++i) {
        const TDigPoint* pt = s.Items(i);
        const QPointF c = to(pt->X + 0.5, pt->Y + 0.5);
        p.setPen(QPen(QColor(200, 0, 200), 1.5));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(c, 6, 6);
        p.drawLine(c + QPointF(-9, 0), c + QPointF(-3, 0));
        p.drawLine(c + QPointF(3, 0), c + QPointF(9, 0));
        p.drawLine(c + QPointF(0, -9), c + QPointF(0, -3));
        p.drawLine(c + QPointF(0, 3), c + QPointF(0, 9));
        p.drawText(c + QPointF(8, -8), QString::number(i + 1));
    }
    if (!s.Valid || doc.Info.Kind != 0)
        return;
    const TCurve& curve = doc.Curve();
    const TTabletSurface::TCountsToView map = [&to](double x, double y) { return to(x, y); };
    // Points hold the reading less the curve offset; the scan shows the pen's own reading.
    const auto pen = [&doc](TPointValue v) {
        v.Prec += doc.Info.Dh;
        return v;
    };
    // Unsure stretches of a trace, under the curve: a wide orange band along it and its two time lines.
    if (w->ScanLink().Traced) {
        for (const TScanUnsure& u : w->ScanLink().Unsure) {
            QPainterPath lines;
            AddStretch(lines, s, map, {u.Start, 0}, {u.Start, 10}, true);
            AddStretch(lines, s, map, {u.End, 0}, {u.End, 10}, true);
            p.setPen(QPen(QColor(255, 140, 0, 200), 1.5, Qt::DashLine));
            p.drawPath(lines);
            QPainterPath band;
            bool open = false;
            for (int i = 0; i + 1 < curve.Count(); ++i) {
                const TPointValue a = pen(curve.Items(i)->Value()), b = pen(curve.Items(i + 1)->Value());
                if (b.Time < u.Start || a.Time > u.End) {
                    open = false;
                    continue;
                }
                AddStretch(band, s, map, a, b, !open);
                open = true;
            }
            p.setPen(QPen(QColor(255, 140, 0, 110), 9, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            p.drawPath(band);
        }
    }
    // The curve: red, broken after a failure.
    QPainterPath line;
    for (int i = 0; i < curve.Count(); ++i) {
        const TDigPoint* pt = curve.Items(i);
        const bool move = i == 0 || curve.Items(i - 1)->Mark() == 2;
        if (move) {
            AddStretch(line, s, map, pen(pt->Value()), pen(pt->Value()), true);
        } else {
            AddStretch(line, s, map, pen(curve.Items(i - 1)->Value()), pen(pt->Value()), false);
        }
    }
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(230, 0, 0, 220), 1.3));
    p.drawPath(line);
    // Peaks ringed, failures squared, the selected point in green.
    for (int i = 0; i < curve.Count(); ++i) {
        const TDigPoint* pt = curve.Items(i);
        const bool selected = pt == curve.Selected();
        if (pt->Mark() == 0 && !selected)
            continue;
        double x = 0, y = 0;
        if (!s.ValueToCounts(pt->Time(), pt->Prec() + doc.Info.Dh, x, y))
            continue;
        const QPointF c = to(x, y);
        if (pt->Mark() == 1) {
            p.setPen(QPen(QColor(200, 0, 200), 2));
            p.drawEllipse(c, 7, 7);
        } else if (pt->Mark() == 2) {
            p.setPen(QPen(QColor(160, 0, 0), 2));
            p.drawRect(QRectF(c - QPointF(5, 5), QSizeF(10, 10)));
        }
        if (selected) {
            p.setPen(QPen(QColor(0, 170, 0), 2));
            p.drawRect(QRectF(c - QPointF(4, 4), QSizeF(8, 8)));
        }
    }
}

// A press on the active chart's selected point drags it; the window that took
// the press keeps the drag even when another becomes active meanwhile.
bool DragOnScan(const TTabletSurface& surface, TTabletSurface::TDragPhase phase, QPointF at, QPoint counts)
{
    static QPointer<TRChartFrm> dragged;
    switch (phase) {
    case TTabletSurface::TDragPhase::Press: {
        TRChartFrm* w = ActiveChartWindow();
        dragged = w && w->ScanDragPress(surface, at) ? w : nullptr;
        return dragged != nullptr;
    }
    case TTabletSurface::TDragPhase::Move:
        if (dragged)
            dragged->ScanDragMove(counts.x(), counts.y());
        return true;
    case TTabletSurface::TDragPhase::Release:
        if (dragged)
            dragged->ScanDragRelease();
        dragged = nullptr;
        return true;
    }
    return false;
}

} // namespace

void AttachScanTablet(TVirtualTablet* tablet)
{
    if (gTablet == tablet)
        return;
    if (gTablet) {
        gTablet->Surface()->SetOverlay(nullptr);
        gTablet->Surface()->SetDragHook(nullptr);
    }
    gTablet = tablet;
    if (!tablet)
        return;
    tablet->Surface()->SetOverlay(&PaintChartOverScan);
    tablet->Surface()->SetDragHook(&DragOnScan);
    QObject::connect(tablet, &TVirtualTablet::imageChanged, tablet, [](const QString& path, int page) {
        TRChartFrm* w = ActiveChartWindow();
        if (!w || path.isEmpty())
            return;
        const TScanLink& link = w->ScanLink();
        const TScale& s = w->Doc().Scale();
        const bool marked = s.Concluded || (s.InDefinition() && !s.IsEmpty());
        if (link.Empty() || !marked || ScanIsShown(link))
            return;
        const QString other = NativePath(link.Scan) +
                              (link.Page > 0 ? QStringLiteral(" (página %1)").arg(link.Page + 1) : QString());
        wnd::ShowWarning(QStringLiteral("A escala do pluviograma %1 foi marcada sobre outra imagem:\r\n%2\r\n"
                                        "Ela não corresponde à imagem aberta agora (%3%4); os pontos marcados sobre "
                                        "esta imagem não terão os valores corretos.")
                             .arg(w->windowTitle(), other, QFileInfo(path).fileName(),
                                  page > 0 ? QStringLiteral(", página %1").arg(page + 1) : QString()));
    });
}

TVirtualTablet* ScanTablet() { return gTablet; }

bool ScanShown() { return gTablet && gTablet->Surface()->HasImage(); }

bool ScanIsShown(const TScanLink& link)
{
    return ScanShown() && !link.Empty() && link.Page == gTablet->ImagePage() &&
           SameFile(QFile::decodeName(QByteArray::fromStdString(link.Scan)), gTablet->ImagePath());
}

bool ScanFitsChart(const TScanLink& link) { return link.Empty() || ScanIsShown(link); }

void ShowChartScan(TRChartFrm* window)
{
    if (!gTablet || !window)
        return;
    const TScanLink& link = window->ScanLink();
    if (link.Empty() || ScanIsShown(link))
        return;
    const QString path = QFile::decodeName(QByteArray::fromStdString(link.Scan));
    if (!QFileInfo::exists(path))
        return;
    // A scan that no longer reads is left out without a word: the chart opens all the same.
    auto saved = std::move(gTablet->OnMessage);
    gTablet->OnMessage = [](const QString&) {};
    gTablet->LoadImage(path, link.Page);
    gTablet->OnMessage = std::move(saved);
}

void ScanChartActivated(TRChartFrm* window)
{
    ShowChartScan(window);
    RefreshScanOverlay();
    TUnsureList::Follow(window);
}

void RefreshScanOverlay()
{
    if (gTablet)
        gTablet->Surface()->update();
}

void CentreScanOn(double x, double y)
{
    if (!gTablet)
        return;
    TTabletSurface* s = gTablet->Surface();
    // Close enough to see the ink: two screen pixels for a pixel of the scan.
    s->CentreOn(QPointF(x, y), 2.0 * std::max(s->DpiX(), s->DpiY()) / TTabletSurface::kCountsPerInch);
}

} // namespace rs
