#include "chartwin/UnsureList.h"

#include "chartwin/uRChartWnd.h"
#include "common/Utils.h"

#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>

#include <cmath>

namespace rs {

namespace {

QPointer<TUnsureList> gList;

QString ClockText(double hours)
{
    const long minutes = std::lround(hours * 60);
    const long day = ((minutes % 1440) + 1440) % 1440;
    return QStringLiteral("%1:%2").arg(day / 60, 2, 10, QLatin1Char('0')).arg(day % 60, 2, 10, QLatin1Char('0'));
}

} // namespace

QString TUnsureList::SpanText(double start, double end)
{
    return QStringLiteral("%1 – %2").arg(ClockText(start), ClockText(end));
}

TUnsureList::TUnsureList(QWidget* parent) : QWidget(parent, Qt::Tool)
{
    setObjectName(QStringLiteral("UnsureList"));
    setAttribute(Qt::WA_DeleteOnClose);
    FHeader = new QLabel(this);
    FHeader->setWordWrap(true);
    FList = new QListWidget(this);
    FList->setObjectName(QStringLiteral("lsUnsure"));
    auto* hint = new QLabel(QStringLiteral("Clique num trecho para vê-lo no pluviograma e na Mesa Virtual."), this);
    hint->setWordWrap(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(FHeader);
    layout->addWidget(FList, 1);
    layout->addWidget(hint);
    resize(400, 260);
    connect(FList, &QListWidget::currentRowChanged, this, &TUnsureList::Go);
    connect(FList, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) { Go(FList->row(item)); });
}

TUnsureList* TUnsureList::Current() { return gList; }

TUnsureList* TUnsureList::ShowFor(TRChartFrm* window)
{
    if (!gList)
        gList = new TUnsureList(window ? window->window() : nullptr);
    gList->FWindow = window;
    if (window) // the list of a closed window goes with it
        connect(window, &QObject::destroyed, gList.data(), &QWidget::hide, Qt::UniqueConnection);
    gList->Reload();
    gList->show();
    gList->raise();
    return gList;
}

void TUnsureList::Follow(TRChartFrm* window)
{
    if (!gList || !gList->isVisible() || gList->FWindow == window)
        return;
    if (window && window->ScanLink().Traced)
        ShowFor(window);
    else
        gList->hide();
}

void TUnsureList::Reload()
{
    const QSignalBlocker block(FList);
    FList->clear();
    if (!FWindow) {
        setWindowTitle(QStringLiteral("Trechos Duvidosos"));
        FHeader->clear();
        return;
    }
    const TScanLink& link = FWindow->ScanLink();
    setWindowTitle(QStringLiteral("Trechos Duvidosos - %1").arg(FWindow->windowTitle()));
    FHeader->setText(QStringLiteral("Confiança do traçado: %1")
                         .arg(QString::fromStdString(FormatNum("%.2f", link.Confidence))) +
                     (link.Unsure.empty() ? QStringLiteral("\nNenhum trecho duvidoso.") : QString()));
    for (const TScanUnsure& u : link.Unsure)
        FList->addItem(QStringLiteral("%1   %2").arg(SpanText(u.Start, u.End),
                                                   QString::fromStdString(Cp1252ToUtf8(u.Reason))));
}

void TUnsureList::Go(int row)
{
    if (FWindow && row >= 0)
        FWindow->GoToUnsure(row);
}

} // namespace rs
