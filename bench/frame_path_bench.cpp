// Frames per second through the whole frame path (TCP source, frame queue, media buffer, a
// reader that takes each frame through IMediaFlop and frees it, as a renderer that only counts)
// against the TCP source alone reading the same frames, both from a local sender that sends as
// fast as they are taken, as a stored file is served. Prints figures; it is not a test.
#include <winsock2.h>
#include <windows.h>
#include <objbase.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <string>
#include <thread>

#include "bench/frame_sender.h"
#include "bench/source_timing.h"
#include "protocol/media_type_guids.h"
#include "session/frame_path.h"
#include "session/frame_queue.h"
#include "session/media_flop.h"
#include "session/player_buffer_site.h"
#include "transport/tcp_source.h"

namespace {

using zm::bench::FrameSender;
using zm::bench::kRounds;
using zm::bench::Seconds;
using zm::bench::SourceSeconds;
using namespace zm::session;

// A stored session's flags; nothing to tell a window.
struct QuietSite : MediaBufferSite {
  std::atomic<bool> buffering{false};
  BufferPlayerView PlayerView() override {
    BufferPlayerView view;
    view.m_bBuffering = buffering;
    return view;
  }
  void StartRebuffering() override { buffering = true; }
  void EndRebuffering() override { buffering = false; }
  void RequestResync(int32_t) override {}
  void AllStreamsEnded() override {}
  void PushEndMarkers() override {}
  bool TimeShiftCaughtUp() override { return false; }
  bool DesktopReachable() override { return true; }
  int64_t NowSeconds() override { return SecondsSince1970(); }
};

double PathSeconds(uint32_t payload, uint32_t frames) {
  FrameSender sender(payload, frames);
  sender.Start();
  zm::transport::CZTcpMediaFramesSource source(sender.Port());
  if (!zm::bench::ConnectSource(source)) return 0;
  zm::protocol::StreamFormat video;
  video.type.majorType = zm::protocol::MEDIATYPE_Video;
  PlayerSettings settings;
  SessionValues session;
  session.m_videoType = video;
  QuietSite site;
  HANDLE stop = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  CMediaBuffer buffer(site, zm::protocol::ReplyStatus{}, video, zm::protocol::StreamFormat{});
  FramePath path(source, buffer, stop, nullptr, nullptr);
  FrameQueue queue(settings, session, path);

  LARGE_INTEGER start, end;
  QueryPerformanceCounter(&start);
  uint32_t taken = 0;
  std::thread renderer([&] {
    IMediaFlop* flop = &buffer;
    for (; taken < frames; ++taken) {
      zm::MediaFrame* frame = nullptr;
      if (FAILED(flop->GetFrame(kVideoStream, &frame))) break;
      CoTaskMemFree(frame->data);
      CoTaskMemFree(frame);
    }
  });
  std::wstring error;
  int endCount = 0;
  for (uint32_t read = 0; read < frames; ++read) {
    zm::MediaFrame* frame = path.AllocateFrame();
    if (!queue.NextFrame(frame, error, false)) {
      path.DropFrame(frame);
      break;
    }
    queue.HandleFrame(frame, endCount, error);
  }
  queue.PushEndMarkers();  // as the stream's end does: a reader held while rebuffering plays the rest
  renderer.join();
  QueryPerformanceCounter(&end);
  path.SignalStop();
  source.Disconnect(error);
  sender.Join();
  CloseHandle(stop);
  if (taken != frames) std::fprintf(stderr, "path: %u of %u frames\n", taken, frames);
  return Seconds(start, end);
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
