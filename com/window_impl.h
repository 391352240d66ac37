// WindowImpl<T>: the message routing of one window owned by a C++ object. T supplies
// ProcessWindowMessage (its message map) and may override OnFinalMessage. Window's thread only.
#pragma once

#include <windows.h>

#include "com/window_class.h"

namespace zm::com {

template <class T>
class WindowImpl {
 public:
  HWND m_hWnd = nullptr;

  // The procedure to register for T's window class.
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    T* self = nullptr;
    if (msg == WM_NCCREATE) {
      auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
      self = static_cast<T*>(create->lpCreateParams);
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
      if (self) self->m_hWnd = hwnd;
    } else {
      self = reinterpret_cast<T*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    }
    if (!self) return DefWindowProcW(hwnd, msg, wParam, lParam);
    LRESULT result = 0;
    bool handled = self->ProcessWindowMessage(hwnd, msg, wParam, lParam, result);
    if (!handled) result = DefWindowProcW(hwnd, msg, wParam, lParam);
    if (msg == WM_NCDESTROY) {
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
      self->m_hWnd = nullptr;
      self->OnFinalMessage(hwnd);
    }
    return result;
  }

  void OnFinalMessage(HWND) {}

 protected:
  // Creates the window of `cls` with this object receiving its messages from WM_NCCREATE on.
  HWND CreateFromClass(WindowClass& cls, HINSTANCE instance, HWND parent, const RECT& rect, DWORD style,
                       DWORD exStyle = 0, const wchar_t* title = L"") {
    if (m_hWnd || !cls.Acquire(instance)) return nullptr;
    HWND hwnd = CreateWindowExW(exStyle, cls.Name(), title, style, rect.left, rect.top, rect.right - rect.left,
                                rect.bottom - rect.top, parent, nullptr, instance, static_cast<T*>(this));
    if (!hwnd) cls.Release();
    return hwnd;
  }
};

}  // namespace zm::com
