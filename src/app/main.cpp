// rainscribe: the desktop program.
//
//   rainscribe [-ns] [--no-tablet] [FILE.pvd ...]
//
// "-ns" as the first argument starts without the splash window; "--no-tablet"
// runs as if no tablet driver were installed (the mouse still works). Files
// named on the command line are opened once the program has started.

#include "chartwin/Pictures.h"
#include "common/uAppFiles.h"
#include "shell/ui/uMain.h"
#include "shell/ui/uMainSplash.h"
#include "tablet/Tablet.h"
#include "tablet/TabletDriver.h"
#include "tools/uCnvLibrary.h"

#include <QApplication>
#include <QFile>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <clocale>
#include <cstring>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    // Numbers follow the process locale (LC_NUMERIC); texts are handled as bytes.
    std::setlocale(LC_ALL, "");
    std::setlocale(LC_CTYPE, "C");
    QApplication::setApplicationName(QStringLiteral("Rain Scribe"));
    QApplication::setApplicationDisplayName(QStringLiteral("Rain Scribe"));
    QApplication::setWindowIcon(rs::AppIcon());

    // The platform's own dialogs speak Portuguese too.
    QTranslator qtTexts;
    if (qtTexts.load(QLocale(QLocale::Portuguese, QLocale::Brazil), QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTexts);

    bool showSplash = true;
    QStringList files;
    for (int i = 1; i < argc; ++i) {
        if (i == 1 && std::strcmp(argv[i], "-ns") == 0)
            showSplash = false;
        else if (std::strcmp(argv[i], "--no-tablet") == 0)
            rs::SelectNoTabletDriver(true);
        else if (argv[i][0] != '-')
            files.push_back(QFile::decodeName(argv[i]));
    }

    rs::TCnvLibrary::Instance().Load(rs::AppPath());

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
        mainFrm.CreateForms();
        mainFrm.show();
        mainFrm.activateWindow();
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
