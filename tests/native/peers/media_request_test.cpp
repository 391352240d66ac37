#include "peers/server/media_request.h"

#include <gtest/gtest.h>

namespace zms {
namespace {

MediaRequest Parse(const std::string& text) {
  std::string error;
  auto request = ParseMediaRequest(text, &error);
  EXPECT_TRUE(request.has_value()) << text << ": " << error;
  return request.value_or(MediaRequest{});
}

TEST(RequestParsing, Protocol80PrefixIsTwelveCharactersAndSetsTheVersion) {
  MediaRequest r = Parse("/ZAMS80/0000live-alias:testcard");
  EXPECT_EQ(80u, r.protocolVersion);
  EXPECT_EQ(ResourceKind::LiveAlias, r.kind);
  EXPECT_EQ("testcard", r.name);
  EXPECT_EQ(25u, Parse("live-alias:testcard").protocolVersion);
}

TEST(RequestParsing, LiveDirectSplitsNumberAndAddressAtTheFirstAt) {
  MediaRequest r = Parse("/ZAMS80/0000live-direct:12@cam@host");
  EXPECT_EQ(ResourceKind::LiveDirect, r.kind);
  EXPECT_EQ("12", r.sourceNumber);
  EXPECT_EQ("cam@host", r.sourceAddress);
}

TEST(RequestParsing, PlaylistCarriesItsItemAndFolder) {
  MediaRequest r = Parse("/ZAMS80/0000playlist:3:my:folder");
  EXPECT_EQ(ResourceKind::PlayList, r.kind);
  EXPECT_EQ(3, r.playListIndex);
  EXPECT_EQ("my:folder", r.name);
}

TEST(RequestParsing, LiveLocalIsNumberThenComputerSid) {
  MediaRequest r = Parse("7CompSid:S-1-5-21-1-2-3");
  EXPECT_EQ(ResourceKind::LiveLocal, r.kind);
  EXPECT_EQ("7", r.sourceNumber);
  EXPECT_EQ("S-1-5-21-1-2-3", r.computerSid);
  std::string error;
  EXPECT_FALSE(ParseMediaRequest("/ZAMS80/00007CompSid:S-1-5", &error).has_value());
}

TEST(RequestParsing, AuthenticationSuffixIsTakenOffTheName) {
  MediaRequest hash = Parse("/ZAMS80/0000file:a*b.zmf///HASH:00ff");
  EXPECT_EQ("a*b.zmf", hash.name);
  EXPECT_EQ("00ff", hash.credentialHash);
  MediaRequest sid = Parse("file:x///SID:abc");
  EXPECT_EQ("x", sid.name);
  EXPECT_EQ("abc", sid.sessionId);
}

TEST(RequestParsing, FaultSuffixFollowsTheLastHash) {
  MediaRequest r = Parse("/ZAMS80/0000file:testcard.zmf#stall-after=3,drip///HASH:ab");
  EXPECT_EQ("testcard.zmf", r.name);
  EXPECT_EQ("stall-after=3,drip", r.faults);
  EXPECT_EQ("ab", r.credentialHash);
  MediaRequest direct = Parse("live-direct:1@10.0.0.1#wrong-magic");
  EXPECT_EQ("10.0.0.1", direct.sourceAddress);
  EXPECT_EQ("wrong-magic", direct.faults);
}

TEST(RequestParsing, MalformedRequestsAreRefusedWithAReason) {
  for (const char* text : {"", "/ZAMS80/00", "/ZAMS80/abcdfile:x", "live-direct:1", "playlist:x:folder",
                           "playlist:1", "something else"}) {
    std::string error;
    EXPECT_FALSE(ParseMediaRequest(text, &error).has_value()) << text;
    EXPECT_FALSE(error.empty()) << text;
  }
}

}  // namespace
}  // namespace zms
