// The real Pelokey.ocx driven through COM: type library, dispatch, persistence, fonts, module.
#include "PeloVersion.h"
#include "TestSupport.h"

#include "PelokeyIds.h"
#include "PropertyStream.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

using pelo::ComPtr;
using namespace pelokey::test;

namespace {

// The system's standard automation library, stdole2.
constexpr GUID kLibidStdole
    = { 0x00020430, 0x0000, 0x0000, { 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46 } };

class PelokeyCom : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(SUCCEEDED(::OleInitialize(nullptr)));
        ASSERT_NE(ControlLibrary(), nullptr) << "Pelokey.ocx must sit beside the test program";
        control = CreateControl();
        ASSERT_TRUE(control);
        ASSERT_TRUE(SUCCEEDED(control.As(disp)));
        ASSERT_TRUE(SUCCEEDED(control.As(persist)));
    }
    void TearDown() override
    {
        persist.reset();
        disp.reset();
        control.reset();
        ::OleUninitialize();
    }

    std::wstring GetString(DISPID id)
    {
        Variant v;
        EXPECT_EQ(GetProperty(disp.get(), id, v), S_OK);
        return V_VT(&v.v) == VT_BSTR && V_BSTR(&v.v) ? V_BSTR(&v.v) : L"<not a string>";
    }
    long GetNumber(DISPID id)
    {
        Variant v;
        EXPECT_EQ(GetProperty(disp.get(), id, v), S_OK);
        EXPECT_TRUE(SUCCEEDED(::VariantChangeType(&v.v, &v.v, 0, VT_I4)));
        return V_I4(&v.v);
    }
    short CallShort(DISPID id)
    {
        Variant v;
        EXPECT_EQ(CallMethod(disp.get(), id, {}, &v), S_OK);
        EXPECT_EQ(V_VT(&v.v), VT_I2);
        return V_I2(&v.v);
    }
    ComPtr<IFont> Font()
    {
        Variant v;
        EXPECT_EQ(GetProperty(disp.get(), pelokey::DISPID_FontAll, v), S_OK);
        ComPtr<IFont> font;
        if (V_VT(&v.v) == VT_DISPATCH && V_DISPATCH(&v.v)) {
            (void)V_DISPATCH(&v.v)->QueryInterface(IID_IFont, font.put_void());
        }
        return font;
    }
    std::vector<std::uint8_t> Saved()
    {
        auto s = StreamOf({});
        EXPECT_EQ(persist->Save(s.get(), TRUE), S_OK);
        return BytesOf(s.get());
    }

    ComPtr<IUnknown> control;
    ComPtr<IDispatch> disp;
    ComPtr<IPersistStreamInit> persist;
};

void ExpectFont(IFont* font, const char* name, std::uint32_t size)
{
    ASSERT_NE(font, nullptr);
    const FontFacts facts = FontFactsOf(font);
    EXPECT_EQ(facts.face, name);
    EXPECT_EQ(facts.sizeCy, size);
}

} // namespace

TEST_F(PelokeyCom, TypeLibrary_NamesMapToFixedNumbers_ThroughGetIDsOfNames)
{
    const std::pair<const wchar_t*, DISPID> members[] = {
        { L"bSendMsg", 1 },
        { L"nKeyStyle", 2 },
        { L"strKeyChar", 3 },
        { L"strKeyString", 4 },
        { L"bShift", 5 },
        { L"bInConfigDlg", 6 },
        { L"FontAll", 7 },
        { L"SetKeyDown", 8 },
        { L"SetKeyUp", 9 },
        { L"GetTChar1", 10 },
        { L"GetTChar2", 11 },
        { L"SetTChar2", 12 },
        { L"SetTChar1", 13 },
        { L"SetbShiftDown", 14 },
        { L"AboutBox", DISPID_ABOUTBOX },
    };
    for (const auto& [name, id] : members) {
        LPOLESTR names[] = { const_cast<LPOLESTR>(name) };
        DISPID got = 0;
        EXPECT_EQ(disp->GetIDsOfNames(IID_NULL, names, 1, 0, &got), S_OK) << name;
        EXPECT_EQ(got, id) << name;
    }
    LPOLESTR withParam[] = { const_cast<LPOLESTR>(L"SetTChar1"), const_cast<LPOLESTR>(L"tchar") };
    DISPID ids[2] = { 0, -1 };
    EXPECT_EQ(disp->GetIDsOfNames(IID_NULL, withParam, 2, 0, ids), S_OK);
    EXPECT_EQ(ids[1], 0);
    LPOLESTR shiftParam[] = { const_cast<LPOLESTR>(L"SetbShiftDown"), const_cast<LPOLESTR>(L"bShiftDown") };
    ids[1] = -1;
    EXPECT_EQ(disp->GetIDsOfNames(IID_NULL, shiftParam, 2, 0, ids), S_OK);
    EXPECT_EQ(ids[1], 0);
    LPOLESTR unknown[] = { const_cast<LPOLESTR>(L"NoSuchMember") };
    EXPECT_EQ(disp->GetIDsOfNames(IID_NULL, unknown, 1, 0, ids), DISP_E_UNKNOWNNAME);

    // Scripts call by the name they got.
    LPOLESTR setChar[] = { const_cast<LPOLESTR>(L"strKeyChar") };
    DISPID id = 0;
    ASSERT_EQ(disp->GetIDsOfNames(IID_NULL, setChar, 1, 0, &id), S_OK);
    EXPECT_EQ(PutProperty(disp.get(), id, Variant::Bstr(L"K")), S_OK);
    EXPECT_EQ(GetString(pelokey::DISPID_strKeyChar), L"K");
}

