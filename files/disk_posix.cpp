#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <filesystem>
#include <random>

#include "files/disk.h"
#include "files/disk_system.h"

namespace tamrel {

namespace {

namespace fs = std::filesystem;

// How long a pipe or device may refuse every byte before the write gives up, and how long it
// may take in all once it had to be waited for (a reader taking a byte now and then).
constexpr std::chrono::milliseconds kStall{500};
constexpr std::chrono::milliseconds kLongest{2000};

// While a pipe is written its reader may go away: that must be an error (EPIPE), not the end
// of the program. SIGPIPE is held back meanwhile, and one raised by our writing is dropped.
class SigpipeHeld {
 public:
  SigpipeHeld() {
    sigemptyset(&pipe_);
    sigaddset(&pipe_, SIGPIPE);
    sigset_t pending;
    sigpending(&pending);
    wasPending_ = sigismember(&pending, SIGPIPE) == 1;
    pthread_sigmask(SIG_BLOCK, &pipe_, &old_);
  }
  ~SigpipeHeld() {
    const int saved = errno;
    sigset_t pending;
    sigpending(&pending);
    if (!wasPending_ && sigismember(&pending, SIGPIPE) == 1) {
      const timespec now{};
      sigtimedwait(&pipe_, nullptr, &now);
    }
    pthread_sigmask(SIG_SETMASK, &old_, nullptr);
    errno = saved;
  }
  SigpipeHeld(const SigpipeHeld&) = delete;
  SigpipeHeld& operator=(const SigpipeHeld&) = delete;

 private:
  sigset_t pipe_{}, old_{};
  bool wasPending_ = false;
};

class Fd {
 public:
  explicit Fd(int fd = -1) : fd_(fd) {}
  ~Fd() {
    if (fd_ >= 0) ::close(fd_);
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return fd_; }
  // Closes now and tells whether the system reported a failure (a late write error).
  int Close() {
    const int r = ::close(fd_);
    fd_ = -1;
    return r == 0 ? 0 : errno;
  }

 private:
  int fd_;
};

// Writes everything; a descriptor that takes no byte for kStall (a full pipe whose reader
// does not read), or still wants waiting for after kLongest, is a failure.
bool WriteAll(int fd, std::string_view bytes, WriteFn write, int& err) {
  using Clock = std::chrono::steady_clock;
  const auto last = Clock::now() + kLongest;
  size_t done = 0;
  auto giveUp = Clock::now() + kStall;
  while (done < bytes.size()) {
    const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n > 0) {
      done += static_cast<size_t>(n);
      giveUp = std::min(Clock::now() + kStall, last);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      const auto left =
          std::chrono::duration_cast<std::chrono::milliseconds>(giveUp - Clock::now()).count();
      pollfd p{fd, POLLOUT, 0};
      if (left > 0 && (::poll(&p, 1, static_cast<int>(left)) >= 0 || errno == EINTR)) continue;
      err = EAGAIN;
      return false;
    }
    err = n < 0 ? errno : 0;
    return false;
  }
  return true;
}

mode_t NewFileMode() {
  const mode_t mask = umask(0);
  umask(mask);
  return 0666 & ~mask;
}

// The name the file really has: symbolic links are followed, also to a file not there yet,
// so that the link stays and the file it names is written.
std::string FinalName(std::string path) {
  for (int hops = 0; hops < 40; ++hops) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) break;
    std::string to(PATH_MAX, '\0');
    const ssize_t n = ::readlink(path.c_str(), to.data(), to.size());
    if (n <= 0 || static_cast<size_t>(n) >= to.size()) break;
    to.resize(static_cast<size_t>(n));
    path = to.front() == '/' ? to : (fs::path(path).parent_path() / to).string();
  }
  return path;
}

