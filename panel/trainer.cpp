#include "panel/trainer.h"

#include "listing/opcodes.h"
#include "machine/numtext.h"

namespace tamrel {

namespace {

// Shows the digits typed so far; four address digits move PC, two data digits store a byte.
void PanelDigit(Trainer& t) {
  TDisplay& d = t.Display;
  if (d.AddrMode) {
    if (d.AddrDigits.size() > 4) d.AddrDigits.erase(4, 1);
    t.view->ShowAddress(d.AddrDigits);
    if (d.AddrDigits.size() == 4) {
      t.m.PC = HexTextToInt(d.AddrDigits);
      t.view->ShowData(t.m.PC >= kMemFirst
                           ? std::string_view(t.listing.CurrentCell(kCodeCol, t.m.PC))
                           : std::string_view("FF"));
      t.view->ShowEntry(t.listing.CurrentCell(kMnemCol, t.m.PC));
    }
  }
  if (d.DataMode) {
    if (d.DataDigits.size() > 2) d.DataDigits.erase(2, 1);
    t.view->ShowData(d.DataDigits);
    if (d.DataDigits.size() == 2 && InWindow(t.m.PC)) {
      NoteEdit(t);
      StoreByte(t, t.m.PC, static_cast<uint8_t>(HexTextToInt(d.DataDigits)), d.DataDigits);
      BoundedDisassembly(t.listing, t.m.PC);
      t.view->ShowEntry(t.listing.CurrentCell(kMnemCol, t.m.PC));
    }
  }
}

// A line at `pc` that stopped a run: HLT, or else one of the RSTs.
RunEnd StopOfLine(const Trainer& t, int32_t pc) {
  TCommand c;
  c.Line = t.listing.CurrentCell(kMnemCol, pc);
  SplitLine(c);
  return c.Mnemonic == "HLT" ? RunEnd::Hlt : RunEnd::Rst;
}

}  // namespace

void BuildMachine(Trainer& t, const RandomSource& rnd) {
  t.listing.WriteHeader();
  t.listing.WriteAddresses();
  RandomFill(t.m.Mem, rnd);
  t.listing.WriteCodesFrom(t.m.Mem);
  InitRegisters(t.m.R);
  t.view->ShowRegisters(t.m.R);
  FullDisassembly(t.listing);
}

void ResetPanel(Trainer& t) {
  t.Display.AddrMode = false;
  t.Display.DataMode = false;
  t.m.SP = kPowerUpSP;
  t.view->ShowStackPointer("SP=" + IntToHexText(t.m.SP));
  t.m.PC = kPowerUpPC;
  RefreshPanel(t);
}

const std::string& CurrentLine(const Trainer& t) { return t.listing.CurrentCell(kMnemCol, t.m.PC); }

void RefreshPanel(Trainer& t) {
  t.view->ShowAddress(IntToHexText(t.m.PC));
  t.view->ShowData(t.listing.CurrentCell(kCodeCol, t.m.PC));
  t.view->ShowEntry(t.listing.CurrentCell(kMnemCol, t.m.PC));
}

void HexKey(Trainer& t, char digit) {
  if (t.Display.AddrMode) t.Display.AddrDigits.push_back(digit);
  if (t.Display.DataMode) t.Display.DataDigits.push_back(digit);
  PanelDigit(t);
}

void MemKey(Trainer& t) {
  if (t.Display.DataMode) {
    t.m.PC = AddWrap(t.m.PC, -1);
    RefreshPanel(t);
  }
  t.Display.AddrMode = false;
  t.Display.DataMode = true;
  t.view->ShowData(",");
  t.Display.DataDigits.clear();
}

void NextKey(Trainer& t) {
  t.m.PC = AddWrap(t.m.PC, 1);
  t.view->ShowAddress(IntToHexText(t.m.PC));
  if (t.Display.DataMode) t.Display.DataDigits.clear();
  t.view->ShowData(t.listing.CurrentCell(kCodeCol, t.m.PC));
  t.view->ShowEntry(t.listing.CurrentCell(kMnemCol, t.m.PC));
}

void AddrKey(Trainer& t) {
  t.Display.AddrDigits.clear();
  t.Display.AddrMode = true;
  t.Display.DataMode = false;
}

void RstKey(Trainer& t) {
  t.m.PC = kPowerUpPC;
  RefreshPanel(t);
  t.StopRequest = true;
}

void StepKey(Trainer& t) {
  const HistoryScope recorded(t);
  const int32_t pc = t.m.PC;
  ExecuteCurrentLine(t, t.Command);
  t.cycles += CyclesOfLineAt(t, pc);
  t.view->ShowRegisters(t.m.R);
  RefreshPanel(t);
  t.view->ShowFlags(t.m.Flags);
  t.view->ShowStackPointer(IntToHexText(t.m.SP));
  BoundedDisassembly(t.listing, kStepBound);
}

RunState BeginRun(Trainer& t, uint64_t maxLines) {
  t.history.Begin(t);
  t.StopRequest = false;
  t.view->ShowAddress("");
  t.view->ShowData("");
  RunState r;
  r.maxLines = maxLines;
  r.done = maxLines == 0;
  return r;
}

SliceEnd RunSlice(Trainer& t, RunState& r, uint64_t lines, std::chrono::nanoseconds time) {
  using Clock = std::chrono::steady_clock;
  const Clock::time_point start = Clock::now();
  unsigned sinceCheck = 0;
  // The lines' clock cycles are summed here and added once the slice ends.
  struct Spent {
    uint64_t& total;
    uint64_t n = 0;
    ~Spent() { total += n; }
  } spent{t.cycles};
  for (uint64_t n = 0; !r.done; ++n) {
    if (n == lines) return SliceEnd::Bounded;
    const int32_t pc = t.m.PC;
    const auto [stop, paused] = ExecuteCurrentLine(t, t.Command);
    spent.n += CyclesOfLineAt(t, pc);
    ++r.lines;
    if (stop || t.StopRequest) {
      r.end = t.StopRequest ? RunEnd::RstKey : StopOfLine(t, pc);
      r.done = true;
    } else if (AtBreakpoint(t)) {
      r.end = RunEnd::Breakpoint;
      r.done = true;
    } else if (r.lines == r.maxLines) {
      r.end = RunEnd::Limit;
      r.done = true;
    } else if (paused) {
      return SliceEnd::Paused;
    } else if (++sinceCheck >= 1024) {  // the clock is a call out of the page's core: seldom
      sinceCheck = 0;
      if (Clock::now() - start >= time) return SliceEnd::Bounded;
    }
  }
  return SliceEnd::Ended;
}

RunResult FinishRun(Trainer& t, RunState& r) {
  if (t.StopRequest) t.m.PC = kPowerUpPC;
  t.view->ShowRegisters(t.m.R);
  t.view->ShowFlags(t.m.Flags);
  RefreshPanel(t);
  BoundedDisassembly(t.listing, kRunBound);
  t.view->ShowStackPointer(IntToHexText(t.m.SP));
  t.history.End(t);
  return {r.end, r.lines};
}

RunResult RunKey(Trainer& t, uint64_t maxLines) {
  // Window events go through before the first line, whenever a time slice has passed (so a
  // key waits about a millisecond at most) and after every NOP pause; every handler still
  // runs between two lines.
  RunState r = BeginRun(t, maxLines);
  const uint64_t perSlice = t.EventSlice.count() == 0 ? 1 : kNoLineLimit;
  while (!r.done) {
    t.view->ProcessEvents();
    RunSlice(t, r, perSlice, t.EventSlice);
  }
  return FinishRun(t, r);
}

void SelectRow(Trainer& t, int64_t row) {
  t.m.PC = static_cast<int32_t>(AddressOfRow(row));
  t.view->ShowAddress(t.listing.Cell(kAddrCol, row));
  t.view->ShowEntry(t.listing.Mnemonic(row));
  t.view->ShowData(t.listing.Code(row));
}

void FlagBoxesClicked(Trainer& t, bool cy, bool p, bool ac, bool z, bool s) {
  NoteEdit(t);
  TFlags& f = t.m.Flags;
  f.CY = cy;
  f.P = p;
  f.AC = ac;
  f.Z = z;
  f.S = s;
  PackFlags(t.m);
}

void ToggleBreakpoint(Trainer& t, int64_t row) { t.listing.SetMark(row, !t.listing.Marked(row)); }

void ClearBreakpoints(Trainer& t) { t.listing.ClearMarks(); }

bool StepBack(Trainer& t) { return t.history.Undo(t); }

void EntryKeyDown(Trainer& t, EntryKey k) {
  if (k == EntryKey::Backspace) {
    NoteEdit(t);
    EntryBackspace(t.Entry);
  }
  if (k == EntryKey::Enter) NextKey(t);
}

}  // namespace tamrel
