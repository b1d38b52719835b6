// The main window's actions, menus, tool bar and status bar.

#include "shell/ui/uMain.h"

#include "chartwin/ScanDesk.h"

#include "chartwin/Pictures.h"
#include "chartwin/uRChartWndServices.h"
#include "shell/uLastFiles.h"
#include "shell/ui/uMainStatus.h"
#include "shell/ui/uMainZoomBox.h"
#include "tablet/Tablet.h"

#include <QAction>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <QToolButton>

namespace rs {

namespace {

QAction* MakeAction(QObject* owner, const QString& caption, const QKeySequence& key, const QString& hint,
                    const char* icon)
{
    auto* a = new QAction(caption, owner);
    if (!key.isEmpty())
        a->setShortcut(key);
    if (!hint.isEmpty())
        wnd::SetHint(a, hint);
    if (icon)
        a->setIcon(PicIcon(icon));
    return a;
}

QString Native(const std::string& s) { return QFile::decodeName(QByteArray::fromStdString(s)); }

} // namespace

void TMainFrm::BuildActions()
{
    FileNew = MakeAction(this, QStringLiteral("&Novo Pluviograma..."), QKeySequence(Qt::CTRL | Qt::Key_N),
                         QStringLiteral("Novo Pluviograma|Digitaliza um novo pluviograma"), kIcoNew);
    FileDryDays = MakeAction(this, QStringLiteral("Dias  sem &Chuva/Pluviogramas..."),
                             QKeySequence(Qt::CTRL | Qt::Key_O),
                             QStringLiteral("Cria arquivos para os dias em que não choveu, ou para os quais não "
                                            "existem pluviogramas"),
                             kIcoDryDays);
    FileOpen = MakeAction(this, QStringLiteral("&Abrir..."), QKeySequence(Qt::CTRL | Qt::Key_A),
                          QStringLiteral("Abre|Abre um ou mais arquivos de dados"), kIcoOpen);
    FileClose = MakeAction(this, QStringLiteral("&Fechar"), {}, QStringLiteral("Fecha|Fecha o arquivo corrente"),
                           kIcoClose);
    FileSave = MakeAction(this, QStringLiteral("&Salvar"), QKeySequence(Qt::CTRL | Qt::Key_S),
                          QStringLiteral("Salva|Salva o arquivo corrente"), kIcoSave);
    PastadeDados1 = MakeAction(this, QStringLiteral("&Pasta de Dados..."), {},
                               QStringLiteral("Altera a pasta na qual os dados serão armazenados"), kIcoDataFolder);
    mnConvertOldFiles = MakeAction(this, QStringLiteral("Converter Arquivos \".dpb\" -> \".pvd\" ..."), {},
                                   QStringLiteral("Converte os arquivos do formato antigo (.dpb) para o formato "
                                                  "atual (.pvd)"),
                                   kIcoConvert);
    FileExplorer = MakeAction(this, QStringLiteral("Apresentar &Resumos..."), QKeySequence(Qt::CTRL | Qt::Key_R),
                              QStringLiteral("Apresenta os resumos de todos os arquivos de uma pasta"),
                              kIcoExplorer);
    FileProp = MakeAction(this, QStringLiteral("Propri&edades..."), QKeySequence(Qt::ALT | Qt::Key_Return),
                          QStringLiteral("Propriedades|Exibe/Edita as propriedades (informações) do pluviograma"),
                          kIcoProperties);
    FileOptions = MakeAction(this, QStringLiteral("&Preferências..."), {},
                             QStringLiteral("Altera algumas propriedades do programa, conforme a sua preferência"),
                             kIcoOptions);
    FileExit = MakeAction(this, QStringLiteral("Sai&r"), {}, QStringLiteral("Finaliza o programa"), kIcoExit);
    FileExit->setMenuRole(QAction::NoRole);

    mnTestTable = MakeAction(this, QStringLiteral("&Testar..."), QKeySequence(Qt::CTRL | Qt::Key_M),
                             QStringLiteral("Testa a presença da mesa digitalizadora e os botões do cursor"),
                             kIcoTabletTest);
    mnAbsMode = MakeAction(this, QStringLiteral("Modo &Absoluto (Digitalização)"), {},
                           QStringLiteral("Ajusta a mesa para operar em modo de digitalização"), kIcoAbsMode);
    mnRelMode = MakeAction(this, QStringLiteral("Modo &Relativo (Mouse)"), {},
                           QStringLiteral("Ajusta a mesa para operar com a funcionalidade de mouse"), kIcoRelMode);
    mnSwapMode = MakeAction(this, QStringLiteral("Alternar &Modos Abs/Rel <b4>"),
                            QKeySequence(Qt::CTRL | Qt::Key_Space),
                            QStringLiteral("Muda o modo de operação da mesa de absoluto para relativo e vice-versa"),
                            kIcoSwapMode);
    mnAbsMode->setCheckable(true);
    mnRelMode->setCheckable(true);

    mnSupport = MakeAction(this, QStringLiteral("&Suporte Técnico..."), {},
                           QStringLiteral("Suporte|Informa como relatar problemas e enviar sugestões"), kIcoSupport);
    HelpAbout1 = MakeAction(this, QStringLiteral("&Sobre..."), {},
                            QStringLiteral("Sobre|Mostra informações sobre o programa, versão e direitos autorais"),
                            kIcoAbout);
    HelpAbout1->setMenuRole(QAction::NoRole);

    // What the chart buttons show while no chart window is active.
    FIdleDefScale = MakeAction(this, QStringLiteral("&Definir Escala..."), {},
                               QStringLiteral("Define Escala|Define uma escala de conversão, através da marcação de "
                                              "pontos de controle"),
                               kIcoDefScale);
    FIdleDigit = MakeAction(this, QStringLiteral("&Digitalizar Curva"), {},
                            QStringLiteral("Digitaliza curva|Inicia a digitalização da curva de precipitação"),
                            kIcoDigitize);
    FIdleSpill = MakeAction(this, QStringLiteral("Sinalizar &Transbordamento <b4>"), {},
                            QStringLiteral("Sinzaliza transbordamento <b4>|Insere um pico ou transbordamento e "
                                           "retorna a zero, segundos após"),
                            kIcoOverflow);
    FIdleUndo = MakeAction(this, QStringLiteral("&Desfazer"), {},
                           QStringLiteral("Desfaz|Desfaz a última alteração do pluviograma"), kIcoUndo);
    FIdleRedo = MakeAction(this, QStringLiteral("&Refazer"), {},
                           QStringLiteral("Refaz|Refaz a alteração desfeita por último"), nullptr);
    FIdleRedo->setIcon(PicIconMirrored(kIcoUndo));
    FIdleAutoTrace = MakeAction(this, QStringLiteral("Traçar &Automaticamente"), {},
                                QStringLiteral("Traça automaticamente|Lê a curva da imagem mostrada na Mesa Virtual, "
                                               "pela escala marcada sobre ela"),
                                nullptr);
    FIdleAutoTrace->setIcon(AutoTraceIcon());
    for (QAction* a : {FIdleDefScale, FIdleDigit, FIdleAutoTrace, FIdleSpill, FIdleUndo, FIdleRedo})
        a->setEnabled(false);

    connect(FileNew, &QAction::triggered, this, &TMainFrm::FileNewExecute);
    connect(FileDryDays, &QAction::triggered, this, &TMainFrm::FileDryDaysExecute);
    connect(FileOpen, &QAction::triggered, this, &TMainFrm::FileOpenExecute);
    connect(FileClose, &QAction::triggered, this, &TMainFrm::FileCloseExecute);
    connect(FileSave, &QAction::triggered, this, &TMainFrm::FileSaveExecute);
    connect(PastadeDados1, &QAction::triggered, this, &TMainFrm::PastadeDados1Click);
    connect(mnConvertOldFiles, &QAction::triggered, this, &TMainFrm::mnConvertOldFilesClick);
    connect(FileExplorer, &QAction::triggered, this, &TMainFrm::FileExplorerExecute);
    connect(FileProp, &QAction::triggered, this, &TMainFrm::FilePropExecute);
    connect(FileOptions, &QAction::triggered, this, &TMainFrm::FileOptionsExecute);
    connect(FileExit, &QAction::triggered, this, &TMainFrm::FileExitExecute);
    connect(mnTestTable, &QAction::triggered, this, &TMainFrm::mnTestTableClick);
    connect(mnAbsMode, &QAction::triggered, this, &TMainFrm::mnAbsModeClick);
    connect(mnRelMode, &QAction::triggered, this, &TMainFrm::mnRelModeClick);
    connect(mnSwapMode, &QAction::triggered, this, &TMainFrm::mnSwapModeClick);
    connect(mnSupport, &QAction::triggered, this, &TMainFrm::mnSupportClick);
    connect(HelpAbout1, &QAction::triggered, this, &TMainFrm::HelpAbout1Click);
}

void TMainFrm::BuildMenus()
{
    mnFile = menuBar()->addMenu(QStringLiteral("&Arquivo"));
    for (QAction* a : {FileNew, FileDryDays, FileOpen, FileClose, FileSave, PastadeDados1, mnConvertOldFiles})
        mnFile->addAction(a);
    mnFile->addSeparator();
    for (QAction* a : {FileExplorer, FileProp, FileOptions})
        mnFile->addAction(a);
    mnFile->addSeparator();
    mnFile->addAction(FileExit);

    mnTablet = menuBar()->addMenu(QStringLiteral("&Mesa"));
    for (QAction* a : {mnTestTable, mnAbsMode, mnRelMode, mnSwapMode})
        mnTablet->addAction(a);
    connect(mnTablet, &QMenu::aboutToShow, this, &TMainFrm::TabletMenuOpening);

    mnHelp = menuBar()->addMenu(QStringLiteral("&Ajuda"));
    wnd::SetHint(mnHelp->menuAction(), QStringLiteral("Tópicos relacionados com a ajuda"));
    mnHelp->addAction(mnSupport);
    mnHelp->addAction(HelpAbout1);
}

void TMainFrm::BuildToolBar()
{
    ToolBar = addToolBar(QStringLiteral("Ferramentas"));
    ToolBar->setObjectName(QStringLiteral("ToolBar"));
    ToolBar->setMovable(false);
    ToolBar->setFloatable(false);
    ToolBar->setIconSize(QSize(16, 16));
    ToolBar->setFixedHeight(28);
    ToolBar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    ToolBar->toggleViewAction()->setVisible(false);

    auto button = [this](QAction* action) {
        auto* b = new QToolButton(ToolBar);
        b->setAutoRaise(true);
        b->setFixedWidth(24);
        b->setDefaultAction(action);
        ToolBar->addWidget(b);
        return b;
    };
    // The new button has a tooltip of its own.
    auto* newAction = MakeAction(this, QStringLiteral("Novo"), {},
                                 QStringLiteral("Novo|Digitaliza um novo pluviograma"), kIcoNew);
    connect(newAction, &QAction::triggered, FileNew, &QAction::trigger);
    btNew = button(newAction);
    btOpen = button(FileOpen);
    btSave = button(FileSave);
    ToolBar->addSeparator();
    btDefScale = button(FIdleDefScale);
    btDigit = button(FIdleDigit);
    btAutoTrace = button(FIdleAutoTrace);
    btSpill = button(FIdleSpill);
    ToolBar->addSeparator();
    btUndo = button(FIdleUndo);
    btRedo = button(FIdleRedo);
    ToolBar->addSeparator();

    FZoomBox = new TZoomBox(ToolBar);
    wnd::SetHint(FZoomBox, QStringLiteral("Zoom"));
    ToolBar->addWidget(FZoomBox);
    connect(FZoomBox, &TZoomBox::Chosen, this, &TMainFrm::ZoomChoice);
}

void TMainFrm::BuildStatusBar()
{
    FStatus = new TMainStatusBar(this);
    setStatusBar(FStatus);
}

void TMainFrm::TabletMenuOpening()
{
    TRChartFrm* w = ActiveChartWindow();
    if (!w) {
        mnAbsMode->setChecked(false);
        mnAbsMode->setEnabled(false);
        mnRelMode->setChecked(true);
        mnRelMode->setEnabled(false);
        mnSwapMode->setEnabled(false);
    } else {
        const bool absolute = w->TabletMode() == 0;
        mnAbsMode->setChecked(absolute);
        mnRelMode->setChecked(!absolute);
        mnAbsMode->setEnabled(!absolute);
        mnRelMode->setEnabled(absolute);
        mnSwapMode->setEnabled(true);
    }
    mnTestTable->setEnabled(true);
}

void TMainFrm::RebuildRecentMenu()
{
    for (QAction* a : FRecentActions) {
        mnFile->removeAction(a);
        // The entry being chosen may be the one that rebuilds the menu.
        a->deleteLater();
    }
    FRecentActions.clear();
    if (!FLastFiles || !FLastFiles->HasSeparator())
        return;
    FRecentActions.push_back(mnFile->addSeparator());
    const auto& entries = FLastFiles->Entries();
    for (int i = 0; i < int(entries.size()); ++i) {
        auto* a = new QAction(Native(entries[std::size_t(i)].Caption), mnFile);
        a->setToolTip(Native(entries[std::size_t(i)].Hint));
        a->setStatusTip(a->toolTip());
        connect(a, &QAction::triggered, this, [this, i] {
            if (FLastFiles)
                FLastFiles->Choose(i);
        });
        mnFile->addAction(a);
        FRecentActions.push_back(a);
    }
}

} // namespace rs