// Eight characters beside ".tamrel-": short enough for any folder, unlikely to meet another.
std::string TempName() {
  static constexpr char kChars[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  thread_local std::minstd_rand pick{std::random_device{}()};
  std::string name = ".tamrel-";
  for (int i = 0; i < 8; ++i) name += kChars[pick() % (sizeof kChars - 1)];
  return name;
}

bool MayWriteInPlaceInstead(int err) { return err == EACCES || err == EPERM || err == EROFS; }

struct Outcome {
  enum { Done, Failed, InPlace } what;
  WriteFailure failure{WriteFailure::Create, 0};
};
Outcome Failed(WriteFailure::Stage stage, int err) { return {Outcome::Failed, {stage, err}}; }

// A new file, or the existing regular file `old`, through a temporary file and a rename.
Outcome Replace(const std::string& final, const struct stat* old, std::string_view bytes,
                WriteFn write) {
  const fs::path p(final);
  const std::string base = p.filename().string();
  if (base.empty() || base == "." || base == "..") return Failed(WriteFailure::Create, EINVAL);
  const std::string folder = p.has_parent_path() ? p.parent_path().string() : ".";
  const Fd dir(::open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
  if (dir.get() < 0) return Failed(WriteFailure::Create, errno);

  std::string tmp;
  int fd = -1;
  for (int tries = 0; tries < 100 && fd < 0; ++tries) {
    tmp = TempName();
    fd = ::openat(dir.get(), tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0 && errno != EEXIST) break;
  }
  if (fd < 0) {
    if (old && MayWriteInPlaceInstead(errno)) return {Outcome::InPlace};
    // A folder that is there but makes no files at all (/proc) holds nothing one may write.
    return Failed(WriteFailure::Create, errno == ENOENT ? EACCES : errno);
  }
  Fd file(fd);
  const auto drop = [&] { ::unlinkat(dir.get(), tmp.c_str(), 0); };

  if (old) {
    struct stat made {};
    if (::fstat(fd, &made) != 0 || ((made.st_uid != old->st_uid || made.st_gid != old->st_gid) &&
                                    ::fchown(fd, old->st_uid, old->st_gid) != 0)) {
      drop();
      return {Outcome::InPlace};  // the replacement could not belong to whom the file belongs
    }
  }
  ::fchmod(fd, old ? old->st_mode & 07777 : NewFileMode());

  int err = 0;
  bool ok = WriteAll(fd, bytes, write, err);
  if (ok && ::fsync(fd) != 0) ok = false, err = errno;
  if (const int e = file.Close(); e != 0 && ok) ok = false, err = e;
  if (!ok) {
    drop();
    return Failed(WriteFailure::Write, err);
  }
  if (::renameat(dir.get(), tmp.c_str(), dir.get(), base.c_str()) != 0) {
    err = errno;
    drop();
    // A sticky folder keeps others' files; a file mounted onto its name cannot be replaced.
    if (old && (MayWriteInPlaceInstead(err) || err == EBUSY)) return {Outcome::InPlace};
    return Failed(WriteFailure::Create, err);
  }
  return {Outcome::Done};
}

std::optional<WriteFailure> WriteInPlace(Fd& fd, bool regular, std::string_view bytes,
                                         WriteFn write) {
  if (regular && ::ftruncate(fd.get(), 0) != 0) return WriteFailure{WriteFailure::Create, errno};
  int err = 0;
  bool ok = WriteAll(fd.get(), bytes, write, err);
  if (ok && regular && ::fsync(fd.get()) != 0) ok = false, err = errno;
  if (const int e = fd.Close(); e != 0 && ok) ok = false, err = e;
  if (!ok) return WriteFailure{WriteFailure::Write, err};
  return std::nullopt;
}

}  // namespace

std::optional<WriteFailure> WriteFileSafely(const std::string& path, std::string_view bytes,
                                            WriteFn write) {
  if (write == nullptr) write = ::write;
  const SigpipeHeld held;

  // Opening the target for writing asks the system itself whether the user may write it. It
  // changes nothing, and never waits: a pipe without a reader fails at once (ENXIO).
  Fd target(::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  if (target.get() < 0) {
    if (errno != ENOENT) return WriteFailure{WriteFailure::Create, errno};
    const Outcome o = Replace(FinalName(path), nullptr, bytes, write);
    if (o.what == Outcome::Failed) return o.failure;
    return std::nullopt;
  }
  struct stat st {};
  if (::fstat(target.get(), &st) != 0) return WriteFailure{WriteFailure::Create, errno};
  if (!S_ISREG(st.st_mode)) return WriteInPlace(target, false, bytes, write);

  const Outcome o = Replace(FinalName(path), &st, bytes, write);
  if (o.what == Outcome::InPlace) return WriteInPlace(target, true, bytes, write);
  if (o.what == Outcome::Failed) return o.failure;
  return std::nullopt;
}

std::optional<int> ReadFileBytes(const std::string& path, std::string& bytes, size_t limit) {
  // Never waits: a pipe without a writer reads as empty, a device as what it has at once.
  const Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (fd.get() < 0) return errno;
  struct stat st {};
  if (::fstat(fd.get(), &st) == 0 && S_ISDIR(st.st_mode)) return EISDIR;
  bytes.clear();
  char buf[65536];
  while (bytes.size() < limit) {
    const ssize_t n = ::read(fd.get(), buf, std::min(sizeof buf, limit - bytes.size()));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return errno;
    if (n == 0) break;
    bytes.append(buf, static_cast<size_t>(n));
  }
  return std::nullopt;
}

namespace disk {

bool FolderMissing(const std::string& path) {
  const auto parent = fs::path(path).parent_path();
  std::error_code ec;
  return !parent.empty() && !fs::is_directory(parent, ec);
}

}  // namespace disk

}  // namespace tamrel
