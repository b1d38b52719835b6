#pragma once
// The scale's tool windows that follow the active chart window (the
// control-point prompt and the statistics window): created once, registered
// with the chart windows, placed against the main window on first showing.

#include <QRect>

namespace rs {

class TMsgPt;
class TScaleStatFrm;
class TCtrlPtCoord;

// Creates the two tool windows (once) and registers them with the chart windows.
void RegisterScaleToolWindows();
TMsgPt* MsgPt();
TScaleStatFrm* ScaleStatFrm();
TCtrlPtCoord* CtrlPtCoord();

// The main window's frame on the screen; empty when there is none.
QRect MainWindowFrame();

} // namespace rs
