// Seeing the machine work: the PC row in the listing, the status line, slow motion, the
// memory window, the entry line's dead ends, the keypad by keyboard and the accessibility
// events of the register and flag views. The core says what to show (panel/watch.h).
#include <QAccessible>
#include <QActionGroup>
#include <QMenuBar>
#include <QShortcut>
#include <QStyle>
#include <QTimer>

#include "app/cp1251.h"
#include "app/form2.h"
#include "app/memorywindow.h"
#include "app/rowmarks.h"
#include "machine/numtext.h"

namespace tamrel {

namespace {

// The keypad from the keyboard while one of its keys has the focus: a hex digit presses its
// key, Enter presses NEXT, Escape goes back to the entry line.
class KeypadKeys : public QObject {
 public:
  KeypadKeys(TForm2& f) : QObject(&f), f_(f) {}

 protected:
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() != QEvent::KeyPress) return false;
    const auto* k = static_cast<QKeyEvent*>(e);
    if (k->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) return false;
    if (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) {
      f_.Button[25]->click();
      return true;
    }
    if (k->key() == Qt::Key_Escape) {
      f_.Edit3->setFocus(Qt::OtherFocusReason);
      return true;
    }
    const QString text = k->text().toUpper();
    if (text.size() != 1) return false;
    const size_t key = TForm2::HexKeyButton(text[0].toLatin1());
    if (key == 0) return false;
    f_.Button[key]->click();
    return true;
  }

 private:
  TForm2& f_;
};

}  // namespace

size_t TForm2::HexKeyButton(char digit) {
  static constexpr struct {
    char digit;
    size_t button;
  } kKeys[] = {{'C', 6},  {'D', 7},  {'E', 8},  {'F', 9},  {'8', 11}, {'9', 12},
               {'A', 13}, {'B', 14}, {'4', 16}, {'5', 17}, {'6', 18}, {'7', 19},
               {'0', 21}, {'1', 22}, {'2', 23}, {'3', 24}};
  for (const auto& k : kKeys)
    if (k.digit == digit) return k.button;
  return 0;
}

void TForm2::BuildSee() {
  StringGrid1->setItemDelegate(new RowMarks(StringGrid1));

  GroupBox6 = new QGroupBox(QStringLiteral("Состояние"), centralWidget());
  GroupBox6->setGeometry(512, 488, 233, 65);
  GroupBox6->setFont(GroupBox4->font());
  StatusLine = new ValueLabel(QStringLiteral("Состояние"), GroupBox6);
  StatusLine->setGeometry(8, 18, 217, 44);
  StatusLine->setWordWrap(true);
  StatusLine->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  QFont plain = font();
  plain.setPixelSize(11);
  StatusLine->setFont(plain);

  DebugMenu->addSeparator();
  GoToPcAction = DebugMenu->addAction(QStringLiteral("&Перейти к PC"));
  GoToPcAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_G));
  connect(GoToPcAction, &QAction::triggered, this, &TForm2::GoToPcClick);
  FollowPcAction = DebugMenu->addAction(QStringLiteral("&Следить за PC"));
  FollowPcAction->setCheckable(true);
  connect(FollowPcAction, &QAction::toggled, this, [this](bool on) {
    if (on) GoToPcClick();
  });
  SpeedMenu = DebugMenu->addMenu(QStringLiteral("Скор&ость"));
  auto* speeds = new QActionGroup(this);
  for (int s : kSpeeds) {
    const QString text = s == 0   ? QStringLiteral("&Полная")
                         : s == 1 ? QStringLiteral("1 строка в секунду")
                                  : QStringLiteral("%1 строк в секунду").arg(s);
    QAction* a = SpeedMenu->addAction(text);
    a->setCheckable(true);
    a->setChecked(s == 0);
    speeds->addAction(a);
    connect(a, &QAction::triggered, this, [this, s] { SpeedClick(s); });
    SpeedActions.push_back(a);
  }
  DebugMenu->addSeparator();
  MemoryAction = DebugMenu->addAction(QStringLiteral("Па&мять и стек"));
  MemoryAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_M));
  connect(MemoryAction, &QAction::triggered, this, &TForm2::MemoryClick);
  connect(DebugMenu, &QMenu::aboutToShow, this, [this] { UpdateStepBack(); });
  UpdateStepBack();

  slowTimer_ = new QTimer(this);
  slowTimer_->setSingleShot(true);
  connect(slowTimer_, &QTimer::timeout, this, [this] { SlowLine(); });

  entryMark_ = Edit3->addAction(style()->standardIcon(QStyle::SP_MessageBoxWarning),
                                QLineEdit::TrailingPosition);
  entryMark_->setVisible(false);
  connect(Edit3, &QLineEdit::textChanged, this, [this] { CheckEntry(); });
}

// Called once the keypad's function keys exist (BuildKeys).
void TForm2::BuildKeypadKeys() {
  auto* keys = new KeypadKeys(*this);
  for (size_t i = 1; i <= 25; ++i) {
    Button[i]->installEventFilter(keys);
    const QString caption = Button[i]->text();
    if (HexKeyButton(caption[0].toLatin1()) == i)
      Button[i]->setToolTip(QStringLiteral("%1 (клавиша %2)").arg(caption, caption[0]));
  }
  Button[25]->setToolTip(Button[25]->toolTip() + QStringLiteral(", Enter на панели"));
  // ADDR and MEM by their function keys also bring the focus to the keypad, where the digits
  // are typed.
  for (size_t i : {size_t{20}, size_t{2}})
    for (QShortcut* s : Button[i]->findChildren<QShortcut*>())
      connect(s, &QShortcut::activated, this,
              [this, i] { Button[i]->setFocus(Qt::ShortcutFocusReason); });
}

