// The command line, the guide's place and opening a file named on the command line, on the
// offscreen platform.
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>
#include <cstdio>
#include <deque>

#include "app/form2.h"
#include "app/guide.h"
#include "app/options.h"
#include "app/webform.h"
#include "support/views.h"

using namespace tamrel;

namespace {

// Names the file to open and keeps the error texts shown.
struct OpenDialogs : Dialogs {
  std::deque<QString> names;
  QStringList errors;
  std::optional<QString> SaveFileName(const QString&, const QString&) override { return {}; }
  std::optional<QString> OpenFileName(const QString&) override {
    if (names.empty()) return std::nullopt;
    QString n = names.front();
    names.pop_front();
    return n;
  }
  bool Ask(const QString&) override { return false; }
  void ShowError(const QString& text) override { errors << text; }
};

// A started main window with its own dialogs.
struct Window {
  OpenDialogs dialogs;
  TForm2 form{&dialogs, test::NoSleep};
  Window() {
    form.FormCreate([] { return 0.5; });
  }  // every byte 80h
};

// Everything Open may change: memory, both listing columns, the three displays.
QByteArray State(TForm2& f) {
  QByteArray s;
  const Trainer& t = f.trainer();
  for (int row = 1; row <= kLastRow; ++row) {
    s += char(t.m.Mem.Read(AddressOfRow(row)));
    s += QByteArray::fromStdString(t.listing.Code(row) + '|' + t.listing.Mnemonic(row) + '|');
  }
  return s + (f.Edit1->text() + '|' + f.Edit2->text() + '|' + f.Edit3->text()).toUtf8();
}

bool Write(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

QStringList Args(std::initializer_list<const char*> list) {
  QStringList args{QStringLiteral("/usr/bin/tamrel-emul")};
  for (const char* a : list) args << QString::fromUtf8(a);
  return args;
}

}  // namespace

class CommandLineTest : public QObject {
  Q_OBJECT

 private slots:
  void startsAsToldOrEndsWithATextAndAStatus_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<bool>("exit");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("webPage");
    QTest::addColumn<QString>("out");  // a pattern; empty for nothing printed
    QTest::addColumn<QString>("err");
    const QString usage = QStringLiteral("^Usage: tamrel-emul \\[options\\] \\[file\\]\\n");
    const QString version = QStringLiteral("^Tamrel Emul \\d+\\.\\d+\\.\\d+\\n$");
    QTest::newRow("nothing") << Args({}) << false << 0 << "" << true << ""
                             << "";
    QTest::newRow("a file") << Args({"prog.mem"}) << false << 0 << "prog.mem" << true << ""
                            << "";
    QTest::newRow("no page") << Args({"--no-web-page"}) << false << 0 << "" << false << ""
                             << "";
    QTest::newRow("file, then no page")
        << Args({"a b.mem", "--no-web-page"}) << false << 0 << "a b.mem" << false << ""
        << "";
    QTest::newRow("toolkit options")
        << Args({"-platform", "offscreen", "-style=fusion", "-reverse", "x.mem"}) << false << 0
        << "x.mem" << true << ""
        << "";
    QTest::newRow("a name like an option")
        << Args({"--", "-x.mem"}) << false << 0 << "-x.mem" << true << ""
        << "";
    QTest::newRow("a Cyrillic name")
        << Args({"пример.mem"}) << false << 0 << "пример.mem" << true << ""
        << "";
    QTest::newRow("help") << Args({"--help"}) << true << 0 << "" << true << usage << "";
    QTest::newRow("help lists the options")
        << Args({"-h"}) << true << 0 << "" << true
        << "-h, --help.*-v, --version.*--no-web-page[^\\n]*guide.*\\n  file +A memory image"
        << "";
    QTest::newRow("help hides the toolkit's options")
        << Args({"--help"}) << true << 0 << "" << true << "^((?!platform|stylesheet).)*$"
        << "";
    QTest::newRow("help wins over a mistake")
        << Args({"--bogus", "--help"}) << true << 0 << "" << true << usage << "";
    QTest::newRow("version") << Args({"--version"}) << true << 0 << "" << true << version << "";
    QTest::newRow("version with a file")
        << Args({"x.mem", "-v"}) << true << 0 << "" << true << version << "";
    QTest::newRow("unknown option")
        << Args({"--bogus"}) << true << kUsageError << "" << true << ""
        << "^tamrel-emul: Unknown option 'bogus'.\\nTry 'tamrel-emul --help' for more "
           "information.\\n$";
    QTest::newRow("two files") << Args({"a.mem", "b.mem"}) << true << kUsageError << "" << true
                               << ""
                               << "^tamrel-emul: only one file can be opened, not 2\\n";
    QTest::newRow("a value for a switch")
        << Args({"--no-web-page=1"}) << true << kUsageError << "" << true << ""
        << "no-web-page";
  }

