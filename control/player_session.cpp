// The session controller's steps on the control's thread: starting a session, the play/pause
// toggle, seeking, the one-second timer, the renderer requests of the grabber thread, and the
// stop procedure that ends every session.
#include <algorithm>
#include <cstdio>
#include <mutex>

#include "control/hresult_text.h"
#include "control/layout.h"
#include "control/player.h"
#include "protocol/error_ids.h"
#include "protocol/error_texts.h"
#include "ui/status_text.h"
#include "protocol/player_enums.h"
#include "transport/http_source.h"
#include "transport/https_source.h"
#include "transport/rtp_multicast_source.h"
#include "transport/rtp_source.h"

namespace zm::control {
namespace {

using protocol::kCaptionError;

constexpr DWORD kLiveStopPauseMs = 200;
constexpr DWORD kSwitchPauseMs = 100;
using ui::kStatusNone;
using ui::kStatusSeeking;

// The screen saver and the monitor's power saving stay off while any session of the process
// plays; the last session to end puts back what the user had, rather than switching them on.
class ScreenSaverHold {
 public:
  static void Take() {
    std::lock_guard<std::mutex> hold(lock_);
    if (holders_++ > 0) return;
    for (size_t i = 0; i < kActions; ++i) {
      BOOL active = TRUE;
      saved_[i] = SystemParametersInfoW(kGet[i], 0, &active, 0) ? active : TRUE;
      SystemParametersInfoW(kSet[i], FALSE, nullptr, 0);
    }
  }
  static void Give() {
    std::lock_guard<std::mutex> hold(lock_);
    if (holders_ == 0 || --holders_ > 0) return;
    for (size_t i = 0; i < kActions; ++i) SystemParametersInfoW(kSet[i], saved_[i], nullptr, 0);
  }

