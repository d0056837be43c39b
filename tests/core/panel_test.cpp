#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "files/memfile.h"
#include "machine/numtext.h"
#include "support/started_trainer.h"

namespace tamrel {
namespace {

using test::StartedTrainer;

TEST(StartUp, PowerUpState) {
  test::RecordingView view;
  Trainer t(view, test::NoSleep);
  double r = 0.3;
  BuildMachine(t, [&] { return r = r > 0.9 ? 0.1 : r + 0.13; });
  ResetPanel(t);
  EXPECT_EQ(view.registers, TRegisters{});
  EXPECT_EQ(view.stackPointer, "SP=F72F");
  EXPECT_EQ(view.address, "8200");
  EXPECT_EQ(view.data, ByteText(t.m.Mem.Read(0x8200)));
  EXPECT_EQ(view.entry, t.listing.Mnemonic(1));
  EXPECT_FALSE(t.Display.AddrMode || t.Display.DataMode);
  for (int64_t row = 1; row <= kLastRow; ++row)
    ASSERT_EQ(t.listing.Code(row), ByteText(t.m.Mem.Read(AddressOfRow(row))));
}

// Keys of the panel as a string: 0-9 A-F digits, a ADDR, m MEM, n NEXT, r RST.
void Press(Trainer& t, std::string_view keys) {
  for (char k : keys) {
    switch (k) {
      case 'a': AddrKey(t); break;
      case 'm': MemKey(t); break;
      case 'n': NextKey(t); break;
      case 'r': RstKey(t); break;
      default: HexKey(t, k);
    }
  }
}

TEST(Keypad, Sequences) {
  // clang-format off
  const struct {
    const char* keys;
    int32_t pc;
    const char *address, *data;
  } cases[] = {
      {"a8", 0x8200, "8", "00"},       {"a821", 0x8200, "821", "00"},
      {"a8210", 0x8210, "8210", "00"}, {"a82105", 0x8210, "8210", "00"},  // fifth digit dropped
      {"a8210n", 0x8211, "8211", "00"}, {"a8210n1", 0x8210, "8210", "00"},
      {"a0000", 0, "0000", "FF"},     {"aFFFF", 0xFFFF, "FFFF", ""},
      {"m", 0x8200, "8200", ","},      {"m3", 0x8200, "8200", "3"},
      {"m3E", 0x8200, "8200", "3E"},   {"m3E7", 0x8200, "8200", "3E"},
      {"m3Enm", 0x8200, "8200", ","},  {"m3En", 0x8201, "8201", "00"},
      {"aFFFFm12", 0xFFFF, "FFFF", "12"},  {"a8210r", 0x8200, "8200", "3E"},
      {"12", 0x8200, "8200", "00"},  // before ADDR or MEM the digits do nothing
  };
  // clang-format on
  for (const auto& c : cases) {
    StartedTrainer b;
    b.t.listing.SetCode(1, "3E");
    Press(b.t, c.keys);
    SCOPED_TRACE(c.keys);
    EXPECT_EQ(b.t.m.PC, c.pc);
    EXPECT_EQ(b.view.address, c.address);
    EXPECT_EQ(b.view.data, c.data);
  }
}

TEST(Keypad, DataEntryStoresAndDecodes) {
  StartedTrainer b;
  Press(b.t, "a8210m3E");
  EXPECT_EQ(b.t.m.Mem.Read(0x8210), 0x3E);
  EXPECT_EQ(b.t.listing.Code(RowOfAddress(0x8210)), "3E");
  EXPECT_EQ(b.t.listing.Mnemonic(RowOfAddress(0x8210)), "MVI A, 00");
  EXPECT_EQ(b.view.entry, "MVI A, 00");
  Press(b.t, "n07");
  EXPECT_EQ(b.t.listing.Mnemonic(RowOfAddress(0x8210)), "MVI A, 07");
  Press(b.t, "aFFFFm12");  // outside memory: shown, not stored
  EXPECT_EQ(b.view.entry, "");
  Press(b.t, "a0000");
  EXPECT_EQ(b.view.entry, "");
}

TEST(StepAndRun, StepRefreshesEveryView) {
  StartedTrainer b;
  b.Type(0x8200, {"XRA A", "HLT", "RST 1"});
  EXPECT_EQ(b.view.stackPointer, "SP=F72F");
  StepKey(b.t);
  EXPECT_EQ(b.view.flags, (TFlags{0, 1, 0, 1, 0}));
  EXPECT_EQ(b.view.registers.F, 0x46);
  EXPECT_EQ(b.view.stackPointer, "F72F");
  EXPECT_EQ(b.view.address, "8201");
  EXPECT_EQ(b.view.entry, "HLT");
  StepKey(b.t);  // HLT steps like any other line
  EXPECT_EQ(b.t.m.PC, 0x8202);
  StepKey(b.t);  // RST changes nothing
  EXPECT_EQ(b.t.m.PC, 0x8202);
  b.t.m.PC = 0xF731;
  StepKey(b.t);
  EXPECT_EQ(b.t.m.PC, 0xF731);
  EXPECT_EQ(b.view.data, "");
}

TEST(StepAndRun, FlagBoxesChangeFlagsButNotTheRegisterView) {
  StartedTrainer b;
  FlagBoxesClicked(b.t, false, false, false, true, false);
  EXPECT_EQ(b.t.m.R.F, 0x42);
  EXPECT_EQ(b.view.registers.F, 0x02);
  b.Type(0x8200, {"JZ 8300"});
  StepKey(b.t);
  EXPECT_EQ(b.t.m.PC, 0x8300);
}

TEST(StepAndRun, RunEndsOnHltAndRst) {
  StartedTrainer b;
  b.Type(0x8200, {"MVI A, 01", "HLT", "RST 7"});
  RunKey(b.t);
  EXPECT_EQ(b.t.m.PC, 0x8203);
  EXPECT_EQ(b.view.address, "8203");
  RunKey(b.t);  // on RST: stops at once, PC stays
  EXPECT_EQ(b.t.m.PC, 0x8203);
  RunKey(b.t);
  EXPECT_EQ(b.t.m.PC, 0x8203);
}

TEST(StepAndRun, RstDuringARunExecutesTheFirstLineOnce) {
  StartedTrainer b;
  b.Type(0x8200, {"INR B"});
  b.t.m.PC = 0x8300;
  b.Type(0x8300, {"JMP 8300"});
  int passes = 0;
  std::vector<std::string> addressesDuringRun;
  b.view.onEvents = [&] {
    addressesDuringRun.push_back(b.view.address);
    if (++passes == 100) RstKey(b.t);
  };
  RunKey(b.t);
  EXPECT_EQ(b.t.m.PC, 0x8200);
  EXPECT_EQ(b.t.m.R.B, 1);  // the line at 8200h ran exactly once
  EXPECT_TRUE(b.t.StopRequest);
  EXPECT_EQ(addressesDuringRun[1], "");  // displays stay blank during the run
}

TEST(StepAndRun, EmptyRowRunsUntilRst) {
  StartedTrainer b;
  b.Type(0x8200, {"MVI A, 05"});
  b.t.m.PC = 0x8201;  // a continuation row
  int passes = 0;
  b.view.onEvents = [&] {
    if (++passes == 50) RstKey(b.t);
  };
  RunKey(b.t);
  EXPECT_EQ(passes, 50);
  EXPECT_EQ(b.t.m.R.A, 5);
  EXPECT_EQ(b.t.m.PC, 0x8200);
}

TEST(StepAndRun, NestedRunEndedByRstEndsTheOuterOneToo) {
  StartedTrainer b;
  b.Type(0x8200, {"INR B", "JMP 8200"});
  int passes = 0;
  b.view.onEvents = [&] {
    ++passes;
    if (passes == 10) RunKey(b.t);  // RUN pressed again during the run
    if (passes == 20) RstKey(b.t);
  };
  RunKey(b.t);
  EXPECT_EQ(b.t.m.PC, 0x8200);
}

TEST(StepAndRun, EveryNopPausesOnceAndLetsEventsThrough) {
  static int pauses;
  pauses = 0;
  test::RecordingView view;
  Trainer t(view, [] { ++pauses; });
  BuildMachine(t, [] { return 0.0; });  // every byte 00h: NOP
  ResetPanel(t);
  t.EventSlice = std::chrono::hours(1);  // no time slice ever passes: only NOP lets events in
  test::TypeProgram(t, t.Entry, 0x8200, {"NOP", "INR B", "NOP", "NOP", "HLT"});
  std::vector<int> pausesAtEvents;
  view.onEvents = [&] { pausesAtEvents.push_back(pauses); };
  RunKey(t);
  EXPECT_EQ(pauses, 3);
  EXPECT_EQ(pausesAtEvents,
            (std::vector<int>{0, 1, 2, 3}));  // before the first line, then after each NOP
  EXPECT_EQ(t.m.R.B, 1);
  EXPECT_EQ(t.m.PC, 0x8205);
}

TEST(StepAndRun, EventsAreLetThroughOnATimeSlice) {
  StartedTrainer b;
  b.t.EventSlice = std::chrono::microseconds(1000);
  b.Type(0x8200, {"INR B", "JMP 8200"});
  b.view.onEvents = [&] {
    if (b.view.eventPasses == 5) RstKey(b.t);
  };
  RunKey(b.t);
  EXPECT_EQ(b.view.eventPasses, 5);
  EXPECT_EQ(b.t.m.PC, 0x8200);
}

// Everything a RUN leaves behind that the user can see or step back over.
std::string EndState(const StartedTrainer& b, RunResult r) {
  const Machine& m = b.t.m;
  std::string s = std::to_string(static_cast<int>(r.end)) + ' ' + std::to_string(r.lines) + ' ' +
                  IntToHexText(m.PC) + ' ' + IntToHexText(m.SP) + ' ' + IntToHexText(m.R.A) +
                  IntToHexText(m.R.F) + ' ' + b.view.address + '|' + b.view.data + '|' +
                  b.view.entry + '|' + b.view.stackPointer + ' ' +
                  std::to_string(b.t.history.Size(b.t));
  for (int32_t a = kMemFirst; a <= kMemLast; ++a) s += static_cast<char>(m.Mem.Read(a));
  for (int64_t row = 1; row <= kLastRow; ++row)
    s += b.t.listing.Mnemonic(row) + '|' + b.t.listing.Code(row);
  return s;
}

// The same RUN in one go (events before every line) and in slices of 1, 7 and 1000 lines with
// the RST key, where a program needs it, pressed between two slices after 7000 lines.
TEST(StepAndRun, RunInSlicesEndsAsRunInOneGo) {
  const std::string examples = TAMREL_EXAMPLES_DIR;
  const struct {
    const char* name;
    std::function<void(StartedTrainer&)> load;
    uint64_t maxLines;
    bool rstKey = false;
  } programs[] = {
      {"countdown", [&](auto& b) { OpenImage(b.t, examples + "/countdown.mem"); }, kNoLineLimit},
      {"table-sum", [&](auto& b) { OpenImage(b.t, examples + "/table-sum.mem"); }, kNoLineLimit},
      {"subroutine", [&](auto& b) { OpenImage(b.t, examples + "/subroutine.mem"); }, kNoLineLimit},
      {"display", [&](auto& b) { OpenImage(b.t, examples + "/display.mem"); }, kNoLineLimit},
      {"block-copy", [&](auto& b) { OpenImage(b.t, examples + "/block-copy.mem"); }, kNoLineLimit},
      {"limit",
       [](auto& b) {
         b.Type(0x8200, {"INR B", "NOP", "JMP 8200"});
       },
       9999},
      {"breakpoint",
       [](auto& b) {
         b.Type(0x8200, {"MVI B, 30", "DCR B", "JNZ 8202", "HLT"});
         ToggleBreakpoint(b.t, 7);
       },
       kNoLineLimit},
      {"RST key",
       [](auto& b) {
         b.Type(0x8200, {"INR B", "STA 8300", "JMP 8200"});
       },
       kNoLineLimit, true},
  };
  constexpr uint64_t kRstAfter = 7000;  // a whole number of slices of every size
  for (const auto& p : programs) {
    StartedTrainer whole;
    p.load(whole);
    whole.view.onEvents = [&] {
      if (p.rstKey && whole.view.eventPasses == kRstAfter + 1) RstKey(whole.t);
    };
    const std::string want = EndState(whole, RunKey(whole.t, p.maxLines));
    for (uint64_t slice : {1, 7, 1000}) {
      StartedTrainer b;
      p.load(b);
      RunState r = BeginRun(b.t, p.maxLines);
      while (RunSlice(b.t, r, slice) != SliceEnd::Ended)
        if (p.rstKey && r.lines == kRstAfter) RstKey(b.t);
      EXPECT_EQ(EndState(b, FinishRun(b.t, r)), want) << p.name << " in slices of " << slice;
    }
  }
}

TEST(StepAndRun, ASliceEndsAtANopAndOnItsTime) {
  StartedTrainer b;
  b.Type(0x8200, {"INR B", "NOP", "JMP 8200"});
  RunState r = BeginRun(b.t);
  EXPECT_EQ(RunSlice(b.t, r, 100), SliceEnd::Paused);
  EXPECT_EQ(r.lines, 2u);
  EXPECT_EQ(RunSlice(b.t, r, 1), SliceEnd::Bounded);
  b.t.listing.SetMnemonic(2, "JMP 8200");  // now without a NOP: only the time ends a slice
  EXPECT_EQ(RunSlice(b.t, r, kNoLineLimit, std::chrono::milliseconds(1)), SliceEnd::Bounded);
  RstKey(b.t);
  EXPECT_EQ(RunSlice(b.t, r, kNoLineLimit), SliceEnd::Ended);
  EXPECT_EQ(FinishRun(b.t, r).end, RunEnd::RstKey);
  EXPECT_EQ(b.t.m.PC, 0x8200);
}

}  // namespace
}  // namespace tamrel
