#include "web/shell/lab.h"

#include <memory>
#include <variant>

#include "panel/quiet.h"

namespace tamrel::web {

std::optional<std::string> PageLab::Open(Trainer& t, std::string_view text) {
  auto read = ReadLab(text);
  if (auto* err = std::get_if<std::string>(&read)) return std::move(*err);
  lab_ = std::move(std::get<Lab>(read));
  ApplyLabData(t, *lab_);
  return std::nullopt;
}

std::optional<LabCheck> PageLab::Check(const Trainer& t) const {
  if (!lab_) return std::nullopt;
  const auto copy = std::make_unique<QuietTrainer>();
  CopyForCheck(t, copy->t);
  return CheckRun(*lab_, copy->t);
}

}  // namespace tamrel::web
