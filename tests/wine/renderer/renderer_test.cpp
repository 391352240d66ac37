// The renderer as the control drives it: created by class, fed by a scripted media buffer,
// drawing into a real window. Every test also proves that each frame and format block the
// buffer handed out went back to the task allocator.
#include <windows.h>
#include <knownfolders.h>
#include <shlobj.h>
#include <wincodec.h>

#include <chrono>
#include <optional>
#include <regex>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "com/com_ptr.h"
#include "malloc_spy.h"
#include "message_pump.h"
#include "peers/renderer/renderer_counters.h"
#include "scripted_flop.h"

namespace zm::tests {
namespace {

using com::ComPtr;
using renderer::RendererCounts;
using session::kAudioStream;
using session::kVideoStream;
using std::chrono::milliseconds;
using std::chrono::steady_clock;

constexpr int64_t kMs = 10'000;  // 100-ns units
constexpr uint32_t kTop = 0xC02040, kBottom = 0x30A0E0;

// A picture whose top half is `top` and bottom half `bottom` (0x00RRGGBB), as DIB rows.
std::vector<uint8_t> TwoBandRows(int width, int height, int bytesPerPixel, bool bottomUp, uint32_t top = kTop,
                                 uint32_t bottom = kBottom) {
  const size_t stride = (static_cast<size_t>(width) * bytesPerPixel + 3) & ~size_t{3};
  std::vector<uint8_t> rows(stride * height);
  for (int y = 0; y < height; ++y) {
    const uint32_t colour = y < height / 2 ? top : bottom;
    uint8_t* row = rows.data() + (bottomUp ? height - 1 - y : y) * stride;
    for (int x = 0; x < width; ++x, row += bytesPerPixel) {
      row[0] = colour & 0xFF, row[1] = colour >> 8 & 0xFF, row[2] = colour >> 16 & 0xFF;
      if (bytesPerPixel == 4) row[3] = 0xFF;  // the unused byte must not reach the screen
    }
  }
  return rows;
}

ComPtr<IWICImagingFactory> Imaging() {
  ComPtr<IWICImagingFactory> factory;
  CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory, factory.put_void());
  return factory;
}

std::vector<uint8_t> TwoBandJpeg(int width, int height) {
  ComPtr<IWICImagingFactory> factory = Imaging();
  ComPtr<IStream> stream;
  ComPtr<IWICBitmapEncoder> encoder;
  ComPtr<IWICBitmapFrameEncode> frame;
  ComPtr<IPropertyBag2> options;
  std::vector<uint8_t> rows = TwoBandRows(width, height, 3, false);
  WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
  HGLOBAL memory = nullptr;
  STATSTG stat{};
  if (!factory || FAILED(CreateStreamOnHGlobal(nullptr, TRUE, stream.put())) ||
      FAILED(factory->CreateEncoder(GUID_ContainerFormatJpeg, nullptr, encoder.put())) ||
      FAILED(encoder->Initialize(stream.get(), WICBitmapEncoderNoCache)) ||
      FAILED(encoder->CreateNewFrame(frame.put(), options.put())) || FAILED(frame->Initialize(options.get())) ||
      FAILED(frame->SetSize(width, height)) || FAILED(frame->SetPixelFormat(&format)) ||
      FAILED(frame->WritePixels(height, (width * 3 + 3) & ~3, static_cast<UINT>(rows.size()), rows.data())) ||
      FAILED(frame->Commit()) || FAILED(encoder->Commit()) || FAILED(GetHGlobalFromStream(stream.get(), &memory)) ||
      FAILED(stream->Stat(&stat, STATFLAG_NONAME)))
    return {};
  const auto* bytes = static_cast<const uint8_t*>(GlobalLock(memory));
  std::vector<uint8_t> jpeg(bytes, bytes + stat.cbSize.QuadPart);
  GlobalUnlock(memory);
  return jpeg;
}

// 0x00RRGGBB of a pixel of the window as it shows.
uint32_t PixelAt(HWND window, int x, int y) {
  HDC dc = GetDC(window);
  const COLORREF colour = GetPixel(dc, x, y);
  ReleaseDC(window, dc);
  return GetRValue(colour) << 16 | GetGValue(colour) << 8 | GetBValue(colour);
}

bool Near(uint32_t actual, uint32_t expected, int tolerance) {
  for (int shift = 0; shift < 24; shift += 8)
    if (std::abs(static_cast<int>(actual >> shift & 0xFF) - static_cast<int>(expected >> shift & 0xFF)) > tolerance)
      return false;
  return true;
}

// The renderer object and its three interfaces, shut down and released as the control does.
struct RendererClient {
  RendererClient() {
    EXPECT_EQ(CoCreateInstance(session::CLSID_MediaRenderer, nullptr, CLSCTX_INPROC_SERVER, session::IID_IMediaRenderer,
                               renderer.put_void()),
              S_OK);
    if (renderer) renderer->QueryInterface(session::IID_IMediaRendererSource, source.put_void());
    if (renderer) renderer->QueryInterface(renderer::IID_IRendererCounters, counters.put_void());
  }
  ~RendererClient() {
    if (renderer) renderer->Shutdown();
  }
  // As the control's session does: the buffer, Initialize, the window, Run.
  HRESULT Start(ScriptedFlop& flop, HWND window) {
    if (!source || !counters) return E_NOINTERFACE;
    HRESULT hr = source->SetMediaFlop(&flop);
    if (SUCCEEDED(hr)) hr = renderer->Initialize();
    if (SUCCEEDED(hr)) hr = renderer->AttachWindow(window);
    return SUCCEEDED(hr) ? renderer->Run() : hr;
  }
  RendererCounts Counts() const {
    RendererCounts counts{};
    counters->GetCounts(&counts);
    return counts;
  }

