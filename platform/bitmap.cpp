// The Windows bitmap form of a picture: file header, info header (the 12-byte core header or the 40-byte one and
// its longer successors), optional palette or colour masks, then rows of pixels padded to four bytes, bottom-up
// unless the height is negative. Every size and offset is checked against the data before it is used.

#include <bit>
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/picture.h"

namespace kv::picture {

namespace {

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::size_t kCoreHeaderSize = 12;
constexpr std::size_t kInfoHeaderSize = 40;
constexpr std::uint32_t kUncompressed = 0;
constexpr std::uint32_t kBitFields = 3;
// Far beyond any photo; it keeps a damaged header from asking for gigabytes.
constexpr std::int64_t kMaxPixels = std::int64_t{1} << 28;

[[noreturn]] void Bad(const std::string& why) { throw PictureError("not a readable bitmap: " + why); }

class Reader {
 public:
  explicit Reader(const Bytes& data) : data_(data) {}
  std::uint32_t U16(std::size_t at) const {
    Need(at, 2);
    return static_cast<std::uint32_t>(data_[at] | (data_[at + 1] << 8));
  }
  std::uint32_t U32(std::size_t at) const {
    Need(at, 4);
    return static_cast<std::uint32_t>(data_[at]) | (static_cast<std::uint32_t>(data_[at + 1]) << 8) |
           (static_cast<std::uint32_t>(data_[at + 2]) << 16) | (static_cast<std::uint32_t>(data_[at + 3]) << 24);
  }
  std::uint8_t U8(std::size_t at) const {
    Need(at, 1);
    return data_[at];
  }
  void Need(std::size_t at, std::size_t size) const {
    if (at > data_.size() || size > data_.size() - at) Bad("the data ends early");
  }

