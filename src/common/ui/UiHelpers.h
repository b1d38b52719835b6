#pragma once
// Small helpers every window uses: validation feedback, enabling groups of
// controls, "short|long" hints, and the Windows-1252 <-> QString edge.

#include <QList>
#include <QString>

#include <initializer_list>
#include <string>
#include <string_view>

class QAction;
class QWidget;

namespace rs {

// Domain texts (Windows-1252) to and from the UI.
QString CpToQ(std::string_view cp1252);
std::string QToCp(const QString& text); // characters outside Windows-1252 become '?'

// When condition holds: an error box with OK showing message, then the focus
// goes to control when it can take it (visible, enabled, accepts focus), its
// text selected. Returns condition, so validation reads
//   if (ErrorIf(edCode, code.isEmpty(), "...")) return;
bool ErrorIf(QWidget* control, bool condition, const QString& message);

void EnableControls(std::initializer_list<QWidget*> controls, bool enabled);
void EnableControls(const QList<QWidget*>& controls, bool enabled);
void EnableMenuItems(std::initializer_list<QAction*> items, bool enabled);
void EnableMenuItems(const QList<QAction*>& items, bool enabled);

// A hint "short|long": the short part is the tooltip, the long part is shown in
// the status bar. Without a bar both parts are the whole text; "|long" has no
// tooltip. Only the first bar separates.
struct THint
{
    QString Short;
    QString Long;
};
THint SplitHint(const QString& hint);
// The texts as installed: line breaks ("\r\n") kept as breaks in the tooltip,
// turned into blanks in the one-line status text.
QString TooltipText(const QString& shortHint);
QString StatusText(const QString& longHint);
// toolTip := short part, statusTip := long part (QMainWindow shows status tips in
// its status bar on QStatusTipEvent).
void InstallHint(QWidget* widget, const QString& hint);
void InstallHint(QAction* action, const QString& hint);

// A tool window's own shortcuts (the actions added to the window) win over the
// main window's while the tool window is active. Qt offers the main window's
// shortcuts to its tool windows too, and a key bound in both windows (Ctrl+T in
// the results window and in the chart window's menu) would be ambiguous and do
// nothing at all.
void KeepOwnShortcuts(QWidget* toolWindow);

} // namespace rs