  void startsAsToldOrEndsWithATextAndAStatus() {
    QFETCH(QStringList, args);
    QFETCH(bool, exit);
    QFETCH(int, status);
    QFETCH(QString, file);
    QFETCH(bool, webPage);
    QFETCH(QString, out);
    QFETCH(QString, err);
    const CommandLine c = ParseCommandLine(args);
    QCOMPARE(c.exit, exit);
    QCOMPARE(c.status, status);
    QCOMPARE(c.options.file, file);
    QCOMPARE(c.options.webPage, webPage);
    const auto matches = [](const QString& text, const QString& pattern) {
      if (pattern.isEmpty()) return text.isEmpty();
      return QRegularExpression(pattern, QRegularExpression::DotMatchesEverythingOption)
          .match(text)
          .hasMatch();
    };
    QVERIFY2(matches(c.out, out), qPrintable(c.out));
    QVERIFY2(matches(c.err, err), qPrintable(c.err));
  }

  void argumentsAreDecodedAsFileNames() {
    const char* argv[] = {"tamrel-emul", "\xD0\xBF\xD1\x80\xD0\xB8.mem", "--no-web-page"};
    QCOMPARE(ArgumentList(3, argv),
             (QStringList{"tamrel-emul", QString::fromUtf8("при.mem"), "--no-web-page"}));
  }

