// The request parser the server runs, and where it decides that a request has arrived whole.
#include "peers/server/media_request.h"

#include <gtest/gtest.h>

namespace zms {
namespace {

MediaRequest Parse(const std::string& text, FaultSuffix suffix = FaultSuffix::Taken) {
  std::string error;
  auto request = ParseMediaRequest(text, suffix, &error);
  EXPECT_TRUE(request.has_value()) << text << ": " << error;
  return request.value_or(MediaRequest{});
}

TEST(RequestParsing, EveryKindInBothProtocolsWithItsParts) {
  // The text, then the version, kind, name, source number and address, and list index.
  const std::tuple<const char*, uint32_t, ResourceKind, const char*, const char*, const char*, int> cases[] = {
      {"/ZAMS80/0000live-alias:testcard", 80, ResourceKind::LiveAlias, "testcard", "", "", 0},
      {"live-alias:a b:c/d@e*f%g", 25, ResourceKind::LiveAlias, "a b:c/d@e*f%g", "", "", 0},
      {"/ZAMS80/0000live-direct:12@cam@host", 80, ResourceKind::LiveDirect, "12@cam@host", "12", "cam@host", 0},
      {"file:testcard.zmf", 25, ResourceKind::File, "testcard.zmf", "", "", 0},
      {"/ZAMS80/0000playlist:3:my:folder", 80, ResourceKind::FilePlayList, "my:folder", "", "", 3},
      {"7CompSid:S-1-5-21-1-2-3", 25, ResourceKind::LiveLocal, "7", "7", "", 0},
  };
  for (const auto& [text, version, kind, name, number, address, index] : cases) {
    MediaRequest r = Parse(text);
    EXPECT_EQ(std::tuple(version, kind, name, number, address, index),
              std::tuple(r.protocolVersion, r.kind, r.name, r.sourceNumber, r.sourceAddress, r.playListIndex))
        << text;
  }
  EXPECT_EQ("S-1-5-21-1-2-3", Parse("7CompSid:S-1-5-21-1-2-3").computerSid);
}

TEST(RequestParsing, AuthenticationAndFaultSuffixesAreTakenOffTheName) {
  MediaRequest hash = Parse("/ZAMS80/0000file:testcard.zmf#stall-after=3,drip///HASH:ab");
  EXPECT_EQ(std::tuple("testcard.zmf", "stall-after=3,drip", "ab"),
            std::tuple(hash.name, hash.faults, hash.credentialHash));
  MediaRequest sid = Parse("file:x///SID:abc");
  EXPECT_EQ(std::tuple("x", "abc"), std::tuple(sid.name, sid.sessionId));
  MediaRequest direct = Parse("live-direct:1@10.0.0.1#wrong-magic");
  EXPECT_EQ(std::tuple("10.0.0.1", "wrong-magic"), std::tuple(direct.sourceAddress, direct.faults));
}

TEST(RequestParsing, WithoutTheFaultSuffixAHashIsPartOfTheName) {
  for (const char* text : {"file:my#1.zmf", "live-alias:my#1.zmf", "playlist:0:my#1.zmf", "live-direct:1@my#1.zmf"}) {
    MediaRequest r = Parse(text, FaultSuffix::Ignored);
    EXPECT_NE(std::string::npos, r.name.find("my#1.zmf")) << text;
    EXPECT_EQ("", r.faults) << text;
    EXPECT_EQ("1.zmf", Parse(text, FaultSuffix::Taken).faults) << text;
  }
}

TEST(RequestParsing, MalformedRequestsAreRefusedWithAReason) {
  for (const char* text : {"", "/ZAMS80/00", "/ZAMS80/abcdfile:x", "live-direct:1", "playlist:x:folder", "playlist:1",
                           "something else", "/ZAMS80/00007CompSid:S-1-5"}) {
    std::string error;
    EXPECT_FALSE(ParseMediaRequest(text, FaultSuffix::Taken, &error).has_value()) << text;
    EXPECT_FALSE(error.empty()) << text;
  }
}

TEST(RequestArrival, ABeginningWaitsForItsRestAndAWholeRequestDoesNot) {
  const std::string digest(40, 'a');
  // clang-format off
  const char* beginnings[] = {"", "/ZAM", "/ZAMS80/", "/ZAMS80/00", "/ZAMS80/0000", "/ZAMS80/0000live-al",
                              "file:", "live-direct:1", "live-direct:1@", "playlist:", "playlist:-2", "playlist:12:",
                              "7", "7Comp", "7CompSid:", "file:x/", "file:x///HA", "live-alias:t///SID",
                              "file:x///HASH:", "file:x///HASH:0123", "file:x///SID:", "file:x///SID:7a6"};
  for (const char* text : beginnings) EXPECT_TRUE(RequestMayGoOn(text)) << text;
  const std::string whole[] = {"/ZAMS80/0000live-alias:testcard", "live-alias:a b:c/d@e*f%g", "file:x#drip",
                               "live-direct:1@10.0.0.1", "playlist:0:testlist", "1CompSid:S-1-5-21-1",
                               "file:x///HASH:" + digest, "file:x///SID:7a6d", "file:x///HASH:" + digest + "0",
                               "file:x///HASH:zz", "file:x///SID:xyz", "hello", "/ZAMS80/0000nonsense",
                               "/ZAMS80/00x0file:a", "/ZAMS80/00001CompSid:S", "playlist:x", "playlist:1x"};
  // clang-format on
  for (const std::string& text : whole) EXPECT_FALSE(RequestMayGoOn(text)) << text;
}

}  // namespace
}  // namespace zms
