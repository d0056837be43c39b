#include "app/cp1251.h"

#include <QStringDecoder>
#include <QStringEncoder>
#include <algorithm>

namespace tamrel {

QString FromCp1251(std::string_view bytes) {
  // Listing texts are nearly always plain ASCII; skip the converter for those.
  if (std::all_of(bytes.begin(), bytes.end(),
                  [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
  QStringDecoder decoder("windows-1251");
  return decoder.decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
}

std::optional<std::string> ToCp1251(const QString& text) {
  QStringEncoder encoder("windows-1251");
  const QByteArray bytes = encoder.encode(text);
  if (encoder.hasError()) return std::nullopt;
  return bytes.toStdString();
}

}  // namespace tamrel
