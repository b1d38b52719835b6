#include "chartwin/uRChartWnd.h"

#include "chartwin/DrawBox.h"
#include "chartwin/ScanDesk.h"
#include "chartwin/Pictures.h"
#include "chartwin/QtCanvas.h"
#include "chartwin/SnapCursor.h"
#include "chartwin/uHistoryFrm.h"
#include "document/uEditHistory.h"
#include "shell/uOptions.h"
#include "chartwin/uRChartWndServices.h"
#include "common/Utils.h"
#include "common/uGlobal.h"
#include "scale/ui/uScaleTools.h"
#include "shell/uRecovery.h"
#include "tablet/Tablet.h"

#include <QCloseEvent>
#include <QFile>
#include <QLabel>
#include <QLayout>
#include <QMdiArea>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>

#include <algorithm>

namespace rs {

namespace {

std::vector<TRChartFrm*> gWindows;
TRChartFrm* gActive = nullptr;
TChartHost* gHost = nullptr;
TToolWindows gTools;

QString PathText(const std::string& path) { return QFile::decodeName(QByteArray::fromStdString(path)); }

// The diagonal cross shown around a drawing smaller than its window.
QBrush DiagCrossBrush()
{
    QPixmap tile(8, 8);
    tile.fill(QColor(192, 192, 192));
    QPainter p(&tile);
    p.setPen(QColor(128, 128, 128));
    p.drawLine(0, 0, 7, 7);
    p.drawLine(0, 7, 7, 0);
    return QBrush(tile);
}

// A program picture; a drawn stand-in keeps the window usable when one is missing.
QPixmap Picture(const char* name, QSize size, QColor colour)
{
    QPixmap pix(QString::fromLatin1(name));
    if (!pix.isNull())
        return pix;
    pix = QPixmap(size);
    pix.fill(Qt::transparent);
    QPainter p(&pix);
    p.setPen(colour);
    p.setBrush(colour);
    p.drawRect(1, 1, size.width() - 3, size.height() - 3);
    return pix;
}

TRChartFrm* CreateChartWindow()
{
    auto* w = new TRChartFrm;
    if (gHost && gHost->ChartArea())
        gHost->ChartArea()->addSubWindow(w);
    return w;
}

void ShowChartWindow(TRChartFrm* w)
{
    // New windows cascade from the top-left corner, one title bar apart.
    if (gHost && gHost->ChartArea()) {
        const QSize area = gHost->ChartArea()->viewport()->size();
        const int n = int(gHost->ChartArea()->subWindowList().size()) - 1;
        const int step = 26;
        const int rows = std::max(1, (area.height() - 100) / step);
        w->move((n % rows) * step, (n % rows) * step);
    }
    w->show();
    if (gHost && gHost->ChartArea())
        gHost->ChartArea()->setActiveSubWindow(w);
}

} // namespace

void SetChartHost(TChartHost* host) { gHost = host; }
TChartHost* ChartHost() { return gHost; }
TToolWindows& ToolWindows() { return gTools; }
const std::vector<TRChartFrm*>& ChartWindows() { return gWindows; }
TRChartFrm* ActiveChartWindow() { return gActive; }

TRChartFrm* NewChartWindow(const TRChartInfo& info)
{
    TRChartFrm* w = CreateChartWindow();
    w->Doc().SetInfo(info);
    w->ResetHistory(false);
    w->UpdateInfo();
    ShowChartWindow(w);
    return w;
}

TRChartFrm* OpenChartFile(const std::string& fileName)
{
    if (!TRChart::IsDataFile(fileName)) {
        wnd::ShowError(QStringLiteral("O arquivo \"%1\" não foi reconhecido pelo programa.").arg(PathText(fileName)));
        return nullptr;
    }
    TRChartFrm* w = CreateChartWindow();
    if (!w->Doc().LoadFromFile(fileName)) {
        delete w;
        // The document gives no reason of its own: say at least which file failed.
        wnd::ShowError(QStringLiteral("O arquivo %1 não pode ser aberto").arg(PathText(fileName)));
        return nullptr;
    }
    w->ResetHistory(true);
    w->ShowOpened();
    return w;
}

TRChartFrm* OpenRecoveredChart(const TRecoveryEntry& entry)
{
    TRChartFrm* w = CreateChartWindow();
    if (!TRecoveryStore::Read(entry, w->Doc())) {
        delete w;
        return nullptr;
    }
    w->AdoptRecoveryFile(entry.CopyFile);
    w->ResetHistory(false); // a recovered chart is not its file's contents
    w->ShowOpened();
    return w;
}

TRChartFrm* FindChartWindow(const std::string& fileName)
{
    const QString name = PathText(fileName);
    for (TRChartFrm* w : gWindows)
        if (PathText(w->Doc().Info.FileName).compare(name, Qt::CaseInsensitive) == 0)
            return w;
    return nullptr;
}

void RefreshChartWindows()
{
    for (TRChartFrm* w : gWindows)
        w->RefreshAfterPreferences();
}

void SyncToolWindows()
{
    if (gActive) {
        const bool hasPoints = !gActive->Doc().Curve().IsEmpty();
        if (TToolWindow* r = gTools.Results) {
            if (r->ToolVisible() && hasPoints)
                r->ReloadTool();
            else
                r->SetToolVisible(hasPoints);
        }
        if (gTools.ScaleStat)
            gTools.ScaleStat->ReloadTool();
        if (gTools.CtrlPrompt)
            gTools.CtrlPrompt->ReloadTool();
        gActive->StateChanged();
    } else if (gWindows.empty()) {
        for (TToolWindow* t : {gTools.Results, gTools.ScaleStat, gTools.CtrlPrompt})
            if (t)
                t->SetToolVisible(false);
        if (gHost)
            gHost->StatusSingleText();
    }
}

// --- the window ------------------------------------------------------------

TRChartFrm::TRChartFrm(QWidget* parent) : QMdiSubWindow(parent)
{
    setAttribute(Qt::WA_DeleteOnClose);
    // The scale's tool windows follow the active chart window from the first one on.
    RegisterScaleToolWindows();
    gWindows.push_back(this);
    BuildControls();
    CreateTablet();

    // The document draws on the surface and places its markers there.
    FDoc = std::make_unique<TRChart>(FBox);
    TScale& scale = FDoc->Scale();
    scale.BoxRect = {0, 0, kBaseWidth, kBaseHeight};
    scale.TabletRect = TabletContextRect();
    FDoc->OnStateChange = [this](TRChart*) { StateChanged(); };
    FDoc->OnInfoChange = [this](TRChart*) { UpdateInfo(); };
    FDoc->OnChange = [this](TRChart*) {
        FBox->update();
        UpdateActions();
    };
    scale.OnBeforeInsert = [this](TPointList*, int&, bool& accept, TDigPoint* point) {
        CtrlPointCheck(point, accept);
    };
    // "Excluir Ponto Selecionado" and its key work as soon as a point is chosen, in
    // the chart or in a tool window, not only after the next idle pass or menu.
    scale.OnSelectionChange = [this](TPointList*) { UpdateSelectionActions(); };
    FDoc->Curve().OnSelectionChange = [this](TPointList*) { UpdateSelectionActions(); };
    FBox->AddPointList(&scale);
    FBox->AddPointList(&FDoc->Curve());
    FBox->OnPaint = [this](TDrawBox*, TCanvas& canvas) {
        FDoc->DrawChart(canvas);
        PaintUnsure(canvas);
    };
    FHistory = std::make_unique<TEditHistory>(*FDoc);

    // 20 and 620 are the first and last hour; -1 mm lies at 311 and 11 mm at 111.
    scale.SetGridRect({20, 311, 620, 111});
    SetZoom(1.0);
    LoadPictures();
    BuildMenus();
    RefreshAfterPreferences();
    UpdateActions();
    StartRecovery();

    connect(this, &QMdiSubWindow::windowStateChanged, this, [this](Qt::WindowStates before, Qt::WindowStates now) {
        if ((now & Qt::WindowActive) && !(before & Qt::WindowActive))
            Activated();
    });
}

TRChartFrm::~TRChartFrm()
{
    // A window goes once its changes are saved or the operator gave them up.
    DropRecovery();
    gWindows.erase(std::remove(gWindows.begin(), gWindows.end(), this), gWindows.end());
    if (gActive == this)
        gActive = gWindows.empty() ? nullptr : gWindows.back();
    DestroyTablet();
    // The markers must not report to a surface that is going away.
    FBox->RemovePointList(&FDoc->Scale());
    FBox->RemovePointList(&FDoc->Curve());
    FBox->OnPaint = nullptr;
    FDoc->OnChange = nullptr;
    FDoc->OnStateChange = nullptr;
    FDoc->OnInfoChange = nullptr;
    FDoc->Scale().OnSelectionChange = nullptr;
    FDoc->Curve().OnSelectionChange = nullptr;
    FDoc->Scale().SetParent(nullptr);
    FDoc->Curve().SetParent(nullptr);
    FHistory.reset();
    FDoc.reset();
    SyncToolWindows();
}

void TRChartFrm::BuildControls()
{
    FSBox = new QScrollArea(this);
    FSBox->setBackgroundRole(QPalette::Dark);
    QPalette pal = FSBox->palette();
    pal.setBrush(QPalette::Dark, DiagCrossBrush());
    FSBox->setPalette(pal);
    FSBox->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setWidget(FSBox);

    FBox = new TDrawBox;
    // The drawing's texts are dark on the light chart, not the light ones of the dark area around it.
    FBox->setBackgroundRole(QPalette::Base);
    FBox->setForegroundRole(QPalette::WindowText);
    FBox->setCursor(Qt::CrossCursor);
    FBox->SetColor(QtColorOf(ChartColors().Background));
    FBox->resize(kBaseWidth, kBaseHeight);
    FSBox->setWidget(FBox);

    FlbId = new QLabel(FBox);
    FlbId->move(20, 4);
    FlbId->setForegroundRole(QPalette::WindowText);
    FlbId->setAttribute(Qt::WA_TransparentForMouseEvents);

    const QString modeHint = QStringLiteral(
        "Duplo Clique -> Modo|Dê um duplo clique para alternar entre os modos absoluto e relativo");
    FimgCursor = new QLabel(FBox);
    FimgCursor->setPixmap(Picture(kPicModeAbs, {31, 53}, QColor(0, 128, 0)));
    FimgCursor->setGeometry(20, 30, 31, 53);
    wnd::SetHint(FimgCursor, modeHint);
    FimgCursor->hide();
    FimgMouse = new QLabel(FBox);
    FimgMouse->setPixmap(Picture(kPicModeRel, {31, 53}, Qt::black));
    FimgMouse->setGeometry(20, 30, 31, 53);
    wnd::SetHint(FimgMouse, modeHint);
    FimgCursor->installEventFilter(this);
    FimgMouse->installEventFilter(this);

    // The tablet cursor sprite starts out of sight, left of the drawing.
    FtabCursor = new TSnapCursor(FBox);
    FtabCursor->SetBitMap(Picture(kPicTabCursor, {21, 21}, Qt::red).toImage());
    FtabCursor->SetHotSpot(QPoint(kTabCursorHotX, kTabCursorHotY));
    FtabCursor->SetTransparent(true);
    FtabCursor->move(-FtabCursor->width() - 10, 0);
    FtabCursor->hide();

    connect(FBox, &TDrawBox::MouseMove, this, [this](Qt::MouseButtons, Qt::KeyboardModifiers, QPoint pos) {
        BoxMouseMove(pos);
    });
    connect(FBox, &TDrawBox::MouseLeft, this, [this] { ClearCursorReadout(); });
    for (QObject* o : {static_cast<QObject*>(FSBox), static_cast<QObject*>(FSBox->viewport()),
                       static_cast<QObject*>(FBox), static_cast<QObject*>(this)})
        o->installEventFilter(this);
}

void TRChartFrm::LoadPictures()
{
    // Picture 0 of the curve is a normal point, 1 an overflow peak, 2 a failure.
    const QPixmap ctrl = Picture(kPicCtrlPt2, {11, 11}, Qt::red);
    FDoc->Scale().AddGlyph(ctrl.width(), ctrl.height());
    FBox->SetGlyphs(&FDoc->Scale(), {ctrl});
    QList<QPixmap> data{Picture(kPicDataPt2, {5, 5}, Qt::blue), Picture(kPicDataPt2b, {7, 7}, Qt::red),
                        Picture(kPicDataPt2c, {7, 7}, Qt::darkGray)};
    for (const QPixmap& p : data)
        FDoc->Curve().AddGlyph(p.width(), p.height());
    FBox->SetGlyphs(&FDoc->Curve(), data);
}

void TRChartFrm::showEvent(QShowEvent* e)
{
    QMdiSubWindow::showEvent(e);
    if (FSized)
        return;
    FSized = true;
    // The client area shows the whole drawing: the surface plus what the frame takes.
    resize(FBox->width() + 32, FBox->height() + 32);
    if (layout())
        layout()->activate();
    resize(FBox->size() + size() - FSBox->maximumViewportSize());
}

void TRChartFrm::ShowOpened()
{
    ReadScanLinkOf(FDoc->Info.FileName);
    UpdateInfo();
    StateChanged();
    FShowCtrlPt = FDoc->Scale().Visible();
    ShowChartWindow(this);
    SyncToolWindows();
    if (gHost)
        gHost->FocusMainWindow();
}

void TRChartFrm::Activated()
{
    if (gWindows.empty() || gWindows.back() != this) {
        gWindows.erase(std::remove(gWindows.begin(), gWindows.end(), this), gWindows.end());
        gWindows.push_back(this);
    }
    gActive = this;
    TabletFocused();
    SyncToolWindows();
    ScanChartActivated(this);
}

void TRChartFrm::StateChanged()
{
    const int state = FDoc->State();
    if (gHost)
        gHost->StatusPanel(QString::fromUtf8(StateText(state)), 2);
    SetTabletMode(state == DefiningScale || state == Digitizing ? 0 : 1);
    UpdateActions();
}

void TRChartFrm::UpdateInfo()
{
    const TRChartInfo& info = FDoc->Info;
    setWindowTitle(PathText(ExtractFileName(info.FileName)));
    FlbId->setText(QStringLiteral("Data: %1   Estação: %2")
                       .arg(QString::fromStdString(DateToStr(info.Date)),
                            QString::fromStdString(Cp1252ToUtf8(info.StName))));
    FlbId->adjustSize();
    SyncToolWindows();
}

void TRChartFrm::RefreshAfterPreferences()
{
    const QString undo = QStringLiteral("Desfa&zer Último Ponto <b%1>").arg(Options().DeleteButton() + 1);
    mnUndoLast->setText(undo);
    mnUndoLastPt->setText(undo);
    cmdSpill->setText(QStringLiteral("Sinalizar &Transbordamento <b%1>").arg(Options().OverflowButton() + 1));
    FBox->SetColor(QtColorOf(ChartColors().Background));
    FBox->update();
}

bool TRChartFrm::Save(const std::string& fileName)
{
    try {
        FDoc->SaveToFile(fileName);
    } catch (const std::exception& e) {
        wnd::HandleException(e);
        return false;
    }
    setWindowTitle(PathText(ExtractFileName(fileName)));
    // Undoing back to this point leaves the chart as its file holds it.
    FHistory->MarkSaved();
    UpdateEditActions();
    DropRecovery();
    WriteScanLinkOf(fileName);
    return true;
}

bool TRChartFrm::CloseQuery()
{
    if (!FDoc->IsModified())
        return true;
    const wnd::TMsgAnswer a =
        wnd::Message(QStringLiteral("Deseja salvar as alterações em %1?").arg(PathText(FDoc->Info.FileName)),
                     wnd::TMsgKind::Confirmation, wnd::TMsgButtons::YesNoCancel);
    if (a == wnd::TMsgAnswer::Cancel)
        return false;
    if (a == wnd::TMsgAnswer::Yes) {
        if (gHost)
            gHost->SaveChart(this);
        else
            Save(FDoc->Info.FileName);
        return !FDoc->IsModified();
    }
    return true;
}

void TRChartFrm::closeEvent(QCloseEvent* e)
{
    if (!CloseQuery()) {
        e->ignore();
        return;
    }
    QMdiSubWindow::closeEvent(e);
}

} // namespace rs
