// The server playlist "testlist": each entry as a stored reply of its list's generation, then
// the string the playlist request expects, then the entry's frames tagged with that generation.
#include <string>
#include <vector>

#include "server_fixture.h"

namespace zms::test {
namespace {

constexpr uint8_t kGeneration = 2;

struct Entry {
  const char* name;
  int seconds;
};
constexpr Entry kEntries[] = {{"alpha.zmf", 2}, {"beta.zmf", 3}, {"gamma.zmf", 4}};

// The string read as the control reads it: the entry now playing before "<xml>", the texts
// between "<file>" and "</file>", and the alphabetical marker.
struct PlayListString {
  std::string current;
  std::vector<std::string> files;
  bool alphabetical = false;
};

PlayListString ReadPlayListString(const std::string& text) {
  PlayListString parsed;
  const size_t xml = text.find("<xml>");
  if (xml == std::string::npos) return parsed;
  parsed.current = text.substr(0, xml);
  std::string rest = text.substr(xml);
  parsed.alphabetical = rest.find("<playlist type=\"alphabetical") != std::string::npos;
  for (;;) {
    const size_t open = rest.find("<file>");
    const size_t close = rest.find("</file>");
    if (open == std::string::npos || close == std::string::npos) break;
    parsed.files.push_back(close > open ? rest.substr(open + 6, close - open - 6) : std::string());
    rest = rest.substr(close + 7);
  }
  return parsed;
}

class ServerPlayList : public ServerTest {
 protected:
  void SetUp() override { StartServer(); }
};

TEST_F(ServerPlayList, EachEntryComesWithTheListAndItsOwnName) {
  for (int index = 0; index < 3; ++index) {
    zp::ServerReply reply;
    auto client = OpenAccepted("/ZAMS80/0000playlist:" + std::to_string(index) + ":testlist", &reply);
    EXPECT_EQ(0u, reply.status.resourceKind) << index;
    EXPECT_EQ(kGeneration, reply.status.playlistGeneration) << index;
    EXPECT_EQ(static_cast<uint32_t>(kEntries[index].seconds * 1000), reply.status.serverFlags) << index;
    auto text = client->ReadString();
    ASSERT_TRUE(text.has_value()) << index;
    PlayListString list = ReadPlayListString(*text);
    EXPECT_EQ(kEntries[index].name, list.current);
    EXPECT_TRUE(list.alphabetical);
    EXPECT_EQ((std::vector<std::string>{"alpha.zmf", "beta.zmf", "gamma.zmf"}), list.files);
  }
}

TEST_F(ServerPlayList, EntryFramesCarryTheGenerationAndLastTheEntrysDuration) {
  auto client = OpenAccepted("/ZAMS80/0000playlist:1:testlist");
  ASSERT_TRUE(client->ReadString().has_value());
  int withData = 0;
  int ends = 0;
  int64_t lastTime = -1;
  while (ends < 2) {
    auto frame = client->ReadFrame();
    ASSERT_TRUE(frame.has_value()) << "after " << withData << " frames";
    EXPECT_EQ(kGeneration, (frame->header.tag >> 8) & 0xFE);
    if (frame->header.length == 0) {
      ++ends;
    } else {
      ++withData;
      lastTime = frame->header.time;
    }
  }
  EXPECT_EQ(3 * 25 * 2, withData);
  EXPECT_EQ((3 * 25 - 1) * kFrameTime, lastTime);
}

TEST_F(ServerPlayList, Protocol25PlaylistRequestIsServedToo) {
  zp::ServerReply reply;
  auto client = OpenAccepted("playlist:2:testlist", &reply);
  EXPECT_EQ(25u, reply.protocolVersion);
  auto text = client->ReadString();
  ASSERT_TRUE(text.has_value());
  EXPECT_EQ("gamma.zmf", ReadPlayListString(*text).current);
}

TEST_F(ServerPlayList, EntriesPlayAloneAsFilesInTheListFolder) {
  zp::ServerReply reply;
  OpenAccepted("/ZAMS80/0000file:testlist\\beta.zmf", &reply);
  EXPECT_EQ(0u, reply.status.resourceKind);
  EXPECT_EQ(0u, reply.status.playlistGeneration);
  EXPECT_EQ(3000u, reply.status.serverFlags);
}

TEST_F(ServerPlayList, IndexOutsideTheListIsNotFound) {
  for (const char* request : {"/ZAMS80/0000playlist:3:testlist", "/ZAMS80/0000playlist:-1:testlist",
                              "/ZAMS80/0000file:testlist\\delta.zmf"}) {
    auto client = Open(request);
    ReadReplyResult result = client->ReadReply();
    ASSERT_TRUE(result.reply.has_value()) << request;
    EXPECT_EQ(0x80070002u, result.reply->status.result) << request;
  }
}

}  // namespace
}  // namespace zms::test
