// The main window from the keyboard: the focus chain, the keypad's function keys and arrow
// keys, the menu's mnemonics and standard shortcuts, F10 for the menu bar, and what the two
// grids do with Tab and with typed characters.
#include <QButtonGroup>
#include <QCoreApplication>
#include <QMenuBar>
#include <QPainter>
#include <QShortcut>
#include <vector>

#include "app/form2.h"

namespace tamrel {

namespace {

// Tab and Shift+Tab leave a grid (with Ctrl as well, as they leave a text field); a typed
// character goes to the entry line, which takes the focus, instead of starting the grid's
// incremental search, which would select another row and so move the program counter.
class GridKeys : public QObject {
 public:
  GridKeys(QLineEdit* entry, QObject* parent) : QObject(parent), entry_(entry) {}

 protected:
  bool eventFilter(QObject* grid, QEvent* e) override {
    if (e->type() != QEvent::KeyPress) return false;
    const auto* key = static_cast<QKeyEvent*>(e);
    const bool tab = key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab;
    if (tab && (key->modifiers() & Qt::ControlModifier)) {
      QKeyEvent plain(QEvent::KeyPress, key->key(), key->modifiers() & ~Qt::ControlModifier);
      QCoreApplication::sendEvent(grid, &plain);
      return true;
    }
    if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) return false;
    const QString text = key->text();
    if (text.size() != 1 || !text[0].isPrint()) return false;
    entry_->setFocus(Qt::OtherFocusReason);
    QKeyEvent typed(QEvent::KeyPress, key->key(), key->modifiers(), text, key->isAutoRepeat(),
                    key->count());
    QCoreApplication::sendEvent(entry_, &typed);
    return true;
  }

 private:
  QLineEdit* entry_;
};

// A ring drawn around a widget that has the keyboard focus but draws none itself (a label).
// It is drawn on the parent, so the widget and its text stay where they are.
class FocusRing : public QObject {
 public:
  explicit FocusRing(QWidget* w) : QObject(w), w_(w) {
    w->installEventFilter(this);
    w->parentWidget()->installEventFilter(this);
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* e) override {
    QWidget* parent = w_->parentWidget();
    if (watched == w_) {
      const QEvent::Type t = e->type();
      if (t == QEvent::FocusIn || t == QEvent::FocusOut || t == QEvent::Resize) parent->update();
    } else if (watched == parent && e->type() == QEvent::Paint && w_->hasFocus()) {
      QPainter p(parent);
      p.setPen(QPen(parent->palette().color(QPalette::Highlight), 2));
      p.drawRect(QRectF(w_->geometry()).adjusted(-2, -2, 2, 2));
    }
    return false;
  }

 private:
  QWidget* w_;
};

// Puts the mnemonic into an entry's caption; `withMnemonic` is the caption with one '&'.
void Underline(QAction* a, const char* withMnemonic) {
  const QString text = QString::fromUtf8(withMnemonic);
  if (QString(text).remove(u'&') == a->text()) a->setText(text);
}

// A function key that clicks keypad key Button[button]. STEP and NEXT click again while the
// key is held, as one walks a program or memory; the others click once per press.
const struct {
  size_t button;
  Qt::Key key;
  bool autoRepeat;
} kKeypadShortcuts[] = {
    {20, Qt::Key_F2, false},  // ADDR
    {2, Qt::Key_F3, false},   // MEM
    {25, Qt::Key_F4, true},   // NEXT
    {5, Qt::Key_F5, false},   // RST
    {10, Qt::Key_F7, true},   // STEP
    {15, Qt::Key_F8, false},  // RUN
};

}  // namespace

void TForm2::BuildKeys() {
  // The stack-pointer label is a tab stop as well: a screen reader reads it on arrival, and on
  // a small screen Tab scrolls it into view.
  Label1->setFocusPolicy(Qt::TabFocus);
  new FocusRing(Label1);

  // Reading order: the listing, the registers, the flags, then the panel from its displays
  // through the entry line to the keypad row by row, and the stack pointer below it.
  std::vector<QWidget*> chain = {StringGrid1, StringGrid2, CheckBox1, CheckBox2, CheckBox3,
                                 CheckBox4,   CheckBox5,   Edit1,     Edit2,     Edit3};
  for (size_t i = 1; i <= 25; ++i) chain.push_back(Button[i]);
  chain.push_back(Label1);
  for (size_t i = 1; i < chain.size(); ++i) QWidget::setTabOrder(chain[i - 1], chain[i]);

  for (QAbstractItemView* grid : {static_cast<QAbstractItemView*>(StringGrid1),
                                  static_cast<QAbstractItemView*>(StringGrid2)}) {
    grid->setTabKeyNavigation(false);
    grid->installEventFilter(new GridKeys(Edit3, grid));
  }

  // The arrow keys move the focus between the keys of the keypad as they stand.
  auto* keypad = new QButtonGroup(GroupBox3);
  keypad->setExclusive(false);
  for (size_t i = 1; i <= 25; ++i) keypad->addButton(Button[i]);

  // A function key clicks its keypad key: the same handler, also while RUN lets events in.
  for (const auto& k : kKeypadShortcuts) {
    QPushButton* b = Button[k.button];
    const QKeySequence seq(k.key);
    auto* shortcut = new QShortcut(seq, b);
    shortcut->setAutoRepeat(k.autoRepeat);
    connect(shortcut, &QShortcut::activated, b, &QAbstractButton::click);
    b->setToolTip(QStringLiteral("%1 (%2)").arg(b->text(), seq.toString(QKeySequence::NativeText)));
  }

  Underline(N1->menuAction(), "&Файл");
  Underline(N2, "&Новый");
  Underline(N3, "&Открыть");
  Underline(N4, "&Сохранить");
  Underline(N9, "&Печать в файл");
  Underline(N6, "В&ыход");
  Underline(N7->menuAction(), "&Правка");
  Underline(N8, "Сместить &вниз");
  Underline(N10, "Сместить вв&ерх");
  Underline(N12->menuAction(), "По&мощь");
  Underline(N13, "&О программе");
  N2->setShortcut(QKeySequence::New);
  N3->setShortcut(QKeySequence::Open);
  N4->setShortcut(QKeySequence::Save);
  N9->setShortcut(QKeySequence::Print);
  N6->setShortcut(QKeySequence::Quit);

  // F10 opens the first menu; the arrow keys go on from there.
  auto* f10 = new QShortcut(QKeySequence(Qt::Key_F10), this);
  connect(f10, &QShortcut::activated, this,
          [this] { menuBar()->setActiveAction(N1->menuAction()); });
}

}  // namespace tamrel
