#pragma once
// The services the main window and the chart windows use, in the words of
// these windows: message boxes (the program's message service), the
// pluviogram file-open dialog, the clock, the keyboard state, the beep, the
// general error handler and hints. Tests script them through the services'
// fakes (common/ui/FakeServices.h).

#include "common/ui/MessageService.h"

#include <QString>
#include <QStringList>

#include <exception>

class QAction;
class QWidget;

namespace rs::wnd {

using TMsgKind = rs::TMsgType;
using TMsgButtons = rs::TMsgButtons;
using TMsgAnswer = rs::TMsgResult;

// A modal message box; returns the button chosen.
TMsgAnswer Message(const QString& text, TMsgKind kind, TMsgButtons buttons = TMsgButtons::OK);
inline void ShowError(const QString& text) { Message(text, TMsgKind::Error); }
inline void ShowWarning(const QString& text) { Message(text, TMsgKind::Warning); }
inline void ShowInfo(const QString& text) { Message(text, TMsgKind::Information); }

// The application's general error handler: shows the error's message; the program goes on.
void HandleException(const std::exception& e);

// The file-open dialog of pluviogram files, several at once; empty when cancelled.
QStringList OpenDataFiles(QWidget* parent, const QString& folder);

// Milliseconds of a monotonic clock, and a short wait that processes no messages.
qint64 TickCount();
void SleepMs(int ms);

bool ShiftDown();
bool CtrlDown();
void Beep();

// "short|long": the short part is the tooltip, the long part goes to the status bar.
void SetHint(QAction* action, const QString& hint);
void SetHint(QWidget* widget, const QString& hint);

} // namespace rs::wnd
