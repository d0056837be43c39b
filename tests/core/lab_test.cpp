// Labs: what the reader accepts and refuses (with the message a teacher reads), and right,
// wrong and endless programs checked against a lab; every example lab passes with its image.
#include "lab/lab.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "files/memfile.h"
#include "listing/opcodes.h"
#include "machine/text.h"
#include "support/files.h"
#include "support/started_trainer.h"

namespace tamrel {
namespace {

using test::StartedTrainer;

std::string Cp(std::string_view utf8) { return Utf8ToCp1251Replacing(utf8, '?'); }

// A lab around the given expectations, with a table at 8300h and the sum at 8310h.
std::string SumLab(const std::string& expect, const std::string& more = "") {
  return R"({"title": "Сумма", "task": "Сложите таблицу",
    "data": [{"name": "таблица", "at": "8300", "bytes": "01 02 03"}], )" +
         more + R"( "max_lines": 500, "expect": )" + expect + "}";
}

struct Refusal {
  std::string text, message;  // the message in UTF-8 here
};
void PrintTo(const Refusal& r, std::ostream* os) { *os << r.text; }

class LabRefused : public testing::TestWithParam<Refusal> {};

TEST_P(LabRefused, NamesWhatIsWrong) {
  const auto lab = ReadLab(GetParam().text);
  ASSERT_TRUE(std::holds_alternative<std::string>(lab));
  EXPECT_EQ(std::get<std::string>(lab), Cp(GetParam().message));
}

const std::string kStop = R"({"stop": "HLT"})";

INSTANTIATE_TEST_SUITE_P(
    Reader, LabRefused,
    testing::Values(
        Refusal{"", "Задание не читается как JSON: строка 1, знак 1"},
        Refusal{"{\"title\": \"Сумма\",\n  \"task\": x}",
                "Задание не читается как JSON: строка 2, знак 11"},
        Refusal{"[1]", "Задание должно быть объектом JSON: { \"title\": ..., ... }"},
        Refusal{R"({"title": "a", "expect": {"stop": "HLT"}})", "В задании нет поля «task»"},
        Refusal{R"({"title": "a", "task": "", "expect": {"stop": "HLT", "stop": "RST"}})",
                "Поле «stop» задано дважды"},
        Refusal{R"({"title": "", "task": "", "expect": {"stop": "HLT"}})",
                "Поле «title»: пустое название"},
        Refusal{R"({"title": 1, "task": "", "expect": {}})",
                "Поле «title»: нужна строка, а не «1»"},
        Refusal{R"({"title": "a", "task": "", "solution": 1, "expect": {}})",
                "Поле «solution»: неизвестное поле; здесь бывают: title, task, hex, data, start, "
                "max_lines, expect"},
        Refusal{SumLab("{}"), "Поле «expect»: нет ни одного ожидания"},
        Refusal{SumLab(R"({"stop": "JMP"})"),
                "Поле «expect.stop»: нужно \"HLT\", \"RST\" или [\"HLT\", \"RST\"], а не «JMP»"},
        Refusal{SumLab(R"({"registers": {"A": "1G"}})"),
                "Поле «expect.registers.A»: нужен байт 00..FF строкой, а не «1G»"},
        Refusal{SumLab(R"({"registers": {"SP": 63279}})"),
                "Поле «expect.registers.SP»: нужен адрес 0000..FFFF строкой, а не «63279»"},
        Refusal{SumLab(R"({"registers": {"M": "00"}})"),
                "Поле «expect.registers.M»: неизвестное поле; здесь бывают: A, B, C, D, E, H, L, "
                "PC, SP"},
        Refusal{SumLab(R"({"flags": {"Z": 2}})"), "Поле «expect.flags.Z»: нужно 0 или 1, а не «2»"},
        Refusal{SumLab(R"({"memory": [{"at": "8000", "bytes": "00"}]})"),
                "Поле «expect.memory[0].at»: нужен адрес 8200..F730 строкой, а не «8000»"},
        Refusal{SumLab(R"({"memory": [{"at": "F730", "bytes": "00 01"}]})"),
                "Поле «expect.memory[0]»: байты выходят за конец памяти F730"},
        Refusal{SumLab(R"({"memory": [{"at": "8310", "bytes": "8"}]})"),
                "Поле «expect.memory[0].bytes»: нужны байты: пары шестнадцатеричных цифр строкой, "
                "например \"12 05 20\", а не «8»"},
        Refusal{SumLab(R"({"memory": [{"bytes": "08"}]})"),
                "Поле «expect.memory[0]»: нет поля «at»"},
        Refusal{SumLab(R"({"display": "800"})"),
                "Поле «expect.display»: нужен байт 00..FF строкой или \"\", а не «800»"},
        Refusal{SumLab(R"({"at_most_lines": 0})"),
                "Поле «expect.at_most_lines»: нужно целое число от 1 до 100000000, а не «0»"},
        Refusal{R"({"title": "a", "task": "", "max_lines": -5, "expect": {}})",
                "Поле «max_lines»: нужно целое число от 1 до 100000000, а не «-5»"},
        Refusal{SumLab(kStop, R"("start": {"registers": {"B": "100"}},)"),
                "Поле «start.registers.B»: нужен байт 00..FF строкой, а не «100»"},
        Refusal{SumLab(kStop, R"("hex": ":01830000127B\n:00000001FF\n",)"),
                "Поле «hex»: Строка 1: неверная контрольная сумма 7B, должна быть 6A"}));

TEST(LabReader, AcceptsEveryFieldWithCommentsAndKeepsTheFileOrder) {
  const auto read = ReadLab(SumLab(R"({
      // comments are allowed
      "registers": {"H": "83", "A": "06", "PC": "820b"},
      "flags": {"Z": true, "CY": 0},
      "stop": ["rst", "HLT"],
      "memory": [{"name": "сумма", "at": "8310", "bytes": "06"}],
      "display": "", "at_most_lines": 100, "at_most_bytes": 20})",
                                   R"("start": {"registers": {"SP": "F700"}, "flags": {"CY": 1}},
      "hex": ":01832000114B\n:00000001FF\n",)"));
  ASSERT_TRUE(std::holds_alternative<Lab>(read)) << std::get<std::string>(read);
  const Lab& lab = std::get<Lab>(read);
  EXPECT_EQ(lab.title, Cp("Сумма"));
  ASSERT_EQ(lab.data.size(), 2u);  // the Intel HEX bytes, then the named ranges
  EXPECT_EQ(lab.data[0].at, 0x8320);
  EXPECT_EQ(lab.data[1].name, Cp("таблица"));
  EXPECT_EQ(lab.data[1].bytes, (std::vector<uint8_t>{1, 2, 3}));
  ASSERT_EQ(lab.registers.size(), 3u);
  EXPECT_EQ(lab.registers[0].reg, LabRegister::H);
  EXPECT_EQ(lab.registers[2].value, 0x820B);
  EXPECT_EQ(lab.flags[0].flag, Flag::Z);
  EXPECT_EQ(lab.stops, (std::vector<RunEnd>{RunEnd::Rst, RunEnd::Hlt}));
  EXPECT_EQ(lab.display, "");
  EXPECT_EQ(lab.maxLines, 500u);
  EXPECT_EQ(lab.startRegisters[0].value, 0xF700);
}

