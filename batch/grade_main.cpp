#include "batch/grade_main.h"

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <ostream>
#include <system_error>
#include <thread>

#include "files/disk.h"
#include "machine/text.h"

namespace tamrel {

namespace {

bool TakesValue(const std::string& a) {
  return a == "--from" || a == "--max-lines" || a == "--set" || a == "--dump";
}

std::optional<std::string> WriteReport(const std::string& path, const std::string& bytes) {
  if (const auto f = WriteFileSafely(path, bytes))
    return Utf8Shown(path) + ": " + Cp1251ToUtf8(FileErrorText(f->err, path));
  return std::nullopt;
}

}  // namespace

std::optional<std::string> FindImages(const std::vector<std::string>& args,
                                      std::vector<std::string>& files) {
  namespace fs = std::filesystem;
  // Names are UTF-8 bytes on every system (Windows' own names are wide, and its narrow ones
  // are in a code page that may lack Cyrillic), and found files are named with '/' as given.
  const auto path = [](const std::string& s) {
    return fs::path(std::u8string(s.begin(), s.end()));
  };
  for (const std::string& arg : args) {
    std::error_code ec;
    if (!fs::is_directory(path(arg), ec)) {
      files.push_back(arg);
      continue;
    }
    std::vector<std::string> found;
    const fs::path root = path(arg);
    for (fs::recursive_directory_iterator it(root, ec), end; !ec && it != end; it.increment(ec)) {
      const std::u8string rel = it->path().lexically_relative(root).generic_u8string();
      const std::string name =
          arg + (arg.ends_with('/') ? "" : "/") + std::string(rel.begin(), rel.end());
      if (it->is_regular_file(ec) && (HasExtension(name, ".mem") || HasExtension(name, ".hex")))
        found.push_back(name);
    }
    if (ec)
      return "папка " + Utf8Shown(arg) +
             " не читается: " + Cp1251ToUtf8(FileErrorText(ec.value(), arg));
    if (found.empty()) return "в папке " + Utf8Shown(arg) + " нет файлов .mem и .hex";
    std::sort(found.begin(), found.end());
    files.insert(files.end(), found.begin(), found.end());
  }
  return std::nullopt;
}

std::optional<std::string> TakeGradeArgs(std::vector<std::string>& args, GradeOptions& g) {
  std::vector<std::string> rest;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--") {
      rest.insert(rest.end(), args.begin() + static_cast<ptrdiff_t>(i), args.end());
      break;
    }
    if (a == "--version") {
      g.version = true;
      continue;
    }
    const std::string name = a.substr(0, a.find('='));
    std::string* value = name == "--lab"    ? &g.lab
                         : name == "--csv"  ? &g.csv
                         : name == "--html" ? &g.html
                                            : nullptr;
    if (value == nullptr) {
      const bool runner = TakesValue(name) || a == "--real-time";
      if (runner && g.runnerOption.empty()) g.runnerOption = name;
      rest.push_back(a);
      if (TakesValue(a) && i + 1 < args.size()) rest.push_back(args[++i]);
      continue;
    }
    if (name.size() < a.size())
      *value = a.substr(name.size() + 1);
    else if (i + 1 < args.size())
      *value = args[++i];
    else
      return name + ": нужно имя файла";
    if (value->empty()) return name + ": нужно имя файла";
  }
  args = std::move(rest);
  if (g.lab.empty() && !g.csv.empty()) return std::string("--csv только вместе с --lab");
  if (g.lab.empty() && !g.html.empty()) return std::string("--html только вместе с --lab");
  if (!g.lab.empty() && !g.runnerOption.empty())
    return g.runnerOption +
           " не сочетается с --lab: начальное состояние и предел строк "
           "задаёт задание";
  return std::nullopt;
}

std::vector<GradedFile> GradeFiles(const std::vector<std::string>& files, const Lab& lab,
                                   unsigned workers) {
  std::vector<GradedFile> graded(files.size());
  workers =
      std::clamp<unsigned>(workers, 1, static_cast<unsigned>(std::max<size_t>(files.size(), 1)));
  std::atomic<size_t> next{0};
  const auto work = [&] {
    Grader grader;
    for (size_t i; (i = next++) < files.size();) graded[i] = grader.Grade(files[i], lab);
  };
  std::vector<std::thread> threads;
  for (unsigned w = 1; w < workers; ++w) threads.emplace_back(work);
  work();
  for (auto& th : threads) th.join();
  return graded;
}

int GradeMain(const GradeOptions& g, const std::vector<std::string>& args, std::ostream& out,
              std::ostream& err, unsigned workers) {
  const auto fail = [&](const std::string& what) {
    err << "tamrel-batch: " << what << '\n';
    return kGradeError;
  };
  std::string text;
  if (const auto e = ReadFileBytes(g.lab, text))
    return fail(Utf8Shown(g.lab) + ": " + Cp1251ToUtf8(FileErrorText(*e, g.lab)));
  auto read = ReadLab(text);
  if (const auto* what = std::get_if<std::string>(&read))
    return fail(Utf8Shown(g.lab) + ": " + Cp1251ToUtf8(*what));
  const Lab& lab = std::get<Lab>(read);
  std::vector<std::string> files;
  if (const auto what = FindImages(args, files)) return fail(*what);

  const std::vector<GradedFile> graded = GradeFiles(files, lab, workers);
  for (const GradedFile& f : graded) out << GradeLines(f);
  out << '\n' << GradeSummary(graded);
  out.flush();
  int status = GradeStatus(graded);
  if (!g.csv.empty())
    if (const auto what = WriteReport(g.csv, GradeCsv(graded))) status = fail(*what);
  if (!g.html.empty())
    if (const auto what = WriteReport(g.html, GradeHtml(graded, lab))) status = fail(*what);
  return status;
}

}  // namespace tamrel
