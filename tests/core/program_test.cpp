// Whole programs through the same fetch-and-execute path as STEP and RUN.
#include "support/program.h"

#include <gtest/gtest.h>

#include "listing/opcodes.h"
#include "support/started_trainer.h"

namespace tamrel {
namespace {

using test::SetFlag;

using test::StartedTrainer;

TEST(Program, DecrementLoop) {
  for (const uint8_t zBefore : {0, 1}) {
    StartedTrainer b;
    b.Type(0x8200, {"MVI B, 03", "DCR B", "JNZ 8202", "HLT"});
    SetFlag(b.t.m, "Z", zBefore);
    int dcr = 0;
    b.view.onEvents = [&] { dcr += CurrentLine(b.t) == "DCR B"; };
    RunKey(b.t);
    SCOPED_TRACE(int(zBefore));
    EXPECT_EQ(b.t.m.PC, 0x8207);
    EXPECT_EQ(dcr, zBefore ? 1 : 3);  // DCR on B never clears Z
    EXPECT_EQ(b.t.m.R.B, zBefore ? 2 : 0);
    EXPECT_EQ(b.t.m.Flags.Z, 1);
    EXPECT_EQ(b.view.registers.B, b.t.m.R.B);
    EXPECT_EQ(b.view.flags.Z, 1);
  }
}

TEST(Program, CallAndReturn) {
  StartedTrainer b;
  b.Type(0x8200, {"CALL 8300", "HLT"});
  b.Type(0x8300, {"MVI A, 42", "RET"});
  b.t.m.PC = 0x8200;
  RunKey(b.t);
  EXPECT_EQ(b.t.m.R.A, 0x42);
  EXPECT_EQ(b.t.m.PC, 0x8204);
  EXPECT_EQ(b.t.m.SP, 0xF72F);
  EXPECT_EQ(b.view.stackPointer, "F72F");
}

TEST(Program, PushStcPopKeepsTheNewCarry) {
  StartedTrainer b;
  b.Type(0x8200, {"PUSH PSW", "STC", "POP PSW", "HLT"});
  RunKey(b.t);
  EXPECT_EQ(b.t.m.R.A, 0);
  EXPECT_EQ(b.t.m.Flags, (TFlags{1, 1, 0, 1, 0}));
}

TEST(Program, PushThenReturnAddsThree) {
  StartedTrainer b;
  b.Type(0x8200, {"LXI H, 8250", "PUSH H", "RET"});
  for (int i = 0; i < 3; ++i) StepKey(b.t);
  EXPECT_EQ(b.t.m.PC, 0x8253);
}

TEST(Program, XthlSwapsWithTheStackTop) {
  StartedTrainer b;
  b.Type(0x8200, {"LXI B, 5678", "PUSH B", "LXI H, 1234", "XTHL", "POP D", "HLT"});
  RunKey(b.t);
  EXPECT_EQ(b.t.m.R.H, 0x56);
  EXPECT_EQ(b.t.m.R.L, 0x78);
  EXPECT_EQ(b.t.m.R.D, 0x12);
  EXPECT_EQ(b.t.m.R.E, 0x34);
}

TEST(Program, MonitorByteShowsDuringRunOnly) {
  StartedTrainer b;
  b.Type(0x8200, {"LXI H, 8210", "CALL 0294", "HLT"});
  b.t.m.Mem.Write(0x8210, 0x3C);
  b.view.dataHistory.clear();
  RunKey(b.t);
  // RUN blanks the display, the routine shows the byte, the final refresh replaces it.
  ASSERT_GE(b.view.dataHistory.size(), 3u);
  EXPECT_EQ(b.view.dataHistory[0], "");
  EXPECT_EQ(b.view.dataHistory[1], "3C");
  EXPECT_EQ(b.view.data, b.t.listing.Code(RowOfAddress(0x8207)));
}

}  // namespace
}  // namespace tamrel