  ComPtr<session::IMediaRenderer> renderer;
  ComPtr<session::IMediaRendererSource> source;
  ComPtr<renderer::IRendererCounters> counters;
};

class RendererTest : public testing::Test {
 protected:
  // One window for all the tests: Wine under Xvfb takes two seconds to destroy a shown window.
  static void SetUpTestSuite() {
    WNDCLASSW cls{};
    cls.lpfnWndProc = DefWindowProcW;
    cls.hInstance = GetModuleHandleW(nullptr);
    cls.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    cls.lpszClassName = L"RendererTestWindow";
    RegisterClassW(&cls);
    window = CreateWindowExW(0, cls.lpszClassName, L"", WS_POPUP | WS_VISIBLE, 0, 0, 160, 120, nullptr, nullptr,
                             cls.hInstance, nullptr);
  }
  static void TearDownTestSuite() { DestroyWindow(window); }
  void SetUp() override {
    ASSERT_TRUE(window);
    InvalidateRect(window, nullptr, TRUE);
    Pump(20);
    ASSERT_TRUE(MallocSpy().Register());
    client.emplace();
  }
  void TearDown() override {
    client.reset();
    EXPECT_EQ(MallocSpy().Outstanding(), 0) << "task-allocator blocks left behind";
    MallocSpy().Revoke();
  }
  // Starts the fixture's renderer on `flop` and waits until it has drawn `frames` pictures.
  void StartAndDraw(uint64_t frames) {
    ASSERT_EQ(client->Start(flop, window), S_OK);
    ASSERT_TRUE(PumpUntil([&] { return client->Counts().framesDrawn == frames; }, 5000));
  }

