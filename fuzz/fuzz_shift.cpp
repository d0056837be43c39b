// Shift down and shift up at any PC: the block moves by one address, nothing outside it
// changes, and the code column follows memory.
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
    if (t.m.PC != pc) fuzz::Fail("PC moved");
    if (!InWindow(pc)) {
      if (!(t.m.Mem == before)) fuzz::Fail("a shift outside memory changed memory");
    } else {
      const int64_t end = std::min<int64_t>(int64_t{pc} + kShiftBlock, kMemLast);
      if (!fuzz::SameBytes(t.m.Mem, before, kMemFirst, pc - 1) ||
          !fuzz::SameBytes(t.m.Mem, before, end + 1, kMemLast))
        fuzz::Fail("byte outside the block");
      // Down: pc..end-1 moved to pc+1..end, and 00h at pc. Up: pc+1..end moved to pc..end-1,
      // and the byte at end stays.
      const uint8_t* now = fuzz::Bytes(t.m.Mem) + (pc - kMemFirst);
      const uint8_t* was = fuzz::Bytes(before) + (pc - kMemFirst);
      const size_t moved = static_cast<size_t>(end - pc);
      if (down ? (now[0] != 0 || std::memcmp(now + 1, was, moved) != 0)
               : (std::memcmp(now, was + 1, moved) != 0 || now[moved] != was[moved]))
        fuzz::Fail("the block did not move by one");
    }
    t.m.PC = in.Byte() < 128 ? pc : fuzz::Template().m.PC + in.Byte() * 200;
  }
  fuzz::CheckListing(t.listing);
  fuzz::CheckCodesMatchMemory(t);
  return 0;
}
