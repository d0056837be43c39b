#include "files/disk.h"

#include <cerrno>

#include "files/disk_system.h"

namespace tamrel {

std::string FileErrorText(int err, const std::string& path) {
  switch (err) {
    case ENOENT:
      // A missing file in an existing folder is "not found"; a missing folder is a bad name.
      if (disk::FolderMissing(path)) return "Invalid filename";
      return "File not found";
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
#ifdef EDQUOT
    case EDQUOT:
#endif
    case EFBIG: return "Disk full";
    default: return "I/O error " + std::to_string(err);
  }
}

}  // namespace tamrel
