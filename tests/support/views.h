// Views for code that drives the core without a window: one that shows nothing and one that
// records what the core shows. NOP's pause is off in both kinds of use.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "core/view.h"
#include "panel/quiet.h"

namespace tamrel::test {

inline void NoSleep() {}

using NullView = QuietView;

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
  bool TakeShown(ShownViews& s) const override {
    s = {address, data, entry, stackPointer, registers, flags, 0};
    return true;
  }
};

}  // namespace tamrel::test
