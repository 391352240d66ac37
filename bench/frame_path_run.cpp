#include "bench/frame_path_run.h"

#include <objbase.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "bench/source_timing.h"
#include "session/frame_path.h"
#include "session/frame_queue.h"
#include "session/media_flop.h"
#include "session/player_buffer_site.h"

namespace zm::bench {
namespace {

using namespace session;

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

}  // namespace

PathRun RunFramePath(transport::CZNetworkMediaFramesSource& source, const protocol::ReplyStatus& status,
                     const protocol::StreamFormat& video, const protocol::StreamFormat& audio, uint32_t limit) {
  PlayerSettings settings;
  SessionValues session;
  session.m_videoType = video;
  session.m_audioType = audio;
  QuietSite site;
  StopSignal stop;
  stop.Renew();
  CMediaBuffer buffer(site, status, video, audio);
  FramePath path(source, buffer, stop, nullptr, nullptr);
  FrameQueue queue(settings, session, path);

  // The readers exist before the first frame, as a renderer's threads do.
  std::atomic<uint32_t> taken{0};
  std::vector<std::thread> readers;
  for (const auto& [format, stream] : {std::pair{&video, kVideoStream}, std::pair{&audio, kAudioStream}}) {
    if (!format->IsPresent()) continue;
    readers.emplace_back([&buffer, &taken, stream] {
      IMediaFlop* flop = &buffer;
      uint32_t mine = 0;
      for (MediaFrame* frame = nullptr; SUCCEEDED(flop->GetFrame(stream, &frame)); ++mine) {
        CoTaskMemFree(frame->data);
        CoTaskMemFree(frame);
      }
      taken += mine;
    });
  }

  LARGE_INTEGER start, end;
  QueryPerformanceCounter(&start);
  std::wstring error;
  int endCount = 0;
  const int streams = static_cast<int>(readers.size());
  for (uint32_t read = 0; limit == 0 ? endCount < streams : read < limit; ++read) {
    MediaFrame* frame = path.AllocateFrame();
    if (!queue.NextFrame(frame, error, false)) {
      path.DropFrame(frame);
      break;
    }
    queue.HandleFrame(frame, endCount, error);
  }
  // As the stream's end does: a reader held while rebuffering plays the rest.
  if (endCount < streams) queue.PushEndMarkers();
  for (std::thread& reader : readers) reader.join();
  QueryPerformanceCounter(&end);

  path.SignalStop();
  return PathRun{Seconds(start, end), taken};
}

}  // namespace zm::bench
