#include "chartwin/uResultFrm.h"

#include "chartwin/uRChartWndServices.h"
#include "common/Utils.h"
#include "common/uAtomicFile.h"
#include "common/ui/PlatformServices.h"
#include "common/ui/UiHelpers.h"
#include "document/uRainAnalysis.h"
#include "document/uRainCsv.h"

#include <QCloseEvent>
#include <QFile>
#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace rs {

namespace {

QPointer<TResultFrm> gResults;

// Registered with the chart windows from the start; the window itself is made
// the first time it has something to show.
class TResultsTool : public TToolWindow
{
public:
    bool ToolVisible() const override { return gResults && gResults->isVisible(); }
    void SetToolVisible(bool visible) override
    {
        if (visible)
            ResultFrm()->SetToolVisible(true);
        else if (gResults)
            gResults->SetToolVisible(false);
    }
    void ReloadTool() override
    {
        if (gResults)
            gResults->Reload();
    }
};
TResultsTool gTool;
const bool gRegistered = (ToolWindows().Results = &gTool, true);

bool DocAlive(const TRChart* doc)
{
    if (!doc)
        return false;
    for (TRChartFrm* w : ChartWindows())
        if (&w->Doc() == doc)
            return true;
    return false;
}

QPixmap ArrowPicture()
{
    QPixmap pix(6, 11);
    pix.fill(Qt::transparent);
    QPainter p(&pix);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    const QPointF tri[3] = {{0, 0}, {6, 5.5}, {0, 11}};
    p.drawPolygon(tri, 3);
    return pix;
}

QString U(const std::string& s) { return QString::fromUtf8(s.c_str()); }

QString DurationText(int minutes)
{
    if (minutes >= 60 && minutes % 60 == 0)
        return QStringLiteral("%1 h").arg(minutes / 60);
    return QStringLiteral("%1 min").arg(minutes);
}

// "dd/mm hh:mm": the year is the chart's, and the narrow window has no room for it.
QString StartText(double date, double hours)
{
    const QString t = U(ChartTimeText(date, hours));
    return t.size() >= 16 ? t.left(5) + t.mid(10) : t;
}

QLabel* Panel(QWidget* parent, int width)
{
    auto* l = new QLabel(parent);
    l->setFrameShape(QFrame::Panel);
    l->setFrameShadow(QFrame::Sunken);
    if (width > 0) {
        l->setFixedWidth(width);
        l->setAlignment(Qt::AlignCenter);
    }
    return l;
}

} // namespace

TResultFrm* ResultFrm()
{
    if (!gResults) {
        QWidget* owner = nullptr;
        if (TChartHost* host = ChartHost())
            if (QMdiArea* area = host->ChartArea())
                owner = area->window();
        gResults = new TResultFrm(owner);
    }
    return gResults;
}

