// Faults from the real world: full and read-only file systems, and a very long run.
#include <gtest/gtest.h>
#include <unistd.h>
#ifdef __linux__
#include <sys/mount.h>
#endif

#include <filesystem>
#include <fstream>
#include <iterator>

#include "files/memfile.h"
#include "files/printout.h"
#include "support/files.h"
#include "support/started_trainer.h"

namespace tamrel {
namespace {

namespace fs = std::filesystem;

// A tiny tmpfs of its own; only on Linux, where this process may mount (root in CI).
struct TinyFs {
  fs::path dir;
  bool mounted = false;
  TinyFs() {
    std::string tmpl = (fs::temp_directory_path() / "tamrel-fs-XXXXXX").string();
    dir = ::mkdtemp(tmpl.data());
#ifdef __linux__
    mounted = ::mount("tmpfs", dir.c_str(), "tmpfs", 0, "size=16k") == 0;
#endif
  }
#ifdef __linux__
  void MakeReadOnly() {
    ASSERT_EQ(::mount(nullptr, dir.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr), 0);
  }
#else
  void MakeReadOnly() { FAIL() << "no tmpfs here"; }
#endif
  ~TinyFs() {
#ifdef __linux__
    if (mounted) ::umount(dir.c_str());
#endif
    fs::remove_all(dir);
  }
  size_t Entries() const {
    return static_cast<size_t>(std::distance(fs::directory_iterator(dir), {}));
  }
};

TEST(Reliability, FullAndReadOnlyFileSystems) {
  TinyFs tiny;
  if (!tiny.mounted) GTEST_SKIP() << "no permission to mount a file system here";
  test::StartedTrainer b;
  const fs::path old = tiny.dir / "old.mem", txt = tiny.dir / "old.txt";
  std::ofstream(old) << "precious";
  std::ofstream(txt) << "listing";

  EXPECT_EQ(SaveImage(b.t.listing, old.string()), "Disk full");
  EXPECT_EQ(PrintListing(b.t.listing, 0xF730, txt.string()), "Stream write error");
  EXPECT_EQ(test::ReadFile(old.string()), "precious");
  EXPECT_EQ(test::ReadFile(txt.string()), "listing");
  EXPECT_EQ(tiny.Entries(), 2u);

  tiny.MakeReadOnly();
  EXPECT_EQ(SaveImage(b.t.listing, old.string()), "File access denied");
  EXPECT_EQ(PrintListing(b.t.listing, 0x8203, txt.string()), "Cannot create file " + txt.string());
  EXPECT_EQ(test::ReadFile(old.string()), "precious");
  EXPECT_EQ(OpenImage(b.t, old.string()), "Read beyond end of file");
}

// Resident pages of this process, from /proc (Linux only); -1 where there is none.
long ResidentPages() {
  std::ifstream statm("/proc/self/statm");
  long size = 0, resident = 0;
  if (!(statm >> size >> resident)) return -1;
  return resident;
}

TEST(Reliability, TenMillionLinesKeepMemoryFlat) {
  if (ResidentPages() < 0) GTEST_SKIP() << "no /proc/self/statm here";
  test::StartedTrainer b;
  b.Type(0x8200, {"LXI SP, F72F", "PUSH B", "CALL 8300", "POP D", "STA 8400", "INR C", "JMP 8203"});
  b.Type(0x8300, {"MVI A, 05", "RET"});
  b.t.m.PC = 0x8200;
  long passes = 0, atMillion = 0;
  b.view.onEvents = [&] {
    ++passes;
    if (passes == 1'000'000) atMillion = ResidentPages();
    if (passes == 10'000'000) RstKey(b.t);
  };
  RunKey(b.t);
  EXPECT_EQ(passes, 10'000'000);
  EXPECT_LE(ResidentPages() - atMillion, 64) << "pages of 4 KiB gained during nine million lines";
  EXPECT_EQ(b.t.m.SP, 0xF72F);
}

}  // namespace
}  // namespace tamrel
