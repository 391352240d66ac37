#include "transport/rtp_multicast_source.h"

#include <ws2tcpip.h>

#include <cstring>

#include "transport/source_error.h"

namespace zm::transport {

using namespace protocol;
namespace {

constexpr size_t kMaxInterfaces = 16;
static_assert(sizeof(INTERFACE_INFO) * kMaxInterfaces == 1216, "the interface list's buffer");

bool SetMembershipOn(SOCKET s, in_addr group, in_addr local, int option) {
  ip_mreq request{};
  request.imr_multiaddr = group;
  request.imr_interface = local;
  return setsockopt(s, IPPROTO_IP, option, reinterpret_cast<const char*>(&request), sizeof request) == 0;
}

// Joins or leaves on every interface the system lists, or on any when it lists none; true
// when at least one took it (a computer whose other interfaces lead nowhere still receives).
bool SetMembership(SOCKET s, const MulticastGroup& group, int option) {
  in_addr address;
  std::memcpy(&address, group.address.data(), sizeof address);
  INTERFACE_INFO interfaces[kMaxInterfaces];
  DWORD returned = 0;
  const bool listed =
      WSAIoctl(s, SIO_GET_INTERFACE_LIST, nullptr, 0, interfaces, sizeof interfaces, &returned, nullptr, nullptr) == 0;
  if (!listed || returned < sizeof(INTERFACE_INFO)) return SetMembershipOn(s, address, in_addr{}, option);
  bool any = false;
  for (size_t i = 0; i < returned / sizeof(INTERFACE_INFO) && i < kMaxInterfaces; ++i)
    any = SetMembershipOn(s, address, interfaces[i].iiAddress.AddressIn.sin_addr, option) || any;
  return any;
}

}  // namespace

CZRtpMulticastMediaFramesSource::CZRtpMulticastMediaFramesSource(uint16_t port) : CZRtpMediaFramesSource(port) {
  m_nKeepAlive = 1;
  m_nStreaming = 0;
  m_nAdaptiveRedundancy = 0;
  m_bFollowSender = false;
  m_assembler.DropOtherSources();
}

void CZRtpMulticastMediaFramesSource::SetRequest(const std::string& request, int protocolVersion) {
  m_nProtocolVersion = protocolVersion;
  m_sRequest = std::string(kRtpMulticastPrefix) + request;
}

BOOL CZRtpMulticastMediaFramesSource::Connect(std::wstring& errorText) {
  errorText.clear();
  CloseUdpSocket();
  if (!CZTcpMediaFramesSource::Connect(errorText)) return FALSE;
  // A server that never names the group is watched like one that never replies.
  ArmWatchdog();
  const BOOL ok = RunOperation(errorText, [&] { ReceiveGroupAndJoin(); });
  EndWatch();
  return ok;
}

void CZRtpMulticastMediaFramesSource::ReceiveGroupAndJoin() {
  m_group = MulticastGroup{};
  uint8_t bytes[kMulticastGroupInfoBytes];
  if (!ReadExact(bytes, sizeof bytes)) RaiseSourceError(SourceFailure::ErrorReceiving);
  const auto group = DecodeMulticastGroupInfo(bytes);
  if (!group) RaiseSourceError(SourceFailure::ErrorReceiving);
  m_group = group.value();
  // The stream comes from the server's host; whatever else reaches the group is not ours.
  int size = sizeof m_serverUdpAddress;
  if (getpeername(m_socket.load(), reinterpret_cast<sockaddr*>(&m_serverUdpAddress), &size) != 0)
    RaiseSourceError(SourceFailure::ErrorReceiving);
  if (m_group.port == 0) return;  // the server sends nothing over multicast

  const SOCKET s = WSASocketW(AF_INET, SOCK_DGRAM, 0, nullptr, 0,
                              WSA_FLAG_OVERLAPPED | WSA_FLAG_MULTIPOINT_C_LEAF | WSA_FLAG_MULTIPOINT_D_LEAF);
  if (s == INVALID_SOCKET) RaiseSourceError(SourceFailure::MulticastSocketFailed);
  m_udpSocket = s;
  // Other viewers on this computer listen on the same port.
  const BOOL reuse = TRUE;
  setsockopt(s, SOL_SOCKET, SO_REUSEADDR, reinterpret_cast<const char*>(&reuse), sizeof reuse);
  sockaddr_in local{};
  local.sin_family = AF_INET;
  local.sin_port = htons(m_group.port);
  local.sin_addr.s_addr = htonl(INADDR_ANY);
  if (bind(s, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0)
    RaiseSourceError(SourceFailure::MulticastBindFailed);
  AskForReceiveBuffer(s, kUdpReceiveBuffer);
  if (!SetMembership(s, m_group, IP_ADD_MEMBERSHIP)) RaiseSourceError(SourceFailure::MulticastJoinFailed);
  m_nJoinedPort = m_group.port;
}

BOOL CZRtpMulticastMediaFramesSource::Disconnect(std::wstring& errorText) {
  if (m_nJoinedPort.exchange(0) != 0) SetMembership(m_udpSocket.load(), m_group, IP_DROP_MEMBERSHIP);
  return CZRtpMediaFramesSource::Disconnect(errorText);
}

// The server ends a multicast session by writing to or closing the control connection.
bool CZRtpMulticastMediaFramesSource::ControlConnectionQuiet() {
  fd_set readable;
  FD_ZERO(&readable);
  FD_SET(m_socket.load(), &readable);
  timeval now{0, 0};
  return select(0, &readable, nullptr, nullptr, &now) == 0;
}

BOOL CZRtpMulticastMediaFramesSource::ReadFrame(zm::MediaFrame& frame, std::wstring& errorText) {
  bool ended = false;
  if (++m_nReadCount >= kControlCheckReads) {
    m_nReadCount = 0;
    ended = !ControlConnectionQuiet();
  }
  // Without a datagram socket (group port 0) nothing could ever come.
  if (!ended && HasDatagramSocket()) return CZRtpMediaFramesSource::ReadFrame(frame, errorText);
  errorText.clear();
  frame.data = nullptr;
  frame.length = 0;
  return RunOperation(errorText, [] { RaiseSourceError(SourceFailure::ErrorReceiving); });
}

}  // namespace zm::transport
