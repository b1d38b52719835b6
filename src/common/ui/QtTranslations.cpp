#include "common/ui/QtTranslations.h"

#include "common/uAppFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLibraryInfo>
#include <QLocale>
#include <QStringList>
#include <QTranslator>

namespace rs {

namespace {
QStringList Folders()
{
    return {QLibraryInfo::path(QLibraryInfo::TranslationsPath),
            QFile::decodeName(QByteArray::fromStdString(AppPath())) + QStringLiteral("translations")};
}
} // namespace

QString QtTranslationFolders() { return Folders().join(QDir::listSeparator()); }

bool InstallQtTranslations(QCoreApplication& app)
{
    const QLocale ptBR(QLocale::Portuguese, QLocale::Brazil);
    for (const QString& folder : Folders()) {
        auto* t = new QTranslator(&app);
        if (t->load(ptBR, QStringLiteral("qtbase"), QStringLiteral("_"), folder) &&
            QCoreApplication::installTranslator(t))
            return true;
        delete t;
    }
    return false;
}

} // namespace rs
