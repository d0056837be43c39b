#include "support/program.h"

#include <string>

#include "listing/opcodes.h"
#include "machine/numtext.h"

namespace tamrel::test {

void TypeProgram(Core& c, LineEntry& e, int32_t addr,
                 std::initializer_list<std::string_view> lines) {
  const int32_t start = addr;
  for (std::string_view line : lines) {
    c.m.PC = addr;
    std::string typed;
    int op = 0;
    for (char k : line) {
      TypeIntoEntry(c, e, typed, k);
      typed.push_back(k);
      if (const int o = FindOpcode(typed); o >= 0) op = o;
    }
    addr += ComTab()[op].Length;
  }
  c.m.PC = start;
}

std::vector<bool> EnterProgramLines(Trainer& t, const std::vector<ProgramLine>& lines) {
  std::vector<bool> leftover(kLastRow + 3);
  auto row = [](int64_t addr) { return static_cast<size_t>(RowOfAddress(addr)); };
  for (const ProgramLine& line : lines) {
    const int32_t pc = t.m.PC;
    if (line.kind == ProgramLine::kInstruction) {
      std::string before[3];
      for (int k = 0; k < 3; ++k) before[k] = t.listing.Code(RowOfAddress(pc + k));
      EntryKeyDown(t, EntryKey::Backspace);
      std::string field;
      for (char k : line.text) {
        TypeIntoEntry(t, t.Entry, field, k);
        field.push_back(k);
      }
      const int len =
          ComTab()[static_cast<uint8_t>(HexTextToInt(t.listing.Code(RowOfAddress(pc))))].Length;
      for (int k = 0; k < 3; ++k) {
        if (k < len)
          leftover[row(pc + k)] = false;
        else if (t.listing.Code(RowOfAddress(pc + k)) != before[k])
          leftover[row(pc + k)] = true;
      }
      for (int k = 0; k < len; ++k) EntryKeyDown(t, EntryKey::Enter);
      continue;
    }
    for (const std::string& code : line.codes) {
      if (line.kind == ProgramLine::kData) {
        t.Display.DataMode = false;
        MemKey(t);
        HexKey(t, code[0]);
        HexKey(t, code[1]);
      } else {
        SelectRow(t, RowOfAddress(line.addr));
        StoreByte(t, line.addr, static_cast<uint8_t>(HexTextToInt(code)), code);
      }
      leftover[row(t.m.PC)] = false;
      NextKey(t);
    }
  }
  return leftover;
}

int64_t FirstDifferentRow(const Core& a, const Core& b, const std::vector<bool>& skip) {
  for (int64_t row = 1; row <= kLastRow; ++row) {
    if (static_cast<size_t>(row) < skip.size() && skip[static_cast<size_t>(row)]) continue;
    const int64_t addr = AddressOfRow(row);
    if (a.m.Mem.Read(addr) != b.m.Mem.Read(addr) || a.listing.Code(row) != b.listing.Code(row))
      return row;
  }
  return 0;
}

void SetFlag(Machine& m, std::string_view name, int value) {
  static constexpr std::pair<std::string_view, Flag> kNames[] = {
      {"CY", Flag::CY}, {"P", Flag::P}, {"AC", Flag::AC}, {"Z", Flag::Z}, {"S", Flag::S}};
  for (const auto& [n, f] : kNames)
    if (n == name) return tamrel::SetFlag(m, f, value);
  PackFlags(m);
}

}  // namespace tamrel::test
