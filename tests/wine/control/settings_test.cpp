// Play's validation of the source settings, as a host with its own error handler sees it:
// the error id of OnError, or none when the settings pass and Play goes on.
#include "control_client.h"

namespace zm::tests {
namespace {

enum class Source { None, File, PlayList, Alias, Local };
constexpr wchar_t kCleared[] = L"(set, then cleared with a null text)";

struct ValidationCase {
  Source source;
  const wchar_t* resource;
  const wchar_t* server;  // null: never set
  bool multicast;
  LONG errorId;  // 0: validation passes
} const kCases[] = {
    {Source::None, nullptr, nullptr, false, 1000},
    {Source::Alias, L"testcard", nullptr, false, 1001},
    {Source::File, L"testcard.zmf", L"127.0.0.1", true, 1002},
    {Source::PlayList, L"testlist", L"127.0.0.1", true, 0},  // a playlist may be multicast
    {Source::Local, nullptr, nullptr, false, 0},             // a local live source needs no server
    // A name carrying the authentication marker leaves no resource (its spellings are
    // checked with the settings texts).
    {Source::File, L"movie.zmf///HASH:0123", L"127.0.0.1", false, 1000},
    // A server address without a host is still missing.
    {Source::Alias, L"testcard", L":5119", false, 1001},
    {Source::Alias, L"testcard", L"10.0.0.5:8080", false, 0},
    {Source::Alias, L"testcard", kCleared, false, 1001},
};

void Apply(IZMediaPlayer* player, const ValidationCase& c) {
  if (c.server == kCleared) {
    player->UseMediaServer(Text(L"10.0.0.5"));
    player->UseMediaServer(nullptr);
  } else if (c.server) {
    player->UseMediaServer(Text(c.server));
  }
  if (c.multicast) player->UseRTPMulticast();
  switch (c.source) {
    case Source::None: break;
    case Source::File: player->UseFile(Text(c.resource)); break;
    case Source::PlayList: player->UseFilePlayList(Text(c.resource)); break;
    case Source::Alias: player->UseLiveAlias(Text(c.resource)); break;
    case Source::Local: player->UseLiveLocal(1); break;
  }
}

TEST(SettingsTest, PlayValidatesResourceThenServerThenMulticastFile) {
  for (const ValidationCase& c : kCases) {
    const std::wstring name = std::wstring(c.resource ? c.resource : L"-") + L" @ " + (c.server ? c.server : L"-");
    SCOPED_TRACE(std::string(name.begin(), name.end()));
    ComPtr<IZMediaPlayer> player = CreateControl();
    ASSERT_TRUE(player);
    EventConnection connection(player.get());
    player->UseCustomErrorHandler(VARIANT_TRUE);
    Apply(player.get(), c);
    // A refused Play answers S_FALSE; one that passes validation meets the next refusal: a
    // control no container has given a window has nothing to play in.
    EXPECT_EQ(player->Play(), c.errorId ? S_FALSE : OLE_E_NOT_INPLACEACTIVE);
    EXPECT_EQ(connection.sink.ErrorIds(), std::vector<LONG>{c.errorId ? c.errorId : 1006});
  }
}

}  // namespace
}  // namespace zm::tests
