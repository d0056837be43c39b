// The window's debugging: the menu "Отладка", F9, the listing's context menu and Shift+F7,
// driven through real widgets on the offscreen platform.
#include <QAccessible>
#include <QApplication>
#include <QMenuBar>
#include <QTimer>
#include <QtTest>

#include "app/form2.h"
#include "app/listingmodel.h"
#include "app/memorywindow.h"
#include "support/views.h"

using namespace tamrel;

namespace {

QString Cell(TForm2& f, int row, int col, int role = Qt::DisplayRole) {
  return f.StringGrid1->model()->index(row - 1, col).data(role).toString();
}
bool Coloured(TForm2& f, int row) {
  return f.StringGrid1->model()->index(row - 1, 0).data(Qt::BackgroundRole).isValid();
}
QString Reg(TForm2& f, int row) { return f.StringGrid2->item(row, 1)->text(); }

void TypeLine(TForm2& f, const char* text, int bytes) {
  f.Edit3->selectAll();
  QTest::keyClick(f.Edit3, Qt::Key_Backspace);
  QTest::keyClicks(f.Edit3, QString::fromLatin1(text));
  for (int i = 0; i < bytes; ++i) QTest::keyClick(f.Edit3, Qt::Key_Return);
}

QPoint CellCentre(TForm2& f, int row, int col) {
  return f.StringGrid1->visualRect(f.StringGrid1->model()->index(row - 1, col)).center();
}

}  // namespace

class DebugAppTest : public QObject {
  Q_OBJECT

  std::unique_ptr<TForm2> form_;
  TForm2& Form() { return *form_; }

  // Types a short program at 8200h and puts the PC back there.
  void TypeProgram() {
    TForm2& f = Form();
    TypeLine(f, "MVI A, 01", 2);
    TypeLine(f, "INR A", 1);
    TypeLine(f, "INR A", 1);
    TypeLine(f, "HLT", 1);
    QTest::mouseClick(f.StringGrid1->viewport(), Qt::LeftButton, {}, CellCentre(f, 1, 0));
    QCOMPARE(f.trainer().m.PC, 0x8200);
  }

 private slots:
  void init() {
    form_ = std::make_unique<TForm2>(nullptr, test::NoSleep);
    form_->FormCreate([] { return 0.5; });  // every byte 80h: ADD B
    form_->trainer().EventSlice = std::chrono::microseconds(0);
    QApplication::setActiveWindow(form_.get());
  }
  void cleanup() { form_.reset(); }

  void menuFollowsEdit() {
    TForm2& f = Form();
    QStringList titles;
    for (QAction* a : f.menuBar()->actions()) titles << a->text().remove(u'&');
    QCOMPARE(titles, (QStringList{"Файл", "Правка", "Отладка", "Помощь"}));
    QCOMPARE(f.BreakpointAction->text().remove(u'&'), QString("Точка останова"));
    QCOMPARE(f.BreakpointAction->shortcut(), QKeySequence(Qt::Key_F9));
    QCOMPARE(f.ClearBreakpointsAction->text().remove(u'&'), QString("Убрать все точки останова"));
    QCOMPARE(f.StepBackAction->text().remove(u'&'), QString("Шаг назад"));
    QCOMPARE(f.StepBackAction->shortcut(), QKeySequence(Qt::SHIFT | Qt::Key_F7));
  }