void TForm2::GoToPcClick() {
  const int64_t row = PcRow(t_);
  if (row > 0) StringGrid1->scrollTo(model_->index(static_cast<int>(row - 1), 0));
}

void TForm2::PcMoved() {
  model_->SetPcRow(PcRow(t_));
  if (FollowPcAction && FollowPcAction->isChecked()) GoToPcClick();
}

void TForm2::SpeedClick(int linesPerSecond) { speed_ = linesPerSecond; }

void TForm2::MemoryClick() {
  if (!Memory) Memory = new MemoryWindow(t_, watch_, this);
  Memory->show();
  Memory->raise();
  Memory->activateWindow();
}

void TForm2::ShowStatus(const std::string& text) {
  entryProblemShown_ = false;
  StatusLine->SetValue(FromCp1251(text));
}

void TForm2::UpdateStepBack() { StepBackAction->setEnabled(t_.history.Size(t_) > 0); }

void TForm2::StepClick() {
  watch_.Begin(t_);
  StepKey(t_);
  watch_.End(t_);
  ShowStatus(StepReport(watch_.startPc, watch_.startLine, t_.cycles - watch_.startCycles));
  Seen();
}

void TForm2::RunClick() {
  if (slowRun_) return;  // a slow run goes on; RUN again waits for its end
  watch_.Begin(t_);
  if (speed_ == 0) {
    const RunResult r = RunKey(t_, kNoLineLimit);
    RunEnded(r);
    return;
  }
  slowRun_ = BeginRun(t_);
  SlowLine();
}

void TForm2::RstClick() {
  RstKey(t_);
  if (slowRun_) {  // the stop comes at once, not after the pause
    slowTimer_->stop();
    SlowLine();
  }
}

void TForm2::SlowLine() {
  if (!slowRun_) return;
  if (RunSlice(t_, *slowRun_, 1, std::chrono::nanoseconds::max()) == SliceEnd::Ended) {
    const RunResult r = FinishRun(t_, *slowRun_);
    slowRun_.reset();
    RunEnded(r);
    return;
  }
  // Every view after each line; the listing is decoded again only when the run ends, as at
  // full speed, so the lines that run are the same.
  ShowRegisters(t_.m.R);
  ShowFlags(t_.m.Flags);
  ShowStackPointer(IntToHexText(t_.m.SP));
  RefreshPanel(t_);
  watch_.End(t_);
  StatusLine->SetValue(FromCp1251(SlowRunReport(slowRun_->lines, t_.cycles - watch_.startCycles)));
  Seen();
  slowTimer_->start(std::chrono::duration_cast<std::chrono::milliseconds>(LineInterval(speed_)));
}

void TForm2::RunEnded(const RunResult& r) {
  watch_.End(t_);
  ShowStatus(RunReport(r.end, t_.m.PC, r.lines, t_.cycles - watch_.startCycles));
  Seen();
}

void TForm2::Seen() {
  PcMoved();
  if (Memory) Memory->Refresh();
  UpdateStepBack();
}

void TForm2::CheckEntry() {
  const auto text = ToCp1251(Edit3->text());
  const std::string problem = text ? EntryProblem(t_, *text) : std::string();
  const bool marked = !problem.empty();
  entryMark_->setVisible(marked);
  QPalette p = palette();
  if (marked) p.setColor(QPalette::Base, QColor(255, 210, 210));
  Edit3->setPalette(p);
  Edit3->setAccessibleDescription(marked ? FromCp1251(problem) : QString());
  if (marked) {
    StatusLine->SetValue(FromCp1251(problem));
    entryProblemShown_ = true;
  } else if (entryProblemShown_) {
    ShowStatus({});
  }
}

void TForm2::AnnounceRegisters(const TRegisters& before, const TRegisters& after) {
  if (!Announce && !QAccessible::isActive()) return;
  const int32_t a[] = {before.A, before.B, before.C, before.D, before.E,
                       before.H, before.L, before.M, before.F};
  const int32_t b[] = {after.A, after.B, after.C, after.D, after.E,
                       after.H, after.L, after.M, after.F};
  QAccessibleInterface* grid = QAccessible::queryAccessibleInterface(StringGrid2);
  QAccessibleTableInterface* table = grid ? grid->tableInterface() : nullptr;
  if (!table) return;
  for (int row = 0; row < 9; ++row) {
    if (a[row] == b[row]) continue;
    if (QAccessibleInterface* cell = table->cellAt(row, 1)) {
      QAccessibleValueChangeEvent e(cell, StringGrid2->item(row, 1)->text());
      Tell(e);
    }
  }
}

void TForm2::AnnounceFlag(QCheckBox* box, bool was) {
  if (box->isChecked() == was) return;
  QAccessibleValueChangeEvent e(box, box->isChecked() ? 1 : 0);
  Tell(e);
}

void TForm2::Tell(QAccessibleEvent& e) {
  if (Announce)
    Announce(e);
  else
    QAccessible::updateAccessibility(&e);
}

}  // namespace tamrel
