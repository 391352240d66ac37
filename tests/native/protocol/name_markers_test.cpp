// The request markers as both the control and the server read them.
#include "protocol/name_markers.h"

#include <gtest/gtest.h>

namespace zm::protocol {
namespace {

TEST(NameMarkersTest, TheCredentialMarkerCountsInItsTwoSpellingsAndEitherSuffixMarksAName) {
  for (const char16_t* text : {u"movie///HASH:123", u"///hash:", u"a///hash:b///x"})
    EXPECT_TRUE(HasAuthenticationMarker(text));
  for (const char16_t* text : {u"movie///Hash:123", u"movie//HASH:123", u"movie///HASH", u"x///SID:1", u""})
    EXPECT_FALSE(HasAuthenticationMarker(text));
  for (const char16_t* name : {u"a///HASH:", u"///SID:", u"b///SID:c"}) EXPECT_TRUE(CarriesSuffixMarker(name));
  for (const char16_t* name : {u"a///hash:", u"//SID:", u"plain"}) EXPECT_FALSE(CarriesSuffixMarker(name));
}

TEST(NameMarkersTest, SessionIdBytesAreWrittenAsSignedChars) {
  EXPECT_EQ(SessionIdHex("ab"), u"6162");
  EXPECT_EQ(SessionIdHex(""), u"");
  EXPECT_EQ(SessionIdHex(std::string("\x7f\x80\xff\x00", 4)), u"7fffffff80ffffffff00");
}

}  // namespace
}  // namespace zm::protocol
