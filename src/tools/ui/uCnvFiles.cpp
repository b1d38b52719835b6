#include "tools/ui/uCnvFiles.h"

#include "common/uAppFiles.h"
#include "common/ui/MessageService.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileSystemModel>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QThread>
#include <QTreeView>
#include <QVBoxLayout>

namespace rs {

namespace {
QString U(const char* s) { return QString::fromUtf8(s); }
QString S(const std::string& s) { return QString::fromStdString(s); }

// Restores the pointer however the block is left.
struct TWaitCursor
{
    TWaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~TWaitCursor() { QGuiApplication::restoreOverrideCursor(); }
};
} // namespace

const char* const TCnvFilesDlg::kInformation =
    "        Por questões técnicas, os arquivos \".dpb\" (gerados pelas versões \n"
    "BETA do Rain Scribe) deverão ser convertidos para o formato \".pvd\", \n"
    "para que possam ser processados normalmente.\n"
    "\n"
    "        O programa fará a conversão automaticamente de todos os \n"
    "arquivos (\".dpb\") encontrados na pasta selecionada e nas suas \n"
    "subpastas, se existirem.\n"
    "\n"
    "        Os velhos arquivos (\".dpb\") não serão modificados e nem \n"
    "excluídos, porém suas extensões mudarão de \".dpb\" para \".pv0\", os \n"
    "quais,  assim como os arquivos \".dpa\", não terão mais utilidade e \n"
    "poderão excluídos por meio do Explorer.\n"
    "\n"
    "        Os arquivos que não puderem ser convertidos terão seus nomes \n"
    "listados no arquivo \"redigit.txt\" e terão que ser redigitalizados. Todavia, \n"
    "a probabilidade de ocorrência deste fato é bem pequena.\n"
    "\n";

TCnvFilesDlg::TCnvFilesDlg(const std::string& startFolder, const std::string& reportFile, QWidget* parent)
    : QDialog(parent), FReportFile(reportFile)
{
    setObjectName(QStringLiteral("CnvFilesDlg"));
    setWindowTitle(U("Conversão dos arquivos \".dpb\" para \".pvd\""));
    Now = [] { return QDateTime::currentDateTime(); };

    lbInfo = new QLabel(U("Informação:"), this);
    QFont bold = lbInfo->font();
    bold.setBold(true);
    lbInfo->setFont(bold);
    mmInfo = new QPlainTextEdit(this);
    mmInfo->setObjectName(QStringLiteral("mmInfo"));
    mmInfo->setReadOnly(true);
    mmInfo->setFont(QFont(QStringLiteral("Arial"), 9));
    mmInfo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    mmInfo->setLineWrapMode(QPlainTextEdit::NoWrap);
    QString info = U(kInformation);
    info.chop(1); // the last line break ends the empty last line
    mmInfo->setPlainText(info);
    mmInfo->setFixedHeight(170);

    auto* line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);

    cbDrive = new QComboBox(this);
    cbDrive->setObjectName(QStringLiteral("cbDrive"));
    for (const QFileInfo& d : QDir::drives())
        cbDrive->addItem(QDir::toNativeSeparators(d.absoluteFilePath()));
    FDirs = new QFileSystemModel(this);
    FDirs->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
    FDirs->setRootPath(QString());
    DirList = new QTreeView(this);
    DirList->setObjectName(QStringLiteral("DirList"));
    DirList->setModel(FDirs);
    for (int c = 1; c < FDirs->columnCount(); ++c)
        DirList->hideColumn(c);
    DirList->header()->hide();

    btConvert = new QPushButton(U("&Localizar  Arquivos"), this);
    btConvert->setObjectName(QStringLiteral("btConvert"));
    btConvert->setDefault(true);
    btClose = new QPushButton(U("Fechar"), this);
    btClose->setObjectName(QStringLiteral("btClose"));

    lbFileCnt = new QLabel(this);
    lbFileCnt->setObjectName(QStringLiteral("lbFileCnt"));
    lbFileCnt->setStyleSheet(QStringLiteral("color: green; font-weight: bold"));
    lbRedigit = new QLabel(this);
    lbRedigit->setObjectName(QStringLiteral("lbRedigit"));
    lbNoCnv = new QLabel(this);
    lbNoCnv->setObjectName(QStringLiteral("lbNoCnv"));
    lbErrors = new QLabel(this);
    lbErrors->setObjectName(QStringLiteral("lbErrors"));
    lbErrors->setStyleSheet(QStringLiteral("color: red"));
    lbFileName = new QLabel(this);
    lbFileName->setObjectName(QStringLiteral("lbFileName"));
    for (QLabel* l : {lbFileCnt, lbRedigit, lbNoCnv, lbErrors, lbFileName})
        l->hide();

