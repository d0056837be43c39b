// Putting a machine into the state a test wants, the way a student would.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string_view>

#include "edit/lineentry.h"

namespace tamrel::test {

// Types each line at consecutive addresses from `addr`, keystroke by keystroke into an empty
// entry line; the PC ends back on `addr`.
void TypeProgram(Core& c, LineEntry& e, int32_t addr,
                 std::initializer_list<std::string_view> lines);

// A flag by its box's name (CY P AC Z S, case-sensitive); an unknown name only repacks F.
void SetFlag(Machine& m, std::string_view name, int value);

}  // namespace tamrel::test
