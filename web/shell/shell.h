// What the page does with the core beyond one call per control: the entry line's keys, RUN in
// slices, files as bytes and texts in UTF-8. Plain C++: the page's binding and the native
// driver of the differential test both build on it, so the two run the same steps.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "panel/trainer.h"

namespace tamrel::web {

// The core's code page 1251 and the page's UTF-8. A character without a place in the code
// page gives nothing.
std::string ToUtf8(std::string_view cp1251);
std::optional<std::string> FromUtf8(std::string_view utf8);

// A key pressed in the entry line ("Команда"), as the window takes it. `fieldText` is what the
// field shows before the key. Returns whether the field itself should still act on the key
// (insert the character, delete for Backspace).
enum class FieldKey { Enter, Backspace, Character, Other };
bool EntryKey(Trainer& t, FieldKey k, std::string_view fieldText, std::string_view character);

// Memory images and Intel HEX as bytes: nothing is read from or written to a file system.
std::optional<std::string> OpenImageBytes(Core& c, std::string_view bytes);
std::string ImageBytes(const Listing& l);
std::optional<std::string> ImportHexBytes(Core& c, std::string_view text);

// RUN in slices from the page's event loop: Begin, then Slice until it says the run ended,
// then Finish. Between two slices any other key may run (RST stops the run).
enum class SliceEnd { Ended, Bounded, Paused };
class Run {
 public:
  explicit Run(Trainer& t) : t_(t) {}
  void Begin(uint64_t maxLines);
  SliceEnd Slice(uint64_t lines, std::chrono::nanoseconds time);
  RunResult Finish();
  bool Going() const { return going_; }
  uint64_t Lines() const { return lines_; }

 private:
  Trainer& t_;
  bool going_ = false;
  uint64_t maxLines_ = 0, lines_ = 0;
  RunEnd end_ = RunEnd::Limit;
};

}  // namespace tamrel::web
