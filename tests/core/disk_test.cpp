// The file layer on every system it is built for (POSIX here, Windows in the cross build under
// Wine): long Cyrillic names through every file operation, and a read-only file refused.
#include "files/disk.h"

#include <gtest/gtest.h>
#ifndef _WIN32
#include <unistd.h>
#endif

#include <filesystem>

#include "files/ihex.h"
#include "files/memfile.h"
#include "files/printout.h"
#include "support/files.h"
#include "support/started_trainer.h"

namespace tamrel {
namespace {

namespace fs = std::filesystem;

// UTF-8 names as the core takes them, turned into the system's own for std::filesystem.
fs::path Native(const std::string& utf8) {
  return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string Repeat(const std::string& s, int n) {
  std::string out;
  while (n-- > 0) out += s;
  return out;
}

TEST(Disk, LongCyrillicNamesWorkEverywhere) {
  test::ScratchDir dir;
  // The names pass Windows' old limit of 260 characters (the folders stay within it, where
  // Windows makes folders), each part within every system's limit of 255 bytes.
  const std::string folder = dir / Repeat("Папка", 18) + "/" + Repeat("ё", 90);
  ASSERT_TRUE(fs::create_directories(Native(folder)));
  test::StartedTrainer a;
  a.Type(0x8200, {"MVI A, 05", "HLT"});
  const std::string mem = folder + "/" + Repeat("Я", 120) + ".mem";
  const std::string hex = folder + "/" + Repeat("Ж", 120) + ".hex";
  const std::string txt = folder + "/" + Repeat("щ", 120) + ".txt";
  ASSERT_GT(mem.size(), 2 * 260u);           // two bytes a letter
  for (int round = 0; round < 2; ++round) {  // made, then replaced
    ASSERT_EQ(SaveImage(a.t.listing, mem), std::nullopt) << round;
    ASSERT_EQ(ExportHex(a.t.listing, hex), std::nullopt) << round;
    ASSERT_EQ(PrintListing(a.t.listing, 0x8202, txt), std::nullopt) << round;
  }
  test::StartedTrainer b, c;
  ASSERT_EQ(OpenImage(b.t, mem), std::nullopt);
  ASSERT_EQ(ImportHex(c.t, hex), std::nullopt);
  EXPECT_EQ(ImageBytes(b.t.listing), ImageBytes(a.t.listing));
  EXPECT_EQ(ImageBytes(c.t.listing), ImageBytes(a.t.listing));
  std::string printed;
  ASSERT_EQ(ReadFileBytes(txt, printed), std::nullopt);
  EXPECT_EQ(printed, PrintoutText(a.t.listing, 0x8202));
  EXPECT_EQ(std::distance(fs::directory_iterator(Native(folder)), {}), 3);  // nothing else
  EXPECT_EQ(OpenImage(b.t, folder + "/" + Repeat("Я", 119) + ".mem"), "File not found");
}

TEST(Disk, AReadOnlyFileIsRefusedAndKept) {
#ifndef _WIN32
  if (::geteuid() == 0) GTEST_SKIP() << "root writes any file (safefile_test covers this)";
#endif
  test::ScratchDir dir;
  test::StartedTrainer b;
  const std::string name = dir / "только чтение.mem";
  test::WriteFile(name, "precious");
  fs::permissions(Native(name),
                  fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
  EXPECT_EQ(SaveImage(b.t.listing, name), "File access denied");
  EXPECT_EQ(ExportHex(b.t.listing, name), "File access denied");
  EXPECT_EQ(PrintListing(b.t.listing, 0x8200, name), "Cannot create file " + name);
  EXPECT_EQ(test::ReadFile(name), "precious");
  EXPECT_EQ(dir.Entries(), 1u);
  fs::permissions(Native(name), fs::perms::owner_write, fs::perm_options::add);
}

}  // namespace
}  // namespace tamrel
