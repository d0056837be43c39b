// The window for a student who does not use a mouse, uses a screen reader, or has a small
// screen: what assistive technology reads, where Tab goes, what the keys do, how the window
// fits, which language the toolkit speaks, and the start-up timer.
#include <QAccessible>
#include <QApplication>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QMenuBar>
#include <QMessageBox>
#include <QScrollArea>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QTranslator>
#include <QWindow>
#include <QtTest>
#include <deque>

#include "app/about.h"
#include "app/form2.h"
#include "app/placement.h"
#include "app/translations.h"
#include "app/webform.h"
#include "app/windowfit.h"
#include "support/views.h"

using namespace tamrel;

Q_DECLARE_METATYPE(tamrel::Placement)

namespace {

// Answers the save dialog with prepared names and every question with No.
struct NamedDialogs : Dialogs {
  std::deque<QString> names;
  std::optional<QString> SaveFileName(const QString&, const QString& suffix) override {
    if (names.empty()) return std::nullopt;
    QString n = names.front() + "." + suffix;
    names.pop_front();
    return n;
  }
  std::optional<QString> OpenFileName(const QString&) override { return std::nullopt; }
  bool Ask(const QString&) override { return false; }
  void ShowError(const QString&) override {}
};

QAccessibleInterface* Acc(QObject* o) { return QAccessible::queryAccessibleInterface(o); }
QString AccName(QObject* o) { return Acc(o)->text(QAccessible::Name); }
QString AccValue(QObject* o) { return Acc(o)->text(QAccessible::Value); }

QWidget* Focused() { return QApplication::focusWidget(); }

// Replaces the entry line's text by `text`, typed key by key.
void TypeLine(TForm2& f, const char* text) {
  f.Edit3->setFocus();
  f.Edit3->selectAll();
  QTest::keyClick(f.Edit3, Qt::Key_Backspace);
  QTest::keyClicks(f.Edit3, QString::fromLatin1(text));
}

// Every value the window shows, as a screen reader gets it, against what is on the screen.
void ExpectReadable(TForm2& f) {
  // The stack pointer keeps one name and carries what it shows as its value.
  QCOMPARE(AccName(f.Label1), QString("Указатель стека"));
  QCOMPARE(AccValue(f.Label1), f.Label1->text());
  for (QLineEdit* e : {f.Edit1, f.Edit2, f.Edit3}) QCOMPARE(AccValue(e), e->text());
  QCOMPARE(AccName(f.Edit1), QString("Адрес"));
  QCOMPARE(AccName(f.Edit2), QString("Данные"));
  for (QCheckBox* box : {f.CheckBox1, f.CheckBox2, f.CheckBox3, f.CheckBox4, f.CheckBox5}) {
    QCOMPARE(AccName(box), box->text());
    QCOMPARE(bool(Acc(box)->state().checked), box->isChecked());
  }
  QAccessibleTableInterface* regs = Acc(f.StringGrid2)->tableInterface();
  QVERIFY(regs);
  for (int row = 0; row < 9; ++row)
    for (int col = 0; col < 2; ++col)
      QCOMPARE(regs->cellAt(row, col)->text(QAccessible::Name),
               f.StringGrid2->item(row, col)->text());
  QAccessibleTableInterface* listing = Acc(f.StringGrid1)->tableInterface();
  QVERIFY(listing);
  const QAbstractItemModel* m = f.StringGrid1->model();
  for (int row : {0, 1, 2, 100, 29999})
    for (int col = 0; col < 3; ++col)
      QCOMPARE(listing->cellAt(row, col)->text(QAccessible::Name),
               m->index(row, col).data().toString());
}

}  // namespace

class AccessTest : public QObject {
  Q_OBJECT

  std::unique_ptr<NamedDialogs> dialogs_;
  std::unique_ptr<TForm2> form_;

  TForm2& Form() { return *form_; }

