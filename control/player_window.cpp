// The control window of CZMediaPlayer: its message map, creation and destruction, the
// layout on WM_SIZE, painting with the logo, full screen and the flow bar toggle.
#include "control/layout.h"
#include "control/module.h"
#include "control/player.h"

namespace zm::control {

bool CZMediaPlayer::ProcessWindowMessage(HWND, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  result = 0;
  switch (msg) {
    case WM_DESTROY: OnDestroy(); return true;
    case WM_CREATE: result = OnCreate(); return true;
    case WM_TIMER:
      if (wParam != kSessionTimerId) return false;
      OnSessionTimer();
      return true;
    case WM_COMMAND: return OnCommand(LOWORD(wParam), lParam);
    case WM_CONTEXTMENU: ShowContextMenu(lParam); return true;
    case session::WM_ZM_FIRE: OnFire(wParam, lParam); return true;
    case session::WM_ZM_SESSION:
      if (wParam >= session::kSessionCodeCount) return false;
      OnSessionMessage(wParam, lParam);
      return true;
    case session::WM_ZM_CREDENTIALS: AskForCredentials(); return true;
    case session::WM_ZM_RESYNC: ResyncRenderer(lParam != 0); return true;
    case WM_SIZE: OnSize(LOWORD(lParam), HIWORD(lParam)); return true;
    case WM_LBUTTONDBLCLK:
      if (ShowsPicture()) OnDoubleClick();
      return true;
    case WM_KEYDOWN:
      if (wParam == VK_ESCAPE) LeaveFullScreen();
      // Tab leads the keyboard into the flow bar, Shift+Tab to its last stop.
      else if (wParam == VK_TAB && m_settings.m_bFlowBarShown) m_wndFlowBar.TakeFocus(GetKeyState(VK_SHIFT) < 0);
      return true;  // no key reaches the default handling
    case WM_SYSKEYDOWN:
      LeaveFullScreen();
      return false;  // the default handling keeps the host's Alt shortcuts working
    // The standard handling of an in-place control window.
    case WM_PAINT: OnPaint(); return true;
    case WM_MOUSEACTIVATE:
      if (m_bInPlaceActive && !m_bUIActive) UIActivate();
      return false;
    case WM_SETFOCUS:
    case WM_KILLFOCUS: {
      if (msg == WM_SETFOCUS && m_bInPlaceActive && !m_bUIActive) UIActivate();
      com::ComPtr<IOleControlSite> controlSite;
      if (m_spClientSite && SUCCEEDED(m_spClientSite.query(&controlSite))) controlSite->OnFocus(msg == WM_SETFOCUS);
      return false;
    }
    default: return false;
  }
}

void CZMediaPlayer::OnFinalMessage(HWND) {
  // A window destroyed by its parent leaves the control in-place active without a window;
  // the class is released at deactivation, once nothing of it is left.
}

LRESULT CZMediaPlayer::OnCreate() {
  SetClassLongPtrW(m_hWnd, GCLP_HBRBACKGROUND, reinterpret_cast<LONG_PTR>(GetStockObject(BLACK_BRUSH)));
  m_wndFlowBar.Create(Module().Instance(), m_hWnd, this);
  CreatePlayListDialog();  // owned by the control window, not shown
  m_wndStatus.Create(Module().Instance(), m_hWnd, [this] {
    const session::CMediaBuffer* buffer = m_sessionController.Buffer();
    return buffer ? buffer->Frames().BufferingPercent() : 0;
  });
  m_nFlowBarHeight = m_wndFlowBar.ClientHeight();
  LoadContextMenu();
  if (m_wndFlowBar.m_hWnd) ShowWindow(m_wndFlowBar.m_hWnd, m_settings.m_bFlowBarShown ? SW_SHOWNA : SW_HIDE);
  return 0;
}

void CZMediaPlayer::OnDestroy() {
  ClosePlayListDialog();
  m_wndStatus.Destroy();
  // A control going away ends its session for good, without a next entry or a restart.
  m_session.m_bPlayListAdvance = false;
  m_session.m_bSwitching = false;
  StopProcedure();
  DestroyContextMenu();
}

void CZMediaPlayer::OnSize(int32_t cx, int32_t cy) {
  LayoutInput in;
  in.clientWidth = cx;
  in.clientHeight = cy;
  in.flowBarShown = m_settings.m_bFlowBarShown;
  in.flowBarHeight = m_nFlowBarHeight;
  in.active = IsActive();
  in.hasVideo = !m_session.m_bAudioOnly;
  in.videoWidth = m_session.m_nVideoWidth;
  in.videoHeight = m_session.m_nVideoHeight;
  in.aspectRatio = m_settings.m_nAspectRatio;
  if (m_pLogo) {
    in.logoWidth = m_sizeLogo.cx;
    in.logoHeight = m_sizeLogo.cy;
  }
  if (m_wndStatus.m_hWnd) in.statusWindowHeight = m_wndStatus.Height();
  // A window without area (minimised, or sized to 0 by its host) keeps its last layout.
  std::optional<ControlLayout> layout = LayOutControlWindow(in);
  if (!layout) return;

  m_nViewWidth = layout->viewWidth;
  m_nViewHeight = layout->viewHeight;
  InvalidateRect(m_hWnd, nullptr, TRUE);
  if (layout->flowBar && m_wndFlowBar.m_hWnd) {
    const Rect& bar = *layout->flowBar;
    SetWindowPos(m_wndFlowBar.m_hWnd, nullptr, bar.x, bar.y, bar.width, bar.height, SWP_NOZORDER | SWP_SHOWWINDOW);
    m_wndFlowBar.LayOutControls();
  }
  if (layout->statusWindow && m_wndStatus.m_hWnd)
    SetWindowPos(m_wndStatus.m_hWnd, nullptr, layout->statusWindow->x, layout->statusWindow->y, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  if (layout->picture) {
    m_nSizeMark = static_cast<int32_t>(layout->sizeMark.value_or(SizeMark::Other));
    const Rect& picture = *layout->picture;
    RendererSetVideoPosition(picture.x, picture.y, picture.width, picture.height);
  }
}

void CZMediaPlayer::OnPaint() {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(m_hWnd, &paint);
  if (dc) {
    RECT client;
    GetClientRect(m_hWnd, &client);
    OnDraw(dc, client);
  }
  EndPaint(m_hWnd, &paint);
}

void CZMediaPlayer::OnDraw(HDC dc, const RECT& bounds) {
  if (!m_hWnd || !IsWindow(m_hWnd)) return;
  HWND top = GetAncestor(m_hWnd, GA_ROOT);
  if (top && IsIconic(top)) return;
  DrawLogo(dc, bounds, m_nViewWidth, m_nViewHeight);
  // The flow bar paints over the picture.
  if (m_settings.m_bFlowBarShown && m_wndFlowBar.m_hWnd) InvalidateRect(m_wndFlowBar.m_hWnd, nullptr, TRUE);
}

void CZMediaPlayer::DrawLogo(HDC dc, const RECT& bounds, int32_t viewWidth, int32_t viewHeight) {
  if (!m_pLogo || m_session.m_bPlayListAdvance) return;
  bool showsLogo = m_session.m_nState == Idle || m_session.m_nState == Stopping ||
                   (m_session.m_nState == Connecting && m_settings.m_nResourceKind != FilePlayList);
  if (!showsLogo || viewWidth <= 0 || viewHeight <= 0) return;
  const int32_t width = bounds.right - bounds.left;
  const int32_t height = bounds.bottom - bounds.top;
  const int32_t flowBar = m_settings.m_bFlowBarShown ? m_nFlowBarHeight : 0;
  const int32_t x = viewWidth < width ? (width - viewWidth) / 2 : 0;
  const int32_t spare = height - viewHeight - flowBar;
  const int32_t y = spare > 0 ? spare / 2 : 0;
  m_pLogo->Render(dc, bounds.left + x, bounds.top + y, viewWidth, viewHeight, 0, m_sizeLogo.cy, m_sizeLogo.cx,
                  -m_sizeLogo.cy, nullptr);
}

void CZMediaPlayer::OnDoubleClick() {
  if (RendererIsFullScreen()) LeaveFullScreen();
  else if (m_settings.m_bUserFullScreen) EnterFullScreen();
}

void CZMediaPlayer::EnterFullScreen() {
  m_settings.m_bFullScreenRequested = true;
  // Without a picture the request waits for playback to start.
  if (ShowsPicture()) RendererSetVideoPosition(-1, m_settings.m_nAspectRatio, -1, -1);
}

void CZMediaPlayer::LeaveFullScreen() {
  if (!ShowsPicture() || !RendererIsFullScreen()) return;
  m_settings.m_bFullScreenRequested = false;
  RendererSetVideoPosition(-2, -2, -2, -2);
  ApplyLayout();
}

void CZMediaPlayer::ToggleFlowBar() {
  m_settings.m_bFlowBarShown = !m_settings.m_bFlowBarShown;
  if (!m_hWnd) return;
  if (m_wndFlowBar.m_hWnd) ShowWindow(m_wndFlowBar.m_hWnd, m_settings.m_bFlowBarShown ? SW_SHOWNA : SW_HIDE);
  ApplyLayout();
  RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void CZMediaPlayer::RequestSize(int32_t percent) {
  LeaveFullScreen();
  if (m_hWnd) SendMessageW(m_hWnd, session::WM_ZM_FIRE, session::kFireResize, percent);
  else FireResizeFor(percent);
}

}  // namespace zm::control