  void f9MarksTheRowOfPcAndRunStopsThere() {
    TForm2& f = Form();
    TypeProgram();
    TypeLine(f, "", 3);  // Enter three times: PC 8203h, the second INR A
    QCOMPARE(f.trainer().m.PC, 0x8203);
    const QString texts[] = {Cell(f, 4, 0), Cell(f, 4, 1), Cell(f, 4, 2)};
    QTest::keyClick(f.Edit3, Qt::Key_F9);
    QCoreApplication::processEvents();
    QVERIFY(f.trainer().listing.Marked(4));
    QVERIFY(Coloured(f, 4));
    QVERIFY(!Coloured(f, 3));
    for (int col = 0; col < 3; ++col) {
      QCOMPARE(Cell(f, 4, col), texts[col]);  // the texts stay as they are
      // Row 4 is also the row of the PC.
      QCOMPARE(Cell(f, 4, col, Qt::AccessibleDescriptionRole),
               QString("текущая строка, точка останова"));
      QCOMPARE(Cell(f, 3, col, Qt::AccessibleDescriptionRole), QString());
    }
    QCOMPARE(Cell(f, 4, 1), QString("INR A"));

    QTest::mouseClick(f.StringGrid1->viewport(), Qt::LeftButton, {}, CellCentre(f, 1, 0));
    f.Button[15]->click();  // RUN
    QCOMPARE(f.trainer().m.PC, 0x8203);
    QCOMPARE(f.Edit1->text(), QString("8203"));
    QCOMPARE(f.Edit3->text(), QString("INR A"));
    QCOMPARE(Reg(f, 0), QString("02"));
    f.Button[15]->click();  // and on past it
    QCOMPARE(f.Edit1->text(), QString("8205"));

    f.BreakpointAction->trigger();  // PC 8205h: a second mark
    QVERIFY(f.trainer().listing.Marked(6));
    f.ClearBreakpointsAction->trigger();
    QCoreApplication::processEvents();
    QVERIFY(!f.trainer().listing.HasMarks());
    QVERIFY(!Coloured(f, 4));
  }

  void contextMenuMarksARowWithoutMovingPc() {
    TForm2& f = Form();
    TypeProgram();
    const QModelIndex current = f.StringGrid1->currentIndex();
    QTest::mouseClick(f.StringGrid1->viewport(), Qt::RightButton, {}, CellCentre(f, 3, 1));
    QVERIFY(f.ListingMenu->isVisible());
    QVERIFY(!f.ListingBreakpointAction->isChecked());
    f.ListingBreakpointAction->trigger();
    f.ListingMenu->hide();
    QVERIFY(f.trainer().listing.Marked(3));
    QCOMPARE(f.trainer().m.PC, 0x8200);  // no selection, no move
    QCOMPARE(f.StringGrid1->currentIndex(), current);
    QCOMPARE(f.Edit1->text(), QString("8200"));

    // The context-menu key opens it for the selected row; the mark shows ticked.
    f.StringGrid1->setFocus();
    QTest::mouseClick(f.StringGrid1->viewport(), Qt::LeftButton, {}, CellCentre(f, 3, 0));
    QTest::keyClick(f.StringGrid1, Qt::Key_Menu);
    QVERIFY(f.ListingMenu->isVisible());
    QVERIFY(f.ListingBreakpointAction->isChecked());
    f.ListingBreakpointAction->trigger();
    f.ListingMenu->hide();
    QVERIFY(!f.trainer().listing.HasMarks());
    QTest::keyClick(f.StringGrid1, Qt::Key_F10, Qt::ShiftModifier);
    QVERIFY(f.ListingMenu->isVisible());
    f.ListingMenu->hide();
  }

