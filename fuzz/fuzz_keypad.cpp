// Keypad keys, STEP and RUN in any order; a run is stopped by RST after a bounded number of passes.
#include "fuzz_common.h"

using namespace tamrel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static fuzz::BoundedView view;
  static Trainer t(view, test::NoSleep);
  view.t = &t;
  t.EventSlice = std::chrono::microseconds(0);
  fuzz::Input in{data, size};
  fuzz::Load(t, in);
  t.Display = {};
  int runs = 0;
  while (!in.Empty()) {
    const uint8_t k = in.Byte() % 24;
    if (k < 16)
      HexKey(t, "0123456789ABCDEF"[k]);
    else if (k == 16)
      AddrKey(t);
    else if (k == 17)
      MemKey(t);
    else if (k == 18)
      NextKey(t);
    else if (k == 19)
      RstKey(t);
    else if (k == 20 && runs++ < 4)
      RunKey(t);
    else if (k == 21)
      SelectRow(t, in.Byte() * 128);
    else
      StepKey(t);
    if (t.Display.AddrDigits.size() > 4 || t.Display.DataDigits.size() > 2) fuzz::Fail("digits");
    if (t.Display.AddrMode && t.Display.DataMode) fuzz::Fail("both modes");
  }
  fuzz::CheckListing(t.listing);
  return 0;
}
