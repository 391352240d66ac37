#include "ui/flow_bar_controls.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>

#include "ui/flow_ctrl.h"

namespace zm::ui {

// CFlowBarChild

bool CFlowBarChild::Attach(CZFlowCtrl* bar, HWND dialog, int id) {
  Detach();
  HWND child = GetDlgItem(dialog, id);
  if (!child || !SetWindowSubclass(child, SubclassProc, 0, reinterpret_cast<DWORD_PTR>(this))) return false;
  m_pBar = bar;
  m_hWnd = child;
  return true;
}

void CFlowBarChild::Detach() {
  if (m_hWnd) RemoveWindowSubclass(m_hWnd, SubclassProc, 0);
  m_hWnd = nullptr;
}

LRESULT CFlowBarChild::Default(UINT msg, WPARAM wParam, LPARAM lParam) {
  return DefSubclassProc(m_hWnd, msg, wParam, lParam);
}

LRESULT CALLBACK CFlowBarChild::SubclassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                             DWORD_PTR self) {
  auto* child = reinterpret_cast<CFlowBarChild*>(self);
  if (msg == WM_NCDESTROY) {
    child->Detach();
    return DefSubclassProc(hwnd, msg, wParam, lParam);
  }
  // The host's message loop knows nothing of the bar's dialog: Tab moves between its stops here.
  // A button of another window (the playlist dialog) leaves Tab to that window.
  if (child->m_pBar && msg == WM_KEYDOWN && wParam == VK_TAB) {
    child->m_pBar->MoveFocus(hwnd, GetKeyState(VK_SHIFT) < 0);
    return 0;
  }
  if (child->m_pBar && msg == WM_GETDLGCODE) return DefSubclassProc(hwnd, msg, wParam, lParam) | DLGC_WANTTAB;
  LRESULT result = 0;
  if (child->OnMessage(msg, wParam, lParam, result)) return result;
  return DefSubclassProc(hwnd, msg, wParam, lParam);
}

// CBmpBtn

HWND CreateButtonTips(HWND owner, HINSTANCE instance) {
  return CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
                         CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr, instance, nullptr);
}