  void shiftF7StepsBack() {
    TForm2& f = Form();
    TypeProgram();
    const QString before[] = {f.Edit1->text(), f.Edit2->text(), f.Edit3->text(), f.Label1->text(),
                              Reg(f, 0)};
    f.Button[10]->click();  // STEP: MVI A, 01
    f.Button[10]->click();  // STEP: INR A
    QCOMPARE(Reg(f, 0), QString("02"));
    QCOMPARE(f.Label1->text(), QString("F72F"));
    QTest::keyClick(f.Edit3, Qt::Key_F7, Qt::ShiftModifier);
    QCOMPARE(Reg(f, 0), QString("01"));
    QCOMPARE(f.Edit1->text(), QString("8202"));
    QCOMPARE(f.trainer().m.PC, 0x8202);
    f.StepBackAction->trigger();
    const QString after[] = {f.Edit1->text(), f.Edit2->text(), f.Edit3->text(), f.Label1->text(),
                             Reg(f, 0)};
    for (int i = 0; i < 5; ++i) QCOMPARE(after[i], before[i]);
    QCOMPARE(f.Label1->text(), QString("SP=F72F"));
    QCOMPARE(f.trainer().m.PC, 0x8200);
    QCOMPARE(f.trainer().m.R.A, 0);
    f.StepBackAction->trigger();  // nothing left: nothing happens
    QCOMPARE(f.trainer().m.PC, 0x8200);

    // A flag box is an edit: no step back over it.
    f.Button[10]->click();
    QTest::mouseClick(f.CheckBox1, Qt::LeftButton);
    f.StepBackAction->trigger();
    QCOMPARE(f.trainer().m.PC, 0x8202);
  }

  void anyEditOfTheEntryLineClearsTheHistory() {
    TForm2& f = Form();
    TypeProgram();
    f.Button[10]->click();
    QCOMPARE(f.trainer().history.Size(f.trainer()), size_t{1});
    f.Edit3->setCursorPosition(0);
    QTest::keyClick(f.Edit3, Qt::Key_Delete);  // no character typed, but the line changed
    QCOMPARE(f.trainer().history.Size(f.trainer()), size_t{0});
    f.Button[10]->click();
    QTest::keyClick(f.Edit3, Qt::Key_Home);  // moving the caret is no edit
    QCOMPARE(f.trainer().history.Size(f.trainer()), size_t{1});
  }

  void stepBackPutsTheSelectedRowBack() {
    TForm2& f = Form();
    TypeLine(f, "INR C", 1);
    TypeLine(f, "JMP 8200", 0);
    QTest::mouseClick(f.StringGrid1->viewport(), Qt::LeftButton, {}, CellCentre(f, 1, 1));
    const QModelIndex before = f.StringGrid1->currentIndex();
    // During the run the user selects row 8210h, then presses RST.
    QTimer::singleShot(
        5, &f, [&f] { f.StringGrid1->setCurrentIndex(f.StringGrid1->model()->index(0x10, 1)); });
    QTimer::singleShot(15, f.Button[5], &QPushButton::click);
    f.Button[15]->click();
    QCOMPARE(f.StringGrid1->currentIndex().row(), 0x10);
    QTest::keyClick(f.Edit3, Qt::Key_F7, Qt::ShiftModifier);
    QCOMPARE(f.StringGrid1->currentIndex(), before);
    QCOMPARE(f.trainer().m.PC, 0x8200);
    QCOMPARE(f.trainer().m.R.C, uint8_t{0});
    QCOMPARE(f.Edit1->text(), QString("8200"));
    QCOMPARE(f.Edit3->text(), QString("INR C"));
  }

  void twoStepsBackGiveTheFirstSelectionBack() {
    TForm2& f = Form();
    TypeProgram();  // selects row 8200h
    f.Button[10]->click();
    QTest::mouseClick(f.StringGrid1->viewport(), Qt::LeftButton, {}, CellCentre(f, 3, 1));
    f.Button[10]->click();
    QTest::keyClick(f.Edit3, Qt::Key_F7, Qt::ShiftModifier);
    QCOMPARE(f.StringGrid1->currentIndex().row(), 2);
    QTest::keyClick(f.Edit3, Qt::Key_F7, Qt::ShiftModifier);
    QCOMPARE(f.StringGrid1->currentIndex().row(), 0);
    QCOMPARE(f.trainer().m.PC, 0x8200);
  }

  // ---- seeing the machine work ----

