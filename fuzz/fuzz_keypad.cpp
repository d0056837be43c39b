// Keypad keys, STEP, RUN, row selection and the flag boxes in any order. RUN lets window
// events through before every line: the keys that follow in the input are then pressed
// between two lines, each after a gap of lines the input gives, the way a user works the
// panel while a program runs. Once an input has run 1000 lines, RST stops every run.
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
  int gap = 0;  // lines still to run before the next key is pressed
  void ProcessEvents() override;
};

void Check(const Trainer& t) {
  if (t.Display.AddrDigits.size() > 4 || t.Display.DataDigits.size() > 2) fuzz::Fail("digits");
  if (t.Display.AddrMode && t.Display.DataMode) fuzz::Fail("both modes");
}

void Press(Panel& p, uint8_t k) {
  Trainer& t = *p.t;
  switch (k % 24) {
    case 16: AddrKey(t); break;
    case 17: MemKey(t); break;
    case 18: NextKey(t); break;
    case 19: RstKey(t); break;
    case 20:
      if (p.runs++ < kMaxRuns) {
        p.gap = p.in->Byte();
        RunKey(t);
      }
      break;
    case 21: SelectRow(t, p.in->Byte() * 128); break;
    case 22: StepKey(t); break;
    case 23: {
      const uint8_t b = p.in->Byte();
      FlagBoxesClicked(t, b & 1, b & 2, b & 4, b & 8, b & 16);
      break;
    }
    default: HexKey(t, "0123456789ABCDEF"[k % 24]);
  }
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
  view.t = &t;
  view.in = &in;
  view.passes = view.runs = view.gap = 0;
  while (!in.Empty()) Press(view, in.Byte());
  fuzz::CheckFlags(t.m);
  fuzz::CheckListing(t.listing);
  return 0;
}
