#include "framework/proppage/PropertyPage.h"

#include "framework/Module.h"
#include "framework/activex/DispatchCall.h"
#include "framework/com/NoThrow.h"
#include "framework/com/Variant.h"

#include <new>

namespace pelo::proppage {
namespace {

using com::Variant;

HRESULT DispidOf(IDispatch* object, const wchar_t* name, DISPID& dispid)
{
    auto* names = const_cast<LPOLESTR>(name);
    return object->GetIDsOfNames(IID_NULL, &names, 1, LOCALE_USER_DEFAULT, &dispid);
}

// A field value as the variant of its own kind.
HRESULT ToVariant(const dialog::FieldValue& value, VARIANT& out)
{
    if (const int* i = std::get_if<int>(&value)) {
        V_VT(&out) = VT_I4;
        V_I4(&out) = *i;
    } else if (const short* s = std::get_if<short>(&value)) {
        V_VT(&out) = VT_I2;
        V_I2(&out) = *s;
    } else {
        const std::wstring& text = std::get<std::wstring>(value);
        V_VT(&out) = VT_BSTR;
        V_BSTR(&out) = ::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
        if (!V_BSTR(&out)) {
            V_VT(&out) = VT_EMPTY;
            return E_OUTOFMEMORY;
        }
    }
    return S_OK;
}

// Converts a property value to the kind of the field it fills. BOOL properties show as 0 or 1.
bool FromVariant(VARIANT& in, const dialog::FieldValue& kind, dialog::FieldValue& out)
{
    Variant converted;
    if (std::holds_alternative<int>(kind)) {
        if (V_VT(&in) == VT_BOOL) {
            out = V_BOOL(&in) != VARIANT_FALSE ? 1 : 0;
            return true;
        }
        if (FAILED(::VariantChangeType(&converted.v, &in, 0, VT_I4))) {
            return false;
        }
        out = static_cast<int>(V_I4(&converted.v));
    } else if (std::holds_alternative<short>(kind)) {
        if (FAILED(::VariantChangeType(&converted.v, &in, 0, VT_I2))) {
            return false;
        }
        out = static_cast<short>(V_I2(&converted.v));
    } else {
        if (FAILED(::VariantChangeType(&converted.v, &in, 0, VT_BSTR))) {
            return false;
        }
        const BSTR text = V_BSTR(&converted.v);
        out = std::wstring(text ? text : L"", text ? ::SysStringLen(text) : 0);
    }
    return true;
}

} // namespace

HRESULT GetPropertyByName(IDispatch* object, const wchar_t* name, com::Variant& value)
{
    DISPID dispid = DISPID_UNKNOWN;
    const HRESULT hr = DispidOf(object, name, dispid);
    return FAILED(hr) ? hr : activex::GetProperty(object, dispid, value);
}

HRESULT PutPropertyByName(IDispatch* object, const wchar_t* name, const VARIANT& value)
{
    DISPID dispid = DISPID_UNKNOWN;
    const HRESULT hr = DispidOf(object, name, dispid);
    return FAILED(hr) ? hr : activex::PutProperty(object, dispid, value);
}

STDMETHODIMP PropertyPage::QueryInterface(REFIID riid, void** ppv)
{
    auto* page = static_cast<IPropertyPage*>(this);
    return com::QueryFromTable({ { IID_IUnknown, page }, { IID_IPropertyPage, page } }, riid, ppv);
}

STDMETHODIMP_(ULONG) PropertyPage::AddRef()
{
    return m_refs.Increment();
}

STDMETHODIMP_(ULONG) PropertyPage::Release()
{
    const ULONG refs = m_refs.Decrement();
    if (refs == 0) {
        delete this;
    }
    return refs;
}

STDMETHODIMP PropertyPage::SetPageSite(IPropertyPageSite* site)
{
    m_site = ComPtr<IPropertyPageSite>(site);
    return S_OK;
}

STDMETHODIMP PropertyPage::Activate(HWND parent, LPCRECT rect, BOOL)
{
    if (Hwnd()) {
        return E_UNEXPECTED;
    }
    if (!Create(parent)) {
        return E_FAIL;
    }
    if (rect) {
        ::MoveWindow(Hwnd(), rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top, TRUE);
    }
    return S_OK;
}

STDMETHODIMP PropertyPage::Deactivate()
{
    Destroy();
    return S_OK;
}

STDMETHODIMP PropertyPage::GetPageInfo(PROPPAGEINFO* info)
{
    if (!info) {
        return E_POINTER;
    }
    SIZE size {};
    if (!dialog::DialogTemplatePixelSize(Module(), TemplateId(), size)) {
        return E_UNEXPECTED;
    }
    std::wstring caption;
    try {
        caption = Caption();
    } catch (...) {
        return E_OUTOFMEMORY;
    }
    const std::size_t bytes = (caption.size() + 1) * sizeof(wchar_t);
    auto* title = static_cast<LPOLESTR>(::CoTaskMemAlloc(bytes));
    if (!title) {
        return E_OUTOFMEMORY;
    }
    memcpy(title, caption.c_str(), bytes);
    info->cb = sizeof *info;
    info->pszTitle = title;
    info->size = size;
    info->pszDocString = nullptr;
    info->pszHelpFile = nullptr;
    info->dwHelpContext = 0;
    return S_OK;
}

STDMETHODIMP PropertyPage::SetObjects(ULONG count, IUnknown** objects)
{
    if (count > 0 && !objects) {
        return E_POINTER;
    }
    return com::CallNoThrow(
        [&] {
            std::vector<ComPtr<IDispatch>> dispatches;
            for (ULONG i = 0; i < count; ++i) {
                ComPtr<IDispatch> d;
                if (objects[i] && SUCCEEDED(objects[i]->QueryInterface(IID_IDispatch, d.put_void()))) {
                    dispatches.push_back(std::move(d));
                }
            }
            m_objects = std::move(dispatches);
            if (Hwnd()) {
                ReadProperties();
                UpdateData(false);
                SetDirty(false);
            }
            return S_OK;
        },
        E_OUTOFMEMORY);
}

STDMETHODIMP PropertyPage::Show(UINT cmdShow)
{
    if (!Hwnd()) {
        return E_UNEXPECTED;
    }
    ::ShowWindow(Hwnd(), static_cast<int>(cmdShow));
    return S_OK;
}

STDMETHODIMP PropertyPage::Move(LPCRECT rect)
{
    if (!Hwnd()) {
        return E_UNEXPECTED;
    }
    if (!rect) {
        return E_POINTER;
    }
    ::MoveWindow(Hwnd(), rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top, TRUE);
    return S_OK;
}

STDMETHODIMP PropertyPage::IsPageDirty()
{
    return m_dirty ? S_OK : S_FALSE;
}

STDMETHODIMP PropertyPage::Apply()
{
    if (!Hwnd()) {
        return m_dirty ? E_UNEXPECTED : S_OK;
    }
    return com::CallNoThrow([&] { return ApplyFields(); }, E_OUTOFMEMORY);
}

HRESULT PropertyPage::ApplyFields()
{
    // Nothing is written while any field fails validation.
    if (!UpdateData(true)) {
        return E_FAIL;
    }
    HRESULT result = S_OK;
    for (std::size_t i = 0; i < FieldCount() && i < m_stored.size(); ++i) {
        if (!FieldProperty(i)) {
            continue;
        }
        const dialog::FieldValue value = GetField(i);
        if (value == m_stored[i]) {
            continue;
        }
        const HRESULT hr = WriteField(i, value);
        if (SUCCEEDED(hr)) {
            m_stored[i] = value;
        } else if (SUCCEEDED(result)) {
            result = hr;
        }
    }
    if (SUCCEEDED(result)) {
        SetDirty(false);
    }
    return result;
}

STDMETHODIMP PropertyPage::Help(LPCOLESTR)
{
    return E_NOTIMPL;
}

STDMETHODIMP PropertyPage::TranslateAccelerator(MSG* msg)
{
    if (!msg) {
        return E_POINTER;
    }
    if (!Hwnd()) {
        return E_UNEXPECTED;
    }
    return ::IsDialogMessageW(Hwnd(), msg) ? S_OK : S_FALSE;
}

std::wstring PropertyPage::Caption() const
{
    return ModuleString(Module(), m_captionId);
}

void PropertyPage::SetDirty(bool dirty)
{
    const bool becameDirty = dirty && !m_dirty;
    m_dirty = dirty;
    if (becameDirty && m_site) {
        m_site->OnStatusChange(PROPPAGESTATUS_DIRTY | PROPPAGESTATUS_VALIDATE);
    }
}

BOOL PropertyPage::OnInitDialog()
{
    ReadProperties();
    const BOOL result = Dialog::OnInitDialog();
    m_dirty = false;
    return result;
}

bool PropertyPage::FilterCommand(int id, int code, HWND control)
{
    if (!control) {
        return false;
    }
    if (InExchange()) {
        return true;
    }
    const bool change = code == EN_CHANGE || code == BN_CLICKED || code == CBN_SELCHANGE
        || code == CBN_EDITCHANGE || code == LBN_SELCHANGE;
    if (change) {
        for (std::size_t i = 0; i < FieldCount(); ++i) {
            if (FieldControl(i) == id && FieldProperty(i)) {
                SetDirty(true);
                break;
            }
        }
    }
    return false;
}

void PropertyPage::ReadProperties()
{
    const std::size_t count = FieldCount();
    m_stored.assign(count, 0);
    m_types.assign(count, VT_EMPTY);
    for (std::size_t i = 0; i < count; ++i) {
        const dialog::FieldValue current = GetField(i);
        m_stored[i] = current;
        const wchar_t* property = FieldProperty(i);
        if (!property || m_objects.empty()) {
            continue;
        }
        Variant value;
        dialog::FieldValue read;
        if (SUCCEEDED(GetPropertyByName(m_objects.front().get(), property, value))
            && FromVariant(value.v, current, read)) {
            m_types[i] = V_VT(&value.v);
            SetField(i, read);
            m_stored[i] = read;
        }
    }
}

HRESULT PropertyPage::WriteField(std::size_t field, const dialog::FieldValue& value)
{
    Variant natural;
    HRESULT hr = ToVariant(value, natural.v);
    if (FAILED(hr)) {
        return hr;
    }
    // Hand the object the type it reported for the property when the value converts to it.
    Variant typed;
    VARIANT* arg = &natural.v;
    const VARTYPE type = field < m_types.size() ? m_types[field] : static_cast<VARTYPE>(VT_EMPTY);
    if (type != VT_EMPTY && type != V_VT(&natural.v)
        && SUCCEEDED(::VariantChangeType(&typed.v, &natural.v, 0, type))) {
        arg = &typed.v;
    }
    HRESULT result = S_OK;
    for (const ComPtr<IDispatch>& object : m_objects) {
        hr = PutPropertyByName(object.get(), FieldProperty(field), *arg);
        if (FAILED(hr) && SUCCEEDED(result)) {
            result = hr;
        }
    }
    return result;
}

} // namespace pelo::proppage
