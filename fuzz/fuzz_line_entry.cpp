// A stream of typed characters, Backspaces and Enters into the entry line, at any PC.
#include <string>

#include "fuzz_common.h"

using namespace tamrel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::Input in{data, size};
  Trainer& t = fuzz::Loaded(in);
  std::string field;  // what the entry line holds
  while (!in.Empty()) {
    const uint8_t k = in.Byte();
    if (k == 0x08) {
      EntryKeyDown(t, EntryKey::Backspace);
      if (!field.empty()) field.pop_back();
    } else if (k == 0x0D) {
      EntryKeyDown(t, EntryKey::Enter);
      field = CurrentLine(t);
    } else if (k == 0x7F) {
      field.clear();  // the user selects everything and deletes it
    } else {
      TypeIntoEntry(t, t.Entry, field, static_cast<char>(k));
      field.push_back(static_cast<char>(k));
    }
    if (t.Entry.PendingOperands < 0 || t.Entry.PendingOperands > 2) fuzz::Fail("pending count");
  }
  fuzz::CheckListing(t.listing);
  fuzz::CheckCodesMatchMemory(t);
  return 0;
}
