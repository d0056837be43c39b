// The batch runner's command line, as NUL-separated words: whatever it accepts is a set of
// options the runner can follow, and whatever it refuses comes with a text saying why. Every
// accepted file name is then run (in an empty folder, so it is never found) and its report
// must be one valid JSON object in UTF-8, whatever bytes the name holds; every word also goes
// through the report's text encoding as a code page 1251 text.
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "batch/batch.h"
#include "fuzz_common.h"
#include "machine/text.h"

using namespace tamrel;

namespace {

// The length of the JSON string literal at the start of `s`, or 0 if there is none.
size_t StringLiteral(std::string_view s) {
  if (s.empty() || s[0] != '"') return 0;
  for (size_t k = 1; k < s.size(); ++k) {
    const auto c = static_cast<uint8_t>(s[k]);
    if (c == '"') return k + 1;
    if (c < 0x20) return 0;
    if (c != '\\') continue;
    if (++k == s.size()) return 0;
    if (s[k] == 'u') {
      if (k + 4 >= s.size()) return 0;
      for (size_t i = 1; i <= 4; ++i)
        if (!std::isxdigit(static_cast<unsigned char>(s[k + i]))) return 0;
      k += 4;
    } else if (std::string_view("\"\\/bfnrt").find(s[k]) == std::string_view::npos) {
      return 0;
    }
  }
  return 0;
}

// One JSON object on one line: strings are valid literals, everything between them is the
// punctuation, numbers and words a report uses, and braces balance.
bool IsJsonObject(std::string_view s) {
  if (!IsUtf8(s) || s.size() < 2 || s.front() != '{' || s.back() != '}') return false;
  int depth = 0;
  for (size_t k = 0; k < s.size();) {
    if (s[k] == '"') {
      const size_t n = StringLiteral(s.substr(k));
      if (n == 0) return false;
      k += n;
      continue;
    }
    if (s[k] == '{') ++depth;
    if (s[k] == '}' && --depth < 0) return false;
    if (std::string_view("{}:,0123456789").find(s[k]) == std::string_view::npos) return false;
    ++k;
  }
  return depth == 0;
}

const std::string& EmptyFolder() {
  static const std::string dir = [] {
    std::string tmpl = (std::filesystem::temp_directory_path() / "tamrel-fuzz-XXXXXX").string();
    return std::string(::mkdtemp(tmpl.data()));
  }();
  return dir;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::vector<std::string> args = fuzz::Words(data, size);
  for (const std::string& a : args) {
    const std::string text = JsonString(a);
    if (StringLiteral(text) != text.size() || !IsUtf8(text)) fuzz::Fail("a text is no JSON string");
  }
  BatchOptions o;
  if (const auto err = ParseBatchArgs(args, o)) {
    if (err->empty()) fuzz::Fail("a refusal without a text");
    return 0;
  }
  if (o.help) return 0;
  if (o.files.empty()) fuzz::Fail("accepted with no file");
  if (o.maxLines < 1) fuzz::Fail("a line limit below one");
  if (o.from < 0 || o.from > 0xFFFF) fuzz::Fail("a start address outside 0000-FFFF");
  for (const auto& d : o.dumps)
    if (!InWindow(d.first) || !InWindow(d.last) || d.first > d.last)
      fuzz::Fail("a dump range outside the memory window");
  for (const auto& s : o.settings) {
    static const std::string kNames[] = {"A",  "B",  "C", "D",  "E", "H", "L",
                                         "SP", "CY", "P", "AC", "Z", "S"};
    if (std::find(std::begin(kNames), std::end(kNames), s.name) == std::end(kNames))
      fuzz::Fail("a setting of no register or flag");
  }
  static BatchRunner runner;
  o.files.resize(std::min<size_t>(o.files.size(), 4));  // more only repeat the same paths
  for (std::string name : o.files) {
    std::replace(name.begin(), name.end(), '/', '_');  // never leaves the empty folder
    const BatchReport r = runner.Run(EmptyFolder() + '/' + name, o);
    if (r.status != kBatchFailed) fuzz::Fail("a missing file was run");
    if (!IsJsonObject(r.json)) fuzz::Fail("a report is no JSON object");
  }
  return 0;
}
