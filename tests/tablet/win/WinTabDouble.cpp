// A stand-in "Wintab32.DLL" for the driver's tests. Built in variants: with
// WTD_OMIT_OVERLAP it lacks WTOverlap, with WTD_OMIT_INFO it lacks WTInfoA.

#include "WinTabDouble.h"

#include <algorithm>
#include <cstring>
#include <deque>
#include <vector>

using namespace rs::wintab;

#define WTD_EXPORT extern "C" __declspec(dllexport)

namespace {

struct TPacketRec
{
    UINT Serial;
    DWORD Buttons;
    LONG X, Y;
};

struct TContext
{
    HCTX Handle;
    HWND Window;
    LOGCONTEXTA Desc;
    BOOL Enabled;
    std::deque<TPacketRec> Queue;
};

struct TOpenRec
{
    LOGCONTEXTA Desc;
    HWND Window;
    BOOL Enable;
};

struct TState
{
    wtd::TScript Script;
    std::vector<wtd::TCall> Calls;
    std::vector<TOpenRec> Opens;
    std::vector<TContext> Contexts; // overlap order, top first
    ULONG64 NextHandle;
    UINT NextSerial;
    int PacketBufferZero;
    UINT LastPacketSize;
};

wtd::TScript DefaultScript()
{
    wtd::TScript s{};
    s.InfoSize = sizeof(LOGCONTEXTA);
    s.MsgBase = WT_DEFBASE;
    // Above 32 bits on 64-bit Windows: handles must be kept whole.
    s.HandleBase = sizeof(void*) > 4 ? 0x123450000ull : 0x4500ull;
    return s;
}

TState& State()
{
    static TState s;
    return s;
}

void Reset()
{
    TState& s = State();
    s.Script = DefaultScript();
    s.Calls.clear();
    s.Opens.clear();
    s.Contexts.clear();
    s.NextHandle = s.Script.HandleBase;
    s.NextSerial = 1;
    s.PacketBufferZero = -1;
    s.LastPacketSize = 0;
}

struct TInit
{
    TInit() { Reset(); }
} init;

void Record(const char* name, HCTX ctx, LONG_PTR arg, LONG_PTR arg2, LONG_PTR result)
{
    wtd::TCall c{};
    std::strncpy(c.Name, name, sizeof c.Name - 1);
    c.Ctx = reinterpret_cast<ULONG64>(ctx);
    c.Arg = arg;
    c.Arg2 = arg2;
    c.Result = result;
    State().Calls.push_back(c);
}

TContext* Find(HCTX h)
{
    for (TContext& c : State().Contexts)
        if (c.Handle == h)
            return &c;
    return nullptr;
}

LOGCONTEXTA DefaultContext()
{
    LOGCONTEXTA lc{};
    std::strncpy(lc.lcName, wtd::kDefaultName, LCNAMELEN - 1);
    lc.lcOptions = CXO_SYSTEM | CXO_PEN;
    lc.lcStatus = 0x0001;
    lc.lcLocks = 0x0002;
    lc.lcMsgBase = State().Script.MsgBase;
    lc.lcDevice = 0;
    lc.lcPktRate = 100;
    // A driver's default usually carries more than buttons and position,
    // and before them.
    lc.lcPktData = PK_CONTEXT | PK_STATUS | PK_TIME | PK_CHANGED | PK_SERIAL_NUMBER | PK_CURSOR |
                   PK_BUTTONS | PK_X | PK_Y | PK_NORMAL_PRESSURE;
    lc.lcPktMode = PK_BUTTONS;
    lc.lcMoveMask = PK_BUTTONS | PK_X | PK_Y;
    lc.lcBtnDnMask = 0xFFFFFFFF;
    lc.lcBtnUpMask = 0xFFFFFFFF;
    lc.lcInOrgX = wtd::kInOrgX;
    lc.lcInOrgY = wtd::kInOrgY;
    lc.lcInOrgZ = 0;
    lc.lcInExtX = wtd::kInExtX;
    lc.lcInExtY = wtd::kInExtY;
    lc.lcInExtZ = 1023;
    lc.lcOutOrgX = wtd::kInOrgX;
    lc.lcOutOrgY = wtd::kInOrgY;
    lc.lcOutOrgZ = 0;
    lc.lcOutExtX = wtd::kOutExtX;
    lc.lcOutExtY = wtd::kOutExtY;
    lc.lcOutExtZ = 1023;
    lc.lcSensX = lc.lcSensY = lc.lcSensZ = 0x10000;
    lc.lcSysMode = FALSE;
    lc.lcSysOrgX = 0;
    lc.lcSysOrgY = 0;
    lc.lcSysExtX = 1920;
    lc.lcSysExtY = 1080;
    lc.lcSysSensX = lc.lcSysSensY = 0x10000;
    return lc;
}

// Lays a packet out as the context's packet data asks: the selected fields
// in the order of their bits.
UINT BuildPacket(const TContext& c, const TPacketRec& p, unsigned char* out)
{
    const WTPKT data = c.Desc.lcPktData;
    UINT n = 0;
    auto put = [&](const void* v, UINT size) {
        std::memcpy(out + n, v, size);
        n += size;
    };
    const UINT zero = 0, serial = p.Serial;
    if (data & PK_CONTEXT)
        put(&c.Handle, sizeof c.Handle);
    if (data & PK_STATUS)
        put(&zero, 4);
    if (data & PK_TIME)
        put(&serial, 4);
    if (data & PK_CHANGED)
        put(&zero, 4);
    if (data & PK_SERIAL_NUMBER)
        put(&serial, 4);
    if (data & PK_CURSOR)
        put(&zero, 4);
    if (data & PK_BUTTONS)
        put(&p.Buttons, 4);
    if (data & PK_X)
        put(&p.X, 4);
    if (data & PK_Y)
        put(&p.Y, 4);
    if (data & PK_Z)
        put(&zero, 4);
    if (data & PK_NORMAL_PRESSURE)
        put(&zero, 4);
    if (data & PK_TANGENT_PRESSURE)
        put(&zero, 4);
    return n;
}

} // namespace

