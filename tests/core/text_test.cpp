// The texts at the trainer's edges: code page 1251 and UTF-8, JSON literals, hex of any case.
#include "machine/text.h"

#include <gtest/gtest.h>

namespace tamrel {
namespace {

TEST(Text, EveryCp1251ByteGoesToUtf8AndBack) {
  for (int b = 0; b < 256; ++b) {
    const std::string byte(1, static_cast<char>(b));
    const std::string utf8 = Cp1251ToUtf8(byte);
    EXPECT_TRUE(IsUtf8(utf8)) << b;
    if (b == 0x98)  // the one byte without a character
      EXPECT_EQ(utf8, "\xEF\xBF\xBD");
    else
      EXPECT_EQ(Utf8ToCp1251(utf8), byte) << b;
  }
  // Round trips alone would not see two characters swapped.
  EXPECT_EQ(Cp1251ToUtf8("\x80\x88\x96\xA0\xA8\xB8\xB9\xBF\xC0\xFF"), "Ђ€–\u00A0Ёё№їАя");
}

TEST(Text, WhatCp1251CannotHold) {
  for (const char* utf8 : {"Ā", "a😀", "\xEF\xBF\xBD", "\xC0\xAF", "a\x80", "\xFF", "\xE2\x82"})
    EXPECT_EQ(Utf8ToCp1251(utf8), std::nullopt) << utf8;
  EXPECT_EQ(Utf8ToCp1251Replacing("a😀b\xFFя", '\x1A'),
            "a\x1A"
            "b\x1A\xFF");
}

TEST(Text, Utf8Sequences) {
  const struct {
    const char* bytes;
    size_t length;
  } cases[] = {
      {"", 0},
      {"a", 1},
      {"\x7F", 1},
      {"\xD0\xBF", 2},
      {"\xED\x9F\xBF", 3},      // the last before the surrogates
      {"\xEE\x80\x80", 3},      // the first after them
      {"\xF4\x8F\xBF\xBF", 4},  // 10FFFFh
      {"\xC0\xAF", 0},          // overlong
      {"\xC1\xBF", 0},          // overlong
      {"\xE0\x9F\xBF", 0},      // overlong
      {"\xF0\x8F\xBF\xBF", 0},  // overlong
      {"\xED\xA0\x80", 0},      // the first surrogate
      {"\xED\xBF\xBF", 0},      // the last one
      {"\xF4\x90\x80\x80", 0},  // past 10FFFFh
      {"\xF5\x80\x80\x80", 0},  // past 10FFFFh
      {"\xE2\x82", 0},          // cut short
      {"\xE2\x28\xA1", 0},      // not continued
      {"\x80", 0},              // lone continuation
      {"\xFF", 0},
  };
  for (const auto& k : cases) {
    SCOPED_TRACE(k.bytes);
    EXPECT_EQ(Utf8Length(k.bytes), k.length);
    EXPECT_EQ(IsUtf8(k.bytes), k.length == std::string_view(k.bytes).size());
  }
  EXPECT_TRUE(IsUtf8("aя€😀"));
  EXPECT_FALSE(IsUtf8("aя€😀\x80"));
}

TEST(Text, JsonLiterals) {
  EXPECT_EQ(JsonString("a\"b\\c\t\r\n\x01\x1F\x7F\x98"),
            "\"a\\\"b\\\\c\\t\\r\\n\\u0001\\u001f\\u007f\xEF\xBF\xBD\"");
  const struct {
    std::string bytes, json;
  } cases[] = {
      {"a\"\\\n\x1F", "\"a\\\"\\\\\\n\\u001f\""},
      {"пи😀", "\"пи😀\""},
      {"\xCF\xF0.mem", "\"\xEF\xBF\xBD\xEF\xBF\xBD.mem\""},
      {"\xED\xA0\x80", "\"\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\""},
  };
  for (const auto& k : cases) EXPECT_EQ(JsonUtf8String(k.bytes), k.json) << k.bytes;
}

TEST(Text, HexOfEitherCase) {
  const struct {
    const char* text;
    size_t maxDigits;
    std::optional<int32_t> value;
  } cases[] = {
      {"0", 1, 0},   {"fF", 2, 255},   {"8200", 4, 0x8200}, {"aBcD", 4, 0xABCD},
      {"", 4, {}},   {"12345", 4, {}}, {"100", 2, {}},      {"g", 1, {}},
      {"-1", 2, {}}, {" 1", 2, {}},    {"1:", 2, {}},       {"@", 1, {}},
  };
  for (const auto& k : cases) EXPECT_EQ(AnyCaseHexNumber(k.text, k.maxDigits), k.value) << k.text;
  for (char ch : {'/', ':', '@', 'G', '`', 'g'}) EXPECT_EQ(AnyCaseHexDigit(ch), -1) << ch;
  EXPECT_EQ(AsciiUpper("az.Hex@[`{\xE0"), "AZ.HEX@[`{\xE0");
}

}  // namespace
}  // namespace tamrel
