#pragma once
// "Teste da mesa digitalizadora": checks that the tablet is connected and its
// cursor buttons work. A sprite follows the tablet cursor over a picture of
// the tablet area, the raw coordinates are shown, and every press and
// release is announced with the button's digitizing task.

#include "tablet/Tablet.h"
#include "tablet/TabletTestModel.h"

#include <QDialog>

#include <memory>

class QFrame;
class QLabel;

namespace rs {

class TTabletSprite;

class TTableDlg : public QDialog
{
    Q_OBJECT
  public:
    // buttons: the insert, delete and overflow buttons of the preferences;
    // savedMode: the mode the dialog's tablet takes when it closes (the
    // active chart window's, relative without one). A null timer means the
    // UI thread's timer.
    TTableDlg(QWidget* parent, TTaskButtonSet buttons, TMode savedMode,
              std::unique_ptr<TOneShotTimer> timer = nullptr);
    ~TTableDlg() override;

    // Creates the dialog, runs it modally and frees it. The dialog has no OK
    // button, so the result is false.
    static bool Execute(QWidget* parent, TTaskButtonSet buttons, TMode savedMode);
    // The dialog while Execute runs it, none otherwise.
    static TTableDlg* Instance();

    TTablet& Tablet() { return FTablet; }
    TTabletTestModel& Model() { return *FModel; }
    TOneShotTimer& Timer() { return *FTimer; }
    TMode SavedMode() const { return FSavedMode; }

    QLabel* PosLabel() const { return lbPos; }
    QLabel* ButtonLabel() const { return lbButton; }
    QLabel* MsgLabel() const { return lbMsg; }
    QFrame* BoxFrame() const { return Box; }
    TTabletSprite* Sprite() const { return tabCursor; }

    void done(int r) override;

  protected:
    void keyPressEvent(QKeyEvent* e) override;

  private:
    void Refresh();

    TTablet FTablet;
    std::unique_ptr<TOneShotTimer> FTimer;
    std::unique_ptr<TTabletTestModel> FModel;
    TMode FSavedMode;
    QLabel* lbPos;
    QFrame* Box;
    QLabel* lbMsg;
    TTabletSprite* tabCursor;
    QLabel* Pressione;
    QLabel* lbButton;
};

// The name the dialog has in some of the program's texts.
using TTabletDlg = TTableDlg;

} // namespace rs
