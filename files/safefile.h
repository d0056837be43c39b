// Writing a whole file so that a failure never costs the user the file they had: the bytes
// go to a temporary file beside the target, which replaces the target only once everything
// was written. Special files (devices, pipes) are written in place.
#pragma once

#include <sys/types.h>

#include <optional>
#include <string>
#include <string_view>

namespace tamrel {

using WriteFn = ssize_t (*)(int fd, const void* buf, size_t n);

struct WriteFailure {
  enum Stage { Create, Write } stage;
  int err;  // errno; 0 for a short write
};

std::optional<WriteFailure> WriteFileSafely(const std::string& path, std::string_view bytes,
                                            WriteFn write = nullptr);

// The texts the trainer shows for a failed file operation, by system error number.
std::string FileErrorText(int err, const std::string& path);

}  // namespace tamrel
