#include "shell/ui/uMain.h"
#include "scale/ui/uScaleDlg.h"

#include "chartwin/uRChartWndServices.h"
#include "common/Utils.h"
#include "common/uAppFiles.h"
#include "document/ui/uPropertyDlg.h"
#include "shell/uLastFiles.h"
#include "shell/uOptions.h"
#include "shell/ui/uAbout.h"
#include "shell/ui/uDataFolderDlg.h"
#include "shell/ui/uMainSplash.h"
#include "shell/ui/uOptionsDlg.h"
#include "shell/ui/uSupport.h"
#include "shell/ui/uMainStatus.h"
#include "shell/ui/uMainZoomBox.h"
#include "tablet/Tablet.h"
#include "tablet/ui/TabletBinding.h"
#include "tools/ui/uCnvFiles.h"
#include "tools/ui/uDryPeriodDlg.h"
#include "tools/ui/uExplorer.h"

#include <QAbstractEventDispatcher>
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QStatusTipEvent>
#include <QTimer>
#include <QToolButton>

namespace rs {

namespace {
TMainFrm* gMain = nullptr;
constexpr qint64 kSplashMinimum = 2000;
constexpr qint64 kSplashMaximum = 4000;
} // namespace

TMainFrm* MainFrm() { return gMain; }

TMainFrm::TMainFrm(TMainSplash* splash, QWidget* parent) : QMainWindow(parent), FSplash(splash)
{
    gMain = this;
    if (splash)
        FSplashTick = splash->CreationTick();
    setWindowTitle(QStringLiteral("Rain Scribe"));
    resize(640, 460);
    FMdi = new QMdiArea(this);
    FMdi->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    FMdi->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(FMdi);
    BuildActions();
    BuildMenus();
    BuildToolBar();
    BuildStatusBar();
    EditProperties = [this](TRChartInfo& info) { return RunPropertyDialog(info); };
    SetChartHost(this);
    FormCreate();
}

TMainFrm::~TMainFrm()
{
    if (!FVirtualTabletKept)
        KeepVirtualTabletState();
    // The forms made after the main window go first, the last made first.
    for (auto it = FForms.rbegin(); it != FForms.rend(); ++it)
        delete it->data();
    FForms.clear();
    while (!ChartWindows().empty())
        delete ChartWindows().back();
    disconnect(FMdi, nullptr, this, nullptr);
    if (auto* d = QAbstractEventDispatcher::instance())
        disconnect(d, nullptr, this, nullptr);
    SaveSettings();
    SaveProgramCoordsList(); // rewritten only when a set changed
    if (FLastFiles) {
        FLastFiles->OnChange = nullptr;
        FLastFiles->OnOpenFile = nullptr;
        if (!FLastFiles->Save() && !FLastFiles->LastError().empty())
            wnd::ShowError(QString::fromStdString(FLastFiles->LastError()));
    }
    FLastFiles.reset();
    FTablet.reset();
    SetChartHost(nullptr);
    if (gMain == this)
        gMain = nullptr;
}

void TMainFrm::FormCreate()
{
    // Dates are dd/mm/yyyy everywhere (DateToStr / TryStrToDate).
    if (QScreen* s = QGuiApplication::primaryScreen()) {
        const QRect g = s->geometry();
        setGeometry(QRect(g.left(), g.top(), g.width(), g.height() - 25));
    }
    connect(FMdi, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow*) { ActiveFormChange(); });
    FStatus->SetPanel(QString(), -1);
    FStatus->SetSimple(true);

    FLastFiles = std::make_unique<TLastFiles>(IniFileName());
    FLastFiles->OnChange = [this](const TLastFiles&) { RebuildRecentMenu(); };
    FLastFiles->OnOpenFile = [this](int, const std::string& name) { OpenRecentFile(name); };
    FLastFiles->Load();
    LoadSettings();
    LoadProgramCoordsList(); // the predefined point sets of "PontosDef.txt"
    UpdateSwapCaption();
    CreateTablet();

    if (FSplash)
        while (wnd::TickCount() - FSplashTick < kSplashMinimum)
            wnd::SleepMs(int(std::min<qint64>(50, kSplashMinimum - (wnd::TickCount() - FSplashTick))));

    if (auto* d = QAbstractEventDispatcher::instance())
        connect(d, &QAbstractEventDispatcher::aboutToBlock, this, &TMainFrm::IdleUpdate);
    ActiveFormChange();
}

