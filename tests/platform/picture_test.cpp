// The picture layer: bitmaps read and written by our own codec, JPEG through libjpeg-turbo.

#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/picture.h"

namespace kv::picture {
namespace {

Image Pattern(int width, int height) {
  Image image{width, height, {}};
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      image.rgb.insert(image.rgb.end(), {static_cast<std::uint8_t>(x * 20), static_cast<std::uint8_t>(y * 30),
                                         static_cast<std::uint8_t>((x + y) * 10)});
  return image;
}

void Put32(Bytes& b, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

// A bitmap as another program writes one: header, palette (if any) and rows padded to four bytes.
Bytes HandMadeBitmap(int width, int height, int bits, const Bytes& palette, const Bytes& rows) {
  Bytes b(54, 0);
  b[0] = 'B';
  b[1] = 'M';
  Put32(b, 2, static_cast<std::uint32_t>(54 + palette.size() + rows.size()));
  Put32(b, 10, static_cast<std::uint32_t>(54 + palette.size()));
  Put32(b, 14, 40);
  Put32(b, 18, static_cast<std::uint32_t>(width));
  Put32(b, 22, static_cast<std::uint32_t>(height));
  b[26] = 1;
  b[28] = static_cast<std::uint8_t>(bits);
  Put32(b, 46, static_cast<std::uint32_t>(palette.size() / 4));  // colours used
  b.insert(b.end(), palette.begin(), palette.end());
  b.insert(b.end(), rows.begin(), rows.end());
  return b;
}

TEST(Picture, BitmapsWrittenAndReadBackKeepEveryPixel) {
  for (const auto& [w, h] : {std::pair{1, 1}, std::pair{3, 2}, std::pair{5, 7}}) {
    const Image image = Pattern(w, h);
    const Bytes bmp = EncodeBitmap(image);
    EXPECT_EQ(FormatOf(bmp), Format::Bitmap);
    const Image back = DecodeBitmap(bmp);
    EXPECT_EQ(back.width, w);
    EXPECT_EQ(back.height, h);
    EXPECT_EQ(back.rgb, image.rgb);
  }
}

TEST(Picture, PaletteThirtyTwoBitAndTopDownBitmapsAreRead) {
  // 8 bits a pixel, 2 by 2, bottom-up: the palette holds blue, green, red and a reserved byte.
  const Bytes palette = {0, 0, 255, 0, 0, 255, 0, 0};  // 0 red, 1 green
  const Image paletted = DecodeBitmap(HandMadeBitmap(2, 2, 8, palette, {1, 0, 0, 0, 0, 1, 0, 0}));
  EXPECT_EQ(paletted.rgb, (std::vector<std::uint8_t>{255, 0, 0, 0, 255, 0, 0, 255, 0, 255, 0, 0}));
  // 32 bits, one pixel wide, two high, top-down (negative height).
  const Bytes topDown = HandMadeBitmap(1, -2, 32, {}, {10, 20, 30, 0, 40, 50, 60, 0});
  EXPECT_EQ(DecodeBitmap(topDown).rgb, (std::vector<std::uint8_t>{30, 20, 10, 60, 50, 40}));
  // 1 bit a pixel, 3 wide: the row's bits are read from the highest.
  const Image mono = DecodeBitmap(HandMadeBitmap(3, 1, 1, {0, 0, 0, 0, 255, 255, 255, 0}, {0b10100000, 0, 0, 0}));
  EXPECT_EQ(mono.rgb, (std::vector<std::uint8_t>{255, 255, 255, 0, 0, 0, 255, 255, 255}));
}

TEST(Picture, DamagedOrForeignDataIsRefusedWithTheReason) {
  Bytes cut = EncodeBitmap(Pattern(4, 4));
  cut.resize(cut.size() - 5);
  Bytes huge = EncodeBitmap(Pattern(1, 1));
  Put32(huge, 18, 100000);
  Put32(huge, 22, 100000);
  Bytes rle = EncodeBitmap(Pattern(2, 2));
  Put32(rle, 30, 1);
  for (const Bytes& bad : {cut, huge, rle, Bytes{'B', 'M'}, Bytes{}}) EXPECT_THROW(DecodeBitmap(bad), PictureError);
  const Bytes gif = {'G', 'I', 'F', '8', '9', 'a', 0, 0};
  EXPECT_EQ(FormatOf(gif), Format::Unknown);
  EXPECT_THROW(AsJpeg(gif), PictureError);
  EXPECT_THROW(DecodeJpeg(gif), PictureError);
  EXPECT_THROW(DecodeJpeg(Bytes{0xFF, 0xD8, 0xFF, 0xE0, 0, 0}), PictureError);
}

TEST(Picture, ABitmapBecomesAJpegOfTheSameSizeAndColours) {
  Image flat{8, 8, {}};
  for (int i = 0; i < 64; ++i) flat.rgb.insert(flat.rgb.end(), {200, 100, 50});
  const Bytes jpeg = AsJpeg(EncodeBitmap(flat));
  EXPECT_EQ(FormatOf(jpeg), Format::Jpeg);
  const Image back = DecodeJpeg(jpeg);
  ASSERT_EQ(back.width, 8);
  ASSERT_EQ(back.height, 8);
  for (std::size_t i = 0; i < back.rgb.size(); ++i) EXPECT_LE(std::abs(back.rgb[i] - flat.rgb[i]), 4) << i;
  EXPECT_EQ(AsJpeg(jpeg), jpeg);  // a JPEG is kept as it is
}

}  // namespace
}  // namespace kv::picture
