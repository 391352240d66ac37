// The frame path end to end: the TCP transport reads the reference server's stream, the frame
// queue pre-rolls and feeds the media buffer on a grabber thread, and the registered renderer
// pulls through IMediaFlop into a window on this thread, which stands in for the control window.
// Every task-allocator block is freed by the end of each test, however the run ends.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "peers/renderer/renderer_counters.h"
#include "session/frame_path.h"
#include "session/frame_queue.h"
#include "session/media_flop.h"
#include "session/player_buffer_site.h"
#include "session/private_messages.h"
#include "session/renderer_bridge.h"
#include "session/apply_reply.h"
#include "transport/transport_fixture.h"

namespace zm::session {
namespace {

using tests::ReplyRecords;

constexpr UINT WM_TEST_PREROLLED = WM_APP + 1;

// The control's part: flags the media buffer reads, and messages to the window.
struct BufferSite : MediaBufferSite {
  HWND window = nullptr;
  FrameQueue* queue = nullptr;
  std::atomic<bool> buffering{false};
  BufferPlayerView PlayerView() override {
    BufferPlayerView view;
    view.m_bBuffering = buffering;
    return view;
  }
  void StartRebuffering() override {
    buffering = true;
    PostMessageW(window, WM_ZM_SESSION, kSessionPause, 0);
  }
  void EndRebuffering() override {
    buffering = false;
    PostMessageW(window, WM_ZM_SESSION, kSessionResume, 0);
  }
  void RequestResync(int32_t keep) override { PostMessageW(window, WM_ZM_RESYNC, 0, keep); }
  void AllStreamsEnded() override {
    PostMessageW(window, WM_CANCELMODE, 0, 0);
    PostMessageW(window, WM_COMMAND, kCommandStop, 1);
  }
  void PushEndMarkers() override { queue->PushEndMarkers(); }
  bool TimeShiftCaughtUp() override { return false; }
  bool DesktopReachable() override { return InputDesktopReachable(); }
  int64_t NowSeconds() override { return SecondsSince1970(); }
};

class FramePathTest : public tests::TransportTest {
 protected:
  static void SetUpTestSuite() {
    WNDCLASSW cls{};
    cls.lpfnWndProc = DefWindowProcW;
    cls.hInstance = GetModuleHandleW(nullptr);
    cls.lpszClassName = L"ZmFramePathTest";
    RegisterClassW(&cls);
    // One window for the suite: Wine under Xvfb is slow to destroy a shown window.
    window = CreateWindowExW(0, cls.lpszClassName, L"", WS_POPUP | WS_VISIBLE, 0, 0, 320, 240, nullptr, nullptr,
                             cls.hInstance, nullptr);
  }
  static void TearDownTestSuite() { DestroyWindow(window); }

  // Connects, reads the reply and builds the session's description and media buffer.
  void Open(const std::string& request) {
    ConnectToServer(source, request, tests::kProtocol80);
    ReplyRecords reply;
    std::wstring error;
    ASSERT_TRUE(reply.Read(source, error)) << error;
    const protocol::StreamFormatPair formats{transport::ToStreamFormat(reply.formats[0]),
                                             transport::ToStreamFormat(reply.formats[1])};
    ApplyReply(reply.status, formats, std::nullopt, settings, session);
    stop = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    site.window = window;
    buffer = std::make_unique<CMediaBuffer>(site, reply.status, session.m_videoType, session.m_audioType);
    path = std::make_unique<FramePath>(source, *buffer, stop, nullptr, window);
    queue = std::make_unique<FrameQueue>(settings, session, *path);
    site.queue = queue.get();
  }

  HRESULT CreateRenderer(std::wstring& error, bool& videoOnly) {
    const RendererStreams streams{session.m_videoType.IsPresent(), session.m_audioType.IsPresent(),
                                  session.m_videoType.type.subType, session.m_audioType.type.subType};
    return renderer.Create(
        buffer.get(), streams, [](HRESULT hr) { return L"HR " + std::to_wstring(hr); }, error, videoOnly);
  }

  // The grabber's part: pre-roll, tell the window, then read and hand frames on until every
  // stream has ended or the stop event comes.
  enum class Preroll { Stored, Live, LiveFill };
  void StartGrabber(Preroll preroll) {
    grabber = std::thread([this, preroll] {
      CoInitializeEx(nullptr, COINIT_MULTITHREADED);
      std::wstring error;
      int endCount = 0;
      const int streams = session.m_bAudioWithVideo + 1;
      bool ok = preroll == Preroll::Stored ? queue->PrerollStored(endCount, error)
                : preroll == Preroll::Live ? queue->PrerollLive(error)
                                           : queue->PrerollLiveFill(error);
      PostMessageW(window, WM_TEST_PREROLLED, ok, 0);
      while (ok && endCount < streams && !path->StopSignalled()) {
        MediaFrame* frame = path->AllocateFrame();
        if (!queue->NextFrame(frame, error, false)) {
          path->DropFrame(frame);
          break;
        }
        ok = queue->HandleFrame(frame, endCount, error);
      }
      CoUninitialize();
    });
  }

