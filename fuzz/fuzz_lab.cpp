// Labs from any text: whatever the reader refuses has a message; whatever it accepts is
// checkable. Its data goes into memory exactly (and nothing else does), and a run against it
// within a small line limit gives every expectation once, the stop first, with texts.
#include <algorithm>
#include <variant>

#include "fuzz_common.h"
#include "lab/lab.h"

using namespace tamrel;

namespace {

void CheckRange(const LabBytes& b) {
  if (b.bytes.empty() || !InWindow(b.at) || !InWindow(b.Last()))
    fuzz::Fail("a range outside the memory window");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  auto read = ReadLab(std::string_view(reinterpret_cast<const char*>(data), size));
  if (const auto* err = std::get_if<std::string>(&read)) {
    if (err->empty()) fuzz::Fail("a refusal without a message");
    return 0;
  }
  Lab& lab = std::get<Lab>(read);
  if (lab.title.empty()) fuzz::Fail("a lab without a title");
  if (lab.maxLines < 1 || lab.maxLines > kLabMaxLinesCap) fuzz::Fail("a line limit out of range");
  std::for_each(lab.data.begin(), lab.data.end(), CheckRange);
  std::for_each(lab.memory.begin(), lab.memory.end(), CheckRange);
  lab.maxLines = std::min<uint64_t>(lab.maxLines, 2000);

  fuzz::Input none{nullptr, 0};
  Trainer& t = fuzz::Loaded(none);
  ApplyLabData(t, lab);
  Memory expected = fuzz::Template().m.Mem;
  for (const LabBytes& b : lab.data)
    for (size_t k = 0; k < b.bytes.size(); ++k)
      expected.Write(b.at + static_cast<int64_t>(k), b.bytes[k]);
  if (!(t.m.Mem == expected)) fuzz::Fail("the lab's data went in other than it gives");
  fuzz::CheckListing(t.listing);
  fuzz::CheckCodesMatchMemory(t);

  const LabCheck c = CheckRun(lab, t);
  const size_t count = 1 + lab.registers.size() + lab.flags.size() + lab.memory.size() +
                       lab.display.has_value() + lab.atMostLines.has_value() +
                       lab.atMostBytes.has_value();
  if (c.results.size() != count) fuzz::Fail("not every expectation was checked once");
  if (c.lines > lab.maxLines || (c.end == RunEnd::Limit && c.lines != lab.maxLines))
    fuzz::Fail("the run went past its limit or ended before it");
  if (c.end == RunEnd::Breakpoint || c.end == RunEnd::RstKey)
    fuzz::Fail("a check stopped on a breakpoint or a key");
  const bool stopped =
      lab.stops.empty() ? c.end == RunEnd::Hlt || c.end == RunEnd::Rst
                        : std::find(lab.stops.begin(), lab.stops.end(), c.end) != lab.stops.end();
  if (c.results[0].met != stopped) fuzz::Fail("the stop is checked wrong");
  bool all = true;
  for (const LabResult& r : c.results) {
    if (r.name.empty() || r.text.empty() || r.found.empty()) fuzz::Fail("a result without text");
    all = all && r.met;
  }
  if (c.Passed() != all) fuzz::Fail("passed, but not every expectation is met");
  fuzz::CheckListing(t.listing);
  fuzz::CheckFlags(t.m);
  return 0;
}
