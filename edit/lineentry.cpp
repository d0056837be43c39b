#include "edit/lineentry.h"

#include "listing/opcodes.h"
#include "machine/numtext.h"

namespace tamrel {

void TypeIntoEntry(Core& c, LineEntry& e, std::string_view textBefore, char k) {
  NoteEdit(c);
  std::string candidate(textBefore);
  candidate.push_back(k);
  const int64_t pc = c.m.PC;

  if (const int op = FindOpcode(candidate); op >= 0) {
    const int len = ComTab()[op].Length;
    e.OperandText.clear();
    e.PendingOperands = len - 1;
    StoreByte(c, pc, static_cast<uint8_t>(op), ByteText(static_cast<uint8_t>(op)));
    c.view->ShowData(ByteText(static_cast<uint8_t>(op)));
    BoundedDisassembly(c.listing, pc);
    return;
  }
  if (e.PendingOperands <= 0 || k == ',' || k == ' ') return;

  e.OperandText.push_back(k);
  if (e.OperandText.size() == 2) {
    // The first pair: the data byte, or the high byte of an address.
    StoreByte(c, pc + e.PendingOperands, static_cast<uint8_t>(HexTextToInt(e.OperandText)),
              e.OperandText);
    BoundedDisassembly(c.listing, pc + 2);
    if (e.PendingOperands == 1) e.PendingOperands = 0;
  }
  if (e.PendingOperands == 2 && e.OperandText.size() == 4) {
    e.OperandText.erase(0, 2);  // the low byte of the address
    StoreByte(c, pc + 1, static_cast<uint8_t>(HexTextToInt(e.OperandText)), e.OperandText);
    BoundedDisassembly(c.listing, pc + 2);
    e.PendingOperands = 0;
  }
}

}  // namespace tamrel
