#include "tablet/ui/TabletLoupe.h"

#include "tablet/ui/TabletSurface.h"

#include <QPainter>
#include <QWheelEvent>

#include <algorithm>
#include <utility>

namespace rs {

TTabletLoupe::TTabletLoupe(TTabletSurface* surface, QWidget* parent) : QWidget(parent), FSurface(surface)
{
    setMinimumSize(120, 120);
    setToolTip(QStringLiteral("Lupa: use a roda do mouse para mudar o aumento"));
    connect(surface, &TTabletSurface::pointerChanged, this, qOverload<>(&QWidget::update));
    connect(surface, &TTabletSurface::viewChanged, this, qOverload<>(&QWidget::update));
}

void TTabletLoupe::SetMagnification(int m)
{
    m = std::clamp(m, 2, 32);
    if (m != FMagnification) {
        FMagnification = m;
        update();
        emit magnificationChanged(m);
    }
}

void TTabletLoupe::wheelEvent(QWheelEvent* e)
{
    const int d = e->angleDelta().y();
    if (d > 0)
        SetMagnification(FMagnification * 2);
    else if (d < 0)
        SetMagnification(FMagnification / 2);
    e->accept();
}

void TTabletLoupe::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const QRectF r(rect());
    if (!FSurface->PointerInside() || !FSurface->PointerCounts()) {
        p.fillRect(r, QColor(150, 150, 150));
        p.setPen(Qt::white);
        p.drawText(r.adjusted(6, 6, -6, -6), Qt::AlignCenter | Qt::TextWordWrap,
                   QStringLiteral("Passe o ponteiro sobre a mesa"));
        return;
    }
    const double dpi = std::max(FSurface->DpiX(), FSurface->DpiY());
    const double scale = FMagnification * dpi / TTabletSurface::kCountsPerInch;
    // The centre of the counts reported, so the cross marks the reported point.
    const QPoint at = *FSurface->PointerCounts();
    const QPointF c(at.x() + 0.5, at.y() + 0.5);
    const QPointF centre = r.center();
    const QPointF offset(centre.x() - c.x() * scale, centre.y() - (FSurface->AreaHeight() - c.y()) * scale);
    FSurface->PaintArea(p, scale, offset, r, false);

    const double gap = std::max(3.0, scale / 2 + 2);
    // Blue on a white edge: chart grids are printed in red or green.
    for (const auto& [colour, width] :
         {std::pair{QColor(255, 255, 255), 3}, std::pair{QColor(0, 70, 230), 1}}) {
        p.setPen(QPen(colour, width, Qt::SolidLine, Qt::FlatCap));
        p.drawLine(QPointF(centre.x(), r.top()), QPointF(centre.x(), centre.y() - gap));
        p.drawLine(QPointF(centre.x(), centre.y() + gap), QPointF(centre.x(), r.bottom()));
        p.drawLine(QPointF(r.left(), centre.y()), QPointF(centre.x() - gap, centre.y()));
        p.drawLine(QPointF(centre.x() + gap, centre.y()), QPointF(r.right(), centre.y()));
    }
    p.setPen(QColor(60, 60, 60));
    p.drawRect(r.adjusted(0, 0, -1, -1));
}

} // namespace rs
