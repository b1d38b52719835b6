#include "tablet/ui/uTableDlg.h"

#include "common/Utils.h"
#include "tablet/ui/QtOneShotTimer.h"
#include "tablet/ui/TabletBinding.h"
#include "tablet/ui/TabletSprite.h"

#include <QFrame>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QScreen>

namespace rs {

namespace {

TTableDlg* gDialog = nullptr;

QString FromCp1252(const std::string& s)
{
    return QString::fromStdString(Cp1252ToUtf8(s));
}

} // namespace

TTableDlg::TTableDlg(QWidget* parent, TTaskButtonSet buttons, TMode savedMode,
                     std::unique_ptr<TOneShotTimer> timer)
    : QDialog(parent), FTimer(timer ? std::move(timer) : std::make_unique<TQtOneShotTimer>()),
      FSavedMode(savedMode)
{
    setWindowTitle(QString::fromUtf8("Teste da mesa digitalizadora"));
    setObjectName(QStringLiteral("TableDlg"));
    setFixedSize(376, 308);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    QFont bold = font();
    bold.setBold(true);

    lbPos = new QLabel(this);
    lbPos->setObjectName(QStringLiteral("lbPos"));
    lbPos->setGeometry(8, 4, 360, 16);
    lbPos->setAlignment(Qt::AlignCenter);
    lbPos->setFont(bold);

    Box = new QFrame(this);
    Box->setObjectName(QStringLiteral("Box"));
    Box->setGeometry(8, 24, TTabletTestModel::kBoxWidth, TTabletTestModel::kBoxHeight);
    Box->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Box->setAutoFillBackground(true);
    QPalette pal = Box->palette();
    pal.setColor(QPalette::Window, Qt::white);
    pal.setColor(QPalette::WindowText, Qt::black);
    Box->setPalette(pal);
    Box->setCursor(Qt::CrossCursor);

    lbMsg = new QLabel(QString::fromUtf8("Para verificar se a mesa está ativada,\n"
                                         "desloque o cursor da mesa e veja se\n"
                                         "o cursor abaixo se move. Pressione os\n"
                                         "botões do cursor e leia as mensagens."),
                       Box);
    lbMsg->setObjectName(QStringLiteral("lbMsg"));
    lbMsg->move(64, 21);
    lbMsg->adjustSize();

    tabCursor = new TTabletSprite(Box);
    tabCursor->setObjectName(QStringLiteral("tabCursor"));
    tabCursor->SetPos(QPoint(TTabletTestModel::kSpriteStart.x, TTabletTestModel::kSpriteStart.y));

    Pressione = new QLabel(QString::fromUtf8("Pressione/libere os botões:"), this);
    Pressione->setObjectName(QStringLiteral("Pressione"));
    Pressione->setGeometry(8, 278, 180, 16);

    lbButton = new QLabel(this);
    lbButton->setObjectName(QStringLiteral("lbButton"));
    lbButton->setGeometry(188, 270, 180, 32);
    lbButton->setAlignment(Qt::AlignCenter);
    lbButton->setFont(bold);

    // The window exists before the component binds, so its context opens now.
    FTablet.SetMode(moAbsolute);
    BindTablet(FTablet, this);
    FModel = std::make_unique<TTabletTestModel>(FTablet, *FTimer, buttons);
    FModel->OnChange = [this] { Refresh(); };
    Refresh();

    if (const QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

TTableDlg::~TTableDlg()
{
    FModel.reset(); // before the tablet and the timer it uses
    if (gDialog == this) gDialog = nullptr;
}

bool TTableDlg::Execute(QWidget* parent, TTaskButtonSet buttons, TMode savedMode)
{
    TTableDlg dlg(parent, buttons, savedMode);
    gDialog = &dlg;
    const int r = dlg.exec();
    gDialog = nullptr;
    return r == QDialog::Accepted;
}

TTableDlg* TTableDlg::Instance()
{
    return gDialog;
}

void TTableDlg::Refresh()
{
    const TTabletTestModel& m = *FModel;
    lbPos->setText(FromCp1252(m.PosText()));
    lbPos->setVisible(m.PosVisible());
    lbButton->setText(FromCp1252(m.ButtonText()));
    lbMsg->setVisible(m.InstructionsVisible());
    tabCursor->SetPos(QPoint(m.SpritePos().x, m.SpritePos().y));
    tabCursor->setVisible(m.SpriteVisible());
    if (m.SpriteVisible()) tabCursor->raise();
}

void TTableDlg::keyPressEvent(QKeyEvent* e)
{
    switch (e->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
        reject();
        return;
    default:
        QDialog::keyPressEvent(e);
    }
}

void TTableDlg::done(int r)
{
    // The tablet goes back to the mode of the window the dialog came from.
    FTablet.SetMode(FSavedMode);
    FTimer->Stop();
    QDialog::done(r);
}

} // namespace rs
