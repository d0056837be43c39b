#include "files/memfile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "listing/opcodes.h"
#include "machine/numtext.h"

namespace tamrel {

std::optional<std::string> SaveImage(const Listing& l, const std::string& path, WriteFn write) {
  std::string bytes(kImageSize, '\0');
  for (size_t k = 0; k < kImageSize; ++k)
    bytes[k] =
        static_cast<char>(static_cast<uint8_t>(HexTextToInt(l.Code(static_cast<int64_t>(k) + 1))));
  if (auto f = WriteFileSafely(path, bytes, write)) {
    // Save makes a file that is missing, so a missing name is always a path that does not exist.
    if (f->err == ENOENT) return std::string("Invalid filename");
    return FileErrorText(f->err, path);
  }
  return std::nullopt;
}

std::optional<std::string> OpenImage(Core& c, const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return FileErrorText(errno, path);
  struct stat st {};
  if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
    ::close(fd);
    return FileErrorText(EISDIR, path);
  }
  uint8_t image[kImageSize];
  size_t got = 0;
  int err = 0;
  while (got < kImageSize) {
    const ssize_t n = ::read(fd, image + got, kImageSize - got);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) err = errno;
    if (n <= 0) break;
    got += static_cast<size_t>(n);
  }
  ::close(fd);
  if (err != 0) return FileErrorText(err, path);
  if (got < kImageSize) return std::string("Read beyond end of file");

  for (size_t k = 0; k < kImageSize; ++k)
    StoreByte(c, kMemFirst + static_cast<int64_t>(k), image[k], ByteText(image[k]));
  FullDisassembly(c.listing);
  return std::nullopt;
}

void NewImage(Core& c) {
  for (int64_t a = kMemFirst; a <= kMemLast; ++a) StoreByte(c, a, 0, "00");
  FullDisassembly(c.listing);
}

}  // namespace tamrel
