#include "chartwin/uRChartWndServices.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QThread>
#include <QWidget>

#include <deque>
#include <optional>

namespace rs::wnd {

namespace {

struct TScriptState
{
    bool Active = false;
    std::deque<TMsgAnswer> Answers;
    std::deque<QStringList> OpenFiles;
    QList<script::TMessageRecord> Messages;
    std::optional<qint64> Clock;
    int Beeps = 0;
};

TScriptState& Script()
{
    static TScriptState s;
    return s;
}

QString Caption(TMsgKind kind)
{
    switch (kind) {
    case TMsgKind::Warning: return QStringLiteral("Atenção");
    case TMsgKind::Error: return QStringLiteral("Erro");
    case TMsgKind::Information: return QStringLiteral("Informação");
    case TMsgKind::Confirmation: return QStringLiteral("Confirmação");
    }
    return {};
}

QMessageBox::Icon Icon(TMsgKind kind)
{
    switch (kind) {
    case TMsgKind::Warning: return QMessageBox::Warning;
    case TMsgKind::Error: return QMessageBox::Critical;
    case TMsgKind::Information: return QMessageBox::Information;
    case TMsgKind::Confirmation: return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

TMsgAnswer FirstAnswer(TMsgButtons b) { return b == TMsgButtons::Ok ? TMsgAnswer::Ok : TMsgAnswer::Yes; }

} // namespace

TMsgAnswer Message(const QString& text, TMsgKind kind, TMsgButtons buttons)
{
    TScriptState& s = Script();
    if (s.Active) {
        s.Messages.push_back({text, kind, buttons});
        if (s.Answers.empty())
            return FirstAnswer(buttons);
        const TMsgAnswer a = s.Answers.front();
        s.Answers.pop_front();
        return a;
    }
    QMessageBox box(Icon(kind), Caption(kind), text, QMessageBox::NoButton, QApplication::activeWindow());
    QPushButton* ok = nullptr;
    QPushButton* yes = nullptr;
    QPushButton* no = nullptr;
    QPushButton* cancel = nullptr;
    if (buttons == TMsgButtons::Ok) {
        ok = box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
        box.setEscapeButton(ok);
    } else {
        yes = box.addButton(QStringLiteral("&Sim"), QMessageBox::YesRole);
        no = box.addButton(QStringLiteral("&Não"), QMessageBox::NoRole);
        if (buttons == TMsgButtons::YesNoCancel) {
            cancel = box.addButton(QStringLiteral("Cancelar"), QMessageBox::RejectRole);
            box.setEscapeButton(cancel);
        } else
            box.setEscapeButton(no);
        box.setDefaultButton(yes);
    }
    box.exec();
    QAbstractButton* clicked = box.clickedButton();
    if (clicked && clicked == yes)
        return TMsgAnswer::Yes;
    if (clicked && clicked == no)
        return TMsgAnswer::No;
    if (buttons == TMsgButtons::Ok)
        return TMsgAnswer::Ok;
    return buttons == TMsgButtons::YesNoCancel ? TMsgAnswer::Cancel : TMsgAnswer::No;
}

void HandleException(const std::exception& e) { ShowError(QString::fromUtf8(e.what())); }

QStringList OpenDataFiles(QWidget* parent, const QString& folder)
{
    TScriptState& s = Script();
    if (s.Active) {
        if (s.OpenFiles.empty())
            return {};
        QStringList files = s.OpenFiles.front();
        s.OpenFiles.pop_front();
        return files;
    }
    QFileDialog dlg(parent, QStringLiteral("Abrir"), folder,
                    QStringLiteral("Arquivos de Dados Pluviográficos (*.pvd)"));
    dlg.setFileMode(QFileDialog::ExistingFiles);
    dlg.setAcceptMode(QFileDialog::AcceptOpen);
    dlg.setOption(QFileDialog::ReadOnly, false);
    dlg.setDefaultSuffix(QStringLiteral("pvd"));
    dlg.setSizeGripEnabled(true);
    if (dlg.exec() != QDialog::Accepted)
        return {};
    return dlg.selectedFiles();
}

qint64 TickCount()
{
    TScriptState& s = Script();
    if (s.Clock)
        return *s.Clock;
    static QElapsedTimer timer;
    if (!timer.isValid())
        timer.start();
    return timer.elapsed();
}

void SleepMs(int ms)
{
    TScriptState& s = Script();
    if (s.Clock) {
        *s.Clock += ms;
        return;
    }
    QThread::msleep((unsigned long)std::max(0, ms));
}

bool ShiftDown() { return QGuiApplication::queryKeyboardModifiers() & Qt::ShiftModifier; }

bool CtrlDown() { return QGuiApplication::queryKeyboardModifiers() & Qt::ControlModifier; }

void Beep()
{
    TScriptState& s = Script();
    if (s.Active) {
        ++s.Beeps;
        return;
    }
    QApplication::beep();
}

QString ShortHint(const QString& hint)
{
    const qsizetype bar = hint.indexOf(QLatin1Char('|'));
    return bar < 0 ? hint : hint.left(bar);
}

QString LongHint(const QString& hint)
{
    const qsizetype bar = hint.indexOf(QLatin1Char('|'));
    return bar < 0 ? hint : hint.mid(bar + 1);
}

void SetHint(QAction* action, const QString& hint)
{
    action->setToolTip(ShortHint(hint));
    action->setStatusTip(LongHint(hint));
}

void SetHint(QWidget* widget, const QString& hint)
{
    widget->setToolTip(ShortHint(hint));
    widget->setStatusTip(LongHint(hint));
}

} // namespace rs::wnd

namespace rs::wnd::script {

void Begin()
{
    Script() = TScriptState{};
    Script().Active = true;
}

void End() { Script() = TScriptState{}; }

bool Active() { return Script().Active; }

void PushAnswer(TMsgAnswer a) { Script().Answers.push_back(a); }

void PushOpenFiles(const QStringList& files) { Script().OpenFiles.push_back(files); }

const QList<TMessageRecord>& Messages() { return Script().Messages; }

void ClearMessages() { Script().Messages.clear(); }

void SetClock(qint64 now) { Script().Clock = now; }

int Beeps() { return Script().Beeps; }

} // namespace rs::wnd::script
