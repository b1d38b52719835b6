#pragma once
// Binds a tablet component to the widget whose window owns it: the component
// is told that loading ended, and each time the keyboard focus enters that
// window (or the window is activated) its context goes on top of the overlap
// order, so the packets follow the focus as they do with WinTab.

#include "tablet/Tablet.h"

#include <QObject>
#include <QPointer>

#include <memory>

class QWidget;

namespace rs {

class TTabletBinding : public QObject
{
    Q_OBJECT
  public:
    // The binding is a child of window and lives as long as it does; it is
    // safe for the component to die first.
    TTabletBinding(TTablet& tablet, QWidget* window);
    ~TTabletBinding() override;

    QWidget* Window() const { return FWindow; }
    // The opaque id the driver sees for a widget.
    static TWindowId WindowIdOf(const QWidget* window);
    // The live bound window with that id; null once it is gone.
    static QWidget* WindowOf(TWindowId id);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void FocusChanged(QWidget* old, QWidget* now);
    // The binding whose window holds w, the innermost one when bound windows
    // are nested (a chart window inside the main window).
    static TTabletBinding* OwnerOf(const QWidget* w);
    void Focused();

    TTablet* FTablet;
    std::weak_ptr<const bool> FAlive;
    QPointer<QWidget> FWindow;
    const QWidget* FKey; // FWindow's address, also after it died
};

// Shorthand: ends the component's loading with window as its window.
TTabletBinding* BindTablet(TTablet& tablet, QWidget* window);

} // namespace rs
