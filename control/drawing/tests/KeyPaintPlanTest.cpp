#include "KeyPaintPlan.h"

#include <gtest/gtest.h>

using namespace pelokey::drawing;

namespace {
void ExpectFont(const CharFont& f, int weight, int escapement, Colour colour, const char* what)
{
    EXPECT_EQ(f.weight, weight) << what;
    EXPECT_EQ(f.escapement, escapement) << what;
    EXPECT_EQ(f.colour, colour) << what;
}
} // namespace

TEST(KeyPaintPlan, Bitmap_ByStyleAndPress_ChoosesFace)
{
    EXPECT_EQ(PlanKeyFace(1, 0, 0, 0).bitmapId, 202);
    EXPECT_EQ(PlanKeyFace(1, 1, 0, 0).bitmapId, 201);
    EXPECT_EQ(PlanKeyFace(1, 5, 0, 0).bitmapId, 201);
    EXPECT_EQ(PlanKeyFace(2, 0, 1, 0).bitmapId, 206);
    EXPECT_EQ(PlanKeyFace(2, 1, 1, 0).bitmapId, 205);
    // Any style but 1 is a label key, including values a stream may hold.
    for (std::int16_t style : { 0, 2, 3, -1, 0x7FFF }) {
        const PaintPlan p = PlanKeyFace(style, 0, 0, 0);
        EXPECT_FALSE(p.characterKey) << style;
        EXPECT_EQ(p.bitmapId, 206) << style;
    }
    EXPECT_TRUE(PlanKeyFace(1, 0, 0, 0).characterKey);
}

TEST(KeyPaintPlan, CharFonts_RaisedWithoutShift_UnshiftedHeavyAndTilted)
{
    const PaintPlan p = PlanKeyFace(1, 0, 0, 0);
    ExpectFont(p.tchar1, 500, 10, Black, "tchar1");
    ExpectFont(p.tchar2, 100, 10, Grey, "tchar2");
    EXPECT_EQ(Grey, 0x747474u);
}

TEST(KeyPaintPlan, CharFonts_ShiftDown_ShiftedHeavyAndUpright)
{
    for (std::int32_t shift : { 1, 2, -1 }) {
        const PaintPlan p = PlanKeyFace(1, 1, shift, 0);
        ExpectFont(p.tchar1, 100, 0, Grey, "tchar1");
        ExpectFont(p.tchar2, 500, 0, Black, "tchar2");
    }
}

TEST(KeyPaintPlan, CharFonts_EditorKey_BothPlainBlackWhateverShift)
{
    for (std::int32_t shift : { 0, 1 }) {
        const PaintPlan p = PlanKeyFace(1, 1, shift, 1);
        ExpectFont(p.tchar1, 400, 0, Black, "tchar1");
        ExpectFont(p.tchar2, 400, 0, Black, "tchar2");
    }
    // Only the exact value 1 marks the editor's key.
    const PaintPlan two = PlanKeyFace(1, 0, 1, 2);
    ExpectFont(two.tchar1, 100, 0, Grey, "tchar1, bInConfigDlg 2");
    const PaintPlan neg = PlanKeyFace(1, 0, 0, -1);
    ExpectFont(neg.tchar1, 500, 10, Black, "tchar1, bInConfigDlg -1");
}
