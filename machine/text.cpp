#include "machine/text.h"

#include <array>

namespace tamrel {

namespace {

constexpr char32_t kReplacementCharacter = 0xFFFD;

// Code page 1251: ASCII below 80h, the table for 80h..BFh, and U+0410..U+044F in order
// from C0h.
constexpr std::array<char16_t, 256> kCp1251 = [] {
  constexpr char16_t kHigh[64] = {
      0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409,
      0x2039, 0x040A, 0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
      0x2013, 0x2014, 0xFFFD, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0,
      0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB,
      0x00AC, 0x00AD, 0x00AE, 0x0407, 0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6,
      0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457};
  std::array<char16_t, 256> t{};
  for (int b = 0; b < 0x80; ++b) t[b] = static_cast<char16_t>(b);
  for (int b = 0x80; b < 0xC0; ++b) t[b] = kHigh[b - 0x80];
  for (int b = 0xC0; b < 0x100; ++b) t[b] = static_cast<char16_t>(0x0410 + (b - 0xC0));
  return t;
}();

// The byte of a character in code page 1251, if it has one.
std::optional<char> Cp1251Byte(char32_t u) {
  if (u < 0x80) return static_cast<char>(u);
  if (u == kReplacementCharacter) return std::nullopt;  // it only stands for byte 98h
  for (int b = 0x80; b < 0x100; ++b)
    if (kCp1251[b] == u) return static_cast<char>(b);
  return std::nullopt;
}

void PutUtf8(std::string& out, char32_t u) {
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

// The well-formed UTF-8 sequence at the start of `s`: its length (0 if there is none) and
// its code point.
size_t Decode(std::string_view s, char32_t& u) {
  if (s.empty()) return 0;
  const auto b = [&](size_t k) { return static_cast<uint8_t>(s[k]); };
  const uint8_t c = b(0);
  if (c < 0x80) {
    u = c;
    return 1;
  }
  const size_t n = c >= 0xC2 && c <= 0xDF   ? 2
                   : c >= 0xE0 && c <= 0xEF ? 3
                   : c >= 0xF0 && c <= 0xF4 ? 4
                                            : 0;
  if (n == 0 || s.size() < n) return 0;
  u = c & (0x7F >> n);
  for (size_t k = 1; k < n; ++k) {
    if ((b(k) & 0xC0) != 0x80) return 0;
    u = u << 6 | (b(k) & 0x3F);
  }
  const uint8_t d = b(1);
  if ((c == 0xE0 && d < 0xA0) || (c == 0xED && d >= 0xA0) || (c == 0xF0 && d < 0x90) ||
      (c == 0xF4 && d >= 0x90))
    return 0;  // overlong, surrogate or beyond U+10FFFF
  return n;
}

// Code page 1251 of `utf8`. A character without a place there, or a byte that starts no
// well-formed sequence, becomes `replacement`; without one it leaves nothing.
std::optional<std::string> ToCp1251(std::string_view utf8, std::optional<char> replacement) {
  std::string out;
  out.reserve(utf8.size());
  while (!utf8.empty()) {
    char32_t u = 0;
    const size_t n = Decode(utf8, u);
    std::optional<char> b = n == 0 ? std::nullopt : Cp1251Byte(u);
    if (!b) b = replacement;
    if (!b) return std::nullopt;
    out.push_back(*b);
    utf8.remove_prefix(n == 0 ? 1 : n);
  }
  return out;
}

// An ASCII character as JSON wants it inside a string.
void PutJsonAscii(std::string& out, char ch) {
  static constexpr char kHex[] = "0123456789abcdef";
  switch (ch) {
    case '"': out += "\\\""; return;
    case '\\': out += "\\\\"; return;
    case '\n': out += "\\n"; return;
    case '\r': out += "\\r"; return;
    case '\t': out += "\\t"; return;
    default: break;
  }
  if (static_cast<uint8_t>(ch) < 0x20 || ch == 0x7F) {
    out += "\\u00";
    out.push_back(kHex[static_cast<uint8_t>(ch) >> 4]);
    out.push_back(kHex[ch & 0xF]);
  } else {
    out.push_back(ch);
  }
}

}  // namespace

std::string Cp1251ToUtf8(std::string_view cp1251) {
  std::string out;
  out.reserve(cp1251.size());
  for (char ch : cp1251) PutUtf8(out, kCp1251[static_cast<uint8_t>(ch)]);
  return out;
}

std::optional<std::string> Utf8ToCp1251(std::string_view utf8) {
  return ToCp1251(utf8, std::nullopt);
}

std::string Utf8ToCp1251Replacing(std::string_view utf8, char replacement) {
  return *ToCp1251(utf8, replacement);
}

size_t Utf8Length(std::string_view s) {
  char32_t u = 0;
  return Decode(s, u);
}

bool IsUtf8(std::string_view s) {
  while (!s.empty()) {
    const size_t n = Utf8Length(s);
    if (n == 0) return false;
    s.remove_prefix(n);
  }
  return true;
}

std::string JsonString(std::string_view cp1251) {
  std::string out = "\"";
  for (char ch : cp1251) {
    if (static_cast<uint8_t>(ch) < 0x80)
      PutJsonAscii(out, ch);
    else
      PutUtf8(out, kCp1251[static_cast<uint8_t>(ch)]);
  }
  return out + '"';
}

std::string JsonUtf8String(std::string_view s) {
  std::string out = "\"";
  while (!s.empty()) {
    const size_t n = Utf8Length(s);
    if (n == 1)
      PutJsonAscii(out, s[0]);
    else if (n > 1)
      out.append(s.substr(0, n));
    else
      PutUtf8(out, kReplacementCharacter);
    s.remove_prefix(n == 0 ? 1 : n);
  }
  return out + '"';
}

std::string AsciiUpper(std::string_view s) {
  std::string u(s);
  for (char& ch : u)
    if (ch >= 'a' && ch <= 'z') ch = static_cast<char>(ch - 'a' + 'A');
  return u;
}

int AnyCaseHexDigit(char ch) {
  if (ch >= '0' && ch <= '9') return ch - '0';
  if (ch >= 'A' && ch <= 'F') return ch - 'A' + 10;
  if (ch >= 'a' && ch <= 'f') return ch - 'a' + 10;
  return -1;
}

std::optional<int32_t> AnyCaseHexNumber(std::string_view s, size_t maxDigits) {
  if (s.empty() || s.size() > maxDigits) return std::nullopt;
  int32_t v = 0;
  for (char ch : s) {
    const int d = AnyCaseHexDigit(ch);
    if (d < 0) return std::nullopt;
    v = v * 16 + d;
  }
  return v;
}

}  // namespace tamrel