  static inline HWND window = nullptr;
  ScriptedFlop flop;
  std::optional<RendererClient> client;
};

TEST_F(RendererTest, InitializeRefusesStreamsItCannotDecodeVideoFirst) {
  const StreamType none{}, rgb32 = VideoType(MEDIASUBTYPE_RGB32, 8, -8, 32), pcm = WaveType(WAVE_FORMAT_PCM, 16);
  const StreamType h264 = VideoType(FourCCSubtype(0x34363248), 8, 8, 24), mp3 = WaveType(0x55, 0);
  const struct {
    const char* name;
    StreamType video, audio;
    HRESULT expected;
  } cases[] = {
      {"H264 beside PCM", h264, pcm, session::kNoVideoDecoder},
      {"MP3 beside RGB32", rgb32, mp3, session::kNoAudioDecoder},
      {"8-bit PCM alone", none, WaveType(WAVE_FORMAT_PCM, 8), session::kNoAudioDecoder},
      {"H264 beside MP3", h264, mp3, session::kNoVideoDecoder},
      {"RGB32 without its header",
       {MEDIATYPE_Video, MEDIASUBTYPE_RGB32, GUID_NULL, {}},
       none,
       session::kNoVideoDecoder},
      {"RGB24 beside 16-bit PCM", VideoType(MEDIASUBTYPE_RGB24, 8, 8, 24), pcm, S_OK},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    RendererClient local;
    flop.video = c.video, flop.audio = c.audio;
    ASSERT_EQ(local.source->SetMediaFlop(&flop), S_OK);
    EXPECT_EQ(local.renderer->Initialize(), c.expected);
    EXPECT_EQ(MallocSpy().Outstanding(), 0) << "the format blocks stay allocated";
  }
}

TEST_F(RendererTest, DrawsEachCodingInOrderInItsRectangleTheRightWayUp) {
  const struct {
    const char* name;
    GUID subtype;
    int bytesPerPixel;  // 0: a JPEG
    bool bottomUp;
  } cases[] = {
      {"RGB32 top-down", MEDIASUBTYPE_RGB32, 4, false},
      {"RGB32 bottom-up", MEDIASUBTYPE_RGB32, 4, true},
      {"RGB24 top-down", MEDIASUBTYPE_RGB24, 3, false},
      {"RGB24 bottom-up", MEDIASUBTYPE_RGB24, 3, true},
      {"MJPG", MEDIASUBTYPE_MJPG, 0, false},
  };
  constexpr int kWidth = 30, kHeight = 32;  // RGB24 rows of 90 bytes are padded to 92
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    InvalidateRect(window, nullptr, TRUE);
    Pump(20);
    ScriptedFlop local;
    local.video = VideoType(c.subtype, kWidth, c.bottomUp ? kHeight : -kHeight, c.bytesPerPixel * 8);
    for (int i = 0; i < 3; ++i)
      local.Queue(
          kVideoStream, i * 40 * kMs,
          c.bytesPerPixel ? TwoBandRows(kWidth, kHeight, c.bytesPerPixel, c.bottomUp) : TwoBandJpeg(kWidth, kHeight));
    RendererClient renderer;
    ASSERT_EQ(renderer.renderer->SetVideoPosition(10, 20, 60, 64), S_OK);  // twice the picture's size
    ASSERT_EQ(renderer.Start(local, window), S_OK);
    ASSERT_TRUE(PumpUntil([&] { return renderer.Counts().framesDrawn == 3; }, 5000));
    const RendererCounts counts = renderer.Counts();
    EXPECT_TRUE(counts.drawnInOrder);
    EXPECT_EQ(counts.lastDrawnTime, 80 * kMs);
    EXPECT_EQ(counts.framesDropped, 0u);
    const int tolerance = c.bytesPerPixel ? 0 : 24;  // JPEG is lossy
    EXPECT_PRED3(Near, PixelAt(window, 40, 30), kTop, tolerance);
    EXPECT_PRED3(Near, PixelAt(window, 40, 76), kBottom, tolerance);
    EXPECT_EQ(PixelAt(window, 5, 5), 0u) << "drawn outside its rectangle";
    EXPECT_EQ(PixelAt(window, 75, 90), 0u) << "drawn outside its rectangle";
  }
}

