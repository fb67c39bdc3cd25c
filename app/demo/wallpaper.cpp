#include "app/demo/wallpaper.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <vector>

#include <jpeglib.h>

namespace kv::demo {
namespace {

// libjpeg ends the process on an error unless its error handler leaves by a long jump; the jump only crosses
// libjpeg's own C frames, back to EncodeWallpaperJpeg.
struct ErrorManager {
  jpeg_error_mgr base;
  std::jmp_buf escape;
};

void LeaveOnError(j_common_ptr info) { std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->escape, 1); }

}  // namespace

std::string EncodeWallpaperJpeg(int width, int height) {
  if (width <= 0 || height <= 0) throw std::invalid_argument("the wallpaper needs a positive size");
  std::vector<unsigned char> pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      unsigned char* p =
          &pixels[(static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)) * 3];
      const int horizon = std::abs(y - height * 3 / 5);
      const int glow = horizon < height / 10 ? (height / 10 - horizon) * 600 / height : 0;
      p[0] = static_cast<unsigned char>(std::min(255, 20 + x * 40 / width + glow));
      p[1] = static_cast<unsigned char>(std::min(255, 60 + y * 80 / height + glow));
      p[2] = static_cast<unsigned char>(std::min(255, 120 + (width - x) * 100 / width + glow / 2));
    }

  jpeg_compress_struct info{};
  ErrorManager errors{};
  info.err = jpeg_std_error(&errors.base);
  errors.base.error_exit = LeaveOnError;
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  if (setjmp(errors.escape) != 0) {
    jpeg_destroy_compress(&info);
    std::free(buffer);
    throw std::runtime_error("the wallpaper picture could not be encoded");
  }
  jpeg_create_compress(&info);
  jpeg_mem_dest(&info, &buffer, &size);
  info.image_width = static_cast<JDIMENSION>(width);
  info.image_height = static_cast<JDIMENSION>(height);
  info.input_components = 3;
  info.in_color_space = JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, 85, TRUE);
  jpeg_start_compress(&info, TRUE);
  while (info.next_scanline < info.image_height) {
    JSAMPROW row = &pixels[static_cast<std::size_t>(info.next_scanline) * static_cast<std::size_t>(width) * 3];
    jpeg_write_scanlines(&info, &row, 1);
  }
  jpeg_finish_compress(&info);
  std::string bytes(reinterpret_cast<const char*>(buffer), size);
  jpeg_destroy_compress(&info);
  std::free(buffer);
  return bytes;
}

}  // namespace kv::demo
