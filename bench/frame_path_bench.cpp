// Frames per second through the whole frame path (TCP source, frame queue, media buffer, a
// reader that takes each frame through IMediaFlop and frees it, as a renderer that only counts)
// against the TCP source alone reading the same frames, both from a local sender that sends as
// fast as they are taken, as a stored file is served. Prints figures; it is not a test.
#include <winsock2.h>
#include <windows.h>
#include <objbase.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "bench/frame_path_run.h"
#include "bench/frame_sender.h"
#include "bench/source_timing.h"
#include "protocol/media_type_guids.h"
#include "transport/tcp_source.h"

namespace {

using zm::bench::FrameSender;
using zm::bench::kRounds;
using zm::bench::SourceSeconds;

double PathSeconds(uint32_t payload, uint32_t frames) {
  FrameSender sender(payload, frames);
  sender.Start();
  zm::transport::CZTcpMediaFramesSource source(sender.Port());
  if (!zm::bench::ConnectSource(source)) return 0;
  zm::protocol::StreamFormat video;
  video.type.majorType = zm::protocol::MEDIATYPE_Video;
  const zm::bench::PathRun run =
      zm::bench::RunFramePath(source, zm::protocol::ReplyStatus{}, video, zm::protocol::StreamFormat{}, frames);
  std::wstring error;
  source.Disconnect(error);
  sender.Join();
  if (run.frames != frames) std::fprintf(stderr, "path: %u of %u frames\n", run.frames, frames);
  return run.seconds;
}

void Compare(const char* name, uint32_t payload, uint32_t frames) {
  double tcp = 1e9, path = 1e9;
  for (int round = 0; round < kRounds; ++round) {
    tcp = std::min(tcp, SourceSeconds(payload, frames));
    path = std::min(path, PathSeconds(payload, frames));
  }
  std::printf("%-8s %8u frames  TCP source %9.0f fps   frame path %9.0f fps   ratio %.2f\n", name, frames, frames / tcp,
              frames / path, tcp / path);
}

}  // namespace

int main(int argc, char** argv) {
  return zm::bench::RunSizes(argc, argv, "frame path rate / TCP source rate", Compare);
}
