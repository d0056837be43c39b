// The front panel and the one aggregate that owns the trainer's state. The window owns the
// only Trainer; each test builds its own. The panel's keys, STEP and RUN, the row selection
// and the flag boxes are free routines over it, talking to the screen through PanelView.
//
//   keypad state   AddrMode DataMode   entered by
//   idle           false    false      start-up only
//   address entry  true     false      ADDR
//   data entry     false    true       MEM
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

#include "interpreter/interpreter.h"
#include "listing/lineentry.h"

namespace tamrel {

struct TDisplay {
  std::string AddrDigits;  // at most four
  std::string DataDigits;  // at most two
  bool AddrMode = false;
  bool DataMode = false;
};

struct Trainer : Core {
  LineEntry Entry;
  TDisplay Display;
  bool StopRequest = false;
  TCommand Command;
  // RUN lets window events through at most this long apart (and after every pause of NOP).
  std::chrono::microseconds EventSlice{1000};
  int RunDepth = 0;

  explicit Trainer(PanelView& v, void (*sleep)() = RealSleep1ms) {
    view = &v;
    sleep1ms = sleep;
  }
  Trainer(const Trainer&) = delete;
  Trainer& operator=(const Trainer&) = delete;
};

// Start-up, before the window shows: header, addresses, random bytes and their code texts,
// the register view, the full disassembly.
void BuildMachine(Trainer& t, const RandomSource& rnd);
// Start-up, after the window shows: both entry modes off, SP and PC to their power-up values.
void ResetPanel(Trainer& t);

void RefreshPanel(Trainer& t);
void HexKey(Trainer& t, char digit);
void PanelDigit(Trainer& t);
void MemKey(Trainer& t);
void NextKey(Trainer& t);
void AddrKey(Trainer& t);
void RstKey(Trainer& t);
void StepKey(Trainer& t);

// How a run ended: a line reported a stop (HLT or RST), the RST key set the stop request, or
// the line limit was reached; and how many lines it executed.
enum class RunEnd { Hlt, Rst, RstKey, Limit };
struct RunResult {
  RunEnd end;
  uint64_t lines;
};
inline constexpr uint64_t kNoLineLimit = UINT64_MAX;
// RUN, stopping also once `maxLines` lines were executed (the PC then stays where it is).
RunResult RunKey(Trainer& t, uint64_t maxLines);
// The RUN key: no limit.
inline void RunKey(Trainer& t) { RunKey(t, kNoLineLimit); }

// The line the program counter stands on (empty outside the listing).
const std::string& CurrentLine(const Trainer& t);

void SelectRow(Trainer& t, int64_t row);
// The user toggled a flag box: the five box states become the flags.
void FlagBoxesClicked(Trainer& t, bool cy, bool p, bool ac, bool z, bool s);

// The entry line's keys: Enter acts as NEXT, Backspace ends the operand collection.
enum class EntryKey { Enter, Backspace, Other };
void Edit3KeyDown(Trainer& t, EntryKey k);

}  // namespace tamrel
