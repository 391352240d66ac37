#include "ui/properties_dlg.h"

#include <commctrl.h>

#include "ui/ui_resources.h"

namespace zm::ui {
namespace {

constexpr COLORREF kBarGreen = RGB(0, 140, 5);
constexpr COLORREF kBarRed = RGB(210, 0, 0);

// The figures of a stream that is not there: its labels and values.
constexpr int kVideoFigures[] = {IDC_PROP_RECEIVED_FRAME_RATE_LABEL, IDC_PROP_RECEIVED_FRAME_RATE,
                                 IDC_PROP_VIDEO_BIT_RATE_LABEL,      IDC_PROP_VIDEO_FRAME_RATE_LABEL,
                                 IDC_PROP_VIDEO_SIZE_LABEL,          IDC_PROP_VIDEO_BIT_RATE,
                                 IDC_PROP_VIDEO_FRAME_RATE,          IDC_PROP_VIDEO_SIZE};
constexpr int kAudioFigures[] = {IDC_PROP_AUDIO_BIT_RATE_LABEL, IDC_PROP_AUDIO_SAMPLE_RATE_LABEL,
                                 IDC_PROP_AUDIO_CHANNELS_LABEL, IDC_PROP_AUDIO_BIT_RATE,
                                 IDC_PROP_AUDIO_SAMPLE_RATE,    IDC_PROP_AUDIO_CHANNELS};

}  // namespace

void CZMediaControlProperties::Open(HINSTANCE instance, HWND controlWindow, PropertiesSite* site) {
  if (m_hWnd) return;
  site_ = site;
  figures_ = {};
  const INITCOMMONCONTROLSEX classes{sizeof(INITCOMMONCONTROLSEX), ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&classes);
  CreateModeless(instance, IDD_PROPERTIES, controlWindow);
}

void CZMediaControlProperties::Close() {
  if (!m_hWnd) return;
  if (timer_) KillTimer(m_hWnd, timer_);
  timer_ = 0;
  DestroyModeless();
}

void CZMediaControlProperties::ShowHeader(const PropertiesHeader& h) {
  SetWindowTextW(m_hWnd, h.title.c_str());
  const struct {
    int id;
    const std::wstring& text;
  } texts[] = {
      {IDC_PROP_SERVER, h.server},
      {IDC_PROP_PROTOCOL, h.protocol},
      {IDC_PROP_NAME, h.name},
      {IDC_PROP_DURATION, h.duration},
      {IDC_PROP_MODE, h.mode},
      {IDC_PROP_VIDEO_GROUP, h.video.title},
      {IDC_PROP_VIDEO_BIT_RATE, h.video.bitRate},
      {IDC_PROP_VIDEO_FRAME_RATE, h.video.frameRate},
      {IDC_PROP_VIDEO_SIZE, h.video.size},
      {IDC_PROP_AUDIO_GROUP, h.audio.title},
      {IDC_PROP_AUDIO_BIT_RATE, h.audio.bitRate},
      {IDC_PROP_AUDIO_SAMPLE_RATE, h.audio.sampleRate},
      {IDC_PROP_AUDIO_CHANNELS, h.audio.channels},
  };
  for (const auto& t : texts) SetDlgItemTextW(m_hWnd, t.id, t.text.c_str());
  if (!h.videoFiguresShown) {
    for (int id : kVideoFigures) ShowWindow(GetDlgItem(m_hWnd, id), SW_HIDE);
  }
  if (!h.audioFiguresShown) {
    for (int id : kAudioFigures) ShowWindow(GetDlgItem(m_hWnd, id), SW_HIDE);
  }
}

void CZMediaControlProperties::UpdateStatistics(bool first) {
  const TransmissionView v = figures_.Update(site_->Transmission());
  SetDlgItemTextW(m_hWnd, IDC_PROP_TRANSMISSION, v.group.c_str());
  SetDlgItemTextW(m_hWnd, IDC_PROP_RECEIVED_BIT_RATE, v.bitRate.c_str());
  SetDlgItemTextW(m_hWnd, IDC_PROP_RECEIVED_FRAME_RATE, v.frameRate.c_str());
  if (!v.frameRateShown) {
    ShowWindow(GetDlgItem(m_hWnd, IDC_PROP_RECEIVED_FRAME_RATE_LABEL), SW_HIDE);
    ShowWindow(GetDlgItem(m_hWnd, IDC_PROP_RECEIVED_FRAME_RATE), SW_HIDE);
  }
  const struct {
    int bar, label, fill;
    const std::wstring& count;
  } channels[] = {{IDC_PROP_VIDEO_FILL, IDC_PROP_VIDEO_COUNT, v.videoFill, v.videoCount},
                  {IDC_PROP_AUDIO_FILL, IDC_PROP_AUDIO_COUNT, v.audioFill, v.audioCount}};
  for (const auto& c : channels) {
    const HWND bar = GetDlgItem(m_hWnd, c.bar);
    SendMessageW(bar, PBM_SETBARCOLOR, 0, v.barsRed ? kBarRed : kBarGreen);
    SendMessageW(bar, PBM_SETPOS, c.fill, 0);
    SetDlgItemTextW(m_hWnd, c.label, c.count.c_str());
  }
  if (!v.reception.empty()) {
    SetDlgItemTextW(m_hWnd, IDC_PROP_RECEPTION, v.reception.c_str());
    ShowWindow(GetDlgItem(m_hWnd, IDC_PROP_RECEPTION), SW_SHOWNA);
  }
  if (first) ShowHeader(site_->Header());
}

bool CZMediaControlProperties::ProcessDialogMessage(HWND, UINT msg, WPARAM wParam, LPARAM, LRESULT& result) {
  switch (msg) {
    case WM_INITDIALOG:
      for (int bar : {IDC_PROP_VIDEO_FILL, IDC_PROP_AUDIO_FILL}) {
        SendDlgItemMessageW(m_hWnd, bar, PBM_SETRANGE32, 0, 1000);
      }
      UpdateStatistics(true);
      timer_ = SetTimer(m_hWnd, kRefreshTimerId, 1000, nullptr);
      result = TRUE;
      return true;
    case WM_TIMER:
      if (wParam != kRefreshTimerId) return false;
      UpdateStatistics(false);
      result = 0;
      return true;
    case WM_COMMAND:
      if (LOWORD(wParam) != IDCANCEL) return false;
      Close();
      result = 0;
      return true;
    default: return false;
  }
}

}  // namespace zm::ui
