// The grading page's side of the core: the lab and one student's file after another, each
// graded as `tamrel-batch --lab` grades it (batch/grade.h), and the same reports.
#include "web/shell/lab_binding.h"

#include <emscripten/bind.h>

#include <vector>

#include "batch/grade.h"
#include "machine/text.h"

namespace tamrel::web {

using emscripten::val;

namespace {

val Title(const Lab& lab) {
  val out = val::object();
  out.set("title", Cp1251ToUtf8(lab.title));
  out.set("task", Cp1251ToUtf8(lab.task));
  return out;
}

}  // namespace

std::string FromBytes(const val& array) {
  const auto v = emscripten::convertJSArrayToNumberVector<uint8_t>(array);
  return std::string(v.begin(), v.end());
}

val Bytes(const std::string& b) {
  val out = val::global("Uint8Array").new_(b.size());
  out.call<void>("set", val(emscripten::typed_memory_view(
                            b.size(), reinterpret_cast<const uint8_t*>(b.data()))));
  return out;
}

val LabText(const PageLab& lab) { return lab.Get() ? Title(*lab.Get()) : val::null(); }

val LabCheckLines(const PageLab& lab, const Trainer& t) {
  const auto check = lab.Check(t);
  if (!check) return val::null();
  val lines = val::array();
  for (const CheckLine& l : CheckLines(*check, lab.Get()->maxLines)) {
    val line = val::object();
    line.set("shown", l.shown);
    line.set("spoken", l.spoken);
    lines.call<void>("push", line);
  }
  val out = val::object();
  out.set("passed", check->Passed());
  out.set("lines", lines);
  return out;
}

// A class graded against one lab, a file at a time, so that the page stays responsive between
// two files and shows its progress.
class PageGrader {
 public:
  // The lab's text; null, or what is wrong with it (UTF-8). A new lab starts a new class.
  val setLab(const val& bytes) {
    auto read = ReadLab(FromBytes(bytes));
    if (const auto* err = std::get_if<std::string>(&read)) return val(Cp1251ToUtf8(*err));
    lab_ = std::move(std::get<Lab>(read));
    files_.clear();
    return val::null();
  }
  val labText() const { return lab_ ? Title(*lab_) : val::null(); }
  void clear() { files_.clear(); }
  // One student's file by its name (a folder's files by their path in it), as the batch runner
  // grades it; its row of the table (null before a lab is set).
  val grade(const std::string& path, const val& bytes) {
    if (!lab_) return val::null();
    files_.push_back(grader_.Grade(path, FromBytes(bytes), *lab_));
    const GradedFile& f = files_.back();
    val row = val::object();
    row.set("student", StudentName(f.path));
    row.set("path", Utf8Shown(f.path));
    row.set("passed", f.Passed());
    row.set("verdict", GradeVerdict(f));
    row.set("loaded", !f.error);
    val results = val::array();
    if (!f.error) {
      row.set("run", GradeRunLine(f.check));
      row.set("lines", static_cast<double>(f.check.lines));
      row.set("programBytes", static_cast<double>(f.check.programBytes));
      for (const LabResult& r : f.check.results) {
        val cell = val::object();
        cell.set("text", Cp1251ToUtf8(r.text));
        cell.set("found", Cp1251ToUtf8(r.found));
        cell.set("met", r.met);
        results.call<void>("push", cell);
      }
    }
    row.set("results", results);
    return row;
  }
  std::string summary() const { return GradeSummary(files_); }
  val csv() const { return Bytes(GradeCsv(files_)); }
  val html() const { return lab_ ? Bytes(GradeHtml(files_, *lab_)) : val::null(); }

 private:
  std::optional<Lab> lab_;
  Grader grader_;
  std::vector<GradedFile> files_;
};

EMSCRIPTEN_BINDINGS(tamrel_labs) {
  emscripten::class_<PageGrader>("Grader")
      .constructor<>()
      .function("setLab", &PageGrader::setLab)
      .function("labText", &PageGrader::labText)
      .function("clear", &PageGrader::clear)
      .function("grade", &PageGrader::grade)
      .function("summary", &PageGrader::summary)
      .function("csv", &PageGrader::csv)
      .function("html", &PageGrader::html);
}

}  // namespace tamrel::web
