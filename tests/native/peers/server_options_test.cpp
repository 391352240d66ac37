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
  // clang-format off
  const std::vector<const char*> flags = {
      "--port", "0", "--local-port", "5120", "--fault", "drip", "--allow-fault-suffix", "--extension-bytes", "7",
      "--user", "alice:pa:ss", "--session-id", "t-1", "--protocol25-only", "--multicast-group", "239.1.2.3",
      "--multicast-port", "5004", "--tls-cert", "c.pem", "--tls-key", "k.pem", "--https-port", "0"};
  // clang-format on
  ASSERT_TRUE(Parse(flags, &options, &error)) << error;
  EXPECT_EQ(std::tuple(0, 5120, 0, 7, 5004),
            std::tuple(options.port, options.localPort, options.faults.dripMicroseconds, options.extensionBytes,
                       options.multicast.port));
  EXPECT_EQ(std::tuple("alice", "pa:ss", "t-1"),
            std::tuple(options.access.userName, options.access.password, options.access.sessionToken));
  EXPECT_TRUE(options.allowFaultSuffix && options.protocol25Only);
  EXPECT_EQ((std::array<uint8_t, 4>{239, 1, 2, 3}), options.multicast.group);
  EXPECT_EQ(std::tuple("c.pem", "k.pem", 0), std::tuple(options.tlsCertificate, options.tlsKey, options.httpsPort));
}

// TLS files come in pairs, and the HTTPS port needs them.
TEST(ServerOptions, UnknownFlagsAndBadValuesAreRefusedWithAText) {
  const std::vector<std::vector<const char*>> bad = {{"--bogus"},
                                                     {"--port", "70000"},
                                                     {"--port"},
                                                     {"--fault", "stall-after=x"},
                                                     {"--user", "alice"},
                                                     {"--user", ":pw"},
                                                     {"--user", "al:"},
                                                     {"--session-id", ""},
                                                     {"--extension-bytes", "-1"},
                                                     {"--tls-cert", "c.pem"},
                                                     {"--https-port", "0"},
                                                     {"--tls-key", "k.pem", "--https-port", "1"}};
  for (const auto& args : bad) {
    ServerOptions options;
    std::string error;
    EXPECT_FALSE(Parse(args, &options, &error)) << args[0];
    EXPECT_FALSE(error.empty()) << args[0];
  }
}

}  // namespace
}  // namespace zms
