// The real control in place in a window: activation, mouse handling, posted key-downs, the Click
// event, and what it paints.
#include "TestSupport.h"

#include "PelokeyIds.h"

#include <gtest/gtest.h>

using pelo::ComPtr;
using namespace pelokey::test;

namespace {

constexpr COLORREF Dark = RGB(68, 66, 68);
constexpr COLORREF Face = RGB(212, 210, 204);
constexpr COLORREF Shadow = RGB(132, 130, 132);
constexpr COLORREF Light = RGB(252, 254, 252);
constexpr COLORREF KeyLetter = RGB(128, 0, 0);
constexpr COLORREF Grey = RGB(116, 116, 116);
constexpr COLORREF Black = RGB(0, 0, 0);
constexpr COLORREF TextBox = RGB(212, 208, 200);

LPARAM At(int x, int y)
{
    return MAKELPARAM(x, y);
}

void MouseInput(DWORD flags, int x = 0, int y = 0)
{
    INPUT input {};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    if (flags & MOUSEEVENTF_ABSOLUTE) {
        input.mi.dx = MulDiv(x, 65535, ::GetSystemMetrics(SM_CXSCREEN) - 1);
        input.mi.dy = MulDiv(y, 65535, ::GetSystemMetrics(SM_CYSCREEN) - 1);
    }
    ::SendInput(1, &input, sizeof(input));
}

// Dispatches this thread's messages until pred holds or the time is up; key-downs posted to the
// host are taken out and kept.
template <typename Pred> bool PumpUntil(Pred pred, std::vector<MSG>& keyDowns, DWORD ms = 2000)
{
    const DWORD start = ::GetTickCount();
    while (!pred() && ::GetTickCount() - start < ms) {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_KEYDOWN) {
                keyDowns.push_back(msg);
                continue;
            }
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    return pred();
}

class PelokeyWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(SUCCEEDED(::OleInitialize(nullptr)));
        ASSERT_NE(ControlLibrary(), nullptr);
    }
    void TearDown() override
    {
        if (ole) {
            ole->Close(OLECLOSE_NOSAVE);
            ole->SetClientSite(nullptr);
        }
        events.reset();
        disp.reset();
        ole.reset();
        control.reset();
        site.reset();
        ::OleUninitialize();
    }

    // A control loaded from a template stream and activated in place at (10,10), 33 x 33 pixels.
    void Host(const std::vector<std::uint8_t>& stream, RECT pos = { 10, 10, 43, 43 })
    {
        site = std::make_unique<FakeSite>(pos);
        control = CreateControl();
        ASSERT_TRUE(control);
        ole = control.As<IOleObject>();
        disp = control.As<IDispatch>();
        ASSERT_EQ(ole->SetClientSite(site.get()), S_OK);
        ASSERT_EQ(control.As<IPersistStreamInit>()->Load(StreamOf(stream).get()), S_OK);
        ASSERT_EQ(ole->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site.get(), 0, site->parent(), &pos), S_OK);
        ASSERT_EQ(control.As<IOleWindow>()->GetWindow(&hwnd), S_OK);
        sink.calls.clear();
        events = std::make_unique<Advise>(control.get(), pelokey::DIID__DPelokeyEvents, &sink);
        ASSERT_EQ(events->result(), S_OK);
    }
    void Click(UINT down, UINT up, int x = 5, int y = 5)
    {
        ::SendMessageW(hwnd, down, 0, At(x, y));
        ::SendMessageW(hwnd, up, 0, At(x, y));
    }
    std::vector<MSG> KeyDowns() { return TakePosted(site->parent(), WM_KEYDOWN); }
    // Two real left clicks on the middle of the key, 150 ms apart; what arrives is dispatched.
    void DoubleClickAtCentre(std::vector<MSG>& keyDowns)
    {
        ::SetForegroundWindow(site->parent());
        RECT client {};
        ::GetClientRect(hwnd, &client);
        POINT centre { client.right / 2, client.bottom / 2 };
        ::ClientToScreen(hwnd, &centre);
        MouseInput(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, centre.x, centre.y);
        MouseInput(MOUSEEVENTF_LEFTDOWN);
        MouseInput(MOUSEEVENTF_LEFTUP);
        PumpUntil([] { return false; }, keyDowns, 150);
        MouseInput(MOUSEEVENTF_LEFTDOWN);
        MouseInput(MOUSEEVENTF_LEFTUP);
    }
    // What the control window shows on the screen once it has painted.
    COLORREF ScreenPixel(int x, int y)
    {
        ::UpdateWindow(hwnd);
        HDC dc = ::GetDC(hwnd);
        const COLORREF c = ::GetPixel(dc, x, y);
        ::ReleaseDC(hwnd, dc);
        return c;
    }
    // Paints the control through IViewObject into a fresh 33 x 33 canvas.
    std::unique_ptr<Canvas> Picture()
    {
        auto canvas = std::make_unique<Canvas>(33, 33, RGB(255, 255, 255));
        RECTL bounds { 0, 0, 33, 33 };
        EXPECT_EQ(control.As<IViewObject>()->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr,
                      canvas->dc(), &bounds, nullptr, nullptr, 0),
            S_OK);
        return canvas;
    }

    std::unique_ptr<FakeSite> site;
    ComPtr<IUnknown> control;
    ComPtr<IOleObject> ole;
    ComPtr<IDispatch> disp;
    HWND hwnd = nullptr;
    EventSink sink;
    std::unique_ptr<Advise> events;
};

} // namespace

