#include "app/form2.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenuBar>
#include <QPainter>
#include <QScreen>
#include <QStyleOptionFrame>

#include "app/about.h"
#include "app/cp1251.h"
#include "app/guide.h"
#include "app/options.h"
#include "app/placement.h"
#include "app/windowfit.h"
#include "edit/shift.h"
#include "machine/numtext.h"

namespace tamrel {

namespace {

QFont PixelFont(int px, bool bold) {
  QFont f = QApplication::font();
  f.setPixelSize(px);
  f.setBold(bold);
  return f;
}

QGroupBox* Group(QWidget* parent, const char* caption, int l, int t, int w, int h) {
  auto* g = new QGroupBox(QString::fromUtf8(caption), parent);
  g->setGeometry(l, t, w, h);
  g->setFont(PixelFont(13, true));
  return g;
}

// The horizontal rule under the entry line, drawn on the panel itself: a widget of its own
// would be one more object, with nothing to say, for assistive technology.
class RulePainter : public QObject {
 public:
  RulePainter(QWidget* panel, QRect rect) : QObject(panel), rect_(rect) {
    panel->installEventFilter(this);
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* e) override {
    if (e->type() == QEvent::Paint) {
      auto* panel = static_cast<QWidget*>(watched);
      QPainter p(panel);
      QStyleOptionFrame line;
      line.initFrom(panel);
      line.rect = rect_;
      line.frameShape = QFrame::HLine;
      line.lineWidth = 1;
      panel->style()->drawControl(QStyle::CE_ShapedFrame, &line, &p, panel);
    }
    return false;  // the panel paints its own frame and caption as well
  }

 private:
  QRect rect_;
};

// A keypad key whose keyboard focus shows plainly: the style's own hint is faint, and the
// keys take the focus only from the keyboard.
class KeypadKey : public QPushButton {
 public:
  using QPushButton::QPushButton;

 protected:
  void paintEvent(QPaintEvent* e) override {
    QPushButton::paintEvent(e);
    if (!hasFocus()) return;
    QPainter p(this);
    p.setPen(QPen(palette().color(QPalette::Highlight), 2));
    p.drawRect(QRectF(rect()).adjusted(4, 4, -4, -4));
  }
};

}  // namespace

TForm2::TForm2(Dialogs* dialogs, void (*sleep)()) : t_(*this, sleep), dialogs_(dialogs) {
  if (!dialogs_) {
    ownDialogs_ = std::make_unique<QtDialogs>(this);
    dialogs_ = ownDialogs_.get();
  }
  setWindowTitle(QStringLiteral("Tamrel Emul"));
  setWindowFlag(Qt::WindowStaysOnTopHint, true);  // until the web form's tick
  QFont windowFont = QApplication::font();
  windowFont.setPointSize(8);
  setFont(windowFont);
  setCentralWidget(new QWidget(this));
  BuildViews();
  BuildPanel();
  BuildMenu();
  BuildDebug();
  BuildSee();
  MakeScrollable(*this);
  BuildLab();
  BuildKeys();
  BuildKeypadKeys();
}

TForm2::~TForm2() {
  // The widgets outlive the trainer they show (Qt deletes children after the members are
  // gone): cut them loose first.
  Edit3->removeEventFilter(this);
  StringGrid1->setModel(nullptr);
  delete model_;
}

void TForm2::BuildViews() {
  QWidget* c = centralWidget();
  GroupBox1 = Group(c, "Память", 8, 0, 345, 553);
  GroupBox2 = Group(c, "Регистры", 360, 0, 169, 153);
  GroupBox3 = Group(c, "Панель", 360, 160, 257, 321);
  GroupBox4 = Group(c, "Указатель стека", 360, 488, 145, 49);
  GroupBox5 = Group(c, "Признаки", 536, 0, 169, 153);

  model_ = new ListingModel(t_.listing, this);
  StringGrid1 = new QTableView(GroupBox1);
  StringGrid1->setGeometry(8, 24, 329, 521);
  StringGrid1->setModel(model_);
  StringGrid1->setAccessibleName(QStringLiteral("Память"));
  StringGrid1->verticalHeader()->hide();
  StringGrid1->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  StringGrid1->verticalHeader()->setDefaultSectionSize(24);
  StringGrid1->horizontalHeader()->setDefaultSectionSize(100);
  StringGrid1->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  StringGrid1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  StringGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
  StringGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
  StringGrid1->setSelectionBehavior(QAbstractItemView::SelectItems);
  // The first data cell starts selected, as a grid's does; from then on only the user moves it.
  StringGrid1->setCurrentIndex(model_->index(0, 0));
  connect(StringGrid1->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex& i) { StringGrid1SelectCell(i.column(), i.row() + 1); });
  // A click on the cell that is already selected selects it again (the PC may have moved).
  connect(StringGrid1, &QAbstractItemView::pressed, this,
          [this](const QModelIndex& i) { StringGrid1SelectCell(i.column(), i.row() + 1); });

