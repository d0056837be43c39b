// Reading a program text: what each kind of line stores, what is refused and why, and that the
// reader stores exactly what entering the same lines by hand stores.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "files/memfile.h"
#include "files/printout.h"
#include "listing/opcodes.h"
#include "machine/numtext.h"
#include "support/files.h"
#include "support/started_trainer.h"

namespace tamrel {
namespace {

using test::StartedTrainer;

// The reader's messages are code page 1251; the tables below are easier to read in UTF-8.
std::string Utf8(std::string_view cp1251) {
  std::string out;
  for (char ch : cp1251) {
    const auto b = static_cast<uint8_t>(ch);
    char32_t u = b;
    if (b >= 0xC0) u = 0x410 + (b - 0xC0);
    if (b == 0xB8) u = 0x451;
    if (b == 0x96) u = 0x2013;
    if (u < 0x80) {
      out.push_back(static_cast<char>(u));
    } else if (u < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (u >> 6)));
      out.push_back(static_cast<char>(0x80 | (u & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xE0 | (u >> 12)));
      out.push_back(static_cast<char>(0x80 | ((u >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (u & 0x3F)));
    }
  }
  return out;
}

// "8200:06 8201:03": each address and the code text the text must leave there.
std::string Stored(const Core& c, std::string_view want) {
  std::istringstream in{std::string(want)};
  std::string got, pair;
  while (in >> pair) {
    const int32_t addr = HexTextToInt(pair.substr(0, 4));
    if (!got.empty()) got += ' ';
    got += pair.substr(0, 5);
    got += c.listing.Code(RowOfAddress(addr));
  }
  return got;
}

// Every byte of the trainer starts as 11h ("     -" would hide nothing; LXI D shows operands).
struct Bench : StartedTrainer {
  Bench() {
    for (int64_t a = kMemFirst; a <= kMemLast; ++a) StoreByte(t, a, 0x11, "11");
    FullDisassembly(t.listing);
    t.listing.TakeChangedRows();
  }
};

const struct Accepted {
  const char* text;
  int32_t pc;
  const char* want;  // what stands in the code column afterwards
  int32_t end;       // the PC afterwards
} kAccepted[] = {
    {"MVI B, 03\nDCR B\nJNZ 8202\nHLT", 0x8200,
     "8200:06 8201:03 8202:05 8203:C2 8204:02 8205:82 8206:76 8207:11", 0x8207},
    {"  ; a comment only\r\n\tMOV A,B ; copy\r\n\r\nLXI H ,8300\r", 0x8200,
     "8200:78 8201:21 8202:00 8203:83 8204:11", 0x8204},
    {"DB 12, 34 56,78", 0x9000, "8FFF:11 9000:12 9001:34 9002:56 9003:78 9004:11", 0x9004},
    {"8300    MVI A, 05       3E\r\n8301                    05\r\n", 0x8200,
     "8200:11 8300:3E 8301:05", 0x8302},
    // The code column as it stands, typed texts included: every print-out reads back.
    {"8300    MVI A, 3e       3E\r\n8301                    3e\r\n", 0x8200, "8300:3E 8301:3e",
     0x8302},
    {"8400 JMP 8200 C3\n8401 00\n8402 82\nHLT", 0x8200, "8400:C3 8401:00 8402:82 8403:76", 0x8404},
    // Typing passes "IN" and leaves "RB" behind; the reader stores the instruction alone.
    {"INR B", 0x8200, "8200:04 8201:11", 0x8201},
    {"RST 7\nPUSH PSW\nCPI 0D\nIN 05\nLXI SP, F72F", 0x8200,
     "8200:FF 8201:F5 8202:FE 8203:0D 8204:DB 8205:05 8206:31 8207:2F 8208:F7", 0x8209},
    {"NOP", 0xF730, "F72F:11 F730:00", 0xF731},
    // The example of the README and the guide, annotations and all.
    {"; countdown                          ; blank lines and text after \";\" are left out\n"
     "MVI B, 03                            ; an instruction as the entry line takes it\n"
     "DCR B\nJNZ 8202                             ; an address high byte first\nHLT\n"
     "DB 12, 34                            ; data bytes\n"
     "8300    MVI A, 05       3E           ; the print-out's own lines\n"
     "8301                    05\n",
     0x8200, "8200:06 8201:03 8206:76 8207:12 8208:34 8209:11 8300:3E 8301:05", 0x8302},
};

TEST(ProgramText, StoresEachKindOfLine) {
  for (const Accepted& a : kAccepted) {
    SCOPED_TRACE(a.text);
    Bench b;
    b.t.m.PC = a.pc;
    const uint64_t edits = b.t.edits;
    const auto err = PasteProgramText(b.t, a.text);
    ASSERT_FALSE(err) << Utf8(*err);
    EXPECT_EQ(Stored(b.t, a.want), a.want);
    EXPECT_EQ(b.t.m.PC, a.end);
    EXPECT_EQ(b.t.edits, edits + 1);  // one paste, one edit
    // Memory agrees with the code column, and the listing is decoded as a full pass decodes it.
    for (int64_t row = 1; row <= kLastRow; ++row)
      ASSERT_EQ(b.t.m.Mem.Read(AddressOfRow(row)), HexTextToInt(b.t.listing.Code(row))) << row;
    Listing fresh;  // knows nothing decoded: its pass starts at row 1
    for (int64_t row = 1; row <= kLastRow; ++row) fresh.SetCode(row, b.t.listing.Code(row));
    FullDisassembly(fresh);
    for (int64_t row = 1; row <= kShownRows; ++row)
      ASSERT_EQ(b.t.listing.Mnemonic(row), fresh.Mnemonic(row)) << row;
  }
}

const struct Refused {
  const char* text;
  int32_t pc;
  const char* message;
} kRefused[] = {
    {"MVI B, 03\nmvi a, 05", 0x8200,
     "Строка 2: неизвестная команда «mvi a, 05»: команды пишутся заглавными буквами"},
    {"CMP", 0x8200, "Строка 1: неизвестная команда «CMP»"},
    {"MOV A, BX", 0x8200, "Строка 1: неизвестная команда «MOV A, BX»"},
    {"LOOP: DCR B", 0x8200, "Строка 1: неизвестная команда «LOOP: DCR B»"},
    {"NOP\nMVI A, 3e", 0x8200,
     "Строка 2: «MVI A» ждёт байт: две шестнадцатеричные цифры 0–9, A–F, а не «3e»"},
    {"JMP 820", 0x8200,
     "Строка 1: «JMP» ждёт адрес: четыре шестнадцатеричные цифры 0–9, A–F, а не «820»"},
    {"JMP 8200H", 0x8200,
     "Строка 1: «JMP» ждёт адрес: четыре шестнадцатеричные цифры 0–9, A–F, а не «8200H»"},
    {"JNZ ; where to?", 0x8200,
     "Строка 1: «JNZ» ждёт адрес: четыре шестнадцатеричные цифры 0–9, A–F"},
    {"HLT 05", 0x8200, "Строка 1: после «HLT» лишний текст «05»"},
    {"DB 12, 3", 0x8200, "Строка 1: «3» не байт: нужны две шестнадцатеричные цифры 0–9, A–F"},
    {"\n\nDB ; nothing", 0x8200, "Строка 3: после DB нет ни одного байта"},
    {"8200 MVI A", 0x8200,
     "Строка 1: в строке распечатки нет кода: две шестнадцатеричные цифры в конце"},
    {"8000    NOP             00", 0x8200, "Строка 1: адрес 8000 вне памяти 8200–F730"},
    {"NOP\rJMP 8200", 0xF72E, "Строка 2: адрес F731 вне памяти 8200–F730"},
    {"NOP", 0x0100, "Строка 1: адрес 0100 вне памяти 8200–F730"},
    {"; nothing at all\r\n\r\n", 0x8200, "В тексте нет ни одной команды"},
    {"", 0x8200, "В тексте нет ни одной команды"},
};

TEST(ProgramText, RefusesWithTheLineAndTheReasonAndChangesNothing) {
  for (const Refused& r : kRefused) {
    SCOPED_TRACE(r.text);
    Bench b;
    b.t.m.PC = r.pc;
    const uint64_t edits = b.t.edits;
    const Memory before = b.t.m.Mem;
    const auto err = PasteProgramText(b.t, r.text);
    ASSERT_TRUE(err);
    EXPECT_EQ(Utf8(*err), r.message);
    EXPECT_TRUE(b.t.m.Mem == before);
    const Listing::Range changed = b.t.listing.ChangedRows();
    EXPECT_GT(changed.lo, changed.hi);
    EXPECT_EQ(b.t.m.PC, r.pc);
    EXPECT_EQ(b.t.edits, edits);
  }
}

// Whatever the reader accepts stores what entering the same lines by hand stores, row for row,
// except the leftovers of typing (see EnterProgramLines), and leaves the PC where they do.
TEST(ProgramText, StoresWhatEnteringTheLinesByHandStores) {
  std::vector<std::pair<std::string, int32_t>> texts;
  for (const Accepted& a : kAccepted) texts.emplace_back(a.text, a.pc);
  texts.emplace_back("CMP B", 0x8200);                   // leaves "PB" two rows on
  texts.emplace_back("STAX B\nLDAX D\nINX SP", 0x8200);  // each leaves one for the next
  texts.emplace_back("8203    NOP             05\n8201 00\nINR B\nDB 3E", 0x8200);
  texts.emplace_back("MVI M,FF\nINR M\nSHLD 9000\nCALL 0257\nRST 0", 0xF720);
  for (const auto& [text, pc] : texts) {
    SCOPED_TRACE(text);
    Bench read, typed;
    read.t.m.PC = typed.t.m.PC = pc;
    std::vector<ProgramLine> lines;
    ASSERT_FALSE(ReadProgramText(text, pc, lines));
    ASSERT_FALSE(PasteProgramText(read.t, text));
    const std::vector<bool> leftover = test::EnterProgramLines(typed.t, lines);
    EXPECT_EQ(test::FirstDifferentRow(read.t, typed.t, leftover), 0);
    EXPECT_EQ(read.t.m.PC, typed.t.m.PC);
  }
}

TEST(ProgramText, APasteVoidsTheStepBackHistory) {
  Bench b;
  StepKey(b.t);
  ASSERT_EQ(b.t.history.Size(b.t), 1u);
  ASSERT_FALSE(PasteProgramText(b.t, "HLT"));
  EXPECT_EQ(b.t.history.Size(b.t), 0u);
}

// Every example's print-out, from its first row to its last, pasted into a trainer holding
// other bytes gives back the example's image byte for byte, and the same listing.
TEST(ProgramText, EveryExamplesPrintoutReadsBack) {
  int examples = 0;
  for (const auto& entry : std::filesystem::directory_iterator(TAMREL_EXAMPLES_DIR)) {
    if (entry.path().extension() != ".mem") continue;
    SCOPED_TRACE(entry.path().filename().string());
    ++examples;
    StartedTrainer opened;
    ASSERT_FALSE(OpenImage(opened.t, entry.path().string()));
    const std::string printout = PrintoutText(opened.t.listing, kMemLast - 1);
    Bench b;
    b.t.m.PC = 0x9000;
    const auto err = PasteProgramText(b.t, printout);
    ASSERT_FALSE(err) << Utf8(*err);
    const std::string image = test::ReadFile(entry.path().string());
    ASSERT_EQ(image.size(), kImageSize);
    for (size_t k = 0; k < kImageSize; ++k) {
      const auto row = static_cast<int64_t>(k) + 1;
      ASSERT_EQ(HexTextToInt(b.t.listing.Code(row)), static_cast<uint8_t>(image[k])) << row;
      ASSERT_EQ(b.t.listing.Code(row), opened.t.listing.Code(row)) << row;
      ASSERT_EQ(b.t.listing.Mnemonic(row), opened.t.listing.Mnemonic(row)) << row;
    }
    EXPECT_EQ(b.t.m.PC, kMemLast);
  }
  EXPECT_EQ(examples, 5);
}

}  // namespace
}  // namespace tamrel
