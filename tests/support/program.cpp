#include "support/program.h"

#include <string>

#include "listing/opcodes.h"

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

void SetFlag(Machine& m, std::string_view name, int value) {
  static constexpr std::pair<std::string_view, Flag> kNames[] = {
      {"CY", Flag::CY}, {"P", Flag::P}, {"AC", Flag::AC}, {"Z", Flag::Z}, {"S", Flag::S}};
  for (const auto& [n, f] : kNames)
    if (n == name) return tamrel::SetFlag(m, f, value);
  PackFlags(m);
}

}  // namespace tamrel::test
