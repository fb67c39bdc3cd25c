#pragma once
// Employee photos as the suite keeps them: a picture field holds either a Windows bitmap (older releases) or a
// JPEG. Bitmaps are read and written by our own small codec (uncompressed bitmaps of 1, 4, 8, 24 or 32 bits a
// pixel, bottom-up or top-down); JPEG goes through libjpeg-turbo. A picture that is neither, or that is damaged,
// raises PictureError with the reason; nothing here ever returns a half-decoded image.

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace kv::picture {

using Bytes = std::vector<std::uint8_t>;

class PictureError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

enum class Format { Bitmap, Jpeg, Unknown };

// The format by the data's signature ("BM", or the JPEG start-of-image marker); Unknown for anything else.
Format FormatOf(const Bytes& data);

// An image as rows of red, green and blue bytes, top row first.
struct Image {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgb;  // width * height * 3
};

Image DecodeBitmap(const Bytes& data);
Bytes EncodeBitmap(const Image& image);  // 24 bits a pixel, bottom-up, rows padded to four bytes
Image DecodeJpeg(const Bytes& data);
Bytes EncodeJpeg(const Image& image, int quality = 90);

// A stored picture as a JPEG: a JPEG is returned unchanged, a bitmap is converted; PictureError otherwise.
Bytes AsJpeg(const Bytes& picture, int quality = 90);

}  // namespace kv::picture
