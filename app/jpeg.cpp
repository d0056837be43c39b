#include "app/jpeg.h"

#include <jpeglib.h>

#include <csetjmp>
#include <cstdio>

namespace tamrel {

namespace {

// libjpeg's default error handler ends the process; ours jumps back to the decoder instead.
struct ErrorManager {
  jpeg_error_mgr pub;
  std::jmp_buf jump;
};

[[noreturn]] void OnError(j_common_ptr cinfo) {
  std::longjmp(reinterpret_cast<ErrorManager*>(cinfo->err)->jump, 1);
}

// A warning means damaged data (libjpeg would paint the rest grey): treat it as a failure.
void OnEmit(j_common_ptr cinfo, int level) {
  if (level < 0) OnError(cinfo);
}

void OnMessage(j_common_ptr) {}

}  // namespace

std::optional<QImage> DecodeJpeg(const uint8_t* data, size_t size, JpegInfo* info) {
  if (data == nullptr || size == 0) return std::nullopt;
  jpeg_decompress_struct cinfo{};
  ErrorManager err{};
  cinfo.err = jpeg_std_error(&err.pub);
  err.pub.error_exit = OnError;
  err.pub.output_message = OnMessage;
  err.pub.emit_message = OnEmit;
  // Everything that must survive the jump back lives outside this frame's locals.
  static thread_local QImage image;
  image = QImage();
  if (setjmp(err.jump) != 0) {
    jpeg_destroy_decompress(&cinfo);
    image = QImage();
    return std::nullopt;
  }
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, data, static_cast<unsigned long>(size));
  jpeg_read_header(&cinfo, TRUE);
  if (info)
    *info = {static_cast<int>(cinfo.image_width), static_cast<int>(cinfo.image_height),
             cinfo.num_components};
  cinfo.out_color_space = JCS_RGB;
  jpeg_start_decompress(&cinfo);
  image = QImage(static_cast<int>(cinfo.output_width), static_cast<int>(cinfo.output_height),
                 QImage::Format_RGB888);
  while (cinfo.output_scanline < cinfo.output_height) {
    JSAMPROW row = image.scanLine(static_cast<int>(cinfo.output_scanline));
    jpeg_read_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  QImage result = image;
  image = QImage();
  return result;
}

}  // namespace tamrel
