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

#include "edit/lineentry.h"
#include "interpreter/interpreter.h"
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

// The three displays from the PC: its address, the code and the mnemonic of its row (both
// empty outside the memory window).
void RefreshPanel(Trainer& t);
// A hex key: in address entry the digit joins the address (the fourth digit moves the PC and
// shows its row, or "FF" in the data display below 8200h); in data entry it joins the byte
// (the second digit stores it at the PC with its code text and decodes the listing). With no
// entry mode it does nothing.
void HexKey(Trainer& t, char digit);
// MEM: enters data entry and shows "," in the data display. Pressed again while already in
// data entry, it first steps the PC back one address and refreshes the displays.
void MemKey(Trainer& t);
// NEXT: the PC one address on, the displays show its row; the data digits start afresh.
void NextKey(Trainer& t);
// ADDR: enters address entry with no digits; the displays keep what they show.
void AddrKey(Trainer& t);
// RST: the PC back to 8200h with the displays refreshed; a running program stops.
void RstKey(Trainer& t);
// STEP: executes the line of the PC, then shows the registers, the displays, the flags and SP
// (as a bare number: the "SP=" prefix is shown only from start-up to the first STEP or RUN)
// and decodes the listing up to 88B8h.
void StepKey(Trainer& t);
// RUN: blanks the address and data displays and executes line after line until HLT, RST (the
// instruction or the key, which also puts the PC back to 8200h) stops it, letting window
// events through between lines; then refreshes every view like STEP, decoding up to 8CA0h.

// How a run ended: a line reported a stop (HLT or RST), the RST key set the stop request, the
// next line has a breakpoint, or the line limit was reached; and how many lines it executed.
enum class RunEnd { Hlt, Rst, RstKey, Breakpoint, Limit };
struct RunResult {
  RunEnd end;
  uint64_t lines;
};
inline constexpr uint64_t kNoLineLimit = UINT64_MAX;

// One RUN in three parts, so that a shell can run it from its own event loop: BeginRun, then
// RunSlice until it says the run has ended, letting the user's events through between slices
// (the RST key, a breakpoint toggled, a byte typed: all act between two lines), then FinishRun.
// However it is sliced, a RUN executes the same lines, is one step-back entry, blanks the
// displays once at its start and refreshes the views once at its end.
struct RunState {
  uint64_t maxLines = kNoLineLimit;  // the run stops once this many lines were executed
  uint64_t lines = 0;                // executed so far
  RunEnd end = RunEnd::Limit;
  bool done = false;
};
RunState BeginRun(Trainer& t, uint64_t maxLines = kNoLineLimit);
// How a slice ended: the run is over; the slice's bound of lines or time was reached; or a NOP
// paused (its millisecond is the trainer's sleep function; a shell that cannot sleep passes a
// no-op and waits the millisecond itself before the next slice).
enum class SliceEnd { Ended, Bounded, Paused };
// Executes at most `lines` lines, and stops early once `time` has passed (looked at every few
// dozen lines, so a slice may run over by a few microseconds).
SliceEnd RunSlice(Trainer& t, RunState& r, uint64_t lines,
                  std::chrono::nanoseconds time = std::chrono::nanoseconds::max());
// After the RST key the PC goes back to 8200h; then every view is refreshed as after STEP and
// the listing is decoded up to 8CA0h.
RunResult FinishRun(Trainer& t, RunState& r);

// RUN as the window runs it: window events go through before the first line and then about
// every EventSlice (after every NOP pause at once), stopping also once `maxLines` lines were
// executed (the PC then stays where it is).
RunResult RunKey(Trainer& t, uint64_t maxLines);
// The RUN key: no limit.
inline void RunKey(Trainer& t) { RunKey(t, kNoLineLimit); }

// The line the program counter stands on (empty outside the listing).
const std::string& CurrentLine(const Trainer& t);

// A row chosen in the listing: the PC goes to its address and the displays show its texts.
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

// The entry line's keys: Enter acts as NEXT, Backspace ends the operand collection; typed
// characters go to TypeIntoEntry.
enum class EntryKey { Enter, Backspace, Other };
void EntryKeyDown(Trainer& t, EntryKey k);

}  // namespace tamrel
