// The history behind "step back". Each STEP and each RUN is one entry that keeps only what it
// changed: the registers, flags, PC, SP and command record from before it, the old values of
// the memory bytes and listing texts it overwrote, and what the screen showed. A RUN that
// rewrote most of memory keeps one image of it instead of a list of bytes.
//
// The user's edits of the machine (Core::edits) void the whole history, so an entry never
// restores memory or texts that were edited after it was made. A STEP or RUN started from
// inside a RUN (RUN lets window events through) belongs to that RUN's entry.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "interpreter/interpreter.h"

namespace tamrel {

struct Trainer;

class History : private Listing::Journal {
 public:
  static constexpr size_t kDepth = 10000;  // entries kept; beyond that the oldest goes

  History();
  ~History();
  History(const History&) = delete;
  History& operator=(const History&) = delete;

  bool enabled = true;  // off: STEP and RUN record nothing

  // The entries a step back can undo now.
  size_t Size(const Core& c) const { return c.edits == edits_ ? entries_.size() : 0; }
  // What the kept entries take, heap included (the working buffers of one recording, about
  // 120 KB once allocated, are not counted).
  size_t Bytes() const { return bytes_; }
  void Clear();

  // Around one STEP or RUN: Begin before it, End after its final refresh of the views.
  void Begin(Trainer& t);
  void End(Trainer& t);
  bool Recording() const { return depth_ > 0; }
  // Undoes the last entry. False when there is none, or while a RUN is going.
  bool Undo(Trainer& t);

 private:
  struct Entry {
    TRegisters r;
    TFlags flags;
    int32_t pc = 0, sp = 0;
    int32_t byteValue = 0, pairValue = 0, pairValue2 = 0;  // the command record's numbers
    bool stopRequest = false;
    bool viewsKept = false;
    TRegisters shownRegisters;
    TFlags shownFlags;
    int64_t selectedRow = 0;
    uint32_t memCount = 0, cellCount = 0;
    std::unique_ptr<Memory> image;  // memory from before, when most of it changed
    std::string packed;             // the command's texts, the views' texts, bytes and cells
    size_t Cost() const;
  };
  struct OldCell {
    int col;
    int64_t row;
    std::string text;
  };
  void Before(int col, int64_t row, const std::string& old) override;
  void Push(Entry&& e);
  void ForgetJournal();

  std::deque<Entry> entries_;
  size_t bytes_ = 0;
  uint64_t edits_ = 0;  // Core::edits when the entries were made
  int depth_ = 0;       // nesting of STEP and RUN
  bool recording_ = false;
  uint64_t startEdits_ = 0;
  // The one recording in progress.
  Entry pending_;
  std::unique_ptr<Memory> before_;  // memory as it was at Begin
  ShownViews shown_;
  std::vector<OldCell> journal_;  // each cell once, with its text from before
  std::vector<uint8_t> seen_;     // per column and row: already in the journal
  std::string packed_;
};

// Records the STEP or RUN in whose scope it lives.
class HistoryScope {
 public:
  explicit HistoryScope(Trainer& t);
  ~HistoryScope();
  HistoryScope(const HistoryScope&) = delete;
  HistoryScope& operator=(const HistoryScope&) = delete;

 private:
  Trainer& t_;
};

}  // namespace tamrel
