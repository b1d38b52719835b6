// The chart window's three menus and the enabling rules of their items.

#include "chartwin/uRChartWnd.h"
#include "scale/ui/GridAssist.h"

#include "chartwin/DrawBox.h"
#include "chartwin/Pictures.h"
#include "chartwin/ScanDesk.h"
#include "chartwin/uRChartWndServices.h"
#include "common/Utils.h"
#include "common/uGlobal.h"
#include "tablet/Tablet.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QScrollArea>

#include <cmath>

namespace rs {

namespace {

QAction* Item(QMenu* menu, const QString& caption, const QKeySequence& key, const QString& hint,
              const char* icon = nullptr)
{
    auto* a = new QAction(caption, menu);
    if (!key.isEmpty())
        a->setShortcut(key);
    if (!hint.isEmpty())
        wnd::SetHint(a, hint);
    if (icon)
        a->setIcon(PicIcon(icon));
    menu->addAction(a);
    return a;
}

QKeySequence Keys(QKeyCombination k) { return QKeySequence(k); }

} // namespace

QList<QMenu*> TRChartFrm::Menus() const { return {mnEdit, mnScale, mnDigit, mnView}; }

void TRChartFrm::BuildMenus()
{
    BuildEditMenu();
    BuildScaleMenu();
    BuildDigitMenu();
    BuildViewMenu();
    for (QMenu* m : Menus())
        connect(m, &QMenu::aboutToShow, this, &TRChartFrm::UpdateActions);
    connect(mnView, &QMenu::aboutToShow, this, &TRChartFrm::ViewMenuOpening);
}

void TRChartFrm::BuildScaleMenu()
{
    mnScale = new QMenu(QStringLiteral("&Escala"), this);
    QMenu* m = mnScale;
    cmdDefScale = mnDefScale =
        Item(m, QStringLiteral("&Definir Escala..."), Keys(Qt::Key_F3),
             QStringLiteral("Define Escala|Define uma escala de conversão, através da marcação de pontos de controle"),
             kIcoDefScale);
    mnFinishScale = Item(m, QStringLiteral("&Concluir Escala..."), Keys(Qt::CTRL | Qt::Key_F3),
                         QStringLiteral("Conclui Escala|Conclui a definição da escala, quando os erros dos pontos de "
                                        "controle estão dentro dos limites tolerados"),
                         kIcoFinishScale);
    mnCancelScale = Item(m, QStringLiteral("Cancelar Definição..."), Keys(Qt::SHIFT | Qt::Key_Escape),
                         QStringLiteral("Cancela Escala|Cancela a definição da escala e exclui os pontos de controle"),
                         kIcoCancelScale);
    mnShowCtrlPt = Item(m, QStringLiteral("&Exibir Pontos/Estatística..."), Keys(Qt::Key_F4),
                        QStringLiteral("Pontos/Estatística|Exibe ou oculta os pontos de controle e a estatística "
                                       "da escala"),
                        kIcoStatistics);
    mnShowCtrlPt->setCheckable(true);
    m->addSeparator();
    mnUndoLastPt = Item(m, QStringLiteral("Desfa&zer Último Ponto <b2>"), Keys(Qt::SHIFT | Qt::Key_Backspace),
                        QStringLiteral("Desfaz|Exclui o último ponto de controle marcado"), kIcoUndo);
    mnDelPt = Item(m, QStringLiteral("E&xcluir Ponto Selecionado"), Keys(Qt::SHIFT | Qt::Key_Delete),
                   QStringLiteral("Exclui|Exclui o ponto de controle selecionado"), kIcoDelete);

    connect(mnDefScale, &QAction::triggered, this, &TRChartFrm::mnDefScaleClick);
    connect(mnFinishScale, &QAction::triggered, this, &TRChartFrm::mnFinishScaleClick);
    connect(mnCancelScale, &QAction::triggered, this, &TRChartFrm::mnCancelScaleClick);
    connect(mnShowCtrlPt, &QAction::triggered, this, &TRChartFrm::mnShowCtrlPtClick);
    connect(mnUndoLastPt, &QAction::triggered, this, &TRChartFrm::mnUndoLastPtClick);
    connect(mnDelPt, &QAction::triggered, this, &TRChartFrm::mnDelPtClick);
}

void TRChartFrm::BuildDigitMenu()
{
    mnDigit = new QMenu(QStringLiteral("&Digitalização"), this);
    QMenu* m = mnDigit;
    cmdDigCurve = mnDigCurve = Item(m, QStringLiteral("&Digitalizar Curva"), Keys(Qt::Key_F8),
                                    QStringLiteral("Digitaliza curva|Inicia a digitalização da curva de precipitação"),
                                    kIcoDigitize);
    mnDigCurve->setCheckable(true);
    cmdAutoTrace = mnAutoTrace =
        Item(m, QStringLiteral("Traçar &Automaticamente"), Keys(Qt::CTRL | Qt::SHIFT | Qt::Key_F8),
             QStringLiteral("Traça automaticamente|Lê a curva da imagem mostrada na Mesa Virtual, pela escala "
                            "marcada sobre ela"));
    mnAutoTrace->setIcon(AutoTraceIcon());
    // Key 0xBF: the "/?" key.
    cmdSpill = mnSpill =
        Item(m, QStringLiteral("Sinalizar &Transbordamento <b3>"), Keys(Qt::Key_Slash),
             QStringLiteral("Sinzaliza transbordamento <b4>|Insere um pico ou transbordamento e retorna a zero, "
                            "segundos após"),
             kIcoOverflow);
    mnAddFail = Item(m, QStringLiteral("Sinalizar &Falha"), Keys(Qt::CTRL | Qt::Key_F),
                     QStringLiteral("Sinaliza Falha|Sinaliza uma falha do registro a partir do último ponto"),
                     kIcoFailure);
    mnEndDigit = Item(m, QStringLiteral("&Finalizar Digitalização"), Keys(Qt::CTRL | Qt::Key_F8),
                      QStringLiteral("Finaliza|Finaliza a digitalização da curva"), kIcoFinishDigit);
    mnShowValues = Item(m, QStringLiteral("Exibir &Planilha de Valores"), Keys(Qt::Key_F9),
                        QStringLiteral("Planilha|Exibe ou oculta a planilha de valores da curva"), kIcoResults);
    mnShowValues->setCheckable(true);
    m->addSeparator();
    mnAddToEnd = Item(m, QStringLiteral("Pontos em &Ordem Cronológica <Ctrl> = Off"), Keys(Qt::CTRL | Qt::Key_T),
                      QStringLiteral("Ordem Cronológica|Aceita apenas pontos posteriores ao último; com <Ctrl> "
                                     "pressionada o ponto é inserido na sua posição"),
                      kIcoChrono);
    mnAddToEnd->setCheckable(true);
    mnRoundToZero = Item(m, QStringLiteral("Arredondar para &Zero <Shift> = On/Off"), Keys(Qt::CTRL | Qt::Key_0),
                         QStringLiteral("Arredonda para Zero|Leituras de até 0,4 mm tornam-se zero; <Shift> inverte "
                                        "a opção para o ponto"),
                         kIcoRoundZero);
    mnRoundToZero->setCheckable(true);
    m->addSeparator();
    mnSelNext = Item(m, QStringLiteral("Selecionar Próximo Ponto "), Keys(Qt::ALT | Qt::Key_Right),
                     QStringLiteral("Próximo|Seleciona o próximo ponto da curva"), kIcoSelNext);
    mnSelPrev = Item(m, QStringLiteral("Selecionar Ponto Anterior"), Keys(Qt::ALT | Qt::Key_Left),
                     QStringLiteral("Anterior|Seleciona o ponto anterior da curva"), kIcoSelPrev);
    mnUndoLast = Item(m, QStringLiteral("Desfa&zer Último Ponto <b2>"), Keys(Qt::CTRL | Qt::Key_Backspace),
                      QStringLiteral("Desfaz|Exclui o último ponto inserido na curva"), kIcoUndo);
    mnDelSelPt = Item(m, QStringLiteral("E&xcluir Ponto Selecionado"), Keys(Qt::CTRL | Qt::Key_Delete),
                      QStringLiteral("Exclui|Exclui o ponto selecionado da curva"), kIcoDelete);

    connect(mnDigCurve, &QAction::triggered, this, &TRChartFrm::mnDigCurveClick);
    connect(mnAutoTrace, &QAction::triggered, this, &TRChartFrm::mnAutoTraceClick);
    connect(mnSpill, &QAction::triggered, this, &TRChartFrm::mnSpillClick);
    connect(mnAddFail, &QAction::triggered, this, &TRChartFrm::mnAddFailClick);
    connect(mnEndDigit, &QAction::triggered, this, &TRChartFrm::mnEndDigitClick);
    connect(mnShowValues, &QAction::triggered, this, &TRChartFrm::mnShowValuesClick);
    connect(mnAddToEnd, &QAction::triggered, this, &TRChartFrm::mnAddToEndClick);
    connect(mnRoundToZero, &QAction::triggered, this, &TRChartFrm::mnRoundToZeroClick);
    connect(mnSelNext, &QAction::triggered, this, &TRChartFrm::mnSelNextClick);
    connect(mnSelPrev, &QAction::triggered, this, &TRChartFrm::mnSelPrevClick);
    connect(mnUndoLast, &QAction::triggered, this, &TRChartFrm::mnUndoLastClick);
    connect(mnDelSelPt, &QAction::triggered, this, &TRChartFrm::mnDelSelPtClick);
}

void TRChartFrm::BuildViewMenu()
{
    mnView = new QMenu(QStringLiteral("E&xibir"), this);
    QMenu* m = mnView;
    mnRedo = Item(m, QStringLiteral("Atualizar E&xibição"), Keys(Qt::Key_F5),
                  QStringLiteral("Atualiza|Redesenha o pluviograma"), kIcoRefresh);
    m->addSeparator();
    mnAllGrid = Item(m, QStringLiteral("Todas as &Grades"), Keys(Qt::CTRL | Qt::Key_G),
                     QStringLiteral("Todas as Grades|Exibe as grades principais e secundárias do tempo e da "
                                    "precipitação"),
                     kIcoGridAll);
    mnNoneGrid = Item(m, QStringLiteral("&Ocultar Grades"), Keys(Qt::CTRL | Qt::Key_H),
                      QStringLiteral("Oculta Grades|Oculta todas as grades"), kIcoGridNone);
    mnTimeGrid = Item(m, QStringLiteral("Grade Principal do &Tempo"), {},
                      QStringLiteral("Grade do Tempo|Exibe ou oculta as linhas de hora em hora"));
    mnTimeGrid2 = Item(m, QStringLiteral("Grade Secundária do T&empo"), {},
                       QStringLiteral("Grade do Tempo|Exibe ou oculta as linhas de 10 em 10 minutos"));
    mnPrecGrid = Item(m, QStringLiteral("Grade Principal da &Precipitação"), {},
                      QStringLiteral("Grade da Precipitação|Exibe ou oculta as linhas de milímetro em milímetro"));
    mnPrecGrid2 = Item(m, QStringLiteral("Grade Secundária da Pre&cipitação"), {},
                       QStringLiteral("Grade da Precipitação|Exibe ou oculta as linhas de 1/6 em 1/6 de milímetro"));
    for (QAction* a : {mnAllGrid, mnNoneGrid, mnTimeGrid, mnTimeGrid2, mnPrecGrid, mnPrecGrid2})
        a->setCheckable(true);
    m->addSeparator();
    // Keys 0xDB and 0xDD: the "[{" and "]}" keys.
    mnIncZoom = Item(m, QStringLiteral("&Ampliar  <+>"), Keys(Qt::CTRL | Qt::Key_BracketLeft),
                     QStringLiteral("Amplia o desenho do pluviograma em acréscimos de 25%"), kIcoZoomIn);
    mnDecZoom = Item(m, QStringLiteral("&Reduzir <->"), Keys(Qt::CTRL | Qt::Key_BracketRight),
                     QStringLiteral("Reduz o desenho do pluviograma em decréscimos de 25%"), kIcoZoomOut);
    auto* group = new QActionGroup(m);
    group->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    for (int i = 0; i < 5; ++i) {
        const int tag = i + 1;
        mnZ[i] = Item(m, QStringLiteral("&%1%").arg(tag * 100), Keys(Qt::CTRL | Qt::Key(Qt::Key_1 + i)),
                      QStringLiteral("Exibe o desenho do pluviograma em %1%").arg(tag * 100),
                      i == 0 ? kIcoZoom100 : nullptr);
        mnZ[i]->setCheckable(true);
        group->addAction(mnZ[i]);
        connect(mnZ[i], &QAction::triggered, this, [this, tag] { SetZoom(tag); });
    }
    mnZUser = Item(m, QStringLiteral("Personali&zado"), {},
                   QStringLiteral("Personalizado|Ampliação escolhida na caixa de zoom ou pelo teclado"));
    mnZUser->setCheckable(true);
    group->addAction(mnZUser);

    connect(mnRedo, &QAction::triggered, this, &TRChartFrm::mnRedoClick);
    connect(mnAllGrid, &QAction::triggered, this, &TRChartFrm::mnAllGridClick);
    connect(mnNoneGrid, &QAction::triggered, this, &TRChartFrm::mnNoneGridClick);
    connect(mnTimeGrid, &QAction::triggered, this, [this] { ToggleGridBit(0, 1); });
    connect(mnTimeGrid2, &QAction::triggered, this, [this] { ToggleGridBit(0, 2); });
    connect(mnPrecGrid, &QAction::triggered, this, [this] { ToggleGridBit(1, 1); });
    connect(mnPrecGrid2, &QAction::triggered, this, [this] { ToggleGridBit(1, 2); });
    connect(mnIncZoom, &QAction::triggered, this, &TRChartFrm::ZoomIn);
    connect(mnDecZoom, &QAction::triggered, this, &TRChartFrm::ZoomOut);
}

void TRChartFrm::UpdateActions()
{
    if (!FDoc || !mnScale)
        return;
    const TRChart& d = *FDoc;
    const TScale& s = d.Scale();
    // Clicks on the scan snap to the printed grid while this chart's control points are marked.
    TGridAssist::Instance().SetMarking(d.State() == DefiningScale, d.Info.Hour, !d.Info.Linear);
    const TCurve& c = d.Curve();
    const int state = d.State();
    const bool tablet = TabletAvailable();
    const bool defining = s.InDefinition();
    const bool digitizing = state == Digitizing;
    const TToolWindows& tools = ToolWindows();

    mnDefScale->setEnabled(tablet && state == AwaitingScale && !s.Concluded);
    mnFinishScale->setEnabled(s.Valid && !s.Concluded);
    mnCancelScale->setEnabled(defining);
    mnShowCtrlPt->setEnabled(d.Info.Kind == 0 && (defining || s.Concluded));
    mnShowCtrlPt->setChecked(tools.ScaleStat && tools.ScaleStat->ToolVisible());
    mnUndoLastPt->setEnabled(defining && !s.IsEmpty());

    mnDigCurve->setEnabled(tablet && state == Idle && d.Info.Kind == 0 && s.Concluded);
    mnDigCurve->setChecked(digitizing);
    mnAutoTrace->setEnabled((state == Idle || digitizing) && d.Info.Kind == 0 && s.Concluded && ScanShown());
    NoteScaleScan();
    mnSpill->setEnabled(digitizing && (d.CanAddSpill() || d.CanAddEmptying()));
    mnAddFail->setEnabled(digitizing);
    mnEndDigit->setEnabled(digitizing);
    const bool values = digitizing || (state == Idle && !c.IsEmpty());
    mnShowValues->setEnabled(values);
    mnShowValues->setChecked(values && tools.Results && tools.Results->ToolVisible());
    mnAddToEnd->setEnabled(digitizing);
    mnAddToEnd->setChecked(DigOptions().ChronologicalOrder);
    mnRoundToZero->setEnabled(digitizing);
    mnRoundToZero->setChecked(DigOptions().RoundToZero);
    mnUndoLast->setEnabled(digitizing && !c.IsEmpty());
    UpdateSelectionActions();
    UpdateEditActions();
    RecoveryCheck();
}

void TRChartFrm::UpdateSelectionActions()
{
    if (!FDoc || !mnScale)
        return;
    const TScale& s = FDoc->Scale();
    const TCurve& c = FDoc->Curve();
    const bool digitizing = FDoc->State() == Digitizing;
    mnDelPt->setEnabled(s.InDefinition() && s.Selected());
    const int sel = c.SelectedIndex();
    mnSelNext->setEnabled(digitizing && (sel >= 0 ? sel < c.Count() - 1 : !c.IsEmpty()));
    mnSelPrev->setEnabled(digitizing && sel > 0);
    mnDelSelPt->setEnabled(digitizing && c.Selected());
}

void TRChartFrm::ViewMenuOpening()
{
    const int tg = FDoc->ViewFlags(0), pg = FDoc->ViewFlags(1);
    mnNoneGrid->setChecked(tg == 0 && pg == 0);
    mnNoneGrid->setEnabled(!mnNoneGrid->isChecked());
    mnAllGrid->setChecked(tg == 3 && pg == 3);
    mnAllGrid->setEnabled(!mnAllGrid->isChecked());
    mnTimeGrid->setChecked(tg & 1);
    mnTimeGrid2->setChecked(tg & 2);
    mnTimeGrid2->setEnabled(tg & 1);
    mnPrecGrid->setChecked(pg & 1);
    mnPrecGrid2->setChecked(pg & 2);
    mnPrecGrid2->setEnabled(pg & 1);

    for (int i = 0; i < 5; ++i)
        mnZ[i]->setChecked(FZoom == i + 1);
    const bool listed = (FZoom == std::floor(FZoom) && FZoom >= 1 && FZoom <= 5) || FZoom == 10;
    mnZUser->setVisible(!listed);
    mnZUser->setChecked(!listed);
    if (!listed)
        mnZUser->setText(QString::fromStdString(FormatNum("%.5g", 100 * FZoom)) + QStringLiteral("% - &Personalizado"));
}

void TRChartFrm::ToggleGridBit(int index, int bit)
{
    FDoc->SetViewFlags(index, std::uint8_t(FDoc->ViewFlags(index) ^ bit));
}

void TRChartFrm::mnRedoClick()
{
    FSBox->viewport()->update();
    FBox->update();
}

void TRChartFrm::mnAllGridClick()
{
    FDoc->SetViewFlags(0, 3);
    FDoc->SetViewFlags(1, 3);
}

void TRChartFrm::mnNoneGridClick()
{
    FDoc->SetViewFlags(0, 0);
    FDoc->SetViewFlags(1, 0);
}

} // namespace rs
