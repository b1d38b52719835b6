#include "tablet/ScriptedTabletDriver.h"

namespace rs {

TScriptedTabletDriver::TScriptedTabletDriver(int widthCounts, int heightCounts)
    : TEmulatedTabletDriver("Scripted tablet", widthCounts, heightCounts)
{
}

void TScriptedTabletDriver::ClearRecord()
{
    Loads = Releases = DefaultContextCalls = 0;
    Opens.clear();
    Closes.clear();
    Enables.clear();
    Overlaps.clear();
}

TTabletContext TScriptedTabletDriver::PressButton(int button, int x, int y)
{
    return Deliver(LastButtons() | (std::uint32_t(1) << (button & 31)), x, y);
}

TTabletContext TScriptedTabletDriver::ReleaseButton(int button, int x, int y)
{
    return Deliver(LastButtons() & ~(std::uint32_t(1) << (button & 31)), x, y);
}

bool TScriptedTabletDriver::Load()
{
    ++Loads;
    return LoadSucceeds && TEmulatedTabletDriver::Load();
}

void TScriptedTabletDriver::Release()
{
    ++Releases;
    TEmulatedTabletDriver::Release();
}

bool TScriptedTabletDriver::DefaultContext(TTabletContextDesc& desc)
{
    ++DefaultContextCalls;
    if (!HasDefaultContext || !TEmulatedTabletDriver::DefaultContext(desc)) return false;
    desc.InOrgX = desc.OutOrgX = OriginX;
    desc.InOrgY = desc.OutOrgY = OriginY;
    return true;
}

TTabletContext TScriptedTabletDriver::Open(TWindowId window, const TTabletContextDesc& desc, bool enable,
                                           TTabletSink* sink)
{
    TTabletContext ctx = OpenFails ? 0 : TEmulatedTabletDriver::Open(window, desc, enable, sink);
    Opens.push_back({window, desc, enable, ctx});
    return ctx;
}

bool TScriptedTabletDriver::Close(TTabletContext ctx)
{
    Closes.push_back(ctx);
    return !CloseFails && TEmulatedTabletDriver::Close(ctx);
}

bool TScriptedTabletDriver::Enable(TTabletContext ctx, bool enable)
{
    Enables.emplace_back(ctx, enable);
    return TEmulatedTabletDriver::Enable(ctx, enable);
}

bool TScriptedTabletDriver::Overlap(TTabletContext ctx, bool toTop)
{
    Overlaps.emplace_back(ctx, toTop);
    return TEmulatedTabletDriver::Overlap(ctx, toTop);
}

bool TScriptedTabletDriver::Packet(TTabletContext ctx, std::uint32_t serial, TTabletPacket& packet)
{
    if (PacketFails) return false;
    return TEmulatedTabletDriver::Packet(ctx, serial, packet);
}

} // namespace rs
