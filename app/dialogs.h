// The questions and file dialogs of the file menu, behind an interface so that tests can
// answer them.
#pragma once

#include <QString>
#include <QWidget>
#include <optional>

namespace tamrel {

class Dialogs {
 public:
  virtual ~Dialogs() = default;
  // Nothing when the user cancels.
  virtual std::optional<QString> SaveFileName(const QString& filter, const QString& suffix) = 0;
  virtual std::optional<QString> OpenFileName(const QString& filter) = 0;
  // A Yes/No question; Yes is the default button, Escape answers No.
  virtual bool Ask(const QString& text) = 0;
  virtual void ShowError(const QString& text) = 0;
};

class QtDialogs : public Dialogs {
 public:
  explicit QtDialogs(QWidget* owner) : owner_(owner) {}
  std::optional<QString> SaveFileName(const QString& filter, const QString& suffix) override;
  std::optional<QString> OpenFileName(const QString& filter) override;
  bool Ask(const QString& text) override;
  void ShowError(const QString& text) override;

 private:
  QWidget* owner_;
  QString lastSaved_, lastOpened_;  // each dialog offers the name chosen last time
};

inline const QString kOverwriteQuestion =
    QStringLiteral("Файл с указанным именем уже существует. Заменить его?");
inline const QString kSaveStateQuestion = QStringLiteral("Сохранить текущее состояние памяти");
inline const QString kMemFilter = QStringLiteral("Файлы памяти (*.mem)");
inline const QString kTxtFilter = QStringLiteral("txt (*.txt)");

}  // namespace tamrel
