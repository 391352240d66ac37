// Whole sessions in a host: how long Play takes to OnStart for the reference server's live test
// card, against the media time its pre-roll must wait for; and the host process's CPU time per
// second of that playback with a renderer that only counts and with the drawing renderer.
// Run by scripts/bench against a server that scripts/with-zms-server started (ZMS_PORT).
// Prints figures; nothing passes or fails.
#include <windows.h>
#include <ole2.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "ZMediaControl_h.h"
#include "com/unique_bstr.h"
#include "peers/host/event_printer.h"
#include "peers/host/host_window.h"
#include "transport/task_mem_block.h"
#include "transport/tcp_source.h"

namespace {

using zm::host::CEventPrinter;
using zm::host::CHostWindow;

constexpr DISPID kOnStart = 2;
constexpr DISPID kOnStop = 4;
// The live pre-roll ends with the second picture's sound: one picture period of media, 25 a second.
constexpr double kPrerollMediaMs = 1000.0 / 25;
constexpr double kStartGoalMarginMs = 50;
constexpr int kSessionsPerFigure = 5;

// Serves messages until `done` holds or the time is up; sleeps while no message comes, so
// that the measured process does no more than a host's message loop would.
void Pump(const std::function<bool()>& done, DWORD limitMs) {
  const ULONGLONG end = GetTickCount64() + limitMs;
  for (;;) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    const ULONGLONG now = GetTickCount64();
    if (done() || now >= end) return;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(end - now), QS_ALLINPUT);
  }
}

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double ProcessCpuSeconds() {
  FILETIME created, exited, kernel, user;
  GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
  auto seconds = [](const FILETIME& t) {
    return static_cast<double>((uint64_t{t.dwHighDateTime} << 32) | t.dwLowDateTime) / 1e7;
  };
  return seconds(kernel) + seconds(user);
}

// The floor under a session's cost: the bare TCP source reading the same live stream on this
// thread for `seconds`, each frame freed as it comes. Percent of one core.
double TransportCpuPercent(uint16_t port, const char* alias, double seconds) {
  zm::transport::CZTcpMediaFramesSource source(port);
  source.SetHost("127.0.0.1");
  source.SetRequest(std::string("/ZAMS80/0000live-alias:") + alias, 80);
  std::wstring error;
  zm::transport::StreamFormatRecord formats[2] = {};
  zm::protocol::ReplyStatus status;
  if (!source.Connect(error) || !source.ReadServerReply(formats, status, error, TRUE)) return -1;
  for (auto& record : formats) CoTaskMemFree(record.pbFormat);
  const double cpuFrom = ProcessCpuSeconds();
  LARGE_INTEGER from, now;
  QueryPerformanceCounter(&from);
  do {
    zm::MediaFrame* frame = zm::transport::AllocateTaskFrame();
    const bool read = frame && source.ReadFrame(*frame, error);
    zm::transport::FreeTaskFrame(frame);
    if (!read) return -1;
    QueryPerformanceCounter(&now);
  } while (Seconds(from, now) < seconds);
  const double cpu = ProcessCpuSeconds() - cpuFrom;
  source.Disconnect(error);
  return 100 * cpu / Seconds(from, now);
}

class Session {
 public:
  Session(const std::wstring& server, const wchar_t* alias = L"testcard") {
    window_.SetQuitOnDestroy(false);
    window_.Create(320, 240, L"playback bench");
    auto* sink = new CEventPrinter([](const std::string&) {}, [](short, short) {},
                                   [this](DISPID id) {
                                     if (id == kOnStart) started_ = true;
                                     if (id == kOnStop) stopped_ = true;
                                   });
    window_.Control().Create(L"Zavren.MediaPlayer.1", window_.m_hWnd, sink);
    sink->Release();
    window_.Control().Activate();
    player_ = window_.Control().Query<IZMediaPlayer>();
    if (!player_) return;
    player_->UseCustomErrorHandler(VARIANT_TRUE);
    player_->UseMediaServer(zm::com::UniqueBstr(SysAllocString(server.c_str())).get());
    player_->UseLiveAlias(zm::com::UniqueBstr(SysAllocString(alias)).get());
  }
  ~Session() { window_.Control().Destroy(); }

