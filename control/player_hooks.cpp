// Where the playback session, the renderer bridge, the context menu and the dialogs join
// the control window. None of them is part of the control yet: each hook keeps the control
// idle and shows nothing, so the window's messages already go to their final handlers.
#include "control/player.h"

namespace zm::control {

// Session controller: the stop procedure and the one-second timer.
void CZMediaPlayer::StopProcedure() {}
void CZMediaPlayer::OnSessionTimer() {}

// Renderer bridge: creation, shutdown, attachment, stop, resynchronisation and placement.
void CZMediaPlayer::CreateRenderer() {}
void CZMediaPlayer::ShutDownRenderer() {}
void CZMediaPlayer::AttachRenderer() {}
void CZMediaPlayer::StopRenderer() {}
void CZMediaPlayer::ResyncRenderer(bool) {}
void CZMediaPlayer::RendererSetVideoPosition(int32_t, int32_t, int32_t, int32_t) {}
bool CZMediaPlayer::RendererIsFullScreen() { return false; }

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
