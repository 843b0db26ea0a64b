#include "PelokeyCtrl.h"

#include "PelokeyIds.h"
#include "drawing/KeyPaint.h"
#include "framework/Module.h"
#include "framework/activex/DispatchArgs.h"
#include "framework/com/Variant.h"
#include "framework/dialog/Dialog.h"
#include "proppage/AboutBox.h"
#include "stream/PropertyStream.h"

#include <algorithm>
#include <climits>
#include <new>

namespace {

using pelo::ComPtr;
using pelo::com::Variant;
namespace stream = pelokey::stream;

// CLSID_CFontPropPage
constexpr CLSID FontPageClsid
    = { 0x0BE35200, 0x8F91, 0x11CE, { 0x9D, 0xE3, 0x00, 0xAA, 0x00, 0x4B, 0xB8, 0x51 } };
const CLSID PropertyPages[] = { pelokey::CLSID_PelokeyPropPage, FontPageClsid };

// OLEMISC_SETCLIENTSITEFIRST | ACTIVATEWHENVISIBLE | INSIDEOUT | CANTLINKINSIDE | RECOMPOSEONRESIZE
constexpr DWORD MiscStatus = 0x20191;

const pelo::activex::ControlDescription Description = {
    &pelokey::CLSID_Pelokey,
    &pelokey::LIBID_PELOKEYLib,
    pelokey::TypeLibMajor,
    pelokey::TypeLibMinor,
    &pelokey::DIID__DPelokey,
    &pelokey::DIID__DPelokeyEvents,
    MiscStatus,
    pelokey::IDS_PELOKEY,
    PropertyPages,
    2,
    SIZEL { 873, 873 },
};

std::wstring ToWide(const std::u16string& s)
{
    return std::wstring(s.begin(), s.end());
}
std::u16string ToU16(const std::wstring& s)
{
    return std::u16string(s.begin(), s.end());
}

std::u16string DecodeCodePage(const char* bytes, std::size_t n)
{
    if (n == 0 || n > INT_MAX) {
        return {};
    }
    const int length = ::MultiByteToWideChar(CP_ACP, 0, bytes, static_cast<int>(n), nullptr, 0);
    std::u16string text(static_cast<std::size_t>(length > 0 ? length : 0), u'\0');
    if (length > 0) {
        ::MultiByteToWideChar(
            CP_ACP, 0, bytes, static_cast<int>(n), reinterpret_cast<wchar_t*>(text.data()), length);
    }
    return text;
}

// The stream codec reads and writes straight through the container's stream, so that the font
// object continues exactly where the codec stopped.
class StreamReader final : public stream::ByteReader {
public:
    explicit StreamReader(IStream* s) noexcept
        : m_stream(s)
    {
    }
    bool Read(void* dst, std::size_t n) override
    {
        if (n > ULONG_MAX) {
            return false;
        }
        ULONG got = 0;
        const HRESULT hr = m_stream->Read(dst, static_cast<ULONG>(n), &got);
        return SUCCEEDED(hr) && got == n;
    }

private:
    IStream* m_stream;
};

class StreamWriter final : public stream::ByteWriter {
public:
    explicit StreamWriter(IStream* s) noexcept
        : m_stream(s)
    {
    }
    bool Write(const void* src, std::size_t n) override
    {
        if (n > ULONG_MAX) {
            return false;
        }
        ULONG put = 0;
        const HRESULT hr = m_stream->Write(src, static_cast<ULONG>(n), &put);
        return SUCCEEDED(hr) && put == n;
    }

private:
    IStream* m_stream;
};

bool IsPut(WORD flags) noexcept
{
    return (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) != 0;
}
bool IsGet(WORD flags) noexcept
{
    return (flags & (DISPATCH_PROPERTYGET | DISPATCH_METHOD)) != 0;
}

// Reads one named value; hint is the type asked for (VT_EMPTY: the bag's own).
HRESULT ReadBag(IPropertyBag* bag, const wchar_t* name, VARTYPE hint, IErrorLog* log, Variant& out)
{
    V_VT(&out.v) = hint;
    const HRESULT hr = bag->Read(name, &out.v, log);
    if (FAILED(hr)) {
        ::VariantInit(&out.v);
    }
    return hr;
}

bool BagInt(IPropertyBag* bag, const wchar_t* name, IErrorLog* log, LONG& value, bool asBool)
{
    Variant v;
    if (FAILED(ReadBag(bag, name, VT_EMPTY, log, v))) {
        return false;
    }
    if (asBool && V_VT(&v.v) == VT_BOOL) {
        value = V_BOOL(&v.v) ? 1 : 0;
        return true;
    }
    if (FAILED(::VariantChangeType(&v.v, &v.v, 0, VT_I4))) {
        return false;
    }
    value = V_I4(&v.v);
    return true;
}

HRESULT WriteBagI4(IPropertyBag* bag, const wchar_t* name, LONG value)
{
    Variant v;
    V_VT(&v.v) = VT_I4;
    V_I4(&v.v) = value;
    return bag->Write(name, &v.v);
}

HRESULT WriteBagBool(IPropertyBag* bag, const wchar_t* name, LONG value)
{
    Variant v;
    V_VT(&v.v) = VT_BOOL;
    V_BOOL(&v.v) = value ? VARIANT_TRUE : VARIANT_FALSE;
    return bag->Write(name, &v.v);
}

HRESULT WriteBagString(IPropertyBag* bag, const wchar_t* name, const std::wstring& value)
{
    Variant v;
    V_BSTR(&v.v) = ::SysAllocStringLen(value.data(), static_cast<UINT>(value.size()));
    if (!V_BSTR(&v.v)) {
        return E_OUTOFMEMORY;
    }
    V_VT(&v.v) = VT_BSTR;
    return bag->Write(name, &v.v);
}

std::wstring FromBstr(BSTR text)
{
    return std::wstring(text ? text : L"", ::SysStringLen(text));
}

// A property: a put runs put(), a get without arguments lets get(result) fill the result.
template <typename Put, typename Get>
HRESULT Property(WORD flags, const DISPPARAMS* params, VARIANT* result, Put&& put, Get&& get)
{
    if (IsPut(flags)) {
        return put();
    }
    if (IsGet(flags)) {
        if (params && params->cArgs != 0) {
            return DISP_E_BADPARAMCOUNT;
        }
        return result ? get(*result) : S_OK;
    }
    return DISP_E_MEMBERNOTFOUND;
}

} // namespace

