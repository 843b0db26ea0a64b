#include "config/ConfigRules.h"

#include <gtest/gtest.h>

using namespace pelo::program;

namespace {
constexpr int kWidth = 340, kHeight = 140; // about the keyboard window's size
const ScreenRect kMain { 0, 0, 1920, 1080 };
const ScreenRect kLeftOfMain { -1280, 0, 0, 1024 };
const ScreenRect kAboveMain { 0, -900, 1600, 0 };

void ExpectKept(WindowPos pos, const std::vector<ScreenRect>& monitors)
{
    const WindowPos got = ReachablePosition(pos, kWidth, kHeight, monitors);
    EXPECT_EQ(got.x, pos.x);
    EXPECT_EQ(got.y, pos.y);
}

void ExpectDefault(WindowPos pos, const std::vector<ScreenRect>& monitors)
{
    const WindowPos got = ReachablePosition(pos, kWidth, kHeight, monitors);
    EXPECT_EQ(got.x, 500) << pos.x << "," << pos.y;
    EXPECT_EQ(got.y, 400) << pos.x << "," << pos.y;
}
} // namespace

TEST(ConfigRules, SlotNumber_OutsideOneToFive_ReadsAsOne)
{
    EXPECT_EQ(ValidSlotNumber(0), 1);
    EXPECT_EQ(ValidSlotNumber(6), 1);
    EXPECT_EQ(ValidSlotNumber(-3), 1);
    for (int slot = 1; slot <= 5; ++slot) {
        EXPECT_EQ(ValidSlotNumber(slot), slot);
    }
}

TEST(ConfigRules, Position_OnAMonitorLeftOfOrAboveTheMain_IsKept)
{
    ExpectKept({ -900, 300 }, { kMain, kLeftOfMain });
    ExpectKept({ 200, -500 }, { kMain, kAboveMain });
    // Partly off the main monitor's left edge, but most of the window is on it.
    ExpectKept({ -20, 300 }, { kMain });
}

TEST(ConfigRules, Position_OnAnUnpluggedMonitor_GoesBackToDefault)
{
    ExpectDefault({ -900, 300 }, { kMain });
    ExpectDefault({ 2500, 300 }, { kMain });
    ExpectDefault({ 200, 5000 }, { kMain, kLeftOfMain });
    ExpectDefault({ 200, 300 }, {}); // no monitor at all
}

TEST(ConfigRules, Position_NeedsAGrabbableSquareOnOneMonitor)
{
    // 24 pixels of the window on the main monitor, to the right: kept; 23: not.
    ExpectKept({ 1920 - 24, 500 }, { kMain });
    ExpectDefault({ 1920 - 23, 500 }, { kMain });
    ExpectKept({ 500, 1080 - 24 }, { kMain });
    ExpectDefault({ 500, 1080 - 23 }, { kMain });
    ExpectKept({ -kWidth + 24, 500 }, { kMain });
    ExpectDefault({ -kWidth + 23, 500 }, { kMain });
    // Straddling two monitors with less than a square on either side counts per monitor.
    ExpectDefault({ -kWidth + 23, 1024 - 23 }, { kMain, kLeftOfMain });
}

TEST(ConfigRules, Position_ExtremeValues_DoNotOverflow)
{
    ExpectDefault({ 2147483647, 2147483647 }, { kMain });
    ExpectDefault({ -2147483647 - 1, 0 }, { kMain });
}
