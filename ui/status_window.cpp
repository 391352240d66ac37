#include "ui/status_window.h"

#include "protocol/player_enums.h"
#include "ui/status_text.h"

namespace zm::ui {
namespace {

constexpr int kMargin = 3;  // the text's origin; the label is the text plus twice this

com::WindowClass& StatusClass() {
  static com::WindowClass cls(L"ZMediaControl Status", CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS,
                              com::WindowImpl<CStatusWindow>::WindowProc,
                              static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  return cls;
}

}  // namespace

bool CStatusWindow::Create(HINSTANCE instance, HWND controlWindow, std::function<int32_t()> bufferingPercent) {
  m_bufferingPercent = std::move(bufferingPercent);
  RECT rect = {0, 0, m_cx, m_cy};
  if (!CreateFromClass(StatusClass(), instance, controlWindow, rect, WS_CHILD, 0, L"Status")) return false;
  m_classUse = com::WindowClassUse(&StatusClass());
  SetTimer(m_hWnd, kTimerId, kTimerMs, nullptr);
  return true;
}

void CStatusWindow::Destroy() {
  if (m_hWnd) {
    KillTimer(m_hWnd, kTimerId);
    DestroyWindow(m_hWnd);
  }
  // Only once the window is gone can its class be unregistered.
  if (!m_hWnd) m_classUse.reset();
}

void CStatusWindow::Update(int32_t state, int32_t code, bool switchPending, bool show) {
  if (!m_hWnd) return;
  m_nShownState = state;
  m_nStatusCode = code;
  m_bSwitchPending = switchPending;
  if (!show) {
    ShowWindow(m_hWnd, SW_HIDE);
    return;
  }
  UpdateText();
  ShowWindow(m_hWnd, SW_SHOWNA);
  InvalidateRect(m_hWnd, nullptr, TRUE);
  SetWindowPos(m_hWnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void CStatusWindow::UpdateText() {
  const int32_t percent = m_bufferingPercent ? m_bufferingPercent() : 0;
  if (std::optional<std::wstring> text = StatusText(m_nShownState, m_nStatusCode, m_bSwitchPending, percent))
    m_sText = std::move(*text);
  // The window's text is the label's, for screen readers and for whoever reads it back.
  SetWindowTextW(m_hWnd, m_sText.c_str());
  // The label fits its text and grows from its top-left corner; the control's next layout
  // brings its bottom back to the margin.
  HDC dc = GetDC(m_hWnd);
  if (!dc) return;
  HGDIOBJ old = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
  SIZE size{};
  const bool measured = GetTextExtentPoint32W(dc, m_sText.c_str(), static_cast<int>(m_sText.size()), &size);
  SelectObject(dc, old);
  ReleaseDC(m_hWnd, dc);
  if (!measured) return;
  m_cx = size.cx + 2 * kMargin;
  m_cy = size.cy + 2 * kMargin;
  SetWindowPos(m_hWnd, nullptr, 0, 0, m_cx, m_cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CStatusWindow::OnPaint() {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(m_hWnd, &paint);
  if (dc) {
    HGDIOBJ old = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    SetBkColor(dc, RGB(0, 0, 0));
    SetTextColor(dc, RGB(255, 255, 255));
    SetBkMode(dc, OPAQUE);
    TextOutW(dc, kMargin, kMargin, m_sText.c_str(), static_cast<int>(m_sText.size()));
    SelectObject(dc, old);
  }
  EndPaint(m_hWnd, &paint);
}

bool CStatusWindow::ProcessWindowMessage(HWND, UINT msg, WPARAM wParam, LPARAM, LRESULT& result) {
  result = 0;
  switch (msg) {
    case WM_PAINT: OnPaint(); return true;
    case WM_TIMER:
      // Only the buffering percentage moves while the label is up.
      if (wParam != kTimerId) return false;
      if (m_nShownState == protocol::Paused && m_nStatusCode == kStatusBuffering && IsWindowVisible(m_hWnd)) {
        UpdateText();
        InvalidateRect(m_hWnd, nullptr, TRUE);
        SetWindowPos(m_hWnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
      }
      return true;
    default: return false;
  }
}

}  // namespace zm::ui
