// tamrel-batch and the window's RUN on the same program, and Intel HEX through the file menu.
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include "app/form2.h"
#include "edit/lineentry.h"
#include "files/memfile.h"
#include "machine/numtext.h"
#include "support/dialogs_script.h"
#include "support/program.h"
#include "support/views.h"

using namespace tamrel;

namespace {

// The window, noting what the data display shows while a program runs (RUN lets events
// through before every line, so the last note is the display when the run ended).
class WatchedForm : public TForm2 {
 public:
  using TForm2::TForm2;
  QString shownWhileRunning;
  void ProcessEvents() override {
    shownWhileRunning = Edit2->text();
    TForm2::ProcessEvents();
  }
};

QJsonObject RunBatch(const QStringList& args) {
  QProcess p;
  p.start(QStringLiteral(TAMREL_BATCH_EXE), args);
  if (!p.waitForFinished(60000)) return {};
  const QByteArray out = p.readAllStandardOutput();
  QJsonParseError e{};
  const QJsonDocument doc = QJsonDocument::fromJson(out, &e);
  if (e.error != QJsonParseError::NoError || p.exitCode() != 0) {
    qWarning() << "tamrel-batch:" << p.exitCode() << out << p.readAllStandardError();
    return {};
  }
  return doc.object();
}

}  // namespace

class BatchAppTest : public QObject {
  Q_OBJECT

  QTemporaryDir dir_;
  QString File(const char* name) { return dir_.filePath(QString::fromLatin1(name)); }

  // A student's program, typed and saved without the window.
  void WriteProgram(const QString& path) {
    test::NullView view;
    Trainer t(view, test::NoSleep);
    BuildMachine(t, [] { return 0.0; });
    test::TypeProgram(
        t, t.Entry, 0x8200,
        {"LXI SP, 9000", "MVI A, 5A", "MVI B, 3C", "ADD B", "PUSH PSW", "LXI H, 8300", "MOV M, A",
         "CALL 0294", "CALL 8240", "POP D", "DAD D", "STA 8301", "XRA A", "NOP", "HLT"});
    test::TypeProgram(t, t.Entry, 0x8240, {"INR M", "MVI C, 07", "DCR C", "JNZ 8243", "RET"});
    QVERIFY(!SaveImage(t.listing, QFile::encodeName(path).toStdString()));
  }

 private slots:
  void batchAgreesWithTheWindowsRun() {
    const QString mem = File("student.mem");
    WriteProgram(mem);

    // The teacher's way by hand: Open, RUN, read the views.
    test::ScriptedDialogs dialogs;
    WatchedForm f(&dialogs, test::NoSleep);
    f.FormCreate([] { return 0.0; });  // every byte 00h, as the batch runner starts
    f.trainer().EventSlice = std::chrono::microseconds(0);
    dialogs.names = {mem};
    f.N3->trigger();
    QVERIFY(dialogs.errors.isEmpty());
    f.Button[15]->click();

    // And through the menu, the same program as Intel HEX.
    dialogs.names = {File("student")};
    f.N15->trigger();
    QCOMPARE(dialogs.filters.last(), QStringLiteral("Intel HEX (*.hex)"));

    const QStringList dump = {"--dump", "8300:8301", "--dump", "8FFC:8FFF"};
    const QJsonObject b = RunBatch(dump + QStringList{mem});
    const QJsonObject h = RunBatch(dump + QStringList{File("student.hex")});
    QVERIFY(!b.isEmpty() && !h.isEmpty());

    QCOMPARE(b["stop"].toString(), QString("hlt"));
    QCOMPARE(b["PC"].toString(), f.Edit1->text());
    QCOMPARE(b["SP"].toString(), f.Label1->text());
    const char* rows[] = {"A", "B", "C", "D", "E", "H", "L", "M", "F"};
    for (int row = 0; row < 9; ++row) {
      if (row == 7) continue;  // M is not reported: it always reads 00
      QCOMPARE(b[rows[row]].toString(), f.StringGrid2->item(row, 1)->text());
    }
    const QJsonObject flags = b["flags"].toObject();
    QCOMPARE(flags["CY"].toInt(), int(f.CheckBox1->isChecked()));
    QCOMPARE(flags["P"].toInt(), int(f.CheckBox2->isChecked()));
    QCOMPARE(flags["AC"].toInt(), int(f.CheckBox3->isChecked()));
    QCOMPARE(flags["Z"].toInt(), int(f.CheckBox4->isChecked()));
    QCOMPARE(flags["S"].toInt(), int(f.CheckBox5->isChecked()));
    QCOMPARE(b["data_display"].toString(), f.shownWhileRunning);
    QCOMPARE(f.shownWhileRunning, QString("96"));  // 5Ah + 3Ch, shown by 0294
    const QJsonObject memory = b["memory"].toObject();
    QCOMPARE(memory.size(), 6);
    for (int a : {0x8300, 0x8301, 0x8FFC, 0x8FFD, 0x8FFE, 0x8FFF}) {
      const QString key = QString::fromStdString(IntToHexText(a));
      QCOMPARE(memory[key].toString(),
               QString::fromLatin1(ByteText(f.trainer().m.Mem.Read(a)).data(), 2));
    }

    for (const char* key : {"stop", "lines", "PC", "SP", "A", "B", "C", "D", "E", "H", "L", "F",
                            "flags", "data_display", "memory"})
      QCOMPARE(h[key], b[key]);
  }

  void hexImportThroughTheMenu() {
    test::ScriptedDialogs dialogs;
    TForm2 f(&dialogs, test::NoSleep);
    f.FormCreate([] { return 0.5; });  // every byte 80h: ADD B
    QFile bad(File("bad.hex"));
    QVERIFY(bad.open(QIODevice::WriteOnly));
    bad.write(":028200003E0539\n:0182000076FF\n:00000001FF\n");
    bad.close();

    dialogs.names = {File("bad.hex")};
    f.N14->trigger();
    QCOMPARE(dialogs.filters.last(), QStringLiteral("Intel HEX (*.hex)"));
    QCOMPARE(
        dialogs.errors,
        QStringList{QString::fromUtf8("Строка 2: неверная контрольная сумма FF, должна быть 07")});
    QCOMPARE(f.StringGrid1->model()->index(0, 1).data().toString(), QString("ADD B"));

    QFile ok(File("ok.hex"));
    QVERIFY(ok.open(QIODevice::WriteOnly));
    ok.write(":020000040000FA\r\n:048200003E0576764B\r\n:00000001FF\r\n");
    ok.close();
    f.Button[25]->click();  // NEXT: PC 8201, so that the refresh shows
    dialogs.names = {File("ok.hex")};
    f.N14->trigger();
    QCOMPARE(dialogs.errors.size(), 1);
    QCOMPARE(f.StringGrid1->model()->index(0, 1).data().toString(), QString("MVI A, 05"));
    QCOMPARE(f.StringGrid1->model()->index(2, 1).data().toString(), QString("HLT"));
    QCOMPARE(f.StringGrid1->model()->index(4, 1).data().toString(), QString("ADD B"));
    QCOMPARE(f.Edit1->text(), QString("8201"));
    QCOMPARE(f.Edit2->text(), QString("05"));  // the panel is refreshed as after Open
    QCOMPARE(f.Edit3->text(), QString(""));
    QCOMPARE(f.N14->text().remove(u'&'), QString::fromUtf8("Импорт Intel HEX…"));
    QCOMPARE(f.N15->text().remove(u'&'), QString::fromUtf8("Экспорт Intel HEX…"));
  }
};

QTEST_MAIN(BatchAppTest)
#include "batch_app_test.moc"
