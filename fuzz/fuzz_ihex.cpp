// Intel HEX import from any text: a text that fails changes nothing at all; one that succeeds
// stores exactly the bytes it gives, and exported and imported again into the same machine
// gives the same memory and columns.
#include <vector>

#include "files/ihex.h"
#include "fuzz_common.h"

using namespace tamrel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::Input in{data, size};
  Trainer& t = fuzz::Loaded(in);
  const std::string_view text = in.Rest();
  const Memory before = t.m.Mem;
  std::vector<HexByte> bytes;
  const bool parses = !ParseHex(text, bytes);
  const auto err = ImportHexText(t, text);
  if (parses == err.has_value()) fuzz::Fail("checking and importing disagree");
  if (err) {
    if (err->empty()) fuzz::Fail("a failure without a text");
    const Listing::Range r = t.listing.ChangedRows();
    if (!(t.m.Mem == before) || r.lo <= r.hi) fuzz::Fail("a failed import changed something");
    return 0;
  }
  Memory expected = before;
  for (const HexByte& b : bytes) {
    if (!InWindow(b.addr)) fuzz::Fail("a byte outside the memory window");
    expected.Write(b.addr, b.value);
  }
  if (!(t.m.Mem == expected)) fuzz::Fail("the import stored other bytes than the text gives");
  fuzz::CheckListing(t.listing);
  fuzz::CheckCodesMatchMemory(t);

  // Export and import again into the start-up machine, with F730h (which export leaves out)
  // as it is here.
  static test::NullView view;
  static Trainer again(view, test::NoSleep);
  fuzz::Input none{nullptr, 0};
  fuzz::Load(again, none);
  StoreByte(again, kMemLast, t.m.Mem.Read(kMemLast), t.listing.Code(kLastRow));
  if (ImportHexText(again, ExportHexText(t.listing))) fuzz::Fail("an export does not import");
  if (!(again.m.Mem == t.m.Mem)) fuzz::Fail("the round trip changed memory");
  for (int64_t row = 1; row <= kLastRow; ++row)
    for (int col : {kMnemCol, kCodeCol})
      if (again.listing.Cell(col, row) != t.listing.Cell(col, row))
        fuzz::Fail("the round trip changed a column");
  return 0;
}
