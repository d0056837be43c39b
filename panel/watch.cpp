#include "panel/watch.h"

#include <algorithm>

#include "listing/opcodes.h"
#include "machine/numtext.h"
#include "machine/text.h"

namespace tamrel {

namespace {

std::string Quoted(std::string_view text) { return Cp1251("«") + std::string(text) + Cp1251("»"); }

bool HasLowerCase(std::string_view s) {
  for (char c : s)
    if (c >= 'a' && c <= 'z') return true;
  return false;
}

// The text with one space after each comma, as the table writes two register operands.
std::string SpacedCommas(std::string_view s) {
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    out.push_back(s[i]);
    if (s[i] == ',' && (i + 1 >= s.size() || s[i + 1] != ' ')) out.push_back(' ');
  }
  return out;
}

// Whether the text begins with a whole opcode text: an instruction already stands there.
bool BeginsWithInstruction(std::string_view s) {
  for (size_t n = s.size(); n > 0; --n)
    if (FindOpcode(s.substr(0, n)) >= 0) return true;
  return false;
}

}  // namespace

int64_t PcRow(const Trainer& t) {
  const int64_t row = RowOfAddress(t.m.PC);
  return row >= 1 && row <= kShownRows ? row : 0;
}

std::string StopText(RunEnd end, int32_t pc) {
  switch (end) {
    case RunEnd::Hlt: return Cp1251("HLT на ") + IntToHexText(AddWrap(pc, -1));
    case RunEnd::Rst: return "RST";
    case RunEnd::RstKey: return Cp1251("остановлено клавишей RST");
    case RunEnd::Breakpoint: return Cp1251("точка останова на ") + IntToHexText(pc);
    case RunEnd::Limit: break;
  }
  return Cp1251("остановлено на ") + IntToHexText(pc);
}

std::string RunReport(RunEnd end, int32_t pc, uint64_t lines, uint64_t cycles) {
  return StopText(end, pc) + Cp1251("; строк: ") + std::to_string(lines) + Cp1251(", тактов: ") +
         std::to_string(cycles);
}

std::string StepReport(int32_t pc, std::string_view line, uint64_t cycles) {
  const std::string shown = line.empty() ? Cp1251("пустая строка") : std::string(line);
  return Cp1251("шаг на ") + IntToHexText(pc) + ": " + shown + Cp1251("; тактов: ") +
         std::to_string(cycles);
}

std::string SlowRunReport(uint64_t lines, uint64_t cycles) {
  return Cp1251("идёт запуск; строк: ") + std::to_string(lines) + Cp1251(", тактов: ") +
         std::to_string(cycles);
}

void ChangeWatch::Begin(const Trainer& t) {
  before_ = t.m.Mem;
  startPc = t.m.PC;
  startCycles = t.cycles;
  startLine = CurrentLine(t);
}

void ChangeWatch::End(const Trainer& t) {
  std::fill(changed_.begin(), changed_.end(), 0);
  t.m.Mem.ForEachChange(before_, [this](int64_t addr, uint8_t) {
    changed_[static_cast<size_t>(addr - kMemFirst)] = 1;
  });
}

bool DiffersFromCode(const Trainer& t, int64_t addr) {
  if (!InWindow(addr)) return false;
  return HexTextToInt(t.listing.Code(RowOfAddress(addr))) != t.m.Mem.Read(addr);
}

std::vector<StackEntry> StackWords(const Machine& m, int count) {
  std::vector<StackEntry> out;
  for (int k = 0; k < count; ++k) {
    const int64_t a = int64_t{m.SP} + 2 * k;
    if (!InWindow(a)) break;
    out.push_back({static_cast<int32_t>(a), m.Mem.Read(a + 1) * 256 + m.Mem.Read(a)});
  }
  return out;
}

std::chrono::nanoseconds LineInterval(int linesPerSecond) {
  if (linesPerSecond <= 0) return std::chrono::nanoseconds(0);
  return std::chrono::nanoseconds(1'000'000'000 / linesPerSecond);
}

std::string EntryProblem(const Trainer& t, std::string_view text) {
  if (t.Entry.PendingOperands > 0 || CanStillMatch(text) || text == CurrentLine(t)) return {};
  const std::string start = Cp1251("нет команды, начинающейся с ") + Quoted(text);
  if (BeginsWithInstruction(text))
    return Cp1251("сотрите строку, прежде чем вводить новую команду");
  if (HasLowerCase(text)) return start + Cp1251(": команды пишутся заглавными буквами");
  if (CanStillMatch(SpacedCommas(text))) return start + Cp1251(": после запятой ставится пробел");
  return start;
}

std::string MemoryChars(const Machine& m, int64_t addr, int count) {
  std::string chars;
  for (int64_t a = addr; a < addr + count && InWindow(a); ++a) {
    const uint8_t b = m.Mem.Read(a);
    chars.push_back(b >= 0x20 && b != 0x7F && b != 0x98 ? static_cast<char>(b) : '.');
  }
  return chars;
}

}  // namespace tamrel
