// The RTP unicast transport. A UDP socket on the server's TCP port meets each client first:
// the client sends its UDP id, the server notes the client's address and answers with the
// decimal port of its media socket, from which every datagram of every RTP stream leaves.
// Then the client's TCP request "rtp-unicast:" + id + request is served as a stream session
// whose frames go as RTP datagrams to that address (rtp_channel.h). A test may ask the same
// UDP socket for a stream's datagram tally with kRtpTallyQuery + id.
#pragma once

#include <netinet/in.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>

#include "peers/server/rtp_channel.h"

namespace zms {

struct ServerContext;
class TcpChannel;

inline constexpr std::string_view kRtpUnicastPrefix = "rtp-unicast:";
// Answered "sent=N dropped=N duplicated=N reordered=N copies=N", or "unknown".
inline constexpr std::string_view kRtpTallyQuery = "ZmsUdpTally:";

// The request after "rtp-unicast:" and the id, or nothing when it is not an RTP request.
std::optional<std::string_view> RtpMediaRequest(std::string_view text, std::string* id = nullptr);

class RtpRendezvous {
 public:
  RtpRendezvous() = default;
  ~RtpRendezvous();
  RtpRendezvous(const RtpRendezvous&) = delete;
  RtpRendezvous& operator=(const RtpRendezvous&) = delete;

  // Binds 127.0.0.1:port for the meeting and a free port for the media; starts the thread.
  bool Open(uint16_t port, std::string* error);
  void Close();
  int mediaSocket() const { return mediaFd_; }
  uint16_t meetingPort() const { return meetingPort_; }
  // The address that sent `id`, waiting for it up to `timeout`; the meeting is forgotten once
  // taken. Meetings no request takes are forgotten after kMeetingKept, and at most kMaxMeetings
  // are kept (the oldest go first), so that strangers' datagrams cannot grow the list.
  std::optional<sockaddr_in> WaitForClient(const std::string& id, std::chrono::milliseconds timeout);
  // The tally of `id`'s session, made on first use; the kTalliesKept most recent are kept for
  // the tests' queries after a session ended.
  std::shared_ptr<DatagramTally> TallyFor(const std::string& id);

  static constexpr std::chrono::seconds kMeetingKept{30};
  static constexpr size_t kMaxMeetings = 1024;
  static constexpr size_t kTalliesKept = 64;

 private:
  void Run();
  void Answer(std::string_view text, const sockaddr_in& from);

  int mediaFd_ = -1;
  uint16_t meetingPort_ = 0;
  uint16_t mediaPort_ = 0;
  std::atomic<bool> stop_{false};
  std::thread thread_;
  std::mutex lock_;
  std::condition_variable arrived_;
  struct Meeting {
    sockaddr_in from;
    std::chrono::steady_clock::time_point at;
  };
  void ForgetOldMeetings();  // under lock_

  int meetingFd_ = -1;
  std::map<std::string, Meeting> clients_;
  std::map<std::string, std::shared_ptr<DatagramTally>> tallies_;
  std::deque<std::string> tallyOrder_;  // oldest first
};

// Serves an RTP request on its control connection; runs on the connection's thread.
void ServeRtpConnection(ServerContext& context, int connectionId, std::string_view request, TcpChannel& control);

}  // namespace zms
