// The batch runner against the RUN key: the same programs, the same final state, and every
// option and exit status of the command line.
#include "batch/batch.h"

#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/wait.h>
#endif

#include <atomic>
#include <cstdlib>
#include <initializer_list>
#include <sstream>

#include "files/ihex.h"
#include "files/memfile.h"
#include "listing/opcodes.h"
#include "machine/numtext.h"
#include "support/batch_call.h"
#include "support/files.h"
#include "support/started_trainer.h"

namespace tamrel {
namespace {

using test::StartedTrainer;

// A folder of students' files, each a program typed into a trainer of its own and saved.
struct Class {
  test::ScratchDir dir;
  // The program at 8200h, and a subroutine at 8240h if there is one.
  std::string Mem(const std::string& name, std::initializer_list<std::string_view> lines,
                  std::initializer_list<std::string_view> at8240 = {}) {
    StartedTrainer b;
    b.Type(0x8200, lines);
    if (at8240.size() != 0) b.Type(0x8240, at8240);
    EXPECT_FALSE(SaveImage(b.t.listing, dir / name));
    return dir / name;
  }
  std::string Hex(const std::string& name, std::initializer_list<std::string_view> lines) {
    StartedTrainer b;
    b.Type(0x8200, lines);
    EXPECT_FALSE(ExportHex(b.t.listing, dir / name));
    return dir / name;
  }
};

// The raw value of a field of a JSON report: a string without its quotes, or a number.
std::string Field(const std::string& json, const std::string& name) {
  const std::string key = "\"" + name + "\":";
  const size_t at = json.find(key);
  if (at == std::string::npos) return "<none>";
  size_t from = at + key.size();
  if (json[from] == '"') {
    ++from;
    return json.substr(from, json.find('"', from) - from);
  }
  return json.substr(from, json.find_first_of(",}", from) - from);
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string l; std::getline(in, l);) lines.push_back(l);
  return lines;
}

// ---- RUN with a line limit ----

TEST(RunLimit, RunKeyTellsHowItEnded) {
  // clang-format off
  const struct {
    const char* name;
    std::initializer_list<std::string_view> program;
    uint64_t maxLines;
    RunEnd end;
    uint64_t lines;
    int32_t pc;
  } cases[] = {
      {"HLT", {"MVI A, 01", "HLT"}, kNoLineLimit, RunEnd::Hlt, 2, 0x8203},
      {"RST", {"MVI A, 01", "RST 7"}, kNoLineLimit, RunEnd::Rst, 2, 0x8202},
      {"limit", {"INR B", "JMP 8200"}, 7, RunEnd::Limit, 7, 0x8201},
      {"HLT on the last line allowed", {"INR B", "HLT"}, 2, RunEnd::Hlt, 2, 0x8202},
      {"limit before HLT", {"INR B", "HLT"}, 1, RunEnd::Limit, 1, 0x8201},
      {"no line at all", {"INR B", "HLT"}, 0, RunEnd::Limit, 0, 0x8200},
  };
  // clang-format on
  for (const auto& k : cases) {
    SCOPED_TRACE(k.name);
    StartedTrainer b;
    b.t.EventSlice = std::chrono::microseconds(1000);  // the count does not depend on time
    b.Type(0x8200, k.program);
    const RunResult r = RunKey(b.t, k.maxLines);
    EXPECT_EQ(r.end, k.end);
    EXPECT_EQ(r.lines, k.lines);
    EXPECT_EQ(b.t.m.PC, k.pc);                      // a limit leaves the PC where it is
    EXPECT_EQ(b.view.address, IntToHexText(k.pc));  // and the views are refreshed as after any run
  }
}

TEST(RunLimit, RstKeyStillEndsTheRun) {
  StartedTrainer b;
  b.Type(0x8200, {"INR B", "JMP 8200"});
  b.view.onEvents = [&] {
    if (b.view.eventPasses == 3) RstKey(b.t);
  };
  const RunResult r = RunKey(b.t, 1000);
  EXPECT_EQ(r.end, RunEnd::RstKey);
  EXPECT_EQ(r.lines, 3u);
  EXPECT_EQ(b.t.m.PC, 0x8200);
  EXPECT_EQ(b.t.m.R.B, 2);
}

// ---- the report ----

TEST(Batch, ReportLineIsComplete) {
  Class c;
  const std::string f = c.Mem("a.mem", {"LXI H, 8300", "MVI M, 3C", "CALL 0294", "HLT"});
  const Outcome o = Batch({"--dump", "8300:8301", "--dump=8300:8300", f});
  EXPECT_EQ(o.status, 0);
  EXPECT_EQ(o.err, "");
  EXPECT_EQ(o.out, "{\"file\":\"" + f +
                       "\",\"stop\":\"hlt\",\"lines\":4,\"PC\":\"8209\",\"SP\":\"F72F\","
                       "\"A\":\"00\",\"B\":\"00\",\"C\":\"00\",\"D\":\"00\",\"E\":\"00\","
                       "\"H\":\"83\",\"L\":\"00\",\"F\":\"02\","
                       "\"flags\":{\"CY\":0,\"P\":0,\"AC\":0,\"Z\":0,\"S\":0},"
                       "\"data_display\":\"3C\",\"memory\":{\"8300\":\"3C\",\"8301\":\"00\"}}\n");
}

// The window's RUN on the same file: Open, PC to the start, the RUN key.
struct WindowRun {
  StartedTrainer b;
  RunResult r{};
  std::string dataWhileRunning;
  WindowRun(const std::string& file, int32_t from, uint64_t maxLines) {
    b.t.EventSlice = std::chrono::microseconds(1000);  // as the window has it
    EXPECT_FALSE(OpenImage(b.t, file));
    RefreshPanel(b.t);
    b.t.m.PC = from;
    b.view.dataHistory.clear();
    r = RunKey(b.t, maxLines);
    // What the data display showed when the loop ended, before the final refresh.
    dataWhileRunning = b.view.dataHistory[b.view.dataHistory.size() - 2];
  }
};

TEST(Batch, AgreesWithTheRunKey) {
  // clang-format off
  const struct {
    const char* name;
    std::initializer_list<std::string_view> program;
    std::vector<std::string> options;
    int32_t from;
    uint64_t maxLines;
    const char* stop;
    std::initializer_list<std::string_view> at8240 = {};
  } cases[] = {
      {"loop", {"MVI B, 03", "DCR B", "JNZ 8202", "HLT"}, {}, 0x8200, kNoLineLimit, "hlt"},
      {"stack",
       {"LXI SP, 9000", "LXI B, 1234", "PUSH B", "CALL 8240", "POP D", "LXI H, 8300", "CALL 0294",
        "RST 7"},
       {},
       0x8200,
       kNoLineLimit,
       "rst",
       {"MVI A, 3C", "STA 8300", "RET"}},
      {"arith",
       {"MVI A, F0", "ADI 20", "SUI 05", "ANA A", "RAL", "DAA", "STA 8300", "CMA", "ORA B", "HLT"},
       {},
       0x8200,
       kNoLineLimit,
       "hlt"},
      {"from", {"HLT", "MVI A, 01", "HLT"}, {"--from", "8201"}, 0x8201, kNoLineLimit, "hlt"},
      {"endless", {"INR C", "DAD B", "SHLD 8300", "JMP 8200"}, {"--max-lines", "777"}, 0x8200, 777,
       "limit"},
      {"empty row", {"MVI A, 05"}, {"--from", "8201", "--max-lines", "50"}, 0x8201, 50, "limit"},
      {"outside", {"JMP 0100"}, {"--max-lines", "9"}, 0x8200, 9, "limit"},
      {"monitor", {"CALL 0257", "CZ 0294", "CALL 0282", "HLT"}, {"--max-lines", "20"}, 0x8200, 20,
       "hlt"},
  };
  // clang-format on
  for (const auto& k : cases) {
    SCOPED_TRACE(k.name);
    Class c;
    const std::string file = c.Mem("p.mem", k.program, k.at8240);
    std::vector<std::string> args = k.options;
    args.insert(args.end(), {"--dump", "8300:8301", "--dump", "8FFC:8FFF", file});
    const Outcome o = Batch(args);
    EXPECT_EQ(o.status, std::string(k.stop) == "limit" ? 3 : 0);

    const WindowRun w(file, k.from, k.maxLines);
    const Machine& m = w.b.t.m;
    EXPECT_EQ(Field(o.out, "stop"), k.stop);
    EXPECT_EQ(Field(o.out, "lines"), std::to_string(w.r.lines));
    EXPECT_EQ(Field(o.out, "PC"), IntToHexText(m.PC));
    EXPECT_EQ(Field(o.out, "SP"), w.b.view.stackPointer);
    // clang-format off
    const struct {
      const char* name;
      int32_t value;
    } registers[] = {{"A", m.R.A}, {"B", m.R.B}, {"C", m.R.C}, {"D", m.R.D},
                     {"E", m.R.E}, {"H", m.R.H}, {"L", m.R.L}, {"F", m.R.F}};
    // clang-format on
    for (const auto& r : registers)
      EXPECT_EQ(Field(o.out, r.name), IntToHexText(r.value)) << r.name;
    EXPECT_EQ(Field(o.out, "CY"), std::to_string(w.b.view.flags.CY));
    EXPECT_EQ(Field(o.out, "P"), std::to_string(w.b.view.flags.P));
    EXPECT_EQ(Field(o.out, "AC"), std::to_string(w.b.view.flags.AC));
    EXPECT_EQ(Field(o.out, "Z"), std::to_string(w.b.view.flags.Z));
    EXPECT_EQ(Field(o.out, "S"), std::to_string(w.b.view.flags.S));
    EXPECT_EQ(Field(o.out, "data_display"), w.dataWhileRunning);
    for (int32_t a : {0x8300, 0x8301, 0x8FFC, 0x8FFD, 0x8FFE, 0x8FFF})
      EXPECT_EQ(Field(o.out, IntToHexText(a)), ByteText(m.Mem.Read(a))) << std::hex << a;
  }
}

TEST(Batch, StopsOnHltRstOrTheLimit) {
  Class c;
  const std::string hlt = c.Mem("hlt.mem", {"MVI A, 01", "HLT"});
  const std::string rst = c.Mem("rst.mem", {"MVI A, 01", "RST 1"});
  const std::string loop = c.Mem("loop.mem", {"INR B", "JMP 8200"});
  const auto lines = Lines(Batch({"--max-lines", "1001", hlt, rst, loop}).out);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(Field(lines[0], "stop"), "hlt");
  EXPECT_EQ(Field(lines[0], "PC"), "8203");  // past the HLT
  EXPECT_EQ(Field(lines[0], "lines"), "2");
  EXPECT_EQ(Field(lines[1], "stop"), "rst");
  EXPECT_EQ(Field(lines[1], "PC"), "8202");  // on the RST
  EXPECT_EQ(Field(lines[2], "stop"), "limit");
  EXPECT_EQ(Field(lines[2], "lines"), "1001");
  EXPECT_EQ(Field(lines[2], "PC"), "8201");  // the limit fell after INR B: 501 of them
  EXPECT_EQ(Field(lines[2], "B"), "F5");
}

TEST(Batch, SetsEachRegisterAndFlagBeforeTheRun) {
  Class c;
  const std::string halt = c.Mem("h.mem", {"HLT"});
  // clang-format off
  const struct {
    const char* setting;
    const char* field;
    const char* value;
    const char* f;  // F follows the flags
  } cases[] = {
      {"A=7f", "A", "7F", "02"},  {"B=01", "B", "01", "02"},   {"C=2", "C", "02", "02"},
      {"D=ff", "D", "FF", "02"},  {"E=0E", "E", "0E", "02"},   {"H=90", "H", "90", "02"},
      {"L=10", "L", "10", "02"},  {"SP=8400", "SP", "8400", "02"}, {"sp=0", "SP", "00", "02"},
      {"CY=1", "CY", "1", "03"},  {"P=1", "P", "1", "06"},     {"AC=1", "AC", "1", "12"},
      {"Z=1", "Z", "1", "42"},    {"S=1", "S", "1", "82"},     {"cy=0", "CY", "0", "02"},
  };
  // clang-format on
  for (const auto& k : cases) {
    const Outcome o = Batch({"--set", k.setting, halt});
    EXPECT_EQ(o.status, 0) << k.setting;
    EXPECT_EQ(Field(o.out, k.field), k.value) << k.setting;
    EXPECT_EQ(Field(o.out, "F"), k.f) << k.setting;
  }
  // Settings are applied in order, and the program sees them.
  const std::string loop = c.Mem("loop.mem", {"DCR B", "JNZ 8200", "HLT"});
  const Outcome o = Batch({"--set", "B=09", "--set=B=02", "--set", "Z=0", loop});
  EXPECT_EQ(Field(o.out, "lines"), "5");
  const Outcome jz = Batch({"--set", "Z=1", "--set", "B=02", loop});
  EXPECT_EQ(Field(jz.out, "lines"), "3");  // Z set before the run: one pass only
}

TEST(Batch, DumpsEachAddressOnceInOrder) {
  Class c;
  const std::string f = c.Mem("d.mem", {"MVI A, 77", "STA F730", "STA 8210", "HLT"});
  const Outcome o = Batch({"--dump", "8210:8211", "--dump", "8200:8201", "--dump", "8201:8202",
                           "--dump", "f730:F730", f});
  EXPECT_EQ(o.out.substr(o.out.find("\"memory\"")),
            "\"memory\":{\"8200\":\"3E\",\"8201\":\"77\",\"8202\":\"32\",\"8210\":\"77\","
            "\"8211\":\"00\",\"F730\":\"77\"}}\n");
  EXPECT_NE(Batch({f}).out.find("\"memory\":{}}"), std::string::npos);
}

TEST(Batch, ReadsIntelHexAsWell) {
  Class c;
  const std::initializer_list<std::string_view> program = {"MVI A, 42", "STA 9000", "HLT"};
  const std::string mem = c.Mem("p.mem", program);
  const std::string hex = c.Hex("p.HEX", program);
  const auto lines = Lines(Batch({"--dump", "9000:9000", mem, hex}).out);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].substr(lines[0].find("\"stop\"")), lines[1].substr(lines[1].find("\"stop\"")));
  EXPECT_EQ(Field(lines[1], "9000"), "42");

  // A HEX file gives only some bytes: the rest are 00h (NOP) up to the end of the window.
  test::WriteFile(c.dir / "part.hex", ":018200007607\n:00000001FF\n");
  const Outcome part = Batch({"--from", "8100", "--max-lines", "3", c.dir / "part.hex"});
  EXPECT_EQ(Field(part.out, "stop"), "limit");  // 8100h has no row
  const Outcome nops = Batch({"--from", "F72E", "--max-lines", "10", c.dir / "part.hex"});
  EXPECT_EQ(Field(nops.out, "stop"), "limit");  // NOP, NOP, then the row the disassembly skips
  EXPECT_EQ(Field(nops.out, "PC"), "F730");
}