 private:
  static constexpr size_t kActions = 3;
  static constexpr UINT kGet[kActions] = {SPI_GETSCREENSAVEACTIVE, SPI_GETLOWPOWERACTIVE, SPI_GETPOWEROFFACTIVE};
  static constexpr UINT kSet[kActions] = {SPI_SETSCREENSAVEACTIVE, SPI_SETLOWPOWERACTIVE, SPI_SETPOWEROFFACTIVE};
  static inline std::mutex lock_;
  static inline int holders_ = 0;
  static inline BOOL saved_[kActions] = {TRUE, TRUE, TRUE};
};

}  // namespace

// The grabber thread's site.

void CZMediaPlayer::GrabberSiteImpl::ReportError(const std::wstring& text, const wchar_t* caption) {
  owner->ReportError(text, caption);
}

credentials::PasswordRequest* CZMediaPlayer::GrabberSiteImpl::PasswordRequest() {
  return &owner->m_dlgPassword.request;
}

std::unique_ptr<transport::CZNetworkMediaFramesSource> CZMediaPlayer::GrabberSiteImpl::CreateTransport(
    int32_t nTransport, uint16_t port, int32_t nUDPLossControlMode) {
  // TCP is the negotiation's own.
  if (nTransport == protocol::Http) return std::make_unique<transport::CZHttpMediaFramesSource>(port);
  if (nTransport == protocol::Https) return std::make_unique<transport::CZHttpsMediaFramesSource>(port);
  if (nTransport == protocol::RtpUnicast) {
    auto rtp = std::make_unique<transport::CZRtpMediaFramesSource>(port);
    rtp->ApplyUdpLossMode(nUDPLossControlMode);
    return rtp;
  }
  if (nTransport == protocol::RtpMulticast) return std::make_unique<transport::CZRtpMulticastMediaFramesSource>(port);
  return nullptr;
}

std::wstring CZMediaPlayer::GrabberSiteImpl::HResultText(HRESULT hr) {
  return control::HResultText(hr, owner->m_hMessageModule.get());
}

// The bar lives on the control's thread; sent, so that the mode is in place before the
// session's start event reaches the bar.
void CZMediaPlayer::GrabberSiteImpl::SetFlowMode(int32_t nPlaybackMode, bool bSeekable) {
  if (HWND bar = owner->m_wndFlowBar.m_hWnd)
    SendMessageW(bar, ui::CZFlowCtrl::WM_ZM_FLOWMODE, nPlaybackMode, bSeekable);
}

// Start, pause and resume.

HRESULT CZMediaPlayer::StartSession() {
  if (!m_hWnd) {
    // Without a window there is nothing to draw into and no thread serving the session's
    // messages (a script host that never activates the control): say so instead of hanging.
    m_session.m_nErrorType = protocol::kErrorTypeStart;
    m_session.m_nErrorID = protocol::kErrorUnexpected;
    ReportError(protocol::kTextNoWindow, kCaptionError);
    return SetComError(OLE_E_NOT_INPLACEACTIVE, protocol::kTextNoWindow);
  }
  m_session.ResetForSession();
  m_received.reset();
  m_nSizeMark = static_cast<int32_t>(SizeMark::Original);
  ShowPlaybackStatus(kStatusNone);
  if (!m_sessionController.Start(m_hWnd)) {
    m_session.m_nState = Idle;
    m_session.m_nErrorType = protocol::kErrorTypeStart;
    m_session.m_nErrorID = protocol::kErrorUnexpected;
    ReportError(protocol::kTextUnexpected, kCaptionError);
    return S_FALSE;
  }
  ScreenSaverHold::Take();
  return S_OK;
}

HRESULT CZMediaPlayer::PlayPauseToggle() {
  session::RendererBridge& renderer = Renderer();
  switch (m_session.m_nState) {
    case Idle: return StartSession();
    case Playing: {
      const bool pausable = m_session.m_nStreamKind == 0 || (m_session.m_nStreamKind == 1 && m_session.m_bBuffering) ||
                            m_session.m_nPlaybackMode == LiveTimeShift;
      if (!pausable) return S_OK;
      if (FAILED(renderer.Pause())) m_sessionController.SignalStop();
      else OnFire(session::kFirePause, m_session.m_bBuffering ? session::kPauseRebuffering : session::kPauseByUser);
      m_session.m_nState = Paused;
      ShowPlaybackStatus(m_session.m_bBuffering ? ui::kStatusBuffering : ui::kStatusPaused);
      return S_OK;
    }
    case Paused: {
      if (m_session.m_bBuffering || m_session.m_bSeeking || m_session.m_bTimeShiftAtEnd) return S_OK;
      if (m_session.m_nPlaybackMode == LiveTimeShift && m_session.m_bLivePaused) {
        // The live stream goes on from where it was paused, out of the server's time-shift
        // window; the seek's completion resumes playback.
        m_session.m_bLivePaused = false;
        LONG position = 0;
        get_CurrentPlaybackTime_Sec(&position);
        return Seek(std::max<LONG>(position, 1));
      }
      if (FAILED(renderer.Run())) m_sessionController.SignalStop();
      else OnFire(session::kFireStart, 0);
      m_session.m_nState = Playing;
      renderer.SetRunning(true);
      ShowPlaybackStatus(kStatusNone);
      return S_OK;
    }
    default: return S_OK;
  }
}

STDMETHODIMP CZMediaPlayer::Stop() {
  if (m_session.m_nState == Idle || m_session.m_nState == Stopping) return S_FALSE;
  UserStop();
  return S_OK;
}

void CZMediaPlayer::UserStop() {
  // A user's stop ends the session for good: neither the next playlist entry nor a stream
  // change's restart follows it.
  m_session.m_bPlayListAdvance = false;
  m_session.m_bSwitching = false;
  // Inside an event the grabber thread sent (a host stopping from OnError or OnStart), the
  // grabber waits for this call to return: the stop procedure runs once it has.
  if (InSendMessage() && m_hWnd) {
    PostMessageW(m_hWnd, WM_COMMAND, session::kCommandStop, 0);
    return;
  }
  StopProcedure();
}

void CZMediaPlayer::EndOfPlayback() {
  if (!m_session.m_bConnectionLost) {
    if (m_settings.m_nResourceKind == FilePlayList) m_session.m_bPlayListAdvance = true;
    else if (m_sessionController.Queue().HasPendingStreamChange()) m_session.m_bSwitching = true;
  }
  StopProcedure();
}

STDMETHODIMP CZMediaPlayer::Seek(LONG nTimeSec) {
  if (!m_session.m_bSeekable || m_session.m_bSeeking || !IsActive()) return S_FALSE;
  if (nTimeSec == 0 && (m_session.m_nPlaybackMode == LiveTimeShift ||
                        (m_session.m_nPlaybackMode == TimeShiftPlayback && !m_session.m_bTimeShiftCanSwitchToLive)))
    return S_FALSE;
  session::CMediaBuffer* buffer = m_sessionController.Buffer();
  if (!m_sessionController.HasTransport() || !buffer) return S_OK;

  m_session.m_nState = Paused;
  m_session.m_nSeekTarget = nTimeSec;
  m_session.m_bSeeking = true;
  m_session.m_bBuffering = false;
  m_session.m_bTimeShiftAtEnd = false;
  session::MediaBuffer& frames = buffer->Frames();
  m_sessionController.Queue().ClearPendingFrames();
  frames.Abort();
  frames.Flush();
  m_sessionController.Queue().PushEndMarkers();
  Renderer().Stop();
  frames.Resume();
  frames.Flush();
  m_wndFlowBar.OnFlowEvent(4);
  Fire_OnPause(session::kPauseSeeking);

  // The restart event goes up before the command: a fast server's seek completion resets it.
  m_sessionController.SignalRestart();
  char command[32];
  std::snprintf(command, sizeof command, "Seek:%ld", static_cast<long>(nTimeSec));
  std::wstring errorText;
  if (!m_sessionController.SendCommand(command, errorText)) {
    m_sessionController.ResetRestart();
    m_session.m_nErrorType = protocol::kErrorTypeRunning;
    m_session.m_nErrorID = protocol::kErrorSeekRefused;
    m_sessionController.SignalStop();
    ReportError(errorText, kCaptionError);
    return S_FALSE;
  }
  ShowPlaybackStatus(kStatusSeeking);
  return S_OK;
}

// The grabber thread's requests.

void CZMediaPlayer::OnSessionRequest(WPARAM what, LPARAM serial) {
  // A request of a session that has ended since is not this session's.
  if (static_cast<uint32_t>(serial) != m_sessionController.Serial() || !m_sessionController.Exists()) return;
  if (what == session::kSessionStopRequest) {
    StopProcedure();
  } else if (what == session::kSessionPlaying) {
    ShowPlaybackStatus(kStatusNone);
    m_nTimerId = SetTimer(m_hWnd, kSessionTimerId, 1000, nullptr);
  }
}

void CZMediaPlayer::CreateRenderer() {
  session::CMediaBuffer* buffer = m_sessionController.Buffer();
  const session::RendererStreams streams{m_session.m_videoType.IsPresent(), m_session.m_audioType.IsPresent(),
                                         m_session.m_videoType.type.subType, m_session.m_audioType.type.subType};
  std::wstring text;
  bool videoOnly = false;
  const HRESULT hr =
      buffer ? Renderer().Create(
                   buffer, streams, [this](HRESULT code) { return HResultText(code, m_hMessageModule.get()); }, text,
                   videoOnly)
             : E_UNEXPECTED;
  m_session.m_nErrorID = hr;
  if (videoOnly) {
    m_session.m_bAudioDecoderMissing = true;
    buffer->Frames().SetAudioAbsent();
  }
  if (SUCCEEDED(hr)) return;
  m_session.m_nErrorType = protocol::kErrorTypeStart;
  m_session.m_sErrorText = text.empty() ? HResultText(hr, m_hMessageModule.get()) : text;
  m_sessionController.DisconnectTransport();
  m_sessionController.SignalStop();
}

void CZMediaPlayer::ResyncRenderer(bool keepFrames) {
  if (m_session.m_nPlaybackMode == LiveTimeShift && m_session.m_bLivePaused) return;
  session::CMediaBuffer* buffer = m_sessionController.Buffer();
  if (!buffer) return;
  Renderer().Resync(buffer->Frames(), keepFrames, [this] { m_sessionController.Queue().PushEndMarkers(); });
}

// The one-second timer.

void CZMediaPlayer::OnSessionTimer() {
  session::CMediaBuffer* buffer = m_sessionController.Buffer();
  if (buffer) {
    HWND top = GetAncestor(m_hWnd, GA_ROOT);
    Renderer().CheckDesktop(buffer->Frames(), session::InputDesktopReachable(), m_session.m_nState == Playing,
                            top && IsIconic(top));
  }
  m_received = m_sessionController.SampleCounters();
  if (m_session.m_bTimeShiftCanSwitchToLive && m_session.m_nTimeShiftLength < m_session.m_nTimeShiftMax)
    ++m_session.m_nTimeShiftLength;
  if (m_session.m_nPlaybackMode == LiveTimeShift || m_session.m_nPlaybackMode == TimeShiftPlayback) {
    if (m_session.m_nState == Playing && !m_session.m_bTimeShiftCanSwitchToLive) --m_session.m_nTimeShiftPosition;
    else if (m_session.m_nState == Paused && m_session.m_bTimeShiftCanSwitchToLive) ++m_session.m_nTimeShiftPosition;
  }
  m_sessionController.RtpFileFlowControl(1);
  m_wndFlowBar.Refresh();
}

void CZMediaPlayer::ShowPlaybackStatus(int32_t statusCode) {
  // After time-shifted playback paused itself at the end, every pause is the broadcast's end.
  if (m_session.m_bTimeShiftAtEnd) statusCode = ui::kStatusBroadcastEnded;
  const bool shown = m_settings.m_bShowStatus && (m_session.m_nState == Connecting || m_session.m_nState == Paused);
  m_wndStatus.Update(m_session.m_nState, statusCode, m_sessionController.Queue().HasPendingStreamChange(), shown);
}

// The stop procedure: every session ends here, on the control window's thread.

void CZMediaPlayer::StopProcedure() {
  if (m_session.m_nState == Idle || m_session.m_nState == Stopping) return;
  m_session.m_nState = Stopping;
  m_sessionController.SignalStop();
  if (m_session.m_nStreamKind == 1) Sleep(kLiveStopPauseMs);
  CloseSessionDialogs();
  ShowPlaybackStatus(kStatusNone);
  if (m_nTimerId) {
    KillTimer(m_hWnd, kSessionTimerId);
    m_nTimerId = 0;
  }
  if (!m_session.m_bSwitching) {
    m_sessionController.DisconnectTransport();
  } else if (m_settings.m_nTransport == RtpUnicast && m_session.m_nStreamKind == 0) {
    std::wstring ignored;
    m_sessionController.SendCommand("RTPFileContinue", ignored);  // the server goes on for the next run
  }
  m_sessionController.WaitForGrabber();
  if (!m_session.m_bSwitching) m_sessionController.DeleteTransport();
  ShutDownRenderer();
  m_session.m_videoType = {};
  m_session.m_audioType = {};
  m_sessionController.DestroyMediaBuffer();
  if (!m_session.m_bSwitching) m_sessionController.Queue().ClearPendingFrames();
  else Sleep(kSwitchPauseMs);
  // Closed last: until here the renderer and the media buffer could still wait on them.
  m_sessionController.CloseSession();
  m_session.m_nState = Idle;
  OnFire(session::kFireStop, 0);
  ScreenSaverHold::Give();
  if ((m_settings.m_nResourceKind == FilePlayList && m_session.m_bPlayListAdvance) || m_session.m_bSwitching) {
    ++m_settings.m_nPlayListIndex;
    Play();
  } else {
    m_settings.m_nPlayListIndex = 0;
    m_settings.m_bFullScreenRequested = false;
  }
}

}  // namespace zm::control
