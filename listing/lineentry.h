// Keystroke assembly in the entry line: as soon as the text typed so far equals a text of the
// opcode table, the opcode is stored at the PC; hex digits typed after it become the
// instruction's data or address bytes (high byte first, as the listing shows them).
// Every store goes into memory and the code column, then the listing is decoded again.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

#include "listing/core.h"

namespace tamrel {

struct LineEntry {
  int32_t PendingOperands = 0;  // operand bytes still expected: 0, 1 or 2
  std::string OperandText;      // operand characters collected since the last match
};

// A typed character k, given the entry line's text from before the keystroke.
void Edit3KeyPress(Core& c, LineEntry& e, std::string_view textBefore, char k);
// Backspace ends the operand collection; the bytes already stored stay.
inline void Edit3Backspace(LineEntry& e) { e.PendingOperands = 0; }

// Types each line at consecutive addresses from `addr`, keystroke by keystroke into an empty
// entry line, the way a student enters a program; the PC ends back on `addr`.
void TypeProgram(Core& c, LineEntry& e, int32_t addr,
                 std::initializer_list<std::string_view> lines);

// One byte into memory and its text into the code column; outside the window both are dropped.
void StoreByte(Core& c, int64_t addr, uint8_t value, std::string_view codeText);

}  // namespace tamrel
