#include "transport/network_source.h"

#include <mmsystem.h>
#include <objbase.h>

#include "com/code_page_text.h"
#include "protocol/media_frame_codec.h"
#include "protocol/reply_reader.h"
#include "protocol/string_codec.h"
#include "transport/source_error.h"
#include "transport/task_mem_block.h"

namespace zm::transport {

using namespace protocol;
namespace {

// Protocol 80 sends its texts in UTF-8, protocol 25 in the thread's ANSI code page.
UINT WireCodePage(int protocolVersion) {
  return protocolVersion == static_cast<int>(kProtocolVersion80) ? CP_UTF8 : CP_THREAD_ACP;
}

// The connection as the reply reader's byte source.
class ConnectionBytes final : public ByteSource {
 public:
  explicit ConnectionBytes(CZNetworkMediaFramesSource& source) : m_source(source) {}
  bool ReadExact(std::span<uint8_t> into) override {
    return m_source.ReadExact(into.data(), static_cast<uint32_t>(into.size())) != FALSE;
  }

 private:
  CZNetworkMediaFramesSource& m_source;
};

// The reply's two records, owned until the whole reply has been read.
class ReplyRecords final : public FormatSink {
 public:
  uint8_t* FormatBlock(size_t index, const StreamFormatHeader& header) override {
    return m_records[index].Fill(header);
  }
  void Release(StreamFormatRecord (&out)[2]) {
    for (size_t i = 0; i < 2; ++i) m_records[i].Release(out[i]);
  }

