// The decoded form of one line: what splitting the text, matching its mnemonic against the 76
// keywords and converting its operands yields, packed into one 64-bit word so that every
// listing row can keep the form of its mnemonic text and STEP and RUN need not read the text
// again. A row that keeps the word 0 has not been decoded since its text last changed.
//
// Decoding is a pure function of the three split texts, so a kept form is exactly as good as
// the text it came from; the listing forgets a row's form whenever a text of that row changes
// (Listing::SetCell, which every writer goes through), and the next execution decodes anew.
//
// Operand names are resolved to codes, hexadecimal texts to their values (0 for a text that is
// not hexadecimal, as HexTextToInt gives), and a line whose operand names nothing is turned
// into the plain program-counter advance it amounts to. Nothing else is decided here: flags,
// registers and memory are read only when the line runs.
//
//   register codes   B=0 C=1 D=2 E=3 H=4 L=5 M=6 A=7   (none: kNoReg)
//   pair codes       B=0 D=1 H=2 SP=3 PSW=4             (none: kNoPair)
#pragma once

#include <cstdint>
#include <string_view>

namespace tamrel {

enum class Op : uint8_t {
  kUndecoded = 0,  // never produced: marks a row whose text has not been decoded
  kNothing,        // no keyword: nothing at all changes
  kAdvance,        // only the program counter moves, by first (IN, OUT, a line naming nothing)
  // data transfer and stack
  kMov,  // first = destination (may be kNoReg), second = source
  kMvi,  // first = register (may be kNoReg), value
  kLxi,  // first = pair (may be kNoPair), value
  kXchg,
  kSphl,
  kLda,  // value = address
  kSta,
  kLhld,
  kShld,
  kXthl,
  kLdax,  // first = pair
  kStax,
  kPush,  // first = pair or PSW
  kPop,
  // arithmetic and logic; first = register, or value for the immediate forms
  kAdd,
  kAdc,
  kSub,
  kSbb,
  kAdi,
  kAci,
  kSui,
  kSbi,
  kInr,
  kDcr,
  kDad,  // first = pair
  kInx,
  kDcx,
  kDaa,
  kAna,
  kXra,
  kOra,
  kAni,
  kXri,
  kOri,
  kCmp,
  kCpi,
  kCmc,
  kStc,
  kCma,
  kRlc,
  kRrc,
  kRal,
  kRar,
  // control transfer; first = condition of the conditional forms, second = monitor routine
  kPchl,
  kJmp,  // value = target
  kJcc,
  kCall,
  kCcc,
  kRet,
  kRcc,
  kRst,
  kHlt,
  kNop,
};

// Conditions of the conditional jumps, calls and returns.
enum Cond : uint8_t { kCondC, kCondNC, kCondZ, kCondNZ, kCondM, kCondP, kCondPE, kCondPO };

// What a call's address text means to the monitor program.
enum Monitor : uint8_t {
  kNoMonitor,    // an ordinary call of the converted address
  kMonitorSkip,  // one of the routines that are stepped over by 3
  kMonitorShow,  // "0294": shows the byte at HL on the data display
};

inline constexpr uint8_t kRegA = 7, kRegM = 6, kNoReg = 8;
inline constexpr uint8_t kPairSP = 3, kPairPSW = 4, kNoPair = 5;

// Packed into one word: the operation in the low byte, then the first and second small operand
// (register, pair, condition, advance, monitor routine), the line's 8080 clock cycles (set by
// the interpreter, see cycles.h), and the 32-bit value in the high half.
class DecodedLine {
 public:
  constexpr DecodedLine() = default;
  constexpr DecodedLine(Op op, uint8_t first = 0, uint8_t second = 0, int32_t value = 0)
      : word_(static_cast<uint64_t>(op) | uint64_t{first} << 8 | uint64_t{second} << 16 |
              uint64_t{static_cast<uint32_t>(value)} << 32) {}
  static constexpr DecodedLine FromWord(uint64_t word) {
    DecodedLine d;
    d.word_ = word;
    return d;
  }

  constexpr uint64_t Word() const { return word_; }  // never 0
  constexpr Op Operation() const { return static_cast<Op>(word_ & 0xFF); }
  constexpr uint8_t First() const { return static_cast<uint8_t>(word_ >> 8); }
  constexpr uint8_t Second() const { return static_cast<uint8_t>(word_ >> 16); }
  constexpr uint8_t Cycles() const { return static_cast<uint8_t>(word_ >> 24); }
  constexpr DecodedLine WithCycles(uint8_t n) const {
    return FromWord((word_ & ~(uint64_t{0xFF} << 24)) | uint64_t{n} << 24);
  }
  constexpr int32_t Value() const {
    return static_cast<int32_t>(static_cast<uint32_t>(word_ >> 32));
  }
  bool operator==(const DecodedLine&) const = default;

 private:
  uint64_t word_ = static_cast<uint64_t>(Op::kNothing);
};

// An 8-bit register name, or M for the memory byte at HL; kNoReg for any other text.
uint8_t RegisterCode(std::string_view name);
// A register pair name, PSW only where PUSH and POP ask for it; kNoPair for any other text.
uint8_t PairCode(std::string_view name, bool psw = false);
// A call's address text, compared whole with the monitor routines' addresses.
Monitor MonitorOf(std::string_view addressText);

// The split texts of a line (see SplitLine) in decoded form.
DecodedLine DecodeLine(std::string_view mnemonic, std::string_view operand1,
                       std::string_view operand2);

}  // namespace tamrel
