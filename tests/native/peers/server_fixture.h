// Test fixture: one real zms-server per test, stopped in TearDown, and helpers that
// open a connection with a request text and read the reply.
#pragma once

#include <gtest/gtest.h>
#include <signal.h>

#include <memory>
#include <string>
#include <vector>

#include "server_process.h"
#include "protocol/media_type_guids.h"
#include "wire_client.h"

namespace zms::test {

namespace zp = zm::protocol;

inline constexpr char kLiveAlias80[] = "/ZAMS80/0000live-alias:testcard";
inline constexpr char kStoredFile80[] = "/ZAMS80/0000file:testcard.zmf";
inline constexpr int64_t kFrameTime = 400000;  // 25 fps in 100-ns units

class ServerTest : public ::testing::Test {
 protected:
  void StartServer(std::vector<std::string> flags = {}) {
    server_ = std::make_unique<ServerProcess>(std::move(flags));
    ASSERT_TRUE(server_->started()) << "zms-server did not report its port";
  }
  void TearDown() override {
    if (server_) server_->Stop(SIGTERM);
  }

  // A new connection that has sent `request`.
  std::unique_ptr<WireClient> Open(const std::string& request, uint16_t port = 0) {
    auto client = std::make_unique<WireClient>();
    EXPECT_TRUE(client->Connect(port ? port : server_->port()));
    EXPECT_TRUE(client->Send(request));
    return client;
  }

  // Sends the request and reads an accepted reply; fails the test otherwise.
  std::unique_ptr<WireClient> OpenAccepted(const std::string& request, zp::ServerReply* reply = nullptr) {
    auto client = Open(request);
    ReadReplyResult result = client->ReadReply();
    EXPECT_TRUE(result.reply.has_value()) << "no reply to \"" << request << "\"\n" << server_->Log();
    if (result.reply) {
      EXPECT_EQ(0u, result.reply->status.result);
      if (reply) *reply = *result.reply;
    }
    return client;
  }

  std::unique_ptr<ServerProcess> server_;
};

}  // namespace zms::test
