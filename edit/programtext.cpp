#include "edit/programtext.h"

#include <algorithm>
#include <cstdio>

#include "listing/opcodes.h"
#include "machine/numtext.h"
#include "machine/text.h"

namespace tamrel {

namespace {

// "Строка 3: " + the message, whose «%s» (if any) is `quoted` as it stands in the text.
std::string AtLine(size_t line, std::string_view utf8What, std::string_view quoted = {}) {
  std::string what = Cp1251(utf8What);
  if (const size_t at = what.find("%s"); at != std::string::npos) what.replace(at, 2, quoted);
  return Cp1251("Строка ") + std::to_string(line) + ": " + what;
}

std::string Hex4(int64_t v) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%04X", static_cast<unsigned>(static_cast<uint32_t>(v)));
  return buf;
}

bool IsBlank(char ch) { return ch == ' ' || ch == '\t' || ch == '\f' || ch == '\v' || ch == '\r'; }
bool IsHexDigit(char ch) { return (ch >= '0' && ch <= '9') || (ch >= 'A' && ch <= 'F'); }
bool IsHexText(std::string_view s, size_t n) {
  return s.size() == n && std::all_of(s.begin(), s.end(), IsHexDigit);
}

std::string_view Trimmed(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

// Blanks as the opcode table writes them: single spaces between words, none before a comma and
// one after it, none at either end.
std::string Tidy(std::string_view s) {
  std::string out;
  bool blank = false;
  for (char ch : Trimmed(s)) {
    if (IsBlank(ch)) {
      blank = true;
      continue;
    }
    if (ch == ',') {
      out += ", ";
      blank = false;
      continue;
    }
    if (blank && !out.empty() && out.back() != ' ') out.push_back(' ');
    blank = false;
    out.push_back(ch);
  }
  while (!out.empty() && out.back() == ' ') out.pop_back();
  return out;
}

std::vector<std::string_view> Words(std::string_view s) {
  std::vector<std::string_view> words;
  for (size_t at = 0; at < s.size();) {
    const size_t end = std::min(s.find_first_of(" ,", at), s.size());
    if (end > at) words.push_back(s.substr(at, end - at));
    at = end + 1;
  }
  return words;
}

// A line exactly as the print-out lays it out: the address, four blanks, the mnemonic field of
// 16 characters, the code text of two. The code is taken from its column, whatever it holds
// (the entry line keeps typed operand texts as they were), so every print-out reads back.
bool PrintoutColumns(std::string_view line, ProgramLine& out) {
  if (line.size() < 26 || !IsHexText(line.substr(0, 4), 4) || line.substr(4, 4) != "    ")
    return false;
  const std::string_view code = line.substr(24, 2);
  if (IsBlank(code[0]) || IsBlank(code[1])) return false;
  const std::string_view after = Trimmed(line.substr(26));
  if (!after.empty() && after.front() != ';') return false;
  out.kind = ProgramLine::kPrintout;
  out.addr = HexTextToInt(line.substr(0, 4));
  out.codes = {std::string(code)};
  return true;
}

// The longest start of `line` that is a text of the opcode table: typing the line matches
// each such start in turn, and the last match is what stays at the PC.
int LongestOpcode(std::string_view line, size_t& textLength) {
  int op = -1;
  for (size_t n = 1; n <= std::min<size_t>(line.size(), 8); ++n)
    if (const int o = FindOpcode(line.substr(0, n)); o >= 0) {
      op = o;
      textLength = n;
    }
  return op;
}

std::optional<std::string> ReadInstruction(ProgramLine& out) {
  const std::string& line = out.text;
  size_t n = 0;
  const int op = LongestOpcode(line, n);
  if (op < 0 || (n < line.size() && line[n] != ' ' && line[n] != ',')) {
    std::string upper = line;
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](char ch) { return ch >= 'a' && ch <= 'z' ? ch - 'a' + 'A' : ch; });
    size_t m = 0;
    const bool shouting = upper != line && LongestOpcode(upper, m) >= 0 &&
                          (m == upper.size() || upper[m] == ' ' || upper[m] == ',');
    return AtLine(out.number,
                  shouting ? "неизвестная команда «%s»: команды пишутся заглавными буквами"
                           : "неизвестная команда «%s»",
                  line);
  }
  const TComTab& e = ComTab()[op];
  std::string_view operand = std::string_view(line).substr(n);
  while (!operand.empty() && (operand.front() == ' ' || operand.front() == ',')) {
    operand.remove_prefix(1);
  }
  out.codes = {std::string(ByteText(static_cast<uint8_t>(op)))};
  if (e.Length == 1) {
    if (!operand.empty())
      return AtLine(out.number, "после «" + e.TableText + "» лишний текст «%s»", operand);
    return std::nullopt;
  }
  const size_t digits = e.Length == 2 ? 2 : 4;
  if (!IsHexText(operand, digits)) {
    const std::string what = e.Length == 2 ? "байт: две" : "адрес: четыре";
    return AtLine(out.number,
                  "«" + e.TableText + "» ждёт " + what + " шестнадцатеричные цифры 0–9, A–F" +
                      (operand.empty() ? std::string() : ", а не «%s»"),
                  operand);
  }
  // An address is written high byte first, as the listing shows it.
  if (e.Length == 3) out.codes.emplace_back(operand.substr(2, 2));
  out.codes.emplace_back(operand.substr(0, 2));
  return std::nullopt;
}

