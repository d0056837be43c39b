// The main window's debugging: the menu "Отладка" (breakpoints and stepping back), the listing's
// context menu, and keeping and showing again what the views show, for stepping back.
#include <QAbstractItemView>
#include <QContextMenuEvent>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPointer>
#include <algorithm>
#include <functional>
#include <utility>

#include "app/cp1251.h"
#include "app/form2.h"

namespace tamrel {

namespace {

// A right click or a context-menu key on the listing asks for the row's menu. A right click
// never reaches the grid itself: selecting the row would move PC. The filter knows only the
// grid and the menu, so no event of the window's tear-down reaches the window.
class ListingMenuFilter : public QObject {
 public:
  using Ask = std::function<void(int64_t row, const QPoint& globalPos)>;
  ListingMenuFilter(QAbstractItemView* grid, QMenu* menu, Ask ask)
      : QObject(grid), grid_(grid), viewport_(grid->viewport()), menu_(menu), ask_(std::move(ask)) {
    grid->installEventFilter(this);
    viewport_->installEventFilter(this);
  }

  bool eventFilter(QObject* watched, QEvent* e) override {
    // Only pointers are compared until an event of interest: the grid's tear-down sends
    // events here too, when it is a grid no more.
    if (watched == viewport_) {
      switch (e->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick: {
          const auto* m = static_cast<QMouseEvent*>(e);
          if (m->button() != Qt::RightButton) return false;
          if (e->type() == QEvent::MouseButtonPress)
            Request(grid_->indexAt(m->position().toPoint()), m->globalPosition().toPoint());
          return true;
        }
        case QEvent::ContextMenu: {
          const auto* c = static_cast<QContextMenuEvent*>(e);
          if (!MenuOpen()) Request(grid_->indexAt(c->pos()), c->globalPos());
          return true;
        }
        default: return false;
      }
    }
    if (watched == grid_) {
      if (e->type() == QEvent::KeyPress) {
        const auto* k = static_cast<QKeyEvent*>(e);
        const bool menuKey = k->key() == Qt::Key_Menu ||
                             (k->key() == Qt::Key_F10 && k->modifiers() == Qt::ShiftModifier);
        if (!menuKey) return false;
        RequestForCurrent();
        return true;
      }
      if (e->type() == QEvent::ContextMenu) {  // from the keyboard: the grid has the focus
        if (!MenuOpen()) RequestForCurrent();
        return true;
      }
    }
    return false;
  }

 private:
  bool MenuOpen() const { return menu_ && menu_->isVisible(); }
  void RequestForCurrent() {
    const QModelIndex i = grid_->currentIndex();
    Request(i, grid_->viewport()->mapToGlobal(grid_->visualRect(i).center()));
  }
  void Request(const QModelIndex& i, const QPoint& globalPos) {
    if (i.isValid()) ask_(i.row() + 1, globalPos);
  }
  QAbstractItemView* grid_;  // the parent: lives as long as the filter
  QWidget* viewport_;
  QPointer<QMenu> menu_;
  Ask ask_;
};

}  // namespace

void TForm2::BuildDebug() {
  DebugMenu = new QMenu(QStringLiteral("&Отладка"), this);
  menuBar()->insertMenu(N12->menuAction(), DebugMenu);  // after "Правка"
  BreakpointAction = DebugMenu->addAction(QStringLiteral("&Точка останова"));
  BreakpointAction->setShortcut(QKeySequence(Qt::Key_F9));
  connect(BreakpointAction, &QAction::triggered, this, &TForm2::BreakpointClick);
  ClearBreakpointsAction = DebugMenu->addAction(QStringLiteral("&Убрать все точки останова"));
  connect(ClearBreakpointsAction, &QAction::triggered, this, &TForm2::ClearBreakpointsClick);
  DebugMenu->addSeparator();
  StepBackAction = DebugMenu->addAction(QStringLiteral("&Шаг назад"));
  StepBackAction->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F7));
  connect(StepBackAction, &QAction::triggered, this, &TForm2::StepBackClick);

  ListingMenu = new QMenu(this);
  ListingMenu->setAccessibleName(QStringLiteral("Строка памяти"));
  ListingBreakpointAction = ListingMenu->addAction(QStringLiteral("Точка останова"));
  ListingBreakpointAction->setCheckable(true);
  connect(ListingBreakpointAction, &QAction::triggered, this, &TForm2::ListingBreakpointClick);
  new ListingMenuFilter(StringGrid1, ListingMenu,
                        [this](int64_t row, const QPoint& at) { ListingMenuRequested(row, at); });
  // Deleting, pasting or cutting in the entry line is an edit too, like a typed character.
  connect(Edit3, &QLineEdit::textEdited, this, [this] { NoteEdit(t_); });
}

void TForm2::BreakpointClick() { ToggleBreakpoint(t_, RowOfAddress(t_.m.PC)); }
void TForm2::ClearBreakpointsClick() { ClearBreakpoints(t_); }
void TForm2::StepBackClick() {
  StepBack(t_);
  PcMoved();  // the PC comes back after the views
  UpdateStepBack();
}

void TForm2::ListingMenuRequested(int64_t row, const QPoint& globalPos) {
  listingMenuRow_ = row;
  ListingBreakpointAction->setChecked(t_.listing.Marked(row));
  ListingMenu->popup(globalPos);
}

void TForm2::ListingBreakpointClick() { ToggleBreakpoint(t_, listingMenuRow_); }

bool TForm2::TakeShown(ShownViews& s) const {
  s.address = ToCp1251Lossy(Edit1->text());
  s.data = ToCp1251Lossy(Edit2->text());
  s.entry = ToCp1251Lossy(Edit3->text());
  s.stackPointer = ToCp1251Lossy(Label1->text());
  s.registers = shownRegisters_;
  const QCheckBox* boxes[] = {CheckBox1, CheckBox2, CheckBox3, CheckBox4, CheckBox5};
  uint8_t* flags[] = {&s.flags.CY, &s.flags.P, &s.flags.AC, &s.flags.Z, &s.flags.S};
  for (int i = 0; i < 5; ++i) *flags[i] = boxes[i]->isChecked() ? 1 : 0;
  const QModelIndex current = StringGrid1->currentIndex();
  s.selectedRow = current.isValid() ? current.row() + 1 : 0;
  return true;
}

void TForm2::PutShown(const ShownViews& s) {
  // Selecting the row runs the selection's reaction, which moves PC and fills the displays;
  // the displays are written after it, and the step back restores PC after this.
  const QModelIndex current = StringGrid1->currentIndex();
  if (s.selectedRow > 0 && s.selectedRow <= kShownRows &&
      (!current.isValid() || current.row() != s.selectedRow - 1))
    StringGrid1->setCurrentIndex(StringGrid1->model()->index(
        static_cast<int>(s.selectedRow - 1), current.isValid() ? current.column() : 0));
  PanelView::PutShown(s);
}

}  // namespace tamrel
