// The control hosted by a container written by somebody else: Wine's ATL (atl100.dll / atl.dll)
// creates it by class identifier in an "AtlAxWin" window, activates it in place and sizes it.
#include "TestSupport.h"

#include "PelokeyIds.h"

#include <gtest/gtest.h>

using pelo::ComPtr;
using namespace pelokey::test;

namespace {

struct Atl {
    HMODULE module = nullptr;
    const wchar_t* windowClass = nullptr;
    BOOL(WINAPI* init)() = nullptr;
    HRESULT(WINAPI* getControl)(HWND, IUnknown**) = nullptr;
    HRESULT(WINAPI* createControl)(LPCOLESTR, HWND, IStream*, IUnknown**) = nullptr;
};

template <typename Fn> void Bind(Fn& fn, HMODULE module, const char* name)
{
    fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}

Atl LoadAtl()
{
    Atl atl;
    for (auto [dll, cls] :
        { std::pair { L"atl100.dll", L"AtlAxWin100" }, std::pair { L"atl.dll", L"AtlAxWin" } }) {
        atl.module = ::LoadLibraryW(dll);
        if (atl.module) {
            atl.windowClass = cls;
            break;
        }
    }
    if (atl.module) {
        Bind(atl.init, atl.module, "AtlAxWinInit");
        Bind(atl.getControl, atl.module, "AtlAxGetControl");
        Bind(atl.createControl, atl.module, "AtlAxCreateControl");
    }
    return atl;
}

class PelokeyAtlHost : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(SUCCEEDED(::OleInitialize(nullptr)));
        ASSERT_NE(ControlLibrary(), nullptr);
        registration = std::make_unique<ClassRegistration>(pelokey::CLSID_Pelokey);
        ASSERT_EQ(registration->result(), S_OK);
        atl = LoadAtl();
        ASSERT_NE(atl.module, nullptr) << "Wine's ATL is part of every prefix";
        ASSERT_TRUE(atl.init && atl.getControl && atl.createControl);
        (void)atl.init(); // FALSE once the window classes exist
        WNDCLASSEXW wc {};
        wc.cbSize = sizeof(wc);
        ASSERT_TRUE(::GetClassInfoExW(atl.module, atl.windowClass, &wc)
            || ::GetClassInfoExW(nullptr, atl.windowClass, &wc));
        parent = CreateHostWindow();
    }
    void TearDown() override
    {
        parent.reset(); // takes the container and its control with it
        registration.reset();
        ::OleUninitialize();
    }

    // An ATL container window at (x, y) hosting a key created by class identifier; the control
    // it hosts, or none.
    ComPtr<IUnknown> HostKey(int x, int y, HWND* containerOut = nullptr)
    {
        HWND ax = ::CreateWindowExW(0, atl.windowClass, ControlClassText, WS_CHILD | WS_VISIBLE, x, y, 33, 33,
            parent.get(), nullptr, ::GetModuleHandleW(nullptr), nullptr);
        ComPtr<IUnknown> control;
        if (ax != nullptr) {
            EXPECT_EQ(atl.getControl(ax, control.put()), S_OK);
        }
        if (containerOut) {
            *containerOut = ax;
        }
        return control;
    }

    HWND ControlWindowOf(IUnknown* control)
    {
        HWND hwnd = nullptr;
        auto window = ComPtr<IUnknown>(control).As<IOleWindow>();
        EXPECT_TRUE(window);
        if (window) {
            EXPECT_EQ(window->GetWindow(&hwnd), S_OK);
        }
        return hwnd;
    }

    std::unique_ptr<ClassRegistration> registration;
    Atl atl;
    pelo::UniqueHwnd parent;
};

} // namespace

