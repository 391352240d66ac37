// CZFlowCtrl: the flow bar, a modeless child dialog (template 104) docked along the bottom of
// the control window: Play/Pause and Stop, the seek bar, the Playlist/Live button, the volume
// knob and the time display. It steers playback through the control's IZMediaPlayer and reads
// the position through its properties. Window's thread, unless a comment says otherwise.
#pragma once

#include <windows.h>

#include <cstdint>

#include "ZMediaControl_h.h"
#include "com/dialog_impl.h"
#include "ui/flow_arithmetic.h"
#include "ui/flow_bar_controls.h"
#include "ui/flow_pictures.h"

namespace zm::ui {

class CZFlowCtrl : public com::DialogImpl<CZFlowCtrl> {
 public:
  // SetFlowMode from another thread: sent with the mode in wParam and the seek permission in lParam.
  static constexpr UINT WM_ZM_FLOWMODE = WM_APP + 0x50;

  CZFlowCtrl() = default;
  CZFlowCtrl(const CZFlowCtrl&) = delete;
  CZFlowCtrl& operator=(const CZFlowCtrl&) = delete;
  ~CZFlowCtrl() { Destroy(); }

  // Creates the bar as a child of the control window; `player` is the control's own interface,
  // not counted (the control outlives the bar). False when the dialog cannot be made.
  bool Create(HINSTANCE instance, HWND controlWindow, IZMediaPlayer* player);
  void Destroy();
  // The bar's client height in pixels (0 without a window).
  int ClientHeight() const;
  // Lays out the bar's own controls for its width, after the control placed it.
  void LayOutControls();
  // Display events of the session: 0 playing, 1 paused, 2 stopped, 3 rebuffering, 4 seeking,
  // 5 stopped with a restart following.
  void OnFlowEvent(int event);
  // The playback mode and seek permission of the reply the negotiation applied.
  void SetFlowMode(int32_t mode, bool seekable);
  // Each second of a running session: the time display, the thumb and the downloaded part.
  void Refresh();
  // AdjustVolume's value, from anyone: the knob follows.
  void ShowVolume(int32_t volume) { m_knobVolume.ShowVolume(volume); }

  int32_t PlaybackMode() const { return m_nPlaybackMode; }
  int32_t FlowState() const { return m_nFlowState; }

  // For the bar's own controls.
  HBRUSH BackBrush() const { return m_hbrBack.get(); }
  void MoveFocus(HWND from, bool backward);
  // The keyboard enters the bar at its first stop, or at its last.
  void TakeFocus(bool last);
  void SeekToScale(int32_t pos);
  void ChangeVolume(int32_t volume);

  bool ProcessDialogMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);

 private:
  void OnInitDialog();
  void OnDestroyDialog();
  void LayOutAtDpi();
  void OnButton(int id);
  void OnHScroll(int code, int pos);
  void ShowPlayPicture(size_t set);
  void SetTip(CBmpBtn& button, const wchar_t* text);
  void SetTime(int64_t seconds);
  FlowPosition ReadPosition();

  HINSTANCE m_hInstance = nullptr;
  IZMediaPlayer* m_pPlayer = nullptr;
  CBmpBtn m_btnPlay, m_btnStop, m_btnPlayList;
  CGoToClickTrackBar m_trackSeek;
  CKnobSlider m_knobVolume;
  int32_t m_nPlaybackMode = 0;
  int32_t m_nFlowState = FlowStopped;
  bool m_bTracking = false;
  bool m_bSeekEnabled = false;
  int32_t m_nDpi = kBaseDpi;  // the window's, when the bar was made
  COLORREF m_crBack = RGB(235, 235, 235);
  UniqueBrush m_hbrBack;
  UniqueFont m_font;           // the bar's font at the window's dpi
  HFONT m_hOldFont = nullptr;  // the dialog's font before it
  HWND m_hTip = nullptr;       // the buttons' tooltips
};

}  // namespace zm::ui
