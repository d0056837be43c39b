#include "files/unsaved.h"

#include "machine/numtext.h"

namespace tamrel {

namespace {

// The byte Save writes for the row of image offset k.
uint8_t SavedByte(const Listing& l, size_t k) {
  return static_cast<uint8_t>(HexTextToInt(l.Code(static_cast<int64_t>(k) + 1)));
}

}  // namespace

void SavedImage::Remember(const Listing& l) {
  for (size_t k = 0; k < kImageSize; ++k) image_[k] = SavedByte(l, k);
}

bool SavedImage::Unsaved(const Listing& l) const {
  for (size_t k = 0; k < kImageSize; ++k)
    if (SavedByte(l, k) != image_[k]) return true;
  return false;
}

}  // namespace tamrel
