#include "core/core.h"

#include <chrono>
#include <thread>

namespace tamrel {

void RealSleep1ms() { std::this_thread::sleep_for(std::chrono::milliseconds(1)); }

void StoreByte(Core& c, int64_t addr, uint8_t value, std::string_view codeText) {
  if (!InWindow(addr)) return;
  c.m.Mem.Write(addr, value);
  c.listing.SetCode(RowOfAddress(addr), codeText);
}

}  // namespace tamrel