  StringGrid2 = new QTableWidget(9, 2, GroupBox2);
  StringGrid2->setGeometry(8, 24, 153, 120);
  StringGrid2->setAccessibleName(QStringLiteral("Регистры"));
  StringGrid2->setHorizontalHeaderLabels({QStringLiteral("Имя"), QStringLiteral("Код")});
  StringGrid2->verticalHeader()->hide();
  StringGrid2->verticalHeader()->setDefaultSectionSize(24);
  StringGrid2->horizontalHeader()->setDefaultSectionSize(64);
  StringGrid2->setEditTriggers(QAbstractItemView::NoEditTriggers);
  const char* names[] = {"A", "B", "C", "D", "E", "H", "L", "M", "F"};
  for (int row = 0; row < 9; ++row) {
    StringGrid2->setItem(row, 0, new QTableWidgetItem(QString::fromLatin1(names[row])));
    StringGrid2->setItem(row, 1, new QTableWidgetItem);
  }

  // One name; the shown text ("SP=F72F", later "F72F") is its value.
  Label1 = new ValueLabel(QStringLiteral("Указатель стека"), GroupBox4);
  Label1->move(8, 24);

  const struct {
    QCheckBox** box;
    const char* caption;
    int top, width;
  } boxes[] = {{&CheckBox1, "CY - Перенос", 32, 121},
               {&CheckBox2, "P - Паритет", 56, 121},
               {&CheckBox3, "АС - Всп. перенос", 80, 151},
               {&CheckBox4, "Z - нуль", 104, 97},
               {&CheckBox5, "S - знак", 128, 89}};
  for (const auto& b : boxes) {
    *b.box = new QCheckBox(QString::fromUtf8(b.caption), GroupBox5);
    (*b.box)->setGeometry(10, b.top, b.width, 17);
    connect(*b.box, &QCheckBox::clicked, this, [this] { CheckBox1Click(); });  // user clicks only
  }
}