// ---------------------------------------------------------------------------
// The WinTab entry points

#ifndef WTD_OMIT_INFO
WTD_EXPORT UINT WINAPI WTInfoA(UINT category, UINT index, LPVOID output)
{
    TState& s = State();
    UINT result = 0;
    if (category == WTI_DEFCONTEXT && index == 0) {
        if (!output) {
            result = s.Script.InfoSize;
        } else if (!s.Script.InfoFails) {
            const LOGCONTEXTA lc = DefaultContext();
            std::memcpy(output, &lc, sizeof lc);
            result = sizeof lc;
        }
    }
    Record("WTInfoA", nullptr, category, output != nullptr, result);
    return result;
}
#endif

WTD_EXPORT HCTX WINAPI WTOpenA(HWND hwnd, LOGCONTEXTA* lc, BOOL enable)
{
    TState& s = State();
    s.Opens.push_back({*lc, hwnd, enable});
    HCTX h = nullptr;
    if (!s.Script.OpenFails) {
        h = reinterpret_cast<HCTX>(s.NextHandle);
        s.NextHandle += 0x10;
        TContext c{h, hwnd, *lc, enable, {}};
        s.Contexts.insert(s.Contexts.begin(), c);
    }
    Record("WTOpenA", h, enable, 0, h != nullptr);
    return h;
}

WTD_EXPORT BOOL WINAPI WTClose(HCTX h)
{
    TState& s = State();
    BOOL ok = FALSE;
    if (!s.Script.CloseFails) {
        auto it = std::find_if(s.Contexts.begin(), s.Contexts.end(),
                               [h](const TContext& c) { return c.Handle == h; });
        if (it != s.Contexts.end()) {
            s.Contexts.erase(it);
            ok = TRUE;
        }
    }
    Record("WTClose", h, 0, 0, ok);
    return ok;
}

