// The file menu and whole programs pasted in: the core reads, checks and writes; the window asks
// and shows. Every way that would replace the work in memory or end the program (Open, Intel
// HEX import, opening a program text, Exit, the close box) first stops a running program and,
// when the work is unsaved (files/unsaved.h), asks the question New asks.
#include <QClipboard>
#include <QFileInfo>
#include <QGuiApplication>
#include <QTimer>

#include "app/cp1251.h"
#include "app/form2.h"
#include "app/options.h"
#include "edit/programtext.h"
#include "files/ihex.h"
#include "files/printout.h"
#include "machine/text.h"

namespace tamrel {

namespace {

std::string Path(const QString& name) { return FileNameBytes(name); }

const QString kHexFilter = QStringLiteral("Intel HEX (*.hex)");
const QString kProgramFilter = QStringLiteral("Текст программы (*.txt *.asm)");

// A text in the trainer's code page; a character that has no place there becomes '?', which no
// line accepts outside a comment, so a comment may hold anything.
std::string ProgramBytes(const QString& text) {
  return Utf8ToCp1251Replacing(text.toUtf8().toStdString(), '?');
}

// A program text file: UTF-8 when it is valid UTF-8, else code page 1251 as the print-out writes.
std::string FileProgramBytes(const std::string& bytes) {
  return IsUtf8(bytes) ? Utf8ToCp1251Replacing(bytes, '?') : bytes;
}

}  // namespace

void TForm2::ShowFailure(const std::optional<std::string>& err, const QString& name) {
  if (!err) return;
  // The core's texts are code page 1251, but a file name in them is the file system's bytes
  // of the name: that part is not decoded, the chosen name itself takes its place.
  const std::string path = Path(name);
  if (!name.isEmpty() && err->ends_with(path))
    dialogs_->ShowError(FromCp1251(std::string_view(*err).substr(0, err->size() - path.size())) +
                        name);
  else
    dialogs_->ShowError(FromCp1251(*err));
}

bool TForm2::SaveTo(const QString& filter, const QString& suffix,
                    const std::function<std::optional<std::string>(const std::string&)>& write) {
  for (;;) {
    const auto name = dialogs_->SaveFileName(filter, suffix);
    if (!name) return false;
    if (QFileInfo::exists(*name) && !dialogs_->Ask(kOverwriteQuestion)) continue;
    const auto err = write(Path(*name));
    ShowFailure(err, *name);
    if (err) return false;
    saved_.Remember(t_.listing);
    return true;
  }
}

bool TForm2::SaveMemory() {
  return SaveTo(kMemFilter, QStringLiteral("mem"),
                [this](const std::string& path) { return SaveImage(t_.listing, path); });
}

bool TForm2::MayLeave(const std::function<void()>& again) {
  if (t_.history.Recording()) {  // inside a RUN, which lets events through between its lines
    t_.StopRequest = true;
    QTimer::singleShot(0, this, again);
    return false;
  }
  return !saved_.Unsaved(t_.listing) || !dialogs_->Ask(kSaveStateQuestion) || SaveMemory();
}

void TForm2::Loaded(const std::optional<std::string>& err, const QString& name) {
  if (!err) {
    RefreshPanel(t_);
    saved_.Remember(t_.listing);
  }
  ShowFailure(err, name);
}

void TForm2::N2Click() {
  // New asks whether or not anything is unsaved, and goes on even when Save is cancelled.
  if (dialogs_->Ask(kSaveStateQuestion)) SaveMemory();
  NewImage(t_);
  saved_.Remember(t_.listing);
}

void TForm2::N3Click() {
  if (!MayLeave([this] { N3Click(); })) return;
  if (const auto name = dialogs_->OpenFileName(kMemFilter)) OpenFile(*name);
}

void TForm2::OpenFile(const QString& name) { Loaded(OpenImage(t_, Path(name)), name); }

void TForm2::OpenArgument(const QString& name) {
  if (name.endsWith(QStringLiteral(".hex"), Qt::CaseInsensitive))
    ImportFile(name);
  else
    OpenFile(name);
}

void TForm2::N4Click() { SaveMemory(); }

void TForm2::N9Click() {
  const auto name = dialogs_->SaveFileName(kTxtFilter, QStringLiteral("txt"));
  if (!name || (QFileInfo::exists(*name) && !dialogs_->Ask(kOverwriteQuestion))) return;
  ShowFailure(PrintListing(t_.listing, t_.m.PC, Path(*name)), *name);
}

void TForm2::N14Click() {
  if (!MayLeave([this] { N14Click(); })) return;
  if (const auto name = dialogs_->OpenFileName(kHexFilter)) ImportFile(*name);
}

void TForm2::ImportFile(const QString& name) { Loaded(ImportHex(t_, Path(name)), name); }

void TForm2::N15Click() {
  SaveTo(kHexFilter, QStringLiteral("hex"),
         [this](const std::string& path) { return ExportHex(t_.listing, path); });
}

// ---- whole programs ----

bool TForm2::ClipboardHoldsProgram() const {
  QString text = QGuiApplication::clipboard()->text();
  while (text.endsWith(u'\n') || text.endsWith(u'\r')) text.chop(1);
  return text.contains(u'\n') || text.contains(u'\r');
}

void TForm2::N17Click() { PasteProgram(QGuiApplication::clipboard()->text()); }

void TForm2::PasteProgram(const QString& text) {
  const auto err = PasteProgramText(t_, ProgramBytes(text));
  if (!err) RefreshPanel(t_);
  ShowFailure(err);
}

void TForm2::N18Click() {
  if (!MayLeave([this] { N18Click(); })) return;
  const auto name = dialogs_->OpenFileName(kProgramFilter);
  if (!name) return;
  std::string bytes;
  std::optional<std::string> err;
  if (const auto failed = ReadFileBytes(Path(*name), bytes))
    err = FileErrorText(*failed, Path(*name));
  else
    err = PasteProgramText(t_, FileProgramBytes(bytes));
  Loaded(err, *name);
}

}  // namespace tamrel
