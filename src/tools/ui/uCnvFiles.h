#pragma once
// The conversion dialog 'Conversão dos arquivos ".dpb" para ".pvd"': finds the
// old files of a folder tree, hands them to the conversion library, shows its
// progress and, when freed, appends the files to digitize again to the report.

#include "tools/uCnvLibrary.h"

#include <QDateTime>
#include <QDialog>

#include <functional>
#include <string>

class QComboBox;
class QFileSystemModel;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTreeView;

namespace rs {

class TCnvFilesDlg : public QDialog
{
    Q_OBJECT
public:
    static const char* const kInformation; // the information text (UTF-8), lines ended by "\n"

    // startFolder: where the tree starts (the program's folder); reportFile: "Redigit.txt".
    TCnvFilesDlg(const std::string& startFolder, const std::string& reportFile, QWidget* parent = nullptr);
    ~TCnvFilesDlg() override;

    // Creates, runs modally and frees the dialog; never returns true (the dialog closes with "Fechar").
    static bool Execute(QWidget* parent = nullptr);

    QString Folder() const { return FFolder; }
    void SetFolder(const QString& folder); // as choosing it in the tree
    bool SearchPhase() const { return FSearchPhase; }
    const TCnvSession& Session() const { return FSession; }

    // The time written in the report (the current one by default).
    std::function<QDateTime()> Now;
    // Pause between files; 20 ms by default.
    int PauseMs = 20;

    QLabel* lbInfo = nullptr;
    QPlainTextEdit* mmInfo = nullptr;
    QComboBox* cbDrive = nullptr;
    QTreeView* DirList = nullptr;
    QPushButton* btConvert = nullptr;
    QPushButton* btClose = nullptr;
    QLabel* lbFileCnt = nullptr;
    QLabel* lbRedigit = nullptr;
    QLabel* lbNoCnv = nullptr;
    QLabel* lbErrors = nullptr;
    QLabel* lbFileName = nullptr;

private:
    void FolderChanged(const QString& folder);
    void ShowInTree();
    void ConvertClick();
    void Search();
    void Convert();
    void Progress(const std::string& file, int status);
    void WriteReport();

    std::string FReportFile;
    QFileSystemModel* FDirs = nullptr;
    TCnvSession FSession;
    QString FFolder;
    QString FShowing; // the folder being opened in the tree while the model reads its way there
    bool FSearchPhase = true;
    bool FConverting = false;
};

} // namespace rs
