#include "interpreter/interpreter.h"

#include <charconv>

#include "machine/numtext.h"

namespace tamrel {

namespace {

int32_t HL(const Machine& m) { return m.R.H * 256 + m.R.L; }

void Advance(Machine& m, int32_t n) { m.PC = AddWrap(m.PC, n); }

bool Taken(const TFlags& f, uint8_t cond) {
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

// An 8-bit register by its code: A whole, the others a byte, M the memory byte at HL.
int32_t ReadReg(const Machine& m, uint8_t r) {
  switch (r) {
    case 0: return m.R.B;
    case 1: return m.R.C;
    case 2: return m.R.D;
    case 3: return m.R.E;
    case 4: return m.R.H;
    case 5: return m.R.L;
    case kRegM: return m.Mem.Read(HL(m));
    default: return m.R.A;
  }
}

// A takes the value whole, the others its low 8 bits; kNoReg takes nothing.
void WriteReg(Machine& m, uint8_t r, int32_t value) {
  const auto low = static_cast<uint8_t>(value);
  switch (r) {
    case 0: m.R.B = low; break;
    case 1: m.R.C = low; break;
    case 2: m.R.D = low; break;
    case 3: m.R.E = low; break;
    case 4: m.R.H = low; break;
    case 5: m.R.L = low; break;
    case kRegM: m.Mem.Write(HL(m), low); break;
    case kRegA: m.R.A = value; break;
    default: break;
  }
}

int32_t ReadPairOf(const Machine& m, uint8_t p) {
  switch (p) {
    case 0: return m.R.B * 256 + m.R.C;
    case 1: return m.R.D * 256 + m.R.E;
    case 2: return HL(m);
    default: return m.SP;
  }
}

// B, D and H take the low 16 bits of an over-long value; SP takes it whole; kNoPair nothing.
void WritePairOf(Machine& m, uint8_t p, int32_t value) {
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

void Call(Core& c, TCommand& t, const DecodedLine& d) {
  Machine& m = c.m;
  if (d.b == kMonitorShow) {  // shows the byte at HL on the data display
    t.PairValue = HL(m);
    c.view->ShowData(ByteText(m.Mem.Read(t.PairValue)));
  }
  if (d.b != kNoMonitor) {
    // 0282 is stepped over like the rest: advancing by 1 would leave the program stuck on
    // the call's empty continuation row.
    Advance(m, 3);
    return;
  }
  Push(m, m.PC);  // the call's own address; RET adds 3
  m.PC = d.imm;
}

void Return(Machine& m) {
  m.PC = AddWrap(StackWord(m), 3);
  m.SP = AddWrap(m.SP, 2);
}

// ADD ADC ADI ACI: A before the sum gives AC from its low 8 bits.
void Add(Machine& m, int32_t v, bool withCarry) {
  AuxCarryAdd(m, static_cast<uint8_t>(m.R.A), v);
  m.R.A = AddWrap(m.R.A, v);
  if (withCarry && m.Flags.CY) {
    m.R.A = AddWrap(m.R.A, 1);
    SetFlag(m, Flag::CY, 0);
  }
  FlagsFromA(m);
}

void Sub(Machine& m, int32_t v, bool withBorrow) {
  AuxCarrySub(m, static_cast<uint8_t>(m.R.A), v);
  m.R.A = SubWrap(m.R.A, v);
  if (withBorrow && m.Flags.CY) {
    m.R.A = AddWrap(m.R.A, -1);
    SetFlag(m, Flag::CY, 0);
  }
  FlagsFromA(m);
}

enum class Logic { And, Xor, Or };

// The bitwise operations work on the eight-digit binary texts of A and v, which saturate.
void LogicOp(Machine& m, int32_t v, Logic op) {
  const int32_t a = BinValue(m.R.A), b = BinValue(v);
  m.R.A = op == Logic::And ? (a & b) : op == Logic::Xor ? (a ^ b) : (a | b);
  FlagsFromA(m);
  SetFlag(m, Flag::CY, 0);
  if (op != Logic::And) SetFlag(m, Flag::AC, 0);
}

void Compare(Machine& m, int32_t v) {
  FlagsFromA(m);
  SetFlag(m, Flag::Z, m.R.A == v);
  SetFlag(m, Flag::CY, m.R.A < v);
}

// INR and DCR: A follows its result; any other register only gets AC, and Z when it hits 0.
void IncDec(Machine& m, TCommand& t, uint8_t r, bool inc) {
  const int32_t old = t.ByteValue = ReadReg(m, r);
  if (inc) {
    AuxCarryAdd(m, 1, old);
    int64_t v = int64_t{old} + 1;
    t.ByteValue = v > 255 ? 0 : static_cast<int32_t>(v);
  } else {
    AuxCarrySub(m, 1, old);
    int64_t v = int64_t{old} - 1;
    t.ByteValue = v < 0 ? 255 : static_cast<int32_t>(v);
  }
  const int32_t v = t.ByteValue;
  WriteReg(m, r, v);
  if (r == kRegA) FlagsFromA(m);
  if (v == 0) SetFlag(m, Flag::Z, 1);
}

void Rotate(Machine& m, Op op) {
  int32_t& a = m.R.A;
  if (op == Op::kRlc) {
    a = AddWrap(a, a);
    if (a > 255) {
      a -= 255;
      SetFlag(m, Flag::CY, 1);
    }
  } else if (op == Op::kRrc) {
    const bool odd = a % 2 != 0;
    a = odd ? a / 2 + 128 : a / 2;
    if (odd) SetFlag(m, Flag::CY, 1);
  } else if (op == Op::kRal) {
    int32_t t = AddWrap(a, a);
    const int out = t > 255;
    if (out) t -= 256;
    if (m.Flags.CY) t = AddWrap(t, 1);
    a = t;
    SetFlag(m, Flag::CY, out);
  } else {  // RAR
    const int out = a % 2 != 0;
    a /= 2;
    if (m.Flags.CY) a += 128;
    SetFlag(m, Flag::CY, out);
  }
}

// DAA reads A's decimal text as hexadecimal digits.
int32_t DecimalAsHex(int32_t a) {
  char buf[16];
  auto res = std::to_chars(buf, buf + sizeof buf, a);
  return HexTextToInt(std::string_view(buf, static_cast<size_t>(res.ptr - buf)));
}

// One 16-bit step of INX/DCX: past FFFFh gives 0, below 0 gives FFFFh.
int32_t StepPair(int32_t v, int d) {
  const int64_t r = int64_t{v} + d;
  if (r > 0xFFFF) return 0;
  if (r < 0) return 0xFFFF;
  return static_cast<int32_t>(r);
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

bool ReadRegister(Core& c, TCommand& t, std::string_view name) {
  const uint8_t r = RegisterCode(name);
  if (r == kNoReg) return false;
  t.ByteValue = ReadReg(c.m, r);
  return true;
}

bool WriteRegister(Core& c, const TCommand& t, std::string_view name) {
  const uint8_t r = RegisterCode(name);
  WriteReg(c.m, r, t.ByteValue);
  return r != kNoReg;
}

bool ReadPair(Core& c, TCommand& t, std::string_view name) {
  const uint8_t p = PairCode(name);
  if (p == kNoPair) return false;
  t.PairValue = ReadPairOf(c.m, p);
  return true;
}

bool WritePair(Core& c, const TCommand& t, std::string_view name) {
  const uint8_t p = PairCode(name);
  WritePairOf(c.m, p, t.PairValue);
  return p != kNoPair;
}

bool MonitorCall(Core& c, TCommand& t, std::string_view addr) {
  const DecodedLine call{Op::kCall, 0, MonitorOf(addr)};
  if (call.b == kNoMonitor) return false;
  Call(c, t, call);
  return true;
}

bool ExecuteDecoded(Core& c, TCommand& t, DecodedLine d) {
  Machine& m = c.m;
  TRegisters& r = m.R;
  switch (d.op) {
    case Op::kUndecoded:
    case Op::kNothing: break;  // not an instruction: nothing at all changes
    case Op::kAdvance: Advance(m, d.a); break;

    // ---- data transfer and stack ----
    case Op::kMov:
      t.ByteValue = ReadReg(m, d.b);
      WriteReg(m, d.a, t.ByteValue);
      Advance(m, 1);
      break;
    case Op::kMvi:
      t.ByteValue = d.imm;
      WriteReg(m, d.a, t.ByteValue);
      Advance(m, 2);
      break;
    case Op::kLxi:
      t.PairValue = d.imm;
      WritePairOf(m, d.a, t.PairValue);
      Advance(m, 3);
      break;
    case Op::kXchg:
      t.PairValue = HL(m);
      r.H = r.D;
      r.L = r.E;
      WritePairOf(m, 1, t.PairValue);
      Advance(m, 1);
      break;
    case Op::kSphl:
      t.PairValue = HL(m);
      m.SP = t.PairValue;
      Advance(m, 1);
      break;
    case Op::kLda:
      r.A = m.Mem.Read(d.imm);
      Advance(m, 3);
      break;
    case Op::kSta: {
      const auto byte = static_cast<uint8_t>(r.A);
      // The code text is that of the stored byte, so it stays two characters even when A
      // holds more than a byte.
      StoreByte(c, d.imm, byte, ByteText(byte));
      Advance(m, 3);
      break;
    }
    case Op::kLhld: {
      const int64_t a = d.imm;
      r.L = m.Mem.Read(a);
      r.H = m.Mem.Read(a + 1);
      c.view->ShowRegisters(r);
      Advance(m, 3);
      break;
    }
    case Op::kShld: {
      const int64_t a = d.imm;
      m.Mem.Write(a, r.L);
      m.Mem.Write(a + 1, r.H);
      Advance(m, 3);
      break;
    }
    case Op::kXthl: {
      t.PairValue = HL(m);
      const int64_t s = m.SP;
      r.L = m.Mem.Read(s);
      r.H = m.Mem.Read(s + 1);
      m.Mem.Write(s + 1, static_cast<uint8_t>(t.PairValue / 256));
      m.Mem.Write(s, static_cast<uint8_t>(t.PairValue % 256));
      Advance(m, 1);
      break;
    }
    case Op::kLdax:
      t.PairValue = ReadPairOf(m, d.a);
      r.A = m.Mem.Read(t.PairValue);
      Advance(m, 1);
      break;
    case Op::kStax:
      t.PairValue = ReadPairOf(m, d.a);
      m.Mem.Write(t.PairValue, static_cast<uint8_t>(r.A));
      Advance(m, 1);
      break;
    case Op::kPush:
      if (d.a == kPairPSW) {
        const int64_t s = m.SP;
        m.Mem.Write(s - 1, static_cast<uint8_t>(r.A));
        m.Mem.Write(s - 2, r.F);
        m.SP = AddWrap(m.SP, -2);
      } else {
        t.PairValue = ReadPairOf(m, d.a);
        Push(m, t.PairValue);
      }
      Advance(m, 1);
      break;
    case Op::kPop:
      if (d.a == kPairPSW) {
        const int64_t s = m.SP;
        r.F = m.Mem.Read(s);
        r.A = m.Mem.Read(s + 1);
        FlagsFromA(m);  // repacks F: the popped flag byte itself is not kept
        m.SP = AddWrap(m.SP, 2);
      } else {
        const int32_t s = m.SP;
        t.PairValue = StackWord(m);
        WritePairOf(m, d.a, t.PairValue);
        m.SP = AddWrap(s, 2);  // so POP SP ends two above the old SP, not at the popped value
      }
      Advance(m, 1);
      break;

    // ---- arithmetic and logic ----
    case Op::kAdd:
    case Op::kAdc:
      t.ByteValue = ReadReg(m, d.a);
      Add(m, t.ByteValue, d.op == Op::kAdc);
      Advance(m, 1);
      break;
    case Op::kSub:
    case Op::kSbb:
      t.ByteValue = ReadReg(m, d.a);
      Sub(m, t.ByteValue, d.op == Op::kSbb);
      Advance(m, 1);
      break;
    case Op::kAdi:
    case Op::kAci:
      t.ByteValue = d.imm;
      Add(m, t.ByteValue, d.op == Op::kAci);
      Advance(m, 2);
      break;
    case Op::kSui:
    case Op::kSbi:
      t.ByteValue = d.imm;
      Sub(m, t.ByteValue, d.op == Op::kSbi);
      Advance(m, 2);
      break;
    case Op::kInr:
    case Op::kDcr:
      IncDec(m, t, d.a, d.op == Op::kInr);
      Advance(m, 1);
      break;
    case Op::kDad:
      t.PairValue = ReadPairOf(m, d.a);
      t.PairValue2 = HL(m);
      t.PairValue = AddWrap(t.PairValue, t.PairValue2);
      if (t.PairValue > 0xFFFF) {
        t.PairValue -= 0x10000;
        SetFlag(m, Flag::CY, 1);
      }
      WritePairOf(m, 2, t.PairValue);
      Advance(m, 1);
      break;
    case Op::kInx:
    case Op::kDcx:
      t.PairValue = StepPair(ReadPairOf(m, d.a), d.op == Op::kInx ? 1 : -1);
      WritePairOf(m, d.a, t.PairValue);
      Advance(m, 1);
      break;
    case Op::kDaa:
      r.A = DecimalAsHex(r.A);
      Advance(m, 1);
      break;
    case Op::kAna:
    case Op::kXra:
    case Op::kOra:
      t.ByteValue = ReadReg(m, d.a);
      LogicOp(m, t.ByteValue,
              d.op == Op::kAna   ? Logic::And
              : d.op == Op::kXra ? Logic::Xor
                                 : Logic::Or);
      Advance(m, 1);
      break;
    case Op::kAni:
    case Op::kXri:
    case Op::kOri:
      t.ByteValue = d.imm;
      LogicOp(m, t.ByteValue,
              d.op == Op::kAni   ? Logic::And
              : d.op == Op::kXri ? Logic::Xor
                                 : Logic::Or);
      Advance(m, 2);
      break;
    case Op::kCmp:
      t.ByteValue = ReadReg(m, d.a);
      Compare(m, t.ByteValue);
      Advance(m, 1);
      break;
    case Op::kCpi:
      t.ByteValue = d.imm;
      Compare(m, t.ByteValue);
      Advance(m, 2);
      break;
    case Op::kCmc:
      SetFlag(m, Flag::CY, m.Flags.CY == 0);
      Advance(m, 1);
      break;
    case Op::kStc:
      SetFlag(m, Flag::CY, 1);
      Advance(m, 1);
      break;
    case Op::kCma:
      r.A = SubWrap(255, r.A);
      Advance(m, 1);
      break;
    case Op::kRlc:
    case Op::kRrc:
    case Op::kRal:
    case Op::kRar:
      Rotate(m, d.op);
      Advance(m, 1);
      break;

    // ---- control transfer ----
    case Op::kPchl:
      t.PairValue = HL(m);
      m.PC = t.PairValue;
      break;
    case Op::kJmp: m.PC = d.imm; break;
    case Op::kJcc:
      if (Taken(m.Flags, d.a))
        m.PC = d.imm;
      else
        Advance(m, 3);
      break;
    case Op::kCall: Call(c, t, d); break;
    case Op::kCcc:
      if (Taken(m.Flags, d.a))
        Call(c, t, d);
      else
        Advance(m, 3);
      break;
    case Op::kRet: Return(m); break;
    case Op::kRcc:
      if (Taken(m.Flags, d.a))
        Return(m);
      else
        Advance(m, 1);
      break;
    case Op::kRst: return true;  // stays on its own line
    case Op::kHlt: Advance(m, 1); return true;
    case Op::kNop:
      if (c.sleep1ms) c.sleep1ms();
      Advance(m, 1);
      break;
  }
  return false;
}

bool ExecuteLine(Core& c, TCommand& t, std::string_view line) {
  t.Line.assign(line);
  SplitLine(t);
  return ExecuteDecoded(c, t, DecodeLine(t.Mnemonic, t.Operand1, t.Operand2));
}

LineEnd ExecuteCurrentLine(Core& c, TCommand& t) {
  const int32_t pc = c.m.PC;
  if (!InWindow(pc)) return {false, false};  // no row: the empty line, which does nothing
  const int64_t row = RowOfAddress(pc);
  uint64_t memo = c.listing.LineMemo(row);
  if (memo == 0) {
    t.Line.assign(c.listing.Mnemonic(row));
    SplitLine(t);
    memo = ToMemo(DecodeLine(t.Mnemonic, t.Operand1, t.Operand2));
    c.listing.KeepLineMemo(row, memo);
  }
  // A copy: a view the line reports to may change the listing while it runs.
  const DecodedLine d = FromMemo(memo);
  return {ExecuteDecoded(c, t, d), d.op == Op::kNop};
}

}  // namespace tamrel
