#include "shell/ui/uToolPlacement.h"

#include "common/uAppFiles.h"
#include "common/uIniFile.h"
#include "shell/uOptions.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <QWidget>

#include <algorithm>

namespace rs {

std::string ScreenLayout()
{
    std::string s;
    for (const QScreen* screen : QGuiApplication::screens()) {
        const QRect g = screen->geometry();
        if (!s.empty())
            s += ',';
        s += std::to_string(g.width()) + 'x' + std::to_string(g.height()) + (g.x() < 0 ? "" : "+") +
             std::to_string(g.x()) + (g.y() < 0 ? "" : "+") + std::to_string(g.y());
    }
    return s;
}

TToolPlacement::TToolPlacement(std::string name, bool keepSize) : FName(std::move(name)), FKeepSize(keepSize) {}

std::string TToolPlacement::Key() const { return FName + ' ' + ScreenLayout(); }

QRect TToolPlacement::Place(const QWidget& w) const { return QRect(w.pos(), w.size()); }

bool TToolPlacement::Restore(QWidget& w)
{
    TBounds b;
    if (!ParseBounds(OpenIni().ReadString(ini::kSecToolWindows, Key(), ""), b) || b.Width <= 0 || b.Height <= 0)
        return false;
    // Only a place whose title bar can still be reached.
    const QRect title(b.Left, b.Top, std::min(b.Width, 100), 30);
    bool reachable = false;
    for (const QScreen* screen : QGuiApplication::screens())
        reachable = reachable || screen->availableGeometry().intersects(title);
    if (!reachable)
        return false;
    if (FKeepSize)
        w.resize(std::max(b.Width, w.minimumWidth()), std::max(b.Height, w.minimumHeight()));
    w.move(b.Left, b.Top);
    return true;
}

void TToolPlacement::Placed(QWidget& w)
{
    FPlaced = true;
    FSettled = false;
    FPlace = Place(w);
    // The window system and the layout may still settle the window once shown:
    // no change of the operator's, who cannot have moved it yet.
    QTimer::singleShot(0, &w, [this, &w] {
        if (!FSettled)
            FPlace = Place(w);
        FSettled = true;
    });
}

void TToolPlacement::Keep(const QWidget& w)
{
    if (!FPlaced)
        return;
    QRect now = Place(w);
    if (!FSettled) { // hidden before the events after its showing: nothing the operator did
        FSettled = true;
        FPlace = now;
        return;
    }
    if (!FKeepSize)
        now.setSize(FPlace.size());
    if (now == FPlace)
        return;
    FPlace = now;
    const std::string value = FormatBounds({now.x(), now.y(), now.width(), now.height()});
    const std::string key = Key();
    TIniFile ini = OpenIni();
    // A settings file that cannot be written costs only the window's place.
    ini.Update([&](TIniDocument& doc) { return doc.Set(ini::kSecToolWindows, key, value); });
}

} // namespace rs
