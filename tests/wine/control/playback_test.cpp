// Whole sessions through the control as a host drives them: play to the end, pause, seek and
// stop, and the failures a server or a renderer can cause, with the events the host hears.
#include <regex>

#include "playback_fixture.h"

namespace zm::tests {
namespace {

// What the context menu showed when it opened, read from inside its own modal loop.
struct MenuSeen {
  UINT playPause = 0, stop = 0, snapshot = 0, size = 0, aspect = 0, properties = 0;
  int sizeChecked = -1, aspectChecked = -1;  // the marked position in each submenu
  std::wstring playPauseText, flowBar;
  bool opened = false;
};
int CheckedPosition(HMENU menu) {
  for (int i = 0; i < GetMenuItemCount(menu); ++i)
    if (GetMenuState(menu, i, MF_BYPOSITION) & MF_CHECKED) return i;
  return -1;
}
MenuSeen OpenContextMenu(HWND controlWindow) {
  static MenuSeen seen;
  seen = MenuSeen{};
  const UINT_PTR timer = SetTimer(nullptr, 0, 300, [](HWND, UINT, UINT_PTR, DWORD) {
    HWND popup = FindWindowW(L"#32768", nullptr);
    HMENU menu = popup ? reinterpret_cast<HMENU>(SendMessageW(popup, MN_GETHMENU, 0, 0)) : nullptr;
    if (menu) {
      seen.opened = true;
      seen.playPause = GetMenuState(menu, 250, MF_BYCOMMAND);
      seen.stop = GetMenuState(menu, 249, MF_BYCOMMAND);
      seen.snapshot = GetMenuState(menu, 32775, MF_BYCOMMAND);
      seen.size = GetMenuState(menu, 3, MF_BYPOSITION);
      seen.aspect = GetMenuState(menu, 5, MF_BYPOSITION);
      seen.properties = GetMenuState(menu, 203, MF_BYCOMMAND);
      seen.sizeChecked = CheckedPosition(GetSubMenu(menu, 3));
      seen.aspectChecked = CheckedPosition(GetSubMenu(menu, 5));
      wchar_t text[64] = {};
      GetMenuStringW(menu, 12, text, 64, MF_BYPOSITION);
      seen.flowBar = text;
      GetMenuStringW(menu, 250, text, 64, MF_BYCOMMAND);
      seen.playPauseText = text;
    }
    EndMenu();
  });
  RECT rect;
  GetWindowRect(controlWindow, &rect);
  SendMessageW(controlWindow, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(controlWindow),
               MAKELPARAM(rect.left + 20, rect.top + 20));
  KillTimer(nullptr, timer);
  return seen;
}

using renderer::RendererCounts;

// --- Playing from start to end.

TEST_F(PlaybackTest, AStoredFilePlaysWholeOverEachTransportAndEachFallsBackToTheOther) {
  // TCP, HTTP, a server without HTTP (back to TCP), HTTPS (inside TLS on the server's main
  // port), one without plain TCP (on to HTTP, from TCP and from RTP), and the next session
  // without a choice of transport: the fallback's setting stays. Properties show the one used.
  const struct {
    HRESULT (STDMETHODCALLTYPE IZMediaPlayer::*use)();
    const wchar_t* file;
    const wchar_t* protocol;
  } cases[] = {{&IZMediaPlayer::UseTCP, L"testlist\\alpha.zmf", L"TCP"},
               {&IZMediaPlayer::UseHTTP, L"testlist\\alpha.zmf", L"HTTP"},
               {&IZMediaPlayer::UseHTTP, L"testlist\\alpha.zmf#no-http", L"TCP"},
               {&IZMediaPlayer::UseHTTPS, L"testlist\\alpha.zmf", L"HTTPS"},
               {&IZMediaPlayer::UseTCP, L"testlist\\alpha.zmf#no-tcp", L"HTTP"},
               {&IZMediaPlayer::UseRTPUnicast, L"testlist\\alpha.zmf#no-tcp", L"HTTP"},
               {nullptr, L"testlist\\alpha.zmf", L"HTTP"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.file << " over " << c.protocol);
    Events().clear();
    if (c.use) {
      ASSERT_EQ((player.get()->*c.use)(), S_OK);
    }
    ASSERT_TRUE(PlayUntilStarted(c.file, 20000));  // 2 s: 50 pictures, 50 tones
    EXPECT_EQ(Property(&IZMediaPlayer::get_TotalTime_Sec), 2);
    player->ViewProperties();
    EXPECT_EQ(ItemText(FindWindowW(L"#32770", L"Properties"), 221), c.protocol);
    ASSERT_TRUE(WaitForEvent(kOnStop, 20000)) << "the end of both streams never stopped the session";
    EXPECT_EQ(EventIds(), (std::vector<DISPID>{kOnResize, kOnStart, kOnStop}));
    EXPECT_EQ(Events()[0].args, (std::vector<LONG>{321, 240})) << "320 x 240 at 100 percent, width from the aspect + 1";
    EXPECT_EQ(Last(kOnStop)->args, std::vector<LONG>{0});
    EXPECT_EQ(Events()[0].firstType, VT_I2);
    EXPECT_EQ(Last(kOnStop)->firstType, VT_I2);
    const RendererCounts counts = RendererCountsOf();
    EXPECT_EQ(counts.framesDrawn + counts.framesDropped, 50u) << "a picture was lost or shown twice";
    EXPECT_EQ(counts.audioFramesPlayed, 50u) << "the sound's tail was cut";
    EXPECT_TRUE(counts.drawnInOrder);
    LONG seconds = -1;
    EXPECT_EQ(player->get_CurrentPlaybackTime_Sec(&seconds), S_FALSE) << "idle again";
  }
}

TEST_F(PlaybackTest, ANameMadeOfTheRequestsSeparatorsOpensOverTcpAndHttpAlike) {
  for (auto use : {&IZMediaPlayer::UseTCP, &IZMediaPlayer::UseHTTP}) {
    SCOPED_TRACE(use == &IZMediaPlayer::UseTCP ? "TCP" : "HTTP");
    Events().clear();
    ASSERT_EQ((player.get()->*use)(), S_OK);
    EXPECT_TRUE(PlayLiveUntilStarted(L"a b:c/d@e&f%g"));
    EXPECT_EQ(CountOf(kOnError), 0u);
    EXPECT_EQ(player->Stop(), S_OK);
  }
}

// RTP runs on Motion-JPEG here: the raw test card's 7,000 datagrams a second are more than a
// Wine client on a busy machine reads, and the kernel drops what its socket cannot hold.
TEST_F(PlaybackTest, ALiveStreamPlaysOverRtpInOrderThroughSpoiledDatagrams) {
  // Clean datagrams, then 2% of them dropped, doubled and reordered: the frames that lost a
  // packet come with holes or not at all, but in order (the loss the source counts is checked
  // against the server's drops in the transport's tests).
  const struct {
    const wchar_t* alias;
    LONG lossMode;  // 0 with the spoiled datagrams
  } cases[] = {{L"mjpeg", 1}, {L"mjpeg#udp-drop=20,udp-duplicate=20,udp-reorder=20,udp-seed=4", 0}};
  ASSERT_EQ(player->UseRTPUnicast(), S_OK);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.alias);
    Events().clear();
    player->SetUDPPacketLossControlMode(c.lossMode);
    ASSERT_TRUE(PlayLiveUntilStarted(c.alias, 20000));
    player->ViewProperties();
    Pump(3000);
    // The properties show the reception figures of the last second's sample.
    const HWND properties = FindWindowW(L"#32770", L"Properties");
    EXPECT_EQ(ItemText(properties, 221), L"RTP (UDP) Unicast");
    const std::wstring text = ItemText(properties, 258);
    unsigned received = 0, lost = 0;
    EXPECT_EQ(swscanf(text.c_str(), L"RTP packets: %u received, %u lost", &received, &lost), 2) << text;
    EXPECT_GT(received, 100u) << text;
    if (c.lossMode == 0) {
      EXPECT_GT(lost, 0u) << "2% of the datagrams were dropped: " << text;
    }
    player->Stop();
    ASSERT_TRUE(WaitForEvent(kOnStop, 10000));
    EXPECT_EQ(EventIds(), (std::vector<DISPID>{kOnResize, kOnStart, kOnStop}));
    const RendererCounts counts = RendererCountsOf();
    EXPECT_GE(counts.framesDrawn, 30u);
    EXPECT_TRUE(counts.drawnInOrder);
  }
}