  void pcRowIsMarkedAndFollowedWithoutMovingTheSelection() {
    TForm2& f = Form();
    TypeProgram();
    QVERIFY(f.StringGrid1->model()->index(0, 1).data(kPcRowRole).toBool());
    f.Button[10]->click();  // STEP: MVI A, 01
    QVERIFY(!f.StringGrid1->model()->index(0, 1).data(kPcRowRole).toBool());
    QVERIFY(f.StringGrid1->model()->index(2, 1).data(kPcRowRole).toBool());
    QCOMPARE(Cell(f, 3, 0, Qt::AccessibleDescriptionRole), QString("текущая строка"));
    QCOMPARE(f.StringGrid1->currentIndex().row(), 0);  // the selection stays
    QVERIFY(!f.FollowPcAction->isChecked());
    QCOMPARE(f.StatusLine->text(), QString("шаг на 8200: MVI A, 01; тактов: 7"));
    QVERIFY(f.StepBackAction->isEnabled());

    // Following the PC: an address far down scrolls the listing there.
    f.FollowPcAction->setChecked(true);
    f.Button[20]->click();
    for (char d : {'E', '0', '0', '0'}) f.Button[TForm2::HexKeyButton(d)]->click();
    const QRect shown = f.StringGrid1->viewport()->rect();
    QVERIFY(shown.intersects(
        f.StringGrid1->visualRect(f.StringGrid1->model()->index(0xE000 - 0x8200, 0))));
    QCOMPARE(f.StringGrid1->currentIndex().row(), 0);
  }

  void statusLineSaysWhyARunStoppedAndHowLong() {
    TForm2& f = Form();
    TypeProgram();
    f.Button[15]->click();
    QCOMPARE(f.StatusLine->text(), QString("HLT на 8204; строк: 4, тактов: 24"));
    QAccessibleInterface* status = QAccessible::queryAccessibleInterface(f.StatusLine);
    QCOMPARE(status->text(QAccessible::Name), QString("Состояние"));
    QCOMPARE(status->text(QAccessible::Value), f.StatusLine->text());
  }

  void slowRunShowsEveryLineAndRstStopsAtOnce() {
    TForm2& f = Form();
    TypeLine(f, "INR C", 1);
    TypeLine(f, "JMP 8200", 0);
    QTest::mouseClick(f.StringGrid1->viewport(), Qt::LeftButton, {}, CellCentre(f, 1, 0));
    f.SpeedActions[4]->trigger();  // one line a second
    f.Button[15]->click();         // the first line runs at once, then the run waits
    QCOMPARE(Reg(f, 2), QString("01"));
    QCOMPARE(f.trainer().m.PC, 0x8201);
    QVERIFY(f.StringGrid1->model()->index(1, 0).data(kPcRowRole).toBool());
    f.Button[5]->click();  // RST: the line at 8200 runs once more and the run ends
    QCOMPARE(f.trainer().m.PC, 0x8200);
    QCOMPARE(Reg(f, 2), QString("02"));
    QCOMPARE(f.StatusLine->text(), QString("остановлено клавишей RST; строк: 2, тактов: 10"));
    f.SpeedActions[1]->trigger();  // 1000 a second: breakpoints hold
    f.trainer().listing.SetMark(2, true);
    f.Button[15]->click();
    QTRY_VERIFY(f.StatusLine->text().startsWith("точка останова на 8201"));
  }

  void entryLineSaysWhenTypingCannotMatch() {
    TForm2& f = Form();
    TypeLine(f, "mvi", 0);
    QCOMPARE(f.StatusLine->text(),
             QString("нет команды, начинающейся с «mvi»: команды пишутся заглавными буквами"));
    QCOMPARE(f.Edit3->accessibleDescription(), f.StatusLine->text());
    QCOMPARE(f.trainer().m.Mem.Read(0x8200), uint8_t{0x80});  // nothing stored
    TypeLine(f, "MVI", 0);
    QVERIFY(f.Edit3->accessibleDescription().isEmpty());
    QVERIFY(f.StatusLine->text().isEmpty());
  }

