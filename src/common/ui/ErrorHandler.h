#pragma once
// The general error handler: an error that escapes a command is shown in an
// error box ("Erro", OK) with its message, and the program goes on. Commands
// run through RunGuarded; whatever still escapes an event handler is caught by
// TRainScribeApp::notify (RainScribeApp.h) and shown the same way.

#include <QString>

#include <exception>
#include <functional>

class QWidget;

namespace rs {

// The message of an exception as the user reads it; the domain's messages are
// UTF-8, anything else is read as Windows-1252.
QString ExceptionText(const std::exception& e);
// For exceptions that are not std::exception.
QString UnknownErrorText(); // "Ocorreu um erro inesperado."

// Shows the error box for the exception being handled (call inside a catch block).
void ShowCurrentException(QWidget* parent = nullptr);
void ShowException(const std::exception& e, QWidget* parent = nullptr);

// Runs command; an exception that escapes it is shown and swallowed.
// Returns true when the command ran to its end.
bool RunGuarded(const std::function<void()>& command, QWidget* parent = nullptr);

} // namespace rs
