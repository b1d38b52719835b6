// The platform service seams: scripted and real message boxes, the general
// error handler (also through the application's notify), hints, validation
// feedback, the folder browser and the file dialog requests.

#include "common/ui/ErrorHandler.h"
#include "common/ui/FolderBrowser.h"
#include "common/ui/MessageService.h"
#include "common/ui/PlatformServices.h"
#include "common/ui/QtTranslations.h"
#include "common/ui/RainScribeApp.h"
#include "common/ui/UiHelpers.h"
#include "ui_support/FakeServicesScope.h"

#include <QAction>
#include <QColorDialog>
#include <QDialogButtonBox>
#include <QDialog>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTextDocument>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>
#include <QtTest>

#include <stdexcept>

using namespace rs;

namespace {

// Throws from its event handler, as a failing command would.
class TThrowingWidget : public QWidget
{
public:
    bool event(QEvent* e) override
    {
        if (e->type() == QEvent::User)
            throw std::runtime_error("Não foi possível criar o arquivo \"x.pvd\".");
        if (e->type() == QEvent::User + 1)
            throw 42;
        return QWidget::event(e);
    }
};

QStringList ButtonTexts(const QMessageBox& box)
{
    QStringList list;
    for (QAbstractButton* b : box.buttons())
        list << b->text();
    list.sort();
    return list;
}

// What a user reads in a tooltip: Qt shows it as rich text when it looks like markup.
QString ShownTooltip(const QString& tip)
{
    QTextDocument doc;
    if (Qt::mightBeRichText(tip))
        doc.setHtml(tip);
    else
        doc.setPlainText(tip);
    return doc.toPlainText();
}

} // namespace

class TestServices : public QObject
{
    Q_OBJECT
private slots:
    void scriptedAnswersComeInOrderAndEveryBoxIsRecorded();
    void scriptedBoxesWithoutAnswerCloseLikeEscape();
    void realBoxHasPortugueseCaptionsAndButtons();
    void realBoxReportsTheButtonChosen();
    void realShowRunsModallyAndReturnsTheClick();
    void guardedCommandShowsTheErrorAndGoesOn();
    void errorsWhileTheErrorBoxIsUpDoNotPileUp();
    void applicationNotifyCatchesHandlerExceptions();
    void hintsSplitAtTheFirstBar();
    void installedHintsFeedTooltipAndStatusBar();
    void errorIfShowsTheMessageAndFocusesTheControl();
    void folderBrowserAsksWithItsTitleAndKeepsFolderOnCancel();
    void openDialogRequestBecomesTheDialogsSettings();
    void filtersInPairsBecomeQtFilters();
    void accessorsRouteToInstalledFakesAndBack();
    void qtDialogsAndButtonsSpeakPortuguese(); // last: the translation stays installed
};

void TestServices::scriptedAnswersComeInOrderAndEveryBoxIsRecorded()
{
    TFakeServicesScope fakes;
    fakes.Messages.SetNextAnswer(TMsgResult::No);
    fakes.Messages.SetNextAnswer(TMsgResult::Yes);
    QCOMPARE(MessageDlg("Salvar alterações?", TMsgType::Confirmation, TMsgButtons::YesNoCancel),
             TMsgResult::No);
    QVERIFY(AskYesNo("Excluir o ponto?"));
    ShowError("O arquivo x.pvd não pode ser aberto");
    ShowWarning("São necessários pelo menos 6 pontos");
    ShowInformation("Pronto.");

    const auto& shown = fakes.Messages.Shown();
    QCOMPARE(shown.size(), 5);
    QCOMPARE(shown[0].Type, TMsgType::Confirmation);
    QCOMPARE(shown[0].Buttons, TMsgButtons::YesNoCancel);
    QCOMPARE(shown[0].Text, QString("Salvar alterações?"));
    QCOMPARE(shown[1].Buttons, TMsgButtons::YesNo);
    QCOMPARE(shown[1].Answer, TMsgResult::Yes);
    QCOMPARE(shown[2].Type, TMsgType::Error);
    QCOMPARE(shown[2].Buttons, TMsgButtons::OK);
    QCOMPARE(shown[3].Type, TMsgType::Warning);
    QCOMPARE(shown[4].Type, TMsgType::Information);
    QCOMPARE(fakes.Messages.LastText(), QString("Pronto."));
    QCOMPARE(fakes.Messages.PendingAnswers(), 0);
}

