#include "session/session_controller.h"

#include <process.h>

#include <algorithm>
#include <mutex>
#include <new>

#include "protocol/error_ids.h"
#include "protocol/error_texts.h"
#include "protocol/media_frame_codec.h"
#include "session/private_messages.h"
#include "transport/rtp_source.h"
#include "transport/task_mem_block.h"

namespace zm::session {
namespace {

using protocol::kCaptionError;
using protocol::kCaptionServerError;
using protocol::kErrorTypeRunning;
using protocol::kErrorTypeStart;
using protocol::kTextFinishingFromBuffer;

constexpr wchar_t kTextTerminating[] = L"Terminating grabber thread\n";
constexpr int kFlowCheckEvery = 100;

// A failure of the session, raised with the text the user is to read.
struct RaisedText {
  std::wstring text;
};

// An alertable wait: the receive watchdog's completion routine runs as an APC on this thread
// and may still be pending after a read. An APC that ran is no answer: wait on for the rest.
DWORD WaitAlertable(DWORD count, const HANDLE* handles, DWORD timeoutMs) {
  const ULONGLONG start = GetTickCount64();
  for (;;) {
    DWORD left = INFINITE;
    if (timeoutMs != INFINITE) {
      const ULONGLONG elapsed = GetTickCount64() - start;
      left = elapsed >= timeoutMs ? 0 : static_cast<DWORD>(timeoutMs - elapsed);
    }
    const DWORD result = WaitForMultipleObjectsEx(count, handles, FALSE, left, TRUE);
    if (result != WAIT_IO_COMPLETION) return result;
  }
}

bool IsSignalled(HANDLE event) { return event && WaitForSingleObject(event, 0) == WAIT_OBJECT_0; }

com::UniqueHandle ManualResetEvent() { return com::UniqueHandle(CreateEventW(nullptr, TRUE, FALSE, nullptr)); }

}  // namespace

SessionController::SessionController(PlayerSettings& settings, SessionValues& session, GrabberSite& site)
    : m_settings(settings),
      m_session(session),
      m_site(site),
      m_queue(settings, session, m_framePath),
      m_bufferSite(settings, session, m_queue, m_renderer) {}

SessionController::~SessionController() {
  // The control stops its session before it goes; this only makes sure of the order.
  if (m_hThread) {
    SignalStop();
    DisconnectTransport();
    WaitForGrabber();
  }
  m_renderer.ShutDown();
  DestroyMediaBuffer();
  DeleteTransport();
  m_queue.ClearPendingFrames();
  CloseSession();
}

bool SessionController::Start(HWND window) {
  m_hWnd = window;
  m_bufferSite.SetWindow(window);
  m_renderer.SetRunning(true);
  const bool stopMade = m_stop.Renew();
  m_hRestart = ManualResetEvent();
  m_hContinue = ManualResetEvent();
  m_hFinished = ManualResetEvent();
  m_hCredentials = ManualResetEvent();
  if (!stopMade || !m_hRestart || !m_hContinue || !m_hFinished || !m_hCredentials) {
    CloseSession();
    return false;
  }
  ++m_nSerial;
  m_hThread.reset(reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, &ThreadMain, this, 0, nullptr)));
  if (!m_hThread) {
    CloseSession();
    return false;
  }
  return true;
}

void SessionController::SignalStop() {
  // Set here too for a stop that comes before the frame path is bound: while connecting.
  m_stop.Set();
  std::lock_guard<com::CriticalSection> hold(m_csSession);
  m_framePath.SignalStop();
}

bool SessionController::StopSignalled() const { return m_stop.IsSet(); }

void SessionController::SignalRestart() {
  if (m_hRestart) SetEvent(m_hRestart.get());
}

void SessionController::ResetRestart() {
  if (m_hRestart) ResetEvent(m_hRestart.get());
}

void SessionController::DisconnectTransport() {
  std::lock_guard<com::CriticalSection> hold(m_csSession);
  std::wstring ignored;
  if (m_pTransport) m_pTransport->Disconnect(ignored);
}

