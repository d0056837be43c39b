// A class's worth of grading: tamrel-batch over 1000 memory images of 10,000 lines each, as
// JSON reports and against a lab.
//   build/bench/tamrel_bench --benchmark_filter='Batch|Grade' --benchmark_repetitions=3
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "batch/batch.h"
#include "batch/grade_main.h"
#include "edit/lineentry.h"
#include "files/memfile.h"
#include "panel/trainer.h"
#include "support/program.h"
#include "support/views.h"

namespace tamrel {
namespace {

// 1000 files in a temporary folder, each a counting loop that ends on HLT after exactly
// 10,000 lines; they differ in the first operand, as students' programs differ.
struct ClassFolder {
  std::filesystem::path dir;
  std::vector<std::string> files;
  ClassFolder() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "tamrel-class-XXXXXX").string();
    dir = ::mkdtemp(tmpl.data());
    test::NullView view;
    Trainer t(view, test::NoSleep);
    BuildMachine(t, [] { return 0.0; });
    test::TypeProgram(
        t, t.Entry, 0x8200,
        {"MVI A, 00", "MVI B, 00", "MVI C, 00", "MOV A, C", "ADI 01", "MOV C, A", "CPI 26",
         "JNZ 8206", "MOV A, B", "ADI 01", "MOV B, A", "CPI 33", "JNZ 8204", "STA 8300", "HLT"});
    const std::string first = (dir / "first.mem").string();
    SaveImage(t.listing, first);
    std::ifstream in(first, std::ios::binary);
    std::string image{std::istreambuf_iterator<char>(in), {}};
    for (int i = 0; i < 1000; ++i) {
      image[1] = static_cast<char>(i);
      files.push_back((dir / ("student" + std::to_string(i) + ".mem")).string());
      std::ofstream(files.back(), std::ios::binary) << image;
    }
  }
  ~ClassFolder() { std::filesystem::remove_all(dir); }
};

void BM_Batch1000Files(benchmark::State& state) {
  static const ClassFolder folder;
  BatchOptions o;
  o.files = folder.files;
  const auto workers = static_cast<unsigned>(state.range(0));
  for (auto _ : state) {
    std::ostringstream out;
    if (RunBatch(o, out, workers) != 0 || out.str().find("\"lines\":10000,") == std::string::npos)
      state.SkipWithError("the class did not run as planned");
  }
  state.SetItemsProcessed(state.iterations() * 1000);
  state.counters["lines/s"] = benchmark::Counter(static_cast<double>(state.iterations()) * 1e7,
                                                 benchmark::Counter::kIsRate);
}
BENCHMARK(BM_Batch1000Files)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same class graded against a lab, with the terminal's lines and summary. The lab's data
// range at 8400h is one the images already hold (/0, a class that saved its work after
// opening the lab) or one they lack (/1: the grader writes it into each image before opening
// it, so the listing is still decoded once a file).
void BM_Grade1000Files(benchmark::State& state) {
  static const ClassFolder folder;
  const auto lab = ReadLab(std::string(R"({"title": "bench", "task": "", "max_lines": 20000,
      "data": [{"at": "8400", "bytes": ")") +
                           (state.range(1) ? "01 02 03 04" : "00 00 00 00") + R"("}],
      "expect": {"stop": "HLT", "registers": {"A": "33", "B": "33", "C": "26"},
                 "memory": [{"at": "8300", "bytes": "33"}]}})");
  const auto workers = static_cast<unsigned>(state.range(0));
  for (auto _ : state) {
    const std::vector<GradedFile> graded = GradeFiles(folder.files, std::get<Lab>(lab), workers);
    std::ostringstream out;
    for (const GradedFile& f : graded) out << GradeLines(f);
    out << GradeSummary(graded);
    if (GradeStatus(graded) != kGradePassed || graded[999].check.lines != 10000)
      state.SkipWithError("the class did not pass as planned");
  }
  state.SetItemsProcessed(state.iterations() * 1000);
}
BENCHMARK(BM_Grade1000Files)
    ->Args({1, 0})
    ->Args({1, 1})
    ->Args({2, 0})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
}  // namespace tamrel
