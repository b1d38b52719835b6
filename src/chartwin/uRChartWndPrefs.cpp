#include "chartwin/uRChartWndPrefs.h"

namespace rs::wnd {

namespace {
struct TPrefs
{
    int Insert = 0, Delete = 1, Overflow = 2, Swap = 3;
    bool ExclusiveNew = false;
};
TPrefs& Prefs()
{
    static TPrefs p;
    return p;
}
} // namespace

int InsertButton() { return Prefs().Insert; }
int DeleteButton() { return Prefs().Delete; }
int OverflowButton() { return Prefs().Overflow; }
int SwapButtonNumber() { return Prefs().Swap; }
bool ExclusiveNewFile() { return Prefs().ExclusiveNew; }
void SetExclusiveNewFile(bool on) { Prefs().ExclusiveNew = on; }

} // namespace rs::wnd
