#include "support/files.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "files/memfile.h"
#include "files/printout.h"
#include "listing/opcodes.h"
#include "support/started_trainer.h"

namespace tamrel {
namespace {

namespace fs = std::filesystem;

struct Snapshot {
  Memory mem;
  std::vector<std::string> cols[3];
  explicit Snapshot(const Trainer& t) : mem(t.m.Mem) {
    for (int c = 0; c < 3; ++c)
      for (int64_t row = 0; row <= kLastRow; ++row) cols[c].push_back(t.listing.Cell(c, row));
  }
  bool operator==(const Snapshot&) const = default;
};

TEST(MemoryImage, SaveWritesTheCodeColumn) {
  test::ScratchDir dir;
  test::StartedTrainer b;
  b.t.listing.SetCode(1, "3E");
  b.t.listing.SetCode(2, "3e");   // rejected text: 00h
  b.t.m.Mem.Write(0x8202, 0x99);  // memory drifted from the code column: the code wins
  b.t.listing.SetCode(30001, "AB");
  test::WriteFile(dir / "a.mem", std::string(40000, 'x'));  // a longer file is replaced whole
  ASSERT_FALSE(SaveImage(b.t.listing, dir / "a.mem"));
  const std::string bytes = test::ReadFile(dir / "a.mem");
  ASSERT_EQ(bytes.size(), kImageSize);
  EXPECT_EQ(uint8_t(bytes[0]), 0x3E);
  EXPECT_EQ(uint8_t(bytes[1]), 0x00);
  EXPECT_EQ(uint8_t(bytes[2]), 0x00);
  EXPECT_EQ(dir.Entries(), 1u);  // no temporary file left behind
}

TEST(MemoryImage, SaveThenOpenRoundTrip) {
  test::ScratchDir dir;
  test::StartedTrainer a;
  RandomFill(a.t.m.Mem, ClockSeededRandom());
  a.t.listing.WriteCodesFrom(a.t.m.Mem);
  a.t.listing.SetMnemonic(1, "typed by hand");
  ASSERT_FALSE(SaveImage(a.t.listing, dir / "r.mem"));
  test::StartedTrainer b;
  b.t.m.Mem.Write(0xF730, 0x5A);
  ASSERT_FALSE(OpenImage(b.t, dir / "r.mem"));
  for (int64_t row = 1; row <= kShownRows; ++row)
    ASSERT_EQ(b.t.listing.Code(row), a.t.listing.Code(row));
  EXPECT_EQ(b.t.m.Mem.Read(0xF730), 0x5A);  // not part of an image
  test::StartedTrainer c;
  c.t.listing = b.t.listing;
  FullDisassembly(c.t.listing);
  for (int64_t row = 1; row <= kShownRows; ++row)
    ASSERT_EQ(b.t.listing.Mnemonic(row), c.t.listing.Mnemonic(row));
}

TEST(MemoryImage, OpenFailuresChangeNothing) {
  test::ScratchDir dir;
  test::WriteFile(dir / "empty.mem", "");
  test::WriteFile(dir / "short.mem", std::string(100, '\x76'));
  test::WriteFile(dir / "almost.mem", std::string(29999, '\x76'));
  fs::create_directory(dir / "folder.mem");
  // clang-format off
  const struct {
    std::string path;
    const char* text;
  } cases[] = {
      {dir / "missing.mem", "File not found"},
      {dir / "missing" , "File not found"},
      {dir / "nowhere/a.mem", "Invalid filename"},
      {dir / "folder.mem", "File access denied"},
      {dir / "empty.mem", "Read beyond end of file"},
      {dir / "short.mem", "Read beyond end of file"},
      {dir / "almost.mem", "Read beyond end of file"},
  };
  // clang-format on
  for (const auto& c : cases) {
    test::StartedTrainer b;
    const Snapshot before(b.t);
    const auto err = OpenImage(b.t, c.path);
    ASSERT_TRUE(err) << c.path;
    EXPECT_EQ(*err, c.text) << c.path;
    EXPECT_TRUE(Snapshot(b.t) == before) << c.path;
  }
}

TEST(MemoryImage, OpenUsesTheFirst30000Bytes) {
  test::ScratchDir dir;
  std::string bytes(30001, '\x76');
  bytes[0] = '\x3E';
  bytes[30000] = '\x11';
  test::WriteFile(dir / "long.mem", bytes);
  test::StartedTrainer b;
  ASSERT_FALSE(OpenImage(b.t, dir / "long.mem"));
  EXPECT_EQ(b.t.listing.Mnemonic(1), "MVI A, 76");
  EXPECT_EQ(b.t.m.Mem.Read(0xF72F), 0x76);
  EXPECT_EQ(b.t.m.Mem.Read(0xF730), 0x00);
}

TEST(MemoryImage, NewClearsEverything) {
  test::StartedTrainer b;
  b.t.m.Mem.Write(0xF730, 9);
  b.t.listing.SetCode(30001, "09");
  b.t.listing.SetCode(5, "76");
  FullDisassembly(b.t.listing);
  NewImage(b.t);
  EXPECT_EQ(b.t.m.Mem, Memory{});
  for (int64_t row = 1; row <= kLastRow; ++row) ASSERT_EQ(b.t.listing.Code(row), "00");
  EXPECT_EQ(b.t.listing.Mnemonic(5), "NOP");
}

ssize_t FullDevice(int, const void*, size_t) {
  errno = ENOSPC;
  return -1;
}
ssize_t ShortWrite(int, const void*, size_t n) { return n > 10 ? 10 : static_cast<ssize_t>(n) - 1; }
ssize_t BrokenDevice(int, const void*, size_t) {
  errno = EIO;
  return -1;
}

TEST(MemoryImage, FailedSavesKeepTheOldFile) {
  test::ScratchDir dir;
  test::StartedTrainer b;
  // clang-format off
  const struct {
    std::string path;
    WriteFn write;
    const char* text;
  } cases[] = {
      {dir / "old.mem", FullDevice, "Disk full"},
      {dir / "old.mem", ShortWrite, "Disk full"},
      {dir / "old.mem", BrokenDevice, "I/O error 5"},
      {dir / "nowhere/x.mem", nullptr, "Invalid filename"},
      {dir / "folder.mem", nullptr, "File access denied"},
#ifndef _WIN32  // no such device on Windows
      {"/dev/full", nullptr, "Disk full"},
#endif
  };
  // clang-format on
  fs::create_directory(dir / "folder.mem");
  for (const auto& c : cases) {
    test::WriteFile(dir / "old.mem", "precious");
    const auto err = SaveImage(b.t.listing, c.path, c.write);
    ASSERT_TRUE(err) << c.path;
    EXPECT_EQ(*err, c.text) << c.path;
    EXPECT_EQ(test::ReadFile(dir / "old.mem"), "precious");
    EXPECT_EQ(dir.Entries(), 2u) << "a temporary file was left behind";
  }
}

TEST(Printout, LinesAreByteExact) {
  test::StartedTrainer b;
  b.Type(0x8200, {"MVI A, 05"});
  EXPECT_EQ(PrintoutText(b.t.listing, 0x8201),
            "8200    MVI A, 05       3E\r\n"
            "8201                    05\r\n");
  EXPECT_EQ(PrintoutText(b.t.listing, 0x8200).size(), 28u);  // 26 characters and CR LF
  EXPECT_EQ(PrintoutText(b.t.listing, 0x81FF), "");
  EXPECT_EQ(PrintoutText(b.t.listing, 0x8203).size(), 4 * 28u);
  for (const size_t len : {15, 16, 20}) {
    b.t.listing.SetMnemonic(1, std::string(len, 'M'));
    const std::string line = PrintoutText(b.t.listing, 0x8200);
    EXPECT_EQ(line, "8200    " + std::string(len, 'M') + std::string(len < 16 ? 16 - len : 0, ' ') +
                        "3E\r\n");
  }
  // Past the last row the print-out stops at F730h.
  const std::string all = PrintoutText(b.t.listing, 0xFFFF);
  EXPECT_EQ(all.substr(all.size() - 28, 4), "F730");
}

TEST(Printout, WritesAndFails) {
  test::ScratchDir dir;
  test::StartedTrainer b;
  ASSERT_FALSE(PrintListing(b.t.listing, 0x81FF, dir / "empty.txt"));
  EXPECT_EQ(fs::file_size(dir / "empty.txt"), 0u);
  ASSERT_FALSE(PrintListing(b.t.listing, 0x8203, dir / "p.txt"));
  EXPECT_EQ(test::ReadFile(dir / "p.txt"), PrintoutText(b.t.listing, 0x8203));

  EXPECT_EQ(PrintListing(b.t.listing, 0x8203, dir / "nowhere/p.txt"),
            "Cannot create file " + dir / "nowhere/p.txt");
  EXPECT_EQ(PrintListing(b.t.listing, 0x8203, dir / "p.txt", FullDevice), "Stream write error");
  EXPECT_EQ(test::ReadFile(dir / "p.txt"), PrintoutText(b.t.listing, 0x8203));
  EXPECT_EQ(dir.Entries(), 2u);
}

}  // namespace
}  // namespace tamrel

