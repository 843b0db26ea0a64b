// Template preparation and dialog-initialisation records over arbitrary bytes.
#include "framework/container/DialogTemplate.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    pelo::container::PreparedTemplate prepared;
    if (pelo::container::PrepareDialogTemplate(data, size, u"PeloDialog", prepared)) {
        // What was prepared reads again the same way, its class-identifier items gone.
        pelo::container::PreparedTemplate again;
        if (!pelo::container::PrepareDialogTemplate(prepared.bytes.data(), prepared.bytes.size(), u"", again)
            || !again.controls.empty()) {
            __builtin_trap();
        }
    }
    std::vector<pelo::container::InitRecord> records;
    (void)pelo::container::ParseDialogInit(data, size, records);
    return 0;
}
