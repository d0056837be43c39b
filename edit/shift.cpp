#include "edit/shift.h"

#include <algorithm>

#include "listing/opcodes.h"

namespace tamrel {

void ShiftDown(Core& c) {
  const int64_t pc = c.m.PC;
  if (!InWindow(pc)) return;
  Memory& mem = c.m.Mem;
  const int64_t blockEnd = std::min<int64_t>(pc + kShiftBlock, kMemLast);  // last written
  for (int64_t a = blockEnd - 1; a >= pc; --a) mem.Write(a + 1, mem.Read(a));
  mem.Write(pc, 0);
  c.listing.MoveMarksDown(RowOfAddress(pc), RowOfAddress(blockEnd));  // breakpoints move along
  NoteEdit(c);
  // The fixed window at the top of memory, and the moved block itself, so that what runs
  // and what is saved follow the moved bytes wherever the PC was.
  c.listing.WriteCodesFrom(mem, kMemFirst, AddressOfRow(kShiftDownCodeRows));
  c.listing.WriteCodesFrom(mem, pc, blockEnd);
  BoundedDisassembly(c.listing, std::max<int64_t>(kShiftDownBound, pc + kShiftBlock));
}

void ShiftUp(Core& c) {
  const int64_t pc = c.m.PC;
  if (!InWindow(pc)) return;
  Memory& mem = c.m.Mem;
  const int64_t last = std::min<int64_t>(pc + kShiftBlock - 1, kMemLast);
  for (int64_t a = pc; a <= last && a < kMemLast; ++a) mem.Write(a, mem.Read(a + 1));
  c.listing.MoveMarksUp(RowOfAddress(pc), RowOfAddress(std::min<int64_t>(last + 1, kMemLast)));
  NoteEdit(c);
  c.listing.WriteCodesFrom(mem, pc, last);
  BoundedDisassembly(c.listing, pc + kShiftBlock - 1);
}

}  // namespace tamrel
