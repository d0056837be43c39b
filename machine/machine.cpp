#include "machine/machine.h"

#include <chrono>
#include <cmath>
#include <memory>
#include <random>
#include <string>

#include "machine/numtext.h"

namespace tamrel {

void SetFlag(Machine& m, Flag f, int value) {
  const uint8_t v = value != 0 ? 1 : 0;
  switch (f) {
    case Flag::CY: m.Flags.CY = v; break;
    case Flag::P: m.Flags.P = v; break;
    case Flag::AC: m.Flags.AC = v; break;
    case Flag::Z: m.Flags.Z = v; break;
    case Flag::S: m.Flags.S = v; break;
  }
  PackFlags(m);
}

int32_t LowDigit(int32_t v) {
  if (v >= 0 && v <= 255) return v & 15;
  const std::string text = IntToHexText(v);
  if (text.size() < 2) return 0;
  const char pair[2] = {'0', text[1]};
  return HexTextToInt(std::string_view(pair, 2));
}

void AuxCarryAdd(Machine& m, uint8_t x, int32_t byteValue) {
  SetFlag(m, Flag::AC, LowDigit(x) + LowDigit(byteValue) > 15);
}

void AuxCarrySub(Machine& m, uint8_t x, int32_t byteValue) {
  SetFlag(m, Flag::AC, LowDigit(x) < LowDigit(byteValue));
}

void InitRegisters(TRegisters& r) { r = TRegisters{}; }

RandomSource ClockSeededRandom() {
  auto seed =
      static_cast<uint64_t>(std::chrono::high_resolution_clock::now().time_since_epoch().count());
  auto gen = std::make_shared<std::mt19937_64>(seed);
  return [gen] {
    const double r = std::generate_canonical<double, 53>(*gen);
    return r < 1.0 ? r : std::nextafter(1.0, 0.0);  // some library versions can return 1
  };
}

uint8_t RoundToByte(double r) {
  // nearbyint under the default rounding mode rounds halves to the even neighbour.
  const double v = std::nearbyint(r * 255.0);
  return static_cast<uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v));
}

void RandomFill(Memory& mem, const RandomSource& rnd) {
  for (int32_t a = kMemFirst; a <= kMemLast; ++a) mem.Write(a, RoundToByte(rnd()));
}

}  // namespace tamrel