WTD_EXPORT BOOL WINAPI WTPacket(HCTX h, UINT serial, LPVOID pkt)
{
    TState& s = State();
    const auto* bytes = static_cast<const unsigned char*>(pkt);
    s.PacketBufferZero = pkt && std::all_of(bytes, bytes + 20, [](unsigned char b) { return b == 0; });
    BOOL ok = FALSE;
    TContext* c = Find(h);
    if (c && pkt && !s.Script.PacketFails) {
        auto it = std::find_if(c->Queue.begin(), c->Queue.end(),
                               [serial](const TPacketRec& p) { return p.Serial == serial; });
        if (it != c->Queue.end()) {
            unsigned char buf[64] = {};
            const UINT n = BuildPacket(*c, *it, buf);
            // WinTab writes the whole packet; the program's buffer holds 20
            // bytes, so a longer packet is cut there and shows as wrong values
            // in the test instead of a smashed stack.
            s.LastPacketSize = n;
            std::memcpy(pkt, buf, std::min<UINT>(n, 20));
            // The packet and all older ones leave the queue.
            c->Queue.erase(c->Queue.begin(), it + 1);
            ok = TRUE;
        }
    }
    Record("WTPacket", h, serial, 0, ok);
    return ok;
}

WTD_EXPORT BOOL WINAPI WTEnable(HCTX h, BOOL enable)
{
    TContext* c = Find(h);
    if (c)
        c->Enabled = enable;
    Record("WTEnable", h, enable, 0, c != nullptr);
    return c != nullptr;
}

#ifndef WTD_OMIT_OVERLAP
WTD_EXPORT BOOL WINAPI WTOverlap(HCTX h, BOOL toTop)
{
    TState& s = State();
    auto it = std::find_if(s.Contexts.begin(), s.Contexts.end(),
                           [h](const TContext& c) { return c.Handle == h; });
    const bool found = it != s.Contexts.end();
    if (found) {
        TContext c = *it;
        s.Contexts.erase(it);
        if (toTop)
            s.Contexts.insert(s.Contexts.begin(), c);
        else
            s.Contexts.push_back(c);
    }
    Record("WTOverlap", h, toTop, 0, found);
    return found;
}
#endif

WTD_EXPORT BOOL WINAPI WTGetA(HCTX h, LOGCONTEXTA* lc)
{
    TContext* c = Find(h);
    if (c && lc)
        *lc = c->Desc;
    Record("WTGetA", h, 0, 0, c != nullptr);
    return c != nullptr;
}

