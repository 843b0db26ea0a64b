// Base of an ActiveX control: the control window, in-place and UI activation, the container-facing
// interfaces, persistence entry points, events and the mouse bookkeeping behind the stock Click.
// A concrete control supplies its dispatch members, its drawing and its property exchange.
#pragma once

#include "framework/ComPtr.h"
#include "framework/UniqueHandle.h"
#include "framework/activex/ConnectionPoint.h"
#include "framework/com/ComObject.h"
#include "framework/com/Module.h"
#include "framework/window/Window.h"

#include <ocidl.h>
#include <olectl.h>

namespace pelo::activex {

// The identity a control class gives its base.
struct ControlDescription {
    const CLSID* clsid;
    const GUID* libid;
    WORD libMajor;
    WORD libMinor;
    const IID* dispatchIid; // default dispinterface, described by the module's type library
    const IID* eventsIid; // default source dispinterface
    DWORD miscStatus; // OLEMISC_* for DVASPECT_CONTENT
    UINT userTypeNameId; // string resource of the module
    const CLSID* pages;
    ULONG pageCount;
    SIZEL defaultExtent; // HIMETRIC
};

// The module's own type library, loaded once from its "TYPELIB" 1 resource.
HRESULT GetModuleTypeLib(ITypeLib** lib) noexcept;
// Drops the cached type library and unregisters the control window class (library unload).
void ReleaseModuleResources() noexcept;

// Mouse buttons of the click bookkeeping.
enum MouseButton : unsigned { LeftButton = 1, RightButton = 2, MiddleButton = 4 };

#pragma GCC diagnostic push
// COM objects are released through their interfaces, never deleted through them.
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
class ControlBase : public IDispatch,
                    public IOleObject,
                    public IOleInPlaceObject,
                    public IOleInPlaceActiveObject,
                    public IOleControl,
                    public IViewObject2,
                    public IPersistStreamInit,
                    public IPersistMemory,
                    public IPersistPropertyBag,
                    public IConnectionPointContainer,
                    public IProvideClassInfo2,
                    public ISpecifyPropertyPages,
                    public IQuickActivate {
public:
    ControlBase(const ControlBase&) = delete;
    ControlBase& operator=(const ControlBase&) = delete;

    [[nodiscard]] IUnknown* identity() noexcept { return static_cast<IDispatch*>(this); }

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IDispatch
    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override;
    STDMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) override;
    STDMETHODIMP Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
        EXCEPINFO* excep, UINT* argErr) override;

    // IOleObject
    STDMETHODIMP SetClientSite(IOleClientSite* site) override;
    STDMETHODIMP GetClientSite(IOleClientSite** site) override;
    STDMETHODIMP SetHostNames(LPCOLESTR app, LPCOLESTR obj) override;
    STDMETHODIMP Close(DWORD saveOption) override;
    STDMETHODIMP SetMoniker(DWORD which, IMoniker* mk) override;
    STDMETHODIMP GetMoniker(DWORD assign, DWORD which, IMoniker** mk) override;
    STDMETHODIMP InitFromData(IDataObject* data, BOOL creation, DWORD reserved) override;
    STDMETHODIMP GetClipboardData(DWORD reserved, IDataObject** data) override;
    STDMETHODIMP DoVerb(
        LONG verb, LPMSG msg, IOleClientSite* site, LONG index, HWND parent, LPCRECT pos) override;
    STDMETHODIMP EnumVerbs(IEnumOLEVERB** e) override;
    STDMETHODIMP Update() override;
    STDMETHODIMP IsUpToDate() override;
    STDMETHODIMP GetUserClassID(CLSID* clsid) override;
    STDMETHODIMP GetUserType(DWORD form, LPOLESTR* type) override;
    STDMETHODIMP SetExtent(DWORD aspect, SIZEL* size) override;
    STDMETHODIMP GetExtent(DWORD aspect, SIZEL* size) override;
    STDMETHODIMP Advise(IAdviseSink* sink, DWORD* cookie) override;
    STDMETHODIMP Unadvise(DWORD cookie) override;
    STDMETHODIMP EnumAdvise(IEnumSTATDATA** e) override;
    STDMETHODIMP GetMiscStatus(DWORD aspect, DWORD* status) override;
    STDMETHODIMP SetColorScheme(LOGPALETTE* pal) override;

    // IOleWindow, IOleInPlaceObject, IOleInPlaceActiveObject
    STDMETHODIMP GetWindow(HWND* hwnd) override;
    STDMETHODIMP ContextSensitiveHelp(BOOL enter) override;
    STDMETHODIMP InPlaceDeactivate() override;
    STDMETHODIMP UIDeactivate() override;
    STDMETHODIMP SetObjectRects(LPCRECT pos, LPCRECT clip) override;
    STDMETHODIMP ReactivateAndUndo() override;
    STDMETHODIMP TranslateAccelerator(LPMSG msg) override;
    STDMETHODIMP OnFrameWindowActivate(BOOL activate) override;
    STDMETHODIMP OnDocWindowActivate(BOOL activate) override;
    STDMETHODIMP ResizeBorder(LPCRECT border, IOleInPlaceUIWindow* window, BOOL frame) override;
    STDMETHODIMP EnableModeless(BOOL enable) override;

    // IOleControl
    STDMETHODIMP GetControlInfo(CONTROLINFO* info) override;
    STDMETHODIMP OnMnemonic(MSG* msg) override;
    STDMETHODIMP OnAmbientPropertyChange(DISPID id) override;
    STDMETHODIMP FreezeEvents(BOOL freeze) override;

    // IViewObject2
    STDMETHODIMP Draw(DWORD aspect, LONG index, void* aspectInfo, DVTARGETDEVICE* target, HDC targetDev,
        HDC dc, LPCRECTL bounds, LPCRECTL wbounds, BOOL(STDMETHODCALLTYPE* cont)(ULONG_PTR),
        ULONG_PTR contArg) override;
    STDMETHODIMP GetColorSet(DWORD aspect, LONG index, void* aspectInfo, DVTARGETDEVICE* target,
        HDC targetDev, LOGPALETTE** colors) override;
    STDMETHODIMP Freeze(DWORD aspect, LONG index, void* aspectInfo, DWORD* freeze) override;
    STDMETHODIMP Unfreeze(DWORD freeze) override;
    STDMETHODIMP SetAdvise(DWORD aspects, DWORD flags, IAdviseSink* sink) override;
    STDMETHODIMP GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink) override;
    STDMETHODIMP GetExtent(DWORD aspect, LONG index, DVTARGETDEVICE* target, LPSIZEL size) override;

    // IPersist, IPersistStreamInit (also served as IPersistStream), IPersistMemory (the same bytes
    // in a block of memory), IPersistPropertyBag
    STDMETHODIMP GetClassID(CLSID* clsid) override;
    STDMETHODIMP IsDirty() override;
    STDMETHODIMP Load(LPSTREAM stream) override;
    STDMETHODIMP Save(LPSTREAM stream, BOOL clearDirty) override;
    STDMETHODIMP GetSizeMax(ULARGE_INTEGER* size) override;
    STDMETHODIMP InitNew() override;
    STDMETHODIMP Load(LPVOID memory, ULONG size) override;
    STDMETHODIMP Save(LPVOID memory, BOOL clearDirty, ULONG size) override;
    STDMETHODIMP GetSizeMax(ULONG* size) override;
    STDMETHODIMP Load(IPropertyBag* bag, IErrorLog* log) override;
    STDMETHODIMP Save(IPropertyBag* bag, BOOL clearDirty, BOOL saveAll) override;

    // IConnectionPointContainer
    STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints** e) override;
    STDMETHODIMP FindConnectionPoint(REFIID riid, IConnectionPoint** point) override;

    // IProvideClassInfo2
    STDMETHODIMP GetClassInfo(ITypeInfo** info) override;
    STDMETHODIMP GetGUID(DWORD kind, GUID* guid) override;

    // ISpecifyPropertyPages
    STDMETHODIMP GetPages(CAUUID* pages) override;

    // IQuickActivate: the site, sinks and extent in one call
    STDMETHODIMP QuickActivate(QACONTAINER* container, QACONTROL* control) override;
    STDMETHODIMP SetContentExtent(LPSIZEL size) override;
    STDMETHODIMP GetContentExtent(LPSIZEL size) override;

