// CStatusWindow: the small black label with white text over the lower-left corner of the
// control window that says why no picture moves (connecting, switching, paused, buffering with
// its percentage, seeking, broadcast ended). The control shows, hides and places it; the label
// sizes itself to its text. Window's thread.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

#include "com/window_impl.h"

namespace zm::ui {

class CStatusWindow : public com::WindowImpl<CStatusWindow> {
 public:
  static constexpr UINT_PTR kTimerId = 435;
  static constexpr UINT kTimerMs = 500;

  CStatusWindow() = default;
  CStatusWindow(const CStatusWindow&) = delete;
  CStatusWindow& operator=(const CStatusWindow&) = delete;
  ~CStatusWindow() { Destroy(); }

  // A hidden child of the control window at (0, 0), 60 x 20. `bufferingPercent` reads the
  // media buffer's progress while buffering is shown.
  bool Create(HINSTANCE instance, HWND controlWindow, std::function<int32_t()> bufferingPercent);
  void Destroy();
  int Height() const { return m_cy; }
  const std::wstring& Text() const { return m_sText; }

  // The session's state and the status code as the control's ShowPlaybackStatus passes them;
  // `show` says whether the label is to be seen (then its text is brought up to date).
  void Update(int32_t state, int32_t code, bool switchPending, bool show);

  bool ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);

 private:
  void UpdateText();
  void OnPaint();

  std::function<int32_t()> m_bufferingPercent;
  int32_t m_nShownState = 0;
  int32_t m_nStatusCode = -1;
  bool m_bSwitchPending = false;
  std::wstring m_sText;
  int m_cx = 60;
  int m_cy = 20;
  com::WindowClassUse m_classUse;  // held while the window exists
};

}  // namespace zm::ui
