#include "listing/listing.h"

#include <algorithm>
#include <bit>

#include "machine/numtext.h"

namespace tamrel {

namespace {
const std::string kEmpty;
}

Listing::Listing() {
  for (auto& c : cols_) c.resize(kLastRow + 1);
  marks_.resize(kLastRow + 1);
  memo_.resize(kLastRow + 1);
  starts_.resize(kLastRow + 1);
  changed_.resize(kLastRow / 64 + 1);
}

const std::string& Listing::Cell(int col, int64_t row) const {
  if (col < 0 || col > 2 || row < 0 || row > kLastRow) return kEmpty;
  return cols_[col][static_cast<size_t>(row)];
}

void Listing::SetCell(int col, int64_t row, std::string_view text) {
  if (col < 0 || col > 2 || row < 1 || row > kLastRow) return;
  std::string& cell = cols_[col][static_cast<size_t>(row)];
  if (cell == text) return;
  if (journal) journal->Before(col, row, cell);
  cell.assign(text);
  memo_[static_cast<size_t>(row)] = 0;  // what the row kept may belong to its old text
  if (col != kAddrCol && row <= decoded_) {
    // The instruction holding the row, and all after it, must be decoded again.
    decoded_ = InstructionStart(row) - 1;
  }
  Touch(row);
}

void Listing::NoteInstruction(int64_t row, int length) {
  if (row < 1 || row > kLastRow) return;
  starts_[static_cast<size_t>(row)] = 1;
  for (int64_t k = row + 1; k < row + length && k <= kLastRow; ++k)
    starts_[static_cast<size_t>(k)] = 0;
  // Only an instruction that ends in a shown row counts: past it the two passes differ (the
  // full one never clears row 30001).
  if (row == decoded_ + 1 && row + length - 1 <= kShownRows) decoded_ = row + length - 1;
}

void Listing::RestoreChangedRows(const Listing& from) {
  if (changedLo_ > changedHi_) return;  // the same texts, and this listing's own progress holds
  for (int64_t word = changedLo_ / 64; word <= changedHi_ / 64; ++word) {
    for (uint64_t bits = changed_[static_cast<size_t>(word)]; bits != 0; bits &= bits - 1) {
      const int64_t row = word * 64 + std::countr_zero(bits);
      if (row == 0) {
        WriteHeader();
        continue;
      }
      for (int c = kAddrCol; c <= kCodeCol; ++c) SetCell(c, row, from.Cell(c, row));
      SetMark(row, from.Marked(row));
    }
  }
  // The texts are now the same everywhere, so `from`'s progress holds here too.
  starts_ = from.starts_;
  decoded_ = from.decoded_;
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

void Listing::SetMark(int64_t row, bool on) {
  if (row < 1 || row > kLastRow || marks_[static_cast<size_t>(row)] == on) return;
  marks_[static_cast<size_t>(row)] = on;
  markCount_ += on ? 1 : -1;
  Touch(row);
}

void Listing::ClearMarks() {
  for (int64_t row = 1; markCount_ > 0 && row <= kLastRow; ++row) SetMark(row, false);
}

void Listing::MoveMarksDown(int64_t lo, int64_t hi) {
  lo = std::max<int64_t>(lo, 1);
  hi = std::min<int64_t>(hi, kLastRow);
  if (markCount_ == 0 || lo > hi) return;
  for (int64_t row = hi; row > lo; --row) SetMark(row, Marked(row - 1));
  SetMark(lo, false);
}

void Listing::MoveMarksUp(int64_t lo, int64_t hi) {
  lo = std::max<int64_t>(lo, 1);
  hi = std::min<int64_t>(hi, kLastRow);
  if (markCount_ == 0 || lo > hi) return;
  for (int64_t row = lo; row < hi; ++row) SetMark(row, Marked(row + 1));
  SetMark(hi, false);
}

Listing::Range Listing::TakeChangedRows() {
  const Range r{changedLo_, changedHi_};
  if (r.lo <= r.hi)
    std::fill(changed_.begin() + r.lo / 64, changed_.begin() + r.hi / 64 + 1, uint64_t{0});
  changedLo_ = kLastRow + 1;
  changedHi_ = 0;
  return r;
}

}  // namespace tamrel
