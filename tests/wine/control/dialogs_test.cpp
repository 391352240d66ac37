// The control's dialogs against the server: the playlist dialog with the server's two lists
// (what it shows after each reply, what Next, "play selected file" and Enter do) and the
// properties dialog's figures of a running session.
#include <algorithm>
#include <regex>
#include <string>
#include <thread>

#include "peers/host/screenshot.h"
#include "playback_fixture.h"

#include <commctrl.h>

namespace zm::tests {
namespace {

// Control ids of the dialog, as a user's accessibility tool would find them.
constexpr int kListLine = 282, kModeLine = 283, kCurrentLine = 277, kEntries = 274;
constexpr int kPrevious = 279, kNext = 280, kFromSelected = 281, kSelectedAlone = 278;

// This thread's top-level windows captioned `caption`.
std::vector<HWND> FindDialogs(const wchar_t* caption) {
  struct Search {
    const wchar_t* caption;
    std::vector<HWND> found;
  } search{caption, {}};
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND hwnd, LPARAM param) {
        auto* s = reinterpret_cast<Search*>(param);
        wchar_t text[128] = {};
        GetWindowTextW(hwnd, text, 128);
        if (std::wstring(text) == s->caption) s->found.push_back(hwnd);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND FindPlayListDialog() {
  const std::vector<HWND> found = FindDialogs(L"Playlist control");
  return found.empty() ? nullptr : found.front();
}

// Saves the dialog as it shows into dialogs/NAME.png beside the test, for a person to look at,
// and tells whether the picture holds the colour 0xRRGGBB.
bool SaveAndFind(HWND dialog, const char* name, uint32_t rgb) {
  CreateDirectoryW(L"dialogs", nullptr);
  const std::optional<host::Image> image = host::CaptureClientArea(dialog);
  if (!image) return false;
  host::WriteImageFile(std::string("dialogs/") + name + ".png", *image);
  return std::find(image->pixels.begin(), image->pixels.end(), rgb) != image->pixels.end();
}

std::wstring ItemText(HWND dialog, int id) {
  wchar_t text[256] = {};
  GetDlgItemTextW(dialog, id, text, 256);
  return text;
}

struct DialogSeen {
  std::wstring list, mode, current;
  std::vector<std::wstring> items;
  int selected = -1;
  bool previous = false, next = false, fromSelected = false, selectedAlone = false;
};

DialogSeen Read(HWND dialog) {
  DialogSeen seen;
  wchar_t text[256];
  for (auto [id, out] : {std::pair{kListLine, &seen.list}, {kModeLine, &seen.mode}, {kCurrentLine, &seen.current}}) {
    GetDlgItemTextW(dialog, id, text, 256);
    *out = text;
  }
  const HWND list = GetDlgItem(dialog, kEntries);
  for (int i = 0; i < ListView_GetItemCount(list); ++i) {
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

class DialogTest : public PlaybackTest {
 protected:
  std::wstring MediaName() {
    UniqueBstr name;
    player->get_MediaName(name.put());
    return name.get() ? name.get() : L"";
  }
  void Click(HWND dialog, int id) { SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }
};

TEST_F(DialogTest, AnAlphabeticalListIsFollowedSteppedAndLeftForOneFile) {
  const HWND dialog = FindPlayListDialog();
  ASSERT_TRUE(dialog) << "created with the control window";
  EXPECT_FALSE(IsWindowVisible(dialog));
  player->UseFilePlayList(Text(L"testlist"));
  ASSERT_EQ(player->Play(), S_OK);
  ASSERT_TRUE(WaitForEvent(kOnStart, 15000));
  EXPECT_EQ(player->ViewPlayListControl(), S_OK);
  EXPECT_TRUE(IsWindowVisible(dialog));
  RECT control{}, shown{};
  GetWindowRect(hosted.ControlWindow(), &control);
  GetWindowRect(dialog, &shown);
  EXPECT_EQ(shown.left, control.left);
  EXPECT_EQ(shown.top, control.bottom);

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

  // The second entry's reply names it alone: the list stays and moves on.
  ASSERT_TRUE(WaitForEvent(kOnStart, 15000, 2));
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

  // One file alone: the list stays loaded, with the file selected.
  ListView_SetItemState(GetDlgItem(dialog, kEntries), 0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  Click(dialog, kSelectedAlone);
  ASSERT_TRUE(WaitForEvent(kOnStart, 15000, 4));
  EXPECT_EQ(MediaName(), L"testlist\\alpha.zmf");
  seen = Read(dialog);
  EXPECT_EQ(seen.items, files);
  EXPECT_EQ(seen.selected, 0);
  EXPECT_EQ(seen.current, L"alpha.zmf");
  ASSERT_TRUE(WaitForEvent(kOnStop, 15000, 3)) << "played alone, it ends without a next entry";
  EXPECT_EQ(Last(kOnStop)->args, std::vector<LONG>{0});

  // Enter hides the dialog as Escape does; it stays for the window's life.
  player->ViewPlayListControl();
  SendMessageW(dialog, WM_COMMAND, IDOK, 0);
  EXPECT_TRUE(IsWindow(dialog));
  EXPECT_FALSE(IsWindowVisible(dialog));
  player->ViewPlayListControl();
  EXPECT_TRUE(IsWindowVisible(dialog));
}

TEST_F(DialogTest, ARandomListSelectsTheEntryByItsName) {
  player->UseFilePlayList(Text(L"randomlist"));
  ASSERT_EQ(player->Play(), S_OK);
  ASSERT_TRUE(WaitForEvent(kOnStart, 15000));
  const DialogSeen seen = Read(FindPlayListDialog());
  EXPECT_EQ(seen.mode, L"mode: random");
  EXPECT_EQ(seen.items, (std::vector<std::wstring>{L"gamma.zmf", L"alpha.zmf", L"beta.zmf"}));
  EXPECT_EQ(seen.current, L"gamma.zmf");
  EXPECT_EQ(seen.selected, 0);
  EXPECT_FALSE(seen.fromSelected) << "a random list is not played from an entry";
  EXPECT_FALSE(seen.previous);
}

TEST_F(DialogTest, PropertiesShowWhatTheServerSentAndCloseWithTheSession) {
  player->UseFile(Text(L"testlist\\beta.zmf"));  // 3 s of 320 x 240 at 25 fps, 44.1 kHz stereo
  ASSERT_EQ(player->Play(), S_OK);
  ASSERT_TRUE(WaitForEvent(kOnStart, 15000));
  player->ViewProperties();
  player->ViewProperties();
  const std::vector<HWND> shown = FindDialogs(L"Properties");
  ASSERT_EQ(shown.size(), 1u) << "a second open leaves the first alone";
  const HWND dialog = shown.front();
  EXPECT_TRUE(IsWindowVisible(dialog));
  EXPECT_EQ(ItemText(dialog, 207), ServerAddress());
  EXPECT_EQ(ItemText(dialog, 221), L"TCP");
  EXPECT_EQ(ItemText(dialog, 213), L"testlist\\beta.zmf");
  EXPECT_EQ(ItemText(dialog, 235), L"03 sec");
  EXPECT_EQ(ItemText(dialog, 237), L"File");
  EXPECT_EQ(ItemText(dialog, 234), L"25.0 fps");
  EXPECT_EQ(ItemText(dialog, 236), L"320x240");
  EXPECT_EQ(ItemText(dialog, 241), L"172.3 kByte/s");
  EXPECT_EQ(ItemText(dialog, 242), L"44.1 kHz");
  EXPECT_EQ(ItemText(dialog, 224), L"2");
  EXPECT_EQ(ItemText(dialog, 251).rfind(L"Video content - ", 0), 0u) << ItemText(dialog, 251);

  // The whole file arrives within its first seconds: the transmission has finished.
  Pump(2100);
  EXPECT_EQ(ItemText(dialog, 253), L"Transmission - finished");
  EXPECT_EQ(ItemText(dialog, 220), L"0.0 kByte/s");
  EXPECT_FALSE(IsWindowVisible(GetDlgItem(dialog, 219)));
  ASSERT_TRUE(WaitForEvent(kOnStop, 15000));
  EXPECT_FALSE(IsWindow(dialog)) << "the stop procedure closes it";

  // A live stream goes on arriving: after two ticks the dialog shows the one-second timer's
  // sample of the transport, and the channels' fill agrees with its label.
  player->UseLiveAlias(Text(L"testcard"));
  ASSERT_EQ(player->Play(), S_OK);
  ASSERT_TRUE(WaitForEvent(kOnStart, 15000, 2));
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
  const bool green = SaveAndFind(live, "properties", 0x008C05);
  EXPECT_TRUE(fill == 0 || green) << "the fill bars' green";
}

TEST_F(DialogTest, WithoutAnAudioDecoderTheVideoPlaysAloneAndThePropertiesSaySo) {
  player->UseLiveAlias(Text(L"undecodable-audio"));
  ASSERT_EQ(player->Play(), S_OK);
  ASSERT_TRUE(WaitForEvent(kOnStart, 15000));
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

TEST_F(DialogTest, VideoSettingsStartFromTheValuesInForceAndEveryMoveReachesThePicture) {
  player->UseLiveAlias(Text(L"testcard"));
  ASSERT_EQ(player->Play(), S_OK);
  ASSERT_TRUE(WaitForEvent(kOnStart, 15000));
  EXPECT_EQ(player->AdjustBrightness(20), S_OK);
  EXPECT_EQ(player->ViewVideoSettings(), S_OK);
  const std::vector<HWND> shown = FindDialogs(L"Adjust video settings");
  ASSERT_EQ(shown.size(), 1u);
  const HWND dialog = shown.front();
  RECT control{}, box{};
  GetWindowRect(hosted.ControlWindow(), &control);
  GetWindowRect(dialog, &box);
  EXPECT_EQ(box.left, control.left);
  EXPECT_EQ(box.top, control.bottom);
  const HWND brightness = GetDlgItem(dialog, 1019), contrast = GetDlgItem(dialog, 1021);
  auto position = [](HWND slider) { return static_cast<int>(SendMessageW(slider, TBM_GETPOS, 0, 0)); };
  EXPECT_EQ(position(brightness), 20) << "the slider starts where the host left the picture";
  EXPECT_EQ(position(contrast), 0);
  SaveAndFind(dialog, "video-settings", 0);

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
  const double bright = MeanLevel(hosted.ControlWindow());
  EXPECT_GT(bright, dark + 60) << "brightness -50 then 50";

  // The close box keeps the positions; Reset centres both; Enter destroys the dialog and a new
  // one starts from the values in force.
  SendMessageW(contrast, WM_KEYDOWN, VK_HOME, 0);
  SendMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
  EXPECT_FALSE(IsWindowVisible(dialog));
  player->ViewVideoSettings();
  EXPECT_EQ(position(brightness), 50);
  EXPECT_EQ(position(contrast), -50);
  SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(261, BN_CLICKED), 0);
  EXPECT_EQ(position(brightness), 0);
  EXPECT_EQ(position(contrast), 0);
  SendDlgItemMessageW(dialog, 1019, WM_KEYDOWN, VK_END, 0);
  SendMessageW(dialog, WM_COMMAND, IDOK, 0);
  EXPECT_FALSE(IsWindow(dialog));
  player->ViewVideoSettings();
  const HWND again = FindDialogs(L"Adjust video settings").at(0);
  EXPECT_EQ(SendDlgItemMessageW(again, 1019, TBM_GETPOS, 0, 0), 50);
  EXPECT_EQ(player->Stop(), S_OK);
  EXPECT_FALSE(IsWindow(again)) << "the stop procedure closes it";
}

TEST_F(DialogTest, TheAboutBoxShowsTheVersionCentredOnTheControl) {
  std::wstring version;
  RECT box{};
  bool coloured = false;
  std::thread watcher([&] {
    for (int i = 0; i < 500; ++i, Sleep(20)) {
      const HWND found = FindWindowW(L"#32770", L"About");
      if (!found || !IsWindowVisible(found)) continue;
      wchar_t text[128] = {};
      GetDlgItemTextW(found, 5143, text, 128);
      version = text;
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

// The status label at each moment that shows it, read back as a screen reader reads it and saved
// as dialogs/status-NAME.png with the control's picture around it.
TEST_F(DialogTest, TheStatusLabelSaysWhyNoPictureMovesAndDrawsItWhiteOnBlack) {
  const HWND status = hosted.StatusWindow();
  auto shown = [&](const char* name) -> std::wstring {
    if (!IsWindowVisible(status)) return L"(hidden)";
    wchar_t text[64] = {};
    GetWindowTextW(status, text, 64);
    CreateDirectoryW(L"dialogs", nullptr);
    const std::optional<host::Image> image = host::CaptureClientArea(hosted.ControlWindow());
    if (!image) return L"(no picture)";
    host::WriteImageFile(std::string("dialogs/status-") + name + ".png", *image);
    const RECT label = hosted.ChildRect(status);
    bool white = false, black = false;
    for (LONG y = std::max(label.top, 0L); y < std::min<LONG>(label.bottom, image->height); ++y)
      for (LONG x = std::max(label.left, 0L); x < std::min<LONG>(label.right, image->width); ++x) {
        white |= image->At(x, y) == 0xFFFFFF;
        black |= image->At(x, y) == 0;
      }
    return white && black ? text : std::wstring(L"(not drawn) ") + text;
  };
  // A server that drips its reply a byte at a time keeps the control connecting.
  player->UseFile(Text(L"testlist\\gamma.zmf#drip=20000"));
  ASSERT_EQ(player->Play(), S_OK);
  Pump(500);
  EXPECT_EQ(shown("connecting"), L"Connecting...");
  EXPECT_EQ(player->Stop(), S_OK);
  EXPECT_FALSE(IsWindowVisible(status));

  player->UseFile(Text(L"testlist\\gamma.zmf"));
  ASSERT_EQ(player->Play(), S_OK);
  ASSERT_TRUE(WaitForEvent(kOnStart, 15000));
  Pump(300);  // the session says it plays just after OnStart
  EXPECT_EQ(shown("playing"), L"(hidden)");
  player->Pause();
  EXPECT_EQ(shown("paused"), L"Paused");
  player->Play();
  EXPECT_EQ(player->Seek(3), S_OK);
  EXPECT_EQ(shown("seeking"), L"Seeking...");
  EXPECT_EQ(player->Stop(), S_OK);

  // Three seconds of pictures, then silence: the buffer runs dry while the server says nothing.
  Events().clear();
  player->UseFile(Text(L"testlist\\gamma.zmf#stall-after=150"));
  ASSERT_EQ(player->Play(), S_OK);
  ASSERT_TRUE(WaitForEvent(kOnStart, 15000));
  ASSERT_TRUE(WaitForEvent(kOnPause, 10000)) << "the dry buffer never paused playback";
  EXPECT_EQ(Last(kOnPause)->args, std::vector<LONG>{1}) << "paused to rebuffer";
  EXPECT_TRUE(std::regex_match(shown("buffering"), std::wregex(L"Buffering: \\d{1,2}%"))) << shown("buffering");
  EXPECT_EQ(player->Stop(), S_OK);

  // A broadcast that ends while it is watched from its time-shift window: paused, then played
  // on from the window, it pauses for good at the end of what was recorded.
  Events().clear();
  player->UseLiveAlias(Text(L"timeshift-ending"));
  ASSERT_EQ(player->Play(), S_OK);
  ASSERT_TRUE(WaitForEvent(kOnStart, 15000));
  Pump(1000);
  player->Pause();
  Pump(1000);
  player->Play();
  ASSERT_TRUE(PumpUntil([&] { return Last(kOnPause) && Last(kOnPause)->args == std::vector<LONG>{3}; }, 20000))
      << "playback never paused at the broadcast's end";
  EXPECT_EQ(shown("broadcast-ended"), L"Broadcast ended");
}

}  // namespace
}  // namespace zm::tests
