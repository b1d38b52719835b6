#include "shell/uZoomText.h"

#include "common/Utils.h"

#include <gtest/gtest.h>

using namespace rs;

namespace {

struct TZoomCase
{
    const char* Text;
    bool Has, Ok;
    double Zoom;
    const char* Number;
};

} // namespace

TEST(ZoomText, WhatTheBoxTextAsksFor)
{
    const char old = DecimalSeparator();
    SetDecimalSeparator(',');
    const TZoomCase cases[] = {
        {"150%", true, true, 1.5, "150"},
        {"  150 %", true, true, 1.5, "150"},
        {"150", true, true, 1.5, "150"},           // Enter adds the "%" later
        {"12,5%", true, true, 0.125, "12,5"},      // the decimal separator
        {"200%%", true, true, 2.0, "200"},
        {"\xC2\xA0" "250\xE2\x80\xAF%", true, true, 2.5, "250"}, // pasted no-break spaces
        {"-50%", true, true, -0.5, "-50"},         // read; the window refuses it
        {" %", false, true, 0, ""},
        {"", false, true, 0, ""},
        {"%150", false, true, 0, ""},              // only what comes before the first "%"
        {"abc%", true, false, 0, "abc"},
        {"1 5%", true, false, 0, "1 5"},
        {"1e400%", true, false, 0, "1e400"},       // overflows to infinity
        {"inf%", true, false, 0, "inf"},
        {"\xC3\xA9%", true, false, 0, "\xC3\xA9"},
    };
    for (const TZoomCase& c : cases) {
        SCOPED_TRACE(c.Text);
        const TZoomEntry e = ParseZoomText(c.Text);
        EXPECT_EQ(e.Has, c.Has);
        EXPECT_EQ(e.Ok, c.Ok);
        EXPECT_DOUBLE_EQ(e.Zoom, c.Zoom);
        EXPECT_EQ(e.Number, c.Number);
    }
    // A NUL inside the text is just another character that is not a digit.
    const TZoomEntry nul = ParseZoomText(std::string("1\0" "5%", 4));
    EXPECT_TRUE(nul.Has);
    EXPECT_FALSE(nul.Ok);
    EXPECT_EQ(ZoomErrorText(ParseZoomText("abc%")), "'abc' não é um valor de ponto flutuante válido");
    SetDecimalSeparator(old);
}
