// What the core tells the screen. The window implements it; tests record it. The core never
// reads a view back: every view is a copy of machine state written at fixed moments.
#pragma once

#include <string_view>

#include "machine/machine.h"

namespace tamrel {

class PanelView {
 public:
  virtual ~PanelView() = default;
  virtual void ShowAddress(std::string_view text) = 0;       // Edit1, the address display
  virtual void ShowData(std::string_view text) = 0;          // Edit2, the data display
  virtual void ShowEntry(std::string_view text) = 0;         // Edit3, the entry line
  virtual void ShowRegisters(const TRegisters& r) = 0;       // StringGrid2, column 1
  virtual void ShowFlags(const TFlags& f) = 0;               // CheckBox1..5
  virtual void ShowStackPointer(std::string_view text) = 0;  // Label1
  // Lets pending window events through; RUN calls it between two lines.
  virtual void ProcessEvents() = 0;
};

// A view that shows nothing: for benchmarks and tools that only need the machine.
class NullView : public PanelView {
 public:
  void ShowAddress(std::string_view) override {}
  void ShowData(std::string_view) override {}
  void ShowEntry(std::string_view) override {}
  void ShowRegisters(const TRegisters&) override {}
  void ShowFlags(const TFlags&) override {}
  void ShowStackPointer(std::string_view) override {}
  void ProcessEvents() override {}
};

}  // namespace tamrel
