#include "tablet/EmulatedTablet.h"

#include <algorithm>
#include <utility>

namespace rs {

TEmulatedTabletDriver::TEmulatedTabletDriver(std::string name, int widthCounts, int heightCounts)
    : FName(std::move(name)), FWidth(std::max(widthCounts, 1)), FHeight(std::max(heightCounts, 1))
{
}

TEmulatedTabletDriver::~TEmulatedTabletDriver() = default;

bool TEmulatedTabletDriver::Load()
{
    FLoaded = true;
    return true;
}

void TEmulatedTabletDriver::Release()
{
    FLoaded = false;
}

bool TEmulatedTabletDriver::DefaultContext(TTabletContextDesc& desc)
{
    desc = TTabletContextDesc{};
    desc.Name = FName;
    desc.Options = CXO_SYSTEM;
    desc.SysMode = false;
    desc.InExtX = FWidth;
    desc.InExtY = FHeight;
    // Like the screen mapping of a system context: the output differs from
    // the input until the opener sets it.
    desc.OutExtX = 1024;
    desc.OutExtY = -768;
    return true;
}

TTabletContext TEmulatedTabletDriver::Open(TWindowId window, const TTabletContextDesc& desc, bool enable,
                                           TTabletSink* sink)
{
    if (window == 0) return 0;
    TContext c;
    c.Handle = FNextHandle++;
    if (FNextHandle == 0) FNextHandle = 1;
    c.Window = window;
    c.Desc = desc;
    c.Enabled = enable;
    c.Sink = sink;
    FContexts.insert(FContexts.begin(), std::move(c));
    Changed();
    return FContexts.front().Handle;
}

bool TEmulatedTabletDriver::Close(TTabletContext ctx)
{
    auto it = std::find_if(FContexts.begin(), FContexts.end(),
                           [ctx](const TContext& c) { return c.Handle == ctx; });
    if (it == FContexts.end()) return false;
    FContexts.erase(it);
    Changed();
    return true;
}

bool TEmulatedTabletDriver::Enable(TTabletContext ctx, bool enable)
{
    TContext* c = Find(ctx);
    if (!c) return false;
    if (c->Enabled != enable) {
        c->Enabled = enable;
        if (!enable) c->Queue.clear();
        Changed();
    }
    return true;
}

bool TEmulatedTabletDriver::Overlap(TTabletContext ctx, bool toTop)
{
    auto it = std::find_if(FContexts.begin(), FContexts.end(),
                           [ctx](const TContext& c) { return c.Handle == ctx; });
    if (it == FContexts.end()) return false;
    const auto before = OverlapOrder();
    if (toTop)
        std::rotate(FContexts.begin(), it, it + 1);
    else
        std::rotate(it, it + 1, FContexts.end());
    if (OverlapOrder() != before) Changed();
    return true;
}

bool TEmulatedTabletDriver::Packet(TTabletContext ctx, std::uint32_t serial, TTabletPacket& packet)
{
    TContext* c = Find(ctx);
    if (!c) return false;
    auto it =
        std::find_if(c->Queue.begin(), c->Queue.end(), [serial](const auto& q) { return q.first == serial; });
    if (it == c->Queue.end()) return false;
    packet = it->second;
    // Fetching a packet discards it and every older one, as WTPacket does.
    c->Queue.erase(c->Queue.begin(), it + 1);
    return true;
}

bool TEmulatedTabletDriver::GetContext(TTabletContext ctx, TTabletContextDesc& desc)
{
    const TContext* c = Find(ctx);
    if (!c) return false;
    desc = c->Desc;
    return true;
}

void TEmulatedTabletDriver::SetArea(int widthCounts, int heightCounts)
{
    widthCounts = std::max(widthCounts, 1);
    heightCounts = std::max(heightCounts, 1);
    if (widthCounts == FWidth && heightCounts == FHeight) return;
    std::vector<std::pair<TTabletContext, TTabletSink*>> told;
    for (TContext& c : FContexts) {
        TTabletContextDesc& d = c.Desc;
        if (d.OutExtX == d.InExtX) d.OutExtX = widthCounts;
        if (d.OutExtY == d.InExtY) d.OutExtY = heightCounts;
        d.InOrgX = 0;
        d.InOrgY = 0;
        d.InExtX = widthCounts;
        d.InExtY = heightCounts;
        c.Queue.clear();
        if (c.Sink) told.emplace_back(c.Handle, c.Sink);
    }
    FWidth = widthCounts;
    FHeight = heightCounts;
    // Owners may close or reopen contexts while being told: only handles are
    // kept across the calls.
    for (auto& [handle, sink] : told)
        if (Find(handle)) sink->ContextChanged(handle);
    if (OnAreaChange) OnAreaChange();
}

TTabletContext TEmulatedTabletDriver::Deliver(std::uint32_t buttons, int x, int y)
{
    FButtons = buttons;
    TContext* c = nullptr;
    for (TContext& k : FContexts)
        if (k.Enabled) {
            c = &k;
            break;
        }
    if (!c) return 0;
    const TTabletContextDesc& d = c->Desc;
    auto map = [](int v, int inOrg, int inExt, int outOrg, int outExt) {
        if (inExt == 0) return outOrg;
        return int(outOrg + (std::int64_t(v) - inOrg) * outExt / inExt);
    };
    TTabletPacket p;
    p.Buttons = buttons;
    p.X = map(x, d.InOrgX, d.InExtX, d.OutOrgX, d.OutExtX);
    p.Y = map(y, d.InOrgY, d.InExtY, d.OutOrgY, d.OutExtY);
    const std::uint32_t serial = FNextSerial++;
    c->Queue.emplace_back(serial, p);
    while (c->Queue.size() > kQueueSize)
        c->Queue.pop_front();
    const TTabletContext handle = c->Handle;
    if (TTabletSink* sink = c->Sink) sink->PacketReady(handle, serial);
    return handle;
}

std::vector<TTabletContext> TEmulatedTabletDriver::OverlapOrder() const
{
    std::vector<TTabletContext> order;
    order.reserve(FContexts.size());
    for (const TContext& c : FContexts)
        order.push_back(c.Handle);
    return order;
}

TTabletContext TEmulatedTabletDriver::TargetContext() const
{
    for (const TContext& c : FContexts)
        if (c.Enabled) return c.Handle;
    return 0;
}

bool TEmulatedTabletDriver::IsOpen(TTabletContext ctx) const
{
    return Find(ctx) != nullptr;
}

bool TEmulatedTabletDriver::IsEnabled(TTabletContext ctx) const
{
    const TContext* c = Find(ctx);
    return c && c->Enabled;
}

TWindowId TEmulatedTabletDriver::ContextWindow(TTabletContext ctx) const
{
    const TContext* c = Find(ctx);
    return c ? c->Window : 0;
}

bool TEmulatedTabletDriver::IsRelative(TTabletContext ctx) const
{
    const TContext* c = Find(ctx);
    return c && c->Desc.SysMode;
}

TEmulatedTabletDriver::TContext* TEmulatedTabletDriver::Find(TTabletContext ctx)
{
    for (TContext& c : FContexts)
        if (c.Handle == ctx) return &c;
    return nullptr;
}

const TEmulatedTabletDriver::TContext* TEmulatedTabletDriver::Find(TTabletContext ctx) const
{
    for (const TContext& c : FContexts)
        if (c.Handle == ctx) return &c;
    return nullptr;
}

void TEmulatedTabletDriver::Changed()
{
    if (OnContextsChange) OnContextsChange();
}

} // namespace rs