void TMainFrm::CreateForms()
{
    CreateTabletWindows();
    FPropertyDlg = new TPropertyDlg(this);
    FForms.push_back(FPropertyDlg);
    // The data folder dialog establishes the data folder (where the open dialog starts too).
    auto* dataFolderDlg = new TDataFolderDlg(IniFileName(), AppPath(), this);
    FForms.push_back(dataFolderDlg);
    if (!Windows.DataFolder)
        Windows.DataFolder = [dlg = QPointer<TDataFolderDlg>(dataFolderDlg)](std::string& folder) {
            return dlg && dlg->Execute(folder);
        };
    if (!Windows.Preferences)
        Windows.Preferences = [this] { return TOptionsDlg::Execute(this); };
    if (!Windows.Support)
        Windows.Support = [this] { TSupportDlg::Execute(this); };
    if (!Windows.About)
        Windows.About = [this] { TAbout::Execute(this); };
    // The folder tools.
    if (!Windows.DryPeriod) {
        auto* dryDlg = new TDryPeriodDlg(FPropertyDlg->Stations(), this);
        FForms.push_back(dryDlg);
        Windows.DryPeriod = [dlg = QPointer<TDryPeriodDlg>(dryDlg)](TRChartInfo& info, TDoubleArray& dates) {
            return dlg && dlg->Execute(info, dates);
        };
    }
    if (!Windows.Conversion)
        Windows.Conversion = [this] { TCnvFilesDlg::Execute(this); };
    if (!Windows.Explorer)
        Windows.Explorer = [this, explorer = QPointer<TExplorer>()]() mutable {
            if (!explorer) {
                TExplorer::THooks hooks;
                hooks.ShowOpen = [this](const std::string& name) {
                    TRChartFrm* w = FindChartWindow(name);
                    if (w)
                        BringToFront(w);
                    return w != nullptr;
                };
                hooks.Open = [this](const std::string& name) {
                    try {
                        if (!OpenChartFile(name))
                            return false;
                        FLastFiles->Add(name);
                        return true;
                    } catch (const std::exception&) {
                        wnd::ShowError(QStringLiteral("O arquivo %1 não pode ser aberto").arg(QString::fromStdString(name)));
                        return false;
                    }
                };
                explorer = new TExplorer(IniFileName(), std::move(hooks), this);
            }
            explorer->show();
            explorer->raise();
            explorer->activateWindow();
        };
}

void TMainFrm::LoadSettings()
{
    TOptions o = Options();
    std::vector<std::string> bad;
    o.Load(OpenIni(), &bad);
    ApplyOptions(o);
    SetSwapButton(o.SwapButton());
    FLastFiles->SetLimit(o.NumRecentFiles);
    for (const std::string& key : bad)
        wnd::ShowError(QStringLiteral("O valor da chave \"%1\" do arquivo de configuração é inválido.")
                           .arg(QString::fromLatin1(key.c_str())));
}

void TMainFrm::SaveSettings()
{
    TOptions& o = Options();
    o.Buttons[ttSwap] = SwapButton();
    TIniFile ini = OpenIni();
    if (!o.Save(ini) && !ini.LastError().empty())
        wnd::ShowError(QString::fromStdString(ini.LastError()));
}

void TMainFrm::CreateTablet()
{
    // The main window's own tablet stays relative: it refuses every swap.
    FTablet = std::make_unique<TTablet>();
    FTablet->SetMode(moRelative);
    FTablet->OnBeforeSwapMode = [](TTablet* t, int, int, bool& canSwap) {
        if (t->Mode() == moRelative)
            canSwap = false;
    };
    BindTablet(*FTablet, this);
}

void TMainFrm::UpdateSwapCaption()
{
    mnSwapMode->setText(QStringLiteral("Alternar &Modos Abs/Rel <b%1>").arg(SwapButton() + 1));
}

bool TMainFrm::event(QEvent* e)
{
    switch (e->type()) {
    case QEvent::StatusTip:
        // A hint: its long part over the whole status bar.
        FStatus->SetSimpleText(static_cast<QStatusTipEvent*>(e)->tip());
        return true;
    case QEvent::WindowActivate:
        if (!FActivatedOnce) {
            FActivatedOnce = true;
            QMetaObject::invokeMethod(this, &TMainFrm::FirstActivation, Qt::QueuedConnection);
        }
        break;
    default: break;
    }
    return QMainWindow::event(e);
}

void TMainFrm::FirstActivation()
{
    if (FSplash) {
        FSplash->activateWindow();
        FSplash->setFocus();
        const qint64 left = kSplashMaximum - (wnd::TickCount() - FSplashTick);
        if (left > 0) {
            QEventLoop loop;
            QTimer timer;
            timer.setSingleShot(true);
            connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
            connect(FSplash.data(), &QObject::destroyed, &loop, &QEventLoop::quit);
            timer.start(int(left));
            loop.exec();
        }
        if (FSplash)
            delete FSplash.data();
    }
    if (!LoadTabletLibrary())
        wnd::ShowWarning(QStringLiteral("O arquivo de biblioteca \"Wintab32.DLL\" não foi encontrado.\r\n"
                                        "Este arquivo é instalado pelo programa de instalação da mesa.\r\n"
                                        "As operações que dependem da mesa não poderão ser executatas."));
}

void TMainFrm::ActiveFormChange()
{
    auto* w = qobject_cast<TRChartFrm*>(FMdi->currentSubWindow());
    if (w) {
        FZoomBox->setEnabled(true);
        ZoomIndicator(w->Zoom());
    } else
        FZoomBox->setEnabled(false);
    BindChartButtons(w);
    MergeMenus(w);
    if (ChartWindows().empty())
        FStatus->SetSimple(true);
    else if (FStatus->IsSimple())
        FStatus->SetSimple(false);
}

