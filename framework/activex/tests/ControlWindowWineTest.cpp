// The control base's window under Wine: a window of the framework's window class from its first
// message, so a control hears what its window is sent while it is created.
#include "framework/activex/ControlBase.h"

#include "TestWindow.h"
#include "framework/ComPtr.h"
#include "framework/com/ComObject.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <vector>

using pelo::ComPtr;

namespace {

const GUID TestClassId = { 0x6b0e4d2a, 0x91f3, 0x4c57, { 0x8a, 0x1e, 0x35, 0xd2, 0x7c, 0x40, 0x9b, 0x63 } };
const pelo::activex::ControlDescription Description { &TestClassId, &TestClassId, 1, 0, &IID_IDispatch,
    &IID_IDispatch, 0, 0, nullptr, 0, { 873, 873 } };

// Records every message its window brings to the control; throws from the handler of one.
class RecordingControl final : public pelo::activex::ControlBase {
public:
    RecordingControl()
        : ControlBase(Description)
    {
    }
    std::vector<UINT> messages;
    UINT throwOn = 0;

protected:
    bool OnWindowMessage(UINT message, WPARAM, LPARAM, LRESULT&) override
    {
        messages.push_back(message);
        if (message == throwOn) {
            throw std::runtime_error("handler failed");
        }
        return false;
    }
    HRESULT InvokeMember(DISPID, WORD, DISPPARAMS*, VARIANT*, UINT*) override
    {
        return DISP_E_MEMBERNOTFOUND;
    }
    void OnDraw(HDC, const RECT&) override { }
    HRESULT LoadState(IStream*) override { return S_OK; }
    HRESULT SaveState(IStream*) override { return S_OK; }
    HRESULT LoadBagState(IPropertyBag*, IErrorLog*) override { return S_OK; }
    HRESULT SaveBagState(IPropertyBag*) override { return S_OK; }
    void OnResetState() override { }
};

#pragma GCC diagnostic push
// COM objects are released through their interfaces, never deleted through them.
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
// The container's side of in-place activation: the parent window and the control's rectangle.
class InPlaceSite final : public IOleClientSite, public IOleInPlaceSite {
public:
    InPlaceSite(HWND parent, RECT pos) noexcept
        : m_parent(parent)
        , m_pos(pos)
    {
    }
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override
    {
        auto* client = static_cast<IOleClientSite*>(this);
        auto* inPlace = static_cast<IOleInPlaceSite*>(this);
        return pelo::com::QueryFromTable({ { IID_IUnknown, client }, { IID_IOleClientSite, client },
                                             { IID_IOleWindow, inPlace }, { IID_IOleInPlaceSite, inPlace } },
            riid, ppv);
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP SaveObject() override { return E_NOTIMPL; }
    STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker** mk) override
    {
        *mk = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP GetContainer(IOleContainer** container) override
    {
        *container = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP ShowObject() override { return S_OK; }
    STDMETHODIMP OnShowWindow(BOOL) override { return S_OK; }
    STDMETHODIMP RequestNewObjectLayout() override { return E_NOTIMPL; }
    STDMETHODIMP GetWindow(HWND* hwnd) override
    {
        *hwnd = m_parent;
        return S_OK;
    }
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP CanInPlaceActivate() override { return S_OK; }
    STDMETHODIMP OnInPlaceActivate() override { return S_OK; }
    STDMETHODIMP OnUIActivate() override { return S_OK; }
    STDMETHODIMP GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document, LPRECT pos,
        LPRECT clip, LPOLEINPLACEFRAMEINFO) override
    {
        *frame = nullptr;
        *document = nullptr;
        *pos = *clip = m_pos;
        return S_OK;
    }
    STDMETHODIMP Scroll(SIZE) override { return E_NOTIMPL; }
    STDMETHODIMP OnUIDeactivate(BOOL) override { return S_OK; }
    STDMETHODIMP OnInPlaceDeactivate() override { return S_OK; }
    STDMETHODIMP DiscardUndoState() override { return E_NOTIMPL; }
    STDMETHODIMP DeactivateAndUndo() override { return E_NOTIMPL; }
    STDMETHODIMP OnPosRectChange(LPCRECT) override { return S_OK; }

private:
    HWND m_parent;
    RECT m_pos;
};
#pragma GCC diagnostic pop

bool Saw(const std::vector<UINT>& messages, UINT message)
{
    return std::find(messages.begin(), messages.end(), message) != messages.end();
}

} // namespace

TEST(ControlWindow, CreationMessages_ReachTheControlFromTheFirst_EvenWhenItsHandlerThrows)
{
    pelo::ComApartment apartment;
    pelo::com::SetModuleInstance(::GetModuleHandleW(nullptr));
    pelo::testing::TopWindow parent;
    RECT pos { 4, 6, 37, 39 };
    InPlaceSite site(parent.get(), pos);
    auto control = ComPtr<RecordingControl>::Attach(new RecordingControl);
    control->throwOn = WM_CREATE;
    const auto ole = control.As<IOleObject>();
    ASSERT_EQ(ole->SetClientSite(&site), S_OK);

    ASSERT_EQ(ole->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, &site, 0, parent.get(), &pos), S_OK);
    HWND hwnd = nullptr;
    ASSERT_EQ(control.As<IOleWindow>()->GetWindow(&hwnd), S_OK);
    ASSERT_TRUE(::IsWindow(hwnd));
    const std::vector<UINT>& seen = control->messages;
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.front(), static_cast<UINT>(WM_NCCREATE));
    // The creation went on after the handler of WM_CREATE threw.
    EXPECT_TRUE(Saw(seen, WM_CREATE));
    EXPECT_TRUE(Saw(seen, WM_SIZE));
    EXPECT_TRUE(Saw(seen, WM_MOVE));

    ASSERT_EQ(ole->Close(OLECLOSE_NOSAVE), S_OK);
    EXPECT_FALSE(::IsWindow(hwnd));
    EXPECT_EQ(seen.back(), static_cast<UINT>(WM_NCDESTROY));
    EXPECT_EQ(ole->SetClientSite(nullptr), S_OK);
}
