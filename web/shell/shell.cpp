#include "web/shell/shell.h"

#include <array>

#include "files/ihex.h"
#include "files/memfile.h"
#include "listing/opcodes.h"
#include "machine/numtext.h"

namespace tamrel::web {

namespace {

// Code page 1251 from 80h to BFh; C0h..FFh are U+0410..U+044F. 98h has no character.
constexpr std::array<char16_t, 64> kHigh = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409,
    0x2039, 0x040A, 0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x0000, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0,
    0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB,
    0x00AC, 0x00AD, 0x00AE, 0x0407, 0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6,
    0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457};

char32_t CodePoint(unsigned char b) {
  if (b < 0x80) return b;
  if (b >= 0xC0) return 0x0410 + (b - 0xC0);
  return kHigh[b - 0x80] ? kHigh[b - 0x80] : 0xFFFD;
}

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

}  // namespace

std::string ToUtf8(std::string_view cp1251) {
  std::string out;
  out.reserve(cp1251.size());
  for (char ch : cp1251) AppendUtf8(out, CodePoint(static_cast<unsigned char>(ch)));
  return out;
}

std::optional<std::string> FromUtf8(std::string_view utf8) {
  std::string out;
  for (size_t i = 0; i < utf8.size();) {
    const auto b = static_cast<unsigned char>(utf8[i]);
    const int len = b < 0x80 ? 1 : b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 0;
    if (len == 0 || i + static_cast<size_t>(len) > utf8.size()) return std::nullopt;
    char32_t c = len == 1 ? b : b & (0x7F >> len);
    for (int k = 1; k < len; ++k) c = (c << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
    i += static_cast<size_t>(len);
    if (c < 0x80) {
      out += static_cast<char>(c);
      continue;
    }
    if (c == 0xFFFD) return std::nullopt;  // what 98h shows as stands for no byte
    bool found = false;
    for (unsigned v = 0x80; v <= 0xFF && !found; ++v)
      if (CodePoint(static_cast<unsigned char>(v)) == c) {
        out += static_cast<char>(v);
        found = true;
      }
    if (!found) return std::nullopt;
  }
  return out;
}

bool EntryKey(Trainer& t, FieldKey k, std::string_view fieldText, std::string_view character) {
  switch (k) {
    case FieldKey::Enter: EntryKeyDown(t, tamrel::EntryKey::Enter); return false;
    case FieldKey::Backspace: EntryKeyDown(t, tamrel::EntryKey::Backspace); return true;
    case FieldKey::Other: return true;
    case FieldKey::Character: break;
  }
  const auto ch = FromUtf8(character);
  const auto before = FromUtf8(fieldText);
  if (!ch || ch->size() != 1 || !before) return false;  // not a character of the code page
  TypeIntoEntry(t, t.Entry, *before, (*ch)[0]);
  return true;
}

std::optional<std::string> OpenImageBytes(Core& c, std::string_view bytes) {
  if (bytes.size() < kImageSize) return std::string("Read beyond end of file");
  NoteEdit(c);
  for (size_t k = 0; k < kImageSize; ++k) {
    const auto b = static_cast<uint8_t>(bytes[k]);
    StoreByte(c, kMemFirst + static_cast<int64_t>(k), b, ByteText(b));
  }
  FullDisassembly(c.listing);
  return std::nullopt;
}

std::string ImageBytes(const Listing& l) {
  std::string bytes(kImageSize, '\0');
  for (size_t k = 0; k < kImageSize; ++k)
    bytes[k] =
        static_cast<char>(static_cast<uint8_t>(HexTextToInt(l.Code(static_cast<int64_t>(k) + 1))));
  return bytes;
}

std::optional<std::string> ImportHexBytes(Core& c, std::string_view text) {
  return ImportHexText(c, text);
}

// Until the core runs RUN in slices itself, each slice is a RUN of its own bounded by lines.
void Run::Begin(uint64_t maxLines) {
  going_ = true;
  maxLines_ = maxLines;
  lines_ = 0;
  end_ = RunEnd::Limit;
  t_.StopRequest = false;
}

SliceEnd Run::Slice(uint64_t lines, std::chrono::nanoseconds) {
  if (t_.StopRequest) {
    end_ = RunEnd::RstKey;
    return SliceEnd::Ended;
  }
  const uint64_t n = std::min(lines, maxLines_ - lines_);
  const RunResult r = RunKey(t_, n);
  lines_ += r.lines;
  if (r.end != RunEnd::Limit || lines_ >= maxLines_) {
    end_ = r.end;
    return SliceEnd::Ended;
  }
  return SliceEnd::Bounded;
}

RunResult Run::Finish() {
  going_ = false;
  return {end_, lines_};
}

}  // namespace tamrel::web