 private:
  const Bytes& data_;
};

struct Channel {
  std::uint32_t mask = 0;
  int shift = 0;
  std::uint32_t max = 0;
  std::uint8_t Of(std::uint32_t pixel) const {
    if (mask == 0) return 0;
    const std::uint32_t v = (pixel & mask) >> shift;
    return static_cast<std::uint8_t>((v * 255 + max / 2) / max);
  }
  static Channel From(std::uint32_t mask) {
    Channel c;
    c.mask = mask;
    if (mask == 0) return c;
    c.shift = std::countr_zero(mask);
    c.max = mask >> c.shift;
    if ((c.max & (c.max + 1)) != 0) Bad("a colour mask is not one run of bits");
    return c;
  }
};

void Put(std::uint8_t* out, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  out[0] = r;
  out[1] = g;
  out[2] = b;
}

void PutLittle16(Bytes& out, std::uint32_t v) {
  out.push_back(static_cast<std::uint8_t>(v));
  out.push_back(static_cast<std::uint8_t>(v >> 8));
}

void PutLittle32(Bytes& out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

}  // namespace

Image DecodeBitmap(const Bytes& data) {
  const Reader in(data);
  if (data.size() < kFileHeaderSize || data[0] != 'B' || data[1] != 'M') Bad("no \"BM\" signature");
  const std::size_t pixelOffset = in.U32(10);
  const std::size_t headerSize = in.U32(kFileHeaderSize);
  const std::size_t h = kFileHeaderSize;
  std::int64_t width = 0, height = 0;
  std::uint32_t bits = 0, compression = kUncompressed, colours = 0;
  std::size_t paletteEntry = 4;
  if (headerSize == kCoreHeaderSize) {
    width = in.U16(h + 4);
    height = in.U16(h + 6);
    bits = in.U16(h + 10);
    paletteEntry = 3;
  } else if (headerSize >= kInfoHeaderSize) {
    width = static_cast<std::int32_t>(in.U32(h + 4));
    height = static_cast<std::int32_t>(in.U32(h + 8));
    bits = in.U16(h + 14);
    compression = in.U32(h + 16);
    colours = in.U32(h + 32);
  } else {
    Bad("an unknown header of " + std::to_string(headerSize) + " bytes");
  }
  const bool topDown = height < 0;
  if (topDown) height = -height;
  if (width <= 0 || height <= 0 || width * height > kMaxPixels) Bad("a size of " + std::to_string(width) + " by " +
                                                                      std::to_string(height) + " pixels");
  if (compression != kUncompressed && !(compression == kBitFields && (bits == 16 || bits == 32)))
    Bad("compression " + std::to_string(compression) + " is not supported");

  // Palette (1, 4, 8 bits) or colour masks (16, 32 bits).
  std::vector<std::uint8_t> palette;  // r, g, b per entry
  Channel red, green, blue;
  switch (bits) {
    case 1:
    case 4:
    case 8: {
      const std::size_t count = colours ? colours : (std::size_t{1} << bits);
      if (count > (std::size_t{1} << bits)) Bad("a palette of " + std::to_string(count) + " colours");
      const std::size_t at = h + headerSize;
      in.Need(at, count * paletteEntry);
      for (std::size_t i = 0; i < count; ++i) {
        const std::size_t e = at + i * paletteEntry;
        palette.insert(palette.end(), {data[e + 2], data[e + 1], data[e]});
      }
      break;
    }
    case 16:
    case 32: {
      std::uint32_t r = bits == 16 ? 0x7C00 : 0xFF0000, g = bits == 16 ? 0x03E0 : 0xFF00, b = bits == 16 ? 0x1F : 0xFF;
      if (compression == kBitFields) {
        // In the 40-byte header's case the three masks follow it; the longer headers hold them at the same place.
        r = in.U32(h + 40);
        g = in.U32(h + 44);
        b = in.U32(h + 48);
      }
      red = Channel::From(r);
      green = Channel::From(g);
      blue = Channel::From(b);
      break;
    }
    case 24: break;
    default: Bad(std::to_string(bits) + " bits a pixel");
  }

  const std::size_t w = static_cast<std::size_t>(width), rows = static_cast<std::size_t>(height);
  const std::size_t stride = ((w * bits + 31) / 32) * 4;
  in.Need(pixelOffset, stride * rows);
  Image image;
  image.width = static_cast<int>(width);
  image.height = static_cast<int>(height);
  image.rgb.resize(w * rows * 3);
  for (std::size_t y = 0; y < rows; ++y) {
    const std::uint8_t* row = data.data() + pixelOffset + (topDown ? y : rows - 1 - y) * stride;
    std::uint8_t* out = image.rgb.data() + y * w * 3;
    for (std::size_t x = 0; x < w; ++x, out += 3) {
      switch (bits) {
        case 24: Put(out, row[x * 3 + 2], row[x * 3 + 1], row[x * 3]); break;
        case 16:
        case 32: {
          const std::size_t bytes = bits / 8;
          std::uint32_t pixel = 0;
          for (std::size_t i = 0; i < bytes; ++i) pixel |= static_cast<std::uint32_t>(row[x * bytes + i]) << (8 * i);
          Put(out, red.Of(pixel), green.Of(pixel), blue.Of(pixel));
          break;
        }
        default: {
          const std::size_t bit = x * bits;
          const std::size_t index = (row[bit / 8] >> (8 - bits - bit % 8)) & ((1u << bits) - 1);
          if (index * 3 >= palette.size()) Bad("a pixel beyond the palette");
          Put(out, palette[index * 3], palette[index * 3 + 1], palette[index * 3 + 2]);
        }
      }
    }
  }
  return image;
}

Bytes EncodeBitmap(const Image& image) {
  if (image.width <= 0 || image.height <= 0 ||
      image.rgb.size() != static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height) * 3)
    throw PictureError("an empty or inconsistent image cannot be written as a bitmap");
  const std::size_t w = static_cast<std::size_t>(image.width), rows = static_cast<std::size_t>(image.height);
  const std::size_t stride = (w * 3 + 3) / 4 * 4;
  const std::size_t offset = kFileHeaderSize + kInfoHeaderSize;
  Bytes out;
  out.reserve(offset + stride * rows);
  out.push_back('B');
  out.push_back('M');
  PutLittle32(out, static_cast<std::uint32_t>(offset + stride * rows));
  PutLittle32(out, 0);
  PutLittle32(out, static_cast<std::uint32_t>(offset));
  PutLittle32(out, kInfoHeaderSize);
  PutLittle32(out, static_cast<std::uint32_t>(image.width));
  PutLittle32(out, static_cast<std::uint32_t>(image.height));
  PutLittle16(out, 1);   // planes
  PutLittle16(out, 24);  // bits a pixel
  PutLittle32(out, kUncompressed);
  PutLittle32(out, static_cast<std::uint32_t>(stride * rows));
  PutLittle32(out, 2835);  // 72 dots an inch, in dots a metre
  PutLittle32(out, 2835);
  PutLittle32(out, 0);
  PutLittle32(out, 0);
  for (std::size_t y = rows; y-- > 0;) {
    const std::uint8_t* in = image.rgb.data() + y * w * 3;
    for (std::size_t x = 0; x < w; ++x) out.insert(out.end(), {in[x * 3 + 2], in[x * 3 + 1], in[x * 3]});
    out.resize(out.size() + (stride - w * 3), 0);
  }
  return out;
}

}  // namespace kv::picture
