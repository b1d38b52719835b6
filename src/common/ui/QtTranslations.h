#pragma once
// Qt's own texts in Brazilian Portuguese: the standard buttons and the
// platform's open, save, folder and colour dialogs, like every other window
// of the program. Looked for in Qt's translation folder (Debian package
// qt6-translations-l10n) and then in "translations" beside the executable,
// where a Windows installation carries them.

class QCoreApplication;
class QString;

namespace rs {

// Installs the translations into app (which owns them); false when none was
// found, in which case Qt's texts stay in English.
bool InstallQtTranslations(QCoreApplication& app);
// The folders searched, in order.
QString QtTranslationFolders();

} // namespace rs
