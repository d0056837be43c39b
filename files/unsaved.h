// Whether work would be lost: the code column, read as Save writes it, against what it held at
// the last New, Open, Save, Intel HEX import or export, or program-text open. Typing, the
// keypad, shifts, pastes and STA all change the code column; the flag boxes, the selected row
// and the interpreter's other memory writes do not, and Save would not write them. The two are
// compared only when a shell asks, so editing and running cost nothing for it.
#pragma once

#include <string>

#include "files/memfile.h"

namespace tamrel {

class SavedImage {
 public:
  // What the code column holds now is the work kept in a file from here on.
  void Remember(const Listing& l);
  // Whether Save would now write other bytes than those remembered.
  bool Unsaved(const Listing& l) const;

 private:
  std::string image_ = std::string(kImageSize, '\0');
};

}  // namespace tamrel
