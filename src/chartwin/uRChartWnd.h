#pragma once
// TRChartFrm, the document window of one pluviogram inside the main window:
// its document, the drawing in a scrolling area, the three menus it merges into
// the main menu bar, the operating states, zoom, grids, scrolling keys, the
// cursor read-out, the information line and closing with the save prompt.
// Also the registry of open chart windows and the active one.

#include "chartwin/SnapCursor.h"
#include "document/uRChart.h"
#include "document/uScanLink.h"

#include <QMdiSubWindow>
#include <QPointer>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class QAction;
class QActionGroup;
class QLabel;
class QMdiArea;
class QMenu;
class QScrollArea;
class QTimer;

namespace rs {

class TCanvas;
class TDrawBox;
class TEditHistory;
class THistoryFrm;
class TRChartFrm;
class TTablet;
struct TRecoveryEntry;

// What a chart window asks of the main window.
class TChartHost
{
public:
    virtual ~TChartHost() = default;
    virtual QMdiArea* ChartArea() = 0;
    // index < 0 empties every panel; any call puts the status bar in panel mode.
    virtual void StatusPanel(const QString& text, int index) = 0;
    virtual void StatusSingleText() = 0;
    virtual void ZoomIndicator(double zoom) = 0;
    // The main window's save command, for this window's document.
    virtual void SaveChart(TRChartFrm* window) = 0;
    virtual void FocusMainWindow() = 0;
};
void SetChartHost(TChartHost* host);
TChartHost* ChartHost();

// A tool window that follows the active chart window (results, scale
// statistics, control-point prompt); the windows that implement them register here.
class TToolWindow
{
public:
    virtual ~TToolWindow() = default;
    virtual bool ToolVisible() const = 0;
    virtual void SetToolVisible(bool visible) = 0;
    // Shows the active chart window's document again.
    virtual void ReloadTool() = 0;
};
struct TToolWindows
{
    TToolWindow* Results = nullptr;
    TToolWindow* ScaleStat = nullptr;
    TToolWindow* CtrlPrompt = nullptr;
};
TToolWindows& ToolWindows();

// Every chart window, in activation order (the most recently activated last).
const std::vector<TRChartFrm*>& ChartWindows();
TRChartFrm* ActiveChartWindow();

// Module operations of the main window and the folder tools.
TRChartFrm* NewChartWindow(const TRChartInfo& info);
// Shows its own message when the file is not a pluviogram file or cannot be read; none then.
TRChartFrm* OpenChartFile(const std::string& fileName);
TRChartFrm* FindChartWindow(const std::string& fileName);
void RefreshChartWindows();
void SyncToolWindows();

// Crash recovery (uRChartWndRecovery.cpp). While a window holds unsaved
// changes its document is copied to the recovery folder after every
// kRecoveryChanges changes and at least every kRecoveryInterval ms; saving or
// closing the window removes the copy. No copies while the folder is empty
// (the default: the program turns them on at start-up).
inline constexpr int kRecoveryChanges = 10;
inline constexpr qint64 kRecoveryInterval = 30000;
void SetChartRecoveryFolder(const std::string& folder);
const std::string& ChartRecoveryFolder();
// A window for a recovered copy: the chart under its own file name, modified,
// keeping the copy as its own. None (and no message) when the copy cannot be read.
TRChartFrm* OpenRecoveredChart(const TRecoveryEntry& entry);
// The window that keeps that copy, if any.
TRChartFrm* FindRecoveryOwner(const std::string& copyFile);

// The descriptions of the steps of the edit history (UTF-8).
namespace steps {
inline constexpr char kInsertPoint[] = "Inserir ponto";
inline constexpr char kDeletePoint[] = "Excluir ponto";
inline constexpr char kMovePoint[] = "Mover ponto";
inline constexpr char kOverflow[] = "Sinalizar transbordamento";
inline constexpr char kFailure[] = "Sinalizar falha";
inline constexpr char kInsertCtrlPoint[] = "Inserir ponto de controle";
inline constexpr char kRemoveCtrlPoint[] = "Remover ponto de controle";
inline constexpr char kConcludeScale[] = "Concluir escala";
inline constexpr char kCancelScale[] = "Cancelar escala";
inline constexpr char kProperties[] = "Alterar propriedades";
inline constexpr char kUndoLastPoint[] = "Desfazer último ponto";
inline constexpr char kAutoTrace[] = "Traçado automático";
} // namespace steps

class TTabletSurface;

class TRChartFrm : public QMdiSubWindow
{
    Q_OBJECT
public:
    static constexpr int kBaseWidth = 633;
    static constexpr int kBaseHeight = 422;

    explicit TRChartFrm(QWidget* parent = nullptr);
    ~TRChartFrm() override;

    TRChart& Doc() { return *FDoc; }
    const TRChart& Doc() const { return *FDoc; }
    TDrawBox* Box() const { return FBox; }
    QScrollArea* SBox() const { return FSBox; }
    QLabel* IdLabel() const { return FlbId; }
    TSnapCursor* TabCursor() const { return FtabCursor; }

