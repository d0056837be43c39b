#include "interpreter/interpreter.h"

#include <charconv>

#include "machine/numtext.h"

namespace tamrel {

namespace {

// A mnemonic of one to four characters packed with its length; longer ones match nothing.
constexpr uint64_t Key(std::string_view s) {
  if (s.empty() || s.size() > 4) return 0;
  uint64_t k = s.size();
  for (char c : s) k = (k << 8) | static_cast<uint8_t>(c);
  return k;
}

int32_t HL(const Machine& m) { return m.R.H * 256 + m.R.L; }

void Advance(Machine& m, int32_t n) { m.PC = AddWrap(m.PC, n); }

// Conditions of the jumps, calls and returns, by keyword suffix.
enum class Cond { C, NC, Z, NZ, M, P, PE, PO };

bool Taken(const TFlags& f, Cond c) {
  switch (c) {
    case Cond::C: return f.CY != 0;
    case Cond::NC: return f.CY == 0;
    case Cond::Z: return f.Z != 0;
    case Cond::NZ: return f.Z == 0;
    case Cond::M: return f.S != 0;
    case Cond::P: return f.S == 0;
    case Cond::PE: return f.P != 0;
    case Cond::PO: return f.P == 0;
  }
  return false;
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

void Call(Core& c, TCommand& t) {
  if (MonitorCall(c, t, t.Operand1)) return;
  Push(c.m, c.m.PC);  // the call's own address; RET adds 3
  c.m.PC = HexTextToInt(t.Operand1);
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

Logic LogicOf(std::string_view mnemonic) {
  return mnemonic[0] == 'A' ? Logic::And : mnemonic[0] == 'X' ? Logic::Xor : Logic::Or;
}

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
void IncDec(Core& c, TCommand& t, bool inc) {
  Machine& m = c.m;
  if (!ReadRegister(c, t, t.Operand1)) return;
  const int32_t old = t.ByteValue;
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
  WriteRegister(c, t, t.Operand1);
  if (t.Operand1 == "A") FlagsFromA(m);
  if (v == 0) SetFlag(m, Flag::Z, 1);
}

void Rotate(Machine& m, std::string_view mnemonic) {
  int32_t& a = m.R.A;
  if (mnemonic == "RLC") {
    a = AddWrap(a, a);
    if (a > 255) {
      a -= 255;
      SetFlag(m, Flag::CY, 1);
    }
  } else if (mnemonic == "RRC") {
    const bool odd = a % 2 != 0;
    a = odd ? a / 2 + 128 : a / 2;
    if (odd) SetFlag(m, Flag::CY, 1);
  } else if (mnemonic == "RAL") {
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
  if (name.size() != 1) return false;
  const TRegisters& r = c.m.R;
  switch (name[0]) {
    case 'A': t.ByteValue = r.A; break;
    case 'B': t.ByteValue = r.B; break;
    case 'C': t.ByteValue = r.C; break;
    case 'D': t.ByteValue = r.D; break;
    case 'E': t.ByteValue = r.E; break;
    case 'H': t.ByteValue = r.H; break;
    case 'L': t.ByteValue = r.L; break;
    case 'M': t.ByteValue = c.m.Mem.Read(HL(c.m)); break;
    default: return false;
  }
  return true;
}

bool WriteRegister(Core& c, const TCommand& t, std::string_view name) {
  if (name.size() != 1) return false;
  TRegisters& r = c.m.R;
  const auto low = static_cast<uint8_t>(t.ByteValue);
  switch (name[0]) {
    case 'A': r.A = t.ByteValue; break;
    case 'B': r.B = low; break;
    case 'C': r.C = low; break;
    case 'D': r.D = low; break;
    case 'E': r.E = low; break;
    case 'H': r.H = low; break;
    case 'L': r.L = low; break;
    case 'M': c.m.Mem.Write(HL(c.m), low); break;
    default: return false;
  }
  return true;
}

bool ReadPair(Core& c, TCommand& t, std::string_view name) {
  const TRegisters& r = c.m.R;
  if (name == "B")
    t.PairValue = r.B * 256 + r.C;
  else if (name == "D")
    t.PairValue = r.D * 256 + r.E;
  else if (name == "H")
    t.PairValue = r.H * 256 + r.L;
  else if (name == "SP")
    t.PairValue = c.m.SP;
  else
    return false;
  return true;
}

bool WritePair(Core& c, const TCommand& t, std::string_view name) {
  // B, D and H take the low 16 bits of an over-long value; SP takes it whole.
  const auto v = static_cast<uint32_t>(t.PairValue);
  const auto hi = static_cast<uint8_t>(v >> 8), lo = static_cast<uint8_t>(v);
  TRegisters& r = c.m.R;
  if (name == "B")
    r.B = hi, r.C = lo;
  else if (name == "D")
    r.D = hi, r.E = lo;
  else if (name == "H")
    r.H = hi, r.L = lo;
  else if (name == "SP")
    c.m.SP = t.PairValue;
  else
    return false;
  return true;
}

bool MonitorCall(Core& c, TCommand& t, std::string_view addr) {
  if (addr.size() != 4 || addr[0] != '0') return false;
  for (std::string_view skip :
       {"0257", "023D", "0336", "02A6", "0295", "0298", "02D1", "02D4", "0282", "0287", "028C"}) {
    // 0282 is stepped over like the rest: advancing by 1 would leave the program stuck on
    // the call's empty continuation row.
    if (addr == skip) {
      Advance(c.m, 3);
      return true;
    }
  }
  if (addr == "0294") {  // shows the byte at HL on the data display
    ReadPair(c, t, "H");
    c.view->ShowData(ByteText(c.m.Mem.Read(t.PairValue)));
    Advance(c.m, 3);
    return true;
  }
  return false;
}

bool ExecuteLine(Core& c, TCommand& t, std::string_view line) {
  t.Line.assign(line);
  SplitLine(t);
  Machine& m = c.m;
  TRegisters& r = m.R;
  const std::string& op1 = t.Operand1;
  const std::string& op2 = t.Operand2;
  auto imm1 = [&] { return HexTextToInt(op1); };

  switch (Key(t.Mnemonic)) {
    // ---- data transfer and stack ----
    case Key("MOV"):
      if (ReadRegister(c, t, op2)) WriteRegister(c, t, op1);
      Advance(m, 1);
      break;
    case Key("MVI"):
      t.ByteValue = HexTextToInt(op2);
      WriteRegister(c, t, op1);
      Advance(m, 2);
      break;
    case Key("LXI"):
      t.PairValue = HexTextToInt(op2);
      WritePair(c, t, op1);
      Advance(m, 3);
      break;
    case Key("XCHG"):
      ReadPair(c, t, "H");
      r.H = r.D;
      r.L = r.E;
      WritePair(c, t, "D");
      Advance(m, 1);
      break;
    case Key("SPHL"):
      ReadPair(c, t, "H");
      WritePair(c, t, "SP");
      Advance(m, 1);
      break;
    case Key("LDA"):
      r.A = m.Mem.Read(imm1());
      Advance(m, 3);
      break;
    case Key("STA"): {
      const int32_t a = imm1();
      const auto byte = static_cast<uint8_t>(r.A);
      // The code text is that of the stored byte, so it stays two characters even when A
      // holds more than a byte.
      StoreByte(c, a, byte, ByteText(byte));
      Advance(m, 3);
      break;
    }
    case Key("LHLD"): {
      const int64_t a = imm1();
      r.L = m.Mem.Read(a);
      r.H = m.Mem.Read(a + 1);
      c.view->ShowRegisters(r);
      Advance(m, 3);
      break;
    }
    case Key("SHLD"): {
      const int64_t a = imm1();
      m.Mem.Write(a, r.L);
      m.Mem.Write(a + 1, r.H);
      Advance(m, 3);
      break;
    }
    case Key("XTHL"): {
      ReadPair(c, t, "H");
      const int64_t s = m.SP;
      r.L = m.Mem.Read(s);
      r.H = m.Mem.Read(s + 1);
      m.Mem.Write(s + 1, static_cast<uint8_t>(t.PairValue / 256));
      m.Mem.Write(s, static_cast<uint8_t>(t.PairValue % 256));
      Advance(m, 1);
      break;
    }
    case Key("LDAX"):
      if (ReadPair(c, t, op1)) r.A = m.Mem.Read(t.PairValue);
      Advance(m, 1);
      break;
    case Key("STAX"):
      if (ReadPair(c, t, op1)) m.Mem.Write(t.PairValue, static_cast<uint8_t>(r.A));
      Advance(m, 1);
      break;
    case Key("PUSH"):
      if (op1 == "PSW") {
        const int64_t s = m.SP;
        m.Mem.Write(s - 1, static_cast<uint8_t>(r.A));
        m.Mem.Write(s - 2, r.F);
        m.SP = AddWrap(m.SP, -2);
      } else if (ReadPair(c, t, op1)) {
        Push(m, t.PairValue);
      }
      Advance(m, 1);
      break;
    case Key("POP"):
      if (op1 == "PSW") {
        const int64_t s = m.SP;
        r.F = m.Mem.Read(s);
        r.A = m.Mem.Read(s + 1);
        FlagsFromA(m);  // repacks F: the popped flag byte itself is not kept
        m.SP = AddWrap(m.SP, 2);
      } else if (op1 == "B" || op1 == "D" || op1 == "H" || op1 == "SP") {
        const int32_t s = m.SP;
        t.PairValue = StackWord(m);
        WritePair(c, t, op1);
        m.SP = AddWrap(s, 2);  // so POP SP ends two above the old SP, not at the popped value
      }
      Advance(m, 1);
      break;
    case Key("IN"):
    case Key("OUT"): Advance(m, 2); break;

    // ---- arithmetic and logic ----
    case Key("ADD"):
    case Key("ADC"):
      if (ReadRegister(c, t, op1)) Add(m, t.ByteValue, t.Mnemonic[2] == 'C');
      Advance(m, 1);
      break;
    case Key("SUB"):
    case Key("SBB"):
      if (ReadRegister(c, t, op1)) Sub(m, t.ByteValue, t.Mnemonic[1] == 'B');
      Advance(m, 1);
      break;
    case Key("ADI"):
    case Key("ACI"):
      t.ByteValue = imm1();
      Add(m, t.ByteValue, t.Mnemonic == "ACI");
      Advance(m, 2);
      break;
    case Key("SUI"):
    case Key("SBI"):
      t.ByteValue = imm1();
      Sub(m, t.ByteValue, t.Mnemonic[1] == 'B');
      Advance(m, 2);
      break;
    case Key("INR"):
    case Key("DCR"):
      IncDec(c, t, t.Mnemonic[0] == 'I');
      Advance(m, 1);
      break;
    case Key("DAD"):
      if (ReadPair(c, t, op1)) {
        t.PairValue2 = HL(m);
        t.PairValue = AddWrap(t.PairValue, t.PairValue2);
        if (t.PairValue > 0xFFFF) {
          t.PairValue -= 0x10000;
          SetFlag(m, Flag::CY, 1);
        }
        WritePair(c, t, "H");
      }
      Advance(m, 1);
      break;
    case Key("INX"):
    case Key("DCX"):
      if (ReadPair(c, t, op1)) {
        t.PairValue = StepPair(t.PairValue, t.Mnemonic[0] == 'I' ? 1 : -1);
        WritePair(c, t, op1);
      }
      Advance(m, 1);
      break;
    case Key("DAA"):
      r.A = DecimalAsHex(r.A);
      Advance(m, 1);
      break;
    case Key("ANA"):
    case Key("XRA"):
    case Key("ORA"):
      if (ReadRegister(c, t, op1)) LogicOp(m, t.ByteValue, LogicOf(t.Mnemonic));
      Advance(m, 1);
      break;
    case Key("ANI"):
    case Key("XRI"):
    case Key("ORI"):
      t.ByteValue = imm1();
      LogicOp(m, t.ByteValue, LogicOf(t.Mnemonic));
      Advance(m, 2);
      break;
    case Key("CMP"):
      if (ReadRegister(c, t, op1)) Compare(m, t.ByteValue);
      Advance(m, 1);
      break;
    case Key("CPI"):
      t.ByteValue = imm1();
      Compare(m, t.ByteValue);
      Advance(m, 2);
      break;
    case Key("CMC"):
      SetFlag(m, Flag::CY, m.Flags.CY == 0);
      Advance(m, 1);
      break;
    case Key("STC"):
      SetFlag(m, Flag::CY, 1);
      Advance(m, 1);
      break;
    case Key("CMA"):
      r.A = SubWrap(255, r.A);
      Advance(m, 1);
      break;
    case Key("RLC"):
    case Key("RRC"):
    case Key("RAL"):
    case Key("RAR"):
      Rotate(m, t.Mnemonic);
      Advance(m, 1);
      break;

    // ---- control transfer ----
    case Key("PCHL"):
      ReadPair(c, t, "H");
      m.PC = t.PairValue;
      break;
    case Key("JMP"): m.PC = imm1(); break;
    case Key("CALL"): Call(c, t); break;
    case Key("RET"):
      Return(m);
      break;
// clang-format off
#define TAMREL_COND(J, CC, RR, cond)                     \
  case Key(J):                                           \
    if (Taken(m.Flags, cond)) m.PC = imm1();             \
    else Advance(m, 3);                                  \
    break;                                               \
  case Key(CC):                                          \
    if (Taken(m.Flags, cond)) Call(c, t);                \
    else Advance(m, 3);                                  \
    break;                                               \
  case Key(RR):                                          \
    if (Taken(m.Flags, cond)) Return(m);                 \
    else Advance(m, 1);                                  \
    break;
      TAMREL_COND("JC", "CC", "RC", Cond::C)
      TAMREL_COND("JNC", "CNC", "RNC", Cond::NC)
      TAMREL_COND("JZ", "CZ", "RZ", Cond::Z)
      TAMREL_COND("JNZ", "CNZ", "RNZ", Cond::NZ)
      TAMREL_COND("JM", "CM", "RM", Cond::M)
      TAMREL_COND("JP", "CP", "RP", Cond::P)
      TAMREL_COND("JPE", "CPE", "RPE", Cond::PE)
      TAMREL_COND("JPO", "CPO", "RPO", Cond::PO)
#undef TAMREL_COND
      // clang-format on
    case Key("RST"): return true;  // stays on its own line
    case Key("HLT"): Advance(m, 1); return true;
    case Key("NOP"):
      if (c.sleep1ms) c.sleep1ms();
      Advance(m, 1);
      break;
    default: break;  // not an instruction: nothing at all changes
  }
  return false;
}

}  // namespace tamrel