void TMainFrm::BindChartButtons(TRChartFrm* w)
{
    const std::pair<QToolButton*, QAction*> bind[] = {
        {btDefScale, w ? w->cmdDefScale : FIdleDefScale},
        {btDigit, w ? w->cmdDigCurve : FIdleDigit},
        {btAutoTrace, w ? w->cmdAutoTrace : FIdleAutoTrace},
        {btSpill, w ? w->cmdSpill : FIdleSpill},
        {btUndo, w ? w->cmdUndo : FIdleUndo},
        {btRedo, w ? w->cmdRedo : FIdleRedo},
    };
    for (auto [button, action] : bind) {
        if (button->defaultAction() == action)
            continue;
        // A button keeps every action it was given: drop the previous one so
        // its shortcut does not clash with the new one's.
        for (QAction* old : button->actions())
            button->removeAction(old);
        button->setDefaultAction(action);
    }
}

void TMainFrm::MergeMenus(TRChartFrm* w)
{
    for (const QPointer<QMenu>& m : FMerged)
        if (m)
            menuBar()->removeAction(m->menuAction());
    FMerged.clear();
    if (!w)
        return;
    for (QMenu* m : w->Menus()) {
        menuBar()->insertMenu(mnHelp->menuAction(), m);
        FMerged.push_back(m);
    }
}

void TMainFrm::IdleUpdate()
{
    TRChartFrm* w = ActiveChartWindow();
    FileSave->setEnabled(w && w->Doc().IsModified());
    FileClose->setEnabled(FMdi->currentSubWindow() != nullptr);
    FileProp->setEnabled(w != nullptr);
    FStatus->SetMode(w ? w->TabletMode() : 1);
    for (TRChartFrm* c : ChartWindows())
        c->UpdateActions();
}

void TMainFrm::StatusPanel(const QString& text, int index) { FStatus->SetPanel(text, index); }

void TMainFrm::StatusSingleText() { FStatus->SetSimple(true); }

void TMainFrm::ZoomIndicator(double zoom)
{
    if (zoom == FZoomShown)
        return;
    FZoomShown = zoom;
    if (FZoomBox->hasFocus()) {
        if (TRChartFrm* w = ActiveChartWindow()) {
            w->SetZoom(zoom);
            w->setFocus();
            // A zoom the window refused leaves the window's own in the box.
            if (w->Zoom() != zoom) {
                FZoomShown = w->Zoom();
                FZoomBox->setEditText(QString::fromStdString(FormatNum("%.4g", 100 * FZoomShown)) + '%');
            }
        }
        FZoomBox->clearFocus();
        FZoomBox->setEnabled(false);
        FZoomBox->setEnabled(true);
    } else
        FZoomBox->setEditText(QString::fromStdString(FormatNum("%.4g", 100 * zoom)) + '%');
}

void TMainFrm::ZoomChoice()
{
    if (!ActiveChartWindow())
        return;
    const QString text = FZoomBox->currentText();
    bool has = false, ok = false;
    double zoom = 0;
    TZoomBox::ParseZoom(text, has, ok, zoom);
    if (!has)
        return;
    if (!ok) {
        const qsizetype pc = text.indexOf(QLatin1Char('%'));
        wnd::ShowError(QStringLiteral("'%1' não é um valor de ponto flutuante válido")
                           .arg((pc < 0 ? text : text.left(pc)).trimmed()));
        return;
    }
    ZoomIndicator(zoom);
}

void TMainFrm::FocusMainWindow()
{
    activateWindow();
    raise();
}

void TMainFrm::closeEvent(QCloseEvent* e)
{
    if (!CloseAllChartWindows()) {
        e->ignore();
        return;
    }
    KeepVirtualTabletState(); // before closing hides it
    e->accept();
    // Every other window of the program goes with the main window, also those
    // not made as its children (the scale prompt and statistics): one left up
    // would keep the program in its event loop, and the shutdown, which writes
    // the settings and the point sets, would never run.
    QList<QPointer<QWidget>> others;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w != this && w->isVisible())
            others << w;
    for (const QPointer<QWidget>& w : others) {
        if (w)
            w->close();
        if (w && w->isVisible())
            w->hide();
    }
    emit Closed();
}

bool TMainFrm::CloseAllChartWindows()
{
    // Every window answers its close query first; one "Cancelar" keeps them all.
    const QList<QMdiSubWindow*> order = FMdi->subWindowList(QMdiArea::StackingOrder);
    for (auto it = order.rbegin(); it != order.rend(); ++it)
        if (auto* w = qobject_cast<TRChartFrm*>(*it); w && !w->CloseQuery())
            return false;
    while (!ChartWindows().empty())
        delete ChartWindows().back();
    return true;
}

} // namespace rs