protected:
    explicit ControlBase(const ControlDescription& description) noexcept;
    virtual ~ControlBase();

    // The control's dispatch members by number; flags as in IDispatch::Invoke.
    virtual HRESULT InvokeMember(DISPID id, WORD flags, DISPPARAMS* params, VARIANT* result, UINT* argErr)
        = 0;
    // Paints the control; bounds starts at the device context's origin.
    virtual void OnDraw(HDC dc, const RECT& bounds) = 0;
    // Property exchange with a stream or a property bag. After a failed load the base resets the
    // control, redraws it and reports the failure.
    virtual HRESULT LoadState(IStream* stream) = 0;
    virtual HRESULT SaveState(IStream* stream) = 0;
    virtual HRESULT LoadBagState(IPropertyBag* bag, IErrorLog* log) = 0;
    virtual HRESULT SaveBagState(IPropertyBag* bag) = 0;
    // A new, uninitialised control (also after a failed load).
    virtual void OnResetState() = 0;
    // Left button handling; the base's versions do the click bookkeeping.
    virtual void OnLButtonDown(UINT keys, POINT pt);
    virtual void OnLButtonUp(UINT keys, POINT pt);
    // Every message of the control window, from its first (WM_NCCREATE) to its last
    // (WM_NCDESTROY), before the base's handling; true when the control handled it, with result
    // as the message's result.
    virtual bool OnWindowMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

    // Invalidates the whole control with background erase (or tells the view sink when windowless).
    void InvalidateControl() noexcept;
    void SetModifiedFlag(bool modified = true) noexcept { m_dirty = modified; }
    [[nodiscard]] bool IsModified() const noexcept { return m_dirty; }
    [[nodiscard]] HWND ControlWindow() const noexcept { return m_window.Hwnd(); }
    [[nodiscard]] SIZEL Extent() const noexcept { return m_extent; }
    void SetExtentValue(SIZEL extent) noexcept { m_extent = extent; }
    // Calls every sink of the event interface (dropped while events are frozen).
    void FireEvent(DISPID id, DISPPARAMS* params = nullptr) noexcept;
    void NotifyPropertyChanged(DISPID id) noexcept;
    // The framework's properties verb: the property frame with the control's pages.
    HRESULT ShowProperties(HWND parent) noexcept;

    void ButtonDown(unsigned button) noexcept;
    void ButtonUp(unsigned button, POINT pt) noexcept;

