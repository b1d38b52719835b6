#pragma once
// Stand-ins for the platform services, for the GUI tests: they answer from
// scripts and record what the program asked. Install them with the Set...
// functions of PlatformServices.h (tests/ui_support has a fixture doing all).

#include "common/ui/PlatformServices.h"

#include <QList>
#include <QUrl>

#include <deque>
#include <optional>

namespace rs {

class TCountingBeeper : public IBeeper
{
public:
    void Beep() override { ++FCount; }
    int Count() const { return FCount; }
    void Reset() { FCount = 0; }

private:
    int FCount = 0;
};

// Holds one text like the system clipboard and records every text put on it.
class TRecordingClipboard : public IClipboard
{
public:
    QString Text() override { return FText; }
    void SetText(const QString& text) override
    {
        FText = text;
        FHistory << text;
    }
    void Preset(const QString& text) { FText = text; } // as if another program had copied it
    const QStringList& History() const { return FHistory; }
    int SetCount() const { return int(FHistory.size()); }
    void Clear()
    {
        FText.clear();
        FHistory.clear();
    }

private:
    QString FText;
    QStringList FHistory;
};

// Next answers of the open and save dialogs; an empty answer (or an empty
// queue) is a cancel. Every request is recorded.
class TScriptedFileDialogs : public IFileDialogs
{
public:
    QStringList AskOpenFileNames(QWidget* parent, const TFileDialogRequest& request) override;
    QString AskSaveFileName(QWidget* parent, const TFileDialogRequest& request) override;

    void SetNextOpenFiles(const QStringList& files) { FOpen.push_back(files); }
    void SetNextSaveFile(const QString& file) { FSave.push_back(file); }
    const QList<TFileDialogRequest>& OpenRequests() const { return FOpenRequests; }
    const QList<TFileDialogRequest>& SaveRequests() const { return FSaveRequests; }

private:
    std::deque<QStringList> FOpen;
    std::deque<QString> FSave;
    QList<TFileDialogRequest> FOpenRequests, FSaveRequests;
};

// Next answers of the folder dialog: a folder, or std::nullopt for cancel
// (also what an empty queue gives). When the request has a change handler,
// it is told the chosen folder first; an EnabledOK of 0 then turns the answer
// into a cancel, as a disabled OK button would.
class TScriptedFolderDialog : public IFolderDialog
{
public:
    bool Browse(QWidget* parent, const TFolderRequest& request, QString& folder) override;

    void SetNextFolder(std::optional<QString> folder) { FAnswers.push_back(std::move(folder)); }
    const QList<TFolderRequest>& Requests() const { return FRequests; }
    QString LastStatusText() const { return FStatus; }

private:
    std::deque<std::optional<QString>> FAnswers;
    QList<TFolderRequest> FRequests;
    QString FStatus;
};

// A clock moved by hand. With an auto step, every reading advances it by that
// many milliseconds after reading, so loops that wait for the clock end.
class TManualClock : public IClock
{
public:
    qint64 TickCount() override
    {
        const qint64 t = FNow;
        FNow += FStep;
        return t;
    }
    void Set(qint64 ms) { FNow = ms; }
    void Advance(qint64 ms) { FNow += ms; }
    void SetAutoStep(qint64 ms) { FStep = ms; }
    qint64 Now() const { return FNow; }

private:
    qint64 FNow = 100000;
    qint64 FStep = 0;
};

class TFakeKeyboard : public IKeyboard
{
public:
    Qt::KeyboardModifiers Modifiers() override { return FMods; }
    bool IsNumLockOn() override { return FNumLock; }
    void SetNumLock(bool on) override
    {
        FNumLock = on;
        ++FNumLockSets;
    }
    bool CanSetNumLock() override { return true; }

    void SetModifiers(Qt::KeyboardModifiers m) { FMods = m; }
    void SetShift(bool down) { FMods.setFlag(Qt::ShiftModifier, down); }
    void SetCtrl(bool down) { FMods.setFlag(Qt::ControlModifier, down); }
    void PresetNumLock(bool on) { FNumLock = on; } // the state before the program acts
    int NumLockSets() const { return FNumLockSets; }

private:
    Qt::KeyboardModifiers FMods;
    bool FNumLock = false;
    int FNumLockSets = 0;
};

class TRecordingUrlOpener : public IUrlOpener
{
public:
    bool OpenUrl(const QUrl& url) override
    {
        FOpened << url;
        return FResult;
    }
    void SetResult(bool ok) { FResult = ok; }
    const QList<QUrl>& Opened() const { return FOpened; }

private:
    QList<QUrl> FOpened;
    bool FResult = true;
};

} // namespace rs
