// A student's self-check in the window: "Открыть задание…" with scripted dialogs, the lab's
// data in memory beside the typed program, "Проверить" on a copy that leaves the window's
// machine, listing, views and history as they were, and what the list gives a screen reader.
#include <QAccessible>
#include <QApplication>
#include <QMenu>
#include <QTemporaryDir>
#include <QtTest>

#include "app/form2.h"
#include "core/core.h"
#include "listing/opcodes.h"
#include "machine/numtext.h"
#include "support/dialogs_script.h"
#include "support/views.h"

using namespace tamrel;

namespace {

const QString kExamples = QStringLiteral(TAMREL_EXAMPLES_DIR "/");

// Everything of the window's machine and views a check could disturb.
struct Snapshot {
  Memory mem;
  TRegisters r;
  TFlags flags;
  int32_t pc, sp;
  uint64_t edits;
  size_t history;
  std::vector<std::string> rows;  // code and mnemonic of every row
  QStringList shown;              // the displays, the register view, the stack pointer
  bool marked;

  explicit Snapshot(TForm2& f) {
    const Trainer& t = f.trainer();
    mem = t.m.Mem;
    r = t.m.R;
    flags = t.m.Flags;
    pc = t.m.PC;
    sp = t.m.SP;
    edits = t.edits;
    history = t.history.Size(t);
    for (int64_t row = 0; row <= kLastRow; ++row)
      rows.push_back(t.listing.Code(row) + "|" + t.listing.Mnemonic(row));
    shown << f.Edit1->text() << f.Edit2->text() << f.Edit3->text() << f.Label1->text();
    for (int row = 0; row < 9; ++row) shown << f.StringGrid2->item(row, 1)->text();
    marked = t.listing.Marked(RowOfAddress(0x8209));
  }
  void ExpectSame(const Snapshot& o) const {
    QVERIFY(mem == o.mem);
    QVERIFY(r == o.r);
    QVERIFY(flags == o.flags);
    QCOMPARE(pc, o.pc);
    QCOMPARE(sp, o.sp);
    QCOMPARE(edits, o.edits);
    QCOMPARE(history, o.history);
    QVERIFY(rows == o.rows);
    QCOMPARE(shown, o.shown);
    QCOMPARE(marked, o.marked);
  }
};

// A byte of the student's program changed, its row decoded again as the window does.
void Store(Trainer& t, int32_t addr, uint8_t byte) {
  StoreByte(t, addr, byte, ByteText(byte));
  FullDisassembly(t.listing);
}

QStringList Lines(const QListWidget* list) {
  QStringList l;
  for (int i = 0; i < list->count(); ++i) l << list->item(i)->text();
  return l;
}

// What a screen reader reads from the result list, item by item.
QStringList Read(QListWidget* list) {
  QAccessibleInterface* acc = QAccessible::queryAccessibleInterface(list);
  QStringList l;
  for (int i = 0; i < acc->childCount(); ++i) l << acc->child(i)->text(QAccessible::Name);
  return l;
}

}  // namespace

class LabAppTest : public QObject {
  Q_OBJECT

  test::ScriptedDialogs dialogs_;
  std::unique_ptr<TForm2> form_;

  TForm2& OpenCountdown() {
    dialogs_.names = {kExamples + "countdown.lab"};
    form_->OpenLabAction->trigger();
    form_->OpenFile(kExamples + "countdown.mem");
    return *form_;
  }

 private slots:
  void init() {
    dialogs_ = {};
    form_ = std::make_unique<TForm2>(&dialogs_, test::NoSleep);
    form_->FormCreate([] { return 0.5; });
  }
  void cleanup() { form_.reset(); }

