#pragma once
// TMainFrm, the program's main window: the multiple-document frame holding
// one chart window per open pluviogram, with the "&Arquivo", "&Mesa" and
// "&Ajuda" menus, the tool bar with the zoom box, the status bar with the
// tablet-mode label, the start-up and shutdown of the program and the file
// commands. Commands about a pluviogram go to the active chart window.

#include "chartwin/uRChartWnd.h"
#include "common/Utils.h"
#include "document/uRChart.h"
#include "shell/ui/uMainSplash.h"

#include <QMainWindow>
#include <QPointer>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class QAction;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QToolBar;
class QToolButton;

namespace rs {

class TLastFiles;
class TMainStatusBar;
class TPropertyDlg;
class TTablet;
class TZoomBox;

class TMainFrm : public QMainWindow, public TChartHost
{
    Q_OBJECT
public:
    // splash: the start-up window, or none (command line "-ns").
    explicit TMainFrm(TMainSplash* splash = nullptr, QWidget* parent = nullptr);
    ~TMainFrm() override;

    // Start-up step after the creation: the long-lived forms, the data folder.
    void CreateForms();

    // TChartHost
    QMdiArea* ChartArea() override { return FMdi; }
    void StatusPanel(const QString& text, int index) override;
    void StatusSingleText() override;
    void ZoomIndicator(double zoom) override;
    void SaveChart(TRChartFrm* window) override;
    void FocusMainWindow() override;

    // The idle update of the actions (save, close, properties, mode label).
    void IdleUpdate();
    void ActiveFormChange();
    void FirstActivation();
    // Opens a file chosen in the recent-files list.
    void OpenRecentFile(const std::string& fileName);
    // Opens the files one after the other, as the open dialog does.
    void OpenFiles(const QStringList& files);
    // Start-up step once the main window is shown: the chart windows keep
    // recovery copies from now on, and the copies a run that ended
    // unexpectedly left are offered for reopening (uMainRecovery.cpp).
    void StartRecovery();
    double ZoomShown() const { return FZoomShown; }
    // The zoom box's choice: its text read as a percentage.
    void ZoomChoice();

    TMainStatusBar* Status() const { return FStatus; }
    TZoomBox* ZoomBox() const { return FZoomBox; }
    TLastFiles* LastFiles() const { return FLastFiles.get(); }
    TTablet* Tablet() const { return FTablet.get(); }
    TMainSplash* Splash() const { return FSplash; }

    // The properties dialog for a header; true on OK (replaceable for tests).
    std::function<bool(TRChartInfo&)> EditProperties;

    // The windows the tool commands open. The commands do their own part
    // (messages, refreshing the chart windows, recent files) around them; a
    // command whose window is not set does nothing.
    struct TCommandWindows
    {
        // The dry-period dialog: fills the header and the sorted dates; true on OK.
        std::function<bool(TRChartInfo& info, TDoubleArray& dates)> DryPeriod;
        // The data folder dialog with the current folder; true on OK with the chosen one.
        std::function<bool(std::string& folder)> DataFolder;
        // The conversion dialog (run only when the conversion library is loaded).
        std::function<void()> Conversion;
        // The folder summaries window: created when none exists, shown, brought to the front.
        std::function<void()> Explorer;
        // The preferences dialog; true on OK.
        std::function<bool()> Preferences;
        // The tablet test dialog, given the mode to restore when it closes.
        std::function<void(int mode)> TabletTest;
        std::function<void()> Support;
        std::function<void()> About;
    } Windows;

    // Actions, by the names the commands use.
    QAction* FileNew = nullptr;
    QAction* FileDryDays = nullptr;
    QAction* FileOpen = nullptr;
    QAction* FileClose = nullptr;
    QAction* FileSave = nullptr;
    QAction* PastadeDados1 = nullptr;
    QAction* mnConvertOldFiles = nullptr;
    QAction* FileExplorer = nullptr;
    QAction* FileProp = nullptr;
    QAction* FileOptions = nullptr;
    QAction* FileExit = nullptr;
    QAction* mnTestTable = nullptr;
    QAction* mnAbsMode = nullptr;
    QAction* mnRelMode = nullptr;
    QAction* mnSwapMode = nullptr;
    QAction* mnSupport = nullptr;
    QAction* HelpAbout1 = nullptr;
    QMenu* mnFile = nullptr;
    QMenu* mnTablet = nullptr;
    QMenu* mnHelp = nullptr;
    QToolBar* ToolBar = nullptr;
    QToolButton* btNew = nullptr;
    QToolButton* btOpen = nullptr;
    QToolButton* btSave = nullptr;
    QToolButton* btDefScale = nullptr;
    QToolButton* btDigit = nullptr;
    QToolButton* btAutoTrace = nullptr;
    QToolButton* btSpill = nullptr;
    QToolButton* btUndo = nullptr;
    QToolButton* btRedo = nullptr;

public slots:
    void FileNewExecute();
    void FileDryDaysExecute();
    void FileOpenExecute();
    void FileCloseExecute();
    void FileSaveExecute();
    void PastadeDados1Click();
    void mnConvertOldFilesClick();
    void FileExplorerExecute();
    void FilePropExecute();
    void FileOptionsExecute();
    void FileExitExecute();
    void mnTestTableClick();
    void mnAbsModeClick();
    void mnRelModeClick();
    void mnSwapModeClick();
    void mnSupportClick();
    void HelpAbout1Click();

signals:
    // The main window has agreed to close: the program ends.
    void Closed();

protected:
    bool event(QEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

private:
    void FormCreate();
    void BuildActions();
    void BuildMenus();
    void BuildToolBar();
    void BuildStatusBar();
    void BindChartButtons(TRChartFrm* w);
    void MergeMenus(TRChartFrm* w);
    void TabletMenuOpening();
    void UpdateSwapCaption();
    void RebuildRecentMenu();
    void LoadSettings();
    void SaveSettings();
    void CreateTablet();
    // The virtual tablet (the tablet driver of a computer without one) and the tablet test.
    void CreateTabletWindows();
    bool RunPropertyDialog(TRChartInfo& info);
    void BringToFront(TRChartFrm* w);
    bool CloseAllChartWindows();
    void OfferRecovery();

    QMdiArea* FMdi = nullptr;
    TMainStatusBar* FStatus = nullptr;
    TZoomBox* FZoomBox = nullptr;
    QPointer<TMainSplash> FSplash;
    qint64 FSplashTick = 0;
    double FZoomShown = 0;
    bool FActivatedOnce = false;
    bool FClosing = false;
    std::unique_ptr<TLastFiles> FLastFiles;
    QList<QAction*> FRecentActions;
    QList<QPointer<QMenu>> FMerged;
    QAction* FIdleDefScale = nullptr;
    QAction* FIdleDigit = nullptr;
    QAction* FIdleAutoTrace = nullptr;
    QAction* FIdleSpill = nullptr;
    QAction* FIdleUndo = nullptr;
    QAction* FIdleRedo = nullptr;
    std::unique_ptr<TTablet> FTablet;
    TPropertyDlg* FPropertyDlg = nullptr;
    QPointer<QWidget> FVirtualTablet;
    bool FVirtualTabletKept = false;
    // Notes in the preferences whether the virtual tablet is open and which
    // scanned chart it shows, so that the next run opens it the same way.
    void KeepVirtualTabletState();
    void RestoreVirtualTabletState();
    // Forms made after the main window, freed before it in reverse order.
    QList<QPointer<QWidget>> FForms;
};

// The main window of the run, or none.
TMainFrm* MainFrm();

} // namespace rs
