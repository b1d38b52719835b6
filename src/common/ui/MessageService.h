#pragma once
// Modal message boxes of the program. Every window asks through Messages(), so
// tests install a TScriptedMessages that answers from a queue and records each
// box (type, text, buttons) instead of showing it.
//
// The boxes carry Portuguese captions by type ("Atenção", "Erro", "Informação",
// "Confirmação") and Portuguese buttons ("&Sim", "&Não", "OK", "Cancelar").
// Closing a box without choosing (Esc, the title bar's close) answers OK, No or
// Cancel for the three button sets.

#include <QList>
#include <QString>
#include <QStringList>

#include <deque>
#include <functional>
#include <memory>

class QMessageBox;
class QWidget;

namespace rs {

enum class TMsgType { Warning, Error, Information, Confirmation };
enum class TMsgButtons { OK, YesNo, YesNoCancel };
enum class TMsgResult { OK, Yes, No, Cancel };

QString MsgCaption(TMsgType type);       // "Atenção", "Erro", "Informação", "Confirmação"
QString MsgButtonText(TMsgResult button); // "OK", "&Sim", "&Não", "Cancelar"
// The answer of a box of that set closed without choosing a button.
TMsgResult MsgEscapeResult(TMsgButtons buttons);
// Whether the answer is one of the set's buttons.
bool MsgSetHas(TMsgButtons buttons, TMsgResult answer);

class IMessageService
{
public:
    virtual ~IMessageService() = default;
    // parent may be null: the box then belongs to the active window.
    virtual TMsgResult Show(QWidget* parent, TMsgType type, const QString& text, TMsgButtons buttons) = 0;
};

// The real boxes (QMessageBox, plain text, modal).
class TQtMessageService : public IMessageService
{
public:
    TMsgResult Show(QWidget* parent, TMsgType type, const QString& text, TMsgButtons buttons) override;
    // The box Show runs, built but not executed: caption, icon, plain text, the
    // set's buttons with their texts, the first button as default.
    static std::unique_ptr<QMessageBox> BuildBox(QWidget* parent, TMsgType type, const QString& text,
                                                 TMsgButtons buttons);
    // The answer for the button the box was closed with (the escape answer when none).
    static TMsgResult ResultOf(const QMessageBox& box, TMsgButtons buttons);
};

// Answers from a queue and records every box. With an empty queue a box gets
// the default answer when one is set and the box has that button, otherwise its
// escape answer (OK, No, Cancel). A queued answer that is not one of the box's
// buttons is returned as scripted, with a warning.
class TScriptedMessages : public IMessageService
{
public:
    struct TShown
    {
        TMsgType Type;
        QString Text;
        TMsgButtons Buttons;
        TMsgResult Answer;
    };

    TMsgResult Show(QWidget* parent, TMsgType type, const QString& text, TMsgButtons buttons) override;

    void SetNextAnswer(TMsgResult answer) { FAnswers.push_back(answer); } // queued, first in first out
    void SetDefaultAnswer(TMsgResult answer)
    {
        FDefault = answer;
        FHasDefault = true;
    }
    void ClearDefaultAnswer() { FHasDefault = false; }
    int PendingAnswers() const { return int(FAnswers.size()); }

    const QList<TShown>& Shown() const { return FShown; }
    int Count() const { return int(FShown.size()); }
    QString LastText() const { return FShown.isEmpty() ? QString() : FShown.back().Text; }
    QStringList Texts() const;
    void Clear() { FShown.clear(); }
    // Called with each box as it is shown (after recording), e.g. to check the state of the window
    // at that moment.
    std::function<void(const TShown&)> OnShow;

private:
    std::deque<TMsgResult> FAnswers;
    QList<TShown> FShown;
    TMsgResult FDefault = TMsgResult::OK;
    bool FHasDefault = false;
};

// The service in use: the one installed by SetMessages, else the real boxes.
IMessageService& Messages();
// Installs a service (not owned; nullptr restores the real boxes); returns the previous one
// (nullptr when it was the real boxes).
IMessageService* SetMessages(IMessageService* service);

// The usual call: a modal box through Messages().
TMsgResult MessageDlg(const QString& text, TMsgType type, TMsgButtons buttons = TMsgButtons::OK,
                      QWidget* parent = nullptr);
inline void ShowError(const QString& text, QWidget* parent = nullptr)
{
    MessageDlg(text, TMsgType::Error, TMsgButtons::OK, parent);
}
inline void ShowWarning(const QString& text, QWidget* parent = nullptr)
{
    MessageDlg(text, TMsgType::Warning, TMsgButtons::OK, parent);
}
inline void ShowInformation(const QString& text, QWidget* parent = nullptr)
{
    MessageDlg(text, TMsgType::Information, TMsgButtons::OK, parent);
}
// A confirmation with Yes and No; true for Yes.
inline bool AskYesNo(const QString& text, QWidget* parent = nullptr)
{
    return MessageDlg(text, TMsgType::Confirmation, TMsgButtons::YesNo, parent) == TMsgResult::Yes;
}

} // namespace rs
