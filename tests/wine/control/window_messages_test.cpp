// The control window's messages as the session thread, the menu and the user send them:
// events fired for WM_ZM_FIRE, requests carried out for WM_ZM_SESSION, the flow bar toggle
// with the bar and the status window placed by the layout, and keys.
#include "hosted_control.h"
#include "session/private_messages.h"

namespace zm::tests {
namespace {

using namespace session;
constexpr UINT kFire = WM_ZM_FIRE;
constexpr UINT kSession = WM_ZM_SESSION;

class WindowMessagesTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(hosted.created);
    ASSERT_EQ(hosted.Control().Activate(), S_OK);
    hwnd = hosted.ControlWindow();
    ASSERT_NE(hwnd, nullptr);
  }
  std::vector<RecordedEvent>& Events() { return hosted.recorder.events; }
  // The bar's height as its dialog template gives it: 16 dialog units in the bar's font.
  int FlowBarHeight() {
    RECT rect = {0, 0, 305, 16};
    MapDialogRect(hosted.FlowBar(), &rect);
    return rect.bottom;
  }

  HostedControl hosted;
  HWND hwnd = nullptr;
};

TEST_F(WindowMessagesTest, FireMessagesFireTheirEventsWithTheirArguments) {
  struct Case {
    WPARAM what;
    LPARAM lParam;
    DISPID event;  // 0: not an event
    std::vector<LONG> args;
  } cases[] = {{2, 0, 2, {}}, {3, 1, 3, {1}}, {3, 2, 3, {2}}, {0, 0, 4, {0}},  // an idle stop continues with nothing
               {1, 0, 0, {}}, {4, 0, 0, {}},  {7, 0, 0, {}}};
  for (const Case& c : cases) {
    Events().clear();
    SendMessageW(hwnd, kFire, c.what, c.lParam);
    ASSERT_EQ(Events().size(), c.event ? 1u : 0u) << c.what;
    if (!c.event) continue;
    EXPECT_EQ(Events()[0].id, c.event);
    EXPECT_EQ(Events()[0].args, c.args);
    EXPECT_EQ(Events()[0].firstType, c.args.empty() ? VT_EMPTY : VT_I2);
  }
}

TEST_F(WindowMessagesTest, ErrorReportGoesThroughTheWindowOnceAndRepeatsTheLastError) {
  ComPtr<IZMediaPlayer> player = hosted.Player();
  player->UseCustomErrorHandler(VARIANT_TRUE);
  EXPECT_EQ(player->Play(), S_FALSE);
  ASSERT_EQ(Events().size(), 1u);
  EXPECT_EQ(Events()[0].id, 5);
  EXPECT_EQ(Events()[0].args, (std::vector<LONG>{1, 1000}));
  EXPECT_EQ(Events()[0].firstType, VT_I4);
  SendMessageW(hwnd, kFire, kFireError, 0);
  ASSERT_EQ(Events().size(), 2u);
  EXPECT_EQ(Events()[1].args, (std::vector<LONG>{1, 1000}));
}

TEST_F(WindowMessagesTest, SessionResumeCallsPlayAndPauseAndUnknownRequestsDoNothing) {
  ComPtr<IZMediaPlayer> player = hosted.Player();
  player->UseCustomErrorHandler(VARIANT_TRUE);
  player->UseFile(Text(L"clip.zmf"));
  SendMessageW(hwnd, kSession, kSessionResume, 0);  // Play, which finds no server
  ASSERT_EQ(Events().size(), 1u);
  EXPECT_EQ(Events()[0].args, (std::vector<LONG>{1, 1001}));
  SendMessageW(hwnd, kSession, kSessionPause, 0);  // nothing to pause while idle
  SendMessageW(hwnd, kSession, 6, 0);
  SendMessageW(hwnd, kSession, 1000, 0);
  EXPECT_EQ(Events().size(), 1u);
}

TEST_F(WindowMessagesTest, ResizeRequestFollowsTheViewAndAddsTheFlowBarHeight) {
  // Idle, the picture size is 0 x 0: the height is 0 and the width the aspect-derived 0 plus 1.
  SendMessageW(hwnd, kFire, kFireResize, 100);
  ASSERT_EQ(Events().size(), 1u);
  EXPECT_EQ(Events()[0].id, 1);
  EXPECT_EQ(Events()[0].args, (std::vector<LONG>{1, 0}));
  EXPECT_EQ(Events()[0].firstType, VT_I2);
  SendMessageW(hwnd, WM_COMMAND, 0xF6, 0);  // the "100%" size item asks for nothing without a picture
  ASSERT_EQ(Events().size(), 1u);
  SendMessageW(hwnd, WM_COMMAND, 0xF4, 0);  // show the flow bar
  const int barHeight = FlowBarHeight();
  ASSERT_GT(barHeight, 0);
  SendMessageW(hwnd, kFire, kFireResize, 100);
  ASSERT_EQ(Events().size(), 2u);
  EXPECT_EQ(Events()[1].args, (std::vector<LONG>{1, barHeight}));
}

