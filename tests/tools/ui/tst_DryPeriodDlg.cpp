// The dry-day dialog: its checks in order with focus and caret, the fields'
// enabling and key filter, the station lists, the record it returns, and the
// overwrite question of the files it leads to.

#include "common/Utils.h"
#include "common/ui/MessageService.h"
#include "document/ui/PropertyEdits.h"
#include "document/uRChart.h"
#include "tools/uDayList.h"
#include "tools/uDryDays.h"
#include "tools/ui/uDryPeriodDlg.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using namespace rs;

namespace {
QString U(const char* s) { return QString::fromUtf8(s); }
const char* const kStations = RS_TEST_DATA "/properties/CodigoEstacoes.txt";
} // namespace

class TstDryPeriodDlg : public QObject
{
    Q_OBJECT
    TScriptedMessages FBoxes;
    TStationList FStations;

    std::unique_ptr<TDryPeriodDlg> Make()
    {
        auto d = std::make_unique<TDryPeriodDlg>(FStations);
        d->CurrentYear = [] { return 2026; };
        d->show();
        if (!QTest::qWaitForWindowExposed(d.get()))
            qWarning("the dialog was not shown");
        d->activateWindow();
        return d;
    }

    // Presses OK and returns the message shown (empty when none).
    QString PressOK(TDryPeriodDlg& d)
    {
        FBoxes.Clear();
        d.btOK->click();
        return FBoxes.Count() ? FBoxes.LastText() : QString();
    }

private slots:
    void initTestCase()
    {
        SetMessages(&FBoxes);
        QVERIFY(FStations.LoadFromFile(kStations));
    }
    void cleanupTestCase() { SetMessages(nullptr); }

    void checksInOrder()
    {
        auto d = Make();
        QCOMPARE(d->windowTitle(), U("Cadastro de dias sem chuva ou sem dados"));
        QCOMPARE(PressOK(*d), U(kDryMsgStCode));
        QCOMPARE(FBoxes.Shown().back().Type, TMsgType::Error);
        QCOMPARE(d->focusWidget(), d->edStCode);
        d->edStCode->setText(QStringLiteral("1234567"));
        QCOMPARE(PressOK(*d), U(kDryMsgStCode));
        d->edStCode->setText(QStringLiteral("12345678"));
        QCOMPARE(PressOK(*d), U(kDryMsgYear));
        QCOMPARE(d->focusWidget(), d->edYear);
        QVERIFY(!d->edMonth->isEnabled() && !d->lbMonth->isEnabled());
        d->edYear->setText(QStringLiteral("2021"));
        QVERIFY(d->edMonth->isEnabled());
        QVERIFY(!d->edDays->isEnabled());
        QCOMPARE(PressOK(*d), U(kDryMsgMonth));
        QCOMPARE(d->focusWidget(), d->edMonth);
        d->edMonth->setText(QStringLiteral("13"));
        QVERIFY(!d->edDays->isEnabled());
        QCOMPARE(PressOK(*d), U(kDryMsgMonth));
        d->edMonth->setText(QStringLiteral("4"));
        QVERIFY(d->edDays->isEnabled() && d->lbDays->isEnabled());
        d->edDays->setText(QStringLiteral("   "));
        QCOMPARE(PressOK(*d), U(kDryMsgDays));
        QCOMPARE(d->focusWidget(), d->edDays);
        // Parse errors put the caret on the failing token.
        d->edDays->setText(QStringLiteral("2 31"));
        QCOMPARE(PressOK(*d), U("O dia deve estar entre 1 e 30"));
        QCOMPARE(d->edDays->cursorPosition(), 2);
        d->edDays->setText(QStringLiteral("3,4"));
        QCOMPARE(PressOK(*d), U(kDayMsgInconsistent));
        QCOMPARE(d->edDays->cursorPosition(), 1);
        d->edDays->setText(QStringLiteral("8-5"));
        QCOMPARE(PressOK(*d), U("O final do período (5) é anterior ao início do período (8). Basta invertê-los"));
        QVERIFY(d->isVisible());
        d->edDays->setText(QStringLiteral("2 6 14-19"));
        QCOMPARE(PressOK(*d), QString());
        QCOMPARE(d->result(), int(QDialog::Accepted));
    }

    void keysYearAndStations()
    {
        auto d = Make();
        d->edYear->setText(QStringLiteral("2020"));
        d->edMonth->setText(QStringLiteral("2"));
        d->edDays->setFocus();
        QTest::keyClicks(d->edDays, QStringLiteral("1a,2 -x3"));
        QCOMPARE(d->edDays->text(), QStringLiteral("12 -3"));
        // A two-digit year is expanded when the field is left.
        d->edYear->setFocus();
        d->edYear->setText(QStringLiteral("77"));
        d->edStName->setFocus();
        QCOMPARE(d->edYear->text(), QStringLiteral("1977"));
        d->edYear->setText(QStringLiteral("76"));
        emit d->edYear->editingFinished();
        QCOMPARE(d->edYear->text(), QStringLiteral("2076"));
        // Type-ahead in the names; picking a code fills in its name.
        d->edStName->setFocus();
        QTest::keyClicks(d->edStName, QStringLiteral("soro"));
        QVERIFY(d->lbNames->currentItem());
        QCOMPARE(d->lbNames->currentItem()->text(), QStringLiteral("Sorocaba"));
        const int code = int(FStations.FindCode("01950006"));
        QVERIFY(code >= 0);
        d->lbCodes->scrollToItem(d->lbCodes->item(code));
        d->lbCodes->setFocus();
        QTest::mouseClick(d->lbCodes->viewport(), Qt::LeftButton, {},
                          d->lbCodes->visualItemRect(d->lbCodes->item(code)).center());
        QCOMPARE(d->edStCode->text(), QStringLiteral("01950006"));
        QCOMPARE(d->edStName->text(), QStringLiteral("Sorocaba"));
    }

