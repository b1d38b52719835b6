#pragma once
// The folder selection component: shows the platform's folder dialog (through
// FolderDialog(), so tests script it) with a title, preselecting Folder.

#include "common/ui/PlatformServices.h"

#include <QString>

class QWidget;

namespace rs {

enum TBrowseFlag : unsigned {
    bfComputersOnly = 1, // not offered by the folder dialogs of this program; ignored
    bfPrintersOnly = 2,  // idem
    bfDirsOnly = 4,      // file-system folders only
    bfStatusText = 8     // a status line the change handler may fill
};
using TBrowseFlags = unsigned;

class TFolderBrowser
{
public:
    explicit TFolderBrowser(QWidget* owner = nullptr) : FOwner(owner) {}

    TBrowseFlags BrowseFlags = bfDirsOnly;
    QString Folder;                          // in: preselected; out: the folder chosen
    QString Title = QStringLiteral("Select folder");
    TFolderChangeEvent OnChangeFolder;       // told each folder moved to; see TFolderRequest

    // True when a folder was chosen (Folder then holds it, without a trailing separator);
    // on cancel Folder is unchanged.
    bool Execute();

    QWidget* Owner() const { return FOwner; }

private:
    QWidget* FOwner;
};

} // namespace rs
