#include "KeyPaintPlan.h"

namespace pelokey::drawing {

PaintPlan PlanKeyFace(std::int16_t nKeyStyle, std::int32_t bKeyDown, std::int32_t bKeyShiftDown,
    std::int32_t bInConfigDlg) noexcept
{
    PaintPlan plan {};
    plan.characterKey = nKeyStyle == 1;
    if (plan.characterKey) {
        plan.bitmapId = bKeyDown ? IDB_CHAR_DOWN : IDB_CHAR_UP;
    } else {
        plan.bitmapId = bKeyDown ? IDB_STRING_DOWN : IDB_STRING_UP;
    }
    // The heavy dark character is the one a press types; the editor shows both alike.
    if (bInConfigDlg == 1) {
        plan.tchar1 = { 400, 0, Black };
        plan.tchar2 = { 400, 0, Black };
    } else if (bKeyShiftDown) {
        plan.tchar1 = { 100, 0, Grey };
        plan.tchar2 = { 500, 0, Black };
    } else {
        plan.tchar1 = { 500, 10, Black };
        plan.tchar2 = { 100, 10, Grey };
    }
    return plan;
}

} // namespace pelokey::drawing
