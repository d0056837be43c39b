// The web shell against the core's own routines: texts through UTF-8 and back, the entry
// line's keys, files as bytes, and RUN cut into slices of any size.
#include "web/shell/shell.h"

#include <gtest/gtest.h>

#include "files/memfile.h"
#include "machine/text.h"
#include "support/started_trainer.h"

namespace tamrel::web {
namespace {

TEST(WebText, EveryByteOfTheCodePageGoesThereAndBack) {
  for (int b = 0; b < 256; ++b) {
    const std::string one(1, static_cast<char>(b));
    const std::string utf8 = Cp1251ToUtf8(one);
    if (b == 0x98) {  // the one byte without a character
      EXPECT_EQ(utf8, "\xEF\xBF\xBD");
      EXPECT_FALSE(Utf8ToCp1251(utf8));
      continue;
    }
    const auto back = Utf8ToCp1251(utf8);
    ASSERT_TRUE(back) << b;
    EXPECT_EQ(*back, one) << b;
  }
}

TEST(WebText, KnownCharacters) {
  const struct {
    std::string_view cp1251, utf8;
  } cases[] = {
      {"\xC0\xE4\xF0\xE5\xF1", "Адрес"},
      {"\xB9", "№"},
      {"\x88", "€"},
      {"\xA8\xB8", "Ёё"},
      {"\xC6", "Ж"},
      {"MOV A, B", "MOV A, B"},
      {"", ""},
      {"\xFF\xC0", "яА"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Cp1251ToUtf8(c.cp1251), c.utf8);
    EXPECT_EQ(Utf8ToCp1251(c.utf8), std::string(c.cp1251));
  }
  for (std::string_view bad : {"漢", "\xFF", "\xD0", "a\xE2\x82", "😀"})
    EXPECT_FALSE(Utf8ToCp1251(bad)) << bad;
}

TEST(WebEntry, KeysAsTheWindowTakesThem) {
  test::StartedTrainer b;
  const uint64_t edits = b.t.edits;
  EXPECT_FALSE(EntryKey(b.t, FieldKey::Character, "", "漢"));  // ignored, nothing inserted
  EXPECT_EQ(b.t.edits, edits);
  EXPECT_TRUE(EntryKey(b.t, FieldKey::Character, "", "H"));
  EXPECT_TRUE(EntryKey(b.t, FieldKey::Character, "H", "L"));
  EXPECT_TRUE(EntryKey(b.t, FieldKey::Character, "HL", "T"));
  EXPECT_EQ(b.t.listing.Code(1), "76");                     // HLT assembled at 8200
  EXPECT_FALSE(EntryKey(b.t, FieldKey::Enter, "HLT", ""));  // NEXT, and no character
  EXPECT_EQ(b.t.m.PC, 0x8201);
  EXPECT_EQ(b.view.entry, "NOP");
  EXPECT_TRUE(EntryKey(b.t, FieldKey::Backspace, "NOP", ""));  // the field still deletes
  EXPECT_TRUE(EntryKey(b.t, FieldKey::Other, "NOP", ""));
}

TEST(WebFiles, BytesAsFiles) {
  test::StartedTrainer b;
  b.Type(0x8200, {"MVI A, 05", "HLT"});
  const std::string image = ImageBytes(b.t.listing);
  ASSERT_EQ(image.size(), kImageSize);
  EXPECT_EQ(image.substr(0, 3), std::string("\x3E\x05\x76", 3));
  test::StartedTrainer c;
  EXPECT_EQ(OpenImageBytes(c.t, image.substr(0, kImageSize - 1)), "Read beyond end of file");
  EXPECT_EQ(c.t.listing.Code(1), "00");               // a refused image changes nothing
  EXPECT_FALSE(OpenImageBytes(c.t, image + "more"));  // bytes past the image are not read
  EXPECT_EQ(c.t.listing.Mnemonic(1), "MVI A, 05");
  EXPECT_EQ(ImageBytes(c.t.listing), image);
}

// RUN cut into slices of any size ends exactly as one RUN of the core does.
TEST(WebRun, SlicesOfAnySizeEndAsOneRun) {
  const std::initializer_list<std::string_view> program = {
      "MVI B, 07", "MVI A, 00", "ADI 03", "DCR B", "JNZ 8204", "STA 8300", "HLT"};
  test::StartedTrainer whole;
  whole.Type(0x8200, program);
  const RunResult expected = RunKey(whole.t, kNoLineLimit);
  for (uint64_t slice : {1, 2, 3, 7, 100}) {
    test::StartedTrainer b;
    b.Type(0x8200, program);
    web::Run run(b.t);
    run.Begin(kNoLineLimit);
    int slices = 0;
    while (run.Slice(slice, std::chrono::milliseconds(8)) != SliceEnd::Ended) ++slices;
    const RunResult r = run.Finish();
    EXPECT_EQ(r.lines, expected.lines) << slice;
    EXPECT_EQ(r.end, expected.end) << slice;
    EXPECT_EQ(b.t.m.R.A, whole.t.m.R.A) << slice;
    EXPECT_EQ(b.t.m.PC, whole.t.m.PC) << slice;
    EXPECT_EQ(b.t.listing.Code(RowOfAddress(0x8300)), whole.t.listing.Code(RowOfAddress(0x8300)));
    EXPECT_EQ(b.view.address, whole.view.address) << slice;
    EXPECT_EQ(b.view.data, whole.view.data) << slice;
    EXPECT_GE(slices, slice == 1 ? 20 : 0);
  }
}

// RST between two slices ends the run with PC at 8200h, as the key does during RUN.
TEST(WebRun, RstBetweenSlicesStops) {
  test::StartedTrainer b;
  b.Type(0x8200, {"JMP 8200"});
  web::Run run(b.t);
  run.Begin(kNoLineLimit);
  EXPECT_EQ(run.Slice(1000, std::chrono::milliseconds(8)), SliceEnd::Bounded);
  RstKey(b.t);
  SliceEnd end;
  do end = run.Slice(1000, std::chrono::milliseconds(8));
  while (end != SliceEnd::Ended);
  const RunResult r = run.Finish();
  EXPECT_EQ(r.end, RunEnd::RstKey);
  EXPECT_EQ(b.t.m.PC, 0x8200);
  EXPECT_EQ(b.view.address, "8200");
}

}  // namespace
}  // namespace tamrel::web
