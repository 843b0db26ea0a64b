// The program's handle on one key button control: each operation is one dispatch call with the
// control's fixed dispatch identifier. Bound by control id to a control its dialog hosts.
#pragma once

#include <windows.h>

#include <oaidl.h>

#include "framework/ComPtr.h"

class CPelokey {
public:
    CPelokey() = default;
    CPelokey(const CPelokey&) = delete;
    CPelokey& operator=(const CPelokey&) = delete;
    virtual ~CPelokey() = default;

    // Binds to the control; false when there is none.
    bool Attach(IDispatch* control, HWND hwnd) noexcept;
    void Detach() noexcept;
    [[nodiscard]] HWND Hwnd() const noexcept { return m_hwnd; }
    [[nodiscard]] IDispatch* Dispatch() const noexcept { return m_control.get(); }

    void SetKeyDown();
    // The 16 bits of a UTF-16 unit, carried as a signed 16-bit integer.
    short GetTChar1();
    short GetTChar2();
    void SetTChar1(short tchar);
    void SetTChar2(short tchar);
    void SetbShiftDown(BOOL bShiftDown);

private:
    short GetChar(DISPID id);
    pelo::ComPtr<IDispatch> m_control;
    HWND m_hwnd = nullptr;
};
