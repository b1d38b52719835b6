// The scale's dialogs and tool windows on their own: the scale dialog with its
// set list, the point-set dialog's editing and OK rules, the coordinate
// dialog's input handling, and the statistics window's texts, tolerance
// pictures and copying. Also grabs each window to PNG (RS_GRAB_DIR).

#include "chartwin/ChartImage.h"
#include "chartwin/EnhGrid.h"
#include "chartwin/uRChartWnd.h"
#include "common/Utils.h"
#include "common/ui/FakeServices.h"
#include "common/ui/MessageService.h"
#include "document/uRChart.h"
#include "scale/ui/uDefPoints.h"
#include "scale/ui/uMsgPt.h"
#include "scale/ui/uReadCtrlPt.h"
#include "scale/ui/uScaleDlg.h"
#include "scale/ui/uScaleStat.h"
#include "scale/ui/uScaleTools.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QtTest>

#include <cmath>
#include <functional>

using namespace rs;

namespace {

QString U(const char* s) { return QString::fromUtf8(s); }

void OnNextModal(std::function<void(QWidget*)> action, int tries = 200)
{
    QTimer::singleShot(5, [action, tries] {
        QWidget* w = QApplication::activeModalWidget();
        if (w && w->isVisible()) {
            action(w);
            // A failed check returns early: never leave the dialog hanging.
            if (auto* d = qobject_cast<QDialog*>(w); d && d->isVisible())
                d->reject();
        }
        else if (tries > 0)
            OnNextModal(action, tries - 1);
    });
}

void Grab(QWidget* w, const char* name)
{
    const QByteArray dir = qgetenv("RS_GRAB_DIR");
    if (!dir.isEmpty())
        w->grab().save(QString::fromLocal8Bit(dir) + QLatin1Char('/') + QLatin1String(name) + ".png");
}

TCoordSet MakeSet(const char* name, std::initializer_list<std::pair<double, double>> pts)
{
    TCoordSet s;
    s.Name = name;
    for (auto [t, p] : pts)
        s.Points.push_back({t, p, kCoordComplete});
    return s;
}

// Types into the grid: the first key opens the cell editor, the rest go to it.
void TypeInGrid(TEnhDrawGrid* grid, const QString& text)
{
    QTest::keyClicks(grid, text.left(1));
    if (text.size() > 1)
        QTest::keyClicks(QApplication::focusWidget(), text.mid(1));
}

void AddCtrl(TScale& s, double t, double p, int x, int y)
{
    auto* pt = new TDigPoint;
    pt->X = x;
    pt->Y = y;
    pt->SetValue(t, p);
    QVERIFY(s.Append(pt) >= 0);
}

} // namespace

class TestScaleWindows : public QObject
{
    Q_OBJECT
    TScriptedMessages FBoxes;
    TRecordingClipboard FClip;
    TFakeKeyboard FKeys;

private slots:
    void initTestCase()
    {
        SetMessages(&FBoxes);
        SetClipboard(&FClip);
        SetKeyboard(&FKeys);
    }
    void cleanup()
    {
        FBoxes.Clear();
        while (FBoxes.PendingAnswers())
            FBoxes.Show(nullptr, TMsgType::Information, {}, TMsgButtons::OK);
        FBoxes.Clear();
    }

