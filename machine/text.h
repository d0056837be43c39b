// Texts at the trainer's edges. Inside, every text is code page 1251 bytes, one byte a
// character; a window, a report or a file name outside speaks UTF-8. The conversions both
// ways, the one UTF-8 check, JSON string literals and hexadecimal typed in either case (the
// trainer's own number texts, machine/numtext.h, are upper case only) live here and nowhere
// else.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tamrel {

// Every byte as its character; byte 98h, which has none, as U+FFFD.
std::string Cp1251ToUtf8(std::string_view cp1251);
// Nothing when the text is not well-formed UTF-8 or holds a character code page 1251 lacks.
std::optional<std::string> Utf8ToCp1251(std::string_view utf8);
// A fixed text of the program, written in UTF-8 in its source for reading's sake, as the core
// keeps it; every character it holds has a place in code page 1251.
inline std::string Cp1251(std::string_view utf8) { return Utf8ToCp1251(utf8).value(); }
// The same, with `replacement` for each such character (and each byte that starts no
// well-formed UTF-8 sequence).
std::string Utf8ToCp1251Replacing(std::string_view utf8, char replacement);

// The length of the well-formed UTF-8 sequence at the start of `s` (1 for ASCII), 0 when `s`
// is empty or starts with none: no overlong forms, surrogates or code points past 10FFFFh.
size_t Utf8Length(std::string_view s);
bool IsUtf8(std::string_view s);

// A JSON string literal, quotes included, of a trainer text (code page 1251).
std::string JsonString(std::string_view cp1251);
// A JSON string literal of bytes meant as UTF-8, such as a file name: a byte that starts no
// well-formed sequence is shown as U+FFFD, so the literal is always valid.
std::string JsonUtf8String(std::string_view bytes);

// The text with a..z made A..Z; every other byte stays.
std::string AsciiUpper(std::string_view s);

// A hexadecimal digit of either case as its value; -1 for any other character.
int AnyCaseHexDigit(char ch);
// One to `maxDigits` hexadecimal digits of either case; nothing for anything else.
std::optional<int32_t> AnyCaseHexNumber(std::string_view s, size_t maxDigits);

}  // namespace tamrel
