// Seeing the machine work: clock cycles, the entry line's dead ends, why a RUN stopped, what
// a STEP or RUN changed.
#include "panel/watch.h"

#include <gtest/gtest.h>

#include <string>

#include "interpreter/cycles.h"
#include "listing/opcodes.h"
#include "support/started_trainer.h"

namespace tamrel {
namespace {

using test::StartedTrainer;

// The 8080's clock cycles per opcode as the processor's data sheet lists them, row = high
// digit, column = low digit; conditional calls and returns with the condition not holding.
// 0 marks the unassigned bytes.
// clang-format off
constexpr int kDataSheet[16][16] = {
    // 0   1   2   3   4   5   6   7   8   9   A   B   C   D   E   F
    {  4, 10,  7,  5,  5,  5,  7,  4,  0, 10,  7,  5,  5,  5,  7,  4},  // 0x
    {  0, 10,  7,  5,  5,  5,  7,  4,  0, 10,  7,  5,  5,  5,  7,  4},  // 1x
    {  0, 10, 16,  5,  5,  5,  7,  4,  0, 10, 16,  5,  5,  5,  7,  4},  // 2x
    {  0, 10, 13,  5, 10, 10, 10,  4,  0, 10, 13,  5,  5,  5,  7,  4},  // 3x
    {  5,  5,  5,  5,  5,  5,  7,  5,  5,  5,  5,  5,  5,  5,  7,  5},  // 4x
    {  5,  5,  5,  5,  5,  5,  7,  5,  5,  5,  5,  5,  5,  5,  7,  5},  // 5x
    {  5,  5,  5,  5,  5,  5,  7,  5,  5,  5,  5,  5,  5,  5,  7,  5},  // 6x
    {  7,  7,  7,  7,  7,  7,  7,  7,  5,  5,  5,  5,  5,  5,  7,  5},  // 7x
    {  4,  4,  4,  4,  4,  4,  7,  4,  4,  4,  4,  4,  4,  4,  7,  4},  // 8x
    {  4,  4,  4,  4,  4,  4,  7,  4,  4,  4,  4,  4,  4,  4,  7,  4},  // 9x
    {  4,  4,  4,  4,  4,  4,  7,  4,  4,  4,  4,  4,  4,  4,  7,  4},  // Ax
    {  4,  4,  4,  4,  4,  4,  7,  4,  4,  4,  4,  4,  4,  4,  7,  4},  // Bx
    {  5, 10, 10, 10, 11, 11,  7, 11,  5, 10, 10,  0, 11, 17,  7, 11},  // Cx
    {  5, 10, 10, 10, 11, 11,  7, 11,  5,  0, 10, 10, 11,  0,  7, 11},  // Dx
    {  5, 10, 10, 18, 11, 11,  7, 11,  5,  5, 10,  4, 11,  0,  7, 11},  // Ex
    {  5, 10, 10,  4, 11, 11,  7, 11,  5,  5, 10,  4, 11,  0,  7, 11},  // Fx
};
// clang-format on

TEST(Cycles, EveryOpcodeTakesWhatTheDataSheetSays) {
  for (int op = 0; op < 256; ++op) {
    const auto b = static_cast<uint8_t>(op);
    const int sheet = kDataSheet[op >> 4][op & 15];
    EXPECT_EQ(OpcodeCycles(b), sheet) << std::hex << op;
    // Only CALL cc (17) and RET cc (11) take longer when their condition holds.
    const bool conditional = op >= 0xC0 && (op % 8 == 0 || op % 8 == 4);
    EXPECT_EQ(OpcodeCycles(b, true), conditional ? (op % 8 == 0 ? 11 : 17) : sheet)
        << std::hex << op;
  }
}

TEST(Cycles, EveryTableTextRunsInItsOpcodesTime) {
  // A line as the listing shows it: the table text and, for the longer ones, an operand.
  for (int op = 0; op < 256; ++op) {
    const TComTab& e = ComTab()[op];
    std::string line = e.TableText;
    if (e.Length > 1)
      line += (line.size() > 4 ? ", " : " ") + std::string(e.Length == 2 ? "05" : "8300");
    TCommand c;
    c.Line = line;
    SplitLine(c);
    const DecodedLine d = DecodeLine(c.Mnemonic, c.Operand1, c.Operand2);
    // EI and DI are no keywords of the trainer, the unassigned text is no instruction.
    const bool runs = e.TableText != kUnassignedText && line != "EI" && line != "DI";
    EXPECT_EQ(LineCycles(d), runs ? OpcodeCycles(uint8_t(op)) : 0) << line;
    if (runs && line.rfind("RST", 0) != 0 && line.rfind("OUT", 0) != 0) {
      EXPECT_EQ(OpcodeOfLine(d), op) << line;
    }
  }
}

TEST(Cycles, RunAndStepCountConditionalCallsAndReturnsTakenOrNot) {
  StartedTrainer b;
  // 8200: CZ (Z clear: 11), STC, CC (taken: 17) to 8300; 8300: RNC (5), RC (taken: 11);
  // back at 8206 + 3: HLT (7).
  b.Type(0x8200, {"CZ 8300", "STC", "CC 8300", "HLT"});
  b.Type(0x8300, {"RNC", "RC"});
  b.t.m.PC = 0x8200;
  const uint64_t before = b.t.cycles;
  const RunResult r = RunKey(b.t, kNoLineLimit);
  EXPECT_EQ(r.end, RunEnd::Hlt);
  EXPECT_EQ(r.lines, 6u);
  EXPECT_EQ(b.t.cycles - before, 11u + 4 + 17 + 5 + 11 + 7);
  EXPECT_EQ(RunReport(r.end, b.t.m.PC, r.lines, b.t.cycles - before),
            "HLT \xED\xE0 8207; \xF1\xF2\xF0\xEE\xEA: 6, \xF2\xE0\xEA\xF2\xEE\xE2: 55");
}

TEST(CanStillMatch, ExactlyThePrefixesOfTableTexts) {
  // Every prefix of every table text can still match; one character more than a whole text
  // only if another text goes on that way.
  for (const TComTab& e : ComTab()) {
    for (size_t n = 0; n <= e.TableText.size(); ++n)
      EXPECT_TRUE(CanStillMatch(std::string_view(e.TableText).substr(0, n))) << e.TableText;
  }
  const struct {
    const char* text;
    bool can;
  } cases[] = {{"", true},         {"M", true},          {"MV", true},       {"MVI A", true},
               {"MVI A,", false},  {"MOV A,", true},     {"MOV A,B", false}, {"mvi", false},
               {"MVI Q", false},   {"CP", true},         {"CPI", true},      {"CPIX", false},
               {"     -", true},   {"     ", true},      {"RST 8", false},   {"ADD BM", false},
               {"PUSH PSW", true}, {"PUSH PSWX", false}, {"Z", false}};
  for (const auto& c : cases) EXPECT_EQ(CanStillMatch(c.text), c.can) << c.text;
}

TEST(EntryProblem, SaysWhyTypingCannotMatchAndNothingElse) {
  StartedTrainer b;  // every row NOP, PC 8200h
  const struct {
    const char* text;
    int pending;
    const char* problem;  // UTF-8 of the expected text
  } cases[] = {
      {"MV", 0, ""},
      {"NOP", 0, ""},       // the row's own text
      {"MVI A, 0", 1, ""},  // an operand is being typed
      {"mvi", 0, "нет команды, начинающейся с «mvi»: команды пишутся заглавными буквами"},
      {"NOPM", 0, "сотрите строку, прежде чем вводить новую команду"},
      {"MOV A,B", 0, "нет команды, начинающейся с «MOV A,B»: после запятой ставится пробел"},
      {"XYZ", 0, "нет команды, начинающейся с «XYZ»"},
  };
  for (const auto& c : cases) {
    b.t.Entry.PendingOperands = c.pending;
    const std::string got = EntryProblem(b.t, c.text);
    // Compare in code page 1251: the expected texts use only Cyrillic, « » and ASCII.
    std::string want;
    for (size_t i = 0; c.problem[i];) {
      const auto ch = static_cast<uint8_t>(c.problem[i]);
      if (ch < 0x80) {
        want.push_back(char(ch));
        ++i;
      } else {
        const uint32_t u = (ch & 0x1Fu) << 6 | (uint8_t(c.problem[i + 1]) & 0x3Fu);
        want.push_back(char(u >= 0x410 ? u - 0x410 + 0xC0 : u));
        i += 2;
      }
    }
    EXPECT_EQ(got, want) << c.text;
  }
}

TEST(StopText, SaysWhyAndWhere) {
  StartedTrainer b;
  // A breakpoint at 8203h, HLT at 8206h, RST at 8208h.
  b.Type(0x8200, {"NOP", "NOP", "NOP", "NOP", "NOP", "NOP", "HLT", "NOP", "RST 7"});
  ToggleBreakpoint(b.t, RowOfAddress(0x8203));
  RunResult r = RunKey(b.t, kNoLineLimit);
  EXPECT_EQ(r.end, RunEnd::Breakpoint);
  EXPECT_EQ(StopText(r.end, b.t.m.PC),
            "\xF2\xEE\xF7\xEA\xE0 \xEE\xF1\xF2\xE0\xED\xEE\xE2\xE0 "
            "\xED\xE0 8203");  // точка останова на 8203
  r = RunKey(b.t, kNoLineLimit);
  EXPECT_EQ(r.end, RunEnd::Hlt);
  EXPECT_EQ(StopText(r.end, b.t.m.PC), "HLT \xED\xE0 8206");
  b.t.m.PC = 0x8208;
  r = RunKey(b.t, kNoLineLimit);
  EXPECT_EQ(r.end, RunEnd::Rst);
  EXPECT_EQ(StopText(r.end, b.t.m.PC), "RST");
  b.t.m.PC = 0x8207;
  b.view.onEvents = [&] { RstKey(b.t); };
  r = RunKey(b.t, kNoLineLimit);
  EXPECT_EQ(r.end, RunEnd::RstKey);
  EXPECT_EQ(StopText(r.end, b.t.m.PC),
            "\xEE\xF1\xF2\xE0\xED\xEE\xE2\xEB\xE5\xED\xEE \xEA\xEB\xE0\xE2\xE8\xF8\xE5\xE9 RST");
}

TEST(ChangeWatch, MarksWhatTheStepWroteAndWhereMemoryLeftTheCodeColumn) {
  StartedTrainer b;
  b.Type(0x8200, {"MVI A, 07", "LXI H, 8311", "MVI M, 42", "PUSH H", "STA 8310"});
  ChangeWatch w;
  w.Begin(b.t);
  RunKey(b.t, 5);
  w.End(b.t);
  // MVI M and PUSH write memory only; STA writes the code text as well.
  for (int64_t a : {0x8311, 0xF72D, 0xF72E, 0x8310}) EXPECT_TRUE(w.Changed(a)) << std::hex << a;
  EXPECT_FALSE(w.Changed(0x8312));
  EXPECT_TRUE(DiffersFromCode(b.t, 0x8311));
  EXPECT_TRUE(DiffersFromCode(b.t, 0xF72E));
  EXPECT_FALSE(DiffersFromCode(b.t, 0x8310));
  const auto stack = StackWords(b.t.m, 3);
  ASSERT_EQ(stack.size(), 2u);  // F72D and F72F: memory ends at F730
  EXPECT_EQ(stack[0].addr, 0xF72D);
  EXPECT_EQ(stack[0].word, 0x8311);
  EXPECT_EQ(PcRow(b.t), RowOfAddress(0x820B));
  b.t.m.PC = 0xF730;  // held but never shown
  EXPECT_EQ(PcRow(b.t), 0);
}

}  // namespace
}  // namespace tamrel
