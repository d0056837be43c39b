#include "app/labwindow.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QScreen>
#include <QVBoxLayout>
#include <algorithm>

#include "app/cp1251.h"

namespace tamrel {

namespace {

QString Q(const std::string& cp1251) { return FromCp1251(cp1251); }

}  // namespace

LabWindow::LabWindow(QWidget* owner) : QWidget(owner, Qt::Window) {
  setWindowTitle(QStringLiteral("Задание"));
  resize(440, 420);
  auto* layout = new QVBoxLayout(this);
  auto* taskCaption = new QLabel(QStringLiteral("&Задание:"), this);
  Task = new QPlainTextEdit(this);
  Task->setReadOnly(true);
  Task->setTextInteractionFlags(Qt::TextSelectableByKeyboard | Qt::TextSelectableByMouse);
  Task->setAccessibleName(QStringLiteral("Задание"));
  taskCaption->setBuddy(Task);
  CheckButton = new QPushButton(QStringLiteral("&Проверить"), this);
  auto* resultsCaption = new QLabel(QStringLiteral("&Результат проверки:"), this);
  Results = new QListWidget(this);
  Results->setAccessibleName(QStringLiteral("Результат проверки"));
  resultsCaption->setBuddy(Results);
  layout->addWidget(taskCaption);
  layout->addWidget(Task, 2);
  layout->addWidget(CheckButton, 0, Qt::AlignLeft);
  layout->addWidget(resultsCaption);
  layout->addWidget(Results, 3);
}

void LabWindow::ShowLab(const Lab& lab) {
  setWindowTitle(QStringLiteral("Задание — %1").arg(Q(lab.title)));
  Task->setPlainText(Q(lab.title) + QStringLiteral("\n\n") + Q(lab.task));
  Results->clear();
  Results->addItem(QStringLiteral("Проверки ещё не было: Отладка → Проверить"));
}

void LabWindow::PlaceBeside(const QRect& owner) {
  const QScreen* screen = QGuiApplication::screenAt(owner.center());
  if (!screen) screen = QGuiApplication::primaryScreen();
  const QRect area = screen->availableGeometry();
  const int x = std::max(area.left(), std::min(owner.right() + 8, area.right() - width()));
  const int y = std::max(area.top(), std::min(owner.top(), area.bottom() - height()));
  move(x, y);
}

void LabWindow::ShowCheck(const LabCheck& check, uint64_t maxLines) {
  Results->clear();
  // A screen reader says the words, not the names of the marks.
  for (const CheckLine& l : CheckLines(check, maxLines))
    (new QListWidgetItem(QString::fromStdString(l.shown), Results))
        ->setData(Qt::AccessibleTextRole, QString::fromStdString(l.spoken));
  Results->setCurrentRow(0);
  show();
  raise();
  activateWindow();
  Results->setFocus();
}

void LabWindow::keyPressEvent(QKeyEvent* e) {
  if (e->key() == Qt::Key_Escape) {
    close();
    return;
  }
  QWidget::keyPressEvent(e);
}

}  // namespace tamrel
