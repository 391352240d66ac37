// CZNetworkMediaFramesSource: the transport one playback session talks to the server through.
// Reads the reply, frames and strings, keeps the watchdog and the byte and frame counters.
//
// The watchdog: every read starts a watch of timeoutMs on TickClock64. The waitable timer's
// completion routine, an APC on the reading thread, disconnects when the watched read has
// run that long, and re-arms itself for the rest otherwise. The timer is armed only when none
// is pending, so a stream of quick reads costs no kernel call per frame.
//
// Threads: every read and Connect run on the session's grabber thread (the watchdog's
// completion routine too, as an APC there); Disconnect and SendCommand may also run on the
// control's thread while a read is pending (Disconnect then ends it); SampleCounters runs on
// the control's thread.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <string>

#include "com/heap_hole.h"
#include "com/unique_handle.h"
#include "protocol/media_frame.h"
#include "protocol/media_frame_codec.h"
#include "protocol/reply_codec.h"
#include "transport/source_error.h"
#include "transport/stream_format_record.h"
#include "transport/task_mem_block.h"
#include "transport/tick_clock64.h"

namespace zm::transport {

class CZNetworkMediaFramesSource {
 public:
  static constexpr int kDefaultTimeoutMs = 20000;
  static constexpr int kLongTimeoutMs = 25000;

  CZNetworkMediaFramesSource();
  CZNetworkMediaFramesSource(const CZNetworkMediaFramesSource&) = delete;
  CZNetworkMediaFramesSource& operator=(const CZNetworkMediaFramesSource&) = delete;

  // The virtual operations, in their slot order.
  virtual ~CZNetworkMediaFramesSource();
  virtual BOOL Connect(std::wstring& errorText) = 0;
  virtual BOOL Disconnect(std::wstring& errorText) = 0;
  virtual BOOL SendCommand(const std::string& command, std::wstring& errorText) = 0;
  virtual BOOL ReadFrame(zm::MediaFrame& frame, std::wstring& errorText);
  virtual BOOL ReadServerReply(StreamFormatRecord (&formats)[2], protocol::ReplyStatus& status, std::wstring& errorText,
                               BOOL readTrailer);
  virtual BOOL ReadString(std::wstring& result, std::wstring& errorText);
  virtual void SetRequest(const std::string& request, int protocolVersion);
  virtual void SetPort(uint16_t port);
  virtual void SetLongTimeout();
  virtual void OnStreamingStarted();
  virtual void SetNonBlocking();
  virtual BOOL ReadExact(void* buffer, uint32_t count) = 0;
  virtual void ReadPreamble();
  virtual BOOL ReadChunkHeader();
  virtual void ReadChunkTrailer();

  // The server's host name or dotted address, in the thread's ANSI code page.
  void SetHost(const std::string& host) { m_sHost = host; }
  const std::string& Host() const { return m_sHost; }
  const std::string& Request() const { return m_sRequest; }
  int ProtocolVersion() const { return m_nProtocolVersion; }
  int TimeoutMs() const { return m_nTimeoutMs; }

  // Why the last failed operation failed (any thread may read it; the text goes to the caller).
  protocol::SourceFailure LastFailure() const { return m_lastFailure.load(); }

  // The periodic status update: moves both counters into their last-period values.
  void SampleCounters();
  LONG VideoFramesLastPeriod() const { return m_nVideoFramesLastPeriod.load(); }
  LONG BytesLastPeriod() const { return m_nBytesLastPeriod.load(); }

 protected:
  // Runs one operation through RunSourceOperation and records its reason.
  template <class Body>
  BOOL RunOperation(std::wstring& errorText, Body&& body) noexcept {
    SourceFailure failure = SourceFailure::None;
    const BOOL ok = RunSourceOperation(errorText, failure, static_cast<Body&&>(body));
    m_lastFailure = failure;
    return ok;
  }

  // Starts the watch of the read that begins now; EndWatch when it ends, however it ends.
  void ArmWatchdog() { ArmWatchdog(m_nTimeoutMs); }
  // The same with a time of its own (the RTP transport's reads watch 2 s less).
  void ArmWatchdog(int timeoutMs);
  // The header's fields into the in-memory record (whose data pointer stays as it is).
  static void CopyFrameHeader(const protocol::MediaFrameHeader& header, zm::MediaFrame& frame);
  void EndWatch() { m_bWatching = false; }
  // A block of the size the server announced, inside the payload hole when one fits; a failed
  // allocation raises a failed read.
  TaskMemBlock AllocatePayload(uint32_t size);
  // A frame read's end: the watch ends, and a good frame takes its payload and is counted.
  BOOL EndFrameRead(BOOL ok, TaskMemBlock& payload, zm::MediaFrame& frame);
  // Stops the timer and drops its pending completion routine (Disconnect, destruction).
  void CancelWatchdog();
  void CountBytes(uint32_t count) { m_nByteCount.fetch_add(static_cast<LONG>(count)); }

  TickClock64 m_clock;
  std::string m_sHost;
  std::string m_sRequest;
  int m_nProtocolVersion = static_cast<int>(protocol::kProtocolVersion25);
  com::UniqueHandle m_hWatchdogTimer;
  std::atomic<LONG> m_nVideoFrameCount{0};
  std::atomic<LONG> m_nByteCount{0};
  std::atomic<LONG> m_nVideoFramesLastPeriod{0};
  std::atomic<LONG> m_nBytesLastPeriod{0};
  LONG m_nReplyInProgress = 0;
  LONG m_nAtFrameStart = 0;
  LONG m_nStoppedAtFrameStart = 0;
  int m_nTimeoutMs = kDefaultTimeoutMs;
  std::atomic<protocol::SourceFailure> m_lastFailure{protocol::SourceFailure::None};

 private:
  com::HeapHole m_payloadHole{kTaskAllocator};  // the reading thread's
  // The watch; read and written only on the reading thread, where the APC runs too.
  std::atomic<bool> m_bWatching{false};
  std::atomic<uint64_t> m_llWatchStart{0};
  std::atomic<int> m_nWatchMs{kDefaultTimeoutMs};
  std::atomic<bool> m_bTimerPending{false};
  std::atomic<uint64_t> m_llTimerDue{0};
  std::atomic<DWORD> m_nTimerThread{0};

  static void CALLBACK OnWatchdogExpired(LPVOID source, DWORD lowTime, DWORD highTime);
  // Reads exactly count bytes or raises the text.
  void ReadOrRaise(void* buffer, uint32_t count, protocol::SourceFailure reason);
};

}  // namespace zm::transport
