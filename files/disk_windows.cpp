// The file layer on Windows. Names arrive in UTF-8 and are opened in UTF-16, every file in
// binary mode (text mode would fold CR LF and stop reading at 1Ah). What differs from the POSIX
// layer is said in the README's reliability section.
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <random>

#include "files/disk.h"
#include "files/disk_system.h"

namespace tamrel {

namespace {

// UTF-16 for a UTF-8 name; nothing when the bytes are not UTF-8 (no file can have that name).
// `lossy` puts U+FFFD for such bytes instead.
std::optional<std::wstring> Wide(const std::string& utf8, bool lossy = false) {
  if (utf8.size() > INT_MAX) return std::nullopt;
  if (utf8.empty()) return std::wstring();
  const DWORD flags = lossy ? 0 : MB_ERR_INVALID_CHARS;
  const int size = static_cast<int>(utf8.size());
  const int n = MultiByteToWideChar(CP_UTF8, flags, utf8.data(), size, nullptr, 0);
  if (n <= 0) return std::nullopt;
  std::wstring w(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, flags, utf8.data(), size, w.data(), n);
  return w;
}

// A name too long for the old limit of 260 characters is made absolute and given the prefix
// that lifts it; shorter names stay as they are (a device name such as NUL must).
std::wstring Long(const std::wstring& name) {
  if (name.size() < MAX_PATH - 12 || name.starts_with(L"\\\\?\\")) return name;
  const DWORD n = GetFullPathNameW(name.c_str(), 0, nullptr, nullptr);
  if (n == 0) return name;
  std::wstring full(n, L'\0');
  const DWORD got = GetFullPathNameW(name.c_str(), n, full.data(), nullptr);
  if (got == 0 || got >= n) return name;
  full.resize(got);
  if (full.starts_with(L"\\\\.\\")) return full;  // a device
  if (full.starts_with(L"\\\\")) return L"\\\\?\\UNC\\" + full.substr(2);
  return L"\\\\?\\" + full;
}

// A name's folder and its last part: "C:\a\b.mem" gives "C:\a\" and "b.mem".
struct Split {
  std::wstring folder, base;
};
Split SplitName(const std::wstring& name) {
  const size_t cut = name.find_last_of(L"\\/");
  if (cut != std::wstring::npos) return {name.substr(0, cut + 1), name.substr(cut + 1)};
  if (name.size() >= 2 && name[1] == L':') return {name.substr(0, 2), name.substr(2)};
  return {L"", name};
}

bool IsFolder(const std::wstring& name) {
  const DWORD attrs = GetFileAttributesW(name.c_str());
  return attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// The error numbers of the POSIX layer for what the system's calls report.
int ErrnoOf(DWORD e) {
  switch (e) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND: return ENOENT;
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_DIRECTORY: return EINVAL;
    case ERROR_FILENAME_EXCED_RANGE: return ENAMETOOLONG;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_WRITE_PROTECT: return EACCES;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return ENOSPC;
    case ERROR_TOO_MANY_OPEN_FILES: return EMFILE;
    default: return EIO;
  }
}

class Fd {
 public:
  explicit Fd(int fd = -1) : fd_(fd) {}
  ~Fd() {
    if (fd_ >= 0) _close(fd_);
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return fd_; }
  int Close() {
    const int r = _close(fd_);
    fd_ = -1;
    return r == 0 ? 0 : errno;
  }

