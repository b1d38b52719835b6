#pragma once
// TSupportDlg, "Suporte Técnico": invites the user to report problems and
// suggestions by e-mail; a click on the address opens the user's mail program
// (through the shell service, so tests record it instead).

#include <QDialog>

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace rs {

class TSupportDlg : public QDialog
{
    Q_OBJECT
public:
    explicit TSupportDlg(QWidget* parent = nullptr);
    // Created for the call, shown modally, freed afterwards.
    static void Execute(QWidget* parent = nullptr);
    // The text of meText, paragraph by paragraph.
    static QString SupportText();

    QPlainTextEdit* meText = nullptr;
    QLabel* lbMail = nullptr;
    QPushButton* btClose = nullptr;

public slots:
    void lbMailClick();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

} // namespace rs