  // Whatever bytes a name is made of, the window opens exactly those: a name from an old disk
  // in code page 1251 is not valid UTF-8.
  void fileNamesKeepTheirBytes_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("utf8");
    QTest::newRow("ASCII") << QByteArray("image.mem") << true;
    QTest::newRow("Cyrillic UTF-8") << QByteArray("\xD0\xBF\xD1\x80\xD0\xB8.mem") << true;
    QTest::newRow("four-byte character") << QByteArray("\xF0\x9F\x98\x80") << true;
    // Its second UTF-16 half is DCBAh, which alone would stand for the byte BAh.
    QTest::newRow("second half like a byte") << QByteArray("\xF0\xBA\xB2\xBA") << true;
    QTest::newRow("code page 1251") << QByteArray("\xCF\xF0\xE8\xEC\xE5\xF0.mem") << false;
    QTest::newRow("code page 1251 ya") << QByteArray("\xFF.mem") << false;  // the last escape
    QTest::newRow("lone continuation") << QByteArray(
                                              "a\x80"
                                              "b")
                                       << false;
    QTest::newRow("overlong slash") << QByteArray("\xC0\xAF") << false;
    QTest::newRow("encoded surrogate") << QByteArray("\xED\xA0\x80") << false;
    QTest::newRow("past 10FFFF") << QByteArray("\xF4\x90\x80\x80") << false;
    QTest::newRow("cut short") << QByteArray("x\xE2\x82") << false;
    QTest::newRow("escape's own UTF-8 text") << QByteArray("\xED\xB3\x8F") << false;
  }

  void fileNamesKeepTheirBytes() {
    QFETCH(QByteArray, bytes);
    QFETCH(bool, utf8);
    const QString text = FileNameText(bytes.toStdString());
    QCOMPARE(QByteArray::fromStdString(FileNameBytes(text)), bytes);
    if (utf8) QCOMPARE(text, QString::fromUtf8(bytes));
  }

  void aFileInAnotherEncodingOpensFromTheCommandLine() {
    QTemporaryDir dir;
    const std::string path = QFile::encodeName(dir.path()).toStdString() + "/\xCF\xF0\xE8.mem";
    QByteArray image(30000, '\x00');
    image[0] = '\x3E';
    image[1] = '\x07';
    {
      std::FILE* f = std::fopen(path.c_str(), "wb");
      QVERIFY(f != nullptr);
      QCOMPARE(std::fwrite(image.data(), 1, 30000, f), size_t{30000});
      std::fclose(f);
    }
    const char* argv[] = {"tamrel-emul", path.c_str()};
    const CommandLine c = ParseCommandLine(ArgumentList(2, argv));
    Window w;
    w.form.OpenFile(c.options.file);
    std::remove(path.c_str());  // a name the temporary folder could not spell to remove it
    QCOMPARE(w.dialogs.errors, QStringList{});
    QCOMPARE(w.form.Edit3->text(), QString("MVI A, 07"));
  }

  // A file named on the command line is opened exactly as "Открыть" opens the same name: the
  // same state after it and the same messages, and nothing changed when it fails.
  void aFileArgumentOpensAsOpenWould_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("errors");
    QTest::newRow("an image") << "image.mem" << QStringList{};
    QTest::newRow("a longer file") << "long.mem" << QStringList{};
    QTest::newRow("missing") << "missing.mem" << QStringList{"File not found"};
    QTest::newRow("short") << "short.mem" << QStringList{"Read beyond end of file"};
    QTest::newRow("empty") << "empty.mem" << QStringList{"Read beyond end of file"};
    QTest::newRow("no such folder") << "nowhere/x.mem" << QStringList{"Invalid filename"};
  }

  void aFileArgumentOpensAsOpenWould() {
    QFETCH(QString, name);
    QFETCH(QStringList, errors);
    QTemporaryDir dir;
    QByteArray image(30000, '\x76');  // HLT everywhere
    image[0] = '\x3E';                // MVI A, 05 at 8200h
    image[1] = '\x05';
    QVERIFY(Write(dir.filePath("image.mem"), image));
    QVERIFY(Write(dir.filePath("long.mem"), image + QByteArray(100, '\x00')));
    QVERIFY(Write(dir.filePath("short.mem"), image.left(100)));
    QVERIFY(Write(dir.filePath("empty.mem"), {}));
    const QString path = dir.filePath(name);

    Window byMenu, byArgument;
    const QByteArray before = State(byArgument.form);
    byMenu.dialogs.names = {path};
    byMenu.form.N3->trigger();
    const CommandLine c = ParseCommandLine({QStringLiteral("tamrel-emul"), path});
    QVERIFY(!c.exit);
    byArgument.form.OpenFile(c.options.file);

    QCOMPARE(byArgument.dialogs.errors, errors);
    QCOMPARE(byMenu.dialogs.errors, errors);
    QVERIFY(State(byArgument.form) == State(byMenu.form));
    if (errors.isEmpty()) {
      QCOMPARE(byArgument.form.Edit3->text(), QString("MVI A, 05"));
      QCOMPARE(byArgument.form.Edit1->text(), QString("8200"));
    } else {
      QVERIFY(State(byArgument.form) == before);
    }
  }

  void guideIsTheSourceCopyInTheBuildTree() {
    const QString source = QStringLiteral(TAMREL_SOURCE_DIR "/docs/guide/index.html");
    QCOMPARE(FindGuide(QCoreApplication::applicationDirPath()), source);
    QCOMPARE(GuidePage(), QUrl::fromLocalFile(source));
  }

  // Installed under any prefix, the program finds the guide beside it.
  void guideIsFoundFromAnInstalledProgram() {
    QTemporaryDir prefix;
    QVERIFY(QDir(prefix.path()).mkpath(QStringLiteral("bin")));
    QVERIFY(QDir(prefix.path()).mkpath(QStringLiteral(TAMREL_DOCDIR "/guide")));
    const QString guide = prefix.filePath(QStringLiteral(TAMREL_DOCDIR "/guide/index.html"));
    QVERIFY(FindGuide(prefix.filePath(QStringLiteral("bin"))) != guide);  // not yet there
    QVERIFY(Write(guide, "<html></html>"));
    QCOMPARE(FindGuide(prefix.filePath(QStringLiteral("bin"))), guide);
  }

  // The installed guide is index.html, en.html and img/: every page they link to and every
  // picture they show must be one of those.
  void guideLinksStayInsideTheGuide() {
    const QDir guide(QStringLiteral(TAMREL_SOURCE_DIR "/docs/guide"));
    const QRegularExpression ref(QStringLiteral("(?:href|src)=\"([^\"#]+)[^\"]*\""));
    for (const QString page : {"index.html", "en.html"}) {
      QFile f(guide.filePath(page));
      QVERIFY(f.open(QIODevice::ReadOnly));
      const QString html = QString::fromUtf8(f.readAll());
      int local = 0;
      for (const auto& m : ref.globalMatch(html)) {
        const QString target = m.captured(1);
        if (target.contains(QStringLiteral("://")) || target.startsWith(u'/') ||
            target.startsWith(QStringLiteral("mailto:")))
          continue;
        ++local;
        QVERIFY2(
            target == "index.html" || target == "en.html" ||
                (target.startsWith("img/") && target.endsWith(".png") && !target.contains("..")),
            qPrintable(page + ": " + target));
        QVERIFY2(QFileInfo::exists(guide.filePath(target)), qPrintable(page + ": " + target));
      }
      QVERIFY(local > 0);
    }
  }

  void helpMenuOpensTheGuide() {
    Window w;
    TForm2& f = w.form;
    QCOMPARE(f.N16->text().remove(u'&'), QString("Руководство"));
    QCOMPARE(f.N16->shortcut(), QKeySequence(QKeySequence::HelpContents));
    QCOMPARE(f.N12->actions().indexOf(f.N16), 0);
    QCOMPARE(f.N12->actions().indexOf(f.N13), 1);
    QList<QUrl> opened;
    bool browser = true;
    f.OpenUrl = [&](const QUrl& u) {
      opened << u;
      return browser;
    };
    f.N16->trigger();
    QCOMPARE(opened, QList<QUrl>{GuidePage()});
    QVERIFY(opened[0].isLocalFile() && QFileInfo(opened[0].toLocalFile()).isFile());
    QVERIFY(w.dialogs.errors.isEmpty());
    browser = false;  // nothing took it: the user learns where the guide is
    f.N16->trigger();
    QCOMPARE(w.dialogs.errors, QStringList{kGuideNotOpened.arg(GuidePage().toLocalFile())});
  }
};

QTEST_MAIN(CommandLineTest)
#include "command_line_test.moc"
