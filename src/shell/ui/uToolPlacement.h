#pragma once
// Where a tool window (results, scale statistics, control point prompt) opens:
// where the operator last left it on the same screen layout, kept in the
// settings file; otherwise where the window's own rule puts it. Nothing is
// written until the operator moves (or resizes) the window, so a first run's
// settings file is the usual one.

#include <QRect>

#include <string>

class QWidget;

namespace rs {

namespace ini {
// Keys "<window> <layout>", values as kKeyBounds (see shell/uOptions.h).
inline constexpr const char* kSecToolWindows = "Janelas de Ferramentas";
} // namespace ini

class TToolPlacement
{
public:
    // name: the window's part of the key (Latin-1); keepSize: the size is kept too.
    TToolPlacement(std::string name, bool keepSize);

    // At the window's first showing: puts it where it was left on this screen
    // layout; false when there is no such place (the caller places it).
    bool Restore(QWidget& w);
    // After the window has been placed, by Restore or by its own rule.
    void Placed(QWidget& w);
    // When the window hides or goes: writes its place if the operator changed it.
    void Keep(const QWidget& w);

    // The key of the window on the current screen layout.
    std::string Key() const;

private:
    QRect Place(const QWidget& w) const;

    std::string FName;
    bool FKeepSize;
    bool FPlaced = false;
    bool FSettled = false; // the events after the first showing have run
    QRect FPlace;
};

// The screens as they are arranged, e.g. "1920x1080+0+0,1280x1024+1920+0".
std::string ScreenLayout();

} // namespace rs
