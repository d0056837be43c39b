// How long a line would take on the 8080: the processor's clock cycles (T-states) per opcode,
// as its data sheet gives them, and the opcode a decoded line stands for. The trainer runs
// texts, not bytes, so a line's time is that of the opcode whose table text it was decoded
// from; a line that is no instruction (an empty row, an unassigned byte's text, EI, DI) takes
// none. The conditional calls and returns take longer when their condition holds.
//
//   CALL cc  11 / 17 taken     RET cc  5 / 11 taken     Jcc 10 either way
#pragma once

#include <cstdint>

#include "interpreter/decode.h"

namespace tamrel {

// The cycles of an opcode byte; `taken` matters only to the conditional calls and returns.
// The twelve unassigned bytes take 0.
uint8_t OpcodeCycles(uint8_t opcode, bool taken = false);
// What a conditional call or return adds when its condition holds.
inline constexpr uint8_t kTakenExtraCycles = 6;

// The opcode a decoded line is the instruction of; -1 when it is none. Every RST gives C7h and
// IN and OUT give DBh: their times are the same.
int OpcodeOfLine(DecodedLine d);
// The line's cycles with its condition not holding (0 when it is no instruction).
uint8_t LineCycles(DecodedLine d);

}  // namespace tamrel
