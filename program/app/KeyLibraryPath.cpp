#include "Registration.h"

namespace pelo::program {

std::wstring KeyLibraryPath(const std::wstring& currentDirectory)
{
    std::wstring path = currentDirectory;
    if (!path.empty() && path.back() != L'\\') {
        path.push_back(L'\\');
    }
    return path + L"Pelokey.ocx";
}

} // namespace pelo::program
