// A view that records what the core shows, and a trainer built on it with NOP's pause off.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "listing/opcodes.h"
#include "machine/numtext.h"
#include "panel/trainer.h"

namespace tamrel::test {

struct RecordingView : PanelView {
  std::string address, data, entry, stackPointer;
  TRegisters registers;
  TFlags flags;
  int registerShows = 0, flagShows = 0, eventPasses = 0;
  std::vector<std::string> dataHistory;
  std::function<void()> onEvents;  // what the "user" does when RUN lets events through

  void ShowAddress(std::string_view t) override { address = t; }
  void ShowData(std::string_view t) override {
    data = t;
    dataHistory.emplace_back(t);
  }
  void ShowEntry(std::string_view t) override { entry = t; }
  void ShowRegisters(const TRegisters& r) override {
    registers = r;
    ++registerShows;
  }
  void ShowFlags(const TFlags& f) override {
    flags = f;
    ++flagShows;
  }
  void ShowStackPointer(std::string_view t) override { stackPointer = t; }
  void ProcessEvents() override {
    ++eventPasses;
    if (onEvents) onEvents();
  }
};

inline void NoSleep() {}

// A trainer after start-up with every byte 00h (all NOP), events let through before every line.
struct Bench {
  RecordingView view;
  Trainer t{view, NoSleep};
  Bench() {
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
