#include "tablet/win/WinTabDriver.h"

#include <algorithm>
#include <cstring>

namespace rs {

using namespace wintab;

namespace {

// Every live driver, for the window procedures' hook.
std::vector<TWinTabDriver*>& Drivers()
{
    static std::vector<TWinTabDriver*> list;
    return list;
}

// A reported description size beyond this is not a context description.
constexpr std::size_t kMaxDescSize = 64 * 1024;

// The packet fields the program reads: buttons, X and Y, nothing before them,
// each as an absolute value.
constexpr WTPKT kPacketData = PK_BUTTONS | PK_X | PK_Y;

LOGCONTEXTA ReadDesc(const std::vector<unsigned char>& buf)
{
    LOGCONTEXTA lc;
    std::memcpy(&lc, buf.data(), sizeof lc);
    return lc;
}

void WriteDesc(std::vector<unsigned char>& buf, const LOGCONTEXTA& lc)
{
    std::memcpy(buf.data(), &lc, sizeof lc);
}

std::string NameOf(const LOGCONTEXTA& lc)
{
    const char* end = std::find(lc.lcName, lc.lcName + LCNAMELEN, '\0');
    return std::string(lc.lcName, end);
}

TTabletContextDesc ToDesc(const LOGCONTEXTA& lc)
{
    TTabletContextDesc d;
    d.Name = NameOf(lc);
    d.Options = lc.lcOptions;
    d.SysMode = lc.lcSysMode != 0;
    d.InOrgX = lc.lcInOrgX;
    d.InOrgY = lc.lcInOrgY;
    d.InExtX = lc.lcInExtX;
    d.InExtY = lc.lcInExtY;
    d.OutOrgX = lc.lcOutOrgX;
    d.OutOrgY = lc.lcOutOrgY;
    d.OutExtX = lc.lcOutExtX;
    d.OutExtY = lc.lcOutExtY;
    return d;
}

// Puts the component's choices into a description taken from the default
// context; every other field keeps the default's value.
void ApplyDesc(LOGCONTEXTA& lc, const TTabletContextDesc& d)
{
    if (d.Name != NameOf(lc)) {
        std::memset(lc.lcName, 0, sizeof lc.lcName);
        std::memcpy(lc.lcName, d.Name.data(), std::min<std::size_t>(d.Name.size(), LCNAMELEN - 1));
    }
    lc.lcOptions = d.Options;
    lc.lcSysMode = d.SysMode ? -1 : 0;
    lc.lcInOrgX = d.InOrgX;
    lc.lcInOrgY = d.InOrgY;
    lc.lcInExtX = d.InExtX;
    lc.lcInExtY = d.InExtY;
    lc.lcOutOrgX = d.OutOrgX;
    lc.lcOutOrgY = d.OutOrgY;
    lc.lcOutExtX = d.OutExtX;
    lc.lcOutExtY = d.OutExtY;
    // The packet is read as buttons, X, Y: ask for exactly these, reported
    // as absolute values (a relative button field would be change codes).
    lc.lcPktData = kPacketData;
    lc.lcPktMode &= ~kPacketData;
}

} // namespace

TWinTabDriver::TWinTabDriver(std::string libraryName) : FLibraryName(std::move(libraryName))
{
    Drivers().push_back(this);
}

TWinTabDriver::~TWinTabDriver()
{
    Release();
    auto& list = Drivers();
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
}

void TWinTabDriver::SetWindowResolver(TWindowResolver resolver) { FResolver = std::move(resolver); }

template <class F>
F TWinTabDriver::Entry(TEntryPoint ep) const
{
    return reinterpret_cast<F>(reinterpret_cast<void (*)()>(FEntries[ep]));
}

int TWinTabDriver::EntryPointsFound() const
{
    return int(std::count_if(FEntries.begin(), FEntries.end(), [](FARPROC p) { return p != nullptr; }));
}

// ---------------------------------------------------------------------------
// The library

bool TWinTabDriver::Load()
{
    if (FModule)
        return true;
    ++FLoadAttempts;
    // A missing or broken library is an ordinary answer here, not a reason
    // for the system to put up an error box.
    DWORD oldMode = 0;
    const bool modeSet = SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &oldMode);
    HMODULE module = LoadLibraryA(FLibraryName.c_str());
    if (modeSet)
        SetThreadErrorMode(oldMode, nullptr);
    if (!module)
        return false;
    if (reinterpret_cast<std::uintptr_t>(module) < 32) // an old-style error code, not a handle
        return false;
    FModule = module;
    for (int i = 0; i < epCount; ++i)
        FEntries[i] = GetProcAddress(module, kEntryPointNames[i]);
    return true;
}

