#pragma once
// TAbout, "Sobre o Rain Scribe": the program picture with its version.
// Enter or Esc closes it with OK.

#include <QDialog>

namespace rs {

class TAbout : public QDialog
{
    Q_OBJECT
public:
    explicit TAbout(QWidget* parent = nullptr);
    // Created for the call, shown modally, freed afterwards.
    static void Execute(QWidget* parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent* e) override;
};

} // namespace rs
