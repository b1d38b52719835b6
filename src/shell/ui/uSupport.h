#pragma once
// TSupportDlg, "Suporte Técnico": invites the user to report problems and
// suggestions by e-mail; a click on the address opens the user's mail program
// (through the shell service, so tests record it instead). The address and
// the signature are this installation's ("Suporte.txt", see uSupportInfo.h).

#include "shell/uSupportInfo.h"

#include <QDialog>

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace rs {

class TSupportDlg : public QDialog
{
    Q_OBJECT
public:
    // With the installation's support contact.
    explicit TSupportDlg(QWidget* parent = nullptr);
    TSupportDlg(const TSupportInfo& info, QWidget* parent);
    // Created for the call, shown modally, freed afterwards.
    static void Execute(QWidget* parent = nullptr);
    // The text of meText, paragraph by paragraph.
    static QString SupportText(const TSupportInfo& info);

    QLabel* lbClick = nullptr; // the line under the text

    QPlainTextEdit* meText = nullptr;
    QLabel* lbMail = nullptr; // hidden when no address is set
    QPushButton* btClose = nullptr;

public slots:
    void lbMailClick();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

} // namespace rs
