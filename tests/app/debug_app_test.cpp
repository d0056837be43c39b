// The window's debugging: the menu "Отладка", F9, the listing's context menu and Shift+F7,
// driven through real widgets on the offscreen platform.
#include <QApplication>
#include <QMenuBar>
#include <QTimer>
#include <QtTest>

#include "app/form2.h"
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
      QCOMPARE(Cell(f, 4, col, Qt::AccessibleDescriptionRole), QString("точка останова"));
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
};

QTEST_MAIN(DebugAppTest)
#include "debug_app_test.moc"