    auto* results = new QVBoxLayout;
    results->addWidget(lbFileCnt);
    results->addWidget(lbRedigit);
    results->addWidget(lbNoCnv);
    results->addWidget(lbErrors);
    results->addStretch(1);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(btConvert);
    buttons->addWidget(btClose);
    buttons->addStretch(1);
    auto* tree = new QVBoxLayout;
    tree->addWidget(cbDrive);
    tree->addWidget(DirList, 1);
    auto* middle = new QHBoxLayout;
    middle->addLayout(tree, 1);
    middle->addLayout(results, 1);
    middle->addLayout(buttons);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lbInfo);
    layout->addWidget(mmInfo);
    layout->addWidget(line);
    layout->addLayout(middle, 1);
    layout->addWidget(lbFileName);
    setFixedSize(592, 423);

    connect(btConvert, &QPushButton::clicked, this, &TCnvFilesDlg::ConvertClick);
    connect(btClose, &QPushButton::clicked, this, &QDialog::reject);
    connect(cbDrive, &QComboBox::activated, this, [this](int i) { SetFolder(cbDrive->itemText(i)); });
    connect(DirList->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) {
                if (!current.isValid())
                    return;
                const QString path = FDirs->filePath(current);
                if (path != FShowing)
                    FShowing.clear(); // the user's own choice from now on
                FolderChanged(QDir::toNativeSeparators(path));
            });
    // The model reads folders in the background: the folder chosen is shown
    // again as the folders on its way arrive, until it has arrived itself.
    connect(FDirs, &QFileSystemModel::directoryLoaded, this, [this](const QString& path) {
        if (FShowing.isEmpty())
            return;
        ShowInTree();
        if (QDir::cleanPath(path) == FShowing)
            FShowing.clear();
    });

    QString start = QDir::cleanPath(QFile::decodeName(QByteArray::fromStdString(startFolder)));
    if (start.isEmpty() || !QDir(start).exists())
        start = QDir::currentPath();
    SetFolder(QDir::toNativeSeparators(start));
}

TCnvFilesDlg::~TCnvFilesDlg() { WriteReport(); }

void TCnvFilesDlg::SetFolder(const QString& folder)
{
    FShowing = QDir::cleanPath(QDir::fromNativeSeparators(folder));
    ShowInTree();
    FolderChanged(folder); // choosing the same folder again also returns to searching
}

void TCnvFilesDlg::ShowInTree()
{
    const QModelIndex index = FDirs->index(FShowing);
    if (!index.isValid())
        return;
    for (QModelIndex p = index.parent(); p.isValid(); p = p.parent())
        DirList->expand(p);
    if (DirList->currentIndex() != index)
        DirList->setCurrentIndex(index); // reports the change
    DirList->expand(index);
    DirList->scrollTo(index);
}

void TCnvFilesDlg::FolderChanged(const QString& folder)
{
    FFolder = folder;
    FSearchPhase = true;
    btConvert->setText(U("&Localizar  Arquivos"));
    btConvert->setEnabled(true);
    lbFileCnt->hide();
    lbNoCnv->hide();
    lbErrors->hide();
}

void TCnvFilesDlg::ConvertClick()
{
    if (FSearchPhase)
        Search();
    else if (!FConverting && !FSession.Found.empty())
        Convert();
}

void TCnvFilesDlg::Search()
{
    {
        TWaitCursor wait;
        FSession.Search(QFile::encodeName(QDir::toNativeSeparators(FFolder)).toStdString());
    }
    lbFileCnt->setText(S(FSession.FoundText()));
    lbFileCnt->show();
    FSearchPhase = false;
    btConvert->setText(U("&Converter  Arquivos"));
    btConvert->setEnabled(!FSession.Found.empty());
}

void TCnvFilesDlg::Convert()
{
    lbFileName->show();
    FSession.StartRun();
    FConverting = true;
    QPointer<TCnvFilesDlg> self(this);
    const std::vector<std::string> files = FSession.Found;
    {
        TWaitCursor wait;
        try {
            const TCnvLibrary& lib = TCnvLibrary::Instance();
            if (lib.HasEntry())
                lib.Execute(files, [this, self](const std::string& f, int status) {
                    if (self)
                        Progress(f, status);
                });
        } catch (const std::exception& e) {
            if (self)
                FConverting = false;
            ShowError(QString::fromUtf8(e.what()), self);
        }
    }
    if (!self)
        return;
    FConverting = false;
    btConvert->setEnabled(false);
    lbFileName->setText(S(FSession.DoneText()));
}

void TCnvFilesDlg::Progress(const std::string& file, int status)
{
    lbFileName->setText(QFile::decodeName(QByteArray::fromStdString(file)));
    FSession.Count(file, status);
    lbNoCnv->setVisible(FSession.AlreadyRun >= 1);
    if (FSession.RedigitTotal >= 1)
        lbRedigit->show();
    lbErrors->setVisible(FSession.ErrorsRun >= 1);
    lbFileCnt->setText(S(FSession.ConvertedRunText()));
    lbRedigit->setText(S(FSession.RedigitText()));
    lbNoCnv->setText(S(FSession.AlreadyText()));
    lbErrors->setText(S(FSession.ErrorsText()));
    QApplication::processEvents();
    if (PauseMs > 0)
        QThread::msleep(unsigned(PauseMs));
}

void TCnvFilesDlg::WriteReport()
{
    if (FSession.Redigitize.empty())
        return;
    try {
        FSession.WriteReport(FReportFile, Now().toString(QStringLiteral("dd/MM/yyyy hh:mm:ss")).toStdString());
    } catch (const std::exception& e) {
        // The names are lost otherwise: say so rather than let the error escape a destructor.
        ShowError(QString::fromUtf8(e.what()));
    }
}

bool TCnvFilesDlg::Execute(QWidget* parent)
{
    TCnvFilesDlg dlg(AppPath(), RedigitFileName(), parent);
    if (QScreen* s = QGuiApplication::primaryScreen())
        dlg.move(s->geometry().center() - dlg.rect().center());
    dlg.exec();
    return false;
}

} // namespace rs
