#include "listing/listing.h"

#include "machine/numtext.h"

namespace tamrel {

namespace {
const std::string kEmpty;
}

Listing::Listing() {
  for (auto& c : cols_) c.resize(kLastRow + 1);
  memo_.resize(kLastRow + 1);
}

const std::string& Listing::Cell(int col, int64_t row) const {
  if (col < 0 || col > 2 || row < 0 || row > kLastRow) return kEmpty;
  return cols_[col][static_cast<size_t>(row)];
}

void Listing::SetCell(int col, int64_t row, std::string_view text) {
  if (col < 0 || col > 2 || row < 1 || row > kLastRow) return;
  std::string& cell = cols_[col][static_cast<size_t>(row)];
  if (cell == text) return;
  cell.assign(text);
  memo_[static_cast<size_t>(row)] = 0;  // what the row kept may belong to its old text
  Touch(row);
}

const std::string& Listing::CurrentCell(int col, int32_t pc) const {
  if (!InWindow(pc)) return kEmpty;
  return Cell(col, RowOfAddress(pc));
}

void Listing::WriteHeader() {
  cols_[kAddrCol][0] = kHeaderAddr;
  cols_[kMnemCol][0] = kHeaderMnem;
  memo_[0] = 0;
  cols_[kCodeCol][0] = kHeaderCode;
  Touch(0);
}

void Listing::WriteAddresses() {
  for (int64_t row = 1; row <= kLastRow; ++row)
    SetCell(kAddrCol, row, IntToHexText(static_cast<int32_t>(AddressOfRow(row))));
}

void Listing::WriteCodesFrom(const Memory& mem, int64_t firstAddr, int64_t lastAddr) {
  for (int64_t a = firstAddr; a <= lastAddr; ++a) SetCode(RowOfAddress(a), ByteText(mem.Read(a)));
}

Listing::Range Listing::TakeChangedRows() {
  const Range r{changedLo_, changedHi_};
  changedLo_ = kLastRow + 1;
  changedHi_ = 0;
  return r;
}

}  // namespace tamrel