 private:
  UniqueStreamFormatRecord m_records[2];
};

void ArmTimer(HANDLE timer, uint64_t ms, PTIMERAPCROUTINE routine, void* argument) {
  LARGE_INTEGER due;
  due.QuadPart = -static_cast<LONGLONG>(ms) * 10000;
  SetWaitableTimer(timer, &due, 0, routine, argument, FALSE);
}

}  // namespace

CZNetworkMediaFramesSource::CZNetworkMediaFramesSource()
    : m_hWatchdogTimer(CreateWaitableTimerW(nullptr, TRUE, nullptr)) {
  // 1-ms sleeps and millisecond time-outs need the finest timer period while we live.
  timeBeginPeriod(m_clock.PeriodMin());
}

CZNetworkMediaFramesSource::~CZNetworkMediaFramesSource() {
  // Cancelling also drops a completion routine already queued, which would find us gone.
  if (m_hWatchdogTimer) CancelWaitableTimer(m_hWatchdogTimer.get());
  m_hWatchdogTimer.reset();
  timeEndPeriod(m_clock.PeriodMin());
}

void CALLBACK CZNetworkMediaFramesSource::OnWatchdogExpired(LPVOID source, DWORD, DWORD) {
  auto* self = static_cast<CZNetworkMediaFramesSource*>(source);
  self->m_bTimerPending = false;
  if (!self->m_bWatching) return;
  const uint64_t elapsed = self->m_clock.Now() - self->m_llWatchStart.load();
  const uint64_t timeout = static_cast<uint64_t>(self->m_nWatchMs.load());
  if (elapsed < timeout) {
    // A later read than the one the timer was armed for: watch it for the rest of its time.
    self->m_llTimerDue = self->m_clock.Now() + (timeout - elapsed);
    self->m_bTimerPending = true;
    ArmTimer(self->m_hWatchdogTimer.get(), timeout - elapsed, OnWatchdogExpired, self);
    return;
  }
  // Closing the connection makes the pending read fail with its usual text.
  try {
    std::wstring scratch;
    self->Disconnect(scratch);
  } catch (...) {
  }
}

void CZNetworkMediaFramesSource::ArmWatchdog(int timeoutMs) {
  const uint64_t now = m_clock.Now();
  const uint64_t due = now + static_cast<uint64_t>(timeoutMs);
  m_llWatchStart = now;
  m_nWatchMs = timeoutMs;
  m_bWatching = true;
  // A pending timer serves if it fires on this thread no later than this read's time-out.
  const DWORD thread = GetCurrentThreadId();
  if (m_bTimerPending && m_nTimerThread == thread && m_llTimerDue.load() <= due) return;
  m_llTimerDue = due;
  m_nTimerThread = thread;
  m_bTimerPending = true;
  ArmTimer(m_hWatchdogTimer.get(), static_cast<uint64_t>(timeoutMs), OnWatchdogExpired, this);
}

void CZNetworkMediaFramesSource::CancelWatchdog() {
  m_bWatching = false;
  m_bTimerPending = false;
  CancelWaitableTimer(m_hWatchdogTimer.get());
}

void CZNetworkMediaFramesSource::ReadOrRaise(void* buffer, uint32_t count, SourceFailure reason) {
  if (!ReadExact(buffer, count)) RaiseSourceError(reason);
}

BOOL CZNetworkMediaFramesSource::ReadServerReply(StreamFormatRecord (&formats)[2], ReplyStatus& status,
                                                 std::wstring& errorText, BOOL readTrailer) {
  errorText.clear();
  m_nReplyInProgress = 1;
  for (StreamFormatRecord& record : formats) {
    record.pbFormat = nullptr;
    record.cbFormat = 0;
  }
  ArmWatchdog();
  const BOOL ok = RunOperation(errorText, [&] {
    ReadPreamble();
    if (!ReadChunkHeader()) RaiseSourceError(SourceFailure::ErrorReceiving);
    ConnectionBytes bytes(*this);
    ReplyRecords records;
    const ReplyRead read = protocol::ReadServerReply(bytes, static_cast<uint32_t>(m_nProtocolVersion), status, records);
    if (read.acceptedVersion != 0) m_nProtocolVersion = static_cast<int>(read.acceptedVersion);
    if (!read.ok()) RaiseSourceError(read.failure);
    if (readTrailer) ReadChunkTrailer();
    records.Release(formats);
  });
  EndWatch();
  m_nReplyInProgress = 0;
  return ok;
}

void CZNetworkMediaFramesSource::CopyFrameHeader(const MediaFrameHeader& h, zm::MediaFrame& frame) {
  frame.streamType = h.streamType;
  frame.flags = h.flags;
  frame.itemIndex = h.itemIndex;
  frame.time = h.time;
  frame.stopTime = h.stopTime;
  frame.keyFrame = h.keyFrame;
  frame.hasNewFormat = h.hasNewFormat;
  frame.tag = h.tag;
  frame.reserved1 = h.reserved1;
  frame.length = h.length;
}

BOOL CZNetworkMediaFramesSource::ReadFrame(zm::MediaFrame& frame, std::wstring& errorText) {
  m_nAtFrameStart = 1;
  m_nStoppedAtFrameStart = 0;
  errorText.clear();
  frame.data = nullptr;
  TaskMemBlock payload;
  ArmWatchdog();
  const BOOL ok = RunOperation(errorText, [&] {
    if (!ReadChunkHeader()) RaiseSourceError(SourceFailure::ErrorReceiving);
    uint8_t head[kMediaFrameHeaderSize];
    ReadOrRaise(head, sizeof head, SourceFailure::ErrorReceiving);
    // Field by field: the in-memory record differs from the wire at 64 bits.
    auto header = DecodeMediaFrameHeader(head);
    if (!header) RaiseSourceError(SourceFailure::ErrorReceiving);
    const MediaFrameHeader& h = header.value();
    CopyFrameHeader(h, frame);
    if (h.length != 0) {
      // Straight into the payload's final buffer: one allocation, no copy.
      payload = AllocatePayload(h.length);
      ReadOrRaise(payload.get(), h.length, SourceFailure::ErrorReceiving);
    }
    ReadChunkTrailer();
  });
  return EndFrameRead(ok, payload, frame);
}

TaskMemBlock CZNetworkMediaFramesSource::AllocatePayload(uint32_t size) {
  m_payloadHole.Fit(size);
  TaskMemBlock block = AllocateTaskMem(size);
  if (!block) RaiseSourceError(SourceFailure::ErrorReceiving);
  return block;
}

BOOL CZNetworkMediaFramesSource::EndFrameRead(BOOL ok, TaskMemBlock& payload, zm::MediaFrame& frame) {
  EndWatch();
  if (!ok) {
    frame.length = 0;
    return FALSE;
  }
  frame.data = payload.detach();
  if (frame.streamType == kStreamTypeVideo) m_nVideoFrameCount.fetch_add(1);
  return TRUE;
}

BOOL CZNetworkMediaFramesSource::ReadString(std::wstring& result, std::wstring& errorText) {
  errorText.clear();
  ArmWatchdog();
  const BOOL ok = RunOperation(errorText, [&] {
    uint8_t lengthBytes[kWireStringLengthSize];
    ReadOrRaise(lengthBytes, sizeof lengthBytes, SourceFailure::ErrorReceiving);
    auto length = DecodeWireStringLength(lengthBytes);
    if (!length) RaiseSourceError(SourceFailure::ErrorReceiving);
    std::string bytes;
    try {
      bytes.resize(length.value());
    } catch (const std::bad_alloc&) {
      RaiseSourceError(SourceFailure::ErrorReceiving);
    }
    ReadOrRaise(bytes.data(), length.value(), SourceFailure::ErrorReceiving);
    result = com::CodePageToWide(bytes, WireCodePage(m_nProtocolVersion));
    ReadChunkTrailer();
  });
  EndWatch();
  return ok;
}

void CZNetworkMediaFramesSource::SetRequest(const std::string& request, int protocolVersion) {
  m_sRequest = request;
  m_nProtocolVersion = protocolVersion;
}

void CZNetworkMediaFramesSource::SetPort(uint16_t) {}

void CZNetworkMediaFramesSource::SetLongTimeout() { m_nTimeoutMs = kLongTimeoutMs; }

void CZNetworkMediaFramesSource::OnStreamingStarted() {}

void CZNetworkMediaFramesSource::SetNonBlocking() {}

void CZNetworkMediaFramesSource::ReadPreamble() {}

BOOL CZNetworkMediaFramesSource::ReadChunkHeader() { return TRUE; }

void CZNetworkMediaFramesSource::ReadChunkTrailer() {}

void CZNetworkMediaFramesSource::SampleCounters() {
  m_nVideoFramesLastPeriod = m_nVideoFrameCount.exchange(0);
  m_nBytesLastPeriod = m_nByteCount.exchange(0);
}

}  // namespace zm::transport
