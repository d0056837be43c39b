// Breakpoints and stepping back, driven the way the window drives them.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "edit/shift.h"
#include "files/memfile.h"
#include "files/printout.h"
#include "listing/opcodes.h"
#include "machine/numtext.h"
#include "support/files.h"
#include "support/started_trainer.h"

namespace tamrel {
namespace {

using test::StartedTrainer;

int64_t Row(int64_t addr) { return RowOfAddress(addr); }

// Everything a step back must put back: the machine, every listing text and every view.
struct Everything {
  Memory mem;
  TRegisters r;
  TFlags f;
  int32_t pc, sp;
  int32_t byteValue, pairValue, pairValue2;
  std::vector<std::string> cols[3];
  ShownViews viewTexts;

  explicit Everything(const StartedTrainer& b)
      : mem(b.t.m.Mem),
        r(b.t.m.R),
        f(b.t.m.Flags),
        pc(b.t.m.PC),
        sp(b.t.m.SP),
        byteValue(b.t.Command.ByteValue),
        pairValue(b.t.Command.PairValue),
        pairValue2(b.t.Command.PairValue2) {
    for (int c = 0; c < 3; ++c)
      for (int64_t row = 0; row <= kLastRow; ++row) cols[c].push_back(b.t.listing.Cell(c, row));
    b.view.TakeShown(viewTexts);
  }