TResultFrm::TResultFrm(QWidget* parent) : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint)
{
    (void)gRegistered;
    setWindowTitle(QStringLiteral("Pontos Digitalizados"));
    FArrow = ArrowPicture();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto* bar = new QMenuBar(this);
    QMenu* data = bar->addMenu(QStringLiteral("&Dados"));
    mnSelectAll = data->addAction(QStringLiteral("Selecionar &Tudo"));
    mnSelectAll->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_T));
    mnCopyCells = data->addAction(QStringLiteral("&Copiar Células"));
    mnCopyCells->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
    for (QAction* a : {mnSelectAll, mnCopyCells}) {
        a->setShortcutContext(Qt::WindowShortcut);
        addAction(a);
    }
    KeepOwnShortcuts(this);
    connect(mnSelectAll, &QAction::triggered, this, &TResultFrm::mnSelectAllClick);
    connect(mnCopyCells, &QAction::triggered, this, &TResultFrm::mnCopyCellsClick);
    layout->setMenuBar(bar);
    auto* bevel = new QFrame(this);
    bevel->setFrameShape(QFrame::HLine);
    bevel->setFrameShadow(QFrame::Sunken);
    layout->addWidget(bevel);

    FPages = new QTabWidget(this);
    layout->addWidget(FPages, 1);

    // Page 1: the points.
    auto* points = new QWidget;
    auto* pl = new QVBoxLayout(points);
    pl->setContentsMargins(0, 0, 0, 0);
    pl->setSpacing(0);
    FGrid = new TEnhDrawGrid(points);
    FGrid->SetColCount(5);
    FGrid->SetRowCount(1);
    FGrid->SetFixedCols(1);
    FGrid->SetFixedRows(1);
    FGrid->SetOptions(kDefaultGridOptions | goColSizing);
    const int colWidths[5] = {13, 77, 40, 36, 48};
    for (int c = 0; c < 5; ++c)
        FGrid->SetColWidth(c, colWidths[c]);
    FGrid->SetDefaultRowHeight(19);
    FGrid->OnGetCellText = [this](TEnhDrawGrid*, int c, int r, QString& text) { text = CellText(c, r); };
    FGrid->OnDrawCell = [this](TEnhDrawGrid*, int c, int r, const QRect& rect, TGridDrawState, QPainter& p) {
        DrawCell(p, c, r, rect);
    };
    FGrid->OnSelectCell = [this](TEnhDrawGrid*, int, int r, bool&) {
        RefreshStatus(r); // the grid's own row still is the old one here
    };
    FGrid->OnMouseDown = [this](TEnhDrawGrid*, Qt::MouseButton b, Qt::KeyboardModifiers, const QPoint& pos) {
        if (b == Qt::LeftButton)
            GridMouseDown(pos);
    };
    FGrid->OnMouseUp = [this](TEnhDrawGrid*, Qt::MouseButton b, Qt::KeyboardModifiers, const QPoint& pos) {
        if (b == Qt::LeftButton)
            GridMouseUp(pos);
    };
    pl->addWidget(FGrid, 1);
    FDropWarning = new QLabel(points);
    FDropWarning->setWordWrap(true);
    FDropWarning->setStyleSheet(QStringLiteral("QLabel { color: #a00000; padding: 2px; }"));
    FDropWarning->hide();
    pl->addWidget(FDropWarning);
    auto* status = new QWidget(points);
    auto* sl = new QHBoxLayout(status);
    sl->setContentsMargins(1, 1, 1, 1);
    sl->setSpacing(2);
    const int widths[4] = {32, 32, 60, 0};
    for (int i = 0; i < 4; ++i) {
        FPanels[i] = Panel(status, widths[i]);
        sl->addWidget(FPanels[i], i == 3 ? 1 : 0);
    }
    pl->addWidget(status);
    FPages->addTab(points, QStringLiteral("Pontos"));

    // Page 2: the maximum intensities.
    auto* maxima = new QWidget;
    auto* ml = new QVBoxLayout(maxima);
    ml->setContentsMargins(0, 0, 0, 0);
    ml->setSpacing(2);
    FMaxGrid = new QTableWidget(0, 4, maxima);
    FMaxGrid->setHorizontalHeaderLabels(
        {QStringLiteral("Duração"), QStringLiteral("mm"), QStringLiteral("mm/h"), QStringLiteral("Início")});
    const QString heads[4] = {QStringLiteral("Duração da janela"), QStringLiteral("Altura máxima (mm)"),
                              QStringLiteral("Intensidade máxima (mm/h)"), QStringLiteral("Início da janela")};
    for (int c = 0; c < 4; ++c)
        FMaxGrid->horizontalHeaderItem(c)->setToolTip(heads[c]);
    FMaxGrid->verticalHeader()->hide();
    FMaxGrid->verticalHeader()->setDefaultSectionSize(19);
    FMaxGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    FMaxGrid->horizontalHeader()->setStretchLastSection(true);
    FMaxGrid->setColumnWidth(0, 54);
    FMaxGrid->setColumnWidth(1, 44);
    FMaxGrid->setColumnWidth(2, 44);
    ml->addWidget(FMaxGrid, 1);
    auto* row = new QHBoxLayout;
    FMaxStatus = Panel(maxima, 0);
    FMaxStatus->setWordWrap(true);
    row->addWidget(FMaxStatus, 1);
    auto* exportBt = new QPushButton(QStringLiteral("Exportar..."), maxima);
    auto* exportMenu = new QMenu(exportBt);
    connect(exportMenu->addAction(QStringLiteral("&Intensidades Máximas...")), &QAction::triggered, this,
            [this] { ExportMaxima(); });
    connect(exportMenu->addAction(QStringLiteral("&Série de 5 em 5 minutos...")), &QAction::triggered, this,
            [this] { ExportSeries(5); });
    connect(exportMenu->addAction(QStringLiteral("Série de &Hora em Hora...")), &QAction::triggered, this,
            [this] { ExportSeries(60); });
    exportBt->setMenu(exportMenu);
    wnd::SetHint(exportBt, QStringLiteral("Exportar|Grava a série de precipitação ou as intensidades máximas do "
                                          "pluviograma num arquivo CSV"));
    row->addWidget(exportBt);
    ml->addLayout(row);
    FPages->addTab(maxima, QStringLiteral("Intensidades Máximas"));
    connect(FPages, &QTabWidget::currentChanged, this, [this](int page) {
        if (page == 1)
            RefreshMaxima();
    });

    resize(260, 420);
}

