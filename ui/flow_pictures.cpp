#include "ui/flow_pictures.h"

#include <iterator>

namespace zm::ui {
namespace {

constexpr COLORREF kRim = RGB(128, 128, 128);
constexpr COLORREF kFace = RGB(224, 224, 224);
constexpr COLORREF kFacePushed = RGB(184, 184, 184);
constexpr COLORREF kSymbol = RGB(48, 48, 48);

// Fills a polygon given in a 26-pixel grid, scaled to `size` and moved by `shift` pixels.
void Shape(HDC dc, const POINT* grid, int count, int size, int shift) {
  POINT points[8];
  for (int i = 0; i < count && i < static_cast<int>(std::size(points)); ++i)
    points[i] = {grid[i].x * size / 26 + shift, grid[i].y * size / 26 + shift};
  Polygon(dc, points, count);
}

void Box(HDC dc, int left, int top, int right, int bottom, int size, int shift) {
  const POINT grid[] = {{left, top}, {right, top}, {right, bottom}, {left, bottom}};
  Shape(dc, grid, 4, size, shift);
}

void Disc(HDC dc, COLORREF face, int size) {
  HBRUSH brush = CreateSolidBrush(face);
  HPEN pen = CreatePen(PS_SOLID, 1, kRim);
  HGDIOBJ oldBrush = SelectObject(dc, brush);
  HGDIOBJ oldPen = SelectObject(dc, pen);
  Ellipse(dc, 0, 0, size, size);
  SelectObject(dc, oldBrush);
  SelectObject(dc, oldPen);
  DeleteObject(brush);
  DeleteObject(pen);
}

void Symbol(HDC dc, FlowPicture picture, int size, int shift) {
  HBRUSH brush = CreateSolidBrush(kSymbol);
  HGDIOBJ oldBrush = SelectObject(dc, brush);
  HGDIOBJ oldPen = SelectObject(dc, GetStockObject(NULL_PEN));
  switch (picture) {
    case FlowPicture::Play:
    case FlowPicture::PlayPushed: {
      const POINT triangle[] = {{10, 7}, {19, 13}, {10, 19}};
      Shape(dc, triangle, 3, size, shift);
      break;
    }
    case FlowPicture::Pause:
    case FlowPicture::PausePushed:
      Box(dc, 8, 7, 12, 19, size, shift);
      Box(dc, 14, 7, 18, 19, size, shift);
      break;
    case FlowPicture::Stop:
    case FlowPicture::StopPushed: Box(dc, 8, 8, 18, 18, size, shift); break;
    case FlowPicture::List:
    case FlowPicture::ListPushed: {
      const POINT triangle[] = {{7, 10}, {19, 10}, {13, 18}};
      Shape(dc, triangle, 3, size, shift);
      break;
    }
    case FlowPicture::Previous:
    case FlowPicture::PreviousPushed: {
      const POINT first[] = {{13, 7}, {13, 19}, {5, 13}}, second[] = {{21, 7}, {21, 19}, {13, 13}};
      Shape(dc, first, 3, size, shift);
      Shape(dc, second, 3, size, shift);
      break;
    }
    case FlowPicture::Next:
    case FlowPicture::NextPushed: {
      const POINT first[] = {{5, 7}, {13, 13}, {5, 19}}, second[] = {{13, 7}, {21, 13}, {13, 19}};
      Shape(dc, first, 3, size, shift);
      Shape(dc, second, 3, size, shift);
      break;
    }
    case FlowPicture::PlayFrom:
    case FlowPicture::PlayFromPushed: {
      const POINT triangle[] = {{12, 7}, {20, 13}, {12, 19}};
      Box(dc, 7, 7, 10, 19, size, shift);
      Shape(dc, triangle, 3, size, shift);
      break;
    }
    case FlowPicture::Knob: {
      // A speaker: its box and its cone.
      const POINT cone[] = {{7, 11}, {10, 11}, {15, 7}, {15, 19}, {10, 15}, {7, 15}};
      Shape(dc, cone, 6, size, 0);
      break;
    }
  }
  SelectObject(dc, oldBrush);
  SelectObject(dc, oldPen);
  DeleteObject(brush);
}

bool IsPushed(FlowPicture picture) {
  switch (picture) {
    case FlowPicture::PlayPushed:
    case FlowPicture::PausePushed:
    case FlowPicture::StopPushed:
    case FlowPicture::ListPushed:
    case FlowPicture::PreviousPushed:
    case FlowPicture::NextPushed:
    case FlowPicture::PlayFromPushed: return true;
    default: return false;
  }
}

}  // namespace

UniqueBitmap DrawFlowPicture(FlowPicture picture, int size) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = size;
  info.bmiHeader.biHeight = size;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  UniqueBitmap bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  HDC dc = CreateCompatibleDC(nullptr);
  if (!bitmap || !dc) {
    if (dc) DeleteDC(dc);
    return {};
  }
  HGDIOBJ old = SelectObject(dc, bitmap.get());
  HBRUSH key = CreateSolidBrush(kTransparentKey);
  const RECT all = {0, 0, size, size};
  FillRect(dc, &all, key);
  DeleteObject(key);
  const bool pushed = IsPushed(picture);
  Disc(dc, pushed ? kFacePushed : kFace, size);
  Symbol(dc, picture, size, pushed ? 1 : 0);  // a pushed symbol sinks by a pixel
  SelectObject(dc, old);
  DeleteDC(dc);
  return bitmap;
}

void DrawTransparent(HDC dc, HBITMAP bitmap, int x, int y) {
  BITMAP shape{};
  if (!bitmap || !GetObjectW(bitmap, sizeof shape, &shape)) return;
  const int width = shape.bmWidth, height = shape.bmHeight;
  HDC source = CreateCompatibleDC(dc);
  HDC maskDc = CreateCompatibleDC(dc);
  HBITMAP mask = CreateBitmap(width, height, 1, 1, nullptr);
  if (source && maskDc && mask) {
    HGDIOBJ oldSource = SelectObject(source, bitmap);
    HGDIOBJ oldMask = SelectObject(maskDc, mask);
    // The mask: 1 where the key colour is, 0 where the picture is.
    SetBkColor(source, kTransparentKey);
    BitBlt(maskDc, 0, 0, width, height, source, 0, 0, SRCCOPY);
    const COLORREF oldBack = SetBkColor(dc, RGB(255, 255, 255));
    const COLORREF oldText = SetTextColor(dc, RGB(0, 0, 0));
    BitBlt(dc, x, y, width, height, source, 0, 0, SRCINVERT);
    BitBlt(dc, x, y, width, height, maskDc, 0, 0, SRCAND);
    BitBlt(dc, x, y, width, height, source, 0, 0, SRCINVERT);
    SetBkColor(dc, oldBack);
    SetTextColor(dc, oldText);
    SelectObject(source, oldSource);
    SelectObject(maskDc, oldMask);
  }
  if (mask) DeleteObject(mask);
  if (maskDc) DeleteDC(maskDc);
  if (source) DeleteDC(source);
}

}  // namespace zm::ui
