// How bytes reach a disk and come back: the only part of the program that touches a file
// system. What the bytes mean (images, print-outs, Intel HEX) is decided elsewhere, on bytes.
// Each system has its own implementation (disk_posix.cpp, disk_windows.cpp); the error texts
// are shared (disk.cpp).
//
// Writing a whole file so that a failure never costs the user the file they had:
//
// The bytes go to a temporary file beside the target, with a short name of its own (so any
// name the folder accepts works for the target), which takes the target's owner, group and
// mode and replaces it only once every byte is written and flushed: afterwards either the old
// file is there as it was or the new one is there complete.
//
// Where that cannot be done but the target itself may be written, the target is rewritten in
// place, which keeps it whole only if nothing fails: when the folder makes no new file for the
// user, when the target's owner or group cannot be given to another file, or when the folder
// refuses the replacement. Devices, pipes and other special files are always written in place
// and never make the caller wait long: a pipe without a reader fails at once, one whose reader
// stops taking bytes fails after half a second, and none is waited for more than two seconds.
//
// A target the user may not write is refused with nothing changed. A disk that fills up fails
// the write and keeps the old file, even where rewriting in place would just have fit.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tamrel {

// Writes a piece of the file as the system's write() does; tests put a failing one in.
using WriteFn = ssize_t (*)(int fd, const void* buf, size_t n);

struct WriteFailure {
  enum Stage { Create, Write } stage;
  int err;  // errno; 0 for a short write
};

std::optional<WriteFailure> WriteFileSafely(const std::string& path, std::string_view bytes,
                                            WriteFn write = nullptr);

// Reads at most `limit` bytes of the file from its start, exactly as they are stored. Returns
// the system error number on failure (EISDIR for a folder), or nothing; `bytes` then holds
// what was read, fewer than `limit` when the file is shorter.
std::optional<int> ReadFileBytes(const std::string& path, std::string& bytes,
                                 size_t limit = SIZE_MAX);

// The texts the trainer shows for a failed file operation, by system error number.
std::string FileErrorText(int err, const std::string& path);

}  // namespace tamrel
