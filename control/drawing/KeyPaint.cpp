#include "KeyPaint.h"

#include "KeyPaintPlan.h"
#include "framework/UniqueHandle.h"

namespace pelokey::drawing {
namespace {

pelo::UniqueHfont CreateCharFont(const CharFont& f)
{
    return pelo::UniqueHfont(::CreateFontW(10, 0, f.escapement, 0, f.weight, FALSE, FALSE, FALSE,
        DEFAULT_CHARSET, OUT_CHARACTER_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
        DEFAULT_PITCH | FF_DONTCARE, L"MS Sans Serif"));
}

void DrawFace(HDC dc, const RECT& bounds, int bitmapId, bool pressed, HINSTANCE resources)
{
    const int width = bounds.right - bounds.left;
    const int height = bounds.bottom - bounds.top;
    pelo::UniqueHbitmap bitmap(::LoadBitmapW(resources, MAKEINTRESOURCEW(bitmapId)));
    BITMAP info {};
    if (bitmap && ::GetObjectW(bitmap.get(), sizeof info, &info) == sizeof info) {
        pelo::UniqueHdc memory(::CreateCompatibleDC(dc));
        if (memory) {
            pelo::SelectGuard select(memory.get(), bitmap.get());
            ::StretchBlt(dc, bounds.left, bounds.top, width, height, memory.get(), 0, 0, info.bmWidth,
                info.bmHeight, SRCCOPY);
            return;
        }
    }
    RECT face = bounds;
    pelo::UniqueHbrush brush(::CreateSolidBrush(RGB(212, 210, 204)));
    ::FillRect(dc, &face, brush.get());
    ::DrawEdge(dc, &face, pressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
}

void DrawChar(HDC dc, const RECT& bounds, POINT at, HFONT font, COLORREF colour, wchar_t ch)
{
    pelo::SelectGuard select(dc, font);
    ::SetTextColor(dc, colour);
    ::TextOutW(dc, bounds.left + at.x, bounds.top + at.y, &ch, 1);
}

} // namespace

CharColours PaintKeyFace(
    HDC dc, const RECT& bounds, const KeyFaceState& state, HFONT fontAll, HINSTANCE resources)
{
    const PaintPlan plan
        = PlanKeyFace(state.nKeyStyle, state.bKeyDown, state.bKeyShiftDown, state.bInConfigDlg);
    DrawFace(dc, bounds, plan.bitmapId, state.bKeyDown != FALSE, resources);
    ::SetBkColor(dc, TextBackground);

    if (plan.characterKey) {
        pelo::UniqueHfont font1 = CreateCharFont(plan.tchar1);
        pelo::UniqueHfont font2 = CreateCharFont(plan.tchar2);
        {
            pelo::SelectGuard select(dc, fontAll ? fontAll : ::GetCurrentObject(dc, OBJ_FONT));
            ::SetTextColor(dc, state.crKeyChar);
            ::TextOutW(dc, bounds.left + state.keyCharPos.x, bounds.top + state.keyCharPos.y,
                state.strKeyChar.c_str(), static_cast<int>(state.strKeyChar.size()));
        }
        DrawChar(dc, bounds, state.tchar1Pos, font1.get(), plan.tchar1.colour, state.tchar1);
        DrawChar(dc, bounds, state.tchar2Pos, font2.get(), plan.tchar2.colour, state.tchar2);
    } else {
        pelo::SelectGuard select(dc, fontAll ? fontAll : ::GetCurrentObject(dc, OBJ_FONT));
        ::SetTextColor(dc, state.crKeyString);
        RECT box = bounds;
        ::DrawTextW(dc, state.strKeyString.c_str(), static_cast<int>(state.strKeyString.size()), &box,
            DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    }
    return { plan.tchar1.colour, plan.tchar2.colour };
}

} // namespace pelokey::drawing
