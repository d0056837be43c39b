#include "batch/options.h"

#include <algorithm>
#include <charconv>
#include <string_view>

#include "machine/machine.h"
#include "machine/text.h"
#include "panel/trainer.h"

namespace tamrel {

const char* const kBatchUsage =
    "usage: tamrel-batch [options] FILE...\n"
    "Runs each memory image (.mem, 30000 bytes) or Intel HEX file (.hex) as the RUN key runs\n"
    "it, from a machine at its power-up values, and prints one JSON object per file.\n"
    "  --from ADDR        start address (hex, default 8200)\n"
    "  --max-lines N      stop after N executed lines (default 10000000)\n"
    "  --set NAME=HEX     before running: A B C D E H L SP, or a flag CY P AC Z S (0/1);\n"
    "                     repeatable\n"
    "  --dump FIRST:LAST  add these memory bytes to the report (hex addresses, repeatable)\n"
    "  --real-time        let NOP pause 1 ms as in the window (default: no pause)\n"
    "  --help             show this text\n"
    "Exit status: 0 every file stopped on HLT or RST, 3 some file reached the line limit,\n"
    "2 some file could not be read or an option is wrong.\n";

namespace {

std::optional<std::string> ParseSetting(std::string_view v, BatchOptions& o) {
  const size_t eq = v.find('=');
  if (eq == std::string_view::npos) return "--set wants NAME=HEX, not '" + std::string(v) + "'";
  const std::string name = AsciiUpper(v.substr(0, eq));
  const std::string_view text = v.substr(eq + 1);
  static constexpr std::string_view kRegisters[] = {"A", "B", "C", "D", "E", "H", "L"};
  static constexpr std::string_view kFlags[] = {"CY", "P", "AC", "Z", "S"};
  std::optional<int32_t> value;
  if (std::find(std::begin(kRegisters), std::end(kRegisters), name) != std::end(kRegisters)) {
    value = AnyCaseHexNumber(text, 2);
    if (!value) return "--set " + name + " wants a byte 00..FF, not '" + std::string(text) + "'";
  } else if (name == "SP") {
    value = AnyCaseHexNumber(text, 4);
    if (!value) return "--set SP wants an address 0000..FFFF, not '" + std::string(text) + "'";
  } else if (std::find(std::begin(kFlags), std::end(kFlags), name) != std::end(kFlags)) {
    if (text != "0" && text != "1")
      return "--set " + name + " wants 0 or 1, not '" + std::string(text) + "'";
    value = text == "1";
  } else {
    return "--set: unknown name '" + std::string(v.substr(0, eq)) +
           "' (A B C D E H L SP CY P AC Z S)";
  }
  o.settings.push_back({name, *value});
  return std::nullopt;
}

std::optional<std::string> ParseDump(std::string_view v, BatchOptions& o) {
  const size_t colon = v.find(':');
  const auto first =
      colon == std::string_view::npos ? std::nullopt : AnyCaseHexNumber(v.substr(0, colon), 4);
  const auto last =
      colon == std::string_view::npos ? std::nullopt : AnyCaseHexNumber(v.substr(colon + 1), 4);
  if (!first || !last) return "--dump wants FIRST:LAST in hex, not '" + std::string(v) + "'";
  if (!InWindow(*first) || !InWindow(*last) || *first > *last)
    return "--dump " + std::string(v) + ": the range must lie in 8200..F730, first to last";
  o.dumps.push_back({*first, *last});
  return std::nullopt;
}

std::optional<std::string> ParseOption(std::string_view name, std::string_view v, BatchOptions& o) {
  if (name == "--from") {
    const auto a = AnyCaseHexNumber(v, 4);
    if (!a) return "--from wants an address 0000..FFFF in hex, not '" + std::string(v) + "'";
    o.from = *a;
    return std::nullopt;
  }
  if (name == "--max-lines") {
    uint64_t n = 0;
    const auto [end, ec] = std::from_chars(v.data(), v.data() + v.size(), n);
    if (v.empty() || ec != std::errc() || end != v.data() + v.size() || n == 0 || n == kNoLineLimit)
      return "--max-lines wants a whole number of lines from 1, not '" + std::string(v) + "'";
    o.maxLines = n;
    return std::nullopt;
  }
  if (name == "--set") return ParseSetting(v, o);
  return ParseDump(v, o);
}

}  // namespace

std::optional<std::string> ParseBatchArgs(const std::vector<std::string>& args, BatchOptions& o) {
  bool optionsEnd = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (optionsEnd || a.size() < 2 || a[0] != '-') {
      o.files.push_back(a);
      continue;
    }
    if (a == "--") {
      optionsEnd = true;
      continue;
    }
    if (a == "--help" || a == "-h") {
      o.help = true;
      continue;
    }
    if (a == "--real-time") {
      o.realTime = true;
      continue;
    }
    const size_t eq = a.find('=');
    const std::string name = a.substr(0, eq);
    if (name != "--from" && name != "--max-lines" && name != "--set" && name != "--dump")
      return "unknown option '" + a + "'";
    std::string value;
    if (eq != std::string::npos) {
      value = a.substr(eq + 1);
    } else if (i + 1 < args.size()) {
      value = args[++i];
    } else {
      return name + " wants a value";
    }
    if (auto err = ParseOption(name, value, o)) return err;
  }
  if (!o.help && o.files.empty()) return std::string("no FILE given");
  return std::nullopt;
}

}  // namespace tamrel