TEST_F(PelokeyCom, TypeLibrary_DescribesInterfacesClassAndLibrary)
{
    ComPtr<ITypeInfo> info;
    ASSERT_EQ(disp->GetTypeInfo(0, 0, info.put()), S_OK);
    TYPEATTR* attr = nullptr;
    ASSERT_EQ(info->GetTypeAttr(&attr), S_OK);
    EXPECT_EQ(attr->typekind, TKIND_DISPATCH);
    EXPECT_TRUE(IsEqualGUID(attr->guid, pelokey::DIID__DPelokey));
    EXPECT_EQ(attr->cVars, 7);
    const WORD varCount = attr->cVars;
    info->ReleaseTypeAttr(attr);
    // FontAll is a pointer to the system's own IFontDisp, referred to in stdole2, not a copy.
    const VARTYPE expected[] = { VT_BOOL, VT_I2, VT_BSTR, VT_BSTR, VT_BOOL, VT_BOOL, VT_PTR };
    for (WORD i = 0; i < varCount && i < 7; ++i) {
        VARDESC* var = nullptr;
        ASSERT_EQ(info->GetVarDesc(i, &var), S_OK);
        EXPECT_EQ(var->memid, static_cast<MEMBERID>(i + 1));
        EXPECT_EQ(var->elemdescVar.tdesc.vt, expected[i]) << "property " << (i + 1);
        if (var->elemdescVar.tdesc.vt == VT_PTR) {
            const TYPEDESC* pointee = var->elemdescVar.tdesc.lptdesc;
            ASSERT_EQ(pointee->vt, VT_USERDEFINED);
            ComPtr<ITypeInfo> font;
            ASSERT_EQ(info->GetRefTypeInfo(pointee->hreftype, font.put()), S_OK);
            TYPEATTR* fontAttr = nullptr;
            ASSERT_EQ(font->GetTypeAttr(&fontAttr), S_OK);
            EXPECT_TRUE(IsEqualGUID(fontAttr->guid, IID_IFontDisp));
            font->ReleaseTypeAttr(fontAttr);
            ComPtr<ITypeLib> fontLib;
            UINT fontIndex = 0;
            ASSERT_EQ(font->GetContainingTypeLib(fontLib.put(), &fontIndex), S_OK);
            TLIBATTR* fontLibAttr = nullptr;
            ASSERT_EQ(fontLib->GetLibAttr(&fontLibAttr), S_OK);
            EXPECT_TRUE(IsEqualGUID(fontLibAttr->guid, kLibidStdole));
            fontLib->ReleaseTLibAttr(fontLibAttr);
        }
        info->ReleaseVarDesc(var);
    }
    BSTR doc = nullptr;
    ASSERT_EQ(info->GetDocumentation(MEMBERID_NIL, nullptr, &doc, nullptr, nullptr), S_OK);
    EXPECT_STREQ(doc, L"Dispatch interface for Pelokey Control");
    ::SysFreeString(doc);

    ComPtr<ITypeLib> lib;
    UINT index = 0;
    ASSERT_EQ(info->GetContainingTypeLib(lib.put(), &index), S_OK);
    TLIBATTR* libAttr = nullptr;
    ASSERT_EQ(lib->GetLibAttr(&libAttr), S_OK);
    EXPECT_TRUE(IsEqualGUID(libAttr->guid, pelokey::LIBID_PELOKEYLib));
    EXPECT_EQ(libAttr->wMajorVerNum, 1);
    EXPECT_EQ(libAttr->wMinorVerNum, 0);
    EXPECT_EQ(libAttr->lcid, 1033u);
    lib->ReleaseTLibAttr(libAttr);
    BSTR name = nullptr, help = nullptr, file = nullptr;
    ASSERT_EQ(lib->GetDocumentation(-1, &name, &help, nullptr, &file), S_OK);
    EXPECT_STREQ(name, L"PELOKEYLib");
    EXPECT_STREQ(help, L"Pelokey ActiveX Control module");
    EXPECT_STREQ(file, L"Pelokey.hlp");
    ::SysFreeString(name);
    ::SysFreeString(help);
    ::SysFreeString(file);

    auto classInfo = control.As<IProvideClassInfo2>();
    ASSERT_TRUE(classInfo);
    GUID source {};
    EXPECT_EQ(classInfo->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &source), S_OK);
    EXPECT_TRUE(IsEqualGUID(source, pelokey::DIID__DPelokeyEvents));
    ComPtr<ITypeInfo> coclass;
    ASSERT_EQ(classInfo->GetClassInfo(coclass.put()), S_OK);
    ASSERT_EQ(coclass->GetTypeAttr(&attr), S_OK);
    EXPECT_EQ(attr->typekind, TKIND_COCLASS);
    EXPECT_TRUE(IsEqualGUID(attr->guid, pelokey::CLSID_Pelokey));
    EXPECT_EQ(attr->cImplTypes, 2);
    coclass->ReleaseTypeAttr(attr);
    int flags = 0;
    ASSERT_EQ(coclass->GetImplTypeFlags(1, &flags), S_OK);
    EXPECT_EQ(flags, IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE);
}

namespace {
// A method as the type library declares it: its result and parameter types.
struct MethodTypes {
    VARTYPE result = VT_EMPTY;
    std::vector<VARTYPE> params;
    bool operator==(const MethodTypes& o) const { return result == o.result && params == o.params; }
};

std::map<MEMBERID, MethodTypes> MethodsOf(ITypeInfo* info)
{
    std::map<MEMBERID, MethodTypes> methods;
    TYPEATTR* attr = nullptr;
    if (FAILED(info->GetTypeAttr(&attr))) {
        return methods;
    }
    const WORD count = attr->cFuncs;
    info->ReleaseTypeAttr(attr);
    for (WORD i = 0; i < count; ++i) {
        FUNCDESC* func = nullptr;
        if (FAILED(info->GetFuncDesc(i, &func))) {
            continue;
        }
        MethodTypes& m = methods[func->memid];
        m.result = func->invkind == INVOKE_FUNC ? func->elemdescFunc.tdesc.vt : VARTYPE { VT_ILLEGAL };
        for (SHORT p = 0; p < func->cParams; ++p) {
            m.params.push_back(func->lprgelemdescParam[p].tdesc.vt);
        }
        info->ReleaseFuncDesc(func);
    }
    return methods;
}
} // namespace

