#include "tablet/ui/TabletBinding.h"

#include <QApplication>
#include <QEvent>
#include <QHash>
#include <QWidget>

namespace rs {

namespace {
QHash<const QWidget*, TTabletBinding*>& Bindings()
{
    static QHash<const QWidget*, TTabletBinding*> map;
    return map;
}
} // namespace

TTabletBinding::TTabletBinding(TTablet& tablet, QWidget* window)
    : QObject(window), FTablet(&tablet), FAlive(tablet.Lifetime()), FWindow(window), FKey(window)
{
    if (window) Bindings().insert(window, this);
    connect(qApp, &QApplication::focusChanged, this, &TTabletBinding::FocusChanged);
    if (window) {
        window->installEventFilter(this);
        if (!window->isWindow() && window->window()) window->window()->installEventFilter(this);
    }
    tablet.Loaded(WindowIdOf(window));
}

TTabletBinding::~TTabletBinding()
{
    auto it = Bindings().find(FKey);
    if (it != Bindings().end() && it.value() == this) Bindings().erase(it);
    if (!FAlive.expired()) FTablet->WindowDestroyed();
}

TWindowId TTabletBinding::WindowIdOf(const QWidget* window)
{
    // The widget's address: unique while it lives and needs no native window.
    return reinterpret_cast<TWindowId>(window);
}

QWidget* TTabletBinding::WindowOf(TWindowId id)
{
    // Looked up, never dereferenced from the id: a dead window is absent.
    const auto& map = Bindings();
    auto it = map.constFind(reinterpret_cast<const QWidget*>(id));
    return it != map.constEnd() ? it.value()->FWindow.data() : nullptr;
}

TTabletBinding* TTabletBinding::OwnerOf(const QWidget* w)
{
    // A window of its own without a tablet (the results window, a tool
    // window) owns no context: focusing it leaves the overlap order alone, as
    // WinTab does, instead of handing the packets to the window it belongs to.
    const auto& map = Bindings();
    for (; w; w = w->parentWidget()) {
        auto it = map.constFind(w);
        if (it != map.constEnd()) return it.value();
        if (w->isWindow()) return nullptr;
    }
    return nullptr;
}

void TTabletBinding::FocusChanged(QWidget* old, QWidget* now)
{
    if (OwnerOf(now) == this && OwnerOf(old) != this) Focused();
}

bool TTabletBinding::eventFilter(QObject* watched, QEvent* event)
{
    if (FWindow) {
        switch (event->type()) {
        case QEvent::WindowActivate:
            // The window that holds the focus takes the packets, also when
            // no widget of it can take the focus.
            if (watched == FWindow->window()) {
                const QWidget* focus = QApplication::focusWidget();
                if (OwnerOf(focus && focus->window() == watched ? focus : FWindow->window()) == this)
                    Focused();
            }
            break;
        case QEvent::FocusIn:
            if (watched == FWindow) Focused();
            break;
        default:
            break;
        }
    }
    return QObject::eventFilter(watched, event);
}

void TTabletBinding::Focused()
{
    if (!FAlive.expired()) FTablet->WindowFocused();
}

TTabletBinding* BindTablet(TTablet& tablet, QWidget* window)
{
    return new TTabletBinding(tablet, window);
}

} // namespace rs
