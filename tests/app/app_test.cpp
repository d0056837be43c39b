// The window as a student meets it, driven through real widgets on the offscreen platform.
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QHeaderView>
#include <QMenu>
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

// The ways that replace the work in memory or end the program, and how to tell that one went
// on: the window closed, or its own file dialog was shown (the scripted names used up).
enum Way { kExit, kCloseBox, kOpen, kOpenText, kImport, kWays };
const struct {
  const char* name;
  std::function<void(TForm2&)> take;
} kWay[kWays] = {
    {"Выход", [](TForm2& f) { f.N6->trigger(); }},
    {"close box", [](TForm2& f) { f.close(); }},
    {"Открыть", [](TForm2& f) { f.N3->trigger(); }},
    {"Открыть текст программы", [](TForm2& f) { f.N18->trigger(); }},
    {"Импорт Intel HEX", [](TForm2& f) { f.N14->trigger(); }},
};
bool WentOn(TForm2& f, int way, const std::deque<std::optional<QString>>& namesLeft) {
  return way == kExit || way == kCloseBox ? !f.isVisible() : namesLeft.empty();
}

// What the user did since start-up, and whether Save would now write something else.
enum Edit { kNone, kTyped, kKeypad, kFlagBox, kRowSelected, kPasted, kRunWithSta, kEdits };
const struct {
  const char* name;
  bool unsaved;
} kEdit[kEdits] = {{"untouched", false},   {"typed", true},         {"keypad store", true},
                   {"flag box", false},    {"row selected", false}, {"pasted", true},
                   {"RUN wrote STA", true}};

