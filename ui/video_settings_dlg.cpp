#include "ui/video_settings_dlg.h"

#include <commctrl.h>

#include <algorithm>

#include "ui/ui_resources.h"

namespace zm::ui {
namespace {

constexpr int32_t kLowest = -50;
constexpr int32_t kHighest = 50;

void PlaceSlider(HWND slider, int32_t position) {
  SendMessageW(slider, TBM_SETRANGEMIN, FALSE, kLowest);
  SendMessageW(slider, TBM_SETRANGEMAX, TRUE, kHighest);
  // Page and line size 0: clicks in the channel and the arrow keys move nothing.
  SendMessageW(slider, TBM_SETPAGESIZE, 0, 0);
  SendMessageW(slider, TBM_SETLINESIZE, 0, 0);
  SendMessageW(slider, TBM_SETPOS, TRUE, std::clamp(position, kLowest, kHighest));
}

}  // namespace

void CVideoSettingsDlg::Open(HINSTANCE instance, HWND controlWindow, VideoSettingsSite* site) {
  site_ = site;
  if (!m_hWnd) {
    const INITCOMMONCONTROLSEX classes{sizeof(INITCOMMONCONTROLSEX), ICC_BAR_CLASSES};
    InitCommonControlsEx(&classes);
    if (!CreateModeless(instance, IDD_VIDEO_SETTINGS, controlWindow)) return;
  }
  RECT control{};
  GetWindowRect(controlWindow, &control);
  SetWindowPos(m_hWnd, nullptr, control.left, control.bottom, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  ShowWindow(m_hWnd, SW_SHOW);
}

void CVideoSettingsDlg::OnScroll(HWND slider) {
  // Whatever moved the thumb (a drag, Home or End, the drag's end), the new position is
  // passed on once.
  const int32_t position = static_cast<int32_t>(SendMessageW(slider, TBM_GETPOS, 0, 0));
  const int id = GetDlgCtrlID(slider);
  if (id == IDC_VIDEO_BRIGHTNESS && position != brightness_) {
    brightness_ = position;
    site_->AdjustBrightness(position);
  } else if (id == IDC_VIDEO_CONTRAST && position != contrast_) {
    contrast_ = position;
    site_->AdjustContrast(position);
  }
}

void CVideoSettingsDlg::Reset() {
  SendDlgItemMessageW(m_hWnd, IDC_VIDEO_BRIGHTNESS, TBM_SETPOS, TRUE, 0);
  SendDlgItemMessageW(m_hWnd, IDC_VIDEO_CONTRAST, TBM_SETPOS, TRUE, 0);
  brightness_ = contrast_ = 0;
  site_->AdjustBrightness(0);
  site_->AdjustContrast(0);
}

bool CVideoSettingsDlg::ProcessDialogMessage(HWND, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  result = 0;
  switch (msg) {
    case WM_INITDIALOG:
      brightness_ = std::clamp(site_->Brightness(), kLowest, kHighest);
      contrast_ = std::clamp(site_->Contrast(), kLowest, kHighest);
      PlaceSlider(GetDlgItem(m_hWnd, IDC_VIDEO_BRIGHTNESS), brightness_);
      PlaceSlider(GetDlgItem(m_hWnd, IDC_VIDEO_CONTRAST), contrast_);
      result = TRUE;
      return true;
    case WM_HSCROLL:
      if (lParam) OnScroll(reinterpret_cast<HWND>(lParam));
      return true;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDCANCEL: ShowWindow(m_hWnd, SW_HIDE); return true;
        case IDOK: Destroy(); return true;
        case IDC_VIDEO_RESET:
          if (HIWORD(wParam) == BN_CLICKED) Reset();
          return true;
        default: return false;
      }
    default: return false;
  }
}

}  // namespace zm::ui
