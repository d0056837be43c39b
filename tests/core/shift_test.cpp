#include "edit/shift.h"

#include <gtest/gtest.h>

#include "listing/opcodes.h"
#include "machine/numtext.h"
#include "support/started_trainer.h"

namespace tamrel {
namespace {

struct ShiftBench : test::StartedTrainer {
  ShiftBench() {
    // A recognisable pattern: byte of a = low 8 bits of a * 7.
    for (int64_t a = kMemFirst; a <= kMemLast; ++a) t.m.Mem.Write(a, static_cast<uint8_t>(a * 7));
    t.listing.WriteCodesFrom(t.m.Mem);
    FullDisassembly(t.listing);
  }
  uint8_t Mem(int64_t a) { return t.m.Mem.Read(a); }
  void ExpectCodesMatchMemory() {
    for (int64_t row = 1; row <= kLastRow; ++row)
      ASSERT_EQ(t.listing.Code(row), ByteText(Mem(AddressOfRow(row)))) << row;
  }
};

TEST(Shift, DownThenUpAroundAnInstruction) {
  test::StartedTrainer b;
  b.Type(0x8200, {"MVI A, 05", "HLT"});
  b.t.m.PC = 0x8202;
  b.view.data = "unchanged";
  ShiftDown(b.t);
  EXPECT_EQ(b.t.m.Mem.Read(0x8202), 0x00);
  EXPECT_EQ(b.t.m.Mem.Read(0x8203), 0x76);
  EXPECT_EQ(b.t.listing.Mnemonic(1), "MVI A, 05");
  EXPECT_EQ(b.t.listing.Mnemonic(3), "NOP");
  EXPECT_EQ(b.t.listing.Mnemonic(4), "HLT");
  EXPECT_EQ(b.view.data, "unchanged");  // no panel refresh
  EXPECT_EQ(b.t.m.PC, 0x8202);
  ShiftUp(b.t);
  EXPECT_EQ(b.t.m.Mem.Read(0x8202), 0x76);
  EXPECT_EQ(b.t.listing.Mnemonic(3), "HLT");
}

TEST(Shift, DownDecodesAtLeastTo9470hWhereverThePcIs) {
  // Rows whose code changed without a decoding pass: only the pass after the shift decodes
  // them, and near the start of memory it reaches 9470h, past the end of the moved block.
  for (const int32_t addr : {0x9000, 0x9460}) {
    test::StartedTrainer b;
    StoreByte(b.t, addr, 0x3E, "3E");
    ASSERT_EQ(b.t.listing.Mnemonic(RowOfAddress(addr)), "NOP");
    b.t.m.PC = 0x8202;
    ShiftDown(b.t);
    EXPECT_EQ(b.t.listing.Mnemonic(RowOfAddress(addr)), "MVI A, 00") << std::hex << addr;
  }
}

TEST(Shift, RoundTripKeepsTheBlockAndLosesTheLastByte) {
  for (const int32_t pc : {0x8202, 0xA000}) {
    ShiftBench b;
    const Memory before = b.t.m.Mem;
    b.t.m.PC = pc;
    ShiftDown(b.t);
    EXPECT_EQ(b.Mem(pc), 0);
    EXPECT_EQ(b.Mem(pc + 3281), before.Read(pc + 3280));
    EXPECT_EQ(b.Mem(pc + 3282), before.Read(pc + 3282));  // outside the block
    // The moved block is rewritten in the code column too, wherever the PC stood.
    b.ExpectCodesMatchMemory();
    ShiftUp(b.t);
    for (int64_t a = pc; a <= pc + 3280; ++a) ASSERT_EQ(b.Mem(a), before.Read(a)) << a;
    EXPECT_EQ(b.Mem(pc + 3281), before.Read(pc + 3280));
    b.ExpectCodesMatchMemory();
    // What runs follows the moved bytes up to the end of the block.
    test::StartedTrainer fresh;
    fresh.t.listing = b.t.listing;
    FullDisassembly(fresh.t.listing);
    for (int64_t row = 1; row <= RowOfAddress(pc + 3280); ++row)
      ASSERT_EQ(b.t.listing.Mnemonic(row), fresh.t.listing.Mnemonic(row)) << row;
  }
}

TEST(Shift, NearAndOutsideTheEndOfMemory) {
  for (const int32_t pc : {0xEA5F, 0xEA60, 0xF72F, 0xF730, 0xF731, 0x81FF, 0}) {
    ShiftBench b;
    const Memory before = b.t.m.Mem;
    b.t.m.PC = pc;
    ShiftDown(b.t);
    SCOPED_TRACE(pc);
    if (InWindow(pc)) {
      EXPECT_EQ(b.Mem(pc), 0);
      if (pc < kMemLast) {
        EXPECT_EQ(b.Mem(pc + 1), before.Read(pc));
      }
    } else {
      EXPECT_EQ(b.t.m.Mem, before);
    }
    ShiftUp(b.t);
    if (InWindow(pc) && pc < kMemLast) {
      EXPECT_EQ(b.Mem(pc), before.Read(pc));
    }
    b.ExpectCodesMatchMemory();
  }
}

}  // namespace
}  // namespace tamrel
