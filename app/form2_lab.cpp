// Labs in the window: "Файл → Открыть задание…" shows the task and puts the lab's data into
// memory, leaving the rows the student typed as they are; "Отладка → Проверить" runs the
// student's program from the lab's start state on a copy of the machine and shows what held.
// The lab engine is the core's (lab/lab.h), the same one the batch runner grades with.
#include <QMenu>
#include <QTimer>
#include <memory>

#include "app/cp1251.h"
#include "app/form2.h"
#include "app/options.h"
#include "files/disk.h"
#include "panel/quiet.h"

namespace tamrel {

namespace {

const QString kLabFilter = QStringLiteral("Задания (*.lab)");

// The lab in the file, or the text the error box shows.
std::variant<Lab, std::string> ReadLabFile(const std::string& path) {
  std::string text;
  if (const auto e = ReadFileBytes(path, text)) return FileErrorText(*e, path);
  return ReadLab(text);
}

}  // namespace

void TForm2::BuildLab() {
  OpenLabAction = new QAction(QStringLiteral("Открыть &задание…"), this);
  N1->insertAction(N4, OpenLabAction);  // after the other ways to open, before Save
  connect(OpenLabAction, &QAction::triggered, this, &TForm2::OpenLabClick);
  DebugMenu->addSeparator();
  CheckLabAction = DebugMenu->addAction(QStringLiteral("&Проверить"));
  CheckLabAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_R));
  CheckLabAction->setEnabled(false);  // until a lab is open
  connect(CheckLabAction, &QAction::triggered, this, &TForm2::CheckLabClick);
  LabView = new LabWindow(this);
  LabView->addAction(CheckLabAction);  // Ctrl+R there as well
  connect(LabView->CheckButton, &QPushButton::clicked, this, &TForm2::CheckLabClick);
}

void TForm2::OpenLabClick() {
  if (const auto name = dialogs_->OpenFileName(kLabFilter)) OpenLab(*name);
}

void TForm2::OpenLab(const QString& name) {
  if (t_.history.Recording()) {  // a running program is stopped before the data goes in
    t_.StopRequest = true;
    QTimer::singleShot(0, this, [this, name] { OpenLab(name); });
    return;
  }
  auto read = ReadLabFile(FileNameBytes(name));
  if (const auto* err = std::get_if<std::string>(&read)) return ShowFailure(*err, name);
  lab_ = std::move(std::get<Lab>(read));
  ApplyLabData(t_, *lab_);
  RefreshPanel(t_);
  Seen();  // the memory window, and no stepping back over the lab's data
  CheckLabAction->setEnabled(true);
  LabView->ShowLab(*lab_);
  if (!LabView->isVisible()) LabView->PlaceBeside(frameGeometry());
  LabView->show();
}

void TForm2::CheckLabClick() {
  if (!lab_) return;
  if (t_.history.Recording()) {  // the check takes the program as the run leaves it
    t_.StopRequest = true;
    QTimer::singleShot(0, this, [this] { CheckLabClick(); });
    return;
  }
  const auto copy = std::make_unique<QuietTrainer>();
  CopyForCheck(t_, copy->t);
  LabView->ShowCheck(CheckRun(*lab_, copy->t), lab_->maxLines);
}

}  // namespace tamrel
