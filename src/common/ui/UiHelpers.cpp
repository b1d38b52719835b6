#include "common/ui/UiHelpers.h"

#include "common/Utils.h"
#include "common/ui/MessageService.h"

#include <QAbstractSpinBox>
#include <QAction>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTextDocument>
#include <QWidget>

namespace rs {

QString CpToQ(std::string_view cp1252)
{
    const std::string u = Cp1252ToUtf8(cp1252);
    return QString::fromUtf8(u.data(), qsizetype(u.size()));
}

std::string QToCp(const QString& text)
{
    const QByteArray u = text.toUtf8();
    return Utf8ToCp1252(std::string_view(u.constData(), size_t(u.size())));
}

bool ErrorIf(QWidget* control, bool condition, const QString& message)
{
    if (!condition)
        return false;
    ShowError(message, control ? control->window() : nullptr);
    if (control && control->isVisible() && control->isEnabled() && control->focusPolicy() != Qt::NoFocus) {
        control->setFocus(Qt::OtherFocusReason);
        if (auto* edit = qobject_cast<QLineEdit*>(control))
            edit->selectAll();
        else if (auto* spin = qobject_cast<QAbstractSpinBox*>(control))
            spin->selectAll();
        else if (auto* combo = qobject_cast<QComboBox*>(control); combo && combo->lineEdit())
            combo->lineEdit()->selectAll();
    }
    return true;
}

void EnableControls(std::initializer_list<QWidget*> controls, bool enabled)
{
    for (QWidget* w : controls)
        if (w)
            w->setEnabled(enabled);
}

void EnableControls(const QList<QWidget*>& controls, bool enabled)
{
    for (QWidget* w : controls)
        if (w)
            w->setEnabled(enabled);
}

void EnableMenuItems(std::initializer_list<QAction*> items, bool enabled)
{
    for (QAction* a : items)
        if (a)
            a->setEnabled(enabled);
}

void EnableMenuItems(const QList<QAction*>& items, bool enabled)
{
    for (QAction* a : items)
        if (a)
            a->setEnabled(enabled);
}

THint SplitHint(const QString& hint)
{
    const qsizetype bar = hint.indexOf(QLatin1Char('|'));
    if (bar < 0)
        return {hint, hint};
    return {hint.left(bar), hint.mid(bar + 1)};
}

QString TooltipText(const QString& shortHint)
{
    QString s = shortHint;
    s.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    // A tooltip that looks like markup would be rendered as such; hints are plain words.
    if (Qt::mightBeRichText(s))
        s = QLatin1String("<p style='white-space:pre'>") + s.toHtmlEscaped().replace(QLatin1Char('\n'), QLatin1String("<br>")) +
            QLatin1String("</p>");
    return s;
}

QString StatusText(const QString& longHint)
{
    QString s = longHint;
    s.replace(QLatin1String("\r\n"), QLatin1String(" "));
    s.replace(QLatin1Char('\n'), QLatin1Char(' '));
    s.replace(QLatin1Char('\r'), QLatin1Char(' '));
    return s;
}

void InstallHint(QWidget* widget, const QString& hint)
{
    if (!widget)
        return;
    const THint h = SplitHint(hint);
    widget->setToolTip(TooltipText(h.Short));
    widget->setStatusTip(StatusText(h.Long));
}

void InstallHint(QAction* action, const QString& hint)
{
    if (!action)
        return;
    const THint h = SplitHint(hint);
    // An empty tooltip on an action falls back to its text; a hint "|long" means no tooltip,
    // which a tool button shows as the action's text only.
    action->setToolTip(TooltipText(h.Short));
    action->setStatusTip(StatusText(h.Long));
}

namespace {

class TOwnShortcuts : public QObject
{
public:
    explicit TOwnShortcuts(QWidget* window) : QObject(window), FWindow(window) {}

    bool eventFilter(QObject* watched, QEvent* e) override
    {
        if (watched != FWindow || (e->type() != QEvent::ShortcutOverride && e->type() != QEvent::KeyPress))
            return false;
        auto* key = static_cast<QKeyEvent*>(e);
        QAction* own = OwnAction(QKeySequence(key->keyCombination()));
        if (!own)
            return false;
        // The override keeps the key out of the shortcut map; the key press
        // that follows comes up here when no child used it.
        key->accept();
        if (e->type() == QEvent::KeyPress)
            own->trigger();
        return true;
    }

private:
    QAction* OwnAction(const QKeySequence& keys) const
    {
        for (QAction* a : FWindow->actions())
            if (a->isEnabled() && !a->shortcut().isEmpty() && a->shortcut().matches(keys) == QKeySequence::ExactMatch)
                return a;
        return nullptr;
    }

    QWidget* FWindow;
};

} // namespace

void KeepOwnShortcuts(QWidget* toolWindow)
{
    if (toolWindow)
        toolWindow->installEventFilter(new TOwnShortcuts(toolWindow));
}

} // namespace rs
