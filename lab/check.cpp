// Checking one program's run against a lab: the lab's data and start state, RUN, then every
// expectation compared with what the run left.
#include <algorithm>
#include <array>
#include <utility>

#include "lab/lab.h"
#include "listing/opcodes.h"
#include "machine/numtext.h"
#include "machine/text.h"
#include "panel/quiet.h"

namespace tamrel {

namespace {

std::string R(std::string_view utf8) { return Utf8ToCp1251Replacing(utf8, '?'); }

void NoSleep() {}

constexpr std::string_view kRegisterNames[] = {"A", "B", "C", "D", "E", "H", "L", "PC", "SP"};
constexpr std::string_view kFlagNames[] = {"CY", "P", "AC", "Z", "S"};

std::string_view NameOf(LabRegister r) { return kRegisterNames[static_cast<int>(r)]; }
std::string_view NameOf(Flag f) { return kFlagNames[static_cast<int>(f)]; }

int32_t Get(const Machine& m, LabRegister r) {
  switch (r) {
    case LabRegister::A: return m.R.A;
    case LabRegister::B: return m.R.B;
    case LabRegister::C: return m.R.C;
    case LabRegister::D: return m.R.D;
    case LabRegister::E: return m.R.E;
    case LabRegister::H: return m.R.H;
    case LabRegister::L: return m.R.L;
    case LabRegister::PC: return m.PC;
    case LabRegister::SP: return m.SP;
  }
  return 0;
}

void Set(Machine& m, LabRegister r, int32_t v) {
  const auto b = static_cast<uint8_t>(v);
  switch (r) {
    case LabRegister::A: m.R.A = v; return;
    case LabRegister::B: m.R.B = b; return;
    case LabRegister::C: m.R.C = b; return;
    case LabRegister::D: m.R.D = b; return;
    case LabRegister::E: m.R.E = b; return;
    case LabRegister::H: m.R.H = b; return;
    case LabRegister::L: m.R.L = b; return;
    case LabRegister::PC: m.PC = v; return;
    case LabRegister::SP: m.SP = v; return;
  }
}

int GetFlag(const TFlags& f, Flag flag) {
  switch (flag) {
    case Flag::CY: return f.CY;
    case Flag::P: return f.P;
    case Flag::AC: return f.AC;
    case Flag::Z: return f.Z;
    case Flag::S: return f.S;
  }
  return 0;
}

// Addresses and register texts with four digits where the register is one.
std::string Hex4(int32_t v) {
  const std::string s = IntToHexText(v);
  return s.size() < 4 && v >= 0 ? std::string(4 - s.size(), '0') + s : s;
}

std::string ByteList(const std::vector<uint8_t>& bytes) {
  std::string s;
  for (uint8_t b : bytes) {
    if (!s.empty()) s += ' ';
    s += ByteText(b);
  }
  return s;
}

std::string RangeName(const LabBytes& b) {
  std::string where = Hex4(b.at);
  if (b.bytes.size() > 1) where += ".." + Hex4(b.Last());
  return b.name.empty() ? where : b.name + " (" + where + ")";
}

}  // namespace

std::string RunEndText(RunEnd end, uint64_t maxLines) {
  switch (end) {
    case RunEnd::Hlt: return "HLT";
    case RunEnd::Rst: return "RST";
    case RunEnd::RstKey: return R("остановлена клавишей RST");
    case RunEnd::Breakpoint: return R("точка останова");
    case RunEnd::Limit: break;
  }
  return R("не остановилась за ") + std::to_string(maxLines) + R(" строк");
}

std::vector<CheckLine> CheckLines(const LabCheck& check, uint64_t maxLines) {
  const auto total = check.results.size();
  const auto failed = static_cast<size_t>(std::count_if(check.results.begin(), check.results.end(),
                                                        [](const LabResult& r) { return !r.met; }));
  const std::string verdict =
      failed == 0 ? "Задание выполнено: соблюдены все условия (" + std::to_string(total) + ")"
                  : "Задание не выполнено: не соблюдено условий " + std::to_string(failed) +
                        " из " + std::to_string(total);
  std::vector<CheckLine> lines{{verdict, verdict}};
  for (const LabResult& r : check.results) {
    const std::string what = Cp1251ToUtf8(r.text) + " — найдено " + Cp1251ToUtf8(r.found);
    lines.push_back(
        {(r.met ? "✓ " : "✗ ") + what, (r.met ? "соблюдено: " : "не соблюдено: ") + what});
  }
  const std::string run = "Программа: " + Cp1251ToUtf8(RunEndText(check.end, maxLines)) +
                          ", строк " + std::to_string(check.lines) + ", байтов " +
                          std::to_string(check.programBytes);
  lines.push_back({run, run});
  return lines;
}

void ApplyLabData(Core& c, const Lab& lab) {
  bool changed = false;
  for (const LabBytes& d : lab.data)
    for (size_t k = 0; k < d.bytes.size(); ++k) {
      const int32_t addr = d.at + static_cast<int32_t>(k);
      const std::string_view code = ByteText(d.bytes[k]);
      if (c.m.Mem.Read(addr) == d.bytes[k] && c.listing.Code(RowOfAddress(addr)) == code) continue;
      StoreByte(c, addr, d.bytes[k], code);
      changed = true;
    }
  if (!changed) return;
  FullDisassembly(c.listing);
  NoteEdit(c);
}

uint64_t ProgramBytes(const Memory& mem, int32_t start) {
  // How control leaves an instruction, by its opcode: on to the next one, also to the address
  // it names (conditional jumps, calls), only to that address (JMP), or nowhere the bytes say
  // (HLT, RST n, RET, PCHL, and an unassigned code, whose line changes nothing and so never
  // moves on).
  enum Flow : uint8_t { kNext, kAlsoTarget, kTarget, kEnd };
  static const auto kFlow = [] {
    std::array<Flow, 256> f{};
    for (int op = 0; op < 256; ++op) {
      if (ComTab()[op].TableText == kUnassignedText) f[op] = kEnd;
      if ((op & 0xC7) == 0xC2 || (op & 0xC7) == 0xC4 || op == 0xCD) f[op] = kAlsoTarget;
      if ((op & 0xC7) == 0xC7 || op == 0x76 || op == 0xC9 || op == 0xE9) f[op] = kEnd;
    }
    f[0xC3] = kTarget;
    return f;
  }();
  std::vector<bool> visited(kMemSize, false), counted(kMemSize, false);
  std::vector<int32_t> todo{start};
  uint64_t bytes = 0;
  while (!todo.empty()) {
    const int32_t a = todo.back();
    todo.pop_back();
    if (!InWindow(a) || visited[static_cast<size_t>(a - kMemFirst)]) continue;
    visited[static_cast<size_t>(a - kMemFirst)] = true;
    const uint8_t op = mem.Read(a);
    const int32_t length = ComTab()[op].Length;
    for (int32_t k = 0; k < length && InWindow(a + k); ++k)
      if (!counted[static_cast<size_t>(a + k - kMemFirst)]) {
        counted[static_cast<size_t>(a + k - kMemFirst)] = true;
        ++bytes;
      }
    const int32_t target = mem.Read(a + 1) | mem.Read(a + 2) << 8;
    if (kFlow[op] == kEnd) continue;
    if (kFlow[op] == kAlsoTarget) todo.push_back(target);
    todo.push_back(kFlow[op] == kTarget ? target : a + length);
  }
  return bytes;
}

bool LabCheck::Passed() const {
  return std::all_of(results.begin(), results.end(), [](const LabResult& r) { return r.met; });
}

void CopyForCheck(const Core& from, Trainer& to) {
  to.m = from.m;
  to.listing = from.listing;
}

LabCheck CheckRun(const Lab& lab, Trainer& t) {
  ApplyLabData(t, lab);

  // The start state: power-up values, then the lab's own.
  Machine& m = t.m;
  m.R = TRegisters{};
  m.Flags = TFlags{};
  m.PC = kPowerUpPC;
  m.SP = kPowerUpSP;
  for (const LabRegisterValue& v : lab.startRegisters) Set(m, v.reg, v.value);
  for (const LabFlagValue& f : lab.startFlags) SetFlag(m, f.flag, f.value);
  PackFlags(m);
  LabCheck check{RunEnd::Limit, 0, ProgramBytes(m.Mem, m.PC), {}};

  DataKeepingView view;
  PanelView* const ownView = std::exchange(t.view, &view);
  void (*const ownSleep)() = std::exchange(t.sleep1ms, NoSleep);
  const bool ownHistory = std::exchange(t.history.enabled, false);
  t.listing.ClearMarks();
  const RunResult run = RunKey(t, lab.maxLines);
  t.view = ownView;
  t.sleep1ms = ownSleep;
  t.history.enabled = ownHistory;
  check.end = run.end;
  check.lines = run.lines;

  auto& out = check.results;
  // The stop comes first: a program that did not end has failed whatever else it left.
  const std::vector<RunEnd> stops =
      lab.stops.empty() ? std::vector<RunEnd>{RunEnd::Hlt, RunEnd::Rst} : lab.stops;
  std::string wanted;
  for (RunEnd e : stops) wanted += (wanted.empty() ? "" : R(" или ")) + RunEndText(e, 0);
  out.push_back({R("остановка"), R("остановка: ") + wanted, RunEndText(run.end, lab.maxLines),
                 std::find(stops.begin(), stops.end(), run.end) != stops.end()});

  for (const LabRegisterValue& v : lab.registers) {
    const bool wide = v.reg == LabRegister::PC || v.reg == LabRegister::SP;
    const int32_t got = Get(m, v.reg);
    const std::string name(NameOf(v.reg));
    out.push_back({name, name + " = " + (wide ? Hex4(v.value) : IntToHexText(v.value)),
                   wide ? Hex4(got) : IntToHexText(got), got == v.value});
  }
  for (const LabFlagValue& f : lab.flags) {
    const int got = GetFlag(m.Flags, f.flag);
    const std::string name(NameOf(f.flag));
    out.push_back(
        {name, name + " = " + std::to_string(f.value), std::to_string(got), got == f.value});
  }
  for (const LabBytes& b : lab.memory) {
    std::vector<uint8_t> got;
    for (size_t k = 0; k < b.bytes.size(); ++k)
      got.push_back(m.Mem.Read(b.at + static_cast<int64_t>(k)));
    out.push_back(
        {RangeName(b), RangeName(b) + " = " + ByteList(b.bytes), ByteList(got), got == b.bytes});
  }
  if (lab.display) {
    const std::string& shown = view.shownBefore;
    out.push_back({R("индикатор"),
                   R("индикатор данных: ") + (lab.display->empty() ? R("пусто") : *lab.display),
                   shown.empty() ? R("пусто") : shown, shown == *lab.display});
  }
  if (lab.atMostLines)
    out.push_back({R("строк"), R("не больше ") + std::to_string(*lab.atMostLines) + R(" строк"),
                   std::to_string(run.lines), run.lines <= *lab.atMostLines});
  if (lab.atMostBytes)
    out.push_back({R("байтов"),
                   R("не больше ") + std::to_string(*lab.atMostBytes) + R(" байтов программы"),
                   std::to_string(check.programBytes), check.programBytes <= *lab.atMostBytes});
  return check;
}

}  // namespace tamrel
