// CStatusWindow: the small black status label over the lower-left corner of the control
// window. For now it only exists, hidden, with its size, and is placed. Window's thread.
#pragma once

#include <windows.h>

#include "com/window_impl.h"

namespace zm::ui {

class CStatusWindow : public com::WindowImpl<CStatusWindow> {
 public:
  CStatusWindow() = default;
  CStatusWindow(const CStatusWindow&) = delete;
  CStatusWindow& operator=(const CStatusWindow&) = delete;
  ~CStatusWindow() { Destroy(); }

  // A hidden child of the control window at (0, 0), 60 x 20.
  bool Create(HINSTANCE instance, HWND controlWindow);
  void Destroy();
  int Height() const { return m_cy; }

  bool ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);

 private:
  int m_cx = 60;
  int m_cy = 20;
  com::WindowClassUse m_classUse;  // held while the window exists
};

}  // namespace zm::ui