  // The first thing that differs, or nothing.
  friend std::string Difference(const Everything& a, const Everything& b) {
    for (int64_t addr = kMemFirst; addr <= kMemLast; ++addr)
      if (a.mem.Read(addr) != b.mem.Read(addr)) return "memory at " + IntToHexText(int32_t(addr));
    if (!(a.r == b.r)) return "registers";
    if (!(a.f == b.f)) return "flags";
    if (a.pc != b.pc) return "PC";
    if (a.sp != b.sp) return "SP";
    if (a.byteValue != b.byteValue || a.pairValue != b.pairValue || a.pairValue2 != b.pairValue2)
      return "command record";
    for (int c = 0; c < 3; ++c)
      for (int64_t row = 0; row <= kLastRow; ++row)
        if (a.cols[c][size_t(row)] != b.cols[c][size_t(row)])
          return "column " + std::to_string(c) + " row " + std::to_string(row);
    const ShownViews &x = a.viewTexts, &y = b.viewTexts;
    if (x.address != y.address) return "address display";
    if (x.data != y.data) return "data display";
    if (x.entry != y.entry) return "entry line";
    if (x.stackPointer != y.stackPointer) return "stack-pointer label";
    if (!(x.registers == y.registers)) return "register view";
    if (!(x.flags == y.flags)) return "flag boxes";
    return "";
  }
};

Everything Take(const StartedTrainer& b) { return Everything(b); }

// ---- breakpoints ----

TEST(Breakpoints, RunStopsBeforeAMarkedLineAndTheNextRunGoesPastIt) {
  StartedTrainer b;
  b.Type(0x8200, {"MVI A, 01", "INR A", "INR A", "INR A", "HLT"});
  ToggleBreakpoint(b.t, Row(0x8203));
  const int shows = b.view.registerShows;
  RunKey(b.t);
  // Ended as HLT ends a run: PC on the line, every view refreshed.
  EXPECT_EQ(b.t.m.PC, 0x8203);
  EXPECT_EQ(b.t.m.R.A, 2);
  EXPECT_EQ(b.view.address, "8203");
  EXPECT_EQ(b.view.data, "3C");
  EXPECT_EQ(b.view.entry, "INR A");
  EXPECT_EQ(b.view.registers.A, 2);
  EXPECT_EQ(b.view.registerShows, shows + 1);
  EXPECT_EQ(b.view.stackPointer, "F72F");
  EXPECT_FALSE(b.t.StopRequest);

  RunKey(b.t);  // starts on the marked line: goes past it
  EXPECT_EQ(b.t.m.PC, 0x8206);
  EXPECT_EQ(b.t.m.R.A, 4);
  EXPECT_EQ(b.view.address, "8206");
}

TEST(Breakpoints, TheStartLineIsPassedOnlyAtTheStart) {
  StartedTrainer b;
  b.Type(0x8200, {"MVI B, 03", "DCR B", "JNZ 8202", "HLT"});
  ToggleBreakpoint(b.t, Row(0x8202));
  RunKey(b.t);
  EXPECT_EQ(b.t.m.PC, 0x8202);
  EXPECT_EQ(b.t.m.R.B, 3);
  RunKey(b.t);  // once round the loop, then stopped on its first line again
  EXPECT_EQ(b.t.m.PC, 0x8202);
  EXPECT_EQ(b.t.m.R.B, 2);
  ToggleBreakpoint(b.t, Row(0x8202));  // off again
  RunKey(b.t);
  EXPECT_EQ(b.t.m.PC, 0x8207);
  EXPECT_EQ(b.t.m.R.B, 0);
}

TEST(Breakpoints, StepIgnoresThem) {
  StartedTrainer b;
  b.Type(0x8200, {"INR A", "INR A", "INR A"});
  for (int64_t a = 0x8200; a <= 0x8203; ++a) ToggleBreakpoint(b.t, Row(a));
  for (int i = 0; i < 3; ++i) StepKey(b.t);
  EXPECT_EQ(b.t.m.PC, 0x8203);
  EXPECT_EQ(b.t.m.R.A, 3);
}

TEST(Breakpoints, RstStillEndsARunThatHasThem) {
  StartedTrainer b;
  b.Type(0x8200, {"INR B", "JMP 8200"});
  ToggleBreakpoint(b.t, Row(0x8300));  // never reached
  int passes = 0;
  b.view.onEvents = [&] {
    if (++passes == 20) RstKey(b.t);
  };
  RunKey(b.t);
  EXPECT_EQ(b.t.m.PC, 0x8200);
  EXPECT_TRUE(b.t.listing.Marked(Row(0x8300)));
}

TEST(Breakpoints, OnlyDataRowsTakeThem) {
  StartedTrainer b;
  for (int64_t row : {int64_t{0}, int64_t{-1}, int64_t{kLastRow + 1}}) {
    ToggleBreakpoint(b.t, row);
    EXPECT_FALSE(b.t.listing.Marked(row));
  }
  EXPECT_FALSE(b.t.listing.HasMarks());
  ToggleBreakpoint(b.t, kLastRow);  // F730h, held though never shown
  EXPECT_TRUE(b.t.listing.Marked(kLastRow));
  ClearBreakpoints(b.t);
  EXPECT_FALSE(b.t.listing.HasMarks());
  b.t.m.PC = 0xF731;
  EXPECT_FALSE(AtBreakpoint(b.t));
}

TEST(Breakpoints, AMarkNeverChangesATextButIsAnnounced) {
  test::ScratchDir dir;
  StartedTrainer b;
  b.Type(0x8200, {"MVI A, 05", "STA 8300", "HLT"});
  b.t.m.PC = 0x8210;
  const Everything before = Take(b);
  ASSERT_FALSE(SaveImage(b.t.listing, dir / "before.mem"));
  const std::string printed = PrintoutText(b.t.listing, b.t.m.PC);

  b.t.listing.TakeChangedRows();
  for (int64_t a : {0x8200, 0x8202, 0x8205, 0x820F}) ToggleBreakpoint(b.t, Row(a));
  const Listing::Range changed = b.t.listing.TakeChangedRows();
  EXPECT_EQ(changed.lo, Row(0x8200));  // the screen hears of the marked rows
  EXPECT_EQ(changed.hi, Row(0x820F));

  EXPECT_EQ(Difference(before, Take(b)), "");
  ASSERT_FALSE(SaveImage(b.t.listing, dir / "after.mem"));
  EXPECT_EQ(test::ReadFile(dir / "after.mem"), test::ReadFile(dir / "before.mem"));
  EXPECT_EQ(test::ReadFile(dir / "after.mem").size(), kImageSize);
  EXPECT_EQ(PrintoutText(b.t.listing, b.t.m.PC), printed);
}

TEST(Breakpoints, SurviveNewOpenAndLineEntry) {
  test::ScratchDir dir;
  StartedTrainer b;
  ToggleBreakpoint(b.t, Row(0x8200));
  ToggleBreakpoint(b.t, Row(0x8205));
  b.Type(0x8200, {"MVI A, 05", "STA 8300"});
  NewImage(b.t);
  ASSERT_FALSE(SaveImage(b.t.listing, dir / "x.mem"));
  ASSERT_FALSE(OpenImage(b.t, dir / "x.mem"));
  EXPECT_TRUE(b.t.listing.Marked(Row(0x8200)));
  EXPECT_TRUE(b.t.listing.Marked(Row(0x8205)));
  EXPECT_FALSE(b.t.listing.Marked(Row(0x8201)));
}

// Marks before and after a shift at a PC; each address is listed when marked.
TEST(Breakpoints, ShiftsMoveTheMarksOfTheMovedBlock) {
  // clang-format off
  const struct {
    const char* name;
    void (*shift)(Core&);
    int32_t pc;
    std::vector<int64_t> before, after;
  } cases[] = {
      // Down: PC..PC+3280 move one address up; PC+3281 is overwritten, PC gets a new NOP.
      {"down", ShiftDown, 0x8300, {0x82FF, 0x8300, 0x8305, 0x8FD0}, {0x82FF, 0x8301, 0x8306, 0x8FD1}},
      {"down, the overwritten byte", ShiftDown, 0x8300, {0x8FD1, 0x8FD2}, {0x8FD2}},
      {"down, cut at the end", ShiftDown, 0xF700, {0xF72F, 0xF730}, {0xF730}},
      {"down at the last byte", ShiftDown, 0xF730, {0xF730}, {}},
      // Up: PC+1..PC+3281 move one address down; the byte at PC is gone.
      {"up", ShiftUp, 0x8300, {0x82FF, 0x8300, 0x8301, 0x8FD1, 0x8FD2}, {0x82FF, 0x8300, 0x8FD0, 0x8FD2}},
      {"up, cut at the end", ShiftUp, 0xF700, {0xF730}, {0xF72F}},
      {"up at the last byte", ShiftUp, 0xF730, {0xF730}, {}},
  };
  // clang-format on
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    StartedTrainer b;
    for (int64_t a : c.before) ToggleBreakpoint(b.t, Row(a));
    b.t.m.PC = c.pc;
    c.shift(b.t);
    std::vector<int64_t> marked;
    for (int64_t row = 1; row <= kLastRow; ++row)
      if (b.t.listing.Marked(row)) marked.push_back(AddressOfRow(row));
    EXPECT_EQ(marked, c.after);
  }
}

TEST(Breakpoints, AShiftedInstructionKeepsItsStop) {
  StartedTrainer b;
  b.Type(0x8200, {"INR A", "INR A", "HLT"});
  ToggleBreakpoint(b.t, Row(0x8201));
  b.t.m.PC = 0x8201;
  ShiftDown(b.t);  // a NOP before the second INR A
  b.t.m.PC = 0x8200;
  RunKey(b.t);
  EXPECT_EQ(b.t.m.PC, 0x8202);
  EXPECT_EQ(b.view.entry, "INR A");
  EXPECT_EQ(b.t.m.R.A, 1);
}

// ---- stepping back ----

TEST(StepBack, UndoesOneStepOfEachKind) {
  // clang-format off
  const struct {
    const char* line;
    std::function<void(Trainer&)> setUp;
  } cases[] = {
      {"MVI A, 05", nullptr},
      {"XRA A", [](Trainer& t) { t.m.R.A = 0x5A; }},
      {"CALL 8300",
       [](Trainer& t) {
         t.m.Mem.Write(0xF72D, 0x11);
         t.m.Mem.Write(0xF72E, 0x22);
       }},
      {"PUSH B",
       [](Trainer& t) {
         t.m.R.B = 0x12;
         t.m.R.C = 0x34;
       }},
      {"PUSH PSW", [](Trainer& t) { t.m.R.A = 0x80; }},
      {"STA 8210", [](Trainer& t) { t.m.R.A = 0x3E; }},  // a code text and two mnemonics
      {"LHLD 8300", [](Trainer& t) { t.m.Mem.Write(0x8300, 0x34); }},  // refreshes a view itself
      {"SHLD 8300", [](Trainer& t) { t.m.R.H = 0x99; }},
      {"HLT", nullptr},
  };
  // clang-format on
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    StartedTrainer b;
    b.Type(0x8200, {c.line});
    if (c.setUp) c.setUp(b.t);
    const Everything before = Take(b);
    StepKey(b.t);
    ASSERT_NE(Difference(before, Take(b)), "");
    EXPECT_EQ(b.t.history.Size(b.t), 1u);
    ASSERT_TRUE(StepBack(b.t));
    EXPECT_EQ(Difference(before, Take(b)), "");
    EXPECT_EQ(b.view.stackPointer, "SP=F72F");  // the label as start-up wrote it
    EXPECT_FALSE(StepBack(b.t));
    EXPECT_EQ(Difference(before, Take(b)), "");
  }
}

