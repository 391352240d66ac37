#include "ui/flow_ctrl.h"

#include <commctrl.h>

#include <algorithm>
#include <climits>
#include <span>
#include <string>

#include "ui/ui_resources.h"

namespace zm::ui {
namespace {

constexpr int kButtonPicture = 26;  // the button and knob pictures at 100 percent
constexpr int kListPicture = 13;
constexpr int kThumbLength = 15;
constexpr wchar_t kTipPlay[] = L"Play";
constexpr wchar_t kTipPause[] = L"Pause";
constexpr wchar_t kTipStop[] = L"Stop";

LONG Read(IZMediaPlayer* player, HRESULT (STDMETHODCALLTYPE IZMediaPlayer::*get)(LONG*)) {
  LONG value = 0;
  if ((player->*get)(&value) != S_OK) return 0;
  return value;
}

// The dpi of the monitor the window is on where the system says so, else the system's.
int32_t WindowDpi(HWND window) {
  using DpiForWindow = UINT(WINAPI*)(HWND);
  static const auto forWindow = reinterpret_cast<DpiForWindow>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
  if (forWindow) {
    if (const UINT dpi = forWindow(window)) return static_cast<int32_t>(dpi);
  }
  HDC dc = GetDC(window);
  const int dpi = dc ? GetDeviceCaps(dc, LOGPIXELSY) : 0;
  if (dc) ReleaseDC(window, dc);
  return dpi > 0 ? dpi : kBaseDpi;
}

Box BoxOf(HWND child, HWND bar) {
  RECT rect{};
  GetWindowRect(child, &rect);
  MapWindowPoints(HWND_DESKTOP, bar, reinterpret_cast<POINT*>(&rect), 2);
  return {rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
}

void MoveTo(HWND child, const Box& box) { MoveWindow(child, box.left, box.top, box.width, box.height, TRUE); }

}  // namespace

bool CZFlowCtrl::Create(HINSTANCE instance, HWND controlWindow, IZMediaPlayer* player) {
  // The seek bar's and the tooltips' window classes.
  INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_BAR_CLASSES};
  InitCommonControlsEx(&classes);
  m_hInstance = instance;
  m_pPlayer = player;
  return CreateModeless(instance, IDD_FLOWBAR, controlWindow) != nullptr;
}

void CZFlowCtrl::Destroy() { DestroyModeless(); }

// The bar's window goes (with the control window or on its own): everything it made goes too,
// for the next window of the same control starts afresh.
void CZFlowCtrl::OnDestroyDialog() {
  m_btnPlay.Reset();
  m_btnStop.Reset();
  m_btnPlayList.Reset();
  m_trackSeek.Detach();
  m_knobVolume.Detach();
  m_knobVolume.SetFace({});
  // The tooltip is a popup, owned by the top-level window rather than by the bar.
  if (m_hTip) DestroyWindow(m_hTip);
  m_hTip = nullptr;
  SendMessageW(m_hWnd, WM_SETFONT, reinterpret_cast<WPARAM>(m_hOldFont), FALSE);
  m_hOldFont = nullptr;
  m_font.reset();
}

int CZFlowCtrl::ClientHeight() const {
  RECT client{};
  if (!m_hWnd || !GetClientRect(m_hWnd, &client)) return 0;
  return client.bottom - client.top;
}

void CZFlowCtrl::OnInitDialog() {
  m_nDpi = WindowDpi(m_hWnd);
  LayOutAtDpi();
  m_nFlowState = FlowStopped;
  m_bTracking = false;
  m_bSeekEnabled = false;
  m_hbrBack.reset(CreateSolidBrush(m_crBack));
  m_hTip = CreateButtonTips(m_hWnd, m_hInstance);

  const int button = ScaleForDpi(kButtonPicture, m_nDpi), list = ScaleForDpi(kListPicture, m_nDpi);
  m_btnPlay.AddImageSet(DrawFlowPicture(FlowPicture::Play, button), DrawFlowPicture(FlowPicture::PlayPushed, button));
  m_btnPlay.AddImageSet(DrawFlowPicture(FlowPicture::Pause, button), DrawFlowPicture(FlowPicture::PausePushed, button));
  m_btnPlay.Attach(this, m_hWnd, IDC_FLOW_PLAY);
  SetTip(m_btnPlay, kTipPlay);
  m_btnStop.AddImageSet(DrawFlowPicture(FlowPicture::Stop, button), DrawFlowPicture(FlowPicture::StopPushed, button));
  m_btnStop.Attach(this, m_hWnd, IDC_FLOW_STOP);
  SetTip(m_btnStop, kTipStop);
  m_btnPlayList.AddImageSet(DrawFlowPicture(FlowPicture::List, list), DrawFlowPicture(FlowPicture::ListPushed, list));
  m_btnPlayList.Attach(this, m_hWnd, IDC_FLOW_PLAYLIST);
  SetTip(m_btnPlayList, PlaylistButtonFor(0, false).tooltip);

  if (m_trackSeek.Attach(this, m_hWnd, IDC_FLOW_SEEK)) {
    HWND seek = m_trackSeek.m_hWnd;
    SetWindowLongPtrW(seek, GWL_STYLE, GetWindowLongPtrW(seek, GWL_STYLE) | TBS_FIXEDLENGTH);
    SendMessageW(seek, TBM_SETTHUMBLENGTH, ScaleForDpi(kThumbLength, m_nDpi), 0);
    SendMessageW(seek, TBM_SETRANGE, TRUE, MAKELPARAM(0, kSeekScale));
    // Neither page nor line steps: a click jumps, and only the thumb is dragged.
    SendMessageW(seek, TBM_SETPAGESIZE, 0, 0);
    SendMessageW(seek, TBM_SETLINESIZE, 0, 0);
    EnableWindow(seek, FALSE);
  }
  SetTime(0);
  m_knobVolume.SetFace(DrawFlowPicture(FlowPicture::Knob, button));
  m_knobVolume.Attach(this, m_hWnd, IDC_FLOW_VOLUME);
}

// The bar keeps its pixel layout whatever the system font: its template is laid out in the
// pixels of its own font at 96 dpi, and those pixels are scaled to the window's dpi, so that at
// 200 percent everything is exactly twice as large (base units measured at 192 dpi would not be:
// font heights round). The children are given the font at the window's dpi.
void CZFlowCtrl::LayOutAtDpi() {
  HRSRC found = FindResourceW(m_hInstance, MAKEINTRESOURCEW(IDD_FLOWBAR), MAKEINTRESOURCEW(5));  // RT_DIALOG
  HGLOBAL loaded = found ? LoadResource(m_hInstance, found) : nullptr;
  const auto* bytes = loaded ? static_cast<const uint8_t*>(LockResource(loaded)) : nullptr;
  if (!bytes) return;
  const std::optional<DialogTemplateLayout> layout =
      ReadDialogTemplate(std::span(bytes, SizeofResource(m_hInstance, found)));
  if (!layout) return;
  const std::wstring face(layout->face.begin(), layout->face.end());
  auto fontAt = [&](int32_t dpi) {
    return CreateFontW(FontHeightAtDpi(layout->pointSize, dpi), 0, 0, 0, layout->weight, layout->italic, FALSE, FALSE,
                       DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                       DEFAULT_PITCH | FF_DONTCARE, face.c_str());
  };
  m_font.reset(fontAt(m_nDpi));
  UniqueFont base(fontAt(kBaseDpi));
  if (!m_font || !base) return;
  m_hOldFont = reinterpret_cast<HFONT>(SendMessageW(m_hWnd, WM_GETFONT, 0, 0));
  SendMessageW(m_hWnd, WM_SETFONT, reinterpret_cast<WPARAM>(m_font.get()), FALSE);

  HDC dc = GetDC(m_hWnd);
  if (!dc) return;
  HGDIOBJ old = SelectObject(dc, base.get());
  TEXTMETRICW metrics{};
  SIZE letters{};
  static constexpr wchar_t kLetters[] = L"abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";
  const bool measured = GetTextMetricsW(dc, &metrics) &&
                        GetTextExtentPoint32W(dc, kLetters, static_cast<int>(std::size(kLetters) - 1), &letters);
  SelectObject(dc, old);
  ReleaseDC(m_hWnd, dc);
  if (!measured) return;
  const int32_t horizontal = HorizontalBaseUnit(letters.cx);
  const int32_t vertical = metrics.tmHeight;
  auto x = [&](int32_t units) { return ScaleForDpi(DialogUnitsToPixels(units, horizontal, 4), m_nDpi); };
  auto y = [&](int32_t units) { return ScaleForDpi(DialogUnitsToPixels(units, vertical, 8), m_nDpi); };

  RECT frame = {0, 0, x(layout->cx), y(layout->cy)};
  AdjustWindowRectEx(&frame, layout->style, FALSE, layout->exStyle);
  SetWindowPos(m_hWnd, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  for (const DialogTemplateItem& item : layout->items) {
    HWND child = GetDlgItem(m_hWnd, static_cast<int>(item.id));
    if (!child) continue;
    MoveWindow(child, x(item.x), y(item.y), x(item.cx), y(item.cy), TRUE);
    SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(m_font.get()), FALSE);
  }
}

void CZFlowCtrl::LayOutControls() {
  if (!m_hWnd || !m_trackSeek.m_hWnd) return;
  HWND time = GetDlgItem(m_hWnd, IDC_FLOW_TIME);
  const FlowBarBoxes now = {BoxOf(m_btnPlay.m_hWnd, m_hWnd),    BoxOf(m_btnStop.m_hWnd, m_hWnd),
                            BoxOf(m_trackSeek.m_hWnd, m_hWnd),  BoxOf(m_btnPlayList.m_hWnd, m_hWnd),
                            BoxOf(m_knobVolume.m_hWnd, m_hWnd), BoxOf(time, m_hWnd)};
  RECT client{};
  GetClientRect(m_hWnd, &client);
  const FlowBarBoxes next = LayOutFlowBar(now, client.right, m_nDpi);
  MoveTo(m_trackSeek.m_hWnd, next.seek);
  MoveTo(m_btnPlay.m_hWnd, next.play);
  MoveTo(m_btnStop.m_hWnd, next.stop);
  MoveTo(m_btnPlayList.m_hWnd, next.playlist);
  MoveTo(m_knobVolume.m_hWnd, next.knob);
  MoveTo(time, next.time);
}

void CZFlowCtrl::SetTip(CBmpBtn& button, const wchar_t* text) { SetButtonTip(m_hTip, m_hWnd, button, text); }

void CZFlowCtrl::ShowPlayPicture(size_t set) {
  SetTip(m_btnPlay, set == 1 ? kTipPause : kTipPlay);
  m_btnPlay.SetImageSet(set);
}

void CZFlowCtrl::SetTime(int64_t seconds) { SetDlgItemTextW(m_hWnd, IDC_FLOW_TIME, FlowTimeText(seconds).c_str()); }

FlowPosition CZFlowCtrl::ReadPosition() {
  FlowPosition at;
  at.mode = m_nPlaybackMode;
  if (!m_pPlayer) return at;
  at.total = Read(m_pPlayer, &IZMediaPlayer::get_TotalTime_Sec);
  at.current = Read(m_pPlayer, &IZMediaPlayer::get_CurrentPlaybackTime_Sec);
  at.timeShiftPosition = Read(m_pPlayer, &IZMediaPlayer::get_TimeShiftPosition);
  VARIANT_BOOL live = VARIANT_FALSE;
  at.canSwitchToLive = m_pPlayer->get_TimeShiftCanSwitchToLive(&live) == S_OK && live != VARIANT_FALSE;
  return at;
}

void CZFlowCtrl::OnButton(int id) {
  if (!m_pPlayer) return;
  switch (id) {
    case IDC_FLOW_PLAY:
      if (m_nFlowState == FlowPlaying) m_pPlayer->Pause();
      else m_pPlayer->Play();
      break;
    case IDC_FLOW_STOP:
      m_pPlayer->Stop();
      ShowPlayPicture(0);  // at once, before the session reports the stop
      break;
    case IDC_FLOW_PLAYLIST:
      if (m_nPlaybackMode == 1) m_pPlayer->ViewPlayListControl();
      else if (m_nPlaybackMode == 4 && (m_nFlowState == FlowPlaying || m_nFlowState == FlowPaused))
        m_pPlayer->Seek(0);  // back to the live point
      break;
    default: break;
  }
}

void CZFlowCtrl::SeekToScale(int32_t pos) {
  if (!m_trackSeek.m_hWnd || !m_pPlayer) return;
  SendMessageW(m_trackSeek.m_hWnd, TBM_SETPOS, TRUE, pos);
  const std::optional<int64_t> target = SeekForPosition(pos, ReadPosition());
  if (target) m_pPlayer->Seek(static_cast<LONG>(std::clamp<int64_t>(*target, 0, LONG_MAX)));
}

void CZFlowCtrl::ChangeVolume(int32_t volume) {
  if (m_pPlayer) m_pPlayer->AdjustVolume(volume);
}

void CZFlowCtrl::OnHScroll(int code, int pos) {
  const FlowPosition at = ReadPosition();
  if (at.total == 0) return;
  if (code == TB_THUMBTRACK) {
    m_bTracking = true;
    SetDlgItemTextW(m_hWnd, IDC_FLOW_TIME, FlowTimeText(TrackedTime(pos, at)).c_str());
    SetFocus(m_hWnd);
  } else if (code == TB_THUMBPOSITION) {
    const std::optional<int64_t> target = SeekForPosition(pos, at);
    if (m_nFlowState != FlowSeeking && target)
      m_pPlayer->Seek(static_cast<LONG>(std::clamp<int64_t>(*target, 0, LONG_MAX)));
    m_bTracking = false;
  }
}

void CZFlowCtrl::MoveFocus(HWND from, bool backward) {
  if (HWND next = GetNextDlgTabItem(m_hWnd, from, backward)) SetFocus(next);
}

void CZFlowCtrl::TakeFocus(bool last) {
  if (!m_hWnd) return;
  if (HWND stop = GetNextDlgTabItem(m_hWnd, nullptr, last)) SetFocus(stop);
}

void CZFlowCtrl::OnFlowEvent(int event) {
  const std::optional<FlowEventEffect> effect = FlowEventOutcome(event, m_nPlaybackMode);
  if (!effect || !m_hWnd) return;
  m_nFlowState = effect->state;
  if (effect->imageSet) ShowPlayPicture(static_cast<size_t>(*effect->imageSet));
  HWND seek = m_trackSeek.m_hWnd;
  switch (effect->seekBar) {
    case SeekBarChange::EnableIfSeekable: EnableWindow(seek, m_bSeekEnabled); break;
    case SeekBarChange::ResetAndDisable:
      SendMessageW(seek, TBM_SETPOS, TRUE, 0);
      SendMessageW(seek, TBM_CLEARSEL, TRUE, 0);
      [[fallthrough]];
    case SeekBarChange::Disable: EnableWindow(seek, FALSE); break;
  }
  if (effect->stopTracking) m_bTracking = false;
  if (effect->resetTime) SetTime(0);
  if (effect->enablePlaylistButton) EnableWindow(m_btnPlayList.m_hWnd, TRUE);
  if (effect->mode) m_nPlaybackMode = *effect->mode;
}

void CZFlowCtrl::SetFlowMode(int32_t mode, bool seekable) {
  m_nPlaybackMode = mode;
  m_bSeekEnabled = seekable;
  if (!m_hWnd) return;
  const PlaylistButtonLook look = PlaylistButtonFor(mode, ReadPosition().canSwitchToLive);
  SetTip(m_btnPlayList, look.tooltip);
  EnableWindow(m_btnPlayList.m_hWnd, look.enabled);
  if (mode == 3) SendMessageW(m_trackSeek.m_hWnd, TBM_SETPOS, TRUE, kSeekScale);  // parked at the live edge
}

void CZFlowCtrl::Refresh() {
  if (!m_hWnd || (m_nFlowState != FlowPlaying && m_nFlowState != FlowPaused)) return;
  const FlowPosition at = ReadPosition();
  if (m_nPlaybackMode == 1) {
    const std::optional<int32_t> end =
        DownloadedSelectionEnd(Read(m_pPlayer, &IZMediaPlayer::get_CurrentDownloadTime_Sec), at.total);
    if (end) SendMessageW(m_trackSeek.m_hWnd, TBM_SETSEL, TRUE, MAKELPARAM(0, *end));
  }
  if (m_nPlaybackMode == 4) EnableWindow(m_btnPlayList.m_hWnd, at.canSwitchToLive);
  if (m_bTracking) return;
  SetTime(at.current);
  if (const std::optional<int32_t> thumb = RefreshedThumb(at))
    SendMessageW(m_trackSeek.m_hWnd, TBM_SETPOS, TRUE, *thumb);
}

bool CZFlowCtrl::ProcessDialogMessage(HWND, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  switch (msg) {
    case WM_INITDIALOG:
      OnInitDialog();
      result = FALSE;  // the bar does not take the focus from the control when it appears
      return true;
    case WM_COMMAND:
      if (HIWORD(wParam) != BN_CLICKED) return false;
      OnButton(LOWORD(wParam));
      return true;
    case WM_HSCROLL:
      if (reinterpret_cast<HWND>(lParam) != m_trackSeek.m_hWnd) return false;
      OnHScroll(LOWORD(wParam), static_cast<short>(HIWORD(wParam)));
      return true;
    case WM_DRAWITEM: {
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      CBmpBtn* button = item->CtlID == IDC_FLOW_PLAY       ? &m_btnPlay
                        : item->CtlID == IDC_FLOW_STOP     ? &m_btnStop
                        : item->CtlID == IDC_FLOW_PLAYLIST ? &m_btnPlayList
                                                           : nullptr;
      if (button) button->Draw(*item, m_hbrBack.get());
      result = TRUE;  // the knob paints itself
      return true;
    }
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
      SetBkColor(reinterpret_cast<HDC>(wParam), m_crBack);
      result = reinterpret_cast<LRESULT>(m_hbrBack.get());
      return true;
    case WM_ZM_FLOWMODE: SetFlowMode(static_cast<int32_t>(wParam), lParam != 0); return true;
    case WM_DESTROY: OnDestroyDialog(); return false;
    default: return false;
  }
}

}  // namespace zm::ui
