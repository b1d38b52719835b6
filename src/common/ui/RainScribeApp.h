#pragma once
// The program's application object: every event goes through notify, which
// catches an exception escaping an event handler and shows it through the
// general error handler (ErrorHandler.h), so the program goes on.

#include <QApplication>

namespace rs {

class TRainScribeApp : public QApplication
{
    Q_OBJECT
public:
    TRainScribeApp(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;

    // Errors caught by notify since start (for the tests and for diagnostics).
    int CaughtErrors() const { return FCaught; }

private:
    int FCaught = 0;
};

} // namespace rs
