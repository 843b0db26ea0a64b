#include "scheme/KeyMapCodec.h"

#include <algorithm>

namespace pelo::scheme {

const KeyTCharPair kDefaultKeyTable[KEY_COUNT] = {
    { 0x2169, 0x5341 }, // 0: Ⅹ 十
    { 0x2160, 0x4E00 }, // 1: Ⅰ 一
    { 0x2161, 0x4E8C }, // 2: Ⅱ 二
    { 0x2162, 0x4E09 }, // 3: Ⅲ 三
    { 0x2163, 0x56DB }, // 4: Ⅳ 四
    { 0x2164, 0x4E94 }, // 5: Ⅴ 五
    { 0x2165, 0x516D }, // 6: Ⅵ 六
    { 0x2166, 0x4E03 }, // 7: Ⅶ 七
    { 0x2167, 0x516B }, // 8: Ⅷ 八
    { 0x2168, 0x4E5D }, // 9: Ⅸ 九
    { 0x03B1, 0x0391 }, // A: α Α
    { 0x03B2, 0x0392 }, // B
    { 0x03B3, 0x0393 }, // C
    { 0x03B4, 0x0394 }, // D
    { 0x03B5, 0x0395 }, // E
    { 0x03B6, 0x0396 }, // F
    { 0x03B7, 0x0397 }, // G
    { 0x03B8, 0x0398 }, // H
    { 0x03B9, 0x0399 }, // I
    { 0x03BA, 0x039A }, // J
    { 0x03BB, 0x039B }, // K
    { 0x03BC, 0x039C }, // L
    { 0x03BD, 0x039D }, // M
    { 0x03BE, 0x039E }, // N
    { 0x03BF, 0x039F }, // O
    { 0x03C0, 0x03A0 }, // P
    { 0x03C1, 0x03A1 }, // Q: ρ Ρ (final sigma is left out)
    { 0x03C3, 0x03A3 }, // R: σ Σ
    { 0x03C4, 0x03A4 }, // S
    { 0x03C5, 0x03A5 }, // T
    { 0x03C6, 0x03A6 }, // U
    { 0x03C7, 0x03A7 }, // V
    { 0x03C8, 0x03A8 }, // W
    { 0x03C9, 0x03A9 }, // X: ω Ω
    { 0x2103, 0x2030 }, // Y: ℃ ‰
    { 0x2211, 0x00B1 }, // Z: ∑ ±
};

size_t StoredNameLength(const char16_t* name)
{
    size_t n = 0;
    while (n < FANGAN_NAME_UNITS && name[n] != 0 && name[n] != kLineFeed) {
        ++n;
    }
    return n;
}

void CopyNameIn(NameBuffer& dest, const char16_t* src)
{
    CopyNameOut(src != nullptr ? src : u"", dest);
}

void CopyNameOut(const char16_t* src, char16_t* dest)
{
    size_t i = 0;
    for (; i < FANGAN_NAME_UNITS && src[i] != 0; ++i) {
        dest[i] = src[i];
    }
    for (; i < FANGAN_NAME_UNITS; ++i) {
        dest[i] = 0;
    }
}

namespace {
uint8_t* PutUnit(uint8_t* out, char16_t unit)
{
    out[0] = static_cast<uint8_t>(unit & 0xFF);
    out[1] = static_cast<uint8_t>(unit >> 8);
    return out + 2;
}
} // namespace

size_t EncodeKeyMapFile(const char16_t* name, const KeyTCharPair* table, uint8_t* out)
{
    uint8_t* p = out;
    const size_t nameLength = StoredNameLength(name);
    for (size_t i = 0; i < nameLength; ++i) {
        p = PutUnit(p, name[i]);
    }
    p = PutUnit(p, kLineFeed);
    for (int i = 0; i < KEY_COUNT; ++i) {
        p = PutUnit(p, table[i].tchar1);
        p = PutUnit(p, u',');
        p = PutUnit(p, table[i].tchar2);
        p = PutUnit(p, u';');
        p = PutUnit(p, kLineFeed);
    }
    return static_cast<size_t>(p - out);
}

void DefaultSchemeName(const char16_t* path, NameBuffer& name)
{
    static const char16_t kNumerals[10]
        = { u'〇', u'一', u'二', u'三', u'四', u'五', u'六', u'七', u'八', u'九' };
    CopyNameIn(name, u"方案");
    name[FANGAN_NAME_UNITS] = 0;
    if (path == nullptr) {
        return;
    }
    // The stem of the file name: after the last separator, before the last dot.
    const char16_t* fileName = path;
    const char16_t* end = nullptr;
    for (const char16_t* p = path; *p != 0; ++p) {
        if (*p == u'\\' || *p == u'/' || *p == u':') {
            fileName = p + 1;
            end = nullptr;
        } else if (*p == u'.') {
            end = p;
        }
    }
    if (end == nullptr) {
        end = fileName;
        while (*end != 0) {
            ++end;
        }
    }
    if (end == fileName) {
        return;
    }
    const char16_t last = end[-1];
    if (last >= u'0' && last <= u'9') {
        name[2] = kNumerals[last - u'0'];
    } else if (last >= 0x20 && last != 0x7F && (last < 0xD800 || last > 0xDFFF)) {
        name[2] = last;
    }
}

KeyMapFileDecoder::KeyMapFileDecoder(Mode mode, const KeyTCharPair* previousTable)
    : m_mode(mode)
{
    if (previousTable != nullptr) {
        std::copy_n(previousTable, KEY_COUNT, m_table);
    }
}

bool KeyMapFileDecoder::Feed(const uint8_t* data, size_t size)
{
    for (size_t i = 0; i < size && m_phase != Phase::Done; ++i) {
        if (!m_haveLowByte) {
            m_lowByte = data[i];
            m_haveLowByte = true;
        } else {
            m_haveLowByte = false;
            TakeUnit(static_cast<char16_t>(m_lowByte | (data[i] << 8)));
        }
    }
    return m_phase == Phase::Done;
}

void KeyMapFileDecoder::TakeUnit(char16_t unit)
{
    switch (m_phase) {
    case Phase::Name:
        m_name[m_index++] = unit == kLineFeed ? 0 : unit;
        if (unit == kLineFeed || (m_mode == Mode::NameOnly && m_index == FANGAN_NAME_UNITS)) {
            m_phase = m_mode == Mode::NameOnly ? Phase::Done : Phase::Entries;
            m_index = 0;
        } else if (m_index == FANGAN_NAME_UNITS) {
            m_phase = Phase::SkipNameRest;
        }
        break;
    case Phase::SkipNameRest:
        if (unit == kLineFeed) {
            m_phase = Phase::Entries;
            m_index = 0;
        }
        break;
    case Phase::Entries: {
        const size_t key = m_index / kEntryUnits;
        const size_t position = m_index % kEntryUnits;
        if (position == 0) {
            m_table[key].tchar1 = unit;
        } else if (position == 2) {
            m_table[key].tchar2 = unit;
        }
        if (++m_index == kEntryUnits * KEY_COUNT) {
            m_phase = Phase::Done;
        }
        break;
    }
    case Phase::Done:
        break;
    }
}

bool KeyMapFileDecoder::Succeeded() const
{
    return m_mode == Mode::Whole || m_phase == Phase::Done;
}

void DecodeKeyMapFile(const uint8_t* data, size_t size, NameBuffer& name, KeyTCharPair* table)
{
    KeyMapFileDecoder decoder(KeyMapFileDecoder::Mode::Whole, table);
    decoder.Feed(data, size);
    std::copy_n(decoder.Name(), FANGAN_NAME_UNITS, name);
    std::copy_n(decoder.Table(), KEY_COUNT, table);
}

bool DecodeKeyMapName(const uint8_t* data, size_t size, NameBuffer& name)
{
    KeyMapFileDecoder decoder(KeyMapFileDecoder::Mode::NameOnly, nullptr);
    decoder.Feed(data, size);
    std::copy_n(decoder.Name(), FANGAN_NAME_UNITS, name);
    return decoder.Succeeded();
}

} // namespace pelo::scheme
