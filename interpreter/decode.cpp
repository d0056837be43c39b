#include "interpreter/decode.h"

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

}  // namespace

uint8_t RegisterCode(std::string_view name) {
  if (name.size() != 1) return kNoReg;
  switch (name[0]) {
    case 'B': return 0;
    case 'C': return 1;
    case 'D': return 2;
    case 'E': return 3;
    case 'H': return 4;
    case 'L': return 5;
    case 'M': return kRegM;
    case 'A': return kRegA;
    default: return kNoReg;
  }
}

uint8_t PairCode(std::string_view name, bool psw) {
  if (name == "B") return 0;
  if (name == "D") return 1;
  if (name == "H") return 2;
  if (name == "SP") return kPairSP;
  if (psw && name == "PSW") return kPairPSW;
  return kNoPair;
}

Monitor MonitorOf(std::string_view addr) {
  if (addr.size() != 4 || addr[0] != '0') return kNoMonitor;
  for (std::string_view skip :
       {"0257", "023D", "0336", "02A6", "0295", "0298", "02D1", "02D4", "0282", "0287", "028C"})
    if (addr == skip) return kMonitorSkip;
  return addr == "0294" ? kMonitorShow : kNoMonitor;
}

namespace {

constexpr DecodedLine Advance(uint8_t n) { return {Op::kAdvance, n}; }

// An instruction on one operand that does nothing but advance by 1 when it names nothing.
DecodedLine OnRegister(Op op, std::string_view name) {
  const uint8_t r = RegisterCode(name);
  return r == kNoReg ? Advance(1) : DecodedLine{op, r};
}

DecodedLine OnPair(Op op, std::string_view name) {
  const uint8_t p = PairCode(name);
  return p == kNoPair ? Advance(1) : DecodedLine{op, p};
}

DecodedLine WithValue(Op op, std::string_view text) { return {op, 0, 0, HexTextToInt(text)}; }

DecodedLine Conditional(Op op, Cond cond, std::string_view target) {
  return {op, cond, op == Op::kCcc ? MonitorOf(target) : kNoMonitor, HexTextToInt(target)};
}

}  // namespace

DecodedLine DecodeLine(std::string_view mnem, std::string_view op1, std::string_view op2) {
  switch (Key(mnem)) {
    // ---- data transfer and stack ----
    case Key("MOV"): {
      // The source is read before the destination is looked at, so a known source with an
      // unknown destination still reads.
      const uint8_t src = RegisterCode(op2);
      return src == kNoReg ? Advance(1) : DecodedLine{Op::kMov, RegisterCode(op1), src};
    }
    case Key("MVI"): return {Op::kMvi, RegisterCode(op1), 0, HexTextToInt(op2)};
    case Key("LXI"): return {Op::kLxi, PairCode(op1), 0, HexTextToInt(op2)};
    case Key("XCHG"): return {Op::kXchg};
    case Key("SPHL"): return {Op::kSphl};
    case Key("LDA"): return WithValue(Op::kLda, op1);
    case Key("STA"): return WithValue(Op::kSta, op1);
    case Key("LHLD"): return WithValue(Op::kLhld, op1);
    case Key("SHLD"): return WithValue(Op::kShld, op1);
    case Key("XTHL"): return {Op::kXthl};
    case Key("LDAX"): return OnPair(Op::kLdax, op1);
    case Key("STAX"): return OnPair(Op::kStax, op1);
    case Key("PUSH"):
    case Key("POP"): {
      const uint8_t p = PairCode(op1, true);
      return p == kNoPair ? Advance(1) : DecodedLine{mnem[1] == 'U' ? Op::kPush : Op::kPop, p};
    }
    case Key("IN"):
    case Key("OUT"): return Advance(2);

    // ---- arithmetic and logic ----
    case Key("ADD"): return OnRegister(Op::kAdd, op1);
    case Key("ADC"): return OnRegister(Op::kAdc, op1);
    case Key("SUB"): return OnRegister(Op::kSub, op1);
    case Key("SBB"): return OnRegister(Op::kSbb, op1);
    case Key("ADI"): return WithValue(Op::kAdi, op1);
    case Key("ACI"): return WithValue(Op::kAci, op1);
    case Key("SUI"): return WithValue(Op::kSui, op1);
    case Key("SBI"): return WithValue(Op::kSbi, op1);
    case Key("INR"): return OnRegister(Op::kInr, op1);
    case Key("DCR"): return OnRegister(Op::kDcr, op1);
    case Key("DAD"): return OnPair(Op::kDad, op1);
    case Key("INX"): return OnPair(Op::kInx, op1);
    case Key("DCX"): return OnPair(Op::kDcx, op1);
    case Key("DAA"): return {Op::kDaa};
    case Key("ANA"): return OnRegister(Op::kAna, op1);
    case Key("XRA"): return OnRegister(Op::kXra, op1);
    case Key("ORA"): return OnRegister(Op::kOra, op1);
    case Key("ANI"): return WithValue(Op::kAni, op1);
    case Key("XRI"): return WithValue(Op::kXri, op1);
    case Key("ORI"): return WithValue(Op::kOri, op1);
    case Key("CMP"): return OnRegister(Op::kCmp, op1);
    case Key("CPI"): return WithValue(Op::kCpi, op1);
    case Key("CMC"): return {Op::kCmc};
    case Key("STC"): return {Op::kStc};
    case Key("CMA"): return {Op::kCma};
    case Key("RLC"): return {Op::kRlc};
    case Key("RRC"): return {Op::kRrc};
    case Key("RAL"): return {Op::kRal};
    case Key("RAR"): return {Op::kRar};

    // ---- control transfer ----
    case Key("PCHL"): return {Op::kPchl};
    case Key("JMP"): return WithValue(Op::kJmp, op1);
    case Key("CALL"): return {Op::kCall, 0, MonitorOf(op1), HexTextToInt(op1)};
    case Key("RET"):
      return {Op::kRet};
// clang-format off
#define TAMREL_COND(J, CC, RR, cond)                              \
    case Key(J): return Conditional(Op::kJcc, cond, op1);         \
    case Key(CC): return Conditional(Op::kCcc, cond, op1);        \
    case Key(RR): return {Op::kRcc, cond};
    TAMREL_COND("JC", "CC", "RC", kCondC)
    TAMREL_COND("JNC", "CNC", "RNC", kCondNC)
    TAMREL_COND("JZ", "CZ", "RZ", kCondZ)
    TAMREL_COND("JNZ", "CNZ", "RNZ", kCondNZ)
    TAMREL_COND("JM", "CM", "RM", kCondM)
    TAMREL_COND("JP", "CP", "RP", kCondP)
    TAMREL_COND("JPE", "CPE", "RPE", kCondPE)
    TAMREL_COND("JPO", "CPO", "RPO", kCondPO)
#undef TAMREL_COND
      // clang-format on
    case Key("RST"): return {Op::kRst};
    case Key("HLT"): return {Op::kHlt};
    case Key("NOP"): return {Op::kNop};
    default: return {Op::kNothing};  // not an instruction
  }
}

}  // namespace tamrel
