// Throughput of the headless core: executed lines per second and the disassembly passes.
//   build/bench/tamrel_bench --benchmark_repetitions=3 --benchmark_report_aggregates_only=true
#include <benchmark/benchmark.h>

#include <random>

#include "listing/lineentry.h"
#include "listing/opcodes.h"
#include "panel/trainer.h"
#include "support/program.h"
#include "support/views.h"

namespace tamrel {
namespace {

// About twenty lines of everyday instructions in an endless loop, no NOP (it sleeps).
void LoadReferenceProgram(Trainer& t) {
  BuildMachine(t, [] { return 0.0; });
  ResetPanel(t);
  test::TypeProgram(
      t, t.Entry, 0x8200,
      {"LXI SP, F72F", "MVI B, 10", "MVI A, 00", "LXI H, 8300", "ADD B",    "ADI 03",  "ANA B",
       "CPI 40",       "INR C",     "DCR D",     "INX H",       "DAD B",    "PUSH B",  "POP D",
       "CALL 8230",    "STA 8400",  "MOV E, A",  "DCR B",       "JNZ 8205", "JMP 8203"});
  test::TypeProgram(t, t.Entry, 0x8230, {"MOV C, A", "RET"});
  FullDisassembly(t.listing);
  t.m.PC = 0x8200;
}

void BM_ExecuteLoop(benchmark::State& state) {
  test::NullView view;
  Trainer t(view, test::NoSleep);
  LoadReferenceProgram(t);
  for (auto _ : state) {
    ExecuteCurrentLine(t, t.Command);
  }
  state.SetItemsProcessed(state.iterations());
  benchmark::DoNotOptimize(t.m.R.A);
}
BENCHMARK(BM_ExecuteLoop);

// The same loop with the row about to run rewritten every `every` lines (a blank added at its
// end or taken away again: another text for the same instruction), so that each rewrite costs
// one write of a mnemonic text and one decoding of the new text.
void BM_ExecuteRewrite(benchmark::State& state) {
  test::NullView view;
  Trainer t(view, test::NoSleep);
  LoadReferenceProgram(t);
  const int64_t every = state.range(0);
  int64_t lines = 0;
  char text[32];
  for (auto _ : state) {
    if (++lines % every == 0) {
      size_t n = CurrentLine(t).copy(text, sizeof text - 1);
      if (n > 0 && text[n - 1] == ' ')
        --n;
      else
        text[n++] = ' ';
      t.listing.SetMnemonic(RowOfAddress(t.m.PC), std::string_view(text, n));
    }
    ExecuteCurrentLine(t, t.Command);
  }
  state.SetItemsProcessed(state.iterations());
  benchmark::DoNotOptimize(t.m.R.A);
}
BENCHMARK(BM_ExecuteRewrite)->ArgName("every")->Arg(1)->Arg(16)->Arg(256);

void FillRandom(Trainer& t) {
  BuildMachine(t, [gen = std::mt19937_64(42)]() mutable {
    return std::generate_canonical<double, 53>(gen);
  });
}

void BM_FullDisassembly(benchmark::State& state) {
  test::NullView view;
  Trainer t(view, test::NoSleep);
  FillRandom(t);
  for (auto _ : state) FullDisassembly(t.listing);
  state.SetItemsProcessed(state.iterations() * kShownRows);
}
BENCHMARK(BM_FullDisassembly)->Unit(benchmark::kMicrosecond);

void BM_BoundedDisassemblyStep(benchmark::State& state) {
  test::NullView view;
  Trainer t(view, test::NoSleep);
  FillRandom(t);
  for (auto _ : state) BoundedDisassembly(t.listing, kStepBound);
}
BENCHMARK(BM_BoundedDisassemblyStep)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace tamrel
