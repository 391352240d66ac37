// Event delivery to connected sinks, and the error report as a message box for hosts that
// do not handle errors themselves.
#include <atomic>
#include <string>
#include <thread>

#include "control_client.h"

namespace zm::tests {
namespace {

std::vector<LONG> ErrorsOf(const EventRecorder& recorder) {
  std::vector<LONG> ids;
  for (const RecordedEvent& event : recorder.events) {
    EXPECT_EQ(event.id, 5);
    if (event.id == 5) {
      EXPECT_EQ(event.firstType, VT_I4);
      EXPECT_EQ(event.args.at(0), 1);  // type 1: the session failed to start
      ids.push_back(event.args.at(1));
    }
  }
  return ids;
}

TEST(EventsTest, TwoSinksBothReceiveEveryEventAndAFailingOneStopsNobody) {
  ComPtr<IZMediaPlayer> player = CreateControl();
  auto* first = new EventRecorder;
  auto* second = new EventRecorder;
  first->failWith = E_FAIL;
  DWORD firstCookie = Connect(player.get(), first);
  DWORD secondCookie = Connect(player.get(), second);
  EXPECT_NE(firstCookie, secondCookie);
  player->UseCustomErrorHandler(VARIANT_TRUE);
  player->Play();
  player->Play();
  EXPECT_EQ(ErrorsOf(*first), (std::vector<LONG>{1000, 1000}));
  EXPECT_EQ(ErrorsOf(*second), (std::vector<LONG>{1000, 1000}));

  // A disconnected sink hears nothing more; its cookie is then unknown.
  EXPECT_EQ(Disconnect(player.get(), firstCookie), S_OK);
  EXPECT_EQ(Disconnect(player.get(), firstCookie), CONNECT_E_NOCONNECTION);
  EXPECT_EQ(Disconnect(player.get(), 1000), CONNECT_E_NOCONNECTION);
  player->Play();
  EXPECT_EQ(first->events.size(), 2u);
  EXPECT_EQ(second->events.size(), 3u);
  // A new connection takes the emptied place.
  EXPECT_EQ(Connect(player.get(), first), firstCookie);
  Disconnect(player.get(), firstCookie);
  Disconnect(player.get(), secondCookie);
  first->Release();
  second->Release();
}

TEST(EventsTest, SinksWithoutTheEventInterfaceAreRefused) {
  ComPtr<IZMediaPlayer> player = CreateControl();
  PlainSite notASink;  // a client site, without the event interface
  HRESULT hr = S_OK;
  EXPECT_EQ(Connect(player.get(), &notASink, &hr), 0u);
  EXPECT_EQ(hr, CONNECT_E_CANNOTCONNECT);
  EXPECT_EQ(Connect(player.get(), nullptr, &hr), 0u);
  EXPECT_EQ(hr, E_POINTER);
}

TEST(EventsTest, ConnectionsCanBeEnumeratedAndHoldTheirSinks) {
  ComPtr<IZMediaPlayer> player = CreateControl();
  auto* recorder = new EventRecorder;
  DWORD cookie = Connect(player.get(), recorder);
  ComPtr<IConnectionPointContainer> container;
  ComPtr<IConnectionPoint> point;
  ASSERT_EQ(player.query(&container), S_OK);
  ASSERT_EQ(container->FindConnectionPoint(DIID__IZMediaPlayerEvents, point.put()), S_OK);
  ComPtr<IEnumConnections> connections;
  ASSERT_EQ(point->EnumConnections(connections.put()), S_OK);
  CONNECTDATA data[2] = {};
  ULONG fetched = 0;
  EXPECT_EQ(connections->Next(2, data, &fetched), S_FALSE);
  ASSERT_EQ(fetched, 1u);
  EXPECT_EQ(data[0].dwCookie, cookie);
  data[0].pUnk->Release();
  connections.reset();  // the snapshot holds its own references
  // The control keeps its reference until the host disconnects.
  recorder->AddRef();
  EXPECT_GT(recorder->Release(), 1u);
  Disconnect(player.get(), cookie);
  EXPECT_EQ(recorder->Release(), 0u);
}

// Watches for the control's message box from another thread, reads it and closes it.
struct MessageBoxWatcher {
  std::wstring caption, text;
  std::atomic<bool> stop{false};
  std::thread thread{[this] {
    for (int i = 0; i < 500 && !stop; ++i) {
      // Only a box of this process: other tests running beside this one show dialogs too.
      HWND box = nullptr;
      while ((box = FindWindowExW(nullptr, box, L"#32770", nullptr)) != nullptr) {
        DWORD process = 0;
        GetWindowThreadProcessId(box, &process);
        if (process == GetCurrentProcessId()) break;
      }
      if (box) {
        wchar_t buffer[512] = {};
        GetWindowTextW(box, buffer, 512);
        caption = buffer;
        // The message text is the static control of the box.
        HWND label = FindWindowExW(box, nullptr, L"Static", nullptr);
        while (label) {
          GetWindowTextW(label, buffer, 512);
          if (buffer[0]) text = buffer;
          label = FindWindowExW(box, label, L"Static", nullptr);
        }
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        return;
      }
      Sleep(20);
    }
  }};
  ~MessageBoxWatcher() {
    stop = true;
    thread.join();
  }
};

TEST(EventsTest, WithoutACustomHandlerTheErrorIsAMessageBoxAndNoEvent) {
  ComPtr<IZMediaPlayer> player = CreateControl();
  auto* recorder = new EventRecorder;
  DWORD cookie = Connect(player.get(), recorder);
  MessageBoxWatcher watcher;
  EXPECT_EQ(player->Play(), S_FALSE);  // returns once the box has been closed
  watcher.stop = true;
  watcher.thread.join();
  watcher.thread = std::thread([] {});
  EXPECT_EQ(watcher.caption, L"Error");
  EXPECT_EQ(watcher.text, L"Please specify Media resource name");
  EXPECT_TRUE(recorder->events.empty());
  Disconnect(player.get(), cookie);
  recorder->Release();
}

}  // namespace
}  // namespace zm::tests
