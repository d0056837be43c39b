// What each system's file layer gives the part all systems share (disk.cpp).
#pragma once

#include <string>

namespace tamrel::disk {

// Whether the path names a folder that is not there, so that a missing file is a bad name
// rather than a file not found.
bool FolderMissing(const std::string& path);

}  // namespace tamrel::disk
