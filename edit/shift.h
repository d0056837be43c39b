// Shift down and shift up: move a fixed block of 3281 bytes at the PC by one address, to
// make room for an instruction inside a program or to close a gap. The block is cut at the
// end of memory; with the PC outside memory nothing happens.
#pragma once

#include "core/core.h"

namespace tamrel {

constexpr int32_t kShiftBlock = 3281;         // bytes PC .. PC + 3280 move
constexpr int64_t kShiftDownCodeRows = 4001;  // rows 8200h..91A0h are rewritten whatever the PC

void ShiftDown(Core& c);  // inserts 00h at the PC
void ShiftUp(Core& c);    // removes the byte at the PC

}  // namespace tamrel
