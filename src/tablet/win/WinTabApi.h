#pragma once
// The WinTab 1.x interface as far as the program needs it, declared here from
// the interface's published description: handle and field types, the message
// numbers, the context description (LOGCONTEXTA, 172 bytes), the packet field
// bits and the entry points that "Wintab32.DLL" exports by name. Nothing is
// linked against the library; it is loaded at run time.

#include <windows.h>

#include <cstddef>

namespace rs::wintab {

struct HCTX__;
using HCTX = HCTX__*; // a context handle (pointer-sized on 64-bit Windows)
using WTPKT = DWORD;  // a set of packet field bits
using FIX32 = DWORD;  // a 16.16 fixed-point number

// ---- Information categories (WTInfo)
inline constexpr UINT WTI_INTERFACE = 1;
inline constexpr UINT WTI_STATUS = 2;
inline constexpr UINT WTI_DEFCONTEXT = 3;
inline constexpr UINT WTI_DEFSYSCTX = 4;
inline constexpr UINT WTI_DEVICES = 100;
inline constexpr UINT WTI_CURSORS = 200;

// ---- Messages: offsets from a context's message base (lcMsgBase).
inline constexpr UINT WT_DEFBASE = 0x7FF0;
inline constexpr UINT WT_MAXOFFSET = 0xF;
inline constexpr UINT WT_PACKET_OFFSET = 0;   // wParam: serial, lParam: context
inline constexpr UINT WT_CTXOPEN_OFFSET = 1;  // wParam: context, lParam: status
inline constexpr UINT WT_CTXCLOSE_OFFSET = 2;
inline constexpr UINT WT_CTXUPDATE_OFFSET = 3;
inline constexpr UINT WT_CTXOVERLAP_OFFSET = 4;
inline constexpr UINT WT_PROXIMITY_OFFSET = 5;
inline constexpr UINT WT_INFOCHANGE_OFFSET = 6;
inline constexpr UINT WT_CSRCHANGE_OFFSET = 7;
inline constexpr UINT WT_PACKET = WT_DEFBASE + WT_PACKET_OFFSET;
inline constexpr UINT WT_CTXUPDATE = WT_DEFBASE + WT_CTXUPDATE_OFFSET;

// ---- Context options (lcOptions)
inline constexpr UINT CXO_SYSTEM = 0x0001;
inline constexpr UINT CXO_PEN = 0x0002;
inline constexpr UINT CXO_MESSAGES = 0x0004;
inline constexpr UINT CXO_CSRMESSAGES = 0x0008;
inline constexpr UINT CXO_MGNINSIDE = 0x4000;
inline constexpr UINT CXO_MARGIN = 0x8000;

// ---- Packet fields (lcPktData, lcPktMode, lcMoveMask). A packet holds the
// selected fields in the order of their bits, lowest first.
inline constexpr WTPKT PK_CONTEXT = 0x0001;
inline constexpr WTPKT PK_STATUS = 0x0002;
inline constexpr WTPKT PK_TIME = 0x0004;
inline constexpr WTPKT PK_CHANGED = 0x0008;
inline constexpr WTPKT PK_SERIAL_NUMBER = 0x0010;
inline constexpr WTPKT PK_CURSOR = 0x0020;
inline constexpr WTPKT PK_BUTTONS = 0x0040;
inline constexpr WTPKT PK_X = 0x0080;
inline constexpr WTPKT PK_Y = 0x0100;
inline constexpr WTPKT PK_Z = 0x0200;
inline constexpr WTPKT PK_NORMAL_PRESSURE = 0x0400;
inline constexpr WTPKT PK_TANGENT_PRESSURE = 0x0800;
inline constexpr WTPKT PK_ORIENTATION = 0x1000;
inline constexpr WTPKT PK_ROTATION = 0x2000;

inline constexpr int LCNAMELEN = 40;

// The context description, ANSI form.
struct LOGCONTEXTA
{
    char lcName[LCNAMELEN];
    UINT lcOptions;
    UINT lcStatus;
    UINT lcLocks;
    UINT lcMsgBase;
    UINT lcDevice;
    UINT lcPktRate;
    WTPKT lcPktData;
    WTPKT lcPktMode;
    WTPKT lcMoveMask;
    DWORD lcBtnDnMask;
    DWORD lcBtnUpMask;
    LONG lcInOrgX;
    LONG lcInOrgY;
    LONG lcInOrgZ;
    LONG lcInExtX;
    LONG lcInExtY;
    LONG lcInExtZ;
    LONG lcOutOrgX;
    LONG lcOutOrgY;
    LONG lcOutOrgZ;
    LONG lcOutExtX;
    LONG lcOutExtY;
    LONG lcOutExtZ;
    FIX32 lcSensX;
    FIX32 lcSensY;
    FIX32 lcSensZ;
    BOOL lcSysMode;
    int lcSysOrgX;
    int lcSysOrgY;
    int lcSysExtX;
    int lcSysExtY;
    FIX32 lcSysSensX;
    FIX32 lcSysSensY;
};
static_assert(sizeof(LOGCONTEXTA) == 172, "LOGCONTEXTA must have the published 172-byte layout");
static_assert(offsetof(LOGCONTEXTA, lcPktData) == 64);
static_assert(offsetof(LOGCONTEXTA, lcInOrgX) == 84);
static_assert(offsetof(LOGCONTEXTA, lcOutOrgX) == 108);
static_assert(offsetof(LOGCONTEXTA, lcSysMode) == 144);

// ---- The entry points the program calls.
using WTInfoAFn = UINT(WINAPI*)(UINT wCategory, UINT nIndex, LPVOID lpOutput);
using WTOpenAFn = HCTX(WINAPI*)(HWND hWnd, LOGCONTEXTA* lpLogCtx, BOOL fEnable);
using WTCloseFn = BOOL(WINAPI*)(HCTX hCtx);
using WTPacketFn = BOOL(WINAPI*)(HCTX hCtx, UINT wSerial, LPVOID lpPkt);
using WTEnableFn = BOOL(WINAPI*)(HCTX hCtx, BOOL fEnable);
using WTOverlapFn = BOOL(WINAPI*)(HCTX hCtx, BOOL fToTop);
using WTGetAFn = BOOL(WINAPI*)(HCTX hCtx, LOGCONTEXTA* lpLogCtx);

// Every function of the 1.x interface, basic and manager functions, by the
// name the library exports. The order is the index into a driver's table.
enum TEntryPoint : int {
    epWTInfoA,
    epWTOpenA,
    epWTClose,
    epWTPacketsGet,
    epWTPacket,
    epWTEnable,
    epWTOverlap,
    epWTConfig,
    epWTGetA,
    epWTSetA,
    epWTExtGet,
    epWTExtSet,
    epWTSave,
    epWTRestore,
    epWTPacketsPeek,
    epWTDataGet,
    epWTDataPeek,
    epWTQueuePackets,
    epWTQueueSizeGet,
    epWTQueueSizeSet,
    epWTQueuePacketsEx,
    epWTMgrOpen,
    epWTMgrClose,
    epWTMgrContextEnum,
    epWTMgrContextOwner,
    epWTMgrDefContext,
    epWTMgrDefContextEx,
    epWTMgrDeviceConfig,
    epWTMgrConfigReplaceExA,
    epWTMgrPacketHookExA,
    epWTMgrPacketUnhook,
    epWTMgrPacketHookNext,
    epWTMgrExt,
    epWTMgrCsrEnable,
    epWTMgrCsrButtonMap,
    epWTMgrCsrPressureBtnMarks,
    epWTMgrCsrPressureBtnMarksEx,
    epWTMgrCsrPressureResponse,
    epWTMgrCsrExt,
    epCount
};

inline constexpr const char* kEntryPointNames[epCount] = {
    "WTInfoA",
    "WTOpenA",
    "WTClose",
    "WTPacketsGet",
    "WTPacket",
    "WTEnable",
    "WTOverlap",
    "WTConfig",
    "WTGetA",
    "WTSetA",
    "WTExtGet",
    "WTExtSet",
    "WTSave",
    "WTRestore",
    "WTPacketsPeek",
    "WTDataGet",
    "WTDataPeek",
    "WTQueuePackets",
    "WTQueueSizeGet",
    "WTQueueSizeSet",
    "WTQueuePacketsEx",
    "WTMgrOpen",
    "WTMgrClose",
    "WTMgrContextEnum",
    "WTMgrContextOwner",
    "WTMgrDefContext",
    "WTMgrDefContextEx",
    "WTMgrDeviceConfig",
    "WTMgrConfigReplaceExA",
    "WTMgrPacketHookExA",
    "WTMgrPacketUnhook",
    "WTMgrPacketHookNext",
    "WTMgrExt",
    "WTMgrCsrEnable",
    "WTMgrCsrButtonMap",
    "WTMgrCsrPressureBtnMarks",
    "WTMgrCsrPressureBtnMarksEx",
    "WTMgrCsrPressureResponse",
    "WTMgrCsrExt",
};
static_assert(epCount == 39);

} // namespace rs::wintab
