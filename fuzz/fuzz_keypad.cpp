// Keypad keys, STEP, RUN, row selection, the flag boxes, breakpoints and step back in any
// order. RUN lets window events through before every line: the keys that follow in the input
// are then pressed between two lines, each after a gap of lines the input gives, the way a
// user works the panel while a program runs. Once an input has run 1000 lines, RST stops
// every run.
//
// Every STEP or RUN pressed outside a RUN leaves one step-back entry (none survive an edit),
// and stepping back gives the machine exactly as it was before that key. A RUN that ends at a
// breakpoint stands on a marked row.
#include <deque>

#include "fuzz_common.h"

using namespace tamrel;

namespace {

constexpr int kMaxPasses = 1000;  // lines one input may run, over all its RUNs
constexpr int kMaxRuns = 4;       // RUN presses per input, nested ones included

struct Panel : test::NullView {
  Trainer* t = nullptr;
  fuzz::Input* in = nullptr;
  int passes = 0;
  int runs = 0;
  int gap = 0;                            // lines still to run before the next key is pressed
  int running = 0;                        // RUNs going on
  std::deque<Machine>* before = nullptr;  // the machine before each step-back entry
  void ProcessEvents() override;
};

void Check(const Trainer& t) {
  if (t.Display.AddrDigits.size() > 4 || t.Display.DataDigits.size() > 2) fuzz::Fail("digits");
  if (t.Display.AddrMode && t.Display.DataMode) fuzz::Fail("both modes");
}

bool Same(const Machine& a, const Machine& b) {
  return a.Mem == b.Mem && a.R == b.R && a.PC == b.PC && a.SP == b.SP && a.Flags == b.Flags;
}

// STEP or RUN; outside a RUN, the machine before it is what its step-back entry restores.
void Execute(Panel& p, bool run) {
  Trainer& t = *p.t;
  const bool outer = p.running == 0;
  const size_t entries = t.history.Size(t);
  if (outer) p.before->push_back(t.m);
  if (run) {
    ++p.running;
    const RunResult r = RunKey(t, kNoLineLimit);
    --p.running;
    if (r.end == RunEnd::Breakpoint && !AtBreakpoint(t)) fuzz::Fail("stopped off a breakpoint");
  } else {
    StepKey(t);
  }
  if (outer && t.history.Size(t) != entries + 1) p.before->pop_back();
}

void StepBackKey(Panel& p) {
  Trainer& t = *p.t;
  const Machine now = t.m;
  const bool undone = StepBack(t);
  if (p.running > 0) {
    if (undone || !Same(t.m, now)) fuzz::Fail("step back during a RUN");
    return;
  }
  if (undone != !p.before->empty()) fuzz::Fail("step back disagrees with the entries made");
  if (undone) {
    if (!Same(t.m, p.before->back())) fuzz::Fail("step back did not restore the machine");
    p.before->pop_back();
  }
}

void Press(Panel& p, uint8_t k) {
  Trainer& t = *p.t;
  if (k >= 240) {  // the debugging keys
    switch (k % 4) {
      case 0: StepBackKey(p); break;
      case 1: ToggleBreakpoint(t, RowOfAddress(t.m.PC) + static_cast<int8_t>(p.in->Byte())); break;
      case 2: ToggleBreakpoint(t, p.in->Byte() * 128 + p.in->Byte()); break;
      default: ClearBreakpoints(t);
    }
  } else {
    switch (k % 24) {
      case 16: AddrKey(t); break;
      case 17: MemKey(t); break;
      case 18: NextKey(t); break;
      case 19: RstKey(t); break;
      case 20:
        if (p.runs++ < kMaxRuns) {
          p.gap = p.in->Byte();
          Execute(p, true);
        }
        break;
      case 21: SelectRow(t, p.in->Byte() * 128); break;
      case 22: Execute(p, false); break;
      case 23: {
        const uint8_t b = p.in->Byte();
        FlagBoxesClicked(t, b & 1, b & 2, b & 4, b & 8, b & 16);
        break;
      }
      default: HexKey(t, "0123456789ABCDEF"[k % 24]);
    }
  }
  // An edit voids every entry; otherwise there is one for each STEP or RUN made since.
  if (p.running == 0 && t.history.Size(t) == 0) p.before->clear();
  if (p.running == 0 && t.history.Size(t) != p.before->size())
    fuzz::Fail("step-back entries miscounted");
  Check(t);
}

void Panel::ProcessEvents() {
  if (++passes >= kMaxPasses) {
    RstKey(*t);
    return;
  }
  if (gap-- > 0 || in->Empty()) return;
  Press(*this, in->Byte());
  gap = in->Byte();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Panel view;
  static Trainer t(view, test::NoSleep);
  t.EventSlice = std::chrono::microseconds(0);
  fuzz::Input in{data, size};
  fuzz::Load(t, in);
  std::deque<Machine> before;
  view.t = &t;
  view.in = &in;
  view.before = &before;
  view.passes = view.runs = view.gap = view.running = 0;
  while (!in.Empty()) Press(view, in.Byte());
  fuzz::CheckFlags(t.m);
  fuzz::CheckListing(t.listing);
  // What the input recorded goes with it, so that the next input starts with no entries (and
  // the fuzzer's leak check sees as many frees as allocations).
  t.history.Clear();
  return 0;
}