TEST_F(PelokeyWindow, InPlace_AsksSiteCreatesWindowWithoutDoubleClicksAndFollowsRects)
{
    Host(TemplateKeyStream(L"A", L"Enter", 0, 0, 1));
    const std::vector<std::string> expected
        = { "CanInPlaceActivate", "OnInPlaceActivate", "GetWindow", "GetWindowContext" };
    ASSERT_GE(site->calls.size(), expected.size());
    EXPECT_EQ(std::vector<std::string>(site->calls.begin(), site->calls.begin() + 4), expected);
    EXPECT_EQ(::GetParent(hwnd), site->parent());
    EXPECT_TRUE(::IsWindowVisible(hwnd));
    EXPECT_FALSE(::GetClassLongPtrW(hwnd, GCL_STYLE) & CS_DBLCLKS) << "a quick second press stays a press";
    RECT r {};
    ::GetWindowRect(hwnd, &r);
    ::MapWindowPoints(nullptr, site->parent(), reinterpret_cast<POINT*>(&r), 2);
    EXPECT_EQ(r.left, 10);
    EXPECT_EQ(r.top, 10);
    EXPECT_EQ(r.right - r.left, 33);
    EXPECT_EQ(r.bottom - r.top, 33);

    const RECT wider { 0, 0, 66, 33 };
    EXPECT_EQ(control.As<IOleInPlaceObject>()->SetObjectRects(&wider, &wider), S_OK);
    ::GetClientRect(hwnd, &r);
    EXPECT_EQ(r.right, 66);
    SIZEL extent {};
    EXPECT_EQ(ole->GetExtent(DVASPECT_CONTENT, &extent), S_OK);
    EXPECT_NEAR(extent.cx, 1746, 30) << "66 pixels in HIMETRIC at the screen's resolution";

    site->calls.clear();
    EXPECT_EQ(control.As<IOleInPlaceObject>()->InPlaceDeactivate(), S_OK);
    EXPECT_FALSE(::IsWindow(hwnd));
    EXPECT_EQ(site->calls, std::vector<std::string> { "OnInPlaceDeactivate" });
}