 private:
  int fd_;
};

ssize_t WriteSome(int fd, const void* buf, size_t n) {
  return _write(fd, buf, static_cast<unsigned>(std::min<size_t>(n, 1u << 30)));
}

bool WriteAll(int fd, std::string_view bytes, WriteFn write, int& err) {
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n > 0) {
      done += static_cast<size_t>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    err = n < 0 ? errno : 0;
    return false;
  }
  return true;
}

// The name the open file really has: a symbolic link is followed, so that the link stays.
std::wstring FinalName(int fd, const std::wstring& name) {
  const auto h = reinterpret_cast<HANDLE>(_get_osfhandle(fd));
  std::wstring final(MAX_PATH, L'\0');
  for (int tries = 0; tries < 2; ++tries) {
    const DWORD n = GetFinalPathNameByHandleW(h, final.data(), static_cast<DWORD>(final.size()),
                                              FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (n == 0) return name;
    if (n < final.size()) return final.substr(0, n);
    final.resize(n + 1);
  }
  return name;
}

std::wstring TempName() {
  static constexpr char kChars[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  thread_local std::minstd_rand pick{std::random_device{}()};
  std::wstring name = L".tamrel-";
  for (int i = 0; i < 8; ++i) name += static_cast<wchar_t>(kChars[pick() % (sizeof kChars - 1)]);
  return name;
}

struct Outcome {
  enum { Done, Failed, InPlace } what;
  WriteFailure failure{WriteFailure::Create, 0};
};
Outcome Failed(WriteFailure::Stage stage, int err) { return {Outcome::Failed, {stage, err}}; }

// A new file, or the existing file `target` (with its attributes `old`), through a temporary
// file beside it that replaces it once every byte is written and flushed.
Outcome Replace(const std::wstring& target, std::optional<DWORD> old, std::string_view bytes,
                WriteFn write) {
  const Split name = SplitName(target);
  if (name.base.empty() || name.base == L"." || name.base == L"..")
    return Failed(WriteFailure::Create, EINVAL);
  if (!IsFolder(name.folder.empty() ? L"." : name.folder))
    return Failed(WriteFailure::Create, ENOENT);

  std::wstring tmp;
  int fd = -1;
  for (int tries = 0; tries < 100 && fd < 0; ++tries) {
    tmp = name.folder + TempName();
    fd = _wopen(tmp.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
    if (fd < 0 && errno != EEXIST) break;
  }
  if (fd < 0) {
    if (old && errno == EACCES) return {Outcome::InPlace};
    return Failed(WriteFailure::Create, errno);
  }
  Fd file(fd);
  const auto drop = [&] { _wunlink(tmp.c_str()); };

  int err = 0;
  bool ok = WriteAll(fd, bytes, write, err);
  if (ok && _commit(fd) != 0) ok = false, err = errno;
  if (const int e = file.Close(); e != 0 && ok) ok = false, err = e;
  if (!ok) {
    drop();
    return Failed(WriteFailure::Write, err);
  }
  constexpr DWORD kKept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                          FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
  if (old && (*old & kKept) != 0) SetFileAttributesW(tmp.c_str(), *old & kKept);
  if (!MoveFileExW(tmp.c_str(), target.c_str(),
                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    err = ErrnoOf(GetLastError());
    drop();
    // A file another program holds open without letting it be replaced.
    if (old && err == EACCES) return {Outcome::InPlace};
    return Failed(WriteFailure::Create, err);
  }
  return {Outcome::Done};
}

std::optional<WriteFailure> WriteInPlace(Fd& fd, bool regular, std::string_view bytes,
                                         WriteFn write) {
  if (regular && _chsize(fd.get(), 0) != 0) return WriteFailure{WriteFailure::Create, errno};
  int err = 0;
  bool ok = WriteAll(fd.get(), bytes, write, err);
  if (ok && regular && _commit(fd.get()) != 0) ok = false, err = errno;
  if (const int e = fd.Close(); e != 0 && ok) ok = false, err = e;
  if (!ok) return WriteFailure{WriteFailure::Write, err};
  return std::nullopt;
}

}  // namespace

std::optional<WriteFailure> WriteFileSafely(const std::string& path, std::string_view bytes,
                                            WriteFn write) {
  if (write == nullptr) write = WriteSome;
  const auto wide = Wide(path);
  if (!wide || wide->empty()) return WriteFailure{WriteFailure::Create, EINVAL};
  const std::wstring target = Long(*wide);

  const DWORD attrs = GetFileAttributesW(target.c_str());
  if (attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_DIRECTORY) != 0)
    return WriteFailure{WriteFailure::Create, EISDIR};
  // Read-only stops everyone on Windows, administrators too (and Wine's root, who could write
  // the file underneath): it is asked directly.
  if (attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_READONLY) != 0)
    return WriteFailure{WriteFailure::Create, EACCES};
  // Opening the target for writing asks the system itself whether the user may write it (a
  // file another program holds without sharing it is refused here); it changes nothing.
  Fd open(_wopen(target.c_str(), _O_WRONLY | _O_BINARY));
  if (open.get() < 0) {
    if (errno != ENOENT) return WriteFailure{WriteFailure::Create, errno};
    const Outcome o = Replace(target, std::nullopt, bytes, write);
    if (o.what == Outcome::Failed) return o.failure;
    return std::nullopt;
  }
  const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(open.get()));
  if (GetFileType(handle) != FILE_TYPE_DISK) return WriteInPlace(open, false, bytes, write);

  // Closed before the replacement: an open file cannot be replaced.
  const std::wstring final = FinalName(open.get(), target);
  open.Close();
  const Outcome o = Replace(final, attrs == INVALID_FILE_ATTRIBUTES ? 0 : attrs, bytes, write);
  if (o.what == Outcome::Failed) return o.failure;
  if (o.what == Outcome::Done) return std::nullopt;
  Fd again(_wopen(final.c_str(), _O_WRONLY | _O_BINARY));
  if (again.get() < 0) return WriteFailure{WriteFailure::Create, errno};
  return WriteInPlace(again, true, bytes, write);
}

std::optional<int> ReadFileBytes(const std::string& path, std::string& bytes, size_t limit) {
  const auto wide = Wide(path);
  if (!wide) return ENOENT;
  const std::wstring name = Long(*wide);
  if (!name.empty() && IsFolder(name)) return EISDIR;
  const Fd fd(_wopen(name.c_str(), _O_RDONLY | _O_BINARY));
  if (fd.get() < 0) return errno;
  bytes.clear();
  char buf[65536];
  while (bytes.size() < limit) {
    const int n =
        _read(fd.get(), buf, static_cast<unsigned>(std::min(sizeof buf, limit - bytes.size())));
    if (n < 0) return errno;
    if (n == 0) break;
    bytes.append(buf, static_cast<size_t>(n));
  }
  return std::nullopt;
}

namespace disk {

bool FolderMissing(const std::string& path) {
  const std::wstring folder = SplitName(Long(Wide(path, true).value_or(L""))).folder;
  return !folder.empty() && !IsFolder(folder);
}

}  // namespace disk

}  // namespace tamrel
