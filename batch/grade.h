// Grading a class against a lab: the verdict on each student's file, and the reports a teacher
// reads: lines on the terminal, a summary, a CSV table for a spreadsheet and one HTML page.
// Every report is UTF-8; the lab's texts and the core's messages (code page 1251) are
// converted here.
//
//   exit status   0  every program passed
//                 1  some program failed: a wrong result, no stop within the line limit, or a
//                    file that is not a memory image or Intel HEX (too short, a foreign file,
//                    a bad checksum)
//                 2  only: a usage error, an unreadable lab, a FILE that cannot be read at all
//                    (missing, no access) or a folder without images
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "lab/lab.h"

namespace tamrel {

inline constexpr int kGradePassed = 0;
inline constexpr int kGradeFailed = 1;
inline constexpr int kGradeError = 2;

struct GradedFile {
  std::string path;                  // as given or found, bytes of the file system
  std::optional<std::string> error;  // the file did not load: Open's or the import's text
  bool unreachable = false;          // it could not be read at all (missing, no access)
  LabCheck check{};                  // when it loaded
  bool Passed() const { return !error && check.Passed(); }
};

// Whether a file's name ends in `ext` (".hex"), in either case.
bool HasExtension(std::string_view name, std::string_view ext);

// One file on a trainer at its power-up state with every byte 00h: loaded as Open or the
// Intel HEX import loads it (by the name's ending .hex, either case), then checked.
GradedFile GradeFile(Trainer& t, const std::string& path, const Lab& lab);
// The same for a file already read (the web page's grading gets the bytes from the browser).
GradedFile GradeBytes(Trainer& t, const std::string& path, std::string bytes, const Lab& lab);

// Grades file after file on one trainer, brought back to its power-up state before each, so
// that the listing of the power-up state is built once and not once per file.
class Grader {
 public:
  Grader();
  ~Grader();
  Grader(const Grader&) = delete;
  Grader& operator=(const Grader&) = delete;
  GradedFile Grade(const std::string& path, const Lab& lab);
  GradedFile Grade(const std::string& path, std::string bytes, const Lab& lab);

 private:
  struct State;
  std::unique_ptr<State> s_;
};

// Bytes that may or may not be UTF-8 (a file name): well-formed sequences kept, every other
// byte shown as U+FFFD.
std::string Utf8Shown(std::string_view bytes);

// The student's name: the file name without its folder and extension, in UTF-8.
std::string StudentName(const std::string& path);

// "зачтено", "не зачтено" or "файл не читается: " with Open's or the import's text.
std::string GradeVerdict(const GradedFile& f);
// How the run ended and its lines: "HLT, 18 строк", or "не остановилась за N строк".
std::string GradeRunLine(const LabCheck& c);

// The file's lines on the terminal: the verdict with how the run ended, then each expectation
// that failed with the value found.
std::string GradeLines(const GradedFile& f);
// Passed N of M, then the failed ones by reason, most frequent first.
std::string GradeSummary(const std::vector<GradedFile>& files);
// One row per student, a column per expectation (its text as the heading, the value found
// below, "✗ " before it when not met); UTF-8 with a byte-order mark so that spreadsheets keep
// Cyrillic names; cells separated by ';' as spreadsheets in a Russian locale expect; CR LF.
std::string GradeCsv(const std::vector<GradedFile>& files);
// A single page with no outside resources: the lab's title and task, the summary, and the
// table of the CSV with ✓ and ✗.
std::string GradeHtml(const std::vector<GradedFile>& files, const Lab& lab);
int GradeStatus(const std::vector<GradedFile>& files);

}  // namespace tamrel