TEST_F(PelokeyCom, TypeLibrary_MethodTypesAndTheClickEventNumber)
{
    ComPtr<ITypeInfo> info;
    ASSERT_EQ(disp->GetTypeInfo(0, 0, info.put()), S_OK);
    const std::map<MEMBERID, MethodTypes> expected = {
        { 8, { VT_VOID, {} } },
        { 9, { VT_VOID, {} } },
        { 10, { VT_I2, {} } },
        { 11, { VT_I2, {} } },
        { 12, { VT_VOID, { VT_I2 } } },
        { 13, { VT_VOID, { VT_I2 } } },
        { 14, { VT_VOID, { VT_BOOL } } },
        { DISPID_ABOUTBOX, { VT_VOID, {} } },
    };
    const auto methods = MethodsOf(info.get());
    EXPECT_EQ(methods.size(), expected.size());
    for (const auto& [id, types] : expected) {
        const auto found = methods.find(id);
        ASSERT_NE(found, methods.end()) << "method " << id;
        EXPECT_EQ(found->second.result, types.result) << "result of method " << id;
        EXPECT_EQ(found->second.params, types.params) << "parameters of method " << id;
    }

    // Script hosts bind the event by the number its interface gives it.
    ComPtr<ITypeLib> lib;
    UINT index = 0;
    ASSERT_EQ(info->GetContainingTypeLib(lib.put(), &index), S_OK);
    ComPtr<ITypeInfo> events;
    ASSERT_EQ(lib->GetTypeInfoOfGuid(pelokey::DIID__DPelokeyEvents, events.put()), S_OK);
    const auto fired = MethodsOf(events.get());
    ASSERT_EQ(fired.size(), 1u);
    EXPECT_EQ(fired.begin()->first, DISPID_CLICK);
    EXPECT_EQ(fired.begin()->second, (MethodTypes { VT_VOID, {} }));
    BSTR name = nullptr;
    ASSERT_EQ(events->GetDocumentation(DISPID_CLICK, &name, nullptr, nullptr, nullptr), S_OK);
    EXPECT_STREQ(name, L"Click");
    ::SysFreeString(name);
}

TEST_F(PelokeyCom, Identity_MiscStatusUserTypeAndPages)
{
    auto ole = control.As<IOleObject>();
    ASSERT_TRUE(ole);
    DWORD misc = 0;
    EXPECT_EQ(ole->GetMiscStatus(DVASPECT_CONTENT, &misc), S_OK);
    EXPECT_EQ(misc, 0x20191u);
    LPOLESTR type = nullptr;
    ASSERT_EQ(ole->GetUserType(USERCLASSTYPE_FULL, &type), S_OK);
    EXPECT_STREQ(type, L"Pelokey Control");
    ::CoTaskMemFree(type);
    CLSID clsid {};
    EXPECT_EQ(persist->GetClassID(&clsid), S_OK);
    EXPECT_TRUE(IsEqualCLSID(clsid, pelokey::CLSID_Pelokey));

    auto pages = control.As<ISpecifyPropertyPages>();
    ASSERT_TRUE(pages);
    CAUUID list {};
    ASSERT_EQ(pages->GetPages(&list), S_OK);
    ASSERT_EQ(list.cElems, 2u);
    EXPECT_TRUE(IsEqualGUID(list.pElems[0], pelokey::CLSID_PelokeyPropPage));
    EXPECT_TRUE(IsEqualGUID(list.pElems[1], CLSID_CFontPropPage));
    ::CoTaskMemFree(list.pElems);

    for (const IID* iid :
        { &IID_IPersistStream, &IID_IPersistPropertyBag, &IID_IOleInPlaceObject, &IID_IOleInPlaceActiveObject,
            &IID_IOleControl, &IID_IViewObject2, &IID_IConnectionPointContainer, &pelokey::DIID__DPelokey }) {
        ComPtr<IUnknown> other;
        EXPECT_EQ(control->QueryInterface(*iid, other.put_void()), S_OK);
    }
}

