// A temporary folder that cleans up after itself, and whole-file reads and writes.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace tamrel::test {

struct TempFolder {
  std::filesystem::path path;
  TempFolder() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "tamrel-XXXXXX").string();
    path = ::mkdtemp(tmpl.data());
  }
  ~TempFolder() { std::filesystem::remove_all(path); }
  std::string operator/(const std::string& name) const { return (path / name).string(); }
};

inline std::string ReadAll(const std::string& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

inline void WriteAll(const std::string& p, const std::string& bytes) {
  std::ofstream(p, std::ios::binary) << bytes;
}

}  // namespace tamrel::test