    void scaleDialogChoosesModeAndCopiesTheSet()
    {
        TCoordsList& list = ProgramCoordsList();
        list.Clear();
        list.SetStartHour(7);
        list.Append(MakeSet("Modelo A", {{7, 0}, {19, 5}, {31, 10}}));
        list.Append(MakeSet("Modelo B", {{8, 1}, {20, 6}}));
        list.SetModified(false);
        TRChart doc;
        doc.Info.Hour = 8;
        doc.Info.Linear = false;
        TScaleDlg* dlg = ScaleDlg();
        OnNextModal([dlg](QWidget*) {
            QCOMPARE(dlg->windowTitle(), U("Definição de Escala"));
            QCOMPARE(dlg->cbSetPoints->count(), 2);
            QCOMPARE(dlg->cbSetPoints->currentIndex(), 0);
            QCOMPARE(dlg->ChartImg->MarkerCount(), 3);
            QCOMPARE(dlg->ChartImg->MarkerImage(0), int(TChartImage::miRed));
            QCOMPARE(dlg->ChartImg->MarkerTime(0), 8.0); // a chart placed at 8 h: one hour later
            QVERIFY(!dlg->lbInfo->isVisible());
            dlg->rbCoordsDuring->setChecked(true);
            QVERIFY(dlg->lbInfo->isVisible());
            QCOMPARE(dlg->lbInfo->text(), U("Deverão ser marcados pelo menos 7 pontos"));
            QVERIFY(!dlg->cbSetPoints->isEnabled() && !dlg->btEditPoints->isEnabled());
            QVERIFY(!dlg->ChartImg->MarkersShown());
            dlg->rbCoordDefauls->setChecked(true);
            dlg->cbSetPoints->setCurrentIndex(1);
            QCOMPARE(dlg->ChartImg->MarkerCount(), 2);
            Grab(dlg, "ScaleDlg");
            dlg->btOk->click();
        });
        QVERIFY(dlg->Execute(doc));
        QCOMPARE(int(doc.Scale().CoordMode), 0);
        const TPointList& pre = doc.Scale().Predefined();
        QCOMPARE(pre.Count(), 2);
        QCOMPARE(pre.Items(0)->Time(), 9.0);
        QCOMPARE(pre.Items(1)->Mark(), -1);
        QCOMPARE(QString::fromStdString(pre.Name), U("Modelo B"));
        QCOMPARE(dlg->RememberedIndex(), 1);
        // Typed coordinates: mode 1, Predefined emptied.
        OnNextModal([dlg](QWidget*) {
            QCOMPARE(dlg->cbSetPoints->currentIndex(), 1); // remembered
            dlg->rbCoordsDuring->setChecked(true);
            dlg->btOk->click();
        });
        QVERIFY(dlg->Execute(doc));
        QCOMPARE(int(doc.Scale().CoordMode), 1);
        QVERIFY(pre.IsEmpty());
        QVERIFY(!list.Modified());
        // Writing the list back gives the 7 h times again.
        QVERIFY(list.SaveToText().find(" 7.0   0.0") != std::string::npos);
    }

    void scaleDialogNewTemporaryAndEdit()
    {
        TCoordsList& list = ProgramCoordsList();
        list.Clear();
        list.SetStartHour(7);
        list.Append(MakeSet("Modelo A", {{7, 0}, {13, 2}, {19, 5}, {25, 8}, {31, 10}}));
        list.SetModified(false);
        TRChart doc;
        doc.Info.Linear = true;
        TScaleDlg* dlg = ScaleDlg();
        TDefPointsDlg* set = DefPointsDlg();
        // "&Editar..." and OK without change keeps the flag; a new set without a name is temporary.
        OnNextModal([dlg, set](QWidget*) {
            dlg->rbCoordDefauls->setChecked(true);
            dlg->cbSetPoints->setCurrentIndex(0);
            OnNextModal([set](QWidget*) {
                QCOMPARE(set->windowTitle(), U("Editar Conjunto de Pontos"));
                QVERIFY(set->cbSave->isChecked() && !set->cbSave->isEnabled());
                QCOMPARE(set->edName->text(), U("Modelo A"));
                set->btOk->click();
            });
            dlg->btEditPoints->click();
            QVERIFY(!ProgramCoordsList().Modified());
            OnNextModal([set](QWidget*) {
                QCOMPARE(set->windowTitle(), U("Definir Novo Conjunto de Pontos"));
                QVERIFY(!set->cbSave->isChecked() && set->cbSave->isEnabled() && !set->edName->isEnabled());
                for (auto [t, p] : {std::pair{8, 1}, {12, 3}, {16, 5}, {20, 7}})
                    set->PictureClicked(p, t);
                QCOMPARE(set->ValidCount(), 4);
                set->btOk->click();
            });
            dlg->btNewPoints->click();
            QCOMPARE(dlg->cbSetPoints->count(), 2);
            QCOMPARE(dlg->cbSetPoints->itemText(1), U("Pontos Temporários"));
            QCOMPARE(dlg->cbSetPoints->currentIndex(), 1);
            QCOMPARE(dlg->ChartImg->MarkerCount(), 4);
            // Editing with a change renames the entry.
            dlg->cbSetPoints->setCurrentIndex(0);
            OnNextModal([set](QWidget*) {
                set->edName->setText(U("Modelo Ç"));
                set->btOk->click();
            });
            dlg->btEditPoints->click();
            QCOMPARE(dlg->cbSetPoints->itemText(0), U("Modelo Ç"));
            dlg->cbSetPoints->setCurrentIndex(1);
            dlg->btOk->click();
        });
        QVERIFY(dlg->Execute(doc));
        QCOMPARE(doc.Scale().Predefined().Count(), 4); // the temporary set was chosen
        QCOMPARE(list.Count(), 1);                     // and is gone from the list
        QCOMPARE(list.Names(0), std::string("Modelo \xC7"));
        QVERIFY(list.Modified());
        // With an empty list, OK on a predefined set and "&Editar..." are refused.
        list.Clear();
        OnNextModal([dlg](QWidget*) {
            dlg->rbCoordDefauls->setChecked(true);
            dlg->btEditPoints->click();
            dlg->btOk->click();
            QVERIFY(dlg->isVisible());
            dlg->btCancel->click();
        });
        QVERIFY(!dlg->Execute(doc));
        QCOMPARE(FBoxes.Count(), 2);
        QCOMPARE(FBoxes.Shown().front().Type, TMsgType::Error);
    }

