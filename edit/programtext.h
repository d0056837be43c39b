// A whole program at once: a text pasted or read from a file, stored as typing it line by line
// would store it. Three kinds of line are read:
//
//   MVI B, 03          an instruction, spelt as the entry line takes it (upper case, the
//   JNZ 8202           operand as two or four upper-case hex digits, high byte first)
//   DB 12, 34          data bytes, from the PC on
//   8200    MVI B, 03       06     a line of the print-out: its code byte at its own address
//
// Blank lines and everything after ';' are left out. Blanks are tidied first (tabs, runs of
// blanks, and blanks around commas become the table's ", "), so "MOV A,B" reads as "MOV A, B".
// The whole text is checked before anything is stored: one line that does not assemble, and
// nothing changes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/core.h"

namespace tamrel {

// One line as the reader took it.
struct ProgramLine {
  enum Kind : uint8_t { kInstruction, kData, kPrintout };
  Kind kind = kInstruction;
  size_t number = 0;               // 1 for the text's first line
  std::string text;                // an instruction as typed: tidied, without its comment
  int32_t addr = 0;                // where its first byte goes
  std::vector<std::string> codes;  // the code texts it stores, from `addr` on
};

// Reads every line of `text` (code page 1251) for a program that starts at `pc`. On a failure
// it returns the message, which names the line ("Строка 3: ..."), and `lines` is left empty.
std::optional<std::string> ReadProgramText(std::string_view text, int32_t pc,
                                           std::vector<ProgramLine>& lines);

// Reads the text and stores every line into memory and the code column, as one edit; the PC
// ends past the last line read and the listing is decoded once. On a failure nothing changes.
std::optional<std::string> PasteProgramText(Core& c, std::string_view text);

}  // namespace tamrel
