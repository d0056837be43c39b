#include "batch/batch.h"

#include <algorithm>
#include <atomic>
#include <charconv>
#include <condition_variable>
#include <mutex>
#include <ostream>
#include <thread>
#include <utility>

#include "files/ihex.h"
#include "files/memfile.h"
#include "machine/numtext.h"
#include "panel/trainer.h"

namespace tamrel {

const char* const kBatchUsage =
    "usage: tamrel-batch [options] FILE...\n"
    "Runs each memory image (.mem, 30000 bytes) or Intel HEX file (.hex) as the RUN key runs\n"
    "it, from a machine at its power-up values, and prints one JSON object per file.\n"
    "  --from ADDR        start address (hex, default 8200)\n"
    "  --max-lines N      stop after N executed lines (default 10000000)\n"
    "  --set NAME=HEX     before running: A B C D E H L SP, or a flag CY P AC Z S (0/1);\n"
    "                     repeatable\n"
    "  --dump FIRST:LAST  add these memory bytes to the report (hex addresses, repeatable)\n"
    "  --real-time        let NOP pause 1 ms as in the window (default: no pause)\n"
    "  --help             show this text\n"
    "Exit status: 0 every file stopped on HLT or RST, 3 some file reached the line limit,\n"
    "2 some file could not be read or an option is wrong.\n";

namespace {

// ---- options ----

// One to `maxDigits` hexadecimal digits of either case.
std::optional<int32_t> HexNumber(std::string_view s, size_t maxDigits) {
  if (s.empty() || s.size() > maxDigits) return std::nullopt;
  int32_t v = 0;
  for (char ch : s) {
    int d;
    if (ch >= '0' && ch <= '9')
      d = ch - '0';
    else if (ch >= 'A' && ch <= 'F')
      d = ch - 'A' + 10;
    else if (ch >= 'a' && ch <= 'f')
      d = ch - 'a' + 10;
    else
      return std::nullopt;
    v = v * 16 + d;
  }
  return v;
}

std::string Upper(std::string_view s) {
  std::string u(s);
  for (char& ch : u)
    if (ch >= 'a' && ch <= 'z') ch = static_cast<char>(ch - 'a' + 'A');
  return u;
}

std::optional<std::string> ParseSetting(std::string_view v, BatchOptions& o) {
  const size_t eq = v.find('=');
  if (eq == std::string_view::npos) return "--set wants NAME=HEX, not '" + std::string(v) + "'";
  const std::string name = Upper(v.substr(0, eq));
  const std::string_view text = v.substr(eq + 1);
  static constexpr std::string_view kRegisters[] = {"A", "B", "C", "D", "E", "H", "L"};
  static constexpr std::string_view kFlags[] = {"CY", "P", "AC", "Z", "S"};
  std::optional<int32_t> value;
  if (std::find(std::begin(kRegisters), std::end(kRegisters), name) != std::end(kRegisters)) {
    value = HexNumber(text, 2);
    if (!value) return "--set " + name + " wants a byte 00..FF, not '" + std::string(text) + "'";
  } else if (name == "SP") {
    value = HexNumber(text, 4);
    if (!value) return "--set SP wants an address 0000..FFFF, not '" + std::string(text) + "'";
  } else if (std::find(std::begin(kFlags), std::end(kFlags), name) != std::end(kFlags)) {
    if (text != "0" && text != "1")
      return "--set " + name + " wants 0 or 1, not '" + std::string(text) + "'";
    value = text == "1";
  } else {
    return "--set: unknown name '" + std::string(v.substr(0, eq)) +
           "' (A B C D E H L SP CY P AC Z S)";
  }
  o.settings.push_back({name, *value});
  return std::nullopt;
}

std::optional<std::string> ParseDump(std::string_view v, BatchOptions& o) {
  const size_t colon = v.find(':');
  const auto first =
      colon == std::string_view::npos ? std::nullopt : HexNumber(v.substr(0, colon), 4);
  const auto last =
      colon == std::string_view::npos ? std::nullopt : HexNumber(v.substr(colon + 1), 4);
  if (!first || !last) return "--dump wants FIRST:LAST in hex, not '" + std::string(v) + "'";
  if (!InWindow(*first) || !InWindow(*last) || *first > *last)
    return "--dump " + std::string(v) + ": the range must lie in 8200..F730, first to last";
  o.dumps.push_back({*first, *last});
  return std::nullopt;
}

std::optional<std::string> ParseOption(std::string_view name, std::string_view v, BatchOptions& o) {
  if (name == "--from") {
    const auto a = HexNumber(v, 4);
    if (!a) return "--from wants an address 0000..FFFF in hex, not '" + std::string(v) + "'";
    o.from = *a;
    return std::nullopt;
  }
  if (name == "--max-lines") {
    uint64_t n = 0;
    const auto [end, ec] = std::from_chars(v.data(), v.data() + v.size(), n);
    if (v.empty() || ec != std::errc() || end != v.data() + v.size() || n == 0 || n == kNoLineLimit)
      return "--max-lines wants a whole number of lines from 1, not '" + std::string(v) + "'";
    o.maxLines = n;
    return std::nullopt;
  }
  if (name == "--set") return ParseSetting(v, o);
  return ParseDump(v, o);
}

// ---- the report ----

// Code page 1251 bytes 80h..BFh; C0h..FFh are U+0410..U+044F in order.
constexpr uint16_t kCp1251High[64] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409,
    0x2039, 0x040A, 0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0xFFFD, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0,
    0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB,
    0x00AC, 0x00AD, 0x00AE, 0x0407, 0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6,
    0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457};

void PutUtf8(std::string& out, uint32_t u) {
  if (u < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (u >> 6)));
  } else {
    out.push_back(static_cast<char>(0xE0 | (u >> 12)));
    out.push_back(static_cast<char>(0x80 | ((u >> 6) & 0x3F)));
  }
  out.push_back(static_cast<char>(0x80 | (u & 0x3F)));
}

