#include "peers/renderer/video_output.h"

#include <commctrl.h>

#include <cmath>
#include <mutex>
#include <utility>

namespace zm::renderer {
namespace {

constexpr UINT_PTR kSubclassId = 0x5A4D5245;

com::WindowClass& FullScreenClass() {
  static com::WindowClass cls(L"ZMediaRenderer Full Screen", CS_HREDRAW | CS_VREDRAW,
                              com::WindowImpl<CFullScreenWindow>::WindowProc,
                              static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  return cls;
}

double AspectRatioOf(int32_t aspect, int32_t pictureWidth, int32_t pictureHeight) {
  switch (static_cast<AspectCode>(aspect)) {
    case AspectCode::Original: return pictureHeight > 0 ? static_cast<double>(pictureWidth) / pictureHeight : 0.0;
    case AspectCode::Square: return 1.0;
    case AspectCode::FourThree: return 4.0 / 3.0;
    case AspectCode::SixteenNine: return 16.0 / 9.0;
    case AspectCode::Cinema: return 2.39;
    default: return 0.0;  // fill the area
  }
}

}  // namespace

RECT FitPicture(const RECT& area, int32_t pictureWidth, int32_t pictureHeight, int32_t aspect) {
  const double width = area.right - area.left, height = area.bottom - area.top;
  const double ratio = AspectRatioOf(aspect, pictureWidth, pictureHeight);
  if (width <= 0 || height <= 0 || ratio <= 0) return area;
  double fittedWidth = width, fittedHeight = width / ratio;
  if (fittedHeight > height) fittedHeight = height, fittedWidth = height * ratio;
  const LONG w = std::lround(fittedWidth), h = std::lround(fittedHeight);
  const LONG left = area.left + (area.right - area.left - w) / 2, top = area.top + (area.bottom - area.top - h) / 2;
  return RECT{left, top, left + w, top + h};
}

bool CFullScreenWindow::Create(HINSTANCE instance, const RECT& monitor) {
  if (!CreateFromClass(FullScreenClass(), instance, nullptr, monitor, WS_POPUP | WS_VISIBLE, WS_EX_TOPMOST, L"Video"))
    return false;
  classUse_ = com::WindowClassUse(&FullScreenClass());
  return true;
}

void CFullScreenWindow::Destroy() {
  if (m_hWnd) DestroyWindow(m_hWnd);
  // Only once the window is gone can its class be unregistered.
  if (!m_hWnd) classUse_.reset();
}

bool CFullScreenWindow::ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM, LRESULT& result) {
  switch (msg) {
    case WM_PAINT: {
      PAINTSTRUCT paint;
      if (HDC dc = BeginPaint(hwnd, &paint)) {
        output_->PaintFullScreen(dc);
        EndPaint(hwnd, &paint);
      }
      result = 0;
      return true;
    }
    case WM_DESTROY: output_->ForgetFullScreen(); return false;
    case WM_KEYDOWN:
      if (wParam != VK_ESCAPE) return false;
      output_->LeaveFullScreen();
      result = 0;
      return true;
    default: return false;
  }
}

void CVideoOutput::Attach(HWND window) {
  {
    std::lock_guard<com::CriticalSection> hold(lock_);
    window_ = window;
  }
  if (subclassed_ == window) return;
  Unsubclass();
  if (SetWindowSubclass(window, RepaintAfterPaint, kSubclassId, reinterpret_cast<DWORD_PTR>(this)))
    subclassed_ = window;
}

LRESULT CALLBACK CVideoOutput::RepaintAfterPaint(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                                 DWORD_PTR self) {
  auto* output = reinterpret_cast<CVideoOutput*>(self);
  if (msg == WM_NCDESTROY) output->Unsubclass();
  const LRESULT result = DefSubclassProc(hwnd, msg, wParam, lParam);
  if (msg == WM_PAINT) output->Repaint();
  return result;
}

void CVideoOutput::Unsubclass() {
  if (HWND window = std::exchange(subclassed_, nullptr)) RemoveWindowSubclass(window, RepaintAfterPaint, kSubclassId);
}

void CVideoOutput::SetPlacement(const RECT& rect) {
  std::lock_guard<com::CriticalSection> hold(lock_);
  placement_ = rect;
  DrawLocked();
}

HRESULT CVideoOutput::EnterFullScreen(int32_t aspect) {
  {
    std::lock_guard<com::CriticalSection> hold(lock_);
    aspect_ = aspect;
  }
  if (fullScreen_.m_hWnd) return InvalidateRect(fullScreen_.m_hWnd, nullptr, TRUE), S_OK;
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  if (!GetMonitorInfoW(MonitorFromWindow(window_, MONITOR_DEFAULTTOPRIMARY), &monitor)) return E_FAIL;
  if (!fullScreen_.Create(instance_, monitor.rcMonitor)) return HRESULT_FROM_WIN32(GetLastError());
  {
    std::lock_guard<com::CriticalSection> hold(lock_);
    fullScreenWindow_ = fullScreen_.m_hWnd;
  }
  // Escape reaches the window only with the keyboard focus.
  SetForegroundWindow(fullScreen_.m_hWnd);
  SetFocus(fullScreen_.m_hWnd);
  UpdateWindow(fullScreen_.m_hWnd);
  return S_OK;
}

void CVideoOutput::LeaveFullScreen() {
  if (!fullScreen_.m_hWnd) return;
  CloseFullScreen();
  Repaint();
}

void CVideoOutput::CloseFullScreen() {
  ForgetFullScreen();
  fullScreen_.Destroy();
}

void CVideoOutput::ForgetFullScreen() {
  std::lock_guard<com::CriticalSection> hold(lock_);
  fullScreenWindow_ = nullptr;
}

void CVideoOutput::SetBrightness(int32_t value) {
  std::lock_guard<com::CriticalSection> hold(lock_);
  brightness_ = value;
  RetoneLocked();
  DrawLocked();
}

void CVideoOutput::SetContrast(int32_t value) {
  std::lock_guard<com::CriticalSection> hold(lock_);
  contrast_ = value;
  RetoneLocked();
  DrawLocked();
}

bool CVideoOutput::Show(Picture& picture) {
  std::lock_guard<com::CriticalSection> hold(lock_);
  std::swap(decoded_, picture);
  if (tone_.Neutral()) shown_ = decoded_;
  else tone_.Apply(decoded_, shown_);
  return DrawLocked();
}

Picture CVideoOutput::Current() const {
  std::lock_guard<com::CriticalSection> hold(lock_);
  return shown_;
}

void CVideoOutput::Repaint() {
  std::lock_guard<com::CriticalSection> hold(lock_);
  DrawLocked();
}

void CVideoOutput::PaintFullScreen(HDC dc) {
  std::lock_guard<com::CriticalSection> hold(lock_);
  RECT area{};
  if (!fullScreenWindow_ || shown_.Empty() || !GetClientRect(fullScreenWindow_, &area)) return;
  DrawInto(dc, FitPicture(area, shown_.width, shown_.height, aspect_));
}

void CVideoOutput::Shutdown() {
  CloseFullScreen();
  Unsubclass();
  std::lock_guard<com::CriticalSection> hold(lock_);
  window_ = nullptr;
  placement_.reset();
  decoded_ = Picture{};
  shown_ = Picture{};
}

void CVideoOutput::RetoneLocked() {
  tone_ = ToneTable(brightness_, contrast_);
  if (tone_.Neutral()) shown_ = decoded_;
  else if (!decoded_.Empty()) tone_.Apply(decoded_, shown_);
}

bool CVideoOutput::DrawLocked() {
  if (shown_.Empty()) return false;
  HWND target = fullScreenWindow_ ? fullScreenWindow_ : window_;
  RECT rect{};
  if (!target || !GetClientRect(target, &rect)) return false;
  if (fullScreenWindow_) rect = FitPicture(rect, shown_.width, shown_.height, aspect_);
  else if (placement_) rect = *placement_;
  HDC dc = GetDC(target);
  if (!dc) return false;
  const bool drawn = DrawInto(dc, rect);
  ReleaseDC(target, dc);
  return drawn;
}

bool CVideoOutput::DrawInto(HDC dc, const RECT& target) const {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = shown_.width;
  info.bmiHeader.biHeight = -shown_.height;  // top-down rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  SetStretchBltMode(dc, COLORONCOLOR);
  const int lines =
      StretchDIBits(dc, target.left, target.top, target.right - target.left, target.bottom - target.top, 0, 0,
                    shown_.width, shown_.height, shown_.pixels.data(), &info, DIB_RGB_COLORS, SRCCOPY);
  return lines != 0 && lines != static_cast<int>(GDI_ERROR);
}

}  // namespace zm::renderer