TResultFrm::~TResultFrm()
{
    if (isVisible())
        FPlace.Keep(*this);
    Detach();
}

void TResultFrm::Attach(TRChartFrm* window)
{
    if (window && window == FWindow && FDoc == &window->Doc())
        return;
    Detach();
    if (!window)
        return;
    FWindow = window;
    FDoc = &window->Doc();
    FWindowGone = connect(window, &QObject::destroyed, this, [this] {
        disconnect(FWindowGone);
        FWindow = nullptr;
        FDoc = nullptr;
    });
    TCurve& c = FDoc->Curve();
    c.OnSelect = [this](TPointList*) { CurveSelected(); };
    c.OnAdded = [this](TPointList*, TDigPoint*) { CurveChanged(); };
    c.OnRemoved = [this](TPointList*, TDigPoint*) { CurveChanged(); };
}

void TResultFrm::Detach()
{
    if (DocAlive(FDoc)) {
        TCurve& c = FDoc->Curve();
        c.OnSelect = nullptr;
        c.OnAdded = nullptr;
        c.OnRemoved = nullptr;
    }
    disconnect(FWindowGone);
    FWindow = nullptr;
    FDoc = nullptr;
}

void TResultFrm::Reload()
{
    TRChartFrm* active = ActiveChartWindow();
    if (!active) {
        Detach();
        for (QLabel* l : FPanels)
            l->clear();
        FDropWarning->clear();
        FDropWarning->hide();
        FMaxStatus->clear();
        close();
        return;
    }
    Attach(active);
    FCurrentRow = 0;
    CurveChanged();
    if (FPages->currentIndex() != 1)
        RefreshMaxima();
}

void TResultFrm::SetToolVisible(bool visible)
{
    if (visible) {
        show();
        Reload();
    } else
        hide();
}

void TResultFrm::CurveChanged()
{
    if (!FDoc)
        return;
    const TCurve& c = FDoc->Curve();
    FGrid->SetRowCount(c.Count() + 1);
    FGrid->SetFixedRows(1);
    const int sel = c.SelectedIndex();
    if (sel >= 0)
        MakeCurrent(sel + 1);
    else if (FCurrentRow > c.Count())
        FCurrentRow = 0;
    FGrid->InvalidateGrid();
    RefreshStatus();
    if (FPages->currentIndex() == 1)
        RefreshMaxima();
}

void TResultFrm::CurveSelected()
{
    if (FDoc && FDoc->Curve().Selected())
        MakeCurrent(FDoc->Curve().SelectedIndex() + 1);
}

void TResultFrm::MakeCurrent(int row)
{
    if (row == FCurrentRow)
        return;
    FGrid->InvalidateCell(0, FCurrentRow);
    FCurrentRow = row;
    if (row >= 1 && FDoc && row <= FDoc->Curve().Count()) {
        if (FGrid->Row() != row)
            FGrid->SetCurrent(std::max(1, FGrid->Col()), row);
        FGrid->MakeVisible(std::max(1, FGrid->Col()), row);
        FGrid->InvalidateCell(0, row);
        // The curve's selection event finds this row current and stops there.
        FDoc->Curve().SelectIndex(row - 1);
    }
}

void TResultFrm::RefreshStatus(int gridRow)
{
    if (!FDoc)
        return;
    const TCurve& c = FDoc->Curve();
    FPanels[0]->setText(c.Count() > 0 ? QString::number(gridRow >= 0 ? gridRow : FGrid->Row()) : QString());
    FPanels[1]->setText(QString::number(c.Count()));
    FPanels[2]->setText(U(PeaksText(c.Peaks)));
    FPanels[3]->setText(U(SumText(c.Sum, c.Failures)));
    RefreshDropWarning();
}

