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
#include "panel/history.h"

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
  History history;  // what STEP and RUN changed, for stepping back

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
void MemKey(Trainer& t);
void NextKey(Trainer& t);
void AddrKey(Trainer& t);
void RstKey(Trainer& t);
void StepKey(Trainer& t);
void RunKey(Trainer& t);

// The line the program counter stands on (empty outside the listing).
const std::string& CurrentLine(const Trainer& t);

void SelectRow(Trainer& t, int64_t row);
// The user toggled a flag box: the five box states become the flags.
void FlagBoxesClicked(Trainer& t, bool cy, bool p, bool ac, bool z, bool s);

// Breakpoints (rows 1..30001; others are ignored): RUN stops before a marked line other than
// the one it started on, as it stops after HLT. STEP ignores them.
void ToggleBreakpoint(Trainer& t, int64_t row);
void ClearBreakpoints(Trainer& t);
inline bool AtBreakpoint(const Trainer& t) {
  return t.listing.HasMarks() && InWindow(t.m.PC) && t.listing.Marked(RowOfAddress(t.m.PC));
}
// Undoes the last STEP or RUN: machine, listing texts and views as they were before it. False
// when there is nothing to undo (or a RUN is going on).
bool StepBack(Trainer& t);

// The entry line's keys: Enter acts as NEXT, Backspace ends the operand collection.
enum class EntryKey { Enter, Backspace, Other };
void EntryKeyDown(Trainer& t, EntryKey k);

}  // namespace tamrel