    // The menus merged into the main menu bar while this window is active.
    QList<QMenu*> Menus() const;
    QAction* cmdUndo = nullptr;
    QAction* cmdRedo = nullptr;

    // The document's edit history. Every command that changes the document
    // runs through RunStep: the whole of edit becomes one step (text: one of
    // steps::k...), and the window follows. Returns whether anything changed.
    TEditHistory& History() { return *FHistory; }
    bool RunStep(const char* text, const std::function<void()>& edit);
    // Starts the history afresh at the document as it stands (opened, new, recovered).
    void ResetHistory(bool saved);
    // Undoes or redoes up to a position of the history (0 = the start).
    void JumpToStep(int position);
    QAction* cmdDefScale = nullptr;
    QAction* cmdDigCurve = nullptr;
    QAction* cmdSpill = nullptr;
    QAction* cmdAutoTrace = nullptr;

    // The scan this chart was read from, kept beside its file (uRChartWndTrace.cpp).
    TScanLink& ScanLink() { return FScanLink; }
    const TScanLink& ScanLink() const { return FScanLink; }
    // Goes to the traced chart's unsure stretch: the chart scrolls there, the
    // point nearest to it is selected and the virtual tablet pans there.
    void GoToUnsure(int index);
    // The selected curve point dragged on the scan in "Mesa Virtual"
    // (uRChartWndScanDrag.cpp): a press near its marker takes it, moves go to
    // tablet counts as a click there would, the release ends the one step.
    bool ScanDragPress(const TTabletSurface& surface, QPointF widgetPos);
    void ScanDragMove(int x, int y);
    void ScanDragRelease();

    double Zoom() const { return FZoom; }
    void SetZoom(double z);
    void ZoomIn();
    void ZoomOut();

    // Writes the document to fileName; a failure is shown and the document stays modified.
    bool Save(const std::string& fileName);
    // The close query: the save prompt for a modified document. False keeps the window open.
    bool CloseQuery();

    // This window's recovery copy; empty while none has been written.
    const std::string& RecoveryFile() const { return FRecoveryFile; }
    // Counts a change of the document not yet in the copy and writes the copy
    // when one is due (run after every command, by the idle update and by a
    // timer every second).
    void RecoveryCheck();

    // Tablet mode: 0 absolute, 1 relative.
    int TabletMode() const;
    void SetTabletMode(int mode);
    void SwapTabletMode();
    TTablet* Tablet() const { return FTablet.get(); }

    bool ShowCtrlPt() const { return FShowCtrlPt; }
    void SetShowCtrlPt(bool v);
    bool EntryLock() const { return FEntryLock; }
    void SetEntryLock(bool v) { FEntryLock = v; }

    // Enabled and checked states of the commands (the idle update, also run
    // when a menu opens and when the document changes).
    void UpdateActions();
    // The commands on the selected point, as the selection changes.
    void UpdateSelectionActions();
    // Captions with tablet button numbers and the background colour (after the preferences).
    void RefreshAfterPreferences();
    // The state's status text and tablet mode.
    void StateChanged();
    void UpdateInfo();
    // The sprite of the tablet cursor at a surface pixel, shown or hidden.
    void MoveTabletCursor(int x, int y);
    void ScrollBy(int dx, int dy);

