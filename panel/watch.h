// What the window shows about a program at work, beyond the trainer's own views: the row of
// the PC, why and where a RUN stopped and what a STEP did (with the 8080 clock cycles they
// would take), which memory bytes the last STEP or RUN changed and where memory and the code
// column disagree, the stack from SP upward, the pacing of a slow RUN, and why the entry line
// cannot match. All of it reads the trainer; nothing here changes what a key does.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "panel/trainer.h"

namespace tamrel {

// The listing row the PC stands on, or 0 when the PC is on no shown row.
int64_t PcRow(const Trainer& t);

// ---- the status line (texts in code page 1251) ----

// Why a RUN stopped and where: "HLT на 8206", "RST", "остановлено клавишей RST",
// "точка останова на 8210". `pc` is the PC after the run.
std::string StopText(RunEnd end, int32_t pc);
// After RUN: the stop, the lines executed and their clock cycles.
std::string RunReport(RunEnd end, int32_t pc, uint64_t lines, uint64_t cycles);
// After STEP: the line executed at `pc` and its clock cycles.
std::string StepReport(int32_t pc, std::string_view line, uint64_t cycles);
// During a slow RUN: the lines executed so far and their clock cycles.
std::string SlowRunReport(uint64_t lines, uint64_t cycles);

// ---- what a STEP or RUN changed ----

// Memory as it was when the last STEP or RUN began, and the bytes that differ at its end.
class ChangeWatch {
 public:
  void Begin(const Trainer& t);  // before the STEP or RUN
  void End(const Trainer& t);    // after it (or after each line of a slow RUN)
  bool Changed(int64_t addr) const {
    return InWindow(addr) && changed_[static_cast<size_t>(addr - kMemFirst)] != 0;
  }
  // The PC and the cycle count at Begin, for the status line.
  int32_t startPc = 0;
  uint64_t startCycles = 0;
  std::string startLine;  // the line the PC stood on at Begin

 private:
  Memory before_;
  std::vector<uint8_t> changed_ = std::vector<uint8_t>(kMemSize, 0);
};

// Whether the memory byte at `addr` differs from the value its code text gives (what Save
// would write for it).
bool DiffersFromCode(const Trainer& t, int64_t addr);

// The stack from SP upward: `count` words (fewer where memory ends), the top first.
struct StackEntry {
  int32_t addr;
  int32_t word;  // the byte at addr + 1 high, the one at addr low
};
std::vector<StackEntry> StackWords(const Machine& m, int count);

// The memory window's characters for the bytes from `addr` on (`count`, fewer where memory
// ends): each byte as its code page 1251 character, '.' for a control code or a byte with none.
std::string MemoryChars(const Machine& m, int64_t addr, int count);

// ---- slow motion ----

// The speeds of RUN: full speed (0), or so many lines a second.
inline constexpr int kSpeeds[] = {0, 1000, 100, 10, 1};
// How long a slow RUN waits after each line; zero at full speed.
std::chrono::nanoseconds LineInterval(int linesPerSecond);

// ---- the entry line ----

// Why the entry line's text cannot lead to an instruction, in a sentence; empty while it can
// (an opcode text begins with it, an operand is pending, or it is the current row's own text).
std::string EntryProblem(const Trainer& t, std::string_view text);

}  // namespace tamrel
