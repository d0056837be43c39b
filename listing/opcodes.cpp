#include "listing/opcodes.h"

#include <algorithm>
#include <unordered_map>
#include <vector>

#include "machine/numtext.h"

namespace tamrel {

namespace {

constexpr const char* kRegs = "BCDEHLMA";
constexpr const char* kAlu[8] = {"ADD", "ADC", "SUB", "SBB", "ANA", "XRA", "ORA", "CMP"};
constexpr const char* kU = kUnassignedText.data();

// 00h-3Fh and C0h-FFh, eight to a line.
// clang-format off
constexpr const char* kLowQuarter[64] = {
    "NOP", "LXI B",  "STAX B", "INX B",  "INR B", "DCR B", "MVI B", "RLC",
    kU,    "DAD B",  "LDAX B", "DCX B",  "INR C", "DCR C", "MVI C", "RRC",
    kU,    "LXI D",  "STAX D", "INX D",  "INR D", "DCR D", "MVI D", "RAL",
    kU,    "DAD D",  "LDAX D", "DCX D",  "INR E", "DCR E", "MVI E", "RAR",
    kU,    "LXI H",  "SHLD",   "INX H",  "INR H", "DCR H", "MVI H", "DAA",
    kU,    "DAD H",  "LHLD",   "DCX H",  "INR L", "DCR L", "MVI L", "CMA",
    kU,    "LXI SP", "STA",    "INX SP", "INR M", "DCR M", "MVI M", "STC",
    kU,    "DAD SP", "LDA",    "DCX SP", "INR A", "DCR A", "MVI A", "CMC",
};
constexpr const char* kHighQuarter[64] = {
    "RNZ", "POP B",   "JNZ", "JMP",  "CNZ", "PUSH B",   "ADI", "RST 0",
    "RZ",  "RET",     "JZ",  kU,     "CZ",  "CALL",     "ACI", "RST 1",
    "RNC", "POP D",   "JNC", "OUT",  "CNC", "PUSH D",   "SUI", "RST 2",
    "RC",  kU,        "JC",  "IN",   "CC",  kU,         "SBI", "RST 3",
    "RPO", "POP H",   "JPO", "XTHL", "CPO", "PUSH H",   "ANI", "RST 4",
    "RPE", "PCHL",    "JPE", "XCHG", "CPE", kU,         "XRI", "RST 5",
    "RP",  "POP PSW", "JP",  "DI",   "CP",  "PUSH PSW", "ORI", "RST 6",
    "RM",  "SPHL",    "JM",  "EI",   "CM",  kU,         "CPI", "RST 7",
};
// clang-format on

// The length follows from the first word of the text, as the listing's own rule has it.
uint8_t LengthOf(std::string_view text) {
  const std::string_view word = text.substr(0, text.find(' '));
  for (std::string_view w :
       {"MVI", "IN", "OUT", "ADI", "ACI", "SUI", "SBI", "CPI", "ANI", "XRI", "ORI"})
    if (word == w) return 2;
  for (std::string_view w :
       {"LXI", "LDA", "STA",  "LHLD", "SHLD", "JMP", "JC",  "JNC", "JZ", "JNZ", "JM", "JP",
        "JPE", "JPO", "CALL", "CC",   "CNC",  "CZ",  "CNZ", "CM",  "CP", "CPE", "CPO"})
    if (word == w) return 3;
  return 1;
}

ComTable BuildTable() {
  ComTable t;
  for (int op = 0; op < 256; ++op) {
    std::string text;
    if (op < 0x40) {
      text = kLowQuarter[op];
    } else if (op < 0x80) {
      if (op == 0x76) {
        text = "HLT";
      } else {
        text = "MOV ";
        text += kRegs[(op >> 3) & 7];
        text += ", ";
        text += kRegs[op & 7];
      }
    } else if (op < 0xC0) {
      text = kAlu[(op >> 3) & 7];
      text += ' ';
      text += kRegs[op & 7];
    } else {
      text = kHighQuarter[op - 0xC0];
    }
    t[op].Length = LengthOf(text);
    t[op].TableText = std::move(text);
  }
  return t;
}

}  // namespace

const ComTable& ComTab() {
  static const ComTable table = BuildTable();
  return table;
}

int FindOpcode(std::string_view text) {
  // Looked up on every keystroke; a text held by several opcodes keeps the lowest.
  static const std::unordered_map<std::string_view, int> index = [] {
    std::unordered_map<std::string_view, int> m;
    for (int op = 0; op < 256; ++op) m.emplace(ComTab()[op].TableText, op);
    return m;
  }();
  const auto it = index.find(text);
  return it == index.end() ? -1 : it->second;
}

bool CanStillMatch(std::string_view text) {
  static const std::vector<std::string_view> sorted = [] {
    std::vector<std::string_view> v;
    for (const TComTab& e : ComTab()) v.push_back(e.TableText);
    std::sort(v.begin(), v.end());
    return v;
  }();
  // The first text not below `text` is the one that begins with it, if any does.
  const auto it = std::lower_bound(sorted.begin(), sorted.end(), text);
  return it != sorted.end() && it->starts_with(text);
}

namespace {

// Decodes the instruction whose first byte is at `row`; returns its length.
int DecodeAt(Listing& l, int64_t row) {
  const TComTab& e = ComTab()[static_cast<uint8_t>(HexTextToInt(l.Code(row)))];
  if (e.Length == 1) {
    l.SetMnemonic(row, e.TableText);
    return 1;
  }
  // Operand texts are copied as they stand, high byte first; a row past the end reads empty.
  char buf[32];
  size_t n = e.TableText.copy(buf, 16);
  const bool longText = e.TableText.size() > 4;
  if (longText) buf[n++] = ',';
  buf[n++] = ' ';
  auto put = [&](const std::string& s) { n += s.copy(buf + n, std::min<size_t>(s.size(), 6)); };
  if (e.Length == 3) put(l.Code(row + 2));
  put(l.Code(row + 1));
  l.SetMnemonic(row, std::string_view(buf, n));
  return e.Length;
}

// Decodes the instruction at `row` and empties its continuation rows up to `lastRow`.
int DecodeInstruction(Listing& l, int64_t row, int64_t lastRow) {
  const int len = DecodeAt(l, row);
  for (int k = 1; k < len && row + k <= lastRow; ++k) l.SetMnemonic(row + k, {});
  l.NoteInstruction(row, len);
  return len;
}

// Where a pass from row 1 may begin instead: rows already decoded for the codes held now would
// only be written again with the texts they hold. A bounded pass counts instructions that end
// past `limit`, so it never skips one of those.
int64_t FirstRowToDecode(const Listing& l, int64_t limit) {
  return l.InstructionStart(std::min(l.DecodedThrough() + 1, limit));
}

}  // namespace

void FullDisassembly(Listing& l) {
  // Clearing every row first and then decoding leaves the same texts as clearing just the
  // continuation rows on the way, which is all this does. Row 30001 is never cleared.
  for (int64_t row = FirstRowToDecode(l, kShownRows); row <= kShownRows;)
    row += DecodeInstruction(l, row, kShownRows);
}

void BoundedDisassembly(Listing& l, int64_t bound) {
  const int64_t limit = bound - 0x8200;
  int count = 0;
  for (int64_t row = FirstRowToDecode(l, limit);;) {
    const int len = DecodeInstruction(l, row, kLastRow);
    row += len;
    if (row > limit) ++count;
    if (row > kShownRows || (len == 1 && count >= 11)) break;
  }
}

}  // namespace tamrel
