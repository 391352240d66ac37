#include "com/window_class.h"

namespace zm::com {

bool WindowClass::Acquire(HINSTANCE instance) {
  if (users_ == 0) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = style_;
    wc.lpfnWndProc = procedure_;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground = background_;
    wc.lpszClassName = name_;
    // A class left behind by an earlier load of the module would carry a stale procedure.
    UnregisterClassW(name_, instance);
    if (!RegisterClassExW(&wc)) return false;
    instance_ = instance;
  }
  ++users_;
  return true;
}

void WindowClass::Release() {
  if (users_ == 0) return;
  if (--users_ == 0) {
    UnregisterClassW(name_, instance_);
    instance_ = nullptr;
  }
}

}  // namespace zm::com