TEST(StepBack, StaIntoTheProgramRewritesItsTextsAndBack) {
  StartedTrainer b;
  b.Type(0x8200, {"MVI A, C3", "STA 8205", "INR A", "HLT"});
  StepKey(b.t);
  const Everything before = Take(b);
  StepKey(b.t);  // 8205h: INR A becomes a JMP with the HLT and a NOP as its operand
  EXPECT_EQ(b.t.listing.Code(Row(0x8205)), "C3");
  EXPECT_EQ(b.t.listing.Mnemonic(Row(0x8205)), "JMP 0076");
  EXPECT_EQ(b.t.listing.Mnemonic(Row(0x8206)), "");
  ASSERT_TRUE(StepBack(b.t));
  EXPECT_EQ(Difference(before, Take(b)), "");
  EXPECT_EQ(b.t.listing.Code(Row(0x8205)), "3C");
  EXPECT_EQ(b.t.listing.Mnemonic(Row(0x8205)), "INR A");
  EXPECT_EQ(b.t.listing.Mnemonic(Row(0x8206)), "HLT");
  ASSERT_TRUE(StepBack(b.t));  // and the MVI before it
  EXPECT_EQ(b.t.m.PC, 0x8200);
  EXPECT_EQ(b.view.stackPointer, "SP=F72F");
}

