#include "tablet/ui/win/WinTabHost.h"

#include "tablet/ui/TabletBinding.h"

#include <QCoreApplication>
#include <QWidget>

namespace rs {

TWinTabHost::TWinTabHost()
{
    // Only probed here: the component loads the library itself, under its
    // own rules, through the registered driver.
    HMODULE probe = ::LoadLibraryA(TWinTabDriver::kLibraryName);
    if (!probe)
        return;
    ::FreeLibrary(probe);
    FDriver = std::make_unique<TWinTabDriver>();
    // A component names its window by the widget it is bound to; WinTab
    // wants the native window that receives the messages: the top-level one,
    // since chart windows inside the frame have no window of their own.
    FDriver->SetWindowResolver([](TWindowId id) -> HWND {
        QWidget* w = TTabletBinding::WindowOf(id);
        return w ? reinterpret_cast<HWND>(w->window()->winId()) : nullptr;
    });
    SetTabletDriver(FDriver.get());
    QCoreApplication::instance()->installNativeEventFilter(this);
}

TWinTabHost::~TWinTabHost()
{
    if (auto* app = QCoreApplication::instance())
        app->removeNativeEventFilter(this);
    FDriver.reset(); // unregisters itself and closes what is still open
}

bool TWinTabHost::nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result)
{
    if (!FDriver || eventType != "windows_generic_MSG" || !message)
        return false;
    const MSG* m = static_cast<const MSG*>(message);
    if (!HandleWinTabMessage(m->hwnd, m->message, m->wParam, m->lParam))
        return false;
    if (result)
        *result = 0;
    return true;
}

} // namespace rs