std::optional<std::string> ReadData(ProgramLine& out) {
  out.kind = ProgramLine::kData;
  for (std::string_view word : Words(std::string_view(out.text).substr(2))) {
    if (!IsHexText(word, 2))
      return AtLine(out.number, "«%s» не байт: нужны две шестнадцатеричные цифры 0–9, A–F", word);
    out.codes.emplace_back(word);
  }
  if (out.codes.empty()) return AtLine(out.number, "после DB нет ни одного байта");
  return std::nullopt;
}

// A print-out line with its blanks lost (copied through mail, say): the address, then the code
// as the last word; whatever stands between is the mnemonic and is decoded anew anyway.
std::optional<std::string> ReadLoosePrintout(ProgramLine& out) {
  const std::vector<std::string_view> words = Words(out.text);
  out.kind = ProgramLine::kPrintout;
  out.addr = HexTextToInt(words[0]);
  if (words.size() < 2 || !IsHexText(words.back(), 2))
    return AtLine(out.number, "в строке распечатки нет кода: две шестнадцатеричные цифры в конце");
  out.codes = {std::string(words.back())};
  return std::nullopt;
}

}  // namespace

std::optional<std::string> ReadProgramText(std::string_view text, int32_t pc,
                                           std::vector<ProgramLine>& lines) {
  lines.clear();
  int64_t at = pc;
  size_t number = 0;
  while (!text.empty()) {
    // Lines end in LF, CR LF or a lone CR.
    const size_t nl = text.find_first_of("\r\n");
    const std::string_view raw = text.substr(0, nl);
    const size_t next = nl == std::string_view::npos   ? text.size()
                        : text.substr(nl, 2) == "\r\n" ? nl + 2
                                                       : nl + 1;
    text.remove_prefix(next);
    ProgramLine line;
    line.number = ++number;
    if (!PrintoutColumns(Trimmed(raw), line)) {
      line.text = Tidy(raw.substr(0, raw.find(';')));
      if (line.text.empty()) continue;
      const std::string_view first = std::string_view(line.text).substr(0, line.text.find(' '));
      std::optional<std::string> err;
      if (IsHexText(first, 4))
        err = ReadLoosePrintout(line);
      else if (first == "DB")
        err = ReadData(line);
      else
        err = ReadInstruction(line);
      if (err) {
        lines.clear();
        return err;
      }
    }
    if (line.kind == ProgramLine::kPrintout) at = line.addr;
    line.addr = static_cast<int32_t>(at);
    const int64_t last = at + static_cast<int64_t>(line.codes.size()) - 1;
    if (!InWindow(at) || !InWindow(last)) {
      lines.clear();
      return AtLine(line.number, "адрес %s вне памяти 8200–F730", Hex4(InWindow(at) ? last : at));
    }
    at = last + 1;
    lines.push_back(std::move(line));
  }
  if (lines.empty()) return Cp1251("В тексте нет ни одной команды");
  return std::nullopt;
}

std::optional<std::string> PasteProgramText(Core& c, std::string_view text) {
  std::vector<ProgramLine> lines;
  if (auto err = ReadProgramText(text, c.m.PC, lines)) return err;
  NoteEdit(c);
  for (const ProgramLine& line : lines)
    for (size_t k = 0; k < line.codes.size(); ++k)
      StoreByte(c, line.addr + static_cast<int64_t>(k),
                static_cast<uint8_t>(HexTextToInt(line.codes[k])), line.codes[k]);
  FullDisassembly(c.listing);
  c.m.PC = lines.back().addr + static_cast<int32_t>(lines.back().codes.size());
  return std::nullopt;
}

}  // namespace tamrel
