#include "interpreter/cycles.h"

#include <array>

namespace tamrel {

namespace {

// Built from the opcode map's regular columns: o = bits 2-0, y = bits 5-3.
constexpr uint8_t Base(int op) {
  const int o = op & 7, y = (op >> 3) & 7;
  const bool odd = (y & 1) != 0;
  if (op < 0x40) {
    switch (o) {
      case 0: return op == 0 ? 4 : 0;              // NOP; the rest unassigned
      case 1: return 10;                           // LXI, DAD
      case 2: return y < 4 ? 7 : y < 6 ? 16 : 13;  // STAX/LDAX, SHLD/LHLD, STA/LDA
      case 3: return 5;                            // INX, DCX
      case 4:
      case 5: return y == 6 ? 10 : 5;  // INR, DCR (M: 10)
      case 6: return y == 6 ? 10 : 7;  // MVI (M: 10)
      default: return 4;               // rotates, DAA, CMA, STC, CMC
    }
  }
  if (op < 0x80) return op == 0x76 ? 7 : (o == 6 || y == 6) ? 7 : 5;  // HLT; MOV
  if (op < 0xC0) return o == 6 ? 7 : 4;                               // ALU r, ALU M
  switch (o) {
    case 0: return 5;  // RET cc, not taken
    case 1:
      if (!odd) return 10;                          // POP
      return op == 0xC9 ? 10 : op == 0xD9 ? 0 : 5;  // RET, unassigned, PCHL and SPHL
    case 2: return 10;                              // Jcc
    case 3:
      switch (op) {
        case 0xC3: return 10;  // JMP
        case 0xD3:
        case 0xDB: return 10;  // OUT, IN
        case 0xE3: return 18;  // XTHL
        case 0xEB:
        case 0xF3:
        case 0xFB: return 4;  // XCHG, DI, EI
        default: return 0;
      }
    case 4: return 11;                               // CALL cc, not taken
    case 5: return !odd ? 11 : op == 0xCD ? 17 : 0;  // PUSH, CALL, unassigned
    case 6: return 7;                                // immediates
    default: return 11;                              // RST
  }
}

constexpr auto kCycles = [] {
  std::array<uint8_t, 256> t{};
  for (int op = 0; op < 256; ++op) t[static_cast<size_t>(op)] = Base(op);
  return t;
}();

// The 8080's condition field (NZ Z NC C PO PE P M) of each of ours.
constexpr int kConditionField[8] = {3, 2, 1, 0, 7, 6, 5, 4};  // C NC Z NZ M P PE PO

int Cc(uint8_t cond) { return cond < 8 ? kConditionField[cond] << 3 : -1; }

// A pair's place in bits 5-4; PUSH and POP put PSW where SP stands elsewhere.
int Rp(uint8_t pair) { return pair == kPairPSW ? 3 << 4 : pair <= kPairSP ? pair << 4 : -1; }

int WithReg(int base, uint8_t r, int shift) { return r < 8 ? base | r << shift : -1; }

int WithPair(int base, uint8_t p) {
  const int rp = Rp(p);
  return rp < 0 ? -1 : base | rp;
}

int WithCond(int base, uint8_t c) {
  const int cc = Cc(c);
  return cc < 0 ? -1 : base | cc;
}

}  // namespace

uint8_t OpcodeCycles(uint8_t opcode, bool taken) {
  const uint8_t n = kCycles[opcode];
  const bool conditional = opcode >= 0xC0 && ((opcode & 7) == 0 || (opcode & 7) == 4);
  return conditional && taken ? n + kTakenExtraCycles : n;
}

int OpcodeOfLine(DecodedLine d) {
  const uint8_t a = d.First(), b = d.Second();
  switch (d.Operation()) {
    case Op::kUndecoded:
    case Op::kNothing: return -1;
    case Op::kAdvance: return a == 2 ? 0xDB : -1;  // IN, OUT; 1: a line naming nothing
    case Op::kMov: return a < 8 && b < 8 ? 0x40 | a << 3 | b : -1;
    case Op::kMvi: return WithReg(0x06, a, 3);
    case Op::kLxi: return a <= kPairSP ? 0x01 | a << 4 : -1;
    case Op::kXchg: return 0xEB;
    case Op::kSphl: return 0xF9;
    case Op::kLda: return 0x3A;
    case Op::kSta: return 0x32;
    case Op::kLhld: return 0x2A;
    case Op::kShld: return 0x22;
    case Op::kXthl: return 0xE3;
    case Op::kLdax: return WithPair(0x0A, a);
    case Op::kStax: return WithPair(0x02, a);
    case Op::kPush: return WithPair(0xC5, a);
    case Op::kPop: return WithPair(0xC1, a);
    case Op::kAdd: return WithReg(0x80, a, 0);
    case Op::kAdc: return WithReg(0x88, a, 0);
    case Op::kSub: return WithReg(0x90, a, 0);
    case Op::kSbb: return WithReg(0x98, a, 0);
    case Op::kAna: return WithReg(0xA0, a, 0);
    case Op::kXra: return WithReg(0xA8, a, 0);
    case Op::kOra: return WithReg(0xB0, a, 0);
    case Op::kCmp: return WithReg(0xB8, a, 0);
    case Op::kAdi: return 0xC6;
    case Op::kAci: return 0xCE;
    case Op::kSui: return 0xD6;
    case Op::kSbi: return 0xDE;
    case Op::kAni: return 0xE6;
    case Op::kXri: return 0xEE;
    case Op::kOri: return 0xF6;
    case Op::kCpi: return 0xFE;
    case Op::kInr: return WithReg(0x04, a, 3);
    case Op::kDcr: return WithReg(0x05, a, 3);
    case Op::kDad: return WithPair(0x09, a);
    case Op::kInx: return WithPair(0x03, a);
    case Op::kDcx: return WithPair(0x0B, a);
    case Op::kDaa: return 0x27;
    case Op::kCmc: return 0x3F;
    case Op::kStc: return 0x37;
    case Op::kCma: return 0x2F;
    case Op::kRlc: return 0x07;
    case Op::kRrc: return 0x0F;
    case Op::kRal: return 0x17;
    case Op::kRar: return 0x1F;
    case Op::kPchl: return 0xE9;
    case Op::kJmp: return 0xC3;
    case Op::kJcc: return WithCond(0xC2, a);
    case Op::kCall: return 0xCD;
    case Op::kCcc: return WithCond(0xC4, a);
    case Op::kRet: return 0xC9;
    case Op::kRcc: return WithCond(0xC0, a);
    case Op::kRst: return 0xC7;
    case Op::kHlt: return 0x76;
    case Op::kNop: return 0x00;
  }
  return -1;
}

uint8_t LineCycles(DecodedLine d) {
  const int op = OpcodeOfLine(d);
  return op < 0 ? 0 : OpcodeCycles(static_cast<uint8_t>(op));
}

}  // namespace tamrel
