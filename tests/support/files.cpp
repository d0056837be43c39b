#include "support/files.h"

#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#ifdef _WIN32
#include <cstring>
#include <random>
#endif

#ifdef _WIN32
extern "C" char* mkdtemp(char* pattern) {
  static constexpr char kChars[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  thread_local std::minstd_rand pick{std::random_device{}()};
  const size_t size = std::strlen(pattern);
  if (size < 6) return nullptr;
  for (int tries = 0; tries < 100; ++tries) {
    for (size_t k = size - 6; k < size; ++k) pattern[k] = kChars[pick() % (sizeof kChars - 1)];
    std::error_code ec;
    if (std::filesystem::create_directory(pattern, ec)) return pattern;
  }
  return nullptr;
}
#endif

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
#ifdef _WIN32
  // Forward slashes, as the names made from it have: the tests compare names as texts.
  std::replace(path_.begin(), path_.end(), '\\', '/');
#endif
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