void TWinTabDriver::Release()
{
    if (!FModule)
        return;
    // Contexts must not outlive the library that made them.
    if (auto close = Entry<WTCloseFn>(epWTClose)) {
        for (const TContext& c : FContexts)
            close(c.Handle);
    }
    FContexts.clear();
    FreeLibrary(FModule);
    FModule = nullptr;
    FEntries.fill(nullptr);
    FDesc.clear();
    FDescSize = 0;
}

// ---------------------------------------------------------------------------
// Contexts

bool TWinTabDriver::FetchDefaultContext()
{
    auto info = Entry<WTInfoAFn>(epWTInfoA);
    if (!info)
        return false;
    if (FDescSize == 0) {
        const UINT size = info(WTI_DEFCONTEXT, 0, nullptr);
        if (size == 0 || size > kMaxDescSize)
            return false;
        FDescSize = size;
        FDesc.assign(std::max<std::size_t>(size, sizeof(LOGCONTEXTA)), 0);
    }
    std::fill(FDesc.begin(), FDesc.end(), 0);
    return info(WTI_DEFCONTEXT, 0, FDesc.data()) != 0;
}

bool TWinTabDriver::DefaultContext(TTabletContextDesc& desc)
{
    if (!FetchDefaultContext())
        return false;
    desc = ToDesc(ReadDesc(FDesc));
    return true;
}

TTabletContext TWinTabDriver::NextId()
{
    for (;;) {
        ++FLastId;
        if (FLastId != 0 && !Find(FLastId))
            return FLastId;
    }
}

TTabletContext TWinTabDriver::Open(TWindowId window, const TTabletContextDesc& desc, bool enable,
                                   TTabletSink* sink)
{
    auto open = Entry<WTOpenAFn>(epWTOpenA);
    if (!open)
        return 0;
    HWND hwnd = FResolver ? FResolver(window) : reinterpret_cast<HWND>(window);
    if (!hwnd)
        return 0;
    if (FDesc.empty() && !FetchDefaultContext())
        return 0;
    std::vector<unsigned char> buf = FDesc;
    LOGCONTEXTA lc = ReadDesc(buf);
    ApplyDesc(lc, desc);
    WriteDesc(buf, lc);
    HCTX handle = open(hwnd, reinterpret_cast<LOGCONTEXTA*>(buf.data()), enable ? TRUE : FALSE);
    if (!handle)
        return 0;
    // WTOpen may have adjusted the description; the messages come at the
    // base it settled on.
    lc = ReadDesc(buf);
    TContext c;
    c.Id = NextId();
    c.Handle = handle;
    c.Window = hwnd;
    c.MsgBase = lc.lcMsgBase != 0 ? lc.lcMsgBase : WT_DEFBASE;
    c.Sink = sink;
    FContexts.push_back(c);
    return c.Id;
}

const TWinTabDriver::TContext* TWinTabDriver::Find(TTabletContext ctx) const
{
    for (const TContext& c : FContexts)
        if (c.Id == ctx)
            return &c;
    return nullptr;
}

