#include "control/player_settings_text.h"

#include <gtest/gtest.h>

namespace zm::control {
namespace {

TEST(ServerAddressTest, HostAndPortAreSplitAtTheFirstColon) {
  ServerAddress a = SplitServerAddress(u"10.0.0.5:8080");
  EXPECT_EQ(a.host, u"10.0.0.5");
  EXPECT_EQ(a.port, 8080);
  ServerAddress b = SplitServerAddress(u"10.0.0.5");
  EXPECT_EQ(b.host, u"10.0.0.5");
  EXPECT_EQ(b.port, 0);  // no colon: the transport's default port
  ServerAddress c = SplitServerAddress(u"host:1:2");
  EXPECT_EQ(c.host, u"host");
  EXPECT_EQ(c.port, 1);
}

TEST(ServerAddressTest, AColonWithoutDigitsLeavesThePortAsItWas) {
  ServerAddress a = SplitServerAddress(u"media.example:");
  EXPECT_EQ(a.host, u"media.example");
  EXPECT_FALSE(a.port.has_value());
  EXPECT_FALSE(SplitServerAddress(u"h:abc").port.has_value());
  EXPECT_EQ(SplitServerAddress(u"h: 42x").port, 42);  // "%d" skips white space, stops at a non-digit
  EXPECT_EQ(SplitServerAddress(u"h:-7").port, -7);
  EXPECT_EQ(SplitServerAddress(u"").port, 0);
  EXPECT_EQ(SplitServerAddress(u"").host, u"");
}

TEST(ServerAddressTest, HugeNumbersWrapLikeThe32BitConversion) {
  EXPECT_EQ(ScanDecimal(u"4294967297"), 1);
  EXPECT_EQ(ScanDecimal(u"99999999999999999999999999").has_value(), true);
}

TEST(AuthenticationMarkerTest, OnlyTheTwoExactSpellingsCount) {
  EXPECT_TRUE(HasAuthenticationMarker(u"movie///HASH:123"));
  EXPECT_TRUE(HasAuthenticationMarker(u"///hash:"));
  EXPECT_TRUE(HasAuthenticationMarker(u"a///hash:b///x"));
  EXPECT_FALSE(HasAuthenticationMarker(u"movie///Hash:123"));
  EXPECT_FALSE(HasAuthenticationMarker(u"movie//HASH:123"));
  EXPECT_FALSE(HasAuthenticationMarker(u"movie///HASH"));
  EXPECT_FALSE(HasAuthenticationMarker(u""));
}

TEST(SessionIdHexTest, BytesAreWrittenAsSignedChars) {
  EXPECT_EQ(SessionIdHex("ab"), u"6162");
  EXPECT_EQ(SessionIdHex(""), u"");
  EXPECT_EQ(SessionIdHex(std::string("\x7f\x80\xff\x00", 4)), u"7fffffff80ffffffff00");
}

TEST(DecimalTextTest, WritesLikePercentD) {
  EXPECT_EQ(DecimalText(0), u"0");
  EXPECT_EQ(DecimalText(42), u"42");
  EXPECT_EQ(DecimalText(-42), u"-42");
  EXPECT_EQ(DecimalText(INT32_MIN), u"-2147483648");
  EXPECT_EQ(DecimalText(INT32_MAX), u"2147483647");
}

}  // namespace
}  // namespace zm::control
