// Number texts: every register, byte and address travels through the trainer as a text.
// These four conversions are the only way numbers become texts and back; their results
// outside the everyday range (bytes, 16-bit addresses) are part of the behaviour, because
// an over-long operand or a wrapped program counter does reach them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tamrel {

// Four digits by truncating division, a negative digit written as "-n", a digit above 15
// written as nothing, and a leading "00" cut: 0..255 -> "00".."FF", 256..65535 -> four digits.
std::string IntToHexText(int32_t v);

// Upper-case hexadecimal only; any other character makes the whole value 0. Wraps mod 2^32.
int32_t HexTextToInt(std::string_view text);

// Eight binary digits, most significant first; 255 and above give all ones, negatives zeros.
std::string IntToBinText(int32_t v);

// Reads the first eight characters; only "1" counts.
int32_t BinTextToInt(std::string_view text);

// The value IntToBinText(v) stands for, without building the text: the logical and parity
// operations work on that value.
constexpr int32_t BinValue(int32_t v) { return v < 0 ? 0 : (v > 255 ? 255 : v); }

// Two-digit text of a byte, from a constant table (no allocation on the executed-line path).
std::string_view ByteText(uint8_t b);

}  // namespace tamrel
