#include "WinTabFixture.h"

#include <cstring>

namespace wtest {

int TFixture::PassedOn = 0;

namespace {

const char* kWindowClass = "RainScribeWinTabTest";

LRESULT CALLBACK TestWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (rs::HandleWinTabMessage(hwnd, msg, wParam, lParam))
        return 0;
    if (msg >= 0x7F00 && msg <= 0x7FFF)
        ++TFixture::PassedOn;
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

void RegisterClassOnce()
{
    static bool done = false;
    if (done)
        return;
    WNDCLASSA wc{};
    wc.lpfnWndProc = TestWindowProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = kWindowClass;
    RegisterClassA(&wc);
    done = true;
}

std::string ProgramFolder()
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string s = path;
    const auto cut = s.find_last_of("\\/");
    return cut == std::string::npos ? std::string(".") : s.substr(0, cut);
}

template <class F>
F Get(HMODULE m, const char* name)
{
    FARPROC p = GetProcAddress(m, name);
    REQUIRE(p != nullptr);
    return reinterpret_cast<F>(reinterpret_cast<void (*)()>(p));
}

} // namespace

std::string LibraryFolder(TLib lib)
{
    const char* sub = "wintab-none";
    switch (lib) {
    case TLib::Full: sub = "wintab-full"; break;
    case TLib::NoOverlap: sub = "wintab-no-overlap"; break;
    case TLib::NoInfo: sub = "wintab-no-info"; break;
    case TLib::None: break;
    }
    return ProgramFolder() + "\\" + sub;
}

void UseLibraryFolder(TLib lib) { SetDllDirectoryA(LibraryFolder(lib).c_str()); }

TFixture::TFixture(TLib lib, bool load)
{
    PassedOn = 0;
    UseLibraryFolder(lib);
    rs::SetSwapButton(0);
    rs::SetTabletDriver(&Driver);
    if (load) {
        REQUIRE(rs::LoadTabletLibrary());
        BindDouble();
        FReset();
    }
}

TFixture::~TFixture()
{
    Pump();
    for (HWND w : FWindows)
        DestroyWindow(w);
    rs::ReleaseTabletLibrary();
    rs::SetTabletDriver(nullptr);
    SetDllDirectoryA(nullptr);
}

void TFixture::BindDouble()
{
    HMODULE m = Driver.Module();
    REQUIRE(m != nullptr);
    FReset = Get<wtd::ResetFn>(m, "WtdReset");
    FSetScript = Get<wtd::SetScriptFn>(m, "WtdSetScript");
    FGetScript = Get<wtd::GetScriptFn>(m, "WtdGetScript");
    FCallCount = Get<wtd::CallCountFn>(m, "WtdCallCount");
    FGetCall = Get<wtd::GetCallFn>(m, "WtdGetCall");
    FDefaultContext = Get<wtd::DefaultContextFn>(m, "WtdDefaultContext");
    FOpened = Get<wtd::OpenedFn>(m, "WtdOpened");
    FSend = Get<wtd::SendFn>(m, "WtdSend");
    FChangeArea = Get<wtd::ChangeAreaFn>(m, "WtdChangeArea");
    FPacketBufferZero = Get<wtd::PacketBufferZeroFn>(m, "WtdPacketBufferZero");
    FLastPacketSize = Get<wtd::LastPacketSizeFn>(m, "WtdLastPacketSize");
    FIsOpen = Get<wtd::IsOpenFn>(m, "WtdIsOpen");
    FIsEnabled = Get<wtd::IsEnabledFn>(m, "WtdIsEnabled");
    FTop = Get<wtd::TopFn>(m, "WtdTop");
}

HWND TFixture::NewWindow()
{
    RegisterClassOnce();
    HWND w = CreateWindowExA(0, kWindowClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                             GetModuleHandleA(nullptr), nullptr);
    REQUIRE(w != nullptr);
    FWindows.push_back(w);
    return w;
}

void TFixture::Pump()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

void TFixture::Script(void (*edit)(wtd::TScript&))
{
    wtd::TScript s = GetScript();
    edit(s);
    SetScript(s);
}

wtd::TScript TFixture::GetScript()
{
    wtd::TScript s{};
    FGetScript(&s);
    return s;
}

void TFixture::SetScript(const wtd::TScript& s) { FSetScript(&s); }

std::vector<wtd::TCall> TFixture::Calls(const char* name)
{
    std::vector<wtd::TCall> out;
    const int n = FCallCount();
    for (int i = 0; i < n; ++i) {
        wtd::TCall c{};
        FGetCall(i, &c);
        if (!name || std::strcmp(c.Name, name) == 0)
            out.push_back(c);
    }
    return out;
}

bool TFixture::Opened(int index, LOGCONTEXTA& lc, HWND* hwnd, BOOL* enable)
{
    HWND h = nullptr;
    BOOL e = FALSE;
    const bool ok = FOpened(index, &lc, &h, &e);
    if (hwnd)
        *hwnd = h;
    if (enable)
        *enable = e;
    return ok;
}

LOGCONTEXTA TFixture::DefaultContext()
{
    LOGCONTEXTA lc{};
    FDefaultContext(&lc);
    return lc;
}

} // namespace wtest
