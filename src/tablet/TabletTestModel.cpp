#include "tablet/TabletTestModel.h"

#include "common/Utils.h"

#include <cstdint>

namespace rs {

namespace {
const char* const kPressed = "O bot\xE3o %d foi pressionado";
const char* const kReleased = "O bot\xE3o %d foi liberado";
const char* const kPosFormat = "x = %d      y = %d";
const char* const kSwapTask = "(Alternar Modos Abs/Rel)";
} // namespace

TTabletTestModel::TTabletTestModel(TTablet& tablet, TOneShotTimer& timer, TTaskButtonSet buttons)
    : FTablet(tablet), FTimer(timer), FButtons(buttons)
{
    // Without a tablet no position is ever mapped.
    if (TabletAvailable())
        FTablet.OnCursorMove = [this](TTablet*, TCurButtons, int x, int y) { CursorMove(x, y); };
    else
        FTablet.OnCursorMove = nullptr;
    FTablet.OnButtonPress = [this](TTablet*, TCurButton b, TCurButtons, int, int) { ButtonPress(b); };
    FTablet.OnButtonUp = [this](TTablet*, TCurButton b, TCurButtons, int, int) { ButtonRelease(b); };
    FTablet.OnBeforeSwapMode = [this](TTablet*, int, int, bool& canSwap) {
        SwapRequested();
        canSwap = true;
    };
}

TTabletTestModel::~TTabletTestModel()
{
    FTimer.Stop();
    FTablet.OnCursorMove = nullptr;
    FTablet.OnButtonPress = nullptr;
    FTablet.OnButtonUp = nullptr;
    FTablet.OnBeforeSwapMode = nullptr;
}

void TTabletTestModel::SetBoxSize(int width, int height)
{
    FBoxW = width;
    FBoxH = height;
}

TPoint TTabletTestModel::MapToBox(const TRect& c, int x, int y, int w, int h)
{
    // Integer arithmetic truncating towards zero, as the picture has always
    // been drawn; an empty rectangle maps everything to its edge instead of
    // dividing by zero.
    const std::int64_t dx = std::int64_t(c.right) - c.left;
    const std::int64_t dy = std::int64_t(c.bottom) - c.top;
    const std::int64_t px = dx != 0 ? (std::int64_t(x) - c.left) * w / dx : 0;
    const std::int64_t py = dy != 0 ? (std::int64_t(y) - c.top) * h / dy : 0;
    auto clampInt = [](std::int64_t v) { return int(v < -1000000 ? -1000000 : v > 1000000 ? 1000000 : v); };
    return {clampInt(px), clampInt(py)};
}

std::string TTabletTestModel::TaskName(int button) const
{
    if (button == FButtons.Insert) return "(Inserir Ponto)";
    if (button == FButtons.Delete) return "(Excluir Ponto)";
    if (button == FButtons.Overflow) return "(Sinalizar Transbord.)";
    return {};
}

void TTabletTestModel::CursorMove(int x, int y)
{
    ++FMoves;
    if (FMoves <= 2) return;
    FInstructions = false;
    FSpritePos = MapToBox(FTablet.ContextRect(), x, y, FBoxW, FBoxH);
    FPosText = Format(kPosFormat, x, y);
    Changed();
}

void TTabletTestModel::ButtonPress(int button)
{
    FButtonText = Format(kPressed, button + 1);
    const std::string task = TaskName(button);
    if (!task.empty()) FButtonText += "\n" + task;
    FTimer.Stop();
    Changed();
}

void TTabletTestModel::ButtonRelease(int button)
{
    FButtonText = Format(kReleased, button + 1);
    FTimer.Start(kMessageMs, [this] { TimerElapsed(); });
    Changed();
}

void TTabletTestModel::SwapRequested()
{
    FButtonText = Format(kPressed, SwapButton() + 1) + "\n" + kSwapTask;
    FTimer.Start(kMessageMs, [this] { TimerElapsed(); });
    // The sprite shows the state after the swap: visible in absolute mode.
    FSpriteVisible = FTablet.Mode() == moRelative;
    Changed();
}

void TTabletTestModel::TimerElapsed()
{
    FTimer.Stop();
    FButtonText.clear();
    Changed();
}

void TTabletTestModel::Changed()
{
    if (OnChange) OnChange();
}

} // namespace rs
