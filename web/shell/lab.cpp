#include "web/shell/lab.h"

#include <memory>
#include <variant>

namespace tamrel::web {

namespace {

// A trainer of its own for the check, showing nothing: the page's views stay as they are.
struct CheckTrainer {
  struct QuietView : PanelView {
    void ShowAddress(std::string_view) override {}
    void ShowData(std::string_view) override {}
    void ShowEntry(std::string_view) override {}
    void ShowRegisters(const TRegisters&) override {}
    void ShowFlags(const TFlags&) override {}
    void ShowStackPointer(std::string_view) override {}
    void ProcessEvents() override {}
  } view;
  Trainer t{view, [] {}};
};

}  // namespace

std::optional<std::string> PageLab::Open(Trainer& t, std::string_view text) {
  auto read = ReadLab(text);
  if (auto* err = std::get_if<std::string>(&read)) return std::move(*err);
  lab_ = std::move(std::get<Lab>(read));
  ApplyLabData(t, *lab_);
  return std::nullopt;
}

std::optional<LabCheck> PageLab::Check(const Trainer& t) const {
  if (!lab_) return std::nullopt;
  const auto copy = std::make_unique<CheckTrainer>();
  CopyForCheck(t, copy->t);
  return CheckRun(*lab_, copy->t);
}

}  // namespace tamrel::web