  void keypadFromTheKeyboard() {
    TForm2& f = Form();
    f.Edit3->setFocus();
    QTest::keyClick(f.Edit3, Qt::Key_F2);
    QCOMPARE(QApplication::focusWidget(), f.Button[20]);
    QTest::keyClicks(QApplication::focusWidget(), "8210");
    QCOMPARE(f.trainer().m.PC, 0x8210);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F3);
    QCOMPARE(QApplication::focusWidget(), f.Button[2]);
    QTest::keyClicks(QApplication::focusWidget(), "3e");
    QCOMPARE(f.trainer().m.Mem.Read(0x8210), uint8_t{0x3E});
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);  // NEXT
    QCOMPARE(f.trainer().m.PC, 0x8211);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    QCOMPARE(QApplication::focusWidget(), f.Edit3);
    for (char d : std::string("0123456789ABCDEF"))
      QVERIFY(f.Button[TForm2::HexKeyButton(d)]->toolTip().contains(QString("клавиша %1").arg(d)));
  }

  void registerCellsAndFlagBoxesAnnounceTheirChanges() {
    TForm2& f = Form();
    QList<QPair<QObject*, QAccessible::Event>> events;
    f.Announce = [&events](QAccessibleEvent& e) {
      // A cell's event names its grid through the cell's parent.
      QAccessibleInterface* i = e.accessibleInterface();
      QObject* o = e.object() ? e.object() : i && i->parent() ? i->parent()->object() : nullptr;
      events.append({o, e.type()});
    };
    f.Button[10]->click();  // ADD B on 0 and 0: F, Z and P change
    const auto valueChanges = [&](QObject* o) {
      return std::count(events.begin(), events.end(), qMakePair(o, QAccessible::ValueChanged));
    };
    QCOMPARE(valueChanges(f.StringGrid2), 1);  // the cell of F
    QCOMPARE(valueChanges(f.CheckBox4), 1);
    QCOMPARE(valueChanges(f.CheckBox2), 1);
    QCOMPARE(valueChanges(f.CheckBox1), 0);
  }

  void memoryWindowMarksWhatTheRunWrote() {
    TForm2& f = Form();
    TypeLine(f, "LXI H, 8300", 3);
    TypeLine(f, "MVI M, 42", 2);
    TypeLine(f, "PUSH H", 1);
    TypeLine(f, "HLT", 1);
    QTest::mouseClick(f.StringGrid1->viewport(), Qt::LeftButton, {}, CellCentre(f, 1, 0));
    f.MemoryAction->trigger();
    QVERIFY(f.Memory && f.Memory->isVisible());
    f.Button[15]->click();
    const QAbstractItemModel* m = f.Memory->bytes->model();
    const QModelIndex at8300 = m->index((0x8300 - 0x8200) / 16, 1);
    QCOMPARE(at8300.data().toString(), QString("42"));
    QVERIFY(at8300.data(Qt::AccessibleDescriptionRole).toString().contains("изменён"));
    QVERIFY(at8300.data(Qt::AccessibleDescriptionRole).toString().contains("«Код»"));
    QVERIFY(!m->index(0, 1).data(Qt::AccessibleDescriptionRole).toString().contains("изменён"));
    QCOMPARE(f.Memory->stackPointer->text(), QString("SP=F72D"));
    QCOMPARE(f.Memory->stack->item(0, 1)->text(), QString("8300"));
    QCOMPARE(f.Memory->stack->item(0, 0)->data(Qt::AccessibleDescriptionRole).toString(),
             QString("вершина стека"));
    f.Memory->address->setText("F700");
    QTest::keyClick(f.Memory->address, Qt::Key_Return);
    QCOMPARE(f.Memory->bytes->currentIndex(), m->index((0xF700 - 0x8200) / 16, 1));
  }
};

QTEST_MAIN(DebugAppTest)
#include "debug_app_test.moc"
