// The emulated trainer's state: a 30001-byte memory window at 8200h..F730h, the register
// set, the program counter, the stack pointer and the five condition flags.
//
// Deliberately not the 8080: A is a 32-bit integer that an arithmetic step may push out of
// a byte until FlagsFromA brings it back, F is only ever an output of the flag record, and
// memory outside the window does not exist (reads give FFh, writes are dropped).
//
//   F, most significant bit first:   S  Z  0  AC  0  P  1  CY
#pragma once

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string_view>

#include "machine/numtext.h"

namespace tamrel {

constexpr int32_t kMemFirst = 0x8200;                   // address of element 0
constexpr int32_t kMemLast = 0xF730;                    // address of element 30000
constexpr int32_t kMemSize = kMemLast - kMemFirst + 1;  // 30001
constexpr int32_t kPowerUpPC = 0x8200;
constexpr int32_t kPowerUpSP = 0xF72F;

constexpr bool InWindow(int64_t addr) { return addr >= kMemFirst && addr <= kMemLast; }

// Wrapping 32-bit arithmetic, the way the trainer's integers behave, without signed overflow.
constexpr int32_t AddWrap(int32_t a, int32_t b) {
  return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}
constexpr int32_t SubWrap(int32_t a, int32_t b) {
  return static_cast<int32_t>(static_cast<uint32_t>(a) - static_cast<uint32_t>(b));
}

// The only way into the memory array: nothing else indexes it.
class Memory {
 public:
  uint8_t Read(int64_t addr) const { return InWindow(addr) ? bytes_[addr - kMemFirst] : 0xFF; }
  void Write(int64_t addr, uint8_t v) {
    if (InWindow(addr)) bytes_[addr - kMemFirst] = v;
  }
  bool operator==(const Memory&) const = default;

  // Calls f(addr, byteBefore) for every address whose byte differs from `before`, in address
  // order; what a step changed is kept this way. Equal blocks are skipped whole.
  template <class F>
  void ForEachChange(const Memory& before, F&& f) const {
    constexpr size_t kBlock = 256;
    for (size_t i = 0; i < bytes_.size(); i += kBlock) {
      const size_t n = std::min(kBlock, bytes_.size() - i);
      if (std::memcmp(&bytes_[i], &before.bytes_[i], n) == 0) continue;
      for (size_t k = i; k < i + n; ++k)
        if (bytes_[k] != before.bytes_[k]) f(kMemFirst + static_cast<int64_t>(k), before.bytes_[k]);
    }
  }

 private:
  std::array<uint8_t, kMemSize> bytes_{};
};

struct TRegisters {
  int32_t A = 0;
  uint8_t B = 0, C = 0, D = 0, E = 0, H = 0, L = 0;
  uint8_t M = 0;  // a shown byte only; the operand name M means the memory byte at HL
  uint8_t F = 2;
  bool operator==(const TRegisters&) const = default;
};

struct TFlags {
  uint8_t CY = 0, P = 0, AC = 0, Z = 0, S = 0;
  bool operator==(const TFlags&) const = default;
};

struct Machine {
  Memory Mem;
  TRegisters R;
  int32_t PC = kPowerUpPC;
  int32_t SP = kPowerUpSP;
  TFlags Flags;
};

enum class Flag { CY, P, AC, Z, S };

// Inline, with FlagsFromA: nearly every executed line of arithmetic ends in them.
inline void PackFlags(Machine& m) {
  const TFlags& f = m.Flags;
  uint8_t v = f.CY ? 3 : 2;
  if (f.P) v += 4;
  if (f.AC) v += 16;
  if (f.Z) v += 64;
  if (f.S) v += 128;
  m.R.F = v;
}

void SetFlag(Machine& m, Flag f, int value);

// Brings A back into a byte (one correction of 256 each way, setting CY on a wrap; never
// clearing it), then derives Z, S and P from A. Each flag is set as by SetFlag; F is packed
// once at the end, which comes to the same.
inline void FlagsFromA(Machine& m) {
  int32_t& a = m.R.A;
  TFlags& f = m.Flags;
  if (a > 255) {
    a -= 256;
    f.CY = 1;
  }
  if (a < 0) {
    a += 256;
    f.CY = 1;
  }
  f.Z = a == 0;
  f.S = a >= 128;
  // Parity counts the ones of IntToBinText(A), which saturates at 255.
  f.P = std::popcount(static_cast<uint32_t>(BinValue(a))) % 2 == 0;
  PackFlags(m);
}
// The second character of IntToHexText(v) read as a hex digit; v mod 16 for 0..255.
int32_t LowDigit(int32_t v);
void AuxCarryAdd(Machine& m, uint8_t x, int32_t byteValue);
void AuxCarrySub(Machine& m, uint8_t x, int32_t byteValue);
void InitRegisters(TRegisters& r);

// Uniform numbers in [0, 1); the window seeds it from the clock, tests pass their own.
using RandomSource = std::function<double()>;
RandomSource ClockSeededRandom();
// Each byte in address order gets Round(r * 255), halves to even.
void RandomFill(Memory& mem, const RandomSource& rnd);
uint8_t RoundToByte(double r);

}  // namespace tamrel