TEST_F(PlaybackTest, OverRtpAStoredFilePausesSeeksAndEndsAndARestartedServersTextEndsALiveStream) {
  ASSERT_EQ(player->UseRTPUnicast(), S_OK);
  ASSERT_TRUE(PlayUntilStarted(L"mjpeg.zmf", 20000));  // 10 s of Motion-JPEG
  Pump(1000);
  EXPECT_EQ(player->Pause(), S_OK);
  const uint64_t drawnWhilePaused = RendererCountsOf().framesDrawn;
  Pump(1000);
  EXPECT_LE(RendererCountsOf().framesDrawn, drawnWhilePaused + 1) << "pictures went on while paused";
  EXPECT_EQ(player->Play(), S_OK);
  Pump(500);
  EXPECT_EQ(player->Seek(7), S_OK);
  ASSERT_TRUE(WaitForEvent(kOnStart, 10000, 3)) << "the seek never completed";
  Pump(300);
  EXPECT_EQ(Property(&IZMediaPlayer::get_CurrentPlaybackTime_Sec), 7);
  ASSERT_TRUE(WaitForEvent(kOnStop, 15000)) << "the file never ended";
  EXPECT_EQ(EventIds(), (std::vector<DISPID>{kOnResize, kOnStart, kOnPause, kOnStart, kOnPause, kOnStart, kOnStop}));
  EXPECT_TRUE(RendererCountsOf().drawnInOrder);

  Events().clear();
  player->UseLiveAlias(Text(L"mjpeg#ssrc-change=200"));  // 4 s in, after the pre-roll
  const BoxSeen box = PlayReadingTheBox(30000);
  ASSERT_TRUE(box.stopped);
  EXPECT_EQ(box.caption, L"Error");
  EXPECT_EQ(box.text, L"Media server has restarted. Please reconnect.\nFinishing playing from the local buffer.");
  EXPECT_EQ(EventIds(), (std::vector<DISPID>{kOnResize, kOnStart, kOnStop}));
  EXPECT_EQ(Last(kOnStop)->args, std::vector<LONG>{0});
}

