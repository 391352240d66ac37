// The automation interface while idle: every property's idle value, the setters'
// results, and the effect of the source settings as Play's validation sees it.
#include "control_client.h"

namespace zm::tests {
namespace {

class SettingsTest : public testing::Test {
 protected:
  void SetUp() override {
    player = CreateControl();
    ASSERT_TRUE(player);
    recorder = new EventRecorder;
    cookie = Connect(player.get(), recorder);
    ASSERT_NE(cookie, 0u);
    ASSERT_EQ(player->UseCustomErrorHandler(VARIANT_TRUE), S_OK);
  }
  void TearDown() override {
    if (player) Disconnect(player.get(), cookie);
    recorder->Release();
  }

  // Plays and returns the error id reported through OnError, or 0 when none was.
  LONG PlayErrorId(HRESULT* result = nullptr) {
    recorder->events.clear();
    HRESULT hr = player->Play();
    if (result) *result = hr;
    for (const RecordedEvent& event : recorder->events)
      if (event.id == 5) return event.args.at(1);
    return 0;
  }

  ComPtr<IZMediaPlayer> player;
  EventRecorder* recorder = nullptr;
  DWORD cookie = 0;
};

TEST_F(SettingsTest, EveryPropertyAnswersSFalseWithItsInitialValueWhileIdle) {
  struct LongProperty {
    HRESULT (STDMETHODCALLTYPE IZMediaPlayer::*get)(LONG*);
    LONG initial;
  } longs[] = {{&IZMediaPlayer::get_CurrentPlaybackTime_Sec, 0},
               {&IZMediaPlayer::get_CurrentDownloadTime_Sec, 0},
               {&IZMediaPlayer::get_TotalTime_Sec, 0},
               {&IZMediaPlayer::get_BufferingProgress_Percent, 100},
               {&IZMediaPlayer::get_TimeShiftMode, -1},
               {&IZMediaPlayer::get_TimeShiftPosition, 0},
               {&IZMediaPlayer::get_VideoFrameWidth, 0},
               {&IZMediaPlayer::get_VideoFrameHeight, 0},
               {&IZMediaPlayer::get_VideoCurrentViewSize_Percent, 0},
               {&IZMediaPlayer::get_VideoAspectRatio, 0},
               {&IZMediaPlayer::get_AudioChannels, 0}};
  for (const LongProperty& property : longs) {
    LONG value = 12345;
    EXPECT_EQ((player.get()->*property.get)(&value), S_FALSE);
    EXPECT_EQ(value, property.initial);
    EXPECT_EQ((player.get()->*property.get)(nullptr), E_POINTER);
  }
  HRESULT (STDMETHODCALLTYPE IZMediaPlayer::*bools[])(VARIANT_BOOL*) = {
      &IZMediaPlayer::get_MediaSeekable, &IZMediaPlayer::get_TimeShiftCanSwitchToLive,
      &IZMediaPlayer::get_VideoExists, &IZMediaPlayer::get_AudioExists};
  for (auto get : bools) {
    VARIANT_BOOL value = 7;
    EXPECT_EQ((player.get()->*get)(&value), S_FALSE);
    EXPECT_EQ(value, VARIANT_FALSE);
    EXPECT_EQ((player.get()->*get)(nullptr), E_POINTER);
  }
  HRESULT (STDMETHODCALLTYPE IZMediaPlayer::*doubles[])(DOUBLE*) = {
      &IZMediaPlayer::get_VideoBitrate_KBitSec, &IZMediaPlayer::get_VideoFramerate_FSec,
      &IZMediaPlayer::get_AudioBitrate_KBitSec, &IZMediaPlayer::get_AudioSamplerate_KHz};
  for (auto get : doubles) {
    DOUBLE value = 7.5;
    EXPECT_EQ((player.get()->*get)(&value), S_FALSE);
    EXPECT_EQ(value, 0.0);
  }
  BSTR name = reinterpret_cast<BSTR>(1);
  EXPECT_EQ(player->get_MediaName(&name), S_FALSE);
  EXPECT_EQ(name, nullptr);
  BSTR list = reinterpret_cast<BSTR>(1);
  EXPECT_EQ(player->get_PlayListContent(&list), S_OK);  // only refused while connecting
  EXPECT_EQ(list, nullptr);
  EXPECT_EQ(player->get_MediaName(nullptr), E_POINTER);
}

TEST_F(SettingsTest, SettersStoreOrRefuseWithTheirResults) {
  EXPECT_EQ(player->SetBufferSize(0), S_OK);
  EXPECT_EQ(player->SetBufferSize(100), S_OK);
  EXPECT_EQ(player->SetUDPPacketLossControlMode(-1), E_INVALIDARG);
  EXPECT_EQ(player->SetUDPPacketLossControlMode(3), E_INVALIDARG);
  EXPECT_EQ(player->SetUDPPacketLossControlMode(2), S_OK);
  EXPECT_EQ(player->SetUDPPacketLossControlMode(0), S_OK);
  EXPECT_EQ(player->SetVideoAspectRatio(7), S_OK);
  EXPECT_EQ(player->SetVideoAspectRatio(-1), S_OK);
  EXPECT_EQ(player->AdjustVolume(-5000), S_FALSE);  // stored; applied when playback starts
  EXPECT_EQ(player->AdjustContrast(10), S_FALSE);
  EXPECT_EQ(player->AdjustBrightness(10), S_FALSE);
  EXPECT_EQ(player->EnableContextMenu(VARIANT_FALSE), S_OK);
  EXPECT_EQ(player->EnableSizeInContextMenu(VARIANT_TRUE), S_OK);
  EXPECT_EQ(player->EnableUserFullScreen(VARIANT_FALSE), S_OK);
  EXPECT_EQ(player->EnableFlowControl(VARIANT_TRUE, VARIANT_TRUE), S_OK);
  EXPECT_EQ(player->DisplayPlaybackStatus(VARIANT_FALSE), S_OK);
  EXPECT_EQ(player->UseSessionID(nullptr), S_OK);
  for (auto use : {&IZMediaPlayer::UseTCP, &IZMediaPlayer::UseHTTP, &IZMediaPlayer::UseHTTPS,
                   &IZMediaPlayer::UseRTPUnicast, &IZMediaPlayer::UseRTPMulticast})
    EXPECT_EQ((player.get()->*use)(), S_OK);
}

TEST_F(SettingsTest, CommandsThatNeedASessionAnswerSFalseWhileIdle) {
  EXPECT_EQ(player->Stop(), S_FALSE);
  EXPECT_EQ(player->Pause(), S_FALSE);
  EXPECT_EQ(player->Seek(10), S_FALSE);
  EXPECT_EQ(player->ViewProperties(), S_FALSE);
  EXPECT_EQ(player->ViewVideoSettings(), S_FALSE);
  EXPECT_EQ(player->ViewHalfSize(), S_FALSE);
  EXPECT_EQ(player->ViewOriginalSize(), S_FALSE);
  EXPECT_EQ(player->ViewDoubleSize(), S_FALSE);
  EXPECT_EQ(player->LiveVideoSnapshot(), S_FALSE);
  EXPECT_EQ(player->ViewFullScreenSize(), S_OK);  // remembered until a picture shows
  EXPECT_EQ(player->ViewPlayListControl(), S_OK);
  EXPECT_TRUE(recorder->events.empty());
}

TEST_F(SettingsTest, PlayValidatesResourceThenServerThenMulticastFile) {
  HRESULT hr;
  EXPECT_EQ(PlayErrorId(&hr), 1000);
  EXPECT_EQ(hr, S_FALSE);
  player->UseLiveAlias(Text(L"testcard"));
  EXPECT_EQ(PlayErrorId(&hr), 1001);
  EXPECT_EQ(hr, S_FALSE);
  player->UseMediaServer(Text(L"127.0.0.1"));
  player->UseRTPMulticast();
  player->UseFile(Text(L"testcard.zmf"));
  EXPECT_EQ(PlayErrorId(&hr), 1002);
  EXPECT_EQ(hr, S_FALSE);
  // A playlist may be multicast: validation passes.
  player->UseFilePlayList(Text(L"testlist"));
  EXPECT_EQ(PlayErrorId(&hr), 0);
  EXPECT_NE(hr, S_FALSE);
}

TEST_F(SettingsTest, LiveLocalNeedsNoServer) {
  player->UseLiveLocal(1);
  HRESULT hr;
  EXPECT_EQ(PlayErrorId(&hr), 0);
  EXPECT_NE(hr, S_FALSE);
}

TEST_F(SettingsTest, NamesCarryingTheAuthenticationMarkerLeaveNoResource) {
  player->UseMediaServer(Text(L"127.0.0.1"));
  player->UseFile(Text(L"movie.zmf///HASH:0123"));
  EXPECT_EQ(PlayErrorId(), 1000);
  player->UseLiveAlias(Text(L"///hash:abc"));
  EXPECT_EQ(PlayErrorId(), 1000);
  player->UseFilePlayList(Text(L"list///HASH:"));
  EXPECT_EQ(PlayErrorId(), 1000);
  // Other spellings are ordinary names.
  player->UseFile(Text(L"movie.zmf///Hash:0123"));
  EXPECT_EQ(PlayErrorId(), 0);
}

TEST_F(SettingsTest, ServerAddressWithoutHostIsStillMissing) {
  player->UseLiveAlias(Text(L"testcard"));
  player->UseMediaServer(Text(L":5119"));
  EXPECT_EQ(PlayErrorId(), 1001);
  player->UseMediaServer(Text(L"10.0.0.5:8080"));
  EXPECT_EQ(PlayErrorId(), 0);
  player->UseMediaServer(nullptr);
  EXPECT_EQ(PlayErrorId(), 1001);
}

}  // namespace
}  // namespace zm::tests
