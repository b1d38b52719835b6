#include "tools/ui/uDryPeriodDlg.h"

#include "chartwin/ChartImage.h"
#include "common/ui/MessageService.h"
#include "common/ui/UiHelpers.h"
#include "document/ui/PropertyEdits.h"
#include "tools/uDayList.h"

#include <QComboBox>
#include <QDate>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QVBoxLayout>

namespace rs {

namespace {
QString U(const char* s) { return QString::fromUtf8(s); }
} // namespace

TDryPeriodDlg::TDryPeriodDlg(const TStationList& stations, QWidget* parent) : QDialog(parent), FStations(stations)
{
    setObjectName(QStringLiteral("DryPeriod"));
    setWindowTitle(U("Cadastro de dias sem chuva ou sem dados"));
    CurrentYear = [] { return QDate::currentDate().year(); };

    edStName = new TFilteredEdit(this);
    edStName->setObjectName(QStringLiteral("edStName"));
    lbNames = new TStationListBox(this);
    lbNames->setObjectName(QStringLiteral("lbNames"));
    edStName->SetDownTarget(lbNames);
    edStCode = new TFilteredEdit(this);
    edStCode->setObjectName(QStringLiteral("edStCode"));
    edStCode->SetCharFilter([](QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); });
    lbCodes = new TStationListBox(this);
    lbCodes->setObjectName(QStringLiteral("lbCodes"));
    edStCode->SetDownTarget(lbCodes);
    for (const std::string& n : FStations.Names())
        lbNames->addItem(CpToQ(n));
    for (const std::string& c : FStations.Codes())
        lbCodes->addItem(CpToQ(c));
    lbNames->setMinimumWidth(lbNames->fontMetrics().averageCharWidth() * 38);
    lbCodes->setFixedWidth(lbCodes->fontMetrics().horizontalAdvance(QStringLiteral("000000000")) + 40);
    edStCode->setFixedWidth(lbCodes->width());
    lbNames->setFixedHeight(130);
    lbCodes->setFixedHeight(130);
    connect(edStName, &QLineEdit::textEdited, this, [this] { TypeAhead(edStName, lbNames); });
    connect(edStCode, &QLineEdit::textEdited, this, [this] { TypeAhead(edStCode, lbCodes); });
    connect(lbNames, &TStationListBox::Picked, this, &TDryPeriodDlg::NamePicked);
    connect(lbCodes, &TStationListBox::Picked, this, &TDryPeriodDlg::CodePicked);

    auto* lbName = new QLabel(U("&Nome da Estação"), this);
    lbName->setBuddy(edStName);
    auto* lbCode = new QLabel(U("Código da &Estação"), this);
    lbCode->setBuddy(edStCode);
    auto* stationGrid = new QGridLayout;
    stationGrid->addWidget(lbName, 0, 0);
    stationGrid->addWidget(lbCode, 0, 1);
    stationGrid->addWidget(edStName, 1, 0);
    stationGrid->addWidget(edStCode, 1, 1);
    stationGrid->addWidget(lbNames, 2, 0);
    stationGrid->addWidget(lbCodes, 2, 1);

    auto* group = new QGroupBox(U("Dias"), this);
    rbNoRain = new QRadioButton(U("Sem &chuva"), group);
    rbNoRain->setObjectName(QStringLiteral("rbNoRain"));
    rbNoData = new QRadioButton(U("Sem dad&os"), group);
    rbNoData->setObjectName(QStringLiteral("rbNoData"));
    rbNoRain->setChecked(true);
    edYear = new QLineEdit(group);
    edYear->setObjectName(QStringLiteral("edYear"));
    edYear->setMaxLength(4);
    edYear->setFixedWidth(60);
    edMonth = new QLineEdit(group);
    edMonth->setObjectName(QStringLiteral("edMonth"));
    edMonth->setMaxLength(2);
    edMonth->setFixedWidth(40);
    edDays = new TFilteredEdit(group);
    edDays->setObjectName(QStringLiteral("edDays"));
    edDays->SetCharFilter([](QChar c) { return c.unicode() < 128 && IsDayListKey(char(c.unicode())); });
    InstallHint(edDays, U("use espaço para separar os dias\r\nuse \"-\" para definir um período"));
    auto* lbYear = new QLabel(U("&Ano"), group);
    lbYear->setBuddy(edYear);
    lbMonth = new QLabel(U("&Mês"), group);
    lbMonth->setBuddy(edMonth);
    lbDays = new QLabel(U("&Dias"), group);
    lbDays->setBuddy(edDays);
    auto* exampleCaption = new QLabel(U("Exemplo:"), group);
    lbExample = new QLabel(QStringLiteral("2 6 14-19 21 25-27 30"), group);
    lbExample->setObjectName(QStringLiteral("lbExample"));
    lbExample->setStyleSheet(QStringLiteral("color: blue; font-weight: bold"));
    lbExample->setToolTip(U("Dias = 2 6 14 15 16 17 18 19 21 25 26 27 30"));
    exampleCaption->setToolTip(lbExample->toolTip());