TEST(Batch, FileFailuresAreReportedInUtf8) {
  Class c;
  test::WriteFile(c.dir / "short.mem", std::string(100, '\0'));
  test::WriteFile(c.dir / "bad.hex", ":01820000\n");
  const std::string ok = c.Mem("ok.mem", {"HLT"});
  const Outcome o = Batch({c.dir / "missing.mem", c.dir / "short.mem", c.dir / "bad.hex", ok});
  EXPECT_EQ(o.status, 2);
  const auto lines = Lines(o.out);
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0], "{\"file\":\"" + c.dir / "missing.mem" +
                          "\",\"stop\":\"error\",\"error\":\"File not found\"}");
  EXPECT_EQ(Field(lines[1], "error"), "Read beyond end of file");
  EXPECT_EQ(Field(lines[2], "error"), "Строка 1: запись короче пяти байтов");
  EXPECT_EQ(Field(lines[3], "stop"), "hlt");  // the files after a failure still run
}

// ---- exit status and options ----

TEST(Batch, ExitStatusIsTheWorstOutcome) {
  Class c;
  const std::string hlt = c.Mem("hlt.mem", {"HLT"});
  const std::string rst = c.Mem("rst.mem", {"RST 0"});
  const std::string loop = c.Mem("loop.mem", {"JMP 8200"});
  const std::string missing = c.dir / "missing.mem";
  // clang-format off
  const struct {
    std::vector<std::string> files;
    int status;
  } cases[] = {
      {{hlt}, 0},          {{hlt, rst}, 0},          {{loop}, 3},          {{hlt, loop, rst}, 3},
      {{missing}, 2},      {{loop, missing}, 2},     {{missing, loop}, 2}, {{hlt, missing}, 2},
  };
  // clang-format on
  for (const auto& k : cases) {
    std::vector<std::string> args = {"--max-lines", "100"};
    args.insert(args.end(), k.files.begin(), k.files.end());
    const Outcome o = Batch(args);
    EXPECT_EQ(o.status, k.status) << k.files.size();
    EXPECT_EQ(Lines(o.out).size(), k.files.size());
    EXPECT_EQ(o.err, "");
  }
}

