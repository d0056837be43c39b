#include "batch/grade.h"

#include <algorithm>
#include <cstdint>
#include <utility>

#include "files/disk.h"
#include "files/ihex.h"
#include "files/memfile.h"
#include "machine/text.h"
#include "panel/powerup.h"
#include "panel/quiet.h"

namespace tamrel {

namespace {

std::string U(std::string_view cp1251) { return Cp1251ToUtf8(cp1251); }

}  // namespace

std::string Utf8Shown(std::string_view s) {
  std::string out;
  while (!s.empty()) {
    const size_t n = Utf8Length(s);
    out += n == 0 ? std::string_view("\xEF\xBF\xBD") : s.substr(0, n);
    s.remove_prefix(n == 0 ? 1 : n);
  }
  return out;
}

namespace {

// The reason a student failed, for the summary: a file that did not load; a program that did
// not stop (whatever else it left, which would only repeat that); else each failed expectation.
std::vector<std::string> Reasons(const GradedFile& f) {
  if (f.error) return {"файл не читается"};
  const auto& r = f.check.results;
  if (f.check.end == RunEnd::Limit) return {U(r[0].found)};
  std::vector<std::string> out;
  for (const LabResult& e : r)
    if (!e.met) out.push_back(U(e.text));
  return out;
}

std::string Html(std::string_view s) {
  std::string out;
  for (char ch : s) switch (ch) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\n': out += "<br>"; break;
      default: out.push_back(ch);
    }
  return out;
}

std::string CsvCell(const std::string& s) {
  if (s.find_first_of(";\"\r\n") == std::string::npos) return s;
  std::string out = "\"";
  for (char ch : s) out += ch == '"' ? std::string("\"\"") : std::string(1, ch);
  return out + '"';
}

// The headings of the expectation columns: the lab's own, as its check gives them.
std::vector<std::string> Headings(const std::vector<GradedFile>& files) {
  for (const GradedFile& f : files)
    if (!f.error) {
      std::vector<std::string> h;
      for (const LabResult& r : f.check.results) h.push_back(U(r.text));
      return h;
    }
  return {};
}

}  // namespace

bool HasExtension(std::string_view name, std::string_view ext) {
  if (name.size() < ext.size()) return false;
  for (size_t k = 0; k < ext.size(); ++k) {
    char ch = name[name.size() - ext.size() + k];
    if (ch >= 'A' && ch <= 'Z') ch = static_cast<char>(ch - 'A' + 'a');
    if (ch != ext[k]) return false;
  }
  return true;
}

std::string GradeVerdict(const GradedFile& f) {
  if (f.error) return "файл не читается: " + U(*f.error);
  return f.Passed() ? "зачтено" : "не зачтено";
}

std::string GradeRunLine(const LabCheck& c) {
  std::string end = U(RunEndText(c.end, c.lines));
  if (c.end == RunEnd::Limit) return end;
  return end + ", " + std::to_string(c.lines) + " строк";
}

GradedFile GradeFile(Trainer& t, const std::string& path, const Lab& lab) {
  const bool hex = HasExtension(path, ".hex");
  std::string bytes;
  if (const auto err = ReadFileBytes(path, bytes, hex ? SIZE_MAX : kImageSize)) {
    GradedFile f{path, FileErrorText(*err, path), false, {}};
    f.unreachable = true;  // missing, no access: not the student's file at all
    return f;
  }
  return GradeBytes(t, path, std::move(bytes), lab);
}

GradedFile GradeBytes(Trainer& t, const std::string& path, std::string bytes, const Lab& lab) {
  GradedFile f{path, std::nullopt, false, {}};
  const bool hex = HasExtension(path, ".hex");
  if (hex) {
    f.error = ImportHexText(t, bytes);
  } else {
    // The lab's data goes into the image before it is opened, so that the listing is decoded
    // once and not again by CheckRun's ApplyLabData, which then finds nothing to change.
    for (const LabBytes& d : lab.data)
      for (size_t k = 0; k < d.bytes.size(); ++k)
        if (const size_t at = static_cast<size_t>(d.at - kMemFirst) + k; at < bytes.size())
          bytes[at] = static_cast<char>(d.bytes[k]);
    f.error = OpenImageBytes(t, bytes);
  }
  if (!f.error) f.check = CheckRun(lab, t);
  return f;
}

struct Grader::State : QuietTrainer {
  Listing powerUp = PowerUpWithZeros(t);
};

Grader::Grader() : s_(std::make_unique<State>()) {}
Grader::~Grader() = default;

GradedFile Grader::Grade(const std::string& path, const Lab& lab) {
  PowerUpAgain(s_->t, s_->powerUp);
  return GradeFile(s_->t, path, lab);
}

GradedFile Grader::Grade(const std::string& path, std::string bytes, const Lab& lab) {
  PowerUpAgain(s_->t, s_->powerUp);
  return GradeBytes(s_->t, path, std::move(bytes), lab);
}

#ifdef _WIN32
constexpr const char* kSeparators = "/\\";
#else
constexpr const char* kSeparators = "/";
#endif

std::string StudentName(const std::string& path) {
  std::string name = path.substr(path.find_last_of(kSeparators) + 1);
  const size_t dot = name.find_last_of('.');
  if (dot != std::string::npos && dot > 0) name.resize(dot);
  return Utf8Shown(name);
}

