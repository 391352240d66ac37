// FramePath: the frame queue's site for one run of the grabber thread. Frames come from the
// session's transport in task-allocator records and go to the session's media buffer; the
// session's stop and restart events and its control window receive what the queue signals.
#pragma once

#include <windows.h>

#include "session/frame_queue.h"
#include "session/media_flop.h"
#include "transport/network_source.h"

namespace zm::session {

class FramePath final : public FrameQueueSite {
 public:
  FramePath(transport::CZNetworkMediaFramesSource& source, CMediaBuffer& buffer, HANDLE stopEvent, HANDLE restartEvent,
            HWND window)
      : m_source(source), m_buffer(buffer), m_hStopEvent(stopEvent), m_hRestartEvent(restartEvent), m_hWnd(window) {}

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
  transport::CZNetworkMediaFramesSource& m_source;
  CMediaBuffer& m_buffer;
  HANDLE m_hStopEvent;
  HANDLE m_hRestartEvent;
  HWND m_hWnd;
};

}  // namespace zm::session
