#include <gtest/gtest.h>

#include "support/started_trainer.h"

namespace tamrel {
namespace {

using test::StartedTrainer;

struct Typist : StartedTrainer {
  std::string field;  // the entry line as the user sees it
  void TypeText(std::string_view s) {
    for (char k : s) {
      TypeIntoEntry(t, t.Entry, field, k);
      field.push_back(k);
    }
  }
  uint8_t Mem(int32_t a) { return t.m.Mem.Read(a); }
  const std::string& Code(int32_t a) { return t.listing.Code(RowOfAddress(a)); }
  const std::string& Mn(int32_t a) { return t.listing.Mnemonic(RowOfAddress(a)); }
};

TEST(LineEntry, MviThenOperand) {
  Typist b;
  b.t.listing.SetCode(2, "77");
  b.TypeText("MVI A");
  EXPECT_EQ(b.Mem(0x8200), 0x3E);
  EXPECT_EQ(b.Code(0x8200), "3E");
  EXPECT_EQ(b.view.data, "3E");
  EXPECT_EQ(b.Mn(0x8200), "MVI A, 77");
  b.TypeText(", 05");
  EXPECT_EQ(b.Mem(0x8201), 0x05);
  EXPECT_EQ(b.Code(0x8201), "05");
  EXPECT_EQ(b.Mn(0x8200), "MVI A, 05");
  EXPECT_EQ(b.t.Entry.PendingOperands, 0);
  b.TypeText("77");  // after a complete operand nothing is collected
  EXPECT_EQ(b.Mem(0x8202), 0);
}

TEST(LineEntry, AddressHighByteFirst) {
  Typist b;
  b.t.m.PC = 0x8300;
  b.TypeText("JMP 82");
  EXPECT_EQ(b.Mem(0x8300), 0xC3);
  EXPECT_EQ(b.Mem(0x8302), 0x82);
  EXPECT_EQ(b.Mem(0x8301), 0x00);
  EXPECT_EQ(b.t.Entry.PendingOperands, 2);
  b.t.m.Mem.Write(0x8301, 0x99);
  b.TypeText("0");
  EXPECT_EQ(b.Mem(0x8301), 0x99);  // the third character stores nothing
  b.TypeText("0");
  EXPECT_EQ(b.Mem(0x8301), 0x00);
  EXPECT_EQ(b.Mn(0x8300), "JMP 8200");
  EXPECT_EQ(b.t.Entry.PendingOperands, 0);
}

TEST(LineEntry, PrefixMatchesOnTheWay) {
  // clang-format off
  const struct {
    const char* typed;
    std::vector<uint8_t> storedAt8200;  // after each character
  } cases[] = {
      {"CPI", {0xFF, 0xF4, 0xFE}},
      {"JPE", {0xFF, 0xF2, 0xEA}},
      {"     -", {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x08}},
      {"mvi a", {0xFF, 0xFF, 0xFF, 0xFF, 0xFF}},
  };
  // clang-format on
  for (const auto& c : cases) {
    Typist b;
    b.t.m.Mem.Write(0x8200, 0xFF);
    for (size_t i = 0; i < c.storedAt8200.size(); ++i) {
      b.TypeText(std::string(1, c.typed[i]));
      EXPECT_EQ(b.Mem(0x8200), c.storedAt8200[i]) << c.typed << " " << i;
    }
  }
}

TEST(LineEntry, InxSpCollectsItsLettersAsAnOperandFirst) {
  Typist b;
  b.t.m.Mem.Write(0x8201, 0x77);
  b.TypeText("INX SP");
  EXPECT_EQ(b.Mem(0x8200), 0x33);
  EXPECT_EQ(b.Mem(0x8201), 0x00);
  EXPECT_EQ(b.Code(0x8201), "XS");
  EXPECT_EQ(b.t.Entry.PendingOperands, 0);
}

TEST(LineEntry, TypedOperandTextStaysAsTyped) {
  Typist b;
  b.TypeText("MVI A, 3e");
  EXPECT_EQ(b.Mem(0x8201), 0);
  EXPECT_EQ(b.Code(0x8201), "3e");
  EXPECT_EQ(b.Mn(0x8200), "MVI A, 3e");
}

TEST(LineEntry, BackspaceEndsTheOperand) {
  Typist b;
  b.TypeText("LXI H, 82");
  EntryKeyDown(b.t, EntryKey::Backspace);
  b.TypeText("10");
  EXPECT_EQ(b.Mem(0x8202), 0x82);
  EXPECT_EQ(b.Mem(0x8201), 0x00);
  EXPECT_EQ(b.t.Entry.PendingOperands, 0);
}

TEST(LineEntry, EnterMovesOnAndPendingOperandsFollowThePc) {
  Typist b;
  b.TypeText("MVI B");
  EntryKeyDown(b.t, EntryKey::Enter);
  EXPECT_EQ(b.t.m.PC, 0x8201);
  EXPECT_EQ(b.view.address, "8201");
  b.field.clear();
  b.TypeText("12");  // still pending: stored relative to the new PC
  EXPECT_EQ(b.Mem(0x8202), 0x12);
}

TEST(LineEntry, ByteInsideAnEarlierInstruction) {
  Typist b;
  b.TypeText("MVI A");
  b.t.m.PC = 0x8201;
  b.field.clear();
  b.TypeText("NOP");
  EXPECT_EQ(b.Mn(0x8200), "MVI A, 00");
  EXPECT_EQ(b.Mn(0x8201), "");
}

TEST(LineEntry, StoresOutsideMemoryAreDropped) {
  for (const int32_t pc : {0xF72F, 0xF730, 0xF731, 0x0000, 0x81FF}) {
    Typist b;
    b.t.m.PC = pc;
    const Memory before = b.t.m.Mem;
    b.TypeText("LXI H, 1234");
    SCOPED_TRACE(pc);
    if (pc == 0xF72F) {
      EXPECT_EQ(b.Mem(0xF72F), 0x21);
      EXPECT_EQ(b.Mem(0xF730), 0x34);
      EXPECT_EQ(b.Code(0xF730), "34");
    } else if (pc == 0xF730) {
      EXPECT_EQ(b.Mem(0xF730), 0x21);
    } else if (pc == 0x81FF) {  // the operand bytes land inside memory; the opcode does not
      EXPECT_EQ(b.Mem(0x8200), 0x34);
      EXPECT_EQ(b.Mem(0x8201), 0x12);
    } else {
      EXPECT_EQ(b.t.m.Mem, before);
    }
    for (int64_t row = 1; row <= kLastRow; ++row) ASSERT_EQ(b.t.listing.Code(row).size(), 2u);
  }
}

}  // namespace
}  // namespace tamrel
