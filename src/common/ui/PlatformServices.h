#pragma once
// The platform services the windows reach through small interfaces, so GUI
// tests can install fakes (FakeServices.h): the alert sound, the clipboard,
// the file and folder dialogs, a monotonic clock, the keyboard state and the
// shell's opening of addresses. Each accessor returns the installed service or
// the real one; each Set... installs one (not owned; nullptr restores the real
// one) and returns the previous (nullptr when it was the real one).

#include <QString>
#include <QStringList>
#include <Qt>

#include <functional>

class QUrl;
class QWidget;

namespace rs {

// --- alert sound -------------------------------------------------------------
class IBeeper
{
public:
    virtual ~IBeeper() = default;
    virtual void Beep() = 0;
};
IBeeper& Beeper();
IBeeper* SetBeeper(IBeeper* service);
inline void Beep() { Beeper().Beep(); }

// --- clipboard (plain text) --------------------------------------------------
class IClipboard
{
public:
    virtual ~IClipboard() = default;
    virtual QString Text() = 0;
    virtual void SetText(const QString& text) = 0;
};
IClipboard& Clipboard();
IClipboard* SetClipboard(IClipboard* service);

// --- file dialogs ------------------------------------------------------------
struct TFileDialogRequest
{
    QString Title;
    // "Descrição|*.pvd|Todos|*.*" pairs (masks separated by ';'), or Qt's "Desc (*.pvd);;..." form.
    QString Filter;
    QString InitialDir;
    QString FileName;   // preset name (save dialog) or selection
    QString DefaultExt; // without the dot; added to a typed name without extension
    bool MultiSelect = false;
};
// "Arquivos (*.pvd)|*.pvd|Todos|*.*" -> "Arquivos (*.pvd);;Todos (*.*)"; a filter without '|' is kept.
QString ToQtFilter(const QString& filter);

class IFileDialogs
{
public:
    virtual ~IFileDialogs() = default;
    // Chosen files with native separators; empty when cancelled. One file unless MultiSelect.
    virtual QStringList AskOpenFileNames(QWidget* parent, const TFileDialogRequest& request) = 0;
    // The chosen name with native separators; empty when cancelled.
    virtual QString AskSaveFileName(QWidget* parent, const TFileDialogRequest& request) = 0;
};
IFileDialogs& FileDialogs();
IFileDialogs* SetFileDialogs(IFileDialogs* service);

// --- folder dialog -----------------------------------------------------------
// Told each folder the user moves to; may disable the OK button (EnabledOK = 0,
// non-zero enables, -1 leaves it) and give a status text for the dialog.
using TFolderChangeEvent = std::function<void(const QString& folder, int& enabledOK, QString& statusText)>;

struct TFolderRequest
{
    QString Title;  // shown as the dialog's caption
    QString Folder; // preselected (may be empty)
    bool DirsOnly = true;
    TFolderChangeEvent OnChange;
};

class IFolderDialog
{
public:
    virtual ~IFolderDialog() = default;
    // True when a folder was chosen; it is then in folder (native separators, no trailing one).
    virtual bool Browse(QWidget* parent, const TFolderRequest& request, QString& folder) = 0;
};
IFolderDialog& FolderDialog();
IFolderDialog* SetFolderDialog(IFolderDialog* service);

// --- monotonic clock ---------------------------------------------------------
class IClock
{
public:
    virtual ~IClock() = default;
    virtual qint64 TickCount() = 0; // milliseconds of a monotonic clock
};
IClock& Clock();
IClock* SetClock(IClock* service);
inline qint64 TickCount() { return Clock().TickCount(); }

// --- keyboard state ----------------------------------------------------------
class IKeyboard
{
public:
    virtual ~IKeyboard() = default;
    // The modifier keys held at this moment (not those of the last event).
    virtual Qt::KeyboardModifiers Modifiers() = 0;
    virtual bool IsNumLockOn() = 0;
    virtual void SetNumLock(bool on) = 0;
    // Whether SetNumLock acts: on Windows it does; elsewhere Num Lock cannot be
    // read or set by a program, IsNumLockOn reports false and SetNumLock does nothing.
    virtual bool CanSetNumLock() = 0;
};
IKeyboard& Keyboard();
IKeyboard* SetKeyboard(IKeyboard* service);
inline bool IsShiftDown() { return Keyboard().Modifiers().testFlag(Qt::ShiftModifier); }
inline bool IsCtrlDown() { return Keyboard().Modifiers().testFlag(Qt::ControlModifier); }
inline bool IsNumLockOn() { return Keyboard().IsNumLockOn(); }
inline void SetNumLock(bool on) { Keyboard().SetNumLock(on); }

// --- shell: opening addresses ------------------------------------------------
class IUrlOpener
{
public:
    virtual ~IUrlOpener() = default;
    virtual bool OpenUrl(const QUrl& url) = 0; // false when the platform could not open it
};
IUrlOpener& UrlOpener();
IUrlOpener* SetUrlOpener(IUrlOpener* service);
// Opens "mailto:" + address with the default mail program.
bool OpenMailTo(const QString& address);

} // namespace rs
