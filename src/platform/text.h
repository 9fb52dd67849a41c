// Code page conversions. Every text inside the program is a CP866 byte string.
#pragma once
#include <string>
#include <string_view>

namespace platform {

// UTF-8 source literal to CP866; characters CP866 lacks become '?'.
std::string Cp866(std::string_view utf8);

// CP866 bytes to UTF-8 (for file names and window titles).
std::string Cp866ToUtf8(std::string_view cp866);

// CP1251 bytes to UTF-8 (the quit question and the title).
std::string Cp1251ToUtf8(std::string_view cp1251);

// UTF-8 to CP1251; characters CP1251 lacks are dropped, as typed text is.
std::string Utf8ToCp1251(std::string_view utf8);

// One Unicode code point of a CP866 / CP1251 byte (0 for an unassigned byte).
char32_t Cp866ToUnicode(unsigned char b);
char32_t Cp1251ToUnicode(unsigned char b);

// Reverse look-ups; return -1 when the code page lacks the character.
int UnicodeToCp866(char32_t c);
int UnicodeToCp1251(char32_t c);

// Decodes one UTF-8 sequence at s[i], advancing i; a bad byte gives U+FFFD.
char32_t DecodeUtf8(std::string_view s, std::size_t& i);
void AppendUtf8(std::string& out, char32_t c);

}  // namespace platform
