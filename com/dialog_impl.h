// DialogImpl<T>: a modeless dialog owned by a C++ object, made from a dialog resource.
// T supplies ProcessDialogMessage (its message map). Dialog's thread only.
#pragma once

#include <windows.h>

namespace zm::com {

template <class T>
class DialogImpl {
 public:
  HWND m_hWnd = nullptr;

  HWND CreateModeless(HINSTANCE instance, int resourceId, HWND parent) {
    if (m_hWnd) return m_hWnd;
    return CreateDialogParamW(instance, MAKEINTRESOURCEW(resourceId), parent, DialogProc,
                              reinterpret_cast<LPARAM>(static_cast<T*>(this)));
  }

  void DestroyModeless() {
    if (m_hWnd) DestroyWindow(m_hWnd);
  }

 private:
  static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    T* self = nullptr;
    if (msg == WM_INITDIALOG) {
      self = reinterpret_cast<T*>(lParam);
      SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
      self->m_hWnd = hwnd;
    } else {
      self = reinterpret_cast<T*>(GetWindowLongPtrW(hwnd, DWLP_USER));
    }
    if (!self) return FALSE;
    LRESULT result = 0;
    bool handled = self->ProcessDialogMessage(hwnd, msg, wParam, lParam, result);
    if (msg == WM_NCDESTROY) {
      SetWindowLongPtrW(hwnd, DWLP_USER, 0);
      self->m_hWnd = nullptr;
    }
    if (!handled) return FALSE;
    // WM_INITDIALOG answers about the focus itself and the WM_CTLCOLOR messages with their
    // brush; other handled messages leave their result here.
    if (msg == WM_INITDIALOG || (msg >= WM_CTLCOLORMSGBOX && msg <= WM_CTLCOLORSTATIC))
      return static_cast<INT_PTR>(result);
    SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, result);
    return TRUE;
  }
};

}  // namespace zm::com