TEST(Batch, WrongOptionsGiveUsageOnStandardError) {
  // clang-format off
  const struct {
    std::vector<std::string> args;
    const char* says;
  } cases[] = {
      {{}, "no FILE given"},
      {{"--from"}, "--from wants a value"},
      {{"--from", "8G00", "a.mem"}, "--from wants an address"},
      {{"--from", "18200", "a.mem"}, "--from wants an address"},
      {{"--from=", "a.mem"}, "--from wants an address"},
      {{"--max-lines", "0", "a.mem"}, "--max-lines wants"},
      {{"--max-lines", "-5", "a.mem"}, "--max-lines wants"},
      {{"--max-lines", "1e3", "a.mem"}, "--max-lines wants"},
      {{"--max-lines", "99999999999999999999", "a.mem"}, "--max-lines wants"},
      {{"--set", "A", "a.mem"}, "--set wants NAME=HEX"},
      {{"--set", "Q=1", "a.mem"}, "unknown name 'Q'"},
      {{"--set", "M=1", "a.mem"}, "unknown name 'M'"},
      {{"--set", "A=100", "a.mem"}, "--set A wants a byte"},
      {{"--set", "B=", "a.mem"}, "--set B wants a byte"},
      {{"--set", "SP=10000", "a.mem"}, "--set SP wants an address"},
      {{"--set", "CY=2", "a.mem"}, "--set CY wants 0 or 1"},
      {{"--dump", "8300", "a.mem"}, "--dump wants FIRST:LAST"},
      {{"--dump", "8000:8010", "a.mem"}, "must lie in 8200..F730"},
      {{"--dump", "8300:F731", "a.mem"}, "must lie in 8200..F730"},
      {{"--dump", "8310:8300", "a.mem"}, "must lie in 8200..F730"},
      {{"--frobnicate", "a.mem"}, "unknown option '--frobnicate'"},
      {{"--real-time=1", "a.mem"}, "unknown option"},
  };
  // clang-format on
  for (const auto& k : cases) {
    const Outcome o = Batch(k.args);
    EXPECT_EQ(o.status, 2) << k.says;
    EXPECT_EQ(o.out, "") << k.says;  // nothing runs
    EXPECT_EQ(o.err.rfind("tamrel-batch: ", 0), 0u) << o.err;
    EXPECT_NE(o.err.find(k.says), std::string::npos) << o.err;
    EXPECT_NE(o.err.find(kBatchUsage), std::string::npos);
  }
}