void TResultFrm::RefreshDropWarning()
{
    const std::vector<int> drops = FDoc ? FDoc->Curve().UnmarkedDrops() : std::vector<int>{};
    if (drops.empty()) {
        FDropWarning->clear();
        FDropWarning->hide();
        return;
    }
    const TCurve& c = FDoc->Curve();
    const TDigPoint* p = c.Items(drops.front());
    const double drop = p->Prec() - c.Items(drops.front() + 1)->Prec();
    const QString when = U(ChartTimeText(FDoc->Info.Date, p->Time())).mid(11);
    QString text = QStringLiteral("Atenção: a pena cai %1 mm sem marca após o ponto %2 (%3)")
                       .arg(U(FormatNum("%.1f", drop)))
                       .arg(drops.front() + 1)
                       .arg(when);
    if (drops.size() > 1)
        text += drops.size() > 2 ? QStringLiteral(" e em mais %1 pontos").arg(int(drops.size()) - 1)
                                 : QStringLiteral(" e em mais 1 ponto");
    text += QStringLiteral(
        ", e a queda diminui o total acumulado. Se o observador esvaziou o pluviógrafo, sinalize o esvaziamento "
        "com o comando de transbordamento; se não, confira os pontos.");
    FDropWarning->setText(text);
    FDropWarning->show();
}

QString TResultFrm::DropWarningText() const { return FDropWarning->isHidden() ? QString() : FDropWarning->text(); }

QString TResultFrm::PanelText(int index) const
{
    return index >= 0 && index < 4 ? FPanels[index]->text() : QString();
}

QString TResultFrm::CellText(int col, int row) const
{
    if (col <= 0 || col > 4)
        return {};
    if (row == 0) {
        static const char* const heads[] = {"", "Dia", "Hora", "Prec", "Total"};
        return QString::fromLatin1(heads[col]);
    }
    if (!FDoc || row > FDoc->Curve().Count())
        return {};
    return U(FDoc->CellText(row - 1, col - 1));
}

void TResultFrm::DrawCell(QPainter& p, int col, int row, const QRect& rect)
{
    if (col == 0) {
        if (row >= 1 && row == FCurrentRow)
            p.drawPixmap(rect.left() + (rect.width() - FArrow.width()) / 2,
                         rect.top() + (rect.height() - FArrow.height()) / 2, FArrow);
        return;
    }
    QFont f = font();
    p.setPen(Qt::black);
    if (col == 4 && row >= 1 && FDoc) {
        const TCurve& c = FDoc->Curve();
        if (const TDigPoint* pt = c.Items(row - 1)) {
            if (pt->Mark() == 1)
                p.setPen(Qt::red);
            if (pt->Mark() == 2 || row == c.Count())
                f.setBold(true);
        }
    }
    p.setFont(f);
    const QRect r = rect.adjusted(0, 1, -4, 0);
    const int align = (row == 0 ? Qt::AlignHCenter : Qt::AlignRight) | Qt::AlignVCenter;
    p.drawText(r, align, CellText(col, row)); // no Qt::TextShowMnemonic: '&' stays as it is
}

void TResultFrm::GridMouseDown(const QPoint& pos)
{
    const TGridCoord c = FGrid->MouseToCell(pos);
    FDownCol = c.X;
    FDownRow = c.Y;
}

void TResultFrm::GridMouseUp(const QPoint& pos)
{
    const TGridCoord c = FGrid->MouseToCell(pos);
    const int col = c.X, row = c.Y;
    const bool same = col == 0 && FDownCol == 0 && row == FDownRow;
    FDownCol = FDownRow = -1;
    if (!same)
        return;
    if (row == 0)
        mnSelectAllClick();
    else
        MakeCurrent(row);
}

void TResultFrm::mnSelectAllClick()
{
    FGrid->SetSelection({1, 0, FGrid->ColCount() - 1, FGrid->RowCount() - 1});
}

void TResultFrm::mnCopyCellsClick() { FGrid->CopyCells(FGrid->Selection()); }

void TResultFrm::showEvent(QShowEvent* e)
{
    QWidget::showEvent(e);
    if (FPlaced)
        return;
    FPlaced = true;
    if (!FPlace.Restore(*this))
        if (TChartHost* host = ChartHost())
            if (QMdiArea* area = host->ChartArea()) {
                const QRect m = area->window()->frameGeometry();
                const int h = std::max(120, m.height() - 97);
                setGeometry(m.right() + 1 - width() - 16, m.top() + 72, width(), h);
            }
    FPlace.Placed(*this);
}

void TResultFrm::hideEvent(QHideEvent* e)
{
    FPlace.Keep(*this);
    QWidget::hideEvent(e);
}

void TResultFrm::closeEvent(QCloseEvent* e)
{
    QWidget::closeEvent(e);
    if (TRChartFrm* w = ActiveChartWindow())
        w->UpdateActions();
}

// --- maximum intensities ------------------------------------------------------

