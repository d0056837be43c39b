#include "files/ihex.h"

#include <algorithm>
#include <cstdio>

#include "core/core.h"
#include "listing/opcodes.h"
#include "machine/numtext.h"
#include "machine/text.h"

namespace tamrel {

namespace {

std::string AtLine(size_t line, std::string_view utf8What, std::string_view detail = {}) {
  return Cp1251("Строка ") + std::to_string(line) + ": " + Cp1251(utf8What) + std::string(detail);
}

// Addresses in messages always with four digits (five past FFFFh).
std::string Hex4(int32_t v) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%04X", static_cast<unsigned>(v));
  return buf;
}

bool IsBlank(char ch) { return ch == ' ' || ch == '\t' || ch == '\r' || ch == '\f' || ch == '\v'; }

// One record's text after the colon: its bytes, or the reason it has none.
std::optional<std::string> RecordBytes(std::string_view digits, size_t line,
                                       std::vector<uint8_t>& bytes) {
  for (size_t k = 0; k < digits.size(); ++k) {
    if (AnyCaseHexDigit(digits[k]) >= 0) continue;
    const auto ch = static_cast<uint8_t>(digits[k]);
    const std::string shown = ch > 0x20 && ch < 0x7F ? Cp1251(" «") + char(ch) + Cp1251("»") : "";
    return AtLine(line, "не шестнадцатеричный символ", shown) + Cp1251(" в позиции ") +
           std::to_string(k + 2);
  }
  if (digits.size() % 2 != 0) return AtLine(line, "нечётное число цифр");
  bytes.clear();
  for (size_t k = 0; k < digits.size(); k += 2)
    bytes.push_back(
        static_cast<uint8_t>(AnyCaseHexDigit(digits[k]) * 16 + AnyCaseHexDigit(digits[k + 1])));
  if (bytes.size() < 5) return AtLine(line, "запись короче пяти байтов");
  if (bytes.size() != bytes[0] + 5u)
    return AtLine(line, "длина ", ByteText(bytes[0])) +
           Cp1251(" не совпадает с числом байтов данных ") + std::to_string(bytes.size() - 5);
  uint8_t sum = 0;
  for (size_t k = 0; k + 1 < bytes.size(); ++k) sum = static_cast<uint8_t>(sum + bytes[k]);
  const auto expected = static_cast<uint8_t>(-sum);
  if (bytes.back() != expected)
    return AtLine(line, "неверная контрольная сумма ", ByteText(bytes.back())) +
           Cp1251(", должна быть ") + std::string(ByteText(expected));
  return std::nullopt;
}

}  // namespace

std::optional<std::string> ParseHex(std::string_view text, std::vector<HexByte>& out) {
  out.clear();
  std::vector<uint8_t> rec;
  size_t line = 0;
  bool anyRecord = false;
  while (!text.empty()) {
    ++line;
    const size_t nl = text.find('\n');
    std::string_view s = text.substr(0, nl);
    text.remove_prefix(nl == std::string_view::npos ? text.size() : nl + 1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    if (s.empty()) continue;  // blank lines between records carry nothing
    anyRecord = true;
    if (s.front() != ':') return AtLine(line, "запись не начинается с двоеточия");
    if (auto err = RecordBytes(s.substr(1), line, rec)) return err;

    const uint8_t length = rec[0];
    const int32_t offset = rec[1] * 256 + rec[2];
    const uint8_t type = rec[3];
    switch (type) {
      case 0x00:
        for (int32_t k = 0; k < length; ++k) {
          const int32_t addr = offset + k;
          if (!InWindow(addr))
            return AtLine(line, "адрес ", Hex4(addr)) + Cp1251(" вне памяти 8200–F730");
          out.push_back({addr, rec[4 + static_cast<size_t>(k)]});
        }
        break;
      case 0x01:
        if (length != 0) return AtLine(line, "запись конца файла с данными");
        return std::nullopt;  // whatever follows the end record is not read
      case 0x02:
      case 0x04:
        if (length != 2) return AtLine(line, "запись базового адреса не из двух байтов");
        if (rec[4] != 0 || rec[5] != 0)
          return AtLine(line, "базовый адрес ", Hex4(rec[4] * 256 + rec[5])) +
                 Cp1251(" не равен 0");
        break;
      default: return AtLine(line, "неизвестный тип записи ", ByteText(type));
    }
  }
  if (!anyRecord) return AtLine(1, "файл пуст");
  return AtLine(line + 1, "нет записи конца файла (тип 01)");
}

std::optional<std::string> ImportHexText(Core& c, std::string_view text) {
  std::vector<HexByte> bytes;
  if (auto err = ParseHex(text, bytes)) return err;
  for (const HexByte& b : bytes) StoreByte(c, b.addr, b.value, ByteText(b.value));
  FullDisassembly(c.listing);
  NoteEdit(c);
  return std::nullopt;
}

std::optional<std::string> ImportHex(Core& c, const std::string& path) {
  std::string text;
  if (auto err = ReadFileBytes(path, text)) return FileErrorText(*err, path);
  return ImportHexText(c, text);
}

std::string ExportHexText(const Listing& l) {
  constexpr int kPerRecord = 16;
  std::string out;
  out.reserve(kImageSize / kPerRecord * 45 + 13);
  for (int64_t row = 1; row <= static_cast<int64_t>(kImageSize); row += kPerRecord) {
    const auto addr = static_cast<int32_t>(AddressOfRow(row));
    const int n = static_cast<int>(std::min<int64_t>(kPerRecord, kImageSize + 1 - row));
    uint8_t sum = static_cast<uint8_t>(n + addr / 256 + addr % 256);
    out += ':';
    out += ByteText(static_cast<uint8_t>(n));
    out += IntToHexText(addr);
    out += "00";
    for (int k = 0; k < n; ++k) {
      const auto b = static_cast<uint8_t>(HexTextToInt(l.Code(row + k)));
      sum = static_cast<uint8_t>(sum + b);
      out += ByteText(b);
    }
    out += ByteText(static_cast<uint8_t>(-sum));
    out += "\r\n";
  }
  out += ":00000001FF\r\n";
  return out;
}

std::optional<std::string> ExportHex(const Listing& l, const std::string& path, WriteFn write) {
  if (auto f = WriteFileSafely(path, ExportHexText(l), write)) return FileErrorText(f->err, path);
  return std::nullopt;
}

}  // namespace tamrel
