#include "tools/ui/uExplorer.h"

#include "chartwin/QtCanvas.h"
#include "chartwin/uRChartWnd.h"
#include "common/Utils.h"
#include "common/uIniFile.h"
#include "common/ui/FolderBrowser.h"
#include "common/ui/MessageService.h"
#include "common/ui/PlatformServices.h"
#include "common/ui/UiHelpers.h"
#include "document/uRChart.h"
#include "shell/uOptions.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMenu>
#include <QPointer>
#include <QPainter>
#include <QScreen>
#include <QFile>
#include <QSplitter>
#include <QStatusBar>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>

#include <set>

namespace rs {

namespace {
QString U(const char* s) { return QString::fromUtf8(s); }
QString L1(const std::string& s) { return QString::fromLatin1(s.data(), qsizetype(s.size())); }
std::string ToL1(const QString& s) { return s.toLatin1().toStdString(); }
constexpr int kScanChunk = 200;
} // namespace

// --- model -------------------------------------------------------------------

void TExplorerModel::SetRows(std::vector<TExplorerRow> rows)
{
    beginResetModel();
    FRows = std::move(rows);
    endResetModel();
}

int TExplorerModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : int(FRows.size()); }
int TExplorerModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : 8; }

QVariant TExplorerModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= int(FRows.size()))
        return {};
    const TExplorerRow& r = FRows[std::size_t(index.row())];
    if (role == Qt::ToolTipRole && index.column() >= 6 && !r.Unsure.empty())
        return U("Trechos duvidosos:\n") + QString::fromStdString(r.Unsure).trimmed();
    if (role != Qt::DisplayRole)
        return {};
    if (index.column() >= 6)
        return QString::fromStdString(r.TraceCells[index.column() - 6]);
    return CpToQ(r.Cells[index.column()]);
}

QVariant TExplorerModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal || section < 0 || section >= 8)
        return {};
    return U(section < 6 ? kExplorerColumns[section] : kExplorerTraceColumns[section - 6]);
}

// --- window ------------------------------------------------------------------

