#pragma once
// What the tablet component needs from a tablet driver: the handful of WinTab
// calls it makes (load, default context, open, close, enable, overlap, packet),
// as one interface so that WinTab, the virtual tablet window and the scripted
// test driver are interchangeable. A process-wide registry names the driver in
// use; "no driver" is a valid answer and makes the program run with the mouse.

#include <cstdint>
#include <string>

namespace rs {

// An opaque handle of the window that owns a context (a native window id).
using TWindowId = std::uintptr_t;
// A context handle as the driver hands it out; 0 is "no context".
using TTabletContext = std::uint32_t;

// Context option bits, as WinTab defines them.
inline constexpr std::uint32_t CXO_SYSTEM = 0x0001; // the context moves the system pointer
inline constexpr std::uint32_t CXO_PEN = 0x0002;
inline constexpr std::uint32_t CXO_MESSAGES = 0x0004; // packets are announced to the window

// The fields of a context description that the program reads or changes.
// Origins and extents are in tablet counts; a positive Y extent means that
// Y grows upwards.
struct TTabletContextDesc
{
    std::string Name;
    std::uint32_t Options = 0;
    bool SysMode = false; // true: the system pointer moves relative to the cursor
    std::int32_t InOrgX = 0, InOrgY = 0, InExtX = 0, InExtY = 0;
    std::int32_t OutOrgX = 0, OutOrgY = 0, OutExtX = 0, OutExtY = 0;
    friend bool operator==(const TTabletContextDesc&, const TTabletContextDesc&) = default;
};

// The three leading fields of a packet: buttons down (bit i = button i), X, Y.
struct TTabletPacket
{
    std::uint32_t Buttons = 0;
    std::int32_t X = 0;
    std::int32_t Y = 0;
    friend bool operator==(const TTabletPacket&, const TTabletPacket&) = default;
};

// The receiver of one context's notifications (the tablet component).
class TTabletSink
{
  public:
    // A packet is queued for the context; fetch it with TTabletDriver::Packet.
    virtual void PacketReady(TTabletContext ctx, std::uint32_t serial) = 0;
    // The driver changed the context's input area (the virtual tablet's
    // surface was resized); read the new description with GetContext.
    virtual void ContextChanged(TTabletContext ctx) = 0;

  protected:
    ~TTabletSink() = default;
};

class TTabletDriver
{
  public:
    TTabletDriver() = default;
    TTabletDriver(const TTabletDriver&) = delete;
    TTabletDriver& operator=(const TTabletDriver&) = delete;
    // Unregisters the driver and makes every component forget the contexts
    // it had from it.
    virtual ~TTabletDriver();

    virtual std::string Name() const = 0;
    // Makes the driver usable; may be called again after a failure.
    virtual bool Load() = 0;
    virtual void Release() = 0;
    // The driver's default context (WTInfo WTI_DEFCONTEXT); false when the
    // driver cannot describe one.
    virtual bool DefaultContext(TTabletContextDesc& desc) = 0;
    // Opens a context for the window (WTOpen), enabled or not; 0 on failure.
    // A new context goes on top of the overlap order.
    virtual TTabletContext Open(TWindowId window, const TTabletContextDesc& desc, bool enable,
                                TTabletSink* sink) = 0;
    virtual bool Close(TTabletContext ctx) = 0;
    virtual bool Enable(TTabletContext ctx, bool enable) = 0;
    // Moves the context to the top (true) or the bottom of the overlap order.
    virtual bool Overlap(TTabletContext ctx, bool toTop) = 0;
    // Fetches the packet with this serial number (WTPacket); false when it is
    // no longer queued.
    virtual bool Packet(TTabletContext ctx, std::uint32_t serial, TTabletPacket& packet) = 0;
    // The context's current description (WTGet).
    virtual bool GetContext(TTabletContext ctx, TTabletContextDesc& desc) = 0;
};

// The registry. The active driver is not owned; a driver leaving the process
// unregisters itself.
void SetTabletDriver(TTabletDriver* driver);
// The driver to use, or none: none when nothing is registered or when the
// program runs without a tablet (SelectNoTabletDriver).
TTabletDriver* ActiveTabletDriver();
// The driver registered last, even while "no tablet" is selected.
TTabletDriver* RegisteredTabletDriver();
// Runs the program as if no tablet driver were present (command line
// "--no-tablet"); may be called before or after a driver registers.
void SelectNoTabletDriver(bool none = true);
bool NoTabletDriverSelected();

} // namespace rs
