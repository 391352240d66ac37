// The control's dialogs against the server: the playlist dialog following the server's list
// (what it shows after each reply, what Next, "play selected file" and Enter do), the
// properties of a running session, the video settings and the About box. What each reply makes
// of the lists' lines is PlayListModelTest's; the properties' wording is PropertiesViewTest's.
#include <regex>
#include <thread>

#include "playback_fixture.h"

#include <commctrl.h>

namespace zm::tests {
namespace {

// Control ids of the dialog, as a user's accessibility tool would find them.
constexpr int kListLine = 282, kModeLine = 283, kCurrentLine = 277, kEntries = 274;
constexpr int kPrevious = 279, kNext = 280, kFromSelected = 281, kSelectedAlone = 278;

// Whether the picture of `window`, saved as dialogs/NAME.png, holds the colour 0xRRGGBB.
bool SaveAndFind(HWND window, const char* name, uint32_t rgb) {
  const std::optional<host::Image> image = SavePicture(window, name);
  return image && std::find(image->pixels.begin(), image->pixels.end(), rgb) != image->pixels.end();
}

struct DialogSeen {
  std::wstring list, mode, current;
  std::vector<std::wstring> items;
  int selected = -1;
  bool previous = false, next = false, fromSelected = false, selectedAlone = false;
};

DialogSeen Read(HWND dialog) {
  DialogSeen seen{ItemText(dialog, kListLine), ItemText(dialog, kModeLine), ItemText(dialog, kCurrentLine), {}};
  const HWND list = GetDlgItem(dialog, kEntries);
  for (int i = 0; i < ListView_GetItemCount(list); ++i) {
    wchar_t text[256];
    ListView_GetItemText(list, i, 0, text, 256);
    seen.items.push_back(text);
  }
  seen.selected = ListView_GetNextItem(list, -1, LVNI_SELECTED);
  seen.previous = IsWindowEnabled(GetDlgItem(dialog, kPrevious));
  seen.next = IsWindowEnabled(GetDlgItem(dialog, kNext));
  seen.fromSelected = IsWindowEnabled(GetDlgItem(dialog, kFromSelected));
  seen.selectedAlone = IsWindowEnabled(GetDlgItem(dialog, kSelectedAlone));
  return seen;
}

// A dialog `window` shows just below the control, left edges aligned.
void ExpectBelowTheControl(HWND control, HWND window) {
  RECT under{}, shown{};
  GetWindowRect(control, &under);
  GetWindowRect(window, &shown);
  EXPECT_EQ(shown.left, under.left);
  EXPECT_EQ(shown.top, under.bottom);
}

void Click(HWND dialog, int id) { SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }

TEST_F(PlaybackTest, AServerPlaylistPlaysOnFromEntryToEntryAndItsDialogFollowsStepsAndPlaysOneAlone) {
  const std::vector<HWND> found = FindDialogs(L"Playlist control");
  ASSERT_EQ(found.size(), 1u) << "created with the control window";
  const HWND dialog = found.front();
  EXPECT_FALSE(IsWindowVisible(dialog));
  player->UseFilePlayList(Text(L"testlist"));  // alpha.zmf 2 s, beta.zmf 3 s, gamma.zmf 4 s
  ASSERT_TRUE(PlayUntilStarted());
  EXPECT_EQ(player->ViewPlayListControl(), S_OK);
  EXPECT_TRUE(IsWindowVisible(dialog));
  ExpectBelowTheControl(hosted.ControlWindow(), dialog);
  const std::vector<std::wstring> files{L"alpha.zmf", L"beta.zmf", L"gamma.zmf"};
  DialogSeen seen = Read(dialog);
  EXPECT_EQ(seen.list, L"playlist: testlist");
  EXPECT_EQ(seen.mode, L"mode: alphabetical");
  EXPECT_EQ(seen.current, L"alpha.zmf");
  EXPECT_EQ(seen.items, files);
  EXPECT_EQ(seen.selected, 0);
  EXPECT_FALSE(seen.previous);
  EXPECT_TRUE(seen.next && seen.fromSelected && seen.selectedAlone);
  EXPECT_TRUE(SaveAndFind(dialog, "playlist", 0xEBEBEB)) << "the dialog's own grey";
  EXPECT_EQ(ItemText(dialog, kFromSelected), L"Play playlist starting with selected file") << "its name, as its tip";
  UniqueBstr content;
  EXPECT_EQ(player->get_PlayListContent(content.put()), S_OK);
  EXPECT_EQ(std::wstring(content.get()).rfind(L"<xml><playlist type=\"alphabetical\"><file>alpha.zmf</file>", 0), 0u);

  // The second entry follows by itself; its reply names it alone: the list stays and moves on.
  ASSERT_TRUE(WaitForEvent(kOnStart, 15000, 2)) << "the second entry never started";
  EXPECT_EQ(EventIds(), (std::vector<DISPID>{kOnResize, kOnStart, kOnStop, kOnResize, kOnStart}));
  EXPECT_EQ(Events()[2].args, std::vector<LONG>{1}) << "the next entry follows";
  EXPECT_EQ(RendererCountsOf(1).framesDrawn + RendererCountsOf(1).framesDropped, 50u) << "alpha.zmf, whole";
  seen = Read(dialog);
  EXPECT_EQ(seen.current, L"beta.zmf");
  EXPECT_EQ(seen.selected, 1);
  EXPECT_TRUE(seen.previous);
  EXPECT_EQ(seen.items, files);

  // Next while playing stops this entry and goes on with the one after it.
  Click(dialog, kNext);
  EXPECT_FALSE(IsWindowVisible(dialog)) << "a step hides the dialog";
  ASSERT_TRUE(WaitForEvent(kOnStart, 15000, 3));
  EXPECT_EQ(MediaName(), L"gamma.zmf");
  EXPECT_EQ(Read(dialog).selected, 2);
  EXPECT_EQ(Last(kOnStop)->args, std::vector<LONG>{1}) << "the list goes on";
  EXPECT_EQ(player->Stop(), S_OK);
  EXPECT_EQ(Last(kOnStop)->args, std::vector<LONG>{0}) << "a user's stop ends the list";

  // One file alone: the list stays loaded, with the file selected.
  ListView_SetItemState(GetDlgItem(dialog, kEntries), 0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  Click(dialog, kSelectedAlone);
  ASSERT_TRUE(WaitForEvent(kOnStart, 15000, 4));
  EXPECT_EQ(MediaName(), L"testlist\\alpha.zmf");
  seen = Read(dialog);
  EXPECT_EQ(seen.items, files);
  EXPECT_EQ(seen.selected, 0);
  EXPECT_EQ(seen.current, L"alpha.zmf");
  ASSERT_TRUE(WaitForEvent(kOnStop, 15000, 4)) << "played alone, it ends without a next entry";
  EXPECT_EQ(Last(kOnStop)->args, std::vector<LONG>{0});
  EXPECT_EQ(CountOf(kOnStart), 4u);

  // Enter hides the dialog as Escape does; it stays for the window's life.
  player->ViewPlayListControl();
  SendMessageW(dialog, WM_COMMAND, IDOK, 0);
  EXPECT_TRUE(IsWindow(dialog));
  EXPECT_FALSE(IsWindowVisible(dialog));
  player->ViewPlayListControl();
  EXPECT_TRUE(IsWindowVisible(dialog));
}

TEST_F(PlaybackTest, WithoutAnAudioDecoderTheVideoPlaysAloneAndThePropertiesSaySo) {
  ASSERT_TRUE(PlayLiveUntilStarted(L"undecodable-audio"));
  player->ViewProperties();
  EXPECT_EQ(FindDialogs(L"Properties   ...No audio decoder found. Playing video only...").size(), 1u);
  Pump(2000);
  const renderer::RendererCounts counts = RendererCountsOf();
  EXPECT_GT(counts.framesDrawn, 20u) << "video starved behind an audio stream nobody reads";
  EXPECT_EQ(counts.audioFramesPlayed, 0u);
}

// The mean of the red, green and blue values over the control window's middle.
double MeanLevel(HWND window) {
  RECT client{};
  GetClientRect(window, &client);
  const HDC dc = GetDC(window);
  double sum = 0;
  int n = 0;
  for (int y = client.bottom / 4; y < client.bottom * 3 / 4; y += 8) {
    for (int x = client.right / 4; x < client.right * 3 / 4; x += 8, ++n) {
      const COLORREF c = GetPixel(dc, x, y);
      sum += (GetRValue(c) + GetGValue(c) + GetBValue(c)) / 3.0;
    }
  }
  ReleaseDC(window, dc);
  return n ? sum / n : 0;
}

TEST_F(PlaybackTest,
       ALiveStreamsPropertiesShowItsTransportAndVideoSettingsStartFromTheValuesInForceAndReachThePicture) {
  // A live stream goes on arriving: after two ticks the dialog shows the one-second timer's
  // sample of the transport, and the channels' fill agrees with its label.
  ASSERT_TRUE(PlayLiveUntilStarted(L"testcard"));
  player->ViewProperties();
  const HWND live = FindDialogs(L"Properties").at(0);
  EXPECT_EQ(ItemText(live, 237), L"Live, Real Time");
  EXPECT_EQ(ItemText(live, 235), L"Unknown");
  Pump(2100);
  EXPECT_EQ(ItemText(live, 253), L"Transmission - in progress");
  EXPECT_GT(std::wcstod(ItemText(live, 220).c_str(), nullptr), 100.0) << ItemText(live, 220);
  // 25 pictures a second, give or take the pre-roll's burst and a late tick.
  const int fps = std::stoi(ItemText(live, 219));
  EXPECT_TRUE(fps >= 10 && fps <= 60) << fps;
  const LRESULT fill = SendDlgItemMessageW(live, 254, PBM_GETPOS, 0, 0);
  EXPECT_EQ(std::to_wstring(fill), ItemText(live, 256));
  RECT bar{};
  GetClientRect(GetDlgItem(live, 254), &bar);
  const bool green = SaveAndFind(live, "properties", 0x008C05);
  EXPECT_TRUE(fill * bar.right < 2000 || green) << "the fill bars' green (a fill under two pixels may show none)";
  SendMessageW(live, WM_COMMAND, IDCANCEL, 0);

  EXPECT_EQ(player->AdjustBrightness(20), S_OK);
  EXPECT_EQ(player->ViewVideoSettings(), S_OK);
  const std::vector<HWND> shown = FindDialogs(L"Adjust video settings");
  ASSERT_EQ(shown.size(), 1u);
  const HWND dialog = shown.front();
  ExpectBelowTheControl(hosted.ControlWindow(), dialog);
  const HWND brightness = GetDlgItem(dialog, 1019), contrast = GetDlgItem(dialog, 1021);
  auto position = [](HWND slider) { return static_cast<int>(SendMessageW(slider, TBM_GETPOS, 0, 0)); };
  EXPECT_EQ(position(brightness), 20) << "the slider starts where the host left the picture";
  EXPECT_EQ(position(contrast), 0);
  SavePicture(dialog, "video-settings");

  // An arrow key moves nothing; Home and End move the slider, and the picture follows.
  SendMessageW(brightness, WM_KEYDOWN, VK_RIGHT, 0);
  EXPECT_EQ(position(brightness), 20);
  SendMessageW(brightness, WM_KEYDOWN, VK_HOME, 0);
  EXPECT_EQ(position(brightness), -50);
  Pump(400);
  const double dark = MeanLevel(hosted.ControlWindow());
  SendMessageW(brightness, WM_KEYDOWN, VK_END, 0);
  EXPECT_EQ(position(brightness), 50);
  Pump(400);
  EXPECT_GT(MeanLevel(hosted.ControlWindow()), dark + 60) << "brightness -50 then 50";

  // The close box keeps the positions; Reset centres both; Enter destroys the dialog and a new
  // one starts from the values in force.
  SendMessageW(contrast, WM_KEYDOWN, VK_HOME, 0);
  SendMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
  EXPECT_FALSE(IsWindowVisible(dialog));
  player->ViewVideoSettings();
  EXPECT_EQ(position(brightness), 50);
  EXPECT_EQ(position(contrast), -50);
  Click(dialog, 261);
  EXPECT_EQ(position(brightness), 0);
  EXPECT_EQ(position(contrast), 0);
  SendMessageW(brightness, WM_KEYDOWN, VK_END, 0);
  SendMessageW(dialog, WM_COMMAND, IDOK, 0);
  EXPECT_FALSE(IsWindow(dialog));
  player->ViewVideoSettings();
  const HWND again = FindDialogs(L"Adjust video settings").at(0);
  EXPECT_EQ(SendDlgItemMessageW(again, 1019, TBM_GETPOS, 0, 0), 50);
  EXPECT_EQ(player->Stop(), S_OK);
  EXPECT_FALSE(IsWindow(again)) << "the stop procedure closes it";
}

TEST_F(PlaybackTest, TheAboutBoxShowsTheVersionCentredOnTheControl) {
  std::wstring version;
  RECT box{};
  bool coloured = false;
  std::thread watcher([&] {
    for (int i = 0; i < 500; ++i, Sleep(20)) {
      const HWND found = FindWindowW(L"#32770", L"About");
      if (!found || !IsWindowVisible(found)) continue;
      version = ItemText(found, 5143);
      GetWindowRect(found, &box);
      coloured = SaveAndFind(found, "about", 0x402000) && SaveAndFind(found, "about", 0xF7FF21);
      PostMessageW(found, WM_COMMAND, IDCANCEL, 0);
      return;
    }
  });
  SendMessageW(hosted.ControlWindow(), WM_COMMAND, 32771, 0);  // returns once the box is closed
  watcher.join();
  EXPECT_TRUE(coloured) << "yellow text on brown";
  EXPECT_TRUE(std::regex_match(version, std::wregex(L"ZMediaControl7 \\d+\\.\\d+\\.\\d+\\.\\d+"))) << version;
  RECT control{};
  GetWindowRect(hosted.ControlWindow(), &control);
  EXPECT_NEAR((box.left + box.right) / 2, (control.left + control.right) / 2, 1);
  EXPECT_NEAR((box.top + box.bottom) / 2, (control.top + control.bottom) / 2, 1);
}

}  // namespace
}  // namespace zm::tests
