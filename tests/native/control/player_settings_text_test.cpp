// The texts of the host's settings: server addresses split as "%d" scans them, and decimal
// numbers.
#include "control/player_settings_text.h"

#include <gtest/gtest.h>

namespace zm::control {
namespace {

TEST(ServerAddressTest, HostAndPortAreSplitAtTheFirstColonAndScannedLikePercentD) {
  // None: the port stays as it was.
  const std::tuple<std::u16string, std::u16string, std::optional<int32_t>> cases[] = {
      // clang-format off
      {u"10.0.0.5:8080", u"10.0.0.5", 8080}, {u"10.0.0.5", u"10.0.0.5", 0},  // no colon: the default port
      {u"host:1:2", u"host", 1},             {u"media.example:", u"media.example", std::nullopt},
      {u"h:abc", u"h", std::nullopt},        {u"h: 42x", u"h", 42},  // white space skipped, stops at a non-digit
      {u"h:-7", u"h", -7},                   {u"", u"", 0},
      {u"h:4294967297", u"h", 1},  // wraps like the 32-bit conversion
      // clang-format on
  };
  for (const auto& [text, host, port] : cases) {
    ServerAddress address = SplitServerAddress(text);
    EXPECT_EQ(std::tuple(address.host, address.port), std::tuple(host, port)) << std::string(text.begin(), text.end());
  }
  EXPECT_TRUE(ScanDecimal(u"99999999999999999999999999").has_value());
}

TEST(SettingsTextTest, NumbersAreDecimal) {
  const std::pair<int32_t, std::u16string> cases[] = {
      {0, u"0"}, {42, u"42"}, {-42, u"-42"}, {INT32_MIN, u"-2147483648"}, {INT32_MAX, u"2147483647"}};
  for (const auto& [value, text] : cases) EXPECT_EQ(DecimalText(value), text);
}

}  // namespace
}  // namespace zm::control
