// Test bed for the real control library under Wine: loading Pelokey.ocx, creating controls through
// its class object, and fakes of the container side that record what the control asked of them.
#pragma once

#include "Canvas.h"
#include "framework/ComPtr.h"
#include "framework/UniqueHandle.h"
#include "framework/activex/DispatchCall.h"
#include "framework/com/ComObject.h"

#include <ocidl.h>
#include <olectl.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace pelokey::test {

using pelo::testing::Canvas;

// The control's class identifier as text, the name containers create it by.
inline constexpr wchar_t ControlClassText[] = L"{B5A8D3BD-DBB9-4EA9-9A4A-9C41CBA30D69}";

// Pelokey.ocx from the folder of the test program, loaded once for the process.
HMODULE ControlLibrary();
// A new control through the library's own class object (no registry involved).
pelo::ComPtr<IUnknown> CreateControl();
// The class object for clsid, registered with COM for this apartment while the guard lives, so
// that containers find the class by identifier without registration.
class ClassRegistration {
public:
    explicit ClassRegistration(const CLSID& clsid);
    ClassRegistration(const ClassRegistration&) = delete;
    ClassRegistration& operator=(const ClassRegistration&) = delete;
    ~ClassRegistration();
    [[nodiscard]] HRESULT result() const noexcept { return m_hr; }

private:
    DWORD m_cookie = 0;
    HRESULT m_hr = E_FAIL;
};

pelo::ComPtr<IStream> StreamOf(const std::vector<std::uint8_t>& bytes);
std::vector<std::uint8_t> BytesOf(IStream* stream);

// The control's members by dispatch identifier, as every host calls them.
using pelo::activex::CallMethod;
using pelo::activex::GetProperty;
using pelo::activex::PutProperty;
using pelo::com::Variant;

// Records every call of the event interface.
#pragma GCC diagnostic push
// COM objects are released through their interfaces, never deleted through them.
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
class EventSink final : public IDispatch {
public:
    std::vector<DISPID> calls;
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override { return ++m_refs; }
    STDMETHODIMP_(ULONG) Release() override { return --m_refs; }
    STDMETHODIMP GetTypeInfoCount(UINT* n) override;
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override;
    [[nodiscard]] ULONG refs() const noexcept { return m_refs; }

private:
    ULONG m_refs = 1; // owned by the test's stack frame
};
#pragma GCC diagnostic pop

// Advises a sink on the control's event interface for the guard's lifetime.
class Advise {
public:
    Advise(IUnknown* control, const IID& iid, IUnknown* sink);
    Advise(const Advise&) = delete;
    Advise& operator=(const Advise&) = delete;
    ~Advise();
    [[nodiscard]] HRESULT result() const noexcept { return m_hr; }

private:
    pelo::ComPtr<IConnectionPoint> m_point;
    DWORD m_cookie = 0;
    HRESULT m_hr = E_FAIL;
};

// A top-level window that hosts controls: the container's client and in-place site, recording the
// names of the site methods the control called.
#pragma GCC diagnostic push
// COM objects are released through their interfaces, never deleted through them.
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
class FakeSite final : public IOleClientSite, public IOleInPlaceSite {
public:
    // With a parent, the site puts its control into that window instead of a window of its own.
    explicit FakeSite(RECT pos, HWND parent = nullptr);
    ~FakeSite();
    std::vector<std::string> calls;
    [[nodiscard]] HWND parent() const noexcept { return m_parent; }
    bool allowInPlace = true;

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override { return ++m_refs; }
    STDMETHODIMP_(ULONG) Release() override { return --m_refs; }
    // IOleClientSite
    STDMETHODIMP SaveObject() override;
    STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker**) override;
    STDMETHODIMP GetContainer(IOleContainer**) override;
    STDMETHODIMP ShowObject() override;
    STDMETHODIMP OnShowWindow(BOOL) override;
    STDMETHODIMP RequestNewObjectLayout() override;
    // IOleInPlaceSite
    STDMETHODIMP GetWindow(HWND* hwnd) override;
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP CanInPlaceActivate() override;
    STDMETHODIMP OnInPlaceActivate() override;
    STDMETHODIMP OnUIActivate() override;
    STDMETHODIMP GetWindowContext(
        IOleInPlaceFrame**, IOleInPlaceUIWindow**, LPRECT, LPRECT, LPOLEINPLACEFRAMEINFO) override;
    STDMETHODIMP Scroll(SIZE) override { return E_NOTIMPL; }
    STDMETHODIMP OnUIDeactivate(BOOL) override;
    STDMETHODIMP OnInPlaceDeactivate() override;
    STDMETHODIMP DiscardUndoState() override { return E_NOTIMPL; }
    STDMETHODIMP DeactivateAndUndo() override { return E_NOTIMPL; }
    STDMETHODIMP OnPosRectChange(LPCRECT) override;

private:
    ULONG m_refs = 1;
    RECT m_pos;
    pelo::UniqueHwnd m_ownWindow;
    HWND m_parent;
};
#pragma GCC diagnostic pop

// A visible, captionless top-level window of the test program (Wine does not wait for a window
// manager on such windows).
pelo::UniqueHwnd CreateHostWindow();

// Posted messages of one kind waiting for a window, taken out of the queue.
std::vector<MSG> TakePosted(HWND hwnd, UINT message);

// Closes every dialog box the current thread shows (message boxes, the property frame, the about
// box) as soon as it is activated, and records its texts, tab names, edit fields and owner.
class MessageBoxCatcher {
public:
    struct Box {
        std::wstring caption, text;
        HWND owner;
        std::vector<std::wstring> tabs;
        std::map<int, std::wstring> edits; // by control identifier
    };
    MessageBoxCatcher();
    MessageBoxCatcher(const MessageBoxCatcher&) = delete;
    MessageBoxCatcher& operator=(const MessageBoxCatcher&) = delete;
    ~MessageBoxCatcher();
    std::vector<Box> boxes;

private:
    static LRESULT CALLBACK Hook(int code, WPARAM wp, LPARAM lp);
    static void CALLBACK Collect(HWND, UINT, UINT_PTR timer, DWORD);
    std::vector<HWND> m_pending;
    pelo::UniqueHhook m_hook;
};

// A font's description as the font object persists it (its getters would realize it first).
struct FontFacts {
    std::string face;
    std::uint32_t sizeCy = 0;
    std::uint16_t weight = 0;
    std::uint8_t flags = 0;
};
FontFacts FontFactsOf(IFont* font);

// The 82-byte key stream of the program's templates, written by the stream codec.
std::vector<std::uint8_t> TemplateKeyStream(const wchar_t* keyChar, const wchar_t* keyString,
    int bInConfigDlg, int bShift, short nKeyStyle, int extentX = 873);

} // namespace pelokey::test
