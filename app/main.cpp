// Start-up: the splash builds the main window, then the web form is created, then the event
// loop runs until the main window closes.
#include <QApplication>

#include "app/form2.h"
#include "app/splash.h"
#include "app/translations.h"
#include "app/webform.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Tamrel Emul"));
  QApplication::setWindowIcon(QIcon(QStringLiteral(":/tamrel-emul.png")));
  tamrel::LoadQtTranslations(app);  // without the catalogue the toolkit's texts stay English
  tamrel::TForm1 splash;
  auto form2 = splash.FormCreate(tamrel::ClockSeededRandom());
  tamrel::TForm4 webForm(form2.get());
  return QApplication::exec();
}
