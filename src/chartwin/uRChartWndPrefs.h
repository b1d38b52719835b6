#pragma once
// The preference values the chart windows and the main window read: the tablet
// buttons of the digitizing tasks and the exclusive-new-file option.

namespace rs::wnd {

int InsertButton();   // 0-based
int DeleteButton();   // 0-based
int OverflowButton(); // 0-based
int SwapButtonNumber(); // 0-based
bool ExclusiveNewFile();
void SetExclusiveNewFile(bool on);

} // namespace rs::wnd
