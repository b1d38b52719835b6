#pragma once
// TTablet: a window's connection to the digitizing tablet. It opens a context
// for its window through the active tablet driver, turns the context's packets
// into cursor and button events, and switches between absolute mode
// (digitizing: the program receives positions) and relative mode (the tablet
// drives the system pointer like a mouse).
//
// Life of a component: construct it, set Mode and the handlers (until Loaded
// the setters only store their values), then call Loaded with the owning
// window; from then on the window's focus must be reported with
// WindowFocused (the Qt glue in tablet/ui/TabletBinding.h does it).

#include "common/Geometry.h"
#include "tablet/TabletDriver.h"

#include <cstdint>
#include <functional>
#include <memory>

namespace rs {

enum TMode : std::uint8_t { moAbsolute = 0, moRelative = 1 };

using TCurButton = std::uint8_t;   // 0 ... 31
using TCurButtons = std::uint32_t; // bit i set: button i is down

inline constexpr TCurButtons ButtonBit(int button)
{
    return TCurButtons(1) << (button & 31);
}

class TTablet;
using TCursorMoveEvent = std::function<void(TTablet* Sender, TCurButtons Buttons, int X, int Y)>;
using TCurButtonEvent =
    std::function<void(TTablet* Sender, TCurButton Button, TCurButtons Buttons, int X, int Y)>;
using TConfirmClickEvent =
    std::function<void(TTablet* Sender, const TPoint& DownPos, const TPoint& UpPos, bool& Confirm)>;
using TBeforeSwapModeEvent = std::function<void(TTablet* Sender, int X, int Y, bool& CanSwap)>;
using TTabletNotifyEvent = std::function<void(TTablet* Sender)>;

// ---- Module state: the tablet library (the active driver) and the swap button.

// Loads the active driver. True at once when it is loaded already; otherwise
// tries (again, also after a failure) and records the outcome.
bool LoadTabletLibrary();
// Releases a loaded driver and clears both flags.
void ReleaseTabletLibrary();
// The loaded flag: whether a tablet can be used.
bool TabletAvailable();
// True after a load attempt that failed (context openings do not retry then).
bool TabletLoadFailed();
// The button (0 ... 31) that swaps the mode in every component; 0 at start.
int SwapButton();
void SetSwapButton(int button); // clamped to 0 ... 31

class TTablet : private TTabletSink
{
  public:
    TTablet();
    virtual ~TTablet();
    TTablet(const TTablet&) = delete;
    TTablet& operator=(const TTablet&) = delete;

    // ---- Properties
    TTabletContext Ctx() const { return FCtx; }
    bool Connected() const { return FConnected; }
    void SetConnected(bool value);
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool value);
    TMode Mode() const { return FMode; }
    void SetMode(TMode value);

    TCursorMoveEvent OnCursorMove;     // absolute mode only
    TCurButtonEvent OnButtonPress;     // absolute mode only, not the swap button
    TCurButtonEvent OnButtonUp;        // absolute mode only, not the swap button
    TConfirmClickEvent OnConfirmClick; // may refuse a click
    TCurButtonEvent OnButtonClick;     // absolute mode only, not the swap button
    TBeforeSwapModeEvent OnBeforeSwapMode;
    TTabletNotifyEvent OnSwapMode; // the mode changed, by any means
    // The context rectangle changed while the context stayed open (the
    // virtual tablet got a new surface); a reopening also reports it when the
    // rectangle differs from the previous one.
    TTabletNotifyEvent OnContextChange;

    // ---- Operations
    void SwapMode();
    // (-1, -1) in relative mode, the last position in absolute mode.
    TPoint CursorPos() const;
    // The context's output area: top is the larger Y.
    const TRect& ContextRect() const { return FContextRect; }
    TCurButtons ButtonState() const { return FButtons; }

    // ---- Window binding
    // End of construction: binds the component to its window (0: none) and
    // opens the context when Connected.
    void Loaded(TWindowId window);
    bool IsLoading() const { return FLoading; }
    void BindWindow(TWindowId window);
    TWindowId Window() const { return FWindow; }
    // The bound window received the keyboard focus: its context goes on top.
    void WindowFocused();
    // The bound window is being destroyed: stop listening (the context stays
    // open until the component closes it).
    void WindowDestroyed();

    // Lets glue code that outlives the component check that it still exists.
    std::weak_ptr<const bool> Lifetime() const { return FAlive; }

    // Used by the registry when a driver leaves the process.
    static void ForgetDriver(TTabletDriver* driver);

  protected:
    // Button transitions; may be overridden.
    virtual void ButtonDown(TCurButton button, TCurButtons buttons, int x, int y);
    virtual void ButtonUp(TCurButton button, TCurButtons buttons, int x, int y);
    virtual void SwapButtonReleased(int x, int y);

  private:
    void PacketReady(TTabletContext ctx, std::uint32_t serial) override;
    void ContextChanged(TTabletContext ctx) override;

    void HandlePacket(const TTabletPacket& packet);
    // Runs the button transitions; true when the swap button's transition was
    // the one reported.
    bool ButtonTransitions(TCurButtons buttons, int x, int y);
    bool OpenContext();
    void CloseContext();
    void SetContextRect(const TTabletContextDesc& desc);

    TTabletDriver* FDriver = nullptr; // the driver of the open context
    TTabletContext FCtx = 0;
    bool FConnected = true;
    bool FEnabled = true;
    TMode FMode = moAbsolute;
    bool FLoading = true;
    TWindowId FWindow = 0;
    bool FHooked = false; // the window's messages reach the component
    int FLastX = 0, FLastY = 0;
    TPoint FPressPos{-1, -1};
    TCurButtons FButtons = 0;
    TRect FContextRect{0, 0, 0, 0};
    std::shared_ptr<bool> FAlive;
};

} // namespace rs