TEST_F(PelokeyCom, Methods_CharactersCrossUnchanged_AndNeverMarkModified)
{
    ASSERT_EQ(persist->InitNew(), S_OK);
    EXPECT_EQ(CallShort(pelokey::DISPID_GetTChar1), 0x571C);
    EXPECT_EQ(CallShort(pelokey::DISPID_GetTChar2), 0x571C);

    EXPECT_EQ(
        CallMethod(disp.get(), pelokey::DISPID_SetTChar1, { Variant::I2(static_cast<short>(0x8001)) }), S_OK);
    EXPECT_EQ(
        CallMethod(disp.get(), pelokey::DISPID_SetTChar2, { Variant::I2(static_cast<short>(0xFFFF)) }), S_OK);
    EXPECT_EQ(static_cast<unsigned short>(CallShort(pelokey::DISPID_GetTChar1)), 0x8001);
    EXPECT_EQ(static_cast<unsigned short>(CallShort(pelokey::DISPID_GetTChar2)), 0xFFFF);
    EXPECT_EQ(CallMethod(disp.get(), pelokey::DISPID_SetKeyDown), S_OK);
    EXPECT_EQ(CallMethod(disp.get(), pelokey::DISPID_SetKeyUp), S_OK);
    EXPECT_EQ(CallMethod(disp.get(), pelokey::DISPID_SetbShiftDown, { Variant::Bool(true) }), S_OK);
    EXPECT_EQ(persist->IsDirty(), S_FALSE);

    EXPECT_EQ(CallMethod(disp.get(), pelokey::DISPID_SetTChar1), DISP_E_BADPARAMCOUNT);
    EXPECT_EQ(CallMethod(disp.get(), pelokey::DISPID_SetKeyDown, { Variant::I2(1) }), DISP_E_BADPARAMCOUNT);
    EXPECT_EQ(CallMethod(disp.get(), 99), DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(CallMethod(disp.get(), pelokey::DISPID_SetTChar1, { Variant::Bstr(L"not a number") }),
        DISP_E_TYPEMISMATCH);
    EXPECT_EQ(static_cast<unsigned short>(CallShort(pelokey::DISPID_GetTChar1)), 0x8001);
}

TEST_F(PelokeyCom, Properties_SetStoresAndMarksModified_SaveClearsIt)
{
    ASSERT_EQ(persist->InitNew(), S_OK);
    EXPECT_EQ(GetString(pelokey::DISPID_strKeyChar), L"Q");
    EXPECT_EQ(GetString(pelokey::DISPID_strKeyString), L"Enter");
    EXPECT_EQ(GetNumber(pelokey::DISPID_bSendMsg), -1) << "VT_BOOL true";
    EXPECT_EQ(GetNumber(pelokey::DISPID_nKeyStyle), 1);
    EXPECT_EQ(persist->IsDirty(), S_FALSE);

    EXPECT_EQ(PutProperty(disp.get(), pelokey::DISPID_strKeyString, Variant::Bstr(L"Shift")), S_OK);
    EXPECT_EQ(persist->IsDirty(), S_OK);
    EXPECT_EQ(GetString(pelokey::DISPID_strKeyString), L"Shift");
    (void)Saved();
    EXPECT_EQ(persist->IsDirty(), S_FALSE);

    for (DISPID id : { pelokey::DISPID_bSendMsg, pelokey::DISPID_bShift, pelokey::DISPID_bInConfigDlg }) {
        EXPECT_EQ(PutProperty(disp.get(), id, Variant::Bool(id != pelokey::DISPID_bSendMsg)), S_OK);
        EXPECT_EQ(persist->IsDirty(), S_OK);
        (void)Saved();
    }
    EXPECT_EQ(GetNumber(pelokey::DISPID_bSendMsg), 0);
    EXPECT_EQ(GetNumber(pelokey::DISPID_bShift), -1);
    EXPECT_EQ(GetNumber(pelokey::DISPID_bInConfigDlg), -1);
    // Written as the stream's bytes: bSendMsg 0, bInConfigDlg 1, bShift 1.
    const auto bytes = Saved();
    ASSERT_GE(bytes.size(), 21u);
    EXPECT_EQ(bytes[16], 0);
    EXPECT_EQ(bytes[17], 1);
    EXPECT_EQ(bytes[18], 1);
}

TEST_F(PelokeyCom, BoolProperties_AnyNonzeroPut_IsStoredTrue_AndReloadsTrue)
{
    const DISPID bools[] = { pelokey::DISPID_bSendMsg, pelokey::DISPID_bInConfigDlg, pelokey::DISPID_bShift };
    for (const LONG value : { 2, 256 }) {
        ASSERT_EQ(persist->InitNew(), S_OK);
        for (DISPID id : bools) {
            ASSERT_EQ(PutProperty(disp.get(), id, Variant::I4(value)), S_OK);
        }
        const auto bytes = Saved();
        ASSERT_GE(bytes.size(), 19u);
        EXPECT_EQ(bytes[16], 1) << value;
        EXPECT_EQ(bytes[17], 1) << value;
        EXPECT_EQ(bytes[18], 1) << value;
        auto copy = CreateControl();
        ASSERT_EQ(copy.As<IPersistStreamInit>()->Load(StreamOf(bytes).get()), S_OK);
        ComPtr<IDispatch> original = disp;
        disp = copy.As<IDispatch>();
        for (DISPID id : bools) {
            EXPECT_EQ(GetNumber(id), -1) << "property " << id << " put as " << value;
        }
        disp = original;
    }
    ASSERT_EQ(PutProperty(disp.get(), pelokey::DISPID_bSendMsg, Variant::I4(0)), S_OK);
    EXPECT_EQ(GetNumber(pelokey::DISPID_bSendMsg), 0);
}

TEST_F(PelokeyCom, KeyStyle_EachValueShowsItsMessage_OutOfRangeFallsBackToOne)
{
    ASSERT_EQ(persist->InitNew(), S_OK);
    MessageBoxCatcher catcher;
    EXPECT_EQ(PutProperty(disp.get(), pelokey::DISPID_nKeyStyle, Variant::I2(3)), S_OK);
    ASSERT_EQ(catcher.boxes.size(), 1u);
    EXPECT_EQ(catcher.boxes[0].text, L"CPAxButtonCtrl::OnNKeyStyleChanged()请输入1或2");
    EXPECT_EQ(catcher.boxes[0].caption, L"Pelokey");
    EXPECT_EQ(GetNumber(pelokey::DISPID_nKeyStyle), 1);
    EXPECT_EQ(persist->IsDirty(), S_FALSE);

    EXPECT_EQ(PutProperty(disp.get(), pelokey::DISPID_nKeyStyle, Variant::I2(2)), S_OK);
    ASSERT_EQ(catcher.boxes.size(), 2u);
    EXPECT_EQ(catcher.boxes[1].text, L"按钮风格改变为：KEYSTYLE_STRING");
    EXPECT_EQ(GetNumber(pelokey::DISPID_nKeyStyle), 2);
    EXPECT_EQ(persist->IsDirty(), S_OK);
    (void)Saved();

    EXPECT_EQ(PutProperty(disp.get(), pelokey::DISPID_nKeyStyle, Variant::I2(1)), S_OK);
    ASSERT_EQ(catcher.boxes.size(), 3u);
    EXPECT_EQ(catcher.boxes[2].text, L"按钮风格改变为：KEYSTYLE_CHAR");
    EXPECT_EQ(persist->IsDirty(), S_OK);
}

TEST_F(PelokeyCom, Stream_TemplateKeys_LoadAndSaveByteForByte)
{
    struct Template {
        const wchar_t *keyChar, *keyString;
        int inConfig, shift;
        short style;
        int extentX;
    };
    const Template templates[] = {
        { L"A", L"Enter", 0, 0, 1, 873 },
        { L"Q", L"Shift", 0, 1, 2, 2619 },
        { L"7", L"Enter", 1, 0, 1, 873 },
    };
    for (const auto& t : templates) {
        const auto bytes = TemplateKeyStream(t.keyChar, t.keyString, t.inConfig, t.shift, t.style, t.extentX);
        ASSERT_EQ(bytes.size(), 82u);
        auto fresh = CreateControl();
        auto p = fresh.As<IPersistStreamInit>();
        auto d = fresh.As<IDispatch>();
        ASSERT_EQ(p->Load(StreamOf(bytes).get()), S_OK);
        EXPECT_EQ(p->IsDirty(), S_FALSE);
        disp = d;
        EXPECT_EQ(GetString(pelokey::DISPID_strKeyChar), t.keyChar);
        EXPECT_EQ(GetString(pelokey::DISPID_strKeyString), t.keyString);
        EXPECT_EQ(GetNumber(pelokey::DISPID_nKeyStyle), t.style);
        EXPECT_EQ(GetNumber(pelokey::DISPID_bShift), t.shift ? -1 : 0);
        EXPECT_EQ(GetNumber(pelokey::DISPID_bInConfigDlg), t.inConfig ? -1 : 0);
        EXPECT_EQ(CallShort(pelokey::DISPID_GetTChar1), 0x571C);
        ExpectFont(Font().get(), "MS Sans Serif", 82500);
        SIZEL extent {};
        EXPECT_EQ(fresh.As<IOleObject>()->GetExtent(DVASPECT_CONTENT, &extent), S_OK);
        EXPECT_EQ(extent.cx, t.extentX);
        EXPECT_EQ(extent.cy, 873);

        auto out = StreamOf({});
        ASSERT_EQ(p->Save(out.get(), TRUE), S_OK);
        EXPECT_EQ(BytesOf(out.get()), bytes);
        ULARGE_INTEGER size {};
        EXPECT_EQ(p->GetSizeMax(&size), S_OK);
        EXPECT_EQ(size.QuadPart, 82u);
        // The same through IPersistStream.
        auto asStream = fresh.As<IPersistStream>();
        ASSERT_TRUE(asStream);
        auto again = StreamOf({});
        ASSERT_EQ(asStream->Save(again.get(), FALSE), S_OK);
        EXPECT_EQ(BytesOf(again.get()), bytes);
    }
}

TEST_F(PelokeyCom, Memory_TemplateKeys_LoadAndSaveByteForByte_TruncatedFails)
{
    for (const bool shiftKey : { false, true }) {
        auto bytes = shiftKey ? TemplateKeyStream(L"Q", L"Shift", 0, 1, 2, 2619)
                              : TemplateKeyStream(L"A", L"Enter", 1, 0, 1);
        auto fresh = CreateControl();
        auto memory = fresh.As<IPersistMemory>();
        ASSERT_TRUE(memory);
        disp = fresh.As<IDispatch>();
        ASSERT_EQ(memory->Load(bytes.data(), static_cast<ULONG>(bytes.size())), S_OK);
        EXPECT_EQ(memory->IsDirty(), S_FALSE);
        EXPECT_EQ(GetString(pelokey::DISPID_strKeyString), shiftKey ? L"Shift" : L"Enter");
        EXPECT_EQ(GetNumber(pelokey::DISPID_nKeyStyle), shiftKey ? 2 : 1);
        EXPECT_EQ(GetNumber(pelokey::DISPID_bInConfigDlg), shiftKey ? 0 : -1);
        ExpectFont(Font().get(), "MS Sans Serif", 82500);

        ULONG max = 0;
        EXPECT_EQ(memory->GetSizeMax(&max), S_OK);
        EXPECT_EQ(max, 82u);
        std::vector<std::uint8_t> block(100, 0xCC);
        EXPECT_EQ(memory->Save(block.data(), FALSE, 81), STG_E_MEDIUMFULL);
        EXPECT_EQ(block, std::vector<std::uint8_t>(100, 0xCC)) << "nothing written into a short block";
        ASSERT_EQ(memory->Save(block.data(), TRUE, 100), S_OK);
        EXPECT_EQ(std::vector<std::uint8_t>(block.begin(), block.begin() + 82), bytes);
        EXPECT_EQ(block[82], 0xCC);

        // Ending early fails and resets, as through a stream.
        ASSERT_EQ(PutProperty(disp.get(), pelokey::DISPID_strKeyChar, Variant::Bstr(L"Z")), S_OK);
        EXPECT_EQ(memory->Load(bytes.data(), 70), E_FAIL);
        ExpectFont(Font().get(), "MS Sans Serif", 80000);
        EXPECT_EQ(GetString(pelokey::DISPID_strKeyChar), shiftKey ? L"Q" : L"A") << "read before the end";
        EXPECT_EQ(memory->Load(nullptr, 10), E_POINTER);
    }
}

TEST_F(PelokeyCom, Stream_FreshControl_WritesHeaderAndDefaultFontMarker)
{
    ASSERT_EQ(persist->InitNew(), S_OK);
    ASSERT_EQ(PutProperty(disp.get(), pelokey::DISPID_strKeyChar, Variant::Bstr(L"1")), S_OK);
    const auto bytes = Saved();
    const std::vector<std::uint8_t> head = {
        0x00, 0x00, 0x01, 0x00, // version 1.0
        0x69, 0x03, 0x00, 0x00, // _ExtentX 873
        0x69, 0x03, 0x00, 0x00, // _ExtentY 873
        0x00, 0x00, 0x00, 0x00, // _StockProps
        0x01, 0x00, 0x00, // bSendMsg, bInConfigDlg, bShift
        0x01, 0x00, // nKeyStyle
        0xFF, 0xFE, 0xFF, 0x01, 0x31, 0x00, // "1"
    };
    ASSERT_GE(bytes.size(), head.size());
    EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + static_cast<long>(head.size())), head);
    // "Enter" and then the marker of the default font with nothing after it.
    ASSERT_EQ(bytes.size(), head.size() + 3 + 1 + 10 + 1);
    EXPECT_EQ(bytes.back(), 0xFF);
}

