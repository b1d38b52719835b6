#include "shell/ui/uOptionsDlg.h"

#include "common/ui/UiHelpers.h"
#include "tablet/Tablet.h"
#include "tablet/ui/TabletBinding.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>

namespace rs {

QColor ToQColor(TColor c) { return QColor(GetRValue(c), GetGValue(c), GetBValue(c)); }

TColor FromQColor(const QColor& c) { return RGB(c.red(), c.green(), c.blue()); }

// ---- TColorPreview -----------------------------------------------------------

TColorPreview::TColorPreview(QWidget* parent) : QWidget(parent)
{
    setFixedSize(kWidth, kHeight);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TColorPreview::SetColors(TColor background, TColor grid, TColor curve)
{
    FBackground = background;
    FGrid = grid;
    FCurve = curve;
    update();
}

void TColorPreview::Paint(QPainter& p, TColor background, TColor grid, TColor curve)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    p.fillRect(QRect(0, 0, kWidth, kHeight), ToQColor(background));
    // The grid: 13 rows 7 pixels apart, 25 columns 10 pixels apart.
    p.setPen(QPen(ToQColor(grid), 0));
    for (int i = 0; i <= 12; ++i) {
        const int y = 5 + 7 * i;
        p.drawLine(5, y, 245, y);
    }
    for (int i = 0; i <= 24; ++i) {
        const int x = 5 + 10 * i;
        p.drawLine(x, 5, x, 90);
    }
    // A flat start, a rise to the top, a siphon's drop back to zero, a flat end.
    static const QPoint curvePts[] = {{5, 82}, {85, 82}, {114, 68}, {135, 40}, {145, 12}, {145, 82}, {245, 82}};
    p.setPen(QPen(ToQColor(curve), 0));
    p.drawPolyline(curvePts, int(std::size(curvePts)));
    p.restore();
}

void TColorPreview::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    Paint(p, FBackground, FGrid, FCurve);
}

// ---- TColorSwatch ------------------------------------------------------------

TColorSwatch::TColorSwatch(QWidget* parent) : QWidget(parent)
{
    setFixedSize(22, 22);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
}

void TColorSwatch::SetColor(TColor c)
{
    FColor = c;
    update();
}

void TColorSwatch::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), ToQColor(FColor));
    p.setPen(hasFocus() ? palette().color(QPalette::Highlight) : QColor(Qt::black));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

void TColorSwatch::mouseReleaseEvent(QMouseEvent* e)
{
    if (e->button() == Qt::LeftButton && rect().contains(e->position().toPoint()))
        emit clicked();
}

void TColorSwatch::keyPressEvent(QKeyEvent* e)
{
    if (e->key() == Qt::Key_Space)
        emit clicked();
    else
        QWidget::keyPressEvent(e);
}

// ---- TOptionsDlg -------------------------------------------------------------

TOptionsDlg::TColorChooser& TOptionsDlg::ColorChooser()
{
    static TColorChooser chooser = &TOptionsDlg::PlatformChooseColor;
    return chooser;
}

bool TOptionsDlg::PlatformChooseColor(QWidget* parent, QColor& color)
{
    const QColor chosen = QColorDialog::getColor(color, parent);
    if (!chosen.isValid())
        return false;
    color = chosen;
    return true;
}

TOptionsDlg::TOptionsDlg(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Preferências"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setFixedSize(395, 285);

    Pages = new QTabWidget(this);
    Pages->setGeometry(8, 8, 379, 236);
    tsGeneral = new QWidget;
    tsColors = new QWidget;
    Pages->addTab(tsGeneral, QStringLiteral("Geral"));
    Pages->addTab(tsColors, QStringLiteral("Cores"));
    BuildGeneralPage();
    BuildColorsPage();

    btOK = new QPushButton(QStringLiteral("OK"), this);
    btOK->setGeometry(226, 252, 75, 25);
    btOK->setDefault(true);
    btCancel = new QPushButton(QStringLiteral("Cancelar"), this);
    btCancel->setGeometry(312, 252, 75, 25);
    connect(btOK, &QPushButton::clicked, this, &TOptionsDlg::btOKClick);
    connect(btCancel, &QPushButton::clicked, this, &QDialog::reject);

    // The working copy: the swap button lives in the tablet module.
    const TOptions& o = Options();
    FEdit = TPreferencesEdit::From(o);
    FEdit.Buttons[ttSwap] = SwapButton();
    pnBkGrd->SetColor(FEdit.Background);
    pnGrid->SetColor(FEdit.Grid);
    pnCurve->SetColor(FEdit.Curve);
    UpdatePreview();
    cbCloseFiles->setChecked(FEdit.ExclusiveNewFile);
    seMaxFiles->setValue(FEdit.NumRecentFiles);
    // A new dialog object for each use, so it always opens on the overflow task.
    cbTasks->setCurrentIndex(ttOverflow);
    cbTasksChange(ttOverflow);
    connect(cbTasks, &QComboBox::currentIndexChanged, this, &TOptionsDlg::cbTasksChange);

    // The dialog's own tablet, absolute so that button clicks are reported.
    FTablet = std::make_unique<TTablet>();
    FTablet->SetMode(moAbsolute);
    FTablet->OnButtonClick = [this](TTablet*, TCurButton button, TCurButtons, int, int) {
        TabletButtonClick(int(button));
    };
    FTablet->OnBeforeSwapMode = [this](TTablet*, int, int, bool& canSwap) { TabletBeforeSwap(canSwap); };
    BindTablet(*FTablet, this);
}

TOptionsDlg::~TOptionsDlg() = default;

