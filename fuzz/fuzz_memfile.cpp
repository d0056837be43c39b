// A memory image of any length given to Open, then Save and the print-out into a scratch
// folder, with writes that may fail part-way. The input gives the image's length (0 to
// 32767 bytes) and its bytes, repeated as often as the length needs: a short input makes a
// full image, and a long one still sets every byte.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "files/memfile.h"
#include "files/printout.h"
#include "fuzz_common.h"
#include "support/files.h"

using namespace tamrel;
namespace fs = std::filesystem;

namespace {

size_t g_failAfter = 0;  // bytes the faulty device takes before it reports a full disk

ssize_t FaultyWrite(int fd, const void* buf, size_t n) {
  if (g_failAfter == 0) {
    errno = ENOSPC;
    return -1;
  }
  const size_t k = n < g_failAfter ? n : g_failAfter;
  g_failAfter -= k;
  return ::write(fd, buf, k);
}

// On a memory file system where there is one: what is under test is what the routines do with
// the bytes and the files, and a disk's fsync would cost more than all of that (the suite's
// fault tests cover real file systems).
const fs::path& Scratch() {
  static const fs::path dir = [] {
    std::error_code ec;
    const fs::path base = fs::is_directory("/dev/shm", ec) ? "/dev/shm" : fs::temp_directory_path();
    std::string tmpl = (base / "tamrel-fuzz-XXXXXX").string();
    fs::path made = ::mkdtemp(tmpl.data());
    std::atexit([] {
      std::error_code ec;
      fs::remove_all(Scratch(), ec);
    });
    return made;
  }();
  return dir;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::Input in{data, size};
  Trainer& t = fuzz::Loaded(in);
  const uint32_t failAt = static_cast<uint32_t>(in.Int32());
  const size_t length = (size_t{in.Byte()} << 8 | in.Byte()) & 0x7FFF;
  const std::string_view bytes = in.Rest();
  std::string image(length, '\0');
  for (size_t k = 0; k < length && !bytes.empty(); ++k) image[k] = bytes[k % bytes.size()];
  const fs::path dir = Scratch();
  const fs::path img = dir / "in.mem", out = dir / "out.mem", txt = dir / "out.txt";
  std::ofstream(img, std::ios::binary)
      .write(image.data(), static_cast<std::streamsize>(image.size()));

  const Memory memBefore = t.m.Mem;
  const auto err = OpenImage(t, img.string());
  if (err) {
    if (image.size() >= kImageSize) fuzz::Fail("a full image was refused");
    if (!(t.m.Mem == memBefore)) fuzz::Fail("failed Open changed memory");
    const Listing::Range r = t.listing.ChangedRows();  // every write of a cell is recorded
    if (r.lo <= r.hi) fuzz::Fail("failed Open changed the listing");
  } else {
    if (image.size() < kImageSize) fuzz::Fail("a short image was accepted");
    if (std::memcmp(fuzz::Bytes(t.m.Mem), image.data(), kImageSize) != 0)
      fuzz::Fail("memory is not the image");
  }
  fuzz::CheckListing(t.listing);
  fuzz::CheckCodesMatchMemory(t);

  // Save over an existing file, through a device that fills up after failAt bytes.
  std::ofstream(out, std::ios::binary) << "previous";
  g_failAfter = failAt % 40000;
  if (SaveImage(t.listing, out.string(), FaultyWrite)) {
    if (test::ReadFile(out) != "previous") fuzz::Fail("failed Save damaged the old file");
  } else if (test::ReadFile(out) !=
             std::string_view(reinterpret_cast<const char*>(fuzz::Bytes(t.m.Mem)), kImageSize)) {
    fuzz::Fail("saved image is not memory's first 30000 bytes");
  }
  std::ofstream(txt, std::ios::binary) << "previous";
  g_failAfter = failAt % 900000;
  if (PrintListing(t.listing, t.m.PC, txt.string(), FaultyWrite)) {
    if (test::ReadFile(txt) != "previous") fuzz::Fail("failed print-out damaged the old file");
  } else if (test::ReadFile(txt) != PrintoutText(t.listing, t.m.PC)) {
    fuzz::Fail("print-out differs");
  }
  size_t entries = 0;
  for ([[maybe_unused]] const auto& e : fs::directory_iterator(dir)) ++entries;
  if (entries != 3) fuzz::Fail("a temporary file was left behind");
  return 0;
}
