// Whole sessions: the control in-place active in the host's container window, pointed at the
// reference server that scripts/with-zms-server started (ZMS_PORT), playing through the
// registered renderer. Its events are recorded, the renderer's counters read through the
// renderer's ledger, and every task-allocator block counted from the start of each test.
#pragma once

#include "hosted_control.h"

#include <tlhelp32.h>

#include <algorithm>
#include <functional>
#include <string>

#include "malloc_spy.h"
#include "message_box_watcher.h"
#include "message_pump.h"
#include "peers/host/screenshot.h"
#include "peers/renderer/renderer_counters.h"

namespace zm::tests {

inline std::wstring ServerAddress() {
  const char* variable = std::getenv("ZMS_PORT");
  const std::string port = variable ? variable : "0";
  return L"127.0.0.1:" + std::wstring(port.begin(), port.end());
}

// The counters of the renderer the process created `fromLast` renderers ago (0: the newest).
inline renderer::RendererCounts RendererCountsOf(size_t fromLast = 0) {
  using CountsFn = HRESULT(WINAPI*)(UINT, renderer::RendererCounts*);
  static HMODULE module = LoadLibraryW((ProgramFolder() + L"zmrenderer.dll").c_str());  // kept loaded
  const auto counts = reinterpret_cast<CountsFn>(reinterpret_cast<void*>(GetProcAddress(module, "ZmRendererCounts")));
  renderer::RendererCounts result{};
  UINT created = 0;
  while (counts && counts(created, &result) == S_OK) ++created;
  if (counts && created > fromLast) counts(static_cast<UINT>(created - 1 - fromLast), &result);
  return result;
}

inline size_t ThreadsOfThisProcess() {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  THREADENTRY32 entry{};
  entry.dwSize = sizeof entry;
  size_t count = 0;
  for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry))
    count += entry.th32OwnerProcessID == GetCurrentProcessId();
  CloseHandle(snapshot);
  return count;
}

// This thread's top-level windows captioned `caption`.
inline std::vector<HWND> FindDialogs(const wchar_t* caption) {
  std::pair<const wchar_t*, std::vector<HWND>> search{caption, {}};
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND hwnd, LPARAM param) {
        auto* s = reinterpret_cast<decltype(search)*>(param);
        wchar_t text[128] = {};
        GetWindowTextW(hwnd, text, 128);
        if (std::wstring(text) == s->first) s->second.push_back(hwnd);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.second;
}

inline std::wstring ItemText(HWND dialog, int id) {
  wchar_t text[256] = {};
  GetDlgItemTextW(dialog, id, text, 256);
  return text;
}

// Saves what `window` shows into dialogs/NAME.png beside the test, for a person to look at.
inline std::optional<host::Image> SavePicture(HWND window, const std::string& name) {
  CreateDirectoryW(L"dialogs", nullptr);
  std::optional<host::Image> image = host::CaptureClientArea(window);
  if (image) host::WriteImageFile("dialogs/" + name + ".png", *image);
  return image;
}

// Checks, when the test's control has gone, that every task-allocator block was freed.
struct TaskAllocatorCheck {
  TaskAllocatorCheck() { registered = MallocSpy().Register(); }
  ~TaskAllocatorCheck() {
    if (!registered) return;
    EXPECT_EQ(MallocSpy().Outstanding(), 0) << "a frame or a format block was not freed";
    MallocSpy().Revoke();
  }
  bool registered = false;
};

class PlaybackTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(spy.registered);
    ASSERT_TRUE(hosted.created);
    ASSERT_HRESULT_SUCCEEDED(hosted.Control().Activate(OLEIVERB_INPLACEACTIVATE));
    player = hosted.Player();
    player->UseCustomErrorHandler(VARIANT_TRUE);
    player->UseMediaServer(Text(ServerAddress().c_str()));
  }
  void TearDown() override {
    if (player) player->Stop();
    player.reset();
  }

  std::vector<RecordedEvent>& Events() { return hosted.recorder.events; }
  size_t CountOf(DISPID id) {
    return std::count_if(Events().begin(), Events().end(), [id](const RecordedEvent& e) { return e.id == id; });
  }
  // Serves messages until the `nth` event `id` has come (1: the first).
  bool WaitForEvent(DISPID id, DWORD ms, size_t nth = 1) {
    return PumpUntil([&] { return CountOf(id) >= nth; }, ms);
  }
  std::vector<DISPID> EventIds() {
    std::vector<DISPID> ids;
    for (const RecordedEvent& event : Events()) ids.push_back(event.id);
    return ids;
  }
  const RecordedEvent* Last(DISPID id) {
    for (auto it = Events().rbegin(); it != Events().rend(); ++it)
      if (it->id == id) return &*it;
    return nullptr;
  }
  // Plays `file` (or the source already set, when null) until OnStart.
  bool PlayUntilStarted(const wchar_t* file = nullptr, DWORD ms = 15000) {
    if (file) player->UseFile(Text(file));
    return player->Play() == S_OK && WaitForEvent(kOnStart, ms);
  }
  bool PlayLiveUntilStarted(const wchar_t* alias, DWORD ms = 15000) {
    player->UseLiveAlias(Text(alias));
    return PlayUntilStarted(nullptr, ms);
  }
  // What the user read in the control's own message box during a Play.
  struct BoxSeen {
    bool stopped = false;  // the `nth` OnStop came in time
    std::wstring caption, text;
  };
  // Plays with the control's message boxes instead of OnError until the `nth` OnStop.
  BoxSeen PlayReadingTheBox(DWORD ms, size_t nth = 1) {
    player->UseCustomErrorHandler(VARIANT_FALSE);
    MessageBoxWatcher watcher;
    BoxSeen seen;
    EXPECT_EQ(player->Play(), S_OK);
    seen.stopped = WaitForEvent(kOnStop, ms, nth);
    watcher.Finish();
    seen.caption = watcher.caption;
    seen.text = watcher.text;
    return seen;
  }
  LONG Property(HRESULT (STDMETHODCALLTYPE IZMediaPlayer::*get)(LONG*)) {
    LONG value = -1;
    (player.get()->*get)(&value);
    return value;
  }
  std::wstring MediaName() {
    UniqueBstr name;
    player->get_MediaName(name.put());
    return name.get() ? name.get() : L"";
  }
  // The status label's text as a screen reader reads it, "(hidden)" when not shown, marked
  // "(not drawn)" unless its rectangle holds white and black; saved as dialogs/status-NAME.png.
  std::wstring StatusShown(const char* name) {
    const HWND status = hosted.StatusWindow();
    if (!IsWindowVisible(status)) return L"(hidden)";
    wchar_t text[64] = {};
    GetWindowTextW(status, text, 64);
    const std::optional<host::Image> image = SavePicture(hosted.ControlWindow(), std::string("status-") + name);
    if (!image) return L"(no picture)";
    const RECT label = hosted.ChildRect(status);
    bool white = false, black = false;
    for (LONG y = std::max(label.top, 0L); y < std::min<LONG>(label.bottom, image->height); ++y)
      for (LONG x = std::max(label.left, 0L); x < std::min<LONG>(label.right, image->width); ++x) {
        white |= image->At(x, y) == 0xFFFFFF;
        black |= image->At(x, y) == 0;
      }
    return white && black ? text : std::wstring(L"(not drawn) ") + text;
  }

  static constexpr DISPID kOnResize = 1, kOnStart = 2, kOnPause = 3, kOnStop = 4, kOnError = 5;

  TaskAllocatorCheck spy;  // first member: checked after the control has gone
  HostedControl hosted{320, 240};
  ComPtr<IZMediaPlayer> player;
};

}  // namespace zm::tests
