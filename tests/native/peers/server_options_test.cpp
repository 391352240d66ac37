// The command line of zms-server, parsed directly.
#include "peers/server/server_options.h"

#include <gtest/gtest.h>

#include <vector>

namespace zms {
namespace {

bool Parse(std::vector<const char*> args, ServerOptions* options, std::string* error) {
  args.insert(args.begin(), "zms-server");
  return ParseServerOptions(static_cast<int>(args.size()), const_cast<char**>(args.data()), options, error);
}

TEST(ServerOptions, EveryFlagIsTakenAndUserSplitsAtTheFirstColon) {
  ServerOptions options;
  std::string error;
  ASSERT_TRUE(Parse({"--port", "0", "--local-port", "5120", "--fault", "drip", "--allow-fault-suffix",
                     "--extension-bytes", "7", "--user", "alice:pa:ss", "--session-id", "t-1", "--protocol25-only",
                     "--multicast-group", "239.1.2.3", "--multicast-port", "5004"},
                    &options, &error))
      << error;
  EXPECT_EQ(0, options.port);
  EXPECT_EQ(5120, options.localPort);
  EXPECT_EQ(0, options.faults.dripMicroseconds);
  EXPECT_TRUE(options.allowFaultSuffix);
  EXPECT_EQ(7, options.extensionBytes);
  EXPECT_EQ("alice", options.access.userName);
  EXPECT_EQ("pa:ss", options.access.password);
  EXPECT_EQ("t-1", options.access.sessionToken);
  EXPECT_TRUE(options.protocol25Only);
  EXPECT_EQ((std::array<uint8_t, 4>{239, 1, 2, 3}), options.multicast.group);
  EXPECT_EQ(5004, options.multicast.port);
}

TEST(ServerOptions, UnknownFlagsAndBadValuesAreRefusedWithAText) {
  const std::vector<std::vector<const char*>> bad = {
      {"--bogus"},       {"--port", "70000"}, {"--port"},           {"--fault", "stall-after=x"}, {"--user", "alice"},
      {"--user", ":pw"}, {"--user", "al:"},   {"--session-id", ""}, {"--extension-bytes", "-1"}};
  for (const auto& args : bad) {
    ServerOptions options;
    std::string error;
    EXPECT_FALSE(Parse(args, &options, &error)) << args[0];
    EXPECT_FALSE(error.empty()) << args[0];
  }
}

TEST(ServerOptions, TlsFilesComeInPairsAndTheHttpsPortNeedsThem) {
  ServerOptions options;
  std::string error;
  ASSERT_TRUE(Parse({"--tls-cert", "c.pem", "--tls-key", "k.pem", "--https-port", "0"}, &options, &error)) << error;
  EXPECT_EQ("c.pem", options.tlsCertificate);
  EXPECT_EQ("k.pem", options.tlsKey);
  EXPECT_EQ(0, options.httpsPort);
  const std::vector<std::vector<const char*>> bad = {
      {"--tls-cert", "c.pem"}, {"--https-port", "0"}, {"--tls-key", "k.pem", "--https-port", "1"}};
  for (const auto& args : bad) {
    ServerOptions refused;
    EXPECT_FALSE(Parse(args, &refused, &error)) << args[0];
  }
}

}  // namespace
}  // namespace zms
