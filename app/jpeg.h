// Decodes a JPEG held in memory with libjpeg. A damaged picture gives nothing, never a crash.
#pragma once

#include <QImage>
#include <cstddef>
#include <cstdint>
#include <optional>

namespace tamrel {

struct JpegInfo {
  int width = 0, height = 0, components = 0;
};

std::optional<QImage> DecodeJpeg(const uint8_t* data, size_t size, JpegInfo* info = nullptr);

}  // namespace tamrel
