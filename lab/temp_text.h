// TEMP: code page 1251 <-> UTF-8 for the labs' texts and the grading reports, until
// machine/text.h (Utf8ToCp1251, Cp1251ToUtf8 and the UTF-8 check) is on main and replaces this
// file: there is to be one converter that every shell shares.
#pragma once

#include <string>
#include <string_view>

namespace tamrel {

// Every character code page 1251 has becomes its byte, any other becomes '?', and so does each
// byte of a malformed sequence.
std::string LabUtf8ToCp1251(std::string_view utf8);
// Every byte as its character (98h, the one unused byte, as U+FFFD).
std::string LabCp1251ToUtf8(std::string_view cp1251);
// Bytes that may or may not be UTF-8 (a file name): well-formed sequences are kept, every other
// byte becomes U+FFFD.
std::string LabBytesToUtf8(std::string_view bytes);

}  // namespace tamrel
