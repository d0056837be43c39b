#include "files/safefile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <filesystem>

namespace tamrel {

namespace {

bool WriteAll(int fd, std::string_view bytes, WriteFn write, int& err) {
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      err = n < 0 ? errno : 0;
      return false;
    }
    done += static_cast<size_t>(n);
  }
  return true;
}

mode_t NewFileMode() {
  const mode_t mask = umask(0);
  umask(mask);
  return 0666 & ~mask;
}

}  // namespace

std::optional<WriteFailure> WriteFileSafely(const std::string& path, std::string_view bytes,
                                            WriteFn write) {
  if (write == nullptr) write = ::write;
  std::string target = path;
  mode_t mode = NewFileMode();
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0) {
    if (!S_ISREG(st.st_mode)) {
      // A device or a pipe cannot be replaced; a folder cannot be written at all.
      const int fd = ::open(path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
      if (fd < 0) return WriteFailure{WriteFailure::Create, errno};
      int err = 0;
      const bool ok = WriteAll(fd, bytes, write, err);
      ::close(fd);
      if (!ok) return WriteFailure{WriteFailure::Write, err};
      return std::nullopt;
    }
    mode = st.st_mode & 07777;
    if (char real[PATH_MAX]; ::realpath(path.c_str(), real) != nullptr) target = real;
  }

  std::string tmp = target + ".XXXXXX";
  const int fd = ::mkstemp(tmp.data());
  if (fd < 0) return WriteFailure{WriteFailure::Create, errno};
  int err = 0;
  bool ok = WriteAll(fd, bytes, write, err);
  if (ok && ::fsync(fd) != 0) ok = false, err = errno;
  if (ok) ::fchmod(fd, mode);
  if (::close(fd) != 0 && ok) ok = false, err = errno;
  if (!ok) {
    ::unlink(tmp.c_str());
    return WriteFailure{WriteFailure::Write, err};
  }
  if (::rename(tmp.c_str(), target.c_str()) != 0) {
    err = errno;
    ::unlink(tmp.c_str());
    return WriteFailure{WriteFailure::Create, err};
  }
  return std::nullopt;
}

std::string FileErrorText(int err, const std::string& path) {
  switch (err) {
    case ENOENT: {
      // A missing file in an existing folder is "not found"; a missing folder is a bad name.
      const auto parent = std::filesystem::path(path).parent_path();
      std::error_code ec;
      if (!parent.empty() && !std::filesystem::is_directory(parent, ec)) return "Invalid filename";
      return "File not found";
    }
    case ENOTDIR:
    case ENAMETOOLONG:
    case EINVAL: return "Invalid filename";
    case EMFILE:
    case ENFILE: return "Too many open files";
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
    case ETXTBSY: return "File access denied";
    case 0:
    case ENOSPC:
    case EDQUOT:
    case EFBIG: return "Disk full";
    default: return "I/O error " + std::to_string(err);
  }
}

}  // namespace tamrel