void TestServices::scriptedBoxesWithoutAnswerCloseLikeEscape()
{
    TFakeServicesScope fakes;
    QCOMPARE(MessageDlg("a", TMsgType::Warning, TMsgButtons::OK), TMsgResult::OK);
    QCOMPARE(MessageDlg("b", TMsgType::Confirmation, TMsgButtons::YesNo), TMsgResult::No);
    QCOMPARE(MessageDlg("c", TMsgType::Confirmation, TMsgButtons::YesNoCancel), TMsgResult::Cancel);
    fakes.Messages.SetDefaultAnswer(TMsgResult::Yes);
    QCOMPARE(MessageDlg("d", TMsgType::Confirmation, TMsgButtons::YesNoCancel), TMsgResult::Yes);
    QCOMPARE(MessageDlg("e", TMsgType::Information, TMsgButtons::OK), TMsgResult::OK);
    QCOMPARE(fakes.Messages.Texts(), QStringList({"a", "b", "c", "d", "e"}));
}

void TestServices::realBoxHasPortugueseCaptionsAndButtons()
{
    const struct
    {
        TMsgType Type;
        const char* Caption;
        QMessageBox::Icon Icon;
    } types[] = {{TMsgType::Warning, "Atenção", QMessageBox::Warning},
                 {TMsgType::Error, "Erro", QMessageBox::Critical},
                 {TMsgType::Information, "Informação", QMessageBox::Information},
                 {TMsgType::Confirmation, "Confirmação", QMessageBox::Question}};
    for (const auto& t : types) {
        auto box = TQtMessageService::BuildBox(nullptr, t.Type, "Texto", TMsgButtons::OK);
        QCOMPARE(box->windowTitle(), QString(t.Caption));
        QCOMPARE(box->icon(), t.Icon);
        QCOMPARE(ButtonTexts(*box), QStringList({"OK"}));
    }

    // Markup-like words of the program ("<b4>") are shown as typed.
    auto box = TQtMessageService::BuildBox(nullptr, TMsgType::Confirmation, "Botão <b4>?", TMsgButtons::YesNoCancel);
    QCOMPARE(box->textFormat(), Qt::PlainText);
    QCOMPARE(box->text(), QString("Botão <b4>?"));
    QCOMPARE(ButtonTexts(*box), QStringList({"&Não", "&Sim", "Cancelar"}));
    QCOMPARE(box->defaultButton(), box->button(QMessageBox::Yes));
    QCOMPARE(box->escapeButton(), box->button(QMessageBox::Cancel));

    auto yesNo = TQtMessageService::BuildBox(nullptr, TMsgType::Confirmation, "?", TMsgButtons::YesNo);
    QCOMPARE(ButtonTexts(*yesNo), QStringList({"&Não", "&Sim"}));
    QCOMPARE(yesNo->escapeButton(), yesNo->button(QMessageBox::No));
}

void TestServices::realBoxReportsTheButtonChosen()
{
    auto box = TQtMessageService::BuildBox(nullptr, TMsgType::Confirmation, "?", TMsgButtons::YesNoCancel);
    QCOMPARE(TQtMessageService::ResultOf(*box, TMsgButtons::YesNoCancel), TMsgResult::Cancel);
    box->show();
    box->button(QMessageBox::No)->click();
    QCOMPARE(TQtMessageService::ResultOf(*box, TMsgButtons::YesNoCancel), TMsgResult::No);

    auto esc = TQtMessageService::BuildBox(nullptr, TMsgType::Confirmation, "?", TMsgButtons::YesNo);
    esc->show();
    QVERIFY(QTest::qWaitForWindowExposed(esc.get()));
    QTest::keyClick(esc.get(), Qt::Key_Escape);
    QCOMPARE(TQtMessageService::ResultOf(*esc, TMsgButtons::YesNo), TMsgResult::No);
}

void TestServices::realShowRunsModallyAndReturnsTheClick()
{
    QString caption;
    QTimer::singleShot(0, [&caption] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        QVERIFY(box);
        caption = box->windowTitle();
        box->button(QMessageBox::Yes)->click();
    });
    TQtMessageService real;
    QCOMPARE(real.Show(nullptr, TMsgType::Confirmation, "Continuar?", TMsgButtons::YesNo), TMsgResult::Yes);
    QCOMPARE(caption, QString("Confirmação"));
}