  // Milliseconds from Play to OnStart; negative when it never came.
  double PlayToStart() {
    started_ = stopped_ = false;
    LARGE_INTEGER from, to;
    QueryPerformanceCounter(&from);
    if (!player_ || FAILED(player_->Play())) return -1;
    Pump([this] { return started_; }, 10000);
    QueryPerformanceCounter(&to);
    return started_ ? Seconds(from, to) * 1000 : -1;
  }
  void Stop() {
    if (player_) player_->Stop();
  }
  // Percent of one core the whole process used per second of playback (or of an idle control
  // when `play` is false), over `seconds`.
  double CpuPercent(double seconds, bool play = true) {
    if (play && PlayToStart() < 0) return -1;
    Pump([] { return false; }, 1000);  // past the start's one-off work
    const double cpuFrom = ProcessCpuSeconds();
    LARGE_INTEGER from, to;
    QueryPerformanceCounter(&from);
    Pump([this] { return stopped_; }, static_cast<DWORD>(seconds * 1000));
    QueryPerformanceCounter(&to);
    const double cpu = ProcessCpuSeconds() - cpuFrom;
    Stop();
    return 100 * cpu / Seconds(from, to);
  }

 private:
  CHostWindow window_;
  zm::com::ComPtr<IZMediaPlayer> player_;
  bool started_ = false;
  bool stopped_ = false;
};

}  // namespace

int main(int argc, char** argv) {
  const int scale = argc > 1 ? std::max(1, std::atoi(argv[1])) : 1;
  const char* port = std::getenv("ZMS_PORT");
  if (!port) {
    std::fprintf(stderr, "playback_bench: run me under scripts/with-zms-server (no ZMS_PORT)\n");
    return 2;
  }
  OleInitialize(nullptr);
  const std::string address = std::string("127.0.0.1:") + port;
  // With the drawing renderer, and with one that opens no sound device: without a device, the
  // system's probe for one takes its own time in every session.
  for (const bool countOnly : {false, true}) {
    SetEnvironmentVariableW(L"ZMRENDERER_COUNT_ONLY", countOnly ? L"1" : nullptr);
    Session session(std::wstring(address.begin(), address.end()));
    std::vector<double> starts;
    for (int i = 0; i < 5 * scale; ++i) {
      starts.push_back(session.PlayToStart());
      session.Stop();
    }
    std::sort(starts.begin(), starts.end());
    const double median = starts[starts.size() / 2];
    std::printf(
        "Play to OnStart, live test card, %s renderer: median %.1f ms, best %.1f ms over %zu runs; the "
        "pre-roll waits for %.0f ms of media; goal <= %.0f ms: %s\n",
        countOnly ? "counting" : "drawing", median, starts.front(), starts.size(), kPrerollMediaMs,
        kPrerollMediaMs + kStartGoalMarginMs, median <= kPrerollMediaMs + kStartGoalMarginMs ? "met" : "NOT met");
  }
  const double seconds = 10.0 * scale;
  {
    Session idle(std::wstring(address.begin(), address.end()));
    std::printf("CPU of the host process with an idle control (the baseline): %.2f %% of a core\n",
                idle.CpuPercent(seconds, false));
  }
  // The raw test card moves 320 x 240 x 4 bytes 25 times a second (7.7 MB/s) through the
  // socket; the Motion-JPEG card about a twentieth of that. Same pictures, same frame rate.
  const struct {
    const wchar_t* alias;
    const char* what;
  } sources[] = {{L"testcard", "raw RGB32"}, {L"mjpeg", "Motion-JPEG"}};
  for (const auto& source : sources) {
    std::printf("CPU of the bare TCP source reading the %s card on one thread (the floor): %.2f %% of a core\n",
                source.what,
                TransportCpuPercent(static_cast<uint16_t>(std::atoi(port)),
                                    source.alias == std::wstring(L"testcard") ? "testcard" : "mjpeg", seconds));
    for (const bool countOnly : {true, false}) {
      SetEnvironmentVariableW(L"ZMRENDERER_COUNT_ONLY", countOnly ? L"1" : nullptr);
      // Several sessions per figure: on a 2-core machine shared with the server and Wine's server,
      // the same code measures up to half as much again in one session as in the next, so one
      // session alone says little. The median is what the goal is checked against.
      std::vector<double> percents;
      for (int i = 0; i < kSessionsPerFigure; ++i) {
        Session session(std::wstring(address.begin(), address.end()), source.alias);
        percents.push_back(session.CpuPercent(seconds));
      }
      std::sort(percents.begin(), percents.end());
      const double median = percents[percents.size() / 2];
      const double goal = countOnly ? 1.0 : 5.0;
      std::printf(
          "CPU of the host process per second of 25 fps playback, %s, %s renderer: median %.2f %% of a core "
          "over %zu sessions (%.2f to %.2f) (goal <= %.0f %%: %s)\n",
          source.what, countOnly ? "counting" : "drawing", median, percents.size(), percents.front(), percents.back(),
          goal, percents.front() >= 0 && median <= goal ? "met" : "NOT met");
    }
  }
  OleUninitialize();
  return 0;
}
