// The properties dialog's place in the control: what it reads of the session each second, and
// opening and closing it. The transport's figures come from the one-second timer's sample, so
// the dialog never touches a transport the grabber thread may be replacing.
#include "control/module.h"
#include "control/player.h"
#include "protocol/media_frame_codec.h"

namespace zm::control {

ui::PropertiesHeader CZMediaPlayer::PropertiesSiteImpl::Header() {
  return ui::DescribeSessionHeader(owner->m_settings, owner->m_session);
}

ui::TransmissionInputs CZMediaPlayer::PropertiesSiteImpl::Transmission() {
  ui::TransmissionInputs in;
  in.streamsEnded = owner->m_session.m_bStreamsEnded;
  in.buffering = owner->m_session.m_bBuffering;
  in.received = owner->m_received;
  if (const session::CMediaBuffer* buffer = owner->m_sessionController.Buffer()) {
    in.bufferingPercent = buffer->Frames().BufferingPercent();
    in.videoFrames = buffer->Frames().Count(protocol::kStreamTypeVideo);
    in.audioFrames = buffer->Frames().Count(protocol::kStreamTypeAudio);
  }
  return in;
}

void CZMediaPlayer::OpenPropertiesDialog() {
  if (m_hWnd) m_dlgProperties.Open(Module().Instance(), m_hWnd, &m_propertiesSite);
}

// The dialogs that show the session's figures close with it.
void CZMediaPlayer::CloseSessionDialogs() {
  m_dlgProperties.Close();
  m_dlgVideoSettings.Destroy();
}

}  // namespace zm::control