HCTX TWinTabDriver::NativeContext(TTabletContext ctx) const
{
    const TContext* c = Find(ctx);
    return c ? c->Handle : nullptr;
}

HWND TWinTabDriver::ContextWindow(TTabletContext ctx) const
{
    const TContext* c = Find(ctx);
    return c ? c->Window : nullptr;
}

bool TWinTabDriver::Close(TTabletContext ctx)
{
    const TContext* c = Find(ctx);
    if (!c)
        return true; // gone with a released library
    auto close = Entry<WTCloseFn>(epWTClose);
    if (!close || !close(c->Handle))
        return false;
    FContexts.erase(FContexts.begin() + (c - FContexts.data()));
    return true;
}

bool TWinTabDriver::Enable(TTabletContext ctx, bool enable)
{
    const TContext* c = Find(ctx);
    auto fn = Entry<WTEnableFn>(epWTEnable);
    return c && fn && fn(c->Handle, enable ? TRUE : FALSE);
}

bool TWinTabDriver::Overlap(TTabletContext ctx, bool toTop)
{
    const TContext* c = Find(ctx);
    auto fn = Entry<WTOverlapFn>(epWTOverlap);
    return c && fn && fn(c->Handle, toTop ? TRUE : FALSE);
}

bool TWinTabDriver::Packet(TTabletContext ctx, std::uint32_t serial, TTabletPacket& packet)
{
    const TContext* c = Find(ctx);
    auto fn = Entry<WTPacketFn>(epWTPacket);
    if (!c || !fn)
        return false;
    alignas(8) unsigned char buf[kPacketBufferSize] = {};
    if (!fn(c->Handle, serial, buf))
        return false;
    std::uint32_t fields[3];
    std::memcpy(fields, buf, sizeof fields);
    packet.Buttons = fields[0];
    packet.X = std::int32_t(fields[1]);
    packet.Y = std::int32_t(fields[2]);
    return true;
}

bool TWinTabDriver::GetContext(TTabletContext ctx, TTabletContextDesc& desc)
{
    const TContext* c = Find(ctx);
    auto fn = Entry<WTGetAFn>(epWTGetA);
    if (!c || !fn)
        return false;
    std::vector<unsigned char> buf(std::max<std::size_t>(FDescSize, sizeof(LOGCONTEXTA)), 0);
    if (!fn(c->Handle, reinterpret_cast<LOGCONTEXTA*>(buf.data())))
        return false;
    desc = ToDesc(ReadDesc(buf));
    return true;
}

// ---------------------------------------------------------------------------
// Messages

bool TWinTabDriver::HandleMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    for (const TContext& c : FContexts) {
        if (msg == c.MsgBase + WT_PACKET_OFFSET && reinterpret_cast<HCTX>(lParam) == c.Handle &&
            hwnd == c.Window) {
            // The component may close the context while it handles the
            // packet: nothing of the table is used after this call.
            TTabletSink* sink = c.Sink;
            const TTabletContext id = c.Id;
            if (sink)
                sink->PacketReady(id, std::uint32_t(wParam));
            return true;
        }
        if (msg == c.MsgBase + WT_CTXUPDATE_OFFSET && reinterpret_cast<HCTX>(wParam) == c.Handle &&
            hwnd == c.Window) {
            TTabletSink* sink = c.Sink;
            const TTabletContext id = c.Id;
            if (sink)
                sink->ContextChanged(id);
            return false;
        }
    }
    return false;
}

bool HandleWinTabMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    // WinTab's messages lie in a small range above the message base; others
    // are left alone cheaply.
    if (msg < WM_USER)
        return false;
    const std::vector<TWinTabDriver*> drivers = Drivers();
    for (TWinTabDriver* d : drivers) {
        auto& live = Drivers();
        if (std::find(live.begin(), live.end(), d) == live.end())
            continue;
        if (d->HandleMessage(hwnd, msg, wParam, lParam))
            return true;
    }
    return false;
}

} // namespace rs
