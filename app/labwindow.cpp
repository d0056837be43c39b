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

QStringList CheckLines(const LabCheck& check, uint64_t maxLines) {
  const auto total = static_cast<qsizetype>(check.results.size());
  const auto failed = std::count_if(check.results.begin(), check.results.end(),
                                    [](const LabResult& r) { return !r.met; });
  QStringList lines;
  lines << (failed == 0 ? QStringLiteral("Задание выполнено: соблюдены все условия (%1)").arg(total)
                        : QStringLiteral("Задание не выполнено: не соблюдено условий %1 из %2")
                              .arg(failed)
                              .arg(total));
  for (const LabResult& r : check.results)
    lines << QStringLiteral("%1 %2 — найдено %3")
                 .arg(r.met ? QStringLiteral("✓") : QStringLiteral("✗"), Q(r.text), Q(r.found));
  lines << QStringLiteral("Программа: %1, строк %2, байтов %3")
               .arg(Q(RunEndText(check.end, maxLines)))
               .arg(check.lines)
               .arg(check.programBytes);
  return lines;
}

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
  const QStringList lines = CheckLines(check, maxLines);
  for (qsizetype i = 0; i < lines.size(); ++i) {
    auto* item = new QListWidgetItem(lines[i], Results);
    // A screen reader says the words, not the names of the marks.
    const size_t k = static_cast<size_t>(i) - 1;
    if (i > 0 && k < check.results.size())
      item->setData(Qt::AccessibleTextRole,
                    (check.results[k].met ? QStringLiteral("соблюдено: ")
                                          : QStringLiteral("не соблюдено: ")) +
                        lines[i].mid(2));
  }
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