TEST_F(RendererTest, BrightnessAndContrastRedrawTheKeptPicture) {
  flop.video = VideoType(MEDIASUBTYPE_RGB32, 8, -8, 32);
  flop.Queue(kVideoStream, 0, TwoBandRows(8, 8, 4, false, 0x406080, 0x406080));
  StartAndDraw(1);
  const struct {
    int32_t brightness, contrast;
    uint32_t expected;
  } cases[] = {
      {50, 0, 0xBFDFFF},      // +127, clipped at 255
      {-50, 0, 0x000001},     // -127, clipped at 0
      {0, 50, 0x004080},      // twice as far from mid grey
      {0, -50, 0x607080},     // half as far
      {500, -500, 0xDFEFFF},  // beyond the limits counts as the limits
      {0, 0, 0x406080},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.brightness << ", " << c.contrast);
    ASSERT_EQ(client->renderer->SetBrightness(c.brightness), S_OK);
    ASSERT_EQ(client->renderer->SetContrast(c.contrast), S_OK);
    EXPECT_EQ(PixelAt(window, 80, 60), c.expected);
  }
}

TEST_F(RendererTest, PauseHoldsTheClockAndThePictureSoNothingIsLateAfterRun) {
  flop.video = VideoType(MEDIASUBTYPE_RGB32, 8, -8, 32);
  for (int i = 0; i < 12; ++i) flop.Queue(kVideoStream, i * 100 * kMs, TwoBandRows(8, 8, 4, false));
  ASSERT_EQ(client->Start(flop, window), S_OK);
  ASSERT_TRUE(PumpUntil([&] { return client->Counts().lastDrawnTime >= 300 * kMs; }, 5000));
  ASSERT_EQ(client->renderer->Pause(), S_OK);
  Pump(50);
  const uint64_t drawn = client->Counts().framesDrawn;
  // The window's own paint turns it black; the kept picture comes back over it.
  InvalidateRect(window, nullptr, TRUE);
  UpdateWindow(window);
  EXPECT_EQ(PixelAt(window, 80, 20), kTop);
  Pump(500);
  EXPECT_EQ(client->Counts().framesDrawn, drawn);
  ASSERT_EQ(client->renderer->Run(), S_OK);
  ASSERT_TRUE(PumpUntil([&] { return client->Counts().framesDrawn == 12; }, 5000));
  EXPECT_EQ(client->Counts().framesDropped, 0u);
}

TEST_F(RendererTest, LateFramesAreDroppedAndAnEmptyBufferIsAskedAgainWithoutSpinning) {
  flop.video = VideoType(MEDIASUBTYPE_RGB32, 8, -8, 32);
  ASSERT_EQ(client->Start(flop, window), S_OK);
  Pump(600);
  EXPECT_GE(flop.Calls(), 5);
  EXPECT_LE(flop.Calls(), 120) << "a puller spins on a buffer that has nothing";
  for (int64_t time : {100, 150, 800}) flop.Queue(kVideoStream, time * kMs, TwoBandRows(8, 8, 4, false));
  ASSERT_TRUE(PumpUntil([&] { return client->Counts().framesDrawn == 1; }, 5000));
  EXPECT_EQ(client->Counts().framesDropped, 2u);
  EXPECT_EQ(client->Counts().lastDrawnTime, 800 * kMs);
  EXPECT_TRUE(client->Counts().drawnInOrder);
  // A frame only a little late is still shown, even after a later one: the order flag sees it.
  for (int64_t time : {900, 850}) flop.Queue(kVideoStream, time * kMs, TwoBandRows(8, 8, 4, false));
  ASSERT_TRUE(PumpUntil([&] { return client->Counts().framesDrawn == 3; }, 5000));
  EXPECT_FALSE(client->Counts().drawnInOrder);
  EXPECT_EQ(client->Counts().lastDrawnTime, 850 * kMs);
}