TEST_F(PlaybackTest, ALiveAliasShowsAScriptItsFiguresAndEachContextMenuCommandActs) {
  ASSERT_TRUE(PlayLiveUntilStarted(L"testcard"));  // snapshots allowed
  EXPECT_EQ(MediaName(), L"testcard");
  EXPECT_EQ(Property(&IZMediaPlayer::get_VideoFrameWidth), 320);
  const LONG first = Property(&IZMediaPlayer::get_CurrentPlaybackTime_Sec);
  // Two seconds on, allowing a loaded machine a rebuffering pause.
  EXPECT_TRUE(PumpUntil([&] { return Property(&IZMediaPlayer::get_CurrentPlaybackTime_Sec) >= first + 2; }, 8000))
      << "the playback time stood still";
  EXPECT_EQ(player->Pause(), S_OK);
  EXPECT_EQ(CountOf(kOnPause), 0u) << "a plain live stream cannot pause";
  const HWND control = hosted.ControlWindow();
  const MenuSeen menu = OpenContextMenu(control);
  ASSERT_TRUE(menu.opened);
  EXPECT_TRUE(menu.playPause & MF_GRAYED);
  EXPECT_FALSE(menu.stop & MF_GRAYED);
  EXPECT_EQ(menu.flowBar, L"Show flow bar");

  auto command = [&](UINT id) { SendMessageW(control, WM_COMMAND, id, 0); };
  // A size asks the host for the control's new size; once the host has given it, the next
  // opening marks it.
  const struct {
    UINT id;
    std::vector<LONG> size;
    int checked;
  } sizes[] = {{247, {641, 480}, 2}, {245, {161, 120}, 0}, {246, {321, 240}, 1}};
  for (const auto& s : sizes) {
    command(s.id);
    ASSERT_EQ(Last(kOnResize)->args, s.size) << s.id;
    hosted.Control().Resize(RECT{0, 0, s.size[0], s.size[1]});
    EXPECT_EQ(OpenContextMenu(control).sizeChecked, s.checked) << s.id;
    hosted.Control().Resize(RECT{0, 0, 320, 240});  // the width follows the view's ratio: keep it 4:3
  }
  for (int ratio = 0; ratio < 6; ++ratio) {
    command(32777 + ratio);
    EXPECT_EQ(OpenContextMenu(control).aspectChecked, ratio);
  }
  const uint32_t snapshots = RendererCountsOf().snapshots;
  command(32775);
  EXPECT_EQ(RendererCountsOf().snapshots, snapshots + 1) << "Take Snapshot never reached the renderer";
  for (const bool shown : {true, false}) {
    command(244);
    EXPECT_EQ(IsWindowVisible(hosted.FlowBar()) != FALSE, shown);
    EXPECT_EQ(OpenContextMenu(control).flowBar, shown ? L"Hide flow bar" : L"Show flow bar");
  }
  for (const auto& [id, caption] : {std::pair{203u, L"Properties"}, {32769u, L"Adjust video settings"}}) {
    command(id);
    const HWND dialog = FindWindowW(L"#32770", caption);
    EXPECT_TRUE(dialog && IsWindowVisible(dialog)) << id;
    if (dialog) SendMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
  }
  // Full screen marks its own item and takes the aspect ratio away until the session ends.
  command(248);
  const MenuSeen full = OpenContextMenu(control);
  EXPECT_EQ(full.sizeChecked, 3);
  EXPECT_TRUE(full.aspect & MF_GRAYED);

  EXPECT_EQ(player->Stop(), S_OK);
  EXPECT_EQ(CountOf(kOnStop), 1u) << "Stop is synchronous";
  EXPECT_EQ(Last(kOnStop)->args, std::vector<LONG>{0});
  EXPECT_FALSE(OpenContextMenu(control).opened) << "no menu between sessions";
  const RendererCounts counts = RendererCountsOf();
  EXPECT_GT(counts.framesDrawn + counts.framesDropped, 40u) << "pictures were lost on the way";
  EXPECT_GT(counts.framesDrawn, 0u);
  EXPECT_TRUE(counts.drawnInOrder);
}

