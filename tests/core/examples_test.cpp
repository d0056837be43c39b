// The example programs shipped in examples/: each memory image opened into a freshly started
// trainer, then RST and RUN as its description says, must stop by itself (HLT or RST) with
// the registers of examples/expected.txt and the flags and data display its description shows.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "files/memfile.h"
#include "machine/numtext.h"
#include "support/files.h"
#include "support/started_trainer.h"

namespace tamrel {
namespace {

namespace fs = std::filesystem;

const fs::path kDir = TAMREL_EXAMPLES_DIR;

struct Example {
  std::string file;                         // countdown.mem
  std::map<std::string, std::string> want;  // A=05 ... PC=820A SP=F72F stop=HLT
};
void PrintTo(const Example& e, std::ostream* os) { *os << e.file; }

// "name value=text ..." after the name; nothing for a line that is not of that kind.
std::map<std::string, std::string> Pairs(std::istringstream& words) {
  std::map<std::string, std::string> pairs;
  std::string w;
  while (words >> w)
    if (const size_t eq = w.find('='); eq != std::string::npos)
      pairs[w.substr(0, eq)] = w.substr(eq + 1);
  return pairs;
}

std::vector<Example> Expected() {
  std::vector<Example> list;
  std::istringstream lines(test::ReadFile((kDir / "expected.txt").string()));
  for (std::string line; std::getline(lines, line);) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream words(line);
    Example e;
    words >> e.file;
    e.want = Pairs(words);
    list.push_back(e);
  }
  return list;
}

// From the example's description: the flags after the run ("  CY=0 P=1 AC=0 Z=1 S=0") and
// what the data display showed during it ("  data display during RUN: 01 02 ...").
struct Described {
  std::map<std::string, std::string> flags;
  std::vector<std::string> shown;
};

Described Description(const std::string& mem) {
  Described d;
  const std::string txt = (kDir / fs::path(mem).replace_extension(".txt")).string();
  std::istringstream lines(test::ReadFile(txt));
  const std::string shownPrefix = "  data display during RUN:";
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind("  CY=", 0) == 0) {
      std::istringstream words(line);
      d.flags = Pairs(words);
    } else if (line.rfind(shownPrefix, 0) == 0) {
      std::istringstream words(line.substr(shownPrefix.size()));
      for (std::string w; words >> w;) d.shown.push_back(w);
    }
  }
  return d;
}

// How a run ended, by the last line it was about to run: "HLT", "RST" (RST n), or that line.
std::string StopKind(const std::string& lastLine) {
  if (lastLine == "HLT") return "HLT";
  if (lastLine.rfind("RST ", 0) == 0) return "RST";
  return lastLine;
}

class Examples : public testing::TestWithParam<Example> {};

TEST_P(Examples, RunsToItsEndWithTheDescribedState) {
  const Example& ex = GetParam();
  test::StartedTrainer b;  // a fresh trainer: power-up registers, every byte 00h
  ASSERT_EQ(OpenImage(b.t, (kDir / ex.file).string()), std::nullopt);
  RefreshPanel(b.t);
  RstKey(b.t);

  // What the data display shows while the program runs: everything a line shows is kept once
  // the next line is about to run, so the refresh after the run does not count. A run that
  // does not end is stopped with RST after ten million lines.
  std::vector<std::string> shown, pending;
  std::string lastLine;
  long lines = 0;
  b.view.dataHistory.clear();
  b.view.onEvents = [&] {
    for (size_t i = 0; i < b.view.dataHistory.size(); ++i)
      if (!b.view.dataHistory[i].empty()) shown.push_back(b.view.dataHistory[i]);
    b.view.dataHistory.clear();
    lastLine = CurrentLine(b.t);
    if (++lines == 10'000'000) RstKey(b.t);
  };
  RunKey(b.t);
  ASSERT_LT(lines, 10'000'000) << ex.file << " does not stop";

  const TRegisters& r = b.t.m.R;
  const std::map<std::string, std::string> got = {
      {"A", IntToHexText(r.A)},    {"B", IntToHexText(r.B)},       {"C", IntToHexText(r.C)},
      {"D", IntToHexText(r.D)},    {"E", IntToHexText(r.E)},       {"H", IntToHexText(r.H)},
      {"L", IntToHexText(r.L)},    {"PC", IntToHexText(b.t.m.PC)}, {"SP", IntToHexText(b.t.m.SP)},
      {"stop", StopKind(lastLine)}};
  EXPECT_EQ(got, ex.want);

  const Described d = Description(ex.file);
  const TFlags& f = b.t.m.Flags;
  EXPECT_EQ(d.flags, (std::map<std::string, std::string>{{"CY", std::to_string(f.CY)},
                                                         {"P", std::to_string(f.P)},
                                                         {"AC", std::to_string(f.AC)},
                                                         {"Z", std::to_string(f.Z)},
                                                         {"S", std::to_string(f.S)}}));
  EXPECT_EQ(shown, d.shown);
}

INSTANTIATE_TEST_SUITE_P(Shipped, Examples, testing::ValuesIn(Expected()),
                         [](const testing::TestParamInfo<Example>& info) {
                           std::string name = fs::path(info.param.file).stem().string();
                           for (char& c : name)
                             if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                           return name;
                         });

// Every image in the folder is checked, and there are at least five.
TEST(ExamplesFolder, EveryImageHasItsExpectedStateAndDescription) {
  std::vector<std::string> images, listed;
  for (const auto& entry : fs::directory_iterator(kDir))
    if (entry.path().extension() == ".mem") images.push_back(entry.path().filename().string());
  for (const Example& e : Expected()) listed.push_back(e.file);
  std::sort(images.begin(), images.end());
  std::sort(listed.begin(), listed.end());
  EXPECT_EQ(images, listed);
  EXPECT_GE(images.size(), 5u);
  for (const std::string& mem : images) {
    EXPECT_EQ(fs::file_size(kDir / mem), kImageSize) << mem;
    EXPECT_TRUE(fs::exists(kDir / fs::path(mem).replace_extension(".txt"))) << mem;
  }
}

}  // namespace
}  // namespace tamrel
