// The real paint routine into 32-bit memory bitmaps, with the generated face bitmaps loaded from
// this test program's own resources.
#include "Canvas.h"
#include "KeyPaint.h"

#include "framework/UniqueHandle.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

using namespace pelokey::drawing;

namespace {

constexpr COLORREF Dark = RGB(68, 66, 68), Face = RGB(212, 210, 204), Shadow = RGB(132, 130, 132),
                   Light = RGB(252, 254, 252);
constexpr COLORREF TextBox = RGB(212, 208, 200);
constexpr COLORREF Marker = RGB(1, 2, 3);

// Every canvas starts in the marker colour, which no paint uses.
class Canvas : public pelo::testing::Canvas {
public:
    Canvas(int width, int height)
        : pelo::testing::Canvas(width, height, Marker)
    {
    }
};

KeyFaceState CharKey()
{
    KeyFaceState s {};
    s.nKeyStyle = 1;
    s.strKeyChar = L"A";
    s.strKeyString = L"Enter";
    s.tchar1 = L'\x03B1';
    s.tchar2 = L'\x0391';
    return s;
}

KeyFaceState ShiftKey()
{
    KeyFaceState s = CharKey();
    s.nKeyStyle = 2;
    s.strKeyString = L"Shift";
    return s;
}

pelo::UniqueHfont DefaultFontAll()
{
    return pelo::UniqueHfont(
        ::CreateFontW(-11, 0, 0, 0, 400, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0, 0, 0, L"MS Sans Serif"));
}

HINSTANCE Resources()
{
    return ::GetModuleHandleW(nullptr);
}

// The four bevel corners that tell raised from pressed, read where the face is not covered by text.
void ExpectBevel(const Canvas& c, int w, int h, bool pressed, const char* what)
{
    EXPECT_EQ(c.At(w - 1, h / 2), pressed ? Light : Dark) << what << ": right column";
    EXPECT_EQ(c.At(w / 2, h - 1), pressed ? Light : Dark) << what << ": bottom row";
    EXPECT_EQ(c.At(0, h / 2), pressed ? Shadow : Face) << what << ": left column";
    EXPECT_EQ(c.At(1, h - 3), pressed ? Dark : Light) << what << ": second column";
    EXPECT_EQ(c.At(w - 2, h - 3), pressed ? Face : Shadow) << what << ": second-to-last column";
}

} // namespace

TEST(KeyPaint, CharKey_RaisedAndPressed_BevelAndTextAtPositions)
{
    const auto font = DefaultFontAll();
    for (BOOL down : { FALSE, TRUE }) {
        Canvas c(29, 29);
        KeyFaceState s = CharKey();
        s.bKeyDown = down;
        const CharColours colours = PaintKeyFace(c.dc(), RECT { 0, 0, 29, 29 }, s, font.get(), Resources());
        EXPECT_EQ(colours.crTChar1, RGB(0, 0, 0));
        EXPECT_EQ(colours.crTChar2, RGB(116, 116, 116));
        ExpectBevel(c, 29, 29, down != FALSE, down ? "pressed" : "raised");
        EXPECT_EQ(c.Count(Marker), 0) << "the face covers the whole control";
        // Each text is drawn on an opaque box of the text background, starting at its position.
        EXPECT_EQ(c.At(3, 3), TextBox) << "key letter box";
        EXPECT_EQ(c.At(16, 3), TextBox) << "character two box";
        EXPECT_EQ(c.At(8, 17), TextBox) << "character one box";
        EXPECT_EQ(c.At(2, 2), Face) << "just outside the letter box";
        EXPECT_GT(c.Count(RGB(128, 0, 0), 3, 3, 16, 17), 0) << "dark red key letter";
        EXPECT_GT(c.Count(RGB(0, 0, 0), 8, 17, 29, 28), 0) << "black character one";
    }
}