// Which items an audio-only stream grays is ContextMenuPlanTest.AudioOnlyAndSettingsGray*.
TEST_F(PlaybackTest, AnAudioOnlyStreamOffersNoPictureCommandsAndIgnoresThemWhenSent) {
  ASSERT_TRUE(PlayLiveUntilStarted(L"audio-only"));
  const HWND control = hosted.ControlWindow();
  const MenuSeen menu = OpenContextMenu(control);
  EXPECT_TRUE(menu.size & MF_GRAYED);
  EXPECT_FALSE(menu.properties & MF_GRAYED) << "the sound has its properties";
  // A command that arrives anyway (a menu opened before) finds no picture to act on.
  const size_t resizes = CountOf(kOnResize);
  for (UINT id : {245, 246, 247, 248, 32769}) SendMessageW(control, WM_COMMAND, id, 0);
  EXPECT_EQ(CountOf(kOnResize), resizes) << "the host was asked to make room for no picture";
  EXPECT_FALSE(FindWindowW(L"#32770", L"Adjust video settings"));
  Pump(500);
  EXPECT_GT(RendererCountsOf().audioFramesPlayed, 0u);
  EXPECT_EQ(RendererCountsOf().framesDrawn, 0u);
}

// --- The host steers.

TEST_F(PlaybackTest, APausedFileSaysSoAndStillPlaysEveryFrameAndItsPropertiesShowWhatTheServerSent) {
  ASSERT_TRUE(PlayUntilStarted(L"testlist\\beta.zmf"));  // 3 s of 320 x 240 at 25 fps, 44.1 kHz stereo
  Pump(500);
  EXPECT_EQ(player->Pause(), S_OK);
  ASSERT_EQ(Last(kOnPause)->args, std::vector<LONG>{0}) << "paused by the host";
  EXPECT_EQ(Last(kOnPause)->firstType, VT_I2);
  // The status label says so, sized to its text, unless the host switched it off.
  EXPECT_EQ(StatusShown("paused"), L"Paused");
  EXPECT_NE(hosted.ChildRect(hosted.StatusWindow()).right, 60) << "still the unmeasured 60 x 20";
  player->DisplayPlaybackStatus(VARIANT_FALSE);
  EXPECT_EQ(StatusShown("switched-off"), L"(hidden)");
  player->DisplayPlaybackStatus(VARIANT_TRUE);
  EXPECT_EQ(StatusShown("paused"), L"Paused");
  const MenuSeen menu = OpenContextMenu(hosted.ControlWindow());
  EXPECT_EQ(menu.playPauseText, L"&Play");
  EXPECT_TRUE(menu.snapshot & MF_GRAYED);
  const uint64_t drawnWhilePaused = RendererCountsOf().framesDrawn;
  Pump(1000);
  EXPECT_LE(RendererCountsOf().framesDrawn, drawnWhilePaused + 1) << "pictures went on while paused";
  EXPECT_EQ(player->Play(), S_OK);
  EXPECT_EQ(CountOf(kOnStart), 2u);
  EXPECT_EQ(StatusShown("playing"), L"(hidden)");

  player->ViewProperties();
  player->ViewProperties();
  const std::vector<HWND> shown = FindDialogs(L"Properties");
  ASSERT_EQ(shown.size(), 1u) << "a second open leaves the first alone";
  const HWND dialog = shown.front();
  EXPECT_TRUE(IsWindowVisible(dialog));
  const std::pair<int, std::wstring> texts[] = {
      {207, ServerAddress()}, {221, L"TCP"},     {213, L"testlist\\beta.zmf"}, {235, L"03 sec"},   {237, L"File"},
      {234, L"25.0 fps"},     {236, L"320x240"}, {241, L"172.3 kByte/s"},      {242, L"44.1 kHz"}, {224, L"2"}};
  for (const auto& [id, text] : texts) EXPECT_EQ(ItemText(dialog, id), text) << id;
  EXPECT_EQ(ItemText(dialog, 251).rfind(L"Video content - ", 0), 0u) << ItemText(dialog, 251);
  // The whole file arrives within its first seconds: the transmission has finished.
  EXPECT_TRUE(PumpUntil([&] { return ItemText(dialog, 253) == L"Transmission - finished"; }, 3000));
  EXPECT_EQ(ItemText(dialog, 220), L"0.0 kByte/s");
  EXPECT_FALSE(IsWindowVisible(GetDlgItem(dialog, 219)));
  ASSERT_TRUE(WaitForEvent(kOnStop, 15000));
  EXPECT_FALSE(IsWindow(dialog)) << "the stop procedure closes it";
  const RendererCounts counts = RendererCountsOf();
  EXPECT_EQ(counts.framesDrawn + counts.framesDropped, 75u);
  EXPECT_EQ(counts.audioFramesPlayed, 75u);
}

