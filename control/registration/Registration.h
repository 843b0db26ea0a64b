// Self-registration of the control library: its type library, the key button class with its
// ProgID, and the property page class. The two entry points are exported by the library.
#pragma once

#include <windows.h>

namespace pelokey::registration {

// Registry values written for the control class, named here so that tests check the same text.
inline constexpr wchar_t MiscStatusAll[] = L"131473"; // 0x20191
inline constexpr wchar_t ThreadingModel[] = L"Apartment";
inline constexpr wchar_t TypeLibVersion[] = L"1.0";

} // namespace pelokey::registration

extern "C" {
STDAPI DllRegisterServer();
STDAPI DllUnregisterServer();
}
