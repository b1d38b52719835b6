#pragma once
// "Mesa Virtual": a tablet on the screen, for working without a digitizing
// tablet. It is a tablet driver: the windows' components open their contexts
// in it, and the packets made with the mouse and the keys go to the context
// on top of the overlap order, exactly as WinTab would deliver them. Focusing
// this window itself changes nothing in that order (it owns no context).
//
// The area is in tablet counts at 1000 per inch of paper: a blank 24 x 18 inch
// sheet, or a scanned chart at its own resolution ("Abrir &Imagem...").

#include "common/Geometry.h"
#include "tablet/EmulatedTablet.h"

#include <QPointer>
#include <QString>
#include <QWidget>

#include <functional>

class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QSlider;
class QSpinBox;
class QWindow;

namespace rs {

class TTabletSurface;
class TTabletLoupe;

class TVirtualTablet : public QWidget
{
    Q_OBJECT
  public:
    // A window of its own (parent: the main window). With registerDriver it
    // becomes the process's tablet driver until it is destroyed.
    explicit TVirtualTablet(QWidget* parent = nullptr, bool registerDriver = true);
    ~TVirtualTablet() override;

    TEmulatedTabletDriver& Driver() { return FDriver; }
    TTabletSurface* Surface() const { return FSurface; }
    TTabletLoupe* Loupe() const { return FLoupe; }

    // Shown or not; the owner keeps it in the settings.
    bool IsOpen() const;
    void SetOpen(bool open);
    // A checkable "Mesa &Virtual" command that shows and hides the window.
    QAction* ToggleAction() const { return FToggle; }

    // Loads page `page` (0-based) of a scanned chart; false (and a message) when
    // it cannot be read, and the picture shown stays.
    bool LoadImage(const QString& path, int page = 0);
    void ClearImage();
    QString ImagePath() const { return FImagePath; }
    int ImagePage() const { return FImagePage; }
    // Pages of the picture file (1 for most; a TIFF may hold several).
    int PageCount() const { return FPageCount; }
    // The ink view and its contrast (1 normal).
    void SetInkView(bool on, double contrast = 1);
    // The area as a context rectangle: (0, height, width, 0).
    TRect ContextRect() const;

    // ---- Hooks for the program's services
    // Shows a warning; unset, the text appears in the window's status line.
    std::function<void(const QString& text)> OnMessage;
    // Asks for a picture file; unset, the platform's file dialog is used.
    std::function<QString(QWidget* parent, const QString& filter)> OnChooseImage;
    // The file filter offered: the formats the image plugins can read.
    static QString ImageFilter();

    // Whether a modal window currently blocks this window's input (it is
    // released at once, so the tablet keeps working under modal dialogs).
    bool BlockedByModal() const { return FBlocked; }

  signals:
    void openChanged(bool open);
    // Another picture or page is shown (path empty: the blank area).
    void imageChanged(const QString& path, int page);
    // The area (and so the context rectangle of every context) changed.
    void areaChanged(int widthCounts, int heightCounts);

  protected:
    bool event(QEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void hideEvent(QHideEvent* e) override;

  private:
    void ChooseImage();
    void InkControlsChanged();
    void SyncLoupeZoom();
    void ContextsChanged();
    void AreaChanged();
    void UpdateInfo();
    void UpdatePointer();
    void ShowMessage(const QString& text);
    void Unblock();
    void ModalVisibleChanged(bool visible);
    void RestoreTransientParent();
    QString TargetWindowName() const;

    TEmulatedTabletDriver FDriver;
    TTabletSurface* FSurface;
    TTabletLoupe* FLoupe;
    QLabel* FPosLabel;
    QLabel* FModeLabel;
    QLabel* FAreaLabel;
    QLabel* FStatus;
    QPushButton* FClearButton;
    QSpinBox* FPage;
    QLabel* FPageLabel;
    QCheckBox* FInk;
    QSlider* FContrast;
    QComboBox* FLoupeZoom;
    QAction* FToggle;
    QString FImagePath;
    int FImagePage = 0;
    int FPageCount = 0;
    bool FBlocked = false;
    QPointer<QWindow> FOwnTransientParent;
    bool FTransientSaved = false;
};

} // namespace rs
