#include "document/ui/PropertyEdits.h"

#include "common/Utils.h"

#include <QKeyEvent>
#include <QMouseEvent>

#include <cmath>

namespace rs {

namespace {

// A key that produces a character the edit would insert (not a control code).
bool IsPrintable(const QKeyEvent* e)
{
    if (e->text().isEmpty())
        return false;
    if (e->modifiers() & (Qt::ControlModifier | Qt::MetaModifier))
        return false;
    const QChar c = e->text().at(0);
    return c.isPrint();
}

bool ParsesAsNumber(const QString& text, double& value)
{
    return TryStrToFloat(Utf8ToCp1252(text.toStdString()), value);
}

} // namespace

// --- TFilteredEdit ----------------------------------------------------------

TFilteredEdit::TFilteredEdit(QWidget* parent) : QLineEdit(parent) {}

void TFilteredEdit::keyPressEvent(QKeyEvent* e)
{
    if (e->key() == Qt::Key_Down && FDownTarget && !(e->modifiers() & (Qt::AltModifier | Qt::ControlModifier))) {
        FDownTarget->setFocus(Qt::OtherFocusReason);
        e->accept();
        return;
    }
    if (FFilter && IsPrintable(e)) {
        for (QChar c : e->text())
            if (!FFilter(c)) {
                e->accept();
                return;
            }
    }
    QLineEdit::keyPressEvent(e);
}

// --- TOffsetEdit ------------------------------------------------------------

TOffsetEdit::TOffsetEdit(QWidget* parent) : QAbstractSpinBox(parent)
{
    setButtonSymbols(QAbstractSpinBox::UpDownArrows);
    setAccelerated(false);
    setKeyboardTracking(true);
    setCorrectionMode(QAbstractSpinBox::CorrectToPreviousValue);
}

QString TOffsetEdit::Text() const { return lineEdit()->text(); }

void TOffsetEdit::SetText(const QString& s) { lineEdit()->setText(s); }

bool TOffsetEdit::AcceptableWhileTyping(const QString& text)
{
    double v;
    // A lone sign or separator, or a dangling exponent, is a number still being
    // typed: the OK check refuses it if it is left that way.
    return ParsesAsNumber(text, v) || ParsesAsNumber(text + QLatin1Char('0'), v);
}

QValidator::State TOffsetEdit::validate(QString&, int&) const
{
    // Typing is filtered key by key; whatever stands in the box is checked on OK.
    return QValidator::Acceptable;
}

void TOffsetEdit::stepBy(int steps)
{
    const QString text = Text().trimmed();
    double v = 0;
    if (!text.isEmpty() && !ParsesAsNumber(text, v))
        return; // leave a text that is not a number as it is
    v += steps * kStep;
    v = std::round(v * 10) / 10; // no drift from repeated 0.1 steps, no "-0,0"
    if (v < kMin)
        v = kMin;
    if (v > kMax)
        v = kMax;
    if (v == 0)
        v = 0; // turns -0 into 0
    SetText(QString::fromStdString(Cp1252ToUtf8(FormatNum("%.1f", v))));
    lineEdit()->setCursorPosition(int(Text().size()));
}

void TOffsetEdit::keyPressEvent(QKeyEvent* e)
{
    if (!IsPrintable(e)) {
        QAbstractSpinBox::keyPressEvent(e); // Backspace, Enter, Up/Down, navigation
        return;
    }
    QString key = e->text().left(1);
    if (key == QLatin1String(",") || key == QLatin1String("."))
        key = QChar::fromLatin1(DecimalSeparator());
    QLineEdit* ed = lineEdit();
    QString result = ed->text();
    int start = ed->cursorPosition(), length = 0;
    if (ed->hasSelectedText()) {
        start = ed->selectionStart();
        length = int(ed->selectedText().size());
    }
    result.replace(start, length, key);
    if (!AcceptableWhileTyping(result)) {
        e->accept();
        return;
    }
    QKeyEvent replaced(e->type(), e->key(), e->modifiers(), key, e->isAutoRepeat(), 1);
    QAbstractSpinBox::keyPressEvent(&replaced);
    e->setAccepted(replaced.isAccepted());
}

// --- TStationListBox -----------------------------------------------------------

TStationListBox::TStationListBox(QWidget* parent) : QListWidget(parent)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformItemSizes(true);
}

void TStationListBox::keyPressEvent(QKeyEvent* e)
{
    const int before = currentRow();
    QListWidget::keyPressEvent(e);
    if (hasFocus() && currentRow() >= 0 && currentRow() != before)
        emit Picked(currentRow());
}

void TStationListBox::mouseReleaseEvent(QMouseEvent* e)
{
    QListWidget::mouseReleaseEvent(e);
    if (e->button() != Qt::LeftButton || !hasFocus())
        return;
    if (QListWidgetItem* item = itemAt(e->position().toPoint()))
        emit Picked(row(item));
}

} // namespace rs
