// Whether work would be lost: exactly the changes Save would write count.
#include "files/unsaved.h"

#include <gtest/gtest.h>

#include <functional>

#include "edit/programtext.h"
#include "edit/shift.h"
#include "support/started_trainer.h"

namespace tamrel {
namespace {

TEST(SavedImage, CountsWhatSaveWouldWriteAndNothingElse) {
  const struct {
    const char* what;
    std::function<void(test::StartedTrainer&)> act;
    bool unsaved;
  } kCases[] = {
      {"nothing", [](auto&) {}, false},
      {"a typed opcode", [](auto& s) { s.Type(0x8203, {"HLT"}); }, true},
      {"a keypad store",
       [](auto& s) {
         MemKey(s.t);
         HexKey(s.t, '3');
         HexKey(s.t, 'E');
       },
       true},
      {"a shift down", [](auto& s) { ShiftDown(s.t); }, true},
      {"a paste", [](auto& s) { ASSERT_FALSE(PasteProgramText(s.t, "DB 01")); }, true},
      {"STA during STEP", [](auto& s) { StepKey(s.t); }, true},
      {"a flag box", [](auto& s) { FlagBoxesClicked(s.t, true, true, true, true, true); }, false},
      {"a row selected", [](auto& s) { SelectRow(s.t, 40); }, false},
      {"MOV M during STEP (memory only)",
       [](auto& s) {
         s.Exec("MVI H, 90");
         s.Exec("MVI A, 42");
         s.Exec("MOV M, A");
       },
       false},
      {"a byte changed and changed back",
       [](auto& s) {
         s.Type(0x8203, {"HLT"});
         s.Type(0x8203, {"NOP"});
       },
       false},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.what);
    test::StartedTrainer s;  // every byte 00h, then STA 9000 at 8200 with A = 42h
    s.Type(0x8200, {"STA 9000"});
    s.t.m.R.A = 0x42;
    SavedImage saved;
    saved.Remember(s.t.listing);
    c.act(s);
    EXPECT_EQ(saved.Unsaved(s.t.listing), c.unsaved);
    saved.Remember(s.t.listing);
    EXPECT_FALSE(saved.Unsaved(s.t.listing));
  }
}

}  // namespace
}  // namespace tamrel
