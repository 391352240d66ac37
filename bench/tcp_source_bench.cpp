// Frames per second and MB/s of the TCP source reading a stream of equal frames from a
// local sender, against a bare Winsock recv loop reading the same bytes from the same kind
// of sender, for 64 KiB and 1 KiB frames. Prints figures; it is not a test.
#include <winsock2.h>
#include <windows.h>
#include <objbase.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/frame_sender.h"
#include "bench/source_timing.h"
#include "transport/tcp_source.h"

namespace {

using zm::bench::FrameSender;
using zm::bench::kRounds;
using zm::bench::Seconds;
using zm::bench::SourceSeconds;

// The baseline: one socket, recv into one buffer until every byte has come.
double BareLoopSeconds(uint32_t payload, uint32_t frames) {
  FrameSender sender(payload, frames);
  sender.Start();
  SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(sender.Port());
  connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address);
  send(s, "r", 1, 0);
  std::vector<char> buffer(64 * 1024);
  uint64_t left = sender.TotalBytes();
  LARGE_INTEGER start, end;
  QueryPerformanceCounter(&start);
  while (left > 0) {
    const int n = recv(s, buffer.data(), static_cast<int>(std::min<uint64_t>(left, buffer.size())), 0);
    if (n <= 0) break;
    left -= static_cast<uint64_t>(n);
  }
  QueryPerformanceCounter(&end);
  closesocket(s);
  sender.Join();
  if (left != 0) std::fprintf(stderr, "bare loop: %llu bytes missing\n", static_cast<unsigned long long>(left));
  return Seconds(start, end);
}

void Compare(const char* name, uint32_t payload, uint32_t frames) {
  double bare = 1e9, tcp = 1e9;
  for (int round = 0; round < kRounds; ++round) {
    bare = std::min(bare, BareLoopSeconds(payload, frames));
    tcp = std::min(tcp, SourceSeconds(payload, frames));
  }
  const double megabytes = static_cast<double>(payload + 40) * frames / 1e6;
  std::printf("%-8s %8u frames  bare loop %9.0f fps %8.1f MB/s   TCP source %9.0f fps %8.1f MB/s   ratio %.2f\n", name,
              frames, frames / bare, megabytes / bare, frames / tcp, megabytes / tcp, bare / tcp);
}

}  // namespace

int main(int argc, char** argv) { return zm::bench::RunSizes(argc, argv, "TCP source rate / bare loop rate", Compare); }
