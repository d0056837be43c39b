#include "support/files.h"

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace tamrel::test {

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

bool WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
  return static_cast<bool>(out.flush());
}

namespace fs = std::filesystem;

ScratchDir::ScratchDir() {
  std::string pattern = (fs::temp_directory_path() / "tamrel-XXXXXX").string();
  if (::mkdtemp(pattern.data()) != nullptr) path_ = pattern;
}

ScratchDir::~ScratchDir() {
  std::error_code ec;
  if (!path_.empty()) fs::remove_all(path_, ec);
}

size_t ScratchDir::Entries() const {
  std::error_code ec;
  return static_cast<size_t>(std::distance(fs::directory_iterator(path_, ec), {}));
}

}  // namespace tamrel::test