TEST(StepBack, UndoesARunAndTheStepsBeforeItInTurn) {
  StartedTrainer b;
  b.Type(0x8200, {"LXI SP, 9000", "MVI A, 3E", "LXI H, 8400", "MVI B, 20", "MOV M, B", "INX H",
                  "PUSH B", "POP D", "CALL 8300", "DCR B", "JNZ 820A", "STA 8250", "HLT"});
  b.Type(0x8300, {"STA 8280", "INR A", "RET"});
  b.t.m.PC = 0x8200;
  std::vector<Everything> states{Take(b)};
  StepKey(b.t);
  states.push_back(Take(b));
  StepKey(b.t);
  states.push_back(Take(b));
  RunKey(b.t);
  EXPECT_EQ(b.t.m.PC, 0x8219);
  EXPECT_EQ(b.t.m.Mem.Read(0x841F), 0x01);
  EXPECT_EQ(b.t.listing.Code(Row(0x8250)), "5E");
  EXPECT_EQ(b.t.history.Size(b.t), 3u);
  for (size_t i = states.size(); i-- > 0;) {
    ASSERT_TRUE(StepBack(b.t));
    EXPECT_EQ(Difference(states[i], Take(b)), "") << "back to state " << i;
  }
  EXPECT_FALSE(StepBack(b.t));
  RunKey(b.t);  // and the program runs again as before
  EXPECT_EQ(b.t.m.PC, 0x8219);
}

TEST(StepBack, UndoesARunStoppedAtABreakpoint) {
  StartedTrainer b;
  b.Type(0x8200, {"MVI B, 05", "INR A", "PUSH PSW", "DCR B", "JNZ 8202", "HLT"});
  ToggleBreakpoint(b.t, Row(0x8204));
  RunKey(b.t);
  EXPECT_EQ(b.t.m.PC, 0x8204);
  const Everything atStop = Take(b);
  RunKey(b.t);
  RunKey(b.t);
  EXPECT_EQ(b.t.m.R.A, 3);
  ASSERT_TRUE(StepBack(b.t));
  ASSERT_TRUE(StepBack(b.t));
  EXPECT_EQ(Difference(atStop, Take(b)), "");
}

