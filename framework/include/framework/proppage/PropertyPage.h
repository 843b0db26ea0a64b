// A property page as a COM object: IPropertyPage over a child dialog whose exchange rows link
// fields to properties of the edited objects by name (IDispatch GetIDsOfNames and Invoke).
// Fields are filled from the first object when the page opens; Apply writes each field whose
// value changed to every object.
#pragma once

#include <ocidl.h>
#include <olectl.h>

#include <vector>

#include "framework/ComPtr.h"
#include "framework/com/ComObject.h"
#include "framework/com/Module.h"
#include "framework/com/Variant.h"
#include "framework/dialog/Dialog.h"

namespace pelo::proppage {

// COM interfaces have no virtual destructor; the object is deleted only through Release.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
class PropertyPage : public IPropertyPage, public dialog::Dialog {
public:
    PropertyPage(HINSTANCE module, UINT templateId, UINT captionId) noexcept
        : Dialog(module, templateId)
        , m_captionId(captionId)
    {
    }

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IPropertyPage
    STDMETHODIMP SetPageSite(IPropertyPageSite* site) override;
    STDMETHODIMP Activate(HWND parent, LPCRECT rect, BOOL modal) override;
    STDMETHODIMP Deactivate() override;
    STDMETHODIMP GetPageInfo(PROPPAGEINFO* info) override;
    STDMETHODIMP SetObjects(ULONG count, IUnknown** objects) override;
    STDMETHODIMP Show(UINT cmdShow) override;
    STDMETHODIMP Move(LPCRECT rect) override;
    STDMETHODIMP IsPageDirty() override;
    STDMETHODIMP Apply() override;
    STDMETHODIMP Help(LPCOLESTR helpDir) override;
    STDMETHODIMP TranslateAccelerator(MSG* msg) override;

    // The page's name (its caption string), also the caption of its messages.
    [[nodiscard]] std::wstring Caption() const;
    [[nodiscard]] std::wstring MessageCaption() const override { return Caption(); }
    [[nodiscard]] bool IsDirty() const noexcept { return m_dirty; }
    void SetDirty(bool dirty);

protected:
    ~PropertyPage() override = default;
    BOOL OnInitDialog() override;
    // Notifications of the page's controls are ignored while fields are put or taken; otherwise
    // a change of a linked field makes the page dirty.
    bool FilterCommand(int id, int code, HWND control) override;

private:
    void ReadProperties();
    // Apply on an open page: validates all fields, then writes those that changed.
    HRESULT ApplyFields();
    HRESULT WriteField(std::size_t field, const dialog::FieldValue& value);

    com::RefCount m_refs;
    com::ModuleReference m_moduleReference;
    UINT m_captionId;
    ComPtr<IPropertyPageSite> m_site;
    std::vector<ComPtr<IDispatch>> m_objects;
    // Per field: the value last read from or written to the objects, and the type the first
    // object reported for the property (VT_EMPTY when unknown).
    std::vector<dialog::FieldValue> m_stored;
    std::vector<VARTYPE> m_types;
    bool m_dirty = false;
};
#pragma GCC diagnostic pop

// Reads and writes one property by name through IDispatch.
HRESULT GetPropertyByName(IDispatch* object, const wchar_t* name, com::Variant& value);
HRESULT PutPropertyByName(IDispatch* object, const wchar_t* name, const VARIANT& value);

} // namespace pelo::proppage
