#pragma once
// What the tablet test dialog shows, kept apart from its widgets: the
// coordinates of the cursor, the sprite's place on the picture of the tablet
// area, the instructions, and a message for every button press and release
// naming the button's digitizing task. Texts are Windows-1252.

#include "common/Geometry.h"
#include "tablet/Tablet.h"
#include "tablet/TabletTimer.h"

#include <functional>
#include <string>

namespace rs {

// The buttons of the digitizing tasks, counted from 0 (the swap button is
// the tablet module's).
struct TTaskButtonSet
{
    int Insert = 0;
    int Delete = 1;
    int Overflow = 2;
};

class TTabletTestModel
{
  public:
    static constexpr int kBoxWidth = 360;
    static constexpr int kBoxHeight = 240;
    static constexpr int kMessageMs = 2000;
    static constexpr TPoint kSpriteStart{179, 119}; // hot spot at opening

    // Takes over the tablet's cursor-move, press, release and swap handlers;
    // the timer clears the button message.
    TTabletTestModel(TTablet& tablet, TOneShotTimer& timer, TTaskButtonSet buttons = {});
    ~TTabletTestModel();
    TTabletTestModel(const TTabletTestModel&) = delete;
    TTabletTestModel& operator=(const TTabletTestModel&) = delete;

    void SetButtons(TTaskButtonSet buttons) { FButtons = buttons; }
    TTaskButtonSet Buttons() const { return FButtons; }
    // The picture's size (the box), for the mapping of positions.
    void SetBoxSize(int width, int height);

    // ---- What is shown
    const std::string& PosText() const { return FPosText; }
    const std::string& ButtonText() const { return FButtonText; }
    bool InstructionsVisible() const { return FInstructions; }
    bool SpriteVisible() const { return FSpriteVisible; }
    bool PosVisible() const { return FSpriteVisible; }
    TPoint SpritePos() const { return FSpritePos; } // where the hot spot is
    int MoveCount() const { return FMoves; }

    // Told after every change of what is shown.
    std::function<void()> OnChange;

    // A tablet position onto a picture of w x h pixels, through the context
    // rectangle (top is the larger Y, so upward Y becomes downward y).
    static TPoint MapToBox(const TRect& context, int x, int y, int w, int h);
    // "(Inserir Ponto)" etc. for a task button, empty for any other.
    std::string TaskName(int button) const;

    // The handlers, public so that a view or a test can drive them directly.
    void CursorMove(int x, int y);
    void ButtonPress(int button);
    void ButtonRelease(int button);
    void SwapRequested(); // the swap button was released
    void TimerElapsed();

  private:
    void Changed();

    TTablet& FTablet;
    TOneShotTimer& FTimer;
    TTaskButtonSet FButtons;
    int FBoxW = kBoxWidth, FBoxH = kBoxHeight;
    std::string FPosText, FButtonText;
    bool FInstructions = true;
    bool FSpriteVisible = true;
    TPoint FSpritePos = kSpriteStart;
    int FMoves = 0;
};

} // namespace rs
