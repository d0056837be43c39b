// tamrel-batch: runs memory images without a window, for grading a class's programs. Each
// file is loaded into a machine at its power-up values, run from a start address exactly as
// the RUN key runs it, and reported as one JSON object on a line of its own.
//
//   exit status   0  every file stopped on HLT or RST
//                 3  some file reached the line limit (and none failed)
//                 2  some file could not be read, or an option is wrong
#pragma once

#include <cstdint>
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tamrel {

inline constexpr int kBatchStopped = 0;
inline constexpr int kBatchFailed = 2;
inline constexpr int kBatchLimit = 3;

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

// One file: its JSON line (without the line end) and how it ended.
struct BatchReport {
  std::string json;
  int status;  // kBatchStopped, kBatchLimit or kBatchFailed
};

// Runs file after file on one trainer, brought back to its power-up state before each, so
// that the 30001-row listing is built once and not once per file.
class BatchRunner {
 public:
  BatchRunner();
  ~BatchRunner();
  BatchRunner(const BatchRunner&) = delete;
  BatchRunner& operator=(const BatchRunner&) = delete;
  BatchReport Run(const std::string& path, const BatchOptions& o);

 private:
  struct State;
  std::unique_ptr<State> s_;
};

// Runs every file of `o` on up to `workers` threads and writes the reports in file order;
// returns the exit status.
int RunBatch(const BatchOptions& o, std::ostream& out, unsigned workers);

// The whole program, on as many threads as the machine has cores: reports on `out`, usage and
// option errors on `err`; returns the exit status.
int BatchMain(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// A JSON string literal of a trainer text (code page 1251), quotes included.
std::string JsonString(std::string_view cp1251);

}  // namespace tamrel