    // Menu items, by the names the commands use.
    QMenu* mnEdit = nullptr;
    QAction* mnHistory = nullptr;
    QMenu* mnScale = nullptr;
    QMenu* mnDigit = nullptr;
    QMenu* mnView = nullptr;
    QAction* mnDefScale = nullptr;
    QAction* mnFinishScale = nullptr;
    QAction* mnCancelScale = nullptr;
    QAction* mnShowCtrlPt = nullptr;
    QAction* mnUndoLastPt = nullptr;
    QAction* mnDelPt = nullptr;
    QAction* mnDigCurve = nullptr;
    QAction* mnAutoTrace = nullptr;
    QAction* mnSpill = nullptr;
    QAction* mnAddFail = nullptr;
    QAction* mnEndDigit = nullptr;
    QAction* mnShowValues = nullptr;
    QAction* mnAddToEnd = nullptr;
    QAction* mnRoundToZero = nullptr;
    QAction* mnSelNext = nullptr;
    QAction* mnSelPrev = nullptr;
    QAction* mnUndoLast = nullptr;
    QAction* mnDelSelPt = nullptr;
    QAction* mnRedo = nullptr;
    QAction* mnAllGrid = nullptr;
    QAction* mnNoneGrid = nullptr;
    QAction* mnTimeGrid = nullptr;
    QAction* mnTimeGrid2 = nullptr;
    QAction* mnPrecGrid = nullptr;
    QAction* mnPrecGrid2 = nullptr;
    QAction* mnIncZoom = nullptr;
    QAction* mnDecZoom = nullptr;
    QAction* mnZ[5] = {};
    QAction* mnZUser = nullptr;

public slots:
    // Edit commands.
    void cmdUndoClick();
    void cmdRedoClick();
    void mnHistoryClick();
    // Scale commands.
    void mnDefScaleClick();
    void mnFinishScaleClick();
    void mnCancelScaleClick();
    void mnShowCtrlPtClick();
    void mnUndoLastPtClick();
    void mnDelPtClick();
    // Digitizing commands.
    void mnDigCurveClick();
    void mnAutoTraceClick();
    void mnSpillClick();
    void mnAddFailClick();
    void mnEndDigitClick();
    void mnShowValuesClick();
    void mnAddToEndClick();
    void mnRoundToZeroClick();
    void mnSelNextClick();
    void mnSelPrevClick();
    void mnUndoLastClick();
    void mnDelSelPtClick();
    // View commands.
    void mnRedoClick();
    void mnAllGridClick();
    void mnNoneGridClick();

protected:
    void closeEvent(QCloseEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;
    void showEvent(QShowEvent* e) override;

private:
    friend TRChartFrm* NewChartWindow(const TRChartInfo& info);
    friend TRChartFrm* OpenChartFile(const std::string& fileName);
    friend TRChartFrm* OpenRecoveredChart(const TRecoveryEntry& entry);

    void BuildControls();
    void BuildMenus();
    void BuildEditMenu();
    void UpdateEditActions();
    // After an undo, a redo or a jump: what the document does not announce itself.
    void HistoryMoved();
    // Moving the selected curve point in place (uRChartWndEdit.cpp).
    bool DragPress(Qt::MouseButton button, QPoint pos);
    bool DragMove(QPoint pos);
    void DragRelease();
    bool NudgeKey(QKeyEvent* e);
    bool MoveSelectedTo(double time, double prec);
    void PointMoved();
    void BuildScaleMenu();
    void BuildDigitMenu();
    void BuildViewMenu();
    void LoadPictures();
    void ViewMenuOpening();
    void ToggleGridBit(int index, int bit);
    void Activated();
    void BoxMouseMove(QPoint pos);
    void ClearCursorReadout();
    void TabletSwapped();
    // Tablet glue (uRChartWndTablet.cpp).
    void CreateTablet();
    void DestroyTablet();
    void TabletFocused();
    TRect TabletContextRect() const;
    void TabletCursorMove(int x, int y);
    // The scale's acceptance hook: refuses a control point near another one.
    void CtrlPointCheck(TDigPoint* point, bool& accept);
    // Tablet clicks (the digitizing commands).
    void TabletConfirmClick(const TPoint& down, const TPoint& up, bool& confirm);
    void TabletButtonClick(int button, int x, int y);
    // The curve's side of the tablet clicks in state 3 (uRChartWndDig.cpp).
    void DigButtonClick(int button, int x, int y);
    void ScrollPointIntoView(const TDigPoint* point);
    void CurveMarksChanged();
    // The scale's side of the tablet clicks in state 2 (uRChartWndScale.cpp).
    void ScaleConfirmClick(const TPoint& down, const TPoint& up, bool& confirm);
    void ScaleButtonClick(int button, int x, int y);
    bool AddCtrlPoint(int x, int y);
    void RemoveCtrlPoint(int index);
    void PromptNextCtrlPoint();
    void CursorReadout(double t, double p, const char* mmFormat);
    bool HandleKey(QKeyEvent* e);
    // The rest of opening a loaded document: information, state, showing.
    void ShowOpened();
    // The scan link (uRChartWndTrace.cpp): the scan a scale is being marked on
    // (idle update), read on opening, written after saving.
    void NoteScaleScan();
    void ReadScanLinkOf(const std::string& fileName);
    void WriteScanLinkOf(const std::string& fileName);
    // The unsure stretches of a traced chart, marked on the drawing.
    void PaintUnsure(TCanvas& canvas) const;
    // Recovery copies (uRChartWndRecovery.cpp).
    void StartRecovery();
    void AdoptRecoveryFile(const std::string& copyFile);
    void WriteRecovery();
    void DropRecovery();

    std::unique_ptr<TRChart> FDoc;
    std::unique_ptr<TEditHistory> FHistory;
    THistoryFrm* FHistoryFrm = nullptr; // a child: goes with the window
    TDigPoint* FDragPoint = nullptr;
    bool FDragMoved = false;
    TScanLink FScanLink;
    QScrollArea* FSBox = nullptr;
    TDrawBox* FBox = nullptr;
    QLabel* FlbId = nullptr;
    QLabel* FimgCursor = nullptr;
    QLabel* FimgMouse = nullptr;
    TSnapCursor* FtabCursor = nullptr;
    double FZoom = 0;
    bool FEntryLock = false;
    bool FShowCtrlPt = false;
    bool FSized = false;
    std::unique_ptr<TTablet> FTablet;
    QTimer* FRecoveryTimer = nullptr;
    std::string FRecoveryFile;
    std::size_t FRecoverySeen = 0;       // digest of the document as last seen modified
    int FRecoveryChanges = 0;            // changes since the copy was written
    qint64 FRecoveryPendingSince = -1;   // first change not in the copy; -1 when none
    QString FRecoveryError;              // a failed copy, told once at the next tick
    bool FRecoveryWarned = false;
    bool FRecoveryWriting = false;
};

} // namespace rs