TEST(StepBack, KeepsTheScreenAsItWasIncludingMovesOfThePc) {
  StartedTrainer b;
  b.Type(0x8200, {"MVI A, 05", "INR A"});
  StepKey(b.t);
  // Moving the PC and showing things is no edit: the history stays.
  AddrKey(b.t);
  for (char d : std::string("8300")) HexKey(b.t, d);
  NextKey(b.t);
  MemKey(b.t);
  HexKey(b.t, '4');  // one digit stores nothing
  const Everything before = Take(b);
  EXPECT_EQ(b.view.data, "4");
  StepKey(b.t);
  SelectRow(b.t, Row(0x8400));
  RstKey(b.t);
  EntryKeyDown(b.t, EntryKey::Enter);
  ToggleBreakpoint(b.t, 5);
  ClearBreakpoints(b.t);
  ASSERT_TRUE(StepBack(b.t));
  EXPECT_EQ(Difference(before, Take(b)), "");
  EXPECT_EQ(b.t.m.PC, 0x8301);
  EXPECT_EQ(b.view.data, "4");
  ASSERT_TRUE(StepBack(b.t));
  EXPECT_EQ(b.t.m.PC, 0x8200);
}

TEST(StepBack, EveryEditOfTheMachineClearsTheHistory) {
  test::ScratchDir dir;
  {
    StartedTrainer s;
    ASSERT_FALSE(SaveImage(s.t.listing, dir / "zero.mem"));
  }
  const std::string image = dir / "zero.mem";
  // clang-format off
  const struct {
    const char* name;
    std::function<void(Trainer&)> edit;
  } cases[] = {
      {"a typed character", [](Trainer& t) { TypeIntoEntry(t, t.Entry, "", 'Q'); }},
      {"a typed mnemonic", [](Trainer& t) { TypeIntoEntry(t, t.Entry, "HL", 'T'); }},
      {"Backspace", [](Trainer& t) { EntryKeyDown(t, EntryKey::Backspace); }},
      {"a keypad store",
       [](Trainer& t) {
         MemKey(t);
         HexKey(t, '1');
         HexKey(t, '2');
       }},
      {"a flag box", [](Trainer& t) { FlagBoxesClicked(t, true, false, false, false, false); }},
      {"New", [](Trainer& t) { NewImage(t); }},
      {"Open", [&image](Trainer& t) { ASSERT_FALSE(OpenImage(t, image)); }},
      {"shift down", [](Trainer& t) { ShiftDown(t); }},
      {"shift up", [](Trainer& t) { ShiftUp(t); }},
  };
  // clang-format on
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    StartedTrainer b;
    b.Type(0x8200, {"MVI A, 05", "PUSH PSW", "INR A"});
    StepKey(b.t);
    StepKey(b.t);
    ASSERT_EQ(b.t.history.Size(b.t), 2u);
    c.edit(b.t);
    EXPECT_EQ(b.t.history.Size(b.t), 0u);
    const Everything edited = Take(b);
    EXPECT_FALSE(StepBack(b.t));
    EXPECT_EQ(Difference(edited, Take(b)), "");
    StepKey(b.t);  // a new history starts after the edit
    ASSERT_TRUE(StepBack(b.t));
    EXPECT_EQ(Difference(edited, Take(b)), "");
    EXPECT_FALSE(StepBack(b.t));
  }
}

TEST(StepBack, AFailedOpenIsNoEdit) {
  test::ScratchDir dir;
  StartedTrainer b;
  b.Type(0x8200, {"INR A"});
  StepKey(b.t);
  EXPECT_TRUE(OpenImage(b.t, dir / "missing.mem"));
  EXPECT_TRUE(StepBack(b.t));
}

TEST(StepBack, AnEditDuringARunVoidsThatRun) {
  StartedTrainer b;
  b.Type(0x8200, {"INR B", "JMP 8200"});
  StepKey(b.t);
  int passes = 0;
  b.view.onEvents = [&] {
    ++passes;
    if (passes == 5) TypeIntoEntry(b.t, b.t.Entry, "", 'X');
    if (passes == 10) RstKey(b.t);
  };
  RunKey(b.t);
  EXPECT_EQ(b.t.history.Size(b.t), 0u);
  EXPECT_FALSE(StepBack(b.t));
}

