#include "platform/picture.h"

namespace kv::picture {

Format FormatOf(const Bytes& data) {
  if (data.size() >= 2 && data[0] == 'B' && data[1] == 'M') return Format::Bitmap;
  if (data.size() >= 3 && data[0] == 0xFF && data[1] == 0xD8 && data[2] == 0xFF) return Format::Jpeg;
  return Format::Unknown;
}

Bytes AsJpeg(const Bytes& picture, int quality) {
  switch (FormatOf(picture)) {
    case Format::Jpeg: return picture;
    case Format::Bitmap: return EncodeJpeg(DecodeBitmap(picture), quality);
    case Format::Unknown: break;
  }
  throw PictureError("neither a bitmap nor a JPEG");
}

}  // namespace kv::picture