TExplorer::TExplorer(const std::string& iniFileName, THooks hooks, QWidget* parent)
    : QWidget(parent, Qt::Window), FIniFileName(iniFileName), FHooks(std::move(hooks))
{
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("Explorer"));
    setWindowTitle(U("Resumos dos arquivos de dados"));
    if (!FHooks.ShowOpen)
        FHooks.ShowOpen = [](const std::string& name) {
            TRChartFrm* w = FindChartWindow(name);
            if (!w)
                return false;
            w->show();
            w->setFocus();
            if (w->mdiArea())
                w->mdiArea()->setActiveSubWindow(w);
            return true;
        };
    if (!FHooks.Open)
        FHooks.Open = [](const std::string& name) { return OpenChartFile(name) != nullptr; };

    auto* top = new QHBoxLayout;
    auto* lbFolder = new QLabel(U("&Pasta"), this);
    cbFolder = new QComboBox(this);
    cbFolder->setObjectName(QStringLiteral("cbFolder"));
    cbFolder->setEditable(true);
    cbFolder->setInsertPolicy(QComboBox::NoInsert);
    cbFolder->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    lbFolder->setBuddy(cbFolder);
    btOpen = new QToolButton(this);
    btOpen->setObjectName(QStringLiteral("btOpen"));
    btOpen->setText(QStringLiteral("..."));
    btOpen->setToolTip(U("Seleciona pasta"));
    top->addWidget(lbFolder);
    top->addWidget(cbFolder, 1);
    top->addWidget(btOpen);

    FModel = new TExplorerModel(this);
    ListView = new QTreeView(this);
    ListView->setObjectName(QStringLiteral("ListView"));
    ListView->setRootIsDecorated(false);
    ListView->setUniformRowHeights(true);
    ListView->setItemsExpandable(false);
    ListView->setAllColumnsShowFocus(true);
    ListView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListView->setSelectionMode(QAbstractItemView::ExtendedSelection);
    ListView->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListView->setModel(FModel);
    for (int c = 0; c < 6; ++c)
        ListView->header()->resizeSection(c, kExplorerColumnWidths[c]);
    for (int c = 0; c < 2; ++c)
        ListView->header()->resizeSection(6 + c, kExplorerTraceColumnWidths[c]);
    ListView->header()->setStretchLastSection(false);
    ListView->setContextMenuPolicy(Qt::CustomContextMenu);

    auto* lower = new QWidget(this);
    lower->setObjectName(QStringLiteral("ScrollBox"));
    auto* lowerLayout = new QHBoxLayout(lower);
    lowerLayout->setContentsMargins(4, 4, 4, 4);
    auto* left = new QWidget(lower);
    auto* leftLayout = new QVBoxLayout(left);
    leftLayout->setContentsMargins(0, 0, 0, 0);
    auto* legend = new QLabel(U("-   Dia sem precipitação\n?  Dia sem pluviograma"), left);
    lbFileCnt = new QLabel(left);
    lbFileCnt->setObjectName(QStringLiteral("lbFileCnt"));
    auto* hint = new QLabel(U("botão direito -> menu de contexto"), left);
    hint->setStyleSheet(QStringLiteral("color: grey"));
    leftLayout->addWidget(legend);
    leftLayout->addWidget(lbFileCnt);
    leftLayout->addStretch(1);
    leftLayout->addWidget(hint);
    Box = new TExplorerBox(this);
    Box->setParent(lower);
    lowerLayout->addWidget(left);
    lowerLayout->addWidget(Box, 1);

    FSplitter = new QSplitter(Qt::Vertical, this);
    FSplitter->addWidget(ListView);
    FSplitter->addWidget(lower);
    FSplitter->setStretchFactor(0, 1);
    FSplitter->setStretchFactor(1, 0);
    FSplitter->setChildrenCollapsible(false);
    connect(FSplitter, &QSplitter::splitterMoved, this, &TExplorer::KeepLowerHeight);

    auto* status = new QStatusBar(this);
    status->setSizeGripEnabled(true);
    const int widths[3] = {110, 145, 145};
    for (int i = 0; i < 4; ++i) {
        FPanels[i] = new QLabel(status);
        FPanels[i]->setFrameShape(QFrame::Panel);
        FPanels[i]->setFrameShadow(QFrame::Sunken);
        if (i < 3) {
            FPanels[i]->setFixedWidth(widths[i]);
            status->addWidget(FPanels[i]);
        } else {
            FPanels[i]->setMinimumWidth(100);
            FPanels[i]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
            status->addWidget(FPanels[i], 1);
        }
    }

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 0);
    layout->addLayout(top);
    layout->addWidget(FSplitter, 1);
    layout->addWidget(status);

    auto action = [this](const char* text, const QKeySequence& key) {
        auto* a = new QAction(U(text), this);
        if (!key.isEmpty()) {
            a->setShortcut(key);
            a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        }
        addAction(a);
        return a;
    };
    mnCopyList = action("&Copiar Listagem...", QKeySequence(Qt::CTRL | Qt::Key_C));
    mnCopySelList = action("Copiar &List. Selecionada...", QKeySequence(Qt::CTRL | Qt::Key_L));
    mnOpen = action("&Abrir Arquivo(s) Selecionado(s)", QKeySequence(Qt::SHIFT | Qt::Key_Return));
    mnReview = action("Listar Gráficos a &Revisar", {});
    mnReview->setCheckable(true);
    mnStayOnTop = action("Manter Sempre &Visível", {});
    mnStayOnTop->setCheckable(true);
    auto* enterKey = new QAction(this); // Shift+Enter on the keypad too
    enterKey->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_Enter));
    enterKey->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    addAction(enterKey);
    Menu = new QMenu(this);
    Menu->addAction(mnCopyList);
    Menu->addAction(mnCopySelList);
    Menu->addAction(mnOpen);
    Menu->addAction(mnReview);
    Menu->addSeparator();
    Menu->addAction(mnStayOnTop);
    connect(Menu, &QMenu::aboutToShow, this, [this] {
        const bool any = !FModel->Rows().empty();
        mnCopyList->setEnabled(any);
        mnOpen->setEnabled(any);
    });
    connect(mnCopyList, &QAction::triggered, this, [this] { CopyList(false); });
    connect(mnCopySelList, &QAction::triggered, this, [this] { CopyList(true); });
    connect(mnOpen, &QAction::triggered, this, &TExplorer::OpenSelected);
    connect(enterKey, &QAction::triggered, this, &TExplorer::OpenSelected);
    connect(mnStayOnTop, &QAction::triggered, this, [this](bool on) { SetStayOnTop(on); });
    connect(mnReview, &QAction::triggered, this, [this](bool on) { SetReviewList(on); });
    setContextMenuPolicy(Qt::CustomContextMenu);
    connect(this, &QWidget::customContextMenuRequested, this, [this](const QPoint& p) { ShowMenu(mapToGlobal(p)); });
    connect(ListView, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& p) { ShowMenu(ListView->viewport()->mapToGlobal(p)); });
    connect(ListView, &QAbstractItemView::doubleClicked, this, &TExplorer::OpenSelected);
    connect(ListView->selectionModel(), &QItemSelectionModel::selectionChanged, this, &TExplorer::SelectionChanged);

    connect(btOpen, &QToolButton::clicked, this, &TExplorer::BrowseFolder);
    connect(cbFolder, &QComboBox::activated, this, [this](int) { Scan(); });
    cbFolder->installEventFilter(this);
    if (cbFolder->lineEdit())
        cbFolder->lineEdit()->installEventFilter(this);

    LoadSettings();
}