    void executeFillsTheRecord()
    {
        TDryPeriodDlg d(FStations);
        d.CurrentYear = [] { return 2026; };
        TRChartInfo info;
        info.PModel = "kept on cancel";
        TDoubleArray dates;
        QTimer::singleShot(0, &d, [&d] { d.btCancel->click(); });
        QVERIFY(!d.Execute(info, dates));
        QCOMPARE(info.PModel, std::string("kept on cancel"));

        QString refused;
        QTimer::singleShot(0, &d, [&] {
            FBoxes.Clear();
            d.edStName->setText(U("São Paulo"));
            d.edStCode->setText(QStringLiteral("00147007"));
            d.rbNoData->setChecked(true);
            d.edYear->setText(QStringLiteral("20")); // OK with the two digits still shown
            d.edMonth->setText(QStringLiteral("2"));
            d.edDays->setText(QStringLiteral("28 29 3 3 1-2"));
            d.cbHour->setCurrentIndex(2);
            d.cbAxes->setCurrentIndex(1);
            d.btOK->click();
            if (d.isVisible()) { // refused: say why instead of waiting
                refused = FBoxes.LastText();
                d.reject();
            }
        });
        const bool ok = d.Execute(info, dates);
        QCOMPARE(refused, QString());
        QVERIFY(ok);
        QCOMPARE(int(info.Kind), 2);
        QCOMPARE(info.StCode, std::string("00147007"));
        QCOMPARE(info.StName, std::string("S\xE3o Paulo"));
        QCOMPARE(int(info.Hour), 9);
        QVERIFY(!info.Linear);
        QCOMPARE(info.PModel, std::string());
        QCOMPARE(dates.Count(), 5);
        QCOMPARE(dates.Items(0), EncodeDate(2020, 2, 1));
        QCOMPARE(dates.Items(4), EncodeDate(2020, 2, 29));

        // The next run keeps station, year, kind, hour and axis; month and days are emptied.
        QStringList seen;
        bool noData = false;
        int hour = -1;
        QWidget* focus = nullptr;
        QTimer::singleShot(0, &d, [&] {
            seen << d.edMonth->text() << d.edDays->text() << d.edStCode->text();
            noData = d.rbNoData->isChecked();
            hour = d.cbHour->currentIndex();
            focus = d.focusWidget();
            d.reject();
        });
        QVERIFY(!d.Execute(info, dates));
        QCOMPARE(seen, (QStringList{QString(), QString(), QStringLiteral("00147007")}));
        QVERIFY(noData);
        QCOMPARE(hour, 2);
        QCOMPARE(focus, static_cast<QWidget*>(d.edStName));
    }

    void overwriteQuestion()
    {
        QTemporaryDir dir;
        SetDataFolder(dir.path().toStdString() + "/");
        TRChartInfo info;
        info.Kind = 1;
        info.StCode = "12345678";
        TDoubleArray dates;
        for (int day : {1, 2, 3, 4})
            dates.Add(EncodeDate(2023, 6, day));
        auto ask = [](int i, int n, const std::string& path) {
            switch (MessageDlg(QString::fromStdString(OverwriteQuestionText(i, n, path)), TMsgType::Confirmation,
                               TMsgButtons::YesNoCancel)) {
            case TMsgResult::Yes: return TOverwriteAnswer::Yes;
            case TMsgResult::No: return TOverwriteAnswer::No;
            default: return TOverwriteAnswer::Cancel;
            }
        };
        FBoxes.Clear();
        QCOMPARE(CreateDryDayFiles(info, dates, ask).Written, 4);
        QCOMPARE(FBoxes.Count(), 0);
        FBoxes.SetNextAnswer(TMsgResult::Yes);
        FBoxes.SetNextAnswer(TMsgResult::No);
        FBoxes.SetNextAnswer(TMsgResult::Yes);
        FBoxes.SetNextAnswer(TMsgResult::Cancel);
        const TDryDaysResult r = CreateDryDayFiles(info, dates, ask);
        QCOMPARE(r.Written, 2);
        QVERIFY(r.Cancelled);
        QCOMPARE(FBoxes.Count(), 4);
        QCOMPARE(FBoxes.Shown()[1].Text,
                 U("O arquivo 2/4 (%1) já existe.\r\nSobregrava o arquivo existente?")
                     .arg(QString::fromStdString(TRChart::MakeFileName([&] {
                         TRChartInfo i = info;
                         i.Date = dates.Items(1);
                         return i;
                     }()))));
        QCOMPARE(U(DryDaysCountText(1, r.Written).c_str()),
                 U("Foram criados 2 arquivos, para os respectivos pluviogramas com precipitação nula."));
    }

    void picture()
    {
        const QString out = qEnvironmentVariable("RS_SHOT_DIR");
        if (out.isEmpty())
            QSKIP("RS_SHOT_DIR not set");
        auto d = Make();
        d->edStName->setText(QStringLiteral("Sorocaba"));
        d->edStCode->setText(QStringLiteral("01950006"));
        d->edYear->setText(QStringLiteral("2024"));
        d->edMonth->setText(QStringLiteral("2"));
        d->edDays->setText(QStringLiteral("2 6 14-19"));
        QTest::qWait(50);
        QVERIFY(d->grab().save(out + QStringLiteral("/dryperiod.png")));
    }
};

QTEST_MAIN(TstDryPeriodDlg)
#include "tst_DryPeriodDlg.moc"