    auto* g = new QGridLayout(group);
    auto* radios = new QHBoxLayout;
    radios->addWidget(rbNoRain);
    radios->addWidget(rbNoData);
    radios->addStretch(1);
    g->addLayout(radios, 0, 0, 1, 4);
    g->addWidget(lbYear, 1, 0);
    g->addWidget(lbMonth, 1, 1);
    g->addWidget(lbDays, 1, 2, 1, 2);
    g->addWidget(edYear, 2, 0);
    g->addWidget(edMonth, 2, 1);
    g->addWidget(edDays, 2, 2, 1, 2);
    auto* example = new QHBoxLayout;
    example->addWidget(exampleCaption);
    example->addWidget(lbExample);
    example->addStretch(1);
    g->addLayout(example, 3, 0, 1, 4);
    g->setColumnStretch(3, 1);

    ChartImg = new TChartImage(this);
    ChartImg->setObjectName(QStringLiteral("ChartImg"));
    ChartImg->SetLinear(true);
    ChartImg->SetTimeStart(7);
    cbAxes = new QComboBox(this);
    cbAxes->setObjectName(QStringLiteral("cbAxes"));
    cbAxes->addItems({U("Normal "), U("Curvo")});
    cbHour = new QComboBox(this);
    cbHour->setObjectName(QStringLiteral("cbHour"));
    cbHour->addItems({U("7h"), U("8h"), U("9h")});
    auto* lbAxes = new QLabel(U("Ei&xo da Precipitação"), this);
    lbAxes->setBuddy(cbAxes);
    auto* lbHour = new QLabel(U("Colocado à&s"), this);
    lbHour->setBuddy(cbHour);
    connect(cbAxes, &QComboBox::currentIndexChanged, this, [this](int i) { ChartImg->SetLinear(i != 1); });
    connect(cbHour, &QComboBox::currentIndexChanged, this, [this](int i) { ChartImg->SetTimeStart(7 + std::max(0, i)); });
    auto* preview = new QGridLayout;
    preview->addWidget(ChartImg, 0, 0, 1, 2);
    preview->addWidget(lbAxes, 1, 0);
    preview->addWidget(lbHour, 1, 1);
    preview->addWidget(cbAxes, 2, 0);
    preview->addWidget(cbHour, 2, 1);
    preview->setRowStretch(3, 1); // the lists stay under their captions

    btOK = new QPushButton(U("OK"), this);
    btOK->setObjectName(QStringLiteral("btOK"));
    btOK->setDefault(true);
    btCancel = new QPushButton(U("Cancelar"), this);
    btCancel->setObjectName(QStringLiteral("btCancel"));
    connect(btOK, &QPushButton::clicked, this, &TDryPeriodDlg::accept);
    connect(btCancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btOK);
    buttons->addWidget(btCancel);

    auto* left = new QVBoxLayout;
    left->addLayout(stationGrid);
    left->addWidget(group);
    auto* body = new QHBoxLayout;
    body->addLayout(left, 1);
    body->addLayout(preview);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(body);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(edYear, &QLineEdit::textChanged, this, &TDryPeriodDlg::UpdateEnabling);
    connect(edMonth, &QLineEdit::textChanged, this, &TDryPeriodDlg::UpdateEnabling);
    connect(edYear, &QLineEdit::editingFinished, this, &TDryPeriodDlg::YearLeft);
    UpdateEnabling();
}

