#pragma once
// TDataFolderDlg, "Pasta de Dados": chooses the folder in which data files are
// made, from the recently used ones or a new one, after testing that files can
// be written there. Created at start-up, where it establishes the data folder
// (rs::SetDataFolder); it lives for the whole run and writes its list of
// recent folders back to the settings file when it is destroyed.

#include "shell/uDataFolder.h"

#include <QDialog>

#include <string>

class QComboBox;
class QPushButton;

namespace rs {

class TDataFolderDlg : public QDialog
{
    Q_OBJECT
public:
    // iniFileName: the settings file (empty: nothing is read or written);
    // appFolder: the data folder when no recent one exists.
    TDataFolderDlg(const std::string& iniFileName, const std::string& appFolder, QWidget* parent = nullptr);
    ~TDataFolderDlg() override;

    // Shows the dialog with folder; on OK folder becomes the chosen one,
    // ending in the path separator, and the result is true.
    bool Execute(std::string& folder);

    const TDataFolderList& Recent() const { return FList; }
    // Writes the recent folders (also done by the destructor).
    void SaveRecent();

    QComboBox* cbFolders = nullptr;
    QPushButton* btOpen = nullptr;
    QPushButton* btOK = nullptr;
    QPushButton* btCancel = nullptr;

public slots:
    void btOpenClick();
    void btOKClick();

private:
    void FillList();

    std::string FIniFileName;
    TDataFolderList FList;
};

} // namespace rs