Lab Read(const std::string& text) {
  auto read = ReadLab(text);
  EXPECT_TRUE(std::holds_alternative<Lab>(read)) << std::get<std::string>(read);
  return std::holds_alternative<Lab>(read) ? std::get<Lab>(read) : Lab{};
}

// The sum of the table, at 8310h and in A; the start state gives B = 03 as the count.
const Lab kSum = Read(SumLab(R"({"stop": "HLT", "registers": {"A": "06"}, "flags": {"Z": 1},
    "memory": [{"name": "сумма", "at": "8310", "bytes": "06"}], "at_most_lines": 20,
    "at_most_bytes": 16})",
                             R"("start": {"registers": {"B": "03"}},)"));

struct Program {
  const char* what;
  std::vector<std::string_view> lines;
  std::vector<bool> met;           // stop, A, Z, сумма, lines, bytes
  std::vector<std::string> found;  // in UTF-8
};
void PrintTo(const Program& p, std::ostream* os) { *os << p.what; }

class LabChecked : public testing::TestWithParam<Program> {};

TEST_P(LabChecked, GivesEachExpectationWithTheValueFound) {
  StartedTrainer b;
  int32_t addr = 0x8200;
  for (std::string_view line : GetParam().lines) {
    b.Type(addr, {line});
    addr += ComTab()[b.t.m.Mem.Read(addr)].Length;
  }
  const LabCheck c = CheckRun(kSum, b.t);
  std::vector<bool> met;
  std::vector<std::string> found;
  for (const LabResult& r : c.results) {
    met.push_back(r.met);
    found.push_back(r.found);
  }
  std::vector<std::string> want;
  for (const std::string& f : GetParam().found) want.push_back(Cp(f));
  EXPECT_EQ(met, GetParam().met);
  EXPECT_EQ(found, want);
  EXPECT_EQ(c.Passed(), std::all_of(met.begin(), met.end(), [](bool m) { return m; }));
}

