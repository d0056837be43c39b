// The lab a student works on in the page, as the window keeps it: "Открыть задание…" reads it
// and puts its data into memory, leaving the rows the student typed as they are; "Проверить"
// runs the student's program on a copy, so the page's machine stays as it was. Plain C++ on the
// core's lab engine (lab/lab.h), the same one the window and the batch runner use.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "lab/lab.h"

namespace tamrel::web {

class PageLab {
 public:
  // The lab in `text` (the file's bytes, UTF-8 JSON) into `t`'s memory; or what is wrong with
  // it (code page 1251), and the lab open before stays open.
  std::optional<std::string> Open(Trainer& t, std::string_view text);
  const std::optional<Lab>& Get() const { return lab_; }
  // The program in `t` checked against the lab, on a copy; nothing when no lab is open.
  std::optional<LabCheck> Check(const Trainer& t) const;

 private:
  std::optional<Lab> lab_;
};

}  // namespace tamrel::web
