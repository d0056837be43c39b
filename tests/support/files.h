// Whole files in and out, for checking what the program wrote.
#pragma once

#include <cstddef>
#include <string>

namespace tamrel::test {

// The file's bytes; empty when it cannot be read.
std::string ReadFile(const std::string& path);
// Creates or truncates the file with these bytes; false when that failed.
bool WriteFile(const std::string& path, const std::string& bytes);

// A fresh folder under the system's temporary folder, removed with everything in it.
class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  const std::string& Path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }
  size_t Entries() const;  // how many names the folder holds

 private:
  std::string path_;
};

}  // namespace tamrel::test

#ifdef _WIN32
// POSIX's mkdtemp, which Windows lacks: makes a folder named by the pattern, its last six
// characters (XXXXXX) replaced; the pattern, or null when that failed.
extern "C" char* mkdtemp(char* pattern);
#endif