INSTANTIATE_TEST_SUITE_P(
    Sum, LabChecked,
    testing::Values(Program{"right",
                            {"LXI H, 8300", "MVI A, 00", "ADD M", "INX H", "DCR B", "JNZ 8205",
                             "STA 8310", "HLT"},
                            {true, true, true, true, true, true},
                            {"HLT", "06", "1", "06", "16", "15"}},
                    Program{"wrong: one byte short, over the limit of bytes",
                            {"LXI H, 8301", "MVI A, 00", "ADD M", "INX H", "DCR B", "JNZ 8205",
                             "STA 8310", "NOP", "NOP", "HLT"},
                            {true, false, true, false, true, false},
                            {"HLT", "05", "1", "05", "18", "17"}},
                    Program{"endless",
                            {"JMP 8200"},
                            {false, false, false, false, false, true},
                            {"не остановилась за 500 строк", "00", "0", "00", "500", "3"}},
                    Program{"stops on RST",
                            {"RST 7"},
                            {false, false, false, false, true, true},
                            {"RST", "00", "0", "00", "1", "1"}}));

TEST(LabChecking, PutsOnlyTheDataRangesIntoMemoryAndBackTheViewPauseAndHistory) {
  StartedTrainer b;
  b.Type(0x8300, {"MVI A, 77"});  // under the table: the lab's data wins
  b.Type(0x8400, {"HLT"});        // outside it: the student's row stays
  ApplyLabData(b.t, kSum);
  EXPECT_EQ(b.t.m.Mem.Read(0x8300), 0x01);
  EXPECT_EQ(b.t.listing.Code(RowOfAddress(0x8302)), "03");
  EXPECT_EQ(b.t.listing.Mnemonic(RowOfAddress(0x8300)), "LXI B, 0302");
  EXPECT_EQ(b.t.m.Mem.Read(0x8400), 0x76);
  EXPECT_EQ(b.t.m.Mem.Read(0x8303), 0x00);

  PanelView* view = b.t.view;
  b.t.history.enabled = true;
  ToggleBreakpoint(b.t, RowOfAddress(0x8201));
  CheckRun(kSum, b.t);
  EXPECT_EQ(b.t.view, view);
  EXPECT_TRUE(b.t.history.enabled);
  EXPECT_EQ(b.t.sleep1ms, &test::NoSleep);
}

TEST(LabChecking, CountsTheBytesOfTheInstructionsReachableFromTheStart) {
  struct Case {
    const char* what;
    std::vector<uint8_t> at8200;
    uint64_t want;
  };
  for (const Case& c :
       std::vector<Case>{{"nothing but HLT", {0x76, 0x12, 0x34}, 1},
                         {"NOPs up to a RST", {0x00, 0x00, 0x3E, 0x00, 0xFF}, 5},
                         {"JMP over a gap", {0xC3, 0x06, 0x82, 0x11, 0x11, 0x11, 0x76}, 4},
                         {"a CALL and what follows it", {0xCD, 0x05, 0x82, 0x76, 0x99, 0xC9}, 5},
                         {"a loop with a conditional jump", {0x05, 0xC2, 0x00, 0x82, 0x76}, 5},
                         {"PCHL ends the trail", {0xE9, 0x76}, 1},
                         {"a jump out of the window", {0xC3, 0x00, 0x10}, 3},
                         {"an unassigned code never moves on", {0x08, 0x76}, 1}}) {
    Memory mem;
    for (size_t k = 0; k < c.at8200.size(); ++k) mem.Write(0x8200 + int64_t(k), c.at8200[k]);
    mem.Write(0x9000, 0x77);  // never reached
    EXPECT_EQ(ProgramBytes(mem, 0x8200), c.want) << c.what;
  }
  // A program typed into the window's random memory counts as itself.
  Memory random;
  RandomFill(random, [x = 1u]() mutable { return (x = x * 69069u + 1) / 4294967296.0; });
  const uint8_t loop[] = {0x3E, 0x05, 0x3D, 0xC2, 0x02, 0x82, 0x76};  // MVI A; DCR A; JNZ; HLT
  for (size_t k = 0; k < sizeof loop; ++k) random.Write(0x8200 + int64_t(k), loop[k]);
  EXPECT_EQ(ProgramBytes(random, 0x8200), sizeof loop);
}

// Each example program with its lab: the image as shipped passes every expectation.
class ExampleLabs : public testing::TestWithParam<const char*> {};

TEST_P(ExampleLabs, PassWithTheirImage) {
  const std::filesystem::path dir = TAMREL_EXAMPLES_DIR;
  const std::string name = GetParam();
  const Lab lab = Read(test::ReadFile((dir / (name + ".lab")).string()));
  StartedTrainer b;
  ASSERT_EQ(OpenImage(b.t, (dir / (name + ".mem")).string()), std::nullopt);
  const LabCheck c = CheckRun(lab, b.t);
  for (const LabResult& r : c.results) EXPECT_TRUE(r.met) << r.text << ": " << r.found;
  EXPECT_GE(c.results.size(), 3u);
}

INSTANTIATE_TEST_SUITE_P(Shipped, ExampleLabs,
                         testing::Values("countdown", "table-sum", "subroutine", "display",
                                         "block-copy"),
                         [](const auto& info) {
                           std::string s = info.param;
                           std::replace(s.begin(), s.end(), '-', '_');
                           return s;
                         });

}  // namespace
}  // namespace tamrel
