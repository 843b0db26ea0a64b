// Owner of a VARIANT: initialised on construction, cleared on destruction.
#pragma once

#include <windows.h>

#include <oleauto.h>

namespace pelo::com {

class Variant {
public:
    Variant() noexcept { ::VariantInit(&v); }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;
    ~Variant() { ::VariantClear(&v); }

    VARIANT v;
};

} // namespace pelo::com
