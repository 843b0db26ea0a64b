// The parsers of stored template bytes, natively: dialog-initialisation records and class
// identifiers. (Templates themselves are compiled by the resource compiler and tested under Wine.)
#include "framework/container/DialogTemplate.h"

#include <gtest/gtest.h>

using namespace pelo::container;

namespace {
std::vector<std::uint8_t> Words(std::initializer_list<unsigned> words)
{
    std::vector<std::uint8_t> bytes;
    for (const unsigned w : words) {
        bytes.push_back(static_cast<std::uint8_t>(w));
        bytes.push_back(static_cast<std::uint8_t>(w >> 8));
    }
    return bytes;
}
} // namespace

TEST(DialogInit, Parse_StateRecords_StreamWithoutItsZeroPrefix)
{
    // 7: 4-byte zero + "ab"; a list-box string record for 9; 8: zero prefix only.
    const auto bytes
        = Words({ 7, 0x376, 6, 0, 0, 0, 0x6261, 9, 0x403, 2, 0, 0x0061, 8, 0x376, 4, 0, 0, 0, 0 });
    std::vector<InitRecord> records;
    ASSERT_TRUE(ParseDialogInit(bytes.data(), bytes.size(), records));
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].id, 7);
    EXPECT_EQ(records[0].stream, (std::vector<std::uint8_t> { 'a', 'b' }));
    EXPECT_EQ(records[1].id, 8);
    EXPECT_TRUE(records[1].stream.empty());

    // Cut anywhere inside a record, or a state record shorter than its prefix: refused.
    for (std::size_t size = 1; size < bytes.size() - 2; ++size) {
        if (size == 14 || size == 24) {
            continue; // between records: a list may end without its zero
        }
        EXPECT_FALSE(ParseDialogInit(bytes.data(), size, records)) << size;
    }
    const auto shortRecord = Words({ 7, 0x376, 2, 0, 0, 0 });
    EXPECT_FALSE(ParseDialogInit(shortRecord.data(), shortRecord.size(), records));
    const auto huge = Words({ 7, 0x376, 0xFFFF, 0xFFFF, 0, 0 });
    EXPECT_FALSE(ParseDialogInit(huge.data(), huge.size(), records));
}

TEST(DialogTemplate, ParseGuid_OnlyTheBracedForm)
{
    Guid guid;
    ASSERT_TRUE(ParseGuid(u"{B5A8D3BD-DBB9-4ea9-9A4A-9C41CBA30D69}", guid));
    EXPECT_EQ(guid.data1, 0xB5A8D3BDu);
    EXPECT_EQ(guid.data2, 0xDBB9);
    EXPECT_EQ(guid.data3, 0x4EA9);
    EXPECT_EQ(guid.data4[0], 0x9A);
    EXPECT_EQ(guid.data4[7], 0x69);
    for (const char16_t* bad : { u"B5A8D3BD-DBB9-4EA9-9A4A-9C41CBA30D69",
             u"{B5A8D3BD-DBB9-4EA9-9A4A-9C41CBA30D6}", u"{B5A8D3BD-DBB9-4EA9-9A4A-9C41CBA30D6G}",
             u"{B5A8D3BD+DBB9-4EA9-9A4A-9C41CBA30D69}", u"Button", u"" }) {
        EXPECT_FALSE(ParseGuid(bad, guid)) << std::string(bad, bad + std::char_traits<char16_t>::length(bad));
    }
}