namespace tamrel {
namespace {

// A student types a program, runs it, keeps it, clears memory, loads it back and prints it.
TEST(Story, TypeRunSaveOpenPrint) {
  test::ScratchDir dir;
  test::StartedTrainer b;
  b.Type(0x8200, {"MVI B, 03", "DCR B", "JNZ 8202", "HLT"});
  RunKey(b.t);
  EXPECT_EQ(b.t.m.R.B, 0);
  EXPECT_EQ(b.t.m.PC, 0x8207);
  ASSERT_FALSE(SaveImage(b.t.listing, dir / "loop.mem"));
  NewImage(b.t);
  EXPECT_EQ(b.t.listing.Mnemonic(1), "NOP");
  ASSERT_FALSE(OpenImage(b.t, dir / "loop.mem"));
  b.t.m.PC = 0x8200;
  RunKey(b.t);
  EXPECT_EQ(b.t.m.R.B, 2);  // Z was left set by the first run, and DCR on B never clears it
  FlagBoxesClicked(b.t, false, false, false, false, false);
  b.t.m.PC = 0x8200;
  RunKey(b.t);
  EXPECT_EQ(b.t.m.R.B, 0);
  ASSERT_FALSE(PrintListing(b.t.listing, 0x8206, dir / "loop.txt"));
  EXPECT_EQ(test::ReadFile(dir / "loop.txt"),
            "8200    MVI B, 03       06\r\n"
            "8201                    03\r\n"
            "8202    DCR B           05\r\n"
            "8203    JNZ 8202        C2\r\n"
            "8204                    02\r\n"
            "8205                    82\r\n"
            "8206    HLT             76\r\n");
}

}  // namespace
}  // namespace tamrel
