// TEMP: replaced by machine/text.h's Utf8ToCp1251 once that is on main.
#include "lab/temp_text.h"

#include <cstdint>

namespace tamrel {

namespace {

// Code page 1251 bytes 80h..BFh; C0h..FFh are U+0410..U+044F in order. 98h is unused.
constexpr uint16_t kHigh[64] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409,
    0x2039, 0x040A, 0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0xFFFD, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0,
    0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB,
    0x00AC, 0x00AD, 0x00AE, 0x0407, 0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6,
    0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457};

char ByteOf(uint32_t u) {
  if (u < 0x80) return static_cast<char>(u);
  if (u >= 0x410 && u <= 0x44F) return static_cast<char>(0xC0 + (u - 0x410));
  if (u == 0xFFFD) return '?';  // not 98h, which stands for nothing
  for (uint32_t k = 0; k < 64; ++k)
    if (kHigh[k] == u) return static_cast<char>(0x80 + k);
  return '?';
}

void PutUtf8(std::string& out, uint32_t u) {
  if (u < 0x80) {
    out.push_back(static_cast<char>(u));
    return;
  }
  if (u < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (u >> 6)));
  } else {
    out.push_back(static_cast<char>(0xE0 | (u >> 12)));
    out.push_back(static_cast<char>(0x80 | ((u >> 6) & 0x3F)));
  }
  out.push_back(static_cast<char>(0x80 | (u & 0x3F)));
}

// Length of the well-formed UTF-8 sequence at the start of `s`, 0 if there is none.
size_t Utf8Length(std::string_view s) {
  const auto c = static_cast<uint8_t>(s[0]);
  const size_t n = c < 0x80                 ? 1
                   : c >= 0xC2 && c <= 0xDF ? 2
                   : c >= 0xE0 && c <= 0xEF ? 3
                   : c >= 0xF0 && c <= 0xF4 ? 4
                                            : 0;
  if (n == 0 || s.size() < n) return 0;
  for (size_t k = 1; k < n; ++k)
    if ((static_cast<uint8_t>(s[k]) & 0xC0) != 0x80) return 0;
  const auto d = n > 1 ? static_cast<uint8_t>(s[1]) : 0;
  if ((c == 0xE0 && d < 0xA0) || (c == 0xED && d >= 0xA0) || (c == 0xF0 && d < 0x90) ||
      (c == 0xF4 && d >= 0x90))
    return 0;  // overlong, surrogate or beyond U+10FFFF
  return n;
}

}  // namespace

std::string LabCp1251ToUtf8(std::string_view s) {
  std::string out;
  out.reserve(s.size() * 2);
  for (char ch : s) {
    const auto b = static_cast<uint8_t>(ch);
    PutUtf8(out, b < 0x80 ? b : b >= 0xC0 ? 0x410u + (b - 0xC0u) : kHigh[b - 0x80]);
  }
  return out;
}

std::string LabBytesToUtf8(std::string_view s) {
  std::string out;
  while (!s.empty()) {
    const size_t n = Utf8Length(s);
    if (n == 0) {
      PutUtf8(out, 0xFFFD);
      s.remove_prefix(1);
    } else {
      out.append(s.substr(0, n));
      s.remove_prefix(n);
    }
  }
  return out;
}

std::string LabUtf8ToCp1251(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size();) {
    const auto c = static_cast<uint8_t>(s[i]);
    const size_t n = c < 0x80                 ? 1
                     : c >= 0xC2 && c <= 0xDF ? 2
                     : c >= 0xE0 && c <= 0xEF ? 3
                     : c >= 0xF0 && c <= 0xF4 ? 4
                                              : 0;
    uint32_t u = n == 1 ? c : c & (0x7Fu >> n);
    bool whole = n != 0 && i + n <= s.size();
    for (size_t k = 1; whole && k < n; ++k) {
      const auto d = static_cast<uint8_t>(s[i + k]);
      whole = (d & 0xC0) == 0x80;
      u = (u << 6) | (d & 0x3Fu);
    }
    if (!whole) {
      out.push_back('?');
      ++i;
      continue;
    }
    out.push_back(ByteOf(u));
    i += n;
  }
  return out;
}

}  // namespace tamrel