TEST(KeyPaint, CharKey_ShiftDownAndEditor_ColoursFollowState)
{
    const auto font = DefaultFontAll();
    Canvas shifted(29, 29);
    KeyFaceState s = CharKey();
    s.bKeyShiftDown = TRUE;
    CharColours colours = PaintKeyFace(shifted.dc(), RECT { 0, 0, 29, 29 }, s, font.get(), Resources());
    EXPECT_EQ(colours.crTChar1, RGB(116, 116, 116));
    EXPECT_EQ(colours.crTChar2, RGB(0, 0, 0));
    EXPECT_GT(shifted.Count(RGB(0, 0, 0), 16, 3, 29, 15), 0) << "black character two";

    Canvas editor(29, 29);
    s.bInConfigDlg = TRUE;
    colours = PaintKeyFace(editor.dc(), RECT { 0, 0, 29, 29 }, s, font.get(), Resources());
    EXPECT_EQ(colours.crTChar1, RGB(0, 0, 0));
    EXPECT_EQ(colours.crTChar2, RGB(0, 0, 0));
    EXPECT_GT(editor.Count(RGB(0, 0, 0), 8, 17, 29, 28), 0);
    EXPECT_GT(editor.Count(RGB(0, 0, 0), 16, 3, 29, 15), 0);
}

TEST(KeyPaint, CharKey_EmptyLetter_DrawsOnlyTheCharacters)
{
    const auto font = DefaultFontAll();
    Canvas c(29, 29);
    KeyFaceState s = CharKey();
    s.strKeyChar.clear();
    PaintKeyFace(c.dc(), RECT { 0, 0, 29, 29 }, s, font.get(), Resources());
    EXPECT_EQ(c.Count(RGB(128, 0, 0)), 0);
    EXPECT_NE(c.At(3, 3), TextBox);
    EXPECT_EQ(c.At(8, 17), TextBox);
}

TEST(KeyPaint, StringKey_RaisedAndPressed_LabelCentred)
{
    const auto font = DefaultFontAll();
    for (short style : { 2, 3 }) {
        for (BOOL down : { FALSE, TRUE }) {
            Canvas c(87, 29);
            KeyFaceState s = ShiftKey();
            s.nKeyStyle = style;
            s.bKeyDown = down;
            PaintKeyFace(c.dc(), RECT { 0, 0, 87, 29 }, s, font.get(), Resources());
            ExpectBevel(c, 87, 29, down != FALSE, "string key");
            EXPECT_EQ(c.Count(RGB(0, 0, 0)), 0) << "no scheme characters on a label key";
            EXPECT_EQ(c.At(3, 3), Face) << "no key letter box";
            // The label's box is centred: as much of it left of the middle as right of it.
            int left = 87, right = -1;
            for (int x = 0; x < 87; ++x) {
                if (c.At(x, 14) == TextBox) {
                    left = std::min(left, x);
                    right = std::max(right, x);
                }
            }
            ASSERT_LE(left, right) << "label box found on the middle row";
            EXPECT_LE(std::abs((left + right) - 86), 2) << left << ".." << right;
            EXPECT_GT(c.Count(RGB(128, 0, 0), left, 0, right + 1, 29), 0) << "dark red label";
        }
    }
}

TEST(KeyPaint, Face_OtherSizes_StretchesBevelKeepsTextPositions)
{
    const auto font = DefaultFontAll();
    struct Size {
        int w, h;
    };
    for (const Size size : { Size { 58, 58 }, Size { 20, 24 }, Size { 40, 29 } }) {
        Canvas c(size.w, size.h);
        PaintKeyFace(c.dc(), RECT { 0, 0, size.w, size.h }, CharKey(), font.get(), Resources());
        // Shrinking combines source pixels in the device context's stretch mode, which the paint
        // leaves as it is; only a face that grows keeps the exact bevel colours.
        if (size.w >= 29 && size.h >= 29) {
            EXPECT_EQ(c.At(size.w - 1, size.h / 2), Dark) << size.w;
            EXPECT_EQ(c.At(size.w / 2, size.h - 1), Dark) << size.w;
        }
        EXPECT_EQ(c.Count(Marker), 0) << size.w;
        EXPECT_EQ(c.At(3, 3), TextBox) << size.w;
    }
    // Twice the size: each bevel pixel becomes two.
    Canvas big(58, 58);
    PaintKeyFace(big.dc(), RECT { 0, 0, 58, 58 }, CharKey(), font.get(), Resources());
    EXPECT_EQ(big.At(56, 40), Dark);
    EXPECT_EQ(big.At(54, 40), Shadow);
    EXPECT_EQ(big.At(2, 40), Light);
}

