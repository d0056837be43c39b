// Putting a machine into the state a test wants, the way a student would.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string_view>
#include <vector>

#include "edit/lineentry.h"
#include "edit/programtext.h"
#include "panel/trainer.h"

namespace tamrel::test {

// Types each line at consecutive addresses from `addr`, keystroke by keystroke into an empty
// entry line; the PC ends back on `addr`.
void TypeProgram(Core& c, LineEntry& e, int32_t addr,
                 std::initializer_list<std::string_view> lines);

// Enters the lines the program-text reader took the way a user would, from the PC on: each
// instruction typed into an emptied entry line and passed with Enter once per byte, data bytes
// through the keypad (MEM, two digits, NEXT), and a print-out line's code stored at its own
// row, which is then passed (the keypad cannot type every code text a print-out may hold).
// Returns, per row, whether typing left a leftover there that nothing entered later replaced:
// the operand collected for a shorter table text met on the way to a longer one ("INR B"
// matches "IN" first and leaves "RB" in the row after it), which the reader does not store.
std::vector<bool> EnterProgramLines(Trainer& t, const std::vector<ProgramLine>& lines);

// The first row (1..30001) whose memory byte or code text differs between `a` and `b`, rows
// marked in `skip` left out; 0 when there is none.
int64_t FirstDifferentRow(const Core& a, const Core& b, const std::vector<bool>& skip = {});

// A flag by its box's name (CY P AC Z S, case-sensitive); an unknown name only repacks F.
void SetFlag(Machine& m, std::string_view name, int value);

}  // namespace tamrel::test
