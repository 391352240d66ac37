#include "transport/network_source.h"

#include <mmsystem.h>
#include <objbase.h>

#include <memory>

#include "protocol/media_frame_codec.h"
#include "transport/source_error.h"
#include "protocol/string_codec.h"
#include "transport/wire_text.h"

namespace zm::transport {

using namespace protocol;
namespace {

constexpr uint32_t kResultWrongMagic = 0x8FFF0538;
constexpr uint32_t kResultIncompatibleVersion = 0x8FFF0539;

struct TaskMemFree {
  void operator()(void* block) const { CoTaskMemFree(block); }
};
using TaskMemBlock = std::unique_ptr<uint8_t, TaskMemFree>;

// A block of the size the server announced; a failed allocation is a failed read.
TaskMemBlock AllocateOrRaise(uint32_t size) {
  TaskMemBlock block(static_cast<uint8_t*>(CoTaskMemAlloc(size)));
  if (!block) RaiseSourceError(SourceFailure::ErrorReceiving);
  return block;
}

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
  const uint64_t timeout = static_cast<uint64_t>(self->m_nTimeoutMs);
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

void CZNetworkMediaFramesSource::ArmWatchdog() {
  const uint64_t now = m_clock.Now();
  const uint64_t due = now + static_cast<uint64_t>(m_nTimeoutMs);
  m_llWatchStart = now;
  m_bWatching = true;
  // A pending timer serves if it fires on this thread no later than this read's time-out.
  const DWORD thread = GetCurrentThreadId();
  if (m_bTimerPending && m_nTimerThread == thread && m_llTimerDue.load() <= due) return;
  m_llTimerDue = due;
  m_nTimerThread = thread;
  m_bTimerPending = true;
  ArmTimer(m_hWatchdogTimer.get(), static_cast<uint64_t>(m_nTimeoutMs), OnWatchdogExpired, this);
}

void CZNetworkMediaFramesSource::CancelWatchdog() {
  m_bWatching = false;
  m_bTimerPending = false;
  CancelWaitableTimer(m_hWatchdogTimer.get());
}

void CZNetworkMediaFramesSource::ReadOrRaise(void* buffer, uint32_t count, SourceFailure reason) {
  if (!ReadExact(buffer, count)) RaiseSourceError(reason);
}

void CZNetworkMediaFramesSource::ReadStreamFormat(StreamFormatRecord& record) {
  uint8_t head[kStreamFormatHeaderSize];
  ReadOrRaise(head, sizeof head, SourceFailure::ErrorReceiving);
  // The length is bounded before anything of that size is allocated.
  auto header = DecodeStreamFormatHeader(head);
  if (!header) RaiseSourceError(SourceFailure::ErrorReceiving);
  const uint32_t length = header.value().formatLength;
  TaskMemBlock block;
  if (length != 0) {
    block = AllocateOrRaise(length);
    ReadOrRaise(block.get(), length, SourceFailure::ErrorReceiving);
  }
  FillStreamFormatRecord(header.value(), record);
  record.cbFormat = length;
  record.pbFormat = block.release();
}

BOOL CZNetworkMediaFramesSource::ReadServerReply(StreamFormatRecord (&formats)[2], protocol::ReplyStatus& status,
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

    uint8_t prologue[kReplyPrologueSize];
    ReadOrRaise(prologue, sizeof prologue, SourceFailure::NoResponse);
    auto version = DecodeReplyPrologue(prologue);
    if (!version) {
      if (version.error() == DecodeError::BadMagic) {
        status.result = kResultWrongMagic;
        RaiseSourceError(SourceFailure::UnrecognizedResponse);
      }
      status.result = kResultIncompatibleVersion;
      RaiseSourceError(SourceFailure::IncompatibleVersions);
    }
    if (CheckReplyVersion(static_cast<uint32_t>(m_nProtocolVersion), version.value()) ==
        VersionAnswer::Protocol25Only) {
      RaiseSourceError(SourceFailure::Protocol25Only);
    }
    m_nProtocolVersion = static_cast<int>(version.value());

    uint8_t statusBytes[kReplyStatusSize];
    ReadOrRaise(statusBytes, sizeof statusBytes, SourceFailure::ErrorReceiving);
    status = DecodeReplyStatus(statusBytes).value();
    if (status.result != 0) RaiseSourceError(SourceFailure::ServerRefused);

    if (version.value() == kProtocolVersion80) {
      uint8_t extensionHeader[kReplyExtensionHeaderSize];
      ReadOrRaise(extensionHeader, sizeof extensionHeader, SourceFailure::ErrorReceiving);
      uint32_t left = DecodeReplyExtensionHeader(extensionHeader).value();
      uint8_t discard[1024];
      while (left > 0) {
        const uint32_t n = left < sizeof discard ? left : static_cast<uint32_t>(sizeof discard);
        ReadOrRaise(discard, n, SourceFailure::ErrorReceiving);
        left -= n;
      }
    }
    ReadStreamFormat(formats[kVideoFormatIndex]);
    ReadStreamFormat(formats[kAudioFormatIndex]);
    if (readTrailer) ReadChunkTrailer();
  });
  EndWatch();
  m_nReplyInProgress = 0;
  if (!ok) {
    for (StreamFormatRecord& record : formats) FreeFormatBlock(record);
  }
  return ok;
}

BOOL CZNetworkMediaFramesSource::ReadFrame(zm::MediaFrame& frame, std::wstring& errorText) {
  m_nAtFrameStart = 1;
  m_nStoppedAtFrameStart = 0;
  errorText.clear();
  frame.data = nullptr;
  ArmWatchdog();
  const BOOL ok = RunOperation(errorText, [&] {
    if (!ReadChunkHeader()) RaiseSourceError(SourceFailure::ErrorReceiving);
    uint8_t head[kMediaFrameHeaderSize];
    ReadOrRaise(head, sizeof head, SourceFailure::ErrorReceiving);
    // Field by field: the in-memory record differs from the wire at 64 bits.
    auto header = DecodeMediaFrameHeader(head);
    if (!header) RaiseSourceError(SourceFailure::ErrorReceiving);
    const MediaFrameHeader& h = header.value();
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
    if (h.length != 0) {
    // Straight into the payload's final buffer: one allocation, no copy.
    TaskMemBlock payload = AllocateOrRaise(h.length);
    ReadOrRaise(payload.get(), h.length, SourceFailure::ErrorReceiving);
    frame.data = payload.release();
    }
    ReadChunkTrailer();
  });
  EndWatch();
  if (!ok) {
    CoTaskMemFree(frame.data);
    frame.data = nullptr;
    frame.length = 0;
    return FALSE;
  }
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
    result = WireTextToWide(bytes, WireCodePage(m_nProtocolVersion));
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
