// Many sessions in one host process: a hundred Play/Stop cycles, and four controls playing at
// once. Nothing may crash or hang, and no frame, handle or thread may be left behind.
#include <algorithm>

#include "playback_fixture.h"
#include "resource_counters.h"

namespace zm::tests {
namespace {

TEST_F(PlaybackTest, AHundredPlayStopCyclesLeaveNothingBehind) {
  player->UseFile(Text(L"testlist\\alpha.zmf"));
  // Stops at every stage: while connecting, in the pre-roll, and while playing.
  const DWORD stopAfterMs[] = {0, 30, 120, 400};
  auto cycle = [&](int i) {
    ASSERT_EQ(player->Play(), S_OK) << "cycle " << i;
    Pump(stopAfterMs[i % 4]);
    ASSERT_EQ(player->Stop(), S_OK) << "cycle " << i;
    ASSERT_EQ(Last(kOnStop)->args, std::vector<LONG>{0});
  };
  for (int i = 0; i < 4; ++i) cycle(i);  // warm-up: caches and the renderer's first load
  const ResourceCounts before = CountResources();
  const size_t threadsBefore = ThreadsOfThisProcess();
  const size_t stopsBefore = CountOf(kOnStop);
  for (int i = 0; i < 100; ++i) cycle(i);
  EXPECT_EQ(CountOf(kOnStop), stopsBefore + 100);
  EXPECT_EQ(CountOf(kOnError), 0u);
  Pump(500);  // threads that have signalled their end may still be leaving
  const ResourceCounts after = CountResources();
  // A per-cycle leak would add at least 100.
  EXPECT_LE(after.handles, before.handles + 10);
  EXPECT_LE(after.gdiObjects, before.gdiObjects + 10);
  EXPECT_LE(ThreadsOfThisProcess(), threadsBefore + 2);
}

TEST_F(PlaybackTest, FourControlsPlayAtOnceInOneHost) {
  constexpr int kControls = 4;
  host::CEmbeddedControl controls[kControls];
  EventRecorder recorders[kControls];
  const wchar_t* const resources[kControls] = {L"testcard", L"mjpeg", L"testlist\\beta.zmf", L"testlist\\gamma.zmf"};
  for (int i = 0; i < kControls; ++i) {
    ASSERT_HRESULT_SUCCEEDED(controls[i].Create(L"Zavren.MediaPlayer.1", hosted.window.m_hWnd, &recorders[i]));
    ASSERT_HRESULT_SUCCEEDED(controls[i].Activate());
    controls[i].Resize(RECT{(i % 2) * 160, (i / 2) * 120, (i % 2) * 160 + 160, (i / 2) * 120 + 120});
    ComPtr<IZMediaPlayer> each = controls[i].Query<IZMediaPlayer>();
    each->UseCustomErrorHandler(VARIANT_TRUE);
    each->UseMediaServer(Text(ServerAddress().c_str()));
    if (i < 2) each->UseLiveAlias(Text(resources[i]));
    else each->UseFile(Text(resources[i]));
    ASSERT_EQ(each->Play(), S_OK);
  }
  auto count = [&](int i, DISPID id) {
    size_t n = 0;
    for (const RecordedEvent& event : recorders[i].events) n += event.id == id;
    return n;
  };
  // The two files play to their ends while the live streams go on.
  ASSERT_TRUE(PumpUntil([&] { return count(2, kOnStop) == 1 && count(3, kOnStop) == 1; }, 30000));
  for (int i = 0; i < kControls; ++i) {
    // A loaded machine may starve a control into rebuffering: each pause has its own restart.
    EXPECT_EQ(count(i, kOnStart), 1u + count(i, kOnPause)) << "control " << i;
    EXPECT_EQ(count(i, kOnError), 0u) << "control " << i;
  }
  EXPECT_EQ(count(0, kOnStop) + count(1, kOnStop), 0u) << "a live stream stopped by itself";
  // Which renderer served which control is not known, but the two files' renderers must have
  // taken every picture (75 and 100), shown or dropped as late on a loaded machine.
  std::vector<uint64_t> taken;
  for (size_t back = 0; back < kControls; ++back) {
    const renderer::RendererCounts counts = RendererCountsOf(back);
    taken.push_back(counts.framesDrawn + counts.framesDropped);
    EXPECT_GT(taken.back(), 20u) << "renderer " << back;
    EXPECT_TRUE(counts.drawnInOrder) << "renderer " << back;
  }
  EXPECT_EQ(std::count(taken.begin(), taken.end(), 75u), 1) << "beta.zmf lost or repeated pictures";
  EXPECT_EQ(std::count(taken.begin(), taken.end(), 100u), 1) << "gamma.zmf lost or repeated pictures";
  for (int i = 0; i < 2; ++i) EXPECT_EQ(controls[i].Query<IZMediaPlayer>()->Stop(), S_OK);
  for (host::CEmbeddedControl& control : controls) control.Destroy();
}

}  // namespace
}  // namespace zm::tests
