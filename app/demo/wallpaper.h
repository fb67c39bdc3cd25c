#pragma once
// The demo's "wallpaper.jpg": a small real JPEG picture (a harbour-blue gradient with a lighter horizon band),
// encoded with libjpeg-turbo, so that the wallpaper extraction has a genuine picture to put in place.

#include <string>

namespace kv::demo {

// The JPEG file's bytes.
std::string EncodeWallpaperJpeg(int width = 320, int height = 200);

}  // namespace kv::demo
