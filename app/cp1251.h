// The core keeps every text as code page 1251 bytes; Qt speaks Unicode. The window's texts
// cross over here, through the core's own converter (machine/text.h), and nowhere else.
#pragma once

#include <QString>
#include <optional>
#include <string>
#include <string_view>

namespace tamrel {

QString FromCp1251(std::string_view bytes);
// Nothing when a character has no place in code page 1251.
std::optional<std::string> ToCp1251(const QString& text);
// Each character without a place there as 1Ah (SUB), as code page converters substitute it.
std::string ToCp1251Lossy(const QString& text);

}  // namespace tamrel
