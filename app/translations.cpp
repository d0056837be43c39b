#include "app/translations.h"

#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <cstring>

namespace tamrel {

namespace {

// The few toolkit texts of the file dialogs that Qt's own catalogue leaves in English (the
// kinds of entries in the file list). Qt's catalogue is asked first, so it wins where it has
// a text of its own.
class MissingQtTexts : public QTranslator {
 public:
  using QTranslator::QTranslator;
  bool isEmpty() const override { return false; }
  QString translate(const char* context, const char* source, const char* disambiguation,
                    int n) const override {
    Q_UNUSED(disambiguation);
    Q_UNUSED(n);
    if (!context || !source || std::strcmp(context, "QAbstractFileIconProvider") != 0) return {};
    static const struct {
      const char* english;
      const char* russian;
    } texts[] = {{"Drive", "Диск"},
                 {"File", "Файл"},
                 {"Folder", "Папка"},
                 {"Shortcut", "Ярлык"},
                 {"Unknown", "Неизвестный"}};
    for (const auto& t : texts)
      if (std::strcmp(source, t.english) == 0) return QString::fromUtf8(t.russian);
    return {};
  }
};

}  // namespace

bool LoadQtTranslations(QCoreApplication& app) {
  // Dates, sizes and file kinds in the file dialogs follow the language of the window.
  QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
  auto* qt = new QTranslator(&app);
  if (!qt->load(QStringLiteral("qtbase_ru"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    delete qt;
    return false;
  }
  // The last one installed is asked first.
  QCoreApplication::installTranslator(new MissingQtTexts(&app));
  return QCoreApplication::installTranslator(qt);
}

}  // namespace tamrel
