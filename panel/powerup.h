// A trainer brought back to its power-up state again and again, for running file after file
// on it (tamrel-batch) without building the 30001-row listing each time.
#pragma once

#include "panel/trainer.h"

namespace tamrel {

// Starts `t` up as the window does, but with every memory byte 00h instead of the random
// fill, and returns that listing for PowerUpAgain.
Listing PowerUpWithZeros(Trainer& t);

// Back to the state PowerUpWithZeros left `t` in, whatever happened since: the machine, the
// listing (only its changed rows are copied back from `powerUp`), the keypad, the line entry,
// the command record, the stop request and the history's entries. What the owner chose stays:
// the view, NOP's pause, the event slice and whether the history records.
void PowerUpAgain(Trainer& t, const Listing& powerUp);

}  // namespace tamrel
