#include "chartwin/EnhGrid.h"

#include "common/ui/PlatformServices.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QRegularExpression>

namespace rs {

// ---------------------------------------------------------------------------
// TInplaceEditEx

TInplaceEditEx::TInplaceEditEx(TEnhDrawGrid* grid) : QLineEdit(grid->viewport()), FGrid(grid)
{
    setFrame(false);
    setAcceptDrops(false);
    hide();
}

QString TInplaceEditEx::ResultOfInsert(const QString& s) const
{
    QString t = text();
    if (hasSelectedText())
        t.replace(selectionStart(), selectionLength(), s);
    else
        t.insert(cursorPosition(), s);
    return t;
}

bool TInplaceEditEx::Allowed(const QString& result) const
{
    if (!FGrid->OnChangeCell)
        return true;
    bool allow = true;
    FGrid->OnChangeCell(FGrid, FGrid->Col(), FGrid->Row(), result, allow);
    return allow;
}

bool TInplaceEditEx::TypeText(const QString& s)
{
    if (!Allowed(ResultOfInsert(s)))
        return false;
    insert(s);
    return true;
}

bool TInplaceEditEx::CheckedPaste()
{
    if (isReadOnly())
        return false;
    QString clip = Clipboard().Text();
    // One line fits a cell: a copied block pastes its first line.
    const qsizetype brk = clip.indexOf(QRegularExpression(QStringLiteral("[\r\n]")));
    if (brk >= 0)
        clip.truncate(brk);
    if (clip.isEmpty() && !hasSelectedText())
        return false;
    return TypeText(clip);
}

void TInplaceEditEx::keyPressEvent(QKeyEvent* e)
{
    const Qt::KeyboardModifiers mods = e->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    switch (e->key()) {
    case Qt::Key_Escape:
        if (mods == Qt::NoModifier) {
            FGrid->CancelEditor();
            e->accept();
            return;
        }
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        FGrid->EditorKey(e);
        return;
    default: break;
    }
    if (e->matches(QKeySequence::Paste)) {
        CheckedPaste();
        e->accept();
        return;
    }
    if (e->matches(QKeySequence::Copy) || e->matches(QKeySequence::Cut)) {
        if (hasSelectedText() && echoMode() == Normal) {
            Clipboard().SetText(selectedText());
            if (e->matches(QKeySequence::Cut) && !isReadOnly())
                del();
        }
        e->accept();
        return;
    }
    // Backspace and Enter are control characters and always pass.
    if (IsPrintableText(e->text()) && !Allowed(ResultOfInsert(e->text()))) {
        e->accept();
        return;
    }
    QLineEdit::keyPressEvent(e);
}

bool TInplaceEditEx::focusNextPrevChild(bool next)
{
    if (FGrid->HasOption(goTabs))
        return false; // keyPressEvent hands Tab to the grid
    return QLineEdit::focusNextPrevChild(next);
}

void TInplaceEditEx::inputMethodEvent(QInputMethodEvent* e)
{
    if (!e->commitString().isEmpty() && !Allowed(ResultOfInsert(e->commitString())))
        e->setCommitString(QString());
    QLineEdit::inputMethodEvent(e);
}

void TInplaceEditEx::contextMenuEvent(QContextMenuEvent* e)
{
    QMenu* menu = CreateContextMenu();
    menu->exec(e->globalPos());
    delete menu;
}

QMenu* TInplaceEditEx::CreateContextMenu()
{
    // The platform's edit menu in the program's language; clipboard actions go through the
    // program's clipboard, and paste through the check.
    auto* menu = new QMenu(this);
    const bool writable = !isReadOnly();
    const bool selected = hasSelectedText() && echoMode() == Normal;
    auto add = [menu](const char* name, const QString& text, const QKeySequence& keys, bool enabled) {
        QAction* a = menu->addAction(text);
        a->setObjectName(QLatin1String(name));
        a->setShortcut(keys);
        a->setEnabled(enabled);
        return a;
    };
    connect(add("edit-undo", QStringLiteral("&Desfazer"), QKeySequence::Undo, writable && isUndoAvailable()),
            &QAction::triggered, this, &QLineEdit::undo);
    connect(add("edit-redo", QStringLiteral("&Refazer"), QKeySequence::Redo, writable && isRedoAvailable()),
            &QAction::triggered, this, &QLineEdit::redo);
    menu->addSeparator();
    connect(add("edit-cut", QStringLiteral("Recor&tar"), QKeySequence::Cut, writable && selected),
            &QAction::triggered, this, [this] {
                Clipboard().SetText(selectedText());
                del();
            });
    connect(add("edit-copy", QStringLiteral("&Copiar"), QKeySequence::Copy, selected), &QAction::triggered, this,
            [this] { Clipboard().SetText(selectedText()); });
    connect(add("edit-paste", QStringLiteral("C&olar"), QKeySequence::Paste,
                writable && !Clipboard().Text().isEmpty()),
            &QAction::triggered, this, [this] { CheckedPaste(); });
    connect(add("edit-delete", QStringLiteral("&Excluir"), QKeySequence(), writable && hasSelectedText()),
            &QAction::triggered, this, &QLineEdit::del);
    menu->addSeparator();
    connect(add("select-all", QStringLiteral("Selecionar &tudo"), QKeySequence::SelectAll, !text().isEmpty()),
            &QAction::triggered, this, &QLineEdit::selectAll);
    return menu;
}

void TInplaceEditEx::mouseReleaseEvent(QMouseEvent* e)
{
    // The middle button pastes the selection unchecked; with a check in place it does nothing.
    if (e->button() == Qt::MiddleButton && FGrid->OnChangeCell) {
        e->accept();
        return;
    }
    QLineEdit::mouseReleaseEvent(e);
}

void TInplaceEditEx::focusOutEvent(QFocusEvent* e)
{
    QLineEdit::focusOutEvent(e);
    // A context menu or another application taking the focus leaves the editing open.
    if (e->reason() != Qt::PopupFocusReason && e->reason() != Qt::ActiveWindowFocusReason)
        FGrid->EditorLostFocus();
}

} // namespace rs
