// The decoded lines that STEP and RUN keep per listing row, held against the text itself.
//
// Random programs of every keyword with valid and invalid operands run on two trainers from the
// same states: one runs each row from the decoded form it keeps, the other decodes the row's
// text afresh for every line. Between and during lines the rows are rewritten the ways a user
// can rewrite them (typing, the keypad, shifts, Open, New, the disassembly after STEP, keys
// pressed while RUN lets events through) and by hand. After every line both machines, both
// listings and everything both views were told must be the same.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "edit/shift.h"
#include "files/memfile.h"
#include "listing/opcodes.h"
#include "machine/numtext.h"
#include "support/files.h"
#include "support/program.h"
#include "support/started_trainer.h"

namespace tamrel {
namespace {

using test::StartedTrainer;

class Rng {
 public:
  explicit Rng(uint64_t seed) : g_(seed) {}
  uint64_t operator()(uint64_t n) { return g_() % n; }
  bool OneIn(uint64_t n) { return (*this)(n) == 0; }
  template <class T, size_t N>
  const T& Pick(const T (&a)[N]) {
    return a[(*this)(N)];
  }

 private:
  std::mt19937_64 g_;
};

// The 76 keywords and a few lines that look like instructions but are none.
constexpr std::string_view kMnemonics[] = {
    "MOV",  "MVI", "LXI", "XCHG", "SPHL", "LDA", "STA", "LHLD", "SHLD", "XTHL", "LDAX", "STAX",
    "PUSH", "POP", "IN",  "OUT",  "ADD",  "ADC", "SUB", "SBB",  "INR",  "DCR",  "DAD",  "INX",
    "DCX",  "ADI", "ACI", "SUI",  "SBI",  "DAA", "ANA", "XRA",  "ORA",  "CMP",  "CPI",  "CMC",
    "STC",  "CMA", "ANI", "XRI",  "ORI",  "RLC", "RRC", "RAL",  "RAR",  "PCHL", "JMP",  "JC",
    "JNC",  "JZ",  "JNZ", "JM",   "JP",   "JPE", "JPO", "CALL", "CC",   "CNC",  "CZ",   "CNZ",
    "CM",   "CP",  "CPE", "CPO",  "RET",  "RC",  "RNC", "RZ",   "RNZ",  "RM",   "RP",   "RPE",
    "RPO",  "RST", "HLT", "NOP",  "EI",   "DI",  "nop", "MOVE", "",     "1234"};
constexpr std::string_view kNames[] = {"A",  "B",   "C", "D", "E", "H",  "L",  "M",
                                       "SP", "PSW", "X", "",  "a", "AB", "HL", "S"};
constexpr std::string_view kNumbers[] = {
    "00", "05", "0F", "10",   "7F",   "80",   "FF",   "1FF",  "12345",    "FFFF", "0000", "1G",
    "3e", "G",  "7",  "F72F", "F730", "F731", "81FF", "8200", "FFFFFFFF", "-1",   "0 1",  "A,B"};
constexpr std::string_view kMonitor[] = {"0257", "023D", "0336", "02A6", "0294", "0295", "0298",
                                         "02D1", "02D4", "0282", "0287", "028C", "294",  "023d"};
constexpr std::string_view kSeparators[] = {", ", ",", " ", "  ", " , ", ",,"};
constexpr std::string_view kOddCodes[] = {"3e", "G1", "-1", "  ", "\xC0\xE4", "0x"};
constexpr char kKeys[] = "0123456789ABCDEF0123456789ABCDEFa,x ";

// Where a program lies: rows the disassembly after STEP rewrites, rows across its bound, or
// rows it never reaches, where texts written by hand stay.
struct Region {
  int32_t base, size;
  bool Contains(int32_t a) const { return a >= base && a < base + size; }
  int32_t Any(Rng& r) const { return base + static_cast<int32_t>(r(static_cast<uint64_t>(size))); }
};

Region RandomRegion(Rng& r) {
  const auto size = static_cast<int32_t>(16 + r(80));
  switch (r(4)) {
    case 0: return {0x88A0 + static_cast<int32_t>(r(0x40)), size};
    case 1: return {0x9500 + static_cast<int32_t>(r(0x400)), size};
    default: return {0x8200 + static_cast<int32_t>(r(0x600)), size};
  }
}

std::string Operand(Rng& r, const Region& p) {
  switch (r(10)) {
    case 0:
    case 1:
    case 2:
    case 3: return std::string(r.Pick(kNames));
    case 4:
    case 5:
    case 6: return std::string(r.Pick(kNumbers));
    case 7:
    case 8: return IntToHexText(p.Any(r));  // a target inside the program
    default: return std::string(r.Pick(kMonitor));
  }
}

std::string RandomLine(Rng& r, const Region& p) {
  std::string s;
  if (r.OneIn(25)) {  // characters thrown together
    for (auto n = r(12); n > 0; --n) s += kKeys[r(sizeof kKeys - 1)];
    return s;
  }
  s = r.Pick(kMnemonics);
  const auto operands = r(3);
  if (operands >= 1) s += (r.OneIn(10) ? "  " : " ") + Operand(r, p);
  if (operands == 2) s += std::string(r.Pick(kSeparators)) + Operand(r, p);
  if (r.OneIn(30)) s.insert(0, " ");
  if (r.OneIn(30)) s += ' ';
  return s;
}

// A text a student types into the entry line: an opcode table text and its operand digits.
std::string TypedLine(Rng& r) {
  const TComTab& e = ComTab()[r(256)];
  std::string s = e.TableText;
  if (e.Length > 1) {
    s += r.OneIn(2) ? ", " : " ";
    for (int k = 0; k < 2 * (e.Length - 1); ++k) s += kKeys[r(sizeof kKeys - 1)];
  }
  return s;
}

// Forgets what a row keeps, so that the next execution of the row decodes its text.
void Forget(Trainer& t) {
  if (InWindow(t.m.PC)) t.listing.KeepLineMemo(RowOfAddress(t.m.PC), 0);
}

// Two trainers in the same state: `kept` runs rows from the decoded forms they keep, `fresh`
// decodes the current row's text for every line it runs.
struct Twin {
  StartedTrainer kept, fresh;

