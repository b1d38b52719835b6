#include "shell/ui/uSplash.h"

#include "chartwin/Pictures.h"
#include "common/ui/PlatformServices.h"
#include "common/ui/UiHelpers.h"
#include "shell/uSupportInfo.h"

#include <QApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>

#include <cstring>

namespace rs {

namespace {
TSplash* gSplash = nullptr;
} // namespace

TSplash* Splash() { return gSplash; }

TSplash::TSplash(QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    FTick = TickCount();
    gSplash = this;
    setObjectName(QStringLiteral("Splash"));
    setAttribute(Qt::WA_DeleteOnClose);
    // The picture covers the whole window: no background to erase.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFixedSize(360, 270);
    if (QScreen* s = QGuiApplication::primaryScreen())
        move(s->geometry().center() - rect().center());
    // No tooltip; the long part goes to the main window's status bar.
    InstallHint(this, QStringLiteral("|Pressione <Esc> ou <Enter> para fechar."));
    setFocusPolicy(Qt::StrongFocus);
}

TSplash::~TSplash()
{
    if (gSplash == this)
        gSplash = nullptr;
}

TSplash* TSplash::ShowSplash()
{
    auto* s = new TSplash;
    s->show();
    s->repaint();
    QApplication::processEvents();
    return s;
}

bool TSplash::WantedBy(int argc, const char* const* argv)
{
    return !(argc > 1 && argv[1] && std::strcmp(argv[1], "-ns") == 0);
}

void TSplash::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const QPixmap pic(QString::fromLatin1(kPicSplash));
    if (pic.isNull())
        p.fillRect(rect(), Qt::white);
    else
        p.drawPixmap(0, 0, pic);
    QFont f(QStringLiteral("Arial"));
    f.setBold(true);
    f.setPixelSize(13);
    p.setFont(f);
    p.setPen(Qt::blue);
    p.drawText(134, 165 + QFontMetrics(f).ascent(), CpToQ(kProgramVersionText));
}

void TSplash::keyPressEvent(QKeyEvent* e)
{
    if (e->key() == Qt::Key_Escape || e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter)
        close();
    else
        e->accept(); // any other key does nothing
}

} // namespace rs
