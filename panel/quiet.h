// A trainer that shows nothing anywhere, for runs beside the one on screen: a lab's check on a
// copy of the student's machine, or grading file after file.
#pragma once

#include <string>
#include <string_view>
#include <utility>

#include "panel/trainer.h"

namespace tamrel {

struct QuietView : PanelView {
  void ShowAddress(std::string_view) override {}
  void ShowData(std::string_view) override {}
  void ShowEntry(std::string_view) override {}
  void ShowRegisters(const TRegisters&) override {}
  void ShowFlags(const TFlags&) override {}
  void ShowStackPointer(std::string_view) override {}
  void ProcessEvents() override {}
};

// Shows nothing, but keeps what the data display showed as a run ended: RUN blanks it, the
// monitor routine 0294 writes it, and the refresh at the end of the run (one more ShowData, the
// last of the run) overwrites it, so the text before that last one is kept.
struct DataKeepingView : QuietView {
  std::string data, shownBefore;
  void ShowData(std::string_view text) override {
    shownBefore = std::move(data);
    data = text;
  }
};

// Its NOP pauses not at all.
struct QuietTrainer {
  QuietView view;
  Trainer t{view, [] {}};
};

}  // namespace tamrel
