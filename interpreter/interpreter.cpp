#include "interpreter/interpreter.h"

#include <array>
#include <charconv>

#include "interpreter/cycles.h"
#include "machine/numtext.h"

namespace tamrel {

namespace {

// Every instruction is a handler of its own, reached through one switch on the operation of
// the decoded line: compilers make it a jump table and inline the handlers into it (in
// WebAssembly that is twice as fast as calling through a table of functions), and each
// handler saves only what it uses. Flags are written field by field and F is packed once when an
// instruction is done, which leaves the same F as packing after each change (SetFlag) would.

constexpr LineEnd kGoOn{false, false};
constexpr LineEnd kStop{true, false};

int32_t HL(const Machine& m) { return m.R.H * 256 + m.R.L; }

LineEnd Advance(Machine& m, int32_t n) {
  m.PC = AddWrap(m.PC, n);
  return kGoOn;
}

}  // namespace

bool ConditionHolds(const TFlags& f, uint8_t cond) {
  switch (cond) {
    case kCondC: return f.CY != 0;
    case kCondNC: return f.CY == 0;
    case kCondZ: return f.Z != 0;
    case kCondNZ: return f.Z == 0;
    case kCondM: return f.S != 0;
    case kCondP: return f.S == 0;
    case kCondPE: return f.P != 0;
    default: return f.P == 0;  // PO
  }
}

namespace {

bool Taken(const TFlags& f, uint8_t cond) { return ConditionHolds(f, cond); }

// The low digit of a value (LowDigit) without building its text in the everyday range.
int32_t Low(int32_t v) { return static_cast<uint32_t>(v) <= 255 ? (v & 15) : LowDigit(v); }

// B, C, D, E, H and L by their codes 0 to 5.
constexpr uint8_t TRegisters::*kByteRegisters[6] = {&TRegisters::B, &TRegisters::C, &TRegisters::D,
                                                    &TRegisters::E, &TRegisters::H, &TRegisters::L};

// An 8-bit register by its code: A whole, the others a byte, M the memory byte at HL.
[[gnu::always_inline]] inline int32_t ReadReg(const Machine& m, uint8_t r) {
  if (r < 6) return m.R.*kByteRegisters[r];
  if (r == kRegA) return m.R.A;
  return m.Mem.Read(HL(m));
}

// A takes the value whole, the others its low 8 bits; kNoReg takes nothing.
[[gnu::always_inline]] inline void WriteReg(Machine& m, uint8_t r, int32_t value) {
  if (r < 6)
    m.R.*kByteRegisters[r] = static_cast<uint8_t>(value);
  else if (r == kRegA)
    m.R.A = value;
  else if (r == kRegM)
    m.Mem.Write(HL(m), static_cast<uint8_t>(value));
}

[[gnu::always_inline]] inline int32_t ReadPairOf(const Machine& m, uint8_t p) {
  switch (p) {
    case 0: return m.R.B * 256 + m.R.C;
    case 1: return m.R.D * 256 + m.R.E;
    case 2: return HL(m);
    default: return m.SP;
  }
}

// B, D and H take the low 16 bits of an over-long value; SP takes it whole; kNoPair nothing.
[[gnu::always_inline]] inline void WritePairOf(Machine& m, uint8_t p, int32_t value) {
  const auto v = static_cast<uint32_t>(value);
  const auto hi = static_cast<uint8_t>(v >> 8), lo = static_cast<uint8_t>(v);
  switch (p) {
    case 0: m.R.B = hi, m.R.C = lo; break;
    case 1: m.R.D = hi, m.R.E = lo; break;
    case 2: m.R.H = hi, m.R.L = lo; break;
    case kPairSP: m.SP = value; break;
    default: break;
  }
}

// The stack holds the high byte above the low one; the pushed value is split by div/mod 256.
void Push(Machine& m, int32_t value) {
  const int64_t s = m.SP;
  m.Mem.Write(s - 1, static_cast<uint8_t>(value / 256));
  m.Mem.Write(s - 2, static_cast<uint8_t>(value % 256));
  m.SP = AddWrap(m.SP, -2);
}

int32_t StackWord(const Machine& m) {
  const int64_t s = m.SP;
  return m.Mem.Read(s + 1) * 256 + m.Mem.Read(s);
}

// ---- data transfer and stack ----

LineEnd Nothing(Core&, TCommand&, DecodedLine) { return kGoOn; }
LineEnd AdvanceOnly(Core& c, TCommand&, DecodedLine d) { return Advance(c.m, d.First()); }

LineEnd Mov(Core& c, TCommand& t, DecodedLine d) {
  t.ByteValue = ReadReg(c.m, d.Second());
  WriteReg(c.m, d.First(), t.ByteValue);
  return Advance(c.m, 1);
}

LineEnd Mvi(Core& c, TCommand& t, DecodedLine d) {
  t.ByteValue = d.Value();
  WriteReg(c.m, d.First(), t.ByteValue);
  return Advance(c.m, 2);
}

LineEnd Lxi(Core& c, TCommand& t, DecodedLine d) {
  t.PairValue = d.Value();
  WritePairOf(c.m, d.First(), t.PairValue);
  return Advance(c.m, 3);
}

LineEnd Xchg(Core& c, TCommand& t, DecodedLine) {
  TRegisters& r = c.m.R;
  t.PairValue = HL(c.m);
  r.H = r.D;
  r.L = r.E;
  WritePairOf(c.m, 1, t.PairValue);
  return Advance(c.m, 1);
}

LineEnd Sphl(Core& c, TCommand& t, DecodedLine) {
  t.PairValue = HL(c.m);
  c.m.SP = t.PairValue;
  return Advance(c.m, 1);
}

LineEnd Lda(Core& c, TCommand&, DecodedLine d) {
  c.m.R.A = c.m.Mem.Read(d.Value());
  return Advance(c.m, 3);
}

LineEnd Sta(Core& c, TCommand&, DecodedLine d) {
  const auto byte = static_cast<uint8_t>(c.m.R.A);
  // The code text is that of the stored byte, so it stays two characters even when A holds
  // more than a byte.
  StoreByte(c, d.Value(), byte, ByteText(byte));
  return Advance(c.m, 3);
}

LineEnd Lhld(Core& c, TCommand&, DecodedLine d) {
  const int64_t a = d.Value();
  c.m.R.L = c.m.Mem.Read(a);
  c.m.R.H = c.m.Mem.Read(a + 1);
  c.view->ShowRegisters(c.m.R);
  return Advance(c.m, 3);
}

LineEnd Shld(Core& c, TCommand&, DecodedLine d) {
  const int64_t a = d.Value();
  c.m.Mem.Write(a, c.m.R.L);
  c.m.Mem.Write(a + 1, c.m.R.H);
  return Advance(c.m, 3);
}

LineEnd Xthl(Core& c, TCommand& t, DecodedLine) {
  Machine& m = c.m;
  t.PairValue = HL(m);
  const int64_t s = m.SP;
  m.R.L = m.Mem.Read(s);
  m.R.H = m.Mem.Read(s + 1);
  m.Mem.Write(s + 1, static_cast<uint8_t>(t.PairValue / 256));
  m.Mem.Write(s, static_cast<uint8_t>(t.PairValue % 256));
  return Advance(m, 1);
}

LineEnd Ldax(Core& c, TCommand& t, DecodedLine d) {
  t.PairValue = ReadPairOf(c.m, d.First());
  c.m.R.A = c.m.Mem.Read(t.PairValue);
  return Advance(c.m, 1);
}

LineEnd Stax(Core& c, TCommand& t, DecodedLine d) {
  t.PairValue = ReadPairOf(c.m, d.First());
  c.m.Mem.Write(t.PairValue, static_cast<uint8_t>(c.m.R.A));
  return Advance(c.m, 1);
}

LineEnd PushLine(Core& c, TCommand& t, DecodedLine d) {
  Machine& m = c.m;
  if (d.First() == kPairPSW) {
    Push(m, static_cast<uint8_t>(m.R.A) * 256 + m.R.F);
  } else {
    t.PairValue = ReadPairOf(m, d.First());
    Push(m, t.PairValue);
  }
  return Advance(m, 1);
}

LineEnd PopLine(Core& c, TCommand& t, DecodedLine d) {
  Machine& m = c.m;
  const int32_t s = m.SP;
  const int32_t word = StackWord(m);
  if (d.First() == kPairPSW) {
    m.R.A = word / 256;
    FlagsFromA(m);  // repacks F: the popped flag byte itself is not kept
  } else {
    t.PairValue = word;
    WritePairOf(m, d.First(), t.PairValue);
  }
  m.SP = AddWrap(s, 2);  // so POP SP ends two above the old SP, not at the popped value
  return Advance(m, 1);
}

// ---- arithmetic and logic ----

// ADD ADC ADI ACI: A before the sum gives AC from its low 8 bits (AuxCarryAdd).
template <bool withCarry>
void Add(Machine& m, int32_t v) {
  m.Flags.AC = (m.R.A & 15) + Low(v) > 15;
  m.R.A = AddWrap(m.R.A, v);
  if (withCarry && m.Flags.CY) {
    m.R.A = AddWrap(m.R.A, 1);
    m.Flags.CY = 0;
  }
  FlagsFromA(m);
}

// SUB SBB SUI SBI: a borrow out of the low digit sets AC (AuxCarrySub).
template <bool withBorrow>
void Sub(Machine& m, int32_t v) {
  m.Flags.AC = (m.R.A & 15) < Low(v);
  m.R.A = SubWrap(m.R.A, v);
  if (withBorrow && m.Flags.CY) {
    m.R.A = AddWrap(m.R.A, -1);
    m.Flags.CY = 0;
  }
  FlagsFromA(m);
}

// An 8-bit operation on a register or M (one byte long) or on an immediate value (two).
template <void (*kApply)(Machine&, int32_t), bool kImmediate>
LineEnd OnByte(Core& c, TCommand& t, DecodedLine d) {
  t.ByteValue = kImmediate ? d.Value() : ReadReg(c.m, d.First());
  kApply(c.m, t.ByteValue);
  return Advance(c.m, kImmediate ? 2 : 1);
}

// INR and DCR: A follows its result; any other register only gets AC, and Z when it hits 0.
template <bool kInc>
LineEnd IncDec(Core& c, TCommand& t, DecodedLine d) {
  Machine& m = c.m;
  const uint8_t r = d.First();
  const int32_t old = t.ByteValue = ReadReg(m, r);
  int32_t v;
  if (kInc) {
    m.Flags.AC = 1 + Low(old) > 15;  // AuxCarryAdd with 1
    v = old >= 255 ? 0 : old + 1;
  } else {
    m.Flags.AC = 1 < Low(old);  // AuxCarrySub with 1
    v = old <= 0 ? 255 : old - 1;
  }
  t.ByteValue = v;
  WriteReg(m, r, v);
  if (r == kRegA) FlagsFromA(m);
  if (v == 0) m.Flags.Z = 1;
  PackFlags(m);
  return Advance(m, 1);
}

LineEnd Dad(Core& c, TCommand& t, DecodedLine d) {
  Machine& m = c.m;
  t.PairValue = ReadPairOf(m, d.First());
  t.PairValue2 = HL(m);
  t.PairValue = AddWrap(t.PairValue, t.PairValue2);
  if (t.PairValue > 0xFFFF) {
    t.PairValue -= 0x10000;
    m.Flags.CY = 1;
    PackFlags(m);
  }
  WritePairOf(m, 2, t.PairValue);
  return Advance(m, 1);
}

// One 16-bit step of INX/DCX: past FFFFh gives 0, below 0 gives FFFFh.
template <int kStep>
LineEnd StepPair(Core& c, TCommand& t, DecodedLine d) {
  const int64_t v = int64_t{ReadPairOf(c.m, d.First())} + kStep;
  t.PairValue = v > 0xFFFF ? 0 : v < 0 ? 0xFFFF : static_cast<int32_t>(v);
  WritePairOf(c.m, d.First(), t.PairValue);
  return Advance(c.m, 1);
}

// DAA reads A's decimal text as hexadecimal digits.
LineEnd Daa(Core& c, TCommand&, DecodedLine) {
  char buf[16];
  auto res = std::to_chars(buf, buf + sizeof buf, c.m.R.A);
  c.m.R.A = HexTextToInt(std::string_view(buf, static_cast<size_t>(res.ptr - buf)));
  return Advance(c.m, 1);
}

enum class Logic { And, Xor, Or };

// The bitwise operations work on the eight-digit binary texts of A and v, which saturate, so
// the result is a byte and FlagsFromA leaves CY as it is; CY and AC are cleared before it.
template <Logic kOp>
void LogicOp(Machine& m, int32_t v) {
  const int32_t a = BinValue(m.R.A), b = BinValue(v);
  m.R.A = kOp == Logic::And ? (a & b) : kOp == Logic::Xor ? (a ^ b) : (a | b);
  m.Flags.CY = 0;
  if (kOp != Logic::And) m.Flags.AC = 0;
  FlagsFromA(m);
}

void Compare(Machine& m, int32_t v) {
  FlagsFromA(m);
  m.Flags.Z = m.R.A == v;
  m.Flags.CY = m.R.A < v;
  PackFlags(m);
}

LineEnd SetCarry(Machine& m, bool cy) {
  m.Flags.CY = cy;
  PackFlags(m);
  return Advance(m, 1);
}

LineEnd Cmc(Core& c, TCommand&, DecodedLine) { return SetCarry(c.m, c.m.Flags.CY == 0); }
LineEnd Stc(Core& c, TCommand&, DecodedLine) { return SetCarry(c.m, true); }

LineEnd Cma(Core& c, TCommand&, DecodedLine) {
  c.m.R.A = SubWrap(255, c.m.R.A);
  return Advance(c.m, 1);
}

LineEnd Rlc(Core& c, TCommand&, DecodedLine) {
  int32_t& a = c.m.R.A;
  a = AddWrap(a, a);
  if (a <= 255) return Advance(c.m, 1);
  a -= 255;
  return SetCarry(c.m, true);
}

LineEnd Rrc(Core& c, TCommand&, DecodedLine) {
  int32_t& a = c.m.R.A;
  const bool odd = a % 2 != 0;
  a = odd ? a / 2 + 128 : a / 2;
  return odd ? SetCarry(c.m, true) : Advance(c.m, 1);
}

LineEnd Ral(Core& c, TCommand&, DecodedLine) {
  int32_t& a = c.m.R.A;
  int32_t t = AddWrap(a, a);
  const bool out = t > 255;
  if (out) t -= 256;
  if (c.m.Flags.CY) t = AddWrap(t, 1);
  a = t;
  return SetCarry(c.m, out);
}

LineEnd Rar(Core& c, TCommand&, DecodedLine) {
  int32_t& a = c.m.R.A;
  const bool out = a % 2 != 0;
  a /= 2;
  if (c.m.Flags.CY) a += 128;
  return SetCarry(c.m, out);
}

// ---- control transfer ----

LineEnd Pchl(Core& c, TCommand& t, DecodedLine) {
  t.PairValue = HL(c.m);
  c.m.PC = t.PairValue;
  return kGoOn;
}

LineEnd Jmp(Core& c, TCommand&, DecodedLine d) {
  c.m.PC = d.Value();
  return kGoOn;
}

LineEnd Jcc(Core& c, TCommand&, DecodedLine d) {
  if (!Taken(c.m.Flags, d.First())) return Advance(c.m, 3);
  c.m.PC = d.Value();
  return kGoOn;
}

LineEnd Call(Core& c, TCommand& t, DecodedLine d) {
  Machine& m = c.m;
  if (d.Second() == kMonitorShow) {  // shows the byte at HL on the data display
    t.PairValue = HL(m);
    c.view->ShowData(ByteText(m.Mem.Read(t.PairValue)));
  }
  // 0282 is stepped over like the rest: advancing by 1 would leave the program stuck on the
  // call's empty continuation row.
  if (d.Second() != kNoMonitor) return Advance(m, 3);
  Push(m, m.PC);  // the call's own address; RET adds 3
  m.PC = d.Value();
  return kGoOn;
}

LineEnd Ccc(Core& c, TCommand& t, DecodedLine d) {
  if (!Taken(c.m.Flags, d.First())) return Advance(c.m, 3);
  return Call(c, t, d);
}

LineEnd Ret(Core& c, TCommand&, DecodedLine) {
  Machine& m = c.m;
  m.PC = AddWrap(StackWord(m), 3);
  m.SP = AddWrap(m.SP, 2);
  return kGoOn;
}

LineEnd Rcc(Core& c, TCommand& t, DecodedLine d) {
  if (!Taken(c.m.Flags, d.First())) return Advance(c.m, 1);
  return Ret(c, t, d);
}

LineEnd Rst(Core&, TCommand&, DecodedLine) { return kStop; }  // stays on its own line

LineEnd Hlt(Core& c, TCommand&, DecodedLine) {
  Advance(c.m, 1);
  return kStop;
}

LineEnd Nop(Core& c, TCommand&, DecodedLine) {
  if (c.sleep1ms) c.sleep1ms();
  Advance(c.m, 1);
  return {false, true};
}

LineEnd Run(Core& c, TCommand& t, DecodedLine d) {
  switch (d.Operation()) {
    case Op::kUndecoded:
    case Op::kNothing: return Nothing(c, t, d);  // not an instruction: nothing at all changes
    case Op::kAdvance: return AdvanceOnly(c, t, d);
    case Op::kMov: return Mov(c, t, d);
    case Op::kMvi: return Mvi(c, t, d);
    case Op::kLxi: return Lxi(c, t, d);
    case Op::kXchg: return Xchg(c, t, d);
    case Op::kSphl: return Sphl(c, t, d);
    case Op::kLda: return Lda(c, t, d);
    case Op::kSta: return Sta(c, t, d);
    case Op::kLhld: return Lhld(c, t, d);
    case Op::kShld: return Shld(c, t, d);
    case Op::kXthl: return Xthl(c, t, d);
    case Op::kLdax: return Ldax(c, t, d);
    case Op::kStax: return Stax(c, t, d);
    case Op::kPush: return PushLine(c, t, d);
    case Op::kPop: return PopLine(c, t, d);
    case Op::kAdd: return OnByte<Add<false>, false>(c, t, d);
    case Op::kAdc: return OnByte<Add<true>, false>(c, t, d);
    case Op::kSub: return OnByte<Sub<false>, false>(c, t, d);
    case Op::kSbb: return OnByte<Sub<true>, false>(c, t, d);
    case Op::kAdi: return OnByte<Add<false>, true>(c, t, d);
    case Op::kAci: return OnByte<Add<true>, true>(c, t, d);
    case Op::kSui: return OnByte<Sub<false>, true>(c, t, d);
    case Op::kSbi: return OnByte<Sub<true>, true>(c, t, d);
    case Op::kInr: return IncDec<true>(c, t, d);
    case Op::kDcr: return IncDec<false>(c, t, d);
    case Op::kDad: return Dad(c, t, d);
    case Op::kInx: return StepPair<1>(c, t, d);
    case Op::kDcx: return StepPair<-1>(c, t, d);
    case Op::kDaa: return Daa(c, t, d);
    case Op::kAna: return OnByte<LogicOp<Logic::And>, false>(c, t, d);
    case Op::kXra: return OnByte<LogicOp<Logic::Xor>, false>(c, t, d);
    case Op::kOra: return OnByte<LogicOp<Logic::Or>, false>(c, t, d);
    case Op::kAni: return OnByte<LogicOp<Logic::And>, true>(c, t, d);
    case Op::kXri: return OnByte<LogicOp<Logic::Xor>, true>(c, t, d);
    case Op::kOri: return OnByte<LogicOp<Logic::Or>, true>(c, t, d);
    case Op::kCmp: return OnByte<Compare, false>(c, t, d);
    case Op::kCpi: return OnByte<Compare, true>(c, t, d);
    case Op::kCmc: return Cmc(c, t, d);
    case Op::kStc: return Stc(c, t, d);
    case Op::kCma: return Cma(c, t, d);
    case Op::kRlc: return Rlc(c, t, d);
    case Op::kRrc: return Rrc(c, t, d);
    case Op::kRal: return Ral(c, t, d);
    case Op::kRar: return Rar(c, t, d);
    case Op::kPchl: return Pchl(c, t, d);
    case Op::kJmp: return Jmp(c, t, d);
    case Op::kJcc: return Jcc(c, t, d);
    case Op::kCall: return Call(c, t, d);
    case Op::kCcc: return Ccc(c, t, d);
    case Op::kRet: return Ret(c, t, d);
    case Op::kRcc: return Rcc(c, t, d);
    case Op::kRst: return Rst(c, t, d);
    case Op::kHlt: return Hlt(c, t, d);
    case Op::kNop: return Nop(c, t, d);
  }
  return Nothing(c, t, d);
}

DecodedLine DecodeText(TCommand& t, std::string_view line) {
  t.Line.assign(line);
  SplitLine(t);
  const DecodedLine d = DecodeLine(t.Mnemonic, t.Operand1, t.Operand2);
  return d.WithCycles(LineCycles(d));
}

// The first execution of a row since its text was written: decode it and keep the result.
[[gnu::noinline]] LineEnd DecodeAndRun(Core& c, TCommand& t, int64_t row) {
  const DecodedLine d = DecodeText(t, c.listing.Mnemonic(row));
  c.listing.KeepLineMemo(row, d.Word());
  return Run(c, t, d);
}

}  // namespace

void SplitLine(TCommand& t) {
  t.Mnemonic.clear();
  t.Operand1.clear();
  t.Operand2.clear();
  int s = 0;
  for (char c : t.Line) {
    if (s == 1) {
      if (c == ' ') s = 2;
      if (c != ',' && s == 1) t.Operand1.push_back(c);
    }
    if (s == 0) {
      if (c == ' ')
        s = 1;
      else
        t.Mnemonic.push_back(c);
    }
    if (s == 2 && c != ',' && c != ' ') t.Operand2.push_back(c);
  }
}

bool ExecuteLine(Core& c, TCommand& t, std::string_view line) {
  return Run(c, t, DecodeText(t, line)).stop;
}

uint8_t CyclesOfLineSlow(const Core& c, int32_t pc) {
  if (!InWindow(pc)) return 0;
  const int64_t row = RowOfAddress(pc);
  uint64_t word = c.listing.LineMemo(row);
  if (word == 0) {  // the line rewrote its own row: decode its text (rare)
    TCommand t;
    word = DecodeText(t, c.listing.Mnemonic(row)).Word();
  }
  const DecodedLine d = DecodedLine::FromWord(word);
  const Op op = d.Operation();
  const bool conditional = op == Op::kCcc || op == Op::kRcc;
  return conditional && ConditionHolds(c.m.Flags, d.First())
             ? static_cast<uint8_t>(d.Cycles() + kTakenExtraCycles)
             : d.Cycles();
}

LineEnd ExecuteCurrentLine(Core& c, TCommand& t) {
  const int32_t pc = c.m.PC;
  if (!InWindow(pc)) return kGoOn;  // no row: the empty line, which does nothing
  const int64_t row = RowOfAddress(pc);
  const uint64_t word = c.listing.LineMemo(row);
  if (word == 0) return DecodeAndRun(c, t, row);
  return Run(c, t, DecodedLine::FromWord(word));
}

}  // namespace tamrel