private:
    // The control window: a window of the control window class, bound to its control from its
    // first message to its last. A dying control cuts it off first: what the window is sent
    // while it goes gets default processing only.
    class WindowObject final : public window::WindowT<WindowObject> {
    public:
        explicit WindowObject(ControlBase& control) noexcept
            : m_control(&control)
        {
        }
        static const window::HandlerTable<WindowObject>& Handlers();
        void CutOff() noexcept { m_control = nullptr; }

    protected:
        LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
        void OnFinalMessage() override;

    private:
        LRESULT OnPaint(WPARAM, LPARAM);
        LRESULT OnLButtonDown(WPARAM wParam, LPARAM lParam);
        LRESULT OnLButtonUp(WPARAM wParam, LPARAM lParam);
        LRESULT OnRButtonDown(WPARAM, LPARAM);
        LRESULT OnRButtonUp(WPARAM, LPARAM lParam);
        LRESULT OnMButtonDown(WPARAM, LPARAM);
        LRESULT OnMButtonUp(WPARAM, LPARAM lParam);
        LRESULT OnCancelMode(WPARAM, LPARAM);
        LRESULT OnCaptureChanged(WPARAM, LPARAM lParam);

        ControlBase* m_control;
    };

    HRESULT InPlaceActivate(LONG verb, LPCRECT posHint) noexcept;
    // Creates the control window in parent at pos and routes its messages to this control.
    HRESULT CreateControlWindow(HWND parent, const RECT& pos) noexcept;
    HRESULT UIActivate() noexcept;
    HRESULT DispatchTypeInfo(ITypeInfo** info) noexcept;
    HRESULT ResetState() noexcept;
    HRESULT FinishLoad(HRESULT hr) noexcept;
    // The saved state in a fresh memory stream, and its size.
    HRESULT SaveToMemory(ComPtr<IStream>& memory, ULARGE_INTEGER& size) noexcept;
    HRESULT FinishSave(HRESULT hr, BOOL clearDirty) noexcept;
    void DestroyControlWindow() noexcept;
    // In-place active exactly while the container's in-place site is held.
    [[nodiscard]] bool InPlaceActive() const noexcept { return static_cast<bool>(m_inPlaceSite); }

    com::ModuleReference m_module;
    com::RefCount m_refs;
    const ControlDescription& m_description;
    SIZEL m_extent;
    bool m_dirty = false;
    ULONG m_freeze = 0;
    unsigned m_buttons = 0;

    ComPtr<IOleClientSite> m_clientSite;
    ComPtr<IOleInPlaceSite> m_inPlaceSite;
    ComPtr<IOleInPlaceFrame> m_frame;
    ComPtr<IOleInPlaceUIWindow> m_uiWindow;
    ComPtr<IOleAdviseHolder> m_adviseHolder;
    ComPtr<IAdviseSink> m_viewSink;
    DWORD m_viewAspects = 0;
    DWORD m_viewFlags = 0;
    bool m_uiActive = false;
    WindowObject m_window { *this };

    ConnectionPoint m_eventPoint;
    ConnectionPoint m_propertyPoint;
};
#pragma GCC diagnostic pop

} // namespace pelo::activex
