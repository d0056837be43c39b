#include "app/dialogs.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

namespace tamrel {

std::optional<QString> QtDialogs::SaveFileName(const QString& filter, const QString& suffix) {
  QFileDialog dlg(owner_);
  dlg.setAcceptMode(QFileDialog::AcceptSave);
  dlg.setNameFilter(filter);
  dlg.setDefaultSuffix(suffix);
  dlg.setOption(QFileDialog::DontConfirmOverwrite);  // the question is the trainer's own
  if (!lastSaved_.isEmpty()) dlg.selectFile(lastSaved_);
  if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return std::nullopt;
  lastSaved_ = dlg.selectedFiles().first();
  return lastSaved_;
}

std::optional<QString> QtDialogs::OpenFileName(const QString& filter) {
  QFileDialog dlg(owner_);
  dlg.setAcceptMode(QFileDialog::AcceptOpen);
  dlg.setFileMode(QFileDialog::AnyFile);  // a missing name is reported, not refused
  dlg.setNameFilter(filter);
  if (!lastOpened_.isEmpty()) dlg.selectFile(lastOpened_);
  if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return std::nullopt;
  lastOpened_ = dlg.selectedFiles().first();
  return lastOpened_;
}

bool QtDialogs::Ask(const QString& text) {
  QMessageBox box(QMessageBox::Question, QStringLiteral("Confirm"), text,
                  QMessageBox::Yes | QMessageBox::No, owner_);
  box.setDefaultButton(QMessageBox::Yes);
  box.setEscapeButton(QMessageBox::No);
  return box.exec() == QMessageBox::Yes;
}

void QtDialogs::ShowError(const QString& text) {
  QMessageBox box(QMessageBox::Critical, QStringLiteral("Tamrel Emul"), text, QMessageBox::Ok,
                  owner_);
  box.exec();
}

}  // namespace tamrel
