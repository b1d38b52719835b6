#include "chartwin/uRChartWndServices.h"

#include "common/ui/ErrorHandler.h"
#include "common/ui/PlatformServices.h"
#include "common/ui/UiHelpers.h"

#include <QThread>

#include <algorithm>

namespace rs::wnd {

TMsgAnswer Message(const QString& text, TMsgKind kind, TMsgButtons buttons)
{
    return MessageDlg(text, kind, buttons);
}

void HandleException(const std::exception& e) { ShowException(e); }

QStringList OpenDataFiles(QWidget* parent, const QString& folder)
{
    TFileDialogRequest request;
    request.Title = QStringLiteral("Abrir");
    request.Filter = QStringLiteral("Arquivos de Dados Pluviográficos (*.pvd)|*.pvd");
    request.InitialDir = folder;
    request.DefaultExt = QStringLiteral("dpb");
    request.MultiSelect = true;
    return FileDialogs().AskOpenFileNames(parent, request);
}

qint64 TickCount() { return rs::TickCount(); }

void SleepMs(int ms) { QThread::msleep((unsigned long)std::clamp(ms, 0, 20)); }

bool ShiftDown() { return IsShiftDown(); }

bool CtrlDown() { return IsCtrlDown(); }

void Beep() { rs::Beep(); }

void SetHint(QAction* action, const QString& hint) { InstallHint(action, hint); }

void SetHint(QWidget* widget, const QString& hint) { InstallHint(widget, hint); }

} // namespace rs::wnd
