// Template preparation and dialog-initialisation records over arbitrary bytes. A prepared
// template accounts for every item, reads again to the same bytes without class-identifier
// items, and keeps the class it was given; records written back read back the same.
#include "framework/container/DialogTemplate.h"

#include <cstring>

using namespace pelo::container;

namespace {
void Check(bool condition)
{
    if (!condition) {
        __builtin_trap();
    }
}

std::uint16_t WordAt(const std::uint8_t* p)
{
    return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}

void CheckPrepared(const std::uint8_t* data, std::size_t size, const PreparedTemplate& prepared)
{
    // The item count sits after the styles (and, extended, the version, signature and help id).
    const std::size_t countOffset = prepared.extended ? 16 : 8;
    Check(size >= countOffset + 2 && prepared.bytes.size() >= countOffset + 2);
    Check(prepared.extended == (WordAt(data) == 1 && WordAt(data + 2) == 0xFFFF));
    const std::size_t count = WordAt(data + countOffset);
    const std::size_t kept = WordAt(prepared.bytes.data() + countOffset);
    Check(kept + prepared.controls.size() == count);
    for (std::size_t i = 0; i < prepared.controls.size(); ++i) {
        const TemplateControl& control = prepared.controls[i];
        Guid guid;
        Check(ParseGuid(control.classText, guid) && guid == control.clsid);
        Check(control.index < count && (i == 0 || control.index > prepared.controls[i - 1].index));
        Check(control.ordinaryBefore == control.index - i);
    }

    // Read again: nothing left to take out, the same bytes, the class asked for kept.
    PreparedTemplate again;
    Check(PrepareDialogTemplate(prepared.bytes.data(), prepared.bytes.size(), u"", again));
    Check(again.controls.empty() && again.extended == prepared.extended && again.bytes == prepared.bytes);
    PreparedTemplate renamed;
    Check(PrepareDialogTemplate(prepared.bytes.data(), prepared.bytes.size(), u"PeloDialog", renamed));
    Check(renamed.bytes == prepared.bytes);
}

void PutWord(std::vector<std::uint8_t>& b, std::uint32_t v)
{
    b.push_back(static_cast<std::uint8_t>(v));
    b.push_back(static_cast<std::uint8_t>(v >> 8));
}

void CheckRecords(const std::vector<InitRecord>& records)
{
    std::vector<std::uint8_t> bytes;
    for (const InitRecord& record : records) {
        Check(record.id > 0 && record.id <= 0xFFFF);
        const std::size_t length = 4 + record.stream.size();
        PutWord(bytes, static_cast<std::uint32_t>(record.id));
        PutWord(bytes, DialogInitStateMessage);
        PutWord(bytes, static_cast<std::uint32_t>(length & 0xFFFF));
        PutWord(bytes, static_cast<std::uint32_t>(length >> 16));
        PutWord(bytes, 0);
        PutWord(bytes, 0);
        bytes.insert(bytes.end(), record.stream.begin(), record.stream.end());
    }
    PutWord(bytes, 0);
    std::vector<InitRecord> again;
    Check(ParseDialogInit(bytes.data(), bytes.size(), again) && again.size() == records.size());
    for (std::size_t i = 0; i < records.size(); ++i) {
        Check(again[i].id == records[i].id && again[i].stream == records[i].stream);
    }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    PreparedTemplate prepared;
    if (PrepareDialogTemplate(data, size, u"PeloDialog", prepared)) {
        CheckPrepared(data, size, prepared);
    }
    std::vector<InitRecord> records;
    if (ParseDialogInit(data, size, records)) {
        CheckRecords(records);
    }
    return 0;
}