 private slots:
  void init() {
    dialogs_ = std::make_unique<NamedDialogs>();
    form_ = std::make_unique<TForm2>(dialogs_.get(), test::NoSleep);
    form_->FormCreate([] { return 0.5; });  // every byte 80h: ADD B
    form_->trainer().EventSlice = std::chrono::microseconds(0);
    form_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(form_.get()));
    QCOMPARE(Focused(), form_->Edit3);
  }
  void cleanup() { form_.reset(); }

  // ---- screen reader ----

  void screenReaderReadsEveryShownValue() {
    TForm2& f = Form();
    ExpectReadable(f);
    if (QTest::currentTestFailed()) return;
    QCOMPARE(AccValue(f.Label1), QString("SP=F72F"));
    QCOMPARE(AccValue(f.Edit1), QString("8200"));
    QCOMPARE(Acc(f.StringGrid1)->tableInterface()->cellAt(0, 1)->text(QAccessible::Name),
             QString("ADD B"));

    TypeLine(f, "HLT");
    f.Button[15]->click();  // RUN stops after the HLT at 8200
    QCOMPARE(AccValue(f.Label1), QString("F72F"));
    QCOMPARE(AccValue(f.Edit1), QString("8201"));
    ExpectReadable(f);
    if (QTest::currentTestFailed()) return;

    f.Button[10]->click();  // STEP on ADD B: 0 + 0 sets Z and P
    QVERIFY(Acc(f.CheckBox4)->state().checked);
    QVERIFY(Acc(f.CheckBox2)->state().checked);
    QVERIFY(!Acc(f.CheckBox1)->state().checked);
    QCOMPARE(AccValue(f.Edit1), QString("8202"));
    ExpectReadable(f);
  }

  void panelHoldsOnlyItsControlsForAssistiveTechnology() {
    TForm2& f = Form();
    QAccessibleInterface* panel = Acc(f.GroupBox3);
    QSet<QObject*> expected = {f.Edit1, f.Edit2, f.Edit3};
    for (size_t i = 1; i <= 25; ++i) expected.insert(f.Button[i]);
    QSet<QObject*> children;
    for (int i = 0; i < panel->childCount(); ++i) {
      QAccessibleInterface* child = panel->child(i);
      QVERIFY(child);
      QVERIFY2(!child->text(QAccessible::Name).isEmpty(), "an object with nothing to say");
      children.insert(child->object());
    }
    QCOMPARE(children, expected);  // the rule under the entry line is no object of its own
    QCOMPARE(AccName(f.GroupBox4), QString("Указатель стека"));
  }

  // ---- keyboard ----

  void tabWalksEveryControlInReadingOrderAndOutOfTheGrids() {
    TForm2& f = Form();
    std::vector<QWidget*> order;
    for (size_t i = 1; i <= 25; ++i) order.push_back(f.Button[i]);
    order.push_back(f.Label1);
    for (QWidget* w : std::initializer_list<QWidget*>{f.StringGrid1, f.StringGrid2, f.CheckBox1,
                                                      f.CheckBox2, f.CheckBox3, f.CheckBox4,
                                                      f.CheckBox5, f.Edit1, f.Edit2, f.Edit3})
      order.push_back(w);
    const QModelIndex current = f.StringGrid1->currentIndex();

    for (QWidget* next : order) {
      QTest::keyClick(Focused(), Qt::Key_Tab);
      QCOMPARE(Focused(), next);
    }
    order.pop_back();
    std::reverse(order.begin(), order.end());
    order.push_back(f.Edit3);
    for (QWidget* previous : order) {
      QTest::keyClick(Focused(), Qt::Key_Backtab, Qt::ShiftModifier);
      QCOMPARE(Focused(), previous);
    }
    // Walking through the listing selected nothing and so moved nothing.
    QCOMPARE(f.StringGrid1->currentIndex(), current);
    QCOMPARE(f.trainer().m.PC, 0x8200);

    // Ctrl+Tab leaves a grid as well, both ways.
    f.StringGrid1->setFocus(Qt::TabFocusReason);
    QTest::keyClick(f.StringGrid1, Qt::Key_Tab, Qt::ControlModifier);
    QCOMPARE(Focused(), f.StringGrid2);
    QTest::keyClick(f.StringGrid2, Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(Focused(), f.StringGrid1);
    QCOMPARE(f.StringGrid1->currentIndex(), current);
    QCOMPARE(f.trainer().m.PC, 0x8200);
  }

  void listingArrowsSelectRowsAndTypedCharactersGoToTheEntryLine() {
    TForm2& f = Form();
    TypeLine(f, "");  // an empty entry line, as before typing a new instruction
    f.StringGrid1->setFocus(Qt::TabFocusReason);

    // '8' would start the incremental search and jump to the next row beginning with 8.
    QTest::keyClick(f.StringGrid1, '8');
    QCOMPARE(Focused(), f.Edit3);
    QCOMPARE(f.Edit3->text(), QString("8"));
    QCOMPARE(f.StringGrid1->currentIndex().row(), 0);
    QCOMPARE(f.trainer().m.PC, 0x8200);

    // A whole instruction begun in the listing is typed and assembled as in the entry line.
    TypeLine(f, "");
    f.StringGrid1->setFocus(Qt::TabFocusReason);
    QTest::keyClick(f.StringGrid1, 'M');
    QCOMPARE(Focused(), f.Edit3);
    QTest::keyClicks(Focused(), "VI A, 3E");
    QCOMPARE(f.Edit3->text(), QString("MVI A, 3E"));
    QCOMPARE(f.StringGrid1->model()->index(0, 1).data().toString(), QString("MVI A, 3E"));
    QCOMPARE(f.trainer().m.PC, 0x8200);

    // Space is typed too, and nothing is selected by it.
    f.StringGrid1->setFocus(Qt::TabFocusReason);
    QTest::keyClick(f.StringGrid1, ' ');
    QCOMPARE(f.Edit3->text(), QString("MVI A, 3E "));
    QCOMPARE(f.trainer().m.PC, 0x8200);

    // The arrow keys select rows, with the usual effect of a selection.
    f.StringGrid1->setFocus(Qt::TabFocusReason);
    QTest::keyClick(f.StringGrid1, Qt::Key_Down);
    QCOMPARE(f.StringGrid1->currentIndex().row(), 1);
    QCOMPARE(f.trainer().m.PC, 0x8201);
    QCOMPARE(f.Edit1->text(), QString("8201"));
    QCOMPARE(Focused(), f.StringGrid1);
    QTest::keyClick(f.StringGrid1, Qt::Key_Up);
    QCOMPARE(f.trainer().m.PC, 0x8200);
  }

  void keypadKeysTakeFocusAndPressWithSpace() {
    TForm2& f = Form();
    for (size_t i = 1; i <= 25; ++i) QCOMPARE(f.Button[i]->focusPolicy(), Qt::TabFocus);
    // A click leaves the focus where the student types.
    QTest::mouseClick(f.Button[25], Qt::LeftButton);
    QCOMPARE(Focused(), f.Edit3);

    // ADDR 8 2 1 0 without a mouse: the arrow keys move over the keypad as it stands.
    f.Button[20]->setFocus(Qt::TabFocusReason);
    QTest::keyClick(Focused(), Qt::Key_Space);  // ADDR
    // clang-format off
    const struct {
      Qt::Key arrow;
      size_t lands;
    } route[] = {{Qt::Key_Left, 19}, {Qt::Key_Up, 14}, {Qt::Key_Left, 13}, {Qt::Key_Left, 12},
                 {Qt::Key_Left, 11}, {Qt::Key_Space, 11},  // 8
                 {Qt::Key_Down, 16}, {Qt::Key_Down, 21}, {Qt::Key_Right, 22},
                 {Qt::Key_Right, 23}, {Qt::Key_Space, 23},  // 2
                 {Qt::Key_Left, 22}, {Qt::Key_Space, 22},   // 1
                 {Qt::Key_Left, 21}, {Qt::Key_Space, 21}};  // 0
    // clang-format on
    for (const auto& step : route) {
      QTest::keyClick(Focused(), step.arrow);
      QCOMPARE(Focused(), f.Button[step.lands]);
    }
    QCOMPARE(f.Edit1->text(), QString("8210"));
    QCOMPARE(f.trainer().m.PC, 0x8210);
  }

  void functionKeysClickTheirKeypadKeys_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("button");
    QTest::addColumn<QString>("caption");
    QTest::newRow("ADDR") << int(Qt::Key_F2) << 20 << "ADDR";
    QTest::newRow("MEM") << int(Qt::Key_F3) << 2 << "MEM";
    QTest::newRow("NEXT") << int(Qt::Key_F4) << 25 << "NEXT";
    QTest::newRow("RST") << int(Qt::Key_F5) << 5 << "RST";
    QTest::newRow("STEP") << int(Qt::Key_F7) << 10 << "STEP";
    QTest::newRow("RUN") << int(Qt::Key_F8) << 15 << "RUN";
  }
  void functionKeysClickTheirKeypadKeys() {
    QFETCH(int, key);
    QFETCH(int, button);
    QFETCH(QString, caption);
    TForm2& f = Form();
    QPushButton* b = f.Button[static_cast<size_t>(button)];
    QCOMPARE(b->text(), caption);
    const QString keyName = QKeySequence(key).toString(QKeySequence::NativeText);
    QVERIFY2(b->toolTip().contains(keyName), qPrintable(b->toolTip()));
    TypeLine(f, "HLT");  // at 8200, so that RUN ends by itself

    // Pressed wherever the focus is, even where the key means something else (F2 edits a
    // cell of a view), each key clicks its keypad key once.
    for (QWidget* where : std::initializer_list<QWidget*>{f.Edit3, f.StringGrid1, f.StringGrid2,
                                                          f.CheckBox1, f.Button[1], f.Edit1}) {
      f.Button[5]->click();  // RST: back to the HLT
      where->setFocus(Qt::TabFocusReason);
      QSignalSpy clicks(b, &QAbstractButton::clicked);
      QTest::keyClick(where, Qt::Key(key));
      QVERIFY2(clicks.count() == 1, qPrintable(where->metaObject()->className()));
    }
  }

  void functionKeyActsAsTheClickOfItsKey() {
    TForm2& f = Form();
    // STEP by key and by click from the same state leave the same state.
    QTest::keyClick(f.Edit3, Qt::Key_F7);
    const auto afterKey = std::make_tuple(f.trainer().m.PC, f.trainer().m.R.F, f.Edit1->text(),
                                          f.Edit2->text(), f.Edit3->text(), f.Label1->text());
    f.Button[5]->click();  // RST
    f.Button[10]->click();
    QCOMPARE(std::make_tuple(f.trainer().m.PC, f.trainer().m.R.F, f.Edit1->text(), f.Edit2->text(),
                             f.Edit3->text(), f.Label1->text()),
             afterKey);
  }

  void rstKeyStopsARun() {
    TForm2& f = Form();
    TypeLine(f, "INR C");
    f.StringGrid1->setCurrentIndex(f.StringGrid1->model()->index(0x100, 1));
    TypeLine(f, "JMP 8300");  // the run starts here, at 8300
    QSignalSpy rst(f.Button[5], &QAbstractButton::clicked);
    QTimer::singleShot(10, &f, [] { QTest::keyClick(Focused(), Qt::Key_F5); });
    QTimer::singleShot(5000, &f, [&f] { f.trainer().StopRequest = true; });  // never hang
    QTest::keyClick(f.Edit3, Qt::Key_F8);  // RUN; returns when the run has ended
    QCOMPARE(rst.count(), 1);
    QCOMPARE(f.trainer().m.PC, 0x8200);
    QCOMPARE(f.trainer().m.R.C, uint8_t{1});  // the first line ran once after RST
    QCOMPARE(f.Edit1->text(), QString("8200"));
  }

  void menusHaveMnemonicsAndStandardShortcuts() {
    TForm2& f = Form();
    // clang-format off
    const struct {
      QAction* action;
      const char* caption;
      QKeySequence::StandardKey key;
    } entries[] = {{f.N1->menuAction(), "Файл", QKeySequence::UnknownKey},
                   {f.N2, "Новый", QKeySequence::New},
                   {f.N3, "Открыть", QKeySequence::Open},
                   {f.N4, "Сохранить", QKeySequence::Save},
                   {f.N9, "Печать в файл", QKeySequence::Print},
                   {f.N6, "Выход", QKeySequence::Quit},
                   {f.N7->menuAction(), "Правка", QKeySequence::UnknownKey},
                   {f.N8, "Сместить вниз", QKeySequence::UnknownKey},
                   {f.N10, "Сместить вверх", QKeySequence::UnknownKey},
                   {f.N12->menuAction(), "Помощь", QKeySequence::UnknownKey},
                   {f.N13, "О программе", QKeySequence::UnknownKey}};
    // clang-format on
    for (const auto& e : entries) {
      const QString text = e.action->text();
      QCOMPARE(text.count(u'&'), 1);
      QCOMPARE(QString(text).remove(u'&'), QString::fromUtf8(e.caption));
      QCOMPARE(e.action->shortcut(), QKeySequence(e.key));
    }
    // No two titles, nor two entries of one menu, share a mnemonic.
    for (QWidget* menu : std::initializer_list<QWidget*>{f.menuBar(), f.N1, f.N7, f.N12}) {
      QSet<QKeySequence> seen;
      for (QAction* a : menu->actions()) {
        const QKeySequence m = QKeySequence::mnemonic(a->text());
        QVERIFY2(!m.isEmpty() && !seen.contains(m), qPrintable(a->text()));
        seen.insert(m);
      }
    }

    // Ctrl+S saves, from the entry line and from the listing.
    QTemporaryDir dir;
    dialogs_->names = {dir.filePath("a"), dir.filePath("b")};
    QTest::keyClick(f.Edit3, Qt::Key_S, Qt::ControlModifier);
    f.StringGrid1->setFocus(Qt::TabFocusReason);
    QTest::keyClick(f.StringGrid1, Qt::Key_S, Qt::ControlModifier);
    QVERIFY(QFileInfo(dir.filePath("a.mem")).size() == 30000);
    QVERIFY(QFileInfo(dir.filePath("b.mem")).size() == 30000);

    // F10 opens the first menu.
    QTest::keyClick(f.Edit3, Qt::Key_F10);
    QCOMPARE(f.menuBar()->activeAction(), f.N1->menuAction());
    QTRY_VERIFY(f.N1->isVisible());
    QTest::keyClick(f.N1, Qt::Key_Escape);
    QTRY_VERIFY(!f.N1->isVisible());
  }

  // ---- any screen ----

  void fitIntoArea_data() {
    QTest::addColumn<Placement>("window");
    QTest::addColumn<Placement>("area");
    QTest::addColumn<Placement>("fitted");
    const Placement big = MainWindowPlacement(1024, 768);
    QTest::newRow("fits: unchanged") << big << Placement{0, 0, 1024, 768} << big;
    QTest::newRow("fits below a top panel") << big << Placement{0, 32, 1024, 736} << big;
    QTest::newRow("exactly the area")
        << Placement{0, 0, 800, 600} << Placement{0, 0, 800, 600} << Placement{0, 0, 800, 600};
    QTest::newRow("1024x600 with a bottom panel")
        << MainWindowPlacement(1024, 600) << Placement{0, 0, 1024, 560}
        << Placement{112, 0, 800, 560};
    QTest::newRow("1366x768 at 150 %")
        << MainWindowPlacement(911, 512) << Placement{0, 0, 911, 512} << Placement{55, 0, 800, 512};
    QTest::newRow("smaller both ways")
        << MainWindowPlacement(640, 480) << Placement{0, 0, 640, 480} << Placement{0, 0, 640, 480};
    QTest::newRow("pushed below a top panel")
        << big << Placement{0, 100, 1024, 668} << Placement{112, 100, 800, 600};
    QTest::newRow("pushed right of a dock")
        << MainWindowPlacement(800, 600) << Placement{64, 0, 960, 600}
        << Placement{64, 0, 800, 600};
  }
  void fitIntoArea() {
    QFETCH(Placement, window);
    QFETCH(Placement, area);
    QFETCH(Placement, fitted);
    QCOMPARE(FitIntoArea(window, area), fitted);
  }

  void outerSizeIsTheWindowsSizeFrameIncluded() {
    TForm2& f = Form();
    const QSize screen = f.screen()->size();
    const Placement expected =
        FitIntoArea(MainWindowPlacement(screen.width(), screen.height()), AvailableArea(f));
    QCOMPARE(f.frameGeometry(),
             QRect(expected.left, expected.top, expected.width, expected.height));
    f.N13->trigger();
    auto* about = f.findChildren<TForm3*>().last();
    const QRect outer = about->frameGeometry();
    const Placement centred =
        AboutPlacement(screen.width(), screen.height(), outer.width(), outer.height());
    QCOMPARE(outer.topLeft(), QPoint(centred.left, centred.top));
    QCOMPARE(about->size(), QSize(313, 145));
  }

  void contentScrollsInASmallWindowAndKeepsItsPositions() {
    TForm2& f = Form();
    auto* area = qobject_cast<QScrollArea*>(f.centralWidget());
    QVERIFY(area);
    QWidget* content = area->widget();
    QCOMPARE(f.GroupBox1->parentWidget(), content);
    const auto where = [content](QWidget* w) { return w->mapTo(content, QPoint(0, 0)); };
    const QPoint next = where(f.Button[25]);
    QCOMPARE(next, QPoint(360 + 200, 160 + 264));
    QVERIFY(!area->verticalScrollBar()->isVisible());  // the full window needs no scrolling
    QVERIFY(!area->horizontalScrollBar()->isVisible());

    f.resize(500, 300);
    QTRY_VERIFY(area->verticalScrollBar()->isVisible());
    QVERIFY(area->horizontalScrollBar()->isVisible());
    QCOMPARE(where(f.Button[25]), next);  // positions inside do not change

    // What is out of sight is scrolled into view when Tab reaches it: the last keypad key and
    // the stack pointer below the keypad.
    f.Button[24]->setFocus(Qt::TabFocusReason);
    for (QWidget* next : {static_cast<QWidget*>(f.Button[25]), static_cast<QWidget*>(f.Label1)}) {
      const QRect before(next->mapTo(area->viewport(), QPoint(0, 0)), next->size());
      QVERIFY(!area->viewport()->rect().contains(before));
      QTest::keyClick(Focused(), Qt::Key_Tab);
      QCOMPARE(Focused(), next);
      const QRect shown(next->mapTo(area->viewport(), QPoint(0, 0)), next->size());
      QVERIFY(area->viewport()->rect().contains(shown));
    }
  }

  // ---- start-up timer and stay-on-top ----

  void webFormTicksNoEarlierThanThreeSecondsWithoutRecreatingTheWindow() {
    TForm2& f = Form();
    QWindow* handle = f.windowHandle();
    const WId id = f.winId();
    QVERIFY(handle->flags() & Qt::WindowStaysOnTopHint);
    struct Watch : QObject {
      int hides = 0, surfaceChanges = 0;
      bool eventFilter(QObject*, QEvent* e) override {
        hides += e->type() == QEvent::Hide;
        surfaceChanges += e->type() == QEvent::PlatformSurface;
        return false;
      }
    } watch;
    f.installEventFilter(&watch);
    handle->installEventFilter(&watch);

    QElapsedTimer clock;
    clock.start();
    TForm4 web(&f, [](const QUrl&) { return false; });
    qint64 tickedAfterNs = -1;
    connect(web.Timer1, &QTimer::timeout, &f, [&] { tickedAfterNs = clock.nsecsElapsed(); });
    QTRY_VERIFY_WITH_TIMEOUT(tickedAfterNs >= 0, 6000);
    QVERIFY2(tickedAfterNs >= 3'000'000'000, qPrintable(QString::number(tickedAfterNs / 1e6)));

    QVERIFY(!(f.windowFlags() & Qt::WindowStaysOnTopHint));
    QCOMPARE(f.windowHandle(), handle);
    QVERIFY(!(handle->flags() & Qt::WindowStaysOnTopHint));
    QCOMPARE(f.winId(), id);
    QCOMPARE(watch.hides, 0);
    QCOMPARE(watch.surfaceChanges, 0);
    QVERIFY(f.isVisible());
  }

  // ---- Russian throughout (last: it leaves the catalogue loaded until cleanup) ----

  void toolkitTextsAreRussianAndTheProgramsOwnStay() {
    TForm2& f = Form();
    QVERIFY(LoadQtTranslations(*qApp));
    QtDialogs real(&f);

    QString title, yes, no;
    QTimer::singleShot(0, &f, [&] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (!box) return QApplication::activeModalWidget()->close(), void();
      title = box->windowTitle();
      yes = box->button(QMessageBox::Yes)->text().remove(u'&');
      no = box->button(QMessageBox::No)->text().remove(u'&');
      box->button(QMessageBox::No)->click();
    });
    QVERIFY(!real.Ask(kOverwriteQuestion));
    QCOMPARE(title, QString("Confirm"));
    QCOMPARE(yes, QString("Да"));
    QCOMPARE(no, QString("Нет"));

    QStringList labels;
    QTimer::singleShot(0, &f, [&] {
      auto* dlg = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
      if (!dlg) return QApplication::activeModalWidget()->close(), void();
      for (const char* name : {"lookInLabel", "fileNameLabel", "fileTypeLabel"})
        labels << dlg->findChild<QLabel*>(name)->text().remove(u'&');
      dlg->reject();
    });
    QVERIFY(!real.OpenFileName(kMemFilter));
    QCOMPARE(labels.size(), 3);
    for (const QString& l : labels)
      QVERIFY2(l.contains(QRegularExpression("[а-я]")), qPrintable(l));
    QCOMPARE(QCoreApplication::translate("QAbstractFileIconProvider", "Folder"), QString("Папка"));

    f.N13->trigger();
    auto* about = f.findChildren<TForm3*>().last();
    QCOMPARE(about->windowTitle(), QString("About"));
    QCOMPARE(about->Button1->text(), QString("Close"));
    QCOMPARE(f.N1->title().remove(u'&'), QString("Файл"));
  }

  void cleanupTestCase() {
    for (QTranslator* t : qApp->findChildren<QTranslator*>()) {
      QCoreApplication::removeTranslator(t);
      delete t;
    }
    QLocale::setDefault(QLocale::c());
  }
};

QTEST_MAIN(AccessTest)
#include "access_test.moc"
