#include "machine/numtext.h"

#include <gtest/gtest.h>

namespace tamrel {
namespace {

TEST(NumText, IntToHexText) {
  // clang-format off
  const struct {
    int32_t v;
    const char* text;
  } cases[] = {
      {0, "00"},         {15, "0F"},       {16, "10"},         {255, "FF"},
      {256, "0100"},     {0x0FFF, "0FFF"}, {0x8200, "8200"},   {0xF72F, "F72F"},
      {0xFFFF, "FFFF"},  {0x10000, "0"},   {0x100FF, "0FF"},   {0x10100, "100"},
      {0x12345, "345"},  {0x1F72F, "72F"}, {-1, "0-1"},        {-16, "-10"},
      {-17, "-1-1"},     {-255, "-15-15"}, {-256, "0-100"},
      {INT32_MIN, "-524288000"},  // every digit after the first is 0
  };
  // clang-format on
  for (const auto& c : cases) EXPECT_EQ(IntToHexText(c.v), c.text) << c.v;
}

TEST(NumText, HexTextToInt) {
  // clang-format off
  const struct {
    const char* text;
    int32_t v;
  } cases[] = {
      {"FF", 255},       {"F72F", 63279},          {"ffff", 0},  {"1G", 0},
      {" 12", 0},        {"-1", 0},                {"", 0},      {"FFFFFFFF", -1},
      {"7FFFFFFF", INT32_MAX}, {"80000000", INT32_MIN}, {"100000000", 0},
      {"123456789", 0x23456789}, {"0FF", 255},    {"3e", 0},    {"1,2", 0},
  };
  // clang-format on
  for (const auto& c : cases) EXPECT_EQ(HexTextToInt(c.text), c.v) << c.text;
}

TEST(NumText, BinaryTexts) {
  // clang-format off
  const struct {
    int32_t v;
    const char* text;
  } toText[] = {{0, "00000000"},   {1, "00000001"},   {5, "00000101"},   {127, "01111111"},
                {128, "10000000"}, {254, "11111110"}, {256, "11111111"}, {1000, "11111111"},
                {-1, "00000000"},  {INT32_MAX, "11111111"}, {INT32_MIN, "00000000"}};
  // clang-format on
  for (const auto& c : toText) {
    EXPECT_EQ(IntToBinText(c.v), c.text) << c.v;
    EXPECT_EQ(BinTextToInt(IntToBinText(c.v)), BinValue(c.v)) << c.v;
  }
  // clang-format off
  const struct {
    const char* text;
    int32_t v;
  } toInt[] = {{"10000001", 129}, {"11111111", 255}, {"1x1x1x1x", 170}, {"000000011", 1}, {"1", 128}, {"", 0}};
  // clang-format on
  for (const auto& c : toInt) EXPECT_EQ(BinTextToInt(c.text), c.v) << c.text;
}

TEST(NumText, RoundTrips) {
  for (int32_t v = 0; v <= 0xFFFF; ++v) ASSERT_EQ(HexTextToInt(IntToHexText(v)), v) << v;
  for (int32_t v = 0; v <= 255; ++v) {
    ASSERT_EQ(BinTextToInt(IntToBinText(v)), v) << v;
    ASSERT_EQ(ByteText(static_cast<uint8_t>(v)), IntToHexText(v)) << v;
  }
}

}  // namespace
}  // namespace tamrel