TEST(KeyPaint, Face_OffsetBounds_DrawsInsideBounds)
{
    const auto font = DefaultFontAll();
    Canvas c(60, 40);
    PaintKeyFace(c.dc(), RECT { 20, 5, 49, 34 }, CharKey(), font.get(), Resources());
    EXPECT_EQ(c.At(0, 0), Marker);
    EXPECT_EQ(c.At(19, 20), Marker);
    EXPECT_EQ(c.At(48, 20), Dark);
    EXPECT_EQ(c.At(49, 20), Marker);
    EXPECT_EQ(c.At(23, 8), TextBox);
}

TEST(KeyPaint, Face_BitmapMissing_PlainFaceCoversControl)
{
    const auto font = DefaultFontAll();
    Canvas c(29, 29);
    // kernel32 holds none of the face bitmaps.
    PaintKeyFace(c.dc(), RECT { 0, 0, 29, 29 }, CharKey(), font.get(), ::GetModuleHandleW(L"kernel32.dll"));
    EXPECT_EQ(c.Count(Marker), 0);
    EXPECT_EQ(c.At(14, 14), Face);
    EXPECT_EQ(c.At(3, 3), TextBox);
}

namespace {

// One text the paint drew, with the font and colour it was drawn in, as an enhanced metafile
// recorded them: the fonts are the ones the paint really created and selected.
struct DrawnText {
    std::wstring text;
    POINT at;
    LOGFONTW font;
    COLORREF colour;
};

std::vector<DrawnText> RecordTexts(const KeyFaceState& state, HFONT fontAll)
{
    HDC dc = ::CreateEnhMetaFileW(nullptr, nullptr, nullptr, nullptr);
    PaintKeyFace(dc, RECT { 0, 0, 29, 29 }, state, fontAll, Resources());
    HENHMETAFILE emf = ::CloseEnhMetaFile(dc);
    std::vector<BYTE> bits(::GetEnhMetaFileBits(emf, 0, nullptr));
    ::GetEnhMetaFileBits(emf, static_cast<UINT>(bits.size()), bits.data());
    ::DeleteEnhMetaFile(emf);

    std::map<DWORD, LOGFONTW> fonts; // by handle table index
    LOGFONTW none {};
    const LOGFONTW* current = &none;
    COLORREF colour = 0;
    std::vector<DrawnText> texts;
    for (std::size_t at = 0; at + sizeof(EMR) <= bits.size();) {
        const auto* record = reinterpret_cast<const EMR*>(bits.data() + at);
        if (record->nSize < sizeof(EMR) || at + record->nSize > bits.size()) {
            ADD_FAILURE() << "malformed metafile";
            break;
        }
        switch (record->iType) {
        case EMR_EXTCREATEFONTINDIRECTW: {
            const auto* create = reinterpret_cast<const EMREXTCREATEFONTINDIRECTW*>(record);
            fonts[create->ihFont] = create->elfw.elfLogFont;
            break;
        }
        case EMR_SELECTOBJECT: {
            const DWORD index = reinterpret_cast<const EMRSELECTOBJECT*>(record)->ihObject;
            const auto font = fonts.find(index);
            if (font != fonts.end()) {
                current = &font->second;
            } else if (index & 0x80000000) {
                current = &none; // a stock object: the paint put the previous font back
            }
            break;
        }
        case EMR_SETTEXTCOLOR:
            colour = reinterpret_cast<const EMRSETTEXTCOLOR*>(record)->crColor;
            break;
        case EMR_EXTTEXTOUTW: {
            const auto* out = reinterpret_cast<const EMREXTTEXTOUTW*>(record);
            const auto* chars = reinterpret_cast<const wchar_t*>(bits.data() + at + out->emrtext.offString);
            texts.push_back({ std::wstring(chars, out->emrtext.nChars),
                POINT { out->emrtext.ptlReference.x, out->emrtext.ptlReference.y }, *current, colour });
            break;
        }
        default:
            break;
        }
        at += record->nSize;
    }
    return texts;
}

void ExpectCharFont(const DrawnText& drawn, LONG weight, LONG escapement, COLORREF colour, const char* what)
{
    EXPECT_EQ(drawn.font.lfHeight, 10) << what;
    EXPECT_EQ(drawn.font.lfWidth, 0) << what;
    EXPECT_EQ(drawn.font.lfWeight, weight) << what;
    EXPECT_EQ(drawn.font.lfEscapement, escapement) << what;
    EXPECT_EQ(drawn.font.lfOrientation, 0) << what;
    EXPECT_FALSE(drawn.font.lfItalic || drawn.font.lfUnderline || drawn.font.lfStrikeOut) << what;
    EXPECT_EQ(drawn.font.lfCharSet, DEFAULT_CHARSET) << what;
    EXPECT_EQ(drawn.font.lfOutPrecision, OUT_CHARACTER_PRECIS) << what;
    EXPECT_STREQ(drawn.font.lfFaceName, L"MS Sans Serif") << what;
    EXPECT_EQ(drawn.colour, colour) << what;
}

} // namespace