TEST_F(PelokeyCom, Stream_EndingEarlyAnywhere_FailsResetsAndKeepsWhatWasRead)
{
    const auto full = TemplateKeyStream(L"A", L"Shift", 0, 1, 2);
    for (std::size_t n = 0; n < full.size(); ++n) {
        auto fresh = CreateControl();
        auto p = fresh.As<IPersistStreamInit>();
        disp = fresh.As<IDispatch>();
        ASSERT_EQ(PutProperty(disp.get(), pelokey::DISPID_bSendMsg, Variant::Bool(false)), S_OK);
        // A non-default font, to see the reset put the default back.
        ComPtr<IFont> font = Font();
        ASSERT_TRUE(font);
        CY big {};
        big.int64 = 200000;
        ASSERT_EQ(font->put_Size(big), S_OK);
        std::vector<std::uint8_t> part(full.begin(), full.begin() + static_cast<long>(n));
        EXPECT_EQ(p->Load(StreamOf(part).get()), E_FAIL) << "truncated at " << n;
        ExpectFont(Font().get(), "MS Sans Serif", 80000);
        EXPECT_EQ(GetNumber(pelokey::DISPID_bSendMsg), n > 16 ? -1 : 0) << "truncated at " << n;
        EXPECT_EQ(GetNumber(pelokey::DISPID_nKeyStyle), n >= 21 ? 2 : 1) << "truncated at " << n;
        EXPECT_EQ(GetString(pelokey::DISPID_strKeyChar), n >= 27 ? L"A" : L"Q") << "truncated at " << n;
        EXPECT_FALSE(Saved().empty());
    }
}

