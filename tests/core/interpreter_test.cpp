// One line at a time through ExecuteLine: the split, the operand names, and every keyword with
// its flag quirks, as rows of a table (state before, line, state after).
#include <gtest/gtest.h>

#include <functional>
#include <set>

#include "machine/numtext.h"
#include "support/program.h"
#include "support/started_trainer.h"

namespace tamrel {
namespace {

using test::SetFlag;

using test::StartedTrainer;

TEST(SplitLine, CharacterForCharacter) {
  // clang-format off
  const struct {
    const char* line;
    const char *mnem, *op1, *op2;
  } cases[] = {
      {"MVI A, 05", "MVI", "A", "05"},   {"MOV A,B", "MOV", "AB", ""},
      {"MOV  A, B", "MOV", "", "AB"},    {"MVI A , 05", "MVI", "A", "05"},
      {" NOP", "", "NOP", ""},           {"NOP", "NOP", "", ""},
      {"MOV,X A", "MOV,X", "A", ""},     {"A\tB C", "A\tB", "C", ""},
      {"", "", "", ""},                  {"X Y Z W", "X", "Y", "ZW"},
  };
  // clang-format on
  for (const auto& c : cases) {
    TCommand t;
    t.Line = c.line;
    SplitLine(t);
    EXPECT_EQ(t.Mnemonic, c.mnem) << c.line;
    EXPECT_EQ(t.Operand1, c.op1) << c.line;
    EXPECT_EQ(t.Operand2, c.op2) << c.line;
  }
}

struct Case {
  const char* line;
  std::function<void(Trainer&)> before;
  std::function<void(const Trainer&)> after;
  int advance;  // PC change; kNoCheck when the PC is checked in `after`
  bool stop = false;
};
constexpr int kNoCheck = 1000;

void RunCases(const std::vector<Case>& cases) {
  for (const auto& c : cases) {
    StartedTrainer b;
    Trainer& t = b.t;
    t.m.PC = 0x8200;
    if (c.before) c.before(t);
    const int32_t pc = t.m.PC;
    const bool stop = b.Exec(c.line);
    SCOPED_TRACE(c.line);
    EXPECT_EQ(stop, c.stop);
    if (c.advance != kNoCheck) {
      EXPECT_EQ(t.m.PC - pc, c.advance);
    }
    if (c.after) c.after(t);
  }
}

auto A(int32_t v) {
  return [v](Trainer& t) { t.m.R.A = v; };
}

TEST(Interpreter, DataTransfer) {
  // clang-format off
  RunCases({
      {"MOV B, A", A(0x3C), [](auto& t) { EXPECT_EQ(t.m.R.B, 0x3C); EXPECT_EQ(t.m.R.F, 2); }, 1},
      {"MOV A,B", [](Trainer& t) { t.m.R.B = 9; }, [](auto& t) { EXPECT_EQ(t.m.R.A, 0); }, 1},
      {"MOV  A, B", [](Trainer& t) { t.m.R.B = 9; }, [](auto& t) { EXPECT_EQ(t.m.R.A, 0); }, 1},
      {"MOV A, X", [](Trainer& t) { t.Command.ByteValue = 7; },  // no stale value is used
       [](auto& t) { EXPECT_EQ(t.m.R.A, 0); }, 1},
      {"MOV A, M", [](Trainer& t) { t.m.R.H = 0x82; t.m.R.L = 5; t.m.Mem.Write(0x8205, 0x77); },
       [](auto& t) { EXPECT_EQ(t.m.R.A, 0x77); }, 1},
      {"MOV M, M", [](Trainer& t) { t.m.R.H = 0x82; t.m.R.L = 5; t.m.Mem.Write(0x8205, 0x77); },
       [](auto& t) { EXPECT_EQ(t.m.Mem.Read(0x8205), 0x77); }, 1},
      {"MVI M, 7F", [](Trainer& t) { t.m.R.H = 0x82; t.m.R.L = 0x10; },
       [](auto& t) {
         EXPECT_EQ(t.m.Mem.Read(0x8210), 0x7F);
         EXPECT_EQ(t.listing.Code(0x11), "00");  // the code column is not written
       }, 2},
      {"MVI A, 1FF", nullptr, [](auto& t) { EXPECT_EQ(t.m.R.A, 0x1FF); }, 2},
      {"MVI B, 1FF", nullptr, [](auto& t) { EXPECT_EQ(t.m.R.B, 0xFF); }, 2},
      {"MVI A, FFFFFFFF", nullptr, [](auto& t) { EXPECT_EQ(t.m.R.A, -1); }, 2},
      {"LXI B, 0012", nullptr, [](auto& t) { EXPECT_EQ(t.m.R.B, 0); EXPECT_EQ(t.m.R.C, 0x12); }, 3},
      {"LXI B, 1234", nullptr, [](auto& t) { EXPECT_EQ(t.m.R.B, 0x12); EXPECT_EQ(t.m.R.C, 0x34); }, 3},
      {"LXI H, 0005", nullptr, [](auto& t) { EXPECT_EQ(t.m.R.H, 0); EXPECT_EQ(t.m.R.L, 5); }, 3},
      {"LXI D, 12345", nullptr, [](auto& t) { EXPECT_EQ(t.m.R.D, 0x23); EXPECT_EQ(t.m.R.E, 0x45); }, 3},
      {"LXI SP, F72F", [](Trainer& t) { t.m.SP = 0; },
       [](auto& t) { EXPECT_EQ(t.m.SP, 0xF72F); EXPECT_EQ(t.m.R, TRegisters{}); }, 3},
      {"LXI SP, 12345", nullptr, [](auto& t) { EXPECT_EQ(t.m.SP, 0x12345); }, 3},
      {"XCHG", [](Trainer& t) { t.m.R.D = 0; t.m.R.E = 0x12; t.m.R.H = 0x82; t.m.R.L = 5; },
       [](auto& t) {
         EXPECT_EQ(t.m.R.D, 0x82); EXPECT_EQ(t.m.R.E, 5);
         EXPECT_EQ(t.m.R.H, 0); EXPECT_EQ(t.m.R.L, 0x12);
       }, 1},
      {"SPHL", [](Trainer& t) { t.m.R.H = 0x90; t.m.R.L = 0x01; },
       [](auto& t) { EXPECT_EQ(t.m.SP, 0x9001); }, 1},
      {"LDA 8205", [](Trainer& t) { t.m.Mem.Write(0x8205, 0x42); },
       [](auto& t) { EXPECT_EQ(t.m.R.A, 0x42); }, 3},
      {"LDA 0100", nullptr, [](auto& t) { EXPECT_EQ(t.m.R.A, 0xFF); }, 3},  // outside memory
      {"STA 8205", [](Trainer& t) { t.m.R.A = 0x3C; t.listing.SetMnemonic(6, "X"); },
       [](auto& t) {
         EXPECT_EQ(t.m.Mem.Read(0x8205), 0x3C);
         EXPECT_EQ(t.listing.Code(6), "3C");
         EXPECT_EQ(t.listing.Mnemonic(6), "X");
       }, 3},
      {"STA 8205", A(0x1FF),  // the code text is the stored byte's, two characters
       [](auto& t) { EXPECT_EQ(t.listing.Code(6), "FF"); }, 3},
      {"STA 0100", A(1), nullptr, 3},
      {"LHLD 8300", [](Trainer& t) { t.m.Mem.Write(0x8300, 0x34); t.m.Mem.Write(0x8301, 0x12); },
       [](auto& t) {
         EXPECT_EQ(t.m.R.L, 0x34); EXPECT_EQ(t.m.R.H, 0x12);
         EXPECT_EQ(static_cast<const test::RecordingView*>(t.view)->registers.H, 0x12);
       }, 3},
      {"SHLD 8300", [](Trainer& t) { t.m.R.H = 0x12; t.m.R.L = 0x34; },
       [](auto& t) { EXPECT_EQ(t.m.Mem.Read(0x8300), 0x34); EXPECT_EQ(t.m.Mem.Read(0x8301), 0x12); }, 3},
      {"XTHL",
       [](Trainer& t) { t.m.R.H = 0x12; t.m.R.L = 0x34; t.m.SP = 0x9000;
                        t.m.Mem.Write(0x9000, 0x78); t.m.Mem.Write(0x9001, 0x56); },
       [](auto& t) {
         EXPECT_EQ(t.m.R.H, 0x56); EXPECT_EQ(t.m.R.L, 0x78); EXPECT_EQ(t.m.SP, 0x9000);
         EXPECT_EQ(t.m.Mem.Read(0x9000), 0x34); EXPECT_EQ(t.m.Mem.Read(0x9001), 0x12);
       }, 1},
      {"LDAX SP", [](Trainer& t) { t.m.SP = 0x8210; t.m.Mem.Write(0x8210, 9); },
       [](auto& t) { EXPECT_EQ(t.m.R.A, 9); }, 1},
      {"STAX D", [](Trainer& t) { t.m.R.A = 0x155; t.m.R.D = 0x82; t.m.R.E = 0x20; },
       [](auto& t) { EXPECT_EQ(t.m.Mem.Read(0x8220), 0x55); }, 1},
      {"STAX X", A(5), [](auto& t) { EXPECT_EQ(t.m.Mem.Read(0x8200), 0); }, 1},
      {"PUSH B", [](Trainer& t) { t.m.R.B = 0x12; t.m.R.C = 0x34; },
       [](auto& t) {
         EXPECT_EQ(t.m.Mem.Read(0xF72E), 0x12); EXPECT_EQ(t.m.Mem.Read(0xF72D), 0x34);
         EXPECT_EQ(t.m.SP, 0xF72D);
       }, 1},
      {"PUSH PSW", [](Trainer& t) { t.m.R.A = 0x1AB; SetFlag(t.m, "S", 1); },
       [](auto& t) { EXPECT_EQ(t.m.Mem.Read(0xF72E), 0xAB); EXPECT_EQ(t.m.Mem.Read(0xF72D), 0x82); }, 1},
      {"PUSH X", nullptr, [](auto& t) { EXPECT_EQ(t.m.SP, 0xF72F); }, 1},
      {"PUSH B", [](Trainer& t) { t.m.SP = 0x8201; },  // the high byte lands in memory, the low one outside
       [](auto& t) { EXPECT_EQ(t.m.SP, 0x81FF); EXPECT_EQ(t.m.Mem.Read(0x8200), 0); }, 1},
      {"POP H", [](Trainer& t) { t.m.SP = 0x9000; t.m.Mem.Write(0x9000, 0x50); t.m.Mem.Write(0x9001, 0x82); },
       [](auto& t) { EXPECT_EQ(t.m.R.H, 0x82); EXPECT_EQ(t.m.R.L, 0x50); EXPECT_EQ(t.m.SP, 0x9002); }, 1},
      {"POP SP", [](Trainer& t) { t.m.SP = 0x9000; t.m.Mem.Write(0x9000, 0x50); t.m.Mem.Write(0x9001, 0x82); },
       [](auto& t) { EXPECT_EQ(t.m.SP, 0x9002); }, 1},  // SP := old SP + 2 comes last
      {"POP X", nullptr, [](auto& t) { EXPECT_EQ(t.m.SP, 0xF72F); }, 1},
      {"POP PSW",  // the popped F is not kept: CY and AC stay, Z S P follow A
       [](Trainer& t) { t.m.SP = 0x9000; t.m.Mem.Write(0x9000, 0xFF); t.m.Mem.Write(0x9001, 0x80); },
       [](auto& t) {
         EXPECT_EQ(t.m.R.A, 0x80); EXPECT_EQ(t.m.Flags, (TFlags{0, 0, 0, 0, 1}));
         EXPECT_EQ(t.m.R.F, 0x82); EXPECT_EQ(t.m.SP, 0x9002);
       }, 1},
      {"IN 01", nullptr, [](auto& t) { EXPECT_EQ(t.m.R, TRegisters{}); }, 2},
      {"OUT 01", nullptr, [](auto& t) { EXPECT_EQ(t.m.R, TRegisters{}); }, 2},
  });
  // clang-format on
}

// Registers, then expected A and flags (CY P AC Z S) after one arithmetic line.
struct Alu {
  const char* line;
  int32_t a;
  uint8_t b;
  TFlags before;
  int32_t aAfter;
  TFlags after;
  int advance = 1;
};

void RunAlu(const std::vector<Alu>& cases) {
  for (const auto& c : cases) {
    StartedTrainer b;
    b.t.m.R.A = c.a;
    b.t.m.R.B = c.b;
    b.t.m.Flags = c.before;
    b.Exec(c.line);
    SCOPED_TRACE(std::string(c.line) + " A=" + IntToHexText(c.a) + " B=" + IntToHexText(c.b));
    EXPECT_EQ(b.t.m.R.A, c.aAfter);
    EXPECT_EQ(b.t.m.Flags, c.after)
        << "CY" << +b.t.m.Flags.CY << " P" << +b.t.m.Flags.P << " AC" << +b.t.m.Flags.AC << " Z"
        << +b.t.m.Flags.Z << " S" << +b.t.m.Flags.S;
    EXPECT_EQ(b.t.m.PC, 0x8200 + c.advance);
  }
}

//                                 CY P AC Z S
constexpr TFlags kNone{0, 0, 0, 0, 0};
constexpr TFlags kCY{1, 0, 0, 0, 0};
constexpr TFlags kZ{0, 0, 0, 1, 0};

TEST(Interpreter, AddSubtract) {
  // clang-format off
  RunAlu({
      {"ADD B", 0xF0, 0x20, kNone, 0x10, {1, 0, 0, 0, 0}},
      {"ADD B", 0x10, 0x01, kCY, 0x11, {1, 1, 0, 0, 0}},  // CY never cleared by ADD
      {"ADD B", 0x0F, 0x01, kNone, 0x10, {0, 0, 1, 0, 0}},
      {"ADC B", 0x10, 0x01, kCY, 0x12, {0, 1, 0, 0, 0}},
      {"ADC B", 0xFF, 0x00, kCY, 0x00, {1, 1, 0, 1, 0}},
      {"SUB B", 0x10, 0x20, kNone, 0xF0, {1, 1, 0, 0, 1}},
      {"SUB B", 0x10, 0x01, kNone, 0x0F, {0, 1, 1, 0, 0}},
      {"SUB B", 0x10, 0x01, kCY, 0x0F, {1, 1, 1, 0, 0}},
      {"SBB B", 0x00, 0x00, kCY, 0xFF, {1, 1, 0, 0, 1}},
      {"SBB B", 0x05, 0x01, kCY, 0x03, {0, 1, 0, 0, 0}},
      {"ADI 05", 0x01, 0, kNone, 0x06, {0, 1, 0, 0, 0}, 2},
      {"ADI 1G", 0x01, 0, kNone, 0x01, {0, 0, 0, 0, 0}, 2},
      {"ACI 01", 0x10, 0, kCY, 0x12, {0, 1, 0, 0, 0}, 2},
      {"SUI 01", 0x01, 0, kNone, 0x00, {0, 1, 0, 1, 0}, 2},
      {"SBI 0F", 0x10, 0, kCY, 0x00, {0, 1, 1, 1, 0}, 2},
      {"ADI 1FF", 0x01, 0, kNone, 0x100, {1, 1, 0, 0, 1}, 2},  // 200h - 256 once: stays above a byte
      {"ADD X", 0x01, 0x02, kNone, 0x01, kNone},
  });
  // clang-format on
}

TEST(Interpreter, IncrementDecrement) {
  // clang-format off
  RunAlu({
      {"INR B", 0, 0xFF, kNone, 0, {0, 0, 1, 1, 0}},
      {"INR B", 0, 0x01, kZ, 0, kZ},  // a nonzero result leaves Z
      {"INR A", 0x7F, 0, kNone, 0x80, {0, 0, 1, 0, 1}},
      {"INR A", 0xFF, 0, kCY, 0x00, {1, 1, 1, 1, 0}},
      {"DCR B", 0, 0x01, kNone, 0, {0, 0, 0, 1, 0}},
      {"DCR B", 0, 0x00, kNone, 0, {0, 0, 0, 0, 0}},
      {"DCR B", 0, 0x12, kNone, 0, {0, 0, 1, 0, 0}},
      {"DCR A", 0x01, 0, kCY, 0x00, {1, 1, 0, 1, 0}},
      {"INR Q", 5, 0, kNone, 5, kNone},
  });
  // clang-format on
  StartedTrainer b;
  b.t.m.R.C = 1;
  b.Exec("DCR C");
  EXPECT_EQ(b.t.m.R.C, 0);
  b.Exec("DCR C");
  EXPECT_EQ(b.t.m.R.C, 0xFF);
  b.t.m.R.H = 0x82;
  b.t.m.R.L = 0x10;
  b.t.m.Mem.Write(0x8210, 0xFF);
  b.Exec("INR M");
  EXPECT_EQ(b.t.m.Mem.Read(0x8210), 0);
  EXPECT_EQ(b.t.m.Flags.S, 0);
}

TEST(Interpreter, LogicCompareRotate) {
  // clang-format off
  RunAlu({
      {"ANA B", 0xF0, 0x3C, {1, 0, 1, 0, 0}, 0x30, {0, 1, 1, 0, 0}},  // AC unchanged
      {"XRA A", 0x5A, 0, {1, 0, 1, 0, 0}, 0x00, {0, 1, 0, 1, 0}},
      {"ORA B", 0x0F, 0xF0, {1, 0, 1, 0, 0}, 0xFF, {0, 1, 0, 0, 1}},
      {"ANI 0F", 0x3C, 0, kNone, 0x0C, {0, 1, 0, 0, 0}, 2},
      {"XRI 0F", 0x3C, 0, kCY, 0x33, {0, 1, 0, 0, 0}, 2},
      {"ORI 0F", 0x30, 0, kCY, 0x3F, {0, 1, 0, 0, 0}, 2},
      {"ANI 0F", 0x1FF, 0, kNone, 0x0F, {0, 1, 0, 0, 0}, 2},  // binary text saturates
      {"CMP B", 0x05, 0x07, kNone, 0x05, {1, 1, 0, 0, 0}},
      {"CMP B", 0x07, 0x07, kCY, 0x07, {0, 0, 0, 1, 0}},
      {"CPI 05", 0x05, 0, kNone, 0x05, {0, 1, 0, 1, 0}, 2},
      {"CPI 0F", 0x85, 0, kCY, 0x85, {0, 0, 0, 0, 1}, 2},
      {"CMC", 0, 0, kCY, 0, kNone},
      {"CMC", 0, 0, kNone, 0, kCY},
      {"STC", 0, 0, kNone, 0, kCY},
      {"CMA", 0x0F, 0, kNone, 0xF0, kNone},
      {"RLC", 0x81, 0, kNone, 0x03, kCY},
      {"RLC", 0x01, 0, kCY, 0x02, kCY},
      {"RRC", 0x01, 0, kNone, 0x80, kCY},
      {"RRC", 0x02, 0, kNone, 0x01, kNone},
      {"RAL", 0x80, 0, kNone, 0x00, kCY},
      {"RAL", 0x40, 0, kCY, 0x81, kNone},
      {"RAR", 0x01, 0, kNone, 0x00, kCY},
      {"RAR", 0x02, 0, kCY, 0x81, kNone},
      {"DAA", 0x2D, 0, kCY, 0x45, kCY},
      {"DAA", 0x0C, 0, kNone, 0x12, kNone},
      {"DAA", 0x63, 0, kNone, 0x99, kNone},
      {"DAA", 0x64, 0, kNone, 0x100, kNone},
      {"DAA", 0xFF, 0, kNone, 0x255, kNone},
  });
  // clang-format on
}

TEST(Interpreter, SixteenBit) {
  // clang-format off
  RunCases({
      {"DAD H", [](Trainer& t) { t.m.R.H = 0x80; t.m.R.L = 0; },
       [](auto& t) { EXPECT_EQ(t.m.R.H, 0); EXPECT_EQ(t.m.R.L, 0); EXPECT_EQ(t.m.Flags.CY, 1); }, 1},
      {"DAD B", [](Trainer& t) { t.m.R.H = 0x12; t.m.R.L = 0x34; t.m.R.C = 1; SetFlag(t.m, "CY", 1); },
       [](auto& t) { EXPECT_EQ(t.m.R.L, 0x35); EXPECT_EQ(t.m.Flags.CY, 1); }, 1},
      {"DAD SP", [](Trainer& t) { t.m.SP = 0x7FFFFFFF; t.m.R.L = 1; },  // wraps without overflow
       [](auto& t) { EXPECT_EQ(t.m.R.H, 0); EXPECT_EQ(t.m.R.L, 0); }, 1},
      {"DAD D", [](Trainer& t) { t.m.R.H = 0xFF; t.m.R.E = 0xFF; },  // exactly FFFFh: no carry
       [](auto& t) { EXPECT_EQ(t.m.R.H, 0xFF); EXPECT_EQ(t.m.R.L, 0xFF); EXPECT_EQ(t.m.Flags.CY, 0); }, 1},
      {"INX SP", [](Trainer& t) { t.m.SP = 0xFFFF; }, [](auto& t) { EXPECT_EQ(t.m.SP, 0); }, 1},
      {"INX H", [](Trainer& t) { t.m.R.H = 0xFF; t.m.R.L = 0xFE; },
       [](auto& t) { EXPECT_EQ(t.m.R.H, 0xFF); EXPECT_EQ(t.m.R.L, 0xFF); }, 1},
      {"DCX B", [](Trainer& t) { t.m.R.C = 1; }, [](auto& t) { EXPECT_EQ(t.m.R.B, 0); EXPECT_EQ(t.m.R.C, 0); }, 1},
      {"DCX D", nullptr, [](auto& t) { EXPECT_EQ(t.m.R.D, 0xFF); EXPECT_EQ(t.m.R.E, 0xFF); }, 1},
      {"INX B", [](Trainer& t) { t.m.R.C = 0xFF; }, [](auto& t) { EXPECT_EQ(t.m.R.B, 1); EXPECT_EQ(t.m.R.C, 0); }, 1},
      {"DCX H", [](Trainer& t) { t.m.R.H = 1; }, [](auto& t) { EXPECT_EQ(t.m.R.H, 0); EXPECT_EQ(t.m.R.L, 0xFF); }, 1},
  });
  // clang-format on
}

TEST(Interpreter, ControlTransfer) {
  // clang-format off
  RunCases({
      {"JMP 8210", nullptr, [](auto& t) { EXPECT_EQ(t.m.PC, 0x8210); }, kNoCheck},
      {"JMP", nullptr, [](auto& t) { EXPECT_EQ(t.m.PC, 0); }, kNoCheck},
      {"JZ 8300", nullptr, nullptr, 3},
      {"JZ 8300", [](Trainer& t) { SetFlag(t.m, "Z", 1); }, [](auto& t) { EXPECT_EQ(t.m.PC, 0x8300); }, kNoCheck},
      {"JNZ 8300", nullptr, [](auto& t) { EXPECT_EQ(t.m.PC, 0x8300); }, kNoCheck},
      {"JC 8300", nullptr, nullptr, 3},
      {"JNC 8300", nullptr, [](auto& t) { EXPECT_EQ(t.m.PC, 0x8300); }, kNoCheck},
      {"JM 8300", [](Trainer& t) { SetFlag(t.m, "S", 1); }, [](auto& t) { EXPECT_EQ(t.m.PC, 0x8300); }, kNoCheck},
      {"JP 8300", [](Trainer& t) { SetFlag(t.m, "S", 1); }, nullptr, 3},
      {"JPE 8300", nullptr, nullptr, 3},
      {"JPO 8300", nullptr, [](auto& t) { EXPECT_EQ(t.m.PC, 0x8300); }, kNoCheck},
      {"PCHL", [](Trainer& t) { t.m.R.H = 0x82; t.m.R.L = 0x40; }, [](auto& t) { EXPECT_EQ(t.m.PC, 0x8240); }, kNoCheck},
      {"CALL 8300", nullptr,
       [](auto& t) {
         EXPECT_EQ(t.m.Mem.Read(0xF72E), 0x82); EXPECT_EQ(t.m.Mem.Read(0xF72D), 0x00);
         EXPECT_EQ(t.m.SP, 0xF72D); EXPECT_EQ(t.m.PC, 0x8300);
       }, kNoCheck},
      {"CNC 8300", [](Trainer& t) { SetFlag(t.m, "CY", 1); }, [](auto& t) { EXPECT_EQ(t.m.SP, 0xF72F); }, 3},
      {"CC 8300", [](Trainer& t) { SetFlag(t.m, "CY", 1); }, [](auto& t) { EXPECT_EQ(t.m.SP, 0xF72D); }, 0x100},
      {"CZ 8300", nullptr, nullptr, 3},
      {"CNZ 8300", nullptr, [](auto& t) { EXPECT_EQ(t.m.PC, 0x8300); }, kNoCheck},
      {"CM 8300", nullptr, nullptr, 3},
      {"CP 8300", nullptr, [](auto& t) { EXPECT_EQ(t.m.PC, 0x8300); }, kNoCheck},
      {"CPE 8300", [](Trainer& t) { SetFlag(t.m, "P", 1); }, [](auto& t) { EXPECT_EQ(t.m.PC, 0x8300); }, kNoCheck},
      {"CPO 8300", [](Trainer& t) { SetFlag(t.m, "P", 1); }, nullptr, 3},
      {"RET", [](Trainer& t) { t.m.SP = 0xF72D; t.m.Mem.Write(0xF72D, 0x00); t.m.Mem.Write(0xF72E, 0x82); },
       [](auto& t) { EXPECT_EQ(t.m.PC, 0x8203); EXPECT_EQ(t.m.SP, 0xF72F); }, kNoCheck},
      {"RNC", [](Trainer& t) { SetFlag(t.m, "CY", 1); }, [](auto& t) { EXPECT_EQ(t.m.SP, 0xF72F); }, 1},
      {"RC", [](Trainer& t) { SetFlag(t.m, "CY", 1); }, [](auto& t) { EXPECT_EQ(t.m.SP, 0xF731); }, kNoCheck},
      {"RZ", nullptr, nullptr, 1},
      {"RNZ", nullptr, [](auto& t) { EXPECT_EQ(t.m.SP, 0xF731); }, kNoCheck},
      {"RM", nullptr, nullptr, 1},
      {"RP", nullptr, [](auto& t) { EXPECT_EQ(t.m.SP, 0xF731); }, kNoCheck},
      {"RPE", nullptr, nullptr, 1},
      {"RPO", nullptr, [](auto& t) { EXPECT_EQ(t.m.SP, 0xF731); }, kNoCheck},
      {"RST 7", nullptr, nullptr, 0, true},
      {"RST", nullptr, nullptr, 0, true},
      {"HLT", nullptr, nullptr, 1, true},
      {"NOP", nullptr, nullptr, 1},
  });
  // clang-format on
}

TEST(Interpreter, MonitorRoutines) {
  for (const char* addr : {"0257", "023D", "0336", "02A6", "0295", "0298", "02D1", "02D4", "0282",
                           "0287", "028C", "0294"}) {
    StartedTrainer b;
    b.t.m.R.H = 0x82;
    b.t.m.R.L = 0x05;
    b.t.m.Mem.Write(0x8205, 0x3C);
    b.view.data = "--";
    b.Exec(std::string("CALL ") + addr);
    SCOPED_TRACE(addr);
    EXPECT_EQ(b.t.m.PC, 0x8203);
    EXPECT_EQ(b.t.m.SP, 0xF72F);
    EXPECT_EQ(b.view.data, std::string(addr) == "0294" ? "3C" : "--");
  }
  // clang-format off
  RunCases({
      {"CZ 0257", [](Trainer& t) { SetFlag(t.m, "Z", 1); }, [](auto& t) { EXPECT_EQ(t.m.SP, 0xF72F); }, 3},
      {"CALL 294", nullptr, [](auto& t) { EXPECT_EQ(t.m.PC, 0x294); EXPECT_EQ(t.m.SP, 0xF72D); }, kNoCheck},
      {"CALL 023d", nullptr, [](auto& t) { EXPECT_EQ(t.m.PC, 0); }, kNoCheck},
  });
  // clang-format on
}

TEST(Interpreter, LinesThatAreNotInstructions) {
  for (const char* line :
       {"", " NOP", "nop", "EI", "DI", "1234", "NOPE", "MOVE A, B", "\xCC\xCE\xC2"}) {
    StartedTrainer b;
    b.t.m.R.A = 0x12;
    const Machine before = b.t.m;
    EXPECT_FALSE(b.Exec(line));
    EXPECT_EQ(b.t.m.PC, before.PC) << line;
    EXPECT_EQ(b.t.m.R, before.R) << line;
    EXPECT_EQ(b.t.m.Mem, before.Mem) << line;
  }
}

}  // namespace
}  // namespace tamrel
