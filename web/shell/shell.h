// What the page does with the core beyond one call per control: the entry line's keys as the
// window takes them, and RUN in slices from the page's event loop. Plain C++: the page's
// binding and the native driver of the differential test both build on it, so the two run
// the same steps.
#pragma once

#include <chrono>
#include <cstdint>
#include <string_view>

#include "panel/trainer.h"

namespace tamrel::web {

// A key pressed in the entry line ("Команда"), as the window takes it. `fieldText` is what the
// field shows before the key, in UTF-8. Returns whether the field itself should still act on
// the key (insert the character, delete for Backspace); a character the trainer's code page
// lacks is ignored.
enum class FieldKey { Enter, Backspace, Character, Other };
bool EntryKey(Trainer& t, FieldKey k, std::string_view fieldText, std::string_view character);

// One RUN from the page's event loop: Begin, then Slice until it says Ended, then Finish;
// between two slices any other key may act (RST stops the run). A NOP's pause comes back as
// SliceEnd::Paused: the page waits its millisecond with a timer.
class Run {
 public:
  explicit Run(Trainer& t) : t_(t) {}
  void Begin(uint64_t maxLines) {
    state_ = BeginRun(t_, maxLines);
    going_ = true;
  }
  SliceEnd Slice(uint64_t lines, std::chrono::nanoseconds time) {
    return RunSlice(t_, state_, lines, time);
  }
  RunResult Finish() {
    going_ = false;
    return FinishRun(t_, state_);
  }
  bool Going() const { return going_; }
  uint64_t Lines() const { return state_.lines; }  // executed so far

 private:
  Trainer& t_;
  RunState state_;
  bool going_ = false;
};

}  // namespace tamrel::web