  void menusOfferTheLabAndTheCheck() {
    TForm2& f = *form_;
    QVERIFY(f.N1->actions().contains(f.OpenLabAction));
    QVERIFY(f.DebugMenu->actions().contains(f.CheckLabAction));
    QCOMPARE(f.CheckLabAction->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_R));
    QVERIFY(!f.CheckLabAction->isEnabled());       // no lab yet
    for (QAction* a : f.findChildren<QAction*>())  // Ctrl+R is the check's alone
      if (a != f.CheckLabAction) QVERIFY(a->shortcut() != f.CheckLabAction->shortcut());
  }

  void rightProgramMeetsEveryExpectation() {
    TForm2& f = OpenCountdown();
    QCOMPARE(dialogs_.filters, QStringList{"Задания (*.lab)"});
    QVERIFY(dialogs_.errors.isEmpty());
    QVERIFY(f.CheckLabAction->isEnabled());
    QVERIFY(f.LabView->isVisible());
    QVERIFY(f.LabView->Task->toPlainText().startsWith("Обратный отсчёт: DCR и JNZ\n\nНапишите"));

    // The window's state differs from the lab's start: PC elsewhere, registers, a breakpoint.
    f.trainer().m.R.B = 0x33;
    f.trainer().m.PC = 0x8205;
    ToggleBreakpoint(f.trainer(), RowOfAddress(0x8209));
    const Snapshot before(f);
    f.CheckLabAction->trigger();
    before.ExpectSame(Snapshot(f));

    QCOMPARE(
        Lines(f.LabView->Results),
        (QStringList{
            "Задание выполнено: соблюдены все условия (6)", "✓ остановка: HLT — найдено HLT",
            "✓ A = 05 — найдено 05", "✓ B = 00 — найдено 00", "✓ Z = 1 — найдено 1",
            "✓ не больше 30 строк — найдено 18", "✓ не больше 12 байтов программы — найдено 10",
            "Программа: HLT, строк 18, байтов 10"}));
    const QStringList read = Read(f.LabView->Results);
    QCOMPARE(read.size(), 8);
    QCOMPARE(read[0], "Задание выполнено: соблюдены все условия (6)");
    QCOMPARE(read[2], "соблюдено: A = 05 — найдено 05");
    QCOMPARE(f.LabView->Results->currentRow(), 0);

    // Ctrl+R from the lab's own window too, where the student reads the result.
    f.LabView->Results->clear();
    QApplication::setActiveWindow(f.LabView);
    QTest::keyClick(f.LabView->Results, Qt::Key_R, Qt::ControlModifier);
    QCOMPARE(f.LabView->Results->count(), 8);
  }

  void changedByteFailsWithTheValueFound() {
    TForm2& f = OpenCountdown();
    Store(f.trainer(), 0x8201, 0x04);  // MVI B, 04: one round short
    const Snapshot before(f);
    f.LabView->CheckButton->click();
    before.ExpectSame(Snapshot(f));
    const QStringList lines = Lines(f.LabView->Results);
    QCOMPARE(lines[0], "Задание не выполнено: не соблюдено условий 1 из 6");
    QCOMPARE(lines[2], "✗ A = 05 — найдено 04");
    QCOMPARE(lines[3], "✓ B = 00 — найдено 00");
    QCOMPARE(Read(f.LabView->Results)[2], "не соблюдено: A = 05 — найдено 04");
  }

  void endlessProgramSaysItDidNotStop() {
    TForm2& f = OpenCountdown();
    Store(f.trainer(), 0x8209, 0xC3);  // JMP 8209 instead of HLT
    Store(f.trainer(), 0x820A, 0x09);
    Store(f.trainer(), 0x820B, 0x82);
    f.CheckLabAction->trigger();
    const QStringList lines = Lines(f.LabView->Results);
    QCOMPARE(lines[1], "✗ остановка: HLT — найдено не остановилась за 1000 строк");
    QCOMPARE(lines.last(), "Программа: не остановилась за 1000 строк, строк 1000, байтов 12");
  }

  void labDataGoesInBesideTheTypedRows() {
    TForm2& f = *form_;
    Trainer& t = f.trainer();
    StoreByte(t, 0x8200, 0x3E, "3E");  // the student's first row
    StoreByte(t, 0x8310, 0x8E, "8E");  // an answer typed in beforehand
    f.Button[10]->click();             // a STEP to step back over
    QVERIFY(f.StepBackAction->isEnabled());
    const uint64_t edits = t.edits;
    dialogs_.names = {kExamples + "table-sum.lab"};
    f.OpenLabAction->trigger();
    QVERIFY(dialogs_.errors.isEmpty());
    const uint8_t table[] = {0x12, 0x05, 0x20, 0x0A, 0x33, 0x07, 0x11, 0x02};
    for (int k = 0; k < 8; ++k) QCOMPARE(t.m.Mem.Read(0x8300 + k), table[k]);
    QCOMPARE(t.listing.Code(RowOfAddress(0x8300)), std::string("12"));
    QCOMPARE(t.m.Mem.Read(0x8310), 0);  // wiped: the lab names it
    QCOMPARE(t.m.Mem.Read(0x8200), 0x3E);
    QCOMPARE(t.m.Mem.Read(0x82FF), 0x80);  // the random fill around stays
    QVERIFY(t.edits > edits);              // an edit: no stepping back over it
    QVERIFY(!f.StepBackAction->isEnabled());
  }

  void badLabShowsWhyAndKeepsTheLabOpen() {
    TForm2& f = OpenCountdown();
    QTemporaryDir dir;
    const struct {
      QString name;
      QByteArray text;
      QString error;
    } cases[] = {
        {"empty.lab", "", "Задание не читается как JSON: строка 1, знак 1"},
        {"title.lab", R"({"title": "", "task": "", "expect": {"stop": "HLT"}})",
         "Поле «title»: пустое название"},
    };
    for (const auto& c : cases) {
      QFile file(dir.filePath(c.name));
      QVERIFY(file.open(QIODevice::WriteOnly));
      file.write(c.text);
      file.close();
      dialogs_.errors.clear();
      dialogs_.names = {file.fileName()};
      f.OpenLabAction->trigger();
      QCOMPARE(dialogs_.errors, QStringList{c.error});
    }
    dialogs_.errors.clear();
    f.OpenLab(dir.filePath("missing.lab"));
    QCOMPARE(dialogs_.errors, QStringList{"File not found"});  // as Open says it
    // The lab opened before is still the one checked.
    QVERIFY(f.LabView->windowTitle().endsWith("Обратный отсчёт: DCR и JNZ"));
    f.CheckLabAction->trigger();
    QVERIFY(f.LabView->Results->item(0)->text().startsWith("Задание выполнено"));
  }
};

QTEST_MAIN(LabAppTest)
#include "lab_app_test.moc"