// The rest of the interface: present by name, never used by the program.
#define WTD_STUB(name)                                                                            \
    WTD_EXPORT INT_PTR WINAPI name()                                                              \
    {                                                                                             \
        Record(#name, nullptr, 0, 0, 0);                                                          \
        return 0;                                                                                 \
    }
WTD_STUB(WTPacketsGet)
WTD_STUB(WTConfig)
WTD_STUB(WTSetA)
WTD_STUB(WTExtGet)
WTD_STUB(WTExtSet)
WTD_STUB(WTSave)
WTD_STUB(WTRestore)
WTD_STUB(WTPacketsPeek)
WTD_STUB(WTDataGet)
WTD_STUB(WTDataPeek)
WTD_STUB(WTQueuePackets)
WTD_STUB(WTQueueSizeGet)
WTD_STUB(WTQueueSizeSet)
WTD_STUB(WTQueuePacketsEx)
WTD_STUB(WTMgrOpen)
WTD_STUB(WTMgrClose)
WTD_STUB(WTMgrContextEnum)
WTD_STUB(WTMgrContextOwner)
WTD_STUB(WTMgrDefContext)
WTD_STUB(WTMgrDefContextEx)
WTD_STUB(WTMgrDeviceConfig)
WTD_STUB(WTMgrConfigReplaceExA)
WTD_STUB(WTMgrPacketHookExA)
WTD_STUB(WTMgrPacketUnhook)
WTD_STUB(WTMgrPacketHookNext)
WTD_STUB(WTMgrExt)
WTD_STUB(WTMgrCsrEnable)
WTD_STUB(WTMgrCsrButtonMap)
WTD_STUB(WTMgrCsrPressureBtnMarks)
WTD_STUB(WTMgrCsrPressureBtnMarksEx)
WTD_STUB(WTMgrCsrPressureResponse)
WTD_STUB(WTMgrCsrExt)

// ---------------------------------------------------------------------------
// Control

WTD_EXPORT void WINAPI WtdReset() { Reset(); }

WTD_EXPORT void WINAPI WtdSetScript(const wtd::TScript* script)
{
    TState& s = State();
    s.Script = *script;
    if (s.Contexts.empty())
        s.NextHandle = s.Script.HandleBase;
}

WTD_EXPORT void WINAPI WtdGetScript(wtd::TScript* script) { *script = State().Script; }

WTD_EXPORT int WINAPI WtdCallCount() { return int(State().Calls.size()); }

WTD_EXPORT BOOL WINAPI WtdGetCall(int index, wtd::TCall* call)
{
    const auto& calls = State().Calls;
    if (index < 0 || index >= int(calls.size()))
        return FALSE;
    *call = calls[index];
    return TRUE;
}

WTD_EXPORT void WINAPI WtdDefaultContext(LOGCONTEXTA* lc) { *lc = DefaultContext(); }

WTD_EXPORT BOOL WINAPI WtdOpened(int index, LOGCONTEXTA* lc, HWND* hwnd, BOOL* enable)
{
    const auto& opens = State().Opens;
    if (index < 0 || index >= int(opens.size()))
        return FALSE;
    *lc = opens[index].Desc;
    *hwnd = opens[index].Window;
    *enable = opens[index].Enable;
    return TRUE;
}

WTD_EXPORT UINT WINAPI WtdSend(HCTX h, DWORD buttons, LONG x, LONG y)
{
    TContext* c = Find(h);
    if (!c)
        return 0;
    const UINT serial = State().NextSerial++;
    c->Queue.push_back({serial, buttons, x, y});
    if (c->Queue.size() > 32)
        c->Queue.pop_front();
    PostMessageA(c->Window, c->Desc.lcMsgBase + WT_PACKET_OFFSET, serial, reinterpret_cast<LPARAM>(h));
    return serial;
}

WTD_EXPORT BOOL WINAPI WtdChangeArea(HCTX h, LONG extX, LONG extY)
{
    TContext* c = Find(h);
    if (!c)
        return FALSE;
    c->Desc.lcInExtX = c->Desc.lcOutExtX = extX;
    c->Desc.lcInExtY = c->Desc.lcOutExtY = extY;
    PostMessageA(c->Window, c->Desc.lcMsgBase + WT_CTXUPDATE_OFFSET, reinterpret_cast<WPARAM>(h), 0);
    return TRUE;
}

WTD_EXPORT int WINAPI WtdPacketBufferZero() { return State().PacketBufferZero; }

WTD_EXPORT UINT WINAPI WtdLastPacketSize() { return State().LastPacketSize; }

WTD_EXPORT BOOL WINAPI WtdIsOpen(HCTX h) { return Find(h) != nullptr; }

WTD_EXPORT BOOL WINAPI WtdIsEnabled(HCTX h)
{
    TContext* c = Find(h);
    return c && c->Enabled;
}

WTD_EXPORT HCTX WINAPI WtdTop()
{
    const auto& ctx = State().Contexts;
    return ctx.empty() ? nullptr : ctx.front().Handle;
}
