// A program text of any bytes pasted at any PC: a text the reader refuses changes nothing at
// all; one it accepts is one edit, stores exactly what entering the same lines by hand stores
// (the leftovers of typing aside, see EnterProgramLines) and leaves the PC where they do.
#include <vector>

#include "edit/programtext.h"
#include "fuzz_common.h"
#include "support/program.h"

using namespace tamrel;

namespace {

// A second trainer in the state `t` had before the paste: the start-up listing, `m`.
Trainer& Typist(const Machine& m) {
  static test::NullView view;
  static Trainer typed(view, test::NoSleep);
  static bool first = true;
  if (first)
    typed.listing = fuzz::Template().listing;
  else
    typed.listing.RestoreChangedRows(fuzz::Template().listing);
  first = false;
  typed.listing.TakeChangedRows();
  typed.m = m;
  typed.Entry = {};
  typed.Display = {};
  return typed;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::Input in{data, size};
  Trainer& t = fuzz::Loaded(in);
  const std::string_view text = in.Rest();
  const Machine before = t.m;
  const uint64_t edits = t.edits;
  std::vector<ProgramLine> lines;
  const bool reads = !ReadProgramText(text, t.m.PC, lines);
  const auto err = PasteProgramText(t, text);
  if (reads == err.has_value()) fuzz::Fail("reading and pasting disagree");
  if (err) {
    if (err->empty()) fuzz::Fail("a failure without a text");
    const Listing::Range r = t.listing.ChangedRows();
    if (!(t.m.Mem == before.Mem) || r.lo <= r.hi || t.m.PC != before.PC || t.edits != edits)
      fuzz::Fail("a refused text changed something");
    return 0;
  }
  if (t.edits != edits + 1) fuzz::Fail("a paste is not one edit");
  fuzz::CheckListing(t.listing);
  fuzz::CheckCodesMatchMemory(t);

  Trainer& typed = Typist(before);
  const std::vector<bool> leftover = test::EnterProgramLines(typed, lines);
  if (test::FirstDifferentRow(t, typed, leftover) != 0)
    fuzz::Fail("the paste stored other than entering the lines by hand");
  if (t.m.PC != typed.m.PC) fuzz::Fail("the paste left the PC elsewhere");
  return 0;
}
