// CZRtpMediaFramesSource: the media frames as RTP datagrams over UDP, beside the TCP connection
// that carries the request, the reply and the commands. Connect pairs the two by a UDP id and
// opens the path with a probe; ReadFrame reorders and reassembles the datagrams (protocol/
// rtp_reassembly.h) from the first video key frame on; a loss timer steers the server's
// redundancy level by the packets lost in each period.
//
// Threads: as the TCP transport. The loss timer's callback runs on a thread of the default
// timer queue; it touches only the loss control, whose fields are atomic. The destructor
// waits for a running callback. ReceptionFigures belongs to the reading thread,
// PublishedReception to any.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include <atomic>
#include <mutex>
#include <string>

#include "com/critical_section.h"
#include "protocol/rtp_reassembly.h"
#include "protocol/rtp_redundancy.h"
#include "transport/tcp_source.h"

namespace zm::transport {

// Bursts wait in the socket: asks for `size` bytes of receive buffer, then half, then a quarter.
void AskForReceiveBuffer(SOCKET s, int size);

class CZRtpMediaFramesSource : public CZTcpMediaFramesSource {
 public:
  static constexpr char kProbe[] = "HoldTheLineNow";
  static constexpr int kUdpReceiveBuffer = 4 * 1024 * 1024;
  static constexpr int kReadMarginMs = 2000;  // datagram reads watch 2 s less than the time-out
  static constexpr DWORD kLossTimerFirstMs = 10000;
  static constexpr DWORD kLossTimerPeriodMs = 20000;

  explicit CZRtpMediaFramesSource(uint16_t port);
  ~CZRtpMediaFramesSource() override;

  BOOL Connect(std::wstring& errorText) override;
  BOOL Disconnect(std::wstring& errorText) override;
  BOOL SendCommand(const std::string& command, std::wstring& errorText) override;
  BOOL ReadFrame(zm::MediaFrame& frame, std::wstring& errorText) override;
  BOOL ReadServerReply(StreamFormatRecord (&formats)[2], protocol::ReplyStatus& status, std::wstring& errorText,
                       BOOL readTrailer) override;
  void SetRequest(const std::string& request, int protocolVersion) override;
  void SetLongTimeout() override;
  void OnStreamingStarted() override;
  void SetNonBlocking() override;

  // The session's UDP loss mode: 0 a fixed level, 1 adaptive, 2 full redundancy without
  // adaptation; other values keep the defaults (adaptive). Before Connect.
  void ApplyUdpLossMode(int32_t mode);

  const std::string& UdpId() const { return m_sUdpId; }
  protocol::RedundancyLevel RedundancyLevel() const { return m_loss.level(); }
  protocol::RtpReceptionFigures ReceptionFigures() const { return m_assembler.reception().Figures(); }
  // The same as of the last frame read, for any thread (the statistics window's timer).
  protocol::RtpReceptionFigures PublishedReception() const;

 protected:
  void CloseUdpSocket();
  // The datagram socket, closed by whichever thread takes it out.
  std::atomic<SOCKET> m_udpSocket{INVALID_SOCKET};
  // Datagrams from another host than this one's are ignored (none while it is all zero).
  sockaddr_in m_serverUdpAddress{};
  // Whether the stream's first datagram names the server's media address, to which the socket
  // is then connected (unicast); a multicast group keeps its filter by host.
  bool m_bFollowSender = true;
  LONG m_nStreaming = 1;
  LONG m_nAdaptiveRedundancy = 1;
  protocol::RtpLossControl m_loss;  // shared with the loss timer's thread
  protocol::RtpFrameAssembler m_assembler{m_loss};

 private:
  static void CALLBACK OnLossTimer(PVOID self, BOOLEAN);
  void CreateLossTimer();
  // One datagram into m_packetBuffer, from the server's host only; raises `failure` when none
  // comes within the watch that began at watchStart.
  size_t ReceiveDatagram(protocol::SourceFailure failure, uint64_t watchStart);
  // Raises `failure` when the watch that began at watchStart is over: a flood of datagrams
  // that are dropped never lets the watchdog's routine run.
  void RaiseIfWatchOver(uint64_t watchStart, protocol::SourceFailure failure);
  // One datagram offered to the assembly; raises when the source changed.
  void Offer(size_t size, bool syncing, protocol::RtpOffer& offer);

  LONG m_nSyncPending = 1;
  LONG m_bHasVideo = 0;
  uint8_t m_packetBuffer[protocol::kRtpMaxDatagramBytes];
  std::string m_sUdpId;
  std::atomic<HANDLE> m_hLossTimer{nullptr};
  mutable com::CriticalSection m_csPublished;
  protocol::RtpReceptionFigures m_published;  // under m_csPublished
};

}  // namespace zm::transport
