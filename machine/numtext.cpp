#include "machine/numtext.h"

#include <array>
#include <charconv>

namespace tamrel {

namespace {

void AppendDigit(std::string& out, int32_t d) {
  if (d < 0) {
    char buf[16];
    auto res = std::to_chars(buf, buf + sizeof buf, d);
    out.append(buf, res.ptr);
  } else if (d <= 9) {
    out.push_back(static_cast<char>('0' + d));
  } else if (d <= 15) {
    out.push_back(static_cast<char>('A' + d - 10));
  }  // above 15: nothing
}

constexpr std::array<char, 512> MakeByteTexts() {
  std::array<char, 512> t{};
  const char* digits = "0123456789ABCDEF";
  for (int i = 0; i < 256; ++i) {
    t[2 * i] = digits[i >> 4];
    t[2 * i + 1] = digits[i & 15];
  }
  return t;
}

constexpr std::array<char, 512> kByteTexts = MakeByteTexts();

}  // namespace

std::string IntToHexText(int32_t v) {
  // Truncating division never overflows here: |4096 * d1| <= |v|.
  const int32_t d1 = v / 4096;
  int32_t r = v - 4096 * d1;
  const int32_t d2 = r / 256;
  r -= 256 * d2;
  const int32_t d3 = r / 16;
  const int32_t d4 = r - 16 * d3;
  std::string out;
  AppendDigit(out, d1);
  AppendDigit(out, d2);
  AppendDigit(out, d3);
  AppendDigit(out, d4);
  if (out.size() >= 2 && out[0] == '0' && out[1] == '0') out.erase(0, 2);
  return out;
}

int32_t HexTextToInt(std::string_view text) {
  uint32_t sum = 0;
  for (char c : text) {
    uint32_t d;
    if (c >= '0' && c <= '9') {
      d = static_cast<uint32_t>(c - '0');
    } else if (c >= 'A' && c <= 'F') {
      d = static_cast<uint32_t>(c - 'A' + 10);
    } else {
      return 0;
    }
    sum = sum * 16u + d;  // digits beyond the eighth fall off the top, as mod 2^32 says
  }
  return static_cast<int32_t>(sum);
}

std::string IntToBinText(int32_t v) {
  std::string out;
  out.reserve(8);
  int64_t x = v;
  for (int n = 7; n >= 0; --n) {
    const int64_t p = int64_t{1} << n;
    if (x / p > 0) {
      out.push_back('1');
      x -= p;
    } else {
      out.push_back('0');
    }
  }
  return out;
}

int32_t BinTextToInt(std::string_view text) {
  int32_t v = 0;
  for (size_t i = 0; i < 8 && i < text.size(); ++i) {
    if (text[i] == '1') v += 1 << (7 - i);
  }
  return v;
}

std::string_view ByteText(uint8_t b) { return {kByteTexts.data() + 2 * b, 2}; }

}  // namespace tamrel