TEST_F(RendererTest, AudioIsPacedByItsTimesAndWithoutADeviceByItsLength) {
  // 8 kHz stereo: 32 bytes a millisecond. The last frame may go out 300 ms before its time,
  // and a silent sink takes what would play in the next 200 ms.
  const struct {
    const char* name;
    size_t bytes;
    int64_t step;
    int shortest;  // ms
  } cases[] = {{"by time: 10 ms frames 100 ms apart", 320, 100, 550}, {"by length: 100 ms frames at 0", 3200, 0, 750}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ScriptedFlop local;
    local.audio = WaveType(WAVE_FORMAT_PCM, 16, 2, 8000);
    for (int i = 0; i < 10; ++i) local.Queue(kAudioStream, i * c.step * kMs, std::vector<uint8_t>(c.bytes, 0x11));
    RendererClient renderer;
    const auto start = steady_clock::now();
    ASSERT_EQ(renderer.renderer->SetVolume(-10000), S_OK);
    ASSERT_EQ(renderer.Start(local, window), S_OK);
    ASSERT_TRUE(PumpUntil([&] { return renderer.Counts().audioFramesPlayed == 10; }, 5000));
    EXPECT_GE(steady_clock::now() - start, milliseconds(c.shortest));
  }
}

// The renderer makes its full-screen window on the thread that asks for it (other test programs
// may show windows of their own on the same display).
HWND OtherWindowOfThisThread(HWND known) {
  std::pair<HWND, HWND> search{known, nullptr};
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND hwnd, LPARAM found) {
        auto* s = reinterpret_cast<std::pair<HWND, HWND>*>(found);
        if (hwnd != s->first && IsWindowVisible(hwnd)) s->second = hwnd;
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.second;
}

TEST_F(RendererTest, FullScreenCoversTheMonitorKeepsTheAspectAndLeavesOnEscape) {
  flop.video = VideoType(MEDIASUBTYPE_RGB32, 16, -9, 32);
  flop.Queue(kVideoStream, 0, TwoBandRows(16, 9, 4, false, 0x20C040, 0x20C040));
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  ASSERT_TRUE(GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor));
  const RECT& m = monitor.rcMonitor;
  const POINT centre{(m.left + m.right) / 2, (m.top + m.bottom) / 2}, side{m.left + 5, centre.y};
  BOOL full = TRUE;
  const auto fullScreen = [&] { return client->renderer->IsFullScreen(&full) == S_OK && full; };
  EXPECT_FALSE(fullScreen());

  // In full screen before the first picture: the puller draws it there itself.
  ASSERT_EQ(client->renderer->AttachWindow(window), S_OK);
  ASSERT_EQ(client->renderer->SetVideoPosition(-1, 1, -1, -1), S_OK);  // 1:1
  Pump(50);
  StartAndDraw(1);
  HWND screen = OtherWindowOfThisThread(window);
  ASSERT_TRUE(screen);
  RECT r{};
  GetWindowRect(screen, &r);
  EXPECT_TRUE(EqualRect(&r, &m));
  EXPECT_TRUE(GetWindowLongW(screen, GWL_EXSTYLE) & WS_EX_TOPMOST);
  EXPECT_TRUE(fullScreen());
  EXPECT_EQ(PixelAt(screen, centre.x - m.left, centre.y - m.top), 0x20C040u);
  EXPECT_EQ(PixelAt(screen, side.x - m.left, side.y - m.top), 0u) << "a square picture leaves bars at the sides";
  ASSERT_EQ(client->renderer->SetVideoPosition(-1, 5, -1, -1), S_OK);  // fill
  Pump(100);
  EXPECT_EQ(PixelAt(screen, side.x - m.left, side.y - m.top), 0x20C040u);
  ASSERT_EQ(client->renderer->SetVideoPosition(-1, 1, -1, -1), S_OK);  // the window's own paint fits it too
  Pump(100);
  EXPECT_EQ(PixelAt(screen, side.x - m.left, side.y - m.top), 0u);
  SendMessageW(screen, WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_FALSE(IsWindow(screen));
  EXPECT_FALSE(fullScreen());

  ASSERT_EQ(client->renderer->SetVideoPosition(-1, 3, -1, -1), S_OK);
  EXPECT_TRUE(fullScreen());
  screen = OtherWindowOfThisThread(window);
  ASSERT_EQ(client->renderer->SetVideoPosition(-2, -2, -2, -2), S_OK);
  EXPECT_FALSE(fullScreen());
  EXPECT_FALSE(IsWindow(screen));
}

