// A trainer that shows nothing anywhere, for runs beside the one on screen: a lab's check on a
// copy of the student's machine, or grading file after file.
#pragma once

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

// Its NOP pauses not at all.
struct QuietTrainer {
  QuietView view;
  Trainer t{view, [] {}};
};

}  // namespace tamrel
