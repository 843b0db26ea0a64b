// Saves two different schemes into slot 1's key-map file by turns, for ever, in the folder
// given on the command line; signals the event named there once both have been saved.
// The save-kill test ends this process at arbitrary moments.
#include <windows.h>

#include <shellapi.h>

#include <memory>

#include "SaveLoopSchemes.h"
#include "framework/UniqueHandle.h"

namespace {
struct LocalDeleter {
    void operator()(void* memory) const { ::LocalFree(memory); }
};

// Built key by key: the hook library's table is not this program's business.
void Fill(CKeyMapFangAn& record, const schemetest::SaveLoopScheme& scheme)
{
    record.SetFangAnName(scheme.name);
    for (int i = 0; i < KEY_COUNT; ++i) {
        const KeyTCharPair entry = schemetest::SaveLoopEntry(scheme, i);
        record.SetKeyTChar(i, 0, entry.tchar1);
        record.SetKeyTChar(i, 1, entry.tchar2);
    }
}
} // namespace

int main()
{
    int argc = 0;
    const std::unique_ptr<LPWSTR, LocalDeleter> argv(::CommandLineToArgvW(::GetCommandLineW(), &argc));
    if (!argv || argc != 3 || !::SetCurrentDirectoryW(argv.get()[1])) {
        return 2;
    }
    const pelo::UniqueKernelHandle saved(::OpenEventW(EVENT_MODIFY_STATE, FALSE, argv.get()[2]));
    if (!saved) {
        return 3;
    }
    CKeyMapFangAn schemes[2];
    Fill(schemes[0], schemetest::kSaveLoopSchemes[0]);
    Fill(schemes[1], schemetest::kSaveLoopSchemes[1]);
    for (unsigned long n = 0;; ++n) {
        if (!schemes[n % 2].SaveFangAnFile(L".\\fangan\\1.kmf")) {
            return 4;
        }
        if (n == 1) {
            ::SetEvent(saved.get());
        }
    }
}
