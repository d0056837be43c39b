// The file menu's dialogs and questions answered from a script, for the window's tests (Qt
// only: the rest of tests/support builds without Qt). Each dialog takes the next name (none
// when the script is out of names: the user cancels), each question the next answer (No when
// out of answers); the filters offered, the questions asked and the errors shown are kept.
#pragma once

#include <QString>
#include <QStringList>
#include <deque>
#include <optional>

#include "app/dialogs.h"

namespace tamrel::test {

struct ScriptedDialogs : Dialogs {
  std::deque<std::optional<QString>> names;
  std::deque<bool> answers;
  QStringList filters, asked, errors;

  std::optional<QString> SaveFileName(const QString& filter, const QString& suffix) override {
    filters << filter;
    auto n = NextName();
    if (n && !n->contains('.')) *n += "." + suffix;  // the dialog's default extension
    return n;
  }
  std::optional<QString> OpenFileName(const QString& filter) override {
    filters << filter;
    return NextName();
  }
  bool Ask(const QString& text) override {
    asked << text;
    if (answers.empty()) return false;
    const bool a = answers.front();
    answers.pop_front();
    return a;
  }
  void ShowError(const QString& text) override { errors << text; }

 private:
  std::optional<QString> NextName() {
    if (names.empty()) return std::nullopt;
    auto n = names.front();
    names.pop_front();
    return n;
  }
};

}  // namespace tamrel::test