TEST(KeyPaint, CharFonts_CreatedWithTheWeightEscapementHeightAndFaceOfEachState)
{
    constexpr COLORREF Black = RGB(0, 0, 0), Grey = RGB(116, 116, 116);
    struct Case {
        const char* what;
        BOOL shiftDown, inConfigDlg;
        LONG weight1, escapement1;
        COLORREF colour1;
        LONG weight2, escapement2;
        COLORREF colour2;
    };
    const Case cases[] = {
        { "without Shift", FALSE, FALSE, 500, 10, Black, 100, 10, Grey },
        { "Shift down", TRUE, FALSE, 100, 0, Grey, 500, 0, Black },
        { "key-map editor", TRUE, TRUE, 400, 0, Black, 400, 0, Black },
    };
    const auto fontAll = DefaultFontAll();
    for (const Case& c : cases) {
        KeyFaceState s = CharKey();
        s.bKeyShiftDown = c.shiftDown;
        s.bInConfigDlg = c.inConfigDlg;
        const auto texts = RecordTexts(s, fontAll.get());
        ASSERT_EQ(texts.size(), 3u) << c.what;
        EXPECT_EQ(texts[0].text, L"A") << c.what;
        EXPECT_EQ(texts[0].at.x, 3);
        EXPECT_EQ(texts[0].at.y, 3);
        EXPECT_EQ(texts[0].font.lfHeight, -11) << "the key letter in FontAll";
        EXPECT_EQ(texts[0].colour, RGB(128, 0, 0));
        EXPECT_EQ(texts[1].text, L"\x03B1") << c.what;
        EXPECT_EQ(texts[1].at.x, 8);
        EXPECT_EQ(texts[1].at.y, 17);
        ExpectCharFont(texts[1], c.weight1, c.escapement1, c.colour1, c.what);
        EXPECT_EQ(texts[2].text, L"\x0391") << c.what;
        EXPECT_EQ(texts[2].at.x, 16);
        EXPECT_EQ(texts[2].at.y, 3);
        ExpectCharFont(texts[2], c.weight2, c.escapement2, c.colour2, c.what);
    }
}