TExplorer::~TExplorer()
{
    FStop = true;
    SaveSettings();
}

void TExplorer::LoadSettings()
{
    TIniFile ini(FIniFileName);
    QStringList folders;
    for (const std::string& v : ini.ReadSectionValues(ini::kSecExploredFolders))
        folders << L1(v);
    for (int i = int(folders.size()) - 1; i >= 0; --i)
        if (folders[i].isEmpty() || !QDir(folders[i]).exists())
            folders.removeAt(i);
    while (folders.size() > kMaxFolders)
        folders.removeLast();
    cbFolder->addItems(folders);
    cbFolder->setCurrentIndex(-1);
    cbFolder->setEditText(QString());

    TBounds b;
    b.Width = kDesignWidth;
    b.Height = kDesignHeight;
    if (QScreen* s = QGuiApplication::primaryScreen()) {
        b.Left = (s->geometry().width() - b.Width) / 2;
        b.Top = (s->geometry().height() - b.Height) / 2;
    }
    TBounds stored;
    if (ParseBounds(ini.ReadString(ini::kSecExplorer, ini::kKeyBounds, FormatBounds(b)), stored) &&
        stored.Width > 0 && stored.Height > 0)
        b = stored;
    setGeometry(b.Left, b.Top, b.Width, b.Height);
    SetLowerHeight(ini.ReadInteger(ini::kSecExplorer, ini::kKeyLowerHeight, kBoxHeight));
    const bool onTop = ini.ReadBool(ini::kSecExplorer, ini::kKeyStayOnTop, false);
    mnStayOnTop->setChecked(onTop);
    SetStayOnTop(onTop);
    for (QLabel* p : FPanels)
        p->clear();
}

void TExplorer::SaveSettings()
{
    std::vector<std::string> folders;
    for (const QString& f : RecentFolders())
        folders.push_back(ToL1(f));
    const QRect g = geometry();
    const TBounds b{g.x(), g.y(), g.width(), g.height()};
    const int lowerHeight = LowerHeight();
    const bool onTop = mnStayOnTop->isChecked();
    TIniFile ini(FIniFileName);
    ini.Update([&](TIniDocument& doc) {
        doc.EraseSection(ini::kSecExploredFolders);
        for (std::size_t i = 0; i < folders.size(); ++i)
            doc.Set(ini::kSecExploredFolders, std::to_string(i + 1), folders[i]);
        doc.Set(ini::kSecExplorer, ini::kKeyBounds, FormatBounds(b));
        doc.Set(ini::kSecExplorer, ini::kKeyLowerHeight, std::to_string(lowerHeight));
        doc.Set(ini::kSecExplorer, ini::kKeyStayOnTop, onTop ? "1" : "0");
        return true;
    });
}

