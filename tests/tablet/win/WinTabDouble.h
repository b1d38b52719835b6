#pragma once
// The control side of the test "Wintab32.DLL": besides the WinTab entry
// points the double exports these functions, found by the tests with
// GetProcAddress on the module the driver loaded. It records every WinTab
// call, hands out a fixed default context and delivers scripted packets to
// the context's window as WinTab does (a posted WT_PACKET).

#include "tablet/win/WinTabApi.h"

namespace wtd {

using rs::wintab::HCTX;
using rs::wintab::LOGCONTEXTA;

struct TScript
{
    UINT InfoSize;     // reported for WTI_DEFCONTEXT without a buffer; 0 fails
    BOOL InfoFails;    // the call that fills the buffer returns 0
    BOOL OpenFails;    // WTOpenA returns no context
    BOOL CloseFails;   // WTClose returns FALSE
    BOOL PacketFails;  // WTPacket returns FALSE
    UINT MsgBase;      // lcMsgBase of the default context
    ULONG64 HandleBase; // the first context handle; later ones follow it
};

struct TCall
{
    char Name[32];
    ULONG64 Ctx;  // the context handle passed or returned
    LONG_PTR Arg; // the call's flag or number (enable, to-top, serial, category)
    LONG_PTR Arg2; // WTInfoA: 1 when an output buffer was given
    LONG_PTR Result;
};

// Default values of the double's default context.
inline constexpr const char* kDefaultName = "Rain Scribe test tablet";
inline constexpr LONG kInOrgX = 100, kInOrgY = 200, kInExtX = 24000, kInExtY = 18000;
inline constexpr LONG kOutExtX = 1920, kOutExtY = 1080;

using ResetFn = void(WINAPI*)();
using SetScriptFn = void(WINAPI*)(const TScript*);
using GetScriptFn = void(WINAPI*)(TScript*);
using CallCountFn = int(WINAPI*)();
using GetCallFn = BOOL(WINAPI*)(int index, TCall* call);
using DefaultContextFn = void(WINAPI*)(LOGCONTEXTA* lc);
// The description passed to the index-th WTOpenA call, with its window and
// enable flag; FALSE when there was no such call.
using OpenedFn = BOOL(WINAPI*)(int index, LOGCONTEXTA* lc, HWND* hwnd, BOOL* enable);
// Queues a packet for the context and posts WT_PACKET; returns the serial
// (0 when the context is not open).
using SendFn = UINT(WINAPI*)(HCTX ctx, DWORD buttons, LONG x, LONG y);
// Changes the context's input and output extents and posts WT_CTXUPDATE.
using ChangeAreaFn = BOOL(WINAPI*)(HCTX ctx, LONG extX, LONG extY);
// 1 when the buffer of the last WTPacket call held 20 zero bytes on entry,
// 0 when not, -1 before any call.
using PacketBufferZeroFn = int(WINAPI*)();
// Bytes the last packet handed out by WTPacket had (before any cut at 20).
using LastPacketSizeFn = UINT(WINAPI*)();
using IsOpenFn = BOOL(WINAPI*)(HCTX ctx);
using IsEnabledFn = BOOL(WINAPI*)(HCTX ctx);
using TopFn = HCTX(WINAPI*)();

} // namespace wtd
