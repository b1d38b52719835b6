#include "shell/ui/uMainStatus.h"

#include "chartwin/uRChartWndServices.h"

#include <QFontMetrics>
#include <QLabel>

namespace rs {

namespace {
constexpr int kDesignWidths[TMainStatusBar::kPanels] = {90, 90, 130, 50};
}

TMainStatusBar::TMainStatusBar(QWidget* parent) : QStatusBar(parent)
{
    setSizeGripEnabled(false);
    FSimpleLabel = new QLabel(this);
    FSimpleLabel->setTextFormat(Qt::PlainText);
    addWidget(FSimpleLabel, 1);
    for (int i = 0; i < kPanels; ++i) {
        auto* p = new QLabel(this);
        p->setTextFormat(Qt::PlainText);
        p->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        p->setFixedWidth(kDesignWidths[i]);
        addWidget(p);
        FPanels[i] = p;
    }
    // The panels start at the left edge; the rest of the bar stays empty.
    FFiller = new QLabel(this);
    addWidget(FFiller, 1);

    FMode = new QLabel(this);
    QFont f = FMode->font();
    f.setBold(true);
    FMode->setFont(f);
    FMode->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    FMode->setContentsMargins(0, 0, 16, 0);
    addPermanentWidget(FMode);
    SetMode(1);
    SetSimple(false);
}

void TMainStatusBar::SetSimple(bool simple)
{
    FSimple = simple;
    FSimpleLabel->setVisible(simple);
    for (QLabel* p : FPanels)
        p->setVisible(!simple);
    FFiller->setVisible(!simple);
}

void TMainStatusBar::SetSimpleText(const QString& text)
{
    FSimpleLabel->setText(text);
    SetSimple(true);
}

QString TMainStatusBar::SimpleText() const { return FSimpleLabel->text(); }

void TMainStatusBar::SetPanel(const QString& text, int index)
{
    if (index < 0) {
        for (QLabel* p : FPanels)
            p->clear();
    } else if (index < kPanels) {
        QLabel* p = FPanels[index];
        QString shown = text;
        if (!shown.isEmpty()) {
            shown = QLatin1Char(' ') + shown + QLatin1Char(' ');
            p->setFixedWidth(QFontMetrics(font()).horizontalAdvance(shown) + 8);
        }
        p->setText(shown);
    }
    if (FSimple)
        SetSimple(false);
}

QString TMainStatusBar::PanelText(int index) const
{
    return index >= 0 && index < kPanels ? FPanels[index]->text() : QString();
}

int TMainStatusBar::PanelWidth(int index) const
{
    return index >= 0 && index < kPanels ? FPanels[index]->minimumWidth() : 0;
}

void TMainStatusBar::SetMode(int mode)
{
    const bool absolute = mode == 0;
    const QString text = absolute ? QStringLiteral("ABS") : QStringLiteral("REL");
    if (FMode->text() != text) {
        FMode->setText(text);
        QPalette pal = FMode->palette();
        pal.setColor(QPalette::WindowText, absolute ? QColor(0, 128, 0) : QColor(Qt::black));
        FMode->setPalette(pal);
        wnd::SetHint(FMode, absolute ? QStringLiteral("Modo Absoluto") : QStringLiteral("Modo Relativo"));
    }
}

} // namespace rs
