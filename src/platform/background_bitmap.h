// The background picture of the window's image control HinterGrund: an
// 800 x 600 bitmap file (BMP, 8 bits per pixel, 256-colour palette, BI_RLE8),
// embedded into both programs at build time from assets/HinterGrund.bmp.
#ifndef ROLVEX_PLATFORM_BACKGROUND_BITMAP_H_
#define ROLVEX_PLATFORM_BACKGROUND_BITMAP_H_

#include <cstddef>

namespace rolvex {

// The whole bitmap file, starting with "BM".
extern const unsigned char kBackgroundBitmap[];
extern const std::size_t kBackgroundBitmapSize;

}  // namespace rolvex

#endif  // ROLVEX_PLATFORM_BACKGROUND_BITMAP_H_