TEST_F(WindowMessagesTest, FlowBarToggleShowsTheBarAlongTheBottomAndHidesItAgain) {
  HWND bar = hosted.FlowBar();
  ASSERT_FALSE(IsWindowVisible(bar));
  SendMessageW(hwnd, WM_COMMAND, 0xF4, 0);
  ASSERT_TRUE(IsWindowVisible(bar));
  const int barHeight = FlowBarHeight();
  // As tall as the client area; what lies below it is clipped.
  EXPECT_EQ(Edges(hosted.ChildRect(bar)), (std::vector<LONG>{0, 300 - barHeight, 400, 600 - barHeight}));
  // The status window sits five pixels above the bar.
  RECT status = hosted.ChildRect(hosted.StatusWindow());
  EXPECT_EQ(status.left, 5);
  EXPECT_EQ(status.top, 300 - barHeight - 20 - 5);
  SendMessageW(hwnd, WM_COMMAND, 0xF4, 0);
  EXPECT_FALSE(IsWindowVisible(bar));
  ComPtr<IZMediaPlayer> player = hosted.Player();
  EXPECT_EQ(player->EnableFlowControl(VARIANT_TRUE, VARIANT_TRUE), S_OK);
  EXPECT_TRUE(IsWindowVisible(bar));
  EXPECT_EQ(player->EnableFlowControl(VARIANT_TRUE, VARIANT_FALSE), S_OK);
  EXPECT_FALSE(IsWindowVisible(bar));
}

TEST_F(WindowMessagesTest, KeysAndDoubleClicksWithoutAPictureFireNothingAndKeepTheWindow) {
  SendMessageW(hwnd, WM_KEYDOWN, VK_ESCAPE, 0);
  SendMessageW(hwnd, WM_KEYDOWN, 'A', 0);
  SendMessageW(hwnd, WM_SYSKEYDOWN, VK_F10, 0);
  SendMessageW(hwnd, WM_LBUTTONDBLCLK, 0, MAKELPARAM(10, 10));
  SendMessageW(hwnd, WM_COMMAND, 0xF8, 0);  // full screen waits for a picture
  for (WORD aspect = 0x8009; aspect <= 0x800E; ++aspect) SendMessageW(hwnd, WM_COMMAND, aspect, 0);
  SendMessageW(hwnd, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(hwnd), MAKELPARAM(20, 20));
  EXPECT_TRUE(Events().empty());
  EXPECT_EQ(hosted.ControlWindow(), hwnd);
  // Size requests are only for a picture that is shown.
  EXPECT_EQ(hosted.Player()->ViewOriginalSize(), S_FALSE);
  EXPECT_EQ(hosted.Player()->ViewFullScreenSize(), S_OK);
  EXPECT_TRUE(Events().empty());
  // The play/pause command while idle is Play, with its checks; the broadcast's end is nothing.
  hosted.Player()->UseCustomErrorHandler(VARIANT_TRUE);
  SendMessageW(hwnd, WM_COMMAND, 0xFA, 1);
  EXPECT_TRUE(Events().empty());
  SendMessageW(hwnd, WM_COMMAND, 0xFA, 0);
  EXPECT_EQ(hosted.recorder.ErrorIds(), std::vector<LONG>{1000});
}

TEST_F(WindowMessagesTest, SystemKeysGoOnToTheDefaultHandlingForTheHostsShortcuts) {
  MSG stale;
  while (PeekMessageW(&stale, nullptr, WM_SYSCOMMAND, WM_SYSCOMMAND, PM_REMOVE)) {
  }
  // Alt+F4 in the control asks the host's top-level window to close; the request is taken
  // off the queue here so that the shared host window stays.
  SendMessageW(hwnd, WM_SYSKEYDOWN, VK_F4, static_cast<LPARAM>(KF_ALTDOWN) << 16 | 1);
  MSG msg;
  ASSERT_TRUE(PeekMessageW(&msg, hosted.window.m_hWnd, WM_SYSCOMMAND, WM_SYSCOMMAND, PM_REMOVE));
  EXPECT_EQ(msg.wParam & 0xFFF0, static_cast<WPARAM>(SC_CLOSE));
  EXPECT_TRUE(IsWindow(hwnd));
}

}  // namespace
}  // namespace zm::tests
