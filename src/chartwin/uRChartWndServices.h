#pragma once
// The platform services the main window and the chart windows use: message
// boxes with the program's Portuguese captions, the file-open dialog, the
// clock, the keyboard state, the beep, the general error handler and hints.
// Everything goes through here so the windows stay testable with scripted
// answers.

#include <QString>
#include <QStringList>

#include <exception>

class QAction;
class QWidget;

namespace rs::wnd {

enum class TMsgKind { Warning, Error, Information, Confirmation };
enum class TMsgButtons { Ok, YesNo, YesNoCancel };
enum class TMsgAnswer { Ok, Yes, No, Cancel };

// A modal message box; returns the button chosen.
TMsgAnswer Message(const QString& text, TMsgKind kind, TMsgButtons buttons = TMsgButtons::Ok);
inline void ShowError(const QString& text) { Message(text, TMsgKind::Error); }
inline void ShowWarning(const QString& text) { Message(text, TMsgKind::Warning); }
inline void ShowInfo(const QString& text) { Message(text, TMsgKind::Information); }

// The application's general error handler: shows the error's message; the program goes on.
void HandleException(const std::exception& e);

// The file-open dialog of pluviogram files, several at once; empty when cancelled.
QStringList OpenDataFiles(QWidget* parent, const QString& folder);

// Milliseconds of a monotonic clock, and a wait that processes no messages.
qint64 TickCount();
void SleepMs(int ms);

bool ShiftDown();
bool CtrlDown();
void Beep();

// "short|long": the short part is the tooltip, the long part goes to the status bar.
QString ShortHint(const QString& hint);
QString LongHint(const QString& hint);
void SetHint(QAction* action, const QString& hint);
void SetHint(QWidget* widget, const QString& hint);

} // namespace rs::wnd

namespace rs::wnd::script {

// Scripted answers for the windows' tests: while a script is active no box or
// dialog is shown; every message is recorded and answered from the queue
// (Ok / the first button when the queue is empty).
struct TMessageRecord
{
    QString Text;
    TMsgKind Kind;
    TMsgButtons Buttons;
};
void Begin();
void End();
bool Active();
void PushAnswer(TMsgAnswer a);
void PushOpenFiles(const QStringList& files);
const QList<TMessageRecord>& Messages();
void ClearMessages();
// A clock the test moves by hand; SleepMs advances it.
void SetClock(qint64 now);
int Beeps();

} // namespace rs::wnd::script