TEST_F(PelokeyAtlHost, AxWindow_CreatesShowsSizesAndHearsClick)
{
    HWND ax = nullptr;
    const ComPtr<IUnknown> control = HostKey(5, 5, &ax);
    ASSERT_NE(ax, nullptr);
    ASSERT_TRUE(control);
    const HWND hwnd = ControlWindowOf(control.get());
    ASSERT_NE(hwnd, nullptr) << "the container activated the control in place";
    EXPECT_EQ(::GetParent(hwnd), ax);
    EXPECT_TRUE(::IsWindowVisible(hwnd));
    RECT r {};
    ::GetClientRect(hwnd, &r);
    EXPECT_EQ(r.right, 33);
    EXPECT_EQ(r.bottom, 33);

    // The container passes its own size on.
    ::MoveWindow(ax, 5, 5, 99, 33, TRUE);
    ::GetClientRect(hwnd, &r);
    EXPECT_EQ(r.right, 99);
    SIZEL extent {};
    EXPECT_EQ(control.As<IOleObject>()->GetExtent(DVASPECT_CONTENT, &extent), S_OK);
    EXPECT_NEAR(extent.cx, 2619, 30);

    // It paints the raised face of a new control.
    ::UpdateWindow(parent.get());
    ::UpdateWindow(hwnd);
    HDC dc = ::GetDC(hwnd);
    EXPECT_EQ(::GetPixel(dc, 98, 32), RGB(68, 66, 68));
    EXPECT_EQ(::GetPixel(dc, 0, 0), RGB(212, 210, 204));
    ::ReleaseDC(hwnd, dc);

    EventSink sink;
    Advise advise(control.get(), pelokey::DIID__DPelokeyEvents, &sink);
    ASSERT_EQ(advise.result(), S_OK);
    ::SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 4));
    ::SendMessageW(hwnd, WM_LBUTTONUP, 0, MAKELPARAM(4, 4));
    EXPECT_EQ(sink.calls, std::vector<DISPID> { DISPID_CLICK });
    auto posted = TakePosted(ax, WM_KEYDOWN);
    ASSERT_EQ(posted.size(), 1u) << "the key-down goes to the container's window";
    EXPECT_EQ(posted[0].wParam, static_cast<WPARAM>(L'Q')) << "a new control is the key Q";
}

TEST_F(PelokeyAtlHost, CreateControl_LoadsTheGivenStream)
{
    pelo::UniqueHwnd ax(::CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 0, 33, 33,
        parent.get(), nullptr, ::GetModuleHandleW(nullptr), nullptr));
    ASSERT_TRUE(ax);
    ComPtr<IUnknown> container;
    auto stream = StreamOf(TemplateKeyStream(L"B", L"Enter", 0, 0, 1));
    ASSERT_EQ(atl.createControl(ControlClassText, ax.get(), stream.get(), container.put()), S_OK);
    ComPtr<IUnknown> control;
    ASSERT_EQ(atl.getControl(ax.get(), control.put()), S_OK);
    auto disp = control.As<IDispatch>();
    ASSERT_TRUE(disp);
    Variant v;
    ASSERT_EQ(GetProperty(disp.get(), pelokey::DISPID_strKeyChar, v), S_OK);
    EXPECT_STREQ(V_BSTR(&v.v), L"B");
    const HWND hwnd = ControlWindowOf(control.get());
    ASSERT_NE(hwnd, nullptr);
    ::SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 4));
    ::SendMessageW(hwnd, WM_LBUTTONUP, 0, MAKELPARAM(4, 4));
    auto posted = TakePosted(ax.get(), WM_KEYDOWN);
    ASSERT_EQ(posted.size(), 1u);
    EXPECT_EQ(posted[0].wParam, static_cast<WPARAM>(L'B'));
}

TEST_F(PelokeyAtlHost, ContainerGone_NothingOfTheLibraryStaysAlive)
{
    {
        const ComPtr<IUnknown> control = HostKey(0, 0);
        ASSERT_TRUE(control);
        EventSink sink;
        Advise advise(control.get(), pelokey::DIID__DPelokeyEvents, &sink);
        ASSERT_EQ(advise.result(), S_OK);
    }
    parent.reset();
    registration.reset();
    using CanUnloadFn = HRESULT(STDAPICALLTYPE*)();
    auto canUnload = reinterpret_cast<CanUnloadFn>(
        reinterpret_cast<void*>(::GetProcAddress(ControlLibrary(), "DllCanUnloadNow")));
    ASSERT_NE(canUnload, nullptr);
    EXPECT_EQ(canUnload(), S_OK) << "the container released the control and its window is gone";
}
