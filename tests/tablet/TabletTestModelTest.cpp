#include "tablet/TabletTestModel.h"
#include "tablet/TabletFixture.h"

namespace rs::test {
namespace {

class TabletTestModelTest : public TabletFixture
{
  protected:
    void SetUp() override
    {
        TabletFixture::SetUp();
        Tablet = MakeTablet(moAbsolute, 9);
        Model = std::make_unique<TTabletTestModel>(*Tablet, Timer, TTaskButtonSet{0, 1, 2});
    }
    void TearDown() override
    {
        Model.reset();
        Tablet.reset();
        TabletFixture::TearDown();
    }
    void Click(int button, int x = 0, int y = 0)
    {
        Driver->PressButton(button, x, y);
        Driver->ReleaseButton(button, x, y);
    }

    TManualTimer Timer;
    std::unique_ptr<TTablet> Tablet;
    std::unique_ptr<TTabletTestModel> Model;
};

const std::string kPressed1 = "O bot\xE3o 1 foi pressionado";

TEST_F(TabletTestModelTest, OpensWithTheInstructionsAndEmptyTexts)
{
    EXPECT_TRUE(Model->InstructionsVisible());
    EXPECT_TRUE(Model->SpriteVisible());
    EXPECT_EQ(Model->SpritePos(), (TPoint{179, 119}));
    EXPECT_EQ(Model->PosText(), "");
    EXPECT_EQ(Model->ButtonText(), "");
    EXPECT_FALSE(Timer.Running());
}

TEST_F(TabletTestModelTest, TheSpriteMovesFromTheThirdCursorMove)
{
    Driver->Send(0, 12000, 9000);
    Driver->Send(0, 12001, 9000);
    EXPECT_EQ(Model->MoveCount(), 2);
    EXPECT_TRUE(Model->InstructionsVisible());
    EXPECT_EQ(Model->SpritePos(), (TPoint{179, 119}));
    EXPECT_EQ(Model->PosText(), "");
    Driver->Send(0, 6000, 4500);
    EXPECT_FALSE(Model->InstructionsVisible());
    EXPECT_EQ(Model->SpritePos(), (TPoint{90, 180}));
    EXPECT_EQ(Model->PosText(), "x = 6000      y = 4500");
}

TEST_F(TabletTestModelTest, ContextCornersMapOntoThePictureCorners)
{
    const TRect r = Tablet->ContextRect(); // (0, 18000, 24000, 0)
    EXPECT_EQ(TTabletTestModel::MapToBox(r, r.left, r.top, 360, 240), (TPoint{0, 0}));
    EXPECT_EQ(TTabletTestModel::MapToBox(r, r.right, r.bottom, 360, 240), (TPoint{360, 240}));
    // Truncation towards zero, also left of the area.
    EXPECT_EQ(TTabletTestModel::MapToBox(r, 66, 17990, 360, 240), (TPoint{0, 0}));
    EXPECT_EQ(TTabletTestModel::MapToBox(r, -67, 18000, 360, 240), (TPoint{-1, 0}));
    // An offset context.
    const TRect o{1000, 5000, 3000, 1000};
    EXPECT_EQ(TTabletTestModel::MapToBox(o, 2000, 3000, 360, 240), (TPoint{180, 120}));
    // An empty rectangle does not divide by zero.
    EXPECT_EQ(TTabletTestModel::MapToBox(TRect{5, 5, 5, 5}, 10, 10, 360, 240), (TPoint{0, 0}));
}

TEST_F(TabletTestModelTest, PressAndReleaseNameTheTaskAndClearAfterTwoSeconds)
{
    Driver->PressButton(0, 0, 0);
    EXPECT_EQ(Model->ButtonText(), kPressed1 + "\n(Inserir Ponto)");
    EXPECT_FALSE(Timer.Running());
    Driver->ReleaseButton(0, 0, 0);
    EXPECT_EQ(Model->ButtonText(), "O bot\xE3o 1 foi liberado");
    EXPECT_TRUE(Timer.Running());
    EXPECT_EQ(Timer.Interval(), 2000);
    Timer.Fire();
    EXPECT_EQ(Model->ButtonText(), "");
    EXPECT_FALSE(Timer.Running());
}

TEST_F(TabletTestModelTest, TaskNamesFollowThePreferences)
{
    Driver->PressButton(1, 0, 0);
    EXPECT_EQ(Model->ButtonText(), "O bot\xE3o 2 foi pressionado\n(Excluir Ponto)");
    Driver->ReleaseButton(1, 0, 0);
    Driver->PressButton(2, 0, 0);
    EXPECT_EQ(Model->ButtonText(), "O bot\xE3o 3 foi pressionado\n(Sinalizar Transbord.)");
    Driver->ReleaseButton(2, 0, 0);
    // A fifth button has no task.
    Driver->PressButton(4, 0, 0);
    EXPECT_EQ(Model->ButtonText(), "O bot\xE3o 5 foi pressionado");
    Driver->ReleaseButton(4, 0, 0);
    // Tasks tested in order insert, delete, overflow.
    Model->SetButtons({5, 5, 6});
    Driver->PressButton(5, 0, 0);
    EXPECT_EQ(Model->ButtonText(), "O bot\xE3o 6 foi pressionado\n(Inserir Ponto)");
}

TEST_F(TabletTestModelTest, APressWhileTheMessageTimerRunsStopsIt)
{
    Click(4);
    EXPECT_TRUE(Timer.Running());
    Driver->PressButton(0, 0, 0);
    EXPECT_FALSE(Timer.Running());
    EXPECT_EQ(Model->ButtonText(), kPressed1 + "\n(Inserir Ponto)");
}

TEST_F(TabletTestModelTest, TheSwapButtonTogglesSpriteCoordinatesAndMode)
{
    Click(3);
    EXPECT_EQ(Model->ButtonText(), "O bot\xE3o 4 foi pressionado\n(Alternar Modos Abs/Rel)");
    EXPECT_TRUE(Timer.Running());
    EXPECT_FALSE(Model->SpriteVisible());
    EXPECT_FALSE(Model->PosVisible());
    EXPECT_EQ(Tablet->Mode(), moRelative);
    // In relative mode no cursor moves and no button messages arrive.
    Timer.Fire();
    for (int i = 0; i < 4; ++i)
        Driver->Send(0, 100 + i, 100);
    Click(0);
    EXPECT_EQ(Model->MoveCount(), 0);
    EXPECT_EQ(Model->ButtonText(), "");
    Click(3);
    EXPECT_TRUE(Model->SpriteVisible());
    EXPECT_TRUE(Model->PosVisible());
    EXPECT_EQ(Tablet->Mode(), moAbsolute);
}

TEST_F(TabletTestModelTest, WithoutTheTabletNoPositionIsMapped)
{
    Model.reset();
    Tablet.reset();
    Driver->LoadSucceeds = false;
    SetTabletDriver(nullptr);
    SetTabletDriver(Driver.get());
    Tablet = MakeTablet();
    Model = std::make_unique<TTabletTestModel>(*Tablet, Timer);
    EXPECT_FALSE(Tablet->OnCursorMove);
    EXPECT_FALSE(Tablet->Connected());
    EXPECT_TRUE(Model->InstructionsVisible());
}

TEST_F(TabletTestModelTest, ChangesAreAnnounced)
{
    int changes = 0;
    Model->OnChange = [&] { ++changes; };
    Driver->Send(0, 1, 1);
    Driver->Send(0, 2, 1);
    EXPECT_EQ(changes, 0);
    Driver->Send(0, 3, 1);
    EXPECT_EQ(changes, 1);
    Click(0, 3, 1);
    EXPECT_EQ(changes, 3);
}

} // namespace
} // namespace rs::test
