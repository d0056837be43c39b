// What the file formats mean, on bytes alone: no file system anywhere in this file.
#include <gtest/gtest.h>

#include "files/ihex.h"
#include "files/memfile.h"
#include "machine/numtext.h"
#include "support/started_trainer.h"

namespace tamrel {
namespace {

// Bytes 0, 1, 2, ... with the given ones at the start (a text-mode reader would fold CR LF
// into LF and stop at 1Ah).
std::string Image(size_t size, std::string_view start = {}) {
  std::string bytes(size, '\0');
  for (size_t k = 0; k < size; ++k) bytes[k] = static_cast<char>(k * 7 + 1);
  return bytes.replace(0, std::min(start.size(), size), start.substr(0, size));
}

TEST(FileBytes, OpenTakesExactlyTheFirst30000Bytes) {
  // clang-format off
  const struct {
    const char* what;
    std::string bytes;
    const char* error;
  } cases[] = {
      {"empty", "", "Read beyond end of file"},
      {"one short", Image(29999), "Read beyond end of file"},
      {"exact", Image(30000), nullptr},
      {"one more", Image(30001), nullptr},
      {"CR LF and 1Ah", Image(30000, "\x0D\x0A\x1A\x0A\x0D"), nullptr},
      {"short with CR LF", Image(29999, "\x0D\x0A\x1A"), "Read beyond end of file"},
  };
  // clang-format on
  for (const auto& c : cases) {
    test::StartedTrainer b;
    b.t.m.Mem.Write(0xF730, 0x5A);
    b.t.listing.SetCode(kLastRow, "5A");
    const Memory memBefore = b.t.m.Mem;
    const std::string imageBefore = ImageBytes(b.t.listing);
    const auto err = OpenImageBytes(b.t, c.bytes);
    if (c.error) {
      EXPECT_EQ(err, c.error) << c.what;
      EXPECT_EQ(b.t.m.Mem, memBefore) << c.what;
      EXPECT_EQ(ImageBytes(b.t.listing), imageBefore) << c.what;
      continue;
    }
    ASSERT_FALSE(err) << c.what;
    EXPECT_EQ(ImageBytes(b.t.listing), c.bytes.substr(0, kImageSize)) << c.what;
    for (size_t k = 0; k < kImageSize; ++k)
      ASSERT_EQ(b.t.m.Mem.Read(kMemFirst + static_cast<int32_t>(k)), uint8_t(c.bytes[k]))
          << c.what << " at " << k;
    EXPECT_EQ(b.t.m.Mem.Read(0xF730), 0x5A) << c.what;  // never part of an image
    EXPECT_EQ(b.t.listing.Code(kLastRow), "5A") << c.what;
  }
}

TEST(FileBytes, ImageAndHexTextRoundTrip) {
  test::StartedTrainer a;
  RandomFill(a.t.m.Mem, ClockSeededRandom());
  a.t.m.Mem.Write(0x8200, 0x0D), a.t.m.Mem.Write(0x8201, 0x0A), a.t.m.Mem.Write(0x8202, 0x1A);
  a.t.listing.WriteCodesFrom(a.t.m.Mem);
  const std::string image = ImageBytes(a.t.listing);
  ASSERT_EQ(image.size(), kImageSize);
  EXPECT_EQ(image.substr(0, 3), "\x0D\x0A\x1A");

  test::StartedTrainer viaImage, viaHex;
  ASSERT_FALSE(OpenImageBytes(viaImage.t, image));
  ASSERT_FALSE(ImportHexText(viaHex.t, ExportHexText(a.t.listing)));
  for (const Trainer* t : {&viaImage.t, &viaHex.t}) {
    EXPECT_EQ(ImageBytes(t->listing), image);
    EXPECT_EQ(ExportHexText(t->listing), ExportHexText(a.t.listing));
    for (int64_t row = 1; row <= kShownRows; ++row)
      ASSERT_EQ(t->listing.Mnemonic(row), viaImage.t.listing.Mnemonic(row)) << row;
  }
}

}  // namespace
}  // namespace tamrel
