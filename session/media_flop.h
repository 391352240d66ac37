// CMediaBuffer: the session's media buffer as the renderer sees it, through IMediaFlop. It holds
// deep copies of the two media types and the reply's kind and flags for GetMediaInfo, and hands
// frames out of the portable MediaBuffer. Its lifetime is the session's run: AddRef and Release
// do nothing, and the session deletes it after the renderer has been shut down.
#pragma once

#include "protocol/reply_codec.h"
#include "protocol/stream_format_codec.h"
#include "session/media_buffer.h"
#include "session/renderer_interfaces.h"
#include "transport/stream_format_record.h"

namespace zm::session {

class CMediaBuffer final : public IMediaFlop {
 public:
  // The site carries the control's flags and window messages; it outlives the buffer.
  CMediaBuffer(MediaBufferSite& site, const protocol::ReplyStatus& status, const protocol::StreamFormat& video,
               const protocol::StreamFormat& audio);
  CMediaBuffer(const CMediaBuffer&) = delete;
  CMediaBuffer& operator=(const CMediaBuffer&) = delete;
  ~CMediaBuffer();

  // False when the media types could not be copied (no memory): the session cannot start.
  bool IsValid() const { return m_bValid; }
  MediaBuffer& Frames() { return m_frames; }
  const MediaBuffer& Frames() const { return m_frames; }

  STDMETHODIMP QueryInterface(REFIID riid, void** out) override;
  STDMETHODIMP_(ULONG) AddRef() override { return 1; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }
  STDMETHODIMP GetMediaInfo(DWORD reserved, AM_MEDIA_TYPE* types, MediaInfoBlock* info) override;
  STDMETHODIMP NotifyRenderer(DWORD) override { return S_OK; }
  STDMETHODIMP GetFrame(DWORD streamType, MediaFrame** frame) override;

 private:
  transport::StreamFormatRecordPair m_types;  // video, audio
  uint32_t m_nResourceKind;                   // the reply's second u32 as it came: kind, playlist generation, unused
  uint32_t m_nServerFlags;
  bool m_bValid = true;
  MediaBuffer m_frames;
};

}  // namespace zm::session
