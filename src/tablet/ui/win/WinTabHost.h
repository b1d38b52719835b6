#pragma once
// WinTab in the Windows build of the program: when "Wintab32.DLL" can be
// loaded, its driver becomes the tablet driver of the process, and a native
// event filter hands the windows' messages to it, so the packets of every
// context reach the tablet component that opened it. Without the library
// nothing is registered and the virtual tablet serves as the tablet.

#include "tablet/win/WinTabDriver.h"

#include <QAbstractNativeEventFilter>

#include <memory>

namespace rs {

class TWinTabHost : public QAbstractNativeEventFilter
{
public:
    // Call after the QApplication exists and before the first window binds a
    // tablet; the host must outlive the windows that own contexts.
    TWinTabHost();
    ~TWinTabHost() override;
    TWinTabHost(const TWinTabHost&) = delete;
    TWinTabHost& operator=(const TWinTabHost&) = delete;

    // Whether the WinTab library was found and its driver registered.
    bool Active() const { return FDriver != nullptr; }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    std::unique_ptr<TWinTabDriver> FDriver;
};

} // namespace rs
