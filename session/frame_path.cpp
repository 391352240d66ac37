#include "session/frame_path.h"

#include "session/private_messages.h"
#include "transport/task_mem_block.h"

namespace zm::session {

bool FramePath::ReadFrame(MediaFrame& frame, std::wstring& errorText) {
  return m_source && m_source->ReadFrame(frame, errorText) != FALSE;
}

MediaFrame* FramePath::AllocateFrame() { return transport::AllocateTaskFrame(); }

uint8_t* FramePath::AllocatePayload(size_t size) { return transport::AllocateTaskMem(size).detach(); }

void FramePath::DropFrame(MediaFrame* frame) { transport::FreeTaskFrame(frame); }

void FramePath::DeliverFrame(MediaFrame* frame) {
  if (m_buffer) m_buffer->Frames().DeliverFrame(frame);
  else DropFrame(frame);
}

void FramePath::FlushBuffer() {
  if (m_buffer) m_buffer->Frames().Flush();
}

void FramePath::ResetTimeBase() {
  if (m_buffer) m_buffer->Frames().ResetTimeBase();
}

bool FramePath::StopSignalled() { return !m_pStop || m_pStop->IsSet(); }

void FramePath::SignalStop() {
  if (m_pStop) m_pStop->Set();
  // Every reader and producer waiting inside the media buffer returns.
  if (m_buffer) m_buffer->Frames().Stop();
}

void FramePath::SeekCompleted() {
  if (m_hRestartEvent) ResetEvent(m_hRestartEvent);
  if (!m_hWnd) return;
  PostMessageW(m_hWnd, WM_CANCELMODE, 0, 0);
  PostMessageW(m_hWnd, WM_ZM_SESSION, kSessionResume, 0);
}

}  // namespace zm::session