TEST_F(PelokeyCom, Stream_StringLongerThanTheStream_FailsWithoutCrash)
{
    const auto bytes = TemplateKeyStream(L"A", L"Enter", 0, 0, 1);
    for (const std::vector<std::uint8_t>& length : {
             std::vector<std::uint8_t> {
                 0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF }, // 32-bit, 4 G units
             std::vector<std::uint8_t> { 0xFF, 0xFE, 0xFF, 0xFF, 0xFD, 0xFF }, // 16-bit, 65533 units
             std::vector<std::uint8_t> {
                 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F }, // 8-bit text, 32-bit length
         }) {
        std::vector<std::uint8_t> huge;
        huge.reserve(64);
        for (std::size_t i = 0; i < 21; ++i) {
            huge.push_back(bytes[i]);
        }
        for (std::uint8_t b : length) {
            huge.push_back(b);
        }
        for (std::uint8_t b : { 0x41, 0x00, 0x42, 0x00 }) {
            huge.push_back(b);
        }
        EXPECT_EQ(persist->Load(StreamOf(huge).get()), E_FAIL);
        EXPECT_EQ(GetNumber(pelokey::DISPID_nKeyStyle), 1);
        EXPECT_FALSE(Saved().empty());
    }
}

TEST_F(PelokeyCom, Stream_LegacyTextDefaultMarkerAndForeignFontClass_Load)
{
    auto bytes = TemplateKeyStream(L"A", L"Enter", 0, 0, 1);
    // strKeyChar as 8-bit text: length 1, 'B' (instead of FF FE FF 01 41 00).
    const std::vector<std::uint8_t> wide = { 0xFF, 0xFE, 0xFF, 0x01, 0x41, 0x00 };
    ASSERT_TRUE(std::equal(wide.begin(), wide.end(), bytes.begin() + 21));
    std::vector<std::uint8_t> legacy(bytes.begin(), bytes.begin() + 21);
    legacy.push_back(0x01);
    legacy.push_back(0x42);
    legacy.insert(legacy.end(), bytes.begin() + 27, bytes.end());
    ASSERT_EQ(persist->Load(StreamOf(legacy).get()), S_OK);
    EXPECT_EQ(GetString(pelokey::DISPID_strKeyChar), L"B");
    EXPECT_EQ(GetString(pelokey::DISPID_strKeyString), L"Enter");
    ExpectFont(Font().get(), "MS Sans Serif", 82500);

    // Marker 0xFF and nothing after it: the default description.
    std::vector<std::uint8_t> noFont(bytes.begin(), bytes.begin() + 41);
    noFont.push_back(0xFF);
    ASSERT_EQ(persist->Load(StreamOf(noFont).get()), S_OK);
    ExpectFont(Font().get(), "MS Sans Serif", 80000);

    // A class other than the standard font is not created from stored bytes.
    std::vector<std::uint8_t> foreign = bytes;
    ASSERT_EQ(foreign[41], 0x00);
    foreign[42] ^= 0x55;
    ASSERT_EQ(persist->Load(StreamOf(foreign).get()), S_OK);
    ExpectFont(Font().get(), "MS Sans Serif", 80000);
    EXPECT_EQ(GetString(pelokey::DISPID_strKeyChar), L"A");
}

TEST_F(PelokeyCom, Stream_FontDataTheFontObjectRefuses_DefaultFontAndLoaded_CutShortFails)
{
    // The font data starts after the marker (41) and the class identifier; its first byte is its
    // version, which the standard font object accepts only as 1.
    auto bytes = TemplateKeyStream(L"A", L"Enter", 0, 0, 1);
    bytes[58] = 2;
    bytes.push_back(0x5A); // whatever the container keeps after the key
    auto stream = StreamOf(bytes);
    ASSERT_EQ(PutProperty(disp.get(), pelokey::DISPID_bSendMsg, Variant::Bool(false)), S_OK);
    EXPECT_EQ(persist->Load(stream.get()), S_OK);
    ExpectFont(Font().get(), "MS Sans Serif", 80000);
    EXPECT_EQ(GetString(pelokey::DISPID_strKeyChar), L"A");
    EXPECT_EQ(GetNumber(pelokey::DISPID_bSendMsg), -1) << "loaded, not reset";
    ULARGE_INTEGER at {};
    ASSERT_EQ(stream->Seek(LARGE_INTEGER {}, STREAM_SEEK_CUR, &at), S_OK);
    EXPECT_EQ(at.QuadPart, 82u) << "the stream stands right after the key's font data";

    // The same data ending inside the face name: the load fails.
    bytes.resize(80);
    EXPECT_EQ(persist->Load(StreamOf(bytes).get()), E_FAIL);
    auto memory = control.As<IPersistMemory>();
    EXPECT_EQ(memory->Load(bytes.data(), static_cast<ULONG>(bytes.size())), E_FAIL);
}

TEST_F(PelokeyCom, FontAll_ChangesRedrawMarkModifiedAndPersist)
{
    ASSERT_EQ(persist->InitNew(), S_OK);
    ComPtr<IFont> font = Font();
    ExpectFont(font.get(), "MS Sans Serif", 80000);
    ASSERT_EQ(font->put_Bold(TRUE), S_OK); // edited in place, as the font page does
    EXPECT_EQ(persist->IsDirty(), S_OK);
    const auto bytes = Saved();
    ASSERT_GT(bytes.size(), 42u);
    const std::size_t marker = 41;
    EXPECT_EQ(bytes[marker], 0x00);
    EXPECT_TRUE(std::equal(std::begin(pelokey::stream::StdFontClsidBytes),
        std::end(pelokey::stream::StdFontClsidBytes), bytes.begin() + marker + 1));
    auto copy = CreateControl();
    ASSERT_EQ(copy.As<IPersistStreamInit>()->Load(StreamOf(bytes).get()), S_OK);
    disp = copy.As<IDispatch>();
    ComPtr<IFont> loaded = Font();
    ASSERT_TRUE(loaded);
    EXPECT_EQ(FontFactsOf(loaded.get()).weight, 700);
    disp = control.As<IDispatch>();

    // Put takes a copy of the given font; a null font gives the default description.
    FONTDESC desc { sizeof(FONTDESC), const_cast<LPOLESTR>(L"Arial"), {}, 700, 0, FALSE, FALSE, FALSE };
    desc.cySize.int64 = 120000;
    ComPtr<IFontDisp> given;
    ASSERT_EQ(::OleCreateFontIndirect(&desc, IID_IFontDisp, given.put_void()), S_OK);
    (void)Saved();
    VARIANT v;
    V_VT(&v) = VT_DISPATCH;
    V_DISPATCH(&v) = given.get(); // lent: the put takes its own copy
    EXPECT_EQ(PutProperty(disp.get(), pelokey::DISPID_FontAll, v), S_OK);
    EXPECT_EQ(persist->IsDirty(), S_OK);
    ExpectFont(Font().get(), "Arial", 120000);
    CY other {};
    other.int64 = 90000;
    ASSERT_EQ(given.As<IFont>()->put_Size(other), S_OK);
    ExpectFont(Font().get(), "Arial", 120000);
    V_VT(&v) = VT_DISPATCH;
    V_DISPATCH(&v) = nullptr;
    EXPECT_EQ(PutProperty(disp.get(), pelokey::DISPID_FontAll, v), S_OK);
    ExpectFont(Font().get(), "MS Sans Serif", 80000);
    V_VT(&v) = VT_I4;
    V_I4(&v) = 5;
    EXPECT_EQ(PutProperty(disp.get(), pelokey::DISPID_FontAll, v), DISP_E_TYPEMISMATCH);
}