FONTDESC CPelokeyCtrl::DefaultFontDesc() noexcept
{
    FONTDESC desc {};
    desc.cbSizeofstruct = sizeof(desc);
    desc.lpstrName = const_cast<LPOLESTR>(L"MS Sans Serif");
    desc.cySize.int64 = 80000; // 8 points
    desc.sWeight = FW_NORMAL;
    desc.sCharset = ANSI_CHARSET;
    return desc;
}

CPelokeyCtrl::CPelokeyCtrl()
    : ControlBase(Description)
    , m_fontAll([this] { OnFontChanged(); })
{
}

HRESULT CPelokeyCtrl::CreateInstance(REFIID riid, void** ppv) noexcept
{
    if (!ppv) {
        return E_POINTER;
    }
    *ppv = nullptr;
    CPelokeyCtrl* control = nullptr;
    try {
        control = new CPelokeyCtrl();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    HRESULT hr = control->m_fontAll.InitializeFont(DefaultFontDesc());
    if (SUCCEEDED(hr)) {
        hr = control->QueryInterface(riid, ppv);
    }
    control->Release();
    return hr;
}

pelokey::KeyKind CPelokeyCtrl::Kind() const noexcept
{
    return pelokey::KeyKind { m_bInConfigDlg, m_nKeyStyle, m_bShift };
}

// Compares the font's persisted form with the default description: the font object's getters
// would realize a GDI font first, which under Wine rewrites the description.
bool CPelokeyCtrl::FontIsDefault() const
{
    IFont* font = m_fontAll.font();
    if (!font) {
        return true;
    }
    ComPtr<IPersistStream> persist;
    ComPtr<IStream> memory;
    if (FAILED(font->QueryInterface(IID_IPersistStream, persist.put_void()))
        || FAILED(::CreateStreamOnHGlobal(nullptr, TRUE, memory.put()))
        || FAILED(persist->Save(memory.get(), FALSE))) {
        return false;
    }
    LARGE_INTEGER zero {};
    (void)memory->Seek(zero, STREAM_SEEK_SET, nullptr);
    StreamReader reader(memory.get());
    stream::StdFontData data;
    if (!stream::ReadStdFontData(reader, data)) {
        return false;
    }
    const FONTDESC desc = DefaultFontDesc();
    return ::lstrcmpiA(data.faceName.c_str(), "MS Sans Serif") == 0 && data.sizeCy == desc.cySize.int64
        && data.weight == desc.sWeight && data.charset == desc.sCharset && data.flags == 0;
}

void CPelokeyCtrl::OnFontChanged() noexcept
{
    InvalidateControl();
    SetModifiedFlag();
}

void CPelokeyCtrl::OnResetState()
{
    (void)m_fontAll.InitializeFont(DefaultFontDesc());
    InvalidateControl();
}

void CPelokeyCtrl::OnNKeyStyleChanged()
{
    const wchar_t* text;
    bool valid = true;
    switch (m_nKeyStyle) {
    case pelokey::KeyStyleChar:
        text = L"按钮风格改变为：KEYSTYLE_CHAR";
        break;
    case pelokey::KeyStyleString:
        text = L"按钮风格改变为：KEYSTYLE_STRING";
        break;
    default:
        text = L"CPAxButtonCtrl::OnNKeyStyleChanged()请输入1或2";
        valid = false;
        break;
    }
    pelo::dialog::ShowMessageBox(ControlWindow(), text, pelo::ModuleName(pelo::com::ModuleInstance()), MB_OK);
    if (valid) {
        SetModifiedFlag();
    } else {
        m_nKeyStyle = pelokey::KeyStyleChar;
    }
}

// ---- dispatch

void CPelokeyCtrl::OnPropertyStored(DISPID id) noexcept
{
    SetModifiedFlag();
    NotifyPropertyChanged(id);
}

HRESULT CPelokeyCtrl::PropertyBool(
    DISPID id, LONG& field, WORD flags, DISPPARAMS* params, VARIANT* result, UINT* argErr)
{
    return Property(
        flags, params, result,
        [&] {
            // Coerced to VT_BOOL as the type library declares: any nonzero value is TRUE, so the
            // stream's byte holds it.
            Variant value;
            const HRESULT hr = pelo::activex::GetPutValue(params, VT_BOOL, &value.v, argErr);
            if (FAILED(hr)) {
                return hr;
            }
            field = V_BOOL(&value.v) != VARIANT_FALSE ? TRUE : FALSE;
            OnPropertyStored(id);
            return S_OK;
        },
        [&](VARIANT& out) {
            V_VT(&out) = VT_BOOL;
            V_BOOL(&out) = field ? VARIANT_TRUE : VARIANT_FALSE;
            return S_OK;
        });
}

HRESULT CPelokeyCtrl::PropertyString(
    DISPID id, std::wstring& field, WORD flags, DISPPARAMS* params, VARIANT* result, UINT* argErr)
{
    return Property(
        flags, params, result,
        [&] {
            Variant value;
            const HRESULT hr = pelo::activex::GetPutValue(params, VT_BSTR, &value.v, argErr);
            if (FAILED(hr)) {
                return hr;
            }
            field = FromBstr(V_BSTR(&value.v));
            OnPropertyStored(id);
            return S_OK;
        },
        [&](VARIANT& out) {
            BSTR text = ::SysAllocStringLen(field.data(), static_cast<UINT>(field.size()));
            if (!text) {
                return E_OUTOFMEMORY;
            }
            V_VT(&out) = VT_BSTR;
            V_BSTR(&out) = text;
            return S_OK;
        });
}

HRESULT CPelokeyCtrl::PropertyKeyStyle(WORD flags, DISPPARAMS* params, VARIANT* result, UINT* argErr)
{
    return Property(
        flags, params, result,
        [&] {
            Variant value;
            const HRESULT hr = pelo::activex::GetPutValue(params, VT_I2, &value.v, argErr);
            if (FAILED(hr)) {
                return hr;
            }
            m_nKeyStyle = V_I2(&value.v);
            OnNKeyStyleChanged();
            NotifyPropertyChanged(pelokey::DISPID_nKeyStyle);
            return S_OK;
        },
        [&](VARIANT& out) {
            V_VT(&out) = VT_I2;
            V_I2(&out) = m_nKeyStyle;
            return S_OK;
        });
}

HRESULT CPelokeyCtrl::PropertyFont(WORD flags, DISPPARAMS* params, VARIANT* result, UINT* argErr)
{
    return Property(
        flags, params, result, [&] { return PutFont(params, argErr); },
        [&](VARIANT& out) {
            V_VT(&out) = VT_DISPATCH;
            V_DISPATCH(&out) = m_fontAll.GetFontDispatch();
            return S_OK;
        });
}

HRESULT CPelokeyCtrl::PutFont(DISPPARAMS* params, UINT* argErr)
{
    if (!params || params->cArgs != 1) {
        return DISP_E_BADPARAMCOUNT;
    }
    VARIANT* value = &params->rgvarg[0];
    if (V_VT(value) == (VT_VARIANT | VT_BYREF) && V_VARIANTREF(value)) {
        value = V_VARIANTREF(value);
    }
    IUnknown* source = nullptr;
    switch (V_VT(value)) {
    case VT_DISPATCH:
    case VT_UNKNOWN:
        source = V_UNKNOWN(value);
        break;
    case VT_EMPTY:
    case VT_NULL:
        break;
    default:
        if (argErr) {
            *argErr = 0;
        }
        return DISP_E_TYPEMISMATCH;
    }
    if (FAILED(m_fontAll.InitializeFont(DefaultFontDesc(), source))) {
        if (argErr) {
            *argErr = 0;
        }
        return DISP_E_TYPEMISMATCH;
    }
    InvalidateControl();
    OnPropertyStored(pelokey::DISPID_FontAll);
    return S_OK;
}

HRESULT CPelokeyCtrl::InvokeMember(DISPID id, WORD flags, DISPPARAMS* params, VARIANT* result, UINT* argErr)
{
    using namespace pelokey;
    switch (id) {
    case DISPID_bSendMsg:
        return PropertyBool(id, m_bSendMsg, flags, params, result, argErr);
    case DISPID_nKeyStyle:
        return PropertyKeyStyle(flags, params, result, argErr);
    case DISPID_strKeyChar:
        return PropertyString(id, m_strKeyChar, flags, params, result, argErr);
    case DISPID_strKeyString:
        return PropertyString(id, m_strKeyString, flags, params, result, argErr);
    case DISPID_bShift:
        return PropertyBool(id, m_bShift, flags, params, result, argErr);
    case DISPID_bInConfigDlg:
        return PropertyBool(id, m_bInConfigDlg, flags, params, result, argErr);
    case DISPID_FontAll:
        return PropertyFont(flags, params, result, argErr);
    default:
        break;
    }

    if (!(flags & DISPATCH_METHOD)) {
        return DISP_E_MEMBERNOTFOUND;
    }
    const UINT argCount
        = (id == DISPID_SetTChar1 || id == DISPID_SetTChar2 || id == DISPID_SetbShiftDown) ? 1 : 0;
    switch (id) {
    case DISPID_SetKeyDown:
    case DISPID_SetKeyUp:
    case DISPID_GetTChar1:
    case DISPID_GetTChar2:
    case DISPID_SetTChar1:
    case DISPID_SetTChar2:
    case DISPID_SetbShiftDown:
    case DISPID_ABOUTBOX: {
        const HRESULT hr = pelo::activex::ExpectArgCount(params, argCount);
        if (FAILED(hr)) {
            return hr;
        }
        break;
    }
    default:
        return DISP_E_MEMBERNOTFOUND;
    }

    switch (id) {
    case DISPID_SetKeyDown:
        m_press.Press(Kind());
        InvalidateControl();
        return S_OK;
    case DISPID_SetKeyUp:
        m_press.Release(Kind());
        InvalidateControl();
        return S_OK;
    case DISPID_GetTChar1:
    case DISPID_GetTChar2:
        if (result) {
            V_VT(result) = VT_I2;
            V_I2(result) = id == DISPID_GetTChar1 ? m_TChar1 : m_TChar2;
        }
        return S_OK;
    case DISPID_SetTChar1:
    case DISPID_SetTChar2: {
        Variant value;
        const HRESULT hr = pelo::activex::GetDispArg(params, 0, VT_I2, &value.v, argErr);
        if (FAILED(hr)) {
            return hr;
        }
        (id == DISPID_SetTChar1 ? m_TChar1 : m_TChar2) = V_I2(&value.v);
        InvalidateControl();
        return S_OK;
    }
    case DISPID_SetbShiftDown: {
        LONG value = 0;
        const HRESULT hr = pelo::activex::GetDispBool(params, 0, &value, argErr);
        if (FAILED(hr)) {
            return hr;
        }
        m_press.bKeyShiftDown = value;
        InvalidateControl();
        return S_OK;
    }
    default: // DISPID_ABOUTBOX
        ShowPelokeyAboutBox();
        return S_OK;
    }
}

// ---- drawing and mouse

void CPelokeyCtrl::OnDraw(HDC dc, const RECT& bounds)
{
    pelokey::drawing::KeyFaceState state;
    state.nKeyStyle = m_nKeyStyle;
    state.bKeyDown = m_press.bKeyDown;
    state.bKeyShiftDown = m_press.bKeyShiftDown;
    state.bInConfigDlg = m_bInConfigDlg;
    state.strKeyChar = m_strKeyChar;
    state.strKeyString = m_strKeyString;
    state.tchar1 = static_cast<wchar_t>(static_cast<unsigned short>(m_TChar1));
    state.tchar2 = static_cast<wchar_t>(static_cast<unsigned short>(m_TChar2));
    state.keyCharPos = POINT { m_nKeyCharX, m_nKeyCharY };
    state.tchar1Pos = POINT { m_nTChar1X, m_nTChar1Y };
    state.tchar2Pos = POINT { m_nTChar2X, m_nTChar2Y };
    state.crKeyChar = m_crKeyChar;
    state.crKeyString = m_crKeyString;
    const HFONT font = m_fontAll.GetFontHandle(::GetDeviceCaps(dc, LOGPIXELSY));
    const auto colours = pelokey::drawing::PaintKeyFace(dc, bounds, state, font, pelo::com::ModuleInstance());
    m_crTChar1 = colours.crTChar1;
    m_crTChar2 = colours.crTChar2;
}

void CPelokeyCtrl::OnLButtonDown(UINT keys, POINT pt)
{
    m_press.Press(Kind());
    InvalidateControl();
    if (pelokey::PressPostsKeyDown(m_bSendMsg, m_nKeyStyle)) {
        // Without a parent there is nobody to tell; posting to no window would land in the
        // thread's own queue.
        HWND parent = ::GetParent(ControlWindow());
        if (parent) {
            const WPARAM key = m_strKeyChar.empty() ? 0 : static_cast<unsigned short>(m_strKeyChar[0]);
            ::PostMessageW(parent, WM_KEYDOWN, key, 0);
        }
    }
    ControlBase::OnLButtonDown(keys, pt);
}

void CPelokeyCtrl::OnLButtonUp(UINT keys, POINT pt)
{
    m_press.Release(Kind());
    InvalidateControl();
    ControlBase::OnLButtonUp(keys, pt);
}

// ---- persistence

pelokey::stream::KeyProps CPelokeyCtrl::StoredProps() const
{
    stream::KeyProps props;
    props.extentX = Extent().cx;
    props.extentY = Extent().cy;
    props.bSendMsg = m_bSendMsg;
    props.bInConfigDlg = m_bInConfigDlg;
    props.bShift = m_bShift;
    props.nKeyStyle = m_nKeyStyle;
    props.strKeyChar = ToU16(m_strKeyChar);
    props.strKeyString = ToU16(m_strKeyString);
    return props;
}

void CPelokeyCtrl::SetStoredProps(const pelokey::stream::KeyProps& props)
{
    SetExtentValue(SIZEL { props.extentX, props.extentY });
    m_bSendMsg = props.bSendMsg;
    m_bInConfigDlg = props.bInConfigDlg;
    m_bShift = props.bShift;
    m_nKeyStyle = props.nKeyStyle;
    m_strKeyChar = ToWide(props.strKeyChar);
    m_strKeyString = ToWide(props.strKeyString);
}

HRESULT CPelokeyCtrl::LoadState(IStream* s)
{
    StreamReader reader(s);
    stream::KeyProps props = StoredProps();
    bool ok = stream::ReadKeyProps(reader, props, &DecodeCodePage);
    // What was read before a failure stays.
    SetStoredProps(props);

    stream::FontMarker marker = stream::FontMarker::Default;
    std::uint8_t clsid[16] = {};
    if (ok) {
        ok = stream::ReadFontHeader(reader, marker, clsid);
    }
    if (ok) {
        ok = SUCCEEDED(m_fontAll.InitializeFont(DefaultFontDesc()));
    }
    // Only the standard font object is created from stored bytes; another class identifier gives
    // the default font.
    if (ok && marker == stream::FontMarker::FontObject
        && std::equal(std::begin(clsid), std::end(clsid), std::begin(stream::StdFontClsidBytes))) {
        ok = LoadFontObject(s);
    }
    return ok ? S_OK : E_FAIL;
}

// A font the font object cannot create from its data (another version of it, say) leaves the
// default font and the load goes on; only data that ends early fails the load.
bool CPelokeyCtrl::LoadFontObject(IStream* s)
{
    ULARGE_INTEGER start {};
    if (FAILED(s->Seek(LARGE_INTEGER {}, STREAM_SEEK_CUR, &start))) {
        return false;
    }
    ComPtr<IFont> font;
    FONTDESC desc = DefaultFontDesc();
    HRESULT hr = ::OleCreateFontIndirect(&desc, IID_IFont, font.put_void());
    ComPtr<IPersistStream> persist;
    if (SUCCEEDED(hr)) {
        hr = font.As(persist);
    }
    if (SUCCEEDED(hr)) {
        hr = persist->Load(s);
    }
    if (SUCCEEDED(hr)) {
        return SUCCEEDED(m_fontAll.InitializeFont(DefaultFontDesc(), font.get()));
    }
    LARGE_INTEGER back {};
    back.QuadPart = static_cast<LONGLONG>(start.QuadPart);
    if (FAILED(s->Seek(back, STREAM_SEEK_SET, nullptr))) {
        return false;
    }
    StreamReader reader(s);
    return stream::SkipStdFontData(reader);
}

HRESULT CPelokeyCtrl::SaveState(IStream* s)
{
    StreamWriter writer(s);
    if (!stream::WriteKeyProps(writer, StoredProps())) {
        return STG_E_WRITEFAULT;
    }
    const bool isDefault = FontIsDefault();
    if (!stream::WriteFontHeader(
            writer, isDefault ? stream::FontMarker::Default : stream::FontMarker::FontObject)) {
        return STG_E_WRITEFAULT;
    }
    if (isDefault) {
        return S_OK;
    }
    ComPtr<IPersistStream> persist;
    HRESULT hr = m_fontAll.font()->QueryInterface(IID_IPersistStream, persist.put_void());
    if (SUCCEEDED(hr)) {
        hr = persist->Save(s, FALSE);
    }
    return hr;
}

HRESULT CPelokeyCtrl::LoadBagState(IPropertyBag* bag, IErrorLog* log)
{
    LONG value = 0;
    (void)BagInt(bag, L"_Version", log, value, false);
    SIZEL extent = Extent();
    if (BagInt(bag, L"_ExtentX", log, value, false)) {
        extent.cx = value;
    }
    if (BagInt(bag, L"_ExtentY", log, value, false)) {
        extent.cy = value;
    }
    SetExtentValue(extent);
    (void)BagInt(bag, L"_StockProps", log, value, false);
    (void)BagInt(bag, L"bSendMsg", log, m_bSendMsg, true);
    (void)BagInt(bag, L"bInConfigDlg", log, m_bInConfigDlg, true);
    (void)BagInt(bag, L"bShift", log, m_bShift, true);
    if (BagInt(bag, L"nKeyStyle", log, value, false)) {
        m_nKeyStyle = static_cast<short>(value);
    }
    for (auto [name, field] :
        { std::pair { L"strKeyChar", &m_strKeyChar }, std::pair { L"strKeyString", &m_strKeyString } }) {
        Variant v;
        if (SUCCEEDED(ReadBag(bag, name, VT_BSTR, log, v))
            && SUCCEEDED(::VariantChangeType(&v.v, &v.v, 0, VT_BSTR))) {
            *field = FromBstr(V_BSTR(&v.v));
        }
    }
    Variant font;
    IUnknown* source = nullptr;
    if (SUCCEEDED(ReadBag(bag, L"FontAll", VT_DISPATCH, log, font))
        && (V_VT(&font.v) == VT_DISPATCH || V_VT(&font.v) == VT_UNKNOWN)) {
        source = V_UNKNOWN(&font.v);
    }
    if (!source || FAILED(m_fontAll.InitializeFont(DefaultFontDesc(), source))) {
        (void)m_fontAll.InitializeFont(DefaultFontDesc());
    }
    return S_OK;
}

HRESULT CPelokeyCtrl::SaveBagState(IPropertyBag* bag)
{
    HRESULT hr = WriteBagI4(bag, L"_Version", static_cast<LONG>(stream::CurrentVersion));
    if (SUCCEEDED(hr)) {
        hr = WriteBagI4(bag, L"_ExtentX", Extent().cx);
    }
    if (SUCCEEDED(hr)) {
        hr = WriteBagI4(bag, L"_ExtentY", Extent().cy);
    }
    if (SUCCEEDED(hr)) {
        hr = WriteBagI4(bag, L"_StockProps", 0);
    }
    if (SUCCEEDED(hr)) {
        hr = WriteBagBool(bag, L"bSendMsg", m_bSendMsg);
    }
    if (SUCCEEDED(hr)) {
        hr = WriteBagBool(bag, L"bInConfigDlg", m_bInConfigDlg);
    }
    if (SUCCEEDED(hr)) {
        hr = WriteBagBool(bag, L"bShift", m_bShift);
    }
    if (SUCCEEDED(hr)) {
        Variant v;
        V_VT(&v.v) = VT_I2;
        V_I2(&v.v) = m_nKeyStyle;
        hr = bag->Write(L"nKeyStyle", &v.v);
    }
    if (SUCCEEDED(hr)) {
        hr = WriteBagString(bag, L"strKeyChar", m_strKeyChar);
    }
    if (SUCCEEDED(hr)) {
        hr = WriteBagString(bag, L"strKeyString", m_strKeyString);
    }
    if (SUCCEEDED(hr) && !FontIsDefault()) {
        Variant v;
        V_VT(&v.v) = VT_DISPATCH;
        V_DISPATCH(&v.v) = m_fontAll.GetFontDispatch();
        hr = V_DISPATCH(&v.v) ? bag->Write(L"FontAll", &v.v) : E_FAIL;
    }
    return hr;
}
