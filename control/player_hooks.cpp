// Where the renderer bridge and the password dialog join the control window.
#include "control/player.h"

namespace zm::control {

// Renderer bridge.
void CZMediaPlayer::ShutDownRenderer() { Renderer().ShutDown(); }
// Attached once a session, after the pre-roll; it runs from then on.
void CZMediaPlayer::AttachRenderer() {
  if (!Renderer().Exists()) return;
  HRESULT hr = Renderer().Attach(m_hWnd);
  if (SUCCEEDED(hr)) hr = Renderer().Run();
  m_session.m_nErrorID = hr;
}
void CZMediaPlayer::StopRenderer() { Renderer().Stop(); }
void CZMediaPlayer::RendererSetVideoPosition(int32_t x, int32_t y, int32_t width, int32_t height) {
  if (Renderer().Exists()) Renderer().get()->SetVideoPosition(x, y, width, height);
}
bool CZMediaPlayer::RendererIsFullScreen() {
  BOOL fullScreen = FALSE;
  return Renderer().Exists() && SUCCEEDED(Renderer().get()->IsFullScreen(&fullScreen)) && fullScreen;
}

// The password dialog, for the negotiation waiting on the grabber thread; the dialog signals
// the credentials event however it closes.
void CZMediaPlayer::AskForCredentials() {
  const HANDLE credentialsEvent = m_sessionController.CredentialsEvent();
  if (!credentialsEvent) return;
  m_dlgPassword.parentWindow = m_hWnd;
  m_dlgPassword.ShowForCredentialsRequest(credentialsEvent);
}

}  // namespace zm::control
