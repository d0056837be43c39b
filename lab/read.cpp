// Reading a `.lab` file: JSON through nlohmann/json, then every field checked by hand so that a
// teacher's slip is named in Russian ("Поле «expect.registers.A»: ..."), not in the parser's
// English. Nothing here throws: the parse is told not to, and a value is only taken once its
// type is checked, so the reader works the same where exceptions are switched off.
#include <algorithm>
#include <cstdio>
#include <nlohmann/json.hpp>

#include "files/ihex.h"
#include "lab/lab.h"
#include "machine/numtext.h"
#include "machine/text.h"

namespace tamrel {

namespace {

using Json = nlohmann::ordered_json;
using Error = std::optional<std::string>;

// The messages are written here in UTF-8 and kept as code page 1251, like every core text.
std::string R(std::string_view utf8) { return Utf8ToCp1251Replacing(utf8, '?'); }

Error Fail(std::string_view path, std::string_view utf8What, std::string_view cp1251Tail = {}) {
  return R("Поле «") + R(path) + R("»: ") + R(utf8What) + std::string(cp1251Tail);
}

// A value as the message shows it: a string in «», anything else as JSON, both cut short.
std::string Shown(const Json& j) {
  std::string s = j.is_string() ? j.get_ref<const std::string&>()
                                : j.dump(-1, ' ', false, Json::error_handler_t::replace);
  if (s.size() > 24) s = s.substr(0, 24) + "...";
  return R(", а не «") + R(s) + R("»");
}

// One to `maxDigits` hexadecimal digits of either case, as a string.
std::optional<int32_t> HexNumber(const Json& j, size_t maxDigits) {
  if (!j.is_string()) return std::nullopt;
  return AnyCaseHexNumber(j.get_ref<const std::string&>(), maxDigits);
}

Error Address(const Json& j, const std::string& path, int32_t& out) {
  const auto a = HexNumber(j, 4);
  if (!a || !InWindow(*a)) return Fail(path, "нужен адрес 8200..F730 строкой", Shown(j));
  out = *a;
  return std::nullopt;
}

// Pairs of hexadecimal digits, blanks allowed between the pairs.
Error Bytes(const Json& j, const std::string& path, std::vector<uint8_t>& out) {
  const auto what = "нужны байты: пары шестнадцатеричных цифр строкой, например \"12 05 20\"";
  if (!j.is_string()) return Fail(path, what, Shown(j));
  const auto& s = j.get_ref<const std::string&>();
  out.clear();
  for (size_t k = 0; k < s.size();) {
    if (s[k] == ' ') {
      ++k;
      continue;
    }
    if (k + 1 >= s.size() || AnyCaseHexDigit(s[k]) < 0 || AnyCaseHexDigit(s[k + 1]) < 0)
      return Fail(path, what, Shown(j));
    out.push_back(static_cast<uint8_t>(AnyCaseHexDigit(s[k]) * 16 + AnyCaseHexDigit(s[k + 1])));
    k += 2;
  }
  if (out.empty()) return Fail(path, what, Shown(j));
  return std::nullopt;
}

Error Text(const Json& j, const std::string& path, std::string& out) {
  if (!j.is_string()) return Fail(path, "нужна строка", Shown(j));
  out = R(j.get_ref<const std::string&>());
  return std::nullopt;
}

Error Count(const Json& j, const std::string& path, uint64_t most, uint64_t& out) {
  char range[64];
  std::snprintf(range, sizeof range, "нужно целое число от 1 до %llu",
                static_cast<unsigned long long>(most));
  if (!j.is_number_unsigned() || j.get<uint64_t>() < 1 || j.get<uint64_t>() > most)
    return Fail(path, range, Shown(j));
  out = j.get<uint64_t>();
  return std::nullopt;
}

// An object whose every key is one of `known`.
Error Object(const Json& j, const std::string& path,
             std::initializer_list<std::string_view> known) {
  if (!j.is_object()) return Fail(path, "нужен объект { ... }", Shown(j));
  for (const auto& [key, value] : j.items())
    if (std::find(known.begin(), known.end(), key) == known.end()) {
      std::string list;
      for (std::string_view k : known) list += (list.empty() ? "" : ", ") + std::string(k);
      return Fail(path.empty() ? key : path + "." + key, "неизвестное поле; здесь бывают: " + list);
    }
  return std::nullopt;
}

std::string Join(const std::string& path, std::string_view key) {
  return path.empty() ? std::string(key) : path + "." + std::string(key);
}

// Register name to value, in the file's order.
Error Registers(const Json& j, const std::string& path, std::vector<LabRegisterValue>& out) {
  static constexpr std::pair<std::string_view, LabRegister> kNames[] = {
      {"A", LabRegister::A}, {"B", LabRegister::B},   {"C", LabRegister::C},
      {"D", LabRegister::D}, {"E", LabRegister::E},   {"H", LabRegister::H},
      {"L", LabRegister::L}, {"PC", LabRegister::PC}, {"SP", LabRegister::SP}};
  if (auto err = Object(j, path, {"A", "B", "C", "D", "E", "H", "L", "PC", "SP"})) return err;
  for (const auto& item : j.items()) {
    const std::string& key = item.key();  // a name a lambda can take (clang before 16)
    const Json& value = item.value();
    const auto it = std::find_if(std::begin(kNames), std::end(kNames),
                                 [&](const auto& n) { return n.first == key; });
    const bool wide = it->second == LabRegister::PC || it->second == LabRegister::SP;
    const auto v = HexNumber(value, wide ? 4 : 2);
    if (!v)
      return Fail(Join(path, key),
                  wide ? "нужен адрес 0000..FFFF строкой" : "нужен байт 00..FF строкой",
                  Shown(value));
    out.push_back({it->second, *v});
  }
  return std::nullopt;
}

Error Flags(const Json& j, const std::string& path, std::vector<LabFlagValue>& out) {
  static constexpr std::pair<std::string_view, Flag> kNames[] = {
      {"CY", Flag::CY}, {"P", Flag::P}, {"AC", Flag::AC}, {"Z", Flag::Z}, {"S", Flag::S}};
  if (auto err = Object(j, path, {"CY", "P", "AC", "Z", "S"})) return err;
  for (const auto& item : j.items()) {
    const std::string& key = item.key();  // a name a lambda can take (clang before 16)
    const Json& value = item.value();
    const auto it = std::find_if(std::begin(kNames), std::end(kNames),
                                 [&](const auto& n) { return n.first == key; });
    int v = -1;
    if (value.is_boolean()) v = value.get<bool>();
    if (value.is_number_unsigned() && value.get<uint64_t>() <= 1)
      v = static_cast<int>(value.get<uint64_t>());
    if (v < 0) return Fail(Join(path, key), "нужно 0 или 1", Shown(value));
    out.push_back({it->second, v});
  }
  return std::nullopt;
}

// [{"name": ..., "at": "8300", "bytes": "12 05"}, ...]
Error Ranges(const Json& j, const std::string& path, std::vector<LabBytes>& out) {
  if (!j.is_array() || j.empty())
    return Fail(path, "нужен список [{\"at\": ..., \"bytes\": ...}, ...]", Shown(j));
  for (size_t k = 0; k < j.size(); ++k) {
    const std::string at = path + "[" + std::to_string(k) + "]";
    const Json& e = j[k];
    if (auto err = Object(e, at, {"name", "at", "bytes"})) return err;
    for (const char* need : {"at", "bytes"})
      if (!e.contains(need)) return Fail(at, std::string("нет поля «") + need + "»");
    LabBytes b;
    if (e.contains("name"))
      if (auto err = Text(e["name"], at + ".name", b.name)) return err;
    if (auto err = Address(e["at"], at + ".at", b.at)) return err;
    if (auto err = Bytes(e["bytes"], at + ".bytes", b.bytes)) return err;
    if (!InWindow(b.Last())) return Fail(at, "байты выходят за конец памяти F730");
    out.push_back(std::move(b));
  }
  return std::nullopt;
}

// Intel HEX records in a string: their bytes, consecutive addresses joined into one range.
Error HexData(const Json& j, std::vector<LabBytes>& out) {
  if (!j.is_string()) return Fail("hex", "нужна строка с записями Intel HEX", Shown(j));
  std::vector<HexByte> bytes;
  if (auto err = ParseHex(j.get_ref<const std::string&>(), bytes)) return Fail("hex", "", *err);
  for (const HexByte& b : bytes) {
    if (out.empty() || out.back().Last() + 1 != b.addr) out.push_back({"", b.addr, {}});
    out.back().bytes.push_back(b.value);
  }
  return std::nullopt;
}

Error Stops(const Json& j, std::vector<RunEnd>& out) {
  const auto what = "нужно \"HLT\", \"RST\" или [\"HLT\", \"RST\"]";
  const Json list = j.is_array() ? j : Json::array({j});
  if (list.empty()) return Fail("expect.stop", what, Shown(j));
  for (const Json& s : list) {
    const std::string name = s.is_string() ? AsciiUpper(s.get_ref<const std::string&>()) : "";
    if (name != "HLT" && name != "RST") return Fail("expect.stop", what, Shown(j));
    out.push_back(name == "HLT" ? RunEnd::Hlt : RunEnd::Rst);
  }
  return std::nullopt;
}

Error Expect(const Json& j, Lab& lab) {
  if (auto err = Object(
          j, "expect",
          {"stop", "registers", "flags", "memory", "display", "at_most_lines", "at_most_bytes"}))
    return err;
  if (j.empty()) return Fail("expect", "нет ни одного ожидания");
  for (const auto& [key, v] : j.items()) {
    const std::string path = "expect." + key;
    Error err;
    if (key == "stop") err = Stops(v, lab.stops);
    if (key == "registers") err = Registers(v, path, lab.registers);
    if (key == "flags") err = Flags(v, path, lab.flags);
    if (key == "memory") err = Ranges(v, path, lab.memory);
    if (key == "at_most_lines") err = Count(v, path, kLabMaxLinesCap, lab.atMostLines.emplace());
    if (key == "at_most_bytes") err = Count(v, path, kMemSize, lab.atMostBytes.emplace());
    if (key == "display") {
      const auto b = HexNumber(v, 2);
      const bool blank = v.is_string() && v.get_ref<const std::string&>().empty();
      if (!b && !blank) return Fail(path, "нужен байт 00..FF строкой или \"\"", Shown(v));
      lab.display = blank ? "" : std::string(ByteText(static_cast<uint8_t>(*b)));
    }
    if (err) return err;
  }
  return std::nullopt;
}

// Where the parser stopped, for a message that names the line and the character.
struct ErrorAt : Json::json_sax_t {
  size_t position = 0;
  bool null() override { return true; }
  bool boolean(bool) override { return true; }
  bool number_integer(number_integer_t) override { return true; }
  bool number_unsigned(number_unsigned_t) override { return true; }
  bool number_float(number_float_t, const string_t&) override { return true; }
  bool string(string_t&) override { return true; }
  bool binary(binary_t&) override { return true; }
  bool start_object(size_t) override { return true; }
  bool key(string_t&) override { return true; }
  bool end_object() override { return true; }
  bool start_array(size_t) override { return true; }
  bool end_array() override { return true; }
  bool parse_error(size_t at, const std::string&, const nlohmann::detail::exception&) override {
    position = at;
    return false;
  }
};

std::string NotJson(std::string_view text) {
  ErrorAt where;
  Json::sax_parse(text, &where, nlohmann::detail::input_format_t::json, true, true);
  const size_t end = std::min(where.position, text.size());
  size_t line = 1, column = 1;
  for (size_t k = 0; k + 1 < end; ++k) {
    if (text[k] == '\n') {
      ++line;
      column = 1;
    } else if ((static_cast<uint8_t>(text[k]) & 0xC0) != 0x80) {
      ++column;  // characters, not the bytes of one
    }
  }
  return R("Задание не читается как JSON: строка ") + std::to_string(line) + R(", знак ") +
         std::to_string(column);
}

}  // namespace

std::variant<Lab, std::string> ReadLab(std::string_view text) {
  // The parser keeps the last of two equal keys; a lab naming a field twice is a slip.
  std::vector<std::vector<std::string>> keys;
  std::string twice;
  const auto seen = [&](int, Json::parse_event_t e, Json& parsed) {
    if (e == Json::parse_event_t::object_start) keys.emplace_back();
    if (e == Json::parse_event_t::object_end) keys.pop_back();
    if (e != Json::parse_event_t::key || keys.empty()) return true;
    const auto& key = parsed.get_ref<const std::string&>();
    auto& level = keys.back();
    if (twice.empty() && std::find(level.begin(), level.end(), key) != level.end()) twice = key;
    level.push_back(key);
    return true;
  };
  const Json j = Json::parse(text, seen, false, true);
  if (j.is_discarded()) return NotJson(text);
  if (!twice.empty()) return R("Поле «") + R(twice) + R("» задано дважды");
  if (!j.is_object()) return R("Задание должно быть объектом JSON: { \"title\": ..., ... }");
  if (auto err = Object(j, "", {"title", "task", "hex", "data", "start", "max_lines", "expect"}))
    return *err;
  for (const char* need : {"title", "task", "expect"})
    if (!j.contains(need)) return R("В задании нет поля «") + need + R("»");
  Lab lab;
  Error err = Text(j["title"], "title", lab.title);
  if (!err) err = Text(j["task"], "task", lab.task);
  if (!err && j.contains("hex")) err = HexData(j["hex"], lab.data);
  if (!err && j.contains("data")) err = Ranges(j["data"], "data", lab.data);
  if (!err && j.contains("start")) {
    const Json& s = j["start"];
    err = Object(s, "start", {"registers", "flags"});
    if (!err && s.contains("registers"))
      err = Registers(s["registers"], "start.registers", lab.startRegisters);
    if (!err && s.contains("flags")) err = Flags(s["flags"], "start.flags", lab.startFlags);
  }
  if (!err && j.contains("max_lines"))
    err = Count(j["max_lines"], "max_lines", kLabMaxLinesCap, lab.maxLines);
  if (!err) err = Expect(j["expect"], lab);
  if (err) return *err;
  if (lab.title.empty()) return R("Поле «title»: пустое название");
  return lab;
}

}  // namespace tamrel
