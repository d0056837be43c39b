// tamrel-batch's command line: what it may say and how it is read.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tamrel {

struct BatchOptions {
  int32_t from = 0x8200;
  uint64_t maxLines = 10'000'000;
  struct Setting {
    std::string name;  // A B C D E H L SP, or a flag CY P AC Z S
    int32_t value;
  };
  std::vector<Setting> settings;  // in the order given
  struct Range {
    int32_t first, last;
  };
  std::vector<Range> dumps;
  bool realTime = false;
  void (*nopPause)() = nullptr;  // NOP's pause under --real-time; the real 1 ms when null
  bool help = false;
  std::vector<std::string> files;
};

extern const char* const kBatchUsage;

// The command line without the program name. Returns what is wrong with it, if anything.
std::optional<std::string> ParseBatchArgs(const std::vector<std::string>& args, BatchOptions& o);

}  // namespace tamrel