namespace {
// A property bag that keeps what is written and records the order of the names.
#pragma GCC diagnostic push
// COM objects are released through their interfaces, never deleted through them.
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
class FakeBag final : public IPropertyBag {
public:
    std::vector<std::wstring> writes;
    std::map<std::wstring, VARIANT> values;
    ~FakeBag()
    {
        for (auto& [name, v] : values) {
            ::VariantClear(&v);
        }
    }
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override
    {
        return pelo::com::QueryFromTable({ { IID_IUnknown, this }, { IID_IPropertyBag, this } }, riid, ppv);
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP Read(LPCOLESTR name, VARIANT* v, IErrorLog*) override
    {
        auto it = values.find(name);
        if (it == values.end()) {
            return E_INVALIDARG;
        }
        ::VariantInit(v);
        return ::VariantCopy(v, &it->second);
    }
    STDMETHODIMP Write(LPCOLESTR name, VARIANT* v) override
    {
        writes.emplace_back(name);
        VARIANT copy;
        ::VariantInit(&copy);
        ::VariantCopy(&copy, v);
        auto [it, inserted] = values.try_emplace(name, copy);
        if (!inserted) {
            ::VariantClear(&it->second);
            it->second = copy;
        }
        return S_OK;
    }
};
#pragma GCC diagnostic pop
} // namespace

TEST_F(PelokeyCom, PropertyBag_SavesEveryNameInOrder_LoadsThemBack)
{
    ASSERT_EQ(persist->InitNew(), S_OK);
    ASSERT_EQ(PutProperty(disp.get(), pelokey::DISPID_strKeyChar, Variant::Bstr(L"Z")), S_OK);
    ASSERT_EQ(PutProperty(disp.get(), pelokey::DISPID_bInConfigDlg, Variant::Bool(true)), S_OK);
    auto bagPersist = control.As<IPersistPropertyBag>();
    ASSERT_TRUE(bagPersist);
    FakeBag bag;
    ASSERT_EQ(bagPersist->Save(&bag, TRUE, TRUE), S_OK);
    const std::vector<std::wstring> names = { L"_Version", L"_ExtentX", L"_ExtentY", L"_StockProps",
        L"bSendMsg", L"bInConfigDlg", L"bShift", L"nKeyStyle", L"strKeyChar", L"strKeyString" };
    EXPECT_EQ(bag.writes, names) << "the default font is not written";
    EXPECT_EQ(V_VT(&bag.values[L"nKeyStyle"]), VT_I2);
    EXPECT_EQ(V_I4(&bag.values[L"_Version"]), 0x00010000);

    ASSERT_EQ(Font()->put_Italic(TRUE), S_OK);
    FakeBag withFont;
    ASSERT_EQ(bagPersist->Save(&withFont, TRUE, TRUE), S_OK);
    ASSERT_EQ(withFont.writes.size(), names.size() + 1);
    EXPECT_EQ(withFont.writes.back(), L"FontAll");

    auto copy = CreateControl();
    auto copyBag = copy.As<IPersistPropertyBag>();
    ASSERT_EQ(copyBag->Load(&withFont, nullptr), S_OK);
    disp = copy.As<IDispatch>();
    EXPECT_EQ(GetString(pelokey::DISPID_strKeyChar), L"Z");
    EXPECT_EQ(GetNumber(pelokey::DISPID_bInConfigDlg), -1);
    EXPECT_NE(FontFactsOf(Font().get()).flags, 0) << "italic";
}

TEST_F(PelokeyCom, Module_CanUnloadOnlyWithoutLiveObjects)
{
    using CanUnloadFn = HRESULT(STDAPICALLTYPE*)();
    auto canUnload = reinterpret_cast<CanUnloadFn>(
        reinterpret_cast<void*>(::GetProcAddress(ControlLibrary(), "DllCanUnloadNow")));
    ASSERT_NE(canUnload, nullptr);
    EXPECT_EQ(canUnload(), S_FALSE);
    persist.reset();
    disp.reset();
    control.reset();
    EXPECT_EQ(canUnload(), S_OK);

    using GetClassObjectFn = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
    auto get = reinterpret_cast<GetClassObjectFn>(
        reinterpret_cast<void*>(::GetProcAddress(ControlLibrary(), "DllGetClassObject")));
    ComPtr<IClassFactory> factory;
    ASSERT_EQ(get(pelokey::CLSID_Pelokey, IID_IClassFactory, factory.put_void()), S_OK);
    EXPECT_EQ(canUnload(), S_FALSE);
    EXPECT_EQ(factory->LockServer(TRUE), S_OK);
    factory.reset();
    EXPECT_EQ(canUnload(), S_FALSE);
    ASSERT_EQ(get(pelokey::CLSID_Pelokey, IID_IClassFactory, factory.put_void()), S_OK);
    EXPECT_EQ(factory->LockServer(FALSE), S_OK);
    ComPtr<IUnknown> aggregated;
    EXPECT_EQ(factory->CreateInstance(
                  reinterpret_cast<IUnknown*>(factory.get()), IID_IUnknown, aggregated.put_void()),
        CLASS_E_NOAGGREGATION);
    factory.reset();
    EXPECT_EQ(canUnload(), S_OK);
    const CLSID unknown = { 0x12345678, 0, 0, { 0, 0, 0, 0, 0, 0, 0, 1 } };
    EXPECT_EQ(get(unknown, IID_IClassFactory, factory.put_void()), CLASS_E_CLASSNOTAVAILABLE);
}

TEST(PelokeyLibrary, VersionBlock_NamesTheLibraryAndAsksForSelfRegistration)
{
    ASSERT_NE(ControlLibrary(), nullptr);
    wchar_t path[MAX_PATH];
    ASSERT_GT(::GetModuleFileNameW(ControlLibrary(), path, MAX_PATH), 0u);
    DWORD handle = 0;
    const DWORD size = ::GetFileVersionInfoSizeW(path, &handle);
    ASSERT_GT(size, 0u);
    std::vector<std::uint8_t> block(size);
    ASSERT_TRUE(::GetFileVersionInfoW(path, 0, size, block.data()));
    struct Translation {
        WORD language, codePage;
    }* translation = nullptr;
    UINT length = 0;
    ASSERT_TRUE(::VerQueryValueW(
        block.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation), &length));
    ASSERT_GE(length, sizeof(Translation));
    EXPECT_EQ(translation->language, 0x0409);
    EXPECT_EQ(translation->codePage, 1200);
    auto value = [&](const wchar_t* name) -> std::wstring {
        wchar_t* text = nullptr;
        UINT n = 0;
        const std::wstring key = std::wstring(L"\\StringFileInfo\\040904B0\\") + name;
        if (!::VerQueryValueW(block.data(), key.c_str(), reinterpret_cast<void**>(&text), &n) || !text) {
            return L"<missing>";
        }
        return text;
    };
    EXPECT_EQ(value(L"OLESelfRegister"), L"");
    EXPECT_EQ(value(L"InternalName"), L"Pelokey");
    EXPECT_EQ(value(L"OriginalFilename"), L"Pelokey.OCX");
    EXPECT_EQ(value(L"ProductName"), L"Pelokey ActiveX Control Module");
    // The project's one version number.
    EXPECT_EQ(value(L"ProductVersion"), PELO_VERSION_WIDE);
    EXPECT_EQ(value(L"FileVersion"), PELO_VERSION_WIDE);
    EXPECT_EQ(value(L"FileDescription"), L"“Pelo”用ActiveX控件");
    VS_FIXEDFILEINFO* fixed = nullptr;
    ASSERT_TRUE(::VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, static_cast<DWORD>(MAKELONG(PELO_VERSION_MINOR, PELO_VERSION_MAJOR)));
    EXPECT_EQ(fixed->dwFileVersionLS, static_cast<DWORD>(MAKELONG(0, PELO_VERSION_PATCH)));
    wchar_t text[64] = L"";
    EXPECT_GT(::LoadStringW(ControlLibrary(), 2, text, 64), 0);
    EXPECT_STREQ(text, L"Pelokey Property Page");
    EXPECT_GT(::LoadStringW(ControlLibrary(), 200, text, 64), 0);
    EXPECT_STREQ(text, L"General");
}

