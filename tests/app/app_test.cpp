// The window as a student meets it, driven through real widgets on the offscreen platform.
#include <QApplication>
#include <QFile>
#include <QHeaderView>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include "app/about.h"
#include "app/form2.h"
#include "app/jpeg.h"
#include "app/placement.h"
#include "app/splash.h"
#include "app/webform.h"
#include "machine/numtext.h"
#include "support/dialogs_script.h"
#include "support/views.h"

using namespace tamrel;

namespace {

QString Reg(TForm2& f, int row) { return f.StringGrid2->item(row, 1)->text(); }
QString Cell(TForm2& f, int row, int col) {
  return f.StringGrid1->model()->index(row - 1, col).data().toString();
}

// Whether the listing's model told its views about a change of listing row `row` caused by
// `action`, once the events it left behind have run.
bool Announces(TForm2& f, const std::function<void()>& action, int row) {
  QCoreApplication::processEvents();
  QSignalSpy spy(f.StringGrid1->model(), &QAbstractItemModel::dataChanged);
  action();
  QCoreApplication::processEvents();
  for (const QList<QVariant>& args : spy)
    if (args[0].toModelIndex().row() <= row - 1 && row - 1 <= args[1].toModelIndex().row())
      return true;
  return false;
}

// Clears the entry line the way a user would, then types a line and presses Enter once per byte.
void TypeLine(TForm2& f, const char* text, int bytes) {
  f.Edit3->selectAll();
  QTest::keyClick(f.Edit3, Qt::Key_Backspace);
  QTest::keyClicks(f.Edit3, QString::fromLatin1(text));
  for (int i = 0; i < bytes; ++i) QTest::keyClick(f.Edit3, Qt::Key_Return);
}

}  // namespace

class AppTest : public QObject {
  Q_OBJECT

  std::unique_ptr<test::ScriptedDialogs> dialogs_;
  std::unique_ptr<TForm2> form_;
  QTemporaryDir dir_;

  TForm2& Form() { return *form_; }
  QString File(const char* name) { return dir_.filePath(QString::fromLatin1(name)); }

 private slots:
  void init() {
    dialogs_ = std::make_unique<test::ScriptedDialogs>();
    form_ = std::make_unique<TForm2>(dialogs_.get(), test::NoSleep);
    form_->FormCreate([] { return 0.5; });  // every byte 80h: ADD B
    form_->trainer().EventSlice = std::chrono::microseconds(0);
  }
  void cleanup() { form_.reset(); }

  void placement() {
    QCOMPARE(MainWindowPlacement(1024, 768), (Placement{112, 84, 800, 600}));
    QCOMPARE(MainWindowPlacement(800, 600), (Placement{0, 0, 800, 600}));
    QCOMPARE(MainWindowPlacement(1280, 600), (Placement{240, 0, 800, 600}));
    QCOMPARE(SplashPlacement(1024, 768, 480, 371), (Placement{272, 199, 480, 371}));
    QCOMPARE(AboutPlacement(1024, 768, 313, 145), (Placement{355, 311, 313, 145}));
    QCOMPARE(SplashPlacement(1024, 768, 313, 145).left, 356);  // the two rules differ by one
  }

  void startUpState() {
    TForm2& f = Form();
    QCOMPARE(f.windowTitle(), QString("Tamrel Emul"));
    QVERIFY(f.windowFlags() & Qt::WindowStaysOnTopHint);
    QCOMPARE(f.Edit1->text(), QString("8200"));
    QCOMPARE(f.Edit2->text(), QString("80"));
    QCOMPARE(f.Edit3->text(), QString("ADD B"));
    QCOMPARE(f.Label1->text(), QString("SP=F72F"));
    for (int row = 0; row < 8; ++row) QCOMPARE(Reg(f, row), QString("00"));
    QCOMPARE(Reg(f, 8), QString("02"));
    QVERIFY(!f.CheckBox1->isChecked() && !f.CheckBox4->isChecked());
    QCOMPARE(f.StringGrid1->model()->rowCount(), 30000);
    QCOMPARE(f.StringGrid1->model()->headerData(1, Qt::Horizontal).toString(),
             QString("Мнемоника"));
    QCOMPARE(Cell(f, 30000, 0), QString("F72F"));
    QCOMPARE(f.Button[15]->text(), QString("RUN"));
    QCOMPARE(f.Edit2->accessibleName(), QString("Данные"));
  }