void DoEdit(TForm2& f, int edit) {
  switch (edit) {
    case kTyped: TypeLine(f, "HLT", 0); break;
    case kKeypad:
      for (int b : {2, 24, 8}) f.Button[static_cast<size_t>(b)]->click();  // MEM 3 E
      break;
    case kFlagBox: QTest::mouseClick(f.CheckBox1, Qt::LeftButton); break;
    case kRowSelected: f.StringGrid1->setCurrentIndex(f.StringGrid1->model()->index(5, 1)); break;
    case kPasted: f.PasteProgram(QStringLiteral("NOP\nNOP")); break;
    case kRunWithSta: {
      // Typed at 8300h, kept, then run from there: only the run's STA changes the code column.
      f.StringGrid1SelectCell(1, 0x101);
      f.PasteProgram(QStringLiteral("STA 9000\nHLT"));
      f.trainer().m.R.A = 0x42;
      f.N4->trigger();
      f.StringGrid1SelectCell(1, 0x101);
      f.Button[15]->click();
      break;
    }
  }
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

  // Each way out after each kind of edit: the save-state question comes exactly when Save would
  // now write something else, and answered No the way goes on.
  void waysOutAskExactlyWhenWorkWouldBeLost_data() {
    QTest::addColumn<int>("way");
    QTest::addColumn<int>("edit");
    for (int way = 0; way < kWays; ++way)
      for (int edit = 0; edit < kEdits; ++edit)
        QTest::addRow("%s, %s", kWay[way].name, kEdit[edit].name) << way << edit;
  }

  void waysOutAskExactlyWhenWorkWouldBeLost() {
    QFETCH(int, way);
    QFETCH(int, edit);
    TForm2& f = Form();
    test::ScriptedDialogs& d = *dialogs_;
    d.names = {File("kept")};  // for the edit that saves before it runs
    DoEdit(f, edit);
    d.asked.clear();
    d.answers = {false};
    d.names = {std::nullopt};  // the way's own file dialog, cancelled
    kWay[way].take(f);
    QCOMPARE(d.asked, kEdit[edit].unsaved ? QStringList{kSaveStateQuestion} : QStringList{});
    QVERIFY(WentOn(f, way, d.names));
    QCOMPARE(d.errors, QStringList{});
  }

  // Yes saves first, as "Сохранить" does; a cancelled or failed save keeps the way from going on.
  void yesSavesFirstAndOnlyASavedFileLetsTheWayGoOn_data() {
    QTest::addColumn<int>("way");
    QTest::addColumn<QString>("saveAs");  // empty: the save dialog is cancelled
    QTest::addColumn<bool>("goesOn");
    for (int way = 0; way < kWays; ++way) {
      QTest::addRow("%s, saved", kWay[way].name) << way << "kept" << true;
      QTest::addRow("%s, save cancelled", kWay[way].name) << way << "" << false;
      QTest::addRow("%s, save failed", kWay[way].name) << way << "Нет папки/x" << false;
    }
  }

  void yesSavesFirstAndOnlyASavedFileLetsTheWayGoOn() {
    QFETCH(int, way);
    QFETCH(QString, saveAs);
    QFETCH(bool, goesOn);
    TForm2& f = Form();
    test::ScriptedDialogs& d = *dialogs_;
    QFile::remove(File("kept.mem"));
    TypeLine(f, "MVI A, 05", 0);
    d.answers = {true};
    d.names = {saveAs.isEmpty() ? std::nullopt : std::optional(dir_.filePath(saveAs)),
               std::nullopt};
    kWay[way].take(f);
    QCOMPARE(d.asked, QStringList{kSaveStateQuestion});
    QCOMPARE(WentOn(f, way, d.names), goesOn);
    QCOMPARE(d.errors.size(), saveAs.contains('/') ? 1 : 0);
    if (goesOn) {
      QFile saved(File("kept.mem"));
      QVERIFY(saved.open(QIODevice::ReadOnly));
      QCOMPARE(saved.read(2), QByteArray("\x3E\x05"));
    } else {
      QVERIFY(f.isVisible());
      d.asked.clear();
      d.answers = {false};
      d.names = {std::nullopt};
      kWay[way].take(f);  // still unsaved: asked again
      QCOMPARE(d.asked, QStringList{kSaveStateQuestion});
    }
  }

  // A way out taken while a program runs stops it first, then asks and goes on.
  void aWayOutStopsARunningProgramFirst() {
    TForm2& f = Form();
    test::ScriptedDialogs& d = *dialogs_;
    TypeLine(f, "JMP 8200", 0);
    d.names = {std::nullopt};
    QTimer::singleShot(20, &f, [&f] { f.N3->trigger(); });
    QTimer::singleShot(5000, &f, [&f] { f.trainer().StopRequest = true; });  // never hang
    f.Button[15]->click();  // returns once the run has ended
    QVERIFY(d.asked.isEmpty());
    QTRY_COMPARE(d.asked, QStringList{kSaveStateQuestion});
    QVERIFY(d.names.empty());  // and then the open dialog
    QCOMPARE(f.trainer().m.PC, 0x8200);
  }

  void pasteAProgramByKeyboard() {
    TForm2& f = Form();
    test::ScriptedDialogs& d = *dialogs_;
    QClipboard* clip = QGuiApplication::clipboard();
    QCOMPARE(f.N17->shortcut(), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_V));
    QCOMPARE(f.N7->actions().indexOf(f.N17), 0);
    QCOMPARE(f.N1->actions().indexOf(f.N18), f.N1->actions().indexOf(f.N3) + 1);

    // One line is a word for the entry line: pasted into it, stored nowhere, as before.
    clip->setText(QStringLiteral("HLT"));
    f.Edit3->clear();
    QTest::keySequence(f.Edit3, QKeySequence::Paste);
    QCOMPARE(f.Edit3->text(), QString("HLT"));
    QCOMPARE(Cell(f, 1, 1), QString("ADD B"));

    clip->setText(QStringLiteral("; countdown\r\nMVI B, 03\r\nDCR B\r\nJNZ 8202\r\nHLT\r\n"));
    QTest::keySequence(f.Edit3, QKeySequence::Paste);
    QCOMPARE(Cell(f, 1, 1), QString("MVI B, 03"));
    QCOMPARE(Cell(f, 4, 1), QString("JNZ 8202"));
    QCOMPARE(Cell(f, 7, 1), QString("HLT"));
    QCOMPARE(f.Edit1->text(), QString("8207"));  // past the program, the panel refreshed
    QCOMPARE(f.Edit3->text(), QString("ADD B"));
    QVERIFY(d.errors.isEmpty());

    // A line that does not assemble: the line and the reason, and nothing stored.
    clip->setText(QStringLiteral("NOP ; всё хорошо →\nmvi a, 05"));
    f.N17->trigger();
    QCOMPARE(d.errors, QStringList{"Строка 2: неизвестная команда «mvi a, 05»: команды пишутся "
                                   "заглавными буквами"});
    QCOMPARE(Cell(f, 0x08, 1), QString("ADD B"));
    QCOMPARE(f.Edit1->text(), QString("8207"));
  }

  void openAProgramText() {
    TForm2& f = Form();
    test::ScriptedDialogs& d = *dialogs_;
    // A print-out as the program writes it (code page 1251) and a text an editor wrote (UTF-8).
    QFile printout(File("list.txt"));
    QVERIFY(printout.open(QIODevice::WriteOnly));
    printout.write(
        "8300    MVI A, 05       3E\r\n8301                    05\r\n"
        "8302    \xCC\xCE\xC9             3e\r\n");
    printout.close();
    QFile written(File("prog.asm"));
    QVERIFY(written.open(QIODevice::WriteOnly));
    written.write(QStringLiteral("; сложение\nADD C ; сумма\n").toUtf8());
    written.close();

    d.names = {File("list.txt")};
    f.N18->trigger();
    QCOMPARE(d.errors, QStringList{});
    QCOMPARE(Cell(f, 0x101, 1), QString("MVI A, 05"));
    QCOMPARE(Cell(f, 0x103, 2), QString("3e"));
    QCOMPARE(f.Edit1->text(), QString("8303"));
    d.names = {File("prog.asm")};
    f.N18->trigger();
    QCOMPARE(Cell(f, 0x104, 1), QString("ADD C"));
    d.names = {File("missing.asm")};
    f.N18->trigger();
    QCOMPARE(d.errors, QStringList{"File not found"});

    f.N6->trigger();  // what was opened counts as kept
    QVERIFY(d.asked.isEmpty());
    QVERIFY(!f.isVisible());
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
