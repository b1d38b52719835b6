#include "shell/ui/uAbout.h"

#include "chartwin/Pictures.h"
#include "common/ui/UiHelpers.h"
#include "shell/uSupportInfo.h"

#include <QKeyEvent>
#include <QLabel>

namespace rs {

TAbout::TAbout(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Sobre o Rain Scribe"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setFixedSize(350, 260);
    auto* ProgramIcon = new QLabel(this);
    ProgramIcon->setObjectName(QStringLiteral("ProgramIcon"));
    ProgramIcon->setPixmap(QPixmap(QString::fromLatin1(kPicAbout)));
    ProgramIcon->setGeometry(-5, -4, 360, 270);
    auto* Label1 = new QLabel(CpToQ(kProgramVersionText), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    QFont f(QStringLiteral("Arial"));
    f.setBold(true);
    f.setPixelSize(13);
    Label1->setFont(f);
    Label1->setStyleSheet(QStringLiteral("color: blue; background: transparent;"));
    Label1->move(129, 159);
    Label1->adjustSize();
}

void TAbout::Execute(QWidget* parent)
{
    TAbout dlg(parent);
    dlg.exec();
}

void TAbout::keyPressEvent(QKeyEvent* e)
{
    if (e->key() == Qt::Key_Escape || e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter)
        accept();
    else
        QDialog::keyPressEvent(e);
}

} // namespace rs
