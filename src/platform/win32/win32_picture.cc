#include "platform/win32/win32_picture.h"

#include <cstdint>
#include <cstring>

namespace rolvex {

Win32Picture::Win32Picture(const unsigned char* bytes, std::size_t size) {
  constexpr std::size_t kFileHeader = sizeof(BITMAPFILEHEADER);
  if (bytes == nullptr || size < kFileHeader + sizeof(BITMAPINFOHEADER) ||
      bytes[0] != 'B' || bytes[1] != 'M') {
    return;
  }
  BITMAPFILEHEADER file;
  std::memcpy(&file, bytes, kFileHeader);
  BITMAPINFOHEADER info;
  std::memcpy(&info, bytes + kFileHeader, sizeof info);
  if (file.bfOffBits >= size || info.biWidth <= 0 || info.biHeight == 0 ||
      info.biWidth > 10000 || info.biHeight > 10000 || info.biHeight < -10000) {
    return;
  }
  // The header with its palette, as GDI wants it aligned in memory.
  const std::size_t header_size = file.bfOffBits - kFileHeader;
  auto* header = static_cast<BITMAPINFO*>(::operator new(header_size));
  std::memcpy(header, bytes + kFileHeader, header_size);
  // A run-length encoded bitmap names the size of its data; it must not
  // reach past the end of what is there.
  if (header->bmiHeader.biCompression == BI_RLE8 ||
      header->bmiHeader.biCompression == BI_RLE4) {
    header->bmiHeader.biSizeImage = static_cast<DWORD>(size - file.bfOffBits);
  }
  HDC screen = GetDC(nullptr);
  source_width_ = info.biWidth;
  source_height_ = info.biHeight < 0 ? -info.biHeight : info.biHeight;
  source_ = CreateCompatibleBitmap(screen, source_width_, source_height_);
  if (source_ != nullptr &&
      SetDIBits(screen, source_, 0, static_cast<UINT>(source_height_),
                bytes + file.bfOffBits, header, DIB_RGB_COLORS) == 0) {
    DeleteObject(source_);
    source_ = nullptr;
  }
  ReleaseDC(nullptr, screen);
  ::operator delete(header);
}

Win32Picture::~Win32Picture() {
  if (brush_) DeleteObject(brush_);
  if (stretched_) DeleteObject(stretched_);
  if (source_) DeleteObject(source_);
}

bool Win32Picture::Stretch(int width, int height) {
  if (!source_ || width <= 0 || height <= 0) return false;
  if (stretched_ && stretched_width_ == width && stretched_height_ == height) {
    return true;
  }
  if (brush_) DeleteObject(brush_);
  brush_ = nullptr;
  if (stretched_) DeleteObject(stretched_);
  HDC screen = GetDC(nullptr);
  stretched_ = CreateCompatibleBitmap(screen, width, height);
  HDC from = CreateCompatibleDC(screen);
  HDC to = CreateCompatibleDC(screen);
  HGDIOBJ old_from = SelectObject(from, source_);
  HGDIOBJ old_to = SelectObject(to, stretched_);
  SetStretchBltMode(to, HALFTONE);
  SetBrushOrgEx(to, 0, 0, nullptr);
  StretchBlt(to, 0, 0, width, height, from, 0, 0, source_width_, source_height_,
             SRCCOPY);
  SelectObject(from, old_from);
  SelectObject(to, old_to);
  DeleteDC(from);
  DeleteDC(to);
  ReleaseDC(nullptr, screen);
  stretched_width_ = width;
  stretched_height_ = height;
  return stretched_ != nullptr;
}

void Win32Picture::Paint(HDC dc, int width, int height, COLORREF fallback) {
  if (!Stretch(width, height)) {
    RECT all{0, 0, width, height};
    HBRUSH brush = CreateSolidBrush(fallback);
    FillRect(dc, &all, brush);
    DeleteObject(brush);
    return;
  }
  HDC from = CreateCompatibleDC(dc);
  HGDIOBJ old = SelectObject(from, stretched_);
  BitBlt(dc, 0, 0, width, height, from, 0, 0, SRCCOPY);
  SelectObject(from, old);
  DeleteDC(from);
}

HBRUSH Win32Picture::Brush(int width, int height) {
  if (!Stretch(width, height)) return nullptr;
  if (!brush_) brush_ = CreatePatternBrush(stretched_);
  return brush_;
}

}  // namespace rolvex
