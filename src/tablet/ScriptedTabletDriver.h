#pragma once
// A tablet driver for tests: an emulated tablet whose answers can be scripted
// (a load that fails, a missing default context, refused openings, closings
// or packet fetches) and that records every call made to it.

#include "tablet/EmulatedTablet.h"

#include <vector>

namespace rs {

class TScriptedTabletDriver : public TEmulatedTabletDriver
{
  public:
    // A 24 x 18 inch tablet at 1000 counts per inch unless told otherwise.
    explicit TScriptedTabletDriver(int widthCounts = 24000, int heightCounts = 18000);

    // ---- Script
    bool LoadSucceeds = true;
    bool HasDefaultContext = true;
    bool OpenFails = false;
    bool CloseFails = false;
    bool PacketFails = false;
    // Origin of the default context's input and output (counts).
    int OriginX = 0, OriginY = 0;

    // ---- Record
    struct TOpenCall
    {
        TWindowId Window;
        TTabletContextDesc Desc;
        bool Enable;
        TTabletContext Result;
    };
    int Loads = 0;
    int Releases = 0;
    int DefaultContextCalls = 0;
    std::vector<TOpenCall> Opens;
    std::vector<TTabletContext> Closes;
    std::vector<std::pair<TTabletContext, bool>> Enables;
    std::vector<std::pair<TTabletContext, bool>> Overlaps;
    void ClearRecord();

    // Shorthands: one packet, a press and a release of one button.
    TTabletContext Send(std::uint32_t buttons, int x, int y) { return Deliver(buttons, x, y); }
    TTabletContext PressButton(int button, int x, int y);
    TTabletContext ReleaseButton(int button, int x, int y);

    // ---- TTabletDriver
    bool Load() override;
    void Release() override;
    bool DefaultContext(TTabletContextDesc& desc) override;
    TTabletContext Open(TWindowId window, const TTabletContextDesc& desc, bool enable,
                        TTabletSink* sink) override;
    bool Close(TTabletContext ctx) override;
    bool Enable(TTabletContext ctx, bool enable) override;
    bool Overlap(TTabletContext ctx, bool toTop) override;
    bool Packet(TTabletContext ctx, std::uint32_t serial, TTabletPacket& packet) override;
};

} // namespace rs