  void typeAndRunTheDecrementLoop() {
    TForm2& f = Form();
    TypeLine(f, "MVI B, 03", 2);
    TypeLine(f, "DCR B", 1);
    TypeLine(f, "JNZ 8202", 3);
    TypeLine(f, "HLT", 1);
    QCOMPARE(Cell(f, 1, 1), QString("MVI B, 03"));
    QCOMPARE(Cell(f, 3, 1), QString("DCR B"));
    QCOMPARE(Cell(f, 4, 1), QString("JNZ 8202"));
    QCOMPARE(Cell(f, 7, 1), QString("HLT"));
    QCOMPARE(f.Edit1->text(), QString("8207"));
    // A click on row 8200, which is the selected row since start-up.
    const QRect cell = f.StringGrid1->visualRect(f.StringGrid1->model()->index(0, 0));
    QTest::mouseClick(f.StringGrid1->viewport(), Qt::LeftButton, {}, cell.center());
    QCOMPARE(f.Edit1->text(), QString("8200"));
    f.Button[15]->click();
    QCOMPARE(Reg(f, 1), QString("00"));
    QVERIFY(f.CheckBox4->isChecked());
    QCOMPARE(f.Edit1->text(), QString("8207"));
    QCOMPARE(f.Label1->text(), QString("F72F"));
  }

  void listingAnnouncesEveryChange() {
    TForm2& f = Form();
    QVERIFY(Announces(
        f, [&] { TypeLine(f, "MVI A", 0); }, 1));
    QVERIFY(Announces(
        f,
        [&] {
          for (int b : {20, 11, 23, 22, 21, 2, 24, 8}) f.Button[b]->click();  // ADDR 8210 MEM 3E
        },
        0x11));
    // A byte changed behind the listing's back: only STEP's bounded pass decodes it.
    f.trainer().listing.SetCode(0x21, "3E");
    QVERIFY(Announces(
        f, [&] { f.Button[10]->click(); }, 0x21));
    QCOMPARE(Cell(f, 0x21, 1), QString("MVI A, 80"));
    const int pcRow = static_cast<int>(RowOfAddress(f.trainer().m.PC));
    QVERIFY(Announces(
        f, [&] { f.N8Click(); }, pcRow));  // 00h goes in at the PC
    QCOMPARE(Cell(f, pcRow, 2), QString("00"));
    QFile image(File("zero.mem"));
    QVERIFY(image.open(QIODevice::WriteOnly) && image.write(QByteArray(30000, '\0')) == 30000);
    image.close();
    dialogs_->names = {File("zero.mem")};
    QVERIFY(Announces(
        f, [&] { f.N3Click(); }, 30000));
    QCOMPARE(Cell(f, 30000, 2), QString("00"));
  }

