#include "tablet/Tablet.h"

#include <algorithm>
#include <bit>
#include <vector>

namespace rs {

namespace {

struct TLibraryState
{
    bool Loaded = false;
    bool LoadFailed = false;
    TTabletDriver* LoadedDriver = nullptr; // the driver that Loaded refers to
    int SwapButton = 0;
};

TLibraryState& Library()
{
    static TLibraryState s;
    return s;
}

// Every live component, so that a driver leaving the process can be
// forgotten by the components holding its contexts.
std::vector<TTablet*>& Tablets()
{
    static std::vector<TTablet*> list;
    return list;
}

} // namespace

void ResetTabletLibraryState()
{
    TLibraryState& s = Library();
    s.Loaded = false;
    s.LoadFailed = false;
    s.LoadedDriver = nullptr;
}

bool LoadTabletLibrary()
{
    TLibraryState& s = Library();
    if (s.Loaded) return true;
    TTabletDriver* driver = ActiveTabletDriver();
    s.Loaded = driver != nullptr && driver->Load();
    s.LoadFailed = !s.Loaded;
    s.LoadedDriver = s.Loaded ? driver : nullptr;
    return s.Loaded;
}

void ReleaseTabletLibrary()
{
    TLibraryState& s = Library();
    if (!s.Loaded) return;
    if (s.LoadedDriver) s.LoadedDriver->Release();
    ResetTabletLibraryState();
}

bool TabletAvailable()
{
    return Library().Loaded;
}
bool TabletLoadFailed()
{
    return Library().LoadFailed;
}
int SwapButton()
{
    return Library().SwapButton;
}
void SetSwapButton(int button)
{
    Library().SwapButton = std::clamp(button, 0, 31);
}

// ---------------------------------------------------------------------------

TTablet::TTablet() : FAlive(std::make_shared<bool>(true))
{
    Tablets().push_back(this);
}

TTablet::~TTablet()
{
    *FAlive = false;
    CloseContext();
    BindWindow(0);
    auto& list = Tablets();
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
}

void TTablet::ForgetDriver(TTabletDriver* driver)
{
    for (TTablet* t : Tablets()) {
        if (t->FDriver != driver) continue;
        t->FDriver = nullptr;
        t->FCtx = 0;
        if (!t->FLoading) t->FConnected = false;
    }
    TLibraryState& s = Library();
    if (s.LoadedDriver == driver) ResetTabletLibraryState();
}

void TTablet::SetConnected(bool value)
{
    if (value == FConnected) return;
    if (FLoading) {
        FConnected = value;
        return;
    }
    if (value)
        OpenContext();
    else
        CloseContext();
}

void TTablet::SetEnabled(bool value)
{
    if (value == FEnabled) return;
    if (FCtx != 0 && FDriver) FDriver->Enable(FCtx, value);
    FEnabled = value;
}

void TTablet::SetMode(TMode value)
{
    if (value == FMode) return;
    FMode = value;
    if (FLoading) return;
    auto alive = FAlive;
    if (FConnected) {
        CloseContext();
        OpenContext();
    }
    if (*alive && OnSwapMode) OnSwapMode(this);
}

void TTablet::SwapMode()
{
    SetMode(FMode == moRelative ? moAbsolute : moRelative);
}

TPoint TTablet::CursorPos() const
{
    if (FMode == moRelative) return {-1, -1};
    return {FLastX, FLastY};
}

void TTablet::Loaded(TWindowId window)
{
    FLoading = false;
    BindWindow(window);
}

void TTablet::BindWindow(TWindowId window)
{
    if (window == FWindow && (window == 0 || FHooked)) return;
    FHooked = false;
    FWindow = window;
    if (window == 0 || FLoading) return;
    FHooked = true;
    if (FConnected) {
        CloseContext();
        OpenContext();
    }
}

void TTablet::WindowFocused()
{
    if (!FHooked) return;
    if (TabletAvailable() && FDriver && FCtx != 0) FDriver->Overlap(FCtx, true);
}

void TTablet::WindowDestroyed()
{
    FHooked = false;
}

// ---------------------------------------------------------------------------
// Contexts

bool TTablet::OpenContext()
{
    TLibraryState& lib = Library();
    if (!lib.Loaded && !lib.LoadFailed) LoadTabletLibrary();
    TTabletDriver* driver = lib.Loaded ? lib.LoadedDriver : nullptr;
    bool opened = false;
    if (driver && FCtx == 0 && FWindow != 0 && FHooked) {
        TTabletContextDesc desc;
        if (driver->DefaultContext(desc)) {
            desc.OutExtX = desc.InExtX;
            desc.OutExtY = desc.InExtY;
            const TRect before = FContextRect;
            SetContextRect(desc);
            if (FMode == moAbsolute) {
                desc.SysMode = false;
                desc.Options = CXO_MESSAGES;
            } else {
                desc.SysMode = true;
                desc.Options = CXO_SYSTEM | CXO_MESSAGES;
            }
            FCtx = driver->Open(FWindow, desc, false, this);
            if (FCtx != 0) {
                FDriver = driver;
                driver->Enable(FCtx, FEnabled);
                opened = true;
            }
            if (opened && before != FContextRect && OnContextChange) OnContextChange(this);
        }
    }
    FConnected = FCtx != 0;
    return opened;
}

void TTablet::CloseContext()
{
    if (FCtx != 0) {
        if (!FDriver || FDriver->Close(FCtx)) {
            FCtx = 0;
            FDriver = nullptr;
        }
    }
    FConnected = FCtx != 0;
}

void TTablet::SetContextRect(const TTabletContextDesc& desc)
{
    FContextRect.left = desc.OutOrgX;
    FContextRect.top = desc.OutOrgY + desc.OutExtY;
    FContextRect.right = desc.OutOrgX + desc.OutExtX;
    FContextRect.bottom = desc.OutOrgY;
}

void TTablet::ContextChanged(TTabletContext ctx)
{
    if (ctx != FCtx || !FDriver) return;
    TTabletContextDesc desc;
    if (!FDriver->GetContext(ctx, desc)) return;
    const TRect before = FContextRect;
    SetContextRect(desc);
    if (before != FContextRect && OnContextChange) OnContextChange(this);
}

// ---------------------------------------------------------------------------
// Packets

void TTablet::PacketReady(TTabletContext ctx, std::uint32_t serial)
{
    if (!FHooked || !FDriver) return;
    TTabletPacket packet;
    if (!FDriver->Packet(ctx, serial, packet)) return;
    HandlePacket(packet);
}

void TTablet::HandlePacket(const TTabletPacket& packet)
{
    auto alive = FAlive;
    const int x = packet.X, y = packet.Y;
    const bool swapTransition = ButtonTransitions(packet.Buttons, x, y);
    if (!*alive) return;
    if (OnCursorMove && FMode == moAbsolute && !swapTransition && (x != FLastX || y != FLastY)) {
        OnCursorMove(this, packet.Buttons, x, y);
        if (!*alive) return;
    }
    FLastX = x;
    FLastY = y;
}

bool TTablet::ButtonTransitions(TCurButtons buttons, int x, int y)
{
    if (buttons == FButtons) return false;
    const TCurButtons changed = buttons ^ FButtons;
    const auto button = TCurButton(std::countr_zero(changed));
    const bool isSwap = button == SwapButton();
    FButtons = buttons;
    if (buttons & ButtonBit(button))
        ButtonDown(button, buttons, x, y);
    else
        ButtonUp(button, buttons, x, y);
    return isSwap;
}

void TTablet::ButtonDown(TCurButton button, TCurButtons buttons, int x, int y)
{
    FPressPos = CursorPos();
    if (button != SwapButton() && FMode == moAbsolute && OnButtonPress)
        OnButtonPress(this, button, buttons, x, y);
}

void TTablet::ButtonUp(TCurButton button, TCurButtons buttons, int x, int y)
{
    if (button == SwapButton()) {
        SwapButtonReleased(x, y);
        return;
    }
    if (FMode != moAbsolute) return;
    auto alive = FAlive;
    if (OnButtonClick) {
        bool confirm = true;
        if (OnConfirmClick) OnConfirmClick(this, FPressPos, TPoint{x, y}, confirm);
        if (!*alive) return;
        if (confirm && OnButtonClick) OnButtonClick(this, button, buttons, x, y);
        if (!*alive) return;
    }
    if (OnButtonUp) OnButtonUp(this, button, buttons, x, y);
}

void TTablet::SwapButtonReleased(int x, int y)
{
    bool canSwap = true;
    auto alive = FAlive;
    if (OnBeforeSwapMode) OnBeforeSwapMode(this, x, y, canSwap);
    if (*alive && canSwap) SwapMode();
}

} // namespace rs