// An ASCII character as JSON wants it inside a string.
void PutAscii(std::string& out, char ch) {
  static constexpr char kHex[] = "0123456789abcdef";
  switch (ch) {
    case '"': out += "\\\""; return;
    case '\\': out += "\\\\"; return;
    case '\n': out += "\\n"; return;
    case '\r': out += "\\r"; return;
    case '\t': out += "\\t"; return;
    default: break;
  }
  if (static_cast<uint8_t>(ch) < 0x20 || ch == 0x7F) {
    out += "\\u00";
    out.push_back(kHex[static_cast<uint8_t>(ch) >> 4]);
    out.push_back(kHex[ch & 0xF]);
  } else {
    out.push_back(ch);
  }
}

// Length of the well-formed UTF-8 sequence at the start of `s`, 0 if there is none.
size_t Utf8Length(std::string_view s) {
  const auto c = static_cast<uint8_t>(s[0]);
  const size_t n = c >= 0xC2 && c <= 0xDF   ? 2
                   : c >= 0xE0 && c <= 0xEF ? 3
                   : c >= 0xF0 && c <= 0xF4 ? 4
                                            : 0;
  if (n == 0 || s.size() < n) return 0;
  for (size_t k = 1; k < n; ++k)
    if ((static_cast<uint8_t>(s[k]) & 0xC0) != 0x80) return 0;
  const auto d = static_cast<uint8_t>(s[1]);
  if ((c == 0xE0 && d < 0xA0) || (c == 0xED && d >= 0xA0) || (c == 0xF0 && d < 0x90) ||
      (c == 0xF4 && d >= 0x90))
    return 0;  // overlong, surrogate or beyond U+10FFFF
  return n;
}

// A file name is whatever bytes the file system holds; anything that is not UTF-8 is shown
// as U+FFFD so that the line stays valid JSON.
std::string JsonPath(std::string_view s) {
  std::string out = "\"";
  while (!s.empty()) {
    if (static_cast<uint8_t>(s[0]) < 0x80) {
      PutAscii(out, s[0]);
      s.remove_prefix(1);
    } else if (const size_t n = Utf8Length(s)) {
      out.append(s.substr(0, n));
      s.remove_prefix(n);
    } else {
      PutUtf8(out, 0xFFFD);
      s.remove_prefix(1);
    }
  }
  return out + '"';
}

// Shows nothing, but keeps what the data display showed as a program's run ended: RUN blanks
// it, the monitor routine 0294 writes it, and the refresh at the end of the run (one more
// ShowData, the last of the run) overwrites it, so the text before that last one is kept.
class BatchView : public PanelView {
 public:
  std::string data, shownBefore;
  void ShowAddress(std::string_view) override {}
  void ShowData(std::string_view text) override {
    shownBefore = std::move(data);
    data = text;
  }
  void ShowEntry(std::string_view) override {}
  void ShowRegisters(const TRegisters&) override {}
  void ShowFlags(const TFlags&) override {}
  void ShowStackPointer(std::string_view) override {}
  void ProcessEvents() override {}
};

