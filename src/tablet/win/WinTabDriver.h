#pragma once
// The tablet driver of the Windows build: WinTab, loaded at run time from
// "Wintab32.DLL". It speaks to the library only through the entry points it
// finds by name, so a library that lacks some of them, or no library at all,
// still leaves the program running with the mouse.
//
// Use: one driver per process, registered with SetTabletDriver; the windows
// that own contexts pass their messages to HandleWinTabMessage (in the Qt
// build, from a native event filter), which hands WT_PACKET to the tablet
// component that opened the context. The driver sees windows only through
// their handles: a component's window id is taken as the HWND unless a
// resolver says otherwise (SetWindowResolver).

#include "tablet/TabletDriver.h"
#include "tablet/win/WinTabApi.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace rs {

class TWinTabDriver : public TTabletDriver
{
public:
    static constexpr const char* kLibraryName = "Wintab32.DLL";
    // Bytes handed to WTPacket; a packet of buttons, X and Y takes 12.
    static constexpr std::size_t kPacketBufferSize = 20;

    explicit TWinTabDriver(std::string libraryName = kLibraryName);
    // Closes the contexts still open and frees the library.
    ~TWinTabDriver() override;

    // Maps a component's window id to the window that receives the
    // context's messages; null refuses the opening.
    using TWindowResolver = std::function<HWND(TWindowId)>;
    void SetWindowResolver(TWindowResolver resolver);

    // ---- TTabletDriver
    std::string Name() const override { return "WinTab"; }
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

    // ---- The window side. A WT_PACKET of one of this driver's contexts
    // goes to the context's component and counts as handled (true: the
    // window must not pass it on). WT_CTXUPDATE tells the component that the
    // context changed and is passed on (false).
    bool HandleMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

    // ---- State, for diagnostics and tests
    bool IsLoaded() const { return FModule != nullptr; }
    HMODULE Module() const { return FModule; }
    const std::string& LibraryName() const { return FLibraryName; }
    int LoadAttempts() const { return FLoadAttempts; }
    bool HasEntryPoint(wintab::TEntryPoint ep) const { return FEntries[ep] != nullptr; }
    int EntryPointsFound() const;
    // Size WinTab reported for a context description (0 until asked).
    std::size_t DescriptionSize() const { return FDescSize; }
    // The WinTab handle behind a context, null when the context is not open.
    wintab::HCTX NativeContext(TTabletContext ctx) const;
    HWND ContextWindow(TTabletContext ctx) const;
    int OpenContexts() const { return int(FContexts.size()); }

private:
    struct TContext
    {
        TTabletContext Id = 0;
        wintab::HCTX Handle = nullptr;
        HWND Window = nullptr;
        UINT MsgBase = wintab::WT_DEFBASE;
        TTabletSink* Sink = nullptr;
    };
    const TContext* Find(TTabletContext ctx) const;
    TTabletContext NextId();
    // Fills FDesc with the default context; asks for its size the first time.
    bool FetchDefaultContext();
    template <class F>
    F Entry(wintab::TEntryPoint ep) const;

    std::string FLibraryName;
    HMODULE FModule = nullptr;
    int FLoadAttempts = 0;
    std::array<FARPROC, wintab::epCount> FEntries{};
    // The context description: the size WinTab reports, never less than the
    // 1.x layout so that its fields can always be read and written.
    std::vector<unsigned char> FDesc;
    std::size_t FDescSize = 0;
    std::vector<TContext> FContexts;
    TTabletContext FLastId = 0;
    TWindowResolver FResolver;
};

// The window procedure's hook for every live WinTab driver: true when the
// message was a packet of an open context and has been handled.
bool HandleWinTabMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

} // namespace rs
