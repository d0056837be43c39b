// One file run as the RUN key runs it, from a trainer at its power-up values, and its report.
#pragma once

#include <memory>
#include <string>

#include "batch/options.h"

namespace tamrel {

inline constexpr int kBatchStopped = 0;
inline constexpr int kBatchFailed = 2;
inline constexpr int kBatchLimit = 3;

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

}  // namespace tamrel
