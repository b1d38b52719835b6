#include "shell/ui/uDataFolderDlg.h"

#include "common/Utils.h"
#include "common/ui/FolderBrowser.h"
#include "common/ui/MessageService.h"
#include "common/ui/UiHelpers.h"
#include "document/uRChart.h"

#include <QComboBox>
#include <QFile>
#include <QFrame>
#include <QLineEdit>
#include <QPushButton>

namespace rs {

namespace {
QString Native(const std::string& s) { return QFile::decodeName(QByteArray::fromStdString(s)); }
std::string NativeName(const QString& s) { return QFile::encodeName(s).toStdString(); }
} // namespace

TDataFolderDlg::TDataFolderDlg(const std::string& iniFileName, const std::string& appFolder, QWidget* parent)
    : QDialog(parent), FIniFileName(iniFileName)
{
    setWindowTitle(QStringLiteral("Pasta de Dados"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setFixedSize(479, 106);

    cbFolders = new QComboBox(this);
    cbFolders->setEditable(true);
    cbFolders->setInsertPolicy(QComboBox::NoInsert);
    cbFolders->setGeometry(16, 16, 400, 24);
    btOpen = new QPushButton(QStringLiteral("..."), this);
    btOpen->setGeometry(424, 15, 39, 26);
    btOpen->setAutoDefault(false);
    auto* line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    line->setGeometry(16, 54, 447, 2);
    btOK = new QPushButton(QStringLiteral("OK"), this);
    btOK->setGeometry(302, 68, 75, 25);
    btOK->setDefault(true);
    btCancel = new QPushButton(QStringLiteral("Cancelar"), this);
    btCancel->setGeometry(388, 68, 75, 25);
    connect(btOpen, &QPushButton::clicked, this, &TDataFolderDlg::btOpenClick);
    connect(btOK, &QPushButton::clicked, this, &TDataFolderDlg::btOKClick);
    connect(btCancel, &QPushButton::clicked, this, &QDialog::reject);

    // The data folder of the run: the first recent one still there, else the program's folder.
    if (!FIniFileName.empty())
        FList.Load(TIniFile(FIniFileName));
    SetDataFolder(FList.StartupFolder(appFolder));
    FillList();
    if (FList.Count() == 0)
        cbFolders->setEditText(Native(ExcludeTrailingDelim(DataFolder())));
    else
        cbFolders->setCurrentIndex(0);
}

TDataFolderDlg::~TDataFolderDlg() { SaveRecent(); }

void TDataFolderDlg::SaveRecent()
{
    if (FIniFileName.empty())
        return;
    TIniFile ini(FIniFileName);
    FList.Save(ini);
}

void TDataFolderDlg::FillList()
{
    const QString text = cbFolders->currentText();
    cbFolders->clear();
    for (const std::string& f : FList.Items())
        cbFolders->addItem(Native(f));
    cbFolders->setEditText(text);
}

bool TDataFolderDlg::Execute(std::string& folder)
{
    cbFolders->setEditText(Native(folder));
    cbFolders->setFocus();
    if (exec() != QDialog::Accepted)
        return false;
    folder = IncludeTrailingDelim(NativeName(cbFolders->currentText().trimmed()));
    return true;
}

void TDataFolderDlg::btOpenClick()
{
    TFolderBrowser browser(this);
    browser.BrowseFlags = bfDirsOnly;
    browser.Title = QStringLiteral("Selecione uma pasta");
    browser.Folder = Native(ExcludeTrailingDelim(NativeName(cbFolders->currentText().trimmed())));
    if (!browser.Execute())
        return;
    const std::string chosen = NativeName(browser.Folder);
    if (FolderWritable(chosen))
        cbFolders->setEditText(Native(IncludeTrailingDelim(chosen)));
    else
        ShowWarning(CpToQ(kMsgFolderNotCreated), this);
}

void TDataFolderDlg::btOKClick()
{
    const std::string text = NativeName(cbFolders->currentText().trimmed());
    const TFolderTest result = TestFolder(text);
    if (result != TFolderTest::Writable) {
        ShowWarning(CpToQ(FolderTestMessage(result)), this);
        cbFolders->setFocus();
        return;
    }
    FList.Choose(text);
    FillList();
    accept();
}

} // namespace rs
