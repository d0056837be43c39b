// The opcode table of the 8080's 256 bytes and the two passes that turn the code column
// into mnemonic texts: the full disassembly (start-up, New, Open) and the bounded one that
// decodes from 8200h to a little past a given address (after every other change).
//
//   opcode  40h-7Fh  MOV d, s    (76h HLT)       d = bits 5-3, s = bits 2-0
//           80h-BFh  op s        op = ADD ADC SUB SBB ANA XRA ORA CMP
//           register order        B C D E H L M A
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "listing/listing.h"

namespace tamrel {

struct TComTab {
  uint8_t Length = 1;
  std::string TableText;
};

using ComTable = std::array<TComTab, 256>;

inline constexpr std::string_view kUnassignedText = "     -";

// The constant table; filled on first use.
const ComTable& ComTab();
// First opcode from 00h upwards whose text equals `text` exactly; -1 if none.
int FindOpcode(std::string_view text);
// Whether typing on can still reach an opcode: some table text begins with `text` (the empty
// text included).
bool CanStillMatch(std::string_view text);

void FullDisassembly(Listing& l);
// Decodes from row 1 until eleven instructions ended at `bound` or later, then up to and
// including the next one-byte instruction (or the end of the listing).
void BoundedDisassembly(Listing& l, int64_t bound);

inline constexpr int32_t kStepBound = 0x88B8;
inline constexpr int32_t kRunBound = 0x8CA0;
inline constexpr int32_t kShiftDownBound = 0x9470;

}  // namespace tamrel
