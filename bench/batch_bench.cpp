// A class's worth of grading: tamrel-batch over 1000 memory images of 10,000 lines each.
//   build/bench/tamrel_bench --benchmark_filter=Batch --benchmark_repetitions=3
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "batch/batch.h"
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

}  // namespace
}  // namespace tamrel