// The size and the top pixel of a PNG file; zeros when it does not decode as PNG.
struct PngFacts {
  UINT width = 0, height = 0;
  uint32_t top = 0;
};
PngFacts ReadPng(const std::wstring& path) {
  PngFacts facts;
  ComPtr<IWICImagingFactory> factory = Imaging();
  ComPtr<IWICBitmapDecoder> decoder;
  ComPtr<IWICBitmapFrameDecode> frame;
  ComPtr<IWICBitmapSource> pixels;
  const WICRect top{0, 0, 1, 1};
  if (factory &&
      SUCCEEDED(factory->CreateDecoderFromFilename(path.c_str(), &GUID_ContainerFormatPng, GENERIC_READ,
                                                   WICDecodeMetadataCacheOnDemand, decoder.put())) &&
      SUCCEEDED(decoder->GetFrame(0, frame.put())) &&
      SUCCEEDED(WICConvertBitmapSource(GUID_WICPixelFormat32bppBGR, frame.get(), pixels.put())) &&
      SUCCEEDED(pixels->CopyPixels(&top, 4, 4, reinterpret_cast<BYTE*>(&facts.top))))
    pixels->GetSize(&facts.width, &facts.height);
  facts.top &= 0xFFFFFF;
  return facts;
}

TEST_F(RendererTest, SnapshotsArePngFilesOfThePictureAsShownInThePicturesFolder) {
  flop.video = VideoType(MEDIASUBTYPE_RGB24, 48, 36, 24);
  flop.Queue(kVideoStream, 0, TwoBandRows(48, 36, 3, true));
  ASSERT_EQ(client->source->SetMediaFlop(&flop), S_OK);
  ASSERT_EQ(client->renderer->Initialize(), S_OK);
  EXPECT_EQ(client->renderer->TakeSnapshot(nullptr), S_FALSE) << "no picture yet";
  ASSERT_EQ(client->renderer->SetBrightness(-50), S_OK);
  ASSERT_EQ(client->renderer->AttachWindow(window), S_OK);
  ASSERT_EQ(client->renderer->Run(), S_OK);
  ASSERT_TRUE(PumpUntil([&] { return client->Counts().framesDrawn == 1; }, 5000));

  PWSTR known = nullptr;
  ASSERT_EQ(SHGetKnownFolderPath(FOLDERID_Pictures, 0, nullptr, &known), S_OK);
  const std::wstring folder = std::wstring(known) + L"\\";
  CoTaskMemFree(known);
  // Three snapshots within a second: two of them share their second, and the later one a counter.
  std::vector<std::wstring> written;
  for (const wchar_t* name : {L"cam:1/\"door\"", L"cam:1/\"door\"", L"cam:1/\"door\"", L""}) {
    BSTR given = *name ? SysAllocString(name) : nullptr, path = nullptr;
    EXPECT_EQ(client->renderer->TakeSnapshot(given), S_OK);
    SysFreeString(given);
    ASSERT_EQ(client->counters->GetLastSnapshotPath(&path), S_OK);
    written.emplace_back(path);
    SysFreeString(path);
    ASSERT_EQ(written.back().rfind(folder, 0), 0u) << "not in the Pictures folder";
    EXPECT_TRUE(std::regex_match(
        written.back().substr(folder.size()),
        std::wregex(std::wstring(*name ? L"cam_1__door_" : L"Snapshot") + LR"(_\d{8}_\d{6}(_\d+)?\.png)")));
    const PngFacts png = ReadPng(written.back());
    EXPECT_EQ(png.width, 48u);
    EXPECT_EQ(png.height, 36u);
    EXPECT_EQ(png.top, 0x410000u) << "not the picture as shown, darkened by 127";
  }
  EXPECT_TRUE(written[1].ends_with(L"_2.png") || written[2].ends_with(L"_2.png"));
  EXPECT_EQ(client->Counts().snapshots, 4u);
  EXPECT_TRUE(IsClipboardFormatAvailable(CF_DIB));
  for (const std::wstring& file : written) EXPECT_TRUE(DeleteFileW(file.c_str()));
}

}  // namespace
}  // namespace zm::tests
