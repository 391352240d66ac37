#include "ui/status_window.h"

namespace zm::ui {
namespace {

com::WindowClass& StatusClass() {
  static com::WindowClass cls(L"ZMediaControl Status", CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS,
                              com::WindowImpl<CStatusWindow>::WindowProc,
                              static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  return cls;
}

}  // namespace

bool CStatusWindow::Create(HINSTANCE instance, HWND controlWindow) {
  RECT rect = {0, 0, m_cx, m_cy};
  if (!CreateFromClass(StatusClass(), instance, controlWindow, rect, WS_CHILD, 0, L"Status")) return false;
  m_classUse = com::WindowClassUse(&StatusClass());
  return true;
}

void CStatusWindow::Destroy() {
  if (m_hWnd) DestroyWindow(m_hWnd);
  // Only once the window is gone can its class be unregistered.
  if (!m_hWnd) m_classUse.reset();
}

bool CStatusWindow::ProcessWindowMessage(HWND, UINT, WPARAM, LPARAM, LRESULT&) { return false; }

}  // namespace zm::ui