std::string GradeLines(const GradedFile& f) {
  const std::string file = Utf8Shown(f.path);
  if (f.error) return "- " + file + ": " + GradeVerdict(f) + "\n";
  std::string out = (f.Passed() ? "+ " : "- ") + file + ": " + GradeVerdict(f) + " (" +
                    GradeRunLine(f.check) + ")\n";
  for (const LabResult& r : f.check.results)
    if (!r.met) out += "    ✗ " + U(r.text) + " — найдено: " + U(r.found) + "\n";
  return out;
}

std::string GradeSummary(const std::vector<GradedFile>& files) {
  std::vector<std::pair<std::string, size_t>> reasons;  // in order of first appearance
  size_t passed = 0;
  for (const GradedFile& f : files) {
    if (f.Passed()) {
      ++passed;
      continue;
    }
    for (const std::string& why : Reasons(f)) {
      auto it = std::find_if(reasons.begin(), reasons.end(),
                             [&](const auto& r) { return r.first == why; });
      if (it == reasons.end()) it = reasons.insert(reasons.end(), {why, 0});
      ++it->second;
    }
  }
  std::stable_sort(reasons.begin(), reasons.end(),
                   [](const auto& a, const auto& b) { return a.second > b.second; });
  std::string out =
      "Зачтено " + std::to_string(passed) + " из " + std::to_string(files.size()) + ".\n";
  if (passed == files.size()) return out;
  out += "Не зачтено " + std::to_string(files.size() - passed) + ", по причинам:\n";
  for (const auto& [why, n] : reasons) out += "  " + why + ": " + std::to_string(n) + "\n";
  return out;
}

std::string GradeCsv(const std::vector<GradedFile>& files) {
  std::string out = "\xEF\xBB\xBF";  // UTF-8's byte-order mark: spreadsheets then read UTF-8
  out += "ученик;файл;итог;строк;байтов программы";
  // Each cell after the first of a row comes with its separator.
  const auto cell = [&out](const std::string& text) {
    out += ';';
    out += CsvCell(text);
  };
  for (const std::string& h : Headings(files)) cell(h);
  out += "\r\n";
  for (const GradedFile& f : files) {
    out += CsvCell(StudentName(f.path));
    cell(Utf8Shown(f.path));
    cell(GradeVerdict(f));
    if (!f.error) {
      cell(std::to_string(f.check.lines));
      cell(std::to_string(f.check.programBytes));
      for (const LabResult& r : f.check.results) cell(r.met ? U(r.found) : "✗ " + U(r.found));
    }
    out += "\r\n";
  }
  return out;
}

std::string GradeHtml(const std::vector<GradedFile>& files, const Lab& lab) {
  const std::string title = Html(U(lab.title));
  std::string out =
      "<!DOCTYPE html>\n<html lang=\"ru\">\n<head>\n<meta charset=\"utf-8\">\n<title>" + title +
      "</title>\n<style>\n"
      "body{font-family:sans-serif;margin:1.5em;color:#111}\n"
      "table{border-collapse:collapse}\n"
      "th,td{border:1px solid #999;padding:.25em .5em;text-align:left;vertical-align:top}\n"
      "th{background:#eee}\n"
      ".yes{background:#dfd}\n.no{background:#fdd}\n"
      ".task{max-width:50em;white-space:normal}\n"
      "</style>\n</head>\n<body>\n<h1>" +
      title + "</h1>\n<p class=\"task\">" + Html(U(lab.task)) + "</p>\n<h2>Итог</h2>\n<pre>" +
      Html(GradeSummary(files)) +
      "</pre>\n<h2>Ученики</h2>\n<table>\n<thead><tr>"
      "<th scope=\"col\">ученик</th><th scope=\"col\">итог</th>"
      "<th scope=\"col\">строк</th>"
      "<th scope=\"col\">байтов программы</th>";
  const std::vector<std::string> headings = Headings(files);
  for (const std::string& h : headings) out += "<th scope=\"col\">" + Html(h) + "</th>";
  out += "</tr></thead>\n<tbody>\n";
  for (const GradedFile& f : files) {
    out += "<tr><th scope=\"row\" title=\"" + Html(Utf8Shown(f.path)) + "\">" +
           Html(StudentName(f.path)) + "</th><td class=\"" + (f.Passed() ? "yes" : "no") + "\">" +
           Html(GradeVerdict(f)) + "</td>";
    if (!f.error) {
      out += "<td>" + std::to_string(f.check.lines) + "</td><td>" +
             std::to_string(f.check.programBytes) + "</td>";
      for (const LabResult& r : f.check.results)
        out += std::string("<td class=\"") + (r.met ? "yes\">✓&nbsp;" : "no\">✗&nbsp;") +
               Html(U(r.found)) + "</td>";
    } else {
      out += "<td colspan=\"" + std::to_string(headings.size() + 2) + "\"></td>";
    }
    out += "</tr>\n";
  }
  return out + "</tbody>\n</table>\n</body>\n</html>\n";
}

int GradeStatus(const std::vector<GradedFile>& files) {
  int status = kGradePassed;
  for (const GradedFile& f : files) {
    if (f.unreachable) return kGradeError;
    if (!f.Passed()) status = kGradeFailed;
  }
  return status;
}

}  // namespace tamrel
