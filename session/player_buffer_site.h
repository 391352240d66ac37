// PlayerBufferSite: the media buffer's view of the control, its flags and its window. The media
// buffer calls it on the grabber thread and on the renderer's threads, some calls under its
// buffer lock; it only reads and sets the player's flags and posts to the control window.
#pragma once

#include <windows.h>

#include "session/frame_queue.h"
#include "session/media_buffer.h"
#include "session/player_state.h"
#include "session/renderer_bridge.h"

namespace zm::session {

// The wall clock in whole seconds since 1970, from the system time. Not the C library's time():
// some C runtimes look the time zone up on every call, which costs more than a frame does.
int64_t SecondsSince1970();

class PlayerBufferSite final : public MediaBufferSite {
 public:
  PlayerBufferSite(const PlayerSettings& settings, SessionValues& session, FrameQueue& queue,
                   const RendererBridge& renderer)
      : m_settings(settings), m_session(session), m_queue(queue), m_renderer(renderer) {}
  // The control window of the session about to start (window's thread, before the grabber).
  void SetWindow(HWND window) { m_hWnd = window; }

  BufferPlayerView PlayerView() override;
  void StartRebuffering() override;
  void EndRebuffering() override;
  void RequestResync(int32_t keep) override;
  void AllStreamsEnded() override;
  void PushEndMarkers() override;
  bool TimeShiftCaughtUp() override;
  bool DesktopReachable() override;
  int64_t NowSeconds() override;

 private:
  const PlayerSettings& m_settings;
  SessionValues& m_session;
  FrameQueue& m_queue;
  const RendererBridge& m_renderer;
  HWND m_hWnd = nullptr;
};

}  // namespace zm::session
