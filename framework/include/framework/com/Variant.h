// Owner of a VARIANT: initialised on construction, cleared on destruction, moved but never copied.
#pragma once

#include <windows.h>

#include <oleauto.h>

#include <new>

namespace pelo::com {

class Variant {
public:
    Variant() noexcept { ::VariantInit(&v); }
    Variant(Variant&& other) noexcept
        : v(other.v)
    {
        ::VariantInit(&other.v);
    }
    Variant& operator=(Variant&& other) noexcept
    {
        if (this != &other) {
            ::VariantClear(&v);
            v = other.v;
            ::VariantInit(&other.v);
        }
        return *this;
    }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;
    ~Variant() { ::VariantClear(&v); }

    [[nodiscard]] static Variant I2(short value) noexcept
    {
        Variant r;
        V_VT(&r.v) = VT_I2;
        V_I2(&r.v) = value;
        return r;
    }
    [[nodiscard]] static Variant I4(LONG value) noexcept
    {
        Variant r;
        V_VT(&r.v) = VT_I4;
        V_I4(&r.v) = value;
        return r;
    }
    [[nodiscard]] static Variant Bool(bool value) noexcept
    {
        Variant r;
        V_VT(&r.v) = VT_BOOL;
        V_BOOL(&r.v) = value ? VARIANT_TRUE : VARIANT_FALSE;
        return r;
    }
    // Throws std::bad_alloc when the string cannot be allocated.
    [[nodiscard]] static Variant Bstr(const wchar_t* text, UINT length)
    {
        Variant r;
        V_BSTR(&r.v) = ::SysAllocStringLen(text, length);
        if (!V_BSTR(&r.v)) {
            throw std::bad_alloc();
        }
        V_VT(&r.v) = VT_BSTR;
        return r;
    }
    [[nodiscard]] static Variant Bstr(const wchar_t* text) { return Bstr(text, text ? ::lstrlenW(text) : 0); }

    // Clears the value and hands out its address for a function that fills it.
    [[nodiscard]] VARIANT* put() noexcept
    {
        ::VariantClear(&v);
        return &v;
    }
    // The owned value, lent out (for argument lists); whoever receives it must not clear it.
    operator const VARIANT&() const noexcept { return v; }

    VARIANT v;
};

} // namespace pelo::com
