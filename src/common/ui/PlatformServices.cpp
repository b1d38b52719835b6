#include "common/ui/PlatformServices.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QUrl>

#ifdef _WIN32
#include <windows.h>
#endif

namespace rs {

namespace {

// One slot per service: the installed fake or the real implementation.
template <class I> struct TSlot
{
    I* Installed = nullptr;
    I* Set(I* s)
    {
        I* old = Installed;
        Installed = s;
        return old;
    }
};

class TQtBeeper : public IBeeper
{
public:
    void Beep() override { QApplication::beep(); }
};

class TQtClipboard : public IClipboard
{
public:
    QString Text() override { return QGuiApplication::clipboard()->text(); }
    void SetText(const QString& text) override { QGuiApplication::clipboard()->setText(text); }
};

QStringList Native(const QStringList& files)
{
    QStringList out;
    for (const QString& f : files)
        out << QDir::toNativeSeparators(f);
    return out;
}

void Prepare(QFileDialog& dlg, const TFileDialogRequest& request)
{
    dlg.setWindowTitle(request.Title);
    if (!request.Filter.isEmpty())
        dlg.setNameFilter(ToQtFilter(request.Filter));
    if (!request.InitialDir.isEmpty())
        dlg.setDirectory(request.InitialDir);
    if (!request.DefaultExt.isEmpty())
        dlg.setDefaultSuffix(request.DefaultExt);
    if (!request.FileName.isEmpty())
        dlg.selectFile(request.FileName);
}

class TQtFileDialogs : public IFileDialogs
{
public:
    QStringList AskOpenFileNames(QWidget* parent, const TFileDialogRequest& request) override
    {
        QFileDialog dlg(parent ? parent : QApplication::activeWindow());
        dlg.setAcceptMode(QFileDialog::AcceptOpen);
        dlg.setFileMode(request.MultiSelect ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
        Prepare(dlg, request);
        if (dlg.exec() != QDialog::Accepted)
            return {};
        return Native(dlg.selectedFiles());
    }

    QString AskSaveFileName(QWidget* parent, const TFileDialogRequest& request) override
    {
        QFileDialog dlg(parent ? parent : QApplication::activeWindow());
        dlg.setAcceptMode(QFileDialog::AcceptSave);
        dlg.setFileMode(QFileDialog::AnyFile);
        Prepare(dlg, request);
        if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty())
            return {};
        return QDir::toNativeSeparators(dlg.selectedFiles().front());
    }
};

class TQtFolderDialog : public IFolderDialog
{
public:
    bool Browse(QWidget* parent, const TFolderRequest& req, QString& folder) override
    {
        QFileDialog dlg(parent ? parent : QApplication::activeWindow());
        dlg.setWindowTitle(req.Title);
        dlg.setFileMode(QFileDialog::Directory);
        dlg.setOption(QFileDialog::ShowDirsOnly, req.DirsOnly);
        if (!req.Folder.isEmpty())
            dlg.setDirectory(req.Folder);
        if (req.OnChange) {
            // The change handler needs the dialog's own widgets (OK button, a status line),
            // which only Qt's dialog exposes.
            dlg.setOption(QFileDialog::DontUseNativeDialog, true);
            auto* status = new QLabel(&dlg);
            status->hide();
            if (auto* grid = qobject_cast<QGridLayout*>(dlg.layout()))
                grid->addWidget(status, grid->rowCount(), 0, 1, -1);
            auto changed = [&dlg, status, &req](const QString& path) {
                if (path.isEmpty())
                    return;
                int enabledOK = -1;
                QString text;
                req.OnChange(QDir::toNativeSeparators(path), enabledOK, text);
                if (enabledOK != -1)
                    if (auto* box = dlg.findChild<QDialogButtonBox*>())
                        for (QAbstractButton* b : box->buttons())
                            if (box->buttonRole(b) == QDialogButtonBox::AcceptRole)
                                b->setEnabled(enabledOK != 0);
                if (!text.isEmpty()) {
                    status->setText(text);
                    status->show();
                }
            };
            QObject::connect(&dlg, &QFileDialog::currentChanged, &dlg, changed);
            QObject::connect(&dlg, &QFileDialog::directoryEntered, &dlg, changed);
        }
        if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty())
            return false;
        QString chosen = QDir::toNativeSeparators(dlg.selectedFiles().front());
        while (chosen.size() > 1 && (chosen.endsWith(QLatin1Char('/')) || chosen.endsWith(QLatin1Char('\\'))) &&
               !chosen.endsWith(QLatin1String(":\\")))
            chosen.chop(1);
        folder = chosen;
        return true;
    }
};

class TSteadyClock : public IClock
{
public:
    // Milliseconds of the monotonic clock's reference (system start on the usual platforms).
    qint64 TickCount() override
    {
        QElapsedTimer t;
        t.start();
        return t.msecsSinceReference();
    }
};

class TQtKeyboard : public IKeyboard
{
public:
    Qt::KeyboardModifiers Modifiers() override { return QGuiApplication::queryKeyboardModifiers(); }
#ifdef _WIN32
    bool IsNumLockOn() override { return (GetKeyState(VK_NUMLOCK) & 1) != 0; }
    void SetNumLock(bool on) override
    {
        if (IsNumLockOn() == on)
            return;
        // Writing the thread's key-state table does not switch the system's Num Lock;
        // a synthetic key press does.
        INPUT in[2] = {};
        in[0].type = in[1].type = INPUT_KEYBOARD;
        in[0].ki.wVk = in[1].ki.wVk = VK_NUMLOCK;
        in[0].ki.dwFlags = KEYEVENTF_EXTENDEDKEY;
        in[1].ki.dwFlags = KEYEVENTF_EXTENDEDKEY | KEYEVENTF_KEYUP;
        SendInput(2, in, sizeof(INPUT));
    }
    bool CanSetNumLock() override { return true; }
#else
    bool IsNumLockOn() override { return false; }
    void SetNumLock(bool) override {}
    bool CanSetNumLock() override { return false; }
#endif
};

class TDesktopUrlOpener : public IUrlOpener
{
public:
    bool OpenUrl(const QUrl& url) override { return QDesktopServices::openUrl(url); }
};

TSlot<IBeeper> GBeeper;
TSlot<IClipboard> GClipboard;
TSlot<IFileDialogs> GFileDialogs;
TSlot<IFolderDialog> GFolderDialog;
TSlot<IClock> GClock;
TSlot<IKeyboard> GKeyboard;
TSlot<IUrlOpener> GUrlOpener;

} // namespace

