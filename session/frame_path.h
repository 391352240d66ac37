// FramePath: the frame queue's site for one run of the grabber thread. Frames come from the
// session's transport in task-allocator records and go to the session's media buffer; the
// session's stop, its restart event and its control window receive what the queue signals.
#pragma once

#include <windows.h>

#include "session/frame_queue.h"
#include "session/media_flop.h"
#include "session/stop_signal.h"
#include "transport/network_source.h"

namespace zm::session {

// A session binds it to each run's transport and media buffer; the frame queue that uses it
// lives across runs, and between them only drops frames through it.
class FramePath final : public FrameQueueSite {
 public:
  FramePath() = default;
  FramePath(transport::CZNetworkMediaFramesSource& source, CMediaBuffer& buffer, StopSignal& stop, HANDLE restartEvent,
            HWND window) {
    Bind(&source, &buffer, &stop, restartEvent, window);
  }
  void Bind(transport::CZNetworkMediaFramesSource* source, CMediaBuffer* buffer, StopSignal* stop, HANDLE restartEvent,
            HWND window) {
    m_source = source;
    m_buffer = buffer;
    m_pStop = stop;
    m_hRestartEvent = restartEvent;
    m_hWnd = window;
  }

  bool ReadFrame(MediaFrame& frame, std::wstring& errorText) override;
  MediaFrame* AllocateFrame() override;
  uint8_t* AllocatePayload(size_t size) override;
  void DropFrame(MediaFrame* frame) override;
  void DeliverFrame(MediaFrame* frame) override;
  void FlushBuffer() override;
  void ResetTimeBase() override;
  bool StopSignalled() override;
  void SignalStop() override;
  void SeekCompleted() override;

 private:
  transport::CZNetworkMediaFramesSource* m_source = nullptr;
  CMediaBuffer* m_buffer = nullptr;
  StopSignal* m_pStop = nullptr;
  HANDLE m_hRestartEvent = nullptr;
  HWND m_hWnd = nullptr;
};

}  // namespace zm::session
