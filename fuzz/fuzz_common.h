// Shared by the fuzz targets: a trainer in a state taken from the fuzz input, and the
// invariants every operation must keep.
//
// The machine after start-up (30001 rows, random fill, full disassembly) is built once. Each
// input starts from it again: the memory is copied back whole (30 KB), and only the listing
// rows the previous input changed are written back, so an input costs what it does, not what
// start-up does. The listing keeps how far it is decoded, so a keystroke decodes only from the
// row it changed.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "listing/opcodes.h"
#include "machine/numtext.h"
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

// The input's bytes split at each NUL byte: one word more than it holds NULs.
inline std::vector<std::string> Words(const uint8_t* data, size_t size) {
  std::vector<std::string> words(1);
  for (size_t k = 0; k < size; ++k) {
    if (data[k] == 0)
      words.emplace_back();
    else
      words.back().push_back(static_cast<char>(data[k]));
  }
  return words;
}

[[noreturn]] inline void Fail(const char* what) {
  std::fprintf(stderr, "invariant broken: %s\n", what);
  std::abort();
}

// The memory's bytes in address order, for comparing whole ranges at once.
inline const uint8_t* Bytes(const Memory& m) {
  static_assert(std::is_trivially_copyable_v<Memory> && sizeof(Memory) == kMemSize);
  return reinterpret_cast<const uint8_t*>(&m);
}

// Whether two memories hold the same bytes at first..last (clipped to the window).
inline bool SameBytes(const Memory& a, const Memory& b, int64_t first, int64_t last) {
  first = std::max<int64_t>(first, kMemFirst);
  last = std::min<int64_t>(last, kMemLast);
  if (first > last) return true;
  return std::memcmp(Bytes(a) + (first - kMemFirst), Bytes(b) + (first - kMemFirst),
                     static_cast<size_t>(last - first + 1)) == 0;
}

// The machine after start-up, built once; each run starts from it again.
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
      if (tr->listing.Code(row) != ByteText(tr->m.Mem.Read(AddressOfRow(row))))
        Fail("start-up codes differ from memory");
    tr->listing.TakeChangedRows();
    return tr;
  }();
  return *t;
}

// Puts the start-up machine back into `t`, then sets registers, flags, PC and SP from the
// input. PC and SP are biased towards the edges of memory, where most trouble lives.
inline void Load(Trainer& t, Input& in) {
  const Trainer& base = Template();
  t.m = base.m;
  // Only the rows the last run changed need restoring (all of them the first time).
  static bool first = true;
  if (first)
    t.listing = base.listing;
  else
    t.listing.RestoreChangedRows(base.listing);
  first = false;
  t.listing.TakeChangedRows();
  // Within an input these carry over from one line or key to the next, as in the program;
  // between inputs nothing may, or a finding would depend on the input before it.
  t.Command = {};
  t.Entry = {};
  t.Display = {};
  t.StopRequest = false;
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
      case 2: return 0xEA5F + static_cast<int8_t>(in.Byte());  // a shift block's end at F730h
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

// Over the rows the run changed: every code text is exactly two characters and no address
// text moved (rows the run did not touch were checked in the start-up machine); the header
// row is untouched and nothing is written past the last row.
inline void CheckListing(const Listing& l) {
  const Listing& base = Template().listing;
  const Listing::Range r = l.ChangedRows();
  for (int64_t row = std::max<int64_t>(r.lo, 1); row <= std::min<int64_t>(r.hi, kLastRow); ++row) {
    if (l.Code(row).size() != 2) Fail("a code text is not two characters");
    if (l.Cell(kAddrCol, row) != base.Cell(kAddrCol, row)) Fail("an address text changed");
  }
  if (l.Cell(kAddrCol, 0) != kHeaderAddr || l.Cell(kMnemCol, 0) != kHeaderMnem ||
      l.Cell(kCodeCol, 0) != kHeaderCode)
    Fail("header changed");
  if (!l.Cell(kCodeCol, kLastRow + 1).empty()) Fail("a row past the end has text");
}

// Each flag is 0 or 1 and F is their packing (S Z 0 AC 0 P 1 CY): F is never state of its own.
inline void CheckFlags(const Machine& m) {
  const TFlags& f = m.Flags;
  if ((f.CY | f.P | f.AC | f.Z | f.S) > 1) Fail("a flag is neither 0 nor 1");
  if (m.R.F != (f.S << 7 | f.Z << 6 | f.AC << 4 | f.P << 2 | 2 | f.CY)) Fail("F is not the flags");
}

// Over the rows the run changed, each code text reads as its memory byte (a text that is not
// hexadecimal, which line entry may store as typed, reads as 0): for runs that write both
// copies (line entry, keypad stores, shifts, Open), never the interpreter, which may not.
inline void CheckCodesMatchMemory(const Trainer& t) {
  const Listing::Range r = t.listing.ChangedRows();
  for (int64_t row = std::max<int64_t>(r.lo, 1); row <= std::min<int64_t>(r.hi, kLastRow); ++row)
    if (HexTextToInt(t.listing.Code(row)) != t.m.Mem.Read(AddressOfRow(row)))
      Fail("a code text differs from its memory byte");
}

}  // namespace tamrel::fuzz