bool IsHexFile(const std::string& path) {
  return path.size() >= 4 && Upper(std::string_view(path).substr(path.size() - 4)) == ".HEX";
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

std::string JsonString(std::string_view cp1251) {
  std::string out = "\"";
  for (char ch : cp1251) {
    const auto b = static_cast<uint8_t>(ch);
    if (b < 0x80)
      PutAscii(out, ch);
    else
      PutUtf8(out, b >= 0xC0 ? 0x0410u + (b - 0xC0u) : kCp1251High[b - 0x80]);
  }
  return out + '"';
}

std::optional<std::string> ParseBatchArgs(const std::vector<std::string>& args, BatchOptions& o) {
  bool optionsEnd = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (optionsEnd || a.size() < 2 || a[0] != '-') {
      o.files.push_back(a);
      continue;
    }
    if (a == "--") {
      optionsEnd = true;
      continue;
    }
    if (a == "--help" || a == "-h") {
      o.help = true;
      continue;
    }
    if (a == "--real-time") {
      o.realTime = true;
      continue;
    }
    const size_t eq = a.find('=');
    const std::string name = a.substr(0, eq);
    if (name != "--from" && name != "--max-lines" && name != "--set" && name != "--dump")
      return "unknown option '" + a + "'";
    std::string value;
    if (eq != std::string::npos) {
      value = a.substr(eq + 1);
    } else if (i + 1 < args.size()) {
      value = args[++i];
    } else {
      return name + " wants a value";
    }
    if (auto err = ParseOption(name, value, o)) return err;
  }
  if (!o.help && o.files.empty()) return std::string("no FILE given");
  return std::nullopt;
}

struct BatchRunner::State {
  BatchView view;
  Trainer t;
  Listing powerUp;  // the listing of a new trainer with every byte 00h
  State() : t(view, NoSleep) {
    t.history.enabled = false;  // nothing here steps back
    // Power-up with every byte 00h; the random fill is the only thing the window adds.
    BuildMachine(t, [] { return 0.0; });
    ResetPanel(t);
    powerUp = t.listing;
    t.listing.TakeChangedRows();
  }
  // Back to the state just built: whatever a file and its run changed is put back.
  void Reset() {
    t.listing.RestoreChangedRows(powerUp);
    t.listing.TakeChangedRows();
    t.m = Machine{};
    t.Entry = LineEntry{};
    t.Display = TDisplay{};
    t.StopRequest = false;
    t.Command = TCommand{};
    ResetPanel(t);
  }
};

BatchRunner::BatchRunner() : s_(std::make_unique<State>()) {}
BatchRunner::~BatchRunner() = default;

BatchReport BatchRunner::Run(const std::string& path, const BatchOptions& o) {
  s_->Reset();
  Trainer& t = s_->t;
  t.sleep1ms = !o.realTime ? NoSleep : o.nopPause ? o.nopPause : RealSleep1ms;
  const auto err = IsHexFile(path) ? ImportHex(t, path) : OpenImage(t, path);
  std::string json = "{\"file\":" + JsonPath(path);
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

int RunBatch(const BatchOptions& o, std::ostream& out, unsigned workers) {
  const size_t n = o.files.size();
  workers = static_cast<unsigned>(std::clamp<size_t>(workers, 1, std::max<size_t>(n, 1)));
  int status = kBatchStopped;
  auto report = [&](const BatchReport& r) {
    out << r.json << '\n';
    if (r.status == kBatchFailed || (r.status == kBatchLimit && status != kBatchFailed))
      status = r.status;
  };
  if (workers == 1) {
    BatchRunner runner;
    for (const std::string& path : o.files) report(runner.Run(path, o));
    out.flush();
    return status;
  }

  // Each worker takes the next file on its own trainer; the reports still come out in the
  // order of the files, each as soon as it and all before it are done.
  std::vector<std::optional<BatchReport>> done(n);
  std::mutex mu;
  std::condition_variable ready;
  std::atomic<size_t> next{0};
  std::vector<std::thread> threads;
  for (unsigned w = 0; w < workers; ++w)
    threads.emplace_back([&] {
      BatchRunner runner;
      for (size_t i; (i = next++) < n;) {
        BatchReport r = runner.Run(o.files[i], o);
        const std::lock_guard lock(mu);
        done[i] = std::move(r);
        ready.notify_all();
      }
    });
  for (size_t i = 0; i < n; ++i) {
    std::unique_lock lock(mu);
    ready.wait(lock, [&] { return done[i].has_value(); });
    const BatchReport r = std::move(*done[i]);
    done[i].reset();
    lock.unlock();
    report(r);
  }
  for (auto& th : threads) th.join();
  out.flush();
  return status;
}

int BatchMain(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  BatchOptions o;
  if (auto what = ParseBatchArgs(args, o)) {
    err << "tamrel-batch: " << *what << '\n' << kBatchUsage;
    return kBatchFailed;
  }
  if (o.help) {
    out << kBatchUsage;
    return kBatchStopped;
  }
  return RunBatch(o, out, std::thread::hardware_concurrency());
}

}  // namespace tamrel
