// Shared by the fuzz targets: a trainer in a state taken from the fuzz input, and the
// invariants every operation must keep.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "listing/opcodes.h"
#include "panel/trainer.h"
#include "support/views.h"

namespace tamrel::fuzz {

// Reads the input front to back; past its end every read gives zeros.
struct Input {
  const uint8_t* data;
  size_t size;
  size_t pos = 0;
  uint8_t Byte() { return pos < size ? data[pos++] : 0; }
  int32_t Int32() {
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v = (v << 8) | Byte();
    return static_cast<int32_t>(v);
  }
  bool Empty() const { return pos >= size; }
  std::string_view Rest() {
    std::string_view r(reinterpret_cast<const char*>(data + pos), size - pos);
    pos = size;
    return r;
  }
};

// A view that lets a running program go on for a bounded number of passes, then presses RST.
struct BoundedView : test::NullView {
  Trainer* t = nullptr;
  int passes = 0;
  void ProcessEvents() override {
    if (++passes % 2000 == 0 && t) RstKey(*t);
  }
};

// The machine after start-up, built once; each run starts from a copy of it.
inline const Trainer& Template() {
  static test::NullView view;
  static Trainer* t = [] {
    auto* tr = new Trainer(view, test::NoSleep);
    uint32_t x = 12345;
    BuildMachine(*tr, [&] {
      x = x * 1103515245u + 12345u;
      return (x >> 8) / double(1 << 24);
    });
    ResetPanel(*tr);
    for (int64_t row = 1; row <= kLastRow; ++row)
      if (tr->listing.Code(row).size() != 2) std::abort();
    return tr;
  }();
  return *t;
}

// Copies the start-up machine, then sets registers, flags, PC and SP from the input. PC and SP
// are biased towards the edges of memory, where most trouble lives.
inline void Load(Trainer& t, Input& in) {
  const Trainer& base = Template();
  t.m = base.m;
  // Only the rows the last run changed need restoring (all of them the first time).
  static bool first = true;
  const Listing::Range r = first ? Listing::Range{0, kLastRow} : t.listing.ChangedRows();
  first = false;
  for (int64_t row = r.lo; row <= r.hi; ++row)
    for (int c = 0; c < 3; ++c) t.listing.SetCell(c, row, base.listing.Cell(c, row));
  if (r.lo == 0) t.listing.WriteHeader();
  t.listing.TakeChangedRows();
  t.m.R.A = in.Byte() < 16 ? in.Int32() : in.Byte();
  t.m.R.B = in.Byte();
  t.m.R.C = in.Byte();
  t.m.R.D = in.Byte();
  t.m.R.E = in.Byte();
  t.m.R.H = in.Byte();
  t.m.R.L = in.Byte();
  const uint8_t f = in.Byte();
  t.m.Flags = {uint8_t(f & 1), uint8_t((f >> 1) & 1), uint8_t((f >> 2) & 1), uint8_t((f >> 3) & 1),
               uint8_t((f >> 4) & 1)};
  PackFlags(t.m);
  auto addr = [&in]() -> int32_t {
    switch (in.Byte() % 4) {
      case 0: return 0x8200 + in.Byte();
      case 1: return 0xF730 - in.Byte();
      case 2: return 0xEA5F + static_cast<int8_t>(in.Byte());
      default: return in.Int32();
    }
  };
  t.m.PC = addr();
  t.m.SP = addr();
}

// The one trainer a target works on, reloaded from the input for every run.
inline Trainer& Loaded(Input& in) {
  static test::NullView view;
  static Trainer t(view, test::NoSleep);
  Load(t, in);
  return t;
}

[[noreturn]] inline void Fail(const char* what) {
  std::fprintf(stderr, "invariant broken: %s\n", what);
  std::abort();
}

// Every code text is exactly two characters (rows the run did not touch were checked in the
// start-up machine); the header row is untouched.
inline void CheckListing(const Listing& l) {
  const Listing::Range r = l.ChangedRows();
  for (int64_t row = std::max<int64_t>(r.lo, 1); row <= std::min<int64_t>(r.hi, kLastRow); ++row)
    if (l.Code(row).size() != 2) Fail("a code text is not two characters");
  if (l.Cell(kAddrCol, 0) != kHeaderAddr || l.Cell(kCodeCol, 0) != kHeaderCode)
    Fail("header changed");
  if (!l.Cell(kCodeCol, kLastRow + 1).empty()) Fail("a row past the end has text");
}

}  // namespace tamrel::fuzz
