// The flow bar as a user works it, with the mouse and the keyboard, in a control that plays
// from the reference server: its buttons, the seek bar, the volume knob and the time display.
#include "playback_fixture.h"

#include <commctrl.h>
#include <oleacc.h>

namespace zm::tests {
namespace {

// The bar's and its Play button's heights at 96 dpi, given to a copy of this program that runs at 192 (below); that
// copy is dpi-aware, as a host of today is, from before its first window.
constexpr wchar_t kHeightAt96[] = L"ZM_FLOW_BAR_HEIGHT_AT_96";
const bool dpiAwareCopy = GetEnvironmentVariableW(kHeightAt96, nullptr, 0) > 0 && SetProcessDPIAware();

class FlowBarTest : public PlaybackTest {
 protected:
  void SetUp() override {
    PlaybackTest::SetUp();
    player->EnableFlowControl(VARIANT_TRUE, VARIANT_TRUE);
    bar = hosted.FlowBar();
    ASSERT_TRUE(bar && IsWindowVisible(bar));
  }
  HWND Item(int id) { return GetDlgItem(bar, id); }
  std::wstring TextOf(int id) {
    wchar_t text[64] = {};
    GetWindowTextW(Item(id), text, 64);
    return text;
  }
  void Click(HWND window, int x, int y) {
    SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    SendMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
  }
  // A user's click: the pointer moved to the point on the screen and the button pressed and let
  // go there, as the system delivers it. Tells whether the pointer arrived.
  bool ClickOnScreen(HWND window, int x, int y) {
    POINT point{x, y};
    ClientToScreen(window, &point);
    const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    INPUT inputs[3] = {};
    for (INPUT& input : inputs) input.type = INPUT_MOUSE;
    inputs[0].mi.dx = (point.x * 65536 + width - 1) / width;
    inputs[0].mi.dy = (point.y * 65536 + height - 1) / height;
    inputs[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    inputs[1].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    inputs[2].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    if (SendInput(3, inputs, sizeof(INPUT)) != 3) return false;
    Pump(300);
    POINT cursor{};
    GetCursorPos(&cursor);
    return cursor.x == point.x && cursor.y == point.y;
  }
  void Key(HWND window, WPARAM key) {
    SendMessageW(window, WM_KEYDOWN, key, 1);
    SendMessageW(window, WM_KEYUP, key, 0xC0000001);
  }

  static constexpr int kPlay = 261, kStop = 262, kTime = 263, kSeek = 264, kVolume = 265, kPlayList = 272;
  HWND bar = nullptr;
};

TEST_F(FlowBarTest, ButtonsKeysAndTheSeekBarSteerAStoredFileAndTheTimeRuns) {
  player->UseFile(Text(L"testlist\\gamma.zmf"));  // 4 s
  const HWND seek = Item(kSeek);
  EXPECT_EQ(TextOf(kTime), L"00:00:00");
  EXPECT_FALSE(IsWindowEnabled(seek));
  Key(Item(kPlay), VK_RETURN);  // Enter presses the focused button
  ASSERT_TRUE(WaitForEvent(kOnStart, 15000));
  RECT barHeight = {0, 0, 305, 16};  // 16 dialog units in the bar's font
  MapDialogRect(bar, &barHeight);
  EXPECT_EQ(Events()[0].args, (std::vector<LONG>{321, 240 + barHeight.bottom})) << "room asked for the bar too";
  EXPECT_EQ(TextOf(kPlay), L"Pause") << "a stored file shows the pause picture while it plays";
  ASSERT_TRUE(IsWindowEnabled(seek));
  EXPECT_TRUE(PumpUntil([&] { return TextOf(kTime) == L"00:00:01" || TextOf(kTime) == L"00:00:02"; }, 2500))
      << "the time stood at " << TextOf(kTime);

  RECT channel{};
  SendMessageW(seek, TBM_GETCHANNELRECT, 0, reinterpret_cast<LPARAM>(&channel));
  const int width = channel.right - channel.left;
  ASSERT_GT(width, 100);
  ASSERT_GT(channel.left, 4) << "the left edge must count";
  // 72.5 percent along the channel is second 2.9: second 2. Measured from the window's left
  // edge instead, the click would land past 75 percent, in second 3.
  Click(seek, channel.left + width * 29 / 40, (channel.top + channel.bottom) / 2);
  EXPECT_NEAR(SendMessageW(seek, TBM_GETPOS, 0, 0), 7250, 80);
  ASSERT_EQ(CountOf(kOnPause), 1u) << "the click did not seek";
  EXPECT_EQ(Last(kOnPause)->args, std::vector<LONG>{2});
  EXPECT_FALSE(IsWindowEnabled(seek)) << "no second seek while the first runs";
  auto landsAt = [&](size_t starts, LONG second) {
    ASSERT_TRUE(WaitForEvent(kOnStart, 10000, starts)) << "the seek never completed";
    Pump(300);
    EXPECT_EQ(Property(&IZMediaPlayer::get_CurrentPlaybackTime_Sec), second);
    EXPECT_TRUE(IsWindowEnabled(seek));
  };
  landsAt(2, 2);
  // Dragging the thumb shows the time under it and seeks only where it is let go.
  SendMessageW(bar, WM_HSCROLL, MAKEWPARAM(TB_THUMBTRACK, 2500), reinterpret_cast<LPARAM>(seek));
  EXPECT_EQ(TextOf(kTime), L"00:00:01");
  EXPECT_EQ(CountOf(kOnPause), 1u);
  SendMessageW(bar, WM_HSCROLL, MAKEWPARAM(TB_THUMBPOSITION, 2500), reinterpret_cast<LPARAM>(seek));
  ASSERT_EQ(CountOf(kOnPause), 2u);
  landsAt(3, 1);
  Key(seek, VK_HOME);  // keys seek as clicks do
  ASSERT_EQ(CountOf(kOnPause), 3u);
  landsAt(4, 0);
  // The thumb is no target: pressing it starts a drag, and a drag alone seeks nothing.
  RECT thumb{};
  SendMessageW(seek, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
  const LPARAM onThumb = MAKELPARAM((thumb.left + thumb.right) / 2, (thumb.top + thumb.bottom) / 2);
  SendMessageW(seek, WM_LBUTTONDOWN, MK_LBUTTON, onThumb);
  EXPECT_EQ(CountOf(kOnPause), 3u);
  SendMessageW(seek, WM_LBUTTONUP, 0, onThumb);
  ASSERT_EQ(CountOf(kOnPause), 4u) << "letting go seeks where the thumb is";
  landsAt(5, 0);

  Key(Item(kPlay), VK_SPACE);
  ASSERT_EQ(CountOf(kOnPause), 5u);
  EXPECT_EQ(Last(kOnPause)->args, std::vector<LONG>{0}) << "paused by the user";
  EXPECT_EQ(TextOf(kPlay), L"Play");
  SendMessageW(Item(kPlay), BM_CLICK, 0, 0);
  EXPECT_EQ(CountOf(kOnStart), 6u) << "the button resumed";
  EXPECT_EQ(TextOf(kPlay), L"Pause");
  SendMessageW(Item(kStop), BM_CLICK, 0, 0);
  EXPECT_EQ(CountOf(kOnStop), 1u);
  EXPECT_EQ(Events().back().id, kOnStop);
  EXPECT_EQ(TextOf(kPlay), L"Play");
  EXPECT_EQ(TextOf(kTime), L"00:00:00");
  EXPECT_FALSE(IsWindowEnabled(seek));
  EXPECT_EQ(SendMessageW(seek, TBM_GETPOS, 0, 0), 0);
}

// What the seek bar, knob and buttons make of a point is FlowSeekTest's and FlowKnobTest's: this
// proves that real input reaches them.
TEST_F(FlowBarTest, RealClicksOnTheButtonsTheSeekBarAndTheKnobSteerTheSession) {
  SetForegroundWindow(GetAncestor(bar, GA_ROOT));
  player->UseFile(Text(L"testlist\\gamma.zmf"));  // 4 s
  RECT button{};
  GetClientRect(Item(kPlay), &button);
  auto clickButton = [&](int id) { return ClickOnScreen(Item(id), button.right / 2, button.bottom / 2); };
  ASSERT_TRUE(clickButton(kPlay)) << "the pointer did not move";
  ASSERT_TRUE(WaitForEvent(kOnStart, 15000)) << "the click on Play never started the session";
  RECT channel{};
  SendMessageW(Item(kSeek), TBM_GETCHANNELRECT, 0, reinterpret_cast<LPARAM>(&channel));
  ClickOnScreen(Item(kSeek), (channel.left + channel.right) / 2, (channel.top + channel.bottom) / 2);
  ASSERT_EQ(CountOf(kOnPause), 1u) << "the click in the seek bar did not seek";
  EXPECT_EQ(Last(kOnPause)->args, std::vector<LONG>{2});
  ASSERT_TRUE(WaitForEvent(kOnStart, 10000, 2)) << "the seek never completed";
  clickButton(kPlay);
  ASSERT_EQ(CountOf(kOnPause), 2u) << "the click on Pause did not pause";
  EXPECT_EQ(Last(kOnPause)->args, std::vector<LONG>{0});
  clickButton(kPlay);
  EXPECT_EQ(CountOf(kOnStart), 3u) << "the click on Play did not resume";
  RECT knob{};
  GetClientRect(Item(kVolume), &knob);
  ClickOnScreen(Item(kVolume), knob.right / 2, knob.bottom / 4);  // straight above the centre: half way
  EXPECT_EQ(RendererCountsOf().volume, -2500);
  clickButton(kStop);
  EXPECT_TRUE(WaitForEvent(kOnStop, 10000)) << "the click on Stop did not stop";
}

// A plain live stream's look (no pause picture, no Live button) is FlowEventTest's.
TEST_F(FlowBarTest, ALiveStreamWithATimeShiftWindowSaysLiveAndTheKnobSetsTheVolumeByMouseAndKeys) {
  ASSERT_TRUE(PlayLiveUntilStarted(L"timeshift"));
  EXPECT_EQ(TextOf(kPlayList), L"Live");
  EXPECT_FALSE(IsWindowEnabled(Item(kPlayList))) << "it plays at the live edge already";
  EXPECT_EQ(SendMessageW(Item(kSeek), TBM_GETPOS, 0, 0), 10000) << "the thumb parks at the live edge";
  EXPECT_EQ(TextOf(kPlay), L"Pause") << "the window lets it pause";

  const HWND knob = Item(kVolume);
  RECT client{};
  GetClientRect(knob, &client);
  const int centre = client.right / 2;
  Click(knob, centre - 2, centre + 10);  // below, a little left: silence
  EXPECT_EQ(RendererCountsOf().volume, -10000);
  Click(knob, centre, 0);  // the top: half way
  EXPECT_EQ(RendererCountsOf().volume, -2500);
  // A drag follows the pointer to where it is let go.
  SendMessageW(knob, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(centre, 0));
  SendMessageW(knob, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(0, centre));
  EXPECT_EQ(RendererCountsOf().volume, -4166);
  SendMessageW(knob, WM_LBUTTONUP, 0, MAKELPARAM(client.right, centre));
  EXPECT_EQ(RendererCountsOf().volume, -833);
  SendMessageW(knob, WM_MOUSEMOVE, 0, MAKELPARAM(centre, 0));
  EXPECT_EQ(RendererCountsOf().volume, -833) << "a move without the button moves nothing";
  Key(knob, VK_RIGHT);
  EXPECT_EQ(RendererCountsOf().volume, -583);
  Key(knob, VK_HOME);
  EXPECT_EQ(RendererCountsOf().volume, -10000);

  EXPECT_EQ(player->Stop(), S_OK);
  EXPECT_TRUE(IsWindowEnabled(Item(kPlayList)));
  EXPECT_EQ(TextOf(kPlay), L"Play");
}

// The boxes themselves are FlowLayoutTest's; this proves the bar lays itself out by them.
TEST_F(FlowBarTest, TheBarSpansTheControlAndAWiderControlStretchesTheSeekBar) {
  auto inBar = [&](int id) {
    RECT rect{};
    GetWindowRect(Item(id), &rect);
    MapWindowPoints(HWND_DESKTOP, bar, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
  };
  RECT client{};
  GetClientRect(bar, &client);
  EXPECT_EQ(client.right, 320);
  EXPECT_EQ(inBar(kSeek).right, 320 - 95);
  const LONG time = inBar(kTime).left;
  hosted.Control().Resize(RECT{0, 0, 500, 240});
  EXPECT_EQ(inBar(kSeek).right, 500 - 95);
  EXPECT_EQ(inBar(kTime).left, time + 180);
  EXPECT_EQ(player->EnableFlowControl(VARIANT_TRUE, VARIANT_FALSE), S_OK);
  EXPECT_FALSE(IsWindowVisible(bar));
}

TEST_F(FlowBarTest, TabMovesAlongTheBarAndEachStopHasItsName) {
  SetFocus(hosted.ControlWindow());
  Key(hosted.ControlWindow(), VK_TAB);
  ASSERT_EQ(GetFocus(), Item(kPlay)) << "Tab in the control leads into the bar";
  // The seek bar is no stop while it is disabled; the last stop leads back to the first.
  for (int next : {kStop, kPlayList, kVolume, kPlay}) {
    Key(GetFocus(), VK_TAB);
    EXPECT_EQ(GetFocus(), Item(next)) << next;
  }
  const std::pair<int, const wchar_t*> names[] = {
      {kPlay, L"Play"}, {kStop, L"Stop"}, {kSeek, L"Seek"}, {kPlayList, L"Playlist"}, {kVolume, L"Volume"}};
  for (const auto& [id, expected] : names) {
    ComPtr<IAccessible> accessible;
    ASSERT_HRESULT_SUCCEEDED(
        AccessibleObjectFromWindow(Item(id), OBJID_CLIENT, IID_IAccessible, accessible.put_void()));
    VARIANT self{};
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    UniqueBstr name;
    accessible->get_accName(self, name.put());
    EXPECT_STREQ(name.get(), expected);
  }
}

// Wine reads the system's dpi once, as a process starts: the bar at 200 percent is looked at in
// a copy of this program started with LogPixels at 192, which saves its picture playing.
TEST_F(FlowBarTest, AtTwoHundredPercentTheBarIsTwiceAsTall) {
  // The bar's height (it reaches from its top to the control's bottom) and the Play button's.
  RECT play{};
  GetWindowRect(Item(kPlay), &play);
  const std::wstring heights =
      std::to_wstring(240 - hosted.ChildRect(bar).top) + L" " + std::to_wstring(play.bottom - play.top);
  wchar_t given[16] = {};
  if (GetEnvironmentVariableW(kHeightAt96, given, 16)) {
    ASSERT_TRUE(dpiAwareCopy);
    HDC screen = GetDC(nullptr);
    EXPECT_EQ(GetDeviceCaps(screen, LOGPIXELSY), 192) << "LogPixels did not reach this process";
    ReleaseDC(nullptr, screen);
    int barAt96 = 0, playAt96 = 0;
    ASSERT_EQ(swscanf(given, L"%d %d", &barAt96, &playAt96), 2);
    EXPECT_EQ(heights, std::to_wstring(2 * barAt96) + L" " + std::to_wstring(2 * playAt96))
        << "the heights at 96: " << given;
    hosted.window.SetClientSize(640, 480);  // room for the seek bar at this size
    hosted.Control().Resize(RECT{0, 0, 640, 480});
    ASSERT_TRUE(PlayLiveUntilStarted(L"testcard"));
    Pump(1200);
    ASSERT_TRUE(SavePicture(hosted.ControlWindow(), "flow-bar-200"));
    return;
  }
  HKEY desktop = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            &desktop, nullptr),
            ERROR_SUCCESS);
  DWORD before = 0, size = sizeof before;
  const bool had = RegQueryValueExW(desktop, L"LogPixels", nullptr, nullptr, reinterpret_cast<BYTE*>(&before), &size) ==
                   ERROR_SUCCESS;
  auto setDpi = [&](const DWORD* dpi) {
    if (dpi) RegSetValueExW(desktop, L"LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(dpi), sizeof *dpi);
    else RegDeleteValueW(desktop, L"LogPixels");
  };
  const DWORD dpi = 192;
  setDpi(&dpi);
  SetEnvironmentVariableW(kHeightAt96, heights.c_str());
  wchar_t program[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, program, MAX_PATH);
  std::wstring line =
      L"\"" + std::wstring(program) + L"\" --gtest_filter=FlowBarTest.AtTwoHundredPercentTheBarIsTwiceAsTall";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  const bool started =
      CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process);
  DWORD exitCode = 1;
  if (started) {
    // Other programs of the prefix may start meanwhile: the value goes back as soon as the copy
    // has its host window (its dpi is read by then).
    auto copysWindow = [&] {
      DWORD owner = 0;
      for (HWND w = FindWindowW(nullptr, L"window test"); w; w = FindWindowExW(nullptr, w, nullptr, L"window test"))
        if (GetWindowThreadProcessId(w, &owner) && owner == process.dwProcessId) return true;
      return false;
    };
    PumpUntil(copysWindow, 20000);
    setDpi(had ? &before : nullptr);
    WaitForSingleObject(process.hProcess, 60000);
    GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }
  SetEnvironmentVariableW(kHeightAt96, nullptr);
  setDpi(had ? &before : nullptr);
  RegCloseKey(desktop);
  ASSERT_TRUE(started);
  EXPECT_EQ(exitCode, 0u) << "the copy at 192 dpi failed (its output is above)";
}

}  // namespace
}  // namespace zm::tests
