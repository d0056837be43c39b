// The listing: one row per byte of the memory window, each with an address text, a
// mnemonic text and a code text. The mnemonic column is what runs; the code column is what
// is saved. Texts are code page 1251 bytes, one char per character.
//
//   row 0       header       "Адрес" | "Мнемоника" | "Код"
//   row 1       8200h
//   row 30000   F72Fh        (the last row the window shows)
//   row 30001   F730h        (held, read and written, never shown)
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "machine/machine.h"

namespace tamrel {

constexpr int kLastRow = 30001;
constexpr int kShownRows = 30000;

enum Column { kAddrCol = 0, kMnemCol = 1, kCodeCol = 2 };

constexpr int64_t RowOfAddress(int64_t addr) { return addr - 0x81FF; }
constexpr int64_t AddressOfRow(int64_t row) { return row + 0x81FF; }

// Header texts, code page 1251.
inline constexpr std::string_view kHeaderAddr = "\xC0\xE4\xF0\xE5\xF1";  // Адрес
inline constexpr std::string_view kHeaderMnem =
    "\xCC\xED\xE5\xEC\xEE\xED\xE8\xEA\xE0";                      // Мнемоника
inline constexpr std::string_view kHeaderCode = "\xCA\xEE\xE4";  // Код

class Listing {
 public:
  Listing();

  // Any row past the last, or before the first, reads as the empty text.
  const std::string& Cell(int col, int64_t row) const;
  // Writes only data rows 1..30001; anything else is dropped.
  void SetCell(int col, int64_t row, std::string_view text);

  const std::string& Code(int64_t row) const { return Cell(kCodeCol, row); }
  const std::string& Mnemonic(int64_t row) const { return Cell(kMnemCol, row); }
  void SetCode(int64_t row, std::string_view t) { SetCell(kCodeCol, row, t); }
  void SetMnemonic(int64_t row, std::string_view t) { SetCell(kMnemCol, row, t); }

  // The row of the program counter; outside the window every column reads empty.
  const std::string& CurrentCell(int col, int32_t pc) const;

  void WriteHeader();
  void WriteAddresses();
  // Code texts of the rows of firstAddr..lastAddr (all of memory by default) from its bytes.
  void WriteCodesFrom(const Memory& mem, int64_t firstAddr = kMemFirst,
                      int64_t lastAddr = kMemLast);

  // Rows whose texts changed since the last call, as an inclusive range (empty: lo > hi).
  struct Range {
    int64_t lo, hi;
  };
  Range TakeChangedRows();
  Range ChangedRows() const { return {changedLo_, changedHi_}; }

 private:
  void Touch(int64_t row) {
    if (row < changedLo_) changedLo_ = row;
    if (row > changedHi_) changedHi_ = row;
  }
  std::vector<std::string> cols_[3];
  int64_t changedLo_ = kLastRow + 1, changedHi_ = 0;
};

}  // namespace tamrel