TEST_F(PelokeyCom, ConnectionPoints_EnumeratedAndFoundByInterface)
{
    auto container = control.As<IConnectionPointContainer>();
    ASSERT_TRUE(container);
    ComPtr<IEnumConnectionPoints> points;
    ASSERT_EQ(container->EnumConnectionPoints(points.put()), S_OK);
    std::vector<IID> iids;
    IConnectionPoint* point = nullptr;
    ULONG fetched = 0;
    while (points->Next(1, &point, &fetched) == S_OK) {
        IID iid {};
        EXPECT_EQ(point->GetConnectionInterface(&iid), S_OK);
        ComPtr<IConnectionPointContainer> back;
        EXPECT_EQ(point->GetConnectionPointContainer(back.put()), S_OK);
        EXPECT_EQ(back.get(), container.get());
        iids.push_back(iid);
        point->Release();
    }
    ASSERT_EQ(iids.size(), 2u);
    EXPECT_TRUE(IsEqualIID(iids[0], pelokey::DIID__DPelokeyEvents));
    EXPECT_TRUE(IsEqualIID(iids[1], IID_IPropertyNotifySink));
    EXPECT_EQ(points->Reset(), S_OK);
    EXPECT_EQ(points->Skip(3), S_FALSE);

    ComPtr<IConnectionPoint> none;
    EXPECT_EQ(container->FindConnectionPoint(IID_IDispatch, none.put()), CONNECT_E_NOCONNECTION);
    ComPtr<IConnectionPoint> events;
    ASSERT_EQ(container->FindConnectionPoint(pelokey::DIID__DPelokeyEvents, events.put()), S_OK);
    EventSink sink;
    DWORD cookie = 0;
    ASSERT_EQ(events->Advise(&sink, &cookie), S_OK);
    EXPECT_GT(sink.refs(), 1u) << "the point holds the sink";
    EXPECT_EQ(events->Unadvise(cookie), S_OK);
    EXPECT_EQ(sink.refs(), 1u);
    EXPECT_EQ(events->Unadvise(cookie), CONNECT_E_NOCONNECTION);
}

namespace {
// Records the property change notifications the control sends.
#pragma GCC diagnostic push
// COM objects are released through their interfaces, never deleted through them.
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
class ChangeSink final : public IPropertyNotifySink {
public:
    std::vector<DISPID> changed;
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override
    {
        return pelo::com::QueryFromTable(
            { { IID_IUnknown, this }, { IID_IPropertyNotifySink, this } }, riid, ppv);
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP OnChanged(DISPID id) override
    {
        changed.push_back(id);
        return S_OK;
    }
    STDMETHODIMP OnRequestEdit(DISPID) override { return S_OK; }
};
#pragma GCC diagnostic pop
} // namespace

TEST_F(PelokeyCom, PropertyNotifications_PutsAndLoadsAreAnnounced)
{
    ChangeSink sink;
    Advise advise(control.get(), IID_IPropertyNotifySink, &sink);
    ASSERT_EQ(advise.result(), S_OK);
    ASSERT_EQ(PutProperty(disp.get(), pelokey::DISPID_strKeyChar, Variant::Bstr(L"W")), S_OK);
    ASSERT_EQ(CallMethod(disp.get(), pelokey::DISPID_SetTChar1, { Variant::I2(5) }), S_OK);
    ASSERT_EQ(persist->Load(StreamOf(TemplateKeyStream(L"A", L"Enter", 0, 0, 1)).get()), S_OK);
    EXPECT_EQ(sink.changed, (std::vector<DISPID> { pelokey::DISPID_strKeyChar, DISPID_UNKNOWN }));
}
