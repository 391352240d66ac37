#include "session/player_buffer_site.h"

#include "session/private_messages.h"

namespace zm::session {

BufferPlayerView PlayerBufferSite::PlayerView() {
  BufferPlayerView view;
  view.m_bBuffering = m_session.m_bBuffering;
  view.m_bSeeking = m_session.m_bSeeking;
  view.m_bLiveBuffering = m_session.m_bLiveBuffering;
  view.m_nBufferSeconds = m_settings.m_nBufferSeconds;
  view.m_nResourceKind = m_settings.m_nResourceKind;
  view.m_bRendererRunning = m_renderer.Running();
  return view;
}

void PlayerBufferSite::StartRebuffering() {
  m_session.m_bBuffering = true;
  PostMessageW(m_hWnd, WM_ZM_SESSION, kSessionPause, 0);
}

void PlayerBufferSite::EndRebuffering() {
  if (!m_session.m_bBuffering) return;
  m_session.m_bBuffering = false;
  PostMessageW(m_hWnd, WM_ZM_SESSION, kSessionResume, 0);
}

void PlayerBufferSite::RequestResync(int32_t keep) { PostMessageW(m_hWnd, WM_ZM_RESYNC, 0, keep); }

void PlayerBufferSite::AllStreamsEnded() {
  // A menu or drag the user holds open would keep the stop waiting behind it.
  PostMessageW(m_hWnd, WM_CANCELMODE, 0, 0);
  PostMessageW(m_hWnd, WM_COMMAND, kCommandStop, kStopAtEnd);
}

void PlayerBufferSite::PushEndMarkers() { m_queue.PushEndMarkers(); }

bool PlayerBufferSite::TimeShiftCaughtUp() {
  if (m_session.m_nPlaybackMode != protocol::TimeShiftPlayback || m_session.m_nState != protocol::Playing ||
      !m_session.m_bStreamsEnded || m_session.m_bTimeShiftCanSwitchToLive || m_session.m_bTimeShiftAtEnd)
    return false;
  m_session.m_bTimeShiftAtEnd = true;
  PostMessageW(m_hWnd, WM_COMMAND, kCommandPlayPause, kPauseAtBroadcastEnd);
  return true;
}

bool PlayerBufferSite::DesktopReachable() { return InputDesktopReachable(); }

int64_t SecondsSince1970() {
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  constexpr uint64_t kUnitsFrom1601To1970 = 116'444'736'000'000'000;
  const uint64_t units = (uint64_t{now.dwHighDateTime} << 32) | now.dwLowDateTime;
  return static_cast<int64_t>((units - kUnitsFrom1601To1970) / 10'000'000);
}

int64_t PlayerBufferSite::NowSeconds() { return SecondsSince1970(); }

}  // namespace zm::session
