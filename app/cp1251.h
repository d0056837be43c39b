// The core keeps every text as code page 1251 bytes; Qt speaks Unicode. Converting happens
// here and nowhere else.
#pragma once

#include <QString>
#include <optional>
#include <string>
#include <string_view>

namespace tamrel {

QString FromCp1251(std::string_view bytes);
// Nothing when a character has no place in code page 1251.
std::optional<std::string> ToCp1251(const QString& text);

}  // namespace tamrel
