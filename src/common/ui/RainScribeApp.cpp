#include "common/ui/RainScribeApp.h"

#include "common/ui/ErrorHandler.h"

namespace rs {

TRainScribeApp::TRainScribeApp(int& argc, char** argv) : QApplication(argc, argv) {}

bool TRainScribeApp::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        ++FCaught;
        ShowCurrentException();
        return false;
    }
}

} // namespace rs
