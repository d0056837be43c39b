#include <gtest/gtest.h>

#include "machine/machine.h"
#include "machine/numtext.h"
#include "support/program.h"

namespace tamrel {
namespace {

using test::SetFlag;

TEST(Flags, PowerUpAndPacking) {
  Machine m;
  EXPECT_EQ(m.R.F, 2);
  EXPECT_EQ(m.PC, 0x8200);
  EXPECT_EQ(m.SP, 0xF72F);
  SetFlag(m, "cy", 1);  // names are case-sensitive
  EXPECT_EQ(m.Flags, TFlags{});
  EXPECT_EQ(m.R.F, 2);
  for (const char* n : {"CY", "P", "AC", "Z", "S"}) SetFlag(m, n, 1);
  EXPECT_EQ(m.R.F, 0xD7);
  SetFlag(m, "CY", 0);
  EXPECT_EQ(m.R.F, 0xD6);
}

TEST(Flags, FlagsFromA) {
  // clang-format off
  const struct {
    int32_t aBefore;
    uint8_t cyBefore;
    int32_t a;
    uint8_t cy, z, s, p;
  } cases[] = {
      {256, 0, 0, 1, 1, 0, 1},   {-1, 0, 255, 1, 0, 1, 1},  {0, 1, 0, 1, 1, 0, 1},
      {0x80, 0, 0x80, 0, 0, 1, 0}, {0x80, 1, 0x80, 1, 0, 1, 0}, {600, 0, 344, 1, 0, 1, 1},
      {-256, 0, 0, 1, 1, 0, 1},  {5, 0, 5, 0, 0, 0, 1},
  };
  // clang-format on
  for (const auto& c : cases) {
    Machine m;
    m.Flags.CY = c.cyBefore;
    m.R.A = c.aBefore;
    FlagsFromA(m);
    EXPECT_EQ(m.R.A, c.a) << c.aBefore;
    EXPECT_EQ(m.Flags.CY, c.cy) << c.aBefore;
    EXPECT_EQ(m.Flags.Z, c.z) << c.aBefore;
    EXPECT_EQ(m.Flags.S, c.s) << c.aBefore;
    EXPECT_EQ(m.Flags.P, c.p) << c.aBefore;
  }
}

TEST(Flags, LowDigitAndAuxCarry) {
  EXPECT_EQ(LowDigit(0x3C), 0xC);
  EXPECT_EQ(LowDigit(0x1FF), 1);    // text 01FF
  EXPECT_EQ(LowDigit(0x10000), 0);  // text 0
  EXPECT_EQ(LowDigit(-1), 0);       // text 0-1
  // clang-format off
  const struct {
    bool add;
    uint8_t x;
    int32_t byteValue;
    uint8_t ac;
  } cases[] = {{true, 0x0F, 0x01, 1},  {true, 0x08, 0x07, 0}, {false, 0x10, 0x01, 1},
               {false, 0x1F, 0x01, 0}, {false, 0x13, 0x23, 0}};
  // clang-format on
  for (const auto& c : cases) {
    Machine m;
    if (c.add)
      AuxCarryAdd(m, c.x, c.byteValue);
    else
      AuxCarrySub(m, c.x, c.byteValue);
    EXPECT_EQ(m.Flags.AC, c.ac) << int(c.x) << " " << c.byteValue;
  }
}

TEST(Machine, MemoryOutsideTheWindow) {
  Memory mem;
  mem.Write(0x81FF, 1);
  mem.Write(0xF731, 1);
  mem.Write(-5, 1);
  EXPECT_EQ(mem, Memory{});
  EXPECT_EQ(mem.Read(0x81FF), 0xFF);
  EXPECT_EQ(mem.Read(0xF731), 0xFF);
  mem.Write(0xF730, 7);
  EXPECT_EQ(mem.Read(0xF730), 7);
}

TEST(Machine, RandomFillRoundsHalvesToEven) {
  EXPECT_EQ(RoundToByte(0.0), 0);
  EXPECT_EQ(RoundToByte(100.0 / 255), 100);
  EXPECT_EQ(RoundToByte(0.999999), 255);
  Memory mem;
  double r = 0;
  RandomFill(mem, [&] { return r += 1.0 / 255 / 4; });
  EXPECT_EQ(mem.Read(0x8200), 0);
  EXPECT_EQ(mem.Read(0x8201), 0);  // exactly half a step: the even neighbour
  EXPECT_EQ(mem.Read(0x8203), 1);  // 4/4 of a step
  EXPECT_EQ(mem.Read(0x8205), 2);  // one and a half steps
  for (int k = 0; k < 6; ++k) EXPECT_EQ(RoundToByte((k + 0.5) / 255), (k + 1) / 2 * 2) << k;
}

}  // namespace
}  // namespace tamrel