void TForm2::BuildPanel() {
  auto display = [this](int left, int width, const char* name) {
    auto* e = new QLineEdit(GroupBox3);
    e->setGeometry(left, 24, width, 32);
    e->setReadOnly(true);             // shows, never takes input
    e->setFocusPolicy(Qt::TabFocus);  // a tab stop, so that a screen reader reads it
    e->setFont(PixelFont(19, true));
    e->setAccessibleName(QString::fromUtf8(name));
    return e;
  };
  Edit1 = display(8, 81, "Адрес");
  Edit2 = display(88, 49, "Данные");
  Edit3 = new QLineEdit(GroupBox3);
  Edit3->setGeometry(144, 24, 105, 24);
  Edit3->setAccessibleName(QStringLiteral("Команда"));
  Edit3->installEventFilter(this);
  new RulePainter(GroupBox3, QRect(143, 56, 105, 2));

  const char* captions[] = {"REG",  "MEM",  "BRK", "CLR", "RST", "C",   "D",   "E", "F",
                            "STEP", "8 H",  "9 L", "A",   "B",   "RUN", "4",   "5", "6",
                            "7",    "ADDR", "0",   "1 P", "2 T", "3",   "NEXT"};
  void (TForm2::*handlers[])() = {
      &TForm2::Button1Click,  &TForm2::Button2Click,  &TForm2::Button3Click,
      &TForm2::Button4Click,  &TForm2::Button5Click,  &TForm2::Button6Click,
      &TForm2::Button7Click,  &TForm2::Button8Click,  &TForm2::Button9Click,
      &TForm2::Button10Click, &TForm2::Button11Click, &TForm2::Button12Click,
      &TForm2::Button13Click, &TForm2::Button14Click, &TForm2::Button15Click,
      &TForm2::Button16Click, &TForm2::Button17Click, &TForm2::Button18Click,
      &TForm2::Button19Click, &TForm2::Button20Click, &TForm2::Button21Click,
      &TForm2::Button22Click, &TForm2::Button23Click, &TForm2::Button24Click,
      &TForm2::Button25Click};
  for (int i = 0; i < 25; ++i) {
    auto* b = new KeypadKey(QString::fromLatin1(captions[i]), GroupBox3);
    b->setGeometry(8 + 48 * (i % 5), 72 + 48 * (i / 5), 49, 49);
    b->setFocusPolicy(Qt::TabFocus);  // reached by Tab; a click leaves typing in the entry line
    connect(b, &QPushButton::clicked, this, handlers[i]);
    Button[static_cast<size_t>(i + 1)] = b;
  }
}

void TForm2::BuildMenu() {
  auto item = [this](QMenu* menu, const char* caption, void (TForm2::*handler)()) {
    QAction* a = menu->addAction(QString::fromUtf8(caption));
    connect(a, &QAction::triggered, this, handler);
    return a;
  };
  N1 = menuBar()->addMenu(QStringLiteral("Файл"));
  N2 = item(N1, "Новый", &TForm2::N2Click);
  N3 = item(N1, "Открыть", &TForm2::N3Click);
  N18 = item(N1, "Открыть &текст программы…", &TForm2::N18Click);
  N4 = item(N1, "Сохранить", &TForm2::N4Click);
  N14 = item(N1, "&Импорт Intel HEX…", &TForm2::N14Click);
  N15 = item(N1, "&Экспорт Intel HEX…", &TForm2::N15Click);
  N9 = item(N1, "Печать в файл", &TForm2::N9Click);
  N6 = item(N1, "Выход", &TForm2::N6Click);
  N7 = menuBar()->addMenu(QStringLiteral("Правка"));
  N17 = item(N7, "Вст&авить программу", &TForm2::N17Click);
  N17->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_V));
  N8 = item(N7, "Сместить вниз", &TForm2::N8Click);
  N10 = item(N7, "Сместить вверх", &TForm2::N10Click);
  N12 = menuBar()->addMenu(QStringLiteral("Помощь"));
  N16 = item(N12, "&Руководство", &TForm2::N16Click);
  N16->setShortcut(QKeySequence::HelpContents);
  N13 = item(N12, "О программе", &TForm2::N13Click);
}

void TForm2::FormCreate(const RandomSource& rnd, const std::function<void()>& closeSplash) {
  const QSize screen = QGuiApplication::primaryScreen()->size();
  const Placement p = MainWindowPlacement(screen.width(), screen.height());
  // By the outer size; on a screen with less room than that the window takes what there is
  // and its content scrolls. Placed again once the window manager has framed it.
  auto place = [this, p] { SetOuterGeometry(*this, FitIntoArea(p, AvailableArea(*this))); };
  place();
  BuildMachine(t_, rnd);
  saved_.Remember(t_.listing);
  if (closeSplash) closeSplash();
  show();
  WhenFrameKnown(*this, place);
  ResetPanel(t_);
  Edit3->setFocus();
}

// ---- PanelView ----