  template <class F>
  void Both(F f) {
    f(kept.t);
    f(fresh.t);
  }

  // The first difference between the two, or the empty text. Listing rows are compared where
  // either listing changed since the last comparison, memory when asked, the rest whole.
  std::string Difference(bool memory = true) {
    const Trainer &x = kept.t, &y = fresh.t;
    if (!(x.m.R == y.m.R)) return "registers";
    if (!(x.m.Flags == y.m.Flags)) return "flags";
    if (x.m.PC != y.m.PC) return "PC " + IntToHexText(x.m.PC) + " / " + IntToHexText(y.m.PC);
    if (x.m.SP != y.m.SP) return "SP";
    if (memory && !(x.m.Mem == y.m.Mem)) return "memory";
    if (x.Command.ByteValue != y.Command.ByteValue || x.Command.PairValue != y.Command.PairValue ||
        x.Command.PairValue2 != y.Command.PairValue2)
      return "command values";
    if (x.StopRequest != y.StopRequest) return "stop request";
    if (x.Entry.PendingOperands != y.Entry.PendingOperands ||
        x.Entry.OperandText != y.Entry.OperandText)
      return "line entry";
    if (x.Display.AddrDigits != y.Display.AddrDigits ||
        x.Display.DataDigits != y.Display.DataDigits || x.Display.AddrMode != y.Display.AddrMode ||
        x.Display.DataMode != y.Display.DataMode)
      return "keypad state";
    const test::RecordingView &u = kept.view, &v = fresh.view;
    if (u.address != v.address || u.data != v.data || u.entry != v.entry ||
        u.stackPointer != v.stackPointer || u.dataHistory != v.dataHistory)
      return "displays";
    if (!(u.registers == v.registers) || !(u.flags == v.flags) ||
        u.registerShows != v.registerShows || u.flagShows != v.flagShows ||
        u.eventPasses != v.eventPasses)
      return "register or flag views";
    kept.view.dataHistory.clear();
    fresh.view.dataHistory.clear();
    const Listing::Range rx = kept.t.listing.TakeChangedRows();
    const Listing::Range ry = fresh.t.listing.TakeChangedRows();
    if (rx.lo != ry.lo || rx.hi != ry.hi) return "changed listing rows";
    for (int64_t row = rx.lo; row <= rx.hi; ++row)
      for (int col = 0; col < 3; ++col)
        if (x.listing.Cell(col, row) != y.listing.Cell(col, row))
          return "listing row " + std::to_string(row) + " column " + std::to_string(col);
    return "";
  }
};

// Writes a random program into the region on both trainers and starts it from its first row.
void LoadProgram(Twin& w, Rng& r, const Region& p) {
  for (int32_t a = p.base; a < p.base + p.size; ++a) {
    std::string code(ByteText(static_cast<uint8_t>(r(256))));
    if (r.OneIn(16)) code = r.Pick(kOddCodes);  // as the line entry stores typed characters
    const std::string text = r.OneIn(10) ? std::string() : RandomLine(r, p);
    w.Both([&](Trainer& t) {
      StoreByte(t, a, static_cast<uint8_t>(HexTextToInt(code)), code);
      t.listing.SetMnemonic(RowOfAddress(a), text);
    });
  }
  TRegisters regs;
  regs.A = r.OneIn(8) ? static_cast<int32_t>(r(uint64_t{1} << 32)) : static_cast<int32_t>(r(256));
  for (uint8_t* b : {&regs.B, &regs.C, &regs.D, &regs.E, &regs.H, &regs.L})
    *b = static_cast<uint8_t>(r(256));
  if (r.OneIn(2)) {  // HL into the program
    regs.H = static_cast<uint8_t>(p.base >> 8);
    regs.L = static_cast<uint8_t>(p.base + r(16));
  }
  const TFlags flags{uint8_t(r(2)), uint8_t(r(2)), uint8_t(r(2)), uint8_t(r(2)), uint8_t(r(2))};
  const int32_t sps[] = {kPowerUpSP, p.base + p.size + 8,
                         0x8201,     kMemLast + 1,
                         p.Any(r),   static_cast<int32_t>(kMemFirst + r(kMemSize))};
  const int32_t sp = r.Pick(sps);
  w.Both([&](Trainer& t) {
    t.m.R = regs;
    t.m.Flags = flags;
    PackFlags(t.m);
    t.m.SP = sp;
    SelectRow(t, RowOfAddress(p.base));
  });
}

// One thing a user does between two lines, the same on both trainers.
void Act(Twin& w, Rng& r, const Region& p, const std::string& imagePath) {
  const int32_t pc = w.kept.t.m.PC;
  switch (r(11)) {
    case 0:
    case 1:
    case 2: {  // a text written into the next row or another one of the program
      const int64_t row = RowOfAddress(r.OneIn(2) ? pc : p.Any(r));
      const std::string text = RandomLine(r, p);
      w.Both([&](Trainer& t) { t.listing.SetMnemonic(row, text); });
      break;
    }
    case 3:
    case 4: {  // typing a line into the entry at the current row
      const std::string line = TypedLine(r);
      w.Both([&](Trainer& t) { test::TypeProgram(t, t.Entry, pc, {line}); });
      break;
    }
    case 5:
    case 6: {  // the keypad stores a byte into the row that runs next
      const char hi = kKeys[r(16)], lo = kKeys[r(16)];
      const bool next = r.OneIn(3);
      w.Both([&](Trainer& t) {
        MemKey(t);
        if (next) NextKey(t);
        HexKey(t, hi);
        HexKey(t, lo);
      });
      break;
    }
    case 7: {  // a shift at the current row
      if (r.OneIn(4)) {
        const bool down = r.OneIn(2);
        w.Both([&](Trainer& t) { down ? ShiftDown(t) : ShiftUp(t); });
      }
      break;
    }
    case 8: {  // New or Open, now and then
      if (r.OneIn(10)) {
        const bool open = r.OneIn(2);
        w.Both([&](Trainer& t) {
          if (open)
            ASSERT_FALSE(OpenImage(t, imagePath).has_value());
          else
            NewImage(t);
        });
      }
      break;
    }
    case 9: {  // a click on a row of the program
      const int64_t row = RowOfAddress(p.Any(r));
      w.Both([&](Trainer& t) { SelectRow(t, row); });
      break;
    }
    default: {  // a click on the flag boxes
      const auto f = r(32);
      w.Both([&](Trainer& t) { FlagBoxesClicked(t, f & 1, f & 2, f & 4, f & 8, f & 16); });
    }
  }
}

// A file of random bytes for Open.
std::string MakeImage(const test::ScratchDir& dir, Rng& r) {
  std::string bytes(kImageSize, '\0');
  for (char& b : bytes) b = static_cast<char>(r(256));
  const std::string path = dir / "image.mem";
  EXPECT_TRUE(test::WriteFile(path, bytes));
  return path;
}

// Runs `lines` lines of random programs line by line (and by STEP now and then), comparing
// after each one; returns how many lines ran.
long LineByLine(uint64_t seed, long lines) {
  Rng r(seed);
  test::ScratchDir dir;
  const std::string image = MakeImage(dir, r);
  Twin w;
  long done = 0;
  while (done < lines) {
    const Region p = RandomRegion(r);
    LoadProgram(w, r, p);
    for (int n = static_cast<int>(50 + r(400)); n > 0 && done < lines; --n, ++done) {
      if (r.OneIn(50)) Act(w, r, p, image);
      if (::testing::Test::HasFatalFailure()) return done;
      const int32_t pc = w.kept.t.m.PC;
      const std::string line = CurrentLine(w.kept.t);
      if (r.OneIn(250)) {  // STEP: the same line and every view refresh after it
        StepKey(w.kept.t);
        Forget(w.fresh.t);
        StepKey(w.fresh.t);
      } else {
        const LineEnd kept = ExecuteCurrentLine(w.kept.t, w.kept.t.Command);
        const bool stop = ExecuteLine(w.fresh.t, w.fresh.t.Command, CurrentLine(w.fresh.t));
        const bool nop = w.fresh.t.Command.Mnemonic == "NOP";
        if (kept.stop != stop || kept.paused != nop) {
          ADD_FAILURE() << "seed " << seed << " line " << done << " \"" << line << "\" at "
                        << IntToHexText(pc) << ": stop or pause differs";
          return done;
        }
      }
      // Memory is compared whole every 16 lines and before the next program.
      const std::string diff = w.Difference(done % 16 == 0);
      if (!diff.empty()) {
        ADD_FAILURE() << "seed " << seed << " line " << done << " \"" << line << "\" at "
                      << IntToHexText(pc) << ": " << diff << " differs";
        return done;
      }
      // A line that went nowhere, or out of the program: the user clicks a row of it.
      if (w.kept.t.m.PC == pc || !p.Contains(w.kept.t.m.PC)) {
        const int64_t row = RowOfAddress(p.Any(r));
        w.Both([&](Trainer& t) { SelectRow(t, row); });
      }
    }
    EXPECT_EQ(w.Difference(), "") << "seed " << seed << " before line " << done;
  }
  return done;
}

// A million lines in all, in parts that each stay well inside a test's time under sanitizers.
constexpr long kLinesPerPart = 250'000;
TEST(DecodedLines, RandomProgramsLineByLine1) {
  EXPECT_EQ(LineByLine(1, kLinesPerPart), kLinesPerPart);
}
TEST(DecodedLines, RandomProgramsLineByLine2) {
  EXPECT_EQ(LineByLine(2, kLinesPerPart), kLinesPerPart);
}
TEST(DecodedLines, RandomProgramsLineByLine3) {
  EXPECT_EQ(LineByLine(3, kLinesPerPart), kLinesPerPart);
}
TEST(DecodedLines, RandomProgramsLineByLine4) {
  EXPECT_EQ(LineByLine(4, kLinesPerPart), kLinesPerPart);
}

// What a run leaves after each line, as far as both trainers can be held against each other
// while each runs on its own.
struct Digest {
  TRegisters r;
  TFlags f;
  int32_t pc, sp, byteValue, pairValue, pairValue2;
  std::string data;
  bool operator==(const Digest&) const = default;
};

// One trainer's RUN with keys pressed while it lets events through. Both trainers get the same
// seed, so they press the same keys as long as they run alike.
struct RunSide {
  StartedTrainer& s;
  bool fresh;
  Rng r;
  const Region& p;
  long limit;
  std::vector<Digest> digests;
  int32_t lastPC = -1;

