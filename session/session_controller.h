// SessionController: one playback session's resources and its grabber thread. It owns the five
// events, the thread, the transport, the media buffer, the frame queue and the renderer bridge;
// the control runs the window-thread steps (start, pause, seek, the timer, the stop procedure)
// with it and answers the grabber's private messages.
// Threads: the grabber thread runs GrabberMain; everything else is the control window's thread
// unless its comment says otherwise.
#pragma once

#include <windows.h>

#include <atomic>
#include <memory>
#include <optional>
#include <string>

#include "com/critical_section.h"
#include "com/unique_handle.h"
#include "credentials/password_request.h"
#include "session/frame_path.h"
#include "session/frame_queue.h"
#include "session/media_flop.h"
#include "session/negotiation.h"
#include "session/player_buffer_site.h"
#include "session/player_state.h"
#include "session/renderer_bridge.h"
#include "session/stop_signal.h"
#include "transport/network_source.h"

namespace zm::session {

// What the grabber thread needs of the control besides the negotiation's site. Grabber thread.
class GrabberSite : public INegotiationSite {
 public:
  // The error report: a message box owned by the control window, or OnError.
  virtual void ReportError(const std::wstring& text, const wchar_t* caption) = 0;
  // The password dialog's fields, read after WM_ZM_CREDENTIALS has shown it.
  virtual credentials::PasswordRequest* PasswordRequest() = 0;
};

class SessionController {
 public:
  static constexpr DWORD kFlowWaitMs = 2000;
  static constexpr DWORD kPlayListIdleMs = 10000;
  static constexpr DWORD kStopGraceMs = 50;
  static constexpr int kFinishPolls = 200;
  static constexpr DWORD kFinishPollMs = 100;

  SessionController(PlayerSettings& settings, SessionValues& session, GrabberSite& site);
  SessionController(const SessionController&) = delete;
  SessionController& operator=(const SessionController&) = delete;
  ~SessionController();

  // Creates the five events and starts the grabber thread for the control window `window`.
  // False (nothing started) when the system refuses either.
  bool Start(HWND window);
  // Whether a session's thread and events exist (from Start to CloseSession).
  bool Exists() const { return static_cast<bool>(m_hThread); }
  uint32_t Serial() const { return m_nSerial; }

  // The events. Any thread.
  void SignalStop();
  bool StopSignalled() const;
  void SignalRestart();
  void ResetRestart();
  HANDLE CredentialsEvent() const { return m_hCredentials.get(); }

  // The stop procedure's steps, in its order.
  // Ends a blocking read of the grabber thread; the transport itself stays until DeleteTransport.
  void DisconnectTransport();
  // Waits for the grabber thread while this thread's messages are served, so that the
  // grabber's SendMessage calls get through; after 20 seconds the thread is terminated.
  void WaitForGrabber();
  void DeleteTransport();
  // The media buffer and what is bound to it go; the renderer must have been shut down.
  void DestroyMediaBuffer();
  // The events and the thread handle: closed last, when nothing waits on them any more.
  void CloseSession();

  // The transport's command channel (seek, RTP flow control): false with the text when it
  // fails or no transport exists.
  bool SendCommand(const std::string& command, std::wstring& errorText);
  bool HasTransport() const;
  // The one-second timer's statistics: the transport's counters move to their per-second values,
  // which are returned; none without a transport.
  std::optional<ReceivedFigures> SampleCounters();
  // RTP flow control of a stored resource (code 0: the playing loop; code 1: the timer).
  void RtpFileFlowControl(int code);

  CMediaBuffer* Buffer() const { return m_pMediaBuffer.get(); }
  FrameQueue& Queue() { return m_queue; }
  RendererBridge& Renderer() { return m_renderer; }

 private:
  static unsigned __stdcall ThreadMain(void* self);
  void GrabberMain();
  // The guarded block: negotiation or the pending format, the media buffer, the renderer, the
  // pre-roll and the playing loop. Failures are raised as RaisedText.
  void RunGuarded(std::wstring& caption);
  void CreateMediaBuffer();
  void Preroll(int& endCount);
  void StartPlaying();
  void PlayingLoop(int& endCount);
  void OnReadFailure(const std::wstring& transportText);
  // The stop event, or the grabber's own wait on it, within `ms`.
  bool WaitForStop(DWORD ms);
  void RequestStopProcedure(uint32_t serial);

  PlayerSettings& m_settings;
  SessionValues& m_session;
  GrabberSite& m_site;
  HWND m_hWnd = nullptr;
  std::atomic<uint32_t> m_nSerial{0};

  StopSignal m_stop;
  com::UniqueHandle m_hRestart;
  com::UniqueHandle m_hContinue;
  com::UniqueHandle m_hFinished;
  com::UniqueHandle m_hCredentials;
  com::UniqueHandle m_hThread;

  // The session lock: the transport and media buffer pointers, and the frame path's binding to
  // them, against the other thread.
  mutable com::CriticalSection m_csSession;
  std::unique_ptr<transport::CZNetworkMediaFramesSource> m_pTransport;
  std::unique_ptr<CMediaBuffer> m_pMediaBuffer;
  FramePath m_framePath;

  FrameQueue m_queue;  // its held-back frames and pending stream change outlive a run
  RendererBridge m_renderer;
  PlayerBufferSite m_bufferSite;
  int m_nFrameCount = 0;
};

}  // namespace zm::session
