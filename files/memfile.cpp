#include "files/memfile.h"

#include <cerrno>

#include "listing/opcodes.h"
#include "machine/numtext.h"

namespace tamrel {

std::string ImageBytes(const Listing& l) {
  std::string bytes(kImageSize, '\0');
  for (size_t k = 0; k < kImageSize; ++k)
    bytes[k] =
        static_cast<char>(static_cast<uint8_t>(HexTextToInt(l.Code(static_cast<int64_t>(k) + 1))));
  return bytes;
}

std::optional<std::string> OpenImageBytes(Core& c, std::string_view bytes) {
  if (bytes.size() < kImageSize) return std::string("Read beyond end of file");
  NoteEdit(c);
  for (size_t k = 0; k < kImageSize; ++k) {
    const auto b = static_cast<uint8_t>(bytes[k]);
    StoreByte(c, kMemFirst + static_cast<int64_t>(k), b, ByteText(b));
  }
  FullDisassembly(c.listing);
  return std::nullopt;
}

std::optional<std::string> SaveImage(const Listing& l, const std::string& path, WriteFn write) {
  if (auto f = WriteFileSafely(path, ImageBytes(l), write)) {
    // Save makes a file that is missing, so a missing name is always a path that does not exist.
    if (f->err == ENOENT) return std::string("Invalid filename");
    return FileErrorText(f->err, path);
  }
  return std::nullopt;
}

std::optional<std::string> OpenImage(Core& c, const std::string& path) {
  std::string bytes;
  if (auto err = ReadFileBytes(path, bytes, kImageSize)) return FileErrorText(*err, path);
  return OpenImageBytes(c, bytes);
}

void NewImage(Core& c) {
  NoteEdit(c);
  for (int64_t a = kMemFirst; a <= kMemLast; ++a) StoreByte(c, a, 0, "00");
  FullDisassembly(c.listing);
}

}  // namespace tamrel
