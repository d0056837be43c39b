// Start-up: the command line is read before anything needs a display (--help, --version and
// mistakes answer and end there); then the splash builds the main window, the web form is
// created, a file named on the command line is opened as "Открыть" would open it (a .hex file
// as "Импорт Intel HEX" would), and the event loop runs until the main window closes.
#include <QApplication>

#include "app/form2.h"
#include "app/options.h"
#include "app/splash.h"
#include "app/translations.h"
#include "app/webform.h"

int main(int argc, char** argv) {
  const tamrel::CommandLine line = tamrel::ParseCommandLine(tamrel::ArgumentList(argc, argv));
  if (line.exit) return tamrel::Report(line);
  QApplication app(argc, argv);
  // The desktop entry's name, so that the desktop shows the window with its entry and icon.
  QGuiApplication::setDesktopFileName(QStringLiteral("org.tamrel.TamrelEmul"));
  QApplication::setApplicationName(QStringLiteral("Tamrel Emul"));
  QApplication::setWindowIcon(QIcon(QStringLiteral(":/tamrel-emul.png")));
  tamrel::LoadQtTranslations(app);  // without the catalogue the toolkit's texts stay English
  tamrel::TForm1 splash;
  auto form2 = splash.FormCreate(tamrel::ClockSeededRandom());
  tamrel::TForm4 webForm(
      form2.get(), line.options.webPage ? tamrel::TForm4::Opener() : tamrel::TForm4::OpenNothing);
  if (!line.options.file.isEmpty()) form2->OpenArgument(line.options.file);
  return QApplication::exec();
}
