#include "files/ihex.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <initializer_list>
#include <sstream>

#include "listing/opcodes.h"
#include "machine/numtext.h"
#include "support/files.h"
#include "support/started_trainer.h"

namespace tamrel {
namespace {

using test::StartedTrainer;

// The failure texts are code page 1251 like every trainer text; the tests read them in UTF-8.
std::string Utf8(std::string_view cp1251) {
  std::string out;
  for (char ch : cp1251) {
    const auto b = static_cast<uint8_t>(ch);
    uint32_t u = b;
    if (b >= 0xC0)
      u = 0x410 + (b - 0xC0u);
    else if (b == 0xA8)
      u = 0x401;
    else if (b == 0xB8)
      u = 0x451;
    else if (b == 0x96)
      u = 0x2013;
    if (u < 0x80) {
      out.push_back(static_cast<char>(u));
    } else if (u < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (u >> 6)));
      out.push_back(static_cast<char>(0x80 | (u & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xE0 | (u >> 12)));
      out.push_back(static_cast<char>(0x80 | ((u >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (u & 0x3F)));
    }
  }
  return out;
}

// One well-formed record, in upper- or lower-case digits, without its line end.
std::string Record(int addr, int type, std::initializer_list<int> data, bool lower = false) {
  std::vector<int> bytes = {static_cast<int>(data.size()), addr >> 8, addr & 0xFF, type};
  bytes.insert(bytes.end(), data.begin(), data.end());
  int sum = 0;
  for (int b : bytes) sum += b;
  bytes.push_back(-sum & 0xFF);
  std::ostringstream s;
  s << ':' << std::hex << (lower ? std::nouppercase : std::uppercase);
  for (int b : bytes) s << (b < 16 ? "0" : "") << b;
  return s.str();
}

const std::string kEnd = ":00000001FF";

// Everything an import may change.
struct Snapshot {
  Memory mem;
  std::vector<std::string> cols[3];
  TRegisters r;
  int32_t pc, sp;
  explicit Snapshot(const Trainer& t) : mem(t.m.Mem), r(t.m.R), pc(t.m.PC), sp(t.m.SP) {
    for (int c = 0; c < 3; ++c)
      for (int64_t row = 0; row <= kLastRow; ++row) cols[c].push_back(t.listing.Cell(c, row));
  }
  // Compared in place, without copying the listing again.
  bool Matches(const Trainer& t) const {
    if (!(t.m.Mem == mem && t.m.R == r && t.m.PC == pc && t.m.SP == sp)) return false;
    for (int c = 0; c < 3; ++c)
      for (int64_t row = 0; row <= kLastRow; ++row)
        if (t.listing.Cell(c, row) != cols[c][static_cast<size_t>(row)]) return false;
    return true;
  }
};

// A trainer with a program in it, so that a change anywhere would show.
struct Loaded : StartedTrainer {
  Loaded() {
    Type(0x8200, {"MVI A, 05", "STA 8300", "HLT"});
    t.m.Mem.Write(0xF730, 0x5A);
    t.listing.SetCode(kLastRow, "5A");
  }
};

TEST(IntelHex, EachBadRecordIsNamedByLineAndChangesNothing) {
  const std::string good = Record(0x8200, 0, {0x3E, 0x05}) + "\n";  // :028200003E0539
  // clang-format off
  const struct {
    std::string text;
    std::string message;  // UTF-8
  } cases[] = {
      {good + ":028200003E0538\n" + kEnd, "Строка 2: неверная контрольная сумма 38, должна быть 39"},
      {":028200003E053\n" + kEnd, "Строка 1: нечётное число цифр"},
      {good + Record(0, 3, {0, 0, 0x82, 0}) + "\n" + kEnd, "Строка 2: неизвестный тип записи 03"},
      {good + Record(0, 5, {0, 0, 0x82, 0}) + "\n" + kEnd, "Строка 2: неизвестный тип записи 05"},
      {Record(0x8100, 0, {1}) + "\n" + kEnd, "Строка 1: адрес 8100 вне памяти 8200–F730"},
      {Record(0xF72F, 0, {1, 2, 3}) + "\n" + kEnd, "Строка 1: адрес F731 вне памяти 8200–F730"},
      {Record(0xFFFF, 0, {1, 2}) + "\n" + kEnd, "Строка 1: адрес FFFF вне памяти 8200–F730"},
      {Record(0x0010, 0, {1}) + "\n" + kEnd, "Строка 1: адрес 0010 вне памяти 8200–F730"},
      {good, "Строка 2: нет записи конца файла (тип 01)"},
      {good + "\r\n\n", "Строка 4: нет записи конца файла (тип 01)"},
      {":02820000G3E0539\n" + kEnd, "Строка 1: не шестнадцатеричный символ «G» в позиции 10"},
      {good + ":0282 00003E0539\n" + kEnd, "Строка 2: не шестнадцатеричный символ в позиции 6"},
      {":028200003E05\xC6\x39\n" + kEnd, "Строка 1: не шестнадцатеричный символ в позиции 14"},
      {"", "Строка 1: файл пуст"},
      {"\n \r\n\t\n", "Строка 1: файл пуст"},
      {good + "028200003E0539\n" + kEnd, "Строка 2: запись не начинается с двоеточия"},
      {":038200003E0537\n" + kEnd, "Строка 1: длина 03 не совпадает с числом байтов данных 2"},
      {":000000\n" + kEnd, "Строка 1: запись короче пяти байтов"},
      {":\n" + kEnd, "Строка 1: запись короче пяти байтов"},
      {Record(0, 2, {0x10, 0x00}) + "\n" + good + kEnd, "Строка 1: базовый адрес 1000 не равен 0"},
      {Record(0, 4, {0x00, 0x01}) + "\n" + good + kEnd, "Строка 1: базовый адрес 0001 не равен 0"},
      {Record(0, 4, {0x00}) + "\n" + kEnd, "Строка 1: запись базового адреса не из двух байтов"},
      {good + Record(0, 1, {0}), "Строка 2: запись конца файла с данными"},
  };
  // clang-format on
  Loaded b;
  const Snapshot before(b.t);
  for (const auto& c : cases) {
    const auto err = ImportHexText(b.t, c.text);
    ASSERT_TRUE(err) << c.text;
    EXPECT_EQ(Utf8(*err), c.message) << c.text;
    ASSERT_TRUE(before.Matches(b.t)) << c.text;  // the good record before it is not stored
  }
}

TEST(IntelHex, AnotherToolsLayoutIsRead) {
  // 32-byte records, lower-case digits, base records of 0, LF and CR LF line ends, blank
  // lines, trailing blanks, an empty data record, and whatever follows the end record.
  std::initializer_list<int> first = {0x3e, 0x05, 0x06, 0x0a, 0x80, 0x32, 0x00, 0x84, 0x76, 0, 0,
                                      0,    0,    0,    0,    0,    0xff, 0xfe, 0xab, 0xcd, 1, 2,
                                      3,    4,    5,    6,    7,    8,    9,    10,   11,   12};
  const std::string text = Record(0, 4, {0, 0}, true) + "\n" + Record(0, 2, {0, 0}) + "\r\n" +
                           Record(0x8300, 0, first, true) + "  \n\n" +
                           Record(0x8320, 0, {0xc3, 0x00, 0x83}, true) + "\r\n" +
                           Record(0x9000, 0, {}) + "\n" + Record(0xF730, 0, {0x11}) + "\n" +
                           ":00000001ff\r\n" + "what follows is not read\n";
  Loaded b;
  const Snapshot before(b.t);
  ASSERT_FALSE(ImportHexText(b.t, text));
  std::vector<int> expected(first);
  expected.insert(expected.end(), {0xC3, 0x00, 0x83});
  for (size_t k = 0; k < expected.size(); ++k) {
    const int64_t a = 0x8300 + static_cast<int64_t>(k);
    EXPECT_EQ(b.t.m.Mem.Read(a), expected[k]) << std::hex << a;
    EXPECT_EQ(b.t.listing.Code(RowOfAddress(a)), ByteText(static_cast<uint8_t>(expected[k])));
  }
  EXPECT_EQ(b.t.m.Mem.Read(0xF730), 0x11);  // the last byte of the window may be given
  EXPECT_EQ(b.t.listing.Code(kLastRow), "11");
  // Bytes the file does not give keep their values; registers and PC are not touched.
  for (int64_t a : {0x8200, 0x8201, 0x82FF, 0x8323, 0xF72F}) {
    EXPECT_EQ(b.t.m.Mem.Read(a), before.mem.Read(a));
    EXPECT_EQ(b.t.listing.Code(RowOfAddress(a)), before.cols[kCodeCol][RowOfAddress(a)]);
  }
  EXPECT_EQ(b.t.m.R, before.r);
  EXPECT_EQ(b.t.m.PC, before.pc);
  // The listing is decoded as after Open: the whole mnemonic column from the codes.
  EXPECT_EQ(b.t.listing.Mnemonic(RowOfAddress(0x8300)), "MVI A, 05");
  EXPECT_EQ(b.t.listing.Mnemonic(RowOfAddress(0x8305)), "STA 8400");
  EXPECT_EQ(b.t.listing.Mnemonic(RowOfAddress(0x8320)), "JMP 8300");
  Listing decoded = b.t.listing;
  FullDisassembly(decoded);
  for (int64_t row = 1; row <= kShownRows; ++row)
    ASSERT_EQ(b.t.listing.Mnemonic(row), decoded.Mnemonic(row)) << row;
}

TEST(IntelHex, ExportThenImportGivesIdenticalMemoryAndColumns) {
  test::ScratchDir dir;
  StartedTrainer a;
  RandomFill(a.t.m.Mem, ClockSeededRandom());
  a.t.listing.WriteCodesFrom(a.t.m.Mem);
  FullDisassembly(a.t.listing);
  ASSERT_FALSE(ExportHex(a.t.listing, dir / "r.hex"));

  const std::string text = test::ReadFile(dir / "r.hex");
  EXPECT_EQ(text.substr(0, 9), ":10820000");
  EXPECT_EQ(text.substr(text.size() - 13), ":00000001FF\r\n");
  size_t lines = 0;
  for (size_t at = 0; (at = text.find("\r\n", at)) != std::string::npos; at += 2) ++lines;
  EXPECT_EQ(lines, 30000u / 16 + 1);
  EXPECT_EQ(text.size(), (30000u / 16) * 45 + 13);  // every data record holds 16 bytes

  StartedTrainer b;
  b.t.m.Mem.Write(0xF730, a.t.m.Mem.Read(0xF730));  // not part of the file
  b.t.listing.SetCode(kLastRow, a.t.listing.Code(kLastRow));
  ASSERT_FALSE(ImportHex(b.t, dir / "r.hex"));
  EXPECT_EQ(b.t.m.Mem, a.t.m.Mem);
  for (int c = 0; c < 3; ++c)
    for (int64_t row = 0; row <= kLastRow; ++row)
      ASSERT_EQ(b.t.listing.Cell(c, row), a.t.listing.Cell(c, row)) << c << " " << row;
}

TEST(IntelHex, ExportTakesTheCodeColumnAsSaveDoes) {
  StartedTrainer b;
  b.t.listing.SetCode(1, "3E");   // memory still 00h: the code column wins
  b.t.listing.SetCode(2, "3e");   // a text the conversion rejects: 00h
  b.t.m.Mem.Write(0x8203, 0x99);  // memory only: not exported
  const std::string text = ExportHexText(b.t.listing);
  EXPECT_EQ(text.substr(0, 45),
            Record(0x8200, 0, {0x3E, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}) + "\r\n");
  EXPECT_EQ(text.substr(text.size() - 58, 45),
            Record(0xF720, 0, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}) + "\r\n");
}

ssize_t FullDevice(int, const void*, size_t) {
  errno = ENOSPC;
  return -1;
}

TEST(IntelHex, FileFailuresUseOpenAndSaveTexts) {
  test::ScratchDir dir;
  std::filesystem::create_directory(dir / "folder.hex");
  Loaded b;
  const Snapshot before(b.t);
  EXPECT_EQ(ImportHex(b.t, dir / "missing.hex"), "File not found");
  EXPECT_EQ(ImportHex(b.t, dir / "nowhere/a.hex"), "Invalid filename");
  EXPECT_EQ(ImportHex(b.t, dir / "folder.hex"), "File access denied");
  test::WriteFile(dir / "bad.hex", Record(0x8200, 0, {0x76}) + "\n");
  EXPECT_EQ(Utf8(ImportHex(b.t, dir / "bad.hex").value_or("")),
            "Строка 2: нет записи конца файла (тип 01)");
  EXPECT_TRUE(before.Matches(b.t));

  test::WriteFile(dir / "old.hex", "precious");
  EXPECT_EQ(ExportHex(b.t.listing, dir / "old.hex", FullDevice), "Disk full");
  EXPECT_EQ(test::ReadFile(dir / "old.hex"), "precious");
  EXPECT_EQ(ExportHex(b.t.listing, dir / "nowhere/x.hex"), "Invalid filename");
}

}  // namespace
}  // namespace tamrel
