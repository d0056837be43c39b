// What the core tells the screen. The window implements it; tests record it. The core never
// reads a view back: every view is a copy of machine state written at fixed moments.
#pragma once

#include <string_view>

#include "machine/machine.h"

namespace tamrel {

class PanelView {
 public:
  virtual ~PanelView() = default;
  virtual void ShowAddress(std::string_view text) = 0;       // the address display
  virtual void ShowData(std::string_view text) = 0;          // the data display
  virtual void ShowEntry(std::string_view text) = 0;         // the entry line
  virtual void ShowRegisters(const TRegisters& r) = 0;       // the register view
  virtual void ShowFlags(const TFlags& f) = 0;               // the five flag boxes
  virtual void ShowStackPointer(std::string_view text) = 0;  // the stack-pointer label
  // Lets pending window events through; RUN calls it between two lines.
  virtual void ProcessEvents() = 0;
};

}  // namespace tamrel
