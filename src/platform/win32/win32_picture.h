// The background picture: a bitmap file held in memory (the embedded
// HinterGrund.bmp, 8 bits per pixel, run-length encoded), decoded once by GDI
// and kept stretched to the size it is shown at, so that painting is one
// BitBlt and the text lines can take their background from it.
#ifndef ROLVEX_PLATFORM_WIN32_WIN32_PICTURE_H_
#define ROLVEX_PLATFORM_WIN32_WIN32_PICTURE_H_

#include <cstddef>

#include "platform/win32/win32_api.h"

namespace rolvex {

class Win32Picture {
 public:
  // Decodes the bitmap file `bytes`; a picture that cannot be decoded (too
  // short, not "BM", a header GDI refuses) shows as the window's back colour.
  Win32Picture(const unsigned char* bytes, std::size_t size);
  ~Win32Picture();
  Win32Picture(const Win32Picture&) = delete;
  Win32Picture& operator=(const Win32Picture&) = delete;

  bool valid() const { return source_ != nullptr; }
  int source_width() const { return source_width_; }
  int source_height() const { return source_height_; }

  // Paints the picture stretched over `width` x `height` pixels at 0, 0 of
  // `dc`; without a picture, fills that area with `fallback`.
  void Paint(HDC dc, int width, int height, COLORREF fallback);

  // A brush holding the picture stretched to `width` x `height`, for areas
  // that show the picture through them; null without a picture. Owned here.
  HBRUSH Brush(int width, int height);

 private:
  // Makes sure stretched_ holds the picture at that size.
  bool Stretch(int width, int height);

  HBITMAP source_ = nullptr;
  int source_width_ = 0;
  int source_height_ = 0;
  HBITMAP stretched_ = nullptr;
  int stretched_width_ = 0;
  int stretched_height_ = 0;
  HBRUSH brush_ = nullptr;
};

}  // namespace rolvex

#endif  // ROLVEX_PLATFORM_WIN32_WIN32_PICTURE_H_