    void setDialogEditingRules()
    {
        TRChart doc;
        doc.Info.Linear = false;
        doc.Info.Hour = 7;
        TDefPointsDlg* dlg = DefPointsDlg();
        TCoordSet set;
        OnNextModal([dlg, this](QWidget*) {
            QCOMPARE(dlg->CellText(0, 0), U("Nº"));
            QCOMPARE(dlg->CellText(1, 0), U("T (h)"));
            QCOMPARE(dlg->CellText(2, 0), U("P (mm)"));
            QCOMPARE(dlg->CellText(0, 3), U(" 3"));
            QVERIFY(dlg->CanEdit(1) && !dlg->CanEdit(2));
            QVERIFY(dlg->CellEdited(1, 1, U("7")));
            QCOMPARE(dlg->ValidCount(), 0); // time only
            QVERIFY(dlg->CellEdited(2, 1, U("0")));
            QCOMPARE(dlg->ValidCount(), 1);
            QCOMPARE(dlg->lbPtCnt->text(), U("1 Pontos\r\nVálidos"));
            // 3 on a chart at 7 h is 27 h: shown reduced, edited as stored.
            QVERIFY(dlg->CellEdited(1, 2, U("3")));
            QCOMPARE(dlg->CellText(1, 2), U("3"));
            QCOMPARE(dlg->EditText(1, 2), U("27"));
            QCOMPARE(dlg->CellText(2, 2), QString());
            // Not a number: refused with an error, nothing changes.
            QVERIFY(!dlg->CellEdited(2, 2, U("abc")));
            QCOMPARE(FBoxes.Count(), 1);
            QCOMPARE(FBoxes.Shown().back().Type, TMsgType::Error);
            QCOMPARE(dlg->Set()->Points[1].Tag, kCoordTimeEntered);
            QVERIFY(dlg->CellEdited(2, 2, U("11.5"))); // kept, not valid
            QCOMPARE(dlg->ValidCount(), 1);
            QVERIFY(!dlg->CellEdited(1, 9, U("10"))); // beyond count + 1
            // Typing through the grid's editor: Enter moves time -> precipitation -> next row.
            dlg->Grid->SetCurrent(1, 3);
            TypeInGrid(dlg->Grid, U("10"));
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
            QCOMPARE(dlg->Grid->Row(), 3);
            QCOMPARE(dlg->Grid->Col(), 2);
            TypeInGrid(dlg->Grid, U("4"));
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
            QCOMPARE(dlg->Grid->Row(), 4);
            QCOMPARE(dlg->Grid->Col(), 1);
            QCOMPARE(dlg->ValidCount(), 2);
            QCOMPARE(dlg->CellText(2, 3), U("4"));
            // Esc drops the edit.
            TypeInGrid(dlg->Grid, U("12"));
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
            QCOMPARE(dlg->Set()->Count(), 3);
            // Picture: rounded, in range, highlighted.
            dlg->PictureHovered(5.2, 12.6);
            QCOMPARE(dlg->lbInfo->text(), U("Clique no pluviograma p/ inserir o ponto: (13 5)"));
            dlg->PictureHovered(12, 12.6);
            QCOMPARE(dlg->lbInfo->text(), U("Clique no pluviograma p/ inserir o ponto:"));
            dlg->PictureClicked(5.2, 12.6);
            QCOMPARE(dlg->Set()->Count(), 4);
            QCOMPARE(dlg->Grid->Row(), 4);
            QCOMPARE(dlg->ChartImg->HighlightedMarker(), 2);
            QVERIFY(dlg->btDelete->isEnabled());
            // OK rules.
            dlg->btOk->click();
            QCOMPARE(FBoxes.LastText(), U("São necessários pelo menos 6 pontos"));
            QCOMPARE(FBoxes.Shown().back().Type, TMsgType::Warning);
            QVERIFY(dlg->isVisible());
            for (int i = 0; i < 20; ++i)
                dlg->PictureClicked(i % 10, 8 + i);
            QCOMPARE(dlg->Set()->Count(), 15); // clicks stop at 15
            Grab(dlg, "DefPointsDlg");
            dlg->Grid->SetCurrent(1, 2);
            dlg->btDelete->click();
            QCOMPARE(dlg->Set()->Count(), 14);
            QCOMPARE(dlg->CellText(1, 2), U("10"));
            dlg->cbSave->setChecked(true);
            dlg->edName->setText(U("   "));
            dlg->btOk->click();
            QCOMPARE(FBoxes.LastText(),
                     U("Informe um nome para o conjunto de pontos, ou desmarque a opção Nomear..."));
            QVERIFY(dlg->isVisible());
            dlg->edName->setText(U("Novo"));
            dlg->btOk->click();
        });
        QVERIFY(dlg->Execute(doc, true, set));
        QCOMPARE(set.Name, std::string("Novo"));
        QCOMPARE(set.Count(), 14);
        QCOMPARE(set.Points[0].Time, 7.0);
    }

