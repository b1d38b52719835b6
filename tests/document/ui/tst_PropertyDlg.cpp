// The pluviogram properties dialog: station lists, filling, the OK checks in
// their order, confirmations, typing aids, preview and the returned record.

#include "common/Utils.h"
#include "chartwin/ChartImage.h"
#include "common/ui/MessageService.h"
#include "document/ui/PropertyEdits.h"
#include "document/ui/uPropertyDlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <fstream>
#include <memory>

using namespace rs;

namespace {

const char* const kStations = RS_TEST_DATA "/properties/CodigoEstacoes.txt";

QString U(const char* s) { return QString::fromUtf8(s); }

// Records every message the dialog shows and answers confirmations from a queue
// (an empty queue answers No, the escape answer).
struct TScript
{
    TScriptedMessages Boxes;
    IMessageService* Previous;
    QStringList Messages;
    QList<bool> Confirmations; // true: the message asked Yes/No
    void AnswerYes() { Boxes.SetNextAnswer(TMsgResult::Yes); }
    TScript()
    {
        Previous = SetMessages(&Boxes);
        Boxes.OnShow = [this](const TScriptedMessages::TShown& box) {
            Messages << box.Text;
            Confirmations << (box.Buttons == TMsgButtons::YesNo);
            QCOMPARE(box.Type, box.Buttons == TMsgButtons::YesNo ? TMsgType::Confirmation : TMsgType::Error);
        };
    }
    ~TScript() { SetMessages(Previous); }
};

void Touch(const std::string& path)
{
    ForceDirectories(ExtractFilePath(path));
    std::ofstream(path, std::ios::binary) << "x";
}

} // namespace

class TestPropertyDlg : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> FDir;
    std::unique_ptr<TPropertyDlg> FDlg;

    template <class T> T* W(const char* name) const
    {
        T* w = FDlg->findChild<T*>(QString::fromLatin1(name));
        if (!w)
            qFatal("no widget %s", name);
        return w;
    }
    QLineEdit* Name() const { return W<QLineEdit>("edName"); }
    QLineEdit* Code() const { return W<QLineEdit>("edCode"); }
    TStationListBox* Names() const { return W<TStationListBox>("lbNames"); }
    TStationListBox* Codes() const { return W<TStationListBox>("lbCodes"); }
    QComboBox* Kind() const { return W<QComboBox>("cbKind"); }
    QComboBox* Axis() const { return W<QComboBox>("cbAxis"); }
    QComboBox* Hour() const { return W<QComboBox>("cbHour"); }
    QLineEdit* Date() const { return W<QLineEdit>("edDate"); }
    QLineEdit* PTot() const { return W<QLineEdit>("edPTot"); }
    TOffsetEdit* Dh() const { return W<TOffsetEdit>("edDh"); }
    TChartImage* Preview() const { return W<TChartImage>("ciPreview"); }

    std::string Folder() const { return FDir->path().toStdString() + "/"; }

    // Shows the dialog for a record, as EditProperties does, but without a nested loop.
    void Open(const TRChartInfo& info)
    {
        FDlg->SetInfo(info);
        FDlg->show();
        FDlg->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(FDlg.get()));
    }
    void FillValid()
    {
        Name()->setText(U("Estação Teste"));
        Code()->setText("12345678");
        Date()->setText("08/05/1976");
        Kind()->setCurrentIndex(0);
        PTot()->clear();
        Dh()->SetText("0.0");
    }
    static TRChartInfo Existing(TRChart& chart, const std::string& folder)
    {
        chart.Info.StName = "Santos";
        chart.Info.StCode = "00246001";
        chart.Info.Date = EncodeDate(1976, 5, 8);
        chart.Info.Hour = 8;
        chart.Info.Linear = false;
        chart.Info.PTot = 12.25;
        chart.Info.Dh = 0.25;
        chart.Info.Total = 11.5;
        chart.Info.PModel = "IH";
        chart.Info.OpName = "Jo\xE3o";
        chart.Info.Notes = "linha 1\r\nlinha 2";
        chart.Info.FileName = folder + "00246001/00246001-19760508.pvd";
        return chart.Info;
    }

