// Prints a libFuzzer dictionary of the opcode table: every distinct text, then every distinct
// first word (the interpreter's keyword), quoted, with any byte outside printable ASCII, the
// quote and the backslash written as \xNN. fuzz/dict/opcodes.dict is this program's output.
#include <cstdio>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "listing/opcodes.h"

namespace {

std::string Quoted(std::string_view text) {
  std::string out = "\"";
  for (const char ch : text) {
    const auto b = static_cast<unsigned char>(ch);
    if (b < 0x20 || b > 0x7E || ch == '"' || ch == '\\') {
      char buf[5];
      std::snprintf(buf, sizeof buf, "\\x%02X", b);
      out += buf;
    } else {
      out += ch;
    }
  }
  return out + "\"";
}

}  // namespace

int main() {
  std::vector<std::string> entries;
  std::set<std::string> seen;
  auto add = [&](std::string_view text) {
    if (!text.empty() && seen.emplace(text).second) entries.emplace_back(text);
  };
  for (const tamrel::TComTab& e : tamrel::ComTab()) add(e.TableText);
  for (const tamrel::TComTab& e : tamrel::ComTab())
    add(std::string_view(e.TableText).substr(0, e.TableText.find(' ')));
  std::printf("# The opcode table's texts and keywords; made by fuzz_dict, do not edit.\n");
  for (const std::string& text : entries) std::printf("%s\n", Quoted(text).c_str());
  return 0;
}
