#include "Registration.h"

namespace pelo::program {

std::wstring RegistrationCommand(const std::wstring& currentDirectory, bool unregister)
{
    return std::wstring(unregister ? L"regsvr32.exe /u /s " : L"regsvr32.exe /s ") + L"\"" + currentDirectory
        + L"\\Pelokey.ocx\"";
}

} // namespace pelo::program
