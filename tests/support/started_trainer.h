// A trainer after start-up with every byte 00h (all NOP), NOP's pause off and window events
// let through before every line of a RUN.
#pragma once

#include <chrono>
#include <initializer_list>
#include <string_view>

#include "panel/trainer.h"
#include "support/program.h"
#include "support/views.h"

namespace tamrel::test {

struct StartedTrainer {
  RecordingView view;
  Trainer t{view, NoSleep};
  StartedTrainer() {
    BuildMachine(t, [] { return 0.0; });
    ResetPanel(t);
    t.EventSlice = std::chrono::microseconds(0);
  }
  void Type(int32_t addr, std::initializer_list<std::string_view> lines) {
    TypeProgram(t, t.Entry, addr, lines);
  }
  bool Exec(std::string_view line) { return ExecuteLine(t, t.Command, line); }
};

}  // namespace tamrel::test
