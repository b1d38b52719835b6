// The selected curve point dragged on the scan in "Mesa Virtual": the surface
// hands the press, the moves and the release to the active chart window
// (ScanDesk.cpp sets the hook), and the whole drag is one "Mover ponto" step,
// as a drag on the chart is.

#include "chartwin/uRChartWnd.h"

#include "chartwin/DrawBox.h"
#include "chartwin/ScanDesk.h"
#include "document/uEditHistory.h"
#include "tablet/ui/TabletSurface.h"

#include <cmath>

namespace rs {

namespace {
// How far from the marker's centre a press still takes the point, in screen pixels.
constexpr double kGrabRadius = 6;
} // namespace

bool TRChartFrm::ScanDragPress(const TTabletSurface& surface, QPointF widgetPos)
{
    if (FEntryLock || FDragPoint || FHistory->InStep() || FDoc->State() != Digitizing || FDoc->Info.Kind != 0)
        return false;
    const TScale& s = FDoc->Scale();
    TDigPoint* p = FDoc->Curve().Selected();
    if (!p || !s.Valid || !ScanFitsChart(FScanLink))
        return false;
    // Where the drawing over the scan shows the marker.
    double x = 0, y = 0;
    if (!s.ValueToCounts(p->Time(), p->Prec() + FDoc->Info.Dh, x, y))
        return false;
    const QPointF at = surface.CountsToWidget(QPointF(x, y));
    if (std::hypot(at.x() - widgetPos.x(), at.y() - widgetPos.y()) > kGrabRadius)
        return false;
    FDragPoint = p;
    FDragMoved = false;
    FHistory->Begin(steps::kMovePoint);
    return true;
}

void TRChartFrm::ScanDragMove(int x, int y)
{
    // A point deleted meanwhile (the tablet's button) ends the drag.
    if (!FDragPoint || FDoc->Curve().Selected() != FDragPoint)
        return;
    const TScale& s = FDoc->Scale();
    if (!MoveSelectedTo(s.TimeAt(x, y), s.PrecAt(x, y) - FDoc->Info.Dh))
        return;
    FDragMoved = true;
    FBox->update();
    RefreshScanOverlay();
}

void TRChartFrm::ScanDragRelease()
{
    DragRelease();
    RefreshScanOverlay();
}

} // namespace rs
