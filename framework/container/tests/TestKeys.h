// The key buttons of the container tests: their persisted state, written by the key button's own
// stream codec. Shared by the resource generator (on the build host) and the tests.
#pragma once

#include "PropertyStream.h"

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace pelo::container::test {

struct TestKey {
    int id;
    const char16_t* keyChar;
    const char16_t* keyString;
    int bShift;
    short nKeyStyle;
};

// Keys with a record in dialog-initialisation resource 200; key 1013 has none.
inline constexpr TestKey RecordedKeys[] = {
    { 1049, u"Q", u"Shift", 1, 2 },
    { 1012, u"1", u"Enter", 0, 1 },
};

inline std::vector<std::uint8_t> KeyStream(const TestKey& key)
{
    pelokey::stream::KeyProps props;
    props.extentX = 873;
    props.extentY = 873;
    props.bShift = key.bShift;
    props.nKeyStyle = key.nKeyStyle;
    props.strKeyChar = key.keyChar;
    props.strKeyString = key.keyString;
    pelokey::stream::MemoryWriter writer;
    if (!pelokey::stream::WriteKeyProps(writer, props)
        || !pelokey::stream::WriteFontHeader(writer, pelokey::stream::FontMarker::FontObject)
        || !pelokey::stream::WriteStdFontData(writer, pelokey::stream::StdFontData {})) {
        throw std::runtime_error("the stream codec refused a test key");
    }
    return writer.Bytes();
}

} // namespace pelo::container::test
