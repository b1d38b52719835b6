#pragma once
// The input controls of the properties dialog that need their own key handling:
// edits that accept only some characters and hand Down to a list, the curve
// offset box with its 0.1 steps, and the station lists that report the
// operator's own picks (keyboard or mouse), not programmatic selection.

#include <QAbstractSpinBox>
#include <QLineEdit>
#include <QListWidget>

#include <functional>

namespace rs {

// A line edit that drops printable characters its filter refuses and moves the
// focus to a companion widget on Down. Control characters (Backspace, Enter,
// clipboard shortcuts) and navigation keys always pass.
class TFilteredEdit : public QLineEdit
{
    Q_OBJECT
public:
    using TCharFilter = std::function<bool(QChar)>;
    explicit TFilteredEdit(QWidget* parent = nullptr);

    void SetCharFilter(TCharFilter filter) { FFilter = std::move(filter); }
    void SetDownTarget(QWidget* target) { FDownTarget = target; }

protected:
    void keyPressEvent(QKeyEvent* e) override;

private:
    TCharFilter FFilter;
    QWidget* FDownTarget = nullptr;
};

// The curve offset ("Início (Zero) da curva"): free text that must stay a number
// while it is typed, "," and "." typed as the decimal separator, Up/Down and
// the arrow buttons step by 0.1 within -2.0 .. 2.0.
class TOffsetEdit : public QAbstractSpinBox
{
    Q_OBJECT
public:
    static constexpr double kMin = -2.0, kMax = 2.0, kStep = 0.1;
    explicit TOffsetEdit(QWidget* parent = nullptr);

    QString Text() const;
    void SetText(const QString& s);
    QLineEdit* Edit() const { return lineEdit(); }

    void stepBy(int steps) override;
    QValidator::State validate(QString& input, int& pos) const override;
    // Whether a text may stand in the box while being typed: a number, or the
    // beginning of one ("-", ",", "1e").
    static bool AcceptableWhileTyping(const QString& text);

protected:
    void keyPressEvent(QKeyEvent* e) override;
    StepEnabled stepEnabled() const override { return StepUpEnabled | StepDownEnabled; }
};

// A station list: emits Picked when the operator changes or clicks the current
// entry while the list has the focus.
class TStationListBox : public QListWidget
{
    Q_OBJECT
public:
    explicit TStationListBox(QWidget* parent = nullptr);

signals:
    void Picked(int row);

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
};

} // namespace rs