TEST_F(PelokeyWindow, LeftPress_PostsExactlyOneKeyDownToParent_ReleaseClicks)
{
    Host(TemplateKeyStream(L"A", L"Enter", 0, 0, 1));
    ::SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, At(5, 5));
    EXPECT_TRUE(sink.calls.empty()) << "Click comes with the release";
    auto posted = KeyDowns();
    ASSERT_EQ(posted.size(), 1u);
    EXPECT_EQ(posted[0].wParam, 0x41u);
    EXPECT_EQ(posted[0].lParam, 0);
    EXPECT_EQ(::GetCapture(), hwnd);
    EXPECT_EQ(::GetFocus(), hwnd);
    EXPECT_EQ(Picture()->At(0, 0), Shadow) << "pressed while held";
    ::SendMessageW(hwnd, WM_LBUTTONUP, 0, At(5, 5));
    EXPECT_EQ(sink.calls, std::vector<DISPID> { DISPID_CLICK });
    EXPECT_NE(::GetCapture(), hwnd);
    EXPECT_EQ(Picture()->At(0, 0), Face) << "raised after release";
    EXPECT_TRUE(KeyDowns().empty());
}

TEST_F(PelokeyWindow, LeftPress_PostsNothing_WithoutSendMsgOrOnStringKeys)
{
    auto noSend = TemplateKeyStream(L"A", L"Enter", 0, 0, 1);
    noSend[16] = 0; // bSendMsg
    Host(noSend);
    Click(WM_LBUTTONDOWN, WM_LBUTTONUP);
    EXPECT_TRUE(KeyDowns().empty());
    EXPECT_EQ(sink.calls.size(), 1u);
    TearDown();
    SetUp();

    Host(TemplateKeyStream(L"Q", L"Shift", 0, 1, 2, 2619));
    Click(WM_LBUTTONDOWN, WM_LBUTTONUP);
    EXPECT_TRUE(KeyDowns().empty());
    TearDown();
    SetUp();

    // Style 3 from a stream is kept, drawn as a string key and posts nothing.
    Host(TemplateKeyStream(L"A", L"Enter", 0, 0, 3));
    Click(WM_LBUTTONDOWN, WM_LBUTTONUP);
    EXPECT_TRUE(KeyDowns().empty());
    Variant v;
    ASSERT_EQ(GetProperty(disp.get(), pelokey::DISPID_nKeyStyle, v), S_OK);
    EXPECT_EQ(V_I2(&v.v), 3);
    TearDown();
    SetUp();

    Host(TemplateKeyStream(L"", L"Enter", 0, 0, 1));
    Click(WM_LBUTTONDOWN, WM_LBUTTONUP);
    auto posted = KeyDowns();
    ASSERT_EQ(posted.size(), 1u);
    EXPECT_EQ(posted[0].wParam, 0u) << "an empty key letter posts 0";
}

TEST_F(PelokeyWindow, RightAndMiddleClicks_FireClickWithoutPressOrKeyDown)
{
    Host(TemplateKeyStream(L"A", L"Enter", 0, 0, 1));
    ::SendMessageW(hwnd, WM_RBUTTONDOWN, MK_RBUTTON, At(5, 5));
    EXPECT_EQ(Picture()->At(0, 0), Face);
    ::SendMessageW(hwnd, WM_RBUTTONUP, 0, At(5, 5));
    Click(WM_MBUTTONDOWN, WM_MBUTTONUP);
    EXPECT_EQ(sink.calls, (std::vector<DISPID> { DISPID_CLICK, DISPID_CLICK }));
    EXPECT_TRUE(KeyDowns().empty());
}