void TestServices::guardedCommandShowsTheErrorAndGoesOn()
{
    TFakeServicesScope fakes;
    bool ran = false;
    QVERIFY(RunGuarded([&] { ran = true; }));
    QVERIFY(ran);
    QCOMPARE(fakes.Messages.Count(), 0);

    QVERIFY(!RunGuarded([] { throw std::runtime_error("Não foi possível criar a pasta \"C:\\dados\"."); }));
    QCOMPARE(fakes.Messages.Count(), 1);
    QCOMPARE(fakes.Messages.Shown()[0].Type, TMsgType::Error);
    QCOMPARE(fakes.Messages.Shown()[0].Buttons, TMsgButtons::OK);
    QCOMPARE(fakes.Messages.LastText(), QString("Não foi possível criar a pasta \"C:\\dados\"."));

    // A Windows-1252 message from a platform routine reads the same.
    QVERIFY(!RunGuarded([] { throw std::runtime_error("Esta\xe7\xe3o inv\xe1lida"); }));
    QCOMPARE(fakes.Messages.LastText(), QString("Estação inválida"));

    QVERIFY(!RunGuarded([] { throw 7; }));
    QCOMPARE(fakes.Messages.LastText(), QString("Ocorreu um erro inesperado."));
}

void TestServices::errorsWhileTheErrorBoxIsUpDoNotPileUp()
{
    TFakeServicesScope fakes;
    int inner = 0;
    fakes.Messages.OnShow = [&](const TScriptedMessages::TShown&) {
        // A handler failing again while the first box is up.
        if (inner++ == 0)
            RunGuarded([] { throw std::runtime_error("de novo"); });
    };
    QTest::ignoreMessage(QtWarningMsg, "de novo");
    RunGuarded([] { throw std::runtime_error("primeiro"); });
    QCOMPARE(fakes.Messages.Texts(), QStringList({"primeiro"}));
    // Once the box is gone the next error is shown again.
    RunGuarded([] { throw std::runtime_error("segundo"); });
    QCOMPARE(fakes.Messages.Texts(), QStringList({"primeiro", "segundo"}));
}

void TestServices::applicationNotifyCatchesHandlerExceptions()
{
    auto* app = qobject_cast<TRainScribeApp*>(QCoreApplication::instance());
    QVERIFY(app);
    TFakeServicesScope fakes;
    TThrowingWidget w;
    const int before = app->CaughtErrors();
    QEvent user(QEvent::User);
    QCOMPARE(QCoreApplication::sendEvent(&w, &user), false);
    QCOMPARE(fakes.Messages.LastText(), QString("Não foi possível criar o arquivo \"x.pvd\"."));
    QCOMPARE(fakes.Messages.Shown().back().Type, TMsgType::Error);

    QEvent other(QEvent::Type(QEvent::User + 1));
    QCoreApplication::sendEvent(&w, &other);
    QCOMPARE(fakes.Messages.LastText(), QString("Ocorreu um erro inesperado."));
    QCOMPARE(app->CaughtErrors(), before + 2);

    // The program goes on: ordinary events still arrive.
    QEvent normal(QEvent::Type(QEvent::User + 2));
    QCoreApplication::sendEvent(&w, &normal);
    QCOMPARE(fakes.Messages.Count(), 2);
}

void TestServices::hintsSplitAtTheFirstBar()
{
    THint h = SplitHint("Abre|Abre um ou mais arquivos de dados");
    QCOMPARE(h.Short, QString("Abre"));
    QCOMPARE(h.Long, QString("Abre um ou mais arquivos de dados"));
    h = SplitHint("Finaliza o programa");
    QCOMPARE(h.Short, QString("Finaliza o programa"));
    QCOMPARE(h.Long, QString("Finaliza o programa"));
    h = SplitHint("|Pressione <Esc> ou <Enter> para fechar.");
    QCOMPARE(h.Short, QString());
    QCOMPARE(h.Long, QString("Pressione <Esc> ou <Enter> para fechar."));
    h = SplitHint("a|b|c");
    QCOMPARE(h.Short, QString("a"));
    QCOMPARE(h.Long, QString("b|c"));
    h = SplitHint("");
    QCOMPARE(h.Short, QString());
    QCOMPARE(h.Long, QString());
}

