// What the configuration values may be, without the platform: the slot number, and where the
// keyboard window may stand so that a user can always reach it.
#pragma once

#include <vector>

namespace pelo::program {

constexpr int kDefaultSlot = 1;
constexpr int kDefaultPosX = 500;
constexpr int kDefaultPosY = 400;
// The part of the window that must lie on one monitor for the user to grab it.
constexpr int kGrabSize = 24;

// A slot number outside 1 to 5 reads as slot 1.
constexpr int ValidSlotNumber(int slot)
{
    return slot < 1 || slot > 5 ? kDefaultSlot : slot;
}

struct ScreenRect {
    int left, top, right, bottom;
};

struct WindowPos {
    int x, y;
};

// The keyboard window has no caption and no taskbar button: a position is kept when a part of
// the window placed there at least kGrabSize square (or the whole window, when it is smaller)
// lies on one of the connected monitors, whatever the sign of the coordinates; otherwise the
// window goes to (500, 400).
WindowPos ReachablePosition(WindowPos pos, int width, int height, const std::vector<ScreenRect>& monitors);

} // namespace pelo::program