void TResultFrm::RefreshMaxima()
{
    FMaxGrid->setRowCount(0);
    FMaxStatus->clear();
    if (!FDoc)
        return;
    const TRainAnalysis a = AnalyseChart(*FDoc);
    FMaxGrid->setRowCount(int(a.Maxima.size()));
    for (int i = 0; i < int(a.Maxima.size()); ++i) {
        const TMaxIntensity& m = a.Maxima[std::size_t(i)];
        // A window over a failure knows only part of its rain: at least this much.
        const QString ge = m.LowerBound ? QStringLiteral("≥") : QString();
        const QString cells[4] = {
            DurationText(m.Minutes), m.Valid ? ge + U(FormatNum("%.2f", m.Depth)) : QStringLiteral("—"),
            m.Valid ? ge + U(FormatNum("%.2f", m.Intensity)) : QStringLiteral("—"),
            m.Valid ? StartText(FDoc->Info.Date, m.Start) : QStringLiteral("sem registro")};
        for (int c = 0; c < 4; ++c) {
            auto* item = new QTableWidgetItem(cells[c]);
            item->setTextAlignment((c == 3 ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignVCenter);
            if (m.LowerBound)
                item->setToolTip(QStringLiteral("A janela atravessa uma falha do registro: a chuva da falha não "
                                                "é conhecida e a altura é um limite inferior."));
            FMaxGrid->setItem(i, c, item);
        }
    }
    const TRainQuality& q = a.Quality;
    const QString pm = q.Approximate ? QStringLiteral("±") : QString();
    QString text = QStringLiteral("Pluviógrafo: %1%2 mm").arg(pm, U(FormatNum("%.1f", q.Sum)));
    if (q.Comparable) {
        text += QStringLiteral("   Pluviômetro: %1 mm   Diferença: %2 mm")
                    .arg(U(FormatNum("%.1f", q.Gauge)), U(FormatNum("%+.1f", q.Difference)));
        if (q.Gauge > 0)
            text += QStringLiteral(" (%1%)").arg(U(FormatNum("%+.1f", q.DifferencePercent)));
    } else
        text += QStringLiteral("   (sem leitura do pluviômetro)");
    FMaxStatus->setText(text);
}

QString TResultFrm::MaxStatusText() const { return FMaxStatus->text(); }

bool TResultFrm::WriteCsv(const QString& title, const QString& suggested, const std::string& text)
{
    TFileDialogRequest request;
    request.Title = title;
    request.Filter = QStringLiteral("Arquivos CSV (*.csv)|*.csv|Todos os Arquivos (*.*)|*.*");
    request.DefaultExt = QStringLiteral("csv");
    request.FileName = suggested;
    const QString name = FileDialogs().AskSaveFileName(this, request);
    if (name.isEmpty())
        return false;
    TWriteError e;
    if (!WriteFileAtomically(QFile::encodeName(name).toStdString(), text, &e)) {
        wnd::ShowError(QStringLiteral("Não foi possível gravar o arquivo \"%1\": %2.")
                           .arg(name, QString::fromStdString(e.Reason)));
        return false;
    }
    return true;
}

namespace {
QString SuggestedName(const TRChart* doc, const QString& suffix)
{
    QString base = QFile::decodeName(QByteArray::fromStdString(doc->Info.FileName));
    const int dot = base.lastIndexOf(QLatin1Char('.'));
    const int slash = std::max(base.lastIndexOf(QLatin1Char('/')), base.lastIndexOf(QLatin1Char('\\')));
    if (dot > slash)
        base.truncate(dot);
    if (base.isEmpty())
        base = QStringLiteral("pluviograma");
    return base + suffix;
}
} // namespace

bool TResultFrm::ExportMaxima()
{
    if (!FDoc)
        return false;
    const TRainAnalysis a = AnalyseChart(*FDoc);
    return WriteCsv(QStringLiteral("Exportar Intensidades Máximas"), SuggestedName(FDoc, QStringLiteral("-maximas.csv")),
                    MaximaCsv(a.Maxima, FDoc->Info.Date));
}

bool TResultFrm::ExportSeries(int stepMinutes)
{
    if (!FDoc || !IsSeriesStep(stepMinutes))
        return false;
    const TRainAnalysis a = AnalyseChart(*FDoc, stepMinutes);
    return WriteCsv(QStringLiteral("Exportar Série de Precipitação"),
                    SuggestedName(FDoc, QStringLiteral("-serie%1.csv").arg(stepMinutes)),
                    SeriesCsv(a.Series, FDoc->Info.Date));
}

} // namespace rs