TEST(Batch, OptionsAndTheirDefaults) {
  BatchOptions d;
  ASSERT_FALSE(ParseBatchArgs({"a.mem"}, d));
  EXPECT_EQ(d.from, 0x8200);
  EXPECT_EQ(d.maxLines, 10'000'000u);
  EXPECT_FALSE(d.realTime);
  EXPECT_TRUE(d.settings.empty() && d.dumps.empty());

  BatchOptions o;
  ASSERT_FALSE(ParseBatchArgs({"--from=83ab", "x.mem", "--max-lines", "12", "--real-time", "--set",
                               "a=3f", "--dump", "8300:8301", "--", "--help", "-"},
                              o));
  EXPECT_EQ(o.from, 0x83AB);
  EXPECT_EQ(o.maxLines, 12u);
  EXPECT_TRUE(o.realTime);
  EXPECT_FALSE(o.help);  // after "--" it is a file name
  ASSERT_EQ(o.settings.size(), 1u);
  EXPECT_EQ(o.settings[0].name, "A");
  EXPECT_EQ(o.settings[0].value, 0x3F);
  ASSERT_EQ(o.dumps.size(), 1u);
  EXPECT_EQ(o.files, (std::vector<std::string>{"x.mem", "--help", "-"}));

  const Outcome help = Batch({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.out, kBatchUsage);
  EXPECT_EQ(help.err, "");
  EXPECT_EQ(Batch({"-h", "missing.mem"}).status, 0);  // help only, nothing runs
}

std::atomic<int> pauses{0};
void CountPause() { ++pauses; }

TEST(Batch, RealTimeLetsNopPause) {
  Class c;
  BatchOptions o;
  o.files = {c.Mem("nop.mem", {"NOP", "NOP", "NOP", "NOP", "NOP", "HLT"})};
  o.nopPause = CountPause;
  std::ostringstream out;
  pauses = 0;
  EXPECT_EQ(RunBatch(o, out, 1), 0);
  EXPECT_EQ(pauses, 0);  // by default NOP does not wait
  o.realTime = true;
  EXPECT_EQ(RunBatch(o, out, 1), 0);
  EXPECT_EQ(pauses, 5);
  EXPECT_EQ(Field(Lines(out.str())[1], "lines"), "6");
}

// ---- one trainer for many files ----

TEST(Batch, NothingCarriesOverFromOneFileToTheNext) {
  Class c;
  // The first program leaves its marks everywhere the second one looks.
  const std::string messy =
      c.Mem("messy.mem", {"MVI A, 99", "STA F730", "STA 8300", "LXI SP, 9000", "PUSH PSW", "STC",
                          "LXI H, 8300", "CALL 0294", "MVI B, 01", "MVI E, 01", "HLT"});
  const std::string reader =
      c.Mem("reader.mem", {"LDA F730", "MOV B, A", "LDA 8300", "ORA B", "LHLD 8FFE", "JNC 820F",
                           "HLT", "HLT", "HLT", "HLT", "HLT", "HLT"});
  BatchOptions o;
  BatchRunner used;
  const BatchReport first = used.Run(messy, o);
  EXPECT_EQ(Field(first.json, "data_display"), "99");
  const BatchReport reused = used.Run(reader, o);
  const BatchReport fresh = BatchRunner().Run(reader, o);
  EXPECT_EQ(reused.json, fresh.json);
  EXPECT_EQ(Field(fresh.json, "data_display"), "");
  EXPECT_EQ(Field(fresh.json, "A"), "00");
  EXPECT_EQ(Field(fresh.json, "PC"), "8210");  // CY clear: the jump was taken
  // A failed file in between changes nothing either.
  used.Run(messy, o);
  used.Run(c.dir / "missing.mem", o);
  EXPECT_EQ(used.Run(reader, o).json, fresh.json);
}

TEST(Batch, ReportsComeInFileOrderWhateverTheThreads) {
  Class c;
  std::vector<std::string> files;
  for (int i = 0; i < 12; ++i) {
    const std::string n = std::to_string(i);
    if (i % 4 == 3)
      files.push_back(c.dir / ("missing" + n + ".mem"));
    else if (i % 4 == 2)
      files.push_back(c.Mem("loop" + n + ".mem", {"INR A", "JMP 8200"}));
    else
      files.push_back(
          c.Mem("p" + n + ".mem", {"MVI B, " + std::string(ByteText(uint8_t(i))), "HLT"}));
  }
  BatchOptions o;
  o.maxLines = 500;
  o.files = files;
  std::ostringstream one, three;
  EXPECT_EQ(RunBatch(o, one, 1), 2);
  EXPECT_EQ(RunBatch(o, three, 3), 2);
  EXPECT_EQ(one.str(), three.str());
  const auto lines = Lines(one.str());
  ASSERT_EQ(lines.size(), files.size());
  for (size_t i = 0; i < files.size(); ++i) EXPECT_EQ(Field(lines[i], "file"), files[i]);
}

// ---- JSON texts ----

TEST(Batch, JsonTextsAreUtf8AndEscaped) {
  // clang-format off
  const struct {
    std::string cp1251;
    std::string json;
  } cases[] = {
      {"8200", "\"8200\""},
      {"a\"b\\c", "\"a\\\"b\\\\c\""},
      {"\t\r\n\x01\x1F\x7F", "\"\\t\\r\\n\\u0001\\u001f\\u007f\""},
      {"\xD1\xF2\xF0\xEE\xEA\xE0 1", "\"Строка 1\""},
      {"\xC0\xFF\xA8\xB8\xAB\xBB\x96\xB9", "\"АяЁё«»–№\""},
      {"", "\"\""},
  };
  // clang-format on
  for (const auto& k : cases) EXPECT_EQ(JsonString(k.cp1251), k.json);
}

TEST(Batch, FileNamesStayValidJson) {
  Class c;
  const struct {
    std::string name, json;
  } cases[] = {
      {"кв\"ирк\xFF.mem", "кв\\\"ирк\xEF\xBF\xBD.mem"},
      // The first encoded surrogate: three bytes, none of them the start of a character.
      {"\xED\xA0\x80.mem", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD.mem"},
  };
  for (const auto& k : cases) {
    const Outcome o = Batch({c.dir / k.name});
    EXPECT_EQ(Lines(o.out)[0], "{\"file\":\"" + c.dir / k.json +
                                   "\",\"stop\":\"error\",\"error\":\"File not found\"}");
  }
}

// ---- the program itself ----

// Through a POSIX shell; on Windows tools/windows.sh runs the program instead.
#if defined(TAMREL_BATCH_EXE) && !defined(_WIN32)
int Exe(const std::string& args, const std::string& out, const std::string& err) {
  const int s =
      std::system(("'" TAMREL_BATCH_EXE "' " + args + " >'" + out + "' 2>'" + err + "'").c_str());
  return WIFEXITED(s) ? WEXITSTATUS(s) : -1;
}

TEST(Batch, TheInstalledProgram) {
  Class c;
  const std::string f = c.Mem("a.mem", {"MVI A, 05", "HLT"});
  const std::string out = c.dir / "out", err = c.dir / "err";
  EXPECT_EQ(Exe("'" + f + "' --dump 8200:8200", out, err), 0);
  EXPECT_EQ(Field(test::ReadFile(out), "A"), "05");
  EXPECT_EQ(test::ReadFile(err), "");
  EXPECT_EQ(Exe("--max-lines 1 '" + f + "'", out, err), 3);
  EXPECT_EQ(Exe("--bogus '" + f + "'", out, err), 2);
  EXPECT_EQ(test::ReadFile(out), "");
  EXPECT_NE(test::ReadFile(err).find("usage: tamrel-batch"), std::string::npos);
  EXPECT_EQ(Exe("--help", out, err), 0);
  EXPECT_EQ(test::ReadFile(out), kBatchUsage);
}
#endif

}  // namespace
}  // namespace tamrel
