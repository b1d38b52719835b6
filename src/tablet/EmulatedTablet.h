#pragma once
// A tablet driver that keeps its contexts itself, the way WinTab does: an
// overlap order (the newest context on top, WTOverlap moves one), an enable
// state per context and a small packet queue per context. Positions handed to
// Deliver are in the device's counts (Y upwards) and go to the topmost enabled
// context, mapped from its input area onto its output area. The virtual
// tablet window and the scripted test driver are built on it.

#include "tablet/TabletDriver.h"

#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace rs {

class TEmulatedTabletDriver : public TTabletDriver
{
  public:
    TEmulatedTabletDriver(std::string name, int widthCounts, int heightCounts);
    ~TEmulatedTabletDriver() override;

    // ---- TTabletDriver
    std::string Name() const override { return FName; }
    bool Load() override;
    void Release() override;
    bool DefaultContext(TTabletContextDesc& desc) override;
    TTabletContext Open(TWindowId window, const TTabletContextDesc& desc, bool enable,
                        TTabletSink* sink) override;
    bool Close(TTabletContext ctx) override;
    bool Enable(TTabletContext ctx, bool enable) override;
    bool Overlap(TTabletContext ctx, bool toTop) override;
    bool Packet(TTabletContext ctx, std::uint32_t serial, TTabletPacket& packet) override;
    bool GetContext(TTabletContext ctx, TTabletContextDesc& desc) override;

    // ---- The device
    int AreaWidth() const { return FWidth; }
    int AreaHeight() const { return FHeight; }
    // Changes the input area (counts). Open contexts take the new area, an
    // output extent equal to the old input extent follows it, and their
    // owners are told.
    void SetArea(int widthCounts, int heightCounts);

    // Sends one packet (device counts) to the topmost enabled context.
    // Returns the context that received it, 0 when none did.
    TTabletContext Deliver(std::uint32_t buttons, int x, int y);
    std::uint32_t LastButtons() const { return FButtons; }

    // ---- Contexts
    // Top first.
    std::vector<TTabletContext> OverlapOrder() const;
    // The topmost enabled context: the one Deliver would send to; 0 if none.
    TTabletContext TargetContext() const;
    bool IsOpen(TTabletContext ctx) const;
    bool IsEnabled(TTabletContext ctx) const;
    TWindowId ContextWindow(TTabletContext ctx) const;
    // Relative contexts move the system pointer; absolute ones only report.
    bool IsRelative(TTabletContext ctx) const;
    int ContextCount() const { return int(FContexts.size()); }

    // Told after every change of the contexts or their order.
    std::function<void()> OnContextsChange;
    // Told after SetArea changed the area.
    std::function<void()> OnAreaChange;

    static constexpr std::size_t kQueueSize = 32;

  private:
    struct TContext
    {
        TTabletContext Handle = 0;
        TWindowId Window = 0;
        TTabletContextDesc Desc;
        bool Enabled = false;
        TTabletSink* Sink = nullptr;
        std::deque<std::pair<std::uint32_t, TTabletPacket>> Queue;
    };
    TContext* Find(TTabletContext ctx);
    const TContext* Find(TTabletContext ctx) const;
    void Changed();

    std::string FName;
    int FWidth, FHeight;
    bool FLoaded = false;
    std::vector<TContext> FContexts; // overlap order, top first
    TTabletContext FNextHandle = 1;
    std::uint32_t FNextSerial = 1;
    std::uint32_t FButtons = 0;
};

} // namespace rs
