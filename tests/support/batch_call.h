// tamrel-batch's main called in the test's process: its exit status and what it wrote.
#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "batch/batch.h"

namespace tamrel {

struct Outcome {
  int status;
  std::string out, err;
};

inline Outcome Batch(const std::vector<std::string>& args) {
  std::ostringstream out, err;
  const int status = BatchMain(args, out, err);
  return {status, out.str(), err.str()};
}

}  // namespace tamrel