void TDryPeriodDlg::TypeAhead(QLineEdit* edit, TStationListBox* list)
{
    const std::string text = QToCp(edit->text());
    const int index = list == lbNames ? FStations.MatchName(text) : FStations.MatchCode(text);
    if (index >= 0 && index < list->count()) {
        list->setCurrentRow(index);
        list->scrollToItem(list->item(index));
    }
}

void TDryPeriodDlg::NamePicked(int row)
{
    if (row < 0 || row >= lbNames->count())
        return;
    edStName->setText(lbNames->item(row)->text());
    const int code = FStations.CodeOfName(row);
    if (code >= 0 && code < lbCodes->count()) {
        lbCodes->setCurrentRow(code);
        lbCodes->scrollToItem(lbCodes->item(code));
        edStCode->setText(lbCodes->item(code)->text());
    }
}

void TDryPeriodDlg::CodePicked(int row)
{
    if (row < 0 || row >= lbCodes->count())
        return;
    edStCode->setText(lbCodes->item(row)->text());
    const int name = FStations.NameOfCode(row);
    if (name >= 0 && name < lbNames->count()) {
        lbNames->setCurrentRow(name);
        lbNames->scrollToItem(lbNames->item(name));
        edStName->setText(lbNames->item(name)->text());
    }
}

void TDryPeriodDlg::UpdateEnabling()
{
    const std::string year = QToCp(edYear->text()), month = QToCp(edMonth->text());
    const bool m = MonthFieldEnabled(year), d = DaysFieldEnabled(year, month);
    lbMonth->setEnabled(m);
    edMonth->setEnabled(m);
    lbDays->setEnabled(d);
    edDays->setEnabled(d);
}

void TDryPeriodDlg::YearLeft()
{
    const QString expanded = CpToQ(ExpandYearText(QToCp(edYear->text()), CurrentYear()));
    if (expanded != edYear->text())
        edYear->setText(expanded);
}

void TDryPeriodDlg::accept()
{
    TDryDayInput in;
    in.StCode = QToCp(edStCode->text());
    in.Year = QToCp(edYear->text());
    in.Month = QToCp(edMonth->text());
    in.Days = QToCp(edDays->text());
    TDryDayCheck check;
    FDates.Clear();
    if (!CheckDryDayInput(in, CurrentYear(), FDates, check)) {
        QLineEdit* field = nullptr;
        switch (check.Field) {
        case TDryDayField::StCode: field = edStCode; break;
        case TDryDayField::Year: field = edYear; break;
        case TDryDayField::Month: field = edMonth; break;
        case TDryDayField::Days: field = edDays; break;
        case TDryDayField::None: break;
        }
        ErrorIf(field, true, QString::fromStdString(check.Message));
        if (field == edDays && check.Caret >= 0) {
            edDays->deselect();
            edDays->setCursorPosition(check.Caret);
        }
        return;
    }
    QDialog::accept();
}

bool TDryPeriodDlg::Execute(TRChartInfo& info, TDoubleArray& dates)
{
    edMonth->clear();
    edDays->clear();
    UpdateEnabling();
    if (QScreen* s = QGuiApplication::primaryScreen()) {
        adjustSize();
        move(s->geometry().center() - rect().center());
    }
    edStName->setFocus();
    if (exec() != QDialog::Accepted)
        return false;
    info = TRChartInfo{};
    info.Kind = rbNoData->isChecked() ? 2 : 1;
    info.StName = QToCp(edStName->text());
    info.StCode = QToCp(edStCode->text());
    info.Hour = std::uint8_t(7 + std::max(0, cbHour->currentIndex()));
    info.PTot = 0;
    info.Linear = ChartImg->Linear();
    dates.Clear();
    for (int i = 0; i < FDates.Count(); ++i)
        dates.Add(FDates.Items(i));
    return true;
}

} // namespace rs
