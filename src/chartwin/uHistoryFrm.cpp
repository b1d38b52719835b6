#include "chartwin/uHistoryFrm.h"

#include "chartwin/uRChartWnd.h"
#include "common/Utils.h"
#include "document/uEditHistory.h"

#include <QFile>
#include <QListWidget>
#include <QVBoxLayout>

namespace rs {

THistoryFrm::THistoryFrm(TRChartFrm* chart) : QWidget(chart, Qt::Tool), FChart(chart), FList(new QListWidget(this))
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(FList);
    resize(260, 320);
    connect(FList, &QListWidget::currentRowChanged, this, &THistoryFrm::RowChosen);
    Refresh();
}

void THistoryFrm::Refresh()
{
    const TEditHistory& h = FChart->History();
    const std::string& name = FChart->Doc().Info.FileName;
    setWindowTitle(QStringLiteral("Histórico de Alterações - %1")
                       .arg(name.empty() ? QStringLiteral("novo")
                                         : QFile::decodeName(QByteArray::fromStdString(ExtractFileName(name)))));
    FFilling = true;
    FList->clear();
    FList->addItem(QStringLiteral("Início"));
    for (int i = 0; i < h.Count(); ++i) {
        auto* item = new QListWidgetItem(QString::fromStdString(h.Text(i)), FList);
        if (i >= h.Position())
            item->setForeground(palette().brush(QPalette::Disabled, QPalette::Text));
    }
    FList->setCurrentRow(h.Position());
    FList->scrollToItem(FList->currentItem());
    FFilling = false;
}

void THistoryFrm::RowChosen(int row)
{
    if (FFilling || row < 0)
        return;
    FChart->JumpToStep(row);
}

} // namespace rs
