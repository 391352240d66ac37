#include "transport/rtp_source.h"

#include <ws2tcpip.h>

#include <cstdlib>
#include <cstring>

#include "transport/guid_text.h"
#include "transport/source_error.h"
#include "transport/task_mem_block.h"

namespace zm::transport {

using namespace protocol;
namespace {

constexpr char kRequestPrefix[] = "rtp-unicast:";
constexpr int kPortAnswerBytes = 8;

bool SameHost(const sockaddr_in& a, const sockaddr_in& b) { return a.sin_addr.s_addr == b.sin_addr.s_addr; }

}  // namespace

void AskForReceiveBuffer(SOCKET s, int size) {
  for (int tries = 0; tries < 3; size /= 2, ++tries) {
    if (setsockopt(s, SOL_SOCKET, SO_RCVBUF, reinterpret_cast<const char*>(&size), sizeof size) == 0) return;
  }
}

CZRtpMediaFramesSource::CZRtpMediaFramesSource(uint16_t port) : CZTcpMediaFramesSource(port) {}

CZRtpMediaFramesSource::~CZRtpMediaFramesSource() {
  // INVALID_HANDLE_VALUE: wait for a callback that is running, it uses this object.
  if (HANDLE timer = m_hLossTimer.exchange(nullptr)) DeleteTimerQueueTimer(nullptr, timer, INVALID_HANDLE_VALUE);
  CloseUdpSocket();
}

void CZRtpMediaFramesSource::ApplyUdpLossMode(int32_t mode) {
  if (mode == 0) m_nAdaptiveRedundancy = 0;
  if (mode == 1) m_nAdaptiveRedundancy = 1;
  if (mode == 2) {
    m_nAdaptiveRedundancy = 0;
    m_loss.SetLevel(RedundancyLevel::Full);
  }
}

void CZRtpMediaFramesSource::SetRequest(const std::string& request, int protocolVersion) {
  m_nProtocolVersion = protocolVersion;
  m_sUdpId = NewGuidText();
  m_sRequest = kRequestPrefix + m_sUdpId + request;
}

void CZRtpMediaFramesSource::SetLongTimeout() {
  m_nTimeoutMs = kLongTimeoutMs;
  m_nStreaming = 0;
}

void CZRtpMediaFramesSource::SetNonBlocking() {
  u_long on = 1;
  ioctlsocket(m_udpSocket.load(), FIONBIO, &on);
}

void CZRtpMediaFramesSource::CloseUdpSocket() {
  if (SOCKET s = m_udpSocket.exchange(INVALID_SOCKET); s != INVALID_SOCKET) closesocket(s);
}

BOOL CZRtpMediaFramesSource::Connect(std::wstring& errorText) {
  errorText.clear();
  ArmWatchdog(m_nTimeoutMs - kReadMarginMs);
  const BOOL ok = RunOperation(errorText, [&] {
    m_serverUdpAddress = sockaddr_in{};
    m_serverUdpAddress.sin_family = AF_INET;
    m_serverUdpAddress.sin_port = htons(m_nPort);
    m_serverUdpAddress.sin_addr = ResolveServerOrRaise(m_sHost);

    CloseUdpSocket();
    const SOCKET s = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    if (s == INVALID_SOCKET) RaiseSourceError(SourceFailure::DatagramSocketFailed);
    m_udpSocket = s;
    AskForReceiveBuffer(s, kUdpReceiveBuffer);
    const auto* server = reinterpret_cast<const sockaddr*>(&m_serverUdpAddress);
    if (sendto(s, m_sUdpId.data(), static_cast<int>(m_sUdpId.size()), 0, server, sizeof m_serverUdpAddress) < 0)
      RaiseSourceError(SourceFailure::UdpRequestNotSent);
    char answer[kPortAnswerBytes + 1] = {};
    int size = sizeof m_serverUdpAddress;
    if (recvfrom(s, answer, kPortAnswerBytes, 0, reinterpret_cast<sockaddr*>(&m_serverUdpAddress), &size) < 0)
      RaiseSourceError(SourceFailure::NoUdpResponse);
    // The answer is the media port in decimal; anything else is no answer a server gives.
    char* end = nullptr;
    const long mediaPort = std::strtol(answer, &end, 10);
    if (end == answer || mediaPort < 1 || mediaPort > 65535) RaiseSourceError(SourceFailure::NoUdpResponse);
    if (mediaPort != m_nPort) {
      // Media from a port of their own: a probe opens the way back through address translators.
      m_serverUdpAddress.sin_port = htons(static_cast<u_short>(mediaPort));
      connect(s, server, sizeof m_serverUdpAddress);
      send(s, kProbe, static_cast<int>(std::strlen(kProbe)), 0);
    }
    std::wstring tcpText;
    if (!CZTcpMediaFramesSource::Connect(tcpText)) RaiseSourceError(LastFailure());
  });
  EndWatch();
  return ok;
}

BOOL CZRtpMediaFramesSource::Disconnect(std::wstring& errorText) {
  CloseUdpSocket();
  return CZTcpMediaFramesSource::Disconnect(errorText);
}

BOOL CZRtpMediaFramesSource::SendCommand(const std::string& command, std::wstring& errorText) {
  const BOOL ok = CZTcpMediaFramesSource::SendCommand(command, errorText);
  if (command == "RTPFileContinue") {
    // The server may have been silent for a while: open the path again. The socket is
    // connected to the server's media address, so this thread needs no copy of it.
    send(m_udpSocket.load(), kProbe, static_cast<int>(std::strlen(kProbe)), 0);
  }
  return ok;
}

BOOL CZRtpMediaFramesSource::ReadServerReply(StreamFormatRecord (&formats)[2], ReplyStatus& status,
                                             std::wstring& errorText, BOOL readTrailer) {
  if (!CZNetworkMediaFramesSource::ReadServerReply(formats, status, errorText, readTrailer)) return FALSE;
  m_bHasVideo = IsEqualGUID(formats[0].majortype, GUID_NULL) ? 0 : 1;
  if (m_nAdaptiveRedundancy == 0 && m_loss.level() == RedundancyLevel::Full) {
    std::wstring ignored;
    CZTcpMediaFramesSource::SendCommand(std::string(RedundancyCommand(RedundancyLevel::Full)), ignored);
  }
  // A reply read after streaming began (a stream change) keeps the loss accounting going.
  if (m_nAdaptiveRedundancy == 1 && m_nStreaming == 1) CreateLossTimer();
  return TRUE;
}

void CZRtpMediaFramesSource::OnStreamingStarted() {
  m_nStreaming = 1;
  if (m_nAdaptiveRedundancy == 1 && !m_hLossTimer.load()) {
    m_loss.ResetCounters();
    CreateLossTimer();
  }
}

void CZRtpMediaFramesSource::CreateLossTimer() {
  if (m_hLossTimer.load()) return;
  HANDLE timer = nullptr;
  if (CreateTimerQueueTimer(&timer, nullptr, OnLossTimer, this, kLossTimerFirstMs, kLossTimerPeriodMs,
                            WT_EXECUTEDEFAULT))
    m_hLossTimer = timer;
}

void CALLBACK CZRtpMediaFramesSource::OnLossTimer(PVOID self, BOOLEAN) {
  auto* source = static_cast<CZRtpMediaFramesSource*>(self);
  source->m_loss.EndPeriod(static_cast<uint32_t>(source->m_clock.Now() / 1000));
}

void CZRtpMediaFramesSource::RaiseIfWatchOver(uint64_t watchStart, SourceFailure failure) {
  if (m_clock.Now() - watchStart >= static_cast<uint64_t>(m_nTimeoutMs - kReadMarginMs)) RaiseSourceError(failure);
}

size_t CZRtpMediaFramesSource::ReceiveDatagram(SourceFailure failure, uint64_t watchStart) {
  uint64_t start = 0;
  bool started = false;
  for (;;) {
    sockaddr_in from{};
    int size = sizeof from;
    const int received = recvfrom(m_udpSocket.load(), reinterpret_cast<char*>(m_packetBuffer), sizeof m_packetBuffer, 0,
                                  reinterpret_cast<sockaddr*>(&from), &size);
    if (received >= 0) {
      if (m_serverUdpAddress.sin_addr.s_addr != 0 && !SameHost(from, m_serverUdpAddress)) {
        RaiseIfWatchOver(watchStart, failure);
        continue;
      }
      if (m_bFollowSender && !m_assembler.ssrcKnown()) {
        // The stream's first datagram names the address it really comes from.
        m_serverUdpAddress = from;
        connect(m_udpSocket.load(), reinterpret_cast<const sockaddr*>(&from), sizeof from);
      }
      CountBytes(static_cast<uint32_t>(received));
      if (received > 0) m_nAtFrameStart = 0;
      return static_cast<size_t>(received);
    }
    const int error = WSAGetLastError();
    if (error == WSAEMSGSIZE) continue;  // longer than any datagram of ours: dropped
    if (error != WSAEWOULDBLOCK) RaiseSourceError(failure);
    if (m_nAtFrameStart == 1) {
      m_nStoppedAtFrameStart = 1;
      RaiseSourceError(failure);
    }
    if (!started) {
      start = m_clock.Now();
      started = true;
    } else if (m_clock.Now() - start >= static_cast<uint64_t>(m_nTimeoutMs)) {
      RaiseSourceError(failure);
    }
    Sleep(1);
  }
}

void CZRtpMediaFramesSource::Offer(size_t size, bool syncing, RtpOffer& offer) {
  const std::span<const uint8_t> datagram(m_packetBuffer, size);
  offer = syncing ? m_assembler.OfferWhileSyncing(datagram, static_cast<uint32_t>(m_clock.Now()))
                  : m_assembler.Offer(datagram, static_cast<uint32_t>(m_clock.Now()));
  if (offer == RtpOffer::SsrcChanged) RaiseSourceError(SourceFailure::ServerRestarted);
}

BOOL CZRtpMediaFramesSource::ReadFrame(zm::MediaFrame& frame, std::wstring& errorText) {
  m_nAtFrameStart = 1;
  m_nStoppedAtFrameStart = 0;
  errorText.clear();
  frame.data = nullptr;
  TaskMemBlock payload;
  // One datagram of the stream in and offered, under one watch however many others' are
  // dropped; anything but a raised reason is this step's own failure.
  auto receive = [&](bool syncing, SourceFailure failure) {
    ArmWatchdog(m_nTimeoutMs - kReadMarginMs);
    const uint64_t watchStart = m_clock.Now();
    for (;;) {
      RtpOffer offer;
      try {
        Offer(ReceiveDatagram(failure, watchStart), syncing, offer);
        if (offer != RtpOffer::OtherSource) return offer;
        RaiseIfWatchOver(watchStart, failure);
      } catch (const SourceError&) {
        throw;
      } catch (...) {
        RaiseSourceError(SourceFailure::UnexpectedInPacket);
      }
    }
  };
  const BOOL ok = RunOperation(errorText, [&] {
    try {
      if (m_nSyncPending == 1) {
        m_nSyncPending = 0;
        if (m_bHasVideo == 1) {
          // Datagrams that keep coming without a key frame do not hold the start forever.
          const uint64_t syncStart = m_clock.Now();
          while (receive(true, SourceFailure::RtpSyncFailed) != RtpOffer::Added) {
            RaiseIfWatchOver(syncStart, SourceFailure::RtpSyncFailed);
          }
        }
      }
      if (const auto level = m_loss.TakeChange()) {
        std::wstring ignored;
        CZTcpMediaFramesSource::SendCommand(std::string(RedundancyCommand(*level)), ignored);
      }
      for (;;) {
        while (m_assembler.NeedsDatagram()) receive(false, SourceFailure::ErrorReceiving);
        auto ready = m_assembler.TakeOldest();
        if (!ready) continue;  // its header never came
        CopyFrameHeader(ready->header, frame);
        if (frame.length != 0) {
          payload = AllocatePayload(frame.length);
        }
        m_assembler.FillPayload(*ready, {payload.get(), frame.length});
        return;
      }
    } catch (const SourceError&) {
      throw;
    } catch (...) {
      RaiseSourceError(SourceFailure::UnexpectedInFrame);
    }
  });
  if (!EndFrameRead(ok, payload, frame)) return FALSE;
  const protocol::RtpReceptionFigures figures = m_assembler.reception().Figures();
  std::lock_guard<com::CriticalSection> hold(m_csPublished);
  m_published = figures;
  return TRUE;
}

protocol::RtpReceptionFigures CZRtpMediaFramesSource::PublishedReception() const {
  std::lock_guard<com::CriticalSection> hold(m_csPublished);
  return m_published;
}

}  // namespace zm::transport