int TExplorer::LowerHeight() const
{
    const QList<int> sizes = FSplitter->sizes();
    if (isVisible() && sizes.size() == 2 && sizes[1] > 0)
        return sizes[1];
    return FSplitter->property("rsLower").toInt();
}

// The splitter's sizes mean nothing once the window is hidden, and closing
// hides it before its settings are written: keep the height the user left
// (called only once the window has been laid out).
void TExplorer::KeepLowerHeight()
{
    const QList<int> sizes = FSplitter->sizes();
    if (sizes.size() == 2 && sizes[1] > 0)
        FSplitter->setProperty("rsLower", sizes[1]);
}

void TExplorer::hideEvent(QHideEvent* e)
{
    KeepLowerHeight();
    QWidget::hideEvent(e);
}

void TExplorer::SetLowerHeight(int h)
{
    h = std::max(h, 60);
    FSplitter->setProperty("rsLower", h);
    FSplitter->setSizes({std::max(1, height() - h), h});
}

QStringList TExplorer::RecentFolders() const
{
    QStringList r;
    for (int i = 0; i < cbFolder->count(); ++i)
        r << cbFolder->itemText(i);
    return r;
}

void TExplorer::SetStayOnTop(bool on)
{
    mnStayOnTop->setChecked(on);
    const bool wasVisible = isVisible();
    setWindowFlag(Qt::WindowStaysOnTopHint, on);
    if (wasVisible)
        show();
}