void SessionController::WaitForGrabber() {
  if (!m_hThread) return;
  // The thread's own end: after its finished event it only waits for the stop event, which
  // is set by now, and must be gone before the events are closed.
  for (int poll = 0; poll < kFinishPolls; ++poll) {
    if (IsSignalled(m_hThread.get())) return;
    Sleep(kFinishPollMs);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  if (IsSignalled(m_hThread.get())) return;
  OutputDebugStringW(kTextTerminating);
  TerminateThread(m_hThread.get(), 1);
}

void SessionController::DeleteTransport() {
  std::lock_guard<com::CriticalSection> hold(m_csSession);
  m_pTransport.reset();
}

void SessionController::DestroyMediaBuffer() {
  std::unique_ptr<CMediaBuffer> buffer;
  {
    std::lock_guard<com::CriticalSection> hold(m_csSession);
    buffer = std::move(m_pMediaBuffer);
    m_framePath.Bind(nullptr, nullptr, nullptr, nullptr, nullptr);
  }
}

void SessionController::CloseSession() {
  m_hFinished.reset();
  m_stop.Close();
  m_hRestart.reset();
  m_hContinue.reset();
  m_hCredentials.reset();
  m_hThread.reset();
}

bool SessionController::SendCommand(const std::string& command, std::wstring& errorText) {
  // Only the stop procedure on this thread deletes the transport: no lock needed to use it.
  if (!m_pTransport) {
    errorText = protocol::kTextUnexpected;
    return false;
  }
  return m_pTransport->SendCommand(command, errorText) != FALSE;
}

bool SessionController::HasTransport() const {
  std::lock_guard<com::CriticalSection> hold(m_csSession);
  return static_cast<bool>(m_pTransport);
}

std::optional<ReceivedFigures> SessionController::SampleCounters() {
  std::lock_guard<com::CriticalSection> hold(m_csSession);  // the grabber may be setting the transport
  if (!m_pTransport) return std::nullopt;
  m_pTransport->SampleCounters();
  ReceivedFigures figures{m_pTransport->BytesLastPeriod(), m_pTransport->VideoFramesLastPeriod(), std::nullopt};
  if (const auto* rtp = dynamic_cast<const transport::CZRtpMediaFramesSource*>(m_pTransport.get())) {
    figures.reception = rtp->PublishedReception();
  }
  return figures;
}

void SessionController::RtpFileFlowControl(int code) {
  if (m_settings.m_nTransport != protocol::RtpUnicast || m_session.m_nStreamKind != 0 || !m_pMediaBuffer) return;
  const MediaBuffer& frames = m_pMediaBuffer->Frames();
  const size_t queued = std::max(frames.Count(protocol::kStreamTypeVideo), frames.Count(protocol::kStreamTypeAudio));
  const bool timeShift = m_session.m_nPlaybackMode == protocol::TimeShiftPlayback;
  const char* command = nullptr;
  if (code == 0) {
    const size_t threshold = timeShift ? 500 : 800;
    if (!m_session.m_bBuffering && queued >= threshold && !m_session.m_bFlowPaused) {
      command = "RTPFilePause";
      m_session.m_bFlowPaused = true;
      ResetEvent(m_hContinue.get());
    }
  } else if (((m_session.m_bBuffering || queued < 201) && (m_session.m_bFlowPaused || timeShift)) ||
             (!m_session.m_bBuffering && !m_session.m_bFlowPaused && m_session.m_nState == protocol::Paused &&
              timeShift && queued < 601)) {
    command = "RTPFileContinue";
    m_session.m_bFlowPaused = false;
    SetEvent(m_hContinue.get());
  }
  std::wstring ignored;
  if (command && m_pTransport) m_pTransport->SendCommand(command, ignored);
}

unsigned __stdcall SessionController::ThreadMain(void* self) {
  static_cast<SessionController*>(self)->GrabberMain();
  return 0;
}

void SessionController::GrabberMain() {
  CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  SetThreadExecutionState(ES_CONTINUOUS | ES_SYSTEM_REQUIRED | ES_DISPLAY_REQUIRED);
  const uint32_t serial = m_nSerial;
  const HANDLE stop = m_stop.Event();
  std::wstring caption = kCaptionError;
  try {
    RunGuarded(caption);
  } catch (const RaisedText& raised) {
    if (!WaitForStop(kStopGraceMs)) m_site.ReportError(raised.text, caption.c_str());
    SignalStop();
  } catch (...) {
    m_session.m_nErrorType = kErrorTypeStart;
    m_session.m_nErrorID = protocol::kErrorUnexpected;
    if (!WaitForStop(kStopGraceMs)) m_site.ReportError(protocol::kTextUnexpected, kCaptionError);
    SignalStop();
  }
  {
    // The transport stays for the stop procedure to delete: the control's thread may be using it.
    std::lock_guard<com::CriticalSection> hold(m_csSession);
    m_session.m_bStreamsEnded = true;
    std::wstring ignored;
    if (!m_session.m_bSwitching && m_pTransport) m_pTransport->Disconnect(ignored);
  }
  SetEvent(m_hFinished.get());

  // The stop procedure waits for this thread to end before it closes the events and lets the
  // control go, so everything here stays valid; it runs on the window's thread only.
  if (StopSignalled()) {
    RequestStopProcedure(serial);
  } else if (m_settings.m_nResourceKind == protocol::FilePlayList && m_session.m_nStreamKind == 1) {
    // A server playlist sent live moves on when its frames stop.
    if (!m_session.m_bConnectionLost) m_session.m_bPlayListAdvance = true;
    if (WaitAlertable(1, &stop, kPlayListIdleMs) == WAIT_TIMEOUT) RequestStopProcedure(serial);
  } else {
    // The renderer plays out what is buffered; the end of every stream stops the session.
    WaitAlertable(1, &stop, INFINITE);
  }
  SetThreadExecutionState(ES_CONTINUOUS);
  CoUninitialize();
}

void SessionController::RequestStopProcedure(uint32_t serial) {
  PostMessageW(m_hWnd, WM_ZM_SESSION, kSessionStopRequest, static_cast<LPARAM>(serial));
}

bool SessionController::WaitForStop(DWORD ms) {
  const HANDLE stop = m_stop.Event();
  return WaitAlertable(1, &stop, ms) == WAIT_OBJECT_0;
}

void SessionController::RunGuarded(std::wstring& caption) {
  if (!m_queue.HasPendingStreamChange()) {
    // A new transport comes with the negotiation; a stream change's restart keeps the old one.
    DeleteTransport();
    NegotiationContext context;
    context.hStopEvent = m_stop.Event();
    context.hCredentialsEvent = m_hCredentials.get();
    context.hControlWindow = m_hWnd;
    context.pPasswordRequest = m_site.PasswordRequest();
    context.pSite = &m_site;
    std::wstring errorText;
    const BOOL accepted = Negotiate(m_settings, m_session, context, errorText);
    {
      std::lock_guard<com::CriticalSection> hold(m_csSession);
      m_pTransport = std::move(context.transport);
    }
    if (!accepted) {
      caption = kCaptionServerError;
      throw RaisedText{errorText};
    }
  } else {
    m_queue.ApplyPendingFormat();
  }
  if (!m_pTransport) throw RaisedText{protocol::kTextUnexpected};

  CreateMediaBuffer();
  int endCount = 0;
  m_nFrameCount = 0;
  SendMessageW(m_hWnd, WM_ZM_SESSION, kSessionCreateRenderer, 0);
  if (m_session.m_nErrorID < 0) {
    // Renderer creation has signalled the stop event: the loop below ends at once.
    m_site.ReportError(m_session.m_sErrorText, kCaptionError);
  } else {
    Preroll(endCount);
    if (!m_session.m_bSwitching) StartPlaying();
  }
  if (endCount >= m_session.m_bAudioWithVideo + 1) {
    m_session.m_bSeekable = 0;
    return;
  }
  PlayingLoop(endCount);
}

void SessionController::CreateMediaBuffer() {
  auto buffer = std::make_unique<CMediaBuffer>(m_bufferSite, m_session.m_replyStatus, m_session.m_videoType,
                                               m_session.m_audioType);
  if (!buffer->IsValid()) throw std::bad_alloc();
  std::lock_guard<com::CriticalSection> hold(m_csSession);
  m_pMediaBuffer = std::move(buffer);
  m_framePath.Bind(m_pTransport.get(), m_pMediaBuffer.get(), &m_stop, m_hRestart.get(), m_hWnd);
  // A stop that came before the buffer existed still reaches its waits.
  if (StopSignalled()) m_pMediaBuffer->Frames().Stop();
}

void SessionController::Preroll(int& endCount) {
  std::wstring errorText;
  bool ok = true;
  if (m_session.m_nStreamKind == 0) ok = m_queue.PrerollStored(endCount, errorText);
  else if (m_session.m_bLiveBuffering && m_settings.m_nResourceKind != protocol::FilePlayList)
    ok = m_queue.PrerollLiveFill(errorText);
  else ok = m_queue.PrerollLive(errorText);
  if (!ok) throw RaisedText{errorText};
}

void SessionController::StartPlaying() {
  if (StopSignalled()) {
    // The user stopped while connecting: nothing is reported.
    m_session.m_nErrorType = kErrorTypeStart;
    m_session.m_nErrorID = protocol::kErrorUnexpected;
    throw RaisedText{protocol::kTextUnexpected};
  }
  SendMessageW(m_hWnd, WM_ZM_SESSION, kSessionAttachRenderer, 0);
  if (m_session.m_nErrorID < 0) {
    DisconnectTransport();
    m_session.m_nErrorType = kErrorTypeStart;
    throw RaisedText{m_site.HResultText(static_cast<HRESULT>(m_session.m_nErrorID))};
  }
  {
    std::lock_guard<com::CriticalSection> hold(m_csSession);
    m_session.m_nState = protocol::Playing;
  }
  SendMessageW(m_hWnd, WM_ZM_FIRE, kFireResize, 100);
  if (!m_session.m_bAudioOnly && m_settings.m_bFullScreenRequested)
    PostMessageW(m_hWnd, WM_COMMAND, kCommandFullScreen, 0);
  SendMessageW(m_hWnd, WM_ZM_FIRE, kFireStart, 0);
  SendMessageW(m_hWnd, WM_ZM_SESSION, kSessionPlaying, static_cast<LPARAM>(m_nSerial.load()));
  m_pTransport->OnStreamingStarted();
}

void SessionController::OnReadFailure(const std::wstring& transportText) {
  m_session.m_bConnectionLost = true;
  m_session.m_nErrorType = kErrorTypeRunning;
  m_session.m_nErrorID = protocol::kErrorNoResponse;
  const bool seeking = m_session.m_bSeeking;
  if (!StopSignalled())
    m_site.ReportError(seeking ? transportText : transportText + kTextFinishingFromBuffer, kCaptionError);
  m_session.m_bSeekable = 0;
  m_queue.PushEndMarkers();
  if (seeking) {
    m_session.m_bSeeking = false;
    ResetRestart();
    PostMessageW(m_hWnd, WM_ZM_SESSION, kSessionResume, 0);
  }
}

void SessionController::PlayingLoop(int& endCount) {
  const int streams = m_session.m_bAudioWithVideo + 1;
  const HANDLE waits[] = {m_stop.Event(), m_hRestart.get(), m_hContinue.get()};
  std::wstring errorText;
  for (;;) {
    if (StopSignalled()) return;
    MediaFrame* frame = transport::AllocateTaskFrame();
    if (!frame) throw std::bad_alloc();
    const bool skipPending = m_queue.HasPendingStreamChange() || m_session.m_bSeeking;
    if (!m_queue.NextFrame(frame, errorText, skipPending)) {
      transport::FreeTaskFrame(frame);
      OnReadFailure(errorText);
      return;
    }

    if (m_settings.m_nResourceKind == protocol::FilePlayList && m_session.m_nStreamKind == 1) {
      // A live playlist's frames carry its generation in the tag's high byte.
      const int generation = (frame->tag >> 8) & 0xFE;
      if (generation != m_session.m_nPlayListGeneration) {
        transport::FreeTaskFrame(frame);
        m_queue.PushEndMarkers();
        return;
      }
      frame->tag &= 0x1FF;
    }

    if (!m_session.m_bSeeking || m_session.m_nSeekTarget == 0) {
      if (!m_queue.HasPendingStreamChange()) {
        bool rebuild = false;
        const FrameQueue::StreamChange change = m_queue.CheckStreamChange(frame, rebuild);
        if (change == FrameQueue::StreamChange::Ignored) continue;
        if (change == FrameQueue::StreamChange::Pending) {
          m_queue.PushEndMarkers();
          if (m_session.m_bSwitching) return;
          if (m_session.m_nPlaybackMode == protocol::TimeShiftPlayback) {
            const MediaBuffer& frames = m_pMediaBuffer->Frames();
            const int64_t played = std::max(frames.LastVideoTime(), frames.LastAudioTime()) / 10'000'000;
            m_session.m_nTimeShiftCarrySec =
                std::max<int32_t>(0, m_session.m_nLastReceivedSec - static_cast<int32_t>(played));
          }
          continue;
        }
      } else {
        if (!m_queue.HoldBack(*frame)) {
          transport::FreeTaskFrame(frame);
          throw std::bad_alloc();
        }
        if (FrameQueue::IsStreamChange(*frame)) {
          transport::FreeTaskFrame(frame);
          continue;
        }
      }
    }

    if (!m_queue.HandleFrame(frame, endCount, errorText)) throw RaisedText{errorText};
    if (m_session.m_bSwitching) {
      m_queue.PushEndMarkers();
      return;
    }
    if (m_nFrameCount++ % kFlowCheckEvery == 0) RtpFileFlowControl(0);
    if (!m_session.m_bFlowPaused && endCount != streams) continue;
    if (m_session.m_nStreamKind == 1) return;
    if (endCount == streams) m_session.m_bStreamsEnded = true;

    // A stored resource has been read to its end, or the server was asked to pause: wait for
    // a seek, a continue or the end.
    for (;;) {
      const DWORD woken = WaitAlertable(3, waits, kFlowWaitMs);
      if (woken == WAIT_TIMEOUT) continue;
      if (woken == WAIT_OBJECT_0 + 2 && endCount == streams) {
        ResetEvent(m_hContinue.get());
        continue;
      }
      if (woken == WAIT_OBJECT_0 + 1) {
        m_session.m_bStreamsEnded = false;
        endCount = 0;
      }
      if (woken != WAIT_OBJECT_0 + 1 && woken != WAIT_OBJECT_0 + 2) return;
      break;
    }
  }
}

}  // namespace zm::session
