// rainscribe: the desktop program.
//
//   rainscribe [-ns] [--no-tablet] [--virtual-tablet] [FILE.pvd ...]
//
// "-ns" as the first argument starts without the splash window; "--no-tablet"
// runs as if no tablet driver were installed (the mouse still works). On
// Windows a WinTab tablet is used when its library is installed;
// "--virtual-tablet" leaves it aside so that the virtual tablet serves for
// scanned charts. Files named on the command line are opened once the program
// has started.
//
// RS_STARTUP_PROBE set in the environment (used by the start-up benchmark):
// at the first idle moment with the main window shown and active, prints
// "rainscribe-idle MS" (milliseconds since main began) and quits.

#include "chartwin/Pictures.h"
#include "common/uAppFiles.h"
#include "common/ui/RainScribeApp.h"
#include "common/ui/QtTranslations.h"
#include "shell/ui/uMain.h"
#include "shell/ui/uMainSplash.h"
#include "tablet/Tablet.h"
#include "tablet/TabletDriver.h"
#include "tools/uCnvLibrary.h"
#ifdef _WIN32
#include "tablet/ui/win/WinTabHost.h"
#endif

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QWindow>

#include <clocale>
#include <cstdio>
#include <cstring>
#include <memory>

namespace {

// The start-up probe: once the main window is exposed and active (or its
// first-activation message is up), the events queued until then (the first
// activation's work among them) are let through before the time is taken.
void ProbeFirstIdle(QMainWindow& main, const QElapsedTimer& sinceStart)
{
    auto idle = [&main, &sinceStart, done = false]() mutable {
        const QWindow* w = main.windowHandle();
        if (done || !w || !w->isExposed() || (!main.isActiveWindow() && !QApplication::activeModalWidget()))
            return;
        done = true;
        QMetaObject::invokeMethod(
            &main,
            [&sinceStart] {
                std::printf("rainscribe-idle %lld\n", static_cast<long long>(sinceStart.elapsed()));
                std::fflush(stdout);
                QApplication::quit();
            },
            Qt::QueuedConnection);
    };
    QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, &main,
                     std::move(idle));
}

} // namespace

int main(int argc, char** argv)
{
    QElapsedTimer sinceStart;
    sinceStart.start();
    // Its notify shows an error that escapes an event handler and goes on, so
    // the open charts are never lost to one failing command.
    rs::TRainScribeApp app(argc, argv);
    // Numbers follow the process locale (LC_NUMERIC); texts are handled as bytes.
    std::setlocale(LC_ALL, "");
    std::setlocale(LC_CTYPE, "C");
    QApplication::setApplicationName(QStringLiteral("Rain Scribe"));
    QApplication::setApplicationDisplayName(QStringLiteral("Rain Scribe"));
    QApplication::setWindowIcon(rs::AppIcon());

    rs::InstallQtTranslations(app);

    bool showSplash = true;
    bool virtualTablet = false;
    QStringList files;
    for (int i = 1; i < argc; ++i) {
        if (i == 1 && std::strcmp(argv[i], "-ns") == 0)
            showSplash = false;
        else if (std::strcmp(argv[i], "--no-tablet") == 0)
            rs::SelectNoTabletDriver(true);
        else if (std::strcmp(argv[i], "--virtual-tablet") == 0)
            virtualTablet = true;
        else if (argv[i][0] != '-')
            files.push_back(QFile::decodeName(argv[i]));
    }

    rs::TCnvLibrary::Instance().Load(rs::AppPath());
#ifdef _WIN32
    // Outlives the windows, which close their contexts first.
    std::unique_ptr<rs::TWinTabHost> winTab;
    if (!virtualTablet && !rs::NoTabletDriverSelected())
        winTab = std::make_unique<rs::TWinTabHost>();
#else
    (void)virtualTablet; // the virtual tablet is the only driver here
#endif

    rs::TMainSplash* splash = nullptr;
    if (showSplash) {
        splash = new rs::TMainSplash;
        splash->show();
        splash->repaint();
        QApplication::processEvents();
    }
    int result = 0;
    {
        rs::TMainFrm mainFrm(splash);
        // The run ends with the main window, whatever other window is still up.
        QObject::connect(&mainFrm, &rs::TMainFrm::Closed, &app, &QCoreApplication::quit, Qt::QueuedConnection);
        mainFrm.CreateForms();
        mainFrm.show();
        mainFrm.activateWindow();
        if (qEnvironmentVariableIsSet("RS_STARTUP_PROBE"))
            ProbeFirstIdle(mainFrm, sinceStart);
        // The recovery offer first: a file named here whose unsaved changes it
        // brings back is then found open.
        QMetaObject::invokeMethod(
            &mainFrm,
            [&mainFrm, files] {
                mainFrm.StartRecovery();
                if (!files.isEmpty())
                    mainFrm.OpenFiles(files);
            },
            Qt::QueuedConnection);
        result = QApplication::exec();
    }
    rs::ReleaseTabletLibrary();
    rs::TCnvLibrary::Instance().Unload();
    return result;
}
