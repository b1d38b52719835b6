#include "common/ui/MessageService.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

namespace rs {

QString MsgCaption(TMsgType type)
{
    switch (type) {
    case TMsgType::Warning: return QStringLiteral("Atenção");
    case TMsgType::Error: return QStringLiteral("Erro");
    case TMsgType::Information: return QStringLiteral("Informação");
    case TMsgType::Confirmation: return QStringLiteral("Confirmação");
    }
    return QString();
}

QString MsgButtonText(TMsgResult button)
{
    switch (button) {
    case TMsgResult::OK: return QStringLiteral("OK");
    case TMsgResult::Yes: return QStringLiteral("&Sim");
    case TMsgResult::No: return QStringLiteral("&Não");
    case TMsgResult::Cancel: return QStringLiteral("Cancelar");
    }
    return QString();
}

TMsgResult MsgEscapeResult(TMsgButtons buttons)
{
    switch (buttons) {
    case TMsgButtons::OK: return TMsgResult::OK;
    case TMsgButtons::YesNo: return TMsgResult::No;
    case TMsgButtons::YesNoCancel: return TMsgResult::Cancel;
    }
    return TMsgResult::Cancel;
}

bool MsgSetHas(TMsgButtons buttons, TMsgResult answer)
{
    switch (buttons) {
    case TMsgButtons::OK: return answer == TMsgResult::OK;
    case TMsgButtons::YesNo: return answer == TMsgResult::Yes || answer == TMsgResult::No;
    case TMsgButtons::YesNoCancel: return answer != TMsgResult::OK;
    }
    return false;
}

namespace {

QList<TMsgResult> ButtonsOf(TMsgButtons buttons)
{
    switch (buttons) {
    case TMsgButtons::OK: return {TMsgResult::OK};
    case TMsgButtons::YesNo: return {TMsgResult::Yes, TMsgResult::No};
    case TMsgButtons::YesNoCancel: return {TMsgResult::Yes, TMsgResult::No, TMsgResult::Cancel};
    }
    return {TMsgResult::OK};
}

QMessageBox::StandardButton StandardOf(TMsgResult r)
{
    switch (r) {
    case TMsgResult::OK: return QMessageBox::Ok;
    case TMsgResult::Yes: return QMessageBox::Yes;
    case TMsgResult::No: return QMessageBox::No;
    case TMsgResult::Cancel: return QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

QMessageBox::Icon IconOf(TMsgType type)
{
    switch (type) {
    case TMsgType::Warning: return QMessageBox::Warning;
    case TMsgType::Error: return QMessageBox::Critical;
    case TMsgType::Information: return QMessageBox::Information;
    case TMsgType::Confirmation: return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

} // namespace

std::unique_ptr<QMessageBox> TQtMessageService::BuildBox(QWidget* parent, TMsgType type, const QString& text,
                                                         TMsgButtons buttons)
{
    if (!parent)
        parent = QApplication::activeWindow();
    auto box = std::make_unique<QMessageBox>(parent);
    box->setWindowTitle(MsgCaption(type));
    box->setIcon(IconOf(type));
    // Texts such as "<b4>" are the program's own words, never markup.
    box->setTextFormat(Qt::PlainText);
    box->setText(text);
    box->setWindowModality(parent ? Qt::WindowModal : Qt::ApplicationModal);
    const QList<TMsgResult> list = ButtonsOf(buttons);
    for (TMsgResult r : list) {
        QPushButton* b = box->addButton(StandardOf(r));
        b->setText(MsgButtonText(r));
    }
    box->setDefaultButton(StandardOf(list.front()));
    box->setEscapeButton(box->button(StandardOf(MsgEscapeResult(buttons))));
    return box;
}

TMsgResult TQtMessageService::ResultOf(const QMessageBox& box, TMsgButtons buttons)
{
    const QAbstractButton* clicked = box.clickedButton();
    if (clicked) {
        for (TMsgResult r : ButtonsOf(buttons))
            if (box.button(StandardOf(r)) == clicked)
                return r;
    }
    return MsgEscapeResult(buttons);
}

TMsgResult TQtMessageService::Show(QWidget* parent, TMsgType type, const QString& text, TMsgButtons buttons)
{
    std::unique_ptr<QMessageBox> box = BuildBox(parent, type, text, buttons);
    box->exec();
    return ResultOf(*box, buttons);
}

TMsgResult TScriptedMessages::Show(QWidget*, TMsgType type, const QString& text, TMsgButtons buttons)
{
    // The default answer fits the boxes that have that button; the others close with Escape.
    TMsgResult answer = FHasDefault && MsgSetHas(buttons, FDefault) ? FDefault : MsgEscapeResult(buttons);
    if (!FAnswers.empty()) {
        answer = FAnswers.front();
        FAnswers.pop_front();
    }
    if (!MsgSetHas(buttons, answer))
        qWarning("Scripted answer %d is not a button of the box \"%s\"", int(answer), qPrintable(text));
    FShown.push_back({type, text, buttons, answer});
    if (OnShow)
        OnShow(FShown.back());
    return answer;
}

QStringList TScriptedMessages::Texts() const
{
    QStringList list;
    for (const TShown& s : FShown)
        list << s.Text;
    return list;
}

namespace {
IMessageService* GMessages = nullptr;
}

IMessageService& Messages()
{
    static TQtMessageService real;
    return GMessages ? *GMessages : real;
}

IMessageService* SetMessages(IMessageService* service)
{
    IMessageService* old = GMessages;
    GMessages = service;
    return old;
}

TMsgResult MessageDlg(const QString& text, TMsgType type, TMsgButtons buttons, QWidget* parent)
{
    return Messages().Show(parent, type, text, buttons);
}

} // namespace rs
