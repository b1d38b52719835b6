#include "document/ui/uPropertyDlg.h"

#include "common/Utils.h"
#include "common/uAppFiles.h"
#include "common/ui/MessageService.h"
#include "common/ui/UiHelpers.h"
#include "chartwin/ChartImage.h"
#include "document/ui/PropertyEdits.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include <stdexcept>

namespace rs {

namespace {

QString Q(const std::string& cp1252) { return CpToQ(cp1252); }
std::string Cp(const QString& s) { return QToCp(s); }
QString U(const char* utf8) { return QString::fromUtf8(utf8); }

// Paths are native file names; show them readably whichever encoding they carry.
QString PathText(const std::string& path)
{
    return IsValidUtf8(path) ? QString::fromStdString(path) : Q(path);
}

bool SameFileName(const std::string& a, const std::string& b)
{
    return QString::compare(PathText(a), PathText(b), Qt::CaseInsensitive) == 0;
}

bool Ask(QWidget* parent, const QString& question) { return AskYesNo(question, parent); }

const char* const kKindNames[] = {"com precipitação", "sem precipitação", "ausente"};

QLabel* Caption(const char* text, QWidget* buddy, QWidget* parent)
{
    auto* l = new QLabel(U(text), parent);
    l->setBuddy(buddy);
    return l;
}

} // namespace

TPropertyDlg::TPropertyDlg(QWidget* parent, const std::string& stationFile) : QDialog(parent)
{
    setObjectName(QStringLiteral("PropertyDlg"));
    setWindowTitle(U("Propriedades do Novo Pluviograma"));
    setModal(true);

    FTabs = new QTabWidget(this);
    FTabs->setObjectName(QStringLiteral("pcPages"));
    auto* essentials = new QWidget;
    auto* additional = new QWidget;
    BuildEssentials(essentials);
    BuildAdditional(additional);
    FTabs->addTab(essentials, U("Essenciais"));
    FTabs->addTab(additional, U("Adicionais"));

    FAutoClear = new QCheckBox(U("&Auto limpar na próxima vez"), this);
    FAutoClear->setObjectName(QStringLiteral("cbAutoClear"));
    InstallHint(FAutoClear, U("Limpa os campos automaticamente\r\nquando editar um novo pluviograma"));
    FOk = new QPushButton(U("OK"), this);
    FOk->setObjectName(QStringLiteral("btOK"));
    FOk->setDefault(true);
    FOk->setAutoDefault(true);
    FCancel = new QPushButton(U("Cancelar"), this);
    FCancel->setObjectName(QStringLiteral("btCancel"));
    FCancel->setAutoDefault(false);
    connect(FOk, &QPushButton::clicked, this, &TPropertyDlg::accept);
    connect(FCancel, &QPushButton::clicked, this, &TPropertyDlg::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(FAutoClear);
    buttons->addStretch(1);
    buttons->addWidget(FOk);
    buttons->addWidget(FCancel);
    auto* main = new QVBoxLayout(this);
    main->addWidget(FTabs);
    main->addLayout(buttons);
    main->setSizeConstraint(QLayout::SetFixedSize);

    FStations.LoadFromFile(stationFile.empty() ? StationListFileName() : stationFile);
    FillStationLists();
    // Whole rows only: six entries of each list in view.
    for (TStationListBox* list : {FNames, FCodes}) {
        const int row = list->count() > 0 ? list->sizeHintForRow(0) : list->fontMetrics().height() + 2;
        list->setFixedHeight(row * 6 + 2 * list->frameWidth());
    }

    setTabOrder(FName, FNames);
    setTabOrder(FNames, FCode);
    setTabOrder(FCode, FCodes);
    setTabOrder(FCodes, FKind);
    setTabOrder(FKind, FAxis);
    setTabOrder(FAxis, FDate);
    setTabOrder(FDate, FHour);
    setTabOrder(FHour, FPTot);
    setTabOrder(FPTot, FDh);
    setTabOrder(FDh, FAutoClear);
    setTabOrder(FAutoClear, FOk);
    setTabOrder(FOk, FCancel);
}

TPropertyDlg::~TPropertyDlg() = default;

void TPropertyDlg::BuildEssentials(QWidget* page)
{
    FName = new TFilteredEdit(page);
    FName->setObjectName(QStringLiteral("edName"));
    FNames = new TStationListBox(page);
    FNames->setObjectName(QStringLiteral("lbNames"));
    FName->SetDownTarget(FNames);

    FCode = new TFilteredEdit(page);
    FCode->setObjectName(QStringLiteral("edCode"));
    FCode->SetCharFilter([](QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); });
    FCodes = new TStationListBox(page);
    FCodes->setObjectName(QStringLiteral("lbCodes"));
    FCode->SetDownTarget(FCodes);

    FNames->setMinimumWidth(FNames->fontMetrics().averageCharWidth() * 38);
    FCodes->setFixedWidth(FCodes->fontMetrics().horizontalAdvance(QStringLiteral("000000000")) + 40);
    FCode->setFixedWidth(FCodes->width());

    connect(FName, &QLineEdit::textEdited, this, [this] { TypeAhead(FName, FNames); });
    connect(FCode, &QLineEdit::textEdited, this, [this] { TypeAhead(FCode, FCodes); });
    connect(FNames, &TStationListBox::Picked, this, &TPropertyDlg::NamePicked);
    connect(FCodes, &TStationListBox::Picked, this, &TPropertyDlg::CodePicked);

    FKind = new QComboBox(page);
    FKind->setObjectName(QStringLiteral("cbKind"));
    FKind->addItems({U("Com precipitação"), U("Sem precipitação"), U("Ausente -> falha")});
    FAxis = new QComboBox(page);
    FAxis->setObjectName(QStringLiteral("cbAxis"));
    FAxis->addItems({U("Normal "), U("Curvo")});

    FDate = new QLineEdit(page);
    FDate->setObjectName(QStringLiteral("edDate"));
    FDate->setInputMask(QStringLiteral("99/99/9999;_"));
    FDate->setFixedWidth(FDate->fontMetrics().horizontalAdvance(QStringLiteral("00/00/00000")) + 12);
    InstallHint(FDate, U("Informe o ano com 4 dígitos\r\nExemplo: 08/05/1976"));
    FHour = new QComboBox(page);
    FHour->setObjectName(QStringLiteral("cbHour"));
    FHour->addItems({U("7h"), U("8h"), U("9h")});

    FPTot = new TFilteredEdit(page);
    FPTot->setObjectName(QStringLiteral("edPTot"));
    FPTot->SetCharFilter([](QChar c) {
        return (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char(DecimalSeparator());
    });
    FPTot->setFixedWidth(FPTot->fontMetrics().horizontalAdvance(QStringLiteral("0000000000")) + 12);
    FDh = new TOffsetEdit(page);
    FDh->setObjectName(QStringLiteral("edDh"));
    FDh->SetText(QString::fromStdString(FormatNum("%.1f", 0)));
    FDh->setFixedWidth(FPTot->width());
    InstallHint(FDh, U("Digite o valor do deslocamento da \r\ncurva de precipitação em relação \r\nao zero da "
                            "escala do pluviograma."));

    try {
        FPreview = new TChartImage(page);
        FPreview->setObjectName(QStringLiteral("ciPreview"));
        FPreview->SetLinear(true);
        FPreview->SetTimeStart(7);
    } catch (const std::exception&) {
        FPreview = nullptr; // without the pictures the dialog works on, without its preview
    }
    connect(FHour, &QComboBox::currentIndexChanged, this, &TPropertyDlg::HourChanged);
    connect(FAxis, &QComboBox::currentIndexChanged, this, &TPropertyDlg::AxisChanged);

    // Station: name and code side by side, each with its list below.
    auto* station = new QGridLayout;
    station->addWidget(Caption("&Nome da Estação", FName, page), 0, 0);
    station->addWidget(Caption("Código da &Estação", FCode, page), 0, 1);
    station->addWidget(FName, 1, 0);
    station->addWidget(FCode, 1, 1);
    station->addWidget(FNames, 2, 0);
    station->addWidget(FCodes, 2, 1);
    station->setColumnStretch(0, 1);

    // Chart: the fields on the left, the preview on the right.
    auto* fields = new QGridLayout;
    int r = 0;
    fields->addWidget(Caption("&Pluviograma", FKind, page), r, 0);
    fields->addWidget(FKind, r++, 1, 1, 3);
    fields->addWidget(Caption("Ei&xo da Precipitação", FAxis, page), r, 0);
    fields->addWidget(FAxis, r++, 1, 1, 3);
    fields->addWidget(Caption("&Colocado em", FDate, page), r, 0);
    fields->addWidget(FDate, r, 1);
    fields->addWidget(Caption("à&s", FHour, page), r, 2, Qt::AlignRight);
    fields->addWidget(FHour, r++, 3);
    fields->addWidget(Caption("&Leitura no Pluviômetro ", FPTot, page), r, 0);
    fields->addWidget(FPTot, r, 1);
    fields->addWidget(new QLabel(U("milímetros"), page), r++, 2, 1, 2);
    fields->addWidget(Caption("&Início (Zero) da curva", FDh, page), r, 0);
    fields->addWidget(FDh, r, 1);
    fields->addWidget(new QLabel(U("milímetros"), page), r++, 2, 1, 2);
    fields->setRowStretch(r, 1);

    auto* chart = new QHBoxLayout;
    chart->addLayout(fields, 1);
    chart->addSpacing(8);
    if (FPreview)
        chart->addWidget(FPreview, 0, Qt::AlignTop);

    auto* box = new QVBoxLayout(page);
    box->addLayout(station);
    box->addSpacing(6);
    box->addLayout(chart);
    box->addStretch(1);
}

void TPropertyDlg::BuildAdditional(QWidget* page)
{
    FPModel = new QLineEdit(page);
    FPModel->setObjectName(QStringLiteral("edPModel"));
    FOpName = new QLineEdit(page);
    FOpName->setObjectName(QStringLiteral("edOpName"));
    FNotes = new QPlainTextEdit(page);
    FNotes->setObjectName(QStringLiteral("mmNotes"));
    FNotes->setTabChangesFocus(true);

    auto* box = new QVBoxLayout(page);
    box->addWidget(Caption("&Modelo do Pluviógrafo", FPModel, page));
    box->addWidget(FPModel);
    box->addWidget(Caption("Nome &do Operador", FOpName, page));
    box->addWidget(FOpName);
    box->addWidget(Caption("&Obser&vações/Notas", FNotes, page));
    box->addWidget(FNotes, 1);
}

void TPropertyDlg::FillStationLists()
{
    for (const std::string& s : FStations.Names())
        FNames->addItem(Q(s));
    for (const std::string& s : FStations.Codes())
        FCodes->addItem(Q(s));
}

bool TPropertyDlg::AutoClear() const { return FAutoClear->isChecked(); }

void TPropertyDlg::SetAutoClear(bool on) { FAutoClear->setChecked(on); }

void TPropertyDlg::SelectEqual(TStationListBox* list, const QString& text)
{
    const int index = list == FNames ? FStations.FindName(Cp(text)) : FStations.FindCode(Cp(text));
    if (index >= 0 && index < list->count()) {
        list->setCurrentRow(index);
        list->scrollToItem(list->item(index));
    } else {
        list->setCurrentRow(-1);
        list->clearSelection();
    }
}

void TPropertyDlg::SetInfo(const TRChartInfo& info)
{
    FInfo = info;
    FShownDate = FShownPTot = FShownDh = FShownNotes = QString();
    auto setHour = [this](int hour) {
        FHour->setCurrentIndex(hour >= 7 && hour <= 9 ? hour - 7 : 0);
        HourChanged(FHour->currentIndex());
    };
    if (!IsNewChart()) {
        setWindowTitle(U("Propriedades do Pluviograma"));
        FName->setText(Q(info.StName));
        FCode->setText(Q(info.StCode));
        SelectEqual(FNames, FName->text());
        SelectEqual(FCodes, FCode->text());
        FDate->setText(QString::fromStdString(DateToStr(info.Date)));
        FShownDate = FDate->text();
        const bool scaleOpen = !info.Owner->Scale().Concluded;
        setHour(info.Hour);
        FHour->setEnabled(scaleOpen);
        FKind->setCurrentIndex(info.Kind <= 2 ? info.Kind : 0);
        FPTot->setText(info.PTot > 0 ? Q(FormatNum("%.6g", info.PTot)) : QString());
        FShownPTot = FPTot->text();
        FAxis->setCurrentIndex(info.Linear ? 0 : 1);
        FAxis->setEnabled(scaleOpen);
        AxisChanged(FAxis->currentIndex());
        FDh->SetText(Q(FormatNum("%.1f", info.Dh)));
        FShownDh = FDh->Text();
        FPModel->setText(Q(info.PModel));
        FOpName->setText(Q(info.OpName));
        QString notes = Q(info.Notes);
        notes.replace(QLatin1String("\r\n"), QLatin1String("\n"));
        FNotes->setPlainText(notes);
        FShownNotes = FNotes->toPlainText();
    } else {
        setWindowTitle(U("Propriedades do Novo Pluviograma"));
        setHour(7);
        FHour->setEnabled(true);
        FAxis->setEnabled(true);
        if (AutoClear()) {
            FNames->setCurrentRow(FNames->count() > 0 ? 0 : -1);
            FCodes->setCurrentRow(FCodes->count() > 0 ? 0 : -1);
            FName->clear();
            FCode->clear();
            FDate->clear();
            FPModel->clear();
            FOpName->clear();
            FNotes->clear();
            FKind->setCurrentIndex(0);
            FAxis->setCurrentIndex(0);
        }
        AxisChanged(FAxis->currentIndex());
        FPTot->clear();
        FDh->SetText(Q(FormatNum("%.1f", 0)));
    }
}

TRChartInfo TPropertyDlg::GetInfo() const
{
    TRChartInfo r;
    r.StName = Cp(FName->text());
    r.StCode = Cp(FCode->text());
    if (!FShownDate.isNull() && FDate->text() == FShownDate)
        r.Date = FInfo.Date;
    else if (!TryStrToDate(Cp(FDate->text()), r.Date))
        r.Date = 0;
    r.Hour = std::uint8_t(7 + std::max(0, FHour->currentIndex()));
    r.Kind = std::uint8_t(std::max(0, FKind->currentIndex()));
    if (!FShownPTot.isNull() && FPTot->text() == FShownPTot)
        r.PTot = FInfo.PTot;
    else if (!TryStrToFloat(Cp(FPTot->text()), r.PTot))
        r.PTot = 0;
    r.Linear = FLinear;
    if (!FShownDh.isNull() && FDh->Text() == FShownDh)
        r.Dh = FInfo.Dh;
    else if (!TryStrToFloat(Cp(FDh->Text()), r.Dh))
        r.Dh = 0;
    r.PModel = Cp(FPModel->text());
    r.OpName = Cp(FOpName->text());
    if (!FShownNotes.isNull() && FNotes->toPlainText() == FShownNotes)
        r.Notes = FInfo.Notes;
    else {
        QString notes = FNotes->toPlainText();
        notes.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
        r.Notes = Cp(notes);
    }
    // The total is the curve's, refreshed when the file is written: editing the
    // header leaves it alone, so OK without changes changes nothing.
    r.Total = FInfo.Total;
    r.FileDate = FInfo.FileDate;
    r.Owner = FInfo.Owner;
    r.FileName = FInfo.FileName;
    r.FileName = TRChart::MakeFileName(r);
    return r;
}

bool TPropertyDlg::Refuse(QWidget* field, bool condition, const char* message)
{
    if (condition)
        FTabs->setCurrentIndex(0); // every checked field is on the first page
    return ErrorIf(field, condition, U(message));
}

bool TPropertyDlg::CheckInput()
{
    // Only eight digits may become part of the data file's path (no sign, no blanks).
    if (Refuse(FCode, !IsValidStationCode(Cp(FCode->text())),
               "O código da estação deve ser um número inteiro de 8 dígitos"))
        return false;
    double value;
    if (Refuse(FDate, !TryStrToDate(Cp(FDate->text()), value), "A data de colocação do pluviograma é inválida"))
        return false;
    const std::string reading = Trim(Cp(FPTot->text()));
    if (Refuse(FPTot, FKind->currentIndex() == 0 && !reading.empty() && !TryStrToFloat(reading, value),
               "O valor da precipitação no pluviômetro é inválido"))
        return false;

    const TRChartInfo r = GetInfo();
    const QString path = PathText(r.FileName);
    if (!IsNewChart()) {
        if (!SameFileName(r.FileName, FInfo.FileName) && FileExists(r.FileName) &&
            !Ask(this, U("O nome do arquivo atual será mudado para:\n\"") + path +
                           U("\".\nEntretanto, já existe um arquivo com este nome. Se prosseguir, o arquivo "
                             "existente será substituído pelo atual, na próxima vez que este último for salvo. "
                             "Deseja prosseguir?")))
            return false;
        if (FInfo.Kind == 0 && r.Kind != 0 && r.Kind <= 2 && FInfo.Owner->Curve().Count() > 0 &&
            !Ask(this, U("A mudança de \"pluviograma com precipitação\" para \"pluviograma ") + U(kKindNames[r.Kind]) +
                           U("\" implicará na exclusão de todos os pontos já digitalizados. Deseja prosseguir?")))
            return false;
    } else if (FileExists(r.FileName) && !Ask(this, U("O arquivo \"") + path +
                                                        U("\", a ser criado, já existe. Deseja ") +
                                                        U("substituir o arquivo existente?")))
        return false;

    const bool number = TryStrToFloat(Cp(FDh->Text()), value);
    if (Refuse(FDh, !number, "O campo início da escala contém um número inválido") ||
        Refuse(FDh, value < TOffsetEdit::kMin || value > TOffsetEdit::kMax,
               "O valor do campo deve estar entre -2.0 e 2.0mm"))
        return false;
    FResult = r;
    return true;
}

void TPropertyDlg::accept()
{
    if (CheckInput())
        QDialog::accept();
}

bool TPropertyDlg::EditProperties(TRChartInfo& info)
{
    SetInfo(info);
    if (exec() != QDialog::Accepted)
        return false;
    info = FResult;
    return true;
}

void TPropertyDlg::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    FTabs->setCurrentIndex(0);
    FName->setFocus(Qt::OtherFocusReason);
}

void TPropertyDlg::TypeAhead(TFilteredEdit* edit, TStationListBox* list)
{
    if (!edit->hasFocus())
        return;
    const std::string text = Cp(edit->text());
    const int index = list == FNames ? FStations.MatchName(text) : FStations.MatchCode(text);
    if (index >= 0 && index < list->count()) {
        list->setCurrentRow(index);
        list->scrollToItem(list->item(index));
    }
}

void TPropertyDlg::NamePicked(int row)
{
    if (row < 0 || row >= FNames->count())
        return;
    FName->setText(FNames->item(row)->text());
    const int code = FStations.CodeOfName(row);
    if (code >= 0 && code < FCodes->count()) {
        FCodes->setCurrentRow(code);
        FCodes->scrollToItem(FCodes->item(code));
        FCode->setText(FCodes->item(code)->text());
    }
}

void TPropertyDlg::CodePicked(int row)
{
    if (row < 0 || row >= FCodes->count())
        return;
    FCode->setText(FCodes->item(row)->text());
    const int name = FStations.NameOfCode(row);
    if (name >= 0 && name < FNames->count()) {
        FNames->setCurrentRow(name);
        FNames->scrollToItem(FNames->item(name));
        FName->setText(FNames->item(name)->text());
    }
}

void TPropertyDlg::HourChanged(int index)
{
    FTimeStart = 7 + std::max(0, index);
    if (FPreview)
        FPreview->SetTimeStart(FTimeStart);
}

void TPropertyDlg::AxisChanged(int index)
{
    FLinear = index <= 0;
    if (FPreview)
        FPreview->SetLinear(FLinear);
}

} // namespace rs