void SetButtonTip(HWND tips, HWND owner, CBmpBtn& button, const wchar_t* text) {
  if (!button.m_hWnd) return;
  SetWindowTextW(button.m_hWnd, text);
  if (!tips) return;
  TTTOOLINFOW tool = {};
  tool.cbSize = sizeof tool;
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = owner;
  tool.uId = reinterpret_cast<UINT_PTR>(button.m_hWnd);
  SendMessageW(tips, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  tool.lpszText = const_cast<wchar_t*>(text);  // copied by the tooltip
  SendMessageW(tips, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

void CBmpBtn::AddImageSet(UniqueBitmap normal, UniqueBitmap pushed) {
  m_images.push_back({std::move(normal), std::move(pushed)});
}

void CBmpBtn::Reset() {
  Detach();
  m_images.clear();
  m_nImageSet = 0;
}

void CBmpBtn::SetImageSet(size_t set) {
  if (set >= m_images.size()) return;
  m_nImageSet = set;
  if (!m_hWnd) return;
  InvalidateRect(m_hWnd, nullptr, FALSE);
  UpdateWindow(m_hWnd);
}

void CBmpBtn::Draw(const DRAWITEMSTRUCT& item, HBRUSH background) {
  FillRect(item.hDC, &item.rcItem, background);
  if (m_nImageSet < m_images.size()) {
    const auto& set = m_images[m_nImageSet];
    const bool pushed = (item.itemState & ODS_SELECTED) && set[1];
    DrawTransparent(item.hDC, (pushed ? set[1] : set[0]).get(), item.rcItem.left, item.rcItem.top);
  }
  // The keyboard user sees where the focus is.
  if ((item.itemState & ODS_FOCUS) && !(item.itemState & ODS_NOFOCUSRECT)) DrawFocusRect(item.hDC, &item.rcItem);
}

bool CBmpBtn::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  switch (msg) {
    case WM_ERASEBKGND: result = 1; return true;  // the drawing covers the whole button
    case WM_LBUTTONDBLCLK:
      // A second click in quick succession is a click like the first.
      result = Default(WM_LBUTTONDOWN, wParam, lParam);
      return true;
    case WM_KEYDOWN:
      if (wParam != VK_RETURN) return false;
      SendMessageW(GetParent(m_hWnd), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(m_hWnd), BN_CLICKED),
                   reinterpret_cast<LPARAM>(m_hWnd));
      return true;
    default: return false;
  }
}

// CGoToClickTrackBar

CGoToClickTrackBar::CGoToClickTrackBar() : m_hbrThumb(CreateSolidBrush(RGB(192, 192, 192))) {}

int32_t CGoToClickTrackBar::Position() const {
  return m_hWnd ? static_cast<int32_t>(SendMessageW(m_hWnd, TBM_GETPOS, 0, 0)) : 0;
}

bool CGoToClickTrackBar::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  switch (msg) {
    case WM_LBUTTONDOWN: {
      // Client coordinates are signed: a point left of the window is left of the channel.
      const POINT point = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      RECT channel{}, thumb{};
      SendMessageW(m_hWnd, TBM_GETCHANNELRECT, 0, reinterpret_cast<LPARAM>(&channel));
      SendMessageW(m_hWnd, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
      // On the thumb, or off the channel, the standard dragging follows.
      if (PtInRect(&channel, point) && !PtInRect(&thumb, point) && IsWindowEnabled(m_hWnd))
        m_pBar->SeekToScale(SeekScaleAt(point.x, channel.left, channel.right));
      return false;  // with page and line size 0 the standard handling moves nothing more
    }
    case WM_KEYDOWN: {
      // Keys seek the way clicks do: a twentieth of the scale a step, or to either end.
      int32_t pos = Position();
      switch (wParam) {
        case VK_LEFT:
        case VK_DOWN: pos -= kSeekScale / 20; break;
        case VK_RIGHT:
        case VK_UP: pos += kSeekScale / 20; break;
        case VK_PRIOR: pos -= kSeekScale / 5; break;
        case VK_NEXT: pos += kSeekScale / 5; break;
        case VK_HOME: pos = 0; break;
        case VK_END: pos = kSeekScale; break;
        default: return false;
      }
      if (IsWindowEnabled(m_hWnd)) m_pBar->SeekToScale(std::clamp(pos, 0, kSeekScale));
      return true;
    }
    case WM_PAINT:
      result = Default(msg, wParam, lParam);
      PaintThumb();
      return true;
    default: return false;
  }
}

void CGoToClickTrackBar::PaintThumb() {
  // A flat grey thumb inside the standard outline.
  RECT thumb{};
  SendMessageW(m_hWnd, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
  thumb.left += 1;
  thumb.top += 1;
  thumb.right -= 2;
  thumb.bottom -= 2;
  if (thumb.right <= thumb.left || thumb.bottom <= thumb.top) return;
  HDC dc = GetDC(m_hWnd);
  if (!dc) return;
  FillRect(dc, &thumb, m_hbrThumb.get());
  ReleaseDC(m_hWnd, dc);
}

// CKnobSlider

void CKnobSlider::ShowVolume(int32_t volume) {
  m_nPos = KnobOfVolume(volume, m_nMin, m_nMax);
  if (m_hWnd) InvalidateRect(m_hWnd, nullptr, FALSE);
}

void CKnobSlider::ApplyPointer(LPARAM lParam) {
  RECT client{};
  GetClientRect(m_hWnd, &client);
  const int32_t centre = client.right / 2;
  Apply(KnobValueAt(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam), centre, centre, m_nMin, m_nMax));
}

void CKnobSlider::Apply(int32_t value) {
  m_nPos = std::clamp(value, m_nMin, m_nMax);
  m_pBar->ChangeVolume(VolumeOfKnob(m_nPos));
  InvalidateRect(m_hWnd, nullptr, FALSE);
  UpdateWindow(m_hWnd);
}

void CKnobSlider::EndDrag() {
  KillTimer(m_hWnd, kBlinkTimerId);
  m_bDragging = false;
  m_bBlink = false;
  InvalidateRect(m_hWnd, nullptr, TRUE);
}

bool CKnobSlider::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  switch (msg) {
    case WM_LBUTTONDOWN:
      SetFocus(m_hWnd);
      SetCapture(m_hWnd);
      m_bDragging = true;
      ApplyPointer(lParam);
      SetTimer(m_hWnd, kBlinkTimerId, kBlinkMs, nullptr);
      return true;
    case WM_MOUSEMOVE:
      if (m_bDragging) ApplyPointer(lParam);
      return true;
    case WM_LBUTTONUP:
      if (!m_bDragging) return true;
      ApplyPointer(lParam);
      EndDrag();  // before the capture goes: losing it ends a drag without applying
      ReleaseCapture();
      return true;
    case WM_CAPTURECHANGED:
      if (m_bDragging) EndDrag();
      return true;
    case WM_LBUTTONDBLCLK:
    case WM_ERASEBKGND: result = 1; return true;
    case WM_TIMER:
      if (wParam != kBlinkTimerId) return false;
      m_bBlink = !m_bBlink;
      InvalidateRect(m_hWnd, nullptr, FALSE);
      return true;
    case WM_SETCURSOR:
      SetCursor(LoadCursorW(nullptr, IDC_HAND));
      result = TRUE;
      return true;
    case WM_KEYDOWN: {
      int32_t value = m_nPos;
      switch (wParam) {
        case VK_LEFT:
        case VK_DOWN: value -= kKeyStep; break;
        case VK_RIGHT:
        case VK_UP: value += kKeyStep; break;
        case VK_PRIOR: value += 4 * kKeyStep; break;
        case VK_NEXT: value -= 4 * kKeyStep; break;
        case VK_HOME: value = m_nMin; break;
        case VK_END: value = m_nMax; break;
        default: return true;  // the knob is no push button: Space and Enter do nothing
      }
      Apply(value);
      return true;
    }
    case WM_KEYUP:
    case WM_CHAR: return true;
    case WM_SETFOCUS:
    case WM_KILLFOCUS: InvalidateRect(m_hWnd, nullptr, FALSE); return false;
    case WM_PAINT: Paint(); return true;
    default: return false;
  }
}

