// JPEG through libjpeg-turbo, in memory. The library reports a fatal error by calling error_exit, which must not
// return; ours jumps back to the call with the library's message. Nothing with a destructor lives between the
// jump's set-up and the library calls, so the jump skips no clean-up: buffers are made before and freed after.

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <jpeglib.h>

#include "platform/picture.h"

namespace kv::picture {

namespace {

struct ErrorManager {
  jpeg_error_mgr base;
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
};

void JumpBack(j_common_ptr info) {
  auto* errors = reinterpret_cast<ErrorManager*>(info->err);
  (*info->err->format_message)(info, errors->message);
  std::longjmp(errors->jump, 1);
}

// Warnings (a damaged but still readable stream) are not failures.
void Quiet(j_common_ptr, int) {}

void SetUp(ErrorManager& errors) {
  jpeg_std_error(&errors.base);
  errors.base.error_exit = JumpBack;
  errors.base.emit_message = Quiet;
  errors.message[0] = '\0';
}

// Returns false with the library's message in errors.message; image.rgb is sized by the caller's second pass.
bool DecodeInto(const Bytes& data, Image& image, ErrorManager& errors, jpeg_decompress_struct& info) {
  if (setjmp(errors.jump)) {
    jpeg_destroy_decompress(&info);
    return false;
  }
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, data.data(), static_cast<unsigned long>(data.size()));
  jpeg_read_header(&info, TRUE);
  info.out_color_space = JCS_RGB;
  jpeg_start_decompress(&info);
  image.width = static_cast<int>(info.output_width);
  image.height = static_cast<int>(info.output_height);
  // The buffer was reserved before the jump point for the size the header gives (see DecodeJpeg).
  if (image.rgb.size() != static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height) * 3) {
    jpeg_destroy_decompress(&info);
    return true;  // the caller sizes the buffer and calls again
  }
  while (info.output_scanline < info.output_height) {
    JSAMPROW row = image.rgb.data() + static_cast<std::size_t>(info.output_scanline) * image.width * 3;
    jpeg_read_scanlines(&info, &row, 1);
  }
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  return true;
}

bool EncodeInto(const Image& image, int quality, unsigned char** buffer, unsigned long* size, ErrorManager& errors,
                jpeg_compress_struct& info) {
  if (setjmp(errors.jump)) {
    jpeg_destroy_compress(&info);
    return false;
  }
  jpeg_create_compress(&info);
  jpeg_mem_dest(&info, buffer, size);
  info.image_width = static_cast<JDIMENSION>(image.width);
  info.image_height = static_cast<JDIMENSION>(image.height);
  info.input_components = 3;
  info.in_color_space = JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, quality, TRUE);
  jpeg_start_compress(&info, TRUE);
  while (info.next_scanline < info.image_height) {
    JSAMPROW row = const_cast<JSAMPLE*>(image.rgb.data()) + static_cast<std::size_t>(info.next_scanline) * image.width * 3;
    jpeg_write_scanlines(&info, &row, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  return true;
}

}  // namespace

Image DecodeJpeg(const Bytes& data) {
  if (FormatOf(data) != Format::Jpeg) throw PictureError("not a readable JPEG: no start-of-image marker");
  Image image;
  // First pass: the size; second pass: the pixels into a buffer of that size.
  for (int pass = 0; pass < 2; ++pass) {
    ErrorManager errors;
    SetUp(errors);
    jpeg_decompress_struct info{};
    info.err = &errors.base;
    if (!DecodeInto(data, image, errors, info)) throw PictureError(std::string("not a readable JPEG: ") + errors.message);
    if (pass == 0) image.rgb.assign(static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height) * 3, 0);
  }
  return image;
}

Bytes EncodeJpeg(const Image& image, int quality) {
  if (image.width <= 0 || image.height <= 0 ||
      image.rgb.size() != static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height) * 3)
    throw PictureError("an empty or inconsistent image cannot be written as a JPEG");
  ErrorManager errors;
  SetUp(errors);
  jpeg_compress_struct info{};
  info.err = &errors.base;
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  const bool ok = EncodeInto(image, quality, &buffer, &size, errors, info);
  Bytes out;
  if (ok && buffer) out.assign(buffer, buffer + size);
  std::free(buffer);
  if (!ok) throw PictureError(std::string("the JPEG could not be written: ") + errors.message);
  return out;
}

}  // namespace kv::picture