void TOptionsDlg::BuildGeneralPage()
{
    auto* gbButtons = new QGroupBox(QStringLiteral("Botões da mesa"), tsGeneral);
    gbButtons->setGeometry(8, 6, 357, 104);
    auto* lbTask = new QLabel(QStringLiteral("&Tarefa"), gbButtons);
    lbTask->setGeometry(12, 22, 180, 16);
    cbTasks = new QComboBox(gbButtons);
    cbTasks->setGeometry(12, 40, 200, 24);
    for (int t = 0; t < kTabletTaskCount; ++t)
        cbTasks->addItem(CpToQ(TabletTaskName(t)));
    lbTask->setBuddy(cbTasks);
    auto* lbCaption = new QLabel(QStringLiteral("Botão"), gbButtons);
    lbCaption->setGeometry(236, 22, 60, 16);
    lbButton = new QLabel(gbButtons);
    lbButton->setGeometry(236, 34, 100, 40);
    QFont big(QStringLiteral("Arial"));
    big.setPixelSize(32);
    big.setBold(true);
    lbButton->setFont(big);
    QPalette blue = lbButton->palette();
    blue.setColor(QPalette::WindowText, Qt::blue);
    lbButton->setPalette(blue);
    auto* lbHelp = new QLabel(QStringLiteral("Selecione a tarefa e pressione o botão desejado "), gbButtons);
    lbHelp->setGeometry(12, 76, 340, 18);
    QPalette green = lbHelp->palette();
    green.setColor(QPalette::WindowText, QColor(0, 128, 0));
    lbHelp->setPalette(green);

    auto* gbFiles = new QGroupBox(QStringLiteral("Arquivos"), tsGeneral);
    gbFiles->setGeometry(8, 116, 357, 88);
    cbCloseFiles = new QCheckBox(QStringLiteral("&Fechar arquivo(s) ao criar novo pluviograma."), gbFiles);
    cbCloseFiles->setGeometry(12, 24, 336, 20);
    auto* lbMax = new QLabel(QStringLiteral("&Lista de arquivos utilizados:"), gbFiles);
    lbMax->setGeometry(12, 56, 176, 18);
    seMaxFiles = new QSpinBox(gbFiles);
    seMaxFiles->setGeometry(190, 53, 48, 24);
    seMaxFiles->setRange(0, kMaxRecentFiles);
    lbMax->setBuddy(seMaxFiles);
    auto* lbUnit = new QLabel(QStringLiteral("arquivo(s)"), gbFiles);
    lbUnit->setGeometry(246, 56, 100, 18);
}

void TOptionsDlg::BuildColorsPage()
{
    auto* gb = new QGroupBox(QStringLiteral("Pluviograma"), tsColors);
    gb->setGeometry(8, 6, 357, 128);
    Box = new TColorPreview(gb);
    Box->move(12, 24);
    const std::pair<TColorSwatch**, const char*> swatches[] = {
        {&pnBkGrd, "Fundo"}, {&pnGrid, "Grade"}, {&pnCurve, "Curva"}};
    int y = 26;
    for (auto [swatch, caption] : swatches) {
        *swatch = new TColorSwatch(gb);
        (*swatch)->move(278, y);
        auto* lb = new QLabel(QString::fromLatin1(caption), gb);
        lb->setGeometry(306, y + 2, 46, 18);
        TColorSwatch* s = *swatch;
        connect(s, &TColorSwatch::clicked, this, [this, s] { SwatchClick(s); });
        y += 32;
    }
}

bool TOptionsDlg::Execute(QWidget* parent)
{
    TOptionsDlg dlg(parent);
    return dlg.exec() == QDialog::Accepted;
}

void TOptionsDlg::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    if (!FShownOnce) {
        FShownOnce = true;
        // A tablet click assigns a button at once.
        Pages->setCurrentWidget(tsGeneral);
        cbTasks->setFocus();
    }
}

void TOptionsDlg::cbTasksChange(int index)
{
    if (index < 0 || index >= kTabletTaskCount)
        return;
    FEdit.Task = index;
    ShowButton();
}

void TOptionsDlg::ShowButton() { lbButton->setText(QString::number(FEdit.SelectedButton() + 1)); }

void TOptionsDlg::TabletButtonClick(int button)
{
    if (focusWidget() != cbTasks)
        return;
    FEdit.AssignButton(button);
    ShowButton();
}

void TOptionsDlg::TabletBeforeSwap(bool& canSwap)
{
    FEdit.AssignButton(SwapButton());
    ShowButton();
    canSwap = false;
}

void TOptionsDlg::SwatchClick(TColorSwatch* swatch)
{
    QColor c = ToQColor(swatch->Color());
    const TColorChooser& choose = ColorChooser();
    if (!choose || !choose(this, c))
        return;
    swatch->SetColor(FromQColor(c));
    UpdatePreview();
}

void TOptionsDlg::UpdatePreview() { Box->SetColors(pnBkGrd->Color(), pnGrid->Color(), pnCurve->Color()); }

void TOptionsDlg::btOKClick()
{
    FEdit.Background = pnBkGrd->Color();
    FEdit.Grid = pnGrid->Color();
    FEdit.Curve = pnCurve->Color();
    FEdit.ExclusiveNewFile = cbCloseFiles->isChecked();
    FEdit.NumRecentFiles = seMaxFiles->value();
    // Nothing is put in force unless every check passes, so a refused OK
    // followed by "Cancelar" leaves the preferences as they were.
    if (ErrorIf(cbTasks, !TaskButtonsDistinct(FEdit.Buttons), CpToQ(kMsgDuplicateButtons))) {
        Pages->setCurrentWidget(tsGeneral);
        cbTasks->setFocus();
        return;
    }
    TOptions o = Options();
    FEdit.Commit(o);
    ApplyOptions(o);
    SetSwapButton(o.SwapButton());
    accept();
}

} // namespace rs