void TestServices::installedHintsFeedTooltipAndStatusBar()
{
    QAction action("&Definir Escala...");
    InstallHint(&action, "Define Escala|Define uma escala de conversão, através da marcação de pontos de controle");
    QCOMPARE(action.toolTip(), QString("Define Escala"));
    QCOMPARE(action.statusTip(), QString("Define uma escala de conversão, através da marcação de pontos de controle"));

    QWidget w;
    InstallHint(&w, "Sinzaliza transbordamento <b4>|Insere um pico ou transbordamento e retorna a zero, segundos após");
    QCOMPARE(ShownTooltip(w.toolTip()), QString("Sinzaliza transbordamento <b4>"));
    QCOMPARE(w.statusTip(), QString("Insere um pico ou transbordamento e retorna a zero, segundos após"));

    // Line breaks stay in the tooltip and become blanks in the one-line status bar.
    InstallHint(&w, "As coodenadas devem ser digitadas\r\na cada ponto marcado. Menos prático!");
    QCOMPARE(ShownTooltip(w.toolTip()), QString("As coodenadas devem ser digitadas\na cada ponto marcado. Menos prático!"));
    QCOMPARE(w.statusTip(), QString("As coodenadas devem ser digitadas a cada ponto marcado. Menos prático!"));
}

void TestServices::errorIfShowsTheMessageAndFocusesTheControl()
{
    TFakeServicesScope fakes;
    QDialog dlg;
    auto* other = new QLineEdit("outro", &dlg);
    auto* edit = new QLineEdit("abc", &dlg);
    auto* off = new QLineEdit(&dlg);
    auto* lay = new QVBoxLayout(&dlg);
    lay->addWidget(other);
    lay->addWidget(edit);
    lay->addWidget(off);
    dlg.show();
    QVERIFY(QTest::qWaitForWindowActive(&dlg));
    other->setFocus();

    QVERIFY(!ErrorIf(edit, false, "nunca"));
    QCOMPARE(fakes.Messages.Count(), 0);
    QVERIFY(other->hasFocus());

    QVERIFY(ErrorIf(edit, true, "Informe o código da estação"));
    QCOMPARE(fakes.Messages.Count(), 1);
    QCOMPARE(fakes.Messages.Shown()[0].Type, TMsgType::Error);
    QCOMPARE(fakes.Messages.Shown()[0].Buttons, TMsgButtons::OK);
    QCOMPARE(fakes.Messages.LastText(), QString("Informe o código da estação"));
    QVERIFY(edit->hasFocus());
    QCOMPARE(edit->selectedText(), QString("abc"));

    // A control that cannot take the focus leaves it where it was; the message still shows.
    EnableControls({off}, false);
    QVERIFY(!off->isEnabled());
    QVERIFY(ErrorIf(off, true, "x"));
    QCOMPARE(fakes.Messages.Count(), 2);
    QVERIFY(edit->hasFocus());
    QVERIFY(ErrorIf(nullptr, true, "sem controle"));
    QCOMPARE(fakes.Messages.Count(), 3);
}

void TestServices::folderBrowserAsksWithItsTitleAndKeepsFolderOnCancel()
{
    TFakeServicesScope fakes;
    TFolderBrowser fb;
    QCOMPARE(fb.Title, QString("Select folder"));
    fb.Title = "Selecione uma pasta";
    fb.Folder = "/dados/antigos";

    fakes.FolderDialog.SetNextFolder(std::nullopt);
    QVERIFY(!fb.Execute());
    QCOMPARE(fb.Folder, QString("/dados/antigos"));

    fakes.FolderDialog.SetNextFolder(QString("/dados/novos"));
    QVERIFY(fb.Execute());
    QCOMPARE(fb.Folder, QString("/dados/novos"));
    QCOMPARE(fakes.FolderDialog.Requests().size(), 2);
    QCOMPARE(fakes.FolderDialog.Requests()[1].Title, QString("Selecione uma pasta"));
    QCOMPARE(fakes.FolderDialog.Requests()[1].Folder, QString("/dados/antigos"));
    QVERIFY(fakes.FolderDialog.Requests()[1].DirsOnly);

    // A change handler that refuses the folder keeps OK disabled: nothing is chosen.
    fb.OnChangeFolder = [](const QString& folder, int& enabledOK, QString& status) {
        enabledOK = folder.endsWith("proibida") ? 0 : 1;
        status = "Pasta: " + folder;
    };
    fakes.FolderDialog.SetNextFolder(QString("/proibida"));
    QVERIFY(!fb.Execute());
    QCOMPARE(fb.Folder, QString("/dados/novos"));
    QCOMPARE(fakes.FolderDialog.LastStatusText(), QString("Pasta: /proibida"));
}

