#include "panel/history.h"

#include <utility>

#include "machine/numtext.h"
#include "panel/trainer.h"

namespace tamrel {

namespace {

// An entry's variable part is one packed string: small numbers as base-128 varints, memory
// bytes as three bytes each (index low, index high, old value), texts with their length first.
void PutNumber(std::string& out, uint64_t v) {
  while (v >= 0x80) {
    out.push_back(static_cast<char>((v & 0x7F) | 0x80));
    v >>= 7;
  }
  out.push_back(static_cast<char>(v));
}

void PutText(std::string& out, std::string_view s) {
  PutNumber(out, s.size());
  out.append(s);
}

class Unpacker {
 public:
  explicit Unpacker(const std::string& s) : p_(s.data()) {}
  uint8_t Byte() { return static_cast<uint8_t>(*p_++); }
  uint64_t Number() {
    uint64_t v = 0;
    for (int shift = 0;; shift += 7) {
      const uint8_t b = Byte();
      v |= uint64_t{b & 0x7Fu} << shift;
      if (!(b & 0x80)) return v;
    }
  }
  std::string_view Text() {
    const size_t n = Number();
    std::string_view s(p_, n);
    p_ += n;
    return s;
  }

 private:
  const char* p_;
};

// Past this many changed bytes a copy of the whole memory is smaller than the list.
constexpr size_t kImageThreshold = kMemSize / 3;

constexpr size_t kSeenColumn = kLastRow + 1;

}  // namespace

size_t History::Entry::Cost() const {
  static const size_t kInline = std::string().capacity();
  return sizeof(Entry) + (packed.capacity() > kInline ? packed.capacity() + 1 : 0) +
         (image ? sizeof(Memory) : 0);
}

History::History() = default;
History::~History() = default;

void History::Clear() {
  entries_.clear();
  bytes_ = 0;
}

void History::Before(int col, int64_t row, const std::string& old) {
  const size_t k = static_cast<size_t>(col) * kSeenColumn + static_cast<size_t>(row);
  if (seen_[k]) return;
  seen_[k] = 1;
  journal_.push_back({col, row, old});
}

void History::ForgetJournal() {
  for (const OldCell& c : journal_)
    seen_[static_cast<size_t>(c.col) * kSeenColumn + static_cast<size_t>(c.row)] = 0;
  journal_.clear();
}

void History::Begin(Trainer& t) {
  if (depth_++ > 0 || !enabled) return;
  if (t.edits != edits_) {  // edited since the last entry: nothing before is valid
    Clear();
    edits_ = t.edits;
  }
  recording_ = true;
  startEdits_ = t.edits;
  Entry& e = pending_;
  e.r = t.m.R;
  e.flags = t.m.Flags;
  e.pc = t.m.PC;
  e.sp = t.m.SP;
  e.byteValue = t.Command.ByteValue;
  e.pairValue = t.Command.PairValue;
  e.pairValue2 = t.Command.PairValue2;
  e.stopRequest = t.StopRequest;
  e.viewsKept = t.view->TakeShown(shown_);
  e.shownRegisters = shown_.registers;
  e.shownFlags = shown_.flags;
  e.selectedRow = shown_.selectedRow;

  packed_.clear();
  PutText(packed_, t.Command.Line);
  PutText(packed_, t.Command.Mnemonic);
  PutText(packed_, t.Command.Operand1);
  PutText(packed_, t.Command.Operand2);
  if (e.viewsKept) {
    PutText(packed_, shown_.address);
    PutText(packed_, shown_.data);
    PutText(packed_, shown_.entry);
    PutText(packed_, shown_.stackPointer);
  }

  if (!before_) before_ = std::make_unique<Memory>();
  *before_ = t.m.Mem;
  if (seen_.empty()) seen_.resize(3 * kSeenColumn);
  t.listing.journal = this;
}

void History::End(Trainer& t) {
  if (depth_ == 0 || --depth_ > 0 || !recording_) return;
  recording_ = false;
  t.listing.journal = nullptr;
  if (t.edits != startEdits_) {  // the user edited the machine while a RUN went on
    Clear();
    edits_ = t.edits;
    ForgetJournal();
    return;
  }

  Entry& e = pending_;
  const size_t bytesAt = packed_.size();
  e.memCount = 0;
  t.m.Mem.ForEachChange(*before_, [&](int64_t addr, uint8_t old) {
    if (e.memCount > kImageThreshold) return;
    const auto k = static_cast<uint16_t>(addr - kMemFirst);
    packed_.push_back(static_cast<char>(k & 0xFF));
    packed_.push_back(static_cast<char>(k >> 8));
    packed_.push_back(static_cast<char>(old));
    ++e.memCount;
  });
  if (e.memCount > kImageThreshold) {  // most of memory: keep it whole instead
    packed_.resize(bytesAt);
    e.memCount = 0;
    e.image = std::move(before_);  // the next recording makes a new one
  }
  e.cellCount = static_cast<uint32_t>(journal_.size());
  for (const OldCell& c : journal_) {
    packed_.push_back(static_cast<char>(c.col));
    PutNumber(packed_, static_cast<uint64_t>(c.row));
    PutText(packed_, c.text);
  }
  ForgetJournal();
  e.packed = std::string(packed_);  // a copy takes only the room it needs
  Push(std::move(e));
  e = Entry();
}

void History::Push(Entry&& e) {
  bytes_ += e.Cost();
  entries_.push_back(std::move(e));
  if (entries_.size() > kDepth) {
    bytes_ -= entries_.front().Cost();
    entries_.pop_front();
  }
}

bool History::Undo(Trainer& t) {
  if (depth_ > 0) return false;
  if (t.edits != edits_) {
    Clear();
    edits_ = t.edits;
  }
  if (entries_.empty()) return false;
  Entry e = std::move(entries_.back());
  entries_.pop_back();
  bytes_ -= e.Cost();

  Unpacker in(e.packed);
  TCommand& cmd = t.Command;
  cmd.Line = in.Text();
  cmd.Mnemonic = in.Text();
  cmd.Operand1 = in.Text();
  cmd.Operand2 = in.Text();
  ShownViews& v = shown_;
  if (e.viewsKept) {
    v.address = in.Text();
    v.data = in.Text();
    v.entry = in.Text();
    v.stackPointer = in.Text();
  }
  if (e.image) t.m.Mem = *e.image;
  for (uint32_t i = 0; i < e.memCount; ++i) {
    const int lo = in.Byte(), hi = in.Byte();
    const uint8_t old = in.Byte();
    t.m.Mem.Write(kMemFirst + lo + 256 * hi, old);
  }
  for (uint32_t i = 0; i < e.cellCount; ++i) {
    const int col = in.Byte();
    const auto row = static_cast<int64_t>(in.Number());
    t.listing.SetCell(col, row, in.Text());
  }

  // The screen first: putting back the selected row may move PC, which is restored after.
  if (e.viewsKept) {
    v.registers = e.shownRegisters;
    v.flags = e.shownFlags;
    v.selectedRow = e.selectedRow;
    t.view->PutShown(v);
  }
  t.m.R = e.r;
  t.m.Flags = e.flags;
  t.m.PC = e.pc;
  t.m.SP = e.sp;
  cmd.ByteValue = e.byteValue;
  cmd.PairValue = e.pairValue;
  cmd.PairValue2 = e.pairValue2;
  t.StopRequest = e.stopRequest;
  if (!e.viewsKept) {  // a screen that keeps nothing shows the restored machine
    t.view->ShowRegisters(t.m.R);
    t.view->ShowFlags(t.m.Flags);
    RefreshPanel(t);
    t.view->ShowStackPointer(IntToHexText(t.m.SP));
  }
  return true;
}

HistoryScope::HistoryScope(Trainer& t) : t_(t) { t_.history.Begin(t_); }
HistoryScope::~HistoryScope() { t_.history.End(t_); }

}  // namespace tamrel
