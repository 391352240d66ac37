// The command line's authentication and protocol flags, parsed directly.
#include "peers/server/server_options.h"

#include <gtest/gtest.h>

#include <vector>

namespace zms {
namespace {

bool Parse(std::vector<const char*> args, ServerOptions* options, std::string* error) {
  args.insert(args.begin(), "zms-server");
  return ParseServerOptions(static_cast<int>(args.size()), const_cast<char**>(args.data()), options, error);
}

TEST(ServerOptionsAuthentication, DefaultsAreViewerWithS3cretAndTheZmsSessionToken) {
  ServerOptions options;
  std::string error;
  ASSERT_TRUE(Parse({}, &options, &error));
  EXPECT_EQ("viewer", options.access.userName);
  EXPECT_EQ("s3cret", options.access.password);
  EXPECT_EQ("zms-session", options.access.sessionToken);
  EXPECT_FALSE(options.protocol25Only);
}

TEST(ServerOptionsAuthentication, UserSplitsAtTheFirstColonSoPasswordsMayHoldColons) {
  ServerOptions options;
  std::string error;
  ASSERT_TRUE(Parse({"--user", "alice:pa:ss", "--session-id", "t-1", "--protocol25-only"}, &options, &error));
  EXPECT_EQ("alice", options.access.userName);
  EXPECT_EQ("pa:ss", options.access.password);
  EXPECT_EQ("t-1", options.access.sessionToken);
  EXPECT_TRUE(options.protocol25Only);
}

TEST(ServerOptionsAuthentication, UserWithoutNameOrPasswordAndEmptyTokenAreRefused) {
  for (const char* user : {"alice", ":pw", "alice:", ""}) {
    ServerOptions options;
    std::string error;
    EXPECT_FALSE(Parse({"--user", user}, &options, &error)) << user;
    EXPECT_NE(std::string::npos, error.find("NAME:PASSWORD")) << user;
  }
  ServerOptions options;
  std::string error;
  EXPECT_FALSE(Parse({"--session-id", ""}, &options, &error));
  EXPECT_FALSE(Parse({"--session-id"}, &options, &error));
}

}  // namespace
}  // namespace zms
