// Frames per second and MB/s of the HTTP and HTTPS sources against the TCP source, each
// reading a server reply and then a stream of equal frames from a local sender, for 64 KiB and
// 1 KiB frames. Prints figures and the HTTPS cipher suite; it is not a test.
#include <winsock2.h>
#include <windows.h>
#include <objbase.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>

#include "bench/frame_sender.h"
#include "bench/source_timing.h"
#include "transport/http_source.h"
#include "transport/https_source.h"
#include "transport/stream_format_record.h"
#include "transport/tcp_source.h"

namespace {

using zm::bench::FrameSender;
using zm::bench::Framing;
using zm::bench::kRounds;
using zm::bench::Seconds;
using zm::transport::CZNetworkMediaFramesSource;

std::unique_ptr<CZNetworkMediaFramesSource> MakeSource(Framing framing, uint16_t port) {
  if (framing == Framing::Http) return std::make_unique<zm::transport::CZHttpMediaFramesSource>(port);
  if (framing == Framing::Https) return std::make_unique<zm::transport::CZHttpsMediaFramesSource>(port);
  return std::make_unique<zm::transport::CZTcpMediaFramesSource>(port);
}

// Seconds from the first frame to the last, the reply read before; 0 when the run failed.
double StreamSeconds(Framing framing, uint32_t payload, uint32_t frames, std::string* suite) {
  FrameSender sender(payload, frames, framing);
  sender.Start();
  std::unique_ptr<CZNetworkMediaFramesSource> source = MakeSource(framing, sender.Port());
  source->SetHost("127.0.0.1");
  source->SetRequest("/ZAMS80/0000live-alias:bench", 80);
  std::wstring error;
  zm::transport::StreamFormatRecordPair reply;
  zm::protocol::ReplyStatus status;
  uint32_t read = 0;
  LARGE_INTEGER start{}, end{};
  if (source->Connect(error) && source->ReadServerReply(reply.records, status, error, TRUE)) {
    QueryPerformanceCounter(&start);
    for (; read < frames; ++read) {
      zm::MediaFrame frame{};
      if (!source->ReadFrame(frame, error)) break;
      CoTaskMemFree(frame.data);
    }
    QueryPerformanceCounter(&end);
  }
  source->Disconnect(error);
  sender.Join();
  if (suite) *suite = sender.CipherSuite();
  if (read != frames) {
    std::fprintf(stderr, "framing %d: %u of %u frames: %ls\n", static_cast<int>(framing), read, frames, error.c_str());
    return 0;
  }
  return Seconds(start, end);
}

void Compare(const char* name, uint32_t payload, uint32_t frames) {
  double tcp = 1e9, http = 1e9, https = 1e9;
  std::string suite;
  for (int round = 0; round < kRounds; ++round) {
    tcp = std::min(tcp, StreamSeconds(Framing::Tcp, payload, frames, nullptr));
    http = std::min(http, StreamSeconds(Framing::Http, payload, frames, nullptr));
    https = std::min(https, StreamSeconds(Framing::Https, payload, frames, &suite));
  }
  const double megabytes = static_cast<double>(payload + 40) * frames / 1e6;
  std::printf(
      "%-8s %7u frames  TCP %8.0f fps %7.1f MB/s  HTTP %8.0f fps %7.1f MB/s ratio %.2f  "
      "HTTPS %8.0f fps %7.1f MB/s ratio %.2f (%s)\n",
      name, frames, frames / tcp, megabytes / tcp, frames / http, megabytes / http, tcp / http, frames / https,
      megabytes / https, tcp / https, suite.c_str());
}

}  // namespace

int main(int argc, char** argv) {
  return zm::bench::RunSizes(argc, argv, "HTTP or HTTPS source rate / TCP source rate", Compare);
}