// A double-click is a second press: on an on-screen keyboard a click that types nothing is a lost
// keystroke. So a double-click message, however it reaches the key, runs the press logic and
// posts a key-down like any press, and its release clicks once more.
TEST_F(PelokeyWindow, DoubleClickMessage_IsASecondPress_OnCharacterShiftAndEditorKeys)
{
    Host(TemplateKeyStream(L"A", L"Enter", 0, 0, 1));
    Click(WM_LBUTTONDOWN, WM_LBUTTONUP);
    ::SendMessageW(hwnd, WM_LBUTTONDBLCLK, MK_LBUTTON, At(5, 5));
    EXPECT_EQ(Picture()->At(0, 0), Shadow) << "pressed while held, like a first press";
    EXPECT_EQ(::GetCapture(), hwnd);
    ::SendMessageW(hwnd, WM_LBUTTONUP, 0, At(5, 5));
    auto posted = KeyDowns();
    ASSERT_EQ(posted.size(), 2u);
    EXPECT_EQ(posted[1].wParam, 0x41u);
    EXPECT_EQ(sink.calls, (std::vector<DISPID> { DISPID_CLICK, DISPID_CLICK }));
    EXPECT_EQ(Picture()->At(0, 0), Face);
    TearDown();
    SetUp();

    // The Shift key toggles on each press, so an even number of clicks leaves it raised.
    Host(TemplateKeyStream(L"Q", L"Shift", 0, 1, 2, 2619), RECT { 0, 0, 99, 33 });
    Click(WM_LBUTTONDOWN, WM_LBUTTONUP);
    Click(WM_LBUTTONDBLCLK, WM_LBUTTONUP);
    EXPECT_EQ(sink.calls.size(), 2u);
    EXPECT_EQ(Picture()->At(0, 0), Face) << "two presses, two toggles";
    EXPECT_TRUE(KeyDowns().empty());
    Click(WM_LBUTTONDBLCLK, WM_LBUTTONUP);
    EXPECT_EQ(sink.calls.size(), 3u);
    EXPECT_EQ(Picture()->At(0, 0), Shadow);
    TearDown();
    SetUp();

    // An editor key toggles on each press, the second of a double-click too, and each press posts
    // the key-down the editor page selects the key with.
    Host(TemplateKeyStream(L"7", L"Enter", 1, 0, 1));
    Click(WM_LBUTTONDOWN, WM_LBUTTONUP);
    Click(WM_LBUTTONDBLCLK, WM_LBUTTONUP);
    EXPECT_EQ(KeyDowns().size(), 2u);
    EXPECT_EQ(Picture()->At(0, 0), Face);
}

TEST_F(PelokeyWindow, Click_NotFired_OutsideTheControlOrWhileEventsFrozen)
{
    Host(TemplateKeyStream(L"A", L"Enter", 0, 0, 1));
    ::SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, At(5, 5));
    ::SendMessageW(hwnd, WM_LBUTTONUP, 0, At(100, 5));
    EXPECT_TRUE(sink.calls.empty());
    EXPECT_EQ(KeyDowns().size(), 1u);
    // A release without a press on the control is not a click.
    ::SendMessageW(hwnd, WM_LBUTTONUP, 0, At(5, 5));
    EXPECT_TRUE(sink.calls.empty());

    auto oleControl = control.As<IOleControl>();
    ASSERT_EQ(oleControl->FreezeEvents(TRUE), S_OK);
    Click(WM_LBUTTONDOWN, WM_LBUTTONUP);
    EXPECT_TRUE(sink.calls.empty());
    ASSERT_EQ(oleControl->FreezeEvents(FALSE), S_OK);
    Click(WM_LBUTTONDOWN, WM_LBUTTONUP);
    EXPECT_EQ(sink.calls.size(), 1u);
}

TEST_F(PelokeyWindow, EditorKey_StaysPressedUntilSecondPress)
{
    Host(TemplateKeyStream(L"7", L"Enter", 1, 0, 1));
    Click(WM_LBUTTONDOWN, WM_LBUTTONUP);
    EXPECT_EQ(Picture()->At(0, 0), Shadow);
    EXPECT_EQ(KeyDowns().size(), 1u) << "editor keys post too; the editor page selects the key with it";
    Click(WM_LBUTTONDOWN, WM_LBUTTONUP);
    EXPECT_EQ(Picture()->At(0, 0), Face);
}

