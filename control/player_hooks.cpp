// Where the playback session, the renderer bridge, the context menu and the dialogs join
// the control window. None of them is part of the control yet: each hook keeps the control
// idle and shows nothing, so the window's messages already go to their final handlers.
#include "control/player.h"

namespace zm::control {

// Session controller: the stop procedure and the one-second timer.
void CZMediaPlayer::StopProcedure() {}
void CZMediaPlayer::OnSessionTimer() {}

// Renderer bridge. Creation and resynchronisation need the session's media buffer, which the
// session controller brings; until then no renderer exists and they do nothing.
void CZMediaPlayer::CreateRenderer() {}
void CZMediaPlayer::ResyncRenderer(bool) {}
void CZMediaPlayer::ShutDownRenderer() { m_renderer.ShutDown(); }
void CZMediaPlayer::AttachRenderer() {
  if (m_renderer.Exists()) m_session.m_nErrorID = m_renderer.Attach(m_hWnd);
}
void CZMediaPlayer::StopRenderer() { m_renderer.Stop(); }
void CZMediaPlayer::RendererSetVideoPosition(int32_t x, int32_t y, int32_t width, int32_t height) {
  if (m_renderer.Exists()) m_renderer.get()->SetVideoPosition(x, y, width, height);
}
bool CZMediaPlayer::RendererIsFullScreen() {
  BOOL fullScreen = FALSE;
  return m_renderer.Exists() && SUCCEEDED(m_renderer.get()->IsFullScreen(&fullScreen)) && fullScreen;
}

// The password dialog, for the negotiation waiting on the grabber thread; the dialog signals
// the credentials event however it closes.
void CZMediaPlayer::AskForCredentials() {
  if (!m_hCredentialsEvent) return;
  m_dlgPassword.parentWindow = m_hWnd;
  m_dlgPassword.ShowForCredentialsRequest(m_hCredentialsEvent);
}

// Context menu and dialogs.
void CZMediaPlayer::ShowContextMenu(LPARAM) {}
void CZMediaPlayer::OpenPropertiesDialog() {}
void CZMediaPlayer::OpenVideoSettingsDialog() {}
void CZMediaPlayer::ShowAboutBox() {}
void CZMediaPlayer::ClosePlayListDialog() {}

}  // namespace zm::control
