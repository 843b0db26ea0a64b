#include "ConfigRules.h"

#include <algorithm>

namespace pelo::program {

WindowPos ReachablePosition(WindowPos pos, int width, int height, const std::vector<ScreenRect>& monitors)
{
    // 64-bit sums: a position read from the file may be anything an int holds.
    const long long left = pos.x, top = pos.y;
    const long long right = left + std::max(width, 1), bottom = top + std::max(height, 1);
    const long long needX = std::min<long long>(kGrabSize, right - left);
    const long long needY = std::min<long long>(kGrabSize, bottom - top);
    for (const ScreenRect& m : monitors) {
        const long long overlapX = std::min<long long>(right, m.right) - std::max<long long>(left, m.left);
        const long long overlapY = std::min<long long>(bottom, m.bottom) - std::max<long long>(top, m.top);
        if (overlapX >= needX && overlapY >= needY) {
            return pos;
        }
    }
    return { kDefaultPosX, kDefaultPosY };
}

} // namespace pelo::program
