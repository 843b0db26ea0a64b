// The names of the characters a key can type, from the Unicode Character Database: the key
// buttons' tips and the key-map editor show them beside the characters.
#pragma once

#include <string>

namespace pelo::charnames {

// The character's name in uppercase ASCII ("GREEK SMALL LETTER ALPHA"), or empty when it has
// none: controls, unassigned code points, private use, surrogates and noncharacters.
std::string CharacterName(char16_t unit);

// The character, its code point and its name: "α U+03B1 GREEK SMALL LETTER ALPHA". A character
// without a name is its code point alone ("U+E000"), as are format characters, which would
// change the rest of the line; a combining mark stands on a dotted circle.
std::u16string DescribeCharacter(char16_t unit);

// The two characters of a key, character one first, divided by " / ".
std::u16string DescribeKeyCharacters(char16_t tchar1, char16_t tchar2);

} // namespace pelo::charnames