bool TExplorer::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        auto* k = static_cast<QKeyEvent*>(event);
        if (FScanning && k->key() == Qt::Key_Escape) {
            FStop = true;
            return true;
        }
        if ((watched == cbFolder || watched == cbFolder->lineEdit()) && !FScanning &&
            (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) && k->modifiers() == Qt::NoModifier) {
            const QString text = cbFolder->currentText();
            if (!text.isEmpty() && QDir(text).exists()) {
                Scan();
                return true;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TExplorer::BrowseFolder()
{
    TFolderBrowser browser(this);
    browser.BrowseFlags = bfDirsOnly;
    browser.Title = U("Selecione uma pasta");
    browser.Folder = cbFolder->currentText();
    if (!browser.Execute())
        return;
    cbFolder->setEditText(browser.Folder);
    QApplication::processEvents();
    Scan();
}

void TExplorer::Scan() { ScanFolder(cbFolder->currentText()); }

void TExplorer::ScanFolder(const QString& folder)
{
    if (FScanning)
        return;
    FScanning = true;
    FStop = false;
    FPreview.reset();
    FAllRows.clear();
    FModel->SetRows({});
    for (int i = 0; i < 3; ++i)
        FPanels[i]->clear();
    Box->update();
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    // Esc stops a long scan wherever the focus is.
    qApp->installEventFilter(this);
    std::vector<TExplorerRow> rows;
    try {
        // Native bytes, as every path of the program (the system code page on Windows).
        rows = rs::ScanFolder(QFile::encodeName(folder).toStdString(), [this](int read, const std::string&) {
            if (read % kScanChunk == 0) {
                lbFileCnt->setText(U("Lendo arquivos: %1 (Esc interrompe)").arg(read));
                if (OnScanProgress)
                    OnScanProgress(read);
                QApplication::processEvents();
            }
            return !FStop;
        });
    } catch (const std::exception& e) {
        ShowError(QString::fromUtf8(e.what()), this);
    }
    qApp->removeEventFilter(this);
    QGuiApplication::restoreOverrideCursor();
    const int n = int(rows.size());
    FAllRows = std::move(rows);
    ShowRows();
    FScanning = false;
    if (n > 0)
        AddRecentFolder(folder);
}

void TExplorer::ShowRows()
{
    FPreview.reset();
    for (int i = 0; i < 3; ++i)
        FPanels[i]->clear();
    const int n = int(FAllRows.size());
    if (!FReviewList) {
        FModel->SetRows(FAllRows);
        lbFileCnt->setText(n > 0 ? U("Núm. de arquivos: %1").arg(n) : U("Nenhum arquivo encontrado"));
    } else {
        std::vector<TExplorerRow> shown;
        for (int i : ReviewOrder(FAllRows))
            shown.push_back(FAllRows[std::size_t(i)]);
        const int k = int(shown.size());
        FModel->SetRows(std::move(shown));
        lbFileCnt->setText(U("A revisar: %1 de %2").arg(k).arg(n));
    }
    Box->update();
}

void TExplorer::SetReviewList(bool on)
{
    FReviewList = on;
    mnReview->setChecked(on);
    if (!FScanning)
        ShowRows();
}

void TExplorer::AddRecentFolder(const QString& folder)
{
    const QSignalBlocker block(cbFolder);
    for (int i = cbFolder->count() - 1; i >= 0; --i)
        if (cbFolder->itemText(i).compare(folder, Qt::CaseInsensitive) == 0)
            cbFolder->removeItem(i);
    cbFolder->insertItem(0, folder);
    while (cbFolder->count() > kMaxFolders)
        cbFolder->removeItem(cbFolder->count() - 1);
    cbFolder->setCurrentIndex(0);
}

std::vector<int> TExplorer::SelectedRows() const
{
    std::vector<int> r;
    for (const QModelIndex& i : ListView->selectionModel()->selectedRows())
        r.push_back(i.row());
    std::sort(r.begin(), r.end());
    return r;
}

QString TExplorer::PanelText(int i) const { return i >= 0 && i < 4 ? FPanels[i]->text() : QString(); }

void TExplorer::SelectionChanged()
{
    for (int i = 0; i < 3; ++i)
        FPanels[i]->clear();
    const std::vector<int> sel = SelectedRows();
    if (sel.size() == 1) {
        auto chart = std::make_unique<TRChart>();
        bool ok = false;
        try {
            ok = chart->LoadFromFile(FModel->Rows()[std::size_t(sel[0])].Info.FileName);
        } catch (const std::exception&) {
            ok = false;
        }
        if (ok) {
            FPreview = std::move(chart);
            std::string panels[3];
            SummaryPanels(*FPreview, panels);
            FPanels[0]->setText(QString::fromStdString(panels[0]));
            FPanels[1]->setText(QString::fromStdString(panels[1]));
            FPanels[2]->setText(QString::fromStdString(panels[2]));
        }
    }
    Box->update();
}

void TExplorer::ShowMenu(const QPoint& globalPos) { Menu->popup(globalPos); }

void TExplorer::CopyList(bool selectedOnly)
{
    std::vector<int> sel;
    if (selectedOnly)
        sel = SelectedRows();
    Clipboard().SetText(CpToQ(ListingText(FModel->Rows(), selectedOnly ? &sel : nullptr)));
}

void TExplorer::OpenSelected()
{
    const std::vector<int> sel = SelectedRows();
    if (sel.empty())
        return;
    if (int(sel.size()) > kMaxOpen &&
        MessageDlg(U("Somente os seis primeiros arquivos selecionados serão abertos. Deseja continuar?"),
                   TMsgType::Warning, TMsgButtons::YesNo, this) != TMsgResult::Yes)
        return;
    // The rows may be rebuilt while chart windows open; work on the names.
    std::vector<std::string> names;
    for (int r : sel)
        names.push_back(FModel->Rows()[std::size_t(r)].Info.FileName);
    QPointer<TExplorer> self(this);
    int opened = 0;
    for (const std::string& name : names) {
        if (FHooks.ShowOpen(name))
            continue;
        if (FHooks.Open(name))
            ++opened;
        if (!self)
            return;
        if (opened >= kMaxOpen)
            break;
    }
    if (opened > 0 && self) {
        raise();
        activateWindow();
    }
}

// --- drawing -----------------------------------------------------------------

TExplorerBox::TExplorerBox(TExplorer* owner) : QWidget(owner), FOwner(owner)
{
    setObjectName(QStringLiteral("Box"));
    setMinimumSize(180, 60);
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, Qt::white);
    setPalette(p);
}

void TExplorerBox::paintEvent(QPaintEvent*)
{
    if (!FOwner->FPreview || FOwner->ListView->selectionModel()->selectedRows().size() >= 2)
        return;
    QPainter painter(this);
    TQtCanvas canvas(painter, TRect{0, 0, width(), height()});
    DrawMiniature(canvas, *FOwner->FPreview, width(), height(), TColorOf(palette().color(QPalette::Button)));
}

} // namespace rs