TEST_F(PelokeyWindow, KeyStyleMessage_IsOwnedByTheControlsWindow)
{
    Host(TemplateKeyStream(L"A", L"Enter", 0, 0, 1));
    MessageBoxCatcher catcher;
    ASSERT_EQ(PutProperty(disp.get(), pelokey::DISPID_nKeyStyle, Variant::I2(2)), S_OK);
    ASSERT_EQ(catcher.boxes.size(), 1u);
    EXPECT_EQ(catcher.boxes[0].owner, site->parent()) << "the child control's top-level window owns the box";
    EXPECT_EQ(catcher.boxes[0].caption, L"Pelokey");
}

TEST_F(PelokeyWindow, Picture_BevelCornersAndTextWhereTheCharactersGo)
{
    Host(TemplateKeyStream(L"A", L"Enter", 0, 0, 1));
    ASSERT_EQ(CallMethod(disp.get(), pelokey::DISPID_SetTChar1, { Variant::I2(L'W') }), S_OK);
    ASSERT_EQ(CallMethod(disp.get(), pelokey::DISPID_SetTChar2, { Variant::I2(L'M') }), S_OK);
    {
        auto p = Picture();
        EXPECT_EQ(p->At(0, 0), Face);
        EXPECT_EQ(p->At(32, 0), Dark);
        EXPECT_EQ(p->At(32, 32), Dark);
        EXPECT_EQ(p->At(0, 32), Dark);
        EXPECT_EQ(p->At(1, 1), Light);
        EXPECT_GT(p->Count(KeyLetter, 3, 3, 14, 17), 0) << "key letter at (3,3)";
        EXPECT_GT(p->Count(Black, 8, 17, 22, 31), 0) << "character one, black, at (8,17)";
        EXPECT_GT(p->Count(Grey, 16, 0, 32, 16), 0) << "character two, grey, at (16,3)";
        EXPECT_GT(p->Count(TextBox, 3, 3, 32, 31), 0) << "texts drawn on their background box";
    }
    ASSERT_EQ(CallMethod(disp.get(), pelokey::DISPID_SetbShiftDown, { Variant::Bool(true) }), S_OK);
    {
        auto p = Picture();
        EXPECT_GT(p->Count(Grey, 8, 17, 22, 31), 0) << "character one grey in the Shift-down look";
        EXPECT_GT(p->Count(Black, 16, 0, 32, 16), 0) << "character two black in the Shift-down look";
    }
    ASSERT_EQ(CallMethod(disp.get(), pelokey::DISPID_SetKeyDown), S_OK);
    {
        auto p = Picture();
        EXPECT_EQ(p->At(0, 0), Shadow);
        EXPECT_EQ(p->At(32, 32), Light);
    }
    ASSERT_EQ(CallMethod(disp.get(), pelokey::DISPID_SetKeyUp), S_OK);
    EXPECT_EQ(Picture()->At(32, 32), Dark);
}

TEST_F(PelokeyWindow, Picture_IntoOffsetRectangle_KeepsFaceInsideIt)
{
    Host(TemplateKeyStream(L"A", L"Enter", 0, 0, 1));
    Canvas canvas(60, 60, RGB(255, 255, 255));
    RECTL bounds { 10, 10, 43, 43 };
    ASSERT_EQ(control.As<IViewObject>()->Draw(
                  DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, canvas.dc(), &bounds, nullptr, nullptr, 0),
        S_OK);
    EXPECT_EQ(canvas.At(9, 9), RGB(255, 255, 255));
    EXPECT_EQ(canvas.At(10, 10), Face);
    EXPECT_EQ(canvas.At(42, 42), Dark);
    EXPECT_EQ(canvas.At(43, 43), RGB(255, 255, 255));
    EXPECT_GT(canvas.Count(KeyLetter, 13, 13, 24, 27), 0);
}