TEST_F(PlaybackTest, ASeekInAStoredFileLandsWhereAskedAndPlaysOnToTheEnd) {
  ASSERT_TRUE(PlayUntilStarted(L"testlist\\gamma.zmf"));  // 4 s
  EXPECT_EQ(player->Seek(3), S_OK);
  EXPECT_EQ(Last(kOnPause)->args, std::vector<LONG>{2});
  EXPECT_EQ(StatusShown("seeking"), L"Seeking...");
  EXPECT_EQ(player->Seek(1), S_FALSE) << "a second seek while the first runs";
  ASSERT_TRUE(WaitForEvent(kOnStart, 10000, 2)) << "the seek never completed";
  Pump(300);  // the position counts whole seconds from the first frame's time, a little after 0
  EXPECT_EQ(Property(&IZMediaPlayer::get_CurrentPlaybackTime_Sec), 3);
  ASSERT_TRUE(WaitForEvent(kOnStop, 10000));
  EXPECT_EQ(EventIds(), (std::vector<DISPID>{kOnResize, kOnStart, kOnPause, kOnStart, kOnStop}));
  // From second 3 of 4: about 25 pictures, all in order from the new position.
  const RendererCounts counts = RendererCountsOf();
  EXPECT_GE(counts.framesDrawn + counts.framesDropped, 20u);
  EXPECT_LE(counts.framesDrawn + counts.framesDropped, 40u);
  EXPECT_TRUE(counts.drawnInOrder);
}