    void coordinateDialogInput()
    {
        TRChart doc;
        doc.Info.Hour = 7;
        doc.Info.Linear = true;
        AddCtrl(doc.Scale(), 7, 0, 1000, 1000);
        TCtrlPtCoord* dlg = CtrlPtCoord();
        FKeys.PresetNumLock(false);
        double t = -1, p = -1;
        OnNextModal([dlg, this](QWidget*) {
            QCOMPARE(dlg->windowTitle(), U("Coordenadas do Ponto 2"));
            QVERIFY(FKeys.IsNumLockOn());
            QVERIFY(!dlg->btOk->isEnabled());
            QCOMPARE(dlg->ChartImg->MarkerCount(), 1);
            for (const char* ok : {"15 8", "15/8", "15;8", "15\t8", "3 5", "6.5 5"}) {
                dlg->edCoords->setText(U(ok));
                QVERIFY2(dlg->btOk->isEnabled(), ok);
            }
            for (const char* bad : {"15", "7 12", "", "a b"}) {
                dlg->edCoords->setText(U(bad));
                QVERIFY2(!dlg->btOk->isEnabled(), bad);
                QVERIFY(!dlg->Timer->isActive());
            }
            // The preview comes half a second after a valid change, and goes at the next change.
            dlg->edCoords->setText(U("15 8"));
            QVERIFY(dlg->Timer->isActive());
            QTRY_COMPARE_WITH_TIMEOUT(dlg->ChartImg->MarkerCount(), 2, 1500);
            QCOMPARE(dlg->ChartImg->MarkerImage(1), int(TChartImage::miBlue));
            QCOMPARE(dlg->ChartImg->MarkerTime(1), 15.0);
            dlg->edCoords->setText(U("15 9"));
            QCOMPARE(dlg->ChartImg->MarkerCount(), 1);
            Grab(dlg, "CtrlPtCoord");
            // A click on the picture fills "%d %d".
            dlg->ChartImg->ValueClicked(4.4, 27.6);
            QCOMPARE(dlg->edCoords->text(), U("4 4"));
            // Typing 3, Enter, 5, Enter confirms "3 5".
            dlg->edCoords->clear();
            QTest::keyClicks(dlg->edCoords, U("3"));
            QTest::keyClick(dlg->edCoords, Qt::Key_Return);
            QCOMPARE(dlg->edCoords->text(), U("3 "));
            QVERIFY(dlg->isVisible());
            QTest::keyClicks(dlg->edCoords, U("5"));
            QTest::keyClick(dlg->edCoords, Qt::Key_Return);
        });
        QVERIFY(dlg->Execute(doc, QPoint(100, 100), t, p));
        QCOMPARE(t, 27.0);
        QCOMPARE(p, 5.0);
        QVERIFY(!FKeys.IsNumLockOn()); // restored
        // Placement beside the cursor, flipped at the screen's edges.
        const QRect screen(0, 0, 1000, 800);
        QCOMPARE(TCtrlPtCoord::PlaceNear({100, 100}, {300, 200}, screen), QPoint(110, 110));
        QCOMPARE(TCtrlPtCoord::PlaceNear({900, 700}, {300, 200}, screen), QPoint(590, 490));
    }

