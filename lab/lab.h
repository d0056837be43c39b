// Labs: a task for the students and what a right program does, read from a `.lab` file (JSON,
// docs/labs.md), and the check of one program's run against it. A lab gives the data the
// program works on and the state it starts from, never a solution. The window (a student
// checking their own work) and the batch runner (a teacher grading a class) use the same
// check, so both give the same verdict.
//
//   ReadLab        .lab text -> Lab, or what is wrong with it (Russian, code page 1251)
//   ApplyLabData   the lab's named data ranges into memory; every other row stays as typed
//   CheckRun       the lab's data and start state, RUN to its end or the lab's line limit,
//                  then each expectation met or not, with the value found
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "panel/trainer.h"

namespace tamrel {

// The registers a lab may set or expect; A..L are bytes, PC and SP addresses.
enum class LabRegister { A, B, C, D, E, H, L, PC, SP };

struct LabRegisterValue {
  LabRegister reg;
  int32_t value;
};
struct LabFlagValue {
  Flag flag;
  int value;  // 0 or 1
};

// Bytes at consecutive addresses from `at`, all inside 8200h..F730h.
struct LabBytes {
  std::string name;  // code page 1251; may be empty
  int32_t at;
  std::vector<uint8_t> bytes;
  int32_t Last() const { return at + static_cast<int32_t>(bytes.size()) - 1; }
};

struct Lab {
  std::string title, task;     // code page 1251
  std::vector<LabBytes> data;  // what the program works on: "hex" first, then "data"
  std::vector<LabRegisterValue> startRegisters;
  std::vector<LabFlagValue> startFlags;
  uint64_t maxLines = 1'000'000;  // RUN stops here; a program still running has failed

  // Expectations. `stops` empty: the run must end on HLT or RST, whichever.
  std::vector<RunEnd> stops;  // RunEnd::Hlt, RunEnd::Rst
  std::vector<LabRegisterValue> registers;
  std::vector<LabFlagValue> flags;
  std::vector<LabBytes> memory;
  std::optional<std::string> display;  // the data display as the run ended ("" shows nothing)
  std::optional<uint64_t> atMostLines, atMostBytes;
};

inline constexpr uint64_t kLabMaxLinesCap = 100'000'000;

// The lab, or what is wrong with the text (code page 1251, naming the field).
std::variant<Lab, std::string> ReadLab(std::string_view text);

// Stores the lab's data bytes with their code texts and decodes the listing, as an Intel HEX
// import of just those bytes would; nothing else changes. Only bytes that differ are stored,
// and the listing is decoded only when one did, so that an image already holding the data
// costs nothing.
void ApplyLabData(Core& c, const Lab& lab);

// How much program a student wrote: the bytes of every instruction reachable from `start`,
// following the code on, and into the targets of jumps and calls, up to HLT, RST n, RET, PCHL
// and JMP (which goes on only at its target). Whatever else memory holds (a table, the random
// bytes of a window that was never cleared, a gap before a subroutine) does not count.
// Measured before the run, after the lab's data went in.
uint64_t ProgramBytes(const Memory& mem, int32_t start);

// One expectation, checked. Texts are code page 1251.
struct LabResult {
  std::string name;   // short, for a table's column: "A", "Z", "8310", "остановка"
  std::string text;   // the expectation in words: "A = 8E"
  std::string found;  // what the run left: "7F"
  bool met;
};

struct LabCheck {
  RunEnd end;
  uint64_t lines;
  uint64_t programBytes;
  std::vector<LabResult> results;  // the stop first, then in the lab's order
  bool Passed() const;
};

// Puts the lab's data into `t`'s memory, the machine at its power-up registers, flags, PC and
// SP with the lab's start values over them, and runs as the RUN key runs (without NOP's pause,
// breakpoints or step-back entries) until HLT, RST or the lab's line limit. `t` is spent: the
// window passes a copy of its trainer (CopyForCheck). Its view, pause and history are put back.
LabCheck CheckRun(const Lab& lab, Trainer& t);

// A trainer to check on, holding what `from` holds: memory and listing; its own view.
void CopyForCheck(const Core& from, Trainer& to);

// "HLT", "RST", or "не остановилась за N строк" (code page 1251).
std::string RunEndText(RunEnd end, uint64_t maxLines);

// One line of a check as a student reads it, in UTF-8 (the marks ✓ and ✗ are not in code page
// 1251): what is shown, and what a screen reader says, the words instead of the marks.
struct CheckLine {
  std::string shown, spoken;
};
// The verdict, each expectation with ✓ or ✗ and the value found, then how the run ended, its
// lines and the program's bytes. The window and the page show the same lines.
std::vector<CheckLine> CheckLines(const LabCheck& check, uint64_t maxLines);

}  // namespace tamrel