void CKnobSlider::Paint() {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(m_hWnd, &paint);
  if (!dc) return;
  RECT client{};
  GetClientRect(m_hWnd, &client);
  HDC memory = CreateCompatibleDC(dc);
  HBITMAP surface = CreateCompatibleBitmap(dc, client.right, client.bottom);
  if (memory && surface) {
    HGDIOBJ oldSurface = SelectObject(memory, surface);
    FillRect(memory, &client, m_pBar->BackBrush());
    DrawTransparent(memory, m_bmpFace.get(), 0, 0);
    const int32_t radius = client.right / 2;
    const Offset dot = KnobDotOffset(m_nPos, m_nMin, m_nMax, client.right);
    const int32_t px = radius + dot.dx, py = radius + dot.dy;
    const int32_t d = std::min(radius, std::max(2, radius / 5));  // 2 for a 26-pixel knob
    HBRUSH red = CreateSolidBrush(m_bBlink ? RGB(255, 0, 0) : RGB(192, 0, 0));
    HGDIOBJ oldBrush = SelectObject(memory, red);
    Ellipse(memory, px - d, py - d, px + d + 1, py + d + 1);
    HPEN light = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNHIGHLIGHT));
    HGDIOBJ oldPen = SelectObject(memory, light);
    Arc(memory, px - d, py - d, px + d + 1, py + d + 1, px - d, py + d + 1, px + d + 1, py - d);
    SelectObject(memory, oldPen);
    SelectObject(memory, oldBrush);
    DeleteObject(light);
    DeleteObject(red);
    if (GetFocus() == m_hWnd) DrawFocusRect(memory, &client);
    BitBlt(dc, 0, 0, client.right, client.bottom, memory, 0, 0, SRCCOPY);
    SelectObject(memory, oldSurface);
  }
  if (surface) DeleteObject(surface);
  if (memory) DeleteDC(memory);
  EndPaint(m_hWnd, &paint);
}

}  // namespace zm::ui