private slots:
    void initTestCase()
    {
        // The pictures come from the program's resources; a test program built
        // without them takes the same files from the source tree.
        if (!TChartImage::Pictures().Usable()) {
            const QString dir = QStringLiteral(RS_TEST_DATA "/../../resources/");
            TChartPictures p;
            p.PluvL.load(dir + "charts/PluvL.png");
            p.PluvNL.load(dir + "charts/PluvNL.png");
            for (int i = 0; i < 3; ++i)
                p.Strip[i].load(dir + QString("charts/T%1h.png").arg(7 + i));
            TChartImage::SetPictures(p);
        }
        QVERIFY(TChartImage::Pictures().Usable());
    }

    void init()
    {
        SetDecimalSeparator('.');
        FDir = std::make_unique<QTemporaryDir>();
        SetDataFolder(Folder());
        FDlg = std::make_unique<TPropertyDlg>(nullptr, kStations);
    }
    void cleanup()
    {
        FDlg.reset();
        FDir.reset();
        SetDecimalSeparator('.');
    }

    void stationListsSortedAndPaired()
    {
        const auto& names = FDlg->Stations().Names();
        const auto& codes = FDlg->Stations().Codes();
        QCOMPARE(int(names.size()), 9); // the heading line and the empty line have no "="
        QCOMPARE(int(codes.size()), 9);
        for (std::size_t i = 1; i < names.size(); ++i) {
            QVERIFY(CompareTextCI(names[i - 1], names[i]) <= 0);
            QVERIFY(CompareTextCI(codes[i - 1], codes[i]) <= 0);
        }
        QCOMPARE(Names()->item(0)->text(), U("Águas Claras"));
        QCOMPARE(Names()->count(), 9);
        QCOMPARE(Codes()->item(0)->text(), QString("00147007"));
        // Blanks around code and name are trimmed; pairs follow the file's lines.
        const int santos = int(std::find(names.begin(), names.end(), "Santos") - names.begin());
        QCOMPARE(QString::fromStdString(codes[std::size_t(FDlg->Stations().CodeOfName(santos))]),
                 QString("00246001"));
        const int sp = int(std::find(codes.begin(), codes.end(), "00147007") - codes.begin());
        QCOMPARE(Names()->item(FDlg->Stations().NameOfCode(sp))->text(), U("São Paulo"));

        TPropertyDlg utf8(nullptr, RS_TEST_DATA "/properties/CodigoEstacoesUtf8.txt");
        QVERIFY(utf8.Stations().Names() == names);
        TPropertyDlg none(nullptr, Folder() + "CodigoEstacoes.txt");
        QVERIFY(none.Stations().Names().empty());
        QCOMPARE(none.findChild<QListWidget*>("lbNames")->count(), 0);
    }

    void controlsAndCaptions()
    {
        QCOMPARE(FDlg->windowTitle(), U("Propriedades do Novo Pluviograma"));
        auto* tabs = W<QTabWidget>("pcPages");
        QCOMPARE(tabs->count(), 2);
        QCOMPARE(tabs->tabText(0), U("Essenciais"));
        QCOMPARE(tabs->tabText(1), U("Adicionais"));
        QStringList kinds, axes, hours;
        for (int i = 0; i < Kind()->count(); ++i)
            kinds << Kind()->itemText(i);
        for (int i = 0; i < Axis()->count(); ++i)
            axes << Axis()->itemText(i);
        for (int i = 0; i < Hour()->count(); ++i)
            hours << Hour()->itemText(i);
        QCOMPARE(kinds, QStringList({U("Com precipitação"), U("Sem precipitação"), U("Ausente -> falha")}));
        QCOMPARE(axes, QStringList({"Normal ", "Curvo"}));
        QCOMPARE(hours, QStringList({"7h", "8h", "9h"}));
        QCOMPARE(Dh()->Text(), QString("0.0"));
        QVERIFY(!W<QCheckBox>("cbAutoClear")->isChecked());
        QVERIFY(W<QPushButton>("btOK")->isDefault());
        QCOMPARE(Date()->toolTip(), U("Informe o ano com 4 dígitos\nExemplo: 08/05/1976"));
        // Access keys lead to their fields.
        for (QLabel* l : FDlg->findChildren<QLabel*>())
            if (l->text().startsWith(U("Código")))
                QCOMPARE(l->buddy(), static_cast<QWidget*>(Code()));

        SetDecimalSeparator(',');
        FDlg->SetInfo(TRChartInfo{});
        QCOMPARE(Dh()->Text(), QString("0,0"));
    }

    void fillFromExistingChart()
    {
        TRChart chart;
        TRChartInfo info = Existing(chart, Folder());
        info.Owner = &chart;
        Open(info);
        QCOMPARE(FDlg->windowTitle(), U("Propriedades do Pluviograma"));
        QCOMPARE(Name()->text(), QString("Santos"));
        QCOMPARE(Names()->currentItem()->text(), QString("Santos"));
        QCOMPARE(Codes()->currentItem()->text(), QString("00246001"));
        QCOMPARE(Date()->text(), QString("08/05/1976"));
        QCOMPARE(Hour()->currentIndex(), 1);
        QCOMPARE(Axis()->currentIndex(), 1);
        QVERIFY(Hour()->isEnabled() && Axis()->isEnabled());
        QCOMPARE(PTot()->text(), QString("12.25"));
        QCOMPARE(Dh()->Text(), QString("0.2"));
        QVERIFY(!Preview()->Linear());
        QCOMPARE(Preview()->TimeStart(), 8);
        QCOMPARE(W<QLineEdit>("edOpName")->text(), U("João"));
        QCOMPARE(W<QPlainTextEdit>("mmNotes")->toPlainText(), QString("linha 1\nlinha 2"));
        QCOMPARE(W<QTabWidget>("pcPages")->currentIndex(), 0);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(Name()));

        // A station not in the list leaves the list without selection; no reading shows empty.
        chart.Info.StName = "Outra";
        chart.Info.PTot = 0;
        chart.Scale().Concluded = true;
        info = chart.Info;
        FDlg->SetInfo(info);
        QVERIFY(Names()->currentItem() == nullptr);
        QVERIFY(PTot()->text().isEmpty());
        QVERIFY(!Hour()->isEnabled() && !Axis()->isEnabled());
    }

    void unchangedExistingChartGivesItsRecordBack()
    {
        TRChart chart;
        TRChartInfo info = Existing(chart, Folder());
        info.Owner = &chart;
        Open(info);
        FDlg->accept();
        QCOMPARE(FDlg->result(), int(QDialog::Accepted));
        const TRChartInfo& r = FDlg->Result();
        // Shown rounded ("0.2"), the offset is not changed by an OK that did not touch it.
        QVERIFY(InfoEquals(r, chart.Info));
        QCOMPARE(r.Dh, 0.25);
        QCOMPARE(r.Total, 11.5);
        QCOMPARE(r.Owner, &chart);
        QCOMPARE(QString::fromStdString(r.FileName), QString::fromStdString(chart.Info.FileName));
    }

    void newChartKeepsOrClearsFields()
    {
        TScript script;
        Open(TRChartInfo{});
        FillValid();
        Kind()->setCurrentIndex(1);
        Axis()->setCurrentIndex(1);
        Hour()->setCurrentIndex(2);
        W<QPlainTextEdit>("mmNotes")->setPlainText("nota");
        PTot()->setText("3");
        Dh()->SetText("1.0");
        FDlg->accept();
        QVERIFY(script.Messages.isEmpty());

        FDlg->SetInfo(TRChartInfo{}); // without auto-clear: the previous chart's fields stay
        QCOMPARE(Name()->text(), U("Estação Teste"));
        QCOMPARE(Code()->text(), QString("12345678"));
        QCOMPARE(Date()->text(), QString("08/05/1976"));
        QCOMPARE(W<QPlainTextEdit>("mmNotes")->toPlainText(), QString("nota"));
        QCOMPARE(Kind()->currentIndex(), 1);
        QCOMPARE(Axis()->currentIndex(), 1);
        QCOMPARE(Hour()->currentIndex(), 0);
        QVERIFY(PTot()->text().isEmpty());
        QCOMPARE(Dh()->Text(), QString("0.0"));
        QCOMPARE(Preview()->TimeStart(), 7);
        QVERIFY(!Preview()->Linear());

        FDlg->SetAutoClear(true);
        FDlg->SetInfo(TRChartInfo{});
        QVERIFY(Name()->text().isEmpty() && Code()->text().isEmpty());
        QVERIFY(TRChartInfo{}.Date == FDlg->GetInfo().Date);
        QVERIFY(W<QPlainTextEdit>("mmNotes")->toPlainText().isEmpty());
        QCOMPARE(Kind()->currentIndex(), 0);
        QCOMPARE(Axis()->currentIndex(), 0);
        QVERIFY(Preview()->Linear());
        QCOMPARE(Names()->currentRow(), 0);
        QCOMPARE(Codes()->currentRow(), 0);
    }

    void validationMessages_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("date");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("reading");
        QTest::addColumn<QString>("offset");
        QTest::addColumn<QString>("message"); // empty: accepted
        QTest::addColumn<QString>("focus");
        const QString code = U("O código da estação deve ser um número inteiro de 8 dígitos");
        const QString date = U("A data de colocação do pluviograma é inválida");
        const QString reading = U("O valor da precipitação no pluviômetro é inválido");
        const QString dh = U("O campo início da escala contém um número inválido");
        const QString range = U("O valor do campo deve estar entre -2.0 e 2.0mm");
        QTest::newRow("7 digits") << "1234567" << "08/05/1976" << 0 << "" << "0.0" << code << "edCode";
        QTest::newRow("9 digits") << "123456789" << "08/05/1976" << 0 << "" << "0.0" << code << "edCode";
        QTest::newRow("signed") << "-1234567" << "08/05/1976" << 0 << "" << "0.0" << code << "edCode";
        QTest::newRow("blank inside") << "1234 678" << "08/05/1976" << 0 << "" << "0.0" << code << "edCode";
        QTest::newRow("leading zeros") << "00000001" << "08/05/1976" << 0 << "" << "0.0" << "" << "";
        QTest::newRow("code before date") << "12" << "99/99/1976" << 0 << "x" << "9" << code << "edCode";
        QTest::newRow("bad date") << "12345678" << "31/02/1976" << 0 << "" << "0.0" << date << "edDate";
        QTest::newRow("empty date") << "12345678" << "" << 0 << "" << "0.0" << date << "edDate";
        QTest::newRow("date before reading") << "12345678" << "1/1" << 0 << "x" << "9" << date << "edDate";
        QTest::newRow("bad reading") << "12345678" << "08/05/1976" << 0 << "1.2.3" << "9" << reading << "edPTot";
        QTest::newRow("blank reading") << "12345678" << "08/05/1976" << 0 << "   " << "0.0" << "" << "";
        QTest::newRow("reading ignored") << "12345678" << "08/05/1976" << 1 << "abc" << "0.0" << "" << "";
        QTest::newRow("reading absent") << "12345678" << "08/05/1976" << 2 << "abc" << "0.0" << "" << "";
        QTest::newRow("bad offset") << "12345678" << "08/05/1976" << 0 << "5" << "-" << dh << "edDh";
        QTest::newRow("empty offset") << "12345678" << "08/05/1976" << 0 << "5" << "" << dh << "edDh";
        QTest::newRow("offset 2.05") << "12345678" << "08/05/1976" << 0 << "5" << "2.05" << range << "edDh";
        QTest::newRow("offset -2.1") << "12345678" << "08/05/1976" << 0 << "5" << "-2.1" << range << "edDh";
        QTest::newRow("offset 2.0") << "12345678" << "08/05/1976" << 0 << "5" << "2.0" << "" << "";
        QTest::newRow("offset -2") << "12345678" << "08/05/1976" << 0 << "5" << "-2" << "" << "";
    }
    void validationMessages()
    {
        QFETCH(QString, code);
        QFETCH(QString, date);
        QFETCH(int, kind);
        QFETCH(QString, reading);
        QFETCH(QString, offset);
        QFETCH(QString, message);
        QFETCH(QString, focus);
        TScript script;
        Open(TRChartInfo{});
        W<QTabWidget>("pcPages")->setCurrentIndex(1);
        FillValid();
        Code()->setText(code);
        Date()->setText(date);
        Kind()->setCurrentIndex(kind);
        PTot()->setText(reading);
        Dh()->SetText(offset);
        FDlg->accept();
        if (message.isEmpty()) {
            QVERIFY2(script.Messages.isEmpty(), qPrintable(script.Messages.join('\n')));
            QVERIFY(!FDlg->isVisible());
            QCOMPARE(FDlg->result(), int(QDialog::Accepted));
            return;
        }
        QCOMPARE(script.Messages, QStringList{message});
        QCOMPARE(script.Confirmations, QList<bool>{false});
        QVERIFY(FDlg->isVisible());
        QCOMPARE(W<QTabWidget>("pcPages")->currentIndex(), 0);
        QVERIFY(QApplication::focusWidget());
        QWidget* f = QApplication::focusWidget();
        QVERIFY2(f->objectName() == focus || f->parentWidget()->objectName() == focus,
                 qPrintable(f->objectName()));
    }

    void readingAndOffsetWithCommaOrPoint_data()
    {
        QTest::addColumn<char>("separator");
        QTest::addColumn<QString>("reading");
        QTest::addColumn<QString>("offset");
        QTest::newRow("comma system, comma") << ',' << "12,5" << "-1,5";
        QTest::newRow("comma system, point") << ',' << "12.5" << "-1.5";
        QTest::newRow("point system, point") << '.' << "12.5" << "-1.5";
    }
    void readingAndOffsetWithCommaOrPoint()
    {
        QFETCH(char, separator);
        QFETCH(QString, reading);
        QFETCH(QString, offset);
        SetDecimalSeparator(separator);
        TScript script;
        Open(TRChartInfo{});
        FillValid();
        PTot()->setText(reading);
        Dh()->SetText(offset);
        FDlg->accept();
        QVERIFY(script.Messages.isEmpty());
        QCOMPARE(FDlg->Result().PTot, 12.5);
        QCOMPARE(FDlg->Result().Dh, -1.5);
    }

    void returnedRecord()
    {
        TScript script;
        TRChartInfo info;
        info.Total = 99; // a new record carries nothing over but its owner and file name
        QTimer::singleShot(0, this, [this] {
            Name()->setText(U("Ribeirão Preto"));
            Code()->setText("02144003");
            Date()->setText("31/12/2001");
            Kind()->setCurrentIndex(0);
            Axis()->setCurrentIndex(1);
            Hour()->setCurrentIndex(2);
            PTot()->setText("7.5");
            Dh()->SetText("-0.4");
            W<QLineEdit>("edPModel")->setText(U("Hellmann"));
            W<QLineEdit>("edOpName")->setText(U("José"));
            W<QPlainTextEdit>("mmNotes")->setPlainText(U("sem falhas\nverificado"));
            QTest::mouseClick(W<QPushButton>("btOK"), Qt::LeftButton);
        });
        QVERIFY(FDlg->EditProperties(info));
        QVERIFY(script.Messages.isEmpty());
        QCOMPARE(QString::fromStdString(info.StName), QString("Ribeir\xE3o Preto")); // Windows-1252 bytes
        QCOMPARE(info.StName, std::string("Ribeir\xE3o Preto"));
        QCOMPARE(info.StCode, std::string("02144003"));
        QCOMPARE(info.Date, EncodeDate(2001, 12, 31));
        QCOMPARE(int(info.Hour), 9);
        QCOMPARE(int(info.Kind), 0);
        QCOMPARE(info.Linear, false);
        QCOMPARE(info.PTot, 7.5);
        QCOMPARE(info.Dh, -0.4);
        QCOMPARE(info.PModel, std::string("Hellmann"));
        QCOMPARE(info.OpName, std::string("Jos\xE9"));
        QCOMPARE(info.Notes, std::string("sem falhas\r\nverificado"));
        QCOMPARE(info.Total, 99.0);
        QVERIFY(info.Owner == nullptr);
        QCOMPARE(info.FileName, Folder() + "02144003" + kPathDelim + "02144003-20011231.pvd");

        // Cancel leaves the record as it was.
        const TRChartInfo before = info;
        QTimer::singleShot(0, this, [this] {
            Name()->setText("Outro");
            QTest::mouseClick(W<QPushButton>("btCancel"), Qt::LeftButton);
        });
        QVERIFY(!FDlg->EditProperties(info));
        QVERIFY(InfoEquals(info, before));
        QCOMPARE(info.FileName, before.FileName);
    }

    void newChartOverwriteConfirmation()
    {
        Touch(Folder() + "12345678/12345678-19760508.pvd");
        const QString expected = U("O arquivo \"") + QString::fromStdString(Folder()) + "12345678" +
                                 QChar(kPathDelim) + U("12345678-19760508.pvd\", a ser criado, já existe. Deseja ") +
                                 U("substituir o arquivo existente?");
        TScript script;
        Open(TRChartInfo{});
        FillValid();
        FDlg->accept(); // no answer = No
        QCOMPARE(script.Messages, QStringList{expected});
        QCOMPARE(script.Confirmations, QList<bool>{true});
        QVERIFY(FDlg->isVisible());
        // A confirmed overwrite is still followed by the offset check.
        Dh()->SetText("3");
        script.AnswerYes();
        FDlg->accept();
        QCOMPARE(script.Messages.size(), 3);
        QCOMPARE(script.Messages[2], U("O valor do campo deve estar entre -2.0 e 2.0mm"));
        QVERIFY(FDlg->isVisible());
        Dh()->SetText("0");
        script.AnswerYes();
        FDlg->accept();
        QVERIFY(!FDlg->isVisible());
        QCOMPARE(FDlg->result(), int(QDialog::Accepted));
    }

    void renameOntoExistingFileConfirmation()
    {
        TRChart chart;
        TRChartInfo info = Existing(chart, Folder());
        info.Owner = &chart;
        Touch(info.FileName);
        Touch(Folder() + "00246001/00246001-19760509.pvd");
        TScript script;
        Open(info);
        FDlg->accept(); // same name: no question even though the file exists
        QVERIFY(script.Messages.isEmpty());
        QVERIFY(!FDlg->isVisible());

        Open(info);
        Date()->setText("09/05/1976");
        FDlg->accept();
        QCOMPARE(script.Messages.size(), 1);
        QVERIFY(script.Messages[0].startsWith(U("O nome do arquivo atual será mudado para:\n\"") +
                                              QString::fromStdString(Folder())));
        QVERIFY(script.Messages[0].contains(U("00246001-19760509.pvd\".\nEntretanto, já existe um arquivo")));
        QVERIFY(script.Messages[0].endsWith(U("na próxima vez que este último for salvo. Deseja prosseguir?")));
        QVERIFY(FDlg->isVisible());
        script.AnswerYes();
        FDlg->accept();
        QVERIFY(!FDlg->isVisible());
        QCOMPARE(FDlg->Result().FileName, Folder() + "00246001" + kPathDelim + "00246001-19760509.pvd");

        // A new name that no file holds yet is taken without a question.
        Open(info);
        Date()->setText("10/05/1976");
        FDlg->accept();
        QCOMPARE(script.Messages.size(), 2);
        QVERIFY(!FDlg->isVisible());
    }

    void kindChangeDeletingPoints()
    {
        TRChart chart;
        TRChartInfo info = Existing(chart, Folder());
        QVERIFY(chart.Curve().AddPoint(8.5, 1.0, true));
        info.Owner = &chart;
        TScript script;
        Open(info);
        Kind()->setCurrentIndex(2);
        FDlg->accept();
        QCOMPARE(script.Messages.size(), 1);
        QCOMPARE(script.Messages[0], U("A mudança de \"pluviograma com precipitação\" para \"pluviograma ausente\" "
                                       "implicará na exclusão de todos os pontos já digitalizados. Deseja prosseguir?"));
        QVERIFY(FDlg->isVisible());
        QCOMPARE(Kind()->currentIndex(), 2);
        Kind()->setCurrentIndex(1);
        script.AnswerYes();
        FDlg->accept();
        QVERIFY(script.Messages[1].contains(U("para \"pluviograma sem precipitação\" implicará")));
        QVERIFY(!FDlg->isVisible());
        QCOMPARE(int(FDlg->Result().Kind), 1);
        QCOMPARE(chart.Curve().Count(), 1); // the dialog deletes nothing itself

        // Without points, or from another kind, nothing is asked.
        chart.Info.Kind = 1;
        info = chart.Info;
        info.Owner = &chart;
        Open(info);
        Kind()->setCurrentIndex(2);
        FDlg->accept();
        QCOMPARE(script.Messages.size(), 2);
        QVERIFY(!FDlg->isVisible());
    }

    void stationPairing()
    {
        Open(TRChartInfo{});
        // Down in the name edit goes to the name list; moving in it pairs the code.
        Name()->setFocus();
        QTest::keyClick(Name(), Qt::Key_Down);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(Names()));
        Names()->setCurrentRow(2); // Estação Teste, not a pick of the operator
        QVERIFY(Name()->text().isEmpty());
        QTest::keyClick(Names(), Qt::Key_Down);
        QCOMPARE(Name()->text(), U("Ribeirão Preto"));
        QCOMPARE(Code()->text(), QString("02144003"));
        QCOMPARE(Codes()->currentItem()->text(), QString("02144003"));

        // A click in the code list pairs the name.
        const int row = 2; // 00246001
        const QRect r = Codes()->visualItemRect(Codes()->item(row));
        QTest::mouseClick(Codes()->viewport(), Qt::LeftButton, {}, r.center());
        QCOMPARE(Code()->text(), QString("00246001"));
        QCOMPARE(Name()->text(), QString("Santos"));
        QCOMPARE(Names()->currentItem()->text(), QString("Santos"));

        Code()->setFocus();
        QTest::keyClick(Code(), Qt::Key_Down);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(Codes()));
    }

    void typeAhead_data()
    {
        QTest::addColumn<QString>("edit");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("selected"); // empty: nothing selected
        QTest::newRow("prefix") << "edName" << "sa" << U("Santa Bárbara");
        QTest::newRow("accent-folded") << "edName" << "sao" << U("São Paulo");
        QTest::newRow("case") << "edName" << "RIB" << U("Ribeirão Preto");
        QTest::newRow("leading blank") << "edName" << " bel" << U("Belo Horizonte");
        QTest::newRow("no match") << "edName" << "xyz" << "";
        QTest::newRow("code") << "edCode" << "0034" << "00346005";
        // "00" selected the first code; "009" matches none and leaves that selection.
        QTest::newRow("code stops matching") << "edCode" << "0099" << "00147007";
    }
    void typeAhead()
    {
        QFETCH(QString, edit);
        QFETCH(QString, typed);
        QFETCH(QString, selected);
        Open(TRChartInfo{});
        auto* ed = W<QLineEdit>(qPrintable(edit));
        auto* list = ed == Name() ? Names() : Codes();
        list->setCurrentRow(-1);
        ed->setFocus();
        QTest::keyClicks(ed, typed);
        if (selected.isEmpty())
            QVERIFY(list->currentItem() == nullptr);
        else
            QCOMPARE(list->currentItem()->text(), selected);
        // Type-ahead only selects: the other field is untouched.
        QVERIFY((ed == Name() ? Code() : Name())->text().isEmpty());
    }

    void typingFilters()
    {
        Open(TRChartInfo{});
        Code()->setFocus();
        QTest::keyClicks(Code(), "12a-3.4 5");
        QCOMPARE(Code()->text(), QString("12345"));
        QTest::keyClick(Code(), Qt::Key_Backspace);
        QCOMPARE(Code()->text(), QString("1234"));

        PTot()->setFocus();
        QTest::keyClicks(PTot(), "1x2,.5-");
        QCOMPARE(PTot()->text(), QString("12.5"));
        SetDecimalSeparator(',');
        PTot()->clear();
        QTest::keyClicks(PTot(), "3.,7");
        QCOMPARE(PTot()->text(), QString("3,7"));
    }

    void offsetTyping()
    {
        Open(TRChartInfo{});
        Dh()->setFocus();
        Dh()->SetText("");
        QTest::keyClicks(Dh(), "-1a,5x");
        QCOMPARE(Dh()->Text(), QString("-1.5")); // "," typed as the separator
        QTest::keyClicks(Dh(), "-");
        QCOMPARE(Dh()->Text(), QString("-1.5")); // "-1.5-" is no number
        SetDecimalSeparator(',');
        Dh()->SetText("");
        QTest::keyClicks(Dh(), "0.7");
        QCOMPARE(Dh()->Text(), QString("0,7"));
        QTest::keyClick(Dh(), Qt::Key_Backspace);
        QCOMPARE(Dh()->Text(), QString("0,"));
    }

    void offsetSteps_data()
    {
        QTest::addColumn<QString>("start");
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("result");
        QTest::newRow("up") << "0.0" << int(Qt::Key_Up) << "0.1";
        QTest::newRow("down") << "0.0" << int(Qt::Key_Down) << "-0.1";
        QTest::newRow("up to zero") << "-0.1" << int(Qt::Key_Up) << "0.0";
        QTest::newRow("empty counts as 0") << "" << int(Qt::Key_Up) << "0.1";
        QTest::newRow("1.95 up") << "1.95" << int(Qt::Key_Up) << "2.0";
        QTest::newRow("limit up") << "2.0" << int(Qt::Key_Up) << "2.0";
        QTest::newRow("limit down") << "-2.0" << int(Qt::Key_Down) << "-2.0";
        QTest::newRow("beyond limit") << "5" << int(Qt::Key_Down) << "2.0";
        QTest::newRow("not a number") << "-" << int(Qt::Key_Up) << "-";
    }
    void offsetSteps()
    {
        QFETCH(QString, start);
        QFETCH(int, key);
        QFETCH(QString, result);
        Open(TRChartInfo{});
        Dh()->setFocus();
        Dh()->SetText(start);
        QTest::keyClick(Dh(), Qt::Key(key));
        QCOMPARE(Dh()->Text(), result);
        if (result != start)
            QCOMPARE(Dh()->Edit()->cursorPosition(), int(result.size()));
    }

    void offsetStepsRepeated()
    {
        Open(TRChartInfo{});
        Dh()->SetText("0.0");
        for (int i = 0; i < 25; ++i)
            Dh()->stepBy(1);
        QCOMPARE(Dh()->Text(), QString("2.0"));
        for (int i = 0; i < 7; ++i)
            Dh()->stepBy(-1);
        QCOMPARE(Dh()->Text(), QString("1.3"));
        SetDecimalSeparator(',');
        Dh()->stepBy(-1);
        QCOMPARE(Dh()->Text(), QString("1,2"));
        Dh()->stepBy(-1);
        QCOMPARE(Dh()->Text(), QString("1,1"));
    }

    void previewFollowsHourAndAxis()
    {
        Open(TRChartInfo{});
        QVERIFY(Preview()->Linear());
        QCOMPARE(Preview()->TimeStart(), 7);
        Hour()->setCurrentIndex(2);
        QCOMPARE(Preview()->TimeStart(), 9);
        Hour()->setCurrentIndex(1);
        QCOMPARE(Preview()->TimeStart(), 8);
        Axis()->setCurrentIndex(1);
        QVERIFY(!Preview()->Linear());
        FillValid();
        FDlg->accept();
        QCOMPARE(FDlg->Result().Linear, false);
        QCOMPARE(int(FDlg->Result().Hour), 8);
        Axis()->setCurrentIndex(0);
        QVERIFY(Preview()->Linear());
    }

    void screenshot()
    {
        const QString dir = qEnvironmentVariable("RS_SCREENSHOT_DIR");
        if (dir.isEmpty())
            QSKIP("RS_SCREENSHOT_DIR not set");
        TRChart chart;
        TRChartInfo info = Existing(chart, Folder());
        info.Owner = &chart;
        Open(info);
        FDlg->grab().save(dir + "/props_essentials.png");
        W<QTabWidget>("pcPages")->setCurrentIndex(1);
        FDlg->grab().save(dir + "/props_additional.png");
    }
};

QTEST_MAIN(TestPropertyDlg)
#include "tst_PropertyDlg.moc"
