// The lab a student works on, beside the main window: its title and task text, and the result
// of the last check, one line each, for the eye and for a screen reader. It shows; the main
// window reads the lab and runs the check (app/form2_lab.cpp).
#pragma once

#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QWidget>

#include "lab/lab.h"

namespace tamrel {

class LabWindow : public QWidget {
 public:
  explicit LabWindow(QWidget* owner);
  // A newly opened lab: its text, and no check yet.
  void ShowLab(const Lab& lab);
  // To the right of `owner` where the screen has room, else over its right part.
  void PlaceBeside(const QRect& owner);
  // The check's lines; the list takes the focus at the verdict.
  void ShowCheck(const LabCheck& check, uint64_t maxLines);

  QPlainTextEdit* Task;
  QPushButton* CheckButton;
  QListWidget* Results;

 protected:
  void keyPressEvent(QKeyEvent* e) override;  // Escape closes it
};

}  // namespace tamrel
