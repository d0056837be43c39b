#include "panel/powerup.h"

namespace tamrel {

namespace {

// The fields PowerUpAgain knows of, in the order of Core and Trainer. A field added to either
// changes its size and stops the build here: reset it in PowerUpAgain (or say there why it
// stays), then add it here.
struct KnownCore {
  Machine m;
  Listing listing;
  PanelView* view;
  void (*sleep1ms)();
  uint64_t edits;
  uint64_t cycles;
};
struct KnownTrainer : KnownCore {
  LineEntry Entry;
  TDisplay Display;
  bool StopRequest;
  TCommand Command;
  std::chrono::microseconds EventSlice;
  History history;
};
static_assert(sizeof(Core) == sizeof(KnownCore) && sizeof(Trainer) == sizeof(KnownTrainer),
              "Trainer has a field PowerUpAgain does not know: a file run after another would "
              "start with what the one before left in it");

}  // namespace

Listing PowerUpWithZeros(Trainer& t) {
  BuildMachine(t, [] { return 0.0; });
  ResetPanel(t);
  t.listing.TakeChangedRows();
  return t.listing;
}

void PowerUpAgain(Trainer& t, const Listing& powerUp) {
  t.listing.RestoreChangedRows(powerUp);
  t.listing.TakeChangedRows();
  t.m = Machine{};  // BuildMachine's, with every byte 00h
  t.view->ShowRegisters(t.m.R);
  // The edit count only ever grows, so that no step back outlives an edit; with no entries
  // left there is nothing it could void.
  t.history.Clear();
  t.cycles = 0;  // only differences are ever shown; a fresh count keeps runs comparable
  t.Entry = LineEntry{};
  t.Display = TDisplay{};
  t.StopRequest = false;
  t.Command = TCommand{};
  ResetPanel(t);
}

}  // namespace tamrel
