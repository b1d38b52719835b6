#pragma once
// What every WinTab test needs: a driver registered as the process's tablet
// driver, one of the test libraries on the DLL search path, the double's
// control functions, and message-only windows whose procedure hands
// messages to HandleWinTabMessage.

#include "TestHarness.h"
#include "WinTabDouble.h"

#include "tablet/Tablet.h"
#include "tablet/win/WinTabDriver.h"

#include <string>
#include <vector>

namespace wtest {

using rs::wintab::HCTX;
using rs::wintab::LOGCONTEXTA;

// Which "Wintab32.DLL" the search path offers.
enum class TLib { Full, NoOverlap, NoInfo, None };

// The folder holding that variant (beside the test program).
std::string LibraryFolder(TLib lib);

class TFixture
{
public:
    // Puts the variant on the search path, registers the driver and, when
    // load is true, loads the library and resets the double.
    explicit TFixture(TLib lib = TLib::Full, bool load = true);
    ~TFixture();
    TFixture(const TFixture&) = delete;
    TFixture& operator=(const TFixture&) = delete;

    rs::TWinTabDriver Driver;

    // Takes the double's control functions from the loaded module.
    void BindDouble();
    HWND NewWindow();
    // Dispatches every queued message of this thread.
    static void Pump();
    static rs::TWindowId Id(HWND w) { return reinterpret_cast<rs::TWindowId>(w); }

    // ---- The double
    void Script(void (*edit)(wtd::TScript&));
    wtd::TScript GetScript();
    void SetScript(const wtd::TScript& s);
    std::vector<wtd::TCall> Calls(const char* name = nullptr);
    int CallCount(const char* name) { return int(Calls(name).size()); }
    // The description passed to the index-th WTOpenA.
    bool Opened(int index, LOGCONTEXTA& lc, HWND* hwnd = nullptr, BOOL* enable = nullptr);
    LOGCONTEXTA DefaultContext();
    UINT Send(HCTX ctx, DWORD buttons, LONG x, LONG y) { return FSend(ctx, buttons, x, y); }
    // Sends and dispatches at once.
    void Deliver(HCTX ctx, DWORD buttons, LONG x, LONG y)
    {
        Send(ctx, buttons, x, y);
        Pump();
    }
    HCTX Native(const rs::TTablet& t) const { return Driver.NativeContext(t.Ctx()); }

    wtd::ResetFn FReset = nullptr;
    wtd::SetScriptFn FSetScript = nullptr;
    wtd::GetScriptFn FGetScript = nullptr;
    wtd::CallCountFn FCallCount = nullptr;
    wtd::GetCallFn FGetCall = nullptr;
    wtd::DefaultContextFn FDefaultContext = nullptr;
    wtd::OpenedFn FOpened = nullptr;
    wtd::SendFn FSend = nullptr;
    wtd::ChangeAreaFn FChangeArea = nullptr;
    wtd::PacketBufferZeroFn FPacketBufferZero = nullptr;
    wtd::LastPacketSizeFn FLastPacketSize = nullptr;
    wtd::IsOpenFn FIsOpen = nullptr;
    wtd::IsEnabledFn FIsEnabled = nullptr;
    wtd::TopFn FTop = nullptr;

    // WinTab-range messages that the window passed on to DefWindowProc.
    static int PassedOn;

private:
    std::vector<HWND> FWindows;
};

// Puts a folder on the DLL search path (after the program's own folder).
void UseLibraryFolder(TLib lib);

} // namespace wtest
