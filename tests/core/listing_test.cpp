#include <gtest/gtest.h>

#include <random>
#include <string>

#include "listing/opcodes.h"
#include "machine/numtext.h"
#include "support/started_trainer.h"

namespace tamrel {
namespace {

using test::StartedTrainer;

// Instruction lengths of the 8080, written out independently of the table's own rule.
constexpr const char* kLengths =
    "1311112111111121"   // 0x
    "1311112111111121"   // 1x
    "1331112111311121"   // 2x
    "1331112111311121"   // 3x
    "1111111111111111"   // 4x
    "1111111111111111"   // 5x
    "1111111111111111"   // 6x
    "1111111111111111"   // 7x
    "1111111111111111"   // 8x
    "1111111111111111"   // 9x
    "1111111111111111"   // Ax
    "1111111111111111"   // Bx
    "1133312111313321"   // Cx
    "1132312111323121"   // Dx
    "1131312111313121"   // Ex
    "1131312111313121";  // Fx

TEST(OpcodeTable, LengthsAndTexts) {
  int count[4] = {};
  for (int op = 0; op < 256; ++op) {
    EXPECT_EQ(ComTab()[op].Length, kLengths[op] - '0') << std::hex << op;
    ++count[ComTab()[op].Length];
  }
  EXPECT_EQ(count[1], 212);
  EXPECT_EQ(count[2], 18);
  EXPECT_EQ(count[3], 26);
  // clang-format off
  const struct {
    int op;
    const char* text;
  } texts[] = {{0x00, "NOP"},      {0x08, "     -"},   {0x31, "LXI SP"},  {0x40, "MOV B, B"},
               {0x47, "MOV B, A"}, {0x76, "HLT"},      {0x77, "MOV M, A"}, {0x7E, "MOV A, M"},
               {0x80, "ADD B"},    {0x86, "ADD M"},    {0x97, "SUB A"},    {0xAF, "XRA A"},
               {0xBE, "CMP M"},    {0xCB, "     -"},   {0xCF, "RST 1"},    {0xF1, "POP PSW"},
               {0xF5, "PUSH PSW"}, {0xFB, "EI"},       {0xFD, "     -"},   {0xFE, "CPI"}};
  // clang-format on
  for (const auto& c : texts) EXPECT_EQ(ComTab()[c.op].TableText, c.text);
  EXPECT_EQ(FindOpcode("     -"), 0x08);
  EXPECT_EQ(FindOpcode("CP"), 0xF4);
  EXPECT_EQ(FindOpcode("mov a, b"), -1);
  for (int op = 0; op < 256; ++op) {
    if (ComTab()[op].TableText != kUnassignedText) {
      EXPECT_EQ(FindOpcode(ComTab()[op].TableText), op);
    }
  }
}

struct ListingTrainer : StartedTrainer {
  void Codes(int64_t row, std::initializer_list<const char*> codes) {
    for (const char* c : codes) t.listing.SetCode(row++, c);
  }
  const std::string& Mn(int64_t row) { return t.listing.Mnemonic(row); }
};

TEST(Disassembly, DecodedTexts) {
  // clang-format off
  const struct {
    std::vector<const char*> codes;
    const char* text;
  } cases[] = {
      {{"00"}, "NOP"},           {{"3E", "05"}, "MVI A, 05"},   {{"FE", "0D"}, "CPI 0D"},
      {{"D3", "10"}, "OUT 10"},  {{"21", "2F", "F7"}, "LXI H, F72F"}, {{"C3", "00", "82"}, "JMP 8200"},
      {{"CD", "57", "02"}, "CALL 0257"}, {{"22", "00", "83"}, "SHLD 8300"},
      {{"01", "34", "12"}, "LXI B, 1234"}, {{"CB"}, "     -"}, {{"3E", "3e"}, "MVI A, 3e"},
      {{"3e"}, "NOP"}, {{"33"}, "INX SP"},
  };
  // clang-format on
  for (const auto& c : cases) {
    ListingTrainer b;
    int64_t row = 1;
    for (const char* code : c.codes) b.t.listing.SetCode(row++, code);
    FullDisassembly(b.t.listing);
    EXPECT_EQ(b.Mn(1), c.text);
    for (size_t k = 1; k < c.codes.size(); ++k) EXPECT_EQ(b.Mn(static_cast<int64_t>(k) + 1), "");
  }
}

TEST(Disassembly, ListingShapeAndEnd) {
  ListingTrainer b;
  const Listing& l = b.t.listing;
  EXPECT_EQ(l.Cell(kAddrCol, 0), kHeaderAddr);
  EXPECT_EQ(l.Cell(kMnemCol, 0), kHeaderMnem);
  EXPECT_EQ(l.Cell(kCodeCol, 0), kHeaderCode);
  EXPECT_EQ(l.Cell(kAddrCol, 1), "8200");
  EXPECT_EQ(l.Cell(kAddrCol, 30000), "F72F");
  EXPECT_EQ(l.Cell(kAddrCol, 30001), "F730");
  EXPECT_EQ(l.Cell(kAddrCol, 30002), "");
  EXPECT_EQ(l.Cell(kCodeCol, -1), "");
  EXPECT_EQ(l.CurrentCell(kCodeCol, 0x81FF), "");
  for (int64_t row = 1; row <= kShownRows; ++row) ASSERT_EQ(b.Mn(row), "NOP") << row;
  // A three-byte opcode in the last shown row reads row 30001 and an empty row past it.
  b.Codes(30000, {"C3", "5A"});
  FullDisassembly(b.t.listing);
  EXPECT_EQ(b.Mn(30000), "JMP 5A");
  EXPECT_EQ(b.Mn(30001), "");
}

TEST(Disassembly, BoundedStopsAfterElevenInstructions) {
  ListingTrainer b;
  for (int64_t row = 1; row <= 40; ++row) b.t.listing.SetMnemonic(row, "old");
  BoundedDisassembly(b.t.listing, 0x8200);
  for (int64_t row = 1; row <= 11; ++row) EXPECT_EQ(b.Mn(row), "NOP") << row;
  EXPECT_EQ(b.Mn(12), "old");

  // The eleventh is a three-byte instruction: the pass goes on to the next one-byte one.
  for (int64_t row = 1; row <= 40; ++row) b.t.listing.SetMnemonic(row, "old");
  b.Codes(11, {"C3", "00", "82", "3E", "01"});
  BoundedDisassembly(b.t.listing, 0x8200);
  EXPECT_EQ(b.Mn(11), "JMP 8200");
  EXPECT_EQ(b.Mn(12), "");
  EXPECT_EQ(b.Mn(14), "MVI A, 01");
  EXPECT_EQ(b.Mn(15), "");
  EXPECT_EQ(b.Mn(16), "NOP");
  EXPECT_EQ(b.Mn(17), "old");
}

TEST(Disassembly, BoundedRepairsOnlyUpToItsStop) {
  ListingTrainer b;
  b.Codes(1, {"01"});  // LXI B: rows 2 and 3 become its operand
  BoundedDisassembly(b.t.listing, kStepBound);
  EXPECT_EQ(b.Mn(1), "LXI B, 0000");
  EXPECT_EQ(b.Mn(2), "");
  const int64_t boundRow = RowOfAddress(kStepBound);
  EXPECT_EQ(b.Mn(boundRow + 20), "NOP");
  b.t.listing.SetCode(RowOfAddress(0x9000), "76");  // far past the bound: not decoded
  BoundedDisassembly(b.t.listing, kStepBound);
  EXPECT_EQ(b.Mn(RowOfAddress(0x9000)), "NOP");
}

// Makes a listing forget how far it is decoded: a change of row 1 pulls that back to nothing.
void Forget(Listing& l) {
  const std::string m = l.Mnemonic(1);
  l.SetMnemonic(1, m + "x");
  l.SetMnemonic(1, m);
}

void ExpectSameMnemonics(const Listing& a, const Listing& b, int step) {
  for (int64_t row = 1; row <= kLastRow; ++row)
    ASSERT_EQ(a.Mnemonic(row), b.Mnemonic(row)) << "row " << row << " after step " << step;
}

// A pass begins at the first instruction the changes since the last one reach. Whatever the
// changes, it must leave exactly the texts a pass from row 1 leaves: `fresh` sees the same
// changes but forgets its progress before every pass.
TEST(Disassembly, BeginningPastRowOneChangesNothing) {
  StartedTrainer b;
  Listing& kept = b.t.listing;
  Listing fresh = kept;
  std::mt19937 rng(20261208);
  auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
  // Changes gather where the trouble is: the first rows, the last ones, around the bounds.
  auto row = [&]() -> int64_t {
    switch (pick(4)) {
      case 0: return 1 + pick(40);
      case 1: return kLastRow - pick(12);
      case 2: return RowOfAddress(kStepBound) - 20 + pick(40);
      default: return 1 + pick(kLastRow);
    }
  };
  auto code = [&]() -> std::string {
    static const char* odd[] = {"", "3e", "G7", "123", "c3"};
    if (pick(8) == 0) return odd[pick(5)];
    // Mostly the openings of two- and three-byte instructions, which move every later start.
    static const uint8_t longer[] = {0x01, 0x3E, 0xC3, 0xCD, 0xFE, 0x22, 0xD3, 0x32};
    return std::string(ByteText(pick(2) ? longer[pick(8)] : static_cast<uint8_t>(pick(256))));
  };
  for (int step = 0; step < 1500; ++step) {
    const int what = pick(10);
    if (what < 5) {  // a few code texts, as typing, a keypad store or a shift writes them
      for (int n = 1 + pick(4), at = static_cast<int>(row()); n > 0; --n, ++at) {
        const std::string c = code();
        const bool changes = at <= kLastRow && kept.Code(at) != c;
        kept.TakeChangedRows();
        kept.SetCode(at, c);
        fresh.SetCode(at, c);
        const Listing::Range r = kept.ChangedRows();
        if (changes) {
          ASSERT_TRUE(r.lo == at && r.hi == at) << "row " << at << " not reported";
        }
      }
      continue;
    }
    if (what == 5) {  // a mnemonic put back, as a step back does
      const int64_t at = row();
      const std::string m = pick(2) ? "" : "MVI A, 07";
      kept.SetMnemonic(at, m);
      fresh.SetMnemonic(at, m);
      continue;
    }
    Forget(fresh);
    if (what == 6) {
      FullDisassembly(kept);
      FullDisassembly(fresh);
    } else {
      const int32_t bounds[] = {kStepBound,
                                kRunBound,
                                kShiftDownBound,
                                0x8000,
                                0x8201,
                                0xF72F,
                                static_cast<int32_t>(AddressOfRow(row())),
                                0x8200 + pick(0x7600)};
      const int32_t bound = bounds[pick(8)];
      BoundedDisassembly(kept, bound);
      BoundedDisassembly(fresh, bound);
    }
    ExpectSameMnemonics(kept, fresh, step);
    if (HasFatalFailure()) return;
  }
}

TEST(Disassembly, RestoringTheChangedRowsKeepsTheProgress) {
  StartedTrainer b;
  Listing& l = b.t.listing;
  l.SetCode(3, "C3");  // a three-byte instruction reaches over rows 4 and 5
  BoundedDisassembly(l, 0xF730);
  l.TakeChangedRows();
  const Listing before = l;
  l.SetCode(3, "00");  // now rows 4 and 5 begin instructions of their own
  l.SetCode(29999, "01");
  l.SetMark(7, true);
  BoundedDisassembly(l, 0xF730);
  l.RestoreChangedRows(before);
  for (int64_t row = 0; row <= kLastRow; ++row)
    for (int c = kAddrCol; c <= kCodeCol; ++c) ASSERT_EQ(l.Cell(c, row), before.Cell(c, row));
  EXPECT_FALSE(l.HasMarks());
  // Decoding again finds nothing to change, and a change inside the restored instruction
  // decodes it as a pass from row 1 does.
  l.TakeChangedRows();
  FullDisassembly(l);
  const Listing::Range r = l.ChangedRows();
  EXPECT_GT(r.lo, r.hi);
  Listing fresh = l;
  Forget(fresh);
  l.SetCode(5, "12");
  fresh.SetCode(5, "12");
  BoundedDisassembly(l, kStepBound);
  BoundedDisassembly(fresh, kStepBound);
  EXPECT_EQ(l.Mnemonic(3), "JMP 1200");
  ExpectSameMnemonics(l, fresh, 0);
}

TEST(Listing, SelectingARow) {
  StartedTrainer b;
  b.t.listing.SetCode(5, "3E");
  b.t.listing.SetCode(6, "07");
  FullDisassembly(b.t.listing);
  SelectRow(b.t, 5);
  EXPECT_EQ(b.t.m.PC, 0x8204);
  EXPECT_EQ(b.view.address, "8204");
  EXPECT_EQ(b.view.entry, "MVI A, 07");
  EXPECT_EQ(b.view.data, "3E");
  SelectRow(b.t, 6);
  EXPECT_EQ(b.view.entry, "");
}

}  // namespace
}  // namespace tamrel
