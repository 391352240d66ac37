// Frames per second of each transport's source reading the reference server's stored raw test
// card (10 s, 320x240 RGB32 and PCM) to its end, in the same run: TCP, HTTP and HTTPS as fast
// as the connection takes it (the server's TLS is Debian's wolfSSL, with its assembly), and RTP
// at several multiples of the file's own pace (datagrams a socket cannot hold are lost, as UDP
// loses them); and the whole frame path over TCP, to a counting reader for each stream.
// Run inside scripts/with-zms-server. Prints figures; it is not a test.
#include <winsock2.h>
#include <windows.h>
#include <objbase.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "bench/frame_path_run.h"
#include "bench/source_timing.h"
#include "transport/http_source.h"
#include "transport/https_source.h"
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

// Connects to the file and reads the server's reply; false (said on stderr) when either fails.
bool StartFile(zm::transport::CZNetworkMediaFramesSource& source, uint16_t port, const std::string& request,
               zm::transport::StreamFormatRecordPair& reply, zm::protocol::ReplyStatus& status) {
  source.SetHost("127.0.0.1");
  source.SetPort(port);
  source.SetRequest(request, 80);
  std::wstring error;
  if (!source.Connect(error) || !source.ReadServerReply(reply.records, status, error, TRUE)) {
    std::fprintf(stderr, "%s: %ls\n", request.c_str(), error.c_str());
    return false;
  }
  source.OnStreamingStarted();
  return true;
}

// Reads the file to both end markers; frames counts what arrived.
Run ReadFile(zm::transport::CZNetworkMediaFramesSource& source, uint16_t port, const std::string& request) {
  Run run;
  zm::transport::StreamFormatRecordPair reply;
  zm::protocol::ReplyStatus status;
  if (!StartFile(source, port, request, reply, status)) return run;
  std::wstring error;
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

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values.empty() ? 0 : values[values.size() / 2];
}

// The same file through the frame queue and the media buffer to a counting reader per stream.
Run ReadFileThroughPath(uint16_t port, const std::string& request) {
  Run run;
  zm::transport::CZTcpMediaFramesSource source(port);
  zm::transport::StreamFormatRecordPair reply;
  zm::protocol::ReplyStatus status;
  if (!StartFile(source, port, request, reply, status)) return run;
  const zm::bench::PathRun path = zm::bench::RunFramePath(
      source, status, zm::transport::ToStreamFormat(reply.records[zm::protocol::kVideoFormatIndex]),
      zm::transport::ToStreamFormat(reply.records[zm::protocol::kAudioFormatIndex]), 0);
  std::wstring error;
  source.Disconnect(error);
  run.seconds = path.seconds;
  run.frames = static_cast<int>(path.frames);
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
  std::printf(
      "stored raw test card, best of %d rounds (TCP and the frame path: of %d); ratio = frame rate / TCP frame rate\n",
      kRounds, 2 * kRounds);
  const char* httpsPortText = std::getenv("ZMS_HTTPS_PORT");
  const auto httpsPort = static_cast<uint16_t>(httpsPortText ? std::atoi(httpsPortText) : 0);
  auto keepFaster = [](Run& fastest, const Run& r) {
    if (r.seconds > 0 && r.seconds < fastest.seconds) fastest = r;
  };
  // The best of the rounds of one transport, made afresh for each round by `make`.
  auto best = [&](auto make, uint16_t at, const std::string& request) {
    Run fastest{1e9};
    for (int round = 0; round < kRounds; ++round) keepFaster(fastest, ReadFile(*make(), at, request));
    return fastest;
  };
  const std::string file = "/ZAMS80/0000file:testcard.zmf";
  // The bare source and the frame path take turns, so that a slow moment of the machine falls
  // on both; their runs are short. The frame path's times come in two groups (in some runs the
  // heap gives the drained payloads' memory back and takes it again), so the median is shown too.
  Run tcp{1e9}, path{1e9};
  std::vector<double> tcpTimes, pathTimes;
  for (int round = 0; round < 2 * kRounds; ++round) {
    zm::transport::CZTcpMediaFramesSource source(port);
    const Run bare = ReadFile(source, port, file);
    const Run through = ReadFileThroughPath(port, file);
    keepFaster(tcp, bare);
    keepFaster(path, through);
    tcpTimes.push_back(bare.seconds);
    pathTimes.push_back(through.seconds);
  }
  const double tcpFps = tcp.frames / tcp.seconds;
  std::printf("TCP                 %5d frames  %8.0f fps\n", tcp.frames, tcpFps);
  std::printf("frame path (TCP)    %5d frames  %8.0f fps  ratio %.2f  median ratio %.2f\n", path.frames,
              path.frames / path.seconds, path.frames / path.seconds / tcpFps, Median(tcpTimes) / Median(pathTimes));
  const Run http = best([&] { return std::make_unique<zm::transport::CZHttpMediaFramesSource>(port); }, port,
                        "/ZAMS80/0000file:testcard%2Ezmf");
  std::printf("HTTP                %5d frames  %8.0f fps  ratio %.2f\n", http.frames, http.frames / http.seconds,
              http.frames / http.seconds / tcpFps);
  const Run https =
      best([&] { return std::make_unique<zm::transport::CZHttpsMediaFramesSource>(httpsPort); }, httpsPort, file);
  std::printf("HTTPS               %5d frames  %8.0f fps  ratio %.2f\n", https.frames, https.frames / https.seconds,
              https.frames / https.seconds / tcpFps);
  for (const int pace : {400, 1600, 6400}) {
    Run fastest{1e9};
    for (int round = 0; round < kRounds; ++round) {
      zm::transport::CZRtpMediaFramesSource source(port);
      source.ApplyUdpLossMode(0);
      const Run r = ReadFile(source, port, file + "#udp-pace=" + std::to_string(pace));
      const zm::protocol::RtpReceptionFigures figures = source.ReceptionFigures();
      if (r.seconds > 0 && r.seconds < fastest.seconds) {
        fastest = r;
        fastest.lostPackets = figures.lost;
        fastest.expectedPackets = figures.expected;
      }
    }
    const double fps = fastest.frames / fastest.seconds;
    std::printf("RTP at %5d%% pace  %5d frames  %8.0f fps  ratio %.2f  %lld of %llu packets lost\n", pace,
                fastest.frames, fps, fps / tcpFps, static_cast<long long>(fastest.lostPackets),
                static_cast<unsigned long long>(fastest.expectedPackets));
  }
  CoUninitialize();
  WSACleanup();
  return 0;
}
