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
// The 8080 clock cycles of the line ExecuteCurrentLine just executed at `pc` (cycles.h): the
// row's kept decoded form carries them; a conditional call or return adds its taken time
// when its condition holds (they change no flags, so the flags after tell).
uint8_t CyclesOfLineSlow(const Core& c, int32_t pc);
inline uint8_t CyclesOfLineAt(const Core& c, int32_t pc) {
  if (InWindow(pc)) {
    const uint64_t word = c.listing.LineMemo(RowOfAddress(pc));
    const Op op = DecodedLine::FromWord(word).Operation();
    if (word != 0 && op != Op::kCcc && op != Op::kRcc) return DecodedLine::FromWord(word).Cycles();
  }
  return CyclesOfLineSlow(c, pc);
}
bool ConditionHolds(const TFlags& f, uint8_t cond);

}  // namespace tamrel
