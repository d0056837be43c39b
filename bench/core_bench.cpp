// Throughput of the headless core: executed lines per second, STEP with and without its
// history, the history's memory and the disassembly passes.
//   build/bench/tamrel_bench --benchmark_repetitions=3 --benchmark_report_aggregates_only=true
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <random>

#include "edit/lineentry.h"
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

// The same lines inside an open STEP/RUN recording, as a RUN executes them: every listing text
// a line overwrites (STA's code text here) goes through the history's journal.
void BM_ExecuteLoopRecorded(benchmark::State& state) {
  test::NullView view;
  Trainer t(view, test::NoSleep);
  LoadReferenceProgram(t);
  t.history.Begin(t);
  for (auto _ : state) {
    ExecuteCurrentLine(t, t.Command);
  }
  t.history.End(t);
  state.SetItemsProcessed(state.iterations());
  benchmark::DoNotOptimize(t.m.R.A);
}
BENCHMARK(BM_ExecuteLoopRecorded);

// One STEP of the core (line, views, bounded pass) with the history off (0) and on (1); the
// recording view keeps its texts, so "on" also takes and keeps what the screen shows.
void BM_StepKey(benchmark::State& state) {
  test::RecordingView view;
  Trainer t(view, test::NoSleep);
  LoadReferenceProgram(t);
  t.history.enabled = state.range(0) != 0;
  for (auto _ : state) StepKey(t);
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_StepKey)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// The recording alone, around a STEP that changes nothing: taking the machine and the views,
// copying and comparing memory, keeping the entry.
void BM_HistoryRecord(benchmark::State& state) {
  test::RecordingView view;
  Trainer t(view, test::NoSleep);
  LoadReferenceProgram(t);
  for (auto _ : state) {
    t.history.Begin(t);
    t.history.End(t);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_HistoryRecord)->Unit(benchmark::kMicrosecond);

// What 10,000 STEPs of the reference program (PUSH, POP, CALL, RET, STA into the listing)
// keep for stepping back: the history's own count and the heap it really took.
void BM_HistoryMemory(benchmark::State& state) {
  for (auto _ : state) {
    test::NullView view;
    Trainer t(view, test::NoSleep);
    LoadReferenceProgram(t);
    StepKey(t);  // the working buffers, allocated once, are not part of the figure
    t.history.Clear();
    const size_t heapBefore = mallinfo2().uordblks;
    for (size_t i = 0; i < History::kDepth; ++i) StepKey(t);
    const size_t heap = mallinfo2().uordblks - heapBefore;
    state.counters["entries"] = static_cast<double>(t.history.Size(t));
    state.counters["counted_bytes"] = static_cast<double>(t.history.Bytes());
    state.counters["heap_bytes"] = static_cast<double>(heap);
    state.counters["heap_bytes_per_step"] = static_cast<double>(heap) / History::kDepth;
  }
}
BENCHMARK(BM_HistoryMemory)->Unit(benchmark::kMillisecond)->Iterations(1);

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

// A pass starts at the first instruction a change reaches; a change in row 1 makes every pass
// a whole one.
void ChangeRowOne(Trainer& t, bool odd) { t.listing.SetCode(1, odd ? "01" : "00"); }

void BM_FullDisassembly(benchmark::State& state) {
  test::NullView view;
  Trainer t(view, test::NoSleep);
  FillRandom(t);
  bool odd = false;
  for (auto _ : state) {
    ChangeRowOne(t, odd = !odd);
    FullDisassembly(t.listing);
  }
  state.SetItemsProcessed(state.iterations() * kShownRows);
}
BENCHMARK(BM_FullDisassembly)->Unit(benchmark::kMicrosecond);

void BM_BoundedDisassemblyStep(benchmark::State& state) {
  test::NullView view;
  Trainer t(view, test::NoSleep);
  FillRandom(t);
  bool odd = false;
  for (auto _ : state) {
    ChangeRowOne(t, odd = !odd);
    BoundedDisassembly(t.listing, kStepBound);
  }
}
BENCHMARK(BM_BoundedDisassemblyStep)->Unit(benchmark::kMicrosecond);

// One keystroke that completes an opcode at the PC (8200h or F700h), as typing a program does.
void BM_TypeOpcode(benchmark::State& state) {
  test::NullView view;
  Trainer t(view, test::NoSleep);
  FillRandom(t);
  t.m.PC = static_cast<int32_t>(state.range(0));
  bool odd = false;
  for (auto _ : state) {
    odd = !odd;
    TypeIntoEntry(t, t.Entry, odd ? "NO" : "HL", odd ? 'P' : 'T');
  }
}
BENCHMARK(BM_TypeOpcode)->Arg(0x8200)->Arg(0xF700)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace tamrel
