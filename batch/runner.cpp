#include "batch/runner.h"

#include <algorithm>
#include <string_view>
#include <utility>
#include <vector>

#include "files/ihex.h"
#include "files/memfile.h"
#include "machine/numtext.h"
#include "machine/text.h"
#include "panel/powerup.h"
#include "panel/quiet.h"
#include "panel/trainer.h"

namespace tamrel {

namespace {

bool IsHexFile(const std::string& path) {
  return path.size() >= 4 && AsciiUpper(std::string_view(path).substr(path.size() - 4)) == ".HEX";
}

void NoSleep() {}

void Apply(Machine& m, const BatchOptions::Setting& s) {
  static constexpr std::pair<std::string_view, uint8_t TRegisters::*> kBytes[] = {
      {"B", &TRegisters::B}, {"C", &TRegisters::C}, {"D", &TRegisters::D},
      {"E", &TRegisters::E}, {"H", &TRegisters::H}, {"L", &TRegisters::L}};
  if (s.name == "A") {
    m.R.A = s.value;
    return;
  }
  if (s.name == "SP") {
    m.SP = s.value;
    return;
  }
  for (const auto& [name, field] : kBytes) {
    if (s.name != name) continue;
    m.R.*field = static_cast<uint8_t>(s.value);
    return;
  }
  static constexpr std::pair<std::string_view, Flag> kFlags[] = {
      {"CY", Flag::CY}, {"P", Flag::P}, {"AC", Flag::AC}, {"Z", Flag::Z}, {"S", Flag::S}};
  for (const auto& [name, flag] : kFlags)
    if (s.name == name) SetFlag(m, flag, s.value);  // F follows, as after a flag box click
}

const char* StopText(RunEnd e) {
  switch (e) {
    case RunEnd::Hlt: return "hlt";
    case RunEnd::Rst: return "rst";
    case RunEnd::RstKey:      // no key is ever pressed here
    case RunEnd::Breakpoint:  // and no row is ever marked
    case RunEnd::Limit: break;
  }
  return "limit";
}

void Field(std::string& out, const char* name, std::string_view cp1251Text) {
  out += ",\"";
  out += name;
  out += "\":";
  out += JsonString(cp1251Text);
}

}  // namespace

struct BatchRunner::State {
  DataKeepingView view;
  Trainer t;
  Listing powerUp;
  State() : t(view, NoSleep), powerUp(PowerUpWithZeros(t)) {
    t.history.enabled = false;  // nothing here steps back
  }
};

BatchRunner::BatchRunner() : s_(std::make_unique<State>()) {}
BatchRunner::~BatchRunner() = default;

BatchReport BatchRunner::Run(const std::string& path, const BatchOptions& o) {
  PowerUpAgain(s_->t, s_->powerUp);
  Trainer& t = s_->t;
  t.sleep1ms = !o.realTime ? NoSleep : o.nopPause ? o.nopPause : RealSleep1ms;
  const auto err = IsHexFile(path) ? ImportHex(t, path) : OpenImage(t, path);
  std::string json = "{\"file\":" + JsonUtf8String(path);
  if (err) {
    json += ",\"stop\":\"error\"";
    Field(json, "error", *err);
    return {json + '}', kBatchFailed};
  }
  RefreshPanel(t);

  for (const auto& setting : o.settings) Apply(t.m, setting);
  t.m.PC = o.from;
  const RunResult r = RunKey(t, o.maxLines);
  const std::string& shownAtStop = s_->view.shownBefore;

  json += ",\"stop\":\"";
  json += StopText(r.end);
  json += "\",\"lines\":" + std::to_string(r.lines);
  const TRegisters& g = t.m.R;
  Field(json, "PC", IntToHexText(t.m.PC));
  Field(json, "SP", IntToHexText(t.m.SP));
  const struct {
    const char* name;
    int32_t value;
  } registers[] = {{"A", g.A}, {"B", g.B}, {"C", g.C}, {"D", g.D},
                   {"E", g.E}, {"H", g.H}, {"L", g.L}, {"F", g.F}};
  for (const auto& reg : registers) Field(json, reg.name, IntToHexText(reg.value));
  const TFlags& f = t.m.Flags;
  json += ",\"flags\":{\"CY\":" + std::to_string(f.CY) + ",\"P\":" + std::to_string(f.P) +
          ",\"AC\":" + std::to_string(f.AC) + ",\"Z\":" + std::to_string(f.Z) +
          ",\"S\":" + std::to_string(f.S) + '}';
  Field(json, "data_display", shownAtStop);

  // Each dumped address once, in address order, however the ranges overlap.
  std::vector<bool> dumped(kMemSize, false);
  for (const auto& d : o.dumps)
    std::fill(dumped.begin() + (d.first - kMemFirst), dumped.begin() + (d.last - kMemFirst + 1),
              true);
  json += ",\"memory\":{";
  bool first = true;
  for (int32_t a = kMemFirst; a <= kMemLast; ++a) {
    if (!dumped[static_cast<size_t>(a - kMemFirst)]) continue;
    json += first ? "" : ",";
    first = false;
    json += JsonString(IntToHexText(a)) + ':' + JsonString(ByteText(t.m.Mem.Read(a)));
  }
  json += "}}";
  return {json, r.end == RunEnd::Limit ? kBatchLimit : kBatchStopped};
}

}  // namespace tamrel