void TForm2::ShowAddress(std::string_view text) { Edit1->setText(FromCp1251(text)); }
void TForm2::ShowData(std::string_view text) { Edit2->setText(FromCp1251(text)); }
void TForm2::ShowEntry(std::string_view text) {
  Edit3->setText(FromCp1251(text));
  PcMoved();  // the displays follow the PC: so does its mark
}

void TForm2::ShowRegisters(const TRegisters& r) {
  const TRegisters before = shownRegisters_;
  shownRegisters_ = r;
  const int32_t values[] = {r.A, r.B, r.C, r.D, r.E, r.H, r.L, r.M, r.F};
  for (int row = 0; row < 9; ++row)
    StringGrid2->item(row, 1)->setText(FromCp1251(IntToHexText(values[row])));
  AnnounceRegisters(before, r);
}

void TForm2::ShowFlags(const TFlags& f) {
  // setChecked does not emit clicked, so the click reaction does not run.
  QCheckBox* boxes[] = {CheckBox1, CheckBox2, CheckBox3, CheckBox4, CheckBox5};
  const uint8_t values[] = {f.CY, f.P, f.AC, f.Z, f.S};
  for (int i = 0; i < 5; ++i) {
    const bool was = boxes[i]->isChecked();
    boxes[i]->setChecked(values[i]);
    AnnounceFlag(boxes[i], was);
  }
}

void TForm2::ShowStackPointer(std::string_view text) {
  Label1->SetValue(FromCp1251(text));
  Label1->adjustSize();
}

void TForm2::ProcessEvents() { QCoreApplication::processEvents(); }

// ---- events ----

void TForm2::CheckBox1Click() {
  FlagBoxesClicked(t_, CheckBox1->isChecked(), CheckBox2->isChecked(), CheckBox3->isChecked(),
                   CheckBox4->isChecked(), CheckBox5->isChecked());
}

void TForm2::StringGrid1SelectCell(int, int row) { SelectRow(t_, row); }

void TForm2::closeEvent(QCloseEvent* e) {
  // A running program is stopped first and the window closes once it has ended, after the
  // question about unsaved work; answered, nothing may keep the process alive.
  if (!MayLeave([this] { close(); })) return e->ignore();
  t_.StopRequest = true;
  QCoreApplication::quit();
  e->accept();
}

bool TForm2::eventFilter(QObject* watched, QEvent* e) {
  if (watched == Edit3 && e->type() == QEvent::KeyPress)
    return Edit3KeyDown(*static_cast<QKeyEvent*>(e));
  return QMainWindow::eventFilter(watched, e);
}

bool TForm2::Edit3KeyDown(const QKeyEvent& key) {
  if (key.matches(QKeySequence::Paste) && ClipboardHoldsProgram()) {
    N17Click();  // more than one line: a program, not a word for the entry line
    return true;
  }
  if (key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter) {
    EntryKeyDown(t_, EntryKey::Enter);  // NEXT, and no character
    return true;
  }
  if (key.key() == Qt::Key_Backspace) {
    EntryKeyDown(t_, EntryKey::Backspace);
    return false;  // the field still deletes
  }
  return Edit3KeyPress(key.text());
}

bool TForm2::Edit3KeyPress(const QString& text) {
  if (text.size() != 1 || !text[0].isPrint()) return false;
  const auto k = ToCp1251(text);
  const auto before = ToCp1251(Edit3->text());
  if (!k || !before) return true;  // not a character of the trainer's code page
  TypeIntoEntry(t_, t_.Entry, *before, (*k)[0]);
  return false;  // the field inserts the character itself
}

// ---- menu ----

void TForm2::N8Click() { ShiftDown(t_); }
void TForm2::N10Click() { ShiftUp(t_); }

void TForm2::N13Click() { ShowAbout(this); }

void TForm2::N16Click() {
  const QUrl page = GuidePage();
  if (page.isEmpty())
    dialogs_->ShowError(kGuideMissing);
  else if (!OpenUrl(page))
    dialogs_->ShowError(kGuideNotOpened.arg(page.toLocalFile()));
}

}  // namespace tamrel
