#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace mnemora {

// The data file and chart files are Windows-1251; inside the program text is
// UTF-8. The table is exact both ways: every byte has one character (0x98,
// unassigned in the code page, stands for U+0098) and back.

char32_t cp1251ToCodePoint(unsigned char byte);
// The byte for a character, or nothing when the code page has none.
std::optional<unsigned char> codePointToCp1251(char32_t cp);

std::string cp1251ToUtf8(std::string_view bytes);

// The Windows-1251 bytes of a UTF-8 text, or nothing when a character has no
// byte (or the UTF-8 is malformed); `badOffset` then gets the byte offset of
// the first such character.
std::optional<std::string> utf8ToCp1251(std::string_view utf8, std::size_t* badOffset = nullptr);

// As above, but a character without a byte is an EncodingError that names it.
std::string utf8ToCp1251OrThrow(std::string_view utf8);

// True when every character of the text can be written to a Windows-1251 file.
bool isCp1251Text(std::string_view utf8);

// Decodes one UTF-8 character at `pos`, advancing it; nothing for a malformed one.
std::optional<char32_t> decodeUtf8(std::string_view utf8, std::size_t& pos);
void appendUtf8(std::string& out, char32_t cp);

// Upper case of one Windows-1251 byte, Latin and Cyrillic letters alike, as
// the platform folds names when it compares them without regard to case.
unsigned char cp1251Upper(unsigned char byte);
bool cp1251EqualNoCase(std::string_view a, std::string_view b);

}  // namespace mnemora
