#pragma once
// "Mesa Virtual" as the place where a scan is checked: the link between the
// virtual tablet and the chart windows. The tablet draws the active chart's
// control points and curve over the scan (through the scale: tablet counts are
// the scan's pixels at its resolution), with a traced chart's unsure stretches;
// each chart window keeps which scan (and page) its scale was marked on, shows it
// again when it becomes active, and loading another scan over a chart whose
// scale was marked on a different one is met with a warning.

#include <QIcon>
#include <QString>

namespace rs {

class TRChartFrm;
class TVirtualTablet;
struct TScanLink;

// The virtual tablet whose scans the charts are checked on (nullptr: none).
void AttachScanTablet(TVirtualTablet* tablet);
TVirtualTablet* ScanTablet();

// Whether the virtual tablet shows a scanned picture.
bool ScanShown();
// Whether the link names the scan and page shown now (an empty link names none).
bool ScanIsShown(const TScanLink& link);
// The chart's points are drawn over what is shown: its scale was marked there,
// or on no scan known to the program.
bool ScanFitsChart(const TScanLink& link);

// Shows the window's scan in the tablet when it is not the one shown and the
// file still exists; quiet otherwise.
void ShowChartScan(TRChartFrm* window);
// A chart window became the active one: its scan is shown, the drawing over it
// and the list of unsure stretches follow.
void ScanChartActivated(TRChartFrm* window);
// Repaints the drawing over the scan.
void RefreshScanOverlay();
// Pans the tablet so that the point (tablet counts) lies in the middle.
void CentreScanOn(double x, double y);

// The picture of "Traçar &Automaticamente".
QIcon AutoTraceIcon();

} // namespace rs
