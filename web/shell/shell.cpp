#include "web/shell/shell.h"

#include "machine/text.h"

namespace tamrel::web {

bool EntryKey(Trainer& t, FieldKey k, std::string_view fieldText, std::string_view character) {
  switch (k) {
    case FieldKey::Enter: EntryKeyDown(t, tamrel::EntryKey::Enter); return false;
    case FieldKey::Backspace: EntryKeyDown(t, tamrel::EntryKey::Backspace); return true;
    case FieldKey::Other: return true;
    case FieldKey::Character: break;
  }
  const auto ch = Utf8ToCp1251(character);
  const auto before = Utf8ToCp1251(fieldText);
  if (!ch || ch->size() != 1 || !before) return false;  // not a character of the code page
  TypeIntoEntry(t, t.Entry, *before, (*ch)[0]);
  return true;
}

}  // namespace tamrel::web
