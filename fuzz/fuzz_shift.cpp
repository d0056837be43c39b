// Shift down and shift up at any PC, with breakpoints on some rows: the block moves by one
// address, nothing outside it changes, the code column follows memory, and each breakpoint
// moves with its byte (the one pushed out of the block's end, or into the PC's place, is
// dropped).
#include <set>

#include "edit/shift.h"
#include "fuzz_common.h"
#include "panel/trainer.h"

using namespace tamrel;

namespace {

// Where the marks in `before` must be after the shift at `pc` (inside the window).
std::set<int64_t> MovedMarks(const std::set<int64_t>& before, int32_t pc, bool down) {
  const int64_t lo = RowOfAddress(pc);
  std::set<int64_t> after;
  if (down) {  // rows lo..end-1 move to lo+1..end; the mark at the block's end is lost
    const int64_t end = RowOfAddress(std::min<int64_t>(int64_t{pc} + kShiftBlock, kMemLast));
    for (int64_t r : before)
      if (r < lo || r > end)
        after.insert(r);
      else if (r < end)
        after.insert(r + 1);
  } else {  // rows lo+1..hi move to lo..hi-1; the mark at the PC is lost
    const int64_t last = std::min<int64_t>(int64_t{pc} + kShiftBlock - 1, kMemLast);
    const int64_t hi = RowOfAddress(std::min<int64_t>(last + 1, kMemLast));
    for (int64_t r : before)
      if (r < lo || r > hi)
        after.insert(r);
      else if (r > lo)
        after.insert(r - 1);
  }
  return after;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::Input in{data, size};
  Trainer& t = fuzz::Loaded(in);
  std::set<int64_t> marks;  // the rows marked now
  while (!in.Empty()) {
    const int32_t pc = t.m.PC;
    const uint8_t op = in.Byte();
    if (op >= 0xF0) {  // a breakpoint at a row near the PC, or near either end of the block
      const int64_t base = (op & 1) ? RowOfAddress(pc) + kShiftBlock : RowOfAddress(pc);
      const int64_t row = base + static_cast<int8_t>(in.Byte()) / 32;
      ToggleBreakpoint(t, row);
      if (row >= 1 && row <= kLastRow && !marks.erase(row)) marks.insert(row);
      continue;
    }
    const Memory before = t.m.Mem;
    const bool down = op & 1;
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
      const std::set<int64_t> expected = MovedMarks(marks, pc, down);
      for (int64_t r : marks)
        if (t.listing.Marked(r) != expected.count(r)) fuzz::Fail("a breakpoint stayed behind");
      for (int64_t r : expected)
        if (!t.listing.Marked(r)) fuzz::Fail("a breakpoint did not move with its byte");
      marks = expected;
    }
    t.m.PC = in.Byte() < 128 ? pc : fuzz::Template().m.PC + in.Byte() * 200;
  }
  fuzz::CheckListing(t.listing);
  fuzz::CheckCodesMatchMemory(t);
  return 0;
}
