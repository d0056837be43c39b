// tamrel-batch --lab: grading a class. The lab's options are taken off the command line before
// the runner's own are read, so the JSON runner's options and reports stay as they are; with a
// lab, the start state and the line limit are the lab's, and the reports are batch/grade.h's.
#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "batch/grade.h"

namespace tamrel {

// FILE arguments as a list of files: a folder stands for every .mem and .hex file in it and
// its subfolders (either case), in name order; anything else is taken as it is. Returns what
// is wrong (UTF-8): a folder without such files, or one that cannot be read.
std::optional<std::string> FindImages(const std::vector<std::string>& args,
                                      std::vector<std::string>& files);

struct GradeOptions {
  std::string lab, csv, html;  // file names; `lab` empty: no grading
  bool version = false;
  std::string runnerOption;  // the first of the runner's own options seen, which a lab replaces
};

// Takes --lab FILE, --csv FILE, --html FILE (or --lab=FILE ...) and --version out of `args`,
// leaving every other word, and the value after the runner's options that take one, as it
// was; nothing after "--" is taken. Returns what is wrong, if anything.
std::optional<std::string> TakeGradeArgs(std::vector<std::string>& args, GradeOptions& g);

// Grades every file on up to `workers` threads (a trainer each), in the files' order.
std::vector<GradedFile> GradeFiles(const std::vector<std::string>& files, const Lab& lab,
                                   unsigned workers);

// Reads the lab, finds the images in `args` (files and folders), grades them and writes the
// reports: each file's lines and the summary on `out`, the CSV and the page to their files,
// what keeps grading from starting on `err`. Returns the exit status (batch/grade.h).
int GradeMain(const GradeOptions& g, const std::vector<std::string>& args, std::ostream& out,
              std::ostream& err, unsigned workers);

}  // namespace tamrel