TEST(StepBack, AStepOrRunInsideARunIsPartOfIt) {
  StartedTrainer b;
  b.Type(0x8200, {"INR B", "JMP 8200"});
  const Everything before = Take(b);
  int passes = 0;
  bool refused = false;
  b.view.onEvents = [&] {
    ++passes;
    if (passes == 3) StepKey(b.t);
    if (passes == 4) refused = !StepBack(b.t);
    if (passes == 6) RstKey(b.t);
  };
  RunKey(b.t);
  EXPECT_TRUE(refused);  // no stepping back while a run is going
  EXPECT_EQ(b.t.history.Size(b.t), 1u);
  ASSERT_TRUE(StepBack(b.t));
  EXPECT_EQ(Difference(before, Take(b)), "");
}

TEST(StepBack, OffRecordsNothing) {
  StartedTrainer b;
  b.Type(0x8200, {"INR A", "HLT"});
  b.t.history.enabled = false;
  StepKey(b.t);
  RunKey(b.t);
  EXPECT_EQ(b.t.history.Size(b.t), 0u);
  EXPECT_FALSE(StepBack(b.t));
}

// A view that keeps nothing: the step back shows the restored machine instead.
TEST(StepBack, AScreenThatKeepsNothingIsRefreshedFromTheMachine) {
  struct Forgetful : test::RecordingView {
    bool TakeShown(ShownViews&) const override { return false; }
  } view;
  Trainer t(view, test::NoSleep);
  BuildMachine(t, [] { return 0.0; });
  ResetPanel(t);
  test::TypeProgram(t, t.Entry, 0x8200, {"MVI A, 05", "INR A"});
  StepKey(t);
  StepKey(t);
  ASSERT_TRUE(StepBack(t));
  EXPECT_EQ(view.address, "8202");
  EXPECT_EQ(view.entry, "INR A");
  EXPECT_EQ(view.registers.A, 5);
  EXPECT_EQ(view.stackPointer, "F72F");
}

// ---- the history's memory ----

TEST(HistoryMemory, TenThousandStepsStayBounded) {
  StartedTrainer b;
  b.Type(0x8200, {"LXI SP, 9000", "PUSH B", "POP D", "STA 8400", "INR A", "CALL 8230", "JMP 8203"});
  b.Type(0x8230, {"MOV C, A", "RET"});
  b.t.m.PC = 0x8200;
  StepKey(b.t);
  const Everything afterFirst = Take(b);
  for (size_t i = 1; i <= History::kDepth; ++i) StepKey(b.t);
  EXPECT_EQ(b.t.history.Size(b.t), History::kDepth);  // the oldest went
  const size_t bytes = b.t.history.Bytes();
  RecordProperty("history_bytes_for_10000_steps", static_cast<int>(bytes));
  EXPECT_LE(bytes, History::kDepth * 256) << bytes / History::kDepth << " bytes a step";
  std::printf("history of %zu steps: %zu bytes\n", History::kDepth, bytes);
  for (size_t i = 0; i < History::kDepth; ++i) ASSERT_TRUE(StepBack(b.t)) << i;
  EXPECT_FALSE(StepBack(b.t));
  EXPECT_EQ(Difference(afterFirst, Take(b)), "");
  EXPECT_EQ(b.t.history.Bytes(), 0u);
}

TEST(HistoryMemory, ARunThatRewritesMemoryCostsOneImage) {
  StartedTrainer b;
  // Fills 8280h..F6FFh (all but the program and the last few bytes) with AAh.
  b.Type(0x8200, {"LXI H, 8280", "MVI M, AA", "INX H", "MOV A, H", "CPI F7", "JNZ 8203", "HLT"});
  const Everything before = Take(b);
  RunKey(b.t);
  EXPECT_EQ(b.t.m.Mem.Read(0xF6FF), 0xAA);
  EXPECT_LE(b.t.history.Bytes(), sizeof(Memory) + 1024);
  ASSERT_TRUE(StepBack(b.t));
  EXPECT_EQ(Difference(before, Take(b)), "");
}

}  // namespace
}  // namespace tamrel
