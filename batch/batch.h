// tamrel-batch: runs memory images without a window, for grading a class's programs. Each
// file is loaded into a machine at its power-up values, run from a start address exactly as
// the RUN key runs it, and reported as one JSON object on a line of its own.
//
//   exit status   0  every file stopped on HLT or RST
//                 3  some file reached the line limit (and none failed)
//                 2  some file could not be read, or an option is wrong
//
// The options are read in batch/options.h, each file is run and reported in batch/runner.h,
// and the reports are written with machine/text.h's JSON literals.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "batch/options.h"
#include "batch/runner.h"
#include "machine/text.h"

namespace tamrel {

// Runs every file of `o` on up to `workers` threads and writes the reports in file order;
// returns the exit status.
int RunBatch(const BatchOptions& o, std::ostream& out, unsigned workers);

// The whole program, on as many threads as the machine has cores: reports on `out`, usage and
// option errors on `err`; returns the exit status.
int BatchMain(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace tamrel
