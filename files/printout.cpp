#include "files/printout.h"

#include <algorithm>

namespace tamrel {

std::string PrintoutText(const Listing& l, int32_t pc) {
  const int64_t rows = std::min<int64_t>(RowOfAddress(pc), kLastRow);
  std::string out;
  if (rows > 0) out.reserve(static_cast<size_t>(rows) * 28);
  for (int64_t row = 1; row <= rows; ++row) {
    const std::string& mnem = l.Mnemonic(row);
    out += l.Cell(kAddrCol, row);
    out += "    ";
    out += mnem;
    if (mnem.size() < 16) out.append(16 - mnem.size(), ' ');
    out += l.Code(row);
    out += "\r\n";
  }
  return out;
}

std::optional<std::string> PrintListing(const Listing& l, int32_t pc, const std::string& path,
                                        WriteFn write) {
  const auto f = WriteFileSafely(path, PrintoutText(l, pc), write);
  if (!f) return std::nullopt;
  if (f->stage == WriteFailure::Create) return "Cannot create file " + path;
  return std::string("Stream write error");
}

}  // namespace tamrel
