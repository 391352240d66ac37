#include "peers/host/screenshot.h"

namespace zm::host {

std::optional<Image> CaptureClientArea(HWND window) {
  RECT client{};
  if (!IsWindow(window) || !GetClientRect(window, &client)) return std::nullopt;
  const int width = client.right - client.left, height = client.bottom - client.top;
  if (width <= 0 || height <= 0) return std::nullopt;
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);

  std::optional<Image> image;
  HDC windowDc = GetDC(window);
  if (!windowDc) return image;
  HDC memoryDc = CreateCompatibleDC(windowDc);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = memoryDc ? CreateDIBSection(windowDc, &info, DIB_RGB_COLORS, &bits, nullptr, 0) : nullptr;
  if (bitmap && bits) {
    HGDIOBJ old = SelectObject(memoryDc, bitmap);
    if (BitBlt(memoryDc, 0, 0, width, height, windowDc, 0, 0, SRCCOPY)) {
      GdiFlush();
      image.emplace();
      image->width = width;
      image->height = height;
      const auto* source = static_cast<const uint32_t*>(bits);
      image->pixels.assign(source, source + static_cast<size_t>(width) * height);
      for (uint32_t& p : image->pixels) p &= 0xFFFFFF;
    }
    SelectObject(memoryDc, old);
  }
  if (bitmap) DeleteObject(bitmap);
  if (memoryDc) DeleteDC(memoryDc);
  ReleaseDC(window, windowDc);
  return image;
}

}  // namespace zm::host
