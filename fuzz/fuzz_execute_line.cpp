// Any line text, from any machine state, through ExecuteLine.
#include "fuzz_common.h"

using namespace tamrel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::Input in{data, size};
  Trainer& t = fuzz::Loaded(in);
  const std::string_view line = in.Rest();
  const TRegisters regs = t.m.R;
  const int32_t pc = t.m.PC;
  const bool stop = ExecuteLine(t, t.Command, line);
  if (stop && t.Command.Mnemonic != "RST" && t.Command.Mnemonic != "HLT") fuzz::Fail("stray stop");
  if (t.Command.Mnemonic == "RST" && !(t.m.R == regs && t.m.PC == pc)) fuzz::Fail("RST moved");
  fuzz::CheckFlags(t.m);
  fuzz::CheckListing(t.listing);
  return 0;
}
