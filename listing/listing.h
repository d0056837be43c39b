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
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "machine/machine.h"

namespace tamrel {

// Row k holds the byte at kMemFirst + k - 1; row 0 is the header.
constexpr int kLastRow = kMemSize;        // F730h
constexpr int kShownRows = kMemSize - 1;  // F72Fh, the last row the window shows

enum Column { kAddrCol = 0, kMnemCol = 1, kCodeCol = 2 };

constexpr int64_t RowOfAddress(int64_t addr) { return addr - (kMemFirst - 1); }
constexpr int64_t AddressOfRow(int64_t row) { return row + (kMemFirst - 1); }

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

  // A word the interpreter keeps per row for the row's mnemonic text (its decoded form). It
  // reads 0 until kept and goes back to 0 whenever SetCell changes a text of the row, so a
  // kept word always belongs to the text the row holds now. Rows outside 0..30001 keep nothing.
  uint64_t LineMemo(int64_t row) const {
    return static_cast<uint64_t>(row) <= kLastRow ? memo_[static_cast<size_t>(row)] : 0;
  }
  void KeepLineMemo(int64_t row, uint64_t word) {
    if (static_cast<uint64_t>(row) <= kLastRow) memo_[static_cast<size_t>(row)] = word;
  }

  void WriteHeader();
  void WriteAddresses();
  // Code texts of the rows of firstAddr..lastAddr (all of memory by default) from its bytes.
  void WriteCodesFrom(const Memory& mem, int64_t firstAddr = kMemFirst,
                      int64_t lastAddr = kMemLast);

  // Breakpoints: one mark per data row (1..30001) kept beside the texts, never in them, so
  // the print-out and Save see nothing of it. A mark's change counts as a change of its row.
  bool Marked(int64_t row) const {
    return row >= 1 && row <= kLastRow && marks_[static_cast<size_t>(row)];
  }
  bool HasMarks() const { return markCount_ != 0; }
  void SetMark(int64_t row, bool on);
  void ClearMarks();
  // The marks of a block that moves by one row with its bytes: down the listing (row lo ends
  // unmarked, hi's own mark is lost) or up (hi ends unmarked, lo's own mark is lost).
  void MoveMarksDown(int64_t lo, int64_t hi);
  void MoveMarksUp(int64_t lo, int64_t hi);

  // The disassembly's progress (listing/opcodes.cpp makes it), so that a pass can begin at
  // the first instruction a change reaches instead of at row 1. Rows 1..DecodedThrough() hold
  // the mnemonics a pass from row 1 writes for the code texts held now, and end where an
  // instruction ends; StartsInstruction tells which of them begin one. SetCell pulls the mark
  // back to before the instruction of any row whose mnemonic or code text changes.
  int64_t DecodedThrough() const { return decoded_; }
  bool StartsInstruction(int64_t row) const {
    return row >= 1 && row <= kLastRow && starts_[static_cast<size_t>(row)];
  }
  // The first row of the decoded instruction holding `row` (1 when none does): instructions
  // are at most three rows long, so it is at most two back.
  int64_t InstructionStart(int64_t row) const {
    if (row < 1) return 1;
    while (row > 1 && !StartsInstruction(row)) --row;
    return row;
  }
  // A pass decoded an instruction of `length` rows at `row`.
  void NoteInstruction(int64_t row, int length);

  // Told a cell's old text just before it changes; the history of STEP and RUN listens here
  // while it records. Null when nobody does.
  class Journal {
   public:
    virtual void Before(int col, int64_t row, const std::string& old) = 0;

   protected:
    ~Journal() = default;
  };
  Journal* journal = nullptr;

  // Rows whose texts changed since the last call, as an inclusive range (empty: lo > hi).
  struct Range {
    int64_t lo, hi;
  };
  Range TakeChangedRows();
  Range ChangedRows() const { return {changedLo_, changedHi_}; }
  // Makes this listing hold what `from` holds, given that the two were the same at the last
  // TakeChangedRows: only the rows changed since are written back, far cheaper than a copy.
  void RestoreChangedRows(const Listing& from);
  // Called when a text changes while no change is pending, so that a screen can schedule
  // one refresh for all the changes that follow.
  std::function<void()> onFirstChange;

 private:
  void Touch(int64_t row) {
    if (changedLo_ > changedHi_ && onFirstChange) onFirstChange();
    if (row < changedLo_) changedLo_ = row;
    if (row > changedHi_) changedHi_ = row;
    changed_[static_cast<size_t>(row) / 64] |= uint64_t{1} << (row % 64);
  }
  std::vector<std::string> cols_[3];
  std::vector<bool> marks_;
  int64_t markCount_ = 0;
  std::vector<uint64_t> memo_;
  std::vector<uint8_t> starts_;
  int64_t decoded_ = 0;
  int64_t changedLo_ = kLastRow + 1, changedHi_ = 0;
  std::vector<uint64_t> changed_;  // one bit a row, for the rows in that range that changed
};

}  // namespace tamrel
