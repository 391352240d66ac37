// The server's UDP meeting place: a meeting is answered with the media port and taken once by
// its request; the lists of meetings and of tallies stay bounded whatever arrives.
#include "peers/server/rtp_transport.h"

#include <arpa/inet.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

namespace zms {
namespace {

using std::chrono::milliseconds;

// Sends `text` to the meeting port and returns the answer.
std::string Meet(const RtpRendezvous& rendezvous, const std::string& text) {
  const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_port = htons(rendezvous.meetingPort());
  to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ::sendto(fd, text.data(), text.size(), 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
  timeval wait{2, 0};
  ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
  char answer[64];
  const ssize_t n = ::recv(fd, answer, sizeof answer, 0);
  ::close(fd);
  return n > 0 ? std::string(answer, static_cast<size_t>(n)) : std::string();
}

TEST(RtpRendezvousTest, AMeetingIsTakenOnceAndStrangersCannotGrowTheLists) {
  RtpRendezvous rendezvous;
  std::string error;
  ASSERT_TRUE(rendezvous.Open(0, &error)) << error;
  EXPECT_FALSE(Meet(rendezvous, "{client}").empty());
  EXPECT_TRUE(rendezvous.WaitForClient("{client}", milliseconds(1000)));
  EXPECT_FALSE(rendezvous.WaitForClient("{client}", milliseconds(50))) << "a meeting serves one request";

  // A flood of ids no request takes: the oldest go, the newest stay.
  for (size_t i = 0; i <= RtpRendezvous::kMaxMeetings; ++i) Meet(rendezvous, "{stranger " + std::to_string(i) + "}");
  EXPECT_FALSE(rendezvous.WaitForClient("{stranger 0}", milliseconds(0)));
  EXPECT_TRUE(
      rendezvous.WaitForClient("{stranger " + std::to_string(RtpRendezvous::kMaxMeetings) + "}", milliseconds(0)));

  const auto first = rendezvous.TallyFor("{session 0}");
  first->sent = 7;
  EXPECT_EQ(7u, rendezvous.TallyFor("{session 0}")->sent.load()) << "a finished session's tally is still there";
  for (size_t i = 1; i <= RtpRendezvous::kTalliesKept; ++i) rendezvous.TallyFor("{session " + std::to_string(i) + "}");
  EXPECT_EQ(0u, rendezvous.TallyFor("{session 0}")->sent.load()) << "the oldest tally went";
  rendezvous.Close();
}

}  // namespace
}  // namespace zms