IBeeper& Beeper()
{
    static TQtBeeper real;
    return GBeeper.Installed ? *GBeeper.Installed : real;
}
IBeeper* SetBeeper(IBeeper* s) { return GBeeper.Set(s); }

IClipboard& Clipboard()
{
    static TQtClipboard real;
    return GClipboard.Installed ? *GClipboard.Installed : real;
}
IClipboard* SetClipboard(IClipboard* s) { return GClipboard.Set(s); }

IFileDialogs& FileDialogs()
{
    static TQtFileDialogs real;
    return GFileDialogs.Installed ? *GFileDialogs.Installed : real;
}
IFileDialogs* SetFileDialogs(IFileDialogs* s) { return GFileDialogs.Set(s); }

IFolderDialog& FolderDialog()
{
    static TQtFolderDialog real;
    return GFolderDialog.Installed ? *GFolderDialog.Installed : real;
}
IFolderDialog* SetFolderDialog(IFolderDialog* s) { return GFolderDialog.Set(s); }

IClock& Clock()
{
    static TSteadyClock real;
    return GClock.Installed ? *GClock.Installed : real;
}
IClock* SetClock(IClock* s) { return GClock.Set(s); }

IKeyboard& Keyboard()
{
    static TQtKeyboard real;
    return GKeyboard.Installed ? *GKeyboard.Installed : real;
}
IKeyboard* SetKeyboard(IKeyboard* s) { return GKeyboard.Set(s); }

IUrlOpener& UrlOpener()
{
    static TDesktopUrlOpener real;
    return GUrlOpener.Installed ? *GUrlOpener.Installed : real;
}
IUrlOpener* SetUrlOpener(IUrlOpener* s) { return GUrlOpener.Set(s); }

bool OpenMailTo(const QString& address)
{
    return UrlOpener().OpenUrl(QUrl(QStringLiteral("mailto:") + address.trimmed()));
}

QString ToQtFilter(const QString& filter)
{
    if (!filter.contains(QLatin1Char('|')))
        return filter;
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList out;
    for (int i = 0; i < parts.size(); i += 2) {
        const QString desc = parts[i].trimmed();
        const QString masks = i + 1 < parts.size() ? parts[i + 1].trimmed() : QString();
        if (desc.isEmpty() && masks.isEmpty())
            continue;
        QString patterns = masks;
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        // Qt reads the patterns from the last parentheses; a description that already shows
        // them is kept as it is.
        if (masks.isEmpty() || desc.endsWith(QLatin1Char('(') + patterns + QLatin1Char(')')))
            out << desc;
        else
            out << (desc.isEmpty() ? patterns : desc) + QLatin1String(" (") + patterns + QLatin1Char(')');
    }
    return out.join(QLatin1String(";;"));
}

} // namespace rs
