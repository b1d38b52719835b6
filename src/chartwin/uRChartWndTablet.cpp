// The chart window's tablet: relative at start, absolute while the scale is
// defined and the curve digitized; in absolute mode the sprite follows the pen.

#include "chartwin/uRChartWnd.h"

#include "chartwin/DrawBox.h"
#include "tablet/Tablet.h"
#include "tablet/ui/TabletBinding.h"

#include <QLabel>
#include <QScrollArea>

#include <cmath>

namespace rs {

void TRChartFrm::CreateTablet()
{
    FTablet = std::make_unique<TTablet>();
    FTablet->SetMode(moRelative);
    FTablet->OnCursorMove = [this](TTablet*, TCurButtons, int x, int y) { TabletCursorMove(x, y); };
    FTablet->OnSwapMode = [this](TTablet*) { TabletSwapped(); };
    FTablet->OnConfirmClick = [this](TTablet*, const TPoint& down, const TPoint& up, bool& confirm) {
        TabletConfirmClick(down, up, confirm);
    };
    FTablet->OnButtonClick = [this](TTablet*, TCurButton button, TCurButtons, int x, int y) {
        TabletButtonClick(button, x, y);
    };
    FTablet->OnContextChange = [this](TTablet*) {
        if (FDoc)
            FDoc->Scale().TabletRect = TabletContextRect();
    };
    // The window exists by now, so the component opens its context at once.
    BindTablet(*FTablet, this);
}

void TRChartFrm::DestroyTablet()
{
    if (FTablet) {
        FTablet->OnCursorMove = nullptr;
        FTablet->OnSwapMode = nullptr;
        FTablet->OnConfirmClick = nullptr;
        FTablet->OnButtonClick = nullptr;
        FTablet->OnContextChange = nullptr;
    }
    FTablet.reset();
}

void TRChartFrm::TabletFocused()
{
    // An activated window takes the packets, as when it gets the keyboard focus.
    if (FTablet)
        FTablet->WindowFocused();
}

TRect TRChartFrm::TabletContextRect() const
{
    if (FTablet && TabletAvailable())
        return FTablet->ContextRect();
    return {0, 0, 0, 0};
}

int TRChartFrm::TabletMode() const { return FTablet ? int(FTablet->Mode()) : int(moRelative); }

void TRChartFrm::SetTabletMode(int mode)
{
    if (FTablet)
        FTablet->SetMode(mode == 0 ? moAbsolute : moRelative);
}

void TRChartFrm::SwapTabletMode()
{
    if (FTablet)
        FTablet->SwapMode();
}

void TRChartFrm::TabletCursorMove(int x, int y)
{
    if (FEntryLock)
        return;
    const TScale& s = FDoc->Scale();
    double px = 0, py = 0;
    s.CursorPixel(x, y, px, py);
    MoveTabletCursor(int(std::lround(px)), int(std::lround(py)));
    if (s.Valid)
        CursorReadout(s.TimeAt(x, y), s.PrecAt(x, y), "%.2f mm");
    else
        ClearCursorReadout();
}

} // namespace rs
