// Every character of the default scheme drawn as a real glyph: by the real key button in each of
// its three looks, and in the dialogs' Chinese font that the key-map editor's fields use. Runs in a
// prefix prepared as the run command's (scripts/wine-cjk-fonts.sh); Wine's own fonts alone have
// no Chinese characters.
//
// A character is drawn when its picture has ink (pixels of neither the face nor the text box)
// and differs from the picture of U+FFFF, which no font has: a missing character is drawn as the
// font's missing-glyph box, and a font may also map a character to an empty glyph.
#include "TestSupport.h"

#include "PelokeyIds.h"
#include "scheme/KeyMapCodec.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

using pelo::ComPtr;
using namespace pelokey::test;

namespace {

constexpr int Size = 33;
constexpr COLORREF Marker = RGB(1, 2, 3);
constexpr COLORREF TextBox = RGB(212, 208, 200);
constexpr wchar_t Missing = 0xFFFF;
constexpr wchar_t Space = L' ';

std::vector<wchar_t> DefaultSchemeChars()
{
    std::vector<wchar_t> chars;
    for (const auto& pair : pelo::scheme::kDefaultKeyTable) {
        chars.push_back(static_cast<wchar_t>(pair.tchar1));
        chars.push_back(static_cast<wchar_t>(pair.tchar2));
    }
    return chars;
}

std::string Codes(const std::vector<wchar_t>& chars)
{
    std::string text;
    for (wchar_t c : chars) {
        char code[8];
        std::snprintf(code, sizeof code, " U+%04X", static_cast<unsigned>(c));
        text += code;
    }
    return text;
}

// All pixels of a canvas, for comparing two pictures.
std::vector<COLORREF> Pixels(const Canvas& canvas, int width, int height)
{
    std::vector<COLORREF> pixels;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            pixels.push_back(canvas.At(x, y));
        }
    }
    return pixels;
}

// Pixels of picture that differ from blank and are not the text box: the glyph's own strokes.
int Ink(const std::vector<COLORREF>& picture, const std::vector<COLORREF>& blank)
{
    int ink = 0;
    for (std::size_t i = 0; i < picture.size(); ++i) {
        ink += picture[i] != blank[i] && picture[i] != TextBox ? 1 : 0;
    }
    return ink;
}

// Whether scripts/wine-cjk-fonts.sh has prepared this prefix.
bool PrefixPrepared()
{
    DWORD size = 0;
    return ::RegGetValueW(HKEY_CURRENT_USER, L"Software\\Wine\\Fonts\\Replacements", L"宋体", RRF_RT_REG_SZ,
               nullptr, nullptr, &size)
        == ERROR_SUCCESS;
}

constexpr char NotPrepared[] = "this prefix lacks the run command's fonts: scripts/wine-cjk-fonts.sh";

class KeyGlyphs : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(PrefixPrepared()) << NotPrepared;
        ASSERT_TRUE(SUCCEEDED(::OleInitialize(nullptr)));
        ASSERT_NE(ControlLibrary(), nullptr);
    }
    void TearDown() override
    {
        disp.reset();
        control.reset();
        ::OleUninitialize();
    }

    // A key of the keyboard window (or of the key-map editor) loaded from its template stream.
    void Load(int bInConfigDlg)
    {
        control = CreateControl();
        ASSERT_TRUE(control);
        disp = control.As<IDispatch>();
        ASSERT_EQ(control.As<IPersistStreamInit>()->Load(
                      StreamOf(TemplateKeyStream(L"A", L"Enter", bInConfigDlg, 0, 1)).get()),
            S_OK);
    }
    // The key's picture with the two characters set.
    std::vector<COLORREF> Picture(wchar_t tchar1, wchar_t tchar2)
    {
        EXPECT_EQ(
            CallMethod(disp.get(), pelokey::DISPID_SetTChar1, { Variant::I2(static_cast<short>(tchar1)) }),
            S_OK);
        EXPECT_EQ(
            CallMethod(disp.get(), pelokey::DISPID_SetTChar2, { Variant::I2(static_cast<short>(tchar2)) }),
            S_OK);
        Canvas canvas(Size, Size, Marker);
        RECTL bounds { 0, 0, Size, Size };
        EXPECT_EQ(control.As<IViewObject>()->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr,
                      canvas.dc(), &bounds, nullptr, nullptr, 0),
            S_OK);
        return Pixels(canvas, Size, Size);
    }
    // The characters of the default scheme the key does not draw, as character one and as
    // character two (the other one a space).
    std::vector<wchar_t> Undrawn()
    {
        std::vector<wchar_t> undrawn;
        for (bool first : { true, false }) {
            auto picture = [&](wchar_t c) { return first ? Picture(c, Space) : Picture(Space, c); };
            const auto blank = picture(Space);
            const auto missing = picture(Missing);
            EXPECT_GT(Ink(missing, blank), 0) << "the missing-glyph box is drawn";
            for (wchar_t c : DefaultSchemeChars()) {
                const auto drawn = picture(c);
                if (Ink(drawn, blank) == 0 || drawn == missing) {
                    undrawn.push_back(c);
                }
            }
        }
        return undrawn;
    }

    ComPtr<IUnknown> control;
    ComPtr<IDispatch> disp;
};

} // namespace

TEST_F(KeyGlyphs, KeyboardKey_DrawsEveryDefaultCharacter_WithoutShift)
{
    Load(0);
    EXPECT_EQ(Codes(Undrawn()), "");
}

TEST_F(KeyGlyphs, KeyboardKey_DrawsEveryDefaultCharacter_InShiftDownLook)
{
    Load(0);
    ASSERT_EQ(CallMethod(disp.get(), pelokey::DISPID_SetbShiftDown, { Variant::Bool(true) }), S_OK);
    EXPECT_EQ(Codes(Undrawn()), "");
}

TEST_F(KeyGlyphs, EditorKey_DrawsEveryDefaultCharacter)
{
    Load(1);
    EXPECT_EQ(Codes(Undrawn()), "");
}

// The key-map editor shows a key's two characters in edit fields in the dialogs' font.
TEST(DialogGlyphs, ChineseDialogFont_DrawsEveryDefaultCharacter)
{
    ASSERT_TRUE(PrefixPrepared()) << NotPrepared;
    // 宋体 9 points, as the dialog templates name it.
    const pelo::UniqueHdc screen(::CreateCompatibleDC(nullptr));
    const int height = -::MulDiv(9, ::GetDeviceCaps(screen.get(), LOGPIXELSY), 72);
    const pelo::UniqueHfont font(
        ::CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
            CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, L"宋体"));
    ASSERT_TRUE(font);
    auto picture = [&](wchar_t c) {
        Canvas canvas(24, 24, RGB(255, 255, 255));
        pelo::SelectGuard select(canvas.dc(), font.get());
        ::SetBkMode(canvas.dc(), TRANSPARENT);
        ::TextOutW(canvas.dc(), 2, 2, &c, 1);
        return Pixels(canvas, 24, 24);
    };
    const auto blank = picture(Space);
    const auto missing = picture(Missing);
    ASSERT_GT(Ink(missing, blank), 0) << "the missing-glyph box is drawn";
    std::vector<wchar_t> undrawn;
    for (wchar_t c : DefaultSchemeChars()) {
        const auto drawn = picture(c);
        if (Ink(drawn, blank) == 0 || drawn == missing) {
            undrawn.push_back(c);
        }
    }
    EXPECT_EQ(Codes(undrawn), "");
}
