#include "shell/ui/uMainSplash.h"

#include "chartwin/Pictures.h"
#include "chartwin/uRChartWndServices.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>

namespace rs {

TMainSplash::TMainSplash(QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    FTick = wnd::TickCount();
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(360, 270);
    if (QScreen* s = QGuiApplication::primaryScreen())
        move(s->geometry().center() - rect().center());
    wnd::SetHint(this, QStringLiteral("|Pressione <Esc> ou <Enter> para fechar."));
    setToolTip(QString());
    setFocusPolicy(Qt::StrongFocus);
}

void TMainSplash::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    const QPixmap pic(QString::fromLatin1(kPicSplash));
    if (!pic.isNull())
        p.drawPixmap(0, 0, pic);
    else {
        QFont big(QStringLiteral("Arial"));
        big.setPixelSize(40);
        big.setBold(true);
        p.setFont(big);
        p.setPen(QColor(0, 0, 128));
        p.drawText(QRect(0, 60, width(), 60), Qt::AlignCenter, QStringLiteral("Rain Scribe"));
    }
    QFont f(QStringLiteral("Arial"));
    f.setBold(true);
    f.setPixelSize(13);
    p.setFont(f);
    p.setPen(Qt::blue);
    p.drawText(134, 165 + QFontMetrics(f).ascent(), QStringLiteral("Versão 1.02"));
}

void TMainSplash::keyPressEvent(QKeyEvent* e)
{
    if (e->key() == Qt::Key_Escape || e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter)
        close();
    else
        QWidget::keyPressEvent(e);
}

} // namespace rs
