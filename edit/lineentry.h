// Keystroke assembly in the entry line: as soon as the text typed so far equals a text of the
// opcode table, the opcode is stored at the PC; hex digits typed after it become the
// instruction's data or address bytes (high byte first, as the listing shows them).
// Every store goes into memory and the code column, then the listing is decoded again.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/core.h"

namespace tamrel {

struct LineEntry {
  int32_t PendingOperands = 0;  // operand bytes still expected: 0, 1 or 2
  std::string OperandText;      // operand characters collected since the last match
};

// A typed character k, given the entry line's text from before the keystroke.
void TypeIntoEntry(Core& c, LineEntry& e, std::string_view textBefore, char k);
// Backspace ends the operand collection; the bytes already stored stay.
inline void EntryBackspace(LineEntry& e) { e.PendingOperands = 0; }

}  // namespace tamrel
