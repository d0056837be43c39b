// What the core tells the screen. The window implements it; tests record it. The core never
// acts on what a view shows: every view is a copy of machine state written at fixed moments.
// Only stepping back keeps a view's content, to show it again as it was.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "machine/machine.h"

namespace tamrel {

// Everything the screen shows of the machine at one moment.
struct ShownViews {
  std::string address, data, entry, stackPointer;
  TRegisters registers;
  TFlags flags;
  int64_t selectedRow = 0;  // the listing row the user last selected; 0 for none
};

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

  // For stepping back: what the screen shows now (false when it keeps nothing worth showing
  // again; a step back then shows the restored machine afresh), and showing that again.
  virtual bool TakeShown(ShownViews&) const { return false; }
  virtual void PutShown(const ShownViews& s) {
    ShowRegisters(s.registers);
    ShowFlags(s.flags);
    ShowStackPointer(s.stackPointer);
    ShowAddress(s.address);
    ShowData(s.data);
    ShowEntry(s.entry);
  }
};

}  // namespace tamrel
