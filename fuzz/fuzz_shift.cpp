// Shift down and shift up at any PC: nothing outside the moved block changes.
#include "fuzz_common.h"
#include "listing/shift.h"

using namespace tamrel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::Input in{data, size};
  Trainer& t = fuzz::Loaded(in);
  while (!in.Empty()) {
    const int32_t pc = t.m.PC;
    const Memory before = t.m.Mem;
    const bool down = in.Byte() & 1;
    if (down)
      ShiftDown(t);
    else
      ShiftUp(t);
    for (int64_t a = kMemFirst; a <= kMemLast; ++a) {
      const bool inBlock = InWindow(pc) && a >= pc && a <= int64_t{pc} + 3281;
      if (!inBlock && t.m.Mem.Read(a) != before.Read(a)) fuzz::Fail("byte outside the block");
    }
    if (t.m.PC != pc) fuzz::Fail("PC moved");
    t.m.PC = in.Byte() < 128 ? pc : fuzz::Template().m.PC + in.Byte() * 200;
  }
  fuzz::CheckListing(t.listing);
  return 0;
}
