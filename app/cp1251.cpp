#include "app/cp1251.h"

#include <algorithm>

#include "machine/text.h"

namespace tamrel {

namespace {

std::string_view View(const QByteArray& bytes) {
  return {bytes.constData(), static_cast<size_t>(bytes.size())};
}

}  // namespace

QString FromCp1251(std::string_view bytes) {
  // Listing texts are nearly always plain ASCII, which is Latin-1 as well.
  if (std::all_of(bytes.begin(), bytes.end(),
                  [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
  return QString::fromUtf8(Cp1251ToUtf8(bytes));
}

std::optional<std::string> ToCp1251(const QString& text) {
  return Utf8ToCp1251(View(text.toUtf8()));
}

std::string ToCp1251Lossy(const QString& text) {
  return Utf8ToCp1251Replacing(View(text.toUtf8()), '\x1A');
}

}  // namespace tamrel