    void statisticsTextsAndPictures()
    {
        QMdiArea area;
        area.resize(900, 700);
        area.show();
        TRChartFrm* w = new TRChartFrm;
        area.addSubWindow(w);
        w->show();
        area.setActiveSubWindow(w);
        QApplication::processEvents();
        QCOMPARE(ActiveChartWindow(), w);
        TRChart& d = w->Doc();
        TRChartInfo info = d.Info;
        info.Linear = true;
        d.SetInfo(info);
        QVERIFY(d.BeginScale());
        TScale& s = d.Scale();
        s.SetCoordMode(1);
        w->SetShowCtrlPt(true);
        TScaleStatFrm* st = ScaleStatFrm();
        QVERIFY(st->isVisible());
        // Four points on a linear chart: not yet valid.
        const double pts[5][2] = {{7, 0}, {13, 5}, {19, 10}, {25, 2}, {31, 8}};
        for (int i = 0; i < 4; ++i)
            AddCtrl(s, pts[i][0], pts[i][1], int(1000 + (pts[i][0] - 7) * 600), int(2000 + pts[i][1] * 800));
        QVERIFY(!s.Valid);
        QCOMPARE(st->CellText(0, 0), U("Tempo (h:m)\r\nCalculado\r\nFornecido\r\nResíduo"));
        QCOMPARE(st->CellText(1, 0), U("Precip. (mm)\r\nCalculado\r\nFornecido\r\nResíduo"));
        QCOMPARE(st->CellText(0, 1), U("7.000\r\n-\r\n-"));
        QCOMPARE(st->CellText(1, 1), U("0.00\r\n-\r\n-"));
        QCOMPARE(st->CellText(0, 4), U("1.000\r\n-\r\n-")); // 25 h reduced
        QCOMPARE(st->CellText(0, 5), QString());
        // The fifth point 3 minutes off in its provided time.
        AddCtrl(s, pts[4][0] + 0.05, pts[4][1], int(1000 + 24 * 600), int(2000 + 8 * 800));
        QVERIFY(s.Valid);
        const QStringList lines = st->CellText(0, 5).split(U("\r\n"));
        QCOMPARE(lines.size(), 3);
        QCOMPARE(lines[1], U("07:03"));
        QVERIFY(st->CellWithin(0, 5));
        QVERIFY(st->CellWithin(1, 5));
        // A residual of exactly the tolerance counts as within here.
        s.Items(4)->SetValue(pts[4][0], pts[4][1]);
        s.Fit();
        QVERIFY(st->CellWithin(0, 5));
        // Rows <-> control points.
        st->Grid->SetCurrent(1, 3);
        QCOMPARE(s.SelectedIndex(), 2);
        s.SelectIndex(1);
        QCOMPARE(st->Grid->Row(), 2);
        // Copying the selected block, header included.
        st->Grid->SetSelection({0, 0, 1, 1});
        st->mnCopyCells->trigger();
        QCOMPARE(FClip.Text(), st->CellText(0, 0) + U("\t") + st->CellText(1, 0) + U("\r\n") + st->CellText(0, 1) +
                                   U("\t") + st->CellText(1, 1) + U("\r\n"));
        // The copy command is offered by a right click on the cells.
        QContextMenuEvent menuAt(QContextMenuEvent::Mouse, QPoint(20, 90),
                                 st->Grid->viewport()->mapToGlobal(QPoint(20, 90)));
        QApplication::sendEvent(st->Grid->viewport(), &menuAt);
        QTRY_VERIFY(st->PopupMenu->isVisible());
        QVERIFY(st->PopupMenu->actions().contains(st->mnCopyCells));
        st->PopupMenu->hide();
        st->resize(240, 560);
        Grab(st, "ScaleStat");
        // The prompt's look for the record.
        TMsgPt* prompt = MsgPt();
        TCoordSet set = MakeSet("A", {{7, 0}, {13, 2}, {19, 5}, {25, 8}});
        TRChart pd;
        pd.Info.Linear = false;
        set.CopyTo(pd.Scale().Predefined());
        QVERIFY(pd.BeginScale());
        prompt->Setup(pd);
        prompt->show();
        QCOMPARE(prompt->lbPtNo->text(), U("1/4:"));
        Grab(prompt, "MsgPt");
        prompt->hide();
        // Closing by the operator clears the flag; a close by Refresh leaves it.
        st->close();
        QVERIFY(!w->ShowCtrlPt());
        w->SetShowCtrlPt(true);
        QVERIFY(st->isVisible());
        delete w;
        QApplication::processEvents();
        QVERIFY(!st->isVisible());
    }
};

QTEST_MAIN(TestScaleWindows)
#include "tst_ScaleWindows.moc"