TEST_F(PelokeyWindow, Window_PaintsFaceOnScreen)
{
    Host(TemplateKeyStream(L"A", L"Enter", 0, 0, 1));
    ::UpdateWindow(site->parent());
    ::UpdateWindow(hwnd);
    HDC dc = ::GetDC(hwnd);
    const COLORREF corner = ::GetPixel(dc, 32, 32);
    ::ReleaseDC(hwnd, dc);
    EXPECT_EQ(corner, Dark);
}

TEST_F(PelokeyWindow, Resized_RepaintsTheWholeFace_NoOldEdgeLeftInside)
{
    Host(TemplateKeyStream(L"A", L"Enter", 0, 0, 1));
    ::UpdateWindow(site->parent());
    ::UpdateWindow(hwnd);
    auto pixel = [&](int x, int y) {
        HDC dc = ::GetDC(hwnd);
        const COLORREF c = ::GetPixel(dc, x, y);
        ::ReleaseDC(hwnd, dc);
        return c;
    };
    ASSERT_EQ(pixel(32, 16), Dark) << "the right edge of the 33-pixel face";

    // Grown by the container: where the old right and bottom edges were is now inside the face.
    const RECT grown { 10, 10, 76, 76 };
    ASSERT_EQ(control.As<IOleInPlaceObject>()->SetObjectRects(&grown, &grown), S_OK);
    ::UpdateWindow(hwnd);
    EXPECT_EQ(pixel(32, 24), Face) << "old right edge";
    EXPECT_EQ(pixel(24, 32), Face) << "old bottom edge";
    EXPECT_EQ(pixel(65, 40), Dark) << "new right edge";

    // Shrunk by moving the window itself: the new edge is drawn, not cut off.
    ::SetWindowPos(hwnd, nullptr, 0, 0, 40, 40, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    ::UpdateWindow(hwnd);
    EXPECT_EQ(pixel(39, 24), Dark) << "right edge of the shrunk face";
    EXPECT_EQ(pixel(24, 39), Dark) << "bottom edge of the shrunk face";
}

namespace {
// Stands in for the system's font page, which Wine does not have: a page titled "Font" that
// records the objects the frame gives it.
#pragma GCC diagnostic push
// COM objects are released through their interfaces, never deleted through them.
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
class FakeFontPage final : public IPropertyPage, public IClassFactory {
public:
    std::vector<pelo::ComPtr<IUnknown>> objects;

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override
    {
        return pelo::com::QueryFromTable({ { IID_IUnknown, static_cast<IPropertyPage*>(this) },
                                             { IID_IPropertyPage, static_cast<IPropertyPage*>(this) },
                                             { IID_IClassFactory, static_cast<IClassFactory*>(this) } },
            riid, ppv);
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    // IClassFactory: the one page
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override
    {
        return outer ? CLASS_E_NOAGGREGATION : QueryInterface(riid, ppv);
    }
    STDMETHODIMP LockServer(BOOL) override { return S_OK; }
    // IPropertyPage
    STDMETHODIMP SetPageSite(IPropertyPageSite*) override { return S_OK; }
    STDMETHODIMP Activate(HWND, LPCRECT, BOOL) override { return S_OK; }
    STDMETHODIMP Deactivate() override { return S_OK; }
    STDMETHODIMP GetPageInfo(PROPPAGEINFO* info) override
    {
        static const wchar_t title[] = L"Font";
        info->cb = sizeof(*info);
        info->pszTitle = static_cast<LPOLESTR>(::CoTaskMemAlloc(sizeof(title)));
        if (info->pszTitle) {
            ::CopyMemory(info->pszTitle, title, sizeof(title));
        }
        info->size = SIZE { 200, 100 };
        info->pszDocString = nullptr;
        info->pszHelpFile = nullptr;
        info->dwHelpContext = 0;
        return S_OK;
    }
    STDMETHODIMP SetObjects(ULONG count, IUnknown** given) override
    {
        objects.clear();
        for (ULONG i = 0; i < count; ++i) {
            objects.emplace_back(given[i]);
        }
        return S_OK;
    }
    STDMETHODIMP Show(UINT) override { return S_OK; }
    STDMETHODIMP Move(LPCRECT) override { return S_OK; }
    STDMETHODIMP IsPageDirty() override { return S_FALSE; }
    STDMETHODIMP Apply() override { return S_OK; }
    STDMETHODIMP Help(LPCOLESTR) override { return E_NOTIMPL; }
    STDMETHODIMP TranslateAccelerator(MSG*) override { return S_FALSE; }
};
#pragma GCC diagnostic pop
} // namespace

TEST_F(PelokeyWindow, PropertiesVerb_OpensFrameWithGeneralPageThenFontPage)
{
    Host(TemplateKeyStream(L"A", L"Enter", 0, 0, 1));
    ClassRegistration page(pelokey::CLSID_PelokeyPropPage);
    ASSERT_EQ(page.result(), S_OK);
    FakeFontPage fontPage;
    DWORD cookie = 0;
    ASSERT_EQ(::CoRegisterClassObject(CLSID_CFontPropPage, static_cast<IClassFactory*>(&fontPage),
                  CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookie),
        S_OK);
    MessageBoxCatcher catcher;
    EXPECT_EQ(ole->DoVerb(OLEIVERB_PROPERTIES, nullptr, site.get(), 0, site->parent(), nullptr), S_OK);
    ::CoRevokeClassObject(cookie);
    ASSERT_EQ(catcher.boxes.size(), 1u);
    const auto& frame = catcher.boxes[0];
    EXPECT_NE(frame.caption.find(L"Pelokey Control"), std::wstring::npos)
        << "caption: " << frame.caption.size();
    EXPECT_EQ(frame.tabs, (std::vector<std::wstring> { L"General", L"Font" }));
    ASSERT_EQ(fontPage.objects.size(), 1u) << "the font page edits the key";
    EXPECT_EQ(fontPage.objects[0].As<IUnknown>().get(), control.get());
    // The page filled its fields from the control through its dispatch interface.
    EXPECT_EQ(frame.edits.count(207), 1u);
    EXPECT_EQ(frame.edits.count(207) ? frame.edits.at(207) : L"", L"A");
    EXPECT_EQ(frame.edits.count(206) ? frame.edits.at(206) : L"", L"1");
}

TEST_F(PelokeyWindow, AboutBox_ShowsModallyAndCloses)
{
    Host(TemplateKeyStream(L"A", L"Enter", 0, 0, 1));
    MessageBoxCatcher catcher;
    EXPECT_EQ(CallMethod(disp.get(), DISPID_ABOUTBOX), S_OK);
    ASSERT_EQ(catcher.boxes.size(), 1u);
    EXPECT_EQ(catcher.boxes[0].caption, L"About Pelokey Control");
    EXPECT_NE(catcher.boxes[0].text.find(L"Pelokey Control, Version 1.0"), std::wstring::npos);
}

// A double-click is a second press (see above), also for real input: two clicks 150 ms apart,
// well inside the system's double-click time, type twice.
TEST_F(PelokeyWindow, RealDoubleClick_150msApart_PostsTwoKeyDownsAndClicksTwice)
{
    ASSERT_GT(::GetDoubleClickTime(), 150u) << "the two clicks must make a double-click";
    Host(TemplateKeyStream(L"A", L"Enter", 0, 0, 1));
    std::vector<MSG> keyDowns;
    DoubleClickAtCentre(keyDowns);
    EXPECT_TRUE(PumpUntil([&] { return sink.calls.size() >= 2; }, keyDowns))
        << "clicks: " << sink.calls.size();
    PumpUntil([] { return false; }, keyDowns, 200); // let anything late arrive
    EXPECT_EQ(sink.calls.size(), 2u);
    ASSERT_EQ(keyDowns.size(), 2u) << "each press of a double-click types";
    for (const MSG& keyDown : keyDowns) {
        EXPECT_EQ(keyDown.hwnd, site->parent());
        EXPECT_EQ(keyDown.wParam, 0x41u);
    }
}

// The host toggles its soft Shift on each Click; the key toggles its look on each press. After a
// double-click both must have toggled twice.
TEST_F(PelokeyWindow, RealDoubleClickOnShift_PaintedLookAgreesWithClickCount)
{
    ASSERT_GT(::GetDoubleClickTime(), 150u) << "the two clicks must make a double-click";
    Host(TemplateKeyStream(L"Q", L"Shift", 0, 1, 2, 2619), RECT { 10, 10, 109, 43 });
    std::vector<MSG> keyDowns;
    DoubleClickAtCentre(keyDowns);
    EXPECT_TRUE(PumpUntil([&] { return sink.calls.size() >= 2; }, keyDowns));
    PumpUntil([] { return false; }, keyDowns, 200);
    EXPECT_EQ(sink.calls.size(), 2u);
    const bool shiftOnByClicks = sink.calls.size() % 2 == 1;
    EXPECT_EQ(ScreenPixel(0, 0), shiftOnByClicks ? Shadow : Face) << "painted face";
    EXPECT_EQ(Picture()->At(0, 0), shiftOnByClicks ? Shadow : Face);
    EXPECT_TRUE(keyDowns.empty());
}

TEST_F(PelokeyWindow, QuickActivate_TakesSiteAndSinksInOneCall)
{
    site = std::make_unique<FakeSite>(RECT { 0, 0, 33, 33 });
    control = CreateControl();
    ole = control.As<IOleObject>();
    auto quick = control.As<IQuickActivate>();
    ASSERT_TRUE(quick);
    QACONTAINER container {};
    container.cbSize = sizeof(container);
    container.pClientSite = site.get();
    container.pUnkEventSink = &sink;
    QACONTROL result {};
    result.cbSize = sizeof(result);
    ASSERT_EQ(quick->QuickActivate(&container, &result), S_OK);
    EXPECT_EQ(result.dwMiscStatus, 0x20191u);
    EXPECT_NE(result.dwEventCookie, 0u);
    ComPtr<IOleClientSite> given;
    ASSERT_EQ(ole->GetClientSite(given.put()), S_OK);
    EXPECT_EQ(given.get(), static_cast<IOleClientSite*>(site.get()));
    SIZEL size { 1746, 873 };
    EXPECT_EQ(quick->SetContentExtent(&size), S_OK);
    SIZEL back {};
    EXPECT_EQ(quick->GetContentExtent(&back), S_OK);
    EXPECT_EQ(back.cx, 1746);

    ASSERT_EQ(
        control.As<IPersistStreamInit>()->Load(StreamOf(TemplateKeyStream(L"A", L"Enter", 0, 0, 1)).get()),
        S_OK);
    RECT pos { 0, 0, 33, 33 };
    ASSERT_EQ(ole->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site.get(), 0, site->parent(), &pos), S_OK);
    ASSERT_EQ(control.As<IOleWindow>()->GetWindow(&hwnd), S_OK);
    Click(WM_LBUTTONDOWN, WM_LBUTTONUP);
    EXPECT_EQ(sink.calls, std::vector<DISPID> { DISPID_CLICK }) << "the sink given at activation hears Click";
    ComPtr<IConnectionPoint> point;
    ASSERT_EQ(control.As<IConnectionPointContainer>()->FindConnectionPoint(
                  pelokey::DIID__DPelokeyEvents, point.put()),
        S_OK);
    EXPECT_EQ(point->Unadvise(result.dwEventCookie), S_OK);
}
