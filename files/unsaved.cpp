#include "files/unsaved.h"

namespace tamrel {

void SavedImage::Remember(const Listing& l) { image_ = ImageBytes(l); }

bool SavedImage::Unsaved(const Listing& l) const { return ImageBytes(l) != image_; }

}  // namespace tamrel