  // The window's part until every stream has ended (true) or `limitMs` has passed.
  bool PumpUntilEnd(DWORD limitMs) {
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < limitMs) {
      MSG msg;
      while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_TEST_PREROLLED && msg.wParam) {
          EXPECT_EQ(renderer.Attach(window), S_OK);
          EXPECT_EQ(renderer.Run(), S_OK);
        } else if (msg.message == WM_ZM_SESSION) {
          msg.wParam == kSessionPause ? renderer.Pause() : renderer.Run();
        } else if (msg.message == WM_ZM_RESYNC) {
          renderer.Resync(buffer->Frames(), msg.lParam != 0, [this] { queue->PushEndMarkers(); });
        } else if (msg.message == WM_COMMAND && LOWORD(msg.wParam) == kCommandStop) {
          return true;
        } else {
          DispatchMessageW(&msg);
        }
      }
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
    return false;
  }

  renderer::RendererCounts Counts() {
    com::ComPtr<renderer::IRendererCounters> counters;
    renderer::RendererCounts counts{};
    if (renderer.Exists() &&
        SUCCEEDED(renderer.get()->QueryInterface(renderer::IID_IRendererCounters, counters.put_void()))) {
      counters->GetCounts(&counts);
    }
    return counts;
  }

  // The session's stop, in its order: stop event, grabber, renderer, media buffer, transport.
  void TearDown() override {
    if (stop) path->SignalStop();
    if (grabber.joinable()) grabber.join();
    renderer.ShutDown();
    queue.reset();
    path.reset();
    buffer.reset();
    std::wstring error;
    source.Disconnect(error);
    if (stop) CloseHandle(stop);
    stop = nullptr;
    TransportTest::TearDown();
  }

  static inline HWND window = nullptr;
  tests::TestTcpSource source{0};
  PlayerSettings settings;
  SessionValues session;
  BufferSite site;
  HANDLE stop = nullptr;
  std::unique_ptr<CMediaBuffer> buffer;
  std::unique_ptr<FramePath> path;
  std::unique_ptr<FrameQueue> queue;
  RendererBridge renderer;
  std::thread grabber;
};

TEST_F(FramePathTest, AStopWhileTheLiveBufferFillsEndsThePrerollAndFreesEveryFrame) {
  Open("/ZAMS80/0000live-alias:testcard");
  std::wstring error;
  bool videoOnly = false;
  ASSERT_EQ(CreateRenderer(error, videoOnly), S_OK) << error;
  session.m_bLiveBuffering = true;  // 5 s to fill before anything plays
  StartGrabber(Preroll::LiveFill);
  PumpUntilEnd(1500);
  EXPECT_EQ(Counts().framesDrawn, 0u) << "nothing plays before the pre-roll ends";
  EXPECT_GT(buffer->Frames().Count(protocol::kStreamTypeVideo), 20u);
  path->SignalStop();
  grabber.join();  // TearDown checks that nothing was left behind
}

TEST_F(FramePathTest, ARendererWithoutAVideoDecoderIsRefusedWithTheCodecNamed) {
  Open("/ZAMS80/0000live-alias:undecodable");
  std::wstring error;
  bool videoOnly = false;
  EXPECT_EQ(CreateRenderer(error, videoOnly), kNoVideoDecoder);
  EXPECT_EQ(error, L"HR " + std::to_wstring(kNoVideoDecoder) + L"\nCodec info: H264");
  EXPECT_FALSE(videoOnly);
}

TEST_F(FramePathTest, WithoutAnAudioDecoderVideoPlaysOnAlone) {
  Open("/ZAMS80/0000live-alias:undecodable-audio");
  std::wstring error;
  bool videoOnly = false;
  ASSERT_EQ(CreateRenderer(error, videoOnly), S_OK) << error;
  EXPECT_TRUE(videoOnly);
  buffer->Frames().SetAudioAbsent();
  StartGrabber(Preroll::Live);
  PumpUntilEnd(2500);
  EXPECT_GT(Counts().framesDrawn, 20u) << "video starved behind an audio stream nobody reads";
  EXPECT_EQ(Counts().audioFramesPlayed, 0u);
}

}  // namespace
}  // namespace zm::session
