// Save and the print-out against what a real system allows an ordinary user. The suite runs as
// root in CI, where permission bits stop nothing, so each case runs in a child process that
// may drop to "nobody", against files the parent prepared; every name has Cyrillic in it.
// POSIX only (fork, setuid, /dev/full, FIFOs): left out on Windows, which has none of them.
#ifndef _WIN32
#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <pwd.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <set>

#include "files/memfile.h"
#include "files/printout.h"
#include "machine/numtext.h"
#include "support/files.h"
#include "support/started_trainer.h"

namespace tamrel {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

std::set<std::string> Names(const fs::path& folder) {
  std::set<std::string> names;
  std::error_code ec;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
    names.insert(it->path().filename().string());
  return names;
}

struct Nobody {
  uid_t uid = 0;
  gid_t gid = 0;
  bool known = false;
  Nobody() {
    if (const passwd* pw = ::getpwnam("nobody")) uid = pw->pw_uid, gid = pw->pw_gid, known = true;
  }
};
const Nobody& TheNobody() {
  static const Nobody n;
  return n;
}

bool DropToNobody() {
  const Nobody& n = TheNobody();
  return n.known && ::setgroups(0, nullptr) == 0 && ::setresgid(n.gid, n.gid, n.gid) == 0 &&
         ::setresuid(n.uid, n.uid, n.uid) == 0;
}

// Whether a child can become "nobody" and then still reach `folder`; the answer for one
// process is the same every time, the folder is checked anew.
bool NobodyReaches(const fs::path& folder) {
  const pid_t pid = ::fork();
  if (pid == 0) ::_exit(DropToNobody() && ::access(folder.c_str(), R_OK | X_OK) == 0 ? 0 : 1);
  int status = 0;
  return pid > 0 && ::waitpid(pid, &status, 0) == pid && WIFEXITED(status) &&
         WEXITSTATUS(status) == 0;
}

// The scratch folder, readable by everyone so that "nobody" reaches the files in it.
struct Scratch {
  fs::path path;
  Scratch() {
    std::string tmpl = (fs::temp_directory_path() / "tamrel-Проверка-XXXXXX").string();
    path = ::mkdtemp(tmpl.data());
    ::chmod(path.c_str(), 0755);
  }
  ~Scratch() {
    std::error_code ec;
    for (fs::recursive_directory_iterator it(path, ec), end; !ec && it != end; it.increment(ec))
      if (it->is_directory(ec) && !it->is_symlink(ec)) ::chmod(it->path().c_str(), 0700);
    fs::remove_all(path, ec);
  }
};

const std::string kOld = "старое содержимое";

void MakeDir(const fs::path& p, mode_t mode, uid_t uid = ::geteuid(), gid_t gid = ::getegid()) {
  ASSERT_EQ(::mkdir(p.c_str(), 0700), 0) << p;
  ASSERT_EQ(::chown(p.c_str(), uid, gid), 0) << p;
  ASSERT_EQ(::chmod(p.c_str(), mode), 0) << p;
}

void MakeFile(const fs::path& p, mode_t mode, uid_t uid = ::geteuid(), gid_t gid = ::getegid()) {
  std::ofstream(p, std::ios::binary) << kOld;
  ASSERT_EQ(::chown(p.c_str(), uid, gid), 0) << p;
  ASSERT_EQ(::chmod(p.c_str(), mode), 0) << p;
}

const uid_t kRoot = 0;

enum class As { Self, Root, Nobody };
// A pipe's reader: none, one that reads all, one that never reads, one that goes away after
// its first bytes.
enum class Reader { None, Reading, Stalled, Leaves };

// What a case writes to: the chosen name, and where its bytes land when that is a file.
struct Target {
  std::string path;
  fs::path lands;  // empty: a device, nothing to read back
  Reader reader = Reader::None;
};

struct Case {
  const char* name;
  As as;
  std::function<Target(const fs::path& dir)> prepare;
  const char* saveText;   // empty: written; %s stands for the chosen name
  const char* printText;  // the same for the print-out
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

std::string Expand(const char* text, const std::string& path) {
  std::string t = text;
  if (const auto at = t.find("%s"); at != std::string::npos) t.replace(at, 2, path);
  return t;
}

// 255 bytes, the most a folder entry may have; Cyrillic letters take two each.
std::string LongName(size_t bytes) {
  std::string name;
  while (name.size() + 2 <= bytes - 4) name += "ф";
  while (name.size() < bytes - 4) name += 'x';
  return name + ".mem";
}

// clang-format off
const Case kCases[] = {
    {"LongNameNew", As::Self,
     [](const fs::path& d) {
       MakeDir(d, 0755);
       return Target{d / LongName(255), d / LongName(255)};
     },
     "", ""},
    {"LongNameReplaced", As::Nobody,
     [](const fs::path& d) {
       MakeDir(d, 0755, TheNobody().uid, TheNobody().gid);
       MakeFile(d / LongName(255), 0644, TheNobody().uid, TheNobody().gid);
       return Target{d / LongName(255), d / LongName(255)};
     },
     "", ""},
    {"NameTooLong", As::Self,
     [](const fs::path& d) {
       MakeDir(d, 0755);
       return Target{d / LongName(256), d / LongName(256)};
     },
     "Invalid filename", "Cannot create file %s"},
    {"MissingFolder", As::Self,
     [](const fs::path& d) {
       MakeDir(d, 0755);
       return Target{d / "Нет папки" / "программа.txt", d / "Нет папки" / "программа.txt"};
     },
     "Invalid filename", "Cannot create file %s"},
    {"Folder", As::Self,
     [](const fs::path& d) {
       MakeDir(d, 0755);
       MakeDir(d / "папка.mem", 0755);
       return Target{d / "папка.mem", {}};
     },
     "File access denied", "Cannot create file %s"},
    {"ModeKept", As::Self,
     [](const fs::path& d) {
       MakeDir(d, 0755);
       MakeFile(d / "своя.mem", 0640);
       return Target{d / "своя.mem", d / "своя.mem"};
     },
     "", ""},
    {"OwnWritableFileInReadOnlyFolder", As::Nobody,
     [](const fs::path& d) {
       MakeDir(d, 0555);
       MakeFile(d / "своя.mem", 0644, TheNobody().uid, TheNobody().gid);
       return Target{d / "своя.mem", d / "своя.mem"};
     },
     "", ""},
    {"ForeignWritableFileInReadOnlyFolder", As::Nobody,
     [](const fs::path& d) {
       MakeDir(d, 0555);
       MakeFile(d / "общая.mem", 0666);
       return Target{d / "общая.mem", d / "общая.mem"};
     },
     "", ""},
    {"NewFileInReadOnlyFolder", As::Nobody,
     [](const fs::path& d) {
       MakeDir(d, 0555);
       return Target{d / "новая.mem", d / "новая.mem"};
     },
     "File access denied", "Cannot create file %s"},
    {"OwnReadOnlyFile", As::Nobody,
     [](const fs::path& d) {
       MakeDir(d, 0777);
       MakeFile(d / "своя.mem", 0444, TheNobody().uid, TheNobody().gid);
       return Target{d / "своя.mem", d / "своя.mem"};
     },
     "File access denied", "Cannot create file %s"},
    {"ForeignReadOnlyFile", As::Nobody,
     [](const fs::path& d) {
       MakeDir(d, 0777);
       MakeFile(d / "чужая.mem", 0444);
       return Target{d / "чужая.mem", d / "чужая.mem"};
     },
     "File access denied", "Cannot create file %s"},
    {"GroupWritableForeignFile", As::Nobody,
     [](const fs::path& d) {
       MakeDir(d, 0775, kRoot, TheNobody().gid);
       MakeFile(d / "класс.mem", 0664, kRoot, TheNobody().gid);
       return Target{d / "класс.mem", d / "класс.mem"};
     },
     "", ""},
    {"ForeignWritableFileInStickyFolder", As::Nobody,
     [](const fs::path& d) {
       MakeDir(d, 01777);
       MakeFile(d / "чужая.mem", 0666);
       return Target{d / "чужая.mem", d / "чужая.mem"};
     },
     "", ""},
    {"ForeignFileReplacedByRoot", As::Root,
     [](const fs::path& d) {
       MakeDir(d, 0755);
       MakeFile(d / "ученика.mem", 0640, TheNobody().uid, TheNobody().gid);
       return Target{d / "ученика.mem", d / "ученика.mem"};
     },
     "", ""},
    {"SymbolicLink", As::Self,
     [](const fs::path& d) {
       MakeDir(d, 0755);
       MakeDir(d / "цели", 0755);
       MakeFile(d / "цели" / "цель.mem", 0644);
       fs::create_symlink("цели/цель.mem", d / "ссылка.mem");
       return Target{d / "ссылка.mem", d / "цели" / "цель.mem"};
     },
     "", ""},
    {"DanglingSymbolicLink", As::Self,
     [](const fs::path& d) {
       MakeDir(d, 0755);
       fs::create_symlink("будет.mem", d / "ссылка.mem");
       return Target{d / "ссылка.mem", d / "будет.mem"};
     },
     "", ""},
    {"FifoWithReader", As::Self,
     [](const fs::path& d) {
       MakeDir(d, 0755);
       ::mkfifo((d / "канал").c_str(), 0666);
       return Target{d / "канал", {}, Reader::Reading};
     },
     "", ""},
    {"FifoWithoutReader", As::Self,
     [](const fs::path& d) {
       MakeDir(d, 0755);
       ::mkfifo((d / "канал").c_str(), 0666);
       return Target{d / "канал", {}};
     },
     "I/O error 6", "Cannot create file %s"},
    // The image fits into the pipe at once; the whole print-out does not, and nobody reads it.
    {"FifoWithStalledReader", As::Self,
     [](const fs::path& d) {
       MakeDir(d, 0755);
       ::mkfifo((d / "канал").c_str(), 0666);
       return Target{d / "канал", {}, Reader::Stalled};
     },
     "", "Stream write error"},
    // The image is in the pipe before the reader goes; the print-out meets a closed pipe.
    {"FifoReaderGoesAway", As::Self,
     [](const fs::path& d) {
       MakeDir(d, 0755);
       ::mkfifo((d / "канал").c_str(), 0666);
       return Target{d / "канал", {}, Reader::Leaves};
     },
     "", "Stream write error"},
    {"DeviceFull", As::Self, [](const fs::path&) { return Target{"/dev/full", {}}; }, "Disk full",
     "Stream write error"},
    {"ProcFile", As::Self, [](const fs::path&) { return Target{"/proc/version", {}}; },
     "File access denied", "Cannot create file %s"},
    {"ProcFileAsNobody", As::Nobody, [](const fs::path&) { return Target{"/proc/version", {}}; },
     "File access denied", "Cannot create file %s"},
};
// clang-format on

struct Outcome {
  bool finished = false;
  std::string why;  // when not finished
  std::optional<std::string> text;
  std::string received;  // what a pipe's reader got
};

// Runs `op` in a child, as `as`, and waits at most 2 s for its answer, reading the pipe the
// child writes to when there is a reader.
Outcome RunInChild(As as, const std::string& fifo, Reader reader,
                   const std::function<std::optional<std::string>()>& op) {
  Outcome out;
  int answer[2];
  if (::pipe(answer) != 0) return out;
  int fifoFd = -1;
  if (reader != Reader::None) fifoFd = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::close(answer[0]);
    if (fifoFd >= 0) ::close(fifoFd);
    if (as == As::Nobody && !DropToNobody()) ::_exit(2);
    const auto text = op();
    const std::string msg = text ? "1" + *text : "0";
    [[maybe_unused]] const ssize_t n = ::write(answer[1], msg.data(), msg.size());
    ::_exit(0);
  }
  ::close(answer[1]);
  std::string msg;
  char buf[65536];
  const auto deadline = Clock::now() + std::chrono::seconds(2);
  bool answered = false;
  while (!answered && Clock::now() < deadline) {
    pollfd p[2] = {{answer[0], POLLIN, 0}, {fifoFd, POLLIN, 0}};
    const bool reading = fifoFd >= 0 && (reader == Reader::Reading || reader == Reader::Leaves);
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (::poll(p, reading ? 2 : 1, static_cast<int>(std::max<int64_t>(left, 0))) < 0) continue;
    if (reading && p[1].revents) {
      if (const ssize_t n = ::read(fifoFd, buf, sizeof buf); n > 0) out.received.append(buf, n);
      if (reader == Reader::Leaves && !out.received.empty()) ::close(fifoFd), fifoFd = -1;
    }
    if (p[0].revents) {
      const ssize_t n = ::read(answer[0], buf, sizeof buf);
      if (n > 0) msg.append(buf, n);
      answered = n <= 0;  // the child has gone
    }
  }
  if (!answered) ::kill(pid, SIGKILL);
  int status = 0;
  ::waitpid(pid, &status, 0);
  while (fifoFd >= 0) {  // what is still in the pipe
    const ssize_t n = ::read(fifoFd, buf, sizeof buf);
    if (n <= 0) break;
    out.received.append(buf, n);
  }
  if (fifoFd >= 0) ::close(fifoFd);
  ::close(answer[0]);
  out.finished = answered && WIFEXITED(status) && WEXITSTATUS(status) == 0 && !msg.empty();
  if (!answered)
    out.why = "no answer within 2 s";
  else if (WIFSIGNALED(status))
    out.why = "the child was killed by signal " + std::to_string(WTERMSIG(status));
  else
    out.why = "the child failed";
  if (out.finished && msg[0] == '1') out.text = msg.substr(1);
  return out;
}

class SaveAndPrint : public testing::TestWithParam<Case> {};

TEST_P(SaveAndPrint, WriteWhatTheSystemAllows) {
  const Case& c = GetParam();
  if (c.as == As::Root && ::geteuid() != 0) GTEST_SKIP() << "needs root to prepare a foreign file";

  test::StartedTrainer b;
  b.Type(0x8200, {"MVI A, 05", "LXI H, 9000", "MOV M, A", "HLT"});
  b.t.listing.SetMnemonic(30001, "последняя строка");
  const int32_t pc = 0xF730;  // the whole listing: more than a pipe holds at once
  std::string image(kImageSize, '\0');
  for (size_t k = 0; k < kImageSize; ++k)
    image[k] = static_cast<char>(HexTextToInt(b.t.listing.Code(static_cast<int64_t>(k) + 1)));

  Scratch scratch;
  if (c.as == As::Nobody && !NobodyReaches(scratch.path))
    GTEST_SKIP() << "cannot run as the user nobody here (needs root for setresuid, and a "
                    "temporary folder nobody may enter): "
                 << scratch.path;
  int n = 0;
  for (const bool save : {true, false}) {
    SCOPED_TRACE(save ? "Save" : "print-out");
    const fs::path dir = scratch.path / (std::to_string(n++) + "-папка");
    const Target t = c.prepare(dir);
    if (HasFatalFailure()) return;
    // /dev/full and /proc are Linux's.
    if (t.lands.empty() && !fs::exists(t.path)) GTEST_SKIP() << "no " << t.path << " here";
    const std::string& bytes = save ? image : PrintoutText(b.t.listing, pc);
    const fs::path folder = (t.lands.empty() ? fs::path(t.path) : t.lands).parent_path();
    const auto namesBefore = Names(folder);
    struct stat before {};
    const bool existed = !t.lands.empty() && ::lstat(t.lands.c_str(), &before) == 0;
    struct stat linkBefore {};
    ::lstat(t.path.c_str(), &linkBefore);

    const auto start = Clock::now();
    const Outcome out = RunInChild(c.as, t.path, t.reader, [&] {
      return save ? SaveImage(b.t.listing, t.path) : PrintListing(b.t.listing, pc, t.path);
    });
    ASSERT_TRUE(out.finished) << out.why;
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(2));

    const std::string want = Expand(save ? c.saveText : c.printText, t.path);
    EXPECT_EQ(out.text.value_or(""), want);
    if (!t.lands.empty()) {
      struct stat after {};
      const bool exists = ::lstat(t.lands.c_str(), &after) == 0;
      if (want.empty()) {
        EXPECT_TRUE(test::ReadFile(t.lands) == bytes) << "the new bytes are not in the file";
      } else if (existed) {
        EXPECT_TRUE(test::ReadFile(t.lands) == kOld) << "the old file was changed";
      } else {
        EXPECT_FALSE(exists) << "a refused file was made";
      }
      if (existed && exists) {
        EXPECT_EQ(after.st_uid, before.st_uid) << "owner";
        EXPECT_EQ(after.st_gid, before.st_gid) << "group";
        EXPECT_EQ(after.st_mode, before.st_mode) << "mode";
      }
      if (S_ISLNK(linkBefore.st_mode)) {
        struct stat linkAfter {};
        ASSERT_EQ(::lstat(t.path.c_str(), &linkAfter), 0);
        EXPECT_TRUE(S_ISLNK(linkAfter.st_mode)) << "the link was replaced";
      }
    }
    if (t.reader != Reader::None && want.empty()) {
      EXPECT_TRUE(out.received == bytes) << "the reader got " << out.received.size() << " bytes";
    }
    if (folder != "/proc") {
      auto extra = Names(folder);
      for (const auto& name : namesBefore) extra.erase(name);
      if (!t.lands.empty()) extra.erase(t.lands.filename().string());
      EXPECT_TRUE(extra.empty()) << "left behind: " << *extra.begin();
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Files, SaveAndPrint, testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tamrel

#endif  // _WIN32
