// The instruction interpreter: carries out one line of listing text on the machine. It never
// decodes machine code; the text of the mnemonic column is what runs.
//
// A line is split into a mnemonic and two operands, the mnemonic is matched whole and
// case-sensitively against 76 keywords, and the instruction runs with the trainer's own
// flag rules (which deliberately differ from the processor's). Anything else does nothing.
//
// The split and the match give a DecodedLine (decode.h), which is what actually runs. STEP and
// RUN take it from the listing row of the program counter, where it is kept from the row's
// first execution until a text of the row next changes; ExecuteLine decodes the text it is
// given every time. Both then run the same instruction handlers.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/core.h"
#include "interpreter/decode.h"

namespace tamrel {

// The integers are what the instructions work on and are never reset. The texts are the split
// of the last line decoded: STEP and RUN do not split a row's text again while it is unchanged.
struct TCommand {
  int32_t ByteValue = 0;
  int32_t PairValue = 0;
  int32_t PairValue2 = 0;
  std::string Line;
  std::string Mnemonic;
  std::string Operand1;
  std::string Operand2;
};

// Returns the stop indication: true for RST and HLT only.
bool ExecuteLine(Core& c, TCommand& t, std::string_view line);
void SplitLine(TCommand& t);

// How one line of a run ended: the stop indication, and whether it was NOP (which paused).
struct LineEnd {
  bool stop;
  bool paused;
};
// STEP and RUN: the line of the current row (the empty line outside the listing), decoded on
// its row's first execution and kept by the listing until a text of that row changes.
LineEnd ExecuteCurrentLine(Core& c, TCommand& t);

}  // namespace tamrel
