#include "app/options.h"

#include <QCommandLineParser>
#include <QFile>
#include <QFileInfo>
#include <cstdio>

#include "machine/text.h"
#include "tamrel_config.h"

namespace tamrel {

namespace {

// The toolkit's own command-line options that take a value, and those that do not. The
// application object removes them from the arguments; here they only must not count as
// mistakes or as a file name.
const char* const kToolkitValueOptions[] = {
    "platform",    "platformpluginpath", "platformtheme", "plugin",       "qwindowgeometry",
    "qwindowicon", "qwindowtitle",       "session",       "style",        "stylesheet",
    "display",     "geometry",           "title",         "qmljsdebugger"};
const char* const kToolkitFlags[] = {"reverse", "widgetcount", "nograb", "dograb", "sync"};

QString ProgramName(const QStringList& arguments) {
  const QString name = arguments.isEmpty() ? QString() : QFileInfo(arguments[0]).fileName();
  return name.isEmpty() ? QStringLiteral("tamrel-emul") : name;
}

}  // namespace

CommandLine ParseCommandLine(const QStringList& arguments) {
  QCommandLineParser p;
  p.setApplicationDescription(
      QStringLiteral("Tamrel Emul %1: a teaching emulator of an Intel 8080 single-board trainer.")
          .arg(QStringLiteral(TAMREL_VERSION)));
  // "-platform xcb" as the toolkit writes it; "-h" and "-v" are still found by their names.
  p.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
  const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                QStringLiteral("Show this help and exit."));
  const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                   QStringLiteral("Show the version and exit."));
  const QCommandLineOption noWebPage(
      QStringLiteral("no-web-page"),
      QStringLiteral("Do not open the guide in the web browser at start-up."));
  p.addOption(help);
  p.addOption(version);
  p.addOption(noWebPage);
  for (const char* name : kToolkitValueOptions) {
    QCommandLineOption o(QString::fromLatin1(name), QString(), QStringLiteral("value"));
    o.setFlags(QCommandLineOption::HiddenFromHelp);
    p.addOption(o);
  }
  for (const char* name : kToolkitFlags) {
    QCommandLineOption o(QString::fromLatin1(name));
    o.setFlags(QCommandLineOption::HiddenFromHelp);
    p.addOption(o);
  }
  p.addPositionalArgument(
      QStringLiteral("file"),
      QStringLiteral("A memory image (.mem) to open at start-up, as Файл > Открыть would."),
      QStringLiteral("[file]"));

  CommandLine c;
  const QString program = ProgramName(arguments);
  const auto mistake = [&](const QString& what) {
    c.exit = true;
    c.status = kUsageError;
    c.err = QStringLiteral("%1: %2\nTry '%1 --help' for more information.\n").arg(program, what);
    return c;
  };
  // --help and --version win over everything else on the line, mistakes included.
  const bool parsed = p.parse(arguments.isEmpty() ? QStringList{program} : arguments);
  if (p.isSet(help)) {
    c.exit = true;
    // The usage line names the program as it was called.
    QString text = p.helpText();
    const int eol = text.indexOf(u'\n');
    c.out = QStringLiteral("Usage: %1 [options] [file]").arg(program) + text.mid(eol);
    return c;
  }
  if (p.isSet(version)) {
    c.exit = true;
    c.out = QStringLiteral("Tamrel Emul %1\n").arg(QStringLiteral(TAMREL_VERSION));
    return c;
  }
  if (!parsed) return mistake(p.errorText());
  const QStringList files = p.positionalArguments();
  if (files.size() > 1)
    return mistake(QStringLiteral("only one file can be opened, not %1").arg(files.size()));
  if (!files.isEmpty()) c.options.file = files[0];
  c.options.webPage = !p.isSet(noWebPage);
  return c;
}

QStringList ArgumentList(int argc, const char* const* argv) {
  QStringList list;
  for (int i = 0; i < argc; ++i) list << FileNameText(argv[i]);
  return list;
}

namespace {

constexpr char16_t kEscape = 0xDC00;  // plus the byte: DC80h-DCFFh, never a character of its own

}  // namespace

QString FileNameText(std::string_view bytes) {
  QString text;
  text.reserve(static_cast<qsizetype>(bytes.size()));
  while (!bytes.empty()) {
    const size_t n = Utf8Length(bytes);
    if (n == 0)
      text += QChar(static_cast<char16_t>(kEscape + static_cast<unsigned char>(bytes[0])));
    else
      text += QString::fromUtf8(bytes.data(), static_cast<qsizetype>(n));
    bytes.remove_prefix(n == 0 ? 1 : n);
  }
  return text;
}

std::string FileNameBytes(const QString& name) {
  std::string bytes;
  QString run;  // text between escaped bytes, encoded as UTF-8 in one go
  for (qsizetype k = 0; k < name.size(); ++k) {
    const char16_t ch = name[k].unicode();
    if (QChar::isHighSurrogate(ch) && k + 1 < name.size() && name[k + 1].isLowSurrogate()) {
      run += name.mid(k++, 2);  // a character past FFFFh, whose second half may look escaped
    } else if (ch >= kEscape + 0x80 && ch <= kEscape + 0xFF) {
      bytes += run.toStdString();
      run.clear();
      bytes += static_cast<char>(ch - kEscape);
    } else {
      run += name[k];
    }
  }
  return bytes + run.toStdString();
}

int Report(const CommandLine& c) {
  std::fputs(c.out.toLocal8Bit().constData(), stdout);
  std::fputs(c.err.toLocal8Bit().constData(), stderr);
  std::fflush(stdout);
  return c.status;
}

}  // namespace tamrel
