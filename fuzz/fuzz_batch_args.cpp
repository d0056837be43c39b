// The batch runner's command line, as NUL-separated words: whatever it accepts is a set of
// options the runner can follow, and whatever it refuses comes with a text saying why.
#include <algorithm>
#include <string>
#include <vector>

#include "batch/batch.h"
#include "fuzz_common.h"

using namespace tamrel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<std::string> args(1);
  for (size_t i = 0; i < size; ++i) {
    if (data[i] == 0)
      args.emplace_back();
    else
      args.back().push_back(static_cast<char>(data[i]));
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
  return 0;
}
