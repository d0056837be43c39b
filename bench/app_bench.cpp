// The window's own paths, on the offscreen platform: start-up, one STEP, and RUN with events.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <memory>
#include <string>

#include "app/form2.h"
#include "listing/opcodes.h"
#include "support/program.h"
#include "support/views.h"

namespace tamrel {
namespace {

double Half() { return 0.5; }

void BM_StartUp(benchmark::State& state) {
  for (auto _ : state) {
    auto form = std::make_unique<TForm2>(nullptr, test::NoSleep);
    form->FormCreate(ClockSeededRandom());
    QCoreApplication::processEvents();  // the first paint
    state.PauseTiming();
    form.reset();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_StartUp)->Unit(benchmark::kMillisecond);

void BM_Step(benchmark::State& state) {
  TForm2 form(nullptr, test::NoSleep);
  form.FormCreate(Half);  // every byte 80h: ADD B, one line per row
  QCoreApplication::processEvents();
  for (auto _ : state) {
    if (form.trainer().m.PC > 0x8F00) form.trainer().m.PC = 0x8200;
    form.Button10Click();
    QCoreApplication::processEvents();  // and its repaint
  }
}
BENCHMARK(BM_Step)->Unit(benchmark::kMicrosecond);

// A counting loop of about ten million lines ending in HLT, run by the real RUN key while a
// 1 ms timer stands for the user's key presses; the longest gap between its ticks is how long
// a key can wait.
void BM_RunWindow(benchmark::State& state) {
  TForm2 form(nullptr, test::NoSleep);
  form.FormCreate(Half);
  form.trainer().history.enabled = state.range(0) != 0;
  test::TypeProgram(form.trainer(), form.trainer().Entry, 0x8200,
                    {"MVI B, 26", "LXI D, 0000", "DCX D", "MOV A, D", "ORA E", "JNZ 8205", "DCR B",
                     "MOV A, B", "ORA A", "JNZ 8202", "HLT"});
  QCoreApplication::processEvents();
  int64_t lines = 0;
  double worstGapMs = 0;
  for (auto _ : state) {
    form.trainer().m.PC = 0x8200;
    QElapsedTimer clock;
    clock.start();
    qint64 last = 0;
    QTimer keys;
    keys.setInterval(1);
    QObject::connect(&keys, &QTimer::timeout, [&] {
      const qint64 now = clock.nsecsElapsed();
      if (last != 0) worstGapMs = std::max(worstGapMs, (now - last) / 1e6);
      last = now;
    });
    keys.start();
    form.Button15Click();
    keys.stop();
    lines += 2 + 38 * (1 + 65536 * 4 + 4);
  }
  state.SetItemsProcessed(lines);
  state.counters["worst_key_wait_ms"] = worstGapMs;
}
// Argument: the STEP/RUN history off (0) or on (1, as the window runs).
BENCHMARK(BM_RunWindow)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
}  // namespace tamrel

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  qInstallMessageHandler(
      [](QtMsgType, const QMessageLogContext&, const QString&) {});  // keep the table clean
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
