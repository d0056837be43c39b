// The state one program line or one listing command works on: the machine, its listing and
// the screen it reports to. The trainer's panel builds on it; the interpreter, the line entry,
// the shifts and the memory files take it.
#pragma once

#include <cstdint>
#include <string_view>

#include "core/view.h"
#include "listing/listing.h"
#include "machine/machine.h"

namespace tamrel {

// NOP's pause of one millisecond, as the window runs it.
void RealSleep1ms();

struct Core {
  Machine m;
  Listing listing;
  PanelView* view = nullptr;     // never null once the owner is built
  void (*sleep1ms)() = nullptr;  // NOP's pause; tests put a no-op here
  // Counts the user's edits of the machine (a typed key, a keypad store, a flag box, New,
  // Open, a shift); the STEP and RUN history is void once it moves.
  uint64_t edits = 0;
  // The 8080 clock cycles of the lines STEP and RUN executed; the window shows differences.
  uint64_t cycles = 0;
};

// Every routine that edits the machine for the user says so here; STEP and RUN never do.
inline void NoteEdit(Core& c) { ++c.edits; }

// One byte into memory and its text into the code column; outside the window both are
// dropped. Every store of a byte goes through here.
void StoreByte(Core& c, int64_t addr, uint8_t value, std::string_view codeText);

}  // namespace tamrel
