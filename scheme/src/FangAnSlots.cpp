#include "scheme/FangAnSlots.h"

#include "KeyMapFileIo.h"
#include "scheme/KeyMapCodec.h"

using namespace pelo::scheme;

const FangAnSlot kFangAnSlots[FANGAN_SLOT_COUNT] = {
    { L".\\fangan\\1.kmf", u"方案一" },
    { L".\\fangan\\2.kmf", u"方案二" },
    { L".\\fangan\\3.kmf", u"方案三" },
    { L".\\fangan\\4.kmf", u"方案四" },
    { L".\\fangan\\5.kmf", u"方案五" },
};

const FangAnSlot* FangAnSlotOf(int nSlot)
{
    return nSlot >= 1 && nSlot <= FANGAN_SLOT_COUNT ? &kFangAnSlots[nSlot - 1] : nullptr;
}

void CheckFangAnFiles(FangAnNameTable& names)
{
    for (int i = 0; i < FANGAN_SLOT_COUNT; ++i) {
        const FangAnSlot& slot = kFangAnSlots[i];
        KeyMapFileDecoder probe(KeyMapFileDecoder::Mode::NameOnly, nullptr);
        const ReadResult read = ReadKeyMapFile(slot.szPath, probe);
        if (read == ReadResult::Read && probe.Succeeded()) {
            CopyNameOut(probe.Name(), names[i]);
        } else {
            CopyNameOut(slot.szDefaultName, names[i]);
            // Only a missing file, or one read to its end without a whole name line, is replaced.
            // A file that is there but could not be read (held by another program, access denied,
            // a folder) may still hold the user's scheme: it is left alone.
            if (read == ReadResult::Read || read == ReadResult::NotFound) {
                // Written straight from the default table: building it in a record would hand
                // that table to the hook library in place of the current scheme.
                uint8_t bytes[kMaxFileBytes];
                const size_t size = EncodeKeyMapFile(slot.szDefaultName, kDefaultKeyTable, bytes);
                WriteKeyMapFile(slot.szPath, bytes, size);
            }
        }
        names[i][FANGAN_NAME_UNITS] = 0;
    }
}
