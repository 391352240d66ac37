#include "session/media_flop.h"

#include "transport/task_mem_block.h"

namespace zm::session {

using transport::FreeTaskFrame;

CMediaBuffer::CMediaBuffer(MediaBufferSite& site, const protocol::ReplyStatus& status,
                           const protocol::StreamFormat& video, const protocol::StreamFormat& audio)
    : m_nResourceKind(status.resourceKind | (uint32_t{status.playlistGeneration} << 16) |
                      (uint32_t{status.unused} << 24)),
      m_nServerFlags(status.serverFlags),
      // The decisions go by the 16-bit kind, so that a playlist entry counts as stored media.
      m_frames(site, FreeTaskFrame, status.resourceKind, video.IsPresent(), audio.IsPresent(), audio.type.subType) {
  m_bValid = transport::ToStreamFormatRecord(video, m_types.records[protocol::kVideoFormatIndex]) &&
             transport::ToStreamFormatRecord(audio, m_types.records[protocol::kAudioFormatIndex]);
}

CMediaBuffer::~CMediaBuffer() = default;

STDMETHODIMP CMediaBuffer::QueryInterface(REFIID riid, void** out) {
  // Only its own interface, and no reference: the session owns the object.
  if (!out) return E_POINTER;
  if (!IsEqualGUID(riid, IID_IMediaFlop)) return E_NOINTERFACE;
  *out = static_cast<IMediaFlop*>(this);
  return S_OK;
}

STDMETHODIMP CMediaBuffer::GetMediaInfo(DWORD, AM_MEDIA_TYPE* types, MediaInfoBlock* info) {
  if (!types || !info) return E_POINTER;
  for (size_t i = 0; i < 2; ++i) {
    if (!transport::CopyStreamFormatRecord(m_types.records[i], types[i])) {
      for (size_t j = 0; j < i; ++j) transport::FreeFormatBlock(types[j]);
      return E_OUTOFMEMORY;
    }
  }
  info->resourceKind = m_nResourceKind;
  info->serverFlags = m_nServerFlags;
  return S_OK;
}

STDMETHODIMP CMediaBuffer::GetFrame(DWORD streamType, MediaFrame** frame) {
  if (!frame) return E_POINTER;
  return m_frames.GetFrame(streamType, *frame) ? S_OK : E_FAIL;
}

}  // namespace zm::session
