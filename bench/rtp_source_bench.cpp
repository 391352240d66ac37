// Frames per second of the RTP unicast source against the TCP source, both reading the
// reference server's stored raw test card (10 s, 320x240 RGB32 and PCM) to its end in the same
// run: TCP as fast as the socket takes it, RTP at several multiples of the file's own pace
// (datagrams a socket cannot hold are lost, as UDP loses them). Run inside
// scripts/with-zms-server. Prints figures; it is not a test.
#include <winsock2.h>
#include <windows.h>
#include <objbase.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "bench/source_timing.h"
#include "transport/rtp_source.h"
#include "transport/stream_format_record.h"
#include "transport/tcp_source.h"

namespace {

using zm::bench::kRounds;
using zm::bench::Seconds;

struct Run {
  double seconds = 0;
  int frames = 0;  // with a payload, both streams
  int64_t lostPackets = 0;
  uint64_t expectedPackets = 0;
};

// Reads the file to both end markers; frames counts what arrived.
Run ReadFile(zm::transport::CZTcpMediaFramesSource& source, uint16_t port, const std::string& request) {
  Run run;
  source.SetHost("127.0.0.1");
  source.SetPort(port);
  source.SetRequest(request, 80);
  std::wstring error;
  zm::transport::StreamFormatRecordPair reply;
  zm::protocol::ReplyStatus status;
  if (!source.Connect(error) || !source.ReadServerReply(reply.records, status, error, TRUE)) {
    std::fprintf(stderr, "%s: %ls\n", request.c_str(), error.c_str());
    return run;
  }
  source.OnStreamingStarted();
  LARGE_INTEGER start, end;
  QueryPerformanceCounter(&start);
  for (int ends = 0; ends < 2;) {
    zm::MediaFrame frame{};
    if (!source.ReadFrame(frame, error)) {
      std::fprintf(stderr, "%s: after %d frames: %ls\n", request.c_str(), run.frames, error.c_str());
      break;
    }
    if (frame.length == 0) ++ends;
    else ++run.frames;
    CoTaskMemFree(frame.data);
  }
  QueryPerformanceCounter(&end);
  run.seconds = Seconds(start, end);
  source.Disconnect(error);
  return run;
}

}  // namespace

int main() {
  const char* portText = std::getenv("ZMS_PORT");
  if (!portText) {
    std::fprintf(stderr, "run inside scripts/with-zms-server (ZMS_PORT)\n");
    return 2;
  }
  const auto port = static_cast<uint16_t>(std::atoi(portText));
  WSADATA data;
  WSAStartup(MAKEWORD(2, 2), &data);
  CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  std::printf("stored raw test card, best of %d rounds; ratio = RTP frame rate / TCP frame rate\n", kRounds);
  Run tcp{1e9};
  for (int round = 0; round < kRounds; ++round) {
    zm::transport::CZTcpMediaFramesSource source(port);
    const Run r = ReadFile(source, port, "/ZAMS80/0000file:testcard.zmf");
    if (r.seconds > 0 && r.seconds < tcp.seconds) tcp = r;
  }
  std::printf("TCP                 %5d frames  %8.0f fps\n", tcp.frames, tcp.frames / tcp.seconds);
  for (const int pace : {400, 1600, 6400}) {
    Run best{1e9};
    for (int round = 0; round < kRounds; ++round) {
      zm::transport::CZRtpMediaFramesSource source(port);
      source.ApplyUdpLossMode(0);
      const Run r = ReadFile(source, port, "/ZAMS80/0000file:testcard.zmf#udp-pace=" + std::to_string(pace));
      const zm::protocol::RtpReceptionFigures figures = source.ReceptionFigures();
      if (r.seconds > 0 && r.seconds < best.seconds) {
        best = r;
        best.lostPackets = figures.lost;
        best.expectedPackets = figures.expected;
      }
    }
    const double fps = best.frames / best.seconds;
    std::printf("RTP at %5d%% pace  %5d frames  %8.0f fps  %lld of %llu packets lost  ratio %.2f\n", pace, best.frames,
                fps, static_cast<long long>(best.lostPackets), static_cast<unsigned long long>(best.expectedPackets),
                fps / (tcp.frames / tcp.seconds));
  }
  CoUninitialize();
  WSACleanup();
  return 0;
}
