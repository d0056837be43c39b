#include "app/guide.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include "tamrel_config.h"

namespace tamrel {

namespace {

bool Inside(const QString& dir, const QString& root) {
  const QString d = QFileInfo(dir).canonicalFilePath();
  const QString r = QFileInfo(root).canonicalFilePath();
  return !d.isEmpty() && !r.isEmpty() && (d == r || d.startsWith(r + u'/'));
}

bool IsFile(const QString& path) { return QFileInfo(path).isFile(); }

}  // namespace

QString FindGuide(const QString& programDir) {
  if (Inside(programDir, QStringLiteral(TAMREL_BINARY_DIR))) {
    const QString source = QStringLiteral(TAMREL_SOURCE_DIR "/docs/guide/index.html");
    if (IsFile(source)) return source;
  }
  const QString beside = QDir::cleanPath(programDir + QStringLiteral("/" TAMREL_GUIDE_FROM_BINDIR));
  if (IsFile(beside)) return beside;
  const QString installed = QStringLiteral(TAMREL_GUIDE_INSTALLED);
  if (IsFile(installed)) return installed;
  return {};
}

QUrl GuidePage() {
  const QString file = FindGuide(QCoreApplication::applicationDirPath());
  return file.isEmpty() ? QUrl() : QUrl::fromLocalFile(file);
}

}  // namespace tamrel