  void Pass() {
    Trainer& t = s.t;
    digests.push_back({t.m.R, t.m.Flags, t.m.PC, t.m.SP, t.Command.ByteValue, t.Command.PairValue,
                       t.Command.PairValue2, s.view.data});
    if (static_cast<long>(digests.size()) >= limit) {
      RstKey(t);
    } else {
      if (r.OneIn(100)) Key();
      // Nowhere further to go, or out of the program: a click on one of its rows.
      if (t.m.PC == lastPC || !p.Contains(t.m.PC)) SelectRow(t, RowOfAddress(p.Any(r)));
    }
    lastPC = t.m.PC;
    if (fresh) Forget(t);
  }

  // Something that changes the line about to run, or runs one more.
  void Key() {
    Trainer& t = s.t;
    switch (r(5)) {
      case 0: t.listing.SetMnemonic(RowOfAddress(t.m.PC), RandomLine(r, p)); break;
      case 1: test::TypeProgram(t, t.Entry, t.m.PC, {TypedLine(r)}); break;
      case 2: {
        MemKey(t);
        const char hi = kKeys[r(16)], lo = kKeys[r(16)];
        HexKey(t, hi);
        HexKey(t, lo);
        break;
      }
      case 3:
        if (fresh) Forget(t);
        StepKey(t);
        break;
      default: {
        const auto f = r(32);
        FlagBoxesClicked(t, f & 1, f & 2, f & 4, f & 8, f & 16);
      }
    }
  }
};

// RUN on both trainers while keys change the lines it is about to run; returns the lines run.
long Running(uint64_t seed, long lines) {
  Rng r(seed);
  Twin w;
  long done = 0;
  while (done < lines) {
    const Region p = RandomRegion(r);
    LoadProgram(w, r, p);
    const auto limit = static_cast<long>(100 + r(4000));
    const uint64_t keys = r(uint64_t{1} << 32);
    RunSide kept{w.kept, false, Rng(keys), p, limit, {}};
    RunSide fresh{w.fresh, true, Rng(keys), p, limit, {}};
    w.kept.view.onEvents = [&] { kept.Pass(); };
    w.fresh.view.onEvents = [&] { fresh.Pass(); };
    Forget(w.fresh.t);
    RunKey(w.kept.t);
    RunKey(w.fresh.t);
    w.kept.view.onEvents = nullptr;
    w.fresh.view.onEvents = nullptr;
    EXPECT_EQ(kept.digests.size(), fresh.digests.size()) << "seed " << seed << " run at " << done;
    for (size_t k = 0; k < kept.digests.size() && k < fresh.digests.size(); ++k) {
      if (!(kept.digests[k] == fresh.digests[k])) {
        ADD_FAILURE() << "seed " << seed << " run at " << done << ": line " << k << " differs";
        return done;
      }
    }
    const std::string diff = w.Difference();
    if (!diff.empty()) {
      ADD_FAILURE() << "seed " << seed << " run at " << done << ": " << diff << " differs";
      return done;
    }
    done += static_cast<long>(kept.digests.size());
  }
  return done;
}

TEST(DecodedLines, RunWhileKeysRewriteTheNextLine1) { EXPECT_GE(Running(5, 150'000), 150'000); }
TEST(DecodedLines, RunWhileKeysRewriteTheNextLine2) { EXPECT_GE(Running(6, 150'000), 150'000); }

// The same scenes, spelled out.
TEST(DecodedLines, TypingBetweenTwoStepsRunsTheNewText) {
  StartedTrainer b;
  b.Type(0x8200, {"MVI A, 05"});
  StepKey(b.t);
  EXPECT_EQ(b.t.m.R.A, 5);
  b.Type(0x8200, {"MVI A, 07"});  // the same row, typed over
  b.t.m.PC = 0x8200;
  StepKey(b.t);
  EXPECT_EQ(b.t.m.R.A, 7);
  b.t.listing.SetMnemonic(1, "MVI B, 09");  // a text no byte gives: still the text runs
  b.t.m.PC = 0x8200;
  StepKey(b.t);
  EXPECT_EQ(b.t.m.R.B, 9);
}

TEST(DecodedLines, KeyDuringRunChangesTheNextLine) {
  StartedTrainer b;
  b.Type(0x8200, {"INR B", "JMP 8200"});
  int passes = 0;
  b.view.onEvents = [&] {
    if (++passes == 7) b.t.listing.SetMnemonic(1, "HLT");  // typed over while it runs
    if (passes == 100) RstKey(b.t);                        // should the HLT not run
  };
  RunKey(b.t);
  EXPECT_EQ(b.t.m.R.B, 3);  // INR, JMP, INR, JMP, INR, JMP, then HLT
  EXPECT_EQ(b.t.m.PC, 0x8201);
}

TEST(DecodedLines, AChangedTextForgetsWhatItsRowKeeps) {
  Listing l;
  const uint64_t word = DecodedLine(Op::kNop).Word();
  l.KeepLineMemo(5, word);
  l.SetMnemonic(5, "");  // the same text as before
  for (int64_t other : {4, 6}) {
    l.SetMnemonic(other, "HLT");
    l.SetCode(other, "76");
  }
  EXPECT_EQ(l.LineMemo(5), word);
  for (const int col : {kMnemCol, kCodeCol, kAddrCol}) {
    l.KeepLineMemo(5, word);
    l.SetCell(col, 5, "NOP");
    EXPECT_EQ(l.LineMemo(5), 0u) << col;
  }
  for (int64_t row : {int64_t{-1}, int64_t{0}, int64_t{kLastRow}, int64_t{kLastRow} + 1}) {
    l.KeepLineMemo(row, word);
    EXPECT_EQ(l.LineMemo(row), row >= 0 && row <= kLastRow ? word : 0u) << row;
  }
}

// Every operation gives a word other than 0, so no decoded line reads as "not decoded".
TEST(DecodedLines, NoDecodedLineIsTheEmptyWord) {
  Rng r(4);
  const Region p{0x8200, 64};
  for (int i = 0; i < 20000; ++i) {
    TCommand t;
    t.Line = RandomLine(r, p);
    SplitLine(t);
    const DecodedLine d = DecodeLine(t.Mnemonic, t.Operand1, t.Operand2);
    ASSERT_NE(d.Word(), 0u) << t.Line;
    ASSERT_NE(d.Operation(), Op::kUndecoded) << t.Line;
    ASSERT_EQ(DecodedLine::FromWord(d.Word()), d);
  }
}

}  // namespace
}  // namespace tamrel