TEST_F(PlaybackTest, StopWhileConnectingOrInThePrerollEndsQuietly) {
  const struct {
    const wchar_t* file;
    DWORD stopAfterMs;
    const wchar_t* status;
  } cases[] = {{L"testlist\\gamma.zmf#drip=20000", 500, L"Connecting..."},  // the reply comes a byte at a time
               {L"testlist\\gamma.zmf#stall-after=10", 1500, nullptr}};     // waits in its 2-second pre-roll
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    Events().clear();
    player->UseFile(Text(c.file));
    ASSERT_EQ(player->Play(), S_OK);
    Pump(c.stopAfterMs);
    if (c.status) {
      EXPECT_EQ(StatusShown("connecting"), c.status);
    }
    EXPECT_EQ(player->Stop(), S_OK);
    EXPECT_EQ(EventIds(), std::vector<DISPID>{kOnStop}) << "no error for a stop the user asked for";
    EXPECT_EQ(Last(kOnStop)->args, std::vector<LONG>{0});
    EXPECT_EQ(StatusShown("stopped"), L"(hidden)");
  }
}

TEST_F(PlaybackTest, ATimeShiftWindowLetsALiveStreamPauseResumeFromItAndPauseForGoodAtTheBroadcastsEnd) {
  ASSERT_TRUE(PlayLiveUntilStarted(L"timeshift-ending"));  // a broadcast of 6 s
  EXPECT_EQ(Property(&IZMediaPlayer::get_TimeShiftMode), 1) << "live with a window";
  EXPECT_EQ(player->Seek(0), S_FALSE) << "live is where it plays already";
  Pump(1000);
  EXPECT_EQ(player->Pause(), S_OK);
  Pump(1000);
  // Play goes on from the paused position, out of the server's window: a seek, the stream
  // change it brings, and a new session in time-shift playback.
  EXPECT_EQ(player->Play(), S_OK);
  ASSERT_TRUE(WaitForEvent(kOnStart, 15000, 2));
  EXPECT_EQ(EventIds(), (std::vector<DISPID>{kOnResize, kOnStart, kOnPause, kOnPause, kOnStop, kOnResize, kOnStart}));
  EXPECT_EQ(Events()[2].args, std::vector<LONG>{0});
  EXPECT_EQ(Events()[3].args, std::vector<LONG>{2});
  EXPECT_EQ(Events()[4].args, std::vector<LONG>{1}) << "another session follows at once";
  EXPECT_EQ(Property(&IZMediaPlayer::get_TimeShiftMode), 2) << "playing from the window";
  ASSERT_TRUE(PumpUntil([&] { return Last(kOnPause)->args == std::vector<LONG>{3}; }, 20000))
      << "playback never paused at the broadcast's end";
  EXPECT_EQ(StatusShown("broadcast-ended"), L"Broadcast ended");
}

// --- The server or the renderer fails.

TEST_F(PlaybackTest, AFailedStartIsOneOnErrorWithItsTypeAndCodeOrABoxWithItsText) {
  const struct {
    const wchar_t *server, *file, *alias;
    std::vector<LONG> error;
  } cases[] = {{nullptr, L"no-such-file.zmf", nullptr, {2, static_cast<LONG>(0x80070002)}},  // the server's refusal
               {L"127.0.0.1:1", nullptr, L"testcard", {1, 1004}},                            // nobody listens
               {nullptr, nullptr, L"undecodable", {1, static_cast<LONG>(0x8FFF0535)}}};      // the renderer's result
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file ? c.file : c.alias);
    Events().clear();
    player->UseMediaServer(Text(c.server ? c.server : ServerAddress().c_str()));
    if (c.file) player->UseFile(Text(c.file));
    else player->UseLiveAlias(Text(c.alias));
    ASSERT_EQ(player->Play(), S_OK);
    ASSERT_TRUE(WaitForEvent(kOnStop, 15000));
    EXPECT_EQ(EventIds(), (std::vector<DISPID>{kOnError, kOnStop}));
    EXPECT_EQ(Events()[0].args, c.error);
  }
  // Without a custom handler the user reads the result's text with the codec named...
  BoxSeen box = PlayReadingTheBox(15000, 2);
  ASSERT_TRUE(box.stopped);
  EXPECT_NE(box.text.find(L"\nCodec info: H264"), std::wstring::npos) << box.text;
  // ...and a refusal's system text under the server's caption.
  Events().clear();
  player->UseFile(Text(L"no-such-file.zmf"));
  box = PlayReadingTheBox(15000);
  ASSERT_TRUE(box.stopped);
  EXPECT_EQ(box.caption, L"Server error");
  wchar_t* system = nullptr;
  FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                 0x80070002, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<wchar_t*>(&system), 0,
                 nullptr);
  ASSERT_TRUE(system);
  std::wstring expected = system;
  LocalFree(system);
  while (!expected.empty() && (expected.back() == L'\n' || expected.back() == L'\r')) expected.pop_back();
  EXPECT_EQ(box.text, expected);
  EXPECT_EQ(EventIds(), std::vector<DISPID>{kOnStop});
}

