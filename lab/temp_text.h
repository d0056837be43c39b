// TEMP: UTF-8 to code page 1251 for the labs' texts and messages, until machine/text.h's
// Utf8ToCp1251 is on main and replaces this file (the one converter every shell shares).
#pragma once

#include <string>
#include <string_view>

namespace tamrel {

// Every character code page 1251 has becomes its byte, any other becomes '?', and so does each
// byte of a malformed sequence.
std::string LabUtf8ToCp1251(std::string_view utf8);

}  // namespace tamrel
