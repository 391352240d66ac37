// The video settings dialog and the about box in the control: the values in force that the
// sliders start from, and the brush the about box paints with.
#include "control/module.h"
#include "control/player.h"
#include "ui/about_dlg.h"

namespace zm::control {

int32_t CZMediaPlayer::VideoSettingsSiteImpl::Brightness() { return owner->m_session.m_nBrightness; }
int32_t CZMediaPlayer::VideoSettingsSiteImpl::Contrast() { return owner->m_session.m_nContrast; }
void CZMediaPlayer::VideoSettingsSiteImpl::AdjustBrightness(int32_t value) { owner->AdjustBrightness(value); }
void CZMediaPlayer::VideoSettingsSiteImpl::AdjustContrast(int32_t value) { owner->AdjustContrast(value); }

void CZMediaPlayer::OpenVideoSettingsDialog() {
  if (m_hWnd) m_dlgVideoSettings.Open(Module().Instance(), m_hWnd, &m_videoSettingsSite);
}

void CZMediaPlayer::ShowAboutBox() {
  const HBRUSH background = CreateSolidBrush(ui::kAboutBackground);
  ui::CAboutDlg box(m_hWnd, background);
  box.DoModal(Module().Instance(), GetActiveWindow());
  DeleteObject(background);
}

}  // namespace zm::control