void TestServices::openDialogRequestBecomesTheDialogsSettings()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QFileDialog::FileMode mode = QFileDialog::AnyFile;
    QStringList filters;
    QString title;
    QTimer::singleShot(0, [&] {
        auto* dlg = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        QVERIFY(dlg);
        mode = dlg->fileMode();
        filters = dlg->nameFilters();
        title = dlg->windowTitle();
        dlg->reject();
    });
    TFileDialogRequest request;
    request.Title = "Abrir";
    request.Filter = "Arquivos de Dados Pluviográficos (*.pvd)|*.pvd";
    request.InitialDir = dir.path();
    request.MultiSelect = true;
    request.DefaultExt = "pvd";
    QVERIFY(FileDialogs().AskOpenFileNames(nullptr, request).isEmpty()); // cancelled
    QCOMPARE(mode, QFileDialog::ExistingFiles);
    QCOMPARE(filters, QStringList({"Arquivos de Dados Pluviográficos (*.pvd)"}));
    QCOMPARE(title, QString("Abrir"));

    TFakeServicesScope fakes;
    fakes.FileDialogs.SetNextOpenFiles({"a.pvd", "b.pvd"});
    QCOMPARE(FileDialogs().AskOpenFileNames(nullptr, request), QStringList({"a.pvd", "b.pvd"}));
    QCOMPARE(fakes.FileDialogs.OpenRequests().size(), 1);
    QVERIFY(FileDialogs().AskOpenFileNames(nullptr, request).isEmpty());
}

void TestServices::filtersInPairsBecomeQtFilters()
{
    QCOMPARE(ToQtFilter("Arquivos de Dados Pluviográficos (*.pvd)|*.pvd"),
             QString("Arquivos de Dados Pluviográficos (*.pvd)"));
    QCOMPARE(ToQtFilter("Textos|*.txt;*.csv|Todos|*.*"), QString("Textos (*.txt *.csv);;Todos (*.*)"));
    QCOMPARE(ToQtFilter("Dados (*.pvd);;Todos (*)"), QString("Dados (*.pvd);;Todos (*)"));
}

void TestServices::accessorsRouteToInstalledFakesAndBack()
{
    IClipboard* real = &Clipboard();
    {
        TFakeServicesScope fakes;
        QCOMPARE(&Clipboard(), static_cast<IClipboard*>(&fakes.Clipboard));
        Beep();
        Beep();
        QCOMPARE(fakes.Beeper.Count(), 2);
        fakes.Keyboard.SetShift(true);
        QVERIFY(IsShiftDown() && !IsCtrlDown());
        fakes.Keyboard.PresetNumLock(false);
        SetNumLock(true);
        QVERIFY(IsNumLockOn());
        fakes.Clock.Set(5000);
        fakes.Clock.SetAutoStep(10);
        QCOMPARE(TickCount(), qint64(5000));
        QCOMPARE(TickCount(), qint64(5010));
        QVERIFY(OpenMailTo("suporte@example.com"));
        QCOMPARE(fakes.Urls.Opened().size(), 1);
        QCOMPARE(fakes.Urls.Opened()[0], QUrl("mailto:suporte@example.com"));
    }
    QCOMPARE(&Clipboard(), real);
    // The real clock is monotonic.
    const qint64 a = TickCount();
    QVERIFY(TickCount() >= a);
}

// The platform's own dialogs and the standard buttons, in the texts the operator reads.
void TestServices::qtDialogsAndButtonsSpeakPortuguese()
{
    QVERIFY2(InstallQtTranslations(*qApp), qPrintable(QtTranslationFolders()));
    QDialogButtonBox box(QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Save |
                         QDialogButtonBox::Yes | QDialogButtonBox::No);
    QStringList buttons;
    for (auto b : {QDialogButtonBox::Cancel, QDialogButtonBox::Save, QDialogButtonBox::Yes, QDialogButtonBox::No})
        buttons << box.button(b)->text();
    QCOMPARE(buttons.join(QLatin1Char('|')), QString::fromUtf8("Cancelar|Salvar|&Sim|&Não"));

    QFileDialog files;
    files.setOption(QFileDialog::DontUseNativeDialog);
    QCOMPARE(files.labelText(QFileDialog::FileType), QString::fromUtf8("Arquivos do tipo:"));
    QCOMPARE(files.labelText(QFileDialog::Reject), QString::fromUtf8("Cancelar"));
    QColorDialog colours;
    colours.setOption(QColorDialog::DontUseNativeDialog);
    QCOMPARE(colours.windowTitle(), QString::fromUtf8("Selecionar cor"));
}

// The tests run inside the program's own application object, so its notify is exercised.
int main(int argc, char** argv)
{
    TRainScribeApp app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    TestServices tc;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&tc, argc, argv);
}

#include "tst_Services.moc"
