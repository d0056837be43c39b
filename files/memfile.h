// Memory image files: exactly 30000 raw bytes, 8200h to F72Fh in address order, no header.
// Save writes the code column (what the listing shows), Open fills memory and the code
// column and decodes the listing anew, New clears both.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/core.h"
#include "files/disk.h"

namespace tamrel {

// The image holds every shown row: F730h is never saved or opened.
constexpr size_t kImageSize = kShownRows;

// The bytes of an image: rows 1..30000 of the code column, a text the conversion rejects as 00h.
std::string ImageBytes(const Listing& l);
// Opens an image given as bytes: fewer than 30000 give "Read beyond end of file" and change
// nothing, bytes past the 30000th are ignored.
std::optional<std::string> OpenImageBytes(Core& c, std::string_view bytes);

// Each returns the failure text, or nothing on success.
std::optional<std::string> SaveImage(const Listing& l, const std::string& path,
                                     WriteFn write = nullptr);
// The whole image is read first: a failed or short read changes nothing at all.
std::optional<std::string> OpenImage(Core& c, const std::string& path);
void NewImage(Core& c);

}  // namespace tamrel