  void enterIsNotTypedAndForeignCharactersAreIgnored() {
    TForm2& f = Form();
    TypeLine(f, "MVI A", 0);
    QTest::keyClick(f.Edit3, Qt::Key_Return);  // NEXT: no character reaches the operand
    QCOMPARE(f.trainer().Entry.OperandText, std::string());
    f.Edit3->clear();
    auto type = [&](const char* utf8) {
      QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString::fromUtf8(utf8));
      QApplication::sendEvent(f.Edit3, &press);
    };
    type("中");
    QCOMPARE(f.Edit3->text(), QString());
    QCOMPARE(f.trainer().Entry.OperandText, std::string());
    type("Ж");  // a code page 1251 letter is an operand character like any other
    QCOMPARE(f.Edit3->text(), QString("Ж"));
    QCOMPARE(f.trainer().Entry.OperandText, std::string("\xC6"));
  }

  void keypad() {
    TForm2& f = Form();
    for (int b : {20, 11, 23, 22, 21}) f.Button[static_cast<size_t>(b)]->click();  // ADDR 8 2 1 0
    QCOMPARE(f.Edit1->text(), QString("8210"));
    QCOMPARE(f.trainer().m.PC, 0x8210);
    for (int b : {2, 24, 8}) f.Button[static_cast<size_t>(b)]->click();  // MEM 3 E
    QCOMPARE(f.Edit2->text(), QString("3E"));
    QCOMPARE(Cell(f, 0x11, 2), QString("3E"));
    f.Button[25]->click();  // NEXT
    QCOMPARE(f.Edit1->text(), QString("8211"));
    for (int b : {1, 3, 4}) f.Button[static_cast<size_t>(b)]->click();  // REG BRK CLR: nothing
    QCOMPARE(f.Edit1->text(), QString("8211"));
  }

  void stepRefreshesViewsAndBoxClicksDoNot() {
    TForm2& f = Form();
    QTest::mouseClick(f.CheckBox1, Qt::LeftButton);
    QCOMPARE(f.trainer().m.R.F, uint8_t{3});
    QCOMPARE(Reg(f, 8), QString("02"));  // the F row waits for STEP or RUN
    f.Button[10]->click();               // STEP on ADD B
    QCOMPARE(Reg(f, 8), QString("47"));
    QCOMPARE(f.Label1->text(), QString("F72F"));
    QCOMPARE(f.Edit1->text(), QString("8201"));
  }

  void runEndsOnRstPressedDuringTheRun() {
    TForm2& f = Form();
    TypeLine(f, "INR C", 0);
    f.StringGrid1->setCurrentIndex(f.StringGrid1->model()->index(0x100, 1));
    TypeLine(f, "JMP 8300", 0);
    QTimer::singleShot(5, f.Button[5], &QPushButton::click);
    f.Button[15]->click();
    QCOMPARE(f.trainer().m.PC, 0x8200);
    QCOMPARE(f.trainer().m.R.C, uint8_t{1});  // the first line ran once after RST
    QCOMPARE(f.Edit1->text(), QString("8200"));
  }

  void closingDuringARunEndsTheEventLoop() {
    TForm2& f = Form();
    TypeLine(f, "JMP 8200", 0);
    QTimer::singleShot(0, f.Button[15], &QPushButton::click);
    QTimer::singleShot(20, &f, &QWidget::close);
    QCOMPARE(QApplication::exec(), 0);  // returns: nothing keeps the program alive
    QVERIFY(!f.isVisible());
    QVERIFY(f.trainer().StopRequest);
  }

  void saveOpenNewAndPrint() {
    TForm2& f = Form();
    test::ScriptedDialogs& d = *dialogs_;
    TypeLine(f, "MVI A, 05", 0);
    d.names = {File("prog")};
    f.N4->trigger();
    QFile saved(File("prog.mem"));
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QCOMPARE(saved.size(), 30000);
    saved.close();

    // New, saving first: Yes, then the dialog is cancelled; memory is cleared all the same.
    d.answers = {true};
    d.names = {std::nullopt};
    f.N2->trigger();
    QCOMPARE(d.asked.last(), kSaveStateQuestion);
    QCOMPARE(Cell(f, 1, 1), QString("NOP"));
    QCOMPARE(f.Edit1->text(), QString("8200"));

    d.names = {File("prog.mem")};
    f.N3->trigger();
    QCOMPARE(Cell(f, 1, 1), QString("MVI A, 05"));
    QCOMPARE(f.Edit3->text(), QString("MVI A, 05"));

    // Save onto the same name: No shows the dialog again, which is then cancelled.
    d.answers = {false};
    d.names = {File("prog.mem"), std::nullopt};
    f.N4->trigger();
    QCOMPARE(d.asked.last(), kOverwriteQuestion);
    QVERIFY(d.names.empty());

    f.Button[25]->click();  // PC 8201: print two lines
    d.names = {File("list")};
    f.N9->trigger();
    QFile printed(File("list.txt"));
    QVERIFY(printed.open(QIODevice::ReadOnly));
    QCOMPARE(printed.readAll(),
             QByteArray("8200    MVI A, 05       3E\r\n8201                    05\r\n"));

    d.names = {File("missing.mem")};
    f.N3->trigger();
    QCOMPARE(d.errors, QStringList{"File not found"});
    QCOMPARE(Cell(f, 1, 1), QString("MVI A, 05"));

    // A name in a message is shown as the user chose it, Cyrillic letters and all.
    const QString nowhere = dir_.filePath(QStringLiteral("Нет папки/программа.txt"));
    d.names = {nowhere};
    f.N9->trigger();
    QCOMPARE(d.errors.last(), "Cannot create file " + nowhere);
  }

  void shiftMenu() {
    TForm2& f = Form();
    TypeLine(f, "HLT", 0);
    f.N8->trigger();
    QCOMPARE(Cell(f, 1, 1), QString("NOP"));
    QCOMPARE(Cell(f, 2, 1), QString("HLT"));
    QCOMPARE(f.Edit3->text(), QString("HLT"));  // the panel is not refreshed
    f.N10->trigger();
    QCOMPARE(Cell(f, 1, 1), QString("HLT"));
  }

  void aboutDialogs() {
    TForm2& f = Form();
    f.N13->trigger();
    f.N13->trigger();
    const auto dialogs = f.findChildren<TForm3*>();
    QCOMPARE(dialogs.size(), 2);
    QCOMPARE(dialogs[0]->StaticText3->text(), QString("Разработчик: Bervant"));
    QVERIFY(!dialogs[0]->isModal());
    dialogs[0]->Button1->click();
    QVERIFY(!dialogs[0]->isVisible());
    QVERIFY(dialogs[1]->isVisible());
    QCOMPARE(dialogs[1]->size(), QSize(313, 145));
  }

  void webFormTicksOnce() {
    TForm2& f = Form();
    QList<QUrl> opened;
    TForm4 web(&f, [&](const QUrl& u) {
      opened << u;
      return false;  // no browser: start-up goes on
    });
    QCOMPARE(opened, QList<QUrl>{GuidePage()});  // the guide, from the source tree here
    QCOMPARE(web.Timer1->interval(), 3000);
    QVERIFY(web.Timer1->isActive());
    web.Timer1Timer();
    QVERIFY(!(f.windowFlags() & Qt::WindowStaysOnTopHint));
    QVERIFY(!web.Timer1->isActive());
    QVERIFY(f.isVisible());
  }

  void titlePicture() {
    QFile f(":/title.jpg");
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    JpegInfo info;
    const auto image = DecodeJpeg(reinterpret_cast<const uint8_t*>(bytes.constData()),
                                  size_t(bytes.size()), &info);
    QVERIFY(image);
    QCOMPARE(info.width, 480);
    QCOMPARE(info.height, 371);
    QCOMPARE(info.components, 3);
    QByteArray broken = bytes.left(600);
    broken[300] = '\xFF';
    QVERIFY(
        !DecodeJpeg(reinterpret_cast<const uint8_t*>(broken.constData()), size_t(broken.size())));
    QVERIFY(!DecodeJpeg(reinterpret_cast<const uint8_t*>("not a jpeg"), 10));
    TForm1 splash;
    QVERIFY(splash.HasPicture());
    QVERIFY(splash.windowFlags() & Qt::FramelessWindowHint);
  }
};

QTEST_MAIN(AppTest)
#include "app_test.moc"
