#include "peers/host/host_window.h"

namespace zm::host {
namespace {

constexpr DWORD kStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;

com::WindowClass& HostClass() {
  static com::WindowClass cls(L"ZMediaControl Host", CS_HREDRAW | CS_VREDRAW, com::WindowImpl<CHostWindow>::WindowProc,
                              reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));
  return cls;
}

RECT WindowRectFor(int width, int height) {
  RECT rect = {0, 0, width, height};
  AdjustWindowRectEx(&rect, kStyle, FALSE, 0);
  return rect;
}

}  // namespace

CHostWindow::CHostWindow() = default;

CHostWindow::~CHostWindow() {
  m_control.Destroy();
  if (m_hWnd) DestroyWindow(m_hWnd);
  if (m_bClassHeld && !m_hWnd) HostClass().Release();
}

bool CHostWindow::Create(int width, int height, const wchar_t* title) {
  RECT rect = WindowRectFor(width, height);
  OffsetRect(&rect, 40 - rect.left, 40 - rect.top);
  if (!CreateFromClass(HostClass(), GetModuleHandleW(nullptr), nullptr, rect, kStyle, 0, title)) return false;
  m_bClassHeld = true;
  ShowWindow(m_hWnd, SW_SHOW);
  UpdateWindow(m_hWnd);
  return true;
}

void CHostWindow::SetClientSize(int width, int height) {
  RECT rect = WindowRectFor(width, height);
  SetWindowPos(m_hWnd, nullptr, 0, 0, rect.right - rect.left, rect.bottom - rect.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CHostWindow::After(double seconds, std::function<void()> action) {
  StartTimer(seconds, {std::move(action), false});
}

void CHostWindow::Every(double seconds, std::function<void()> action) {
  StartTimer(seconds, {std::move(action), true});
}

void CHostWindow::StartTimer(double seconds, Timer timer) {
  UINT_PTR id = m_nextTimer++;
  if (SetTimer(m_hWnd, id, static_cast<UINT>(seconds * 1000.0 + 0.5), nullptr)) m_timers.emplace(id, std::move(timer));
}

bool CHostWindow::ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM, LRESULT& result) {
  result = 0;
  switch (msg) {
    case WM_SIZE: {
      // The control fills the client area.
      RECT client;
      GetClientRect(hwnd, &client);
      if (m_control.Control()) m_control.Resize(client);
      return true;
    }
    case WM_SETFOCUS:
      if (HWND control = m_control.ControlWindow(); control && IsWindowVisible(control)) SetFocus(control);
      return true;
    case WM_TIMER: {
      auto it = m_timers.find(wParam);
      if (it == m_timers.end()) return false;
      // A copy: the action may start timers of its own or close the window.
      std::function<void()> action = it->second.action;
      if (!it->second.repeat) {
        KillTimer(hwnd, wParam);
        m_timers.erase(it);
      }
      action();
      return true;
    }
    case WM_DESTROY:
      m_control.Destroy();
      m_timers.clear();
      if (m_bQuitOnDestroy) PostQuitMessage(0);
      return true;
    default: return false;
  }
}

int RunMessageLoop(CHostWindow& window) {
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    CContainerSite* site = window.Control().Site();
    IOleInPlaceActiveObject* active = site ? site->ActiveObject() : nullptr;
    if (active && msg.message >= WM_KEYFIRST && msg.message <= WM_KEYLAST && active->TranslateAccelerator(&msg) == S_OK)
      continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return static_cast<int>(msg.wParam);
}

void PumpPendingMessages() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

}  // namespace zm::host
