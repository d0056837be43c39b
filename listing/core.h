// The state one program line or one listing command works on: the machine, its listing and
// the screen it reports to. The trainer's panel builds on it; the interpreter, the line entry
// and the shifts take it.
#pragma once

#include "listing/listing.h"
#include "machine/machine.h"
#include "panel/view.h"

namespace tamrel {

struct Core {
  Machine m;
  Listing listing;
  PanelView* view = nullptr;     // never null once the owner is built
  void (*sleep1ms)() = nullptr;  // NOP's pause; tests put a no-op here
};

}  // namespace tamrel
