#include "shell/ui/uSupport.h"

#include "common/ui/PlatformServices.h"
#include "common/Utils.h"

#include <QEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>

namespace rs {

namespace {
QString CpToQ(const std::string& s) { return QString::fromStdString(Cp1252ToUtf8(s)); }
} // namespace

QString TSupportDlg::SupportText(const TSupportInfo& info)
{
    const QString indent(8, QLatin1Char(' '));
    const QStringList paragraphs = {
        indent + QStringLiteral("Todo software pode apresentar, em maior ou menor grau, "
                                "limitações durante os primeiros estágios. Estas limitações, que vão "
                                "desde dificuldades de compreensão até falhas que chegam a travar o "
                                "sistema operacional, podem e devem ser removidas, a partir do "
                                "momento em que são constatadas. As melhorias vão sendo "
                                "implementadas através das sucessivas versões ou distribuições "
                                "(\"releases\") do software, conforme a quantidade, a natureza e as "
                                "consequências das limitações detectadas."),
        indent + QStringLiteral("A evolução de um software depende não só da equipe "
                                "encarregada do seu desenvolvimento, mas, sobretudo, daqueles que o "
                                "utilizam sob condições reais e se deparam com as limitações do mesmo."),
        indent + QStringLiteral("Por isso, pedimos a sua ajuda para tornar o Rain Scribe cada vez "
                                "melhor: envie aos seus desenvolvedores os relatos dos erros encontrados, "
                                "as suas críticas e as suas sugestões. A forma mais rápida de fazê-lo "
                                "é uma mensagem de correio eletrônico ") +
            (info.Address.empty() ? QStringLiteral("ao suporte técnico da instituição responsável por esta "
                                                   "instalação do programa")
                                  : QStringLiteral("para o endereço de suporte indicado abaixo")) +
            QStringLiteral(", descrevendo o que estava sendo feito quando o problema "
                           "ocorreu e, se possível, anexando o arquivo de dados envolvido."),
        indent + QStringLiteral("Desde já, contamos com a sua valiosa contribuição."),
    };
    QStringList block;
    for (const std::string& line : info.Block)
        block << indent + CpToQ(line);
    if (block.isEmpty())
        block << indent + QStringLiteral("Equipe de Desenvolvimento do Rain Scribe");
    return (paragraphs + QStringList{block.join(QLatin1Char('\n'))}).join(QStringLiteral("\n\n"));
}

TSupportDlg::TSupportDlg(QWidget* parent) : TSupportDlg(ReadSupportInfo(SupportFileName()), parent) {}

TSupportDlg::TSupportDlg(const TSupportInfo& info, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Suporte Técnico"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setFixedSize(592, 423);

    meText = new QPlainTextEdit(this);
    meText->setReadOnly(true);
    meText->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    meText->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    QFont arial(QStringLiteral("Arial"));
    arial.setPixelSize(14);
    meText->setFont(arial);
    meText->setPlainText(SupportText(info));
    meText->setGeometry(8, 8, 576, 360);

    const bool hasAddress = !info.Address.empty();
    lbClick = new QLabel(hasAddress ? QStringLiteral("Clique no endereço:")
                                    : QStringLiteral("Nenhum endereço de suporte foi definido nesta instalação."),
                         this);
    lbClick->move(8, 388);
    lbClick->adjustSize();
    lbMail = new QLabel(QString::fromLatin1(info.Address.data(), qsizetype(info.Address.size())), this);
    QFont bold = lbMail->font();
    bold.setBold(true);
    lbMail->setFont(bold);
    QPalette blue = lbMail->palette();
    blue.setColor(QPalette::WindowText, Qt::blue);
    lbMail->setPalette(blue);
    lbMail->setCursor(Qt::PointingHandCursor);
    lbMail->move(lbClick->geometry().right() + 6, 388);
    lbMail->adjustSize();
    lbMail->installEventFilter(this);
    auto* lbSend = new QLabel(QStringLiteral("para enviar uma mensagem"), this);
    lbSend->move(lbMail->geometry().right() + 6, 388);
    lbSend->adjustSize();
    lbMail->setVisible(hasAddress);
    lbSend->setVisible(hasAddress);

    btClose = new QPushButton(QStringLiteral("&Fechar"), this);
    btClose->setGeometry(509, 384, 75, 25);
    btClose->setDefault(true);
    connect(btClose, &QPushButton::clicked, this, &QDialog::accept);
    btClose->setFocus();
}

void TSupportDlg::Execute(QWidget* parent)
{
    TSupportDlg dlg(parent);
    dlg.exec();
}

bool TSupportDlg::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == lbMail && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        lbMailClick();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TSupportDlg::lbMailClick()
{
    // Without a mail program the platform reports it (or not); this window stays open either way.
    if (!lbMail->text().isEmpty())
        OpenMailTo(lbMail->text());
}

} // namespace rs
