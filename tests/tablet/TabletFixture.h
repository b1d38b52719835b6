#pragma once
// A scripted driver registered for the duration of one test, and a recorder
// of every event a component raises.

#include "tablet/ScriptedTabletDriver.h"
#include "tablet/Tablet.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace rs::test {

class TabletFixture : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        SelectNoTabletDriver(false);
        Driver = std::make_unique<TScriptedTabletDriver>();
        SetTabletDriver(Driver.get());
        SetSwapButton(3);
    }
    void TearDown() override
    {
        SetSwapButton(0);
        Driver.reset(); // unregisters itself
        SelectNoTabletDriver(false);
    }
    // A connected component of a window, as a form makes it.
    std::unique_ptr<TTablet> MakeTablet(TMode mode = moAbsolute, TWindowId window = 100)
    {
        auto t = std::make_unique<TTablet>();
        t->SetMode(mode);
        t->Loaded(window);
        return t;
    }

    std::unique_ptr<TScriptedTabletDriver> Driver;
};

// Every event of a component as one line of text, in order.
struct EventLog
{
    std::vector<std::string> Lines;
    bool RefuseClick = false;
    bool RefuseSwap = false;

    void Attach(TTablet& t)
    {
        t.OnCursorMove = [this](TTablet*, TCurButtons b, int x, int y) {
            Lines.push_back("move " + std::to_string(b) + " " + std::to_string(x) + "," + std::to_string(y));
        };
        t.OnButtonPress = [this](TTablet*, TCurButton b, TCurButtons, int x, int y) {
            Lines.push_back("press " + std::to_string(b) + " " + std::to_string(x) + "," + std::to_string(y));
        };
        t.OnButtonUp = [this](TTablet*, TCurButton b, TCurButtons, int x, int y) {
            Lines.push_back("up " + std::to_string(b) + " " + std::to_string(x) + "," + std::to_string(y));
        };
        t.OnConfirmClick = [this](TTablet*, const TPoint& down, const TPoint& up, bool& confirm) {
            Lines.push_back("confirm " + std::to_string(down.x) + "," + std::to_string(down.y) + " " +
                            std::to_string(up.x) + "," + std::to_string(up.y));
            if (RefuseClick) confirm = false;
        };
        t.OnButtonClick = [this](TTablet*, TCurButton b, TCurButtons, int x, int y) {
            Lines.push_back("click " + std::to_string(b) + " " + std::to_string(x) + "," + std::to_string(y));
        };
        t.OnBeforeSwapMode = [this](TTablet*, int x, int y, bool& can) {
            Lines.push_back("beforeswap " + std::to_string(x) + "," + std::to_string(y));
            if (RefuseSwap) can = false;
        };
        t.OnSwapMode = [this](TTablet* s) {
            Lines.push_back(s->Mode() == moAbsolute ? "swap abs" : "swap rel");
        };
    }
    std::vector<std::string> Take()
    {
        auto l = std::move(Lines);
        Lines.clear();
        return l;
    }
};

} // namespace rs::test
