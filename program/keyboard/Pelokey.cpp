#include "Pelokey.h"

#include "PelokeyIds.h"
#include "framework/activex/DispatchCall.h"

using pelo::activex::CallMethod;
using pelo::com::Variant;

bool CPelokey::Attach(IDispatch* control, HWND hwnd) noexcept
{
    m_control = pelo::ComPtr<IDispatch>(control);
    m_hwnd = hwnd;
    return control != nullptr;
}

void CPelokey::Detach() noexcept
{
    m_control.reset();
    m_hwnd = nullptr;
}

// A call that fails leaves the key as it was; the keyboard goes on with the other keys.
void CPelokey::SetKeyDown()
{
    (void)CallMethod(m_control.get(), pelokey::DISPID_SetKeyDown);
}

short CPelokey::GetChar(DISPID id)
{
    Variant result;
    if (FAILED(CallMethod(m_control.get(), id, {}, &result))
        || FAILED(::VariantChangeType(&result.v, &result.v, 0, VT_I2))) {
        return 0;
    }
    return V_I2(&result.v);
}

short CPelokey::GetTChar1()
{
    return GetChar(pelokey::DISPID_GetTChar1);
}

short CPelokey::GetTChar2()
{
    return GetChar(pelokey::DISPID_GetTChar2);
}

void CPelokey::SetTChar1(short tchar)
{
    (void)CallMethod(m_control.get(), pelokey::DISPID_SetTChar1, { Variant::I2(tchar) });
}

void CPelokey::SetTChar2(short tchar)
{
    (void)CallMethod(m_control.get(), pelokey::DISPID_SetTChar2, { Variant::I2(tchar) });
}

void CPelokey::SetbShiftDown(BOOL bShiftDown)
{
    (void)CallMethod(m_control.get(), pelokey::DISPID_SetbShiftDown, { Variant::Bool(bShiftDown != FALSE) });
}