TEST_F(PlaybackTest, AConnectionClosedMidStreamPlaysOutTheBufferThenStops) {
  player->UseFile(Text(L"testlist\\gamma.zmf#close-mid-frame=150"));
  const BoxSeen box = PlayReadingTheBox(20000);
  ASSERT_TRUE(box.stopped);
  EXPECT_EQ(box.caption, L"Error");
  const std::wstring tail = L".\nFinishing playing from the local buffer.";
  ASSERT_GT(box.text.size(), tail.size()) << "no box, or no transport text before the tail";
  EXPECT_EQ(box.text.substr(box.text.size() - tail.size()), tail);
  EXPECT_EQ(Last(kOnStop)->args, std::vector<LONG>{0});
  const RendererCounts counts = RendererCountsOf();
  EXPECT_GE(counts.framesDrawn + counts.framesDropped, 70u) << "what was buffered was not played out";
}

TEST_F(PlaybackTest, AStalledServerRunsTheBufferDryAndTheWatchdogEndsTheSession) {
  ASSERT_TRUE(PlayUntilStarted(L"testlist\\gamma.zmf#stall-after=150"));  // 3 s of pictures, then silence
  ASSERT_TRUE(WaitForEvent(kOnPause, 10000)) << "the dry buffer never paused playback";
  EXPECT_EQ(Last(kOnPause)->args, std::vector<LONG>{1}) << "paused to rebuffer";
  const std::wstring status = StatusShown("buffering");
  EXPECT_TRUE(std::regex_match(status, std::wregex(L"Buffering: \\d{1,2}%"))) << status;
  ASSERT_TRUE(WaitForEvent(kOnStop, 40000)) << "the session hung on a silent server";
  // The error ends the rebuffering: what is left in the buffer plays out before the stop.
  EXPECT_EQ(EventIds(), (std::vector<DISPID>{kOnResize, kOnStart, kOnPause, kOnError, kOnStart, kOnStop}));
  EXPECT_EQ(Last(kOnError)->args, (std::vector<LONG>{2, 1003}));
}

// --- A host that stops from inside its event handlers.

TEST_F(PlaybackTest, StopFromInsideOnErrorOrOnStartEndsTheSessionAtOnce) {
  for (const auto& [alias, stopIn] : {std::pair{L"undecodable", kOnError}, {L"testcard", kOnStart}}) {
    SCOPED_TRACE(alias);
    Events().clear();
    hosted.recorder.onEvent = [&, stopIn = stopIn](DISPID id) {
      if (id == stopIn) {
        EXPECT_EQ(player->Stop(), S_OK);
      }
    };
    player->UseLiveAlias(Text(alias));
    ASSERT_EQ(player->Play(), S_OK);
    const ULONGLONG start = GetTickCount64();
    ASSERT_TRUE(WaitForEvent(kOnStop, 15000));
    EXPECT_LT(GetTickCount64() - start, 8000u) << "the stop waited for the grabber thread to give up";
    EXPECT_EQ(CountOf(kOnStop), 1u);
    hosted.recorder.onEvent = nullptr;
  }
}

}  // namespace
}  // namespace zm::tests
